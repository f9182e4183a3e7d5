#include "windows/base/tool_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QSplitter>
#include <algorithm>
#include <utility>

#include "controls/zn_list_view.h"
#include "platform/latin1.h"

namespace tovix {

namespace {

TScreenRect ToScreenRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
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

void ApplyPlacementChange(QWidget& window, const TPlacementChange& change) {
  if (change.Normal) {
    const TScreenRect& r = *change.Normal;
    window.setGeometry(r.Left, r.Top, r.Width(), r.Height());
  }
  if (change.ShowState) {
    Qt::WindowStates st = window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (*change.ShowState == TWindowShowState::Minimized) st |= Qt::WindowMinimized;
    if (*change.ShowState == TWindowShowState::Maximized) st |= Qt::WindowMaximized;
    window.setWindowState(st);
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
  ApplyPlacementChange(*this, change);
  showOnStartup_ = store_.ReadBool(ShowOnStartupSection(), "ShowOnStartup", false);
  LoadOwnState();
}

void TToolWindow::SaveState() {
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

void TToolWindow::SizeToShowLists() {
  if (placementRestored_) return;
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
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect();
  // The window frame is not part of the width: leave room for it.
  const int most = area.isValid() ? area.width() - (frameGeometry().width() - width()) : 0;
  const int wanted = most > 0 ? std::min(width() + extra, most) : width() + extra;
  if (wanted > width()) resize(wanted, height());
  if (area.isValid() && frameGeometry().right() > area.right())
    move(std::max(area.left(), area.right() - frameGeometry().width() + 1), y());
  if (layout()) layout()->activate();
  for (auto& [splitter, sizes] : panes) splitter->setSizes(sizes);
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
  RefreshPending();
  if (!sizedToLists_) {
    sizedToLists_ = true;
    SizeToShowLists();
  }
}

void TToolWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

}  // namespace tovix
