#pragma once
// The one place that tells the windows what happened to the game: the reports were read again,
// the selected planet or group changed, the orders were analysed, a window changed the routes.
// Every tool window is attached when it is made; a shown window refreshes at once, a hidden one
// at its next show (through its one entry point, TToolWindow::RefreshGame). Windows never poll.
//
// No ping-pong: the window that changes the selection is not told of its own change, selecting
// what is already selected tells nobody, and a window that changes the selection while it is
// being told of a change is refused. A refresh only shows; it never changes the game.

#include <vector>

#include "core/model/game_state.h"

namespace tovix {

class TGroup;
class TToolWindow;

// What changed, as flags a window may receive together (a hidden window collects them).
enum TGameChange : unsigned {
  gcNone = 0,
  gcGameRead = 1u << 0,
  gcPlanetSelected = 1u << 1,
  gcGroupSelected = 1u << 2,
  gcOrdersAnalysed = 1u << 3,
  gcRoutesChanged = 1u << 4,
};
using TGameChanges = unsigned;

class TGameEvents {
 public:
  explicit TGameEvents(GameState& state) : state_(state) {}
  TGameEvents(const TGameEvents&) = delete;
  TGameEvents& operator=(const TGameEvents&) = delete;

  void Attach(TToolWindow& window);
  void Detach(TToolWindow& window);

  // The reports were read (again).
  void GameRead() { Tell(gcGameRead, nullptr); }
  // The order text was analysed: columns and lists that show the orders' effect refresh.
  void OrdersAnalysed() { Tell(gcOrdersAnalysed, nullptr); }
  // A window changed the model's cargo routes itself (the map's route orders), whether or not
  // the orders are analysed after it.
  void RoutesChanged(const TToolWindow* source) { Tell(gcRoutesChanged, source); }

  // Makes `planet` the model's SelectedPlanet and tells every window but `source` (the window
  // the user chose it in; nullptr for none). False when refused (see above) or unchanged.
  bool SelectPlanet(TPlanet* planet, const TToolWindow* source);
  // The group chosen in a list window; the model keeps no group selection.
  bool SelectGroup(TGroup* group, const TToolWindow* source);
  TGroup* SelectedGroup() const { return selectedGroup_; }

 private:
  void Tell(TGameChanges changes, const TToolWindow* source);

  GameState& state_;
  std::vector<TToolWindow*> windows_;
  TGroup* selectedGroup_ = nullptr;
  bool telling_ = false;
};

}  // namespace tovix
