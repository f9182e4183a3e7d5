#include "views/event_rows.h"

#include <algorithm>

#include "core/text/numbers.h"
#include "views/race_order.h"

namespace tovix {

namespace {

const std::string& PlanetName(const TPlanet* planet) {
  static const std::string none;
  return planet ? planet->Name : none;
}

const std::string& PlayerName(const TPlayer* player) {
  static const std::string none;
  return player ? player->Name : none;
}

}  // namespace

float GroupMassLost(const TGroup& group) {
  if (!group.ShipType) return 0;
  return group.ShipType->Mass() * static_cast<float>(group.Ships - group.BattleShips);
}

TBattleLosses BattleLosses(const TBattle& battle, const TPlayer* own) {
  TBattleLosses losses;
  for (const auto& group : battle.Groups) {
    (own && group->Owner == own ? losses.Mine : losses.Other) += GroupMassLost(*group);
  }
  return losses;
}

std::vector<TBattleRow> BattleRows(const GameState& state, bool lastTurnOnly) {
  std::vector<TBattleRow> rows;
  for (int i = 0; i < state.Battles.Count(); ++i) {
    TBattle* battle = state.Battles.Object(i);
    if (!battle || (lastTurnOnly && battle->Turn != state.LastTurn)) continue;
    const TBattleLosses losses = BattleLosses(*battle, state.MainPlayer);
    rows.push_back({battle,
                    {std::to_string(battle->Turn), PlanetName(battle->Planet),
                     Fmt("%.2f", losses.Mine), Fmt("%.2f", losses.Other)}});
  }
  return rows;
}

std::vector<std::string> BattleInfoLines(const GameState& state, const TBattle& battle) {
  std::vector<std::string> lines;
  for (const TPlayer* race : RacesByName(state)) {
    double start = 0, end = 0;
    bool any = false;
    for (const auto& g : battle.Groups) {
      if (g->Owner != race) continue;
      if (!any) lines.push_back(race->Name + " Groups");
      any = true;
      // A group whose design is not known shows "?" and weighs nothing.
      const TShipType* type = g->ShipType;
      lines.push_back(Fmt("  %.3d   %.3d   %20s   %3.2f   %3d   %3.2f   %3.2f", g->Ships,
                          g->BattleShips, type ? type->Name : std::string("?"), g->SpeedWithLoad(),
                          type ? type->Attacks : 0, g->EffectiveWeapons(), g->EffectiveShields()));
      const double mass = type ? type->Mass() : 0.0;
      start += mass * g->Ships;
      end += mass * g->BattleShips;
    }
    if (!any) continue;
    lines.push_back(Fmt("M: s: %4.1f e: %4.1f l: %4.1f", start, end, start - end));
    lines.emplace_back();
  }
  return lines;
}

std::vector<std::string> BattleOwnerNames(const TBattle& battle) {
  std::vector<std::string> names;
  for (const auto& g : battle.Groups) {
    if (g->Owner && std::find(names.begin(), names.end(), g->Owner->Name) == names.end())
      names.push_back(g->Owner->Name);
  }
  return names;
}

TBattleSides SplitBattleSides(const TBattle& battle, const std::set<std::string>& attackers) {
  TBattleSides sides;
  for (const auto& g : battle.Groups) {
    const bool attacks = g->Owner && attackers.count(g->Owner->Name) > 0;
    (attacks ? sides.Attackers : sides.Defenders).push_back(g.get());
  }
  return sides;
}

std::vector<TBombingRow> BombingRows(const GameState& state, bool lastTurnOnly) {
  std::vector<TBombingRow> rows;
  for (int i = 0; i < state.Bombings.Count(); ++i) {
    TBombing* b = state.Bombings.Object(i);
    if (!b || (lastTurnOnly && b->Turn != state.LastTurn)) continue;
    rows.push_back({b,
                    {std::to_string(b->Turn), PlayerName(b->Attacker), PlayerName(b->Defender),
                     PlanetName(b->Planet), Fmt("%5.2f", b->Population), Fmt("%5.2f", b->Industry),
                     CargoText(b->Producing), Fmt("%5.2f", b->Colonists), Fmt("%5.2f", b->Capital),
                     Fmt("%5.2f", b->Material)}});
  }
  return rows;
}

std::vector<TIncomingRow> IncomingRows(const GameState& state, bool lastTurnOnly) {
  std::vector<TIncomingRow> rows;
  for (const auto& g : state.IncomingGroups) {
    if (lastTurnOnly && g->Turn != state.LastTurn) continue;
    rows.push_back({g.get(),
                    {std::to_string(g->Turn), PlanetName(g->Origin), PlanetName(g->Destination),
                     Fmt("%5.2f", g->Distance), Fmt("%5.2f", g->Speed), Fmt("%5.2f", g->Mass)}});
  }
  return rows;
}

}  // namespace tovix
