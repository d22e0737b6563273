#include "engine/calibration/table_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velmora::table_text {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::variant<std::vector<Cell>, TableProblem> Splitter::row() {
    std::vector<Cell> cells;
    for (;;) {
        Cell cell{{}, line_};
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const std::size_t column = cells.size() + 1;
            ++pos_;
            for (;;) {
                const std::size_t quote = text_.find('"', pos_);
                if (quote == std::string_view::npos) {
                    return TableProblem{cell.line, column, "a quote that is never closed"};
                }
                const std::string_view part = text_.substr(pos_, quote - pos_);
                line_ += static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n'));
                cell.text += part;
                pos_ = quote + 1;
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    cell.text += '"';
                    ++pos_;
                } else {
                    break;
                }
            }
            while (pos_ < text_.size() && text_[pos_] == ' ') {
                ++pos_;
            }
            if (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\n' &&
                text_[pos_] != '\r') {
                return TableProblem{line_, column, "text after a closing quote"};
            }
        } else {
            std::size_t end = pos_;
            while (end < text_.size() && text_[end] != separator_ && text_[end] != '\n' &&
                   text_[end] != '\r') {
                ++end;
            }
            cell.text = trimmed(text_.substr(pos_, end - pos_));
            pos_ = end;
        }
        cells.push_back(std::move(cell));
        if (pos_ < text_.size() && text_[pos_] == separator_) {
            ++pos_;
            continue;
        }
        // The end of the line: "\r\n", "\n" or "\r".
        if (pos_ < text_.size() && text_[pos_] == '\r') {
            ++pos_;
        }
        if (pos_ < text_.size() && text_[pos_] == '\n') {
            ++pos_;
        }
        ++line_;
        break;
    }
    while (!cells.empty() && trimmed(cells.back().text).empty()) {
        cells.pop_back();
    }
    return cells;
}

char separatorOf(std::string_view text) {
    const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
    if (first.find('\t') != std::string_view::npos) {
        return '\t';
    }
    if (first.find(';') != std::string_view::npos && first.find(',') == std::string_view::npos) {
        return ';';
    }
    return ',';
}

std::variant<Number, std::string> number(std::string_view cell) {
    Number read;
    std::string_view text = cell;
    if (text.ends_with('%')) {
        read.percent = true;
        text = trimmed(text.substr(0, text.size() - 1));
    }
    const bool negative = text.starts_with('-');
    const std::string_view digits = text.substr(negative ? 1 : 0);
    // Digits grouped by a comma, an apostrophe, a space (also no-break or
    // narrow) or a second point could be read two ways; a comma could also be
    // a decimal comma.
    const bool grouped = std::count(digits.begin(), digits.end(), '.') > 1 ||
                         digits.find_first_of(",' ") != std::string_view::npos ||
                         digits.find("\u00A0") != std::string_view::npos ||
                         digits.find("\u202F") != std::string_view::npos ||
                         digits.find("\u2009") != std::string_view::npos;
    const bool startsWithDigit =
        !digits.empty() && (isDigit(digits.front()) || digits.front() == '.');
    if (grouped && startsWithDigit) {
        return quoted(cell) +
               " groups its digits or has a decimal comma; write numbers without a thousands "
               "separator, with \".\" as the decimal point";
    }
    const char* last = digits.data() + digits.size();
    const auto [end, error] = std::from_chars(digits.data(), last, read.value);
    if (!startsWithDigit || end != last ||
        (error != std::errc{} && error != std::errc::result_out_of_range)) {
        return "expected a number, found " + quoted(cell);
    }
    if (error == std::errc::result_out_of_range || !std::isfinite(read.value)) {
        return quoted(cell) + " is too large or too small for a count";
    }
    if (negative && read.value != 0) {
        return "a negative count, " + quoted(cell);
    }
    read.value = negative ? 0.0 : read.value;
    return read;
}

std::string quoted(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string result = "\"";
    result += text.substr(0, shown);
    return result + (text.size() > shown ? "…\"" : "\"");
}

}  // namespace velmora::table_text
