#include "windows/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QVBoxLayout>

#include "controls/app_events.h"
#include "controls/caption_strip.h"
#include "controls/system_menu.h"
#include "controls/top_most_window.h"
#include "platform/help.h"
#include "windows/about_box.h"
#include "windows/config_dialog.h"
#include "windows/placeholder_windows.h"
#include "windows/report_tabs.h"
#include "windows/tool_window.h"
#include "windows/window_registry.h"

namespace tovix {

namespace {

constexpr int kHelpContext = 3;
constexpr int kButtonsPerRow = 10;

QString FromLatin1(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The hourglass while the program is busy and takes no input.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Ends a local event loop when its window is hidden; tool windows hide instead of closing.
class HideWatcher : public QObject {
 public:
  explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide) loop_.quit();
    return QObject::eventFilter(watched, event);
  }

 private:
  QEventLoop& loop_;
};

// Shows a tool window as a modal dialog; returns when the user has closed it.
void ShowModally(QWidget& window) {
  window.setWindowModality(Qt::ApplicationModal);
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
  if (!window.isVisible()) return;
  QEventLoop loop;
  HideWatcher watcher(loop);
  window.installEventFilter(&watcher);
  loop.exec(QEventLoop::DialogExec);
  window.removeEventFilter(&watcher);
  window.setWindowModality(Qt::NonModal);
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
      window.setWindowState(window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
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
  setProperty("HelpContext", kHelpContext);
  BuildForm();

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

  struct ButtonRow {
    const char* name;
    const char* caption;
    const char* hint;
  };
  static constexpr ButtonRow kButtons[] = {
      {"btnPlayers", "Players", "View players"},
      {"btnGraph", "Graph", "View Graphs of player information"},
      {"btnPlanets", "Planet Info", "View planets"},
      {"btnMap", "Map", "View Galaxy Map"},
      {"btnBombings", "Bombings", "View Bombings"},
      {"btnIncomingGroups", "Incoming Groups", "View Incoming groups"},
      {"btnShipDesign", "Ship Design", "Design a ship"},
      {"btnBattles", "Battles", "View Battles"},
      {"btnBatSim", "Bat Sim", "Do a battle simulation"},
      {"btnOrders", "Orders", "Create Orders"},
      {"btnTurnReports", "Turn Reports", "View the turn reports"},
      {"btnConfigIni", "Config Ini", "Configure the Tovix.ini file"},
      {"btnGroups", "Groups", "Show Groups that are currently on planets"},
      {"btnPlanetsList", "Planets List", ""},
      {"btnRoutes", "Routes", ""},
      {"btnNotes", "Notes", "Create Notes to remember things"},
      {"btnOverView", "Overview", "View players"},
      {"btnAbout", "About", "Some Information about the creator"},
      {"btnExtra", "Extra", ""},
  };
  int index = 0;
  for (const ButtonRow& b : kButtons) {
    TToolbarButton* button =
        AddButton(b.name, b.caption, b.hint, index / kButtonsPerRow, index % kButtonsPerRow);
    ++index;
    const std::string name = b.name;
    if (name == "btnOverView") {
      connect(button, &QToolButton::clicked, this, &TfrmMain::ShowOverView);
    } else if (name == "btnAbout") {
      connect(button, &QToolButton::clicked, this, &TfrmMain::ShowAbout);
    } else if (name != "btnExtra") {
      connect(button, &TToolbarButton::Pressed, this, [button](Qt::MouseButton mouse) {
        if (QWidget* window = button->TargetWindow()) PressToolbarWindow(*window, mouse);
      });
    }
  }

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
  TWindowFacts facts;
  facts.IsMainWindow = true;
  facts.Width = width();
  facts.Height = height();
  ApplyPlacementChange(*this, RestoreFormPlacement(windows_.Context().Store, kMainStateName, facts,
                                                   0, ScreenRects()));
}

void TfrmMain::SaveState() {
  SaveFormPlacement(windows_.Context().Store, kMainStateName, ShowStateOf(*this),
                    NormalRectOf(*this), 0);
}

std::vector<QWidget*> TfrmMain::ToolbarWindows() const {
  const TWindowRegistry& w = windows_;
  return {w.frmPlayers,        w.frmPlanets,     w.frmNewMap,          w.frmBattles,
          w.frmShipDesign,     w.frmGraph,       w.frmBattleSimulator, w.frmOrders,
          w.frmIncomingGroups, w.frmTurnReports, w.frmBombings,        w.frmConfigIni,
          w.frmGroups,         w.frmPlanetslist, w.frmRoutes,          w.frmEditor};
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FirstShow();
}

void TfrmMain::FirstShow() {
  BusyCursor busy;
  const TWindowRegistry& w = windows_;
  const std::pair<const char*, QWidget*> targets[] = {
      {"btnPlayers", w.frmPlayers},         {"btnGraph", w.frmGraph},
      {"btnPlanets", w.frmPlanets},         {"btnMap", w.frmNewMap},
      {"btnBombings", w.frmBombings},       {"btnIncomingGroups", w.frmIncomingGroups},
      {"btnShipDesign", w.frmShipDesign},   {"btnBattles", w.frmBattles},
      {"btnBatSim", w.frmBattleSimulator},  {"btnOrders", w.frmOrders},
      {"btnTurnReports", w.frmTurnReports}, {"btnConfigIni", w.frmConfigIni},
      {"btnGroups", w.frmGroups},           {"btnPlanetsList", w.frmPlanetslist},
      {"btnRoutes", w.frmRoutes},           {"btnNotes", w.frmEditor},
      {"btnOverView", w.frmOverView},       {"btnAbout", w.AboutBox},
  };
  for (const auto& [name, window] : targets) Button(name)->SetTargetWindow(window);

  TToolWindow* const atStart[] = {
      w.frmPlayers,   w.frmPlanets,         w.frmNewMap,         w.frmBattles,     w.frmShipDesign,
      w.frmGraph,     w.frmBattleSimulator, w.frmIncomingGroups, w.frmTurnReports, w.frmBombings,
      w.frmConfigIni, w.frmGroups,          w.frmPlanetslist,    w.frmRoutes,      w.frmEditor};
  for (TToolWindow* window : atStart) {
    if (!window || !window->ShowOnStartup()) continue;
    window->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  if (w.frmOrders) {
    if (w.frmOrders->ShowOnStartup()) w.frmOrders->show();
    w.frmOrders->LoadAutomaticOrders();
  }
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
  if (windows_.frmEditor) windows_.frmEditor->SaveCurrentNotes();
  if (windows_.frmOrders)
    windows_.frmOrders->SaveOrders(
        (c.ProgramFolder / ("orders_" + c.State.Settings.GetGameSection())).string());
  ShowFailures(c.States.SaveAllFormStates());
  try {
    c.Store.UpdateFile();
  } catch (const std::exception& e) {
    c.Ui.ShowMessage(e.what());
  }
}

void TfrmMain::MinimizeAll() {
  for (QWidget* window : ToolbarWindows())
    if (window) window->setWindowState(window->windowState() | Qt::WindowMinimized);
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
  if (windows_.frmSelectExpressions)
    expressionCaption = windows_.frmSelectExpressions->windowTitle().toLatin1().toStdString();
  const std::string topic = HelpTopicFor(context, expressionCaption);
  if (topic.empty()) return false;
  OpenHelpTopic(topic, windows_.Context().Ui, windows_.Context().ProgramFolder);
  return true;
}

void TfrmMain::ShowOverView() {
  if (windows_.frmOverView) ShowModally(*windows_.frmOverView);
}

void TfrmMain::ShowAbout() {
  if (windows_.AboutBox) windows_.AboutBox->exec();
}

void TfrmMain::ShowCalculator() {
  if (windows_.frmCalculate) ShowModally(*windows_.frmCalculate);
}

void TfrmMain::AnalyseOrders() {
  if (windows_.frmOrders) windows_.frmOrders->AnalyseOrders();
}

void TfrmMain::ShowFailures(const std::vector<TFormStateFailure>& failures) {
  if (!failures.empty())
    windows_.Context().Ui.ShowMessage(FormStateFailureText(failures, /*loading=*/false));
}

}  // namespace tovix
