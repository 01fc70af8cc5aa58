#include "race/field_slots.h"

#include <algorithm>
#include <cstring>

namespace stridewell {

FieldLayout::FieldLayout(std::initializer_list<FieldRange> ranges) {
  int maxField = 0;
  for (const auto& range : ranges) maxField = std::max(maxField, range.last);
  slotOf_.assign(maxField + 1, -1);
  capacity_.assign(maxField + 1, 0);
  trackCode_.assign(maxField + 1, 0);
  for (const auto& range : ranges) {
    for (int field = range.first; field <= range.last; ++field) {
      slotOf_[field] = static_cast<int32_t>(storageSize_);
      capacity_[field] = static_cast<int16_t>(range.capacity);
      trackCode_[field] = range.trackCode;
      // Room for the NUL, and never less than 4 bytes so that a track code
      // can grow by its "X".
      storageSize_ += std::max(range.capacity + 1, 4);
    }
  }
}

void FieldSlots::set(int field, std::string_view text) {
  char* dst = slot(field);
  if (dst == nullptr) return;
  const size_t length = std::min<size_t>(text.size(), layout_->capacityOf(field));
  std::memcpy(dst, text.data(), length);
  dst[length] = '\0';
}

}  // namespace stridewell
