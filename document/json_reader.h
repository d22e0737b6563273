#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A strict JSON reader for documents: numbers keep every bit (also -0 and
// subnormals), and errors carry the offset where they were found. Internal to
// the document library.
namespace velmora::json {

struct Member;

struct Value {
    enum class Kind { Null, False, True, Number, String, Array, Object };

    Kind kind = Kind::Null;
    double number = 0;            // ±infinity when the text overflows a double
    std::string_view numberText;  // the number as written, a view into the input
    std::string text;             // a string's decoded content
    std::vector<Member> members;  // an object's members in file order
    std::vector<Value> items;     // an array's items in file order
};

struct Member {
    std::string key;
    Value value;
};

struct SyntaxError {
    std::size_t offset;  // in bytes from the start of the input
    std::string what;
};

/// How deep arrays and objects may nest; a document needs three levels.
inline constexpr int maxDepth = 64;

/// Reads `text`, which must be valid UTF-8 (see `invalidUtf8Offset`).
std::variant<Value, SyntaxError> parse(std::string_view text);

/// "line 3, column 14" for `offset` in `text`, counting columns in code points.
std::string position(std::string_view text, std::size_t offset);

/// "a string", "an object", "true", ...: a value's kind as a message names it.
std::string_view kindName(Value::Kind kind);

/// Finds the members of `object` named by `keys`: `found[i]` receives the value
/// under `keys[i]`, or stays null. Other keys are passed over (a later
/// version's, or the user's own); a key of `keys` given twice is refused,
/// naming it under `path` ("basic.price: given more than once").
[[nodiscard]] std::optional<std::string> pick(const Value& object,
                                              std::span<const std::string_view> keys,
                                              std::span<const Value*> found, std::string_view path);

}  // namespace velmora::json
