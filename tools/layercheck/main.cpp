// stridewell-layercheck SOURCE_ROOT [--graph]: fails when a folder of
// SOURCE_ROOT includes a folder on its own floor or above (as
// SOURCE_ROOT/layers.txt sets them out), when folders include each other,
// or when a folder is on no floor. --graph prints who includes whom.
#include <cstdio>
#include <string>

#include "layer_rules.h"

int main(int argc, char** argv) {
  using namespace stridewell::layers;
  if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--graph")) {
    std::fprintf(stderr, "usage: stridewell-layercheck SOURCE_ROOT [--graph]\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  LayerTable table;
  std::string problem;
  if (!readLayerTable(root / "layers.txt", table, problem)) {
    std::fprintf(stderr, "stridewell-layercheck: %s\n", problem.c_str());
    return 2;
  }
  const std::vector<FolderInclude> includes = readFolderIncludes(root);
  if (argc == 3) {
    for (const auto& [from, edges] : folderGraph(includes)) {
      for (const auto& [to, count] : edges) std::printf("%s -> %s (%d)\n", from.c_str(), to.c_str(), count);
    }
  }
  const std::vector<std::string> findings = layerFindings(table, sourceFolders(root), includes);
  for (const std::string& finding : findings) std::fprintf(stderr, "%s\n", finding.c_str());
  if (!findings.empty()) return 1;
  std::printf("layers kept: %zu includes between folders, none upward\n", includes.size());
  return 0;
}
