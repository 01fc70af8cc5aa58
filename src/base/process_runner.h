// Runs an external program (the archive tools zip and unzip) straight from an
// argument vector, never through a shell, so that file names with blanks or
// shell characters reach it verbatim. The call waits for the program to end
// and says how it ended; it throws nothing and may be called from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

struct ProcessRequest {
  // arguments[0] names the program: a bare name is looked up in the folders
  // of PATH, a name with a '/' is a path (relative to the caller's folder).
  std::vector<std::string> arguments;
  // Folder the program starts in; empty means the caller's current folder.
  std::string workingFolder;
  // Collect what the program writes to its standard output instead of
  // passing it through; at most kMaxCapturedOutput bytes are kept.
  bool captureOutput = false;
  // With captureOutput: collect its error output too, mixed in with the
  // standard output as it comes (for tools run out of sight, whose
  // complaints belong in our message rather than on the terminal).
  bool captureErrorOutput = false;
};

inline constexpr size_t kMaxCapturedOutput = 1 << 20;

struct ProcessResult {
  enum class Outcome {
    kExited,     // the program ran and ended by itself; exitCode holds its code
    kNotFound,   // no such program (or it is not executable)
    kSignalled,  // the program was ended by a signal; signal holds its number
    kFailed,     // it could not be started or waited for; see message
  };
  Outcome outcome = Outcome::kFailed;
  int exitCode = -1;
  int signal = 0;
  std::string output;   // standard output when captured
  std::string message;  // for the user when outcome is not kExited; names the program

  bool exited() const { return outcome == Outcome::kExited; }
  bool succeeded() const { return exited() && exitCode == 0; }
};

ProcessResult runProcess(const ProcessRequest& request);

// The path under which runProcess would start `program`, or empty when it
// cannot be found (or is not an executable file).
std::string findProgram(std::string_view program);

}  // namespace stridewell
