// The lexical level shared by the card and results readers: one line at a
// time from a stream, fields separated by commas outside double quotes, each
// field trimmed of blanks and cut to its slot, line ends at LF or CR LF, and
// any run of control characters after a line end skipped. Memory is bounded
// whatever the input: fields go into fixed slots, the raw line is capped.
#pragma once

#include <cstddef>
#include <istream>
#include <string_view>
#include <vector>

#include "race/field_slots.h"

namespace stridewell {

class LineScanner {
 public:
  // `rawCapacity` is how many characters of each raw line to keep (0: none).
  LineScanner(std::istream& in, FieldSlots& slots, size_t rawCapacity);

  // Reads the next line into the slots; false once the input is exhausted.
  bool readLine();

  bool fileEnded() const { return fileEnded_; }       // the line just read was the last
  bool lineEmpty() const { return !lineHadChars_; }   // the line held no character at all
  int lineNumber() const { return lineNumber_; }      // 1-based, counting LFs
  std::string_view rawLine() const { return {raw_.data(), rawLength_}; }
  bool readError() const { return readError_; }       // the stream failed, not just ended

 private:
  int get() {
    if (pos_ == end_ && !refill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
  }
  int peek() {
    if (pos_ == end_ && !refill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  bool refill();

  std::istream& in_;
  FieldSlots& slots_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool inputDone_ = false;
  bool readError_ = false;

  std::vector<char> raw_;
  size_t rawLength_ = 0;

  bool fileEnded_ = false;
  bool lineHadChars_ = false;
  int lineNumber_ = 0;
  int nextLineNumber_ = 1;
};

}  // namespace stridewell
