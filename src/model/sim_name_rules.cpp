#include "model/sim_name_rules.h"

#include <filesystem>
#include <system_error>

#include "base/text_case.h"
#include "base/text_trim.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

}  // namespace

std::string trimSimName(std::string_view text) {
  return std::string(trimmed(text, kWhiteSpace));
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
    if (equalsIgnoreCase(fileName, wanted) && it->is_regular_file(typeError)) return true;
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
