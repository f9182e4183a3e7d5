#include "windows/tool_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <utility>

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
  ApplyPlacementChange(*this, RestoreFormPlacement(store_, stateName_, facts, 0, ScreenRects()));
  showOnStartup_ = store_.ReadBool(ShowOnStartupSection(), "ShowOnStartup", false);
  LoadOwnState();
}

void TToolWindow::SaveState() {
  SaveFormPlacement(store_, stateName_, ShowStateOf(*this), NormalRectOf(*this), 0);
  store_.WriteBool(ShowOnStartupSection(), "ShowOnStartup", isVisible());
  SaveOwnState();
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
}

void TToolWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

}  // namespace tovix
