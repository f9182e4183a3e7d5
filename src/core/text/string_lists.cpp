#include "core/text/string_lists.h"

#include "core/text/numbers.h"

namespace tovix {

int32_t StrHash(std::string_view text) {
  uint32_t h = 0;
  for (const char ch : text) {
    h = (h << 4) + static_cast<unsigned char>(ch);
    const uint32_t g = h & 0x0F000000u;
    // Only the low bits named by g are cleared, so bits 28-31 survive; the stored order of
    // every sorted list depends on keeping it that way.
    if (g != 0) h &= ~(g >> 24);
  }
  return static_cast<int32_t>(h);
}

namespace string_list_detail {

void ThrowIndexError(int index) {
  throw EStringListError(Fmt("List index out of bounds (%d)", index));
}

void ThrowSortedError() {
  throw EStringListError("Operation not allowed on sorted list");
}

void ThrowDuplicateError() {
  throw EStringListError("String list does not allow duplicates");
}

void ThrowCapacityError(int capacity) {
  throw EStringListError(Fmt("List capacity out of bounds (%d)", capacity));
}

int GrownCapacity(int capacity) {
  int delta = 4;
  if (capacity > 512) {
    delta = capacity / 4;
  } else if (capacity > 64) {
    delta = 128;
  } else if (capacity > 8) {
    delta = 16;
  }
  return capacity + delta;
}

}  // namespace string_list_detail

}  // namespace tovix
