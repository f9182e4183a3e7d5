#include "windows/base/game_events.h"

#include <algorithm>

#include "windows/base/tool_window.h"

namespace tovix {

void TGameEvents::Attach(TToolWindow& window) {
  if (std::find(windows_.begin(), windows_.end(), &window) == windows_.end())
    windows_.push_back(&window);
}

void TGameEvents::Detach(TToolWindow& window) {
  std::erase(windows_, &window);
}

bool TGameEvents::SelectPlanet(TPlanet* planet, const TToolWindow* source) {
  if (telling_ || state_.SelectedPlanet == planet) return false;
  state_.SelectedPlanet = planet;
  Tell(gcPlanetSelected, source);
  return true;
}

bool TGameEvents::SelectGroup(TGroup* group, const TToolWindow* source) {
  if (telling_ || selectedGroup_ == group) return false;
  selectedGroup_ = group;
  Tell(gcGroupSelected, source);
  return true;
}

void TGameEvents::Tell(TGameChanges changes, const TToolWindow* source) {
  struct Restore {
    bool& flag;
    bool value;
    ~Restore() { flag = value; }
  } restore{telling_, telling_};
  telling_ = true;
  // A copy: the list must not move under the loop.
  const std::vector<TToolWindow*> windows = windows_;
  for (TToolWindow* window : windows)
    if (window != source) window->NoteGameChange(changes);
}

}  // namespace tovix
