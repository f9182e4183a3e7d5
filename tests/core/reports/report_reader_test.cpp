#include "core/reports/report_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/regex/regex.h"
#include "core/settings/report_layout.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_parse.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

std::string StatusRow(const std::string& name, double drive, int planets,
                      const std::string& relation = "War") {
  return Fmt("%s %.2f 1.00 1.00 1.00 100.00 90.00 %d %s\n", name, drive, planets, relation);
}

// A "Galaxy NG" report: bulletins, release line, header, options and status, then `tail`.
std::string NgReport(int turn, const std::string& race, const std::string& statusRows,
                     const std::string& tail = "") {
  return Fmt("Bulletins for Galaxy Game Orion Turn %d\n\n\t\tProduction Status\n\n", turn) +
         "\tGalaxyNG release-6-4, October 2007.\n\n" +
         Fmt("\t\tGalaxy Game Orion Turn %d Report for %s\n\n", turn, race) +
         "\t\tGame Options\n\nN S\nFull bombing OFF\n\n"
         "\t\tYour Options\n\nN S\nanonymous ON\n\n"
         "\t\tStatus of Players\n\nN D W S C P I # R\n" +
         statusRows + "\n" + tail;
}

class ReportReaderTest : public ::testing::Test {
 protected:
  ReportReaderTest() {
    state.Settings.GameType = TGameType::NG;
    state.Settings.spelD = (dir.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = "k";
  }

  void WriteReport(const std::string& name, const std::string& text) {
    std::ofstream out(dir / name, std::ios::binary);
    out << text;
  }

  // Every line of the section index, through FindSection.
  std::vector<int> IndexedLines() {
    std::vector<int> lines;
    for (int line = reader.FindSection(0, "."); line >= 0;
         line = reader.FindSection(line + 1, ".")) {
      lines.push_back(line);
    }
    return lines;
  }

  test::TempDir dir;
  GameState state;
  test::RecordingUserInterface ui;
  TReportReader reader{state, ui, dir.path()};
};

// --- The section index ------------------------------------------------------------------------

struct IndexCase {
  const char* name;
  TGameType type;
  std::string text;
  std::vector<int> lines;
};

class SectionIndexTest : public ReportReaderTest,
                         public ::testing::WithParamInterface<IndexCase> {};

TEST_P(SectionIndexTest, KeepsTheLeadingSectionsInTheVariantsOrder) {
  const IndexCase& c = GetParam();
  state.Settings.GameType = c.type;
  SetReportLayout(state.Layout, c.type);
  reader.LoadReportText(c.text);
  EXPECT_EQ(IndexedLines(), c.lines);
  EXPECT_EQ(reader.SectionCount(), static_cast<int>(c.lines.size()));
}

const std::string kHeader = "\t\tGalaxy Game Orion Turn 3 Report for Ann\n";
const std::string kBlindHeader = "\t\tBlind Galaxy game Orion Report for Ann Turn 3\n";
const std::string kStatus = "\t\tStatus of Players\n";

INSTANTIATE_TEST_SUITE_P(
    Variants, SectionIndexTest,
    ::testing::ValuesIn(std::vector<IndexCase>{
        {"NormalNeedsNoOptions",
         TGameType::Normal,
         kHeader + "\n" + kStatus + "\n\t\tYour Planets\n",
         {0, 2, 4}},
        {"NgDropsWhatPrecedesAndSeparates",
         TGameType::NG,
         "\t\tProduction Status\n\tGalaxyNG release\n" + kHeader +
             "\t\tGame Options\n\t\tYour Options\n" + kStatus + "\t\tGame Options\n",
         {2, 4, 5, 6}},
        {"NgWithoutOptionsKeepsOnlyTheHeader",
         TGameType::NG,
         kHeader + kStatus + "\t\tYour Planets\n",
         {0}},
        {"BlindOptionsComeFirst",
         TGameType::Blind,
         "\t\tOptions\n" + kBlindHeader + kStatus + "\t\tYour Systems\n",
         {0, 1, 2, 3}},
        {"BlindHeaderBeforeOptionsIsDropped",
         TGameType::Blind,
         kBlindHeader + "\t\tOptions\n" + kStatus,
         {1}},
        {"MistakesAndShortLinesAreNotSections",
         TGameType::Normal,
         kHeader + kStatus + "\t\tMISTAKES\n\t\t\n \t\tYour Planets\n\t\tMISTAKES list\n",
         {0, 1, 5}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ReportReaderTest, FindSectionCountsANegativeStartFromTheEnd) {
  reader.LoadReportText(NgReport(2, "Ann", StatusRow("Ann", 1, 3, "-"),
                                 "\t\tYour Planets\n\nN X Y\n\n\t\tMISTAKES\n\n"
                                 "\t\tUninhabited Planets\n\nN X Y\n"));
  const int planets = reader.FindSection(0, "Your Planets");
  const int uninhabited = reader.FindSection(0, "Uninhabited");
  ASSERT_GT(planets, 0);
  ASSERT_GT(uninhabited, planets);
  // The text has 3 lines from the uninhabited header on: -3 starts there, -2 after it.
  EXPECT_EQ(reader.FindSection(-3, "Planets"), uninhabited);
  EXPECT_EQ(reader.FindSection(-2, "Planets"), -1);
  EXPECT_EQ(reader.FindSection(-100000, "Planets"), planets);
  EXPECT_EQ(reader.FindSection(planets + 1, "Your Planets"), -1);
  EXPECT_EQ(reader.FindSection(0, "MISTAKES"), -1);

  reader.LoadReportText("no sections here\n");
  EXPECT_EQ(reader.FindSection(0, "."), -1);
}

struct PatternCase {
  const char* name;
  const char* pattern;
  int line;
};

class FindSectionPatternTest : public ReportReaderTest,
                               public ::testing::WithParamInterface<PatternCase> {};

// Headers are tested for a text every match must contain before the expression runs; that
// text must never hide a match.
TEST_P(FindSectionPatternTest, FindsWhatTheExpressionMatches) {
  state.Settings.GameType = TGameType::Normal;
  reader.LoadReportText(
      "\t\tGalaxy Game Orion Turn 2 Report for Ann\n\t\tStatus of Players\n"
      "\t\tYour Plants\n\t\tAnn Groups\n\t\tBob.x Planets\n");
  EXPECT_EQ(reader.FindSection(0, GetParam().pattern), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Patterns, FindSectionPatternTest,
                         ::testing::ValuesIn(std::vector<PatternCase>{
                             {"OptionalCharacter", "Plane?ts", 2},
                             {"RepeatedBlank", "Your  *Plants", 2},
                             {"Alternatives", "Groups|Plants", 2},
                             {"ClassBeforeText", "^\\W*Ann G", 3},
                             {"QuotedPoint", "Bob\\.x", 4},
                             {"AnyCharacter", "Bob.x P", 4},
                             {"LineEnd", "ts$", 2},
                             {"WordsBeforeTitle", "\\w+ Planets$", 4}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ReportReaderTest, RaceNamesInPatternsMatchOnlyThemselves) {
  reader.LoadReportText(NgReport(2, "Ann", StatusRow("Ann", 1, 3, "-"),
                                 "\t\tDotxRace Planets\n\n\t\tPar(en Planets\n"));
  const auto pattern = [](const std::string& race) {
    return "^\\W*" + QuoteRegexText(race) + " Planets";
  };
  // Unquoted, "." would find the other race's table and "(" would make the pattern invalid.
  EXPECT_EQ(reader.FindSection(0, pattern("Dot.Race")), -1);
  EXPECT_EQ(reader.FindSection(0, pattern("DotxRace")), reader.FindSection(0, "DotxRace"));
  EXPECT_GT(reader.FindSection(0, pattern("Par(en")), 0);
}

// Patterns "^\W*" + a race name + a title are looked up in a sorted index of the header
// titles rather than run against every header; the index must find exactly the header the
// expression finds, from every start line, whatever precedes the title or follows it.
TEST_F(ReportReaderTest, TitleIndexFindsWhatTheExpressionFinds) {
  const std::string tail =
      "\t\t-Ann Groups\n\t\tAnn Groups\n\t \tAnn Groupsx\n\t\tAnnie Groups\n"
      "\t\t(Ann) Groups\n\t\t_Ann Groups\n\t\t9Ann Groups\n\t\tann Groups\n"
      "\t\tBattle at 1\n\t\tAnn Groups\n\t\tBattle at 2\n\t\tFleet X (speed 1)\n"
      "\t\t\xA0"
      "Ann Groups\n\t\t.Ann Groups\n";
  const std::string text = NgReport(2, "Ann", StatusRow("Ann", 1, 3, "-"), tail);
  reader.LoadReportText(text);
  std::vector<std::string> lines;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const std::vector<int> indexed = IndexedLines();
  ASSERT_GT(indexed.size(), 14u);

  for (const std::string name : {"Ann", "ann", "An", "Annie", "-Ann", "(Ann)", "_Ann", "9Ann",
                                 ".Ann", "Ann Groups", "Ann Groupsx"}) {
    const std::vector<std::string> patterns = {"^\\W*" + QuoteRegexText(name) + " Groups",
                                               "^\\W*Battle at", "^\\W*Fleet "};
    for (const std::string& pattern : patterns) {
      TznreExpr expression;
      expression.SetPattern(pattern);
      for (int start = 0; start <= indexed.back() + 1; ++start) {
        int expected = -1;
        for (const int line : indexed) {
          if (line < start) continue;
          // A no-break space is a blank in the reader's text.
          std::string header = lines[static_cast<size_t>(line)];
          std::replace(header.begin(), header.end(), '\xA0', ' ');
          expression.SetStr(header);
          if (expression.Search(1) > 0) {
            expected = line;
            break;
          }
        }
        EXPECT_EQ(reader.FindSection(start, pattern), expected)
            << "pattern " << pattern << " from line " << start;
      }
    }
  }
}

// --- The header -------------------------------------------------------------------------------

struct HeaderCase {
  const char* name;
  TGameType type;
  bool outbacktype;
  const char* header;
  bool ok;
  int turn;
  const char* race;
  const char* game;
};

class HeaderTest : public ReportReaderTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderTest, ReadsTurnRaceAndGame) {
  const HeaderCase& c = GetParam();
  state.Settings.GameType = c.type;
  state.Settings.outbacktype = c.outbacktype;
  SetReportLayout(state.Layout, c.type);
  const std::string status = "\t\tStatus of Players\n";
  const std::string header = std::string(c.header) + "\n";
  reader.LoadReportText(c.type == TGameType::Blind ? "\t\tOptions\n" + header + status
                                                   : header + "\t\tYour Options\n" + status);
  reader.BeginReport(99, "k001.txt");
  EXPECT_EQ(reader.ReadReportHeader(), c.ok);
  if (c.ok) {
    EXPECT_EQ(reader.CurrentReport().Turn, c.turn);
    EXPECT_EQ(reader.CurrentReport().Race, c.race);
  }
  if (c.ok) {
    EXPECT_EQ(state.GameName, c.game);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, HeaderTest,
    ::testing::ValuesIn(std::vector<HeaderCase>{
        {"Plain", TGameType::NG, false, "\t\tGalaxy Game Orion Turn 5 Report for Arcturans", true,
         5, "Arcturans", "Orion"},
        {"NationTwoWords", TGameType::NG, false,
         "\t\tGalaxy Game Orion Turn 5 Report for Nation Ten", true, 5, "Nation_Ten", "Orion"},
        {"PlayerTwoWords", TGameType::NG, false,
         "\t\tGalaxy Game Orion Turn 5 Report for Player Two", true, 5, "Player_Two", "Orion"},
        {"OutbackNation", TGameType::NG, true, "\t\tGalaxy Game Orion Turn 5 Report for Nation Ten",
         true, 5, "Nation_Ten", "Orion"},
        {"OutbackTakesPlayerAsPlainWord", TGameType::NG, true,
         "\t\tGalaxy Game Orion Turn 5 Report for Player Two", true, 5, "Two", "Orion"},
        {"NgBlind", TGameType::NGBlind, false,
         "\t\tGalaxyNG-Blind Game Lyra Turn 12 Report for Vegans", true, 12, "Vegans", "Lyra"},
        {"BlindTurnIsTheLastWord", TGameType::Blind, false,
         "\t\tBlind Galaxy game Orion Report for Ann Turn 7", true, 7, "Ann", "Orion"},
        {"TurnBeyondTheGame", TGameType::NG, false, "\t\tGalaxy Game Orion Turn 801 Report for Ann",
         false, -1, "", ""},
        {"NoHeaderSection", TGameType::NG, false, "Galaxy Game Orion Turn 5 Report for Ann", false,
         -1, "", ""}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Status of players ------------------------------------------------------------------------

class StatusTest : public ReportReaderTest {
 protected:
  void ReadStatus(int turn, const std::string& rows) {
    reader.LoadReportText(NgReport(turn, "Ann", rows));
    state.SetAllPlayersTurnCount(turn);
    reader.BeginReport(turn, "k.txt", "Ann");
    reader.ReadStatusOfPlayers(turn);
  }
};

TEST_F(StatusTest, NoRenameInTheFirstTableAndGoneRacesComeBackUnderTheirName) {
  reader.LoadReportText(NgReport(0, "Ann", StatusRow("Ann", 1, 3, "-") + StatusRow("Bob", 1, 3)));
  reader.BeginReport(0, "k.txt", "Ann");
  reader.ReadStatusOfPlayers(0);
  TPlayer* bob = state.PlayerByName("bob");
  ASSERT_NE(bob, nullptr);

  ReadStatus(1, StatusRow("Ann", 1, 3, "-"));
  EXPECT_TRUE(bob->Gone);

  // Refiling Bob under his own, still used key raised a duplicate error and lost the table.
  // The race returns as the same object.
  ReadStatus(2, StatusRow("Ann", 1, 3, "-") + StatusRow("Bob", 1.2, 2));
  EXPECT_TRUE(reader.Messages().empty());
  EXPECT_EQ(state.PlayerByName("bob"), bob);
  EXPECT_FALSE(bob->Gone);
  EXPECT_FLOAT_EQ(bob->GetDrive(2), 1.2f);
}

TEST_F(StatusTest, ARaceMatchedByAnEarlierRowIsNotTakenForARenamedOne) {
  ReadStatus(1, StatusRow("Pia", 1, 1) + StatusRow("Quo", 1, 1) + StatusRow("Rex", 1.3, 1) +
                    StatusRow("Sam", 1, 1));
  TPlayer* rex = state.PlayerByName("rex");
  // Pia moves down two rows, so the expected row of "Zed" is Rex's new row: Rex was renamed
  // to Zed and took Zed's figures. Rex must stay Rex; Zed is a new race.
  ReadStatus(2, StatusRow("Quo", 1, 1) + StatusRow("Rex", 1.3, 1) + StatusRow("Pia", 1, 1) +
                    StatusRow("Zed", 2.5, 1));
  EXPECT_EQ(state.PlayerByName("rex"), rex);
  EXPECT_EQ(rex->Name, "Rex");
  EXPECT_FLOAT_EQ(rex->GetDrive(2), 1.3f);
  TPlayer* zed = state.PlayerByName("zed");
  ASSERT_NE(zed, nullptr);
  EXPECT_NE(zed, rex);
  EXPECT_FLOAT_EQ(zed->GetDrive(2), 2.5f);
}

TEST_F(StatusTest, ACutTableIsReportedAndMarksNoRaceGone) {
  ReadStatus(1, StatusRow("Ann", 1, 3, "-") + StatusRow("Bob", 1, 3) + StatusRow("Cid", 1, 3));
  ReadStatus(2, StatusRow("Ann", 1, 3, "-") + "Bob 1.00 1.00\n" + StatusRow("Cid", 1, 3));
  ASSERT_EQ(reader.Messages().size(), 1u);
  EXPECT_EQ(reader.Messages()[0].rfind("Error - Turn: 2 Player: Ann Report:", 0), 0u);
  EXPECT_NE(reader.Messages()[0].find("Index out of bounds"), std::string::npos);
  EXPECT_FALSE(state.PlayerByName("Bob")->Gone);
  EXPECT_FALSE(state.PlayerByName("Cid")->Gone);
}

// --- Planets ----------------------------------------------------------------------------------

TEST_F(ReportReaderTest, FindOrCreatePlanetBeyondTheFirstTurn) {
  state.FirstTurn = 0;
  TPlanet* near = reader.FindOrCreatePlanet(1000, 1000, "near", 0);
  TPlanet* far = reader.FindOrCreatePlanet(9000, 9000, "far", 0);
  EXPECT_NE(near, far);
  EXPECT_EQ(near->X, 1000);

  // A position never seen after the first turn is the nearest known planet, refiled.
  EXPECT_EQ(reader.FindOrCreatePlanet(1010, 990, "renamed", 3), near);
  EXPECT_EQ(state.PlanetByName("renamed"), near);
  EXPECT_EQ(state.PlanetByName("near"), nullptr);
  EXPECT_EQ(near->X, 1010);
  EXPECT_EQ(state.Planets.Count(), 2);
  EXPECT_EQ(state.PlanetsByDistance.Count(), 2);

  // "Galaxy Blind" files planets by number, so taking the nearest one by its name failed with
  // "Planet Home not found". It is refiled from the key it has.
  GameState blind;
  blind.Settings.GameType = TGameType::Blind;
  blind.FirstTurn = 0;
  TReportReader blindReader(blind, ui, dir.path());
  TPlanet* home = blindReader.FindOrCreatePlanet(1000, 1000, "7", 0);
  home->Name = "Home";
  EXPECT_EQ(blindReader.FindOrCreatePlanet(1010, 990, "8", 3), home);
  EXPECT_EQ(blind.PlanetByName("8"), home);

  // Far from every known planet, or with none known (the first report was cut), the planet
  // is added: taking the nearest would merge two planets, or fail for every row.
  TPlanet* added = reader.FindOrCreatePlanet(5000, 5000, "added", 3);
  EXPECT_NE(added, near);
  EXPECT_NE(added, far);
  EXPECT_EQ(state.Planets.Count(), 3);
  GameState empty;
  empty.FirstTurn = 0;
  TReportReader emptyReader(empty, ui, dir.path());
  EXPECT_NE(emptyReader.FindOrCreatePlanet(5, 5, "x", 3), nullptr);
}

TEST_F(ReportReaderTest, UninhabitedRowWithSizeButNoResourcesIsStillRead) {
  // Four words reach the size but not the resources column; reading the missing word stopped
  // the whole table. The row counts as one without size.
  state.FirstTurn = 0;
  reader.LoadReportText(NgReport(0, "Ann", StatusRow("Ann", 1, 3, "-"),
                                 "\t\tUninhabited Planets\n\nN X Y S R\n4 38.53 113.14 40.5\n"
                                 "5 4.03 132.68 20.25 1.50\n\n"));
  reader.BeginReport(0, "k000.txt", "Ann");
  reader.ReadUnknownPlanets();
  EXPECT_TRUE(reader.Messages().empty());
  ASSERT_NE(state.PlanetByName("4"), nullptr);
  EXPECT_FLOAT_EQ(state.PlanetByName("4")->Size, 0.0f);
  EXPECT_FLOAT_EQ(state.PlanetByName("5")->Size, 20.25f);
  EXPECT_FLOAT_EQ(state.PlanetByName("5")->Resources, 1.5f);
  EXPECT_TRUE(state.PlanetByName("5")->Owner.IsNone());
}

// A planet that was emptied kept its old stockpiles: the uninhabited rows' CAP and MAT columns
// were not read.
TEST_F(ReportReaderTest, UninhabitedRowsGiveTheStockpilesTheyHold) {
  state.FirstTurn = 0;
  const std::string table = "\t\tUninhabited Planets\n\nN X Y S R $ M\n";
  reader.LoadReportText(NgReport(0, "Ann", StatusRow("Ann", 1, 3, "-"),
                                 table + "5 4.03 132.68 20.25 1.50 7.00 8.50\n6 1.00 2.00\n\n"));
  reader.BeginReport(0, "k000.txt", "Ann");
  reader.ReadUnknownPlanets();
  TPlanet* five = state.PlanetByName("5");
  ASSERT_NE(five, nullptr);
  EXPECT_FLOAT_EQ(five->Capital, 7.0f);
  EXPECT_FLOAT_EQ(five->Material, 8.5f);
  five->Capital = 103.03f;
  five->Material = 8370.25f;
  state.PlanetByName("6")->Capital = 4;
  reader.LoadReportText(NgReport(1, "Ann", StatusRow("Ann", 1, 3, "-"),
                                 table + "5 4.03 132.68 20.25 1.50 0.00 0.00\n6 1.00 2.00\n\n"));
  reader.BeginReport(1, "k001.txt", "Ann");
  reader.ReadUnknownPlanets();
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
  EXPECT_EQ(five->Capital, 0.0f);
  EXPECT_EQ(five->Material, 0.0f);
  // A row without the columns tells nothing about them.
  EXPECT_EQ(state.PlanetByName("6")->Capital, 4.0f);
}

// A row that repeats one of the same source's report before leads to the planet found for it
// then only while the planet list is as it was: a planet renamed in between (another report
// identified it) is looked for again, found by its position, and gets its name back from the row.
TEST_F(ReportReaderTest, RepeatedUnknownRowLooksForItsPlanetAgainAfterTheListChanged) {
  state.FirstTurn = 0;
  const auto read = [&](int turn) {
    reader.LoadReportText(NgReport(turn, "Ann", StatusRow("Ann", 1, 3, "-"),
                                   "\t\tUninhabited Planets\n\nN X Y\n"
                                   "7 1.00 2.00\n8 3.00 4.00\n\n"));
    reader.BeginReport(turn, Fmt("k%03d.txt", turn), "Ann");
    reader.ReadUnknownPlanets();
  };
  read(0);
  TPlanet* seven = state.PlanetByName("7");
  ASSERT_NE(seven, nullptr);
  read(1);
  ASSERT_TRUE(state.MovePlanet(*seven, "7", "mars", PlanetDistanceKey(100, 200)));
  read(2);
  EXPECT_EQ(state.PlanetByName("7"), seven);
  EXPECT_EQ(state.PlanetByName("mars"), nullptr);
  EXPECT_EQ(state.Planets.Count(), 2);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
}

// Rows read through a memo are the rows read without one, whatever rows went, came or changed
// since the table of the source's report before, and from whatever source or kind it was kept.
TEST(TableMemoTest, RowsReadThroughItAreTheRowsReadWithout) {
  TReportLayout reportLayout;
  SetReportLayout(reportLayout, TGameType::NG);
  const TReadyLayout layout = TReadyLayout::Of(reportLayout, TGameType::NG);
  const auto report = [](const std::string& rows) {
    auto prepared = std::make_unique<TPreparedReport>();
    prepared->SetText("Galaxy\n\n\t\tUninhabited Planets\n\nN X Y S R\n" + rows + "\n");
    return prepared;
  };
  // The rows' words as the reader reads them: name, position and figures.
  const auto read = [&](TPreparedReport& prepared, TReadyKind kind, TTableMemo* memo) {
    TReadyTables tables;
    const TReadyTables::TTable table = tables.ReadTable(
        prepared.lines, prepared.masks, prepared.tabLines.at(0), kind, layout, memo);
    std::vector<std::string> rows;
    for (uint32_t i = 0; i < table.Count; ++i) {
      const TUnknownPlanetRow& row = tables.Unknown(table, i);
      rows.push_back(Fmt("%s %d %d %.2f %.2f %d%d%d %llu",
                         prepared.lines.Text().substr(row.Name.start, row.Name.size), row.X, row.Y,
                         row.Size, row.Resources, row.Complete, row.Sizes, row.Stockpiles,
                         static_cast<unsigned long long>(row.NameHash)));
    }
    return rows;
  };
  const auto first =
      report("4 38.53 113.14 40.50 1.50\n5 4.03 132.68\n6 1.00 2.00\n7 3.00 4.00\n8 5.00 6.00\n");
  // 5 went, 9 came, 7 moved, 10 is cut short and ends the table; "6" starts elsewhere in the
  // text.
  const auto second = report(
      "4 38.53 113.14 40.50 1.50\n6 1.00 2.00\n9 7.00 8.00\n7 3.00 4.50\n8 5.00 6.00\n10 1\n");
  const std::vector<std::string> plain = read(*second, TReadyKind::Uninhabited, nullptr);
  ASSERT_EQ(plain.size(), 5u);
  EXPECT_EQ(plain[3].substr(0, 12), "7 300 450 0.");
  TTableMemo memo;
  memo.SetSource(1);
  read(*first, TReadyKind::Uninhabited, &memo);
  EXPECT_EQ(read(*second, TReadyKind::Uninhabited, &memo), plain);
  // The second report again, from the same source: every row repeats; from another, none.
  EXPECT_EQ(read(*second, TReadyKind::Uninhabited, &memo), plain);
  memo.SetSource(2);
  EXPECT_EQ(read(*second, TReadyKind::Uninhabited, &memo), plain);
  EXPECT_EQ(read(*first, TReadyKind::Uninhabited, &memo),
            read(*first, TReadyKind::Uninhabited, nullptr));
}

// A row keeps its words while other lines of the report are split, and reads them as the line
// parser does; a row of more words than it holds in place keeps them all.
TEST(ReportRowTest, KeepsItsWordsWhileOtherLinesAreSplit) {
  TZnStrParse lines;
  SetUpReportParser(lines);
  std::string longLine;
  for (int i = 0; i < 40; ++i) longLine += std::to_string(i) + " ";
  lines.SetText("Mars 12.50 x7y\nVenus 3\n" + longLine + "\n");
  std::vector<uint64_t> masks((lines.Text().size() + 63) / 64);
  ReportWordDelimiters().Masks(reinterpret_cast<const unsigned char*>(lines.Text().data()),
                               lines.Text().size(), masks.data());
  const auto at = [&](int line) {
    return static_cast<size_t>(lines.TokenView(line).data() - lines.Text().data());
  };
  const auto end = [&](int line) { return at(line) + lines.TokenView(line).size(); };
  const TReportRow mars(lines.Text(), at(0), end(0), masks.data());
  const TReportRow venus(lines.Text(), at(1), end(1), masks.data());
  const TReportRow numbers(lines.Text(), at(2), end(2), masks.data());
  EXPECT_EQ(mars.Count(), 3);
  EXPECT_EQ(mars.Token(0), "Mars");
  EXPECT_EQ(mars.TokenAsFloat(1), 12.5);
  EXPECT_EQ(mars.TokenAsInt(-1), 7);
  EXPECT_EQ(mars.TokenAsFloat(2), 0);
  EXPECT_EQ(mars.WordOrEmpty(3), "");
  EXPECT_THROW(mars.TokenView(-4), EParseError);
  EXPECT_EQ(venus.TokenView(0), "Venus");
  ASSERT_EQ(numbers.Count(), 40);
  EXPECT_EQ(numbers.TokenAsInt(39), 39);
}

struct CoordinateCase {
  const char* name;
  const char* word;
  int32_t value;
};

class ParseCoordinateTest : public ::testing::TestWithParam<CoordinateCase> {};

TEST_P(ParseCoordinateTest, GivesHundredths) {
  EXPECT_EQ(ParseCoordinate(GetParam().word), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Words, ParseCoordinateTest,
                         ::testing::ValuesIn(std::vector<CoordinateCase>{
                             {"TwoDecimals", "12.34", 1234},
                             {"SixDigitsAndTwo", "123456.78", 12345678},
                             {"LetterBeforeThePoint", "1a.34", 1},
                             {"LetterInTheDecimals", "12.3a", 123},
                             {"PlusSign", "+1.00", 100},
                             {"Negative", "-0.50", -50},
                             {"LeadingText", "x=-3.25", -325},
                             {"StopsAtOtherText", "12a34", 12},
                             {"EveryPointIgnored", "1.2.3", 123},
                             {"NoDigits", "abc", 0},
                             {"Empty", "", 0},
                             {"LoneMinus", "-", 0},
                             {"Saturates", "99999999999.99", std::numeric_limits<int32_t>::max()},
                             {"SaturatesNegative", "-99999999999.99",
                              -std::numeric_limits<int32_t>::max()}}),
                         [](const auto& row) { return std::string(row.param.name); });

// --- Whole loads ------------------------------------------------------------------------------

// The planet table runs straight into the next header: it was read as a row and the table
// failed. A section header ends a table as an empty line does.
const std::string kAnnPlanets =
    "\t\tYour Planets\n\nN X Y S P I R P $ M C L\n"
    "1 9.11 80.31 1000.00 1000.00 1000.00 10.00 Drive 0.00 0.00 0.00 1000.00\n"
    "2 8.11 77.56 300.00 300.00 300.00 10.00 CAP 0.00 0.00 0.00 300.00\n"
    "\t\tUninhabited Planets\n\nN X Y S R\n4 38.53 113.14\n\n";

TEST_F(ReportReaderTest, LoadsTheOwnReportsAndSumsPlanetSizes) {
  WriteReport("k000.txt", NgReport(0, "Ann", StatusRow("Ann", 1, 2, "-") + StatusRow("Bob", 1, 3),
                                   kAnnPlanets));
  WriteReport("k001.txt", NgReport(1, "Ann", StatusRow("Ann", 1.1, 2, "-") + StatusRow("Bob", 1, 3),
                                   kAnnPlanets));
  ASSERT_TRUE(reader.LoadAllReports());
  EXPECT_TRUE(reader.Messages().empty()) << reader.Messages().front();
  TPlayer* ann = state.PlayerByName("ann");
  ASSERT_NE(ann, nullptr);
  EXPECT_EQ(state.MainPlayer, ann);
  EXPECT_EQ(state.LastTurn, 1);
  EXPECT_EQ(state.FirstTurn, 0);
  EXPECT_FLOAT_EQ(ann->GetPlanetSize(1), 1300.0f);
  EXPECT_FLOAT_EQ(state.PlayerByName("bob")->GetPlanetSize(1), 0.0f);
  EXPECT_EQ(state.PlanetByName("2")->ProductionCargo, pcCap);
  EXPECT_TRUE(state.PlanetByName("1")->Owner.Is(ann));
  EXPECT_EQ(ui.titles.back(), "Tovix Orion - 1 Ann");
  EXPECT_EQ(ui.work.back(), "Ready");
}

// Bob's planets are never named in Ann's reports, only listed as unidentified. Bob's status
// row keeps 3 planets up to turn 2 while Ann's grows to 4, so at turn 2 the home-cluster
// counting pairs the one cluster still at 3 planets with Bob: those three are all Bob holds.
// Every race starts with the cluster Ann's turn-0 report shows for her (1000, 300, 300; the
// real games do too, e.g. every X000 report of Orion), so Bob's real total at turn 2 is 1600.
// The sizes are summed after the counting and give that; summed before it, Bob would have 0,
// a size no race with planets and population has.
TEST_F(ReportReaderTest, PlanetSizesOfATurnCountThePlanetsTheHomeClustersGiveTheirRaces) {
  const std::string annHome =
      "1 10.00 10.00 1000.00 100.00 90.00 10.00 Drive 0.00 0.00 0.00 0.00\n"
      "2 11.00 10.00 300.00 0.00 0.00 10.00 Drive 0.00 0.00 0.00 0.00\n"
      "3 10.00 11.00 300.00 0.00 0.00 10.00 Drive 0.00 0.00 0.00 0.00\n";
  // Planet 7, uninhabited at first, is settled by Ann in turn 2.
  const std::string annNew = "7 12.00 12.00 500.00 0.00 0.00 10.00 Drive 0.00 0.00 0.00 0.00\n";
  const std::string free = "\t\tUninhabited Planets\n\nN X Y S R\n7 12.00 12.00 500.00 10.00\n\n";
  const std::string bobHome =
      "\t\tUnidentified Planets\n\nN X Y\n"
      "4 80.00 80.00\n"
      "5 81.00 80.00\n"
      "6 80.00 81.00\n\n";
  for (int turn = 0; turn <= 3; ++turn) {
    const int annPlanets = turn < 2 ? 3 : 4;
    const std::string planets = "\t\tYour Planets\n\nN X Y S P I R P $ M C L\n" + annHome +
                                (turn < 2 ? "" : annNew) + "\n" + bobHome + (turn < 2 ? free : "");
    WriteReport(Fmt("k%03d.txt", turn),
                NgReport(turn, "Ann", StatusRow("Ann", 1, annPlanets, "-") + StatusRow("Bob", 1, 3),
                         planets));
  }
  ASSERT_TRUE(reader.LoadAllReports());
  EXPECT_TRUE(reader.Messages().empty()) << reader.Messages().front();
  const TPlayer* ann = state.PlayerByName("Ann");
  const TPlayer* bob = state.PlayerByName("Bob");
  ASSERT_TRUE(ann && bob);
  EXPECT_FLOAT_EQ(bob->GetPlanetSize(2), 1600.0f);
  EXPECT_FLOAT_EQ(ann->GetPlanetSize(2), 2100.0f);
  // Before turn 2 the counting cannot tell the two clusters apart, and at turn 3 (the setting
  // "UseCountMethod") it has ended: Bob's planets have no owner then.
  for (int turn : {1, 3}) {
    EXPECT_FLOAT_EQ(bob->GetPlanetSize(turn), 0.0f) << turn;
    EXPECT_FLOAT_EQ(ann->GetPlanetSize(turn), turn < 2 ? 1600.0f : 2100.0f) << turn;
  }
}

TEST_F(ReportReaderTest, FailedTabRepairIsReportedAndTheReportReadAsItIs) {
  std::string text = NgReport(0, "Ann", StatusRow("Ann", 1, 2, "-"), kAnnPlanets);
  const std::string tabbed = "\t\tGalaxy Game Orion Turn 0";
  text.replace(text.find(tabbed), tabbed.size(), "Galaxy Game Orion Turn 0");
  WriteReport("k000.txt", text);

  SetAtomicWriteFailure(AtomicWriteStep::kCreate);
  const bool loaded = reader.LoadAllReports();
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  // Without its header line the report names no race: nothing is read, nothing crashes, and
  // the failed repair and the unreadable report are both named.
  EXPECT_FALSE(loaded);
  EXPECT_EQ(reader.Messages().size(), 2u);
  EXPECT_EQ(test::ReadFileBytes(dir / "k000.txt"), text);
}

TEST_F(ReportReaderTest, SkipPlanetsUntilTurnReadsOnlyHeaderAndStatusBefore) {
  state.Settings.SkipPlanetsUntilTurn = 10;
  const std::string nine =
      "\t\tYour Planets\n\nN X Y S P I R P $ M C L\n"
      "Nine 1.00 1.00 10.00 1.00 1.00 1.00 Drive 0.00 0.00 0.00 1.00\n\n";
  WriteReport("k009.txt", NgReport(9, "Ann", StatusRow("Ann", 1.9, 1, "-"), nine));
  WriteReport("k010.txt", NgReport(10, "Ann", StatusRow("Ann", 2, 2, "-"), kAnnPlanets));
  ASSERT_TRUE(reader.LoadAllReports());
  EXPECT_EQ(state.FirstTurn, 10);
  EXPECT_EQ(state.PlanetByName("Nine"), nullptr);
  EXPECT_EQ(state.Planets.Count(), 3);
  TPlayer* ann = state.PlayerByName("Ann");
  EXPECT_FLOAT_EQ(ann->GetDrive(9), 1.9f);
  EXPECT_FLOAT_EQ(ann->GetPlanetSize(9), 0.0f);
  EXPECT_FLOAT_EQ(ann->GetPlanetSize(10), 1300.0f);
  // Numbers come from the counter when the first turn read is not turn 0.
  EXPECT_NE(state.PlanetByName("1")->Number, state.PlanetByName("2")->Number);
}

// Broken reports and settings: each is named in the load messages, and what can be read is.
struct BadInputCase {
  const char* name;
  std::string letters;
  std::vector<std::pair<std::string, std::string>> reports;  // file name, text
  bool loads;
  std::vector<std::string> messageParts;  // one message holding each, in order
  int planets;                            // planets read
};

class BadInputTest : public ReportReaderTest, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(BadInputTest, IsNamedAndTheRestIsRead) {
  const BadInputCase& c = GetParam();
  state.Settings.spelC = c.letters;
  for (const auto& [name, text] : c.reports) WriteReport(name, text);
  EXPECT_EQ(reader.LoadAllReports(), c.loads);
  ASSERT_EQ(reader.Messages().size(), c.messageParts.size())
      << ::testing::PrintToString(reader.Messages());
  for (size_t i = 0; i < c.messageParts.size(); ++i) {
    EXPECT_NE(reader.Messages()[i].find(c.messageParts[i]), std::string::npos)
        << reader.Messages()[i];
  }
  EXPECT_EQ(state.Planets.Count(), c.planets);
}

std::string WithLfCr(std::string text) {
  std::string out;
  for (char ch : text) out += ch == '\n' ? std::string("\n\r") : std::string(1, ch);
  return out;
}

const std::string kAnn0 = NgReport(0, "Ann", StatusRow("Ann", 1, 2, "-"), kAnnPlanets);
const std::string kAnn1 = NgReport(1, "Ann", StatusRow("Ann", 1, 2, "-"), kAnnPlanets);
const std::string kMorePlanets =
    "\t\tYour Planets\n\nN X Y S P I R P $ M C L\n"
    "1 9.11 80.31 1000.00 1000.00 1000.00 10.00 Drive 0.00 0.00 0.00 1000.00\n"
    "Far 90.00 90.00 300.00 300.00 300.00 10.00 CAP 0.00 0.00 0.00 300.00\n"
    "\t\tUninhabited Planets\n\nN X Y S R\n4 38.53 113.14\n\n";

INSTANTIATE_TEST_SUITE_P(
    Reports, BadInputTest,
    ::testing::ValuesIn(std::vector<BadInputCase>{
        {"TurnNotAWholeNumber",
         "k",
         {{"k000.txt", kAnn0},
          {"k001.txt", kAnn1},
          {"k002.txt",
           [] {
             std::string text = NgReport(2, "Ann", StatusRow("Ann", 1, 2, "-"), kAnnPlanets);
             text.replace(text.find("Turn 2 Report"), 6, "Turn 1e3");
             return text;
           }()}},
         true,
         {"\"1e3\" of the report header is not a whole number"},
         3},
        {"TurnOutOfRange",
         "k",
         {{"k000.txt", kAnn0},
          {"k001.txt", NgReport(900, "Ann", StatusRow("Ann", 1, 2, "-"), kAnnPlanets)}},
         true,
         {"turn 900 of the report header is beyond the turns 0 to 800"},
         3},
        {"RaceMissingFromTheStatusTable",
         "k",
         {{"k000.txt", NgReport(0, "Ann", StatusRow("Bob", 1, 3), kAnnPlanets)},
          {"k001.txt", kAnn1}},
         true,
         {"The race Ann is not in the status table"},
         3},
        {"LfCrLineEnds", "k", {{"k000.txt", WithLfCr(kAnn0)}}, true, {}, 3},
        {"CutFirstReport",
         "k",
         {{"k000.txt", kAnn0.substr(0, kAnn0.find("4 38.53"))},
          {"k001.txt", NgReport(1, "Ann", StatusRow("Ann", 1, 2, "-"), kMorePlanets)}},
         true,
         {"k000.txt lists fewer planets than the later reports"},
         4}}),
    [](const auto& row) { return std::string(row.param.name); });

// A report with too few sections is repaired only when that makes it readable. The reader
// rewrote every such report: a report cut after its fourth section, and one whose header is
// gone, got their first line marked with tabs and a backup beside them, and still read no
// better.
struct TabRepairCase {
  const char* name;
  std::string text;
  bool rewritten;
  std::vector<std::string> messageParts;  // one message holding each, in order
};

std::string WithoutTabs(std::string text) {
  std::string out;
  for (char ch : text)
    if (ch != '\t') out += ch;
  return out;
}

void PrintTo(const TabRepairCase& c, std::ostream* os) {
  *os << c.name;
}

class TabRepairTest : public ReportReaderTest,
                      public ::testing::WithParamInterface<TabRepairCase> {};

TEST_P(TabRepairTest, RewritesTheReportOnlyWhenThatMakesItReadable) {
  const TabRepairCase& c = GetParam();
  WriteReport("k000.txt", c.text);
  // A backup of an earlier repair stays as it is.
  WriteReport("k000.txt.TabBackup", "earlier");
  reader.LoadAllReports();
  ASSERT_EQ(reader.Messages().size(), c.messageParts.size())
      << ::testing::PrintToString(reader.Messages());
  for (size_t i = 0; i < c.messageParts.size(); ++i) {
    EXPECT_NE(reader.Messages()[i].find(c.messageParts[i]), std::string::npos)
        << reader.Messages()[i];
  }
  EXPECT_EQ(test::ReadFileBytes(dir / "k000.txt") != c.text, c.rewritten);
  EXPECT_EQ(test::ReadFileBytes(dir / "k000.txt.TabBackup"), "earlier");
  if (c.rewritten) {
    EXPECT_EQ(state.Planets.Count(), 3);
  }
}

TEST_F(ReportReaderTest, AFirstRepairKeepsTheReportAsItCameInItsBackup) {
  const std::string text = WithoutTabs(kAnn0);
  WriteReport("k000.txt", text);
  ASSERT_TRUE(reader.LoadAllReports());
  EXPECT_EQ(test::ReadFileBytes(dir / "k000.txt.TabBackup"), text);
  EXPECT_EQ(state.Planets.Count(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, TabRepairTest,
    ::testing::ValuesIn(std::vector<TabRepairCase>{
        {"LostItsTabs", WithoutTabs(kAnn0), true, {"it was repaired"}},
        {"CutAfterItsFourthSection", kAnn0.substr(0, kAnn0.find("2 8.11")), false, {}},
        {"HeaderGone",
         [] {
           std::string text = WithoutTabs(kAnn0);
           text.replace(text.find("Galaxy Game Orion Turn 0 Report"), 11, "Galaxy-Game");
           return text;
         }(),
         false,
         {"No report header found"}}}),
    [](const auto& row) { return std::string(row.param.name); });

// The turns between reports that were read kept the race's figures 0, as if the race had
// lost everything: the charts drew them so. They are unknown.
TEST_F(ReportReaderTest, TurnsWhoseReportWasNotReadAreUnknown) {
  WriteReport("k000.txt", kAnn0);
  std::string unreadable = kAnn1;
  unreadable.replace(unreadable.find("Turn 1 Report"), 6, "Turn x");
  WriteReport("k001.txt", unreadable);
  WriteReport("k003.txt", NgReport(3, "Ann", StatusRow("Ann", 1, 2, "-"), kAnnPlanets));
  ASSERT_TRUE(reader.LoadAllReports());
  const TPlayer* ann = state.PlayerByName("Ann");
  ASSERT_NE(ann, nullptr);
  EXPECT_EQ((std::vector<bool>{ann->IsKnown(0), ann->IsKnown(1), ann->IsKnown(2), ann->IsKnown(3),
                               ann->IsKnown(4)}),
            (std::vector<bool>{true, false, false, true, false}));
  EXPECT_FLOAT_EQ(ann->GetPopulation(1), 0);
}

TEST_F(ReportReaderTest, LetterGivenTwiceReadsItsReportsOnce) {
  state.Settings.spelC = "kk";
  WriteReport("k000.txt", kAnn0);
  ASSERT_TRUE(reader.LoadAllReports());
  EXPECT_EQ(std::count(ui.work.begin(), ui.work.end(), "Reading report"), 1);
}

TEST_F(ReportReaderTest, UnreadableReportsFolderIsNamed) {
  state.Settings.spelD = (dir.path() / "missing" / "%1s%0.03d.txt").string();
  EXPECT_FALSE(reader.LoadAllReports());
  ASSERT_EQ(reader.Messages().size(), 1u);
  EXPECT_NE(reader.Messages()[0].find("cannot be read"), std::string::npos);
}

TEST_F(ReportReaderTest, FailedGameTypeWriteIsReportedAndReadingGoesOn) {
  state.Settings.GameType = TGameType::Unknown;
  state.Settings.GameNumber = 1;
  state.Settings.IniPath = (dir / "Tovix.ini").string();
  WriteReport("Tovix.ini", "[1]\nspelC=k\n");
  WriteReport("k000.txt", NgReport(0, "Ann", StatusRow("Ann", 1, 2, "-"), kAnnPlanets));

  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  const bool loaded = reader.LoadAllReports();
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(state.Settings.GameType, TGameType::NG);
  EXPECT_EQ(reader.Messages().size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(dir / "Tovix.ini"), "[1]\nspelC=k\n");
  EXPECT_EQ(state.Planets.Count(), 3);
}

// The cache gives what the row's own conversion gives, to the bit, for every word, whichever
// word took its slot before: words of every length, texts that are no numbers, eight-byte words
// that share their first bytes with shorter ones.
TEST(FigureCacheTest, GivesWhatTheWordsConversionGives) {
  std::mt19937 rng(20261209);
  const std::string alphabet = "0123456789.-+eE x";
  TFigureCache cache;
  const TDelimiterSet delimiters = ReportWordDelimiters();
  uint64_t mask = 0;
  for (int i = 0; i < 30000; ++i) {
    std::string word(1 + rng() % 12, '0');
    for (char& c : word) c = alphabet[rng() % (alphabet.size() - 1)];
    if (i % 3 == 0) word = word.substr(0, 1 + rng() % 3) + ".00";
    delimiters.Masks(reinterpret_cast<const unsigned char*>(word.data()), word.size(), &mask);
    const TReportRow row(word, 0, word.size(), &mask);
    if (row.Count() != 1) continue;
    const double expected = row.TokenAsFloat(0);
    const double got = cache.Read(row.TokenView(0));
    ASSERT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(expected)) << word;
  }
}

}  // namespace
}  // namespace tovix
