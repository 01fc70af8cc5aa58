// One comma-separated line of a card or results file, built by field number
// the way the data service lays it out: text in double quotes, numbers bare,
// unused fields empty. Decimals are made from scaled integers so that the
// text never depends on floating-point formatting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stridewell::gen {

// `scaled` / 10^decimals with exactly `decimals` digits: (6985, 2) -> "69.85".
std::string fixedText(int64_t scaled, int decimals);
// The same without trailing zeros after the point: (525, 2) -> "5.25",
// (550, 2) -> "5.5", (500, 2) -> "5".
std::string trimmedText(int64_t scaled, int decimals);

class FieldLine {
 public:
  // Quoted text; an empty value leaves the field empty. Double quotes and
  // control characters would break the line's lexical form and are dropped.
  void text(int field, std::string_view value);
  void number(int field, int64_t value);
  void fixed(int field, int64_t scaled, int decimals) { raw(field, fixedText(scaled, decimals)); }
  void trimmed(int field, int64_t scaled, int decimals) { raw(field, trimmedText(scaled, decimals)); }
  // Text written as it is (a number already formatted).
  void raw(int field, std::string value);
  // Returns the text of a field as it will be written (quotes included).
  const std::string& at(int field) const;

  // Fields 1..count, separated by commas.
  std::string joined(int count) const;
  // Fields 1..count, each followed by a comma (a card line up to its check code).
  std::string joinedWithTrailingComma(int count) const;

 private:
  std::string& slot(int field);
  std::vector<std::string> fields_;
};

}  // namespace stridewell::gen
