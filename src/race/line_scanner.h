// The lexical level shared by the card and results readers: one line at a
// time from a stream, fields separated by commas outside double quotes, each
// field trimmed of blanks and cut to its slot, line ends at LF, CR LF or a
// CR on its own, and any run of control characters after a line end
// skipped. Memory is bounded whatever the input: fields go into fixed slots,
// the raw line is capped.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <string_view>
#include <vector>

#include "race/check_code.h"
#include "race/field_slots.h"

namespace stridewell {

class LineScanner {
 public:
  // Whether to note where each line's check commas lie (see checkCommas()).
  enum class CheckCommaSearch { kOff, kOn };

  // `rawCapacity` is how many characters of each raw line to keep (0: none).
  LineScanner(std::istream& in, FieldSlots& slots, size_t rawCapacity,
              CheckCommaSearch checkCommaSearch = CheckCommaSearch::kOff);

  // Reads the next line into the slots; false once the input is exhausted.
  bool readLine();

  bool fileEnded() const { return fileEnded_; }      // the line just read was the last
  bool lineEmpty() const { return !lineHadChars_; }  // the line held no character at all
  int lineNumber() const { return lineNumber_; }     // 1-based, counting line ends
  // Fields of the line just read are counted up to `limit`: fieldCount()
  // then gives their number, or limit + 1 for a line with more. Without a
  // limit (0) only the fields up to the last kept one are sure to count.
  void countFieldsTo(int limit) { countFieldsTo_ = limit; }
  int fieldCount() const { return fieldCount_; }
  // The line as read, without its end, cut to rawCapacity; valid until the
  // next readLine.
  std::string_view rawLine() const {
    return {rawInBuffer_ ? buffer_.data() + rawStart_ : raw_.data(), rawLength_};
  }
  bool readError() const { return readError_; }  // the stream failed, not just ended
  // With CheckCommaSearch::kOn, where the line's check commas lie, counted in
  // characters from the start of the line as read (so possibly beyond the
  // kept raw line); all missing otherwise.
  const CheckCommas& checkCommas() const { return checkCommas_; }

 private:
  struct LineState;

  int get() {
    if (pos_ == end_ && !refill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
  }
  int peek() {
    if (pos_ == end_ && !refill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  bool refill();
  const char* scanFields(const char* p, LineState& line);
  void keepRaw(size_t offset, size_t count);
  void copyRawOut();

  std::istream& in_;
  FieldSlots& slots_;
  std::vector<char> buffer_;  // the bytes read, a LF after them, then padding
  size_t pos_ = 0;
  size_t end_ = 0;
  bool inputDone_ = false;
  bool readError_ = false;

  std::vector<char> raw_;
  size_t rawLength_ = 0;
  bool rawInBuffer_ = false;  // the raw line is buffer_[rawStart_, +rawLength_), not in raw_
  size_t rawStart_ = 0;

  // The separator commas whose places are noted, in order, then a stop.
  std::array<int, 4> notedCommas_{};
  CheckCommas checkCommas_;

  bool fileEnded_ = false;
  bool lineHadChars_ = false;
  int lineNumber_ = 0;
  int nextLineNumber_ = 1;
  int countFieldsTo_ = 0;
  int fieldCount_ = 0;
};

}  // namespace stridewell
