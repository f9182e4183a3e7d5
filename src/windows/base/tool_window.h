#pragma once
// The base of every tool window: one instance for the whole run, closing only hides it, and its
// placement and "ShowOnStartup" live in the settings store under a fixed state name (the
// window's design caption), whatever its title says at the moment. Opened for the first time
// without a stored placement, a window grows so that its lists show every column whole.

#include <QWidget>
#include <string>
#include <vector>

#include "core/settings/save_state.h"
#include "windows/base/game_events.h"

namespace tovix {

// The screens' rectangles, the primary first, for the placement rules.
std::vector<TScreenRect> ScreenRects();
// The window's normal (restored) rectangle and its state, as the placement rules store them.
TScreenRect NormalRectOf(const QWidget& window);
TWindowShowState ShowStateOf(const QWidget& window);
// Applies what the placement rules decided.
void ApplyPlacementChange(QWidget& window, const TPlacementChange& change);

class TToolWindow : public QWidget, public IFormState {
  Q_OBJECT

 public:
  // `stateName` is the design caption; it is also the first window title. `helpContext` is the
  // topic number F1 opens for this window (0 for the introduction).
  TToolWindow(std::string stateName, int helpContext, TznSaveState& store,
              QWidget* parent = nullptr);

  std::string StateSectionName() const override { return stateName_; }
  // Restores the placement and reads "ShowOnStartup" (default false), then the window's own keys.
  void LoadState() override;
  // Writes the placement and "ShowOnStartup" (whether the window is shown now), then the
  // window's own keys.
  void SaveState() override;

  bool ShowOnStartup() const { return showOnStartup_; }
  void SetShowOnStartup(bool on) { showOnStartup_ = on; }
  int HelpContext() const { return helpContext_; }
  TznSaveState& Store() const { return store_; }

  // The game events call this: a shown window refreshes at once, a hidden one at its next show.
  void NoteGameChange(TGameChanges changes);

 protected:
  // The window's own settings, after the common ones.
  virtual void LoadOwnState() {}
  virtual void SaveOwnState() {}
  // The section that holds "ShowOnStartup" (the map keeps it per game).
  virtual std::string ShowOnStartupSection() const { return stateName_; }
  virtual bool IsMainWindow() const { return false; }
  // A window whose border the user cannot resize keeps its own size when restored.
  virtual bool IsFixedSize() const { return false; }
  // The window's one refresh entry point: what changed in the game since it last showed it.
  virtual void RefreshGame(TGameChanges changes) {}

  void showEvent(QShowEvent* event) override;
  // Closing a tool window hides it; it lives until the program ends.
  void closeEvent(QCloseEvent* event) override;

 private:
  std::string stateName_;
  int helpContext_;
  TznSaveState& store_;
  void RefreshPending();
  // At the first show without a stored placement: each list's pane (of a splitter) or the
  // window grows by what the list lacks to show its columns whole, as far as the screen allows.
  void SizeToShowLists();

  bool showOnStartup_ = false;
  bool placementRestored_ = false;  // LoadState put the window where the user left it
  bool sizedToLists_ = false;
  TGameChanges pending_ = gcNone;
};

}  // namespace tovix
