#pragma once
// Fakes of the services windows reach each other through: they record what they were asked.

#include <string>
#include <vector>

#include "core/model/game_model.h"
#include "core/text/numbers.h"
#include "windows/base/services.h"

namespace tovix::test {

class RecordingOrders : public IOrderService {
 public:
  std::vector<std::string> inserted;  // "group: ...", "planet: ...", "other: ...", "route: ..."
  std::vector<std::string> saved;     // the file names SaveOrders was given
  std::vector<std::string> renamed;   // what CollectRenamedPlanetNames answers
  int analysed = 0;
  int automaticLoaded = 0;

  void InsertGroupCommands(const std::string& lines) override {
    inserted.push_back("group: " + lines);
  }
  void InsertPlanetCommands(const std::string& lines) override {
    inserted.push_back("planet: " + lines);
  }
  void InsertOtherCommands(const std::string& lines) override {
    inserted.push_back("other: " + lines);
  }
  void InsertRouteCommands(const std::string& lines) override {
    inserted.push_back("route: " + lines);
  }
  void AnalyseOrders() override { ++analysed; }
  void AnalyseAfterInsert() override { ++analysed; }
  void FindPlanetInOrders(const std::string&) override {}
  void FindGroupInOrders(int) override {}
  void LoadAutomaticOrders() override { ++automaticLoaded; }
  void SaveOrders(const std::string& fileName) override { saved.push_back(fileName); }
  std::vector<std::string> CollectRenamedPlanetNames() override { return renamed; }
};

class RecordingNotes : public INotesService {
 public:
  int saved = 0;
  void SaveCurrentNotes() override { ++saved; }
};

// The map: marks as "clear" and "mark <planet>", rings as "rings x y empty loaded".
class RecordingMap : public IMapService {
 public:
  std::vector<std::string> calls;
  void SetPlanetCursor(TPlanet*, bool) override {}
  void SetPlanet2Cursor(TPlanet*, bool) override {}
  void MarkPlayerPlanets(TPlayer*) override {}
  void AddPlanetMark(TPlanet* planet) override { calls.push_back("mark " + planet->Name); }
  void ClearPlanetMarks() override { calls.push_back("clear"); }
  void SetGroupCursor(int32_t x, int32_t y, float empty, float loaded) override {
    calls.push_back(Fmt("rings %d %d %5.2f %5.2f", x, y, empty, loaded));
  }
  // The cursors held (SuppressCursorSync), and how often they were.
  bool held = false;
  int holds = 0;
  bool CursorSyncSuppressed() const override { return held; }
  void SetCursorSyncSuppressed(bool on) override {
    if (on && !held) ++holds;
    held = on;
  }
};

// The planet information window: the planets shown.
class RecordingPlanetInfo : public IPlanetInfoService {
 public:
  std::vector<const TPlanet*> shown;
  void ShowPlanet(TPlanet* planet, bool) override { shown.push_back(planet); }
  void ShowPlanetAsTarget(TPlanet*, bool) override {}
};

// Keeps the groups handed over, by side; "new", "attacker", "defender" and "fill" in call order.
class RecordingBattleSimulator : public IBattleSimulatorService {
 public:
  std::vector<std::string> calls;
  std::vector<std::unique_ptr<TGroup>> attackers, defenders;

  void NewBattle() override {
    calls.push_back("new");
    attackers.clear();
    defenders.clear();
  }
  void AddAttacker(std::unique_ptr<TGroup> group) override {
    calls.push_back("attacker");
    attackers.push_back(std::move(group));
  }
  void AddDefender(std::unique_ptr<TGroup> group) override {
    calls.push_back("defender");
    defenders.push_back(std::move(group));
  }
  void FillGrids() override { calls.push_back("fill"); }
};

}  // namespace tovix::test
