#include "base/archive_tools.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/process_runner.h"
#include "base/workspace.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

// Given to unzip as the password: an encrypted archive then fails at once
// instead of unzip asking on the terminal, which would stop a run that
// nobody watches.
constexpr const char* kNoPassword = "stridewell-no-password";

// The names the archive and the members go by inside the private folder,
// so that nothing a user named reaches unzip (which reads wildcard
// characters even in the archive's own name).
constexpr const char* kPrivateArchive = "archive.zip";
constexpr const char* kPrivateOutput = "out";

// How much of a tool's output goes into a message.
constexpr size_t kMaxReportedOutput = 400;

std::string errorText(int error) {
  return std::strerror(error);
}

std::string absolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::error_code error;
  const fs::path here = fs::current_path(error);
  return error ? path : joinPath(here.string(), path);
}

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The last lines of a tool's output on one line, control characters
// replaced, for a message.
std::string outputSummary(std::string_view output) {
  std::string text;
  for (char c : output) {
    const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    if (!control) {
      text += c;
    } else if (!text.empty() && text.back() != ' ') {
      text += ' ';
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.size() > kMaxReportedOutput) text = "..." + text.substr(text.size() - kMaxReportedOutput);
  return text;
}

std::string toolFailure(std::string_view tool, int exitCode, const std::string& output) {
  std::string text = std::string(tool) + " ended with code " + std::to_string(exitCode);
  const std::string summary = outputSummary(output);
  if (!summary.empty()) text += " (" + summary + ")";
  return text;
}

std::string missingTool(std::string_view tool, const std::string& programFolder) {
  return "the program " + std::string(tool) + " is neither in " +
         (programFolder.empty() ? std::string("the program folder") : programFolder) + " nor on the PATH";
}

// A folder removed with everything in it when the object goes.
class PrivateFolder {
 public:
  // Creates a fresh folder in `parent`; path() is empty when that failed.
  explicit PrivateFolder(const std::string& parent) {
    std::string pattern = joinPath(parent, ".unzip-XXXXXX");
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    } else {
      error_ = errno;
    }
  }
  ~PrivateFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::string& path() const { return path_; }
  int error() const { return error_; }

 private:
  std::string path_;
  int error_ = 0;
};

// Makes `archive` reachable as `link`: a symbolic link costs nothing; a copy
// serves where links cannot be made.
bool linkOrCopy(const std::string& archive, const std::string& link, std::string& problem) {
  if (::symlink(archive.c_str(), link.c_str()) == 0) return true;
  std::error_code error;
  if (fs::copy_file(archive, link, error)) return true;
  problem = "cannot copy it to " + link + ": " + error.message();
  return false;
}

}  // namespace

bool runHidden(const std::vector<std::string>& arguments, const std::string& workingFolder, int& exitCode,
               std::string* output) {
  exitCode = -1;
  ProcessRequest request;
  request.arguments = arguments;
  request.workingFolder = workingFolder;
  request.captureOutput = true;
  request.captureErrorOutput = true;
  ProcessResult result = runProcess(request);
  if (!result.exited()) {
    if (output != nullptr) *output = std::move(result.message);
    return false;
  }
  exitCode = result.exitCode;
  if (output != nullptr) *output = std::move(result.output);
  return true;
}

std::string archiveToolPath(const std::string& programFolder, std::string_view tool) {
  if (!programFolder.empty()) {
    const std::string beside = joinPath(programFolder, std::string(tool));
    if (isExecutableFile(beside)) return absolutePath(beside);
  }
  return findProgram(tool);
}

bool unzipArchive(const std::string& programFolder, const std::string& workingFolder,
                  const std::string& archiveName, const std::string& destination, UnzipOutcome* outcome) {
  UnzipOutcome local;
  UnzipOutcome& result = outcome != nullptr ? *outcome : local;
  result = UnzipOutcome();
  const std::string archive = absolutePath(
      !archiveName.empty() && archiveName[0] == '/' ? archiveName : joinPath(workingFolder, archiveName));
  auto fail = [&](const std::string& why) {
    result.files.clear();
    result.problem = "Cannot unpack " + archive + ": " + why;
    return false;
  };

  struct stat info {};
  if (::stat(archive.c_str(), &info) != 0) return fail(errorText(errno));
  if (!S_ISREG(info.st_mode)) return fail("it is not a file");
  const std::string unzip = archiveToolPath(programFolder, "unzip");
  if (unzip.empty()) return fail(missingTool("unzip", programFolder));

  const PrivateFolder work(destination);
  if (work.path().empty()) {
    return fail("cannot create a folder in " + destination + ": " + errorText(work.error()));
  }
  std::string why;
  if (!linkOrCopy(archive, joinPath(work.path(), kPrivateArchive), why)) return fail(why);
  const std::string unpacked = joinPath(work.path(), kPrivateOutput);
  if (::mkdir(unpacked.c_str(), 0700) != 0) {
    return fail("cannot create " + unpacked + ": " + errorText(errno));
  }

  int exitCode = -1;
  std::string output;
  if (!runHidden({unzip, "-qq", "-o", "-j", "-P", kNoPassword, kPrivateArchive, "-d", kPrivateOutput},
                 work.path(), exitCode, &output)) {
    return fail(output);
  }
  // 1 means warnings only: the members are there.
  if (exitCode != 0 && exitCode != 1) return fail(toolFailure("unzip", exitCode, output));

  std::error_code error;
  for (fs::directory_iterator it(unpacked, error), end; !error && it != end; it.increment(error)) {
    // Only regular files: a link stored in an archive could point anywhere.
    std::error_code statusError;
    if (!fs::is_regular_file(it->symlink_status(statusError)) || statusError) continue;
    const std::string name = it->path().filename().string();
    const std::string target = joinPath(destination, name);
    if (::rename(it->path().c_str(), target.c_str()) != 0) {
      return fail("cannot move " + name + " into " + destination + ": " + errorText(errno));
    }
    result.files.push_back(name);
  }
  if (error) return fail("cannot list what it held: " + error.message());
  return true;
}

bool zipIntoArchive(const std::string& programFolder, const std::string& filePath,
                    const std::string& archivePath, std::string* problem) {
  const std::string archive = absolutePath(archivePath);
  auto fail = [&](const std::string& why) {
    if (problem != nullptr) *problem = "Cannot store " + filePath + " in " + archive + ": " + why;
    return false;
  };
  const std::string zip = archiveToolPath(programFolder, "zip");
  if (zip.empty()) return fail(missingTool("zip", programFolder));
  int exitCode = -1;
  std::string output;
  // -nw: no wildcards, so the file's name is taken as it is; both paths are
  // absolute, so neither can be read as an option.
  if (!runHidden({zip, "-j", "-q", "-nw", archive, "--", absolutePath(filePath)}, {}, exitCode, &output)) {
    return fail(output);
  }
  if (exitCode != 0) return fail(toolFailure("zip", exitCode, output));
  return true;
}

}  // namespace stridewell
