// The real game "Orion" (10 races, turns 0 to 25) read through the report reader. The
// expectations come from the report text through the small table parser below, which shares no
// code with the reader: a fault in the reader's table handling cannot hide itself by being
// repeated in the expectation.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_passes.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

constexpr int kLastTurn = 25;

// ---- The report text, split without the reader -------------------------------------------

using Words = std::vector<std::string>;

Words SplitWords(std::string_view line) {
  auto delimiter = [](unsigned char c) { return c < 33 || c == ',' || c == '`' || c >= 126; };
  Words words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && delimiter(static_cast<unsigned char>(line[i]))) ++i;
    const size_t start = i;
    while (i < line.size() && !delimiter(static_cast<unsigned char>(line[i]))) ++i;
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

// A row of the own group table or of a fleet: "G # T D W S C T Q D R O".
struct GroupRow {
  Words w;
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

// One Galaxy NG report, as far as the checks below need it. Tables whose rows are checked
// column by column are kept as words: status "N D W S C P I # R", bombings
// "W O N P I P $ M C", incoming groups "O D R S M", routes "N $ M C E", production "N P".
class OrionReport {
 public:
  explicit OrionReport(const fs::path& file) {
    std::istringstream in(test::ReadFileBytes(file));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    Parse();
  }

  std::vector<std::string> lines;
  std::string race;
  std::vector<Words> status, bombings, incoming, routes, production;
  std::vector<PlanetRow> planets;
  std::vector<BattleText> battles;
  std::vector<GroupRow> ownGroups;  // the "Your Groups" table outside battles, then the fleets

  const PlanetRow* Planet(std::string_view name) const {
    for (const PlanetRow& p : planets) {
      if (SameText(p.name, name)) return &p;
    }
    return nullptr;
  }
  bool IsRace(std::string_view name) const {
    return std::any_of(status.begin(), status.end(),
                       [&](const Words& r) { return SameText(r.at(0), name); });
  }

 private:
  size_t SkipEmpty(size_t i) const {
    while (i < lines.size() && SplitWords(lines[i]).empty()) ++i;
    return i;
  }
  // The rows after the column header (the first non-empty line after `header`), up to the
  // first line without words; `end` is that line.
  std::vector<Words> Rows(size_t header, size_t* end = nullptr) const {
    std::vector<Words> rows;
    size_t i = SkipEmpty(header + 1) + 1;
    for (; i < lines.size() && !SplitWords(lines[i]).empty(); ++i) {
      rows.push_back(SplitWords(lines[i]));
    }
    if (end) *end = i;
    return rows;
  }
  void AddPlanets(size_t header, const std::string& owner, bool hasFigures) {
    for (const Words& w : Rows(header)) {
      PlanetRow p{w.at(0), Hundredths(w.at(1)), Hundredths(w.at(2)), hasFigures, 0, 0, 0, "",
                  owner};
      if (hasFigures) {
        p.size = Number(w.at(3));
        p.population = Number(w.at(4));
        p.industry = Number(w.at(5));
        p.production = w.at(7);
      } else if (owner.empty() && w.size() >= 5) {
        p.size = Number(w[3]);
      }
      planets.push_back(p);
    }
  }

  void Parse() {
    std::set<std::string> fleets;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].size() <= 2 || lines[i][0] != '\t') continue;
      const std::string title = Trim(lines[i]);
      const Words w = SplitWords(title);
      const std::string owner = title.size() > 8 ? title.substr(0, title.size() - 8) : "";
      if (title.rfind("Galaxy Game ", 0) == 0) {
        race = w.back();
      } else if (title == "Status of Players") {
        status = Rows(i);
      } else if (title.rfind("Battle at ", 0) == 0) {
        i = ParseBattle(i, w.at(2)) - 1;  // the battle's race lists are no group tables
      } else if (title == "Your Planets") {
        AddPlanets(i, race, true);
      } else if (title == "Unidentified Planets") {
        AddPlanets(i, "?", false);
      } else if (title == "Uninhabited Planets") {
        AddPlanets(i, "", false);
      } else if (title.size() > 8 && title.substr(title.size() - 8) == " Planets" &&
                 IsRace(owner)) {
        AddPlanets(i, owner, true);
      } else if (title == "Bombings") {
        bombings = Rows(i);
      } else if (title == "Incoming Groups") {
        incoming = Rows(i);
      } else if (title == "Your Routes") {
        for (const Words& row : Rows(i)) {
          if (row.size() < 5) break;
          routes.push_back(row);
        }
      } else if (title == "Ships In Production") {
        production = Rows(i);
      } else if (title == "Your Groups") {
        for (const Words& row : Rows(i)) ownGroups.push_back({row, "", 0});
      } else if (title.rfind("Fleet ", 0) == 0 && fleets.insert(w.at(1)).second) {
        std::string speed = w.at(3);
        if (!speed.empty() && speed.back() == ')') speed.pop_back();
        for (const Words& row : Rows(i)) ownGroups.push_back({row, w[1], Number(speed)});
      }
    }
  }

  // The race lists that follow a battle header: each opened by a "... Groups" line, rows up to
  // an empty line; anything else ends the battle. Returns the line after the lists.
  size_t ParseBattle(size_t header, const std::string& planet) {
    BattleText battle{planet, {}};
    size_t i = SkipEmpty(header + 1);
    while (i < lines.size() && lines[i].find("Groups") != std::string::npos) {
      const std::string raceWord = SplitWords(lines[i]).at(0);
      size_t end = 0;
      for (const Words& w : Rows(i, &end)) {
        battle.groups.push_back(
            {raceWord, FirstIntInStr(w.at(0)), FirstIntInStr(w.at(8)), w.at(1)});
      }
      i = SkipEmpty(end);
    }
    battles.push_back(std::move(battle));
    return i;
  }
};

int32_t CargoCode(std::string_view text) {
  const std::string t = LowerCase(text);
  return t == "cap" ? pcCap : t == "mat" ? pcMat : t == "col" ? pcCol : pcNone;
}

int32_t BombingCode(std::string_view text) {
  return text == "CAP" ? pcCap : text == "COL" ? pcCol : text == "MAT" ? pcMat : pcNone;
}

std::string OwnerName(const TOwnerRef& owner) {
  if (owner.IsNone()) return "";
  if (owner.IsUnknown()) return "?";
  return owner.Player()->Name;
}

// The lower-cased name of a planet, race or design; "-" for none.
template <class T>
std::string NameOf(const T* object) {
  return object ? Key(object->Name) : "-";
}

// Values as one line of text, so that a table compares as a whole and a failure shows both
// sides. Figures are written to 7 significant digits: the reports give at most 7, so two
// figures read from the same text agree there, and any difference that EXPECT_FLOAT_EQ would
// report shows.
template <class... T>
std::string Line(const T&... values) {
  std::string out;
  auto add = [&out](const auto& v) {
    using V = std::decay_t<decltype(v)>;
    out += out.empty() ? "" : " ";
    if constexpr (std::is_floating_point_v<V>) {
      out += Fmt("%.7g", v);
    } else if constexpr (std::is_arithmetic_v<V>) {
      out += std::to_string(v);
    } else {
      out += v;
    }
  };
  (add(values), ...);
  return out;
}

// Where a planet lies, "nowhere" for none.
std::string Where(const TPlanet* p) {
  return p ? Line(p->X, p->Y) : "nowhere";
}

// ---- The game, copied once so that nothing the reader might write touches the shared folder --

// The copy, or nullptr when the game is not on this machine.
const test::TempDir* OrionCopy() {
  static const std::unique_ptr<test::TempDir> copy = []() -> std::unique_ptr<test::TempDir> {
    const fs::path source = test::ReportsDir("orion");
    if (source.empty()) return nullptr;
    auto dir = std::make_unique<test::TempDir>();
    for (const auto& e : fs::directory_iterator(source)) {
      if (e.is_regular_file() && e.path().extension() == ".txt") {
        fs::copy_file(e.path(), dir->path() / e.path().filename());
      }
    }
    return dir;
  }();
  return copy.get();
}

fs::path ReportFile(char letter, int turn) {
  return OrionCopy()->path() / FormatReportName("%1s%0.03d.txt", letter, turn);
}

std::vector<fs::path> FilesRewritten() {
  std::vector<fs::path> found;
  for (const auto& e : fs::directory_iterator(OrionCopy()->path())) {
    if (e.path().extension() != ".txt") found.push_back(e.path().filename());
  }
  return found;
}

// The game read with `letters` (own letter first).
struct OrionLoad {
  explicit OrionLoad(const std::string& letters) {
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (OrionCopy()->path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = letters;
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
    messages = reader.Messages();
  }
  GameState state;
  test::RecordingUserInterface ui;
  test::TempDir programDir;
  bool loaded = false;
  std::vector<std::string> messages;
};

class OrionGame : public testing::Test {
 protected:
  void SetUp() override {
    if (!OrionCopy()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  }
};

// ---- Reading as A with the allies B and C ----------------------------------------------------

class OrionAllies : public OrionGame {
 protected:
  static const OrionLoad& Allies() {
    static const OrionLoad load("ABC");
    return load;
  }
  static const GameState& State() { return Allies().state; }
  static const OrionReport& Report(int turn, int letterIndex) {
    static const auto reports = [] {
      std::map<int, std::vector<OrionReport>> r;
      for (int t = 0; t <= kLastTurn; ++t) {
        for (char letter : std::string_view("ABC")) r[t].emplace_back(ReportFile(letter, t));
      }
      return r;
    }();
    return reports.at(turn).at(static_cast<size_t>(letterIndex));
  }
};

TEST_F(OrionAllies, LoadsWithoutMessagesAndLeavesTheReportsAlone) {
  const OrionLoad& load = Allies();
  EXPECT_TRUE(load.loaded);
  EXPECT_TRUE(load.messages.empty()) << testing::PrintToString(load.messages);
  EXPECT_TRUE(load.ui.messages.empty()) << "the reader shows no message box";
  EXPECT_TRUE(FilesRewritten().empty()) << "the reader wrote into the report folder";
  EXPECT_FALSE(fs::exists(load.programDir / "DumpList.log"));
  ASSERT_NE(State().MainPlayer, nullptr);
  EXPECT_EQ(State().MainPlayer->Name, "Arcturans");
  EXPECT_EQ(State().LastTurn, kLastTurn);
  EXPECT_EQ(State().FirstTurn, 0);
  EXPECT_EQ(State().GameName, "Orion");
  ASSERT_FALSE(load.ui.titles.empty());
  EXPECT_EQ(load.ui.titles.back(), "Tovix Orion - 25 Arcturans");
}

// Every row of A's status table of every turn gives the values of that turn. A row is matched
// to its race by name, and a name never seen before to the race of the same row last turn
// (the start names race_1 ... become the chosen names in turn 1).
TEST_F(OrionAllies, StatusValuesOfEveryRaceInEveryTurn) {
  std::vector<std::vector<std::string>> namesOf;  // per race: its names in order
  std::vector<int> rowOwner;                      // per row of the last table: race index
  std::map<int, std::vector<std::pair<int, Words>>> rowsByTurn;
  for (int t = 0; t <= kLastTurn; ++t) {
    const std::vector<Words>& rows = Report(t, 0).status;
    ASSERT_FALSE(rows.empty()) << "turn " << t;
    std::vector<int> owners;
    for (size_t r = 0; r < rows.size(); ++r) {
      int race = -1;
      for (size_t k = 0; k < namesOf.size(); ++k) {
        if (SameText(namesOf[k].back(), rows[r].at(0))) race = static_cast<int>(k);
      }
      if (race < 0 && r < rowOwner.size()) {
        race = rowOwner[r];
        namesOf[static_cast<size_t>(race)].push_back(rows[r][0]);
      }
      if (race < 0) {
        race = static_cast<int>(namesOf.size());
        namesOf.push_back({rows[r][0]});
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
      SCOPED_TRACE(testing::Message() << "turn " << turn << ", " << row[0]);
      EXPECT_FLOAT_EQ(p->GetDrive(turn), Number(row.at(1)));
      EXPECT_FLOAT_EQ(p->GetWeapons(turn), Number(row.at(2)));
      EXPECT_FLOAT_EQ(p->GetShields(turn), Number(row.at(3)));
      EXPECT_FLOAT_EQ(p->GetCargo(turn), Number(row.at(4)));
      EXPECT_FLOAT_EQ(p->GetPopulation(turn), Number(row.at(5)));
      EXPECT_FLOAT_EQ(p->GetIndustry(turn), Number(row.at(6)));
      EXPECT_EQ(p->GetPlanetCount(turn), FirstIntInStr(row.at(7)));
      if (turn == kLastTurn) {
        EXPECT_EQ(p->War, row.at(8) == "War" || row[8] == "W");
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
    for (const Words& b : r.bombings) {
      if (!bombingKeys.insert(Key(b.at(2))).second) continue;
      auto it = expected.find(Key(b[2]));
      if (it != expected.end() && !it->second.owner.empty() && r.IsRace(b[0])) {
        it->second.owner = b[0];
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
// fleets, each once.
TEST_F(OrionAllies, OwnGroupsOfTheLastTurn) {
  const std::vector<GroupRow>& rows = Report(kLastTurn, 0).ownGroups;
  ASSERT_GT(rows.size(), 100u);
  const TPlayer* a = State().MainPlayer;
  ASSERT_NE(a, nullptr);
  // Number: ships twice, design, levels, cargo, destination, distance, fleet, origin, track,
  // whether an arrival turn is known, owner, turn, from a battle.
  std::map<int, std::string> expected, read;
  int inFlight = 0;
  int inFleet = 0;
  for (const GroupRow& row : rows) {
    const Words& w = row.w;
    const bool flying = w.size() > 11;
    const std::string origin = flying ? Key(w[11]) : "-";
    inFlight += flying;
    inFleet += !row.fleet.empty();
    expected[FirstIntInStr(w.at(0))] =
        Line(FirstIntInStr(w.at(1)), FirstIntInStr(w[1]), Key(w.at(2)), Number(w.at(3)),
             Number(w.at(4)), Number(w.at(5)), Number(w.at(6)), CargoCode(w.at(7)), Number(w.at(8)),
             Key(w.at(9)), w.size() > 10 ? Number(w[10]) : 0.0f, row.fleet, row.fleetSpeed, origin,
             flying ? origin : Key(w[9]), flying ? Key(w[9]) : "-", flying ? "on its way" : "0",
             true, kLastTurn, 0);
  }
  ASSERT_EQ(expected.size(), rows.size()) << "group numbers are unique in the own report";
  for (const auto& g : a->Groups) {
    read[g->GroupNumber] = Line(
        g->Ships, g->BattleShips, NameOf(g->ShipType), g->DriveTech, g->WeaponsTech, g->ShieldsTech,
        g->CargoTech, g->CargoType, g->Load, NameOf(g->Planet), g->Distance, g->FleetName,
        g->FleetSpeed, NameOf(g->Origin), NameOf(g->TrackFrom), NameOf(g->TrackTo),
        g->ETA > 0 ? "on its way" : std::to_string(g->ETA), g->Owner == a, g->Turn, g->FromBattle);
  }
  EXPECT_EQ(a->Groups.size(), rows.size());
  EXPECT_EQ(read, expected);
  EXPECT_GT(inFlight, 0);
  EXPECT_GT(inFleet, 0);
}

// Merging leaves no race with two groups of one merge key.
TEST_F(OrionAllies, NoRaceHoldsOneGroupTwice) {
  for (auto [key, race] : State().Players) {
    std::map<std::string, int> keys;
    for (const auto& g : race->Groups) ++keys[MergeGroupKey(*g)];
    for (const auto& [k, n] : keys) EXPECT_EQ(n, 1) << race->Name << ": " << k;
  }
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
// often; its groups are the rows of the first report that shows it. Bombings likewise, each
// once; incoming groups from every one of A's reports.
TEST_F(OrionAllies, BattlesBombingsAndIncomingGroupsOfEveryTurn) {
  std::map<std::string, std::vector<std::string>> battles, bombings;
  std::vector<std::string> incoming;
  int shownTwice = 0;
  KnownPlanets known;
  for (int t = 0; t <= kLastTurn; ++t) {
    for (int letter = 0; letter < 3; ++letter) {
      const OrionReport& r = Report(t, letter);
      known.Add(r);
      auto where = [&r](const std::string& name) {
        const PlanetRow* p = r.Planet(name);
        return p ? Line(p->x, p->y) : "not in the report's tables";
      };
      // One section per round of fighting: the second round at a planet is a battle of its own.
      std::map<std::string, int> rounds;
      for (const BattleText& b : r.battles) {
        const int round = ++rounds[Key(b.planet)];
        if (!known.Has(b.planet)) continue;
        std::string battleKey = Key(b.planet) + "\t" + std::to_string(t);
        if (round > 1) battleKey += "\t" + std::to_string(round);
        auto [it, added] = battles.try_emplace(battleKey);
        shownTwice += !added;
        if (!added) continue;
        it->second.push_back(Line(t, where(b.planet)));
        for (const BattleGroupRow& g : b.groups) {
          it->second.push_back(Line(g.race == "Your" ? r.race : g.race, g.ships, g.shipsLeft,
                                    Key(g.type), "there", t));
        }
      }
      // A planet bombed twice in the turn has a row for each bombing.
      std::map<std::string, int> bombed;
      for (const Words& b : r.bombings) {
        if (!known.Has(b.at(2)) || !r.IsRace(b[0]) || !r.IsRace(b[1])) continue;
        std::string key = std::to_string(t) + "$" + Key(b.at(2));
        if (const int times = ++bombed[Key(b[2])]; times > 1) key += "$" + std::to_string(times);
        if (bombings.count(key)) continue;
        bombings[key] = {Line(t, where(b[2]), b[0], b[1], Number(b.at(3)), Number(b.at(4)),
                              BombingCode(b.at(5)), Number(b.at(6)), Number(b.at(7)),
                              Number(b.at(8)))};
      }
      for (const Words& row : letter == 0 ? r.incoming : std::vector<Words>{}) {
        // A row naming a planet no table listed ends the section.
        if (!known.Has(row.at(0)) || !known.Has(row.at(1))) break;
        incoming.push_back(Line(t, "A", where(row[0]), where(row[1]), Number(row.at(2)),
                                Number(row.at(3)), Number(row.at(4))));
      }
    }
  }
  ASSERT_GT(battles.size(), 50u);
  EXPECT_GT(shownTwice, 50) << "the allies' reports repeat many battles";
  ASSERT_GT(bombings.size(), 30u);
  ASSERT_GT(incoming.size(), 20u);

  std::map<std::string, std::vector<std::string>> readBattles, readBombings;
  for (auto [key, battle] : State().Battles) {
    std::vector<std::string>& lines = readBattles[Key(key)];
    EXPECT_TRUE(lines.empty()) << "two battles " << key;
    lines.push_back(Line(battle->Turn, Where(battle->Planet)));
    for (const auto& g : battle->Groups) {
      lines.push_back(Line(g->Owner ? g->Owner->Name : "-", g->Ships, g->BattleShips,
                           NameOf(g->ShipType), g->Planet == battle->Planet ? "there" : "elsewhere",
                           g->Turn));
    }
  }
  for (auto [key, b] : State().Bombings) {
    readBombings[Key(key)] = {Line(b->Turn, Where(b->Planet), b->Attacker ? b->Attacker->Name : "-",
                                   b->Defender ? b->Defender->Name : "-", b->Population,
                                   b->Industry, b->Producing, b->Capital, b->Material,
                                   b->Colonists)};
  }
  std::vector<std::string> readIncoming;
  for (const auto& g : State().IncomingGroups) {
    readIncoming.push_back(Line(g->Turn, g->Reporter == State().MainPlayer ? "A" : "another race",
                                Where(g->Origin), Where(g->Destination), g->Distance, g->Speed,
                                g->Mass));
  }
  EXPECT_EQ(State().Battles.Count(), static_cast<int>(battles.size()));
  EXPECT_EQ(readBattles, battles);
  EXPECT_EQ(State().Bombings.Count(), static_cast<int>(bombings.size()));
  EXPECT_EQ(readBombings, bombings);
  EXPECT_EQ(readIncoming, incoming);
}

// The routes and the ships in production are those of A's last report.
TEST_F(OrionAllies, RoutesAndShipsInProductionOfTheLastTurn) {
  const OrionReport& last = Report(kLastTurn, 0);
  ASSERT_FALSE(last.routes.empty());
  // Origin, then each destination as the report gives it and as the orders start from it.
  std::map<std::string, std::string> expected, read;
  for (const Words& row : last.routes) {
    expected[Key(row[0])] = Line(Key(row[0]), Key(row[1]), Key(row[2]), Key(row[3]), Key(row[4]),
                                 Key(row[1]), Key(row[2]), Key(row[3]), Key(row[4]));
  }
  for (auto [key, r] : State().Routes) {
    read[key] =
        Line(NameOf(r->Origin), NameOf(r->ReportCap), NameOf(r->ReportMat), NameOf(r->ReportCol),
             NameOf(r->ReportEmp), NameOf(r->Cap), NameOf(r->Mat), NameOf(r->Col), NameOf(r->Emp));
  }
  EXPECT_EQ(read, expected);

  std::vector<std::string> production, readProduction;
  for (const Words& r : last.production) {
    if (r.at(1) != "-") production.push_back(Line(-1, r[0], r[1]));
  }
  ASSERT_FALSE(production.empty());
  for (const auto& s : State().ShipsInProduction) {
    readProduction.push_back(Line(s->PlanetNumber, s->PlanetName, s->ShipTypeName));
  }
  EXPECT_EQ(readProduction, production);
}

// The map tracks are the dashes of A's last two maps, worked out here from the text: the Orion
// maps span 0..150 in both directions over 80 columns and 40 rows, and have no tabs.
TEST_F(OrionAllies, MapTracksAreTheDashesOfTheLastTwoMaps) {
  const std::string frame(80, '-');
  for (int turn : {kLastTurn - 1, kLastTurn}) {
    const std::vector<std::string>& lines = Report(turn, 0).lines;
    const auto first = std::find(lines.begin(), lines.end(), frame);
    ASSERT_NE(first, lines.end());
    const auto last = std::find(first + 1, lines.end(), frame);
    ASSERT_EQ(last - first, 41);
    ASSERT_EQ(*(first - 1), "0.00,0.00  150.00,0.00");
    ASSERT_EQ(*(last + 1), "0.00,150.00  150.00,150.00");
    std::multiset<std::pair<int32_t, int32_t>> expected;
    for (int row = 0; row < 40; ++row) {
      const std::string& text = *(first + 1 + row);
      for (size_t c = 0; c < text.size(); ++c) {
        if (text[c] != '-') continue;
        expected.emplace(static_cast<int32_t>(std::nearbyint((c + 0.5) * 150.0 / 80) * 100),
                         static_cast<int32_t>(std::nearbyint((row + 0.5) * 150.0 / 40) * 100));
      }
    }
    std::multiset<std::pair<int32_t, int32_t>> read;
    for (const TTracks& t : State().Tracks) {
      if (t.Turn == turn && t.FromGroup == 0) read.emplace(t.X, t.Y);
    }
    EXPECT_GT(expected.size(), 100u);
    EXPECT_EQ(read, expected) << "turn " << turn;
  }
}

// ---- Every race read alone as the own race -----------------------------------------------------

// No rule of the reader ends any of these readings early. Jovians (J) were removed in turn 20
// and Izarians (I) quit in turn 22, but the server still wrote J020-J025 and I022-I025 as
// complete reports: a header naming the race and a status table that lists it (J with 0
// planets). The race is found, so the reading goes on to turn 25 like any other; J's last
// reports have a "Your Planets" table without rows, and J ends with no planet and no group. A
// reading ends early only at a report whose header names a race no status table has listed.
class OrionSingleRace : public OrionGame,
                        public testing::WithParamInterface<std::pair<char, const char*>> {};

TEST_P(OrionSingleRace, LoadsWithoutMessages) {
  const auto [letter, race] = GetParam();
  const OrionLoad load(std::string(1, letter));
  const GameState& state = load.state;
  EXPECT_TRUE(load.loaded);
  EXPECT_TRUE(load.messages.empty()) << testing::PrintToString(load.messages);
  EXPECT_TRUE(load.ui.messages.empty()) << "the reader shows no message box";
  EXPECT_TRUE(FilesRewritten().empty());
  ASSERT_NE(state.MainPlayer, nullptr);
  EXPECT_EQ(state.MainPlayer->Name, race);
  EXPECT_EQ(state.LastTurn, kLastTurn);
  EXPECT_EQ(state.Players.Count(), 10);

  // The last own report: its planets are the race's, its group tables are the race's groups.
  const OrionReport last(ReportFile(letter, kLastTurn));
  for (const PlanetRow& p : last.planets) {
    if (p.owner != last.race) continue;
    const TPlanet* planet = state.PlanetByName(p.name);
    ASSERT_NE(planet, nullptr) << p.name;
    EXPECT_EQ(planet->Owner.Player(), state.MainPlayer) << p.name;
  }
  for (const Words& row : last.status) {
    if (row.at(0) == last.race) {
      EXPECT_EQ(state.MainPlayer->GetPlanetCount(kLastTurn), FirstIntInStr(row.at(7)));
    }
  }
  EXPECT_EQ(state.MainPlayer->Groups.size(), last.ownGroups.size());

  // A race's planet size of a turn is the total of the planets it holds, as its own report
  // lists them: the own race's in every turn; every race's in turn 0, whose home planets the
  // numbered blocks of the turn-0 counting give their races (each 1000 + 300 + 300).
  auto ownTotal = [](const OrionReport& report) {
    float total = 0;
    for (const PlanetRow& p : report.planets)
      if (p.owner == report.race) total += p.size;
    return total;
  };
  for (int turn = 0; turn <= kLastTurn; ++turn) {
    EXPECT_FLOAT_EQ(state.MainPlayer->GetPlanetSize(turn),
                    ownTotal(OrionReport(ReportFile(letter, turn))))
        << "turn " << turn;
  }
  for (char other = 'A'; other <= 'J'; ++other) {
    const OrionReport first(ReportFile(other, 0));
    // The start names race_1 ... are changed in turn 1.
    const TPlayer* player = state.PlayerByName(OrionReport(ReportFile(other, 1)).race);
    ASSERT_NE(player, nullptr) << first.race;
    EXPECT_FLOAT_EQ(ownTotal(first), 1600.0f) << first.race;
    EXPECT_FLOAT_EQ(player->GetPlanetSize(0), ownTotal(first)) << first.race;
  }
}

INSTANTIATE_TEST_SUITE_P(Races, OrionSingleRace,
                         testing::Values(std::pair{'A', "Arcturans"},
                                         std::pair{'B', "Betelgeusians"},
                                         std::pair{'C', "Cygnians"}, std::pair{'D', "Draconids"},
                                         std::pair{'E', "Eridani"}, std::pair{'F', "Fomalhauti"},
                                         std::pair{'G', "Gliesians"}, std::pair{'H', "Hyadeans"},
                                         std::pair{'I', "Izarians"}, std::pair{'J', "Jovians"}),
                         [](const auto& row) { return std::string(1, row.param.first); });

}  // namespace
}  // namespace tovix
