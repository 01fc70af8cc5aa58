// A read-only stream buffer over a block of bytes that hands them out a few
// at a time, so that the readers' refills land at every possible position of
// a line: inside a CR LF pair, inside a quoted field, just before the end.
// Used by the fuzz targets to compare a chunked read with a whole-block one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <streambuf>
#include <string_view>

namespace stridewell::fuzz {

class ChunkedBuf : public std::streambuf {
 public:
  ChunkedBuf(std::string_view bytes, size_t chunk) : bytes_(bytes), chunk_(std::max<size_t>(chunk, 1)) {}

 protected:
  std::streamsize xsgetn(char* out, std::streamsize count) override {
    const size_t n = std::min({static_cast<size_t>(count), chunk_, bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, n, out);
    pos_ += n;
    return static_cast<std::streamsize>(n);
  }
  int_type underflow() override {
    if (pos_ == bytes_.size()) return traits_type::eof();
    current_ = bytes_[pos_++];
    setg(&current_, &current_, &current_ + 1);
    return traits_type::to_int_type(current_);
  }

 private:
  std::string_view bytes_;
  size_t chunk_;
  size_t pos_ = 0;
  char current_ = 0;
};

}  // namespace stridewell::fuzz
