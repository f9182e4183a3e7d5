#include "core/text/star_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tovix {
namespace {

TEST(StarNames, SequenceFromStartSeed) {
  std::vector<std::string> names;
  TStarSeed seed = kStartSeed;
  for (int i = 0; i < 6; ++i) {
    names.push_back(MakeEliteName(seed));
    NextSystemSeed(seed);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Tibedied", "Qube", "Leleer", "Biarge", "Xequerin",
                                             "Tiraor"}));
  // Syllables worked out by hand: k = high byte of w2 & 31, then a twist per slot; bit 6 of w0
  // gives a fourth slot.
  EXPECT_EQ(MakeEliteName(TStarSeed{0x0000, 0x0000, 0x0100}), "Lelexe");
  EXPECT_EQ(MakeEliteName(TStarSeed{0x0040, 0x0000, 0x0100}), "Lelexeza");
  EXPECT_EQ(MakeEliteName(TStarSeed{0x0000, 0x0000, 0x0F00}), "Aari");  // a one-letter syllable
}

TEST(StarNames, TwistSumsInSixteenBits) {
  TStarSeed seed{0xFFFF, 0x0001, 0x0003};
  TwistSeed(seed);
  EXPECT_EQ(seed.w0, 0x0001);
  EXPECT_EQ(seed.w1, 0x0003);
  EXPECT_EQ(seed.w2, 0x0003);
}

// The generator can make "" and the proposal once handed it on, renaming a planet to nothing;
// the empty name must be passed over for the next one ({01B3 9F1E 8010} gives "", then "Lexece").
TEST(ProposeStarName, NeverProposesEmptyName) {
  int asked = 0;
  auto nothingUsed = [&](const std::string&) {
    ++asked;
    return false;
  };
  EXPECT_EQ(ProposeStarName(nothingUsed, TStarSeed{0x01B3, 0x9F1E, 0x8010}), "Lexece");
  EXPECT_EQ(asked, 1);
  asked = 0;
  EXPECT_EQ(ProposeStarName(nothingUsed, TStarSeed{0, 0, 0}), std::nullopt);
  EXPECT_EQ(asked, 0);
}

TEST(ProposeStarName, SkipsUsedNamesAndGivesUpAfterTenThousand) {
  const std::set<std::string> used{"Tibedied", "Qube"};
  EXPECT_EQ(ProposeStarName([&](const std::string& n) { return used.count(n) != 0; }), "Leleer");
  EXPECT_EQ(ProposeStarName([](const std::string&) { return false; }), "Tibedied");
  int asked = 0;
  auto everyNameUsed = [&](const std::string&) { return ++asked > 0; };
  EXPECT_EQ(ProposeStarName(everyNameUsed), std::nullopt);
  EXPECT_EQ(asked, 10000);
}

}  // namespace
}  // namespace tovix
