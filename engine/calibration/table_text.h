#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/calibration/cohort_table.h"

// The text of a table: its rows of cells and the numbers in them. Internal to
// the engine's table reader.
namespace velmora::table_text {

/// One cell of the text, with the line it starts on.
struct Cell {
    std::string text;
    std::size_t line;
};

/// Splits text into rows of cells: RFC 4180 quoting, any line end.
class Splitter {
public:
    Splitter(std::string_view text, char separator) : text_(text), separator_(separator) {}

    [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
    [[nodiscard]] std::size_t line() const { return line_; }

    /// The next row, its empty cells at the end dropped; a problem for a quote
    /// left open or text after a closing quote.
    std::variant<std::vector<Cell>, TableProblem> row();

private:
    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

/// The separator the first line of `text` uses: a tab, else a semicolon
/// without a comma, else a comma.
[[nodiscard]] char separatorOf(std::string_view text);

/// `text` without the spaces and tabs around it.
[[nodiscard]] std::string_view trimmed(std::string_view text);

/// `text` as a message quotes it, cut short after 40 bytes.
[[nodiscard]] std::string quoted(std::string_view text);

struct Number {
    double value = 0;
    bool percent = false;  ///< written with "%"
};

/// The number a cell holds, or why it is not one: text, a negative count, a
/// number too large, or digits grouped with a separator.
[[nodiscard]] std::variant<Number, std::string> number(std::string_view cell);

}  // namespace velmora::table_text
