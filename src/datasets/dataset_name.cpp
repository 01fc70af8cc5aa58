#include "datasets/dataset_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/text_case.h"
#include "base/text_trim.h"
#include "base/workspace.h"
#include "datasets/append_journal.h"

namespace stridewell {

namespace {

// Case-insensitive order of the program's lists, with byte order breaking
// ties so that the result never depends on the folder's listing order.
bool listOrder(const std::string& a, const std::string& b) {
  const auto lowerLess = [](char x, char y) {
    return static_cast<unsigned char>(lowerAscii(x)) < static_cast<unsigned char>(lowerAscii(y));
  };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lowerLess)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lowerLess)) return false;
  return a < b;
}

}  // namespace

std::string trimDatasetName(std::string_view text) {
  return std::string(trimmed(text, kWhiteSpace));
}

bool hasForbiddenNameCharacter(std::string_view name) {
  return name.find_first_of(kForbiddenNameCharacters) != std::string_view::npos;
}

DatasetNameFault checkDatasetName(std::string_view text) {
  const std::string name = trimDatasetName(text);
  if (name.empty()) return DatasetNameFault::kEmpty;
  if (hasForbiddenNameCharacter(name)) return DatasetNameFault::kForbiddenCharacter;
  if (name == "." || name == "..") return DatasetNameFault::kDotName;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32 || c == 127) return DatasetNameFault::kControlCharacter;
  }
  if (name.size() >= kDatasetExtension.size()) {
    const std::string_view end = std::string_view(name).substr(name.size() - kDatasetExtension.size());
    if (equalsIgnoreCase(end, kDatasetExtension)) {
      return DatasetNameFault::kExtension;
    }
  }
  if (name.size() > kMaxDatasetNameBytes) return DatasetNameFault::kTooLong;
  return DatasetNameFault::kNone;
}

std::string datasetNameRefusal(DatasetNameFault fault, std::string_view subject) {
  std::string text(subject);
  switch (fault) {
    case DatasetNameFault::kNone:
      return {};
    case DatasetNameFault::kEmpty:
      return text + " cannot be blank.";
    case DatasetNameFault::kForbiddenCharacter:
      return text +
             " cannot contain any of the following characters: " + std::string(kForbiddenNameCharacters);
    case DatasetNameFault::kDotName:
      return text + " cannot be \".\" or \"..\".";
    case DatasetNameFault::kExtension:
      return text + " cannot end in \".DSI\"; the program adds that itself.";
    case DatasetNameFault::kControlCharacter:
      return text + " cannot contain control characters (tabs, line ends and the like).";
    case DatasetNameFault::kTooLong:
      return text + " is too long: at most " + std::to_string(kMaxDatasetNameBytes) + " bytes.";
  }
  return {};
}

std::string datasetPath(const Workspace& workspace, std::string_view name) {
  std::string file(name);
  file += kDatasetExtension;
  return joinPath(workspace.datasets, file);
}

std::vector<std::string> listDatasets(const Workspace& workspace) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  if (workspace.datasets.empty()) return names;
  recoverInterruptedAppends(workspace);
  std::error_code error;
  fs::directory_iterator it(workspace.datasets, error);
  if (error) return names;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) break;
    std::error_code statError;
    // is_regular_file follows links, so a link to a dataset counts and a
    // dangling link or a folder named "x.DSI" does not.
    if (!fs::is_regular_file(it->path(), statError)) continue;
    const std::string file = it->path().filename().string();
    if (file.size() <= kDatasetExtension.size() || !file.ends_with(kDatasetExtension)) continue;
    names.push_back(file.substr(0, file.size() - kDatasetExtension.size()));
  }
  std::sort(names.begin(), names.end(), listOrder);
  return names;
}

bool datasetExists(const Workspace& workspace, std::string_view name) {
  const std::string path = datasetPath(workspace, name);
  recoverInterruptedAppend(path);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not block
  if (fd < 0) return false;
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return regular;
}

bool sameDatasetName(std::string_view a, std::string_view b) {
  return equalsIgnoreCase(a, b);
}

}  // namespace stridewell
