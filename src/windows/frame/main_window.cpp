#include "windows/frame/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QGridLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/app_events.h"
#include "controls/caption_strip.h"
#include "controls/system_menu.h"
#include "controls/top_most_window.h"
#include "platform/help.h"
#include "platform/latin1.h"
#include "windows/base/modal_loop.h"
#include "windows/base/tool_window.h"
#include "windows/base/window_stacking.h"
#include "windows/frame/window_catalogue.h"
#include "windows/frame/window_registry.h"
#include "windows/texts/report_tabs.h"

namespace tovix {

namespace {

constexpr int kButtonsPerRow = 10;
// Section "Tovix": whether the main window stays above the others (on at first).
constexpr const char* kTopMostKey = "mniTopMost.Checked";

// The hourglass while the program is busy and takes no input.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// The catalogue's rows that have a place in `place`, in that order.
std::vector<const TWindowEntry*> RowsByPlace(int TWindowEntry::*place) {
  std::vector<const TWindowEntry*> rows;
  for (const TWindowEntry& e : WindowCatalogue())
    if (e.*place > 0) rows.push_back(&e);
  std::sort(rows.begin(), rows.end(), [place](const TWindowEntry* a, const TWindowEntry* b) {
    return a->*place < b->*place;
  });
  return rows;
}

// Shows a dialog or a tool window modally; returns when the user has closed it.
void ShowModal(QWidget& window) {
  if (auto* dialog = qobject_cast<QDialog*>(&window))
    dialog->exec();
  else
    RunModally(window);
}

}  // namespace

std::string FormStateFailureText(const std::vector<TFormStateFailure>& failures, bool loading) {
  std::string text;
  for (const TFormStateFailure& f : failures) {
    if (!text.empty()) text += "\r\r";
    text += "The window \"" + f.StateName + "\" could not " + (loading ? "read" : "save") +
            " its settings:\r" + f.Message;
  }
  return text;
}

TToolbarAction ToolbarAction(bool minimized, bool visible, Qt::MouseButton button) {
  if (minimized) return TToolbarAction::RestoreAndShow;
  if (!visible) return TToolbarAction::Show;
  return button == Qt::RightButton ? TToolbarAction::Minimize : TToolbarAction::BringToFront;
}

void PressToolbarWindow(QWidget& window, Qt::MouseButton button) {
  switch (ToolbarAction(window.isMinimized(), window.isVisible(), button)) {
    case TToolbarAction::RestoreAndShow:
      SetWindowStateOf(window, window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
      if (!window.isVisible()) window.show();
      break;
    case TToolbarAction::Show:
      window.show();
      window.raise();
      window.activateWindow();
      break;
    case TToolbarAction::Minimize:
      window.setWindowState(window.windowState() | Qt::WindowMinimized);
      break;
    case TToolbarAction::BringToFront:
      window.raise();
      window.activateWindow();
      break;
  }
}

TToolbarButton::TToolbarButton(QWidget* parent) : QToolButton(parent) {
  connect(this, &QToolButton::clicked, this, [this] { emit Pressed(Qt::LeftButton); });
}

void TToolbarButton::mousePressEvent(QMouseEvent* event) {
  // Qt clicks only with the left button; the others act as soon as they go down.
  if (event->button() == Qt::LeftButton) {
    QToolButton::mousePressEvent(event);
    return;
  }
  event->accept();
  emit Pressed(event->button());
}

TfrmMain::TfrmMain(TWindowRegistry& windows, QWidget* parent)
    : QMainWindow(parent), windows_(windows) {
  setObjectName("frmMain");
  setWindowTitle("Tovix");
  BuildForm();

  // Every dialog opens above this window, which stays on top at first.
  qApp->installEventFilter(new TDialogStacking(this));

  appEvents_ = new TAppEvents(this);
  appEvents_->OnHelp = [this](int, intptr_t context, bool&) {
    return DispatchHelp(static_cast<int>(context));
  };
  connect(appEvents_, &TAppEvents::OnHint, this,
          [this] { statusBar()->showMessage(Application().Hint); });
}

TfrmMain::~TfrmMain() = default;

TToolbarButton* TfrmMain::AddButton(const char* name, const char* caption, const char* hint,
                                    int row, int column) {
  auto* button = new TToolbarButton(centralWidget());
  button->setObjectName(name);
  button->setText(caption);
  if (*hint) {
    button->setToolTip(hint);
    button->setStatusTip(hint);
  }
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  toolbar_->addWidget(button, row, column);
  buttons_.push_back(button);
  return button;
}

void TfrmMain::BuildForm() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(0);
  setCentralWidget(central);
  captionStrip_ = new TCaptionStrip(central);
  captionStrip_->setObjectName("CaptionStrip");
  layout->addWidget(captionStrip_);
  toolbar_ = new QGridLayout;
  toolbar_->setSpacing(1);
  layout->addLayout(toolbar_);
  setStatusBar(new QStatusBar(this));
  statusBar()->setObjectName("StatusBar");

  int index = 0;
  for (const TWindowEntry* row : RowsByPlace(&TWindowEntry::ButtonPlace)) {
    TToolbarButton* button = AddButton(row->ButtonName, row->ButtonCaption, row->ButtonHint,
                                       index / kButtonsPerRow, index % kButtonsPerRow);
    ++index;
    if (row->Action == TButtonAction::Modal) {
      connect(button, &QToolButton::clicked, this, [button] {
        if (QWidget* window = button->TargetWindow()) ShowModal(*window);
      });
    } else {
      connect(button, &TToolbarButton::Pressed, this, [button](Qt::MouseButton mouse) {
        if (QWidget* window = button->TargetWindow()) PressToolbarWindow(*window, mouse);
      });
    }
  }
  AddButton("btnExtra", "Extra", "", index / kButtonsPerRow, index % kButtonsPerRow);

  pmuExtra_ = new QMenu(this);
  pmuExtra_->setObjectName("pmuExtra");
  QAction* mniAddTabs = pmuExtra_->addAction("Add &Tabs to All Reports");
  mniAddTabs->setObjectName("mniAddTabs");
  connect(mniAddTabs, &QAction::triggered, this, &TfrmMain::AddTabsToAllReports);
  QAction* mniCalculator = pmuExtra_->addAction("&Calculator");
  mniCalculator->setObjectName("mniCalculator");
  connect(mniCalculator, &QAction::triggered, this, &TfrmMain::ShowCalculator);
  pmuExtra_->addSeparator();
  QAction* mniMinimizeAll = pmuExtra_->addAction("&Minimize All");
  mniMinimizeAll->setObjectName("mniMinimizeAll");
  connect(mniMinimizeAll, &QAction::triggered, this, &TfrmMain::MinimizeAll);
  QAction* mniSaveStatus = pmuExtra_->addAction("&Save Status");
  mniSaveStatus->setObjectName("mniSaveStatus");
  connect(mniSaveStatus, &QAction::triggered, this, &TfrmMain::SaveStatus);
  TToolbarButton* extra = Button("btnExtra");
  extra->setMenu(pmuExtra_);
  extra->setPopupMode(QToolButton::InstantPopup);

  // A Linux window manager's system menu cannot be extended: "Top Most" sits in the window menu
  // of the caption strip instead.
  pmuSystem_ = new QMenu(this);
  pmuSystem_->setObjectName("pmuSystem");
  mniTopMost_ = pmuSystem_->addAction("Top Most");
  mniTopMost_->setObjectName("mniTopMost");
  mniTopMost_->setCheckable(true);
  topMost_ = new TTopMostWindow(this);
  connect(mniTopMost_, &QAction::toggled, topMost_, &TTopMostWindow::SetAlwaysOnTop);
  // On at first: the buttons stay in view above the windows they open.
  mniTopMost_->setChecked(true);
  systemMenu_ = new TSystemMenu(this);
  systemMenu_->SetSystemMenu(pmuSystem_);
  systemMenu_->AttachCaptionStrip(captionStrip_);

  // The window sees F6 before its controls do.
  actAnalyseOrders_ = new QAction(this);
  actAnalyseOrders_->setObjectName("actAnalyseOrders");
  actAnalyseOrders_->setShortcut(Qt::Key_F6);
  actAnalyseOrders_->setShortcutContext(Qt::WindowShortcut);
  connect(actAnalyseOrders_, &QAction::triggered, this, &TfrmMain::AnalyseOrders);
  addAction(actAnalyseOrders_);
}

TToolbarButton* TfrmMain::Button(const char* name) const {
  for (TToolbarButton* b : buttons_)
    if (b->objectName() == QLatin1String(name)) return b;
  return nullptr;
}

void TfrmMain::LoadState() {
  TznSaveState& store = windows_.Context().Store;
  TWindowFacts facts;
  facts.IsMainWindow = true;
  facts.Width = width();
  facts.Height = height();
  const TPlacementChange change =
      RestoreFormPlacement(store, kMainStateName, facts, 0, ScreenRects());
  if (change.Normal) {
    ApplyPlacementChange(*this, change);
  } else {
    // Never placed: its natural size in the top left corner, where the windows it opens leave
    // it in view.
    const QSize natural = testAttribute(Qt::WA_Resized) ? size() : sizeHint();
    SetClientGeometry(*this, FirstPlacement(natural.width(), natural.height(),
                                            FrameMarginsOf(*this), PlacementSceneFor(*this)));
    placedFirstTime_ = true;
  }
  mniTopMost_->setChecked(store.ReadBool(kMainStateName, kTopMostKey, true));
}

void TfrmMain::SaveState() {
  TznSaveState& store = windows_.Context().Store;
  SaveFormPlacement(store, kMainStateName, ShowStateOf(*this), NormalRectOf(*this), 0);
  store.WriteBool(kMainStateName, kTopMostKey, mniTopMost_->isChecked());
}

std::vector<QWidget*> TfrmMain::StartWindows() const {
  std::vector<QWidget*> windows;
  for (const TWindowEntry* row : RowsByPlace(&TWindowEntry::StartPlace))
    if (QWidget* window = windows_.Find(row->InstanceName)) windows.push_back(window);
  return windows;
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // The window system tells the frame once it has framed the window. Placed with a guessed
  // frame: in the corner again with the real one; restored: its whole frame on a screen.
  WhenExposed(*this, [this] {
    if (placedFirstTime_)
      SetClientGeometry(*this, FirstPlacement(width(), height(), FrameMarginsOf(*this),
                                              PlacementSceneFor(*this)));
    else
      KeepPlaceOnceFramed(*this);
  });
  FirstShow();
}

void TfrmMain::FirstShow() {
  BusyCursor busy;
  for (const TWindowEntry* row : RowsByPlace(&TWindowEntry::ButtonPlace))
    Button(row->ButtonName)->SetTargetWindow(windows_.Find(row->InstanceName));
  for (QWidget* window : StartWindows()) {
    auto* tool = qobject_cast<TToolWindow*>(window);
    if (!tool || !tool->ShowOnStartup()) continue;
    tool->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  // The orders come last in the round, and load the automatic orders whether shown or not.
  if (IOrderService* orders = windows_.Services().Orders) orders->LoadAutomaticOrders();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  const TWindowContext& c = windows_.Context();
  const TGameSettings& settings = c.State.Settings;
  if (settings.GameNumber >= 0) {
    try {
      c.State.ExtraInfo.SaveToIni((c.ProgramFolder / "ExtrInf.ini").string(),
                                  settings.GetGameSection());
    } catch (const std::exception& e) {
      c.Ui.ShowMessage(e.what());
    }
  }
  event->accept();
  emit Closed();
}

void TfrmMain::SaveStatus() {
  const TWindowContext& c = windows_.Context();
  const TServices& services = windows_.Services();
  if (services.Notes) services.Notes->SaveCurrentNotes();
  if (services.Orders)
    services.Orders->SaveOrders(
        (c.ProgramFolder / ("orders_" + c.State.Settings.GetGameSection())).string());
  ShowFailures(c.States.SaveAllFormStates());
  try {
    c.Store.UpdateFile();
  } catch (const std::exception& e) {
    c.Ui.ShowMessage(e.what());
  }
}

void TfrmMain::MinimizeAll() {
  for (QWidget* window : StartWindows())
    SetWindowStateOf(*window, window->windowState() | Qt::WindowMinimized);
}

void TfrmMain::AddTabsToAllReports() {
  const QString title = windowTitle();
  {
    BusyCursor busy;
    tovix::AddTabsToAllReports(
        windows_.Context().State.Settings, windows_.Context().Ui, [this](const std::string& text) {
          setWindowTitle(FromLatin1(text));
          QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
  }
  setWindowTitle(title);
}

bool TfrmMain::DispatchHelp(int context) {
  std::string expressionCaption;
  if (const QWidget* expressions = windows_.Find("frmSelectExpressions"))
    expressionCaption = ToLatin1(expressions->windowTitle());
  const std::string topic = HelpTopicFor(context, expressionCaption);
  if (topic.empty()) return false;
  OpenHelpTopic(topic, windows_.Context().Ui, windows_.Context().ProgramFolder);
  return true;
}

void TfrmMain::ShowCalculator() {
  ICalculatorService* calculator = windows_.Services().Calculator;
  if (calculator == nullptr) return;
  if (const std::optional<double> result = calculator->RunCalculator(calculatorValue_, 3))
    calculatorValue_ = *result;
}

void TfrmMain::AnalyseOrders() {
  if (IOrderService* orders = windows_.Services().Orders) orders->AnalyseOrders();
}

void TfrmMain::ShowFailures(const std::vector<TFormStateFailure>& failures) {
  if (!failures.empty())
    windows_.Context().Ui.ShowMessage(FormStateFailureText(failures, /*loading=*/false));
}

}  // namespace tovix
