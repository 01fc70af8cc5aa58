// The name tests of folder listings and the archive naming: which names
// list as card or results files and under what name, and which archive a
// plain file may come from.
#include "base/card_file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace stridewell {
namespace {

TEST(CardFileNames, NameTests) {
  struct Case {
    const char* name;
    bool card;
    const char* asCard;  // the name after the card test
    bool results;
    const char* asResults;
  };
  const Case kCases[] = {
      // Archives list under the name of the file they hold.
      {"ABC1234M.ZIP", true, "ABC1234.TCF", false, "ABC1234M.ZIP"},
      {"ABC1234X.ZIP", false, "ABC1234X.ZIP", true, "ABC1234.XRD"},
      {"abc1234m.zip", true, "ABC1234.TCF", false, "ABC1234M.ZIP"},
      {"Sax0316x.Zip", false, "SAX0316X.ZIP", true, "SAX0316.XRD"},
      // Plain files pass whatever their base name, upper-cased.
      {"ABC1234.TCF", true, "ABC1234.TCF", false, "ABC1234.TCF"},
      {"abc1234.tcf", true, "ABC1234.TCF", false, "ABC1234.TCF"},
      {"abc1234.xrd", false, "ABC1234.XRD", true, "ABC1234.XRD"},
      {"Race day.tcf", true, "RACE DAY.TCF", false, "RACE DAY.TCF"},
      {"ABC1234M.ZIP.TCF", true, "ABC1234M.ZIP.TCF", false, "ABC1234M.ZIP.TCF"},
      // Archive names out of pattern.
      {"AB12345M.ZIP", false, "AB12345M.ZIP", false, "AB12345M.ZIP"},
      {"ABC1234.ZIP", false, "ABC1234.ZIP", false, "ABC1234.ZIP"},
      {"ABC123M.ZIP", false, "ABC123M.ZIP", false, "ABC123M.ZIP"},
      {"ABC1234Q.ZIP", false, "ABC1234Q.ZIP", false, "ABC1234Q.ZIP"},
      {"ABC12A4M.ZIP", false, "ABC12A4M.ZIP", false, "ABC12A4M.ZIP"},
      {"A1C1234M.ZIP", false, "A1C1234M.ZIP", false, "A1C1234M.ZIP"},
      // Longer than the pattern: opening ABC1234.TCF would never find it.
      {"ABC1234MX.ZIP", false, "ABC1234MX.ZIP", false, "ABC1234MX.ZIP"},
      {"ABC1234M.X.ZIP", false, "ABC1234M.X.ZIP", false, "ABC1234M.X.ZIP"},
      // Other names.
      {"ABC1234", false, "ABC1234", false, "ABC1234"},
      {"ABC1234.TCF.BAK", false, "ABC1234.TCF.BAK", false, "ABC1234.TCF.BAK"},
      {"notes.txt", false, "NOTES.TXT", false, "NOTES.TXT"},
      {"", false, "", false, ""},
      {"\xc3\x84"
       "BC1234M.ZIP",
       false,
       "\xc3\x84"
       "BC1234M.ZIP",
       false,
       "\xc3\x84"
       "BC1234M.ZIP"},
  };
  for (const Case& c : kCases) {
    std::string card = c.name;
    EXPECT_EQ(isCardFileName(card), c.card) << c.name;
    EXPECT_EQ(card, c.asCard) << c.name;
    std::string results = c.name;
    EXPECT_EQ(isResultsFileName(results), c.results) << c.name;
    EXPECT_EQ(results, c.asResults) << c.name;
  }
}

TEST(CardFileNames, ArchiveOfAPlainFile) {
  struct Case {
    const char* name;
    const ArchivedFileKind* kind;
    const char* archive;
  };
  const Case kCases[] = {
      {"ABC1234.TCF", &kCardFileKind, "ABC1234M.ZIP"},
      {"sax0316.tcf", &kCardFileKind, "SAX0316M.ZIP"},
      {"ABC1234.XRD", &kResultsFileKind, "ABC1234X.ZIP"},
      {"ABC1234.XRD", &kCardFileKind, ""},  // not a card file
      {"ABC1234.TCF", &kResultsFileKind, ""},
      {"ABC123.TCF", &kCardFileKind, ""},    // short base names have no archive
      {"ABC12345.TCF", &kCardFileKind, ""},  // nor longer ones: ABC1234M.ZIP holds another file
      {"ABC1234", &kCardFileKind, ""},
      {"", &kCardFileKind, ""},
  };
  for (const Case& c : kCases) EXPECT_EQ(archiveNameFor(c.name, *c.kind), c.archive) << c.name;
}

TEST(CardFileNames, ArchivePathsStandForThePlainFile) {
  struct Case {
    const char* path;
    const ArchivedFileKind* kind;
    const char* plain;
  };
  const Case kCases[] = {
      {"cards/ABC1234M.ZIP", &kCardFileKind, "cards/ABC1234.TCF"},
      {"/a b/abc1234m.zip", &kCardFileKind, "/a b/ABC1234.TCF"},
      {"ABC1234X.ZIP", &kResultsFileKind, "ABC1234.XRD"},
      {"cards/ABC1234X.ZIP", &kCardFileKind, "cards/ABC1234X.ZIP"},  // a results archive stays
      {"cards/ABC1234.TCF", &kCardFileKind, "cards/ABC1234.TCF"},
      {"cards/sax0316.tcf", &kCardFileKind, "cards/sax0316.tcf"},  // plain names keep their case
      {"x.ZIP/ABC1234.TCF", &kCardFileKind, "x.ZIP/ABC1234.TCF"},
      {"ZIP", &kCardFileKind, "ZIP"},
  };
  for (const Case& c : kCases) EXPECT_EQ(plainPathFor(c.path, *c.kind), c.plain) << c.path;
}

TEST(CardFileNames, PathParts) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
  };
  const Case kCases[] = {
      {"/cards/ABC1234.TCF", "/cards", "ABC1234.TCF"},
      {"/ABC1234.TCF", "/", "ABC1234.TCF"},
      {"ABC1234.TCF", "", "ABC1234.TCF"},
      {"a/b/", "a/b", ""},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
  }
}

}  // namespace
}  // namespace stridewell
