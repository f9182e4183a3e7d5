#pragma once
// The hourglass for the life of a scope (a long fill or an analysis).

#include <QCursor>
#include <QGuiApplication>

namespace tovix {

struct TWaitCursor {
  TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace tovix
