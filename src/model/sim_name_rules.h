// The rules a new SIM name must pass before a preparation or a rename may
// use it: surrounding white space is dropped, and the name must not be
// blank, hold one of the nine characters no file name may hold on every
// system the program has run on, or be taken by a SIM kept in the program
// folder. The checks return the message to show, so the desktop dialogs
// and the command line refuse alike. Reads the file system only; any thread.
#pragma once

#include <string>
#include <string_view>

namespace stridewell {

// The extension every SIM weights file gets, in this letter case.
inline constexpr std::string_view kSimFileExtension = ".SIM";

// The nine characters, in the order the refusal lists them.
inline constexpr std::string_view kForbiddenSimNameCharacters = "?*<\">/\\:|";

inline constexpr std::string_view kPrepBlankSimName = "SIM name cannot be blank.";
inline constexpr std::string_view kRenameBlankSimName = "New name cannot be blank.";
inline constexpr std::string_view kForbiddenSimNameMessage =
    "SIM name cannot contain any of the following characters: ?*<\">/\\:|";
inline constexpr std::string_view kReservedSimNameMessage =
    "The SIM name you have chosen is reserved.  Please pick another.";

// Which dialog asks: they word the blank name differently.
enum class SimNameUse { kPrep, kRename };

// `text` without leading and trailing white space (space, tab, line ends,
// vertical tab, form feed).
std::string trimSimName(std::string_view text);

bool hasForbiddenSimNameCharacter(std::string_view name);

// Whether a SIM of the program folder has this name: a regular file
// name + ".SIM" there, both parts compared ignoring letter case. Case is
// ignored because SIM lists, selectSimByName and the weights-file lookup
// all ignore it: a SIM-folder "default" would be listed beside, and loaded
// as, the program folder's "Default". An empty folder reserves nothing.
bool isReservedSimName(const std::string& programFolder, std::string_view name);

// The checks in the dialogs' order, on `name` as typed (it is trimmed
// first): blank, forbidden characters, reserved. The message to show, or
// empty when the trimmed name may be used.
std::string simNameProblem(std::string_view name, SimNameUse use, const std::string& programFolder);

}  // namespace stridewell
