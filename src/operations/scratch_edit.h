// The scratch editor's work without its window: a card file, plain or from
// its archive, becomes one item per horse line, and saving writes the
// chosen marks into field 5 of every line and puts the file back where it
// came from. One caller at a time per card.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace stridewell {

class UserInteraction;
struct Workspace;

// The messages the editor gives (as errors); a second line says what
// exactly went wrong and names the file.
inline constexpr std::string_view kFileInvalidText = "File is invalid.";
inline constexpr std::string_view kSaveErrorText = "Error during save";
inline constexpr std::string_view kRezipErrorText = "Error during re-zip.";

// Lines longer than this are refused rather than held in memory; card lines
// run to a few thousand characters.
inline constexpr size_t kMaxScratchLineLength = 1 << 20;

struct ScratchItem {
  std::string text;           // "R%-2s %3s %s" of race, program number and name: "R1   1A DANCER"
  std::string raceNumber;     // field 3
  std::string programNumber;  // field 1140
  std::string horseName;      // field 13
  bool scratched = false;     // checked: field 5 reads S (in any case)
  // The horse has no program number while others on the card have one; its
  // mark cannot be changed here and is written back as it was.
  bool locked = false;
};

struct ScratchCard {
  std::string cardPath;  // as the caller named it
  // The plain file on disk, or the copy unpacked into UNZIP; set as soon as
  // the card opened, so that it tells a card that could not be opened (empty)
  // from one that proved invalid.
  std::string sourcePath;
  std::string archivePath;         // the archive the card came from; empty for a plain file
  std::vector<ScratchItem> items;  // one per non-empty line, in file order
};

// Reads the card into `card`. False, after an error to `ui`, when the card
// cannot be opened or read, or a line fails its check ("File is invalid.").
bool loadScratchCard(const std::string& cardPath, const Workspace& workspace, UserInteraction& ui,
                     ScratchCard& card);

// Checks or unchecks item `index`. False, nothing changed, for a locked item
// or an index out of range.
bool setScratched(ScratchCard& card, size_t index, bool scratched);

// Writes the card back with every item's mark: the plain file is replaced,
// or the card is stored back into its archive. False, after an error to
// `ui`, when anything fails: "Error during save" leaves every file as it
// was; "Error during re-zip." leaves the archive as it was. A card whose
// lines no longer match the items (changed by someone else since it was
// loaded) is not written.
// Only field 5 changes; the check code, which covers fields 11 to 200,
// stays valid. The new text goes to a temporary file that replaces the old
// one only when complete.
bool saveScratchCard(const ScratchCard& card, const Workspace& workspace, UserInteraction& ui,
                     FileSystem& fileSystem = realFileSystem());

// `line` with field 5 rewritten: "S" in double quotes when scratched;
// otherwise the old mark in upper case, or nothing when it held an S.
// Everything else stays byte for byte. A line with fewer than five fields is
// returned unchanged.
std::string withScratchMark(std::string_view line, bool scratched);

// The item text: "R" and the race number left-aligned in two places, a
// blank, the program number right-aligned in three, a blank, the name.
std::string scratchItemText(std::string_view raceNumber, std::string_view programNumber,
                            std::string_view name);

}  // namespace stridewell
