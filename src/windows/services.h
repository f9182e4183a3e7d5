#pragma once
// What windows ask of each other, as small interfaces: a window calls the service, never the
// class of the window behind it. The registry fills TServices with the windows that provide each
// service (placeholders until the real windows are built); tests put recording fakes in.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/order_service.h"
#include "views/group_item.h"

namespace tovix {

class TBattle;
class TGroup;
class TOrderAnalysis;
class TPlanet;
class TPlayer;
class TOrderAnalysis;

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
  // "Produce on planet..." of the map: asks for the item and writes the production order.
  // Providers that write no orders ignore it.
  virtual void ProduceOnPlanet(TPlanet* planet) { (void)planet; }
  // Selects the rows of `planets` in the planet list; rows selected already stay selected (the
  // map's Alt-drag). Providers without a planet list ignore it.
  virtual void SelectPlanetsInList(const std::vector<TPlanet*>& planets) { (void)planets; }
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

// The result of the last analysis of the order text (the orders window).
class IOrderAnalysisService {
 public:
  virtual ~IOrderAnalysisService() = default;
  // nullptr while the orders have not been analysed.
  virtual const TOrderAnalysis* LastAnalysis() const = 0;
};

// The expression dialogs: choosing planets or groups by a named expression.
class IExpressionService {
 public:
  virtual ~IExpressionService() = default;
  // The planets of `source` the user chooses; every one when the dialog is cancelled.
  virtual std::vector<TPlanet*> SelectPlanetsByExpression(const std::vector<TPlanet*>& source) = 0;
  // True on OK, with the items of `source` that pass and the expression chosen; false with an
  // empty expression on cancel.
  virtual bool SelectGroupsByExpression(const std::vector<TGroupItem>& source,
                                        std::vector<TGroupItem>& chosen,
                                        std::string& expression) = 0;
  // The items of `source` that pass `expression`.
  virtual std::vector<TGroupItem> FilterGroupsByExpression(
      const std::string& expression, const std::vector<TGroupItem>& source) = 0;
};

// Placeholder until the expression dialogs are built: nothing is asked and everything passes.
class TAllPassExpressions final : public IExpressionService {
 public:
  std::vector<TPlanet*> SelectPlanetsByExpression(const std::vector<TPlanet*>& source) override {
    return source;
  }
  bool SelectGroupsByExpression(const std::vector<TGroupItem>&, std::vector<TGroupItem>& chosen,
                                std::string& expression) override {
    chosen.clear();
    expression.clear();
    return false;
  }
  std::vector<TGroupItem> FilterGroupsByExpression(const std::string&,
                                                   const std::vector<TGroupItem>& source) override {
    return source;
  }
};

// The destination picker for send orders.
class IDestinationPickerService {
 public:
  virtual ~IDestinationPickerService() = default;
  // A pick is under way (the picker takes one request at a time).
  virtual bool PickerActive() const = 0;
  virtual void ShowPicker(const TPickerRequest& request) = 0;
};

// The battle simulator: a new battle, its two sides (copies of groups it owns), and its grids
// filled from them.
class IBattleSimulatorService {
 public:
  virtual ~IBattleSimulatorService() = default;
  virtual void NewBattle() = 0;
  virtual void AddAttacker(std::unique_ptr<TGroup> group) = 0;
  virtual void AddDefender(std::unique_ptr<TGroup> group) = 0;
  virtual void FillGrids() = 0;
};

// The battles window: shows one battle (the planet information window's "Last fight" line).
class IBattleListService {
 public:
  virtual ~IBattleListService() = default;
  virtual void SelectBattle(TBattle* battle) = 0;
};

// The services the windows reach; none of the first four is null once the windows are made.
// The later ones stay null until the window that provides them is built; their callers fall
// back to a placeholder (every planet or group passes, a hand-over does nothing).
struct TServices {
  IOrderService* Orders = nullptr;
  INotesService* Notes = nullptr;
  IPlanetInfoService* PlanetInfo = nullptr;
  IMapService* Map = nullptr;
  IOrderAnalysisService* Analysis = nullptr;
  IExpressionService* Expressions = nullptr;
  IBattleSimulatorService* BattleSimulator = nullptr;
  IDestinationPickerService* Picker = nullptr;
  IBattleListService* Battles = nullptr;
};

}  // namespace tovix
