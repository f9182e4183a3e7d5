#pragma once
// The program's colour value: a 32-bit number with red in the low byte, then green and blue
// (the form colours are stored as decimal integers of it). Values with the high bit set name a
// system colour by index; two values stand for "no colour" and "the default colour".

#include <cstdint>

namespace tovix {

using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor kSystemColorFlag = 0x80000000;

constexpr TColor RgbColor(int red, int green, int blue) {
  return static_cast<TColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(TColor c) {
  return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(TColor c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(TColor c) {
  return static_cast<int>((c >> 16) & 0xFF);
}
constexpr bool IsSystemColor(TColor c) {
  return (c & kSystemColorFlag) != 0;
}

}  // namespace tovix
