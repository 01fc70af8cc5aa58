#include "model/sim_list.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/text_case.h"
#include "base/workspace.h"
#include "model/sim_map.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSimExtension = ".SIM";

// Case-blind order; names that differ only in case (possible on this file
// system) keep a fixed order between them.
bool lessIgnoringCase(const std::string& a, const std::string& b) {
  const bool less = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
  if (less || !equalsIgnoreCase(a, b)) return less;
  return a < b;
}

bool isReadableFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && ::access(path.c_str(), R_OK) == 0;
}

// The readable file `fileName` in `folder`, by its exact name or else by a
// name that differs only in letter case; empty when there is none.
std::string findFile(const std::string& folder, const std::string& fileName) {
  const std::string exact = joinPath(folder, fileName);
  if (isReadableFile(exact)) return exact;
  std::error_code error;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (equalsIgnoreCase(name, fileName) && isReadableFile(it->path())) return joinPath(folder, name);
  }
  return {};
}

}  // namespace

SimList fillSimList(const std::string& simFolder, bool withDefault) {
  SimList list;
  if (withDefault) {
    list.items.emplace_back(kDefaultSimName);
    list.fixedEntries = 1;
  }
  std::vector<std::string> names;
  std::error_code error;
  if (!simFolder.empty()) {
    for (fs::directory_iterator it(simFolder, error), end; !error && it != end; it.increment(error)) {
      std::error_code typeError;
      if (!it->is_regular_file(typeError)) continue;  // a folder called X.SIM is no SIM
      const std::string name = it->path().filename().string();
      if (name.size() < kSimExtension.size()) continue;
      const size_t stem = name.size() - kSimExtension.size();
      if (!equalsIgnoreCase(std::string_view(name).substr(stem), kSimExtension)) continue;
      if (stem > 0) names.push_back(name.substr(0, stem));
    }
  }
  std::sort(names.begin(), names.end(), lessIgnoringCase);
  for (std::string& name : names) list.items.push_back(std::move(name));
  list.count = static_cast<int>(list.items.size());
  if (list.items.empty()) list.items.emplace_back(kNoSimsPlaceholder);
  return list;
}

int selectSimByName(const std::vector<std::string>& items, std::string_view name, int selected) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (equalsIgnoreCase(items[i], name)) return static_cast<int>(i);
  }
  return selected;
}

std::string simWeightsPath(const Workspace& workspace, std::string_view name) {
  const std::string fileName = std::string(name) + std::string(kSimExtension);
  if (!workspace.programFolder.empty()) {
    std::string found = findFile(workspace.programFolder, fileName);
    if (!found.empty()) return found;
  }
  std::string found = findFile(workspace.sim, fileName);
  return found.empty() ? joinPath(workspace.sim, fileName) : found;
}

}  // namespace stridewell
