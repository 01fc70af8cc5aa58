#include "operations/line_field.h"

namespace stridewell {
namespace {

bool isWhiteSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::string lineField(std::string_view line, int fieldNumber, bool dropQuotes) {
  std::string field;
  if (fieldNumber < 1) return field;
  bool quoted = false;
  int current = 1;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      if (current == fieldNumber && !dropQuotes) field += c;
    } else if (c == ',' && !quoted) {
      if (++current > fieldNumber) break;
    } else if (current == fieldNumber) {
      field += c;
    }
  }
  size_t first = 0;
  while (first < field.size() && isWhiteSpace(field[first])) ++first;
  size_t last = field.size();
  while (last > first && isWhiteSpace(field[last - 1])) --last;
  return field.substr(first, last - first);
}

}  // namespace stridewell
