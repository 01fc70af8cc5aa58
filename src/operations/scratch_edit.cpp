#include "operations/scratch_edit.h"

#include <unistd.h>

#include <filesystem>
#include <istream>
#include <system_error>

#include "base/archive_tools.h"
#include "base/card_archives.h"
#include "base/interaction.h"
#include "base/replacement_file.h"
#include "base/text_case.h"
#include "base/workspace.h"
#include "operations/line_field.h"
#include "race/card_reader.h"
#include "race/check_code.h"

namespace stridewell {
namespace {

constexpr int kRaceField = 3;
constexpr int kScratchField = 5;
constexpr int kNameField = 13;
constexpr int kProgramField = 1140;

enum class LineRead { kLine, kEnd, kTooLong };

// The next line of `in` without its end, which may be LF, CR LF or a CR on
// its own (as the card reader takes them). `ending` is what to write after
// it again: the end it had; for a last line without one, a CR when the line
// before ended so (`ending` still holds that), else a LF.
LineRead readLine(std::istream& in, std::string& line, std::string& ending) {
  line.clear();
  bool any = false;
  const bool crFile = ending == "\r";
  ending.clear();
  char c;
  while (in.get(c)) {
    any = true;
    if (c == '\n') {
      ending = "\n";
      break;
    }
    if (c == '\r') {
      if (in.peek() == '\n') {
        in.get(c);
        ending = "\r\n";
      } else {
        ending = "\r";
      }
      break;
    }
    if (line.size() >= kMaxScratchLineLength) return LineRead::kTooLong;
    line += c;
  }
  if (!any) return LineRead::kEnd;
  if (ending.empty()) ending = crFile ? "\r" : "\n";
  return LineRead::kLine;
}

// The card reader skips control characters between lines, so a line of
// nothing else is no line at all.
bool isBlank(std::string_view line) {
  for (const char c : line) {
    if (static_cast<unsigned char>(c) >= 0x20) return false;
  }
  return true;
}

// The line check as the card reader applies it: to the part of the line it
// keeps.
bool passesCheck(std::string_view line) {
  return checkCardLine(line.substr(0, kRawLineCapacity));
}

ScratchItem itemOf(std::string_view line) {
  ScratchItem item;
  item.raceNumber = lineField(line, kRaceField, true);
  item.programNumber = lineField(line, kProgramField, true);
  item.horseName = lineField(line, kNameField, true);
  item.text = scratchItemText(item.raceNumber, item.programNumber, item.horseName);
  item.scratched = upperAscii(lineField(line, kScratchField, true)) == "S";
  return item;
}

// The card as the user knows it, for messages.
std::string shownName(const std::string& cardPath, const std::string& archivePath) {
  return archivePath.empty() ? cardPath : cardPath + " (in " + archivePath + ")";
}

std::string withDetail(std::string_view text, const std::string& detail) {
  return std::string(text) + "\n" + detail;
}

}  // namespace

std::string scratchItemText(std::string_view raceNumber, std::string_view programNumber,
                            std::string_view name) {
  std::string text = "R";
  text += raceNumber;
  if (raceNumber.size() < 2) text.append(2 - raceNumber.size(), ' ');
  text += ' ';
  if (programNumber.size() < 3) text.append(3 - programNumber.size(), ' ');
  text += programNumber;
  text += ' ';
  text += name;
  return text;
}

std::string withScratchMark(std::string_view line, bool scratched) {
  size_t fourth = std::string_view::npos;
  size_t fifth = std::string_view::npos;
  bool quoted = false;
  int commas = 0;
  for (size_t i = 0; i < line.size() && fifth == std::string_view::npos; ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else if (line[i] == ',' && !quoted) {
      ++commas;
      if (commas == 4) fourth = i;
      if (commas == 5) fifth = i;
    }
  }
  if (fifth == std::string_view::npos) return std::string(line);
  std::string rewritten(line.substr(0, fourth + 1));
  if (scratched) {
    rewritten += "\"S\"";
  } else {
    // Clearing a scratch drops the mark; any other mark stays, in upper case.
    const std::string mark = upperAscii(line.substr(fourth + 1, fifth - fourth - 1));
    if (mark.find('S') == std::string::npos) rewritten += mark;
  }
  rewritten += line.substr(fifth);
  return rewritten;
}

bool loadScratchCard(const std::string& cardPath, const Workspace& workspace, UserInteraction& ui,
                     ScratchCard& card) {
  card = ScratchCard();
  card.cardPath = cardPath;
  OpenedFile file = openCardFile(cardPath, workspace);
  if (!file) {
    ui.error(file.problem);
    return false;
  }
  card.sourcePath = file.path;
  card.archivePath = file.archivePath;
  const std::string shown = shownName(cardPath, file.archivePath);
  std::vector<ScratchItem> items;
  std::string line, ending;
  int lineNumber = 0;
  for (LineRead read; (read = readLine(*file.stream, line, ending)) != LineRead::kEnd;) {
    ++lineNumber;
    if (read == LineRead::kTooLong) {
      ui.error(withDetail(kFileInvalidText, shown + " line " + std::to_string(lineNumber) +
                                                " is longer than " + std::to_string(kMaxScratchLineLength) +
                                                " characters"));
      return false;
    }
    if (isBlank(line)) continue;
    if (!passesCheck(line)) {
      ui.error(withDetail(kFileInvalidText,
                          shown + " line " + std::to_string(lineNumber) + ": its check code does not match"));
      return false;
    }
    items.push_back(itemOf(line));
  }
  if (file.stream->bad()) {
    ui.error("Cannot read " + shown);
    return false;
  }
  // Where horses go by program number, a line without one cannot be told
  // apart from its neighbours, so its mark is left alone.
  bool anyProgramNumber = false;
  for (const ScratchItem& item : items) anyProgramNumber |= !item.programNumber.empty();
  if (anyProgramNumber) {
    for (ScratchItem& item : items) item.locked = item.programNumber.empty();
  }
  card.items = std::move(items);
  return true;
}

bool setScratched(ScratchCard& card, size_t index, bool scratched) {
  if (index >= card.items.size() || card.items[index].locked) return false;
  card.items[index].scratched = scratched;
  return true;
}

bool saveScratchCard(const ScratchCard& card, const Workspace& workspace, UserInteraction& ui,
                     FileSystem& fileSystem) {
  const std::string shown = shownName(card.cardPath, card.archivePath);
  auto saveFailed = [&](const std::string& detail) {
    ui.error(withDetail(kSaveErrorText, detail));
    return false;
  };
  const std::string unchanged = "; nothing was written";

  // The card is read again, as it is now, and only field 5 of each line
  // changes, so the file is rewritten from its own bytes.
  OpenedFile file = openCardFile(card.cardPath, workspace);
  if (!file) return saveFailed(file.problem);
  if (file.path != card.sourcePath || file.archivePath != card.archivePath) {
    return saveFailed(shown + " is no longer the file that was opened" + unchanged);
  }
  // Through a link, the file it points to is the one to replace.
  std::string target = file.path;
  if (!file.fromArchive()) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(file.path, error);
    if (!error) target = real.string();
  }

  ReplacementFile out(target, fileSystem);
  if (!out.ok()) return saveFailed(out.problem() + unchanged);
  std::string line, ending;
  int lineNumber = 0;
  size_t k = 0;
  for (LineRead read; (read = readLine(*file.stream, line, ending)) != LineRead::kEnd;) {
    ++lineNumber;
    const std::string where = shown + " line " + std::to_string(lineNumber);
    if (read == LineRead::kTooLong) return saveFailed(where + " is too long" + unchanged);
    if (isBlank(line)) continue;
    if (k >= card.items.size() || !passesCheck(line) || itemOf(line).text != card.items[k].text) {
      return saveFailed(where + " has changed since the card was opened" + unchanged);
    }
    const std::string rewritten = withScratchMark(line, card.items[k].scratched);
    if (!passesCheck(rewritten)) return saveFailed(where + " would fail its check" + unchanged);
    out.write(rewritten);
    out.write(ending);
    ++k;
  }
  if (file.stream->bad()) return saveFailed("Cannot read " + shown + unchanged);
  if (k != card.items.size()) return saveFailed(shown + " has changed since the card was opened" + unchanged);
  file.stream.reset();
  if (!out.replaceTarget()) return saveFailed(out.problem() + unchanged);
  if (!file.fromArchive()) return true;

  std::string problem;
  const bool zipped = zipIntoArchive(workspace.programFolder, target, card.archivePath, &problem);
  // The edited copy goes either way: a copy in UNZIP is no record of the
  // archive, and the next open unpacks the archive afresh.
  ::unlink(target.c_str());
  if (!zipped) {
    ui.error(withDetail(kRezipErrorText, problem + "; the archive was left as it was"));
    return false;
  }
  return true;
}

}  // namespace stridewell
