// Fixed-capacity text slots for the numbered fields of card and results
// lines. Only fields named in a layout are kept; each keeps its text until
// the same field is read again, which is what the readers rely on for lines
// that end early.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <vector>

namespace stridewell {

struct FieldRange {
  int first;
  int last;
  int capacity;            // characters, without the terminating NUL
  bool trackCode = false;  // normalised with normalizeTrackCode when stored
};

// What the line scanner needs to know about one field number, in one place.
struct FieldSpec {
  static constexpr int32_t kNoMoreKept = std::numeric_limits<int32_t>::max();

  int32_t offset = -1;  // of the slot in the storage; -1 when the field is not kept
  int16_t capacity = 0;
  bool trackCode = false;
  // For a field that is not kept: how many fields from this one on are not
  // kept either (kNoMoreKept past the last kept field), so that the scanner
  // can pass over them without looking anything up.
  int32_t unkeptRun = 0;
};

// Every slot has at least this many bytes, so that a track code can grow by
// its "X" and the line scanner can store a short field with one 8-byte copy.
inline constexpr int kMinSlotBytes = 8;

// Which fields a reader keeps and how many characters of each. Built once
// per reader kind and shared read-only.
class FieldLayout {
 public:
  FieldLayout(std::initializer_list<FieldRange> ranges);

  int maxField() const { return maxField_; }
  const FieldSpec* specs() const { return specs_.data(); }  // by field number, 0 .. maxField
  const FieldSpec& spec(int field) const {
    return field > 0 && field <= maxField() ? specs_[field] : kBeyondLastField;
  }
  // Offset of the field's slot in the storage, or -1 when it is not kept.
  int32_t offsetOf(int field) const { return spec(field).offset; }
  int capacityOf(int field) const { return spec(field).capacity; }
  bool isTrackCode(int field) const { return spec(field).trackCode; }
  size_t storageSize() const { return storageSize_; }

  // What every field beyond maxField looks like: not kept, nothing kept after it.
  static constexpr FieldSpec kBeyondLastField{-1, 0, false, FieldSpec::kNoMoreKept};

 private:
  std::vector<FieldSpec> specs_;  // by field number, 0 .. maxField
  int maxField_ = 0;
  size_t storageSize_ = 0;
};

// The slot texts of one reader. Each slot's length is kept beside its text,
// so that reading a field costs no strlen: the card reader looks at a few
// hundred fields of every line.
class FieldSlots {
 public:
  explicit FieldSlots(const FieldLayout& layout)
      : layout_(&layout), storage_(layout.storageSize(), '\0'), lengths_(layout.maxField() + 1, 0) {}

  const FieldLayout& layout() const { return *layout_; }
  // The text of a kept field (empty for fields the layout does not keep).
  // Like the C string in the slot, it ends at the first NUL.
  std::string_view operator[](int field) const {
    const int32_t offset = layout_->offsetOf(field);
    return offset < 0 ? std::string_view() : std::string_view(&storage_[offset], lengths_[field]);
  }
  // Where a kept field's text goes (null for fields the layout does not
  // keep). Whoever writes there directly must then call setLength.
  char* slot(int field) {
    const int32_t offset = layout_->offsetOf(field);
    return offset < 0 ? nullptr : &storage_[offset];
  }
  // Records the length of the NUL-terminated text just written to slot(field).
  void setLength(int field, size_t length) { lengths_[field] = static_cast<uint16_t>(length); }
  void set(int field, std::string_view text);

  // Where slot texts and their lengths live, for a writer that stores many
  // fields in a row (the line scanner): the storage offsets of layout() and
  // setLength's lengths by field number.
  char* storage() { return storage_.data(); }
  uint16_t* lengths() { return lengths_.data(); }

 private:
  const FieldLayout* layout_;
  std::vector<char> storage_;
  std::vector<uint16_t> lengths_;  // by field number; every capacity fits
};

}  // namespace stridewell
