#pragma once
// Pronounceable planet names made from a 48-bit seed, for proposing the new name of a planet
// that a rename order is to give.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tovix {

// Three 16-bit words; the generator reads bit 6 of w0's low byte and the high byte of w2.
struct TStarSeed {
  uint16_t w0 = 0;
  uint16_t w1 = 0;
  uint16_t w2 = 0;
};

// Every name sequence starts here.
inline constexpr TStarSeed kStartSeed{0x5A4A, 0x0248, 0xB753};

// t = w0 + w1 + w2 (16 bits); the words move down one place and w2 becomes t.
void TwistSeed(TStarSeed& seed);
// Four twists: the seed of the next name.
void NextSystemSeed(TStarSeed& seed);
// The name of `seed`: three or four syllables, first letter upper case. Some seeds give "".
std::string MakeEliteName(TStarSeed seed);

// Names from `start` on, stepping with NextSystemSeed: the first one that is not empty and
// that `isUsed` does not claim. At most 10000 names are tried; nullopt when none was free.
std::optional<std::string> ProposeStarName(const std::function<bool(const std::string&)>& isUsed,
                                           TStarSeed start = kStartSeed);
// The same from `seed` on, leaving `seed` at the name after the one proposed (or where the
// search gave up), so that the next proposal goes on instead of starting over.
std::optional<std::string> ProposeNextStarName(
    const std::function<bool(const std::string&)>& isUsed, TStarSeed& seed);

}  // namespace tovix
