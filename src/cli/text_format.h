// Plain-text helpers for the command-line reports: printf-style formatting
// into a std::string and fixed-width table rows. Every cell is cut to its
// column, so a long or corrupt value never shifts the columns after it.
#pragma once

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace stridewell::cli {

// snprintf into a string of whatever length the result needs.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// `text` cut to `width` characters and padded with blanks to it, on the
// right (left-aligned) or on the left (right-aligned).
std::string fitText(std::string_view text, int width, bool alignRight = false);

// `text` with every control character (below 0x20, and DEL) replaced by
// '?', so that text from a file cannot move the cursor or recolour a
// terminal. Bytes from 0x80 on (names in UTF-8 or Latin-1) stay.
std::string printableText(std::string_view text);

struct Column {
  std::string_view title;
  int width;
  bool alignRight = false;
};

// A fixed-width table: an indent, then the columns separated by one blank.
// Cells are made printable; trailing blanks of a row are dropped.
class TextTable {
 public:
  TextTable(int indent, std::initializer_list<Column> columns) : indent_(indent), columns_(columns) {}

  void writeHeader(std::ostream& out) const;
  // Missing cells are blank; cells beyond the columns are ignored.
  void writeRow(std::ostream& out, const std::vector<std::string>& cells) const;

 private:
  int indent_;
  std::vector<Column> columns_;
};

}  // namespace stridewell::cli
