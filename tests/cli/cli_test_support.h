// Helpers for the command-line tests: card and results lines built by field
// number (card lines get their 1495 separator commas and check code), files
// in the test's temporary folder, and a way to run a command in-process and
// capture its streams and exit status.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "race/check_code.h"

namespace stridewell::cli::test {

// Fields set by number; everything else empty.
class FieldLine {
 public:
  FieldLine& set(int field, std::string text) {
    fields_[field] = std::move(text);
    return *this;
  }

  // A card line: fields 1..1495, the comma after field 1495, filler and check code.
  std::string cardLine() const {
    std::string line = joined(kCheckCodeComma);
    line += ',';
    appendCheckCode(line);
    return line;
  }

  // A results line: fields 1..104 joined by commas (results lines carry no check code).
  std::string resultsLine() const { return joined(104); }

 private:
  std::string joined(int lastField) const {
    std::string line;
    for (int field = 1; field <= lastField; ++field) {
      if (field > 1) line += ',';
      const auto found = fields_.find(field);
      if (found != fields_.end()) line += found->second;
    }
    return line;
  }

  std::map<int, std::string> fields_;
};

inline std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// A file in the test's temporary folder, removed when the test is done.
class TempFile {
 public:
  TempFile(std::string_view name, const std::string& contents) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::path(::testing::TempDir()) /
            (std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::string(name));
    std::ofstream out(path_, std::ios::binary);
    out << contents;
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

inline CommandRun runCommand(const Command& command, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = command.execute(args, out, err);
  return {status, out.str(), err.str()};
}

// The lines of `text` that contain `needle`.
inline std::vector<std::string> linesWith(const std::string& text, std::string_view needle) {
  std::vector<std::string> found;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.find(needle) != std::string::npos) found.push_back(line);
  }
  return found;
}

// The one line of `text` that contains `needle`; fails the test when there
// is not exactly one.
inline std::string lineWith(const std::string& text, std::string_view needle) {
  const std::vector<std::string> found = linesWith(text, needle);
  EXPECT_EQ(found.size(), 1u) << "lines with '" << needle << "' in:\n" << text;
  return found.empty() ? std::string() : found.front();
}

// The whole number after `label` on the one line of `text` that starts
// with it; -1 when the line has nothing after the label.
inline int countAfter(const std::string& text, const std::string& label) {
  const std::string line = lineWith(text, label);
  return line.size() > label.size() ? std::stoi(line.substr(label.size())) : -1;
}

// Runs `command` on `lfText` as written with LF line ends and again with
// CR LF and with lone CR line ends (files named `name`), and checks that the
// output is the same each time but for the file's path.
inline void expectSameOutputForEveryLineEnd(const Command& command, const std::string& lfText,
                                            std::string_view name) {
  const TempFile plain(std::string("LF-") + std::string(name), lfText);
  const CommandRun expected = runCommand(command, {plain.path()});
  ASSERT_EQ(expected.status, 0) << expected.err;
  const std::string expectedOutput = expected.out.substr(expected.out.find('\n'));
  for (const char* end : {"\r\n", "\r"}) {
    std::string text;
    for (char c : lfText) text += c == '\n' ? std::string(end) : std::string(1, c);
    const TempFile file(name, text);
    const CommandRun r = runCommand(command, {file.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::string output = r.out.substr(r.out.find('\n'));
    const std::string path = file.path();
    for (size_t at; (at = output.find(path)) != std::string::npos;)
      output.replace(at, path.size(), plain.path());
    EXPECT_EQ(output, expectedOutput) << (end[1] != '\0' ? "CR LF" : "CR");
  }
}

}  // namespace stridewell::cli::test
