#include "base/settings_file.h"

#include "base/program_name.h"
#include "base/text_trim.h"

namespace stridewell {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendHexEscape(std::string& out, unsigned char c) {
  out += "\\x";
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0xF];
}

// The byte at `index` of `text` needs an escape in this kind of field.
bool needsHexEscape(std::string_view text, size_t index, SettingsField field) {
  const auto c = static_cast<unsigned char>(text[index]);
  if (c < 0x20 || c == 0x7F) return true;
  const bool atEdge = index == 0 || index + 1 == text.size();
  if (c == ' ' && atEdge) return true;  // the reader trims blanks at the edges
  switch (field) {
    case SettingsField::kSection:
      return c == ']';
    case SettingsField::kKey:
      // '=' ends the key; at the start of a line '[' opens a section and
      // ';' or '#' a comment.
      return c == '=' || (index == 0 && (c == '[' || c == ';' || c == '#'));
    case SettingsField::kValue:
      return false;
  }
  return false;
}

}  // namespace

std::string escapeSettingsField(std::string_view text, SettingsField field) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (c) {
      case '\\':
        out += "\\\\";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\t':
        out += "\\t";
        continue;
      default:
        break;
    }
    if (needsHexEscape(text, i, field)) {
      appendHexEscape(out, static_cast<unsigned char>(c));
    } else {
      out += c;
    }
  }
  return out;
}

bool unescapeSettingsField(std::string_view text, std::string& result) {
  result.clear();
  result.reserve(text.size());
  size_t plainFrom = 0;  // start of the run of plain bytes not yet copied
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    // A raw tab can come from a hand edit and is harmless; any other raw
    // control byte means the file holds something we never wrote.
    if ((c < 0x20 && c != '\t') || c == 0x7F) return false;
    if (c != '\\') continue;
    result.append(text.substr(plainFrom, i - plainFrom));
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        result += '\\';
        break;
      case 'n':
        result += '\n';
        break;
      case 'r':
        result += '\r';
        break;
      case 't':
        result += '\t';
        break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        result += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return false;
    }
    plainFrom = i + 1;
  }
  result.append(text.substr(plainFrom));
  return true;
}

SettingsParse parseSettingsText(std::string_view text) {
  SettingsParse parse;
  SettingsSection* current = nullptr;
  bool skippingSection = false;  // under a damaged header
  int lineNumber = 0;
  auto markBad = [&parse, &lineNumber] {
    if (parse.badLines++ == 0) parse.firstBadLine = lineNumber;
  };

  size_t start = 0;
  while (start < text.size()) {
    // Lines end at LF, CR LF or a CR on its own (a file saved by an old Mac
    // editor); a CR inside a value is always written escaped.
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    ++lineNumber;
    line = trimmed(line, kSpaceTab);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;

    if (line.front() == '[') {
      std::string name;
      const std::string_view inner =
          trimmed(line.substr(1, line.size() - 1 - (line.back() == ']' ? 1 : 0)), kSpaceTab);
      if (line.size() < 2 || line.back() != ']' || inner.find(']') != std::string_view::npos ||
          !unescapeSettingsField(inner, name) || name.empty()) {
        markBad();
        current = nullptr;
        skippingSection = true;
        continue;
      }
      current = &parse.sections[name];
      skippingSection = false;
      continue;
    }

    if (skippingSection) continue;
    const size_t equals = line.find('=');
    std::string key;
    std::string value;
    if (current == nullptr || equals == std::string_view::npos ||
        !unescapeSettingsField(trimmed(line.substr(0, equals), kSpaceTab), key) || key.empty() ||
        !unescapeSettingsField(trimmed(line.substr(equals + 1), kSpaceTab), value)) {
      markBad();
      continue;
    }
    (*current)[std::move(key)] = std::move(value);
  }
  return parse;
}

std::string settingsText(const SettingsSections& sections) {
  std::string text = "; " + std::string(kProgramName) + " settings, written by the program.\n";
  for (const auto& [name, keys] : sections) {
    text += '\n';
    text += '[';
    text += escapeSettingsField(name, SettingsField::kSection);
    text += "]\n";
    for (const auto& [key, value] : keys) {
      text += escapeSettingsField(key, SettingsField::kKey);
      text += '=';
      text += escapeSettingsField(value, SettingsField::kValue);
      text += '\n';
    }
  }
  return text;
}

}  // namespace stridewell
