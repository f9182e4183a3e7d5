// The orders window's menus and pop-ups and the commands behind them.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QUrl>
#include <algorithm>

#include "controls/menu_columns.h"
#include "controls/zn_list_view.h"
#include "core/settings/game_settings.h"
#include "core/text/numbers.h"
#include "editors/text_editor.h"
#include "editors/unsavable_chars.h"
#include "orders/galaxy_bot.h"
#include "orders/order_commands.h"
#include "orders/order_edits.h"
#include "orders/todo_orders.h"
#include "platform/latin1.h"
#include "platform/shell.h"
#include "views/planet_list_rows.h"
#include "windows/base/modal_loop.h"
#include "windows/base/wait_cursor.h"
#include "windows/base/window_directory.h"
#include "windows/dialogs/list_export_dialog.h"
#include "windows/orders/orders_window.h"

namespace tovix {

namespace fs = std::filesystem;

namespace {

// A new column of the To Do pop-up's planet lists after every this many planets.
constexpr int kPlanetsPerColumn = 20;
// "Default Use Turns" offers the designer's first turns.
constexpr int kStandardShipMenuTurns = 5;

QAction* AddHinted(QMenu* menu, const QString& caption, const QString& hint) {
  QAction* action = menu->addAction(caption);
  action->setStatusTip(hint);
  action->setToolTip(hint);
  return action;
}

// Every action of a menu and of its sub-menus.
void CollectActions(QMenu* menu, QList<QAction*>& actions) {
  for (QAction* action : menu->actions()) {
    if (action->menu())
      CollectActions(action->menu(), actions);
    else if (!action->isSeparator())
      actions.push_back(action);
  }
}

}  // namespace

void TfrmOrders::BuildMenus(QMenuBar* bar) {
  QMenu* view = bar->addMenu("View");
  mniStayOnTop_ = view->addAction("Stay on &Top");
  mniStayOnTop_->setCheckable(true);
  connect(mniStayOnTop_, &QAction::toggled, this, [this](bool on) {
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) showNormal();
    // Off: the main window stays on top instead, through its own "Top Most", and comes up.
    if (on) return;
    if (QWidget* main = windows_.MainWindow()) {
      if (auto* topMost = main->findChild<QAction*>("mniTopMost")) topMost->setChecked(true);
      if (main->isMinimized()) main->showNormal();
      main->raise();
    }
  });
  connect(view->addAction("&Hide"), &QAction::triggered, this, [this] { showMinimized(); });

  QMenu* mail = bar->addMenu("Mail Settings");
  connect(mail->addAction("Galaxy Server &Adress"), &QAction::triggered, this, [this] {
    if (auto text = AskText("Galaxy Server adress", "Enter Galaxy Server adress", serverAddress_,
                            {TCodePage::Latin1, "The server address", "the settings"}))
      serverAddress_ = *text;
  });
  connect(mail->addAction("&Subject"), &QAction::triggered, this, [this] {
    if (auto text = AskText("Order subject", "Enter subject line of order", subject_,
                            {TCodePage::Latin1, "The subject", "the settings"}))
      subject_ = *text;
  });
  mniPlaceInOutbox_ = mail->addAction("Place in &Outbox");
  mniPlaceInOutbox_->setCheckable(true);
  mail->addSeparator();
  connect(mail->addAction("Mail &Program and Server..."), &QAction::triggered, this,
          [this] { EditMailSettings(); });

  QMenu* options = bar->addMenu("Options");
  const char* autoNames[4] = {"Auto Insert &Group Commands", "Auto Insert &Planet Commands",
                              "Auto Insert &Other Commands", "Auto Insert &Route Commands"};
  bool* autoFlags[4] = {&service_.Options.Group, &service_.Options.Planet, &service_.Options.Other,
                        &service_.Options.Route};
  for (int i = 0; i < 4; ++i) {
    mniAuto_[i] = options->addAction(autoNames[i]);
    mniAuto_[i]->setCheckable(true);
    mniAuto_[i]->setChecked(*autoFlags[i]);
    bool* flag = autoFlags[i];
    connect(mniAuto_[i], &QAction::toggled, this, [flag](bool on) { *flag = on; });
  }
  mniUseRoutes_ = options->addAction("Use Routes For Development");
  mniUseRoutes_->setCheckable(true);
  connect(mniUseRoutes_, &QAction::toggled, this, [this](bool on) {
    service_.UseRoutesForDevelopment = on;
    // The lists show the plan with the routes as soon as the orders are analysed.
    if (analysed_) AnalyseOrders();
  });
  options->addSeparator();
  mniExport_ = options->addAction("&Export");
  connect(mniExport_, &QAction::triggered, this, [this] { ExportFocusedList(); });
  // Enabled only while one of the lists has the focus; that list is the one exported. The menu
  // bar takes the focus itself when it is opened with the keyboard, so the list that had it
  // last counts.
  focusConnection_ =
      connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == menuBar_ || qobject_cast<QMenu*>(now)) return;
        focusList_ = nullptr;
        for (TznListView* list : lists_)
          if (now == list) focusList_ = list;
      });
  connect(options, &QMenu::aboutToShow, this, [this] {
    exportList_ = focusList_;
    mniExport_->setEnabled(exportList_ != nullptr);
  });

  QMenu* firstTurn = bar->addMenu("First Turn");
  connect(AddHinted(firstTurn, "&Setup orders", "Create a frame work for the commando's"),
          &QAction::triggered, this, [this] { ShowRegistryWindow("frmSetupOrders", false); });

  QMenu* newTurn = bar->addMenu("New Turn");
  const std::pair<const char*, TOrderSection> clears[4] = {
      {"&Delete Auto Insert Group Commands", TOrderSection::Group},
      {"Delete Auto Insert &Planet Commands", TOrderSection::Planet},
      {"Delete Auto Insert &Other Commands", TOrderSection::Other},
      {"Delete Auto Insert &Route Commands", TOrderSection::Route}};
  for (const auto& [caption, section] : clears) {
    const TOrderSection s = section;
    connect(newTurn->addAction(caption), &QAction::triggered, this,
            [this, s] { ClearSectionAndAnalyse(s); });
  }
  newTurn->addSeparator();
  mniInsertFindCommands_ = newTurn->addAction("&Insert Find Commands");
  connect(mniInsertFindCommands_, &QAction::triggered, this,
          [this] { InsertFindCommands(lines_, state_); });
  connect(newTurn->addAction("Delete Known &Shiptypes From Orders"), &QAction::triggered, this,
          [this] { DeleteKnownShipTypes(lines_, state_); });
  connect(newTurn->addAction("Decrement Turn &Counter"), &QAction::triggered, this,
          [this] { DecrementTurnCounters(lines_); });
  connect(newTurn->addAction("&All Above"), &QAction::triggered, this,
          [this] { service_.AllAbove(); });

  QMenu* create = bar->addMenu("Create Orders");
  connect(create->addAction("Automatic &Load and Send Cargo"), &QAction::triggered, this,
          [this] { AutomaticLoadAndSendCargo(); });
  connect(create->addAction("Automatic &Send Empty Ships"), &QAction::triggered, this,
          [this] { AutomaticSendEmptyShips(); });
  create->addSeparator();
  connect(create->addAction("Settings..."), &QAction::triggered, this,
          [this] { ShowRegistryWindow("frmAutoCargoSettings", true); });

  QMenu* bot = bar->addMenu("GalaxyBot");
  mniBotRun_ = bot->addAction("Run");
  mniBotSettings_ = bot->addAction("Settings");
  connect(mniBotRun_, &QAction::triggered, this, [this] { RunGalaxyBot(); });
  connect(mniBotSettings_, &QAction::triggered, this, [this] {
    const fs::path file = BotOptionsFile(programFolder_, GameSectionKey());
    OpenInDesktop(QUrl::fromLocalFile(QString::fromStdString(file.string())), ui_);
  });
  // Greyed while the program or its options file is not in the program folder: the user puts
  // them there, so they are looked for each time the menu opens.
  const auto present = [this] {
    std::error_code ec;
    mniBotRun_->setEnabled(!GalaxyBotProgram(programFolder_).empty());
    mniBotSettings_->setEnabled(fs::exists(BotOptionsFile(programFolder_, GameSectionKey()), ec));
  };
  present();
  connect(bot, &QMenu::aboutToShow, this, present);
}

void TfrmOrders::BuildEditorPopup() {
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu1");
  QAction* cut = popup_->addAction("C&ut", this, [this] { memo_->CutToClipboard(); });
  cut->setShortcut(QKeySequence("Ctrl+X"));
  QAction* copy = popup_->addAction("&Copy", this, [this] { memo_->CopyToClipboard(); });
  copy->setShortcut(QKeySequence("Ctrl+C"));
  QAction* paste = popup_->addAction("&Paste", this, [this] { memo_->PasteFromClipboard(); });
  paste->setShortcut(QKeySequence("Ctrl+V"));
  connect(popup_, &QMenu::aboutToShow, this, [this, cut, copy, paste] {
    cut->setEnabled(memo_->SelAvail());
    copy->setEnabled(memo_->SelAvail());
    const QClipboard* clipboard = QGuiApplication::clipboard();
    paste->setEnabled(clipboard && !clipboard->text().isEmpty());
  });
  QMenu* search = popup_->addMenu("Search And View");
  search->addAction("&View Planet in Map", QKeySequence("Ctrl+S"), this, [this] {
    if (const TOrderAnalysis* a = LastAnalysis())
      ShowPlanet(a->PlanetOfCaretLine(lines_.Line(memo_->CaretY() - 1)));
  });
  search->addAction("&Find Planet in Orders", QKeySequence("Ctrl+F"), this,
                    [this] { AskFindPlanet(); });
  search->addAction("Find &Next Planet in Orders", QKeySequence("Ctrl+N"), this,
                    [this] { FindNextPlanet(); });
  search->addAction("Find &Group in Orders", QKeySequence("Ctrl+G"), this,
                    [this] { AskFindGroup(); });
  search->addAction("Find Next Group in Orders", QKeySequence("Ctrl+M"), this,
                    [this] { FindNextGroup(); });
  popup_->addAction("Mail orders", this, [this] { MailOrders(); })
      ->setStatusTip("When the mail settings are set, and orders produced, use this to send them");
  QMenu* save = popup_->addMenu("Save Orders");
  save->addAction("Normal (CR/LF)", this, [this] { SaveOrdersDialog(TOrderLineEnds::CrLf); });
  save->addAction("Save orders (CR only)", this,
                  [this] { SaveOrdersDialog(TOrderLineEnds::CrOnly); });
  save->addAction("Save orders (LF only)", this,
                  [this] { SaveOrdersDialog(TOrderLineEnds::LfOnly); });
  QAction* load = popup_->addAction("Load orders", this, [this] { LoadOrdersDialog(); });
  load->setStatusTip("Load from text file");
  load->setToolTip("Load from text file");
  mnuCreateOrder_ = popup_->addMenu("&Create Order");
  mnuCreateOrder_->addAction("Change &Race Name", QKeySequence("Ctrl+R"), this,
                             [this] { ChangeRaceName(); });
  mnuCreateOrder_->addAction("&Quit Game", QKeySequence("Ctrl+Q"), this, [this] { QuitGame(); });
  mnuCreateOrder_->addAction("Change &email adress", QKeySequence("Ctrl+E"), this, [this] {
    AskAndInsert("Enter new email adress", "The e-mail address", "Z");
  });
  mniChangePassword_ = mnuCreateOrder_->addAction(
      "Change Password", this, [this] { AskAndInsert("Enter new password", "The password", "Y"); });
  mnuCreateOrder_->addAction("Replace &Production Type...", QKeySequence("Ctrl+P"), this,
                             [this] { ReplaceProductionType(); });
  mnuCreateOrder_->addAction("Replace Pr&oduction Type To Standard Ship", QKeySequence("Ctrl+O"),
                             this, [this] { ReplaceProductionByStandardShips(); });
  popup_->addSeparator();
  BuildStandardShipItems();

  // The pop-up's keys work while the editor has the focus: the editor claims no Ctrl key, so
  // Ctrl+N finds the next planet there instead of inserting a line.
  QList<QAction*> actions;
  CollectActions(popup_, actions);
  for (QAction* action : actions) {
    if (action->shortcut().isEmpty()) continue;
    action->setShortcutContext(Qt::WidgetShortcut);
    memo_->addAction(action);
  }
  memo_->SetPopupMenu(popup_);
}

void TfrmOrders::BuildStandardShipItems() {
  // The standard ship's schemes as the standard-ship window lists them; the designer holds the
  // choice, so each list shows it afresh when it opens.
  const char* captions[kStdShipOptionCount] = {"Default Speed", "Default Weapons",
                                               "Default Shields"};
  std::vector<QAction*> designItems;
  for (TStdShipOption option : kStdShipOptions) {
    QMenu* menu = popup_->addMenu(captions[static_cast<int>(option)]);
    auto* group = new QActionGroup(menu);
    const std::vector<std::string>& items = StdShipOptionItems(option);
    for (size_t i = 0; i < items.size(); ++i) {
      QAction* item = menu->addAction(FromLatin1(items[i]));
      item->setCheckable(true);
      group->addAction(item);
      const int index = static_cast<int>(i);
      connect(item, &QAction::triggered, this, [this, option, index] {
        if (IShipDesignService* design = ShipDesign()) design->SetStdShipOption(option, index);
      });
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu, option] {
      const IShipDesignService* design = ShipDesign();
      const int chosen = design ? design->StdShipOption(option) : -1;
      const QList<QAction*> actions = menu->actions();
      for (int i = 0; i < actions.size(); ++i) actions[i]->setChecked(i == chosen);
    });
    designItems.push_back(menu->menuAction());
  }
  QMenu* turns = popup_->addMenu("Default Use Turns");
  auto* turnsGroup = new QActionGroup(turns);
  for (int n = 1; n <= kStandardShipMenuTurns; ++n) {
    QAction* item = turns->addAction(QString::number(n));
    item->setCheckable(true);
    turnsGroup->addAction(item);
    connect(item, &QAction::triggered, this, [this, n] {
      if (IShipDesignService* design = ShipDesign()) design->SetTurns(n);
    });
  }
  connect(turns, &QMenu::aboutToShow, this, [this, turns] {
    const IShipDesignService* design = ShipDesign();
    const int chosen = design ? design->Turns() : 0;
    const QList<QAction*> actions = turns->actions();
    for (int i = 0; i < actions.size(); ++i) actions[i]->setChecked(i + 1 == chosen);
  });
  designItems.push_back(turns->menuAction());
  QAction* useOneCargo = popup_->addAction("Use 1 Cargo");
  useOneCargo->setCheckable(true);
  connect(useOneCargo, &QAction::triggered, this, [this](bool on) {
    if (IShipDesignService* design = ShipDesign()) design->SetUseOneCargo(on);
  });
  designItems.push_back(useOneCargo);
  mniStandardShipTypes_ = popup_->addAction("Standard Shiptypes...", this, [this] {
    if (IShipDesignService* design = ShipDesign()) design->ShowStandardShips();
  });
  designItems.push_back(mniStandardShipTypes_);
  designItems.push_back(popup_->addAction("Develop Standard Shiptype on this Planet",
                                          QKeySequence("Ctrl+D"), this,
                                          [this] { DevelopStandardShip(); }));
  // Without the designer there is nothing to choose or generate.
  connect(popup_, &QMenu::aboutToShow, this, [this, designItems, useOneCargo] {
    const IShipDesignService* design = ShipDesign();
    for (QAction* item : designItems) item->setEnabled(design != nullptr);
    useOneCargo->setChecked(design && design->UseOneCargo());
  });
}

void TfrmOrders::BuildListPopups() {
  mnuToDevelop_ = new QMenu(this);
  mnuToDevelop_->setObjectName("mnuToDevelop");
  connect(mnuToDevelop_->addAction("&Add As Dev Planet all owned non Dev Planets"),
          &QAction::triggered, this, [this] { AddDevelopTags(); });
  lvToDevelop_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lvToDevelop_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    mnuToDevelop_->popup(lvToDevelop_->viewport()->mapToGlobal(pos));
  });

  popupToDo_ = new QMenu(this);
  for (TznListView* list : {lvToDo_, lvLoadedSend_}) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
      const QModelIndex index = list->indexAt(pos);
      if (!index.isValid()) return;
      list->setCurrentIndex(index);
      if (QMenu* menu = PrepareToDoPopup(list, list->Rows().SourceRow(index.row())))
        menu->popup(list->viewport()->mapToGlobal(pos));
    });
    // The pop-up's two keys work on the list's current row.
    auto addKey = [this, list](const char* keys, bool upgrade) {
      auto* action = new QAction(list);
      action->setShortcut(QKeySequence(keys));
      action->setShortcutContext(Qt::WidgetShortcut);
      list->addAction(action);
      connect(action, &QAction::triggered, this, [this, list, upgrade] {
        const TDevGroup* group = GroupOfRow(list, CurrentRow(list));
        if (!group) return;
        if (!upgrade) {
          ShowPlanet(group->At[0]);
        } else if (ToDoItemsApply(*group, list == lvLoadedSend_)) {
          InsertGroupCommands(ToDoUpgradeCommand(*group));
          AnalyseAfterInsert();
        }
      });
    };
    addKey("Ctrl+F", false);
    addKey("Ctrl+U", true);
  }
}

int TfrmOrders::CurrentRow(const TznListView* list) const {
  const QModelIndex index = list->currentIndex();
  return index.isValid() ? list->Rows().SourceRow(index.row()) : -1;
}

const TDevGroup* TfrmOrders::GroupOfRow(const TznListView* list, int row) const {
  const std::vector<TDevGroupRow>* rows = list == lvToDo_         ? &plan_.ToDo
                                          : list == lvLoadedSend_ ? &plan_.LoadedSent
                                                                  : nullptr;
  if (!rows || row < 0 || row >= static_cast<int>(rows->size())) return nullptr;
  const int record = (*rows)[static_cast<size_t>(row)].Record;
  const auto& groups = planner_.Groups();
  if (record < 0 || record >= static_cast<int>(groups.size())) return nullptr;
  return groups[static_cast<size_t>(record)].get();
}

QMenu* TfrmOrders::PrepareToDoPopup(TznListView* list, int row) {
  const TDevGroup* group = GroupOfRow(list, row);
  if (!group) return nullptr;
  // A new pop-up each time: its planet lists belong to this group.
  delete popupToDo_;
  popupToDo_ = new QMenu(this);
  popupToDo_->setObjectName("popupToDo");
  const bool loadedSent = list == lvLoadedSend_;
  const bool apply = ToDoItemsApply(*group, loadedSent);
  TPlanet* at = group->At[0];
  QAction* view = popupToDo_->addAction("&View Planet", this, [this, at] { ShowPlanet(at); });
  view->setShortcut(QKeySequence("Ctrl+F"));
  view->setShortcutContext(Qt::WidgetShortcut);
  view->setEnabled(at != nullptr);
  popupToDo_->addSeparator();
  const TAutoCargoSettings settings = CargoSettings();
  for (size_t i = 0; i < std::size(kToDoItems); ++i) {
    const TToDoItem& item = kToDoItems[i];
    if (i == 3) popupToDo_->addSeparator();
    QMenu* sub = popupToDo_->addMenu(item.Caption);
    sub->menuAction()->setStatusTip(item.Hint);
    sub->menuAction()->setToolTip(item.Hint);
    const std::vector<TToDoTarget> targets = ToDoTargets(planner_, *group, settings, item.Kind);
    QList<QAction*> actions;
    for (const TToDoTarget& target : targets) {
      const std::string command = ToDoCommand(*group, item.Kind, item.AllShips, *target.Planet);
      auto* action = new QAction(DistanceImage(target.Turns), FromLatin1(target.Planet->Name));
      connect(action, &QAction::triggered, this, [this, command] {
        InsertGroupCommands(command);
        AnalyseAfterInsert();
      });
      actions.push_back(action);
    }
    AddMenuColumns(*sub, actions, kPlanetsPerColumn);
    sub->menuAction()->setEnabled(apply && !targets.empty());
  }
  popupToDo_->addSeparator();
  const std::string upgrade = ToDoUpgradeCommand(*group);
  QAction* mniUpgrade = popupToDo_->addAction("&Upgrade", this, [this, upgrade] {
    InsertGroupCommands(upgrade);
    AnalyseAfterInsert();
  });
  mniUpgrade->setShortcut(QKeySequence("Ctrl+U"));
  mniUpgrade->setShortcutContext(Qt::WidgetShortcut);
  mniUpgrade->setEnabled(apply);
  return popupToDo_;
}

// --- Commands ------------------------------------------------------------------------------------

TAutoCargoSettings TfrmOrders::CargoSettings() const {
  ICargoSettingsService* cargo = windows_.Services().CargoSettings;
  return cargo ? cargo->CargoSettings() : TAutoCargoSettings{};
}

void TfrmOrders::RunAutoCargo(TAutoCargoCommand command) {
  TWaitCursor wait;
  const TAutoCargoSettings settings = CargoSettings();
  RunAutoCargoCommand(command, service_, planner_, lines_, settings,
                      [this](const std::string& text) {
                        // The analysis's notes stay in view below it.
                        ShowNotes(service_.NoteItems(), text);
                      });
}

void TfrmOrders::AutomaticLoadAndSendCargo() {
  RunAutoCargo(TAutoCargoCommand::LoadAndSend);
}

void TfrmOrders::AutomaticSendEmptyShips() {
  RunAutoCargo(TAutoCargoCommand::SendEmpty);
}

void TfrmOrders::RunGalaxyBot() {
  const fs::path program = GalaxyBotProgram(programFolder_);
  if (program.empty()) return;
  const std::string section = GameSectionKey();
  const fs::path orders = BotOrdersFile(programFolder_, section);
  const fs::path options = BotOptionsFile(programFolder_, section);
  const TGameSettings& settings = state_.Settings;
  const fs::path report =
      settings.spelC.empty()
          ? fs::path()
          : fs::path(FormatReportName(settings.spelD, settings.spelC[0], state_.LastTurn));
  const TBotOrdersStamp before = BotOrdersStamp(orders);
  const int code = RunAndWait(program.string(), GalaxyBotArguments(report, orders, options));
  if (!BotOrdersReady(code, orders, before)) {
    if (code < 0)
      ui_.ShowMessage("GalaxyBot could not be started: " + program.string());
    else if (code != 0)
      ui_.ShowMessage(Fmt("GalaxyBot ended with exit code %d; its orders are not loaded.", code));
    else
      ui_.ShowMessage("GalaxyBot wrote no new orders to " + orders.string() + ".");
    return;
  }
  if (ui_.AskYesNo("Are you sure you want to load new orders?\rCurrent orders will be lost!"))
    LoadOrderFile(orders);
}

void TfrmOrders::ReplaceProductionType() {
  const std::vector<std::string> choices = ProductionChoices(state_);
  int selected = -1;
  for (size_t i = 0; i < choices.size(); ++i)
    if (choices[i] == productionItem_) selected = static_cast<int>(i);
  if (!ui_.ChooseFromList("Select item to produce", choices, selected)) return;
  if (selected < 0 || selected >= static_cast<int>(choices.size())) return;
  productionItem_ = choices[static_cast<size_t>(selected)];
  ReplaceProductionInSelection(
      [this](const TPlanet& planet) { return ProductionCommand(planet.Name, productionItem_); });
  AnalyseOrders();
}

void TfrmOrders::ReplaceProductionInSelection(const TProductionReplacement& replace) {
  // Line by line, so that the lines it leaves, and what it leaves of a line, keep every
  // character, also those the order logic reads as "?".
  const TEditString text = memo_->SelText();
  const TEditString replaced = ChangeLinesKeepingUnsavable(text, [&](std::string_view line) {
    return ReplaceProductionLines(line, service_.Analysis(), replace);
  });
  if (replaced != text) memo_->SetSelText(replaced);
}

IShipDesignService* TfrmOrders::ShipDesign() const {
  return windows_.Services().ShipDesign;
}

TStandardShipSource TfrmOrders::StandardShipSource() const {
  IShipDesignService* design = ShipDesign();
  if (!design) return {};
  return [design](double massPerTurn) -> std::optional<TStdShip> {
    design->SetProductivity(massPerTurn);
    if (!design->GenerateStandardShip()) return std::nullopt;
    return design->StdShip();
  };
}

void TfrmOrders::ReplaceProductionByStandardShips() {
  IShipDesignService* design = ShipDesign();
  if (!design || !memo_->SelAvail()) return;
  // A design the lines above the selection declare needs no second line.
  const int first = std::min(memo_->BlockBegin().Y, memo_->BlockEnd().Y) - 1;
  TStandardShipProduction production(state_, StandardShipSource(), design->Turns(),
                                     DesignsInOrders(lines_, first));
  ReplaceProductionInSelection(
      [&production](const TPlanet& planet) { return production.ForPlanet(planet); });
  AnalyseOrders();
}

void TfrmOrders::DevelopStandardShip() {
  IShipDesignService* design = ShipDesign();
  const TOrderAnalysis* analysis = LastAnalysis();
  const int line = memo_->CaretY() - 1;
  if (!design || !analysis || line < 0 || line >= lines_.Count()) return;
  TPlanet* planet = analysis->PlanetOfCaretLine(lines_.Line(line));
  if (!planet) return;
  TStandardShipProduction production(state_, StandardShipSource(), design->Turns(),
                                     DesignsAboveSection(lines_, TOrderSection::Planet));
  const std::string text = production.ForPlanet(*planet);
  if (text.empty()) return;
  InsertPlanetCommands(text);
  AnalyseAfterInsert();
}

void TfrmOrders::AddDevelopTags() {
  const std::string text = DevelopTagsForUndeveloped(toDevelop_, plan_.Developing);
  if (text.empty()) return;
  InsertPlanetCommands(text);
  AnalyseAfterInsert();
}

void TfrmOrders::ExportFocusedList() {
  TznListView* list = exportList_;
  if (!list) return;
  TExportZnListView exporter(*list, ui_, this);
  exporter.Options.ExportAllWhenNoneSelected = true;
  exporter.Options.SelectedRowsOnly = true;
  exporter.Options.ShowClipboardMsg = true;
  exporter.Options.ShowProgress = true;
  exporter.Options.TimeStamp = true;
  // The tab's caption and the main window's caption are the titles.
  QString tab;
  for (QTabWidget* tabs : {pnlPlanets_, pnlShips_}) {
    const int index = tabs->indexOf(list);
    if (index >= 0) tab = tabs->tabText(index);
  }
  exporter.Header = ToLatin1(tab);
  QWidget* main = windows_.MainWindow();
  exporter.Title = main ? ToLatin1(main->windowTitle()) : "Tovix";
  exporter.Footer = "Tovix";
  exporter.ExportType = exportType_;
  exporter.LastType = exportType_;
  exporter.ExecuteExport();
  exportType_ = exporter.LastType;
}

void TfrmOrders::ShowRegistryWindow(const char* instanceName, bool modal) {
  QWidget* window = windows_.Find(instanceName);
  if (!window) return;
  if (modal) {
    RunModally(*window);
    return;
  }
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace tovix
