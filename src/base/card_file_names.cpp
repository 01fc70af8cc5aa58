#include "base/card_file_names.h"

#include "base/text_case.h"

namespace stridewell {
namespace {

constexpr std::string_view kArchiveExtension = ".ZIP";
// Three letters, four digits: the base name every archived file has.
constexpr size_t kArchivedBaseLength = 7;

bool isLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string_view fileNameOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view folderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

bool isArchivedFileName(std::string& name, const ArchivedFileKind& kind) {
  name = upperAscii(name);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string_view extension = std::string_view(name).substr(dot);
  if (extension == kind.extension) return true;
  if (extension != kArchiveExtension) return false;
  // The dot must follow the type letter directly: ABC1234MX.ZIP would list
  // as ABC1234.TCF, yet opening that name looks for ABC1234M.ZIP.
  if (dot != kArchivedBaseLength + 1) return false;
  for (size_t i = 0; i < 3; ++i) {
    if (!isLetter(name[i])) return false;
  }
  for (size_t i = 3; i < kArchivedBaseLength; ++i) {
    if (!isDigit(name[i])) return false;
  }
  if (name[kArchivedBaseLength] != kind.typeLetter) return false;
  name = name.substr(0, kArchivedBaseLength) + std::string(kind.extension);
  return true;
}

bool isCardFileName(std::string& name) {
  return isArchivedFileName(name, kCardFileKind);
}

bool isResultsFileName(std::string& name) {
  return isArchivedFileName(name, kResultsFileKind);
}

std::string archiveNameFor(std::string_view name, const ArchivedFileKind& kind) {
  const size_t dot = name.rfind('.');
  // Only a base name of exactly seven characters has an archive form: the
  // first seven of a longer name would pick the archive of another file.
  if (dot != kArchivedBaseLength || !equalsIgnoreCase(name.substr(dot), kind.extension)) return {};
  return upperAscii(name.substr(0, dot)) + kind.typeLetter + std::string(kArchiveExtension);
}

std::string plainPathFor(const std::string& path, const ArchivedFileKind& kind) {
  const std::string_view name = fileNameOf(path);
  if (name.size() < kArchiveExtension.size() ||
      !equalsIgnoreCase(name.substr(name.size() - kArchiveExtension.size()), kArchiveExtension)) {
    return path;
  }
  std::string converted(name);
  if (!isArchivedFileName(converted, kind)) return path;
  return path.substr(0, path.size() - name.size()) + converted;
}

}  // namespace stridewell
