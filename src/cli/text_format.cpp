#include "cli/text_format.h"

#include <cstdarg>
#include <cstdio>

namespace stridewell::cli {

std::string formatText(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

std::string fitText(std::string_view text, int width, bool alignRight) {
  const size_t columns = width > 0 ? static_cast<size_t>(width) : 0;
  if (text.size() >= columns) return std::string(text.substr(0, columns));
  const std::string padding(columns - text.size(), ' ');
  return alignRight ? padding + std::string(text) : std::string(text) + padding;
}

std::string printableText(std::string_view text) {
  std::string printable(text);
  for (char& c : printable) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) c = '?';
  }
  return printable;
}

namespace {

void writeLine(std::ostream& out, int indent, const std::vector<Column>& columns,
               const std::vector<std::string>& cells, bool titles) {
  std::string line(static_cast<size_t>(indent), ' ');
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += ' ';
    std::string_view cell;
    if (titles) {
      cell = columns[i].title;
    } else if (i < cells.size()) {
      cell = cells[i];
    }
    line += fitText(printableText(cell), columns[i].width, columns[i].alignRight);
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  out << line << '\n';
}

}  // namespace

void TextTable::writeHeader(std::ostream& out) const {
  writeLine(out, indent_, columns_, {}, true);
}

void TextTable::writeRow(std::ostream& out, const std::vector<std::string>& cells) const {
  writeLine(out, indent_, columns_, cells, false);
}

}  // namespace stridewell::cli
