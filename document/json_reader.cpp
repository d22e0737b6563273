#include "document/json_reader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <utility>

#include "engine/support/shortest_text.h"
#include "engine/support/utf8.h"

namespace velmora::json {

namespace {

constexpr auto npos = std::string_view::npos;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void appendUtf8(std::string& out, char32_t c) {
    const auto byte = [&](unsigned bits) { out += static_cast<char>(bits); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::variant<Value, SyntaxError> run() {
        Value root;
        skipSpace();
        if (!value(root, 0)) {
            return std::move(*error_);
        }
        skipSpace();
        if (pos_ < text_.size()) {
            expected("the end of the text after the document");
            return std::move(*error_);
        }
        return root;
    }

private:
    bool value(Value& out, int depth) {
        if (pos_ >= text_.size()) {
            return expected("a value");
        }
        switch (text_[pos_]) {
            case '{':
                return object(out, depth + 1);
            case '[':
                return array(out, depth + 1);
            case '"':
                out.kind = Value::Kind::String;
                return string(out.text);
            case 't':
                return literal("true", out, Value::Kind::True);
            case 'f':
                return literal("false", out, Value::Kind::False);
            case 'n':
                return literal("null", out, Value::Kind::Null);
            default:
                if (text_[pos_] == '-' || isDigit(text_[pos_])) {
                    return number(out);
                }
                return expected("a value");
        }
    }

    bool object(Value& out, int depth) {
        out.kind = Value::Kind::Object;
        if (!enter(depth)) {
            return false;
        }
        skipSpace();
        if (consume('}')) {
            return true;
        }
        for (;;) {
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"') {
                return expected("a key in double quotes");
            }
            Member member;
            if (!string(member.key)) {
                return false;
            }
            skipSpace();
            if (!consume(':')) {
                return expected("':' after the key");
            }
            skipSpace();
            if (!value(member.value, depth)) {
                return false;
            }
            out.members.push_back(std::move(member));
            skipSpace();
            if (consume('}')) {
                return true;
            }
            if (!consume(',')) {
                return expected("',' or '}'");
            }
        }
    }

    bool array(Value& out, int depth) {
        out.kind = Value::Kind::Array;
        if (!enter(depth)) {
            return false;
        }
        skipSpace();
        if (consume(']')) {
            return true;
        }
        for (;;) {
            skipSpace();
            Value& item = out.items.emplace_back();
            if (!value(item, depth)) {
                return false;
            }
            skipSpace();
            if (consume(']')) {
                return true;
            }
            if (!consume(',')) {
                return expected("',' or ']'");
            }
        }
    }

    bool enter(int depth) {
        if (depth > maxDepth) {
            error_ =
                SyntaxError{pos_, "nested deeper than " + std::to_string(maxDepth) + " levels"};
            return false;
        }
        ++pos_;
        return true;
    }

    bool string(std::string& out) {
        ++pos_;  // the opening quote
        for (;;) {
            std::size_t end = pos_;
            while (end < text_.size() && text_[end] != '"' && text_[end] != '\\' &&
                   static_cast<unsigned char>(text_[end]) >= 0x20) {
                ++end;
            }
            out.append(text_.substr(pos_, end - pos_));
            pos_ = end;
            if (pos_ >= text_.size()) {
                return expected("'\"' to end the string");
            }
            if (text_[pos_] == '"') {
                ++pos_;
                return true;
            }
            if (text_[pos_] != '\\') {
                return fail(
                    "a control character in a string must be written as an escape (\\n, "
                    "\\t, \\u0001, ...)");
            }
            if (!escape(out)) {
                return false;
            }
        }
    }

    bool escape(std::string& out) {
        const std::size_t start = pos_;
        ++pos_;
        const char c = pos_ < text_.size() ? text_[pos_++] : '\0';
        static constexpr std::string_view from = "\"\\/bfnrt";
        static constexpr std::string_view to = "\"\\/\b\f\n\r\t";
        if (const std::size_t i = from.find(c); c != '\0' && i != npos) {
            out += to[i];
            return true;
        }
        if (c != 'u') {
            pos_ = start;
            return fail(
                "unknown escape; a backslash starts one of \\\" \\\\ \\/ \\b \\f \\n \\r "
                "\\t \\uXXXX");
        }
        std::optional<char32_t> unit = hex4();
        if (unit && *unit >= 0xD800 && *unit < 0xDC00) {
            // A high surrogate must be followed by the escaped low one.
            const bool escaped = text_.substr(pos_, 2) == "\\u";
            pos_ += escaped ? 2 : 0;
            const std::optional<char32_t> low = escaped ? hex4() : std::nullopt;
            unit =
                low && *low >= 0xDC00 && *low < 0xE000
                    ? std::optional<char32_t>(0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00))
                    : std::nullopt;
        } else if (unit && *unit >= 0xDC00 && *unit < 0xE000) {
            unit.reset();
        }
        if (!unit) {
            pos_ = start;
            return fail("a \\u escape needs four hexadecimal digits and surrogates in pairs");
        }
        appendUtf8(out, *unit);
        return true;
    }

    std::optional<char32_t> hex4() {
        if (text_.size() - pos_ < 4) {
            return std::nullopt;
        }
        unsigned value = 0;
        const char* first = text_.data() + pos_;
        const auto result = std::from_chars(first, first + 4, value, 16);
        if (result.ptr != first + 4) {
            return std::nullopt;
        }
        pos_ += 4;
        return value;
    }

    bool number(Value& out) {
        const std::size_t start = pos_;
        consume('-');
        if (!consume('0') && !digits()) {
            return expected("a digit");
        }
        if (consume('.') && !digits()) {
            return expected("a digit after '.'");
        }
        if (consume('e') || consume('E')) {
            if (!consume('+')) {
                consume('-');
            }
            if (!digits()) {
                return expected("a digit in the exponent");
            }
        }
        out.kind = Value::Kind::Number;
        out.numberText = text_.substr(start, pos_ - start);
        const char* last = out.numberText.data() + out.numberText.size();
        if (std::from_chars(out.numberText.data(), last, out.number).ec != std::errc{}) {
            // from_chars reports overflow and underflow alike as out of range.
            const double magnitude = decimalOrder(out.numberText).value_or(0) > 0
                                         ? std::numeric_limits<double>::infinity()
                                         : 0.0;
            out.number = out.numberText.front() == '-' ? -magnitude : magnitude;
        }
        return true;
    }

    bool digits() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_])) {
            ++pos_;
        }
        return pos_ > start;
    }

    bool literal(std::string_view word, Value& out, Value::Kind kind) {
        for (const char c : word) {
            if (!consume(c)) {
                return expected(std::string("\"") + std::string(word) + "\"");
            }
        }
        out.kind = kind;
        return true;
    }

    bool consume(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void skipSpace() {
        while (pos_ < text_.size() && std::string_view(" \t\n\r").find(text_[pos_]) != npos) {
            ++pos_;
        }
    }

    bool expected(const std::string& what) {
        return fail("expected " + what + ", found " + found());
    }

    bool fail(std::string what) {
        error_ = SyntaxError{pos_, std::move(what)};
        return false;
    }

    std::string found() const {
        if (pos_ >= text_.size()) {
            return "the end of the text";
        }
        const auto c = static_cast<unsigned char>(text_[pos_]);
        if (c < 0x20 || c == 0x7F) {
            return "a control character";
        }
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on a
        // literal added to a temporary string.
        std::string quoted(1, '\'');
        quoted.append(text_.substr(pos_, sequenceLength(c)));
        quoted.push_back('\'');
        return quoted;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::optional<SyntaxError> error_;
};

}  // namespace

std::variant<Value, SyntaxError> parse(std::string_view text) {
    return Parser(text).run();
}

std::string position(std::string_view text, std::size_t offset) {
    const std::string_view before = text.substr(0, offset);
    const auto line = std::count(before.begin(), before.end(), '\n') + 1;
    const std::size_t lineStart = before.rfind('\n') + 1;  // npos + 1 is 0
    const auto column = std::count_if(before.begin() + static_cast<std::ptrdiff_t>(lineStart),
                                      before.end(), [](char c) { return !isContinuation(c); }) +
                        1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string_view kindName(Value::Kind kind) {
    switch (kind) {
        case Value::Kind::Null:
            return "null";
        case Value::Kind::False:
            return "false";
        case Value::Kind::True:
            return "true";
        case Value::Kind::Number:
            return "a number";
        case Value::Kind::String:
            return "a string";
        case Value::Kind::Array:
            return "an array";
        case Value::Kind::Object:
            return "an object";
    }
    return "a value";
}

std::optional<std::string> pick(const Value& object, std::span<const std::string_view> keys,
                                std::span<const Value*> found, std::string_view path) {
    for (const Member& member : object.members) {
        const auto key = std::find(keys.begin(), keys.end(), member.key);
        if (key == keys.end()) {
            continue;
        }
        const Value*& slot = found[static_cast<std::size_t>(key - keys.begin())];
        if (slot != nullptr) {
            return (path.empty() ? "" : std::string(path) + ".") + member.key +
                   ": given more than once";
        }
        slot = &member.value;
    }
    return std::nullopt;
}

}  // namespace velmora::json
