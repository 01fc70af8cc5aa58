// Puts generated days into a folder under the names the archive rules
// expect: BASE.TCF and BASE.XRD, or their archives BASEM.ZIP and BASEX.ZIP
// (made with Info-ZIP zip, run without a shell), each holding the file
// under its plain name. Files are written to a temporary name and renamed
// into place, so a failed run leaves no half-written card behind.
#pragma once

#include <string>
#include <vector>

#include "sample_generator.h"

namespace stridewell::gen {

enum class ArchiveMode {
  kPlain,        // BASE.TCF and BASE.XRD
  kZip,          // BASEM.ZIP and BASEX.ZIP only
  kZipAndPlain,  // both
};

struct WriteOutcome {
  bool ok = false;
  std::string message;             // why it failed, naming the file
  std::vector<std::string> files;  // names written into the folder, in order
};

// The folder is created when missing. `zipProgram` is what runs as zip
// (looked up on PATH when it has no '/').
WriteOutcome writeSampleFiles(const std::vector<SampleDay>& days, const std::string& folder, ArchiveMode mode,
                              const std::string& zipProgram = "zip");

// "SAX0315M.ZIP" for ("SAX0315", 'M').
std::string archiveName(const std::string& baseName, char typeLetter);

}  // namespace stridewell::gen
