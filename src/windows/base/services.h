#pragma once
// What windows ask of each other, as small interfaces: a window calls the service, never the
// class of the window behind it. The registry fills TServices with the windows that provide each
// service (placeholders until the real windows are built); tests put recording fakes in.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "orders/order_insert_service.h"
#include "orders/standard_ship.h"
#include "views/group_item.h"

namespace tovix {

class TBattle;
struct TAutoCargoSettings;
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
  // While set, the two planet cursors stay where they are (SetPlanetCursor, SetPlanet2Cursor do
  // nothing): the destination picker sets it around the refills of its list, the map around its
  // Alt-drag. A map without cursors to hold ignores it.
  virtual bool CursorSyncSuppressed() const { return false; }
  virtual void SetCursorSyncSuppressed(bool on) { (void)on; }
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

// "Expression Filters": the planets one group or planet expression chooses. The planet
// information window, the map's marks and the destination picker read the set.
class IExpressionFilterService {
 public:
  virtual ~IExpressionFilterService() = default;
  // Every planet of the planet list: the unfiltered set.
  virtual void SelectAllPlanets() = 0;
  // The dialog, modally: true when it ended with OK, the new set then in FilteredPlanets. An
  // expression that fails leaves the set as it was and says so.
  virtual bool ExecuteExpressionFilter() = 0;
  virtual const std::vector<TPlanet*>& FilteredPlanets() const = 0;
};

// "Group Filter": the planets where groups of chosen races stand or arrive that pass chosen
// designs or design limits.
class IGroupFilterService {
 public:
  virtual ~IGroupFilterService() = default;
  // The dialog, modally.
  virtual void ExecuteGroupFilter() = 0;
  // Runs the filter over the game: GroupPlanets then holds its planets, each once.
  virtual void CollectPlanets() = 0;
  virtual const std::vector<TPlanet*>& GroupPlanets() const = 0;
};

// The destination picker for send orders ("Select Planet(s)").
class IDestinationPickerService {
 public:
  virtual ~IDestinationPickerService() = default;
  // A pick is under way (the picker serves one request at a time).
  virtual bool PickerActive() const = 0;
  // Starts a pick of the request's groups and shows the picker; a request made while a pick is
  // under way takes its place. A request without groups starts none and leaves a pick under way
  // as it is.
  virtual void ShowPicker(const TPickerRequest& request) = 0;
  // The picker is on the screen, and whether it spreads ships over several planets (which
  // allows "Advanced" and the map's Alt-drag).
  virtual bool PickerVisible() const = 0;
  virtual bool SpreadMode() const = 0;
  // A map click: while a pick is under way, the planet's row is selected or, when it was,
  // unselected.
  virtual void SelectPlanet(TPlanet* planet) = 0;
  // The map's Alt-drag: the rows of the planets are selected; rows selected already stay so.
  virtual void SelectPlanetsInList(const std::vector<TPlanet*>& planets) = 0;
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

// The ship designer and its standard ships. The orders window mirrors the standard-ship choices
// in its menus and writes standard designs for its planets: it sets the productivity (and the
// turns), generates, and reads the name and the line.
class IShipDesignService {
 public:
  virtual ~IShipDesignService() = default;
  // A planet chosen on the map or in the planet information window: an own planet's ship mass
  // per turn becomes the productivity while "Follow Selected Planets" is on and the designer
  // is shown (not minimised); the standard ship for it then shows.
  virtual void FollowPlanet(TPlanet* planet) = 0;
  // The productivity, shown "%5.2f"; nothing is generated by setting it.
  virtual void SetProductivity(double value) = 0;
  // The turns to build (1 to 20); setting one outside is clamped.
  virtual int Turns() const = 0;
  virtual void SetTurns(int turns) = 0;
  // Generates the standard ship for productivity × turns into the designer; false (and the last
  // design kept) when the productivity is no number or the budget is below 3.
  virtual bool GenerateStandardShip() = 0;
  // The last standard ship generated: its name, its line ("D name ... ; n turns to build") and
  // its values; empty before the first.
  virtual std::string StdShipName() const = 0;
  virtual std::string StdShipLine() const = 0;
  virtual std::optional<TStdShip> StdShip() const = 0;
  // The three option lists (their items: StdShipOptionItems) and their current choice. Setting
  // a choice (an item outside the list is ignored) or "Use 1 Cargo Space" is a click on it: a
  // new standard ship is generated.
  virtual int StdShipOption(TStdShipOption option) const = 0;
  virtual void SetStdShipOption(TStdShipOption option, int item) = 0;
  virtual bool UseOneCargo() const = 0;
  virtual void SetUseOneCargo(bool on) = 0;
  // Shows the standard-ship window (restored, in front).
  virtual void ShowStandardShips() = 0;
};

// The calculator of the main window's "Extra" menu and the designer's productivity box.
class ICalculatorService {
 public:
  virtual ~ICalculatorService() = default;
  // Runs the calculator modally on `value` with `precision` significant digits; the display's
  // number after OK, nothing after Cancel.
  virtual std::optional<double> RunCalculator(double value, int precision) = 0;
};

// The automatic cargo settings window: the settings the cargo orders use, and the rating of the
// planets under them (the reference planet it picks is shown there).
class ICargoSettingsService {
 public:
  virtual ~ICargoSettingsService() = default;
  virtual TAutoCargoSettings CargoSettings() = 0;
  // Rates every planet (TPlanet::Buildability) with the window's weights.
  virtual void ComputeBuildability() = 0;
};

// The services the windows reach; none of the first four is null once the windows are made.
// The later ones stay null until the window that provides them is built (the two filters until
// the reports are read); their callers fall back to a placeholder (every planet or group
// passes, a hand-over does nothing).
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
  IShipDesignService* ShipDesign = nullptr;
  ICalculatorService* Calculator = nullptr;
  IExpressionFilterService* ExpressionFilter = nullptr;
  IGroupFilterService* GroupFilter = nullptr;
  ICargoSettingsService* CargoSettings = nullptr;
};

// The services as they are when called (the registry fills them once every window is made).
using TServicesSource = std::function<const TServices&()>;

}  // namespace tovix
