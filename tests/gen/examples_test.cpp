// The files shipped in examples/ are what examples/README.md says made
// them; when the generator changes, this test says the examples must be
// made again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "base/process_runner.h"
#include "sample_generator.h"

namespace stridewell::gen {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Examples, ShippedFilesMatchTheirCommand) {
  const fs::path examples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";
  struct Set {
    const char* folder;
    SampleOptions options;
  };
  SampleOptions
      plain;  // stridewell-gen --track SA --start 2026-03-13 --days 3 --seed 42 --out examples/plain
  plain.track = "SA";
  plain.month = 3;
  plain.day = 13;
  plain.days = 3;
  plain.seed = 42;
  SampleOptions bad = plain;  // the same first day with line 17 spoiled, into examples/bad
  bad.days = 1;
  bad.badCheckLine = 17;
  const Set kSets[] = {{"plain", plain}, {"bad", bad}};
  for (const Set& set : kSets) {
    for (const SampleDay& day : generateSampleDays(set.options)) {
      const fs::path folder = examples / set.folder;
      SCOPED_TRACE((folder / day.baseName).string());
      ASSERT_TRUE(fs::exists(folder / (day.baseName + ".TCF"))) << "examples are missing";
      EXPECT_TRUE(fileText(folder / (day.baseName + ".TCF")) == day.cardText)
          << "examples/" << set.folder << " is out of date: make it again as examples/README.md says";
      EXPECT_TRUE(fileText(folder / (day.baseName + ".XRD")) == day.resultsText)
          << "examples/" << set.folder << " is out of date: make it again as examples/README.md says";
    }
  }
}

TEST(Examples, ZippedDayHoldsTheGeneratedFiles) {
  const fs::path folder = fs::path(STRIDEWELL_SOURCE_DIR) / "examples" / "zipped";
  // stridewell-gen --track SA --start 2026-03-16 --seed 42 --zip --out examples/zipped
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"SAX0316M.ZIP", "SAX0316X.ZIP"})) << "archives only";
  if (findProgram("unzip").empty()) GTEST_SKIP() << "unzip is not installed";
  SampleOptions options;
  options.track = "SA";
  options.month = 3;
  options.day = 16;
  options.seed = 42;
  const SampleDay day = generateSampleDays(options).at(0);
  struct Member {
    const char* archive;
    const char* member;
    const std::string* text;
  };
  for (const Member& m : {Member{"SAX0316M.ZIP", "SAX0316.TCF", &day.cardText},
                          Member{"SAX0316X.ZIP", "SAX0316.XRD", &day.resultsText}}) {
    ProcessRequest request;
    request.arguments = {"unzip", "-p", (folder / m.archive).string(), m.member};
    request.captureOutput = true;
    const ProcessResult result = runProcess(request);
    ASSERT_TRUE(result.succeeded()) << m.archive << ": " << result.message;
    EXPECT_TRUE(result.output == *m.text) << m.archive << " is out of date";
  }
}

}  // namespace
}  // namespace stridewell::gen
