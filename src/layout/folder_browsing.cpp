#include "layout/folder_browsing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/card_file_names.h"
#include "base/workspace.h"

namespace stridewell {
namespace {

// /proc/self/mounts writes a blank in a path as \040 (and tab, newline and
// backslash likewise, as three octal digits).
std::string unescapeMountPath(std::string_view text) {
  std::string path;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() &&
        std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    text.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      path += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
      i += 3;
    } else {
      path += text[i];
    }
  }
  return path;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string withoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// `folder` is `place` or lies below it.
bool holds(const std::string& place, const std::string& folder) {
  if (place == "/") return startsWith(folder, "/");
  return folder == place || (startsWith(folder, place) && folder[place.size()] == '/');
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The local path of a file:// URL ("file:///a%20b" and "file://localhost/a"
// give "/a b" and "/a"); any other text unchanged.
std::string localPathOfUrl(std::string_view text) {
  constexpr std::string_view kScheme = "file://";
  if (!startsWith(text, kScheme)) return std::string(text);
  std::string_view rest = text.substr(kScheme.size());
  if (startsWith(rest, "localhost/")) rest.remove_prefix(std::string_view("localhost").size());
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && hexDigit(rest[i + 1]) >= 0 && hexDigit(rest[i + 2]) >= 0) {
      path += static_cast<char>(hexDigit(rest[i + 1]) * 16 + hexDigit(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

std::string trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

// Empty when `folder` can be listed, else why not.
std::string folderProblem(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return "Cannot read folder " + folder + ": " + std::strerror(errno);
  ::closedir(dir);
  return {};
}

}  // namespace

TypedPath resolveTypedPath(std::string_view text, const std::string& shownFolder, const std::string& home) {
  std::string path = trimmed(text);
  if (path.size() >= 2 && (path.front() == '\'' || path.front() == '"') && path.back() == path.front()) {
    path = trimmed(std::string_view(path).substr(1, path.size() - 2));
  }
  path = localPathOfUrl(path);
  TypedPath typed;
  if (path.empty()) return typed;
  if (path == "~" || startsWith(path, "~/")) {
    path = home + path.substr(1);
  } else if (path.front() != '/') {
    path = joinPath(shownFolder, path);
  }
  // "a/./b/../c/" shows as "a/c", so that Up One Level goes where it says.
  path = withoutTrailingSlashes(std::filesystem::path(path).lexically_normal().string());

  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    typed.problem = "Cannot open " + path + ": " + std::strerror(errno);
    return typed;
  }
  if (S_ISDIR(info.st_mode)) {
    typed.problem = folderProblem(path);
    if (typed.problem.empty()) typed.folder = path;
    return typed;
  }
  std::string name(fileNameOf(path));
  if (!S_ISREG(info.st_mode) || !(isCardFileName(name) || isResultsFileName(name))) {
    typed.problem = path + " is neither a folder nor a card or results file";
    return typed;
  }
  if (::access(path.c_str(), R_OK) != 0) {
    typed.problem = "Cannot read " + path + ": " + std::strerror(errno);
    return typed;
  }
  const std::string folder = parentFolder(path);
  typed.problem = folderProblem(folder);
  if (!typed.problem.empty()) return typed;
  typed.folder = folder;
  typed.fileName = std::move(name);
  return typed;
}

std::vector<std::string> startingPlacesFrom(std::string_view mountsText, const std::string& home) {
  std::vector<std::string> places{"/"};
  auto addPlace = [&](std::string place) {
    place = withoutTrailingSlashes(std::move(place));
    if (!place.empty() && std::find(places.begin(), places.end(), place) == places.end()) {
      places.push_back(std::move(place));
    }
  };
  if (!home.empty()) addPlace(home);
  std::istringstream lines{std::string(mountsText)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string device, mountPoint;
    if (!(fields >> device >> mountPoint) || !startsWith(device, "/dev/")) continue;
    const std::string path = unescapeMountPath(mountPoint);
    if (startsWith(path, "/media/") || startsWith(path, "/mnt/") || startsWith(path, "/run/media/")) {
      addPlace(path);
    }
  }
  return places;
}

std::vector<std::string> startingPlaces() {
  std::ifstream mounts("/proc/self/mounts");
  std::stringstream text;
  if (mounts) text << mounts.rdbuf();
  return startingPlacesFrom(text.str(), homeFolder());
}

int placeHolding(const std::vector<std::string>& places, const std::string& folder) {
  const std::string wanted = withoutTrailingSlashes(folder);
  int best = 0;
  size_t bestLength = 0;
  for (size_t i = 0; i < places.size(); ++i) {
    if (holds(places[i], wanted) && places[i].size() > bestLength) {
      best = static_cast<int>(i);
      bestLength = places[i].size();
    }
  }
  return best;
}

std::string parentFolder(const std::string& folder) {
  const std::string path = withoutTrailingSlashes(folder);
  if (path == "/") return {};
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string nearestExistingFolder(const std::string& folder) {
  std::string shown = folder.empty() ? std::string("/") : folder;
  struct stat info {};
  while (!(::stat(shown.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) && !parentFolder(shown).empty()) {
    shown = parentFolder(shown);
  }
  return shown;
}

NewestCardSearch findNewestCardFolder(const std::string& root, const std::function<bool()>& keepGoing) {
  NewestCardSearch search;
  struct stat rootInfo {};
  if (::stat(root.c_str(), &rootInfo) != 0 || !S_ISDIR(rootInfo.st_mode)) return search;

  bool found = false;
  struct timespec newest {};
  unsigned entries = 0;
  // Folders still to walk; a stack rather than recursion, so that a deep
  // tree cannot exhaust the call stack or the open-folder limit.
  std::vector<std::string> pending{withoutTrailingSlashes(root)};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) continue;
    std::vector<std::string> below;
    while (const dirent* entry = ::readdir(dir)) {
      if (++entries % 8 == 0 && keepGoing && !keepGoing()) {
        ::closedir(dir);
        search.cancelled = true;
        return search;
      }
      const std::string name = entry->d_name;
      if (name.empty() || name[0] == '.') continue;  // ".", ".." and hidden entries
      const std::string path = joinPath(folder, name);
      struct stat info {};
      if (::lstat(path.c_str(), &info) != 0) continue;
      if (S_ISDIR(info.st_mode)) {
        if (info.st_dev == rootInfo.st_dev) below.push_back(path);
        continue;
      }
      if (S_ISLNK(info.st_mode) && (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))) continue;
      if (!S_ISREG(info.st_mode)) continue;
      std::string upper = name;
      if (!isCardFileName(upper)) continue;
      const struct timespec written = info.st_mtim;
      if (!found || written.tv_sec > newest.tv_sec ||
          (written.tv_sec == newest.tv_sec && written.tv_nsec > newest.tv_nsec)) {
        found = true;
        newest = written;
        search.folder = folder;
      }
    }
    ::closedir(dir);
    // Pushed in reverse so that subfolders are walked in listing order.
    pending.insert(pending.end(), below.rbegin(), below.rend());
  }
  return search;
}

}  // namespace stridewell
