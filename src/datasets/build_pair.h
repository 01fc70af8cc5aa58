// Pairs the card files of a folder with the results files of the same days
// for a dataset build: ABC0101.TCF goes with ABC0101.XRD. Names are the
// folder list's upper-case plain names, so names on disk in any letter case
// and archives (ABC0101M.ZIP, ABC0101X.ZIP) pair like plain files; the files
// are opened later by those names through the archive-aware open. Pure text
// work apart from the folder listing; safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/card_folder.h"

namespace stridewell {

struct FilePair {
  std::string cardName;     // ABC0101.TCF
  std::string resultsName;  // ABC0101.XRD
};

struct FolderPairing {
  // In the order of the folder's card table, which is the order the build
  // processes them in.
  std::vector<FilePair> pairs;
  // Files left without a partner: cards in card-table order, then results
  // in results-table order. They are shown, never processed.
  std::vector<std::string> unpairedCards;
  std::vector<std::string> unpairedResults;
  bool cut = false;     // the folder held more names than its tables keep
  std::string problem;  // the folder could not be read (names it); nothing paired

  size_t leftOverCount() const { return unpairedCards.size() + unpairedResults.size(); }
};

// The results name a card name pairs with: its last four characters (the
// ".TCF") replaced by ".XRD".
std::string resultsNameFor(std::string_view cardName);

// Pairs the tables of a listed folder: each card name, in table order, takes
// the first unpaired results name equal to resultsNameFor(card name); each
// name is paired at most once.
FolderPairing pairFolderFiles(const CardFolderList& list);

// Lists `folder` with listCardFolder and pairs what it holds.
FolderPairing pairCardFolder(const std::string& folder);

// The lines of the dialog's lists: "card    results" for a pair; for a
// left-over file its name in its column and eleven blanks in the other
// ("ABC0101.TCF" followed by four and then eleven blanks). Left-over lines
// come cards first, then results.
std::string pairLine(const FilePair& pair);
std::vector<std::string> leftOverLines(const FolderPairing& pairing);

}  // namespace stridewell
