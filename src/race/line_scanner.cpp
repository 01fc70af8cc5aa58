#include "race/line_scanner.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "race/card_values.h"

namespace stridewell {
namespace {

constexpr size_t kBufferSize = 64 * 1024;
// After the bytes read the buffer holds a LF, which stops every loop below
// without a bounds check, and then room for the loads of up to 17 bytes
// that may start at that LF.
constexpr size_t kBufferTail = 32;
constexpr int kNoComma = std::numeric_limits<int>::max();

// ---- Eight bytes at a time --------------------------------------------------
// A card line is some 2,700 bytes in 1,500 fields, most of them empty or not
// kept, so the scanner looks at eight bytes per step wherever it can.

constexpr uint64_t kEveryByte = 0x0101010101010101;
constexpr uint64_t kLow7Bits = 0x7f7f7f7f7f7f7f7f;

// A word's low byte is its first in memory, so that a byte's place in a
// word is its place in the line.
static_assert(std::endian::native == std::endian::little, "the scanner loads words in memory order");

uint64_t load8(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// 0x80 in every byte of `word` that equals `c`, 0 in every other byte. The
// additions cannot carry from one byte into the next, so the mask is exact.
uint64_t bytesEqual(uint64_t word, char c) {
  const uint64_t x = word ^ (kEveryByte * static_cast<unsigned char>(c));
  return ~(((x & kLow7Bits) + kLow7Bits) | x | kLow7Bits);
}

// 0x80 in the first byte of `word` below `limit` (at most 0x80), if any; a
// borrow from it can mark later bytes too, so only the first mark is sure.
uint64_t firstBytesBelow(uint64_t word, unsigned char limit) {
  return (word - kEveryByte * limit) & ~word & ~kLow7Bits;
}

// The index of the first byte marked in a non-zero mask.
int firstMarkedByte(uint64_t mask) {
  return std::countr_zero(mask) / 8;
}

// How many bytes of a bytesEqual mask are marked: the marks moved down to
// bit 0 of their bytes and summed into the top byte by one multiplication
// (std::popcount can become a library call on plain x86-64).
int countMarkedBytes(uint64_t mask) {
  return static_cast<int>(((mask >> 7) * kEveryByte) >> 56);
}

// ---- Fields no slot keeps ----------------------------------------------------

// Outside quotes: moves p 8 bytes at a time while the bytes hold no byte
// below '#' (quote, CR, LF, blank, control characters) and fewer than
// `before` commas all told; returns the commas passed.
int passCommaWords(const char*& p, int before) {
  int passed = 0;
  for (;;) {
    const uint64_t word = load8(p);
    if (firstBytesBelow(word, '"' + 1) != 0) return passed;
    const int commas = countMarkedBytes(bytesEqual(word, ','));
    if (passed + commas >= before) return passed;
    passed += commas;
    p += 8;
  }
}

// Moves p over separator commas until it reaches the `count`th one from here
// (count >= 1), where it stops, or a CR or LF. Returns how many separator
// commas it moved over.
int passSeparators(const char*& p, int count, bool& quoted) {
  int passed = 0;
  for (;;) {
    if (!quoted) passed += passCommaWords(p, count - passed);
    // The word that stopped the fast loop, one byte at a time.
    for (const char* const wordEnd = p + 8; p != wordEnd; ++p) {
      const char c = *p;
      if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        if (passed + 1 == count) return passed;
        ++passed;
      } else if (c == '\r' || c == '\n') {
        return passed;
      }
    }
  }
}

// Moves p to the next CR or LF; quotes no longer matter once no field or
// comma of the rest of the line is wanted.
void passToLineEnd(const char*& p) {
  // Words without a control character up to CR hold neither CR nor LF.
  while (firstBytesBelow(load8(p), '\r' + 1) == 0) p += 8;
  while (*p != '\r' && *p != '\n') ++p;
}

// ---- Where fields go ---------------------------------------------------------

// The field slots as plain pointers, copied into locals once per call: the
// scanner's char stores into slots would otherwise make the compiler fetch
// these again from the FieldSlots object after every store.
struct SlotView {
  char* storage;
  uint16_t* lengths;
  const FieldSpec* specs;
  int maxField;

  explicit SlotView(FieldSlots& slots)
      : storage(slots.storage()),
        lengths(slots.lengths()),
        specs(slots.layout().specs()),
        maxField(slots.layout().maxField()) {}
  // Field numbers start at 1.
  const FieldSpec& spec(int field) const {
    return field <= maxField ? specs[field] : FieldLayout::kBeyondLastField;
  }
  char* slot(const FieldSpec& spec) const { return storage + spec.offset; }  // a kept field's
};

// ---- Kept fields in general ----------------------------------------------------

// A kept field being read: any field that is not a short plain one (see
// storeShortField), or that a refill or a bare CR cuts. The scanner keeps
// it, like the rest of its per-line state, in locals rather than members:
// the bytes it stores into slots are char writes, which the compiler must
// assume may change any member, so member state would be reloaded after
// every store.
struct OpenField {
  char* slot;  // null when no kept field is being read
  int capacity;
  int length;
  bool trackCode;
  bool leadingBlanks;
  bool textBeyondCapacity;
  bool nulSeen;  // the text holds a NUL: the slot's text ends there
};

OpenField openField(const SlotView& slots, const FieldSpec& spec) {
  return {slots.slot(spec), spec.capacity, 0, spec.trackCode, true, false, false};
}

// One character of a kept field's text (anything but a quote, a separator
// comma or a line end): leading blanks go, and beyond the capacity only
// whether anything but blanks follows matters (it decides whether trailing
// blanks are trimmed).
void addCharacter(OpenField& f, char c) {
  if (f.leadingBlanks) {
    if (c == ' ') return;
    f.leadingBlanks = false;
  }
  if (f.length < f.capacity) {
    f.slot[f.length++] = c;
  } else if (c != ' ') {
    f.textBeyondCapacity = true;
  }
}

// Adds the characters [from, to) as addCharacter would, one by one.
void addRun(OpenField& f, const char* from, const char* to) {
  if (f.leadingBlanks) {
    while (from != to && *from == ' ') ++from;
    if (from == to) return;
    f.leadingBlanks = false;
  }
  const size_t kept = std::min(static_cast<size_t>(to - from), static_cast<size_t>(f.capacity - f.length));
  std::memcpy(f.slot + f.length, from, kept);
  f.length += static_cast<int>(kept);
  if (!f.textBeyondCapacity)
    f.textBeyondCapacity = std::any_of(from + kept, to, [](char c) { return c != ' '; });
}

// Where the run of ordinary characters from p ends: at the next quote, CR,
// LF or NUL, or comma outside quotes.
const char* runEnd(const char* p, bool quoted) {
  for (;; p += 8) {
    const uint64_t word = load8(p);
    uint64_t stops =
        bytesEqual(word, '"') | bytesEqual(word, '\r') | bytesEqual(word, '\n') | bytesEqual(word, '\0');
    if (!quoted) stops |= bytesEqual(word, ',');
    if (stops != 0) return p + firstMarkedByte(stops);
  }
}

// Reads a kept field, a run of ordinary characters at a time, up to the
// separator comma that ends it, or a CR or LF.
const char* readKeptText(const char* p, OpenField& field, bool& quoted) {
  OpenField f = field;  // a local, so that the stores into the slot alias nothing
  bool q = quoted;
  for (;; ++p) {
    const char* const run = p;
    p = runEnd(p, q);
    addRun(f, run, p);
    if (*p == '"') {
      q = !q;
    } else if (*p == '\0') {
      f.nulSeen = true;
      addCharacter(f, '\0');
    } else {
      break;
    }
  }
  field = f;
  quoted = q;
  return p;
}

// Ends the text of a kept field's slot after `length` characters and
// records its length.
void settleSlot(const SlotView& slots, int field, char* slot, size_t length, bool trackCode, bool nulSeen) {
  slot[length] = '\0';
  if ((trackCode || nulSeen) && length != 0) {
    if (trackCode) normalizeTrackCode(slot);
    length = std::strlen(slot);  // both can make the text shorter
  }
  slots.lengths[field] = static_cast<uint16_t>(length);
}

void closeField(const SlotView& slots, int field, OpenField f) {
  // Trailing blanks of the whole field go; blanks inside the kept part stay
  // when the field goes on beyond it.
  if (!f.textBeyondCapacity) {
    while (f.length > 0 && f.slot[f.length - 1] == ' ') --f.length;
  }
  settleSlot(slots, field, f.slot, static_cast<size_t>(f.length), f.trackCode, f.nulSeen);
}

// ---- Short plain kept fields --------------------------------------------------

// The bytes that can make a field more than a plain copy (blank, quote, NUL,
// CR, LF) and the comma all lie below '-'.
constexpr unsigned char kBelowPlainText = ',' + 1;

// A short plain kept field within its slot's capacity, written `text,` or
// `"text",` from p on, where text is up to 15 characters (14 in quotes) with
// no byte below kBelowPlainText, is stored with at most two 8-byte copies (every slot has
// room for the first) and its length found without a branch per byte: read
// byte by byte, the end of every field was a mispredicted branch. Moves p to
// the comma and returns true; false, with nothing changed, for any other
// field, which readKeptText then reads. Most kept fields are such fields.
bool storeShortField(const char*& p, const SlotView& slots, int field, const FieldSpec& spec) {
  // Where the text stops: the first special byte of the 16 from p, past an
  // opening quote. Found from the bytes at p rather than after the quote, so
  // that the next field's start waits on one load, not two.
  const uint64_t word = load8(p);
  const int quoted = (word & 0xff) == '"' ? 1 : 0;
  // An opening quote is looked past by reading it as 0xff, which no mark and
  // no borrow comes from.
  const uint64_t special = firstBytesBelow(quoted ? word | 0xff : word, kBelowPlainText);
  int stop;
  if (special != 0) {
    stop = firstMarkedByte(special);
  } else {
    const uint64_t more = firstBytesBelow(load8(p + 8), kBelowPlainText);
    if (more == 0) return false;
    stop = 8 + firstMarkedByte(more);
  }
  const int length = stop - quoted;
  if (length > spec.capacity) return false;
  // Then the closing quote, if any, and the comma; tested without branches,
  // which would follow the mix of quoted and bare fields.
  const char* const comma = p + stop + quoted;
  if (!((*comma == ',') & ((quoted == 0) | (p[stop] == '"')))) return false;
  // The first 8 bytes and the last 8: bytes beyond the length are never read.
  const char* const text = p + quoted;
  char* const slot = slots.slot(spec);
  std::memcpy(slot, text, 8);
  if (length > 8) std::memcpy(slot + length - 8, text + length - 8, 8);
  settleSlot(slots, field, slot, static_cast<size_t>(length), spec.trackCode, false);
  p = comma;
  return true;
}

}  // namespace

struct LineScanner::LineState {
  int field = 1;
  bool quoted = false;  // quotes toggle it; it is off whenever a field starts
  OpenField open{};     // the kept field being read, when its slot is set
  size_t length = 0;    // characters of the line so far, its end excluded
  int nextNoted = 0;    // index in notedCommas_ of the next comma to note
};

LineScanner::LineScanner(std::istream& in, FieldSlots& slots, size_t rawCapacity,
                         CheckCommaSearch checkCommaSearch)
    : in_(in), slots_(slots), buffer_(kBufferSize + kBufferTail), raw_(rawCapacity) {
  if (checkCommaSearch == CheckCommaSearch::kOn) {
    notedCommas_ = {kCrcFirstComma, kCrcLastComma, kCheckCodeComma, kNoComma};
  } else {
    notedCommas_ = {kNoComma, kNoComma, kNoComma, kNoComma};
  }
}

bool LineScanner::refill() {
  if (inputDone_) return false;
  copyRawOut();
  const std::streamsize got = in_.rdbuf() ? in_.rdbuf()->sgetn(buffer_.data(), kBufferSize) : 0;
  if (got <= 0) {
    inputDone_ = true;
    readError_ = in_.bad();
    return false;
  }
  pos_ = 0;
  end_ = static_cast<size_t>(got);
  buffer_[end_] = '\n';
  return true;
}

// The raw line keeps what fits of every character but the line end. While
// the line lies in the buffer in one piece it is only pointed to, not
// copied: most lines do, and copying them cost a good part of reading them.
void LineScanner::keepRaw(size_t offset, size_t count) {
  const size_t kept = std::min(count, raw_.size() - rawLength_);
  if (kept == 0) return;  // also when no raw line is kept at all
  if (rawLength_ == 0) {
    rawInBuffer_ = true;
    rawStart_ = offset;
  }
  if (rawInBuffer_ && offset == rawStart_ + rawLength_) {
    rawLength_ += kept;
    return;
  }
  copyRawOut();
  std::memcpy(raw_.data() + rawLength_, buffer_.data() + offset, kept);
  rawLength_ += kept;
}

// Before the buffer changes, the part of the raw line that lies in it moves
// to raw_.
void LineScanner::copyRawOut() {
  if (!rawInBuffer_) return;
  std::memcpy(raw_.data(), buffer_.data() + rawStart_, rawLength_);
  rawInBuffer_ = false;
}

// Reads the line from p on, field by field, and stops at a CR or LF (the LF
// after the bytes read included), ready to go on from there.
const char* LineScanner::scanFields(const char* p, LineState& state) {
  const char* const start = p;
  LineState line = state;  // a local: see OpenField
  const SlotView slots(slots_);
  int nextNotedField = notedCommas_[line.nextNoted];
  const int countTo = countFieldsTo_;
  for (;;) {
    if (line.open.slot == nullptr) {  // at the start of line.field
      const FieldSpec& spec = slots.spec(line.field);
      if (spec.offset < 0) {
        // Pass the fields no slot keeps in one go, up to the comma before
        // the next kept field or the next comma to note, whichever comes
        // first.
        const bool counting = line.field <= countTo;
        if (spec.unkeptRun == FieldSpec::kNoMoreKept && nextNotedField == kNoComma && !counting) {
          passToLineEnd(p);
          break;
        }
        int64_t count = std::min<int64_t>(spec.unkeptRun, int64_t{nextNotedField} - line.field + 1);
        if (counting) count = std::min<int64_t>(count, int64_t{countTo} - line.field + 1);
        line.field += passSeparators(p, static_cast<int>(count), line.quoted);
      } else if (!storeShortField(p, slots, line.field, spec)) {
        line.open = openField(slots, spec);
      }
    }
    if (line.open.slot != nullptr) p = readKeptText(p, line.open, line.quoted);
    if (*p != ',') break;  // a CR or LF
    // The separator comma that ends the field.
    if (line.open.slot != nullptr) {
      closeField(slots, line.field, line.open);
      line.open.slot = nullptr;
    }
    if (line.field == nextNotedField) {
      size_t* const places[] = {&checkCommas_.crcFirst, &checkCommas_.crcLast, &checkCommas_.code};
      *places[line.nextNoted++] = line.length + static_cast<size_t>(p - start);
      nextNotedField = notedCommas_[line.nextNoted];
    }
    ++line.field;
    ++p;
  }
  state = line;
  return p;
}

bool LineScanner::readLine() {
  if (fileEnded_) return false;
  lineNumber_ = nextLineNumber_;
  rawLength_ = 0;
  rawInBuffer_ = false;
  checkCommas_ = CheckCommas{};
  LineState line;
  auto finishLine = [&] {
    // The field the line ends in is stored even when nothing of it was read.
    const SlotView slots(slots_);
    const FieldSpec& spec = slots.spec(line.field);
    if (line.open.slot == nullptr && spec.offset >= 0) line.open = openField(slots, spec);
    if (line.open.slot != nullptr) closeField(slots, line.field, line.open);
    lineHadChars_ = line.length > 0;
    fieldCount_ = line.field;
  };

  for (;;) {
    if (pos_ == end_ && !refill()) {
      finishLine();
      fileEnded_ = true;
      return true;
    }
    const char* const chunk = buffer_.data() + pos_;
    const size_t count = static_cast<size_t>(scanFields(chunk, line) - chunk);
    keepRaw(pos_, count);
    line.length += count;
    pos_ += count;
    if (pos_ == end_) continue;  // the LF after the bytes read

    // LF, CR LF and a CR on its own (old Mac files) all end a line.
    int c = get();
    if (c == '\r' && peek() == '\n') c = get();
    finishLine();
    ++nextLineNumber_;
    // Blank lines and stray control characters between lines vanish; each
    // line end among them still counts as a line.
    int previous = c;
    while ((c = peek()) >= 0 && c < 0x20) {
      if (c == '\r' || (c == '\n' && previous != '\r')) ++nextLineNumber_;
      previous = c;
      get();
    }
    if (c < 0) fileEnded_ = true;
    return true;
  }
}

}  // namespace stridewell
