#include "model/sim_name_rules.h"

#include <filesystem>
#include <system_error>

namespace stridewell {
namespace {

namespace fs = std::filesystem;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string trimSimName(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

bool hasForbiddenSimNameCharacter(std::string_view name) {
  return name.find_first_of(kForbiddenSimNameCharacters) != std::string_view::npos;
}

bool isReservedSimName(const std::string& programFolder, std::string_view name) {
  if (programFolder.empty() || name.empty()) return false;
  const std::string wanted = std::string(name) + std::string(kSimFileExtension);
  std::error_code error;
  for (fs::directory_iterator it(programFolder, error), end; !error && it != end; it.increment(error)) {
    const std::string fileName = it->path().filename().string();
    std::error_code typeError;
    if (sameIgnoringCase(fileName, wanted) && it->is_regular_file(typeError)) return true;
  }
  return false;
}

std::string simNameProblem(std::string_view name, SimNameUse use, const std::string& programFolder) {
  const std::string trimmed = trimSimName(name);
  if (trimmed.empty()) {
    return std::string(use == SimNameUse::kPrep ? kPrepBlankSimName : kRenameBlankSimName);
  }
  if (hasForbiddenSimNameCharacter(trimmed)) return std::string(kForbiddenSimNameMessage);
  if (isReservedSimName(programFolder, trimmed)) return std::string(kReservedSimNameMessage);
  return {};
}

}  // namespace stridewell
