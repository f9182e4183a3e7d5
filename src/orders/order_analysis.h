#pragma once
// Order analysis: what the order text does to the own race's groups. Every pass rebuilds, from
// the text alone, one record per own group and one per part of a group that an order splits
// off: where it goes, how far, how many ships, whether it was upgraded, what it carries and when
// it arrives. From the records come the ship masses the orders bring to each planet, the rows of
// the "Sent Ships" and "To Develop" lists, and the look-ups of the planet or group an order line
// names.
//
// The order language as the server reads it: only the first letter of the command word counts,
// everything from the first ";" is a comment, message blocks ("@" to "@") are not orders, and
// a split makes a new group numbered one above the highest number in use, which "MAX" names.
// The server applies the lines in order, each to what the lines before it left: a group sent
// (alone or in its fleet) is in hyperspace for the later lines, a load takes what is left of
// the planet's stock, an upgrade what is left of its industry. A fleet moves as its member
// groups at the speed of the slowest. Every line the server would refuse gets a note that says
// why, and changes nothing.
//
// The records point into the model (groups, planets): after the model changes, run a pass again
// before reading them.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/model/game_state.h"
#include "orders/order_lines.h"

namespace tovix {

// One own group, or a part of one split off by an order.
struct TSendedGroup {
  TGroup* Group = nullptr;
  TPlanet* Source = nullptr;       // the group's planet; for a group in flight its origin
  TPlanet* Destination = nullptr;  // where the orders (or the report) send it; nullptr: it stays
  double Distance = 0;             // map units from Source to Destination
  int32_t Ships = 0;
  bool Upgraded = false;  // an upgrade order covers these ships
  // The record made for the group itself at the start of a pass: it keeps the ships no order
  // split off. False for split-off parts.
  bool Base = false;
  float Load = 0;
  int32_t CargoType = pcNone;  // pcCol, pcCap, pcMat or pcNone
  int32_t Turns = 0;           // turns until arrival; 0 for a record that does not move
  // The number the orders use for these ships: the group's own, or for a split-off part the
  // number the new group gets.
  int32_t Number = 0;
  int SentByLine = -1;  // the order line that last sent or intercepted it; -1 for none
  // The fleet the ships belong to after the orders; empty for none.
  std::string Fleet;
  // The fleet's speed (its slowest member's) while the record is in a fleet; 0 otherwise.
  double FleetSpeed = 0;
  // Ships the orders scrap; no longer counted in Ships.
  int32_t Scrapped = 0;
};

// The kind of an order line, by the first letter of its command word.
enum class TOrderKind : int32_t {
  Other = 0,
  Production = 1,  // P
  Send = 2,        // S
  Load = 3,        // L
  Break = 4,       // B
  Intercept = 5,   // I
  Route = 6,       // R
  Unload = 7,      // U
  Upgrade = 8,     // G
  Join = 9,        // J: a group joins a fleet
  Scrap = 10,      // X
  Design = 11,     // D: a design, or "D FLEET name", a new fleet
};

// What a note is about.
enum class TNoteKind : int32_t {
  Order,     // one order line
  AfterEnd,  // a line after "#END", which the server does not read
  Header,    // the "#GALAXY" line: missing, not first, or naming another race
};

// A note of the last pass on one order line.
struct TOrderNote {
  int Line = -1;  // index of the order line; -1 for a note on the text as a whole
  // The server refuses the line: it changes nothing. False for a warning about a line that
  // still does something.
  bool Refused = true;
  std::string Text;  // "Line 12 (s 5 Far): ERROR: group 5 is in hyperspace."
  TNoteKind Kind = TNoteKind::Order;
};

// What the orders do to one planet, line by line as the server applies them.
struct TPlanetOrders {
  // Stocks after the orders: the report's, less what loads take, plus what unloads and scraps
  // bring and the material of an unfinished ship given back when the production changes.
  float Colonists = 0, Capital = 0, Material = 0;
  // What the loads took of each stock.
  float LoadedColonists = 0, LoadedCapital = 0, LoadedMaterial = 0;
  // Production left for upgrades (the effective industry of an own planet, else 0) and what
  // the upgrades took of it.
  float Industry = 0;
  float UpgradeSpent = 0;
  // The material of the unfinished ship given back; its progress is lost.
  float MaterialReturned = 0;
  bool ShipAbandoned = false;
};

// What ParseOrderLine read from one line.
struct TParsedOrder {
  TOrderKind Kind = TOrderKind::Other;
  TPlanet* Planet = nullptr;
  int32_t Number = 0;  // the ship count or number; 0 when absent
  int32_t Cargo = pcNone;
  int Record = -1;  // index of the record the group word names; -1 for none
  int Fleet = -1;   // the fleet a send, intercept or join names; -1 for none
};

// A transport of the development planner's cargo plan.
struct TPlannedTransport {
  // 3: planned in this pass, not in the orders yet; 2: a transport the orders already make.
  int32_t State = 0;
  TGroup* Group = nullptr;
  // The number the orders give the ships (the group's own, or a split-off part's); 0: the
  // group's first record.
  int32_t Number = 0;
  int32_t Ships = 0;
  TPlanet* Destination = nullptr;
  float Load = 0;
  int32_t CargoType = pcNone;
  double Distance = 0;  // planned distance (state 2)
};

// A row of the "Sent Ships" list.
struct TSentShipRow {
  int Record = -1;      // index into Records()
  std::string Caption;  // the group number
  std::string Ships, From, To, Dist, Speed, Rest;
  int32_t Image = -1;  // Trunc(distance / speed); -1 when the group cannot move
};

// A row of the "To Develop" list.
struct TToDevelopRow {
  TPlanet* Planet = nullptr;
  std::string Name, Size, Population, Industry, ShipMass;
};

class TOrderAnalysis {
 public:
  explicit TOrderAnalysis(GameState& state) : state_(state) {}

  // The pass: the records of the own groups, then every order line in turn as the server
  // applies it, then the planner's transports. A line the server would refuse is noted and
  // changes nothing.
  void ParseOrders(const IOrderLines& lines, const std::vector<TPlannedTransport>& plan = {});

  // Reads one line against the records of the pass so far. Everything from the first ";" is a
  // comment. True when the line is an order of a known kind with its required words (an other
  // line: when a word names a planet).
  bool ParseOrderLine(std::string_view line, TParsedOrder& order) const;

  // The records, in order: one per own group in the order of the race's group list, then the
  // split-off parts in the order the orders made them.
  const std::vector<TSendedGroup>& Records() const { return records_; }
  // What the last pass noted about orders it could not follow (fixed English texts), in line
  // order; the same texts as LineNotes().
  const std::vector<std::string>& Notes() const { return notes_; }
  const std::vector<TOrderNote>& LineNotes() const { return lineNotes_; }
  // True when the last pass refused order line `line`.
  bool Refused(int line) const;
  // What the last pass's orders do to a planet; nullptr for a planet no order touched.
  const TPlanetOrders* PlanetOrders(const TPlanet& planet) const;
  // The highest group number after the last pass (the number "MAX" names).
  int32_t MaxNumber() const { return maxNumber_; }

  // A new record of `ships` ships of record `index`'s group, with its source, destination,
  // distance, load and cargo, appended under the next free group number; the old record keeps
  // the other ships. Returns the new record's index.
  int SplitSendedGroup(int index, int32_t ships);
  // The group's ships less those of its records that have a destination or are upgraded;
  // never below 0.
  int32_t ShipsLeftInGroup(const TGroup& group) const;
  // What every window shows of a record, the one count of the groups' ships: a record's ships
  // are its Ships; of them the orders can still send all of a record that stays where it is
  // (no destination, not upgraded), none of another.
  static int32_t AvailableShips(const TSendedGroup& record);
  // The same for the record the orders number `number` (a split-off part's own number, or the
  // group's for the ships no order took); ShipsLeftInGroup for a number no record has.
  int32_t AvailableShipsOf(int32_t number, const TGroup& group) const;
  // 20 x drive x drive tech / (mass + load / cargo tech); the load counts only for a group with
  // cargo space; 0 for a design without mass. In a fleet, the fleet's speed.
  static double SendedGroupSpeed(const TSendedGroup& record);
  // The same formula, leaving the fleet aside.
  static double OwnSpeed(const TSendedGroup& record);
  // The speed of `group`'s ships with `load` (a ship's) on board, outside any fleet: the speed
  // of the group sent on its own.
  static double LoadedSpeed(const TGroup& group, float load);

  // Sets the four ship-mass working fields of every planet from the records: the mass arriving
  // next turn, in two turns, later, and present next turn (the ships that stay, once per group,
  // plus those arriving next turn).
  void ComputeIncomingShipMass() const;

  // Records with a destination whose group has no cargo space (cargo ships are the planner's).
  std::vector<TSentShipRow> SentShipRows() const;
  // Own planets whose population or industry is below their size.
  std::vector<TToDevelopRow> ToDevelopRows() const;

  // The planet an order line names: its planet word, else the planet of the group it names.
  TPlanet* PlanetOfLine(std::string_view line) const;
  // The group an order line names, or nullptr.
  TGroup* GroupOfLine(std::string_view line) const;
  // PlanetOfLine after a leading ";" is removed, so that a ";P" tag names its planet.
  TPlanet* PlanetOfCaretLine(std::string_view line) const;

  // The planet a word names: the lower-cased word as a key of Planets, else the first planet
  // whose name equals it ignoring case.
  TPlanet* FindPlanet(std::string_view word) const;

 private:
  struct TFleet {
    std::string Name;
    TPlanet* Planet = nullptr;  // where its members stand; nullptr while it has none
    bool Moving = false;        // in flight, or sent by an earlier line
  };

  int FindRecord(std::string_view word) const;
  int FindFleet(std::string_view word) const;
  int AddFleet(std::string_view name);
  void SetDestination(TSendedGroup& record, TPlanet* destination, int line);
  void Renumber(int index);
  void ApplyPlan(const std::vector<TPlannedTransport>& plan);
  void ApplyLine(int line, std::string_view text);
  void NoteLinesAfterEnd(const IOrderLines& lines);
  void Note(int line, std::string_view text, std::string_view why, bool refused = true,
            TNoteKind kind = TNoteKind::Order);
  TPlanetOrders& Planet(TPlanet& planet);
  float& Stock(TPlanet& planet, int32_t cargo);
  void SendFleet(int line, int fleet, TPlanet* destination);
  void SetFleetSpeeds();
  const TShipInProduction* ShipInProduction(const TPlanet& planet) const;

  GameState& state_;
  std::vector<TSendedGroup> records_;
  // Per record: the ships are in hyperspace (in flight, or sent by an earlier line).
  std::vector<bool> moving_;
  std::vector<std::string> notes_;
  std::vector<TOrderNote> lineNotes_;
  std::vector<bool> refusedLines_;  // by line index
  std::vector<TFleet> fleets_;
  std::unordered_map<const TPlanet*, TPlanetOrders> planets_;
  std::unordered_set<std::string> designs_;  // lower-cased names of the D lines read so far
  // The first record of each group number the orders can name.
  std::unordered_map<int32_t, int> byNumber_;
  int32_t maxNumber_ = 0;
  // Planets by lower-cased name, built on the first word the keys do not know.
  mutable std::unordered_map<std::string, TPlanet*> byName_;
  mutable bool byNameBuilt_ = false;
};

// The notes on the "#GALAXY" line, which the server reads first to know the game, the race and
// its password: the text has none (First Turn > Setup orders writes it), another order line
// stands above it, or it names a race other than the user's race in the last report read (a
// race that renamed itself keeps its old name there until the line is changed). Empty when
// the line is as the server needs it.
std::vector<TOrderNote> OrderHeaderNotes(const IOrderLines& lines, const GameState& state);

// Distance of two planets in map units, in doubles from their coordinates (wrapping as
// PlanetDistance does).
double OrderDistance(const GameState& state, const TPlanet& from, const TPlanet& to);

}  // namespace tovix
