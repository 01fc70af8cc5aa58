// Writes HorseProfile members at their byte offsets in the stored record,
// so that encoding tests check the layout independently of member names.
#pragma once

#include <cstdint>
#include <cstring>

#include "race/race_profile.h"

namespace stridewell::test {

class ProfileBytes {
 public:
  ProfileBytes() { std::memset(bytes_, 0, sizeof bytes_); }
  template <typename T>
  ProfileBytes& put(size_t offset, T value) {
    std::memcpy(bytes_ + offset, &value, sizeof value);
    return *this;
  }
  HorseProfile profile() const {
    HorseProfile horse;
    std::memcpy(static_cast<void*>(&horse), bytes_, sizeof horse);
    return horse;
  }

 private:
  unsigned char bytes_[sizeof(HorseProfile)];
};

}  // namespace stridewell::test
