#include "core/settings/save_state.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <utility>

namespace tovix {

// ---- store

TznSaveState::TznSaveState(std::string fileName)
    : ini_(std::move(fileName), TIniFile::TMode::InMemory) {}

int32_t TznSaveState::ReadInteger(std::string_view section, std::string_view key,
                                  int32_t def) const {
  return ini_.ReadInteger(section, key, def);
}

std::string TznSaveState::ReadString(std::string_view section, std::string_view key,
                                     std::string_view def) const {
  return ini_.ReadString(section, key, def);
}

bool TznSaveState::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ini_.ReadBool(section, key, def);
}

void TznSaveState::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  ini_.WriteInteger(section, key, value);
}

void TznSaveState::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  ini_.WriteString(section, key, value);
}

void TznSaveState::WriteBool(std::string_view section, std::string_view key, bool value) {
  ini_.WriteBool(section, key, value);
}

void TznSaveState::UpdateFile() {
  ini_.UpdateFile();
}

void TznSaveState::ForgetFile() {
  ini_ = TIniFile(std::string(), TIniFile::TMode::InMemory);
}

// ---- registry

void TFormStateRegistry::Register(IFormState& window) {
  if (std::find(windows_.begin(), windows_.end(), &window) == windows_.end())
    windows_.push_back(&window);
}

void TFormStateRegistry::Unregister(IFormState& window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
}

template <class Call>
std::vector<TFormStateFailure> TFormStateRegistry::ForEach(Call call) {
  std::vector<TFormStateFailure> failures;
  const std::vector<IFormState*> pass = windows_;  // windows may (un)register while we call
  for (IFormState* w : pass) {
    // One broken window must not cost the others their settings.
    try {
      call(*w);
    } catch (const std::exception& e) {
      failures.push_back({w->StateSectionName(), e.what()});
    } catch (...) {
      failures.push_back({w->StateSectionName(), "Unknown error"});
    }
  }
  return failures;
}

std::vector<TFormStateFailure> TFormStateRegistry::LoadAllFormStates() {
  return ForEach([](IFormState& w) { w.LoadState(); });
}

std::vector<TFormStateFailure> TFormStateRegistry::SaveAllFormStates() {
  return ForEach([](IFormState& w) { w.SaveState(); });
}

// ---- placement

namespace {

constexpr int32_t kNotStored = std::numeric_limits<int32_t>::min();

bool Overlaps(const TScreenRect& a, const TScreenRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Shifts r, keeping its size, so that as much of it as fits lies on the screen; a window larger
// than the screen gets its top-left corner (and so its title bar) on it.
TScreenRect MoveOnto(const TScreenRect& r, const TScreenRect& screen) {
  int32_t left = std::max(std::min(r.Left, screen.Right - r.Width()), screen.Left);
  int32_t top = std::max(std::min(r.Top, screen.Bottom - r.Height()), screen.Top);
  return {left, top, left + r.Width(), top + r.Height()};
}

}  // namespace

std::string PlacementSection(std::string_view stateName) {
  return std::string(stateName) + "_State";
}

TWindowShowState ShowStateFromShowCmd(int32_t showCmd) {
  switch (showCmd) {
    case 2:
    case 6:
      return TWindowShowState::Minimized;
    case 3:
      return TWindowShowState::Maximized;
    default:
      return TWindowShowState::Normal;
  }
}

int32_t ShowCmdFromShowState(TWindowShowState state) {
  switch (state) {
    case TWindowShowState::Minimized:
      return 2;
    case TWindowShowState::Maximized:
      return 3;
    case TWindowShowState::Normal:
      break;
  }
  return 1;
}

TPlacementRecord ReadPlacement(const TznSaveState& store, std::string_view stateName,
                               int32_t currentFlags) {
  const std::string s = PlacementSection(stateName);
  TPlacementRecord rec;
  // "Nothing stored" is the absence of a usable NormalLeft, not the value -1: a window whose
  // left edge sat one pixel off the screen would otherwise come back minimized.
  int32_t left = store.ReadInteger(s, "NormalLeft", kNotStored);
  rec.Stored = left != kNotStored;
  rec.ShowCmd = store.ReadInteger(s, "ShowCmd", 0);
  rec.Flags = store.ReadInteger(s, "flags", currentFlags);
  rec.Normal.Left = rec.Stored ? left : -1;
  rec.Normal.Top = store.ReadInteger(s, "NormalTop", -1);
  rec.Normal.Right = store.ReadInteger(s, "NormalRight", -1);
  rec.Normal.Bottom = store.ReadInteger(s, "NormalBottom", -1);
  return rec;
}

void WritePlacement(TznSaveState& store, std::string_view stateName, const TPlacementRecord& rec) {
  const std::string s = PlacementSection(stateName);
  store.WriteInteger(s, "ShowCmd", rec.ShowCmd);
  store.WriteInteger(s, "flags", rec.Flags);
  store.WriteInteger(s, "NormalLeft", rec.Normal.Left);
  store.WriteInteger(s, "NormalTop", rec.Normal.Top);
  store.WriteInteger(s, "NormalRight", rec.Normal.Right);
  store.WriteInteger(s, "NormalBottom", rec.Normal.Bottom);
}

TPlacementChange RestoreFormPlacement(const TPlacementRecord& rec, const TWindowFacts& window,
                                      const std::vector<TScreenRect>& screens) {
  TPlacementChange change;
  change.Flags = rec.Flags;
  if (!rec.Stored) {  // rule 1
    if (!window.IsMainWindow) change.ShowState = TWindowShowState::Minimized;
    return change;
  }
  TScreenRect r = rec.Normal;
  if (window.FixedSize) {  // rule 2
    r.Right = r.Left + window.Width;
    r.Bottom = r.Top + window.Height;
  }
  if (r.Right > r.Left) {  // rule 3
    bool visible =
        screens.empty() || std::any_of(screens.begin(), screens.end(),
                                       [&r](const TScreenRect& sc) { return Overlaps(r, sc); });
    change.Normal = visible ? r : MoveOnto(r, screens.front());  // rule 4
  }
  if (!window.IsMainWindow) change.ShowState = ShowStateFromShowCmd(rec.ShowCmd);  // rule 5
  return change;
}

TPlacementChange RestoreFormPlacement(const TznSaveState& store, std::string_view stateName,
                                      const TWindowFacts& window, int32_t currentFlags,
                                      const std::vector<TScreenRect>& screens) {
  return RestoreFormPlacement(ReadPlacement(store, stateName, currentFlags), window, screens);
}

void SaveFormPlacement(TznSaveState& store, std::string_view stateName, TWindowShowState state,
                       const TScreenRect& normal, int32_t flags) {
  TPlacementRecord rec;
  rec.Stored = true;
  rec.ShowCmd = ShowCmdFromShowState(state);
  rec.Flags = flags;
  rec.Normal = normal;
  WritePlacement(store, stateName, rec);
}

}  // namespace tovix
