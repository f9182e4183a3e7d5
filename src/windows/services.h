#pragma once
// What windows ask of each other, as small interfaces: a window calls the service, never the
// class of the window behind it. The registry fills TServices with the windows that provide each
// service (placeholders until the real windows are built); tests put recording fakes in.

#include <cstdint>
#include <vector>

#include "core/order_service.h"

namespace tovix {

class TGroup;
class TOrderAnalysis;
class TPlanet;
class TPlayer;

// The notes editor.
class INotesService {
 public:
  virtual ~INotesService() = default;
  // Saves the notes of the current page ("Save Status").
  virtual void SaveCurrentNotes() = 0;
};

// The planet information window.
class IPlanetInfoService {
 public:
  virtual ~IPlanetInfoService() = default;
  // Shows `planet` (and puts the map's cursor on it, centred when `centre`).
  virtual void ShowPlanet(TPlanet* planet, bool centre) = 0;
  // The same for the planet a group is sent to.
  virtual void ShowPlanetAsTarget(TPlanet* planet, bool centre) = 0;
};

// The galaxy map.
class IMapService {
 public:
  virtual ~IMapService() = default;
  // The two planet cursors; nullptr hides a cursor.
  virtual void SetPlanetCursor(TPlanet* planet, bool centre) = 0;
  virtual void SetPlanet2Cursor(TPlanet* planet, bool centre) = 0;
  // Marks every planet the race owned when last seen (the earlier marks go).
  virtual void MarkPlayerPlanets(TPlayer* player) = 0;
  virtual void AddPlanetMark(TPlanet* planet) = 0;
  virtual void ClearPlanetMarks() = 0;
  // The reach rings of a group at x, y (hundredths); all zero hides them.
  virtual void SetGroupCursor(int32_t x, int32_t y, float emptySpeed, float loadedSpeed) = 0;
};

// The last analysis of the order text (the orders window). Until that window provides it, the
// planet information window reads the report's groups as if no order were written.
class IOrderAnalysisService {
 public:
  virtual ~IOrderAnalysisService() = default;
  // nullptr while no analysis has run.
  virtual const TOrderAnalysis* CurrentAnalysis() const = 0;
};

// The battle simulator: groups handed to it as attackers or defenders (it keeps copies).
class IBattleSimulatorService {
 public:
  virtual ~IBattleSimulatorService() = default;
  virtual void AddAttacker(const TGroup& group) = 0;
  virtual void AddDefender(const TGroup& group) = 0;
  virtual void FillGrids() = 0;
};

// The destination picker: sends several groups to one planet, or one group (`ships` of it) to
// several planets.
class IPlanetPickerService {
 public:
  virtual ~IPlanetPickerService() = default;
  virtual bool Busy() const = 0;
  virtual void SendGroupsToPlanet(const std::vector<TGroup*>& groups) = 0;
  virtual void SendGroupToPlanets(TGroup& group, int32_t ships) = 0;
};

// Placeholders until the battle simulator and the destination picker are built: a hand-off
// does nothing.
class TNoBattleSimulator final : public IBattleSimulatorService {
 public:
  void AddAttacker(const TGroup&) override {}
  void AddDefender(const TGroup&) override {}
  void FillGrids() override {}
};
class TNoPlanetPicker final : public IPlanetPickerService {
 public:
  bool Busy() const override { return false; }
  void SendGroupsToPlanet(const std::vector<TGroup*>&) override {}
  void SendGroupToPlanets(TGroup&, int32_t) override {}
};

// The services the windows reach; none of the first four is null once the windows are made.
// The others stay null until their windows exist; callers then use the placeholders above.
struct TServices {
  IOrderService* Orders = nullptr;
  INotesService* Notes = nullptr;
  IPlanetInfoService* PlanetInfo = nullptr;
  IMapService* Map = nullptr;
  IOrderAnalysisService* Analysis = nullptr;
  IBattleSimulatorService* BattleSimulator = nullptr;
  IPlanetPickerService* Picker = nullptr;
};

}  // namespace tovix
