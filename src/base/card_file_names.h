// The names of card files (.TCF), results files (.XRD) and the archives that
// hold them one file to an archive: ABC1234.TCF sits in ABC1234M.ZIP and
// ABC1234.XRD in ABC1234X.ZIP. Folder lists show both forms under the plain
// name in upper case; on disk a name may be in any letter case. Pure text
// operations, safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace stridewell {

// A kind of file that may be delivered in an archive: its extension and the
// letter that follows the seven-character base name in the archive's name.
struct ArchivedFileKind {
  std::string_view extension;  // ".TCF"
  char typeLetter;             // 'M'
};

inline constexpr ArchivedFileKind kCardFileKind{".TCF", 'M'};
inline constexpr ArchivedFileKind kResultsFileKind{".XRD", 'X'};

// The name test of folder listings. Upper-cases `name` in place, then passes
// a name with the kind's extension unchanged, and an archive name (three
// letters, four digits, the type letter, ".ZIP") after turning it into the
// name of the file it holds: ABC1234M.ZIP becomes ABC1234.TCF.
bool isArchivedFileName(std::string& name, const ArchivedFileKind& kind);
bool isCardFileName(std::string& name);
bool isResultsFileName(std::string& name);

// The archive that may hold the plain file `name` (ABC1234.TCF ->
// ABC1234M.ZIP), upper case; empty when the name's extension is not the
// kind's or its base name is not exactly seven characters long: such a file
// exists only as a plain file.
std::string archiveNameFor(std::string_view name, const ArchivedFileKind& kind);

// `path` with an archive's file name replaced by the name of the file it
// holds (cards/ABC1234M.ZIP -> cards/ABC1234.TCF), so that a user may name
// either form; any other path is returned unchanged.
std::string plainPathFor(const std::string& path, const ArchivedFileKind& kind);

// The last component of a path and the folder before it ("" for a bare name).
std::string_view fileNameOf(std::string_view path);
std::string_view folderOf(std::string_view path);

}  // namespace stridewell
