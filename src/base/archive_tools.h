// Packing and unpacking with the external archive tools, Info-ZIP `zip` and
// `unzip`, looked for in the program folder first and then on the PATH. The
// tools run from an argument vector, never through a shell, and no name
// given by a user reaches them as a pattern, so file names with blanks,
// quotes, ';' or wildcard characters are safe. Calls wait for the tool to
// end; they may be made from any thread.
//
// There is no short (8.3) form of a path on this system, and no need for
// one: arguments reach the tools whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

// Runs the program arguments[0] with the other arguments and waits for it to
// end, its output (standard and error) collected into `output` when given,
// never shown. True with the program's exit code when it ran and ended by itself;
// false (exitCode -1) when it could not be started or was killed, with the
// reason in `output`.
bool runHidden(const std::vector<std::string>& arguments, const std::string& workingFolder, int& exitCode,
               std::string* output = nullptr);

// Where `tool` ("zip", "unzip") is: the program folder when it holds an
// executable of that name, else the PATH; empty when neither has it.
std::string archiveToolPath(const std::string& programFolder, std::string_view tool);

struct UnzipOutcome {
  std::vector<std::string> files;  // names of the files placed in the destination
  std::string problem;             // why the unpack failed, naming the archive
};

// Unpacks every member of the archive `archiveName` (relative to
// `workingFolder`, or absolute) into `destination` without folder names,
// replacing files of the same names. Success when unzip ends with 0 or 1
// (warnings). The members are unpacked into a private folder first and
// moved into the destination only after unzip succeeded, so a corrupt
// archive leaves nothing half-written there. An encrypted archive fails
// rather than asking for a password.
bool unzipArchive(const std::string& programFolder, const std::string& workingFolder,
                  const std::string& archiveName, const std::string& destination,
                  UnzipOutcome* outcome = nullptr);

// Stores the file `filePath` in the archive `archivePath` without its folder
// name, replacing a member of the same name; a missing archive is created.
// Success when zip ends with 0. zip writes the new archive beside the old
// one and replaces it only when done, so a failure leaves the archive as it
// was. `problem` (when given) gets the reason of a failure.
bool zipIntoArchive(const std::string& programFolder, const std::string& filePath,
                    const std::string& archivePath, std::string* problem = nullptr);

}  // namespace stridewell
