#pragma once
// Automatic cargo orders: the buildability rating of the own planets, and the two commands of
// the orders window that write cargo orders from the development plan: "Automatic Load and
// Send Cargo" (load COL and CAP lying on the own planets into the idle cargo groups there and
// send them to the planets that need them) and "Automatic Send Empty Ships" (keep idle cargo
// groups where COL or CAP appears next turn, send the others to such planets). The settings
// they use are kept per game in the settings store.
//
// The commands work on a copy of the order text and plan again on it after each written order,
// so they always see what they wrote; they stop when a pass writes nothing, when a pass would
// write a line it wrote before, or after a bounded number of orders. The caller inserts what
// they wrote once, then analyses.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "core/model/planet_ordering.h"
#include "core/settings/save_state.h"
#include "orders/development_plan.h"
#include "orders/order_lines.h"
#include "orders/order_service.h"

namespace tovix {

// The sort keys of the candidate planets, in their default order.
inline constexpr std::string_view kSortKeyNames[] = {
    "Size", "Resources", "Distance", "Percent Full High", "Percent Full Low", "Buildability"};

struct TAutoCargoSettings {
  int ColFill = 100;  // percent of the size, 5 to 100
  int CapFill = 100;
  int MaxDistanceIndex = 0;  // the maximum trip is this + 1 turns
  std::vector<std::string> SortOn{std::begin(kSortKeyNames), std::end(kSortKeyNames)};
  int BuildCapStock = 3;
  int BuildResources = 50;
  int BuildDistance = 10;
  std::string BuildPlanet;  // reference planet of the rating; empty: the first candidate

  static std::string Section(std::string_view gameName) {
    return "AutoCargoSettings_" + std::string(gameName);
  }
  // Reads the section; a missing or bad value keeps its default, a sort order without
  // "Buildability" gets it appended.
  void Load(const TznSaveState& store, std::string_view gameName);
  void Save(TznSaveState& store, std::string_view gameName) const;

  int MaxTrip() const { return MaxDistanceIndex + 1; }
  // The sort-key codes of SortOn, in order ("Distance" for unknown names).
  TPlanetOrder SortCodes() const;
};

// Reads the own designs' cargo use, kept by the ship designer in the store (StoredCargoUse of
// ship_design.h, 0 to 5; anything else counts 0). Called when the game has been read, so that
// the first plan knows them.
void ReadCargoUses(const TznSaveState& store, GameState& state);

// The sort-key code of a name (ignoring case); 2 (Distance) for any other text.
int32_t SortKeyCode(std::string_view name);
// The list as comma text ("Size,Resources,\"Percent Full High\",...") and back.
std::string SortOnText(const std::vector<std::string>& items);
std::vector<std::string> ParseSortOnText(std::string_view text);

// Rates every planet (TPlanet::Buildability); returns the reference planet used: the settings'
// planet, else the first own planet below its size, else nullptr.
TPlanet* ComputeBuildability(GameState& state, const TAutoCargoSettings& settings);

// "L g cargo" / "S g planet" when `ships` is at least `groupShips`, else
// "B g ships" / "L MAX cargo" / "S MAX planet", CR LF between the lines.
std::string BuildCargoCommands(std::string_view group, std::string_view planet, int ships,
                               int groupShips, int32_t cargo);

struct TAutoCargoResult {
  std::vector<std::string> Lines;  // every written line, in order
  int Passes = 0;                  // plan passes run
  bool Stopped = false;            // stopped by the bound or a repeated line
  TPlanet* Reference = nullptr;    // reference planet of the rating
};

// Runs on a copy of `orders`; the planner is left holding the plan of the orders plus the
// written lines.
TAutoCargoResult AutomaticLoadAndSendCargo(TDevelopmentPlanner& planner, const IOrderLines& orders,
                                           const TAutoCargoSettings& settings, bool useRoutes);
TAutoCargoResult AutomaticSendEmptyShips(TDevelopmentPlanner& planner, const IOrderLines& orders,
                                         const TAutoCargoSettings& settings, bool useRoutes);

// A command's whole run for the orders window: the written lines go to the Group section (or,
// with Group auto-insert off, once to the clipboard), then the orders are analysed and the
// status line says "Ready".
enum class TAutoCargoCommand { LoadAndSend, SendEmpty };
TAutoCargoResult RunAutoCargoCommand(TAutoCargoCommand command, TOrderService& service,
                                     TDevelopmentPlanner& planner, const IOrderLines& orders,
                                     const TAutoCargoSettings& settings,
                                     const std::function<void(const std::string&)>& status);

// The planner as the order service calls it, with the game's cargo settings for the rating.
class TSettingsOrderPlanner final : public IOrderPlanner {
 public:
  TSettingsOrderPlanner(TDevelopmentPlanner& planner, const TAutoCargoSettings& settings)
      : planner_(planner),
        rate_([&planner, &settings] { tovix::ComputeBuildability(planner.State(), settings); }) {}
  // With a rating of its own (the cargo settings window rates with its controls' values).
  TSettingsOrderPlanner(TDevelopmentPlanner& planner, std::function<void()> rate)
      : planner_(planner), rate_(std::move(rate)) {}
  void ComputeBuildability() override { rate_(); }
  void PlanAutomaticCargo(const IOrderLines& lines, bool transports, bool useRoutes) override {
    planner_.PlanAutomaticCargo(lines, transports, useRoutes);
  }
  void FillDevelopmentLists() override { planner_.FillDevelopmentLists(); }
  std::vector<TPlannedTransport> CargoPlan() const override { return planner_.CargoPlan(); }
  std::vector<std::string> PlanNotes() const override { return planner_.PlanNotes(); }

 private:
  TDevelopmentPlanner& planner_;
  std::function<void()> rate_;
};

}  // namespace tovix
