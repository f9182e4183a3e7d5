#include "orders/todo_orders.h"

#include <algorithm>
#include <string>

#include "core/model/planet_ordering.h"
#include "core/text/numbers.h"
#include "orders/order_commands.h"

namespace tovix {

const TToDoItem kToDoItems[6] = {
    {"&Send to", "Send 1 ship from this group", TToDoSend::Send, false},
    {"&Load COL && Send to", "", TToDoSend::LoadCol, false},
    {"Load &CAP && Send to", "", TToDoSend::LoadCap, false},
    {"Send &All to", "Send complete group", TToDoSend::Send, true},
    {"Load All C&OL && Send to", "", TToDoSend::LoadCol, true},
    {"Load All CA&P && Send to", "", TToDoSend::LoadCap, true},
};

int ToDoTargetLimit(TToDoSend kind) {
  return kind == TToDoSend::LoadCol ? 40 : 60;
}

std::vector<TToDoTarget> ToDoTargets(TDevelopmentPlanner& planner, const TDevGroup& group,
                                     const TAutoCargoSettings& settings, TToDoSend kind) {
  GameState& state = planner.State();
  std::vector<TToDoTarget> targets;
  if (!group.Group) return targets;
  const TGroup& g = *group.Group;
  switch (kind) {
    case TToDoSend::LoadCol:
      SetPlanetDistanceKeys(state, g, static_cast<float>(settings.ColFill), 0);
      break;
    case TToDoSend::LoadCap:
      SetIndustryPlanetDistanceKeys(state, g, static_cast<float>(settings.CapFill), 0);
      break;
    case TToDoSend::Send:
      SetDevelopPlanetDistanceKeys(state, g);
      break;
  }
  std::vector<TPlanet*> planets;
  for (auto [key, planet] : state.Planets) {
    if (planet && planet->Distance >= 1) planets.push_back(planet);
  }
  SortPlanets(planets, settings.SortCodes());
  const double speed = kind == TToDoSend::Send ? g.Speed() : g.SpeedFullLoad();
  const size_t limit = static_cast<size_t>(ToDoTargetLimit(kind));
  for (TPlanet* planet : planets) {
    if (targets.size() >= limit) break;
    const int turns = speed > 0 ? RoundToInt(planet->Distance / (speed * 100)) : -1;
    targets.push_back({planet, turns});
  }
  return targets;
}

std::string ToDoCommand(const TDevGroup& group, TToDoSend kind, bool allShips,
                        const TPlanet& planet) {
  const std::string number = std::to_string(group.Number);
  if (kind == TToDoSend::Send) {
    return SendCommand(number, planet.Name, !allShips && group.Ships >= 2 ? 1 : 0);
  }
  const int32_t cargo = kind == TToDoSend::LoadCol ? pcCol : pcCap;
  return BuildCargoCommands(number, planet.Name, allShips ? group.Ships : 1, group.Ships, cargo);
}

std::string ToDoUpgradeCommand(const TDevGroup& group) {
  return UpgradeCommands({std::to_string(group.Number)});
}

bool ToDoItemsApply(const TDevGroup& group, bool loadedSentList) {
  if (!loadedSentList) return true;
  return group.State == TDevState::Planned && !group.Upgraded;
}

}  // namespace tovix
