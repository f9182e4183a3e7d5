#pragma once
// The main window: a toolbar with one button per tool window, a status line for the hints of the
// whole program, the "Extra" menu, "Top Most", F6 and the help dispatcher. It is the program's
// frame: closing it ends the run.
//
// What callers rely on:
// - Its placement is kept under the state name "Tovix", whatever its title says.
// - The buttons reach their windows from the first show on (the windows are all made by then).
// - Closing it saves the extra planet information (ExtrInf.ini) and emits Closed(); the start-up
//   ends its event loop on that signal.

#include <QMainWindow>
#include <QPointer>
#include <QToolButton>
#include <string>
#include <vector>

#include "core/settings/save_state.h"

class QAction;
class QGridLayout;
class QMenu;

namespace tovix {

class TAppEvents;
class TCaptionStrip;
class TSystemMenu;
class TTopMostWindow;
class TWindowRegistry;

// What a toolbar press does to the button's window.
enum class TToolbarAction { RestoreAndShow, Show, Minimize, BringToFront };

// Minimised: back to normal (and shown when hidden); else hidden: shown; else a right press
// minimises and any other press brings it to the front.
TToolbarAction ToolbarAction(bool minimized, bool visible, Qt::MouseButton button);
// Applies ToolbarAction to `window`.
void PressToolbarWindow(QWidget& window, Qt::MouseButton button);

// One message for the windows whose state could not be read (`loading`) or saved; empty when
// there are none.
std::string FormStateFailureText(const std::vector<TFormStateFailure>& failures, bool loading);

// A toolbar button that reports presses of every mouse button, not only left clicks.
class TToolbarButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TToolbarButton(QWidget* parent = nullptr);

  // The window the button opens ("tag"); nullptr until the main window is first shown.
  QWidget* TargetWindow() const { return target_; }
  void SetTargetWindow(QWidget* window) { target_ = window; }

 signals:
  // A left click (also from the keyboard), or a right or middle press.
  void Pressed(Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QPointer<QWidget> target_;
};

class TfrmMain : public QMainWindow, public IFormState {
  Q_OBJECT

 public:
  // `windows` holds the program's windows; the main window is the first of them.
  explicit TfrmMain(TWindowRegistry& windows, QWidget* parent = nullptr);
  ~TfrmMain() override;

  std::string StateSectionName() const override { return std::string(kMainStateName); }
  // Placement only; the main window stays where its form puts it when nothing is stored.
  void LoadState() override;
  void SaveState() override;

  // ---- the commands (public so that the start-up and tests can reach them)
  // "&Save Status": notes and orders save their texts, every window its state, the store its
  // file. Failures are shown.
  void SaveStatus();
  // "&Minimize All": the tool windows of the first show's round.
  void MinimizeAll();
  // "Add &Tabs to All Reports", with the file being repaired in the title meanwhile.
  void AddTabsToAllReports();
  // F1 anywhere: opens the help page of `context`; false for a context that is not handled.
  bool DispatchHelp(int context);

  TToolbarButton* Button(const char* name) const;
  QMenu* ExtraMenu() const { return pmuExtra_; }
  // The menu the window menu of the caption strip mirrors ("Top Most").
  QMenu* SystemMenu() const { return pmuSystem_; }
  QAction* TopMostItem() const { return mniTopMost_; }
  TTopMostWindow* TopMost() const { return topMost_; }
  TSystemMenu* SystemMenuMirror() const { return systemMenu_; }
  TCaptionStrip* CaptionStrip() const { return captionStrip_; }

 signals:
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildForm();
  TToolbarButton* AddButton(const char* name, const char* caption, const char* hint, int row,
                            int column);
  // At the first show: each button gets its window, and the windows flagged "ShowOnStartup" are
  // shown, the orders window last; then the orders load the automatic orders.
  void FirstShow();
  // The windows of the first show's round (catalogue column StartPlace), in its order.
  std::vector<QWidget*> StartWindows() const;
  // "&Calculator": three significant digits; starts on the last result taken with OK.
  void ShowCalculator();
  void AnalyseOrders();
  void ShowFailures(const std::vector<TFormStateFailure>& failures);

  TWindowRegistry& windows_;
  bool shown_ = false;
  bool placedFirstTime_ = false;  // nothing was stored: LoadState put it in the corner
  QMenu* pmuExtra_;
  QMenu* pmuSystem_;
  QAction* mniTopMost_;
  QAction* actAnalyseOrders_;
  TTopMostWindow* topMost_;
  TSystemMenu* systemMenu_;
  TCaptionStrip* captionStrip_;
  QGridLayout* toolbar_;
  TAppEvents* appEvents_;
  std::vector<TToolbarButton*> buttons_;
  // The calculator's last result taken with OK: the next run starts on it.
  double calculatorValue_ = 0;
};

}  // namespace tovix
