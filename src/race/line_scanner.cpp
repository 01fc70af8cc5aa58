#include "race/line_scanner.h"

#include "race/card_values.h"

namespace stridewell {
namespace {
constexpr size_t kBufferSize = 64 * 1024;
constexpr int kFieldNumberLimit = 1 << 30;  // field numbers stop counting here
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

void LineScanner::startField() {
  slot_ = slots_.slot(field_);
  capacity_ = slot_ ? slots_.layout().capacityOf(field_) : 0;
  length_ = 0;
  leadingBlanks_ = true;
  textBeyondCapacity_ = false;
}

void LineScanner::endField() {
  if (slot_ == nullptr) return;
  // Trailing blanks of the whole field go; blanks inside the kept part stay
  // when the field goes on beyond it.
  if (!textBeyondCapacity_) {
    while (length_ > 0 && slot_[length_ - 1] == ' ') --length_;
  }
  slot_[length_] = '\0';
  if (slots_.layout().isTrackCode(field_)) normalizeTrackCode(slot_);
}

bool LineScanner::readLine() {
  if (fileEnded_) return false;
  lineNumber_ = nextLineNumber_;
  lineHadChars_ = false;
  rawLength_ = 0;
  field_ = 1;
  bool quoted = false;
  startField();
  for (;;) {
    int c = get();
    if (c < 0) {
      endField();
      fileEnded_ = true;
      return true;
    }
    if (c == '\r' && peek() == '\n') c = get();
    if (c == '\n') {
      endField();
      ++nextLineNumber_;
      // Blank lines and stray control characters between lines vanish.
      while ((c = peek()) >= 0 && c < 0x20) {
        if (c == '\n') ++nextLineNumber_;
        get();
      }
      if (c < 0) fileEnded_ = true;
      return true;
    }
    lineHadChars_ = true;
    if (rawLength_ < raw_.size()) raw_[rawLength_++] = static_cast<char>(c);
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (c == ',' && !quoted) {
      endField();
      if (field_ < kFieldNumberLimit) ++field_;
      quoted = false;
      startField();
      continue;
    }
    if (slot_ == nullptr) continue;
    if (leadingBlanks_ && c == ' ') continue;
    leadingBlanks_ = false;
    if (length_ < capacity_) {
      slot_[length_++] = static_cast<char>(c);
    } else if (c != ' ') {
      textBeyondCapacity_ = true;
    }
  }
}

}  // namespace stridewell
