// Helpers for the archive and scratch-editor tests: files written and read
// whole, archives made with the real Info-ZIP zip, stand-in tools placed in
// a program folder (to make zip or unzip fail on purpose), a Workspace in a
// temporary folder, and running a piece of work as an unprivileged user so
// that a folder can be made unwritable even when the tests run as root.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/process_runner.h"
#include "base/workspace.h"

namespace stridewell::test {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  ASSERT_TRUE(out.good()) << path;
}

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::string readStream(std::istream& in) {
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the real zip with `arguments` after "zip"; true when it ended with 0.
inline bool runZip(const std::vector<std::string>& arguments, const std::string& folder = {}) {
  ProcessRequest request;
  request.arguments = {"zip"};
  request.arguments.insert(request.arguments.end(), arguments.begin(), arguments.end());
  request.workingFolder = folder;
  request.captureOutput = true;
  return runProcess(request).succeeded();
}

// Makes `archive` holding one member per (name, contents) pair, each under
// its plain name, with the real zip.
inline void makeArchive(const fs::path& archive,
                        const std::vector<std::pair<std::string, std::string>>& members) {
  const fs::path staging = archive.parent_path() / ("staging-" + archive.filename().string());
  fs::create_directories(staging);
  std::vector<std::string> arguments = {"-jq", archive.string()};
  for (const auto& [name, contents] : members) {
    writeFile(staging / name, contents);
    arguments.push_back((staging / name).string());
  }
  ASSERT_TRUE(runZip(arguments)) << archive;
  fs::remove_all(staging);
}

// The member names of an archive, as the real unzip lists them.
inline std::vector<std::string> archiveMembers(const fs::path& archive) {
  ProcessRequest request;
  request.arguments = {"unzip", "-Z1", archive.string()};
  request.captureOutput = true;
  const ProcessResult result = runProcess(request);
  std::vector<std::string> names;
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) names.push_back(line);
  return names;
}

// A stand-in for a tool in `programFolder`: a shell script that may run the
// real tool first and then ends with `exitCode`.
inline void writeTool(const fs::path& programFolder, const std::string& tool, bool runReal, int exitCode) {
  fs::create_directories(programFolder);
  std::string script = "#!/bin/sh\n";
  if (runReal) script += "'" + findProgram(tool) + "' \"$@\"\n";
  script += "exit " + std::to_string(exitCode) + "\n";
  writeFile(programFolder / tool, script);
  fs::permissions(programFolder / tool,
                  fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
}

// A Workspace under `base` with its UNZIP folder made.
inline Workspace makeWorkspace(const fs::path& base, const fs::path& programFolder = {}) {
  Workspace workspace = workspaceAt(programFolder.string(), base.string());
  fs::create_directories(workspace.unzip);
  return workspace;
}

// The names in `folder`, hidden ones included, sorted.
inline std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `work` in a child process as the user "nobody" (when the tests run
// as root, which may write anywhere) or as the current user, and gives back
// the text it returns; nothing when the user cannot be changed (the test
// should then skip). `work` runs after fork: it may use the code under test
// but not gtest.
inline std::optional<std::string> runUnprivileged(const std::function<std::string()>& work) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    ADD_FAILURE() << "pipe";
    return std::string();
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(77);
    const std::string text = work();
    [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], text.data(), text.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed";
  return text;
}

// While it lives, no file of this process (or the programs it starts) may
// grow beyond `bytes`: a full disk, as far as the writer can tell.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a write then fails with EFBIG instead of killing us
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
};

}  // namespace stridewell::test
