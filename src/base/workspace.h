// The program's folders: the program folder (the running executable's
// folder, which holds the shipped Default SIM and is searched first for the
// archive tools) and the Workspace tree of the user's files. The Workspace
// lives in $STRIDEWELL_HOME, else $XDG_DATA_HOME/stridewell, else
// ~/.local/share/stridewell, since the program folder is often read-only.
#pragma once

#include <string>
#include <string_view>

namespace stridewell {

class UserInteraction;

struct Workspace {
  // The folder of the shipped files (see shippedFilesFolder), which is also
  // searched first for the archive tools.
  std::string programFolder;
  std::string base;
  std::string sim;        // SIM weight files (.SIM)
  std::string predict;    // handicap reports (.TXT), cleared at start-up
  std::string datasets;   // datasets (.DSI)
  std::string unzip;      // files unpacked from archives, cleared at start-up and per run
  std::string trainData;  // SIMPAT.DAT and TVARS.DAT
  std::string temp;       // report files of the analysis and dataset reports
};

// The folder of the running executable ("" when it cannot be found).
std::string programFolder();

// The folder of the shipped files (Default.SIM, the manual folder) of a
// program run from `executableFolder`: that folder itself when it holds
// Default.SIM (a build tree, or everything unpacked in one folder), else
// `executableFolder`/../share/stridewell when that holds it (a program
// installed in PREFIX/bin), else `executableFolder` unchanged.
std::string shippedFilesFolder(const std::string& executableFolder);

// The Workspace base folder from the environment, as described above; a
// relative $STRIDEWELL_HOME is taken from the current folder and made
// absolute (the archive tools run in other folders and are handed these
// paths). Empty only when no home folder can be found.
std::string defaultWorkspaceBase();

// The user's home folder: $HOME, else the password database's entry; empty
// when neither gives one.
std::string homeFolder();

// The folder paths under `base`, and the shipped files' folder of a program
// run from `executableFolder`; nothing is created.
Workspace workspaceAt(const std::string& executableFolder, const std::string& base);

// Creates the base (with any missing parents) and the six folders (PREDICT,
// DATASETS, SIM, UNZIP, TRAINDATA, TEMP in that order). On the first
// failure shows "Cannot create folder %s" with the folder that could not be
// made and returns false. A name taken by a plain file is such a failure.
bool createWorkspaceFolders(const Workspace& workspace, UserInteraction& ui);

// The start-up clean-up: every *.TXT in PREDICT (letter case ignored, as
// everywhere in deleteMatchingFiles; subfolders stay), and everything in
// UNZIP, subfolders included (symbolic links are removed, not followed). An
// empty folder path is skipped, never taken as the current folder.
void clearScratchFolders(const Workspace& workspace);

// folder + "/" + name; the name alone when the folder is empty; no second
// separator when the folder already ends in one or the name starts with one.
std::string joinPath(const std::string& folder, const std::string& name);

// Removes the files of `folder` whose names match `pattern` ("*" and "?",
// letter case ignored; a final ".*" also matches names without that
// extension, so "*.*" matches every name); returns how many were removed.
// Subfolders are never removed; an empty `folder` removes nothing.
int deleteMatchingFiles(const std::string& folder, const std::string& pattern);

// The wildcard match of deleteMatchingFiles.
bool matchesFilePattern(std::string_view name, std::string_view pattern);

// Creates `path`, one level (an existing folder counts as success, a plain
// file of that name does not); on failure shows "Cannot create folder %s"
// with the path and returns false.
bool makeFolder(const std::string& path, UserInteraction& ui);

}  // namespace stridewell
