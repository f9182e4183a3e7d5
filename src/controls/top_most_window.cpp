#include "controls/top_most_window.h"

#include <QWindow>

#include "core/base/errors.h"

namespace tovix {

TTopMostWindow::TTopMostWindow(QWidget* owner) : QObject(owner), form_(owner) {
  if (!owner || !owner->isWindow()) throw TovixError("Invalid class typecast");
}

void TTopMostWindow::SetAlwaysOnTop(bool value) {
  if (value == alwaysOnTop_) return;
  emit OnBeforeChange();
  alwaysOnTop_ = value;
  ApplyAlwaysOnTop();
  emit OnAfterChange();
}

void TTopMostWindow::ApplyAlwaysOnTop() {
  if (!form_) return;
  Qt::WindowFlags flags = form_->windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, alwaysOnTop_);
  // QWidget::setWindowFlags() would hide the window and re-create it; telling the existing
  // native window keeps its place, size and activation.
  form_->overrideWindowFlags(flags);
  if (QWindow* window = form_->windowHandle()) window->setFlags(flags);
}

}  // namespace tovix
