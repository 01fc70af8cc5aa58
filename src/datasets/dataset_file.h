// The dataset file: races stored one after another, each as a 6-byte header
// of three stored lengths (16-bit little-endian) followed by the first bytes
// of the RaceCard, RaceProfile and RaceResult images; the bytes left out are
// the zeros at each image's end. No file header, count or end marker, so
// appending is plain concatenation. Writer and reader work on streams the
// caller opens (binary mode); one reader per stream, on one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "race/race.h"

namespace stridewell {

inline constexpr size_t kRaceHeaderBytes = 6;
// The largest race a dataset can hold: header plus three whole images.
inline constexpr size_t kMaxDatasetRaceBytes =
    kRaceHeaderBytes + sizeof(RaceCard) + sizeof(RaceProfile) + sizeof(RaceResult);
static_assert(kMaxDatasetRaceBytes == 68965);
static_assert(sizeof(RaceCard) <= 0xFFFF && sizeof(RaceProfile) <= 0xFFFF && sizeof(RaceResult) <= 0xFFFF,
              "every stored length must fit the 16-bit header field");

// How many bytes of an image are stored: its size less the zero bytes at its
// end, but at least 1, so that a stored length of 0 never occurs in a sound
// file (an all-zero image is stored as one zero byte). `size` must be >= 1.
size_t storedLength(const void* image, size_t size);

// Writes `race` (card, profile and result; the card texts are not stored) as
// one race record: the header, then the stored bytes as one block. False
// when either write fails. The stream may buffer: a caller that must know
// the bytes reached the file flushes and checks the stream afterwards.
bool writeDatasetRace(std::ostream& out, const Race& race);

class DatasetReader {
 public:
  // `fileName` names the dataset in messages (its path or its name).
  DatasetReader(std::istream& in, std::string fileName);

  // Reads the next race into `race`: each record is zeroed and its stored
  // bytes read over its start, so nothing of an earlier race survives; the
  // card texts, which datasets do not keep, are cleared. False at the end of
  // the file, and also when the race is damaged (see damaged()); `race` then
  // holds no valid race. After false, next() keeps returning false.
  bool next(Race& race);

  // Reading stopped at a damaged race rather than at the end of the file:
  // the file ends inside a race (header included), or a stored length is 0
  // or larger than its record. Nothing is read past a bad header, and no
  // record is ever written beyond its size.
  bool damaged() const { return damaged_; }

  // The stream position just after the last race read successfully (the
  // stream's position when the reader was made, if nothing was read yet).
  // With the file size this gives the progress of a run.
  uint64_t position() const { return position_; }

  int racesRead() const { return racesRead_; }
  const std::string& fileName() const { return fileName_; }

  // A sentence for the user naming the file, the race (counted from 1) and
  // what is wrong with it, or empty when the file read cleanly so far.
  std::string problem() const;

 private:
  enum class Damage { kNone, kCutShort, kZeroLength, kTooLong };

  bool readBytes(void* into, size_t count);
  bool fail(Damage damage, const char* record);

  std::istream& in_;
  std::string fileName_;
  uint64_t position_ = 0;
  uint64_t consumed_ = 0;  // position_ plus the bytes of the race being read
  int racesRead_ = 0;
  bool done_ = false;
  bool damaged_ = false;
  Damage damage_ = Damage::kNone;
  const char* damagedRecord_ = "";
};

}  // namespace stridewell
