#include "core/game_variant.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct RowName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& row) const {
    return row.param.name;
  }
};

void WriteBytes(const fs::path& p, std::string_view bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// ---- names

TEST(GameTypeNames, EveryNameReadsBackAsItsVariant) {
  for (int i = 0; i < kGameTypeCount; ++i) {
    TGameType type = static_cast<TGameType>(i);
    EXPECT_EQ(GameTypeFromName(GameTypeName(type)), type) << i;
  }
  EXPECT_EQ(GameTypeFromName("galaxy ng BLIND"), TGameType::NGBlind);
  EXPECT_EQ(GameTypeFromName("Galaxy"), TGameType::Unknown);  // whole names only
  EXPECT_EQ(MapTypeFromName("spherical"), TMapType::Spherical);
  EXPECT_EQ(MapTypeFromName("Round"), TMapType::Normal);
  EXPECT_EQ(MapTypeName(TMapType::Spherical), "Spherical");
}

// ---- detection from lines

struct LinesCase {
  const char* name;
  std::vector<std::string> lines;
  TGameType expected;
  const char* header;
};

class DetectFromLines : public testing::TestWithParam<LinesCase> {};

TEST_P(DetectFromLines, FindsHeaderAndVariant) {
  const LinesCase& c = GetParam();
  std::string header = "stale";
  EXPECT_EQ(DetectGameTypeFromLines(c.lines, header), c.expected);
  EXPECT_EQ(header, c.header);
}

const std::string kBulletins = "Bulletins for Galaxy Game Orion Turn 3";
const std::string kNGHeader = "\t\tGalaxy Game Orion Turn 3 Report for Arcturans";
const char* kNGHeaderTrimmed = "Galaxy Game Orion Turn 3 Report for Arcturans";

INSTANTIATE_TEST_SUITE_P(
    Variants, DetectFromLines,
    testing::Values(
        LinesCase{"Normal",
                  {kBulletins, "", kNGHeader, "\t\tYour Options"},
                  TGameType::Normal,
                  kNGHeaderTrimmed},
        LinesCase{"NG",
                  {kBulletins, "\tGalaxyNG release-6-4, October 2007.", "", kNGHeader},
                  TGameType::NG,
                  kNGHeaderTrimmed},
        LinesCase{"NGReleaseAfterHeader",
                  {kNGHeader, "x", "GalaxyNG release 7"},
                  TGameType::NG,
                  kNGHeaderTrimmed},
        LinesCase{"NT", {"  GalaxyNT release 1.2", kNGHeader}, TGameType::NT, kNGHeaderTrimmed},
        LinesCase{"NGWinsOverNT",
                  {"GalaxyNT release 1", "GalaxyNG release 2", kNGHeader},
                  TGameType::NG,
                  kNGHeaderTrimmed},
        // "GalaxyNG release" must start the line (after non-word characters only).
        LinesCase{"ReleaseInsideText",
                  {kNGHeader, "see GalaxyNG release notes"},
                  TGameType::Normal,
                  kNGHeaderTrimmed},
        LinesCase{"Blind",
                  {"\t\tOptions", "\t\tBlind Galaxy game Nebula Turn 12 Report for Nation Zork"},
                  TGameType::Blind,
                  "Blind Galaxy game Nebula Turn 12 Report for Nation Zork"},
        LinesCase{"Plus",
                  {kBulletins, "         Arcturans Report for Galaxy PLUS Orion Turn 26",
                   "                Galaxy PLUS version 1.0-NG-GPLUS-Emulator"},
                  TGameType::Plus,
                  "Arcturans Report for Galaxy PLUS Orion Turn 26"},
        LinesCase{"NGBlind",
                  {"\tGalaxyNG-Blind Game Veil Turn 4 Report for Ghosts"},
                  TGameType::NGBlind,
                  "GalaxyNG-Blind Game Veil Turn 4 Report for Ghosts"},
        // The header names the game, the turn and the race: four words after "Galaxy Game".
        LinesCase{"TooFewHeaderWords", {"Galaxy Game Orion Turn"}, TGameType::Unknown, ""},
        LinesCase{"NoHeader", {"", "hello", "\t\tYour Planets"}, TGameType::Unknown, ""},
        // The first header-like line decides, even when a later one is a "Galaxy Game" line.
        LinesCase{"FirstHeaderWins",
                  {"Blind Galaxy game X", kNGHeader, "GalaxyNG release 1"},
                  TGameType::Blind,
                  "Blind Galaxy game X"},
        LinesCase{"NoBreakSpaces",
                  {"\xA0\xA0Galaxy\xA0Game Orion Turn 3 Report for Arcturans\xA0"},
                  TGameType::Normal,
                  kNGHeaderTrimmed},
        // The UTF-8 form must become one blank, not leave its lead byte in the header line.
        LinesCase{"Utf8NoBreakSpaces",
                  {"\xC2\xA0Galaxy\xC2\xA0Game Orion Turn\xC2\xA0"
                   "3 Report for Arcturans"},
                  TGameType::Normal,
                  kNGHeaderTrimmed}),
    RowName());

// ---- detection from files

TEST(DetectGameType, ReadsAFileWithAnyLineEnds) {
  TempDir dir;
  const std::string body[] = {"x\n\tGalaxyNG release 6\n\t\tGalaxy Game G Turn 1 Report for R\n",
                              "x\r\tGalaxyNG release 6\r\t\tGalaxy Game G Turn 1 Report for R",
                              "x\r\n\tGalaxyNG release 6\r\n\t\tGalaxy Game G Turn 1 Report for R"};
  for (const std::string& text : body) {
    WriteBytes(dir / "k001.txt", text);
    EXPECT_EQ(DetectGameType(dir / "k001.txt"), TGameType::NG);
  }
}

TEST(DetectGameType, UnreadableFilesGiveUnknown) {
  TempDir dir;
  EXPECT_EQ(DetectGameType(dir / "missing.txt"), TGameType::Unknown);
  EXPECT_EQ(DetectGameType(dir.path()), TGameType::Unknown);  // a folder, not a file
  WriteBytes(dir / "empty.txt", "");
  EXPECT_EQ(DetectGameType(dir / "empty.txt"), TGameType::Unknown);
}

TEST(DetectGameType, OrionReportsAreGalaxyNG) {
  fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << "reports of the Orion game are not on this machine";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(orion)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
    ++files;
    EXPECT_EQ(DetectGameType(entry.path()), TGameType::NG) << entry.path();
  }
  EXPECT_EQ(files, 260);
}

TEST(DetectGameType, VariantTurnHoldsAPlusReport) {
  fs::path t26 = test::ReportsDir("orion-variant-t26");
  if (t26.empty()) GTEST_SKIP() << "reports of the Orion variant turn are not on this machine";
  EXPECT_EQ(DetectGameType(t26 / "A026.txt"), TGameType::Plus);
  EXPECT_EQ(DetectGameType(t26 / "B026.txt"), TGameType::NG);
}

}  // namespace
}  // namespace tovix
