#pragma once
// The development and cargo planner: projects the own planets over the current turn (index 0)
// and the next 20 under the order text: colonists (COL) growing the population, capital (CAP)
// becoming industry, the material (MAT) and capital the planets make, the cargo groups on
// their way and what they unload, and what the planet's own cargo ships take away next turn.
// With routes on it also plans the transports along the cargo routes. The order analysis reads
// the planned transports; the model reads the records through IDevelopmentPlan; the orders
// window shows the four lists built from them.
//
// The plan reads the orders, never writes them. It changes two things of the model, as the
// other windows expect: every own planet's production text (reset to the report's, then set by
// the P orders) and the routes (reset to the report's, then set by the R orders). Designs from
// D lines live in the plan's own list. Records point into the model: plan again after the
// model changes.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/model/game_state.h"
#include "orders/order_analysis.h"
#include "orders/order_lines.h"
#include "orders/order_service.h"

namespace tovix {

// Turn indices run from 0 (this turn) to kDevLastTurn.
inline constexpr int kDevLastTurn = 20;
using TDevFigures = std::array<float, kDevLastTurn + 1>;
// The cargo code of an empty trip along an EMP route.
inline constexpr int32_t pcEmptyTrip = 10;

struct TDevPlanet final : public IDevPlanetRecord {
  TPlanet* Planet = nullptr;
  TDevFigures COL{}, CAP{}, MAT{}, Populations{}, Industries{};
  // Production capacity: the effective industry less what upgrades spend this turn.
  TDevFigures Available{};
  // What the planet makes each turn: pcMat, pcCap, pcCol or pcNone.
  std::array<int32_t, kDevLastTurn + 1> Production{};
  bool Develop = false;  // a ";P" tag: shown on the Developing list

  float ProjectedIndustry() const override { return Available[0]; }
  bool ToDevelop() const override { return Develop; }
  float Colonists(int t) const override { return COL[Index(t)]; }
  float Capital(int t) const override { return CAP[Index(t)]; }
  float Material(int t) const override { return MAT[Index(t)]; }
  float Population(int t) const override { return Populations[Index(t)]; }
  float Industry(int t) const override { return Industries[Index(t)]; }

 private:
  static size_t Index(int t) {
    return static_cast<size_t>(t < 0 ? 0 : t > kDevLastTurn ? kDevLastTurn : t);
  }
};

// Where a group is planned to go.
enum class TDevState : int32_t { New = 0, Stays = 1, Travels = 2, Planned = 3 };

// One own cargo group, or a part of one split off by the orders.
struct TDevGroup {
  TGroup* Group = nullptr;
  std::array<TPlanet*, kDevLastTurn + 1> At{};         // where it is at t; nullptr while it flies
  std::array<TPlanet*, kDevLastTurn + 1> ArrivesAt{};  // set only at the arrival index
  TDevFigures DistanceLeft{};
  int32_t CargoType = pcNone;  // pcCol, pcCap, pcMat, pcEmptyTrip or pcNone
  float Load = 0;              // of one ship
  int32_t Ships = 0;
  int32_t Number = 0;  // the number the orders use for these ships
  bool InFlight = false;
  bool Reserved = false;  // a commented send names it: the automatic planning leaves it alone
  bool Upgraded = false;
  float HereCOL = 0, HereCAP = 0;  // stock at its planet at t = 0, after loading
  float NextDistance = 0;
  TPlanet* Destination = nullptr;
  TDevState State = TDevState::New;
  float Capacity = 0;     // cargo capacity of one ship
  double FleetSpeed = 0;  // the speed of the fleet it belongs to; 0 outside fleets
  // A trip along a cargo route: unloaded at its end whatever the race's options.
  bool RouteTrip = false;

  // Speed with `load` on each ship; 0 when the group cannot move.
  double SpeedWith(float load) const;
  double Speed() const { return SpeedWith(Load); }
};

// A design read from a D line.
struct TOrderDesign {
  std::string Name;  // lower-cased
  float Drive = 0;
  int32_t Attacks = 0;
  float Weapons = 0, Shields = 0, Cargo = 0;
};

// COL turns and CAP turns of TurnsToFull.
struct TTurnsToFull {
  int Col = -1;
  int Cap = -1;
};

// Rows of the four planning lists, texts ready to show.
struct TDevelopingRow {
  TPlanet* Planet = nullptr;
  std::string Name, ColTurns, CapTurns, Sizes;
};
struct TToTransportRow {
  TPlanet* Planet = nullptr;
  std::string Name, ColNow, ColNext, CapNow, CapNext, MatNow, MatNext;
};
struct TDevGroupRow {
  int Record = -1;  // index into Groups()
  std::string Caption, Ships, Capacity, Speed, Destination;
  std::string HereCOL, HereCAP;  // To Do
  std::string NextDistance;      // Loaded \ Sent
  int32_t Image = -1;            // rounded DistanceLeft[0] / speed; -1 when it cannot move
  bool Planned = false;          // a transport the planner adds (shown in red)
};
struct TDevelopmentLists {
  std::vector<TDevelopingRow> Developing;
  std::vector<TToTransportRow> ToTransport;
  std::vector<TDevGroupRow> ToDo;
  std::vector<TDevGroupRow> LoadedSent;
};

float EffectiveIndustryAt(const TDevPlanet& record, int t);
TTurnsToFull TurnsToFull(const TDevPlanet& record);

class TDevelopmentPlanner final : public IDevelopmentPlan, public IOrderPlanner {
 public:
  // Enters itself as the state's development plan; leaves it again when destroyed.
  explicit TDevelopmentPlanner(GameState& state);
  ~TDevelopmentPlanner() override;
  TDevelopmentPlanner(const TDevelopmentPlanner&) = delete;
  TDevelopmentPlanner& operator=(const TDevelopmentPlanner&) = delete;

  // The full pass: records, orders, route transports (with `useRoutes`), flights, projection
  // (with the groups' transports when `transports` is on).
  void PlanAutomaticCargo(const IOrderLines& lines, bool transports, bool useRoutes) override;
  // Forgets every record: call it when the game is read again, before anything reads the plan.
  void Clear();
  // The lighter pass of the overview: the planet orders only, no transports.
  void ProjectDevelopment(const IOrderLines& lines);
  // Rates the planets with the default weights; the orders window's service replaces this
  // with the rating under the game's cargo settings (auto_cargo.h).
  void ComputeBuildability() override;
  void FillDevelopmentLists() override { lists_ = BuildLists(); }
  std::vector<TPlannedTransport> CargoPlan() const override;
  std::vector<std::string> PlanNotes() const override { return notes_; }

  const IDevPlanetRecord* FindDevPlanet(const TPlanet& planet) const override {
    return FindRecord(planet);
  }
  TDevPlanet* FindRecord(const TPlanet& planet) const;

  const std::vector<std::unique_ptr<TDevPlanet>>& Planets() const { return planets_; }
  std::vector<std::unique_ptr<TDevGroup>>& Groups() { return groups_; }
  const std::vector<std::unique_ptr<TDevGroup>>& Groups() const { return groups_; }
  const std::vector<TOrderDesign>& OrderDesigns() const { return designs_; }
  // "Can't break group %d!" and "planet 1 encountered!" of the last pass, for the analysis to
  // show with its own notes.
  const std::vector<std::string>& Notes() const { return notes_; }
  // The four lists of the last FillDevelopmentLists.
  const TDevelopmentLists& Lists() const { return lists_; }
  TDevelopmentLists BuildLists() const;

  GameState& State() const { return state_; }

 private:
  void BuildRecords();
  // The cargo groups: the records of the order pass, or (without orders) the report's groups.
  void BuildGroups(bool withOrders);
  // The order pass's stocks and upgrades on the own planets; without loads, what they take
  // stays on the planets.
  void ApplyOrdersToPlanets(bool withLoads);
  bool FliesOnRoute(const TGroup& group) const;
  TDevPlanet& AddRecord(TPlanet& planet);
  void ReadPlanetOrders(const IOrderLines& lines);
  // The race's types made from design orders follow the designs of this pass.
  void SyncOrderShipTypes();
  void ReadReservations(const IOrderLines& lines);
  void PlanRouteTransports();
  void StartFlights();
  void FinishGroups();
  void Project(TDevPlanet& record, bool transports);
  int FindGroup(std::string_view word) const;
  int Split(int index, int32_t ships);
  void Fly(TDevGroup& group, TPlanet* destination, double distance);
  // The groups that arrive at or stand at each planet, for the projection.
  void IndexGroups();
  const std::vector<const TDevGroup*>& Touching(const TPlanet& planet) const;

  GameState& state_;
  // The order pass as the server applies the orders; also the planet look-up by name.
  TOrderAnalysis orders_;
  std::vector<std::unique_ptr<TDevPlanet>> planets_;
  std::vector<std::unique_ptr<TDevGroup>> groups_;
  std::unordered_map<const TPlanet*, TDevPlanet*> byPlanet_;
  std::unordered_map<const TPlanet*, std::vector<const TDevGroup*>> touching_;
  std::vector<TOrderDesign> designs_;
  // Types made from design orders that the orders no longer hold.
  std::vector<std::unique_ptr<TShipType>> retiredTypes_;
  std::vector<std::string> notes_;
  int32_t maxNumber_ = 0;
  TDevelopmentLists lists_;
};

}  // namespace tovix
