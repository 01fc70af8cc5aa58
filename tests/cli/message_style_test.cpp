// Every message a command writes to standard error in its own words starts
// "stridewell COMMAND: error: " or "...: warning: ", as the messages of the
// shared interaction do. The commands' sources are read, so that a message
// added in the old style ("stridewell COMMAND: text", "ERROR: text") is
// caught even on a path no other test takes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;

struct Violation {
  std::string file;
  int line;
  std::string text;
};

// The lines of `source` that open a message in another style.
std::vector<Violation> oldStyleMessages(const std::string& file, const std::string& source) {
  // "stridewell card: ...", "stridewell sim delete: ...", and a prefix put
  // together from a variable: "stridewell dataset " << args[0] << ": ...".
  static const std::regex kFixed(
      R"re("stridewell(?: [a-z-]+)*: (?!error: |warning: |cancelled\\n|stopped))re");
  static const std::regex kBuilt(
      R"re("stridewell [a-z]+ " << [A-Za-z_.\[\]0-9]+ << ": (?!error: |warning: ))re");
  static const std::regex kCaption(R"re("(?:ERROR|Warning): )re");
  std::vector<Violation> found;
  std::istringstream in(source);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (std::regex_search(line, kFixed) || std::regex_search(line, kBuilt) ||
        std::regex_search(line, kCaption)) {
      found.push_back({file, number, line});
    }
  }
  return found;
}

TEST(MessageStyleTest, TheCheckTellsTheStylesApart) {
  const struct {
    const char* line;
    bool old;
  } kCases[] = {
      {R"(err << "stridewell card: no card file given\n";)", true},
      {R"(err << "stridewell sim delete: name the SIM\n";)", true},
      {R"(err << "stridewell dataset " << args[0] << ": give the name\n";)", true},
      {R"(err << "stridewell: " << input.error;)", true},
      {R"(err << "ERROR: " << text;)", true},
      {R"(err << "stridewell card: error: no card file given\n";)", false},
      {R"(err << "stridewell results: warning: " << name;)", false},
      {R"(err << "stridewell: error: unknown command";)", false},
      {R"(err << "stridewell dataset " << args[0] << ": error: give the name\n";)", false},
      {R"(err << "stridewell handicap: cancelled\n";)", false},
      {R"("Run 'stridewell help COMMAND' for the options of a command.\n")", false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(oldStyleMessages("x.cpp", c.line).size(), c.old ? 1u : 0u) << c.line;
  }
}

TEST(MessageStyleTest, EveryCommandWritesItsErrorsAndWarningsInOneStyle) {
  const fs::path folder = fs::path(STRIDEWELL_SOURCE_DIR) / "src" / "cli";
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".cpp") continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    for (const Violation& v : oldStyleMessages(entry.path().filename().string(), text.str())) {
      ADD_FAILURE() << v.file << ":" << v.line << ": a message not in the style "
                    << "\"stridewell COMMAND: error: \" / \"...: warning: \":\n"
                    << v.text;
    }
  }
  EXPECT_GT(files, 10);
}

}  // namespace
}  // namespace stridewell::cli
