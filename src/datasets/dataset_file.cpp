#include "datasets/dataset_file.h"

#include <array>
#include <cstring>
#include <streambuf>
#include <utility>

namespace stridewell {

namespace {

struct ImageView {
  const unsigned char* bytes;
  size_t size;
};

void putLength(unsigned char* at, size_t length) {
  at[0] = static_cast<unsigned char>(length & 0xFF);
  at[1] = static_cast<unsigned char>((length >> 8) & 0xFF);
}

size_t getLength(const unsigned char* at) {
  return static_cast<size_t>(at[0] | (at[1] << 8));
}

}  // namespace

size_t storedLength(const void* image, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(image);
  size_t length = size;
  while (length > 1 && bytes[length - 1] == 0) --length;
  return length;
}

bool writeDatasetRace(std::ostream& out, const Race& race) {
  const std::array<ImageView, 3> images{{
      {reinterpret_cast<const unsigned char*>(&race.card), sizeof race.card},
      {reinterpret_cast<const unsigned char*>(&race.profile), sizeof race.profile},
      {reinterpret_cast<const unsigned char*>(&race.result), sizeof race.result},
  }};
  std::array<unsigned char, kRaceHeaderBytes> header{};
  // One block for the three images, so that a race costs two writes.
  std::string block;
  block.reserve(kMaxDatasetRaceBytes - kRaceHeaderBytes);
  for (size_t i = 0; i < images.size(); ++i) {
    const size_t length = storedLength(images[i].bytes, images[i].size);
    putLength(header.data() + 2 * i, length);
    block.append(reinterpret_cast<const char*>(images[i].bytes), length);
  }
  if (!out.write(reinterpret_cast<const char*>(header.data()), header.size())) return false;
  return static_cast<bool>(out.write(block.data(), static_cast<std::streamsize>(block.size())));
}

DatasetReader::DatasetReader(std::istream& in, std::string fileName)
    : in_(in), fileName_(std::move(fileName)) {
  if (in_.good()) {
    // An unseekable stream answers -1: positions then count from 0.
    const std::istream::pos_type start = in_.tellg();
    if (start != std::istream::pos_type(-1)) position_ = static_cast<uint64_t>(std::streamoff(start));
  }
  consumed_ = position_;
}

// Reads straight from the stream buffer, taking short reads in a loop:
// istream::read would give up at the first short one, which pipes and
// slow devices hand out freely.
bool DatasetReader::readBytes(void* into, size_t count) {
  std::streambuf* buffer = in_.rdbuf();
  if (buffer == nullptr) return false;
  auto* out = static_cast<char*>(into);
  size_t got = 0;
  while (got < count) {
    const std::streamsize n = buffer->sgetn(out + got, static_cast<std::streamsize>(count - got));
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  consumed_ += got;
  return got == count;
}

bool DatasetReader::fail(Damage damage, const char* record) {
  done_ = true;
  damaged_ = true;
  damage_ = damage;
  damagedRecord_ = record;
  in_.setstate(std::ios::eofbit);
  return false;
}

bool DatasetReader::next(Race& race) {
  if (done_) return false;
  std::array<unsigned char, kRaceHeaderBytes> header{};
  const uint64_t raceStart = consumed_;
  if (!readBytes(header.data(), header.size())) {
    if (consumed_ == raceStart) {  // nothing at all: the end of the file
      done_ = true;
      in_.setstate(std::ios::eofbit);
      return false;
    }
    return fail(Damage::kCutShort, "header");
  }

  struct Target {
    void* record;
    size_t size;
    const char* name;
  };
  const std::array<Target, 3> targets{{
      {&race.card, sizeof race.card, "card"},
      {&race.profile, sizeof race.profile, "profile"},
      {&race.result, sizeof race.result, "result"},
  }};
  // All three lengths are judged before any record is touched: a length
  // beyond its record would otherwise write past it.
  std::array<size_t, 3> lengths{};
  for (size_t i = 0; i < targets.size(); ++i) {
    lengths[i] = getLength(header.data() + 2 * i);
    if (lengths[i] == 0) return fail(Damage::kZeroLength, targets[i].name);
    if (lengths[i] > targets[i].size) return fail(Damage::kTooLong, targets[i].name);
  }
  for (size_t i = 0; i < targets.size(); ++i) {
    std::memset(targets[i].record, 0, targets[i].size);
    if (!readBytes(targets[i].record, lengths[i])) return fail(Damage::kCutShort, targets[i].name);
  }
  clearRecord(race.text);
  position_ = consumed_;
  ++racesRead_;
  return true;
}

std::string DatasetReader::problem() const {
  if (!damaged_) return {};
  const int raceNumber = racesRead_ + 1;
  std::string text = fileName_ + ": race " + std::to_string(raceNumber) + " is damaged";
  switch (damage_) {
    case Damage::kCutShort:
      text += std::string(" (the file ends inside its ") + damagedRecord_ + ")";
      break;
    case Damage::kZeroLength:
      text += std::string(" (its ") + damagedRecord_ + " has a stored length of 0)";
      break;
    case Damage::kTooLong:
      text += std::string(" (its ") + damagedRecord_ + " has a stored length larger than the record)";
      break;
    case Damage::kNone:
      break;
  }
  text += "; reading stopped there, after " + std::to_string(racesRead_) +
          (racesRead_ == 1 ? " sound race" : " sound races");
  return text;
}

}  // namespace stridewell
