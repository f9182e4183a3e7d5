// The real game "Orion" (10 races, turns 0 to 25) read through the report reader. The
// expectations come from the report text through the small table parser below, which shares no
// code with the reader: a fault in the reader's table handling cannot hide itself by being
// repeated in the expectation.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/game_settings.h"
#include "core/game_state.h"
#include "core/numbers.h"
#include "core/report_layout.h"
#include "core/report_reader.h"
#include "core/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

constexpr int kLastTurn = 25;

// ---- The report text, split without the reader -------------------------------------------

bool IsWordDelimiter(unsigned char c) {
  return c < 33 || c == ',' || c == '`' || c >= 126;
}

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsWordDelimiter(static_cast<unsigned char>(line[i]))) ++i;
    size_t start = i;
    while (i < line.size() && !IsWordDelimiter(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

float Number(const std::string& word) {
  double v = 0;
  return TryParseFloat(word, v) ? static_cast<float>(v) : 0.0f;
}

int32_t Hundredths(const std::string& word) {
  double v = 0;
  return TryParseFloat(word, v) ? RoundToInt(v * 100.0) : 0;
}

std::string Key(std::string_view name) {
  return LowerCase(name);
}

struct StatusRow {
  std::string name;
  float drive = 0, weapons = 0, shields = 0, cargo = 0, population = 0, industry = 0;
  int planets = 0;
  std::string relation;
};

// A planet as one planet table of one report lists it. Owner: a race name, "" for an
// uninhabited planet, "?" for an unidentified one.
struct PlanetRow {
  std::string name;
  int32_t x = 0, y = 0;
  bool hasFigures = false;  // own and other races' tables
  float size = 0, population = 0, industry = 0;
  std::string production;
  std::string owner;
};

struct GroupRow {
  int number = 0;
  int ships = 0;
  std::string type;
  float drive = 0, weapons = 0, shields = 0, cargo = 0;
  std::string cargoType;
  float load = 0;
  std::string destination;
  float distance = 0;
  std::string origin;
  std::string fleet;
  float fleetSpeed = 0;
};

struct BattleGroupRow {
  std::string race;  // as the report names it; "Your" for the report's race
  int ships = 0;
  int shipsLeft = 0;
  std::string type;
};

struct BattleText {
  std::string planet;
  std::vector<BattleGroupRow> groups;
};

struct BombingRow {
  std::string attacker, defender, planet, production;
  float population = 0, industry = 0, capital = 0, material = 0, colonists = 0;
};

struct IncomingRow {
  std::string origin, destination;
  float distance = 0, speed = 0, mass = 0;
};

struct RouteRow {
  std::string origin, cap, mat, col, emp;
};

struct ProductionRow {
  std::string planet, type;
};

// One Galaxy NG report, as far as the checks below need it.
class OrionReport {
 public:
  explicit OrionReport(const fs::path& file) {
    std::string text = test::ReadFileBytes(file);
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(std::move(line));
      start = end + 1;
    }
    Parse();
  }

  std::string race;
  int turn = -1;
  std::vector<StatusRow> status;
  std::vector<PlanetRow> planets;
  std::vector<BattleText> battles;
  std::vector<BombingRow> bombings;
  std::vector<IncomingRow> incoming;
  std::vector<RouteRow> routes;
  std::vector<ProductionRow> production;
  std::vector<GroupRow> ownGroups;  // the "Your Groups" table outside battles, then the fleets

  const PlanetRow* Planet(std::string_view name) const {
    for (const PlanetRow& p : planets) {
      if (SameText(p.name, name)) return &p;
    }
    return nullptr;
  }
  bool IsRace(std::string_view name) const {
    return std::any_of(status.begin(), status.end(),
                       [&](const StatusRow& r) { return SameText(r.name, name); });
  }

 private:
  bool IsSectionHeader(size_t i) const { return lines_[i].size() > 2 && lines_[i][0] == '\t'; }
  bool IsEmpty(size_t i) const { return SplitWords(lines_[i]).empty(); }
  std::string Title(size_t i) const { return Trim(lines_[i]); }
  size_t SkipEmpty(size_t i) const {
    while (i < lines_.size() && IsEmpty(i)) ++i;
    return i;
  }
  // The rows after the column header (the first non-empty line from `from`), up to the first
  // line without words.
  std::vector<std::vector<std::string>> Rows(size_t from, size_t* endLine = nullptr) const {
    std::vector<std::vector<std::string>> rows;
    size_t i = SkipEmpty(from) + 1;
    for (; i < lines_.size(); ++i) {
      std::vector<std::string> words = SplitWords(lines_[i]);
      if (words.empty()) break;
      rows.push_back(std::move(words));
    }
    if (endLine) *endLine = i;
    return rows;
  }

  void Parse() {
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!IsSectionHeader(i)) continue;
      std::string title = Title(i);
      if (title.rfind("Galaxy Game ", 0) == 0) {
        std::vector<std::string> w = SplitWords(title);
        turn = FirstIntInStr(w.at(4));
        race = w.back();
      }
    }
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (IsSectionHeader(i) && Title(i) == "Status of Players") ParseStatus(i);
    }
    std::set<size_t> battleLines;  // race lists inside battles
    size_t ownGroupsHeader = 0;
    std::set<std::string> fleetsSeen;
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!IsSectionHeader(i)) continue;
      const std::string title = Title(i);
      if (title.rfind("Battle at ", 0) == 0) {
        ParseBattle(i, battleLines);
      } else if (title == "Your Planets") {
        ParsePlanets(i, race);
      } else if (title == "Unidentified Planets") {
        for (const auto& w : Rows(i + 1))
          planets.push_back(
              {w.at(0), Hundredths(w.at(1)), Hundredths(w.at(2)), false, 0, 0, 0, "", "?"});
      } else if (title == "Uninhabited Planets") {
        for (const auto& w : Rows(i + 1)) {
          PlanetRow p{w.at(0), Hundredths(w.at(1)), Hundredths(w.at(2)), false, 0, 0, 0, "", ""};
          if (w.size() >= 5) p.size = Number(w[3]);
          planets.push_back(p);
        }
      } else if (title.size() > 8 && title.substr(title.size() - 8) == " Planets" &&
                 IsRace(title.substr(0, title.size() - 8))) {
        ParsePlanets(i, title.substr(0, title.size() - 8));
      } else if (title == "Bombings") {
        for (const auto& w : Rows(i + 2)) {
          bombings.push_back({w.at(0), w.at(1), w.at(2), w.at(5), Number(w.at(3)), Number(w.at(4)),
                              Number(w.at(6)), Number(w.at(7)), Number(w.at(8))});
        }
      } else if (title == "Incoming Groups") {
        for (const auto& w : Rows(i + 1)) {
          incoming.push_back({w.at(0), w.at(1), Number(w.at(2)), Number(w.at(3)), Number(w.at(4))});
        }
      } else if (title == "Your Routes") {
        for (const auto& w : Rows(i + 1)) {
          if (w.size() < 5) break;
          routes.push_back({w[0], w[1], w[2], w[3], w[4]});
        }
      } else if (title == "Ships In Production") {
        for (const auto& w : Rows(i + 1)) production.push_back({w.at(0), w.at(1)});
      } else if (title == "Your Groups" && battleLines.count(i) == 0) {
        ownGroupsHeader = i;
      }
    }
    if (ownGroupsHeader > 0) {
      for (const auto& w : Rows(ownGroupsHeader + 1)) ownGroups.push_back(GroupFromRow(w, "", 0));
    }
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!IsSectionHeader(i) || Title(i).rfind("Fleet ", 0) != 0) continue;
      std::vector<std::string> w = SplitWords(Title(i));
      if (!fleetsSeen.insert(w.at(1)).second) continue;
      std::string speed = w.at(3);
      if (!speed.empty() && speed.back() == ')') speed.pop_back();
      for (const auto& row : Rows(i + 1))
        ownGroups.push_back(GroupFromRow(row, w[1], Number(speed)));
    }
  }

  void ParseStatus(size_t header) {
    for (const auto& w : Rows(header + 1)) {
      StatusRow r;
      r.name = w.at(0);
      r.drive = Number(w.at(1));
      r.weapons = Number(w.at(2));
      r.shields = Number(w.at(3));
      r.cargo = Number(w.at(4));
      r.population = Number(w.at(5));
      r.industry = Number(w.at(6));
      r.planets = FirstIntInStr(w.at(7));
      r.relation = w.at(8);
      status.push_back(r);
    }
  }

  void ParsePlanets(size_t header, const std::string& owner) {
    for (const auto& w : Rows(header + 1)) {
      planets.push_back({w.at(0), Hundredths(w.at(1)), Hundredths(w.at(2)), true, Number(w.at(3)),
                         Number(w.at(4)), Number(w.at(5)), w.at(7), owner});
    }
  }

  // The race lists that follow a battle header: each opened by a "... Groups" line, rows up to
  // an empty line; anything else ends the battle.
  void ParseBattle(size_t header, std::set<size_t>& battleLines) {
    BattleText battle;
    battle.planet = SplitWords(Title(header)).at(2);
    size_t i = SkipEmpty(header + 1);
    while (i < lines_.size() && lines_[i].find("Groups") != std::string::npos) {
      battleLines.insert(i);
      const std::string raceWord = SplitWords(lines_[i]).at(0);
      size_t end = 0;
      for (const auto& w : Rows(i + 1, &end)) {
        battle.groups.push_back(
            {raceWord, FirstIntInStr(w.at(0)), FirstIntInStr(w.at(8)), w.at(1)});
      }
      i = SkipEmpty(end);
    }
    battles.push_back(std::move(battle));
  }

  static GroupRow GroupFromRow(const std::vector<std::string>& w, const std::string& fleet,
                               float fleetSpeed) {
    GroupRow g;
    g.number = FirstIntInStr(w.at(0));
    g.ships = FirstIntInStr(w.at(1));
    g.type = w.at(2);
    g.drive = Number(w.at(3));
    g.weapons = Number(w.at(4));
    g.shields = Number(w.at(5));
    g.cargo = Number(w.at(6));
    g.cargoType = w.at(7);
    g.load = Number(w.at(8));
    g.destination = w.at(9);
    if (w.size() > 10) g.distance = Number(w[10]);
    if (w.size() > 11) g.origin = w[11];
    g.fleet = fleet;
    g.fleetSpeed = fleetSpeed;
    return g;
  }

  std::vector<std::string> lines_;
};

int32_t CargoCode(std::string_view text) {
  std::string t = LowerCase(text);
  if (t == "cap") return pcCap;
  if (t == "mat") return pcMat;
  if (t == "col") return pcCol;
  return pcNone;
}

int32_t BombingCode(std::string_view text) {
  if (text == "CAP") return pcCap;
  if (text == "COL") return pcCol;
  if (text == "MAT") return pcMat;
  return pcNone;
}

std::string OwnerName(const TOwnerRef& owner) {
  if (owner.IsNone()) return "";
  if (owner.IsUnknown()) return "?";
  return owner.Player()->Name;
}

// ---- The game, copied so that nothing the reader might write touches the shared folder -----

class OrionGame : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path source = test::ReportsDir("orion");
    if (source.empty()) return;
    copy_ = new test::TempDir();
    for (const auto& e : fs::directory_iterator(source)) {
      if (e.is_regular_file() && e.path().extension() == ".txt") {
        fs::copy_file(e.path(), copy_->path() / e.path().filename());
      }
    }
  }
  static void TearDownTestSuite() {
    delete copy_;
    copy_ = nullptr;
  }
  void SetUp() override {
    if (!copy_) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  }

  static fs::path ReportFile(char letter, int turn) {
    return copy_->path() / FormatReportName("%1s%0.03d.txt", letter, turn);
  }

  // Reads the game with `letters` (own letter first) into `state`.
  static bool Load(GameState& state, test::RecordingUserInterface& ui, const fs::path& programDir,
                   const std::string& letters, std::vector<std::string>& messages) {
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (copy_->path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = letters;
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir);
    bool ok = reader.LoadAllReports();
    messages = reader.Messages();
    return ok;
  }

  static std::vector<fs::path> FilesRewritten() {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(copy_->path())) {
      if (e.path().extension() != ".txt") found.push_back(e.path().filename());
    }
    return found;
  }

  static test::TempDir* copy_;
};

test::TempDir* OrionGame::copy_ = nullptr;

std::string Joined(const std::vector<std::string>& messages) {
  std::string s;
  for (const std::string& m : messages) s += m + "\n";
  return s;
}

// ---- Reading as A with the allies B and C ----------------------------------------------------

class OrionAllies : public OrionGame {
 protected:
  static void SetUpTestSuite() {
    OrionGame::SetUpTestSuite();
    if (!copy_) return;
    state_ = new GameState();
    programDir_ = new test::TempDir();
    test::RecordingUserInterface ui;
    loaded_ = Load(*state_, ui, programDir_->path(), "ABC", messages_);
    titles_ = ui.titles;
    shown_ = ui.messages;
    for (int t = 0; t <= kLastTurn; ++t) {
      for (char letter : std::string_view("ABC")) {
        reports_[t].emplace_back(ReportFile(letter, t));
      }
    }
  }
  static void TearDownTestSuite() {
    delete state_;
    delete programDir_;
    state_ = nullptr;
    programDir_ = nullptr;
    reports_.clear();
    OrionGame::TearDownTestSuite();
  }

  static const GameState& State() { return *state_; }
  static const OrionReport& Report(int turn, int letterIndex) {
    return reports_.at(turn).at(static_cast<size_t>(letterIndex));
  }

  static GameState* state_;
  static test::TempDir* programDir_;
  static bool loaded_;
  static std::vector<std::string> messages_;
  static std::vector<std::string> titles_;
  static std::vector<std::string> shown_;  // message boxes
  static std::map<int, std::vector<OrionReport>> reports_;
};

GameState* OrionAllies::state_ = nullptr;
test::TempDir* OrionAllies::programDir_ = nullptr;
bool OrionAllies::loaded_ = false;
std::vector<std::string> OrionAllies::messages_;
std::vector<std::string> OrionAllies::titles_;
std::vector<std::string> OrionAllies::shown_;
std::map<int, std::vector<OrionReport>> OrionAllies::reports_;

TEST_F(OrionAllies, LoadsWithoutMessagesAndLeavesTheReportsAlone) {
  EXPECT_TRUE(loaded_);
  EXPECT_TRUE(messages_.empty()) << Joined(messages_);
  EXPECT_TRUE(shown_.empty()) << "the reader shows no message box";
  EXPECT_TRUE(FilesRewritten().empty()) << "the reader wrote into the report folder";
  EXPECT_FALSE(fs::exists(programDir_->path() / "DumpList.log"));
  ASSERT_NE(State().MainPlayer, nullptr);
  EXPECT_EQ(State().MainPlayer->Name, "Arcturans");
  EXPECT_EQ(State().LastTurn, kLastTurn);
  EXPECT_EQ(State().FirstTurn, 0);
  EXPECT_EQ(State().GameName, "Orion");
  ASSERT_FALSE(titles_.empty());
  EXPECT_EQ(titles_.back(), "Tovix Orion - 25 Arcturans");
}

// Every row of A's status table of every turn gives the values of that turn. A row is matched
// to its race by name, and a name never seen before to the race of the same row last turn
// (the start names race_1 ... become the chosen names in turn 1).
TEST_F(OrionAllies, StatusValuesOfEveryRaceInEveryTurn) {
  std::vector<std::vector<std::string>> namesOf;  // per race: its names in order
  std::vector<int> rowOwner;                      // per row of the last table: race index
  std::map<int, std::vector<std::pair<int, StatusRow>>> rowsByTurn;
  for (int t = 0; t <= kLastTurn; ++t) {
    const std::vector<StatusRow>& rows = Report(t, 0).status;
    ASSERT_FALSE(rows.empty()) << "turn " << t;
    std::vector<int> owners;
    for (size_t r = 0; r < rows.size(); ++r) {
      int race = -1;
      for (size_t k = 0; k < namesOf.size(); ++k) {
        if (SameText(namesOf[k].back(), rows[r].name)) race = static_cast<int>(k);
      }
      if (race < 0 && r < rowOwner.size()) {
        race = rowOwner[r];
        namesOf[static_cast<size_t>(race)].push_back(rows[r].name);
      }
      if (race < 0) {
        race = static_cast<int>(namesOf.size());
        namesOf.push_back({rows[r].name});
      }
      owners.push_back(race);
      rowsByTurn[t].emplace_back(race, rows[r]);
    }
    rowOwner = owners;
  }
  ASSERT_EQ(namesOf.size(), 10u);
  EXPECT_EQ(State().Players.Count(), 10);

  for (const auto& [turn, rows] : rowsByTurn) {
    for (const auto& [race, row] : rows) {
      const std::vector<std::string>& names = namesOf[static_cast<size_t>(race)];
      const TPlayer* p = State().PlayerByName(names.back());
      ASSERT_NE(p, nullptr) << names.back();
      SCOPED_TRACE(testing::Message() << "turn " << turn << ", " << row.name);
      EXPECT_FLOAT_EQ(p->GetDrive(turn), row.drive);
      EXPECT_FLOAT_EQ(p->GetWeapons(turn), row.weapons);
      EXPECT_FLOAT_EQ(p->GetShields(turn), row.shields);
      EXPECT_FLOAT_EQ(p->GetCargo(turn), row.cargo);
      EXPECT_FLOAT_EQ(p->GetPopulation(turn), row.population);
      EXPECT_FLOAT_EQ(p->GetIndustry(turn), row.industry);
      EXPECT_EQ(p->GetPlanetCount(turn), row.planets);
      if (turn == kLastTurn) {
        EXPECT_EQ(p->War, row.relation == "War" || row.relation == "W");
        EXPECT_FALSE(p->Gone);
        // The start name is kept as the race's earlier name.
        if (names.size() > 1) {
          EXPECT_NE(p->Alias.find(names.front()), std::string::npos);
        }
      }
    }
  }
}

// At the last turn every planet of A's planet tables has the owner and figures of the tables.
// The allies' reports of the same turn are read after A's and list many of these planets too;
// an unidentified listing does not undo an owner another report of the turn named, and a
// bombing gives a planet that has an owner (known or not) to the attacker. Both are followed.
TEST_F(OrionAllies, PlanetsOfTheLastTurn) {
  struct Expected {
    PlanetRow row;
    std::string owner;
    bool seen = false;
  };
  std::map<std::string, Expected> expected;  // every planet seen in the last turn
  std::set<std::string> bombingKeys;
  for (int letter = 0; letter < 3; ++letter) {
    const OrionReport& r = Report(kLastTurn, letter);
    for (const PlanetRow& p : r.planets) {
      Expected& e = expected[Key(p.name)];
      if (p.hasFigures || !e.seen) e.row = p;
      if (p.owner != "?" || !e.seen) e.owner = p.owner;
      e.seen = true;
    }
    for (const BombingRow& b : r.bombings) {
      if (!bombingKeys.insert(Key(b.planet)).second) continue;
      auto it = expected.find(Key(b.planet));
      if (it != expected.end() && !it->second.owner.empty() && r.IsRace(b.attacker)) {
        it->second.owner = b.attacker;
      }
    }
  }

  int withFigures = 0;
  int uninhabited = 0;
  int unidentified = 0;
  for (const PlanetRow& p : Report(kLastTurn, 0).planets) {
    const Expected& e = expected.at(Key(p.name));
    SCOPED_TRACE(p.name);
    const TPlanet* planet = State().PlanetByName(p.name);
    ASSERT_NE(planet, nullptr);
    EXPECT_EQ(planet->X, p.x);
    EXPECT_EQ(planet->Y, p.y);
    EXPECT_EQ(OwnerName(planet->Owner), e.owner);
    if (p.hasFigures) {
      ++withFigures;
      EXPECT_FLOAT_EQ(planet->Size, e.row.size);
      EXPECT_FLOAT_EQ(planet->Population, e.row.population);
      EXPECT_FLOAT_EQ(planet->Industry, e.row.industry);
      EXPECT_EQ(planet->Production, e.row.production);
    } else if (p.owner.empty()) {
      ++uninhabited;
      if (p.size > 0) {
        EXPECT_FLOAT_EQ(planet->Size, p.size);
      }
    } else {
      ++unidentified;
    }
  }
  EXPECT_GT(withFigures, 50) << "A's last report lists the planets of several races";
  EXPECT_GT(uninhabited, 10);
  EXPECT_GT(unidentified, 10);
  EXPECT_EQ(State().Planets.Count(), 170);
  EXPECT_EQ(State().PlanetsByDistance.Count(), 170);
}

// A's groups after the last turn are exactly the rows of its last own group table and of its
// fleets.
TEST_F(OrionAllies, OwnGroupsOfTheLastTurn) {
  const std::vector<GroupRow>& rows = Report(kLastTurn, 0).ownGroups;
  ASSERT_GT(rows.size(), 100u);
  const TPlayer* a = State().MainPlayer;
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->Groups.size(), rows.size());
  std::map<int, const TGroup*> byNumber;
  for (const auto& g : a->Groups) byNumber[g->GroupNumber] = g.get();
  ASSERT_EQ(byNumber.size(), rows.size()) << "group numbers are unique in the own report";
  int inFlight = 0;
  int inFleet = 0;
  for (const GroupRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "group " << row.number);
    ASSERT_EQ(byNumber.count(row.number), 1u);
    const TGroup& g = *byNumber[row.number];
    EXPECT_EQ(g.Owner, a);
    EXPECT_EQ(g.Turn, kLastTurn);
    EXPECT_EQ(g.FromBattle, 0);
    EXPECT_EQ(g.Ships, row.ships);
    EXPECT_EQ(g.BattleShips, row.ships);
    ASSERT_NE(g.ShipType, nullptr);
    EXPECT_TRUE(SameText(g.ShipType->Name, row.type)) << g.ShipType->Name;
    EXPECT_FLOAT_EQ(g.DriveTech, row.drive);
    EXPECT_FLOAT_EQ(g.WeaponsTech, row.weapons);
    EXPECT_FLOAT_EQ(g.ShieldsTech, row.shields);
    EXPECT_FLOAT_EQ(g.CargoTech, row.cargo);
    EXPECT_EQ(g.CargoType, CargoCode(row.cargoType));
    EXPECT_FLOAT_EQ(g.Load, row.load);
    ASSERT_NE(g.Planet, nullptr);
    EXPECT_TRUE(SameText(g.Planet->Name, row.destination)) << g.Planet->Name;
    EXPECT_FLOAT_EQ(g.Distance, row.distance);
    EXPECT_EQ(g.FleetName, row.fleet);
    EXPECT_FLOAT_EQ(g.FleetSpeed, row.fleetSpeed);
    if (row.origin.empty()) {
      EXPECT_EQ(g.Origin, nullptr);
      EXPECT_EQ(g.ETA, 0);
      EXPECT_EQ(g.TrackFrom, g.Planet);
      EXPECT_EQ(g.TrackTo, nullptr);
    } else {
      ++inFlight;
      ASSERT_NE(g.Origin, nullptr);
      EXPECT_TRUE(SameText(g.Origin->Name, row.origin)) << g.Origin->Name;
      EXPECT_GT(g.ETA, 0);
      EXPECT_EQ(g.TrackFrom, g.Origin);
      EXPECT_EQ(g.TrackTo, g.Planet);
    }
    if (!row.fleet.empty()) ++inFleet;
  }
  EXPECT_GT(inFlight, 0);
  EXPECT_GT(inFleet, 0);
}

// Tracks the planet names the reader has met so far, the way its planet list keys them: a
// planet listed under a new name at a known position takes that name.
class KnownPlanets {
 public:
  void Add(const OrionReport& r) {
    for (const PlanetRow& p : r.planets) {
      auto pos = std::make_pair(p.x, p.y);
      auto it = byPosition_.find(pos);
      if (it != byPosition_.end() && it->second != Key(p.name)) keys_.erase(it->second);
      byPosition_[pos] = Key(p.name);
      keys_.insert(Key(p.name));
    }
  }
  bool Has(std::string_view name) const { return keys_.count(Key(name)) > 0; }

 private:
  std::map<std::pair<int32_t, int32_t>, std::string> byPosition_;
  std::set<std::string> keys_;
};

// One battle object per planet and turn, whichever of the three reports show it and however
// often; its groups are the rows of the first report that shows it.
TEST_F(OrionAllies, OneBattlePerPlanetAndTurn) {
  struct Expected {
    int turn;
    int32_t x, y;
    std::vector<BattleGroupRow> groups;
    std::string reportRace;
  };
  std::map<std::string, Expected> expected;
  int shownTwice = 0;
  KnownPlanets known;
  for (int t = 0; t <= kLastTurn; ++t) {
    for (int letter = 0; letter < 3; ++letter) {
      const OrionReport& r = Report(t, letter);
      known.Add(r);
      for (const BattleText& b : r.battles) {
        if (!known.Has(b.planet)) continue;
        std::string key = Key(b.planet) + "\t" + std::to_string(t);
        if (expected.count(key)) {
          ++shownTwice;
          continue;
        }
        const PlanetRow* p = r.Planet(b.planet);
        ASSERT_NE(p, nullptr) << b.planet;
        expected[key] = {t, p->x, p->y, b.groups, r.race};
      }
    }
  }
  ASSERT_GT(expected.size(), 50u);
  EXPECT_GT(shownTwice, 50) << "the allies' reports repeat many battles";

  EXPECT_EQ(State().Battles.Count(), static_cast<int>(expected.size()));
  std::map<std::string, int> seen;
  for (auto [key, battle] : State().Battles) {
    ++seen[Key(key)];
    auto it = expected.find(Key(key));
    ASSERT_NE(it, expected.end()) << "unexpected battle " << key;
    const Expected& e = it->second;
    SCOPED_TRACE(key);
    EXPECT_EQ(battle->Turn, e.turn);
    ASSERT_NE(battle->Planet, nullptr);
    EXPECT_EQ(battle->Planet->X, e.x);
    EXPECT_EQ(battle->Planet->Y, e.y);
    ASSERT_EQ(battle->Groups.size(), e.groups.size());
    for (size_t i = 0; i < e.groups.size(); ++i) {
      const TGroup& g = *battle->Groups[i];
      const BattleGroupRow& row = e.groups[i];
      EXPECT_EQ(g.Ships, row.ships);
      EXPECT_EQ(g.BattleShips, row.shipsLeft);
      ASSERT_NE(g.ShipType, nullptr);
      EXPECT_TRUE(SameText(g.ShipType->Name, row.type));
      ASSERT_NE(g.Owner, nullptr);
      EXPECT_EQ(g.Owner->Name, row.race == "Your" ? e.reportRace : row.race);
      EXPECT_EQ(g.Planet, battle->Planet);
      EXPECT_EQ(g.Turn, e.turn);
    }
  }
  for (const auto& [key, count] : seen) EXPECT_EQ(count, 1) << key;
}

TEST_F(OrionAllies, BombingsAsListed) {
  struct Expected {
    int turn;
    int32_t x, y;
    BombingRow row;
  };
  std::map<std::string, Expected> expected;
  KnownPlanets known;
  for (int t = 0; t <= kLastTurn; ++t) {
    for (int letter = 0; letter < 3; ++letter) {
      const OrionReport& r = Report(t, letter);
      known.Add(r);
      for (const BombingRow& b : r.bombings) {
        std::string key = std::to_string(t) + "$" + Key(b.planet);
        if (expected.count(key) || !known.Has(b.planet) || !r.IsRace(b.attacker) ||
            !r.IsRace(b.defender)) {
          continue;
        }
        const PlanetRow* p = r.Planet(b.planet);
        ASSERT_NE(p, nullptr) << b.planet;
        expected[key] = {t, p->x, p->y, b};
      }
    }
  }
  ASSERT_GT(expected.size(), 30u);
  EXPECT_EQ(State().Bombings.Count(), static_cast<int>(expected.size()));
  for (auto [key, bombing] : State().Bombings) {
    auto it = expected.find(Key(key));
    ASSERT_NE(it, expected.end()) << "unexpected bombing " << key;
    const Expected& e = it->second;
    SCOPED_TRACE(key);
    EXPECT_EQ(bombing->Turn, e.turn);
    ASSERT_NE(bombing->Planet, nullptr);
    EXPECT_EQ(bombing->Planet->X, e.x);
    EXPECT_EQ(bombing->Planet->Y, e.y);
    ASSERT_NE(bombing->Attacker, nullptr);
    ASSERT_NE(bombing->Defender, nullptr);
    EXPECT_EQ(bombing->Attacker->Name, e.row.attacker);
    EXPECT_EQ(bombing->Defender->Name, e.row.defender);
    EXPECT_FLOAT_EQ(bombing->Population, e.row.population);
    EXPECT_FLOAT_EQ(bombing->Industry, e.row.industry);
    EXPECT_FLOAT_EQ(bombing->Capital, e.row.capital);
    EXPECT_FLOAT_EQ(bombing->Material, e.row.material);
    EXPECT_FLOAT_EQ(bombing->Colonists, e.row.colonists);
    EXPECT_EQ(bombing->Producing, BombingCode(e.row.production));
  }
}

// The routes and the ships in production are those of A's last report; incoming groups are
// collected from every one of A's reports.
TEST_F(OrionAllies, RoutesOfTheLastTurn) {
  const std::vector<RouteRow>& rows = Report(kLastTurn, 0).routes;
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(State().Routes.Count(), static_cast<int>(rows.size()));
  auto same = [](const TPlanet* p, const std::string& word) {
    return word == "-" ? p == nullptr : p != nullptr && SameText(p->Name, word);
  };
  for (const RouteRow& row : rows) {
    SCOPED_TRACE(row.origin);
    int index = -1;
    ASSERT_TRUE(State().Routes.Find(Key(row.origin), index));
    const TRoute& route = *State().Routes.Object(index);
    ASSERT_NE(route.Origin, nullptr);
    EXPECT_TRUE(SameText(route.Origin->Name, row.origin));
    EXPECT_TRUE(same(route.ReportCap, row.cap));
    EXPECT_TRUE(same(route.ReportMat, row.mat));
    EXPECT_TRUE(same(route.ReportCol, row.col));
    EXPECT_TRUE(same(route.ReportEmp, row.emp));
    EXPECT_EQ(route.Cap, route.ReportCap);
    EXPECT_EQ(route.Mat, route.ReportMat);
    EXPECT_EQ(route.Col, route.ReportCol);
    EXPECT_EQ(route.Emp, route.ReportEmp);
  }
}

TEST_F(OrionAllies, ShipsInProductionOfTheLastTurn) {
  std::vector<ProductionRow> rows;
  for (const ProductionRow& r : Report(kLastTurn, 0).production) {
    if (r.type != "-") rows.push_back(r);
  }
  ASSERT_FALSE(rows.empty());
  ASSERT_EQ(State().ShipsInProduction.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const TShipInProduction& s = *State().ShipsInProduction[i];
    EXPECT_EQ(s.PlanetName, rows[i].planet);
    EXPECT_EQ(s.ShipTypeName, rows[i].type);
    EXPECT_EQ(s.PlanetNumber, -1);
  }
}

TEST_F(OrionAllies, IncomingGroupsOfEveryTurn) {
  struct Expected {
    int turn;
    int32_t ox, oy, dx, dy;
    IncomingRow row;
  };
  std::vector<Expected> expected;
  KnownPlanets known;
  for (int t = 0; t <= kLastTurn; ++t) {
    const OrionReport& a = Report(t, 0);
    known.Add(a);
    for (const IncomingRow& row : a.incoming) {
      // A row naming a planet no table listed ends the section.
      if (!known.Has(row.origin) || !known.Has(row.destination)) break;
      const PlanetRow* o = a.Planet(row.origin);
      const PlanetRow* d = a.Planet(row.destination);
      ASSERT_NE(o, nullptr);
      ASSERT_NE(d, nullptr);
      expected.push_back({t, o->x, o->y, d->x, d->y, row});
    }
    for (int letter = 1; letter < 3; ++letter) known.Add(Report(t, letter));
  }
  ASSERT_GT(expected.size(), 20u);
  ASSERT_EQ(State().IncomingGroups.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const TIncomingGroup& g = *State().IncomingGroups[i];
    const Expected& e = expected[i];
    SCOPED_TRACE(testing::Message()
                 << "turn " << e.turn << " " << e.row.origin << " -> " << e.row.destination);
    EXPECT_EQ(g.Turn, e.turn);
    EXPECT_EQ(g.Reporter, State().MainPlayer);
    ASSERT_NE(g.Origin, nullptr);
    ASSERT_NE(g.Destination, nullptr);
    EXPECT_EQ(g.Origin->X, e.ox);
    EXPECT_EQ(g.Origin->Y, e.oy);
    EXPECT_EQ(g.Destination->X, e.dx);
    EXPECT_EQ(g.Destination->Y, e.dy);
    EXPECT_FLOAT_EQ(g.Distance, e.row.distance);
    EXPECT_FLOAT_EQ(g.Speed, e.row.speed);
    EXPECT_FLOAT_EQ(g.Mass, e.row.mass);
  }
}

// ---- Every race read alone as the own race -----------------------------------------------------

// No rule of the reader ends any of these readings early. Jovians (J) were removed in turn 20
// and Izarians (I) quit in turn 22, but the server still wrote J020-J025 and I022-I025 as
// complete reports: a header naming the race and a status table that lists it (J with 0
// planets). The race is found, so the reading goes on to turn 25 like any other; J's last
// reports have a "Your Planets" table without rows, and J ends with no planet and no group. A
// reading ends early only at a report whose header names a race no status table has listed.
struct SingleRace {
  const char* name;
  char letter;
  const char* race;
};

void PrintTo(const SingleRace& c, std::ostream* out) {
  *out << c.race;
}

class OrionSingleRace : public OrionGame, public testing::WithParamInterface<SingleRace> {};

TEST_P(OrionSingleRace, LoadsWithoutMessages) {
  const SingleRace& c = GetParam();
  GameState state;
  test::RecordingUserInterface ui;
  test::TempDir programDir;
  std::vector<std::string> messages;
  EXPECT_TRUE(Load(state, ui, programDir.path(), std::string(1, c.letter), messages));
  EXPECT_TRUE(messages.empty()) << Joined(messages);
  EXPECT_TRUE(ui.messages.empty()) << "the reader shows no message box";
  EXPECT_TRUE(FilesRewritten().empty());
  ASSERT_NE(state.MainPlayer, nullptr);
  EXPECT_EQ(state.MainPlayer->Name, c.race);
  EXPECT_EQ(state.LastTurn, kLastTurn);
  EXPECT_EQ(state.Players.Count(), 10);

  // The last own report: its planets are the race's, its group tables are the race's groups.
  const OrionReport last(ReportFile(c.letter, kLastTurn));
  for (const PlanetRow& p : last.planets) {
    if (p.owner != last.race) continue;
    const TPlanet* planet = state.PlanetByName(p.name);
    ASSERT_NE(planet, nullptr) << p.name;
    EXPECT_EQ(planet->Owner.Player(), state.MainPlayer) << p.name;
  }
  for (const StatusRow& row : last.status) {
    if (row.name == last.race) {
      EXPECT_EQ(state.MainPlayer->GetPlanetCount(kLastTurn), row.planets);
    }
  }
  EXPECT_EQ(state.MainPlayer->Groups.size(), last.ownGroups.size());
}

INSTANTIATE_TEST_SUITE_P(
    Races, OrionSingleRace,
    testing::Values(SingleRace{"A", 'A', "Arcturans"}, SingleRace{"B", 'B', "Betelgeusians"},
                    SingleRace{"C", 'C', "Cygnians"}, SingleRace{"D", 'D', "Draconids"},
                    SingleRace{"E", 'E', "Eridani"}, SingleRace{"F", 'F', "Fomalhauti"},
                    SingleRace{"G", 'G', "Gliesians"}, SingleRace{"H", 'H', "Hyadeans"},
                    SingleRace{"I", 'I', "Izarians"}, SingleRace{"J", 'J', "Jovians"}),
    [](const testing::TestParamInfo<SingleRace>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tovix
