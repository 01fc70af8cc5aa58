#include "base/process_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#if defined(__linux__) && __has_include(<linux/close_range.h>)
#include <linux/close_range.h>
#endif

namespace stridewell {
namespace {

// What the child tells the parent through the error pipe when it cannot get
// as far as running the program; nothing arrives when exec succeeds, because
// the pipe closes on exec.
struct ChildFailure {
  int stage;  // kStageChdir or kStageExec
  int error;  // errno
};
constexpr int kStageChdir = 1;
constexpr int kStageExec = 2;

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string currentFolder() {
  std::string folder(4096, '\0');
  if (::getcwd(folder.data(), folder.size()) == nullptr) return ".";
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

// Relative paths are made absolute against the caller's folder, so that a
// working folder for the child does not change which program runs.
std::string absolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return currentFolder() + "/" + path;
}

std::string errorText(int error) {
  char buffer[256] = {};
  // The GNU strerror_r may return a static string instead of filling buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
  return ::strerror_r(error, buffer, sizeof buffer);
#else
  if (::strerror_r(error, buffer, sizeof buffer) != 0) return "error " + std::to_string(error);
  return buffer;
#endif
}

std::string signalName(int signal) {
  switch (signal) {
    case SIGHUP:
      return "SIGHUP";
    case SIGINT:
      return "SIGINT";
    case SIGQUIT:
      return "SIGQUIT";
    case SIGILL:
      return "SIGILL";
    case SIGABRT:
      return "SIGABRT";
    case SIGFPE:
      return "SIGFPE";
    case SIGKILL:
      return "SIGKILL";
    case SIGSEGV:
      return "SIGSEGV";
    case SIGPIPE:
      return "SIGPIPE";
    case SIGALRM:
      return "SIGALRM";
    case SIGTERM:
      return "SIGTERM";
    case SIGBUS:
      return "SIGBUS";
    default:
      return "signal " + std::to_string(signal);
  }
}

ssize_t readRetrying(int fd, void* buffer, size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

void closeIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

ProcessResult failure(ProcessResult::Outcome outcome, std::string message) {
  ProcessResult result;
  result.outcome = outcome;
  result.message = std::move(message);
  return result;
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void runChild(const char* path, char* const* argv, const char* folder, int errorFd, int outputFd,
                           bool errorOutputToo) {
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  if (outputFd >= 0) ::dup2(outputFd, STDOUT_FILENO);
  if (outputFd >= 0 && errorOutputToo) ::dup2(outputFd, STDERR_FILENO);
#if defined(SYS_close_range) && defined(CLOSE_RANGE_CLOEXEC)
  // The child inherits no descriptors of ours beyond the standard three.
  ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
  ChildFailure failed{};
  if (folder != nullptr && ::chdir(folder) != 0) {
    failed = {kStageChdir, errno};
  } else {
    ::execv(path, argv);
    failed = {kStageExec, errno};
  }
  [[maybe_unused]] ssize_t ignored = ::write(errorFd, &failed, sizeof failed);
  ::_exit(127);
}

}  // namespace

std::string findProgram(std::string_view program) {
  if (program.empty()) return {};
  const std::string name(program);
  if (name.find('/') != std::string::npos) {
    const std::string path = absolutePath(name);
    return isExecutableFile(path) ? path : std::string();
  }
  const char* pathVariable = std::getenv("PATH");
  const std::string folders = pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = folders.find(':', start);
    std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (folder.empty()) folder.assign(1, '.');  // an empty PATH entry is the current folder
    const std::string candidate = absolutePath(folder + "/" + name);
    if (isExecutableFile(candidate)) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

ProcessResult runProcess(const ProcessRequest& request) {
  using Outcome = ProcessResult::Outcome;
  if (request.arguments.empty() || request.arguments[0].empty()) {
    return failure(Outcome::kFailed, "no program was given to run");
  }
  const std::string& program = request.arguments[0];
  const std::string path = findProgram(program);
  if (path.empty()) {
    if (program.find('/') != std::string::npos) {
      return failure(Outcome::kNotFound, program + ": no executable file of that name");
    }
    return failure(Outcome::kNotFound, program + ": program not found on PATH");
  }

  // Everything the child needs is prepared here: it may not allocate.
  std::vector<std::string> arguments = request.arguments;
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const char* folder = request.workingFolder.empty() ? nullptr : request.workingFolder.c_str();

  int errorPipe[2] = {-1, -1};
  int outputPipe[2] = {-1, -1};
  if (::pipe2(errorPipe, O_CLOEXEC) != 0 || (request.captureOutput && ::pipe2(outputPipe, O_CLOEXEC) != 0)) {
    const int error = errno;
    closeIfOpen(errorPipe[0]);
    closeIfOpen(errorPipe[1]);
    return failure(Outcome::kFailed, program + ": cannot start it: " + errorText(error));
  }

  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    for (int* fd : {&errorPipe[0], &errorPipe[1], &outputPipe[0], &outputPipe[1]}) closeIfOpen(*fd);
    return failure(Outcome::kFailed, program + ": cannot start it: " + errorText(error));
  }
  if (child == 0) {
    runChild(path.c_str(), argv.data(), folder, errorPipe[1], outputPipe[1], request.captureErrorOutput);
  }

  closeIfOpen(errorPipe[1]);
  closeIfOpen(outputPipe[1]);

  ChildFailure childFailure{};
  size_t failureBytes = 0;
  for (;;) {
    const ssize_t got = readRetrying(errorPipe[0], reinterpret_cast<char*>(&childFailure) + failureBytes,
                                     sizeof childFailure - failureBytes);
    if (got <= 0) break;
    failureBytes += static_cast<size_t>(got);
    if (failureBytes == sizeof childFailure) break;
  }
  closeIfOpen(errorPipe[0]);

  ProcessResult result;
  if (outputPipe[0] >= 0) {
    // Drain to the end even past the cap, so the child never blocks on a full pipe.
    char buffer[8192];
    for (;;) {
      const ssize_t got = readRetrying(outputPipe[0], buffer, sizeof buffer);
      if (got <= 0) break;
      const size_t room = kMaxCapturedOutput - result.output.size();
      result.output.append(buffer, std::min(room, static_cast<size_t>(got)));
    }
    closeIfOpen(outputPipe[0]);
  }

  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited < 0) {
    return failure(Outcome::kFailed, program + ": cannot wait for it to end: " + errorText(errno));
  }

  if (failureBytes == sizeof childFailure) {
    if (childFailure.stage == kStageChdir) {
      return failure(Outcome::kFailed, program + ": cannot start it in folder " + request.workingFolder +
                                           ": " + errorText(childFailure.error));
    }
    const bool missing =
        childFailure.error == ENOENT || childFailure.error == ENOTDIR || childFailure.error == EACCES;
    return failure(missing ? Outcome::kNotFound : Outcome::kFailed,
                   program + ": cannot run it: " + errorText(childFailure.error));
  }

  if (WIFEXITED(status)) {
    result.outcome = Outcome::kExited;
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.outcome = Outcome::kSignalled;
    result.signal = WTERMSIG(status);
    result.message = program + ": ended by " + signalName(result.signal);
  } else {
    result.outcome = Outcome::kFailed;
    result.message = program + ": ended in an unknown way";
  }
  return result;
}

}  // namespace stridewell
