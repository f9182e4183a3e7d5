#pragma once
// The send orders of the destination picker and of "Advanced Send". A group window hands over
// some of the user's groups; they all go to one planet, or their ships are spread one by one over
// several planets, or the user shares them out by hand in "Advanced Send" (TAdvancedSend keeps
// that window's three lists). Each hand-over is one text of "S", "I" and "L" lines joined with
// CR LF, formatted by order_commands.h.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"

namespace tovix {

// The groups of one send in the caller's order, each with the number the orders name it by.
using TSendGroups = std::vector<std::pair<int32_t, TGroup*>>;
// The ships no order has taken yet of the group the orders number `number` (the order
// analysis's AvailableShips).
using TShipsLeft = std::function<int32_t(int32_t number, const TGroup& group)>;

struct TSendOptions {
  bool Intercept = false;  // "I" lines in place of "S" lines
  // The cargo each group with cargo space loads before it goes (pcCol, pcCap or pcMat); pcNone
  // writes no "L" line. An intercept loads nothing.
  int32_t Cargo = pcNone;
};

// The picker's title: "Select Planet(s)" and the groups it sends ("group 5", "groups 5, 12 and
// 177"; past eight numbers, how many more).
std::string PickerCaption(const TSendGroups& groups);
// The picker's text of what it sends, one line per group with the ships no order has taken and
// their design ("group 163: 25 ships of Cruiser"), under a line with the totals when there are
// several groups; past eight groups, how many more and their ships. Lines end with LF.
std::string PickerGroupsText(const TSendGroups& groups, const TShipsLeft& shipsLeft);

// "Select Cargo Type" with "COL", "CAP" and "MAT", "COL" chosen first: the cargo chosen, or
// pcNone when the user cancels.
int32_t AskCargoType(UserInterface& ui);

// Every group to `planet`: "I g p"; or "L g cargo" and "S g p" for a group with cargo space when
// a cargo is given; else "S g p".
std::string OnePlanetOrders(const TSendGroups& groups, std::string_view planet,
                            const TSendOptions& options);

// The ships of the groups spread over `planets` in their order, one planet after the other for
// all groups together: each ship of a group but its last gets a planet of its own ("S g p 1"),
// and the rest of the group goes to the next planet ("S g p", which sends what is left). When
// the planets run out the lines end: a group that gets no planet gets no line at all, neither a
// send nor a load, and planets left over when the groups run out get nothing. A group with no
// ship left gets no line (a send without a count would send the ships other orders already
// took).
std::string SpreadOrders(const TSendGroups& groups, const std::vector<std::string>& planets,
                         const TSendOptions& options, const TShipsLeft& shipsLeft);

// The speed a group flies at when it is sent on its own as it stands: with the cargo it carries,
// outside its fleet (a group sent alone leaves its fleet); 0 or below for a group that cannot
// move.
double SendSpeed(const TGroup& group);
// Turns until the group, sent from its planet, stands at `planet` (TurnsToArrive: a distance
// that is a whole multiple of the speed arrives on that turn); "-" for a group that cannot move
// or stands nowhere.
std::string SendTurnsText(const GameState& state, const TGroup& group, const TPlanet& planet);

// "Advanced Send": the groups with ships left ("Available" counts what the result rows have not
// taken yet), the planets chosen in the picker, and the result rows, each a number of ships of
// one group for one planet. Add moves ships from a group row to planet rows, Delete gives them
// back; Orders writes the result rows as lines.
class TAdvancedSend {
 public:
  struct TGroupRow {
    int32_t Key = 0;
    TGroup* Group = nullptr;
    int32_t Available = 0;
  };
  struct TResultRow {
    int32_t Key = 0;
    TGroup* Group = nullptr;
    TPlanet* Planet = nullptr;
    int32_t Amount = 0;
    std::string Turns;  // from the group's planet, as SendTurnsText gives it
  };
  // What an Add did: how many result rows it made (one per planet row used, the first ones
  // given), and whether the group row went (its ships all taken).
  struct TAddOutcome {
    int Added = 0;
    bool GroupRemoved = false;
  };

  inline static constexpr int32_t kMinShipsPerPlanet = 1;
  inline static constexpr int32_t kMaxShipsPerPlanet = 100000;

  // A group row for each group whose ships left are above 0, in the order of `groups`; a planet
  // row for each of `planets`.
  TAdvancedSend(const GameState& state, TSendGroups groups, std::vector<TPlanet*> planets,
                TShipsLeft shipsLeft, bool intercept);

  const std::vector<TGroupRow>& GroupRows() const { return groupRows_; }
  const std::vector<TPlanet*>& PlanetRows() const { return planetRows_; }
  const std::vector<TResultRow>& ResultRows() const { return resultRows_; }
  bool Intercept() const { return intercept_; }

  // "Add": `perPlanet` ships (1 to 100,000; others add nothing) of group row `groupRow` to each
  // of the planet rows `planetRows` in the order given (the list's, from the top), while the
  // group has that many available. With `removePlanets` each planet row used goes. A group row
  // left with no ship goes.
  TAddOutcome Add(int groupRow, const std::vector<int>& planetRows, int32_t perPlanet,
                  bool removePlanets);
  // "Delete": the result rows go; their ships are available again, and their planet and group
  // rows come back (in their first order) when they had gone.
  void Delete(const std::vector<int>& resultRows);

  // The lines of the result rows, group by group in the order the groups were handed over: a row
  // sends its ships ("S g p n"), except the row that takes the last ships of a group, which
  // sends the rest ("S g p") and ends that group's lines. "I" lines when intercepting.
  std::string Orders() const;

 private:
  int GroupIndex(int32_t key) const;
  void RestoreGroupRow(int index, int32_t ships);
  void RestorePlanetRow(TPlanet* planet);

  const GameState& state_;
  TSendGroups groups_;
  std::vector<TPlanet*> planets_;
  TShipsLeft shipsLeft_;
  bool intercept_;
  std::vector<TGroupRow> groupRows_;
  std::vector<TPlanet*> planetRows_;
  std::vector<TResultRow> resultRows_;
};

}  // namespace tovix
