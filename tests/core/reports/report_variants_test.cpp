// Small games of every report layout in tests/data/reports/<case>/, read whole through the
// report reader. Each case checks what its variant does differently: "Galaxy Blind" (options
// before the header, systems keyed by number, effective values), "Galaxy NG Blind" (a race that
// comes back under its old name, the mass column, "Incoming" ending a battle), "Galaxy Normal"
// (no options section, no relation column for the own race), a "Galaxy PLUS" header, and a
// trimmed "Galaxy NG" game as LF, CR LF and tab-less files. The settings are filled here; no
// Tovix.ini is needed except where the detected variant is written back.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/game_variant.h"
#include "core/settings/ini_file.h"
#include "core/settings/report_layout.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// A fixture game copied to a scratch folder, since reading may rewrite a report (tab repair)
// and writes "DumpList.log" into the program folder.
class FixtureGame {
 public:
  FixtureGame(const std::string& fixture, TGameType type, const std::string& letters) {
    fs::create_directories(Reports());
    fs::create_directories(Program());
    for (const auto& e : fs::directory_iterator(test::DataDir() / "reports" / fixture)) {
      fs::copy_file(e.path(), Reports() / e.path().filename());
    }
    state.Settings.GameType = type;
    state.Settings.GameNumber = 1;
    state.Settings.spelD = (Reports() / "%1s%0.03d.txt").string();
    state.Settings.spelC = letters;
    state.Settings.UseCountMethod = 0;
    SetReportLayout(state.Layout, type);
  }

  // A Tovix.ini with the game's section, for the variant the reader writes back.
  void UseIniFile() {
    state.Settings.IniPath = (Program() / "Tovix.ini").string();
    WriteFileAtomically(state.Settings.IniPath, "[RUN]\ngame=1\n\n[1]\nName=fixture\n");
  }

  bool Load() {
    TReportReader reader(state, ui, Program());
    bool ok = reader.LoadAllReports();
    messages = reader.Messages();
    return ok;
  }

  fs::path Reports() const { return dir_.path() / "reports"; }
  fs::path Program() const { return dir_.path() / "program"; }

  GameState state;
  test::RecordingUserInterface ui;
  std::vector<std::string> messages;

 private:
  test::TempDir dir_;
};

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  for (const std::string& t : texts) {
    if (t == text) return true;
  }
  return false;
}

const TPlanet& PlanetAt(const GameState& state, const std::string& name) {
  const TPlanet* p = state.PlanetByName(name);
  if (!p) throw std::runtime_error("no planet " + name);
  return *p;
}

const TPlayer& Race(const GameState& state, const std::string& name) {
  const TPlayer* p = state.PlayerByName(name);
  if (!p) throw std::runtime_error("no race " + name);
  return *p;
}

std::string OwnerName(const TOwnerRef& owner) {
  if (owner.IsNone()) return "(none)";
  if (owner.IsUnknown()) return "(unknown)";
  return owner.Player()->Name;
}

const TGroup* GroupNumbered(const TPlayer& race, int number) {
  for (const auto& g : race.Groups) {
    if (g->GroupNumber == number) return g.get();
  }
  return nullptr;
}

std::string PlanetName(const TPlanet* p) {
  return p ? p->Name : "(none)";
}

// The whole model as text, to show that two readings of the same game agree.
std::string Dump(const GameState& s) {
  std::string out;
  auto line = [&](const std::string& text) { out += text + "\n"; };
  line(Fmt("game %s first %d last %d main %s", s.GameName, s.FirstTurn, s.LastTurn,
           s.MainPlayer ? s.MainPlayer->Name : std::string("-")));
  for (auto [key, p] : s.Players) {
    line(Fmt("race %s %s alias '%s' number %d war %d gone %d", key, p->Name, p->Alias, p->Number,
             p->War ? 1 : 0, p->Gone ? 1 : 0));
    for (int t = 0; t <= s.LastTurn; ++t) {
      line(Fmt("  turn %d %g %g %g %g %g %g %g %d", t, p->GetDrive(t), p->GetWeapons(t),
               p->GetShields(t), p->GetCargo(t), p->GetPopulation(t), p->GetIndustry(t),
               p->GetPlanetSize(t), p->GetPlanetCount(t)));
    }
    for (auto [name, type] : p->ShipTypes) {
      line(Fmt("  design %s %g %d %g %g %g %g", name, type->Drive, type->Attacks, type->Weapons,
               type->Shields, type->Cargo, type->ReportedMass));
    }
    for (const auto& g : p->Groups) {
      line(Fmt("  group %d %d %s %g %g %g %g %d %g %s %s %g %d %s %g %d %d %d", g->GroupNumber,
               g->Ships, g->ShipType ? g->ShipType->Name : std::string("-"), g->DriveTech,
               g->WeaponsTech, g->ShieldsTech, g->CargoTech, g->CargoType, g->Load,
               PlanetName(g->Planet), PlanetName(g->Origin), g->Distance, g->ETA, g->FleetName,
               g->FleetSpeed, g->BattleShips, g->Turn, g->FromBattle));
    }
  }
  for (auto [key, p] : s.Planets) {
    line(Fmt("planet %s %s %d %d %d %g %g %g %g %g %g %g %d %s %d %s %s", key, p->Name, p->Number,
             p->X, p->Y, p->Size, p->Resources, p->Population, p->Industry, p->Capital, p->Material,
             p->Colonists, p->ProductionCargo, OwnerName(p->Owner), p->OwnerState, p->LastOwnerName,
             p->Production));
  }
  for (auto [key, b] : s.Battles) {
    line(Fmt("battle %s %d %s %d", key, b->Turn, PlanetName(b->Planet), b->Groups.size()));
    for (const auto& g : b->Groups) {
      line(Fmt("  %s %d %d %s %g %g %g %g", g->Owner ? g->Owner->Name : std::string("-"), g->Ships,
               g->BattleShips, g->ShipType ? g->ShipType->Name : std::string("-"), g->DriveTech,
               g->WeaponsTech, g->ShieldsTech, g->CargoTech));
    }
  }
  for (auto [key, b] : s.Bombings) {
    line(Fmt("bombing %s %s %s %g %g %g %g %g %d", key, b->Attacker->Name, b->Defender->Name,
             b->Population, b->Industry, b->Capital, b->Material, b->Colonists, b->Producing));
  }
  for (auto [key, r] : s.Routes) {
    line(Fmt("route %s %s %s %s %s", key, PlanetName(r->ReportCap), PlanetName(r->ReportMat),
             PlanetName(r->ReportCol), PlanetName(r->ReportEmp)));
  }
  for (const auto& i : s.IncomingGroups) {
    line(Fmt("incoming %s %s %g %g %g %d", PlanetName(i->Origin), PlanetName(i->Destination),
             i->Distance, i->Speed, i->Mass, i->Turn));
  }
  for (const auto& p : s.ShipsInProduction) {
    line(Fmt("production %d %s %s %d %d", p->PlanetNumber, p->PlanetName, p->ShipTypeName,
             p->ShipsPresent, p->ShipsUpToDate));
  }
  for (const TTracks& t : s.Tracks) line(Fmt("track %d %d %d %d", t.Turn, t.X, t.Y, t.FromGroup));
  return out;
}

// ---- "Galaxy NG", trimmed from the game Orion: A with the ally B, turns 0 to 2 -----------------
// The Orion tests check this layout on the whole game; here only what the trimmed game adds.

TEST(NgGame, ReadsTheOwnAndTheAllysReports) {
  FixtureGame game("ng-lf", TGameType::NG, "AB");
  EXPECT_TRUE(game.Load());
  const GameState& s = game.state;
  EXPECT_TRUE(game.messages.empty()) << testing::PrintToString(game.messages);
  EXPECT_TRUE(game.ui.messages.empty());
  EXPECT_EQ(s.GameName, "Orion");
  EXPECT_EQ(s.FirstTurn, 0);
  EXPECT_EQ(s.LastTurn, 2);
  ASSERT_FALSE(game.ui.titles.empty());
  EXPECT_EQ(game.ui.titles.back(), "Tovix Orion - 2 Arcturans");
  EXPECT_TRUE(Contains(game.ui.work, "Reading report"));
  EXPECT_EQ(game.ui.work.back(), "Ready");
  EXPECT_FALSE(Contains(game.ui.work, "Adding Tabs"));

  // Renamed planets are found by position: the object and its turn-0 number stay.
  EXPECT_EQ(s.Planets.Count(), 14);
  EXPECT_EQ(s.PlanetsByDistance.Count(), 14);
  EXPECT_EQ(PlanetAt(s, "ArcturansPrime").Number, 1);
  EXPECT_TRUE(PlanetAt(s, "ArcturansPrime").HomeAtTurn0);
  EXPECT_TRUE(PlanetAt(s, "ArcturansPrime").OwnAtTurn0);
  // The ally's start planet was inhabited at turn 0 but was never the user's.
  EXPECT_TRUE(PlanetAt(s, "BetelgeusiForge").HomeAtTurn0);
  EXPECT_FALSE(PlanetAt(s, "BetelgeusiForge").OwnAtTurn0);
  EXPECT_EQ(PlanetAt(s, "BetelgeusiForge").Number, 20);
  EXPECT_EQ(OwnerName(PlanetAt(s, "BetelgeusiForge").Owner), "Betelgeusians");
  EXPECT_EQ(PlanetAt(s, "CygniansMinor").Number, 36);
  EXPECT_TRUE(PlanetAt(s, "CygniansMinor").Owner.IsUnknown());
  // B's report lists A's planet as unidentified after A's own report named its owner.
  EXPECT_EQ(OwnerName(PlanetAt(s, "ArcturansMinor").Owner), "Arcturans");
  // An ally's table without sizes keeps the size A's report gave.
  EXPECT_FLOAT_EQ(PlanetAt(s, "11").Size, 40.34f);
  EXPECT_FLOAT_EQ(PlanetAt(s, "13").Size, 135.07f);
  EXPECT_TRUE(PlanetAt(s, "38").Owner.IsNone());

  // The ally's own report replaces the groups that A's report and A's battle gave it; a race
  // without a report keeps what A's report showed.
  const TPlayer& b = Race(s, "Betelgeusians");
  ASSERT_EQ(b.Groups.size(), 2u);
  EXPECT_EQ(b.Groups[0]->GroupNumber, 1);
  EXPECT_EQ(b.Groups[0]->FromBattle, 0);
  EXPECT_EQ(b.Groups[1]->Ships, 4);
  const TPlayer& c = Race(s, "Cygnians");
  ASSERT_EQ(c.Groups.size(), 1u);
  EXPECT_EQ(c.Groups[0]->GroupNumber, 0);
  EXPECT_EQ(PlanetName(c.Groups[0]->Planet), "13");
  ASSERT_NE(c.Groups[0]->ShipType, nullptr);
  EXPECT_EQ(c.Groups[0]->ShipType->Name, "Eye");
}

// ---- The same game with other line ends and without tabs -----------------------------------

// A planet the player renamed to a name with an accented letter (the single Latin-1 byte 0xE9)
// keeps its whole name and its row's columns; before, the name was cut at the accent.
TEST(NgGame, AnAccentedPlanetNameIsOneWord) {
  FixtureGame game("latin1", TGameType::NG, "A");
  EXPECT_TRUE(game.Load());
  const GameState& s = game.state;
  const TPlanet& merope = PlanetAt(s, "M\xE9rope");
  EXPECT_EQ(merope.X, 811);
  EXPECT_EQ(merope.Y, 7756);
  EXPECT_EQ(merope.Size, 300);
  EXPECT_EQ(s.PlanetByName("ArcturansMinor"), nullptr) << "renamed in place";
  EXPECT_EQ(s.PlanetByName("M"), nullptr);
}

TEST(NgLineEnds, CrLfFilesGiveTheSameModel) {
  const std::string crlf = test::ReadFileBytes(test::DataDir() / "reports/ng-crlf/A002.txt");
  ASSERT_NE(crlf.find("\r\n"), std::string::npos) << "the fixture lost its CR LF line ends";
  FixtureGame lf("ng-lf", TGameType::NG, "AB");
  FixtureGame crlfGame("ng-crlf", TGameType::NG, "AB");
  ASSERT_TRUE(lf.Load());
  ASSERT_TRUE(crlfGame.Load());
  EXPECT_TRUE(crlfGame.messages.empty()) << testing::PrintToString(crlfGame.messages);
  EXPECT_EQ(Dump(crlfGame.state), Dump(lf.state));
}

// A report whose section headers lost their tabs is repaired once (with a backup of the file
// as it was) and then reads like the intact report. The user's file changed without a word:
// each repair is named once, with its backup.
TEST(NgWithoutTabs, IsRepairedNamedAndReadLikeTheIntactReport) {
  FixtureGame plain("ng-lf", TGameType::NG, "A");
  FixtureGame stripped("addtabs", TGameType::NG, "A");
  ASSERT_TRUE(plain.Load());
  ASSERT_TRUE(stripped.Load());
  ASSERT_EQ(stripped.messages.size(), 3u) << testing::PrintToString(stripped.messages);
  for (const std::string& message : stripped.messages)
    EXPECT_NE(message.find(".txt.TabBackup"), std::string::npos) << message;
  // Read again, the repaired reports change no more and say nothing.
  FixtureGame again("addtabs", TGameType::NG, "A");
  for (const char* name : {"A000.txt", "A001.txt", "A002.txt"})
    fs::copy_file(stripped.Reports() / name, again.Reports() / name,
                  fs::copy_options::overwrite_existing);
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.messages, std::vector<std::string>{});
  EXPECT_TRUE(Contains(stripped.ui.work, "Adding Tabs"));
  EXPECT_EQ(Dump(stripped.state), Dump(plain.state));
  for (const char* name : {"A000.txt", "A001.txt", "A002.txt"}) {
    SCOPED_TRACE(name);
    const fs::path original = test::DataDir() / "reports/addtabs" / name;
    fs::path backup = stripped.Reports() / name;
    backup += ".TabBackup";
    ASSERT_TRUE(fs::exists(backup));
    EXPECT_EQ(test::ReadFileBytes(backup), test::ReadFileBytes(original));
    EXPECT_NE(test::ReadFileBytes(stripped.Reports() / name).find("\n\t\tStatus of Players\n"),
              std::string::npos);
  }
}

// ---- "Galaxy Normal": no options section, the own race without relation column -------------

TEST(NormalGame, ReadsWithoutOptionsSectionAndWritesTheDetectedVariant) {
  FixtureGame game("normal", TGameType::Unknown, "A");
  game.UseIniFile();
  ASSERT_TRUE(game.Load());
  EXPECT_TRUE(game.messages.empty()) << testing::PrintToString(game.messages);
  const GameState& s = game.state;
  EXPECT_EQ(s.Settings.GameType, TGameType::Normal);
  TIniFile ini(s.Settings.IniPath);
  EXPECT_EQ(ini.ReadString("1", "GameType", ""), "Galaxy Normal");

  ASSERT_EQ(s.Players.Count(), 3);
  const TPlayer& alpha = Race(s, "Alpha");
  const TPlayer& beta = Race(s, "Beta");
  const TPlayer& gamma = Race(s, "Gamma");
  EXPECT_EQ(s.MainPlayer, &alpha);
  EXPECT_FALSE(alpha.War);
  EXPECT_TRUE(beta.War);
  EXPECT_FALSE(gamma.War);
  // In turn 1 the own race is the second row.
  EXPECT_FLOAT_EQ(alpha.GetDrive(1), 1.10f);
  EXPECT_FLOAT_EQ(alpha.GetPopulation(1), 1100.0f);
  EXPECT_FLOAT_EQ(alpha.GetIndustry(1), 1050.0f);
  EXPECT_EQ(alpha.GetPlanetCount(1), 3);
  EXPECT_FLOAT_EQ(beta.GetWeapons(1), 1.20f);
  EXPECT_FLOAT_EQ(gamma.GetShields(1), 1.30f);
  EXPECT_EQ(alpha.Alias, "");

  EXPECT_EQ(s.Planets.Count(), 8);
  EXPECT_EQ(PlanetAt(s, "7").Owner.Player(), &alpha);
  EXPECT_EQ(PlanetAt(s, "7").ProductionCargo, pcMat);
  EXPECT_EQ(PlanetAt(s, "2").ProductionCargo, pcCap);
  EXPECT_FLOAT_EQ(PlanetAt(s, "2").Capital, 4.50f);
  EXPECT_EQ(PlanetAt(s, "3").Owner.Player(), &beta);
  EXPECT_EQ(PlanetAt(s, "3").ProductionCargo, pcNone);
  EXPECT_TRUE(PlanetAt(s, "5").Owner.IsUnknown());
  EXPECT_FLOAT_EQ(PlanetAt(s, "8").Size, 80.0f);
  EXPECT_FLOAT_EQ(PlanetAt(s, "8").Resources, 1.50f);

  ASSERT_EQ(alpha.Groups.size(), 2u);
  const TGroup* scout = GroupNumbered(alpha, 2);
  ASSERT_NE(scout, nullptr);
  EXPECT_EQ(PlanetName(scout->Planet), "3");
  EXPECT_EQ(PlanetName(scout->Origin), "1");
  EXPECT_FLOAT_EQ(scout->Distance, 12.36f);
  ASSERT_EQ(beta.Groups.size(), 1u);
  EXPECT_EQ(beta.Groups[0]->Ships, 2);
  EXPECT_EQ(beta.Groups[0]->GroupNumber, 0);
  ASSERT_NE(beta.Groups[0]->ShipType, nullptr);
  EXPECT_EQ(beta.Groups[0]->ShipType->Name, "Raider");
}

// ---- "Galaxy Blind" -------------------------------------------------------------------------

// The technology level behind an effective shield value: the inverse of the group's shield
// figure.
float ShieldsTechFromEffective(float effective, float shields, float mass) {
  return effective * std::pow(mass, 0.33333333f) / 3.107232506f / shields;
}

class BlindGame : public testing::Test {
 protected:
  BlindGame() : game_("blind", TGameType::Blind, "A") { loaded_ = game_.Load(); }
  const GameState& S() const { return game_.state; }
  FixtureGame game_;
  bool loaded_ = false;
};

// The options come before the header; the header gives the game as its fourth word, the race as
// the third word from the end and the turn as the last; the own status row has no relation.
// Systems are keyed by their number; a name can still find them.
TEST_F(BlindGame, HeaderStatusAndSystems) {
  EXPECT_TRUE(loaded_);
  EXPECT_TRUE(game_.messages.empty()) << testing::PrintToString(game_.messages);
  EXPECT_EQ(S().GameName, "Nebula");
  EXPECT_EQ(S().LastTurn, 1);
  ASSERT_FALSE(game_.ui.titles.empty());
  EXPECT_EQ(game_.ui.titles.back(), "Tovix Nebula - 1 Alpha");
  ASSERT_EQ(S().Players.Count(), 3);
  const TPlayer& alpha = Race(S(), "Alpha");
  EXPECT_EQ(S().MainPlayer, &alpha);
  EXPECT_FALSE(alpha.War);
  EXPECT_TRUE(Race(S(), "Beta").War);
  EXPECT_FALSE(Race(S(), "Gamma").War);
  // Population and industry stand one column further right than in the other layouts.
  EXPECT_FLOAT_EQ(alpha.GetDrive(1), 1.10f);
  EXPECT_FLOAT_EQ(alpha.GetPopulation(1), 1100.0f);
  EXPECT_FLOAT_EQ(alpha.GetIndustry(1), 1050.0f);
  EXPECT_EQ(alpha.GetPlanetCount(1), 3);
  EXPECT_FLOAT_EQ(Race(S(), "Beta").GetIndustry(1), 1005.0f);

  EXPECT_EQ(S().Planets.Count(), 6);
  for (const char* key : {"1", "2", "3", "5", "7", "8"}) {
    int index = -1;
    EXPECT_TRUE(S().Planets.Find(key, index)) << key;
  }
  const TPlanet& home = PlanetAt(S(), "1");
  EXPECT_EQ(home.Name, "AlphaHome");
  EXPECT_EQ(home.Number, 1);
  EXPECT_EQ(home.X, 1000);
  EXPECT_EQ(home.Y, 2000);
  EXPECT_EQ(&PlanetAt(S(), "AlphaHome"), &home);
  const TPlanet& two = PlanetAt(S(), "2");
  EXPECT_EQ(two.ProductionCargo, pcCap);
  EXPECT_FLOAT_EQ(two.Colonists, 1.50f);
  EXPECT_FLOAT_EQ(two.Capital, 4.00f);
  EXPECT_FLOAT_EQ(two.Material, 0.75f);
  const TPlanet& rock = PlanetAt(S(), "7");
  EXPECT_EQ(rock.Name, "Rock");
  EXPECT_EQ(rock.Number, 7);
  EXPECT_EQ(rock.Owner.Player(), S().MainPlayer);
  EXPECT_EQ(rock.ProductionCargo, pcMat);
  EXPECT_FLOAT_EQ(rock.Resources, 2.50f);
  const TPlanet& beta = PlanetAt(S(), "3");
  EXPECT_EQ(beta.Name, "BetaHome");
  EXPECT_EQ(OwnerName(beta.Owner), "Beta");
  EXPECT_FLOAT_EQ(beta.Industry, 800.0f);
  EXPECT_EQ(beta.Production, "Raider");
  const TPlanet& ice = PlanetAt(S(), "8");
  EXPECT_EQ(ice.Name, "Ice");
  EXPECT_EQ(ice.Number, 8);
  EXPECT_FLOAT_EQ(ice.Size, 80.0f);
  EXPECT_FLOAT_EQ(ice.Resources, 1.50f);
  // Unknown systems have no owner in blind games.
  EXPECT_TRUE(PlanetAt(S(), "5").Owner.IsNone());
}

// The battle planet is the word before "(Rock)"; an "A" in a column header marks effective
// values, turned back into technology levels through the design. The own group table puts the
// group number first and gives destination and origin by number.
TEST_F(BlindGame, BattleAndOwnGroupsWithEffectiveValues) {
  ASSERT_EQ(S().Battles.Count(), 1);
  EXPECT_EQ(S().Battles.Strings(0), "7\t1");
  const TBattle& battle = *S().Battles.Object(0);
  EXPECT_EQ(PlanetName(battle.Planet), "Rock");
  ASSERT_EQ(battle.Groups.size(), 2u);
  const TGroup& fighters = *battle.Groups[0];
  EXPECT_EQ(fighters.Ships, 2);
  EXPECT_EQ(fighters.BattleShips, 1);
  EXPECT_FLOAT_EQ(fighters.DriveTech, 1.0f);
  EXPECT_FLOAT_EQ(fighters.WeaponsTech, 1.0f);
  EXPECT_NEAR(fighters.ShieldsTech, ShieldsTechFromEffective(2.32f, 1.27f, 4.95f), 1e-4);
  EXPECT_FLOAT_EQ(fighters.CargoTech, 0.0f);  // the design has no cargo space
  const TGroup& raider = *battle.Groups[1];
  EXPECT_EQ(raider.Owner->Name, "Beta");
  EXPECT_EQ(raider.BattleShips, 0);
  EXPECT_NEAR(raider.ShieldsTech, ShieldsTechFromEffective(5.59f, 4.0f, 11.0f), 1e-4);

  const TPlayer& alpha = *S().MainPlayer;
  ASSERT_EQ(alpha.Groups.size(), 2u);
  const TGroup* fighter = GroupNumbered(alpha, 1);
  ASSERT_NE(fighter, nullptr);
  EXPECT_EQ(PlanetName(fighter->Planet), "Rock");
  EXPECT_EQ(fighter->Origin, nullptr);
  EXPECT_FLOAT_EQ(fighter->Distance, 0.0f);
  EXPECT_NEAR(fighter->ShieldsTech, ShieldsTechFromEffective(2.32f, 1.27f, 4.95f), 1e-4);
  const TGroup* hauler = GroupNumbered(alpha, 2);
  ASSERT_NE(hauler, nullptr);
  EXPECT_EQ(PlanetName(hauler->Planet), "Ice");
  EXPECT_EQ(PlanetName(hauler->Origin), "AlphaHome");
  EXPECT_FLOAT_EQ(hauler->Distance, 5.0f);
  EXPECT_EQ(hauler->CargoType, pcCol);
  EXPECT_FLOAT_EQ(hauler->Load, 1.0f);
  EXPECT_FLOAT_EQ(hauler->DriveTech, 1.0f);
  EXPECT_FLOAT_EQ(hauler->WeaponsTech, 0.0f);
  EXPECT_NEAR(hauler->CargoTech, 1.0f, 1e-5);
  EXPECT_EQ(hauler->ETA, 1);
  // Another race's table without effective values: its columns from weapons on stand one word
  // further left.
  const TPlayer& beta = Race(S(), "Beta");
  ASSERT_EQ(beta.Groups.size(), 1u);
  const TGroup& raiders = *beta.Groups[0];
  EXPECT_EQ(raiders.GroupNumber, 0);
  EXPECT_EQ(raiders.Ships, 3);
  EXPECT_EQ(PlanetName(raiders.Planet), "BetaHome");
  EXPECT_EQ(raiders.Origin, nullptr);
  EXPECT_FLOAT_EQ(raiders.WeaponsTech, 1.0f);
  EXPECT_FLOAT_EQ(raiders.ShieldsTech, 1.0f);
  EXPECT_EQ(raiders.CargoType, pcNone);
}

// Bombings without a production column; incoming groups, routes and ships in production in
// their blind column order.
TEST_F(BlindGame, OtherSections) {
  ASSERT_EQ(S().Bombings.Count(), 1);
  EXPECT_EQ(S().Bombings.Strings(0), "1$5");
  const TBombing& b = *S().Bombings.Object(0);
  EXPECT_EQ(b.Attacker, S().MainPlayer);
  EXPECT_EQ(b.Defender->Name, "Gamma");
  EXPECT_FLOAT_EQ(b.Population, 80.0f);
  EXPECT_FLOAT_EQ(b.Industry, 40.0f);
  EXPECT_FLOAT_EQ(b.Colonists, 2.0f);
  EXPECT_FLOAT_EQ(b.Capital, 1.0f);
  EXPECT_FLOAT_EQ(b.Material, 0.5f);
  EXPECT_EQ(b.Producing, pcNone);
  // The bombed system had no size yet and no owner: it takes the population as its size.
  EXPECT_FLOAT_EQ(PlanetAt(S(), "5").Size, 80.0f);
  EXPECT_TRUE(PlanetAt(S(), "5").Owner.IsNone());

  ASSERT_EQ(S().IncomingGroups.size(), 1u);
  const TIncomingGroup& in = *S().IncomingGroups[0];
  EXPECT_EQ(PlanetName(in.Origin), "BetaHome");
  EXPECT_EQ(PlanetName(in.Destination), "AlphaHome");
  EXPECT_FLOAT_EQ(in.Distance, 14.14f);
  EXPECT_FLOAT_EQ(in.Speed, 8.0f);
  EXPECT_FLOAT_EQ(in.Mass, 11.0f);

  ASSERT_EQ(S().Routes.Count(), 1);
  const TRoute& r = *S().Routes.Object(0);
  EXPECT_EQ(PlanetName(r.Origin), "AlphaHome");
  EXPECT_EQ(PlanetName(r.ReportCol), "Rock");
  EXPECT_EQ(r.ReportCap, nullptr);
  EXPECT_EQ(r.ReportMat, nullptr);
  EXPECT_EQ(PlanetName(r.ReportEmp), "AlphaTwo");

  ASSERT_EQ(S().ShipsInProduction.size(), 1u);
  EXPECT_EQ(S().ShipsInProduction[0]->PlanetNumber, 1);
  EXPECT_EQ(S().ShipsInProduction[0]->PlanetName, "AlphaHome");
  EXPECT_EQ(S().ShipsInProduction[0]->ShipTypeName, "Fighter");
}

// ---- "Galaxy NG Blind" ----------------------------------------------------------------------

class NgBlindGame : public testing::Test {
 protected:
  NgBlindGame() : game_("ngblind", TGameType::NGBlind, "AB") { loaded_ = game_.Load(); }
  const GameState& S() const { return game_.state; }
  std::vector<const TPlayer*> RacesNamed(const std::string& name) const {
    std::vector<const TPlayer*> found;
    for (auto [key, p] : S().Players) {
      if (p->Name == name) found.push_back(p);
    }
    return found;
  }
  FixtureGame game_;
  bool loaded_ = false;
};

// Pirate is missing from the turn-1 table and comes back in turn 2: a second race of the same
// name, which the race list of this variant accepts. Every report's status table is read, but
// the first report of a turn gives the values.
TEST_F(NgBlindGame, RaceComingBackUnderItsOldName) {
  EXPECT_TRUE(loaded_);
  EXPECT_TRUE(game_.messages.empty()) << testing::PrintToString(game_.messages);
  EXPECT_EQ(S().Players.Count(), 4);
  std::vector<const TPlayer*> pirates = RacesNamed("Pirate");
  ASSERT_EQ(pirates.size(), 2u);
  const TPlayer* old = pirates[0]->Gone ? pirates[0] : pirates[1];
  const TPlayer* back = pirates[0]->Gone ? pirates[1] : pirates[0];
  ASSERT_TRUE(old->Gone);
  EXPECT_FALSE(back->Gone);
  EXPECT_FLOAT_EQ(old->GetIndustry(0), 1000.0f);
  EXPECT_FLOAT_EQ(back->GetDrive(2), 1.30f);
  EXPECT_FLOAT_EQ(back->GetPopulation(2), 1200.0f);
  EXPECT_FLOAT_EQ(back->GetIndustry(2), 1100.0f);
  EXPECT_NE(old->Number, back->Number);
  EXPECT_EQ(back->Number, 4);
  int32_t pirateGroups = 0;
  for (const TPlayer* p : pirates) pirateGroups += static_cast<int32_t>(p->Groups.size());
  EXPECT_EQ(pirateGroups, 1) << "the battle leaves one Raider";
  EXPECT_FLOAT_EQ(Race(S(), "Zorg").GetIndustry(0), 1000.0f);
  EXPECT_FLOAT_EQ(Race(S(), "Zorg").GetPopulation(0), 1000.0f);
  EXPECT_FALSE(Race(S(), "Zorg").War);
  EXPECT_TRUE(Race(S(), "Xeno").War);

  const TShipType* guard = Race(S(), "Zorg").FindShipType("Guard");
  ASSERT_NE(guard, nullptr);
  EXPECT_FLOAT_EQ(guard->ReportedMass, 6.0f);
  EXPECT_FLOAT_EQ(guard->Mass(), 6.0f);
  for (const TPlayer* p : pirates) {
    const TShipType* ghost = p->FindShipType("Ghost");
    ASSERT_NE(ghost, nullptr);
    EXPECT_FLOAT_EQ(ghost->Drive, -1.0f);
    EXPECT_FLOAT_EQ(ghost->ReportedMass, 7.5f);
    // A design the report does not show weighs what the report says.
    EXPECT_FLOAT_EQ(ghost->Mass(), 7.5f);
    ASSERT_NE(p->FindShipType("Raider"), nullptr);
    EXPECT_FLOAT_EQ(p->FindShipType("Raider")->ReportedMass, 4.0f);
  }
}

// "Incoming Groups" right after the battle's race lists ends the battle instead of being
// taken for the list of a race called "Incoming". Unidentified planets have no owner; a planet
// at a new position after the first turn is a new planet rather than the nearest known one
// renamed.
TEST_F(NgBlindGame, BattleIncomingGroupsAndPlanets) {
  ASSERT_EQ(S().Battles.Count(), 1);
  EXPECT_EQ(S().Battles.Strings(0), "haven\t2");
  EXPECT_EQ(S().Battles.Object(0)->Groups.size(), 2u);
  ASSERT_EQ(S().IncomingGroups.size(), 1u);
  EXPECT_EQ(PlanetName(S().IncomingGroups[0]->Origin), "Xenon");
  EXPECT_EQ(PlanetName(S().IncomingGroups[0]->Destination), "Zorgia");
  EXPECT_FLOAT_EQ(S().IncomingGroups[0]->Mass, 6.0f);
  EXPECT_EQ(S().MainPlayer->Groups.size(), 2u);

  EXPECT_EQ(S().Planets.Count(), 5);
  EXPECT_TRUE(PlanetAt(S(), "Xenon").Owner.IsNone());
  EXPECT_EQ(PlanetAt(S(), "Xenon").X, 5000);
  EXPECT_EQ(PlanetAt(S(), "Far").X, 9000);
  EXPECT_FLOAT_EQ(PlanetAt(S(), "Far").Size, 12.0f);
  EXPECT_EQ(OwnerName(PlanetAt(S(), "Haven").Owner), "Pirate");
  EXPECT_FLOAT_EQ(PlanetAt(S(), "Haven").Size, 500.0f);
}

// A game set to "Galaxy Blind" by the old "blind" flag whose reports are "Galaxy NG": every
// report was "repaired" and nothing read. The reports' variant wins, stored and named.
TEST(NgWithBlindFlag, IsReadAsTheReportsVariant) {
  FixtureGame plain("ng-lf", TGameType::NG, "A");
  FixtureGame flagged("ng-lf", TGameType::Blind, "A");
  flagged.UseIniFile();
  const std::string before = test::ReadFileBytes(flagged.Reports() / "A000.txt");
  ASSERT_TRUE(plain.Load());
  ASSERT_TRUE(flagged.Load());
  ASSERT_EQ(flagged.messages.size(), 1u) << testing::PrintToString(flagged.messages);
  EXPECT_NE(flagged.messages[0].find("\"Galaxy NG\" reports"), std::string::npos);
  EXPECT_EQ(TIniFile(flagged.state.Settings.IniPath).ReadString("1", "GameType", ""), "Galaxy NG");
  EXPECT_EQ(Dump(flagged.state), Dump(plain.state));
  EXPECT_EQ(test::ReadFileBytes(flagged.Reports() / "A000.txt"), before);
  EXPECT_FALSE(fs::exists(flagged.Reports() / "A000.txt.TabBackup"));
}

// ---- "Galaxy PLUS" --------------------------------------------------------------------------

// The PLUS header line has no tab: no layout found it, the report was skipped without a word
// and the turn's figures read as 0. Its header, planet-number columns, "#" planet names and the
// fleet table are read; the file is left alone.
TEST(PlusGame, IsReadWithItsOwnLayout) {
  FixtureGame game("plus", TGameType::Unknown, "A");
  game.UseIniFile();
  const std::string before = test::ReadFileBytes(game.Reports() / "A026.txt");
  EXPECT_TRUE(game.Load());
  EXPECT_EQ(game.messages, std::vector<std::string>{});
  const GameState& state = game.state;
  EXPECT_EQ(state.Settings.GameType, TGameType::Plus);
  EXPECT_EQ(TIniFile(state.Settings.IniPath).ReadString("1", "GameType", ""), "Galaxy PLUS");
  EXPECT_EQ(test::ReadFileBytes(game.Reports() / "A026.txt"), before);
  EXPECT_EQ(state.GameName, "Orion");
  EXPECT_EQ(state.LastTurn, 26);
  ASSERT_NE(state.MainPlayer, nullptr);
  EXPECT_EQ(state.MainPlayer->Name, "Arcturans");
  EXPECT_EQ(state.Players.Count(), 3);
  EXPECT_FLOAT_EQ(state.MainPlayer->GetIndustry(26), 2687.96f);
  const TPlayer* cygnians = state.PlayerByName("Cygnians");
  ASSERT_NE(cygnians, nullptr);
  EXPECT_EQ(cygnians->GetPlanetCount(26), 17);

  const TPlanet* prime = state.PlanetByName("ArcturansPrime");
  ASSERT_NE(prime, nullptr);
  EXPECT_EQ(prime->Number, 1);
  EXPECT_EQ(prime->X, 911);
  EXPECT_FLOAT_EQ(prime->Size, 1000);
  EXPECT_EQ(prime->Production, "Fighter");
  const TPlanet* p27 = state.PlanetByName("27");
  ASSERT_NE(p27, nullptr);
  EXPECT_EQ(p27->Number, 27);
  EXPECT_TRUE(p27->Owner.Is(state.MainPlayer));
  EXPECT_FLOAT_EQ(p27->Population, 11.13f);

  EXPECT_NE(state.MainPlayer->FindShipType("Gunship"), nullptr);
  ASSERT_EQ(state.Battles.Count(), 1);
  EXPECT_EQ(state.Battles.Object(0)->Planet, p27);
  EXPECT_EQ(state.Battles.Object(0)->Groups.size(), 2u);

  ASSERT_EQ(state.MainPlayer->Groups.size(), 2u);
  const TGroup& inFleet = *state.MainPlayer->Groups[1];
  EXPECT_EQ(inFleet.GroupNumber, 123);
  EXPECT_EQ(inFleet.Ships, 5);
  EXPECT_EQ(inFleet.Planet, prime);
  EXPECT_EQ(inFleet.FleetName, "ArcturansArmada");
  EXPECT_FLOAT_EQ(inFleet.FleetSpeed, 7.71f);
  EXPECT_EQ(state.MainPlayer->Groups[0]->Planet, p27);
}

// One turn of the real game "Orion" as race A got it in the PLUS layout and as race B got it in
// the classic one: what both list reads the same.
class PlusAgainstClassic : public ::testing::Test {
 protected:
  static constexpr int kTurn = 26;
  // Reads the reports of `letter` in `folder` as a game of `type`.
  static bool LoadGame(GameState& state, TGameType type, const fs::path& folder,
                       const std::string& letter, std::vector<std::string>& messages) {
    state.Settings.GameType = type;
    state.Settings.GameNumber = 1;
    state.Settings.spelD = (folder / "%1s%0.03d.txt").string();
    state.Settings.spelC = letter;
    state.Settings.UseCountMethod = 0;
    SetReportLayout(state.Layout, type);
    test::TempDir program;
    test::RecordingUserInterface ui;
    TReportReader reader(state, ui, program.path());
    const bool ok = reader.LoadAllReports();
    messages = reader.Messages();
    return ok;
  }
  static bool LoadTurn(GameState& state, TGameType type, const std::string& letter,
                       std::vector<std::string>& messages) {
    return LoadGame(state, type, test::ReportsDir("orion-variant-t26"), letter, messages);
  }
  // "race ships type drive weapons shields cargo planet" of every group of `race` seen in the
  // turn.
  static std::multiset<std::string> Groups(const TPlayer& race) {
    std::multiset<std::string> groups;
    for (const auto& g : race.Groups) {
      if (g->Turn != kTurn) continue;
      std::ostringstream row;
      row << race.Name << ' ' << g->Ships << ' ' << (g->ShipType ? g->ShipType->Name : "-") << ' '
          << g->DriveTech << ' ' << g->WeaponsTech << ' ' << g->ShieldsTech << ' ' << g->CargoTech
          << ' ' << (g->Planet ? g->Planet->Name : "-");
      groups.insert(row.str());
    }
    return groups;
  }
  // The status of every race, and the designs, groups and planets of the races other than A
  // and B that both reports list, read the same.
  static void ExpectTheSameTurn(const GameState& plus, const GameState& classic) {
    ASSERT_EQ(plus.Players.Count(), classic.Players.Count());
    int planetsCompared = 0, designsCompared = 0, groupsCompared = 0;
    for (auto [key, race] : plus.Players) {
      const TPlayer* other = classic.PlayerByName(race->Name);
      ASSERT_NE(other, nullptr) << race->Name;
      EXPECT_EQ(race->GetDrive(kTurn), other->GetDrive(kTurn)) << race->Name;
      EXPECT_EQ(race->GetWeapons(kTurn), other->GetWeapons(kTurn)) << race->Name;
      EXPECT_EQ(race->GetShields(kTurn), other->GetShields(kTurn)) << race->Name;
      EXPECT_EQ(race->GetCargo(kTurn), other->GetCargo(kTurn)) << race->Name;
      EXPECT_EQ(race->GetPopulation(kTurn), other->GetPopulation(kTurn)) << race->Name;
      EXPECT_EQ(race->GetIndustry(kTurn), other->GetIndustry(kTurn)) << race->Name;
      EXPECT_EQ(race->GetPlanetCount(kTurn), other->GetPlanetCount(kTurn)) << race->Name;
      if (race == plus.MainPlayer || race->Name == classic.MainPlayer->Name) continue;
      // Designs both list.
      for (auto [name, type] : race->ShipTypes) {
        const TShipType* same = other->FindShipType(type->Name);
        if (!same) continue;
        ++designsCompared;
        EXPECT_EQ(
            std::make_tuple(type->Drive, type->Attacks, type->Weapons, type->Shields, type->Cargo),
            std::make_tuple(same->Drive, same->Attacks, same->Weapons, same->Shields, same->Cargo))
            << type->Name;
      }
      // Groups both list.
      const std::multiset<std::string> seenByA = Groups(*race), seenByB = Groups(*other);
      for (const std::string& group : seenByA) groupsCompared += seenByB.count(group) > 0;
    }
    // Planets of the races other than A and B that both reports list.
    for (auto [key, planet] : plus.Planets) {
      const TPlanet* same = classic.PlanetByName(planet->Name);
      if (!same || !planet->Owner.IsPlayer() || !same->Owner.IsPlayer()) continue;
      const std::string owner = planet->Owner.Player()->Name;
      if (owner == "Arcturans" || owner == "Betelgeusians") continue;
      ++planetsCompared;
      EXPECT_EQ(owner, same->Owner.Player()->Name) << planet->Name;
      EXPECT_EQ(
          std::make_tuple(planet->X, planet->Y, planet->Size, planet->Population, planet->Industry,
                          planet->Resources, planet->Capital, planet->Material, planet->Colonists),
          std::make_tuple(same->X, same->Y, same->Size, same->Population, same->Industry,
                          same->Resources, same->Capital, same->Material, same->Colonists))
          << planet->Name;
    }
    EXPECT_GT(planetsCompared, 20);
    EXPECT_GT(designsCompared, 10);
    EXPECT_GT(groupsCompared, 20);
  }
};

TEST_F(PlusAgainstClassic, StatusPlanetsShipTypesAndGroupsAgree) {
  if (test::ReportsDir("orion-variant-t26").empty())
    GTEST_SKIP() << "the reports folder ../shared/reports/orion-variant-t26 is absent";
  GameState plus, classic;
  std::vector<std::string> plusMessages, classicMessages;
  ASSERT_TRUE(LoadTurn(plus, TGameType::Plus, "A", plusMessages));
  ASSERT_TRUE(LoadTurn(classic, TGameType::NG, "B", classicMessages));
  EXPECT_EQ(plusMessages, std::vector<std::string>{});
  EXPECT_EQ(classicMessages, std::vector<std::string>{});
  ExpectTheSameTurn(plus, classic);
}

// Orion as race A, turns 0 to 25 in the classic layout and turn 26 in the PLUS one: the reader
// took the PLUS report for one that lost its tab marks, rewrote the user's file, then found no
// header and lost the turn. The turn is read as in a PLUS game and the file left alone.
TEST_F(PlusAgainstClassic, APlusTurnOfAClassicGameIsReadAsPlus) {
  const fs::path orion = test::ReportsDir("orion");
  const fs::path variant = test::ReportsDir("orion-variant-t26");
  if (orion.empty() || variant.empty())
    GTEST_SKIP() << "the reports folders ../shared/reports/orion(-variant-t26) are absent";
  test::TempDir reports;
  for (int turn = 0; turn < kTurn; ++turn) {
    const std::string name = FormatReportName("%1s%0.03d.txt", 'A', turn);
    fs::copy_file(orion / name, reports / name);
  }
  fs::copy_file(variant / "A026.txt", reports / "A026.txt");
  GameState game, classic;
  std::vector<std::string> gameMessages, classicMessages;
  ASSERT_TRUE(LoadGame(game, TGameType::NG, reports.path(), "A", gameMessages));
  ASSERT_TRUE(LoadTurn(classic, TGameType::NG, "B", classicMessages));
  EXPECT_EQ(gameMessages, std::vector<std::string>{});
  EXPECT_TRUE(test::ReadFileBytes(reports / "A026.txt") ==
              test::ReadFileBytes(variant / "A026.txt"))
      << "the report was rewritten";
  EXPECT_FALSE(fs::exists(reports / "A026.txt.TabBackup"));
  EXPECT_EQ(game.Settings.GameType, TGameType::NG);
  EXPECT_EQ(game.LastTurn, kTurn);
  ASSERT_NE(game.MainPlayer, nullptr);
  EXPECT_EQ(game.MainPlayer->Name, "Arcturans");
  ExpectTheSameTurn(game, classic);
  // The turn's own groups, from the PLUS group and fleet tables.
  const TGroup* inFleet = nullptr;
  for (const auto& g : game.MainPlayer->Groups)
    if (g->Turn == kTurn && g->GroupNumber == 123) inFleet = g.get();
  ASSERT_NE(inFleet, nullptr);
  EXPECT_EQ(inFleet->FleetName, "ArcturansArmada");
  EXPECT_FLOAT_EQ(inFleet->FleetSpeed, 7.71f);
  EXPECT_EQ(game.PlanetByNumber(1), game.PlanetByName("ArcturansPrime"));
}

}  // namespace
}  // namespace tovix
