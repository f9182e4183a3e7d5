#include "windows/base/tool_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QSplitter>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "controls/zn_list_view.h"
#include "platform/latin1.h"
#include "windows/base/window_stacking.h"

namespace tovix {

namespace {

TScreenRect ToScreenRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// Until the window system has told a frame: room for the title bars and borders of the usual
// window managers; a little room lost is better than a title bar off the screen.
constexpr TFrameMargins kGuessedFrame{8, 36, 8, 8};

// The frame of a shown window, when the window system has told it.
bool KnownFrame(const QWidget& window, TFrameMargins& margins) {
  if (!window.isVisible() || window.isMinimized()) return false;
  const QRect f = window.frameGeometry();
  const QRect g = window.geometry();
  if (f == g) return false;
  margins = {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
             f.bottom() - g.bottom()};
  return true;
}

// The tool windows, dialogs and the main window: the top-level windows that have a frame.
bool IsFramedWindow(const QWidget& w) {
  const Qt::WindowType type = w.windowType();
  return w.isWindow() && (type == Qt::Window || type == Qt::Dialog);
}

}  // namespace

std::vector<TScreenRect> ScreenRects() {
  std::vector<TScreenRect> rects;
  if (QScreen* primary = QGuiApplication::primaryScreen())
    rects.push_back(ToScreenRect(primary->availableGeometry()));
  for (QScreen* s : QGuiApplication::screens())
    if (s != QGuiApplication::primaryScreen())
      rects.push_back(ToScreenRect(s->availableGeometry()));
  return rects;
}

TScreenRect NormalRectOf(const QWidget& window) {
  // While minimised or maximised the geometry is not the one to come back to.
  const bool special =
      window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
  QRect r = special ? window.normalGeometry() : window.geometry();
  if (r.isNull() || !r.isValid()) r = window.geometry();
  return ToScreenRect(r);
}

TWindowShowState ShowStateOf(const QWidget& window) {
  if (window.windowState() & Qt::WindowMinimized) return TWindowShowState::Minimized;
  if (window.windowState() & Qt::WindowMaximized) return TWindowShowState::Maximized;
  return TWindowShowState::Normal;
}

void SetWindowStateOf(QWidget& window, Qt::WindowStates state) {
  if (window.isVisible())
    window.setWindowState(state);
  else
    window.overrideWindowState(state);
}

void SetClientGeometry(QWidget& window, const TScreenRect& r) {
  window.setGeometry(r.Left, r.Top, r.Width(), r.Height());
  // A hidden window whose native window exists already (made early for its stay-on-top switch)
  // takes the geometry of the native window when shown: set both.
  if (QWindow* native = window.windowHandle(); native && !window.isVisible())
    native->setGeometry(r.Left, r.Top, r.Width(), r.Height());
}

namespace {

// The frame the window system told for `window`, else for another shown window.
bool ToldFrameOrSiblings(const QWidget& window, TFrameMargins& margins) {
  if (KnownFrame(window, margins)) return true;
  for (const QWidget* other : QApplication::topLevelWidgets())
    if (other != &window && IsFramedWindow(*other) && KnownFrame(*other, margins)) return true;
  return false;
}

}  // namespace

TFrameMargins FrameMarginsOf(const QWidget& window) {
  TFrameMargins margins;
  return ToldFrameOrSiblings(window, margins) ? margins : kGuessedFrame;
}

TPlacementScene PlacementSceneFor(const QWidget& window) {
  TPlacementScene scene;
  const QWidget* main = ShownMainWindow(&window);
  const QScreen* screen = main && main->screen() ? main->screen() : window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) scene.Area = ToScreenRect(screen->availableGeometry());
  for (const QWidget* w : QApplication::topLevelWidgets()) {
    if (w == &window || !IsFramedWindow(*w) || !w->isVisible() || w->isMinimized()) continue;
    const TScreenRect frame = FrameOf(ToScreenRect(w->geometry()), FrameMarginsOf(*w));
    (w == main ? scene.KeepClear : scene.OpenWindows).push_back(frame);
  }
  return scene;
}

TFrameMargins ToldFrameOf(const QWidget& window) {
  TFrameMargins margins;
  return KnownFrame(window, margins) ? margins : TFrameMargins{};
}

void KeepPlaceOnceFramed(QWidget& window, bool fixedSize) {
  if (!window.isVisible() ||
      window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
    return;
  // Qt may miss the frame extents a window manager sets early: the frame of another window then
  // stands in, never a guess; where no window has a frame told, there are none.
  TFrameMargins margins;
  if (!ToldFrameOrSiblings(window, margins)) margins = {};
  const std::vector<TScreenRect> screens = ScreenRects();
  const TScreenRect now = ToScreenRect(window.geometry());
  TScreenRect r = KeepFrameOnScreen(now, margins, screens, fixedSize);
  // A window stacked above the main window is not hidden by it.
  const QWidget* main = ShownMainWindow(&window);
  if (main && main->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
      !StacksAboveMainWindow(window)) {
    const TScreenRect mainFrame = FrameOf(ToScreenRect(main->geometry()), FrameMarginsOf(*main));
    r = KeepTitleBarClear(r, margins, {mainFrame}, screens, fixedSize);
  }
  if (r != now) SetClientGeometry(window, r);
}

namespace {

// Runs its task once, at the first exposure of the native window it watches.
class TExposeWatcher : public QObject {
 public:
  TExposeWatcher(QWindow* window, std::function<void()> then)
      : QObject(window), window_(window), then_(std::move(then)) {
    window_->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed() && then_) {
      window_->removeEventFilter(this);
      const std::function<void()> then = std::exchange(then_, nullptr);
      deleteLater();
      then();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWindow* window_;
  std::function<void()> then_;
};

}  // namespace

void WhenExposed(QWidget& window, std::function<void()> then) {
  if (QWindow* native = window.windowHandle()) new TExposeWatcher(native, std::move(then));
}

TScreenRect RoomBesideMainWindow(const QWidget& window) {
  return ClientOf(FirstPlacementRoom(PlacementSceneFor(window)), FrameMarginsOf(window));
}

void ApplyPlacementChange(QWidget& window, const TPlacementChange& change, bool fixedSize) {
  if (change.Normal) {
    // The frame the window system told, or none: a frame guessed larger than the real one
    // would move every window that touched a screen's edge by the difference.
    SetClientGeometry(
        window, KeepFrameOnScreen(*change.Normal, ToldFrameOf(window), ScreenRects(), fixedSize));
  }
  if (change.ShowState) {
    Qt::WindowStates st = window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (*change.ShowState == TWindowShowState::Minimized) st |= Qt::WindowMinimized;
    if (*change.ShowState == TWindowShowState::Maximized) st |= Qt::WindowMaximized;
    SetWindowStateOf(window, st);
  }
}

TToolWindow::TToolWindow(std::string stateName, int helpContext, TznSaveState& store,
                         QWidget* parent)
    : QWidget(parent, Qt::Window),
      stateName_(std::move(stateName)),
      helpContext_(helpContext),
      store_(store) {
  setWindowTitle(FromLatin1(stateName_));
  setProperty("HelpContext", helpContext_);
}

void TToolWindow::LoadState() {
  TWindowFacts facts;
  facts.IsMainWindow = IsMainWindow();
  facts.FixedSize = IsFixedSize();
  facts.Width = width();
  facts.Height = height();
  const TPlacementChange change = RestoreFormPlacement(store_, stateName_, facts, 0, ScreenRects());
  placementRestored_ = change.Normal.has_value();
  ApplyPlacementChange(*this, change, IsFixedSize());
  showOnStartup_ = store_.ReadBool(ShowOnStartupSection(), "ShowOnStartup", false);
  LoadOwnState();
}

void TToolWindow::SaveState() {
  // A window not shown in this run keeps the placement stored before (or none, so that its
  // first opening is placed by the rules): what it has now is no place the user chose.
  if (shownBefore_)
    SaveFormPlacement(store_, stateName_, ShowStateOf(*this), NormalRectOf(*this), 0);
  store_.WriteBool(ShowOnStartupSection(), "ShowOnStartup", isVisible());
  SaveOwnState();
}

namespace {

// What a list lacks to show its columns whole. A list on a hidden page of tabs has the width of
// the page that shows.
int MissingWidth(const TznListView& list, const QWidget& window) {
  const QWidget* shown = &list;
  while (shown != &window && !shown->isVisibleTo(&window)) shown = shown->parentWidget();
  return std::max(list.FittedWidth() - shown->width(), 0);
}

}  // namespace

void TToolWindow::SizeToShowLists(int mostWidth) {
  if (layout()) layout()->activate();  // the lists' widths as the window shows them
  // Each pane of a splitter grows by what its widest-lacking list misses; a list outside any
  // splitter widens the window itself.
  int extra = 0;
  std::vector<std::pair<QSplitter*, QList<int>>> panes;
  for (QSplitter* splitter : findChildren<QSplitter*>()) {
    if (splitter->orientation() != Qt::Horizontal) continue;
    QList<int> sizes = splitter->sizes();
    bool grown = false;
    for (int i = 0; i < splitter->count(); ++i) {
      int missing = 0;
      for (const TznListView* list : splitter->widget(i)->findChildren<TznListView*>())
        missing = std::max(missing, MissingWidth(*list, *this));
      if (const auto* list = qobject_cast<const TznListView*>(splitter->widget(i)))
        missing = std::max(missing, MissingWidth(*list, *this));
      sizes[i] += missing;
      extra += missing;
      grown = grown || missing > 0;
    }
    if (grown) panes.emplace_back(splitter, sizes);
  }
  for (const TznListView* list : findChildren<TznListView*>()) {
    bool inSplitter = false;
    for (const QWidget* w = list->parentWidget(); w && w != this; w = w->parentWidget())
      inSplitter = inSplitter || qobject_cast<const QSplitter*>(w) != nullptr;
    if (!inSplitter) extra = std::max(extra, MissingWidth(*list, *this));
  }
  if (extra <= 0) return;
  const int wanted = mostWidth > 0 ? std::min(width() + extra, mostWidth) : width() + extra;
  if (wanted > width()) resize(wanted, height());
  if (layout()) layout()->activate();
  for (auto& [splitter, sizes] : panes) splitter->setSizes(sizes);
}

void TToolWindow::PlaceFirstTime(QSize size) {
  // The layout's least size holds once the window shows: a place for less would hang over the
  // screen's edge by the difference.
  size = size.expandedTo(minimumSizeHint()).expandedTo(minimumSize());
  const TFrameMargins margins = FrameMarginsOf(*this);
  const TScreenRect r =
      FirstPlacement(size.width(), size.height(), margins, PlacementSceneFor(*this));
  SetClientGeometry(*this, r);
  // A native window made early takes the geometry through the window system's events: let them
  // arrive, so that the window is laid out at its place's size when it shows.
  if (this->size() != QSize(r.Width(), r.Height()))
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QSize TToolWindow::FirstRoom() const {
  const TFrameMargins margins = FrameMarginsOf(*this);
  const TScreenRect room = FirstPlacementRoom(PlacementSceneFor(*this));
  return {room.Width() - margins.Left - margins.Right,
          room.Height() - margins.Top - margins.Bottom};
}

void TToolWindow::setVisible(bool visible) {
  const bool first = visible && !shownBefore_;
  if (first) {
    shownBefore_ = true;
    // The lists filled first, so that they are sized by what they show.
    RefreshPending();
    // A window the settings or its caller placed stays there.
    placeFirstTime_ = !placementRestored_ && !testAttribute(Qt::WA_Moved);
    if (placeFirstTime_) {
      PlaceFirstTime(IsFixedSize() ? size() : FirstShowSize(FirstRoom()));
      // Nothing stored made it minimised while hidden; shown, it opens in its first place.
      SetWindowStateOf(*this, windowState() & ~Qt::WindowMinimized);
    }
  }
  // The native window takes the state now (SetWindowStateOf), placed by now.
  if (QWindow* native = windowHandle();
      visible && native && native->windowStates() != windowState())
    native->setWindowStates(windowState());
  QWidget::setVisible(visible);
}

void TToolWindow::FirstShown() {
  // Now every part has the size the window gives it.
  LayOutFirstShow();
  if (placeFirstTime_ && !IsFixedSize()) {
    const QSize before = size();
    SizeToShowLists(FirstRoom().width());
    if (size() != before) PlaceFirstTime(size());
  }
}

void TToolWindow::NoteGameChange(TGameChanges changes) {
  pending_ |= changes;
  if (isVisible()) RefreshPending();
}

void TToolWindow::RefreshPending() {
  const TGameChanges changes = std::exchange(pending_, gcNone);
  if (changes != gcNone) RefreshGame(changes);
}

void TToolWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Qt sends a hidden window a show event when it stops being minimised: the window shows only
  // with setVisible, placed by then.
  if (!isVisible()) return;
  // The window system tells the frame once it has framed the window: then the frame is checked
  // against the screens and the main window. (A frame larger than the one guessed at the first
  // placement may hang over the screen's edge until then.)
  if (!frameCheckPending_) {
    frameCheckPending_ = true;
    WhenExposed(*this, [this] {
      frameCheckPending_ = false;
      KeepPlaceOnceFramed(*this, IsFixedSize());
    });
  }
  RefreshPending();
  if (!firstShown_) {
    firstShown_ = true;
    FirstShown();
  }
}

void TToolWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

}  // namespace tovix
