#pragma once
// What "Select Planet(s)" and "Advanced Send" show: their columns, the cells of the advanced
// window's group, planet and result rows, and its three information pages on one planet (the
// planet's figures, the user's groups there and on their way there, the other races' groups
// there). The picker's planet rows are the planet information window's (views/planet_info.h).

#include <array>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "orders/order_analysis.h"
#include "orders/send_orders.h"

namespace tovix {

inline constexpr std::array<const char*, 3> kPickerColumns{"Name", "Dist.", "Owner"};
inline constexpr std::array<const char*, 7> kAdvancedGroupColumns{
    "Group", "Available", "Ship Type", "Eff Speed", "Attacks", "Eff Weapons", "Eff Shield"};
inline constexpr std::array<const char*, 7> kAdvancedPlanetColumns{
    "Name",          "Owner", "Turns", "My Ship Mass", "Friendly Ship Mass", "Enemy Ship Mass",
    "Sent Ship Mass"};
inline constexpr std::array<const char*, 5> kAdvancedResultColumns{"Group", "Ship Type", "Planet",
                                                                   "Amount", "Turns"};
inline constexpr std::array<const char*, 8> kMyGroupsColumns{
    "Ships", "Ship Type", "Speed", "Turns", "Attacks", "Eff Weapons", "Eff Shield", "Ship Mass"};
inline constexpr std::array<const char*, 8> kOtherGroupsColumns{
    "Owner", "Ships", "Ship Type", "Speed", "Attacks", "Eff Weapons", "Eff Shield", "Ship Mass"};

using TCells = std::vector<std::string>;

// A group row: number, ships available, design, speed ("%5.2f", as SendSpeed), attacks,
// effective weapons and shields ("%5.2f").
TCells AdvancedGroupCells(const TAdvancedSend::TGroupRow& row);
// A planet row: name, owner, `turns` from the chosen group ("-" before one is chosen), and the
// planet's own, friendly, enemy and sent ship masses ("%5.2f").
TCells AdvancedPlanetCells(const TPlanet& planet, const std::string& turns);
// A result row: group, design, planet, ships, turns.
TCells AdvancedResultCells(const TAdvancedSend::TResultRow& row);

// The "Planet" page: name, owner, size, resources, population, industry, "Prod:" (the effective
// industry), CAP, MAT, COL and "Max: Ship:" (the ship mass built per turn), "%04.2f", and the
// production; one "caption\tvalue" text per line.
std::vector<std::string> AdvancedPlanetLines(const GameState& state, const TPlanet& planet);
// The "My Groups" page: the user's groups standing at the planet in the last turn (Turns "-"),
// then every record of `analysis` bound for the planet with its ships, its speed and its turns as
// the analysis counts them; speeds and masses "%04.1f".
std::vector<TCells> MyGroupsAtPlanet(const GameState& state, const TPlanet& planet,
                                     const TOrderAnalysis& analysis);
// The "Other Groups" page: the other races' groups standing at the planet in the last turn.
std::vector<TCells> OtherGroupsAtPlanet(const GameState& state, const TPlanet& planet);

}  // namespace tovix
