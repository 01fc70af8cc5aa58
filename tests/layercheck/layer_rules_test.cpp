#include "layer_rules.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_folder.h"

namespace stridewell::layers {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& root, const std::string& name, const std::string& text) {
  const fs::path path = root / name;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::app) << text;
}

// A small source tree: three floors, the middle one with two siblings.
void writeTree(const fs::path& root) {
  write(root, "layers.txt", "# lowest first\nbase\nformats algorithms  # siblings\nfront\n");
  write(root, "base/files.h", "#pragma once\n#include <string>\n");
  write(root, "formats/reader.h", "#pragma once\n#include \"base/files.h\"\n");
  write(root, "algorithms/score.cpp", "#include \"algorithms/score.h\"\n#include \"base/files.h\"\n");
  write(root, "algorithms/score.h", "#pragma once\n");
  write(root, "front/main.cpp", "#include \"formats/reader.h\"\n#include \"algorithms/score.h\"\n");
}

std::vector<std::string> findingsIn(const fs::path& root) {
  LayerTable table;
  std::string problem;
  EXPECT_TRUE(readLayerTable(root / "layers.txt", table, problem)) << problem;
  return layerFindings(table, sourceFolders(root), readFolderIncludes(root));
}

class LayerTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { writeTree(root()); }
  const fs::path& root() const { return folder_.path(); }
  test::TempFolder folder_;
};

TEST_F(LayerTreeTest, TreeThatKeepsToItsFloorsPasses) {
  EXPECT_EQ(findingsIn(root()), std::vector<std::string>());
  const FolderGraph graph = folderGraph(readFolderIncludes(root()));
  EXPECT_EQ(graph.at("front").at("formats"), 1);
  EXPECT_EQ(graph.at("algorithms").at("base"), 1);
  EXPECT_EQ(graph.count("base"), 0u);  // includes of the standard library do not count
}

TEST(LayerTree, PlantedIncludeThatBreaksTheFloorsIsNamedByFileAndLine) {
  struct Case {
    const char* file;
    const char* line;
    const char* finding;
  };
  const Case cases[] = {
      {"base/files.h", "#include \"front/main.h\"\n",
       "base/files.h:3: includes \"front/main.h\", a floor above base/"},
      {"formats/reader.h", "  #  include \"algorithms/score.h\"\n",
       "formats/reader.h:3: includes \"algorithms/score.h\", a folder on its own floor"},
  };
  for (const Case& c : cases) {
    test::TempFolder folder;
    writeTree(folder.path());
    write(folder.path(), c.file, c.line);
    const std::vector<std::string> found = findingsIn(folder.path());
    ASSERT_FALSE(found.empty()) << c.file;
    EXPECT_EQ(found.front(), c.finding);
  }
}

TEST_F(LayerTreeTest, FoldersThatIncludeEachOtherAreACycle) {
  write(root(), "base/files.cpp", "#include \"formats/reader.h\"\n");
  const std::vector<std::string> found = findingsIn(root());
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], "base/files.cpp:1: includes \"formats/reader.h\", a floor above base/");
  EXPECT_EQ(found[1], "folders that include each other: base/, formats/");
}

TEST_F(LayerTreeTest, CyclesAreFoundWithoutAnyTable) {
  FolderGraph graph;
  graph["a"]["b"] = 1;
  graph["b"]["c"] = 2;
  graph["c"]["a"] = 1;
  graph["c"]["d"] = 1;
  graph["d"]["e"] = 1;
  EXPECT_EQ(folderCycles(graph), (std::vector<std::vector<std::string>>{{"a", "b", "c"}}));
  graph["e"]["d"] = 1;
  EXPECT_EQ(folderCycles(graph), (std::vector<std::vector<std::string>>{{"a", "b", "c"}, {"d", "e"}}));
}

TEST_F(LayerTreeTest, FolderOnNoFloorAndDamagedTablesAreRefused) {
  write(root(), "extra/thing.cpp", "int x;\n");
  EXPECT_EQ(findingsIn(root()), std::vector<std::string>{"extra/ is on no floor of the layer table"});

  write(root(), "layers.txt", "front\n");
  LayerTable table;
  std::string problem;
  EXPECT_FALSE(readLayerTable(root() / "layers.txt", table, problem));
  EXPECT_NE(problem.find("layers.txt:5: front is listed twice"), std::string::npos) << problem;
  EXPECT_FALSE(readLayerTable(root() / "missing.txt", table, problem));
  EXPECT_NE(problem.find("missing.txt: cannot be read"), std::string::npos) << problem;
}

// The program's own sources keep to their floors.
TEST(ProgramLayers, SourcesKeepToTheirFloors) {
  const fs::path root = fs::path(STRIDEWELL_SOURCE_DIR) / "src";
  LayerTable table;
  std::string problem;
  ASSERT_TRUE(readLayerTable(root / "layers.txt", table, problem)) << problem;
  const std::vector<FolderInclude> includes = readFolderIncludes(root);
  EXPECT_GT(includes.size(), 100u);
  EXPECT_EQ(layerFindings(table, sourceFolders(root), includes), std::vector<std::string>());
}

}  // namespace
}  // namespace stridewell::layers
