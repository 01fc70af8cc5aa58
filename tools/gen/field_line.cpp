#include "field_line.h"

namespace stridewell::gen {

std::string fixedText(int64_t scaled, int decimals) {
  const bool negative = scaled < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  uint64_t unit = 1;
  for (int i = 0; i < decimals; ++i) unit *= 10;
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / unit);
  if (decimals > 0) {
    std::string fraction = std::to_string(magnitude % unit);
    text += '.';
    text.append(static_cast<size_t>(decimals) - fraction.size(), '0');
    text += fraction;
  }
  return text;
}

std::string trimmedText(int64_t scaled, int decimals) {
  std::string text = fixedText(scaled, decimals);
  if (decimals == 0) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string& FieldLine::slot(int field) {
  if (fields_.size() <= static_cast<size_t>(field)) fields_.resize(static_cast<size_t>(field) + 1);
  return fields_[static_cast<size_t>(field)];
}

const std::string& FieldLine::at(int field) const {
  static const std::string kEmpty;
  return static_cast<size_t>(field) < fields_.size() ? fields_[static_cast<size_t>(field)] : kEmpty;
}

void FieldLine::text(int field, std::string_view value) {
  std::string& out = slot(field);
  out.clear();
  if (value.empty()) return;
  out += '"';
  for (char c : value) {
    if (c != '"' && static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  out += '"';
}

void FieldLine::number(int field, int64_t value) {
  slot(field) = std::to_string(value);
}

void FieldLine::raw(int field, std::string value) {
  slot(field) = std::move(value);
}

std::string FieldLine::joined(int count) const {
  std::string line;
  for (int field = 1; field <= count; ++field) {
    if (field > 1) line += ',';
    line += at(field);
  }
  return line;
}

std::string FieldLine::joinedWithTrailingComma(int count) const {
  std::string line;
  line.reserve(static_cast<size_t>(count) * 3);
  for (int field = 1; field <= count; ++field) {
    line += at(field);
    line += ',';
  }
  return line;
}

}  // namespace stridewell::gen
