#include "datasets/build_pair.h"

#include <deque>
#include <map>

namespace stridewell {
namespace {

constexpr std::string_view kColumnGap = "    ";
// A plain name is seven characters and its extension: eleven in all.
constexpr std::string_view kEmptyColumn = "           ";

}  // namespace

std::string resultsNameFor(std::string_view cardName) {
  const std::string_view base = cardName.substr(0, cardName.size() >= 4 ? cardName.size() - 4 : 0);
  return std::string(base) + ".XRD";
}

FolderPairing pairFolderFiles(const CardFolderList& list) {
  FolderPairing pairing;
  pairing.cut = list.cut;
  pairing.problem = list.problem;
  // The unpaired positions of each results name, in table order; the folder
  // list never repeats a name, but nothing here relies on that.
  std::map<std::string_view, std::deque<size_t>> unpaired;
  for (size_t i = 0; i < list.resultsFiles.size(); ++i) unpaired[list.resultsFiles[i]].push_back(i);
  std::vector<bool> resultsPaired(list.resultsFiles.size(), false);

  for (const std::string& card : list.cardFiles) {
    const auto found = unpaired.find(resultsNameFor(card));
    if (found == unpaired.end() || found->second.empty()) {
      pairing.unpairedCards.push_back(card);
      continue;
    }
    const size_t index = found->second.front();
    found->second.pop_front();
    resultsPaired[index] = true;
    pairing.pairs.push_back({card, list.resultsFiles[index]});
  }
  for (size_t i = 0; i < list.resultsFiles.size(); ++i) {
    if (!resultsPaired[i]) pairing.unpairedResults.push_back(list.resultsFiles[i]);
  }
  return pairing;
}

FolderPairing pairCardFolder(const std::string& folder) {
  return pairFolderFiles(listCardFolder(folder));
}

std::string pairLine(const FilePair& pair) {
  return pair.cardName + std::string(kColumnGap) + pair.resultsName;
}

std::vector<std::string> leftOverLines(const FolderPairing& pairing) {
  std::vector<std::string> lines;
  lines.reserve(pairing.leftOverCount());
  for (const std::string& card : pairing.unpairedCards) {
    lines.push_back(card + std::string(kColumnGap) + std::string(kEmptyColumn));
  }
  for (const std::string& results : pairing.unpairedResults) {
    lines.push_back(std::string(kEmptyColumn) + std::string(kColumnGap) + results);
  }
  return lines;
}

}  // namespace stridewell
