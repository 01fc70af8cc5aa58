#include "layer_rules.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace stridewell::layers {

namespace fs = std::filesystem;

int LayerTable::floorOf(const std::string& folder) const {
  for (size_t i = 0; i < floors.size(); ++i) {
    if (std::find(floors[i].begin(), floors[i].end(), folder) != floors[i].end()) return static_cast<int>(i);
  }
  return -1;
}

bool readLayerTable(const fs::path& file, LayerTable& table, std::string& problem) {
  std::ifstream in(file);
  if (!in) {
    problem = file.string() + ": cannot be read";
    return false;
  }
  table.floors.clear();
  std::set<std::string> seen;
  std::string text;
  for (int lineNumber = 1; std::getline(in, text); ++lineNumber) {
    text = text.substr(0, text.find('#'));
    std::istringstream words(text);
    std::vector<std::string> floor;
    for (std::string folder; words >> folder;) {
      if (!seen.insert(folder).second) {
        problem = file.string() + ":" + std::to_string(lineNumber) + ": " + folder + " is listed twice";
        return false;
      }
      floor.push_back(folder);
    }
    if (!floor.empty()) table.floors.push_back(floor);
  }
  return true;
}

namespace {

bool isSource(const fs::path& path) {
  return path.extension() == ".h" || path.extension() == ".cpp";
}

// The folder named by `#include "folder/..."` on this line, or empty.
std::string includedFolder(const std::string& line, std::string& header) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return {};
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return {};
  i = line.find_first_not_of(" \t", i + 7);
  if (i == std::string::npos || line[i] != '"') return {};
  const size_t close = line.find('"', i + 1);
  if (close == std::string::npos) return {};
  header = line.substr(i + 1, close - i - 1);
  const size_t slash = header.find('/');
  return slash == std::string::npos ? std::string() : header.substr(0, slash);
}

}  // namespace

std::vector<std::string> sourceFolders(const fs::path& sourceRoot) {
  std::vector<std::string> folders;
  for (const fs::directory_entry& entry : fs::directory_iterator(sourceRoot)) {
    if (!entry.is_directory()) continue;
    for (const fs::directory_entry& file : fs::recursive_directory_iterator(entry.path())) {
      if (file.is_regular_file() && isSource(file.path())) {
        folders.push_back(entry.path().filename().string());
        break;
      }
    }
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

std::vector<FolderInclude> readFolderIncludes(const fs::path& sourceRoot) {
  const std::vector<std::string> folders = sourceFolders(sourceRoot);
  const std::set<std::string> known(folders.begin(), folders.end());
  std::vector<fs::path> files;
  for (const std::string& folder : folders) {
    for (const fs::directory_entry& file : fs::recursive_directory_iterator(sourceRoot / folder)) {
      if (file.is_regular_file() && isSource(file.path())) files.push_back(file.path());
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<FolderInclude> includes;
  for (const fs::path& path : files) {
    const fs::path relative = path.lexically_relative(sourceRoot);
    const std::string from = relative.begin()->string();
    std::ifstream in(path);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
      std::string header;
      const std::string to = includedFolder(line, header);
      if (to.empty() || to == from || known.count(to) == 0) continue;
      includes.push_back({relative.generic_string(), lineNumber, from, to, header});
    }
  }
  return includes;
}

FolderGraph folderGraph(const std::vector<FolderInclude>& includes) {
  FolderGraph graph;
  for (const FolderInclude& include : includes) ++graph[include.fromFolder][include.toFolder];
  return graph;
}

std::vector<std::vector<std::string>> folderCycles(const FolderGraph& graph) {
  // Tarjan's strongly connected components; a component of two or more
  // folders is a cycle (a folder never counts as including itself).
  std::map<std::string, int> index, low;
  std::vector<std::string> stack;
  std::set<std::string> onStack;
  std::vector<std::vector<std::string>> cycles;
  int next = 0;
  std::function<void(const std::string&)> visit = [&](const std::string& folder) {
    index[folder] = low[folder] = next++;
    stack.push_back(folder);
    onStack.insert(folder);
    const auto edges = graph.find(folder);
    if (edges != graph.end()) {
      for (const auto& [to, count] : edges->second) {
        if (index.count(to) == 0) {
          visit(to);
          low[folder] = std::min(low[folder], low[to]);
        } else if (onStack.count(to) != 0) {
          low[folder] = std::min(low[folder], index[to]);
        }
      }
    }
    if (low[folder] != index[folder]) return;
    std::vector<std::string> component;
    std::string member;
    do {
      member = stack.back();
      stack.pop_back();
      onStack.erase(member);
      component.push_back(member);
    } while (member != folder);
    if (component.size() > 1) {
      std::sort(component.begin(), component.end());
      cycles.push_back(component);
    }
  };
  for (const auto& [folder, edges] : graph) {
    if (index.count(folder) == 0) visit(folder);
  }
  std::sort(cycles.begin(), cycles.end());
  return cycles;
}

std::vector<std::string> layerFindings(const LayerTable& table, const std::vector<std::string>& folders,
                                       const std::vector<FolderInclude>& includes) {
  std::vector<std::string> findings;
  for (const std::string& folder : folders) {
    if (table.floorOf(folder) < 0) findings.push_back(folder + "/ is on no floor of the layer table");
  }
  for (const FolderInclude& include : includes) {
    const int from = table.floorOf(include.fromFolder);
    const int to = table.floorOf(include.toFolder);
    if (from < 0 || to < 0 || to < from) continue;
    findings.push_back(
        include.file + ":" + std::to_string(include.line) + ": includes \"" + include.header + "\", " +
        (to == from ? "a folder on its own floor" : "a floor above " + include.fromFolder + "/"));
  }
  for (const std::vector<std::string>& cycle : folderCycles(folderGraph(includes))) {
    std::string names;
    for (const std::string& folder : cycle) names += (names.empty() ? "" : ", ") + folder + "/";
    findings.push_back("folders that include each other: " + names);
  }
  return findings;
}

}  // namespace stridewell::layers
