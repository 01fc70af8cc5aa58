// The layer rules of src/: which folder may include which. The floors come
// from a small text file (lowest first, siblings on one line); the includes
// are read from the sources, so a rule broken anywhere shows by file and line.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace stridewell::layers {

// The floors, lowest first; folders on one floor are siblings.
struct LayerTable {
  std::vector<std::vector<std::string>> floors;

  // The floor of `folder`, or -1 when the table does not list it.
  int floorOf(const std::string& folder) const;
};

// Reads the table: one floor a line, folder names split by blanks, '#'
// starting a comment. False, with `problem` naming the file and line, when
// it cannot be read or names a folder twice.
bool readLayerTable(const std::filesystem::path& file, LayerTable& table, std::string& problem);

// One `#include "folder/..."` from a file of one folder into another.
struct FolderInclude {
  std::string file;  // relative to the source root
  int line = 0;
  std::string fromFolder;
  std::string toFolder;
  std::string header;  // as written between the quotes
};

// Every include of a header in another top-level folder of `sourceRoot`,
// from its .h and .cpp files, in path order.
std::vector<FolderInclude> readFolderIncludes(const std::filesystem::path& sourceRoot);

// The top-level folders of `sourceRoot` that hold sources.
std::vector<std::string> sourceFolders(const std::filesystem::path& sourceRoot);

// How many includes go from each folder to each other folder.
using FolderGraph = std::map<std::string, std::map<std::string, int>>;
FolderGraph folderGraph(const std::vector<FolderInclude>& includes);

// The folders that lie on a cycle together (each group sorted, groups in
// order of their first name); empty when the graph has none.
std::vector<std::vector<std::string>> folderCycles(const FolderGraph& graph);

// Everything wrong, one message a line: folders the table does not list,
// includes of a folder on the same floor or above (by file and line), and
// the cycles. Empty when the sources keep to the table.
std::vector<std::string> layerFindings(const LayerTable& table, const std::vector<std::string>& folders,
                                       const std::vector<FolderInclude>& includes);

}  // namespace stridewell::layers
