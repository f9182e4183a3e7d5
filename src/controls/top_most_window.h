#pragma once
// Keeps its owner window above all other windows, or not. The windows' "Top Most" menu command
// toggles its own check mark and copies it into AlwaysOnTop.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tovix {

class TTopMostWindow : public QObject {
  Q_OBJECT

 public:
  // The owner must be a window (a form). Anything else throws TovixError("Invalid class
  // typecast"), so a component placed on a child widget is caught at once.
  explicit TTopMostWindow(QWidget* owner);

  bool AlwaysOnTop() const { return alwaysOnTop_; }
  // A new value: OnBeforeChange, store, apply to the window, OnAfterChange. The same value does
  // nothing at all.
  void SetAlwaysOnTop(bool value);

 signals:
  void OnBeforeChange();
  void OnAfterChange();

 protected:
  // Moves the window into the stay-on-top band or out of it, without moving, resizing,
  // re-showing or activating it.
  virtual void ApplyAlwaysOnTop();

 private:
  // The owner form itself rather than its native window: Qt keeps the form when it re-creates
  // the native window, so the state follows the form.
  QPointer<QWidget> form_;
  bool alwaysOnTop_ = false;
};

}  // namespace tovix
