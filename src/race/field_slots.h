// Fixed-capacity text slots for the numbered fields of card and results
// lines. Only fields named in a layout are kept; each keeps its text until
// the same field is read again, which is what the readers rely on for lines
// that end early.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace stridewell {

struct FieldRange {
  int first;
  int last;
  int capacity;  // characters, without the terminating NUL
  bool trackCode = false;  // normalised with normalizeTrackCode when stored
};

// Which fields a reader keeps and how many characters of each. Built once
// per reader kind and shared read-only.
class FieldLayout {
 public:
  FieldLayout(std::initializer_list<FieldRange> ranges);

  int maxField() const { return static_cast<int>(slotOf_.size()) - 1; }
  // Offset of the field's slot in the storage, or -1 when it is not kept.
  int32_t offsetOf(int field) const {
    return field > 0 && field <= maxField() ? slotOf_[field] : -1;
  }
  int capacityOf(int field) const { return capacity_[field]; }
  bool isTrackCode(int field) const { return trackCode_[field] != 0; }
  size_t storageSize() const { return storageSize_; }

 private:
  std::vector<int32_t> slotOf_;
  std::vector<int16_t> capacity_;
  std::vector<uint8_t> trackCode_;
  size_t storageSize_ = 0;
};

// The slot texts of one reader.
class FieldSlots {
 public:
  explicit FieldSlots(const FieldLayout& layout)
      : layout_(&layout), storage_(layout.storageSize(), '\0') {}

  const FieldLayout& layout() const { return *layout_; }
  // The text of a kept field (empty for fields the layout does not keep).
  std::string_view operator[](int field) const {
    const int32_t offset = layout_->offsetOf(field);
    return offset < 0 ? std::string_view() : std::string_view(&storage_[offset]);
  }
  char* slot(int field) {
    const int32_t offset = layout_->offsetOf(field);
    return offset < 0 ? nullptr : &storage_[offset];
  }
  void set(int field, std::string_view text);

 private:
  const FieldLayout* layout_;
  std::vector<char> storage_;
};

}  // namespace stridewell
