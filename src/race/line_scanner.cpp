#include "race/line_scanner.h"

#include <algorithm>
#include <cstring>

#include "race/card_values.h"

namespace stridewell {
namespace {
constexpr size_t kBufferSize = 64 * 1024;
constexpr int kFieldNumberLimit = 1 << 30;  // field numbers stop counting here

// The field being read. readLine keeps it, like the rest of its per-byte
// state, in locals rather than members: the bytes it stores into slots and
// the raw line are char writes, which the compiler must assume may change
// any member, so member state would be reloaded after every byte.
struct OpenField {
  char* slot;  // null for a field the layout does not keep
  int capacity;
  int length;
  bool leadingBlanks;
  bool textBeyondCapacity;
};

inline OpenField openField(FieldSlots& slots, int field) {
  char* slot = slots.slot(field);
  return {slot, slot ? slots.layout().capacityOf(field) : 0, 0, true, false};
}

inline void closeField(const FieldSlots& slots, int field, OpenField& f) {
  if (f.slot == nullptr) return;
  // Trailing blanks of the whole field go; blanks inside the kept part stay
  // when the field goes on beyond it.
  if (!f.textBeyondCapacity) {
    while (f.length > 0 && f.slot[f.length - 1] == ' ') --f.length;
  }
  f.slot[f.length] = '\0';
  if (slots.layout().isTrackCode(field)) normalizeTrackCode(f.slot);
}

}  // namespace

LineScanner::LineScanner(std::istream& in, FieldSlots& slots, size_t rawCapacity)
    : in_(in), slots_(slots), buffer_(kBufferSize), raw_(rawCapacity) {}

bool LineScanner::refill() {
  if (inputDone_) return false;
  const std::streamsize got = in_.rdbuf() ? in_.rdbuf()->sgetn(buffer_.data(), kBufferSize) : 0;
  if (got <= 0) {
    inputDone_ = true;
    readError_ = in_.bad();
    return false;
  }
  pos_ = 0;
  end_ = static_cast<size_t>(got);
  return true;
}

bool LineScanner::readLine() {
  if (fileEnded_) return false;
  lineNumber_ = nextLineNumber_;
  bool lineHadChars = false;
  char* const raw = raw_.data();
  const size_t rawCapacity = raw_.size();
  size_t rawLength = 0;
  int field = 1;
  bool quoted = false;
  OpenField f = openField(slots_, field);

  // A character of the line other than its end, already in the raw line.
  auto take = [&](char c) {
    if (c == '"') {
      quoted = !quoted;
      return;
    }
    if (c == ',' && !quoted) {
      closeField(slots_, field, f);
      if (field < kFieldNumberLimit) ++field;
      quoted = false;
      f = openField(slots_, field);
      return;
    }
    if (f.slot == nullptr) return;
    if (f.leadingBlanks && c == ' ') return;
    f.leadingBlanks = false;
    if (f.length < f.capacity) {
      f.slot[f.length++] = c;
    } else if (c != ' ') {
      f.textBeyondCapacity = true;
    }
  };
  // The raw line keeps what fits of every character but the line end.
  auto keepRaw = [&](const char* from, size_t count) {
    lineHadChars = lineHadChars || count > 0;
    const size_t kept = std::min(count, rawCapacity - rawLength);
    if (kept == 0) return;  // also when no raw line is kept at all (raw is null)
    std::memcpy(raw + rawLength, from, kept);
    rawLength += kept;
  };
  auto finishLine = [&] {
    closeField(slots_, field, f);
    rawLength_ = rawLength;
    lineHadChars_ = lineHadChars;
  };

  for (;;) {
    if (pos_ == end_ && !refill()) {
      finishLine();
      fileEnded_ = true;
      return true;
    }
    // The bytes of this buffer up to a CR or LF.
    const char* const buffer = buffer_.data();
    const size_t start = pos_;
    size_t pos = start;
    const size_t end = end_;
    while (pos < end && buffer[pos] != '\n' && buffer[pos] != '\r') take(buffer[pos++]);
    keepRaw(buffer + start, pos - start);
    pos_ = pos;
    if (pos == end) continue;

    int c = get();
    if (c == '\r') {
      if (peek() != '\n') {
        // A CR on its own is an ordinary character.
        const char cr = '\r';
        keepRaw(&cr, 1);
        take(cr);
        continue;
      }
      c = get();
    }
    finishLine();
    ++nextLineNumber_;
    // Blank lines and stray control characters between lines vanish.
    while ((c = peek()) >= 0 && c < 0x20) {
      if (c == '\n') ++nextLineNumber_;
      get();
    }
    if (c < 0) fileEnded_ = true;
    return true;
  }
}

}  // namespace stridewell
