#pragma once
// The game model: races with their statistics per turn, planets with their owner history, ship
// designs, groups of ships, battles, bombings, incoming groups, ships in production, map track
// points and cargo routes, and the figures the game derives from them (mass, speed, shields,
// cargo capacity, upgrade cost, production).
//
// Ownership: each object belongs to exactly one list (the game lists of GameState, a race's
// ShipTypes and Groups, a battle's group lists). Every other reference is a plain pointer that
// does not own; GameState's removal operations clear those references when an object goes.
//
// Figures are 32-bit floats and map coordinates 32-bit integers in hundredths of a map unit, as
// the reports give them. A technology level of -1 means "unknown".

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/settings/game_types.h"
#include "core/text/string_lists.h"

namespace tovix {

// What a planet produces or a group carries.
enum TProductionCode : int32_t {
  pcNone = 0,
  pcMat = 2,
  pcDrive = 3,
  pcWeapons = 4,
  pcShields = 5,
  pcCargo = 6,
  pcCol = 7,
  pcCap = 8,
  pcShip = 9,
};

// "CAP", "COL" or "MAT" for the three cargo codes; `other` for any other code.
const char* CargoText(int32_t code, const char* other = "");

class TPlayer;
class TPlanet;
struct TGameSettings;

// --- Owner of a planet ---------------------------------------------------------------------

// The owner of a planet is one of three things: a race, nobody (uninhabited), or someone the
// reports do not name (a planet listed as unidentified). The race is only reachable through
// Player(), which is nullptr in the other two cases, so no reader can mistake the marker for a
// race.
class TOwnerRef {
 public:
  TOwnerRef() = default;  // nobody
  static TOwnerRef None() { return TOwnerRef(); }
  static TOwnerRef Unknown() { return TOwnerRef(Kind::Unknown, nullptr); }
  // A race; nullptr gives None.
  static TOwnerRef Of(TPlayer* player) {
    return player ? TOwnerRef(Kind::Player, player) : TOwnerRef();
  }

  bool IsNone() const { return kind_ == Kind::None; }
  bool IsUnknown() const { return kind_ == Kind::Unknown; }
  bool IsPlayer() const { return kind_ == Kind::Player; }
  // The race, or nullptr when the owner is nobody or unknown.
  TPlayer* Player() const { return player_; }
  // True only when the owner is this very race.
  bool Is(const TPlayer* player) const { return player && player_ == player; }

  bool operator==(const TOwnerRef&) const = default;

 private:
  enum class Kind : uint8_t { None, Unknown, Player };
  TOwnerRef(Kind kind, TPlayer* player) : kind_(kind), player_(player) {}

  Kind kind_ = Kind::None;
  TPlayer* player_ = nullptr;
};

// --- Per-turn statistics -------------------------------------------------------------------

// One statistic of a race over the turns. Element 0 holds the latest value set, element 1 the
// turn of that value (as a number of the array's type), element t + 2 the value of turn t. The
// array grows on demand; reading an element that is not there gives 0.
template <class T>
class TTurnArray {
 public:
  int Length() const { return static_cast<int>(values_.size()); }
  // The raw element, 0 when `index` lies outside the array.
  T Element(int64_t index) const {
    return index >= 0 && index < static_cast<int64_t>(values_.size())
               ? values_[static_cast<size_t>(index)]
               : T{};
  }

  // Grows the array to hold `turn` (length turn + 3); never shrinks. Turns above kMaxTurn are
  // capped there.
  void SetTurnCount(int32_t turn);

  // Value of `turn`; any negative turn (normally -1) means the latest value.
  T Get(int32_t turn) const { return turn < 0 ? Element(0) : Element(int64_t{turn} + 2); }
  // The turn of the latest value (0 when nothing was set for a turn yet).
  int32_t LatestTurn() const;

  // Change against the turn before: 0 for turn 0; for a negative turn the latest value minus
  // the value of the turn before the latest; else Get(turn) - Get(turn - 1).
  T Delta(int32_t turn) const;

  // A negative turn sets only the latest value. Otherwise the value of that turn and the latest
  // value with its turn are set, growing the array as needed. Returns false, changing nothing,
  // for a turn above kMaxTurn.
  bool Set(int32_t turn, T value);

 private:
  std::vector<T> values_;
};

extern template class TTurnArray<float>;
extern template class TTurnArray<int32_t>;

// --- Ship designs, groups -------------------------------------------------------------------

// What a design's cargo space is meant for; set by the ship designer.
enum class TCargoUse : uint8_t {
  None = 0,
  Col = 1,
  Cap = 2,
  Stationary = 3,
  ColThenCap = 4,
  CapThenCol = 5,
};

// A race's ship design as the ship-type tables give it.
class TShipType {
 public:
  // `gameType` is the variant whose rules Mass follows (see there).
  TShipType(std::string name, TGameType gameType) : Name(std::move(name)), gameType_(gameType) {}

  std::string Name;
  float Drive = 0;  // the reader keeps two decimals, truncated
  int32_t Attacks = 0;
  float Weapons = 0;
  float Shields = 0;
  float Cargo = 0;
  TCargoUse CargoUse = TCargoUse::None;
  float ReportedMass = 0;  // the mass column of "Galaxy NG Blind" tables; else 0
  // Made from a design order ("D name ...") of the current orders, not read from a report: the
  // order planner adds it and takes it away again when the orders no longer hold the line.
  bool FromOrders = false;

  TGameType GameType() const { return gameType_; }

  // The mass of one ship. Each weapon after the first weighs half the first. In "Galaxy NG
  // Blind" a negative drive marks a design the report does not show, whose mass is the
  // reported one.
  float Mass() const;
  // Mass of the weapons alone (the same rule for extra weapons).
  float WeaponsMass() const;
  bool IsStationary() const { return CargoUse == TCargoUse::Stationary; }
  // Name, drive, attacks, weapons, shields and cargo; the same variant rules.
  std::unique_ptr<TShipType> Clone() const;

 private:
  TGameType gameType_;
};

class TGroup {
 public:
  TGroup() = default;
  TGroup(const TGroup&) = delete;
  TGroup& operator=(const TGroup&) = delete;

  TShipType* ShipType = nullptr;  // the owner's design; nullptr when the report names none known
  TPlanet* Planet = nullptr;      // where the group stands, or where it flies to
  TPlayer* Owner = nullptr;
  TPlanet* Origin = nullptr;  // where a group in flight comes from
  float DriveTech = 1;
  float WeaponsTech = 1;
  float ShieldsTech = 1;
  float CargoTech = 1;
  // Ships of the group; for a group of a battle's list, at the start of the battle.
  int32_t Ships = 0;
  float Load = 0;  // the cargo carried (the group table's Q column)
  int32_t CargoType = pcNone;
  // The second ship count: equal to Ships for a group table row; the ships left after the
  // battle for a battle's group; the ships at the start for a race's group made from a battle.
  int32_t BattleShips = 0;
  int32_t GroupNumber = -1;  // the number in the owner's own report; 0 for other races' groups
  float Distance = 0;        // still to fly to Planet; 0 at Planet
  int32_t Turn = -1;         // turn the group was read in
  int32_t FromBattle = 0;    // 1 for a race's group made from a battle list
  std::string FleetName;
  float FleetSpeed = 0;
  int32_t ETA = 0;  // turns until arrival; 0 at a planet
  TPlanet* TrackFrom = nullptr;
  TPlanet* TrackTo = nullptr;

  // Cargo space of one ship; -1 when the cargo level is unknown.
  float CargoCapacity() const;
  // Weapon strength of one weapon; -1 when the weapons level is unknown.
  float EffectiveWeapons() const;
  // Shield strength of one ship, empty; 0 at shields level 0, -1 when unknown.
  float EffectiveShields() const;
  // Shield strength with `load` on board; -1 when the shields level is unknown.
  float EffectiveShieldsWithLoad(float load) const;
  // Shield strength with the cargo space full; -1 when the shields level is unknown.
  float EffectiveShieldsFullLoad() const;
  // Empty speed, or the fleet's speed in a fleet; -1 when the drive level is unknown.
  float Speed() const;
  // Speed with the cargo space full (empty speed without cargo space).
  float SpeedFullLoad() const;
  // Speed with the current load (empty speed without load).
  float SpeedWithLoad() const;
  // Cost of bringing one ship to the owner's latest technology; 0 while any of the owner's
  // levels is 0.
  float UpgradeCost() const;

  // A copy for the battle simulator: it owns a copy of the design and shares planet, owner
  // and origin; load, fleet speed, ETA and tracks are not copied.
  std::unique_ptr<TGroup> Clone() const;

 private:
  // Mass of the design, 0 without one.
  float ShipMass() const;
  float SpeedAtMass(float mass) const;

  std::unique_ptr<TShipType> ownShipType_;  // only in clones
};

// --- Races ----------------------------------------------------------------------------------

class TPlayer {
 public:
  // Arrays sized for `turnCount` (see SetTurnCount).
  explicit TPlayer(int32_t turnCount);
  TPlayer(const TPlayer&) = delete;
  TPlayer& operator=(const TPlayer&) = delete;

  // The race's designs keyed by name as read; owns them. Add through AddShipType so that a
  // design already known keeps its object.
  TFStringList<std::unique_ptr<TShipType>> ShipTypes{true, TDuplicates::Ignore};
  // The race's groups of every turn read; owns them. Remove through GameState.
  std::vector<std::unique_ptr<TGroup>> Groups;
  std::string Name;
  TTurnArray<float> Drive;
  TTurnArray<float> Weapons;
  TTurnArray<float> Shields;
  TTurnArray<float> Cargo;
  TTurnArray<float> Population;
  TTurnArray<float> Industry;
  TTurnArray<float> PlanetSize;  // summed from the planet tables by the reader
  TTurnArray<int32_t> PlanetCount;
  bool War = true;    // the user's race is at war with this race
  bool Gone = false;  // missing from a status table; skipped when matching later tables
  bool Seen = false;  // listed in the status table being read
  int32_t RowIndex = 0;
  int32_t Number = -1;  // 1 and up once assigned
  std::string Alias;    // earlier names, separated by blanks

  float GetDrive(int32_t turn) const { return Drive.Get(turn); }
  float GetWeapons(int32_t turn) const { return Weapons.Get(turn); }
  float GetShields(int32_t turn) const { return Shields.Get(turn); }
  float GetCargo(int32_t turn) const { return Cargo.Get(turn); }
  float GetPopulation(int32_t turn) const { return Population.Get(turn); }
  float GetIndustry(int32_t turn) const { return Industry.Get(turn); }
  float GetPlanetSize(int32_t turn) const { return PlanetSize.Get(turn); }
  int32_t GetPlanetCount(int32_t turn) const { return PlanetCount.Get(turn); }

  float DriveDelta(int32_t turn) const { return Drive.Delta(turn); }
  float WeaponsDelta(int32_t turn) const { return Weapons.Delta(turn); }
  float ShieldsDelta(int32_t turn) const { return Shields.Delta(turn); }
  float CargoDelta(int32_t turn) const { return Cargo.Delta(turn); }
  float PopulationDelta(int32_t turn) const { return Population.Delta(turn); }
  float IndustryDelta(int32_t turn) const { return Industry.Delta(turn); }
  float PlanetSizeDelta(int32_t turn) const { return PlanetSize.Delta(turn); }
  int32_t PlanetCountDelta(int32_t turn) const { return PlanetCount.Delta(turn); }

  // The figures of a status-table row; each makes the turn known (see IsKnown).
  bool SetDrive(int32_t turn, float v) { return Drive.Set(turn, v) && MarkKnown(turn); }
  bool SetWeapons(int32_t turn, float v) { return Weapons.Set(turn, v) && MarkKnown(turn); }
  bool SetShields(int32_t turn, float v) { return Shields.Set(turn, v) && MarkKnown(turn); }
  bool SetCargo(int32_t turn, float v) { return Cargo.Set(turn, v) && MarkKnown(turn); }
  bool SetPopulation(int32_t turn, float v) { return Population.Set(turn, v) && MarkKnown(turn); }
  bool SetIndustry(int32_t turn, float v) { return Industry.Set(turn, v) && MarkKnown(turn); }
  bool SetPlanetCount(int32_t turn, int32_t v) {
    return PlanetCount.Set(turn, v) && MarkKnown(turn);
  }
  // Summed from the planet tables for every race, listed or not: it makes no turn known.
  bool SetPlanetSize(int32_t turn, float v) { return PlanetSize.Set(turn, v); }

  // Whether a status table gave the race's figures of `turn` (a negative turn: of any turn).
  // A turn whose report could not be read, or whose table did not list the race, is unknown;
  // its figures read 0, which is no figure of the race.
  bool IsKnown(int32_t turn) const;

  // Industry plus a quarter of the population above it (-1: the latest values).
  float GetEffectiveIndustry(int32_t turn) const;
  float EffectiveIndustryDelta(int32_t turn) const;
  // Population growth against the turn before, in percent; 0 when that population is 0.
  float PopulationGrowthPercent(int32_t turn) const;

  // The status-table row of one turn. The setters return false, storing nothing for the turn,
  // when the turn lies beyond kMaxTurn.
  bool SetTurnValues(int32_t turn, std::string name, bool war, int32_t planetCount, float industry,
                     float population, float cargo, float shields, float weapons, float drive);
  // Grows all per-turn arrays to hold `turn`.
  void SetTurnCount(int32_t turn);
  void SetNumber(int32_t n) { Number = n; }
  void SetAlias(std::string text) { Alias = std::move(text); }
  // A new name that differs from the current one other than in case: the old name is added
  // to the alias.
  void Rename(std::string_view newName);

  // Adds a design unless one of that name (ignoring case) exists; returns the design kept.
  // The known design keeps its object, so groups that point to it stay valid.
  TShipType* AddShipType(std::unique_ptr<TShipType> type);
  // The last design whose name equals `name` ignoring case, or nullptr.
  TShipType* FindShipType(std::string_view name) const;

 private:
  // True, so that the setters can chain it.
  bool MarkKnown(int32_t turn);

  std::vector<bool> known_;  // by turn
  bool anyKnown_ = false;
};

// --- Planets --------------------------------------------------------------------------------

// What the development planner knows of one planet, as the model's production figures read it.
// The planner's own records derive from this.
class IDevPlanetRecord {
 public:
  // The industry the plan expects the planet to work with this turn.
  virtual float ProjectedIndustry() const = 0;
  // The planet is on the planner's Developing list.
  virtual bool ToDevelop() const = 0;
  // Figures of the projection; turn index 0 is the current turn, 1 the next.
  virtual float Colonists(int turnIndex) const = 0;  // COL stock
  virtual float Capital(int turnIndex) const = 0;    // CAP stock
  virtual float Material(int turnIndex) const = 0;   // MAT stock
  virtual float Population(int turnIndex) const = 0;
  virtual float Industry(int turnIndex) const = 0;

 protected:
  ~IDevPlanetRecord() = default;
};

// The development planner's records of planets.
class IDevelopmentPlan {
 public:
  virtual ~IDevelopmentPlan() = default;
  // The planet's record, or nullptr when the plan does not hold the planet.
  virtual const IDevPlanetRecord* FindDevPlanet(const TPlanet& planet) const = 0;
};

// A plan that holds no planet: what the figures use when nothing has been planned.
class TNoDevelopmentPlan final : public IDevelopmentPlan {
 public:
  const IDevPlanetRecord* FindDevPlanet(const TPlanet&) const override { return nullptr; }
};

// What OwnerState says about a planet's owner history.
enum TOwnerState : int32_t {
  osNeverSeen = 0,
  osKnown = 1,       // the owner is known (or the planet was uninhabited when first seen)
  osUnknownNow = 2,  // inhabited by an owner the reports do not name
  osUninhabitedNow = 3,
};

class TPlanet {
 public:
  TPlanet() = default;
  explicit TPlanet(std::string name) : Name(std::move(name)) {}
  TPlanet(const TPlanet&) = delete;
  TPlanet& operator=(const TPlanet&) = delete;

  std::string Name;
  int32_t Number = 0;
  int32_t X = 0;  // hundredths
  int32_t Y = 0;
  float Size = 0;
  float Resources = 0;
  float Population = 0;
  float Industry = 0;
  float Capital = 0;
  float Material = 0;
  float Colonists = 0;
  int32_t ProductionCargo = pcNone;  // pcCap for "cap", pcMat for "mat"
  TOwnerRef Owner;
  // Working sort key: distance in hundredths from a chosen point, or set by the planet sorting.
  int32_t Distance = 0;
  std::string LastOwnerName;  // "-" once first seen uninhabited
  int32_t OwnerState = osNeverSeen;
  TPlayer* LastOwner = nullptr;
  // Turn OwnerState last became known or uninhabited (-1 when first seen uninhabited).
  int32_t OwnerTurn = 0;
  // Ship mass the current orders bring here: arriving next turn, in two turns, later, and
  // present next turn. Set by the order analysis.
  float SentMass = 0;
  float SentMassEta2 = 0;
  float SentMassEta3Plus = 0;
  float NextTurnMass = 0;
  // Mass of the groups standing here in the last turn read: the user's own, those of races at
  // peace and those of races at war. Summed from the model for the planet and group lists.
  float MyShipMass = 0;
  float FriendlyShipMass = 0;
  float EnemyShipMass = 0;
  std::string Production;        // production text ("drive", "CAP", a design name, ...)
  std::string ReportProduction;  // the same as last read from a report
  float Buildability = 0;        // working rating of the automatic cargo settings
  bool HomeAtTurn0 = false;      // inhabited in the turn-0 report
  bool OwnAtTurn0 = false;       // one of the user's planets in the turn-0 reports

  // Stores a planet-table row. The production text is kept only when the row comes from the
  // user's own report or the text is not empty (allies' tables may leave it blank). A text equal
  // to the one held is not written again (most rows repeat the planet's last one).
  void SetValues(std::string_view name, std::string_view productionText, int32_t x, int32_t y,
                 float size, float population, float industry, float resources,
                 int32_t productionCargo, float capital, float material, float colonists,
                 bool ownReport);

  // Records the owner seen in the report of `lastTurn` and keeps the owner history. An unknown
  // owner does not replace a race seen in the same turn (another report named it).
  void SetOwner(TOwnerRef owner, int32_t lastTurn);

  // Distance := rounded distance in hundredths from (x, y); returns it.
  int32_t SetDistanceFrom(const TGameSettings& settings, int32_t x, int32_t y);

  // Industry plus a quarter of the population above it.
  float EffectiveIndustry() const;
  // pcDrive, pcWeapons, pcShields, pcCargo, pcMat or pcCap for those texts (any case); pcShip
  // for anything else, which names a design.
  int32_t ProductionType() const;
  // What `industry` produces this turn with the current production: 0 for a planet without a
  // known owner or a design the owner does not have.
  float ProductionForIndustry(float industry) const;
  // ProductionForIndustry of the planned industry, or of the effective industry without a plan.
  float ProductionAmount(const IDevelopmentPlan& plan) const;
  float ProductionAtFullSize() const { return ProductionForIndustry(Size); }
  float ShipMassAtFullSize() const;
  // Ship mass the planet builds per turn with the planned (or effective) industry.
  float ShipMassPerTurn(const IDevelopmentPlan& plan) const;

 private:
  float IndustryForPlan(const IDevelopmentPlan& plan) const;
};

// --- Battles, bombings, incoming groups, production, tracks, routes -------------------------

class TBattle {
 public:
  TBattle(int32_t turn, TPlanet* planet) : Turn(turn), Planet(planet) {}

  int32_t Turn = -1;
  TPlanet* Planet = nullptr;
  // The groups that took part, one per row of the battle's lists; owned by the battle.
  std::vector<std::unique_ptr<TGroup>> Groups;
  // The sides the battle simulator sets up; their groups are owned by the battle too.
  std::vector<std::unique_ptr<TGroup>> Attackers;
  std::vector<std::unique_ptr<TGroup>> Defenders;
};

// Production code of a bombing's "Producing" text: "CAP", "COL", "MAT" exactly, else pcNone.
int32_t BombingProductionCode(std::string_view text);

struct TBombing {
  int32_t Producing = pcNone;
  float Material = 0;
  float Industry = 0;
  float Capital = 0;
  float Population = 0;
  float Colonists = 0;
  TPlanet* Planet = nullptr;
  TPlayer* Attacker = nullptr;
  TPlayer* Defender = nullptr;
  int32_t Turn = -1;
};

struct TIncomingGroup {
  TPlanet* Origin = nullptr;
  TPlanet* Destination = nullptr;
  TPlayer* Reporter = nullptr;  // the race whose report showed it
  float Distance = 0;
  float Speed = 0;
  float Mass = 0;
  int32_t Turn = -1;
};

struct TShipInProduction {
  int32_t PlanetNumber = -1;  // only "Galaxy Blind" reports give it
  std::string PlanetName;
  std::string ShipTypeName;
  // Production cost of one ship and production already spent on the unfinished one; 0 where the
  // report's layout gives neither.
  float Cost = 0;
  float Progress = 0;
  int32_t ShipsPresent = 0;
  int32_t ShipsUpToDate = 0;
};

// One map track point.
struct TTracks {
  int32_t Turn = 0;
  int32_t Y = 0;  // hundredths
  int32_t X = 0;
  uint8_t FromGroup = 0;  // 0 from the report's character map, 1 computed from a group in flight

  bool operator==(const TTracks&) const = default;
};

// The cargo routes of one planet: the destinations as the orders have them now, and as the
// report gave them.
class TRoute {
 public:
  explicit TRoute(TPlanet* origin) : Origin(origin) {}

  TPlanet* Origin = nullptr;
  TPlanet* Mat = nullptr;
  TPlanet* Col = nullptr;
  TPlanet* Cap = nullptr;
  TPlanet* Emp = nullptr;
  TPlanet* ReportMat = nullptr;
  TPlanet* ReportCol = nullptr;
  TPlanet* ReportCap = nullptr;
  TPlanet* ReportEmp = nullptr;

  void ResetToReport() {
    Mat = ReportMat;
    Col = ReportCol;
    Cap = ReportCap;
    Emp = ReportEmp;
  }
};

}  // namespace tovix
