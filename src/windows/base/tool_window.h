#pragma once
// The base of every tool window: one instance for the whole run, closing only hides it, and its
// placement and "ShowOnStartup" live in the settings store under a fixed state name (the
// window's design caption), whatever its title says at the moment. Opened for the first time
// without a stored placement, a window grows so that its lists show every column whole, and
// opens where its whole frame is on the screen, clear of the main window and of the windows
// already open.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/settings/save_state.h"
#include "core/settings/window_placement.h"
#include "windows/base/game_events.h"

namespace tovix {

// The screens' rectangles, the primary first, for the placement rules.
std::vector<TScreenRect> ScreenRects();
// The window's normal (restored) rectangle and its state, as the placement rules store them.
TScreenRect NormalRectOf(const QWidget& window);
TWindowShowState ShowStateOf(const QWidget& window);
// Applies what the placement rules decided. A stored rectangle is taken as it is, moved only
// when the client itself is off the screens: the frame is not known before the window shows, and
// a guessed one would move a window that touched a screen's edge. KeepPlaceOnceFramed checks the
// frame once it is known.
void ApplyPlacementChange(QWidget& window, const TPlacementChange& change, bool fixedSize = false);

// Sets the window state. A hidden window's changes in the widget alone: Qt maps the native
// window of a minimised window as it stops being minimised (X11), shown or not, and the window
// manager would place it there before the window places itself. A tool window gives its native
// window the state as it shows.
void SetWindowStateOf(QWidget& window, Qt::WindowStates state);
// Sets the client rectangle of a top-level window, shown or not.
void SetClientGeometry(QWidget& window, const TScreenRect& r);
// The frame's widths around `window`: its own once the window system has told them, else those
// of another shown window, else a guess as large as the usual title bars and borders.
TFrameMargins FrameMarginsOf(const QWidget& window);
// The screen `window` opens on (the main window's), the main window to keep clear and the other
// shown windows, for a first placement.
TPlacementScene PlacementSceneFor(const QWidget& window);
// The frame's widths as the window system told them for the shown `window`; none (all 0) where it
// tells none (no window manager, the offscreen platform) or has not yet.
TFrameMargins ToldFrameOf(const QWidget& window);
// Once the frame is known: the whole frame on a screen, and its title bar not under the main
// window while that stays on top. The frame is the window's own as told, else another window's
// as told, else none: never a guess.
void KeepPlaceOnceFramed(QWidget& window, bool fixedSize = false);
// Calls `then` once, at the next time the native window of `window` is exposed; by then the
// window manager has framed it and told the frame. The window must have its native window.
void WhenExposed(QWidget& window, std::function<void()> then);
// The client rectangle that fills the room beside the shown main window (FirstPlacementRoom):
// where a large dialog neither covers the main window nor lies under it.
TScreenRect RoomBesideMainWindow(const QWidget& window);

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
  // Takes in now the changes a hidden window keeps for its next show.
  void RefreshPending();

  // The first size of a window opened without a stored placement, given the room its frame has
  // beside the main window (client pixels).
  virtual QSize FirstShowSize(const QSize& room) const { return size(); }
  // Runs once at the first show, once the layout has given every part its size, whether or not
  // a placement was stored: the place for pane widths.
  virtual void LayOutFirstShow() {}

  // Before the first show without a stored placement: the first size and the place.
  void setVisible(bool visible) override;
  void showEvent(QShowEvent* event) override;
  // Closing a tool window hides it; it lives until the program ends.
  void closeEvent(QCloseEvent* event) override;

 private:
  std::string stateName_;
  int helpContext_;
  TznSaveState& store_;
  // The room the window's client has beside the main window.
  QSize FirstRoom() const;
  void PlaceFirstTime(QSize size);
  void FirstShown();
  // At the first show without a stored placement: each list's pane (of a splitter) or the
  // window grows by what the list lacks to show its columns whole, as far as `mostWidth` allows.
  void SizeToShowLists(int mostWidth);

  bool showOnStartup_ = false;
  bool placementRestored_ = false;  // LoadState put the window where the user left it
  bool shownBefore_ = false;
  bool firstShown_ = false;
  bool placeFirstTime_ = false;     // the first show places the window
  bool frameCheckPending_ = false;  // waits for the frame, to check the place against it
  TGameChanges pending_ = gcNone;
};

}  // namespace tovix
