#pragma once
// The orders of the orders window's "To Do" pop-up for one cargo group of the plan: the planets
// each of its send items offers (sorted as the automatic cargo orders prefer them, each with the
// turns the trip takes), the lines an item writes, and when the items apply.

#include <string>
#include <vector>

#include "orders/auto_cargo.h"
#include "orders/development_plan.h"

namespace tovix {

// What a send item of the pop-up does with the group.
enum class TToDoSend {
  Send,     // to an own planet where COL or CAP waits next turn, empty
  LoadCol,  // loaded with COL to a planet that needs colonists
  LoadCap,  // loaded with CAP to a planet that needs industry
};

// The six send items in the pop-up's order: one ship, then the whole group.
struct TToDoItem {
  const char* Caption;
  const char* Hint;  // empty for none
  TToDoSend Kind;
  bool AllShips;
};
extern const TToDoItem kToDoItems[6];

// At most this many planets per item: 60 for sends and CAP, 40 for COL.
int ToDoTargetLimit(TToDoSend kind);

struct TToDoTarget {
  TPlanet* Planet = nullptr;
  // Turns of the trip: the planet's distance / (speed x 100), rounded; the speed is the
  // group's with full cargo for load items, empty for sends. -1 when the group cannot move.
  int Turns = -1;
};

// The planets an item of `kind` offers to `group`: the COL targets (with the COL fill, amount
// 0), the CAP targets (with the CAP fill, amount 0) or the own planets with COL or CAP next
// turn, sorted by the settings' sort keys, at most ToDoTargetLimit. Sets the planets' Distance
// keys.
std::vector<TToDoTarget> ToDoTargets(TDevelopmentPlanner& planner, const TDevGroup& group,
                                     const TAutoCargoSettings& settings, TToDoSend kind);

// The lines an item writes for `group` and `planet`: one ship "S g p" (with " 1" when the group
// has 2 or more ships) or the load-and-send lines for 1 ship; the whole group "S g p" or the
// load-and-send lines for all its ships.
std::string ToDoCommand(const TDevGroup& group, TToDoSend kind, bool allShips,
                        const TPlanet& planet);
// "G g".
std::string ToDoUpgradeCommand(const TDevGroup& group);

// The items apply to a To Do row; on the Loaded \ Sent list only to a transport the planner
// planned (not one of the orders) whose group is not upgraded.
bool ToDoItemsApply(const TDevGroup& group, bool loadedSentList);

}  // namespace tovix
