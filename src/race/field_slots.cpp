#include "race/field_slots.h"

#include <algorithm>
#include <cstring>

namespace stridewell {

FieldLayout::FieldLayout(std::initializer_list<FieldRange> ranges) {
  int maxField = 0;
  for (const auto& range : ranges) maxField = std::max(maxField, range.last);
  maxField_ = maxField;
  specs_.assign(maxField + 1, FieldSpec{});
  for (const auto& range : ranges) {
    for (int field = range.first; field <= range.last; ++field) {
      FieldSpec& spec = specs_[field];
      spec.offset = static_cast<int32_t>(storageSize_);
      spec.capacity = static_cast<int16_t>(range.capacity);
      spec.trackCode = range.trackCode;
      // Room for the NUL, and never less than kMinSlotBytes.
      storageSize_ += std::max(range.capacity + 1, kMinSlotBytes);
    }
  }
  // Runs of fields not kept, counted from the back; the last one runs on
  // through every field beyond maxField.
  int32_t run = FieldSpec::kNoMoreKept;
  for (int field = maxField; field >= 1; --field) {
    if (specs_[field].offset >= 0) {
      run = 0;
    } else if (run != FieldSpec::kNoMoreKept) {
      ++run;
    }
    specs_[field].unkeptRun = run;
  }
}

void FieldSlots::set(int field, std::string_view text) {
  char* dst = slot(field);
  if (dst == nullptr) return;
  const size_t length = std::min<size_t>(text.size(), layout_->capacityOf(field));
  std::memcpy(dst, text.data(), length);
  dst[length] = '\0';
  // A NUL inside `text` ends the slot's text, as it would the C string.
  setLength(field, static_cast<size_t>(std::find(dst, dst + length, '\0') - dst));
}

}  // namespace stridewell
