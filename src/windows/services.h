#pragma once
// What windows ask of each other, as small interfaces: a window calls the service, never the
// class of the window behind it. The registry fills TServices with the windows that provide each
// service (placeholders until the real windows are built); tests put recording fakes in.

#include <cstdint>
#include <memory>

#include "core/order_service.h"

namespace tovix {

class TGroup;
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

// The battle simulator: the battles, group and planet windows and the ship designer hand it
// groups. Each call does nothing while a simulation runs.
class IBattleSimulatorService {
 public:
  virtual ~IBattleSimulatorService() = default;
  // Frees the groups of both sides: a new, empty battle.
  virtual void NewBattle() = 0;
  // Appends a group (a fresh copy, e.g. TGroup::Clone) to a side; the simulator owns it.
  virtual void AddAttacker(std::unique_ptr<TGroup> group) = 0;
  virtual void AddDefender(std::unique_ptr<TGroup> group) = 0;
  // Shows both sides again; callers call it after adding.
  virtual void FillGrids() = 0;
};

// The services the windows reach; none is null once the windows are made.
struct TServices {
  IOrderService* Orders = nullptr;
  INotesService* Notes = nullptr;
  IPlanetInfoService* PlanetInfo = nullptr;
  IMapService* Map = nullptr;
  IBattleSimulatorService* BattleSimulator = nullptr;
};

}  // namespace tovix
