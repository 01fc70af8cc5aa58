// Feeds arbitrary bytes to the card reader as a whole card file and to the
// line check as one raw line. Beyond "no crash, no leak, no hang" it checks
// what must hold for any input: the line check agrees with a plain second
// reading of the check-code rule, a one-line file is rejected exactly when
// its line fails the check, the reader (which finds the check commas while
// it reads the fields) stops at exactly the first line whose raw text, cut
// to the raw line's capacity, fails checkCardLine, every race holds at most
// 64 horses, and reading the bytes a few at a time gives the same races as
// reading them at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "chunked_stream.h"
#include "race/card_reader.h"
#include "race/check_code.h"
#include "race/race.h"

namespace {

using namespace stridewell;

// The check-code rule read straight from its description, one character at a
// time, kept apart from the product's code so that the two can disagree.
bool referenceCheck(std::string_view raw) {
  if (raw.empty()) return true;
  uint16_t crc = 0;
  bool quoted = false;
  bool crcDone = false;
  int commas = 0;
  size_t i = 0;
  for (;; ++i) {
    if (i == raw.size()) return false;  // ended before the 1495th comma
    const unsigned char c = static_cast<unsigned char>(raw[i]);
    bool separator = false;
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      separator = true;
      ++commas;
    }
    if (!crcDone && commas >= 10) {
      crc ^= static_cast<uint16_t>(c << 8);
      for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
      }
      if (separator && commas == 200) crcDone = true;
    }
    if (separator && commas == 1495) break;
  }
  i += 3;  // past the comma and the two characters after it
  if (crc == 0) return true;
  for (;; ++i) {
    if (i >= raw.size()) return false;
    if ((static_cast<unsigned char>(raw[i]) & 0x1f) != (crc & 0x1f)) return false;
    crc >>= 5;
    if (crc == 0) return true;
  }
}

// The number of the first line whose raw text fails checkCardLine, 0 when
// none does. Lines are split as the card format says, independently of the
// reader: a line ends at LF, CR LF or a CR on its own, and control
// characters after a line end are skipped, counting the line ends among
// them (a CR LF once). The check sees at most kRawLineCapacity characters of
// a line.
int firstLineFailingTheCheck(std::string_view text) {
  size_t at = 0;
  int number = 1;
  for (;;) {
    const size_t lineEnd = text.find_first_of("\r\n", at);
    const std::string_view line = text.substr(at, lineEnd == std::string_view::npos ? lineEnd : lineEnd - at);
    if (!checkCardLine(line.substr(0, kRawLineCapacity))) return number;
    if (lineEnd == std::string_view::npos) return 0;
    at = lineEnd + 1;
    if (text[lineEnd] == '\r' && at < text.size() && text[at] == '\n') ++at;
    ++number;
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x20) {
      const char c = text[at++];
      if (c == '\r' || (c == '\n' && text[at - 2] != '\r')) ++number;
    }
    if (at == text.size()) return 0;
  }
}

bool sameRace(const Race& a, const Race& b) {
  return std::memcmp(&a.card, &b.card, sizeof a.card) == 0 &&
         std::memcmp(&a.text, &b.text, sizeof a.text) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const bool valid = checkCardLine(bytes);
  if (valid != referenceCheck(bytes)) std::abort();

  const size_t lines = 1 + static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n') +
                                               std::count(bytes.begin(), bytes.end(), '\r'));
  std::istringstream whole{std::string(bytes)};
  fuzz::ChunkedBuf chunks(bytes, 1 + (size % 7));
  std::istream chunked(&chunks);
  CardReader atOnce(whole, "fuzz.TCF");
  CardReader piecewise(chunked, "fuzz.TCF");
  auto a = std::make_unique<Race>();
  auto b = std::make_unique<Race>();
  size_t races = 0;
  for (;;) {
    const bool gotA = atOnce.next(*a);
    // Refills falling anywhere must not change what is read.
    if (piecewise.next(*b) != gotA) std::abort();
    if (!gotA) break;
    if (!sameRace(*a, *b)) std::abort();
    if (a->card.horseCount > kMaxHorses) std::abort();
    if (++races > lines) std::abort();  // a race needs a line of its own
  }
  if (atOnce.invalid() != piecewise.invalid() || atOnce.invalidLine() != piecewise.invalidLine() ||
      atOnce.tooManyHorses() != piecewise.tooManyHorses() || atOnce.racesRead() != static_cast<int>(races)) {
    std::abort();
  }
  if (atOnce.invalid() && (atOnce.invalidLine() < 1 || atOnce.problem().empty())) std::abort();

  // One line, wholly kept as the raw line: the file is invalid exactly when
  // that line fails the check.
  const bool oneRawLine =
      size > 0 && size <= kRawLineCapacity && bytes.find_first_of("\r\n") == std::string_view::npos;
  if (oneRawLine && atOnce.invalid() == valid) std::abort();

  // One line of any length: the verdict is checkCardLine's on what the raw
  // line keeps of it.
  const bool oneLine = size > 0 && bytes.find_first_of("\r\n") == std::string_view::npos;
  if (oneLine && atOnce.invalid() == checkCardLine(bytes.substr(0, kRawLineCapacity))) std::abort();

  // Any number of lines: the file fails at the first line that fails the
  // check, and only there.
  if (atOnce.invalidLine() != firstLineFailingTheCheck(bytes)) std::abort();
  return 0;
}
