#pragma once
// The wait window: shown while the reports are read, with "Working..." above a progress text and
// a running bar. The reading is done on the user interface thread, so the window keeps itself
// painted by letting the event loop run a little at each step; user input waits meanwhile, so
// nobody can act on a half-read model or close the window halfway.

#include <QString>
#include <QWidget>
#include <string>

class QLabel;
class QProgressBar;

namespace tovix {

class TfrmWait : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmWait(QWidget* parent = nullptr);

  // Shows `text` as the progress, repaints and lets timers and painting run (no user input).
  void SetCurrentWork(const std::string& text);
  // The window's title; nothing happens when it is already `caption`.
  void SetCaption(const QString& caption);

  QString CurrentWork() const;
  // Whether the bar runs: from showing to hiding.
  bool Animating() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // The window goes when the reading is done, not before.
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* lblWorking_;
  QLabel* lblCurrentWork_;
  QProgressBar* animation_;
};

}  // namespace tovix
