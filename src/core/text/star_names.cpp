#include "core/text/star_names.h"

#include <string_view>

namespace tovix {

namespace {

// Syllable k (1..31) is the pair at offset 24 + 2k; "?" as second letter makes a one-letter
// syllable. Pair 0 ("al") is never used, k = 0 stands for "no syllable".
constexpr std::string_view kPairs =
    "ABOUSEITILETSTONLONUTHNOallexegezacebisousesarmaindirea?eratenberalavetiedorquanteisrion";
static_assert(kPairs.size() == 88);

constexpr int kMaxProposals = 10000;

}  // namespace

void TwistSeed(TStarSeed& seed) {
  const auto t = static_cast<uint16_t>(seed.w0 + seed.w1 + seed.w2);
  seed.w0 = seed.w1;
  seed.w1 = seed.w2;
  seed.w2 = t;
}

void NextSystemSeed(TStarSeed& seed) {
  for (int i = 0; i < 4; ++i) TwistSeed(seed);
}

std::string MakeEliteName(TStarSeed seed) {
  const int slots = (seed.w0 & 0x40) != 0 ? 4 : 3;
  std::string name;
  for (int i = 0; i < slots; ++i) {
    const unsigned k = (seed.w2 >> 8) & 31u;
    if (k != 0) {
      const std::size_t at = 24 + 2 * k;
      name += kPairs[at];
      if (kPairs[at + 1] != '?') name += kPairs[at + 1];
    }
    TwistSeed(seed);
  }
  if (!name.empty() && name[0] >= 'a' && name[0] <= 'z')
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

std::optional<std::string> ProposeStarName(const std::function<bool(const std::string&)>& isUsed,
                                           TStarSeed start) {
  TStarSeed seed = start;
  return ProposeNextStarName(isUsed, seed);
}

std::optional<std::string> ProposeNextStarName(
    const std::function<bool(const std::string&)>& isUsed, TStarSeed& seed) {
  for (int i = 0; i < kMaxProposals; ++i) {
    std::string name = MakeEliteName(seed);
    NextSystemSeed(seed);
    // An empty name would rename the planet to nothing.
    if (!name.empty() && !isUsed(name)) return name;
  }
  return std::nullopt;
}

}  // namespace tovix
