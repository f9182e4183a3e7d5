#include "core/settings/game_variant.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(GameTypeNames, EveryNameReadsBackAsItsVariantInAnyCase) {
  for (int i = 0; i < kGameTypeCount; ++i) {
    TGameType type = static_cast<TGameType>(i);
    EXPECT_EQ(GameTypeFromName(GameTypeName(type)), type) << i;
  }
  EXPECT_EQ(GameTypeFromName("galaxy ng BLIND"), TGameType::NGBlind);
  EXPECT_EQ(GameTypeFromName("Galaxy"), TGameType::Unknown);  // whole names only
  EXPECT_EQ(MapTypeFromName("spherical"), TMapType::Spherical);
  EXPECT_EQ(MapTypeFromName("Round"), TMapType::Normal);
}

// ---- detection from lines

// `report`: the first lines of a report, separated by "\n".
struct LinesCase {
  std::string name;
  std::string report;
  TGameType expected;
  std::string header;
};

class DetectFromLines : public testing::TestWithParam<LinesCase> {};

TEST_P(DetectFromLines, FindsHeaderAndVariant) {
  const LinesCase& c = GetParam();
  std::vector<std::string> lines;
  std::istringstream report(c.report);
  for (std::string line; std::getline(report, line);) lines.push_back(line);
  std::string header = "stale";
  EXPECT_EQ(DetectGameTypeFromLines(lines, header), c.expected);
  EXPECT_EQ(header, c.header);
}

const std::string kBulletins = "Bulletins for Galaxy Game Orion Turn 3\n";
const std::string kHeader = "Galaxy Game Orion Turn 3 Report for Arcturans";
const std::string kHeaderLine = "\t\t" + kHeader;
const std::string kBlindHeader = "Blind Galaxy game Nebula Turn 12 Report for Nation Zork";
const std::string kPlusHeader = "Arcturans Report for Galaxy PLUS Orion Turn 26";
const std::string kNGBlindHeader = "GalaxyNG-Blind Game Veil Turn 4 Report for Ghosts";

INSTANTIATE_TEST_SUITE_P(
    Variants, DetectFromLines,
    testing::Values(
        LinesCase{"Normal", kBulletins + "\n" + kHeaderLine + "\n\t\tYour Options",
                  TGameType::Normal, kHeader},
        LinesCase{"NG", kBulletins + "\tGalaxyNG release-6-4, October 2007.\n\n" + kHeaderLine,
                  TGameType::NG, kHeader},
        LinesCase{"NGReleaseAfterHeader", kHeaderLine + "\nx\nGalaxyNG release 7", TGameType::NG,
                  kHeader},
        LinesCase{"NT", "  GalaxyNT release 1.2\n" + kHeaderLine, TGameType::NT, kHeader},
        LinesCase{"NGWinsOverNT", "GalaxyNT release 1\nGalaxyNG release 2\n" + kHeaderLine,
                  TGameType::NG, kHeader},
        // "GalaxyNG release" must start the line (after non-word characters only).
        LinesCase{"ReleaseInsideText", kHeaderLine + "\nsee GalaxyNG release notes",
                  TGameType::Normal, kHeader},
        LinesCase{"Blind", "\t\tOptions\n\t\t" + kBlindHeader, TGameType::Blind, kBlindHeader},
        LinesCase{"Plus",
                  kBulletins + "         " + kPlusHeader +
                      "\n                Galaxy PLUS version 1.0-NG-GPLUS-Emulator",
                  TGameType::Plus, kPlusHeader},
        LinesCase{"NGBlind", "\t" + kNGBlindHeader, TGameType::NGBlind, kNGBlindHeader},
        // The header names the game, the turn and the race: four words after "Galaxy Game".
        LinesCase{"TooFewHeaderWords", "Galaxy Game Orion Turn", TGameType::Unknown, ""},
        // The first header-like line decides, even when a later one is a "Galaxy Game" line.
        LinesCase{"FirstHeaderWins", "Blind Galaxy game X\n" + kHeaderLine + "\nGalaxyNG release 1",
                  TGameType::Blind, "Blind Galaxy game X"},
        LinesCase{"NoBreakSpaces", "\xA0\xA0Galaxy\xA0Game Orion Turn 3 Report for Arcturans\xA0",
                  TGameType::Normal, kHeader},
        // The UTF-8 form must become one blank, not leave its lead byte in the header line.
        LinesCase{"Utf8NoBreakSpaces",
                  "\xC2\xA0Galaxy\xC2\xA0Game Orion Turn\xC2\xA0"
                  "3 Report for Arcturans",
                  TGameType::Normal, kHeader}),
    [](const testing::TestParamInfo<LinesCase>& row) { return row.param.name; });

// ---- detection from files

TEST(DetectGameType, ReadsAFileWithAnyLineEndsAndNeverThrows) {
  TempDir dir;
  for (const std::string eol : {"\n", "\r", "\r\n"}) {
    std::ofstream(dir / "k001.txt", std::ios::binary)
        << "x" << eol << "\tGalaxyNG release 6" << eol << "\t\tGalaxy Game G Turn 1 Report for R";
    EXPECT_EQ(DetectGameType(dir / "k001.txt"), TGameType::NG);
  }
  EXPECT_EQ(DetectGameType(dir / "missing.txt"), TGameType::Unknown);
  EXPECT_EQ(DetectGameType(dir.path()), TGameType::Unknown);  // a folder, not a file
  std::ofstream(dir / "empty.txt", std::ios::binary) << "";
  EXPECT_EQ(DetectGameType(dir / "empty.txt"), TGameType::Unknown);
}

TEST(DetectGameType, OrionReportsAreGalaxyNGAndTheVariantTurnHoldsAPlusReport) {
  fs::path orion = test::ReportsDir("orion");
  fs::path t26 = test::ReportsDir("orion-variant-t26");
  if (orion.empty() || t26.empty()) GTEST_SKIP() << "the Orion reports are not on this machine";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(orion)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
    ++files;
    EXPECT_EQ(DetectGameType(entry.path()), TGameType::NG) << entry.path();
  }
  EXPECT_EQ(files, 260);
  EXPECT_EQ(DetectGameType(t26 / "A026.txt"), TGameType::Plus);
  EXPECT_EQ(DetectGameType(t26 / "B026.txt"), TGameType::NG);
}

}  // namespace
}  // namespace tovix
