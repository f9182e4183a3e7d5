#pragma once
// Application-wide events for windows, shared fairly among several TAppEvents: every instance
// gets its turn, newest first, and one whose Chained is false ends the turn there.
//
// Qt sources of the events:
//   OnActivate, OnDeactivate   the application becomes active or inactive
//   OnIdle                     the event loop is about to wait; Done = false keeps it from waiting
//   OnHelp                     F1 (context: the nearest "HelpContext" property of the focus widget
//                              or its parents, 0 when none) or ApplicationHelpContext()
//   OnHint                     Application().Hint changed: the status tip of the widget or menu
//                              item under the mouse
//   OnShowHint                 a tool tip is about to show; the text and position may be changed
//   OnMessage                  every event the application delivers, before its receiver
//   OnShortCut                 every key press, before the focus widget (QAction shortcuts have
//                              already been matched by Qt at that point)
//   OnException                ApplicationHandleException(), which the program's QApplication
//                              calls for an exception that escapes an event handler
//   OnMinimize, OnRestore      all shown windows minimised / one of them back from that
//   OnSettingsChanged          the application's palette, font or locale changed (system
//                              settings reach Qt programs that way)
//   OnActiveControlChange      the focus widget changed
//   OnActiveFormChange         the focus window changed
//
// The mirrored properties read and write the application's values directly. Where Qt has no
// such setting (hint pauses, ShowMainForm, ...) the value lives in Application() for the
// program's own code to read. Creating an instance brings the application to its defaults, so
// a window that owns one starts every run with the same settings.

#include <QColor>
#include <QEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

namespace tovix {

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// The help command OnHelp receives for a help context request.
constexpr int HELP_CONTEXT = 1;

// Application-wide values that Qt keeps nowhere.
struct TApplicationValues {
  QString Hint;  // the long hint of what is under the mouse
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  bool ShowHint = true;  // false: no tool tips while a TAppEvents exists
  bool HintShortCuts = true;
  bool ShowMainForm = true;
  bool UpdateFormatSettings = true;
  bool UpdateMetricSettings = true;
  // Qt lays out a whole window in one direction: only bdRightToLeft mirrors the layout.
  TBiDiMode BiDiMode = bdLeftToRight;
  QString BiDiKeyboard;
  QString NonBiDiKeyboard;
  bool MouseDragImmediate = true;
};
TApplicationValues& Application();

// What OnShowHint may change besides the text.
struct THintInfo {
  QWidget* HintControl = nullptr;
  QPoint HintPos;    // global position the tip is shown at
  QPoint CursorPos;  // global mouse position
};

// Hands an exception that escaped an event handler to OnException. When no handler at all
// takes it, it is shown in a message box titled with the application's name.
void ApplicationHandleException(QObject* sender, const std::exception& e);
// A help request by context number; returns the result of the last OnHelp handler called
// (false when none).
bool ApplicationHelpContext(int context);

class TAppEventList;

class TAppEvents : public QObject {
  Q_OBJECT

 public:
  explicit TAppEvents(QObject* owner = nullptr);
  ~TAppEvents() override;

  // Whether older instances get the events after this one.
  bool Chained() const { return chained_; }
  void SetChained(bool value) { chained_ = value; }

  QColor HintColor() const;
  void SetHintColor(const QColor& value);
  int HintPause() const { return Application().HintPause; }
  void SetHintPause(int value) { Application().HintPause = value; }
  int HintShortPause() const { return Application().HintShortPause; }
  void SetHintShortPause(int value) { Application().HintShortPause = value; }
  int HintHidePause() const { return Application().HintHidePause; }
  void SetHintHidePause(int value) { Application().HintHidePause = value; }
  bool ShowHint() const { return Application().ShowHint; }
  void SetShowHint(bool value);
  bool HintShortCuts() const { return Application().HintShortCuts; }
  void SetHintShortCuts(bool value) { Application().HintShortCuts = value; }
  bool ShowMainForm() const { return Application().ShowMainForm; }
  void SetShowMainForm(bool value) { Application().ShowMainForm = value; }
  bool UpdateFormatSettings() const { return Application().UpdateFormatSettings; }
  void SetUpdateFormatSettings(bool value) { Application().UpdateFormatSettings = value; }
  bool UpdateMetricSettings() const { return Application().UpdateMetricSettings; }
  void SetUpdateMetricSettings(bool value) { Application().UpdateMetricSettings = value; }
  TBiDiMode BiDiMode() const { return Application().BiDiMode; }
  void SetBiDiMode(TBiDiMode value);
  QString BiDiKeyboard() const { return Application().BiDiKeyboard; }
  void SetBiDiKeyboard(const QString& value) { Application().BiDiKeyboard = value; }
  QString NonBiDiKeyboard() const { return Application().NonBiDiKeyboard; }
  void SetNonBiDiKeyboard(const QString& value) { Application().NonBiDiKeyboard = value; }
  bool MouseDragImmediate() const { return Application().MouseDragImmediate; }
  void SetMouseDragImmediate(bool value) { Application().MouseDragImmediate = value; }
  int MouseDragThreshold() const;
  void SetMouseDragThreshold(int value);

  // Events that may change their arguments run synchronously through these hooks.
  std::function<void(bool& Done)> OnIdle;
  std::function<bool(int Command, intptr_t Data, bool& CallHelp)> OnHelp;
  std::function<void(QString& HintStr, bool& CanShow, THintInfo& HintInfo)> OnShowHint;
  std::function<void(QObject* Receiver, QEvent* Msg, bool& Handled)> OnMessage;
  std::function<void(QKeyEvent* Msg, bool& Handled)> OnShortCut;

 signals:
  void OnActivate();
  void OnDeactivate();
  // E lives only while the signal runs: connect directly.
  void OnException(QObject* Sender, const std::exception& E);
  void OnHint();
  void OnMinimize();
  void OnRestore();
  void OnSettingsChanged();
  void OnActiveControlChange();
  void OnActiveFormChange();

 private:
  friend class TAppEventList;
  template <typename Signal>
  bool Assigned(Signal signal) const {
    return isSignalConnected(QMetaMethod::fromSignal(signal));
  }

  bool chained_ = true;
};

// The one list behind all TAppEvents: made with the first instance, gone with the last. It
// holds the instances in creation order and feeds them the application's events.
class TAppEventList : public QObject {
  Q_OBJECT

 public:
  // nullptr while no TAppEvents exists.
  static TAppEventList* Instance() { return instance_; }
  const std::vector<TAppEvents*>& Items() const { return items_; }

  bool HandleException(QObject* sender, const std::exception& e);
  bool HelpContext(int context, bool& called);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TAppEvents;
  TAppEventList();
  ~TAppEventList() override;
  static void Add(TAppEvents* item);
  static void Remove(TAppEvents* item);

  // Calls `call` for each instance from the newest to the oldest, until one is not Chained or
  // `call` returns true (Handled).
  void Walk(const std::function<bool(TAppEvents*)>& call);
  template <typename Signal>
  void Notify(Signal signal);

  void Idle();
  void StateChanged(Qt::ApplicationState state);
  void WindowStateChanged();
  bool KeyPressed(QObject* receiver, QKeyEvent* key);
  // F1 held down: its repeated presses open no page of their own.
  void NoteF1Release(const QKeyEvent& key);
  bool IsHeldF1(const QKeyEvent& key) const;
  bool ToolTipRequested(QObject* receiver, QEvent* event);

  static TAppEventList* instance_;
  std::vector<TAppEvents*> items_;
  Qt::ApplicationState lastState_;
  bool allMinimized_ = false;
  // A key press that a child ignored goes on to its parents as the same event: it is dispatched
  // once, at its first receiver.
  const QEvent* lastKey_ = nullptr;
  QPointer<QObject> lastKeyReceiver_;
  // The time stamps (the window system's) of F1's last press, and of its last release that may
  // be half of a repeat (0: none).
  quint64 f1PressedAt_ = 0;
  quint64 f1ReleasedAt_ = 0;
};

}  // namespace tovix
