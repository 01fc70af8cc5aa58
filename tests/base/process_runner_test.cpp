// Running external programs without a shell: exit codes, programs that do
// not exist or are killed, the working folder, captured output, and
// arguments that reach the program exactly as given.
#include "base/process_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

using Outcome = ProcessResult::Outcome;

using test::TempFolder;

ProcessResult run(std::vector<std::string> arguments, std::string folder = {}, bool capture = true) {
  ProcessRequest request;
  request.arguments = std::move(arguments);
  request.workingFolder = std::move(folder);
  request.captureOutput = capture;
  return runProcess(request);
}

TEST(ProcessRunner, ReportsTheExitCode) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
  };
  const Case kCases[] = {
      {{"true"}, 0},
      {{"false"}, 1},
      {{"sh", "-c", "exit 7"}, 7},
      {{"sh", "-c", "exit 255"}, 255},
      {{"/bin/sh", "-c", "exit 3"}, 3},
  };
  for (const Case& c : kCases) {
    const ProcessResult result = run(c.arguments);
    ASSERT_EQ(result.outcome, Outcome::kExited) << c.arguments.back() << ": " << result.message;
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.back();
    EXPECT_EQ(result.succeeded(), c.exitCode == 0);
  }
}

TEST(ProcessRunner, MissingProgramsAreNamed) {
  TempFolder temp;
  const fs::path notExecutable = temp.path() / "data.txt";
  std::ofstream(notExecutable) << "echo hello\n";
  struct Case {
    std::string program;
    Outcome outcome;
  };
  const Case kCases[] = {
      {"stridewell-no-such-program", Outcome::kNotFound},
      {"/no/such/folder/zip", Outcome::kNotFound},
      {notExecutable.string(), Outcome::kNotFound},
      {temp.path().string(), Outcome::kNotFound},  // a folder is no program
  };
  for (const Case& c : kCases) {
    const ProcessResult result = run({c.program, "-l"});
    EXPECT_EQ(result.outcome, c.outcome) << c.program;
    EXPECT_FALSE(result.exited());
    EXPECT_NE(result.message.find(c.program), std::string::npos) << result.message;
    EXPECT_TRUE(findProgram(c.program).empty()) << c.program;
  }
  const ProcessResult empty = run({});
  EXPECT_EQ(empty.outcome, Outcome::kFailed);
  EXPECT_FALSE(empty.message.empty());
  EXPECT_FALSE(findProgram("sh").empty());
}

TEST(ProcessRunner, ProgramsKilledBySignalAreReportedAsSuch) {
  const ProcessResult result = run({"sh", "-c", "kill -TERM $$"});
  EXPECT_EQ(result.outcome, Outcome::kSignalled);
  EXPECT_EQ(result.signal, SIGTERM);
  EXPECT_FALSE(result.succeeded());
  EXPECT_NE(result.message.find("SIGTERM"), std::string::npos) << result.message;
}

TEST(ProcessRunner, StartsInTheWorkingFolder) {
  TempFolder temp;
  const std::string folder = fs::canonical(temp.path()).string();
  const ProcessResult inFolder = run({"pwd", "-P"}, folder);
  ASSERT_TRUE(inFolder.succeeded()) << inFolder.message;
  EXPECT_EQ(inFolder.output, folder + "\n");

  // Without one it starts where the caller is.
  const ProcessResult here = run({"pwd", "-P"});
  ASSERT_TRUE(here.succeeded()) << here.message;
  EXPECT_EQ(here.output, fs::canonical(fs::current_path()).string() + "\n");

  // A relative file name is taken in the working folder.
  std::ofstream(temp.path() / "member.txt") << "inside";
  const ProcessResult cat = run({"cat", "member.txt"}, folder);
  ASSERT_TRUE(cat.succeeded()) << cat.message;
  EXPECT_EQ(cat.output, "inside");

  const std::string missing = (temp.path() / "no-such-folder").string();
  const ProcessResult failed = run({"true"}, missing);
  EXPECT_EQ(failed.outcome, Outcome::kFailed);
  EXPECT_NE(failed.message.find(missing), std::string::npos) << failed.message;
}

TEST(ProcessRunner, ArgumentsReachTheProgramVerbatim) {
  // No shell sees these: blanks, quotes, globs, variables and separators
  // stay as they are, and an empty argument stays an argument.
  const std::vector<std::string> arguments = {
      "two words",
      "semi;colon",
      "$HOME",
      "*",
      "a|b",
      "back`tick`",
      "quote\"s",
      "single'quote",
      "back\\slash",
      "",
      "  leading and trailing  ",
      "> out.txt",
      "$(echo no)",
      "&&",
      "#hash",
  };
  std::vector<std::string> command = {"printf", "[%s]\\n"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const ProcessResult result = run(command);
  ASSERT_TRUE(result.succeeded()) << result.message;
  std::string expected;
  for (const std::string& argument : arguments) expected += "[" + argument + "]\n";
  EXPECT_EQ(result.output, expected);
}

TEST(ProcessRunner, OutputIsPassedThroughUnlessCaptured) {
  const ProcessResult result = run({"sh", "-c", "exit 0"}, {}, false);
  EXPECT_TRUE(result.succeeded());
  EXPECT_EQ(result.output, "");
}

TEST(ProcessRunner, LargeOutputIsCappedWithoutBlockingTheProgram) {
  // The program writes more than the cap; it must still run to its end.
  const ProcessResult result = run({"head", "-c", std::to_string(kMaxCapturedOutput + 300000), "/dev/zero"});
  ASSERT_TRUE(result.succeeded()) << result.message;
  EXPECT_EQ(result.output.size(), kMaxCapturedOutput);
}

#if defined(__linux__)
TEST(ProcessRunner, TheProgramInheritsNoOpenFilesBeyondTheStandardThree) {
  // Deliberately without close-on-exec, and high enough that the shell
  // would not open it for itself.
  const int opened = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(opened, 3);
  const int fd = ::fcntl(opened, F_DUPFD, 60);
  ::close(opened);
  ASSERT_GE(fd, 60);
  const ProcessResult result = run({"sh", "-c", "test -e /proc/self/fd/" + std::to_string(fd)});
  ::close(fd);
  ASSERT_TRUE(result.exited()) << result.message;
  EXPECT_EQ(result.exitCode, 1) << "descriptor " << fd << " leaked into the child";
}
#endif

}  // namespace
}  // namespace stridewell
