#include "windows/lists/event_windows.h"

#include "views/planet_list_rows.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/list_boxes.h"
#include "controls/zn_list_view.h"
#include "orders/order_commands.h"
#include "platform/latin1.h"
#include "windows/base/popup_actions.h"
#include "windows/dialogs/list_export_dialog.h"

namespace tovix {

namespace {

constexpr int kBattlesHelpContext = 5;
constexpr int kBombingsHelpContext = 7;
constexpr int kIncomingHelpContext = 19;
constexpr int kMayChangeMs = 100;

QStringList Captions(const auto& columns) {
  QStringList captions;
  for (const char* c : columns) captions << c;
  return captions;
}

QTimer* MakeMayChangeTimer(QObject* parent) {
  auto* timer = new QTimer(parent);
  timer->setObjectName("TimerMayChange");
  timer->setSingleShot(true);
  timer->setInterval(kMayChangeMs);
  return timer;
}

bool Terminating() {
  return QCoreApplication::closingDown();
}

}  // namespace

// --- TTurnListWindow ---------------------------------------------------------------------------

TTurnListWindow::TTurnListWindow(std::string stateName, int helpContext, GameState& state,
                                 TznSaveState& store, TServicesSource services,
                                 std::string layoutSection, std::string layoutKey, QWidget* parent)
    : TModelListWindow(std::move(stateName), helpContext, state, store, std::move(services),
                       std::move(layoutSection), std::move(layoutKey), parent) {
  layout()->setSpacing(2);
  top_ = new QWidget(this);
  auto* row = new QHBoxLayout(top_);
  row->setContentsMargins(4, 4, 4, 0);
  auto* label = new QLabel("Turns", top_);
  cbxTurns_ = new QComboBox(top_);
  cbxTurns_->setObjectName("cbxTurns");
  cbxTurns_->addItems({"Last Turn", "All"});
  label->setBuddy(cbxTurns_);
  row->addWidget(label);
  row->addWidget(cbxTurns_);
  row->addStretch(1);
  top_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  layout()->addWidget(top_);
  MakeList();
  // A new choice refills a shown list at once; a hidden one at its next show.
  connect(cbxTurns_, &QComboBox::currentIndexChanged, this, [this] {
    filled_ = false;
    if (isVisible()) Refill();
  });
}

bool TTurnListWindow::LastTurnOnly() const {
  return cbxTurns_->currentIndex() != 1;
}

int TTurnListWindow::CurrentRow() const {
  const QModelIndex index = list_->currentIndex();
  return index.isValid() ? list_->Rows().SourceRow(index.row()) : -1;
}

void TTurnListWindow::SelectRow(int row) {
  const int view = list_->Rows().ViewRow(row);
  if (view < 0) return;
  list_->setCurrentIndex(list_->Rows().index(view, 0));
  list_->selectionModel()->select(list_->Rows().index(view, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_->scrollTo(list_->Rows().index(view, 0));
}

// --- TfrmBattles -------------------------------------------------------------------------------

TfrmBattles::TfrmBattles(GameState& state, TznSaveState& store, TServicesSource services,
                         QWidget* parent)
    : TTurnListWindow("Battles", kBattlesHelpContext, state, store, std::move(services), "Battles",
                      "lvBattles_Order", parent) {
  setObjectName("frmBattles");
  list_->setObjectName("lvBattles");
  list_->SetColumns(Captions(kBattleColumns), {45, 101, 60, 60});
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  lbxBattleInfo_ = new TTextListBox(this);
  lbxBattleInfo_->setObjectName("lbxBattleInfo");
  lbxBattleInfo_->setToolTip("right click for menu");
  lbxBattleInfo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lbxBattleInfo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  lbxBattleInfo_->setContextMenuPolicy(Qt::CustomContextMenu);
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->addWidget(list_);
  splitter_->addWidget(lbxBattleInfo_);
  splitter_->setSizes({285, 415});
  layout()->addWidget(splitter_);
  resize(700, 320);

  timerMayChange_ = MakeMayChangeTimer(this);

  pmuBattles_ = new QMenu(this);
  QAction* add =
      pmuBattles_->addAction("Add To &Battle Simulator", this, &TfrmBattles::AddToBattleSimulator);
  add->setShortcut(QKeySequence("Ctrl+B"));
  QAction* find =
      pmuBattles_->addAction("&Find Planet in Orders", this, &TfrmBattles::FindPlanetInOrders);
  find->setShortcut(QKeySequence("Ctrl+F"));
  addActions({add, find});
  for (QWidget* w : {static_cast<QWidget*>(list_), static_cast<QWidget*>(lbxBattleInfo_)}) {
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& pos) { pmuBattles_->popup(w->mapToGlobal(pos)); });
  }
  connect(list_, &QAbstractItemView::doubleClicked, this, &TfrmBattles::FindPlanetInOrders);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TfrmBattles::SelectionMoved);
  connect(timerMayChange_, &QTimer::timeout, timerMayChange_, &QTimer::stop);
}

void TfrmBattles::Fill() {
  rows_ = BattleRows(state_, LastTurnOnly());
  lastHandled_ = -1;
  filled_ = false;  // no selection handling while the rows change
  list_->Rows().SetCellRows(rows_);
  list_->SetSortDirection(TznSortDirection::sdAsc);
  list_->Resort();
  lbxBattleInfo_->clear();
  if (!rows_.empty()) ShowBattleInfo(rows_[static_cast<size_t>(list_->Rows().SourceRow(0))].Battle);
}

TBattle* TfrmBattles::SelectedBattle() const {
  const int row = CurrentRow();
  return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(row)].Battle
                                                          : nullptr;
}

void TfrmBattles::SelectionMoved() {
  if (!filled_ || Terminating() || timerMayChange_->isActive()) return;
  const int row = CurrentRow();
  if (row < 0 || row == lastHandled_) return;
  lastHandled_ = row;
  lbxBattleInfo_->clear();
  TBattle* battle = rows_[static_cast<size_t>(row)].Battle;
  if (battle->Planet) {
    if (IMapService* map = Services().Map) map->SetPlanetCursor(battle->Planet, true);
    if (IPlanetInfoService* info = Services().PlanetInfo) info->ShowPlanet(battle->Planet, true);
  }
  timerMayChange_->start();
  ShowBattleInfo(battle);
}

void TfrmBattles::ShowBattleInfo(const TBattle* battle) {
  lbxBattleInfo_->clear();
  if (!battle) return;
  for (const std::string& line : BattleInfoLines(state_, *battle))
    lbxBattleInfo_->addItem(FromLatin1(line));
}

void TfrmBattles::SelectBattle(TBattle* battle) {
  if (!battle) return;
  auto find = [&] {
    for (size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i].Battle == battle) return static_cast<int>(i);
    return -1;
  };
  Refill();  // fresh rows, even when the game was read again while the window was hidden
  int row = find();
  if (row < 0 && LastTurnOnly()) {
    cbxTurns_->setCurrentIndex(1);
    if (!filled_) Refill();
    row = find();
  }
  if (row < 0) return;
  show();
  raise();
  timerMayChange_->stop();
  SelectRow(row);
}

void TfrmBattles::AddToBattleSimulator() {
  const TBattle* battle = SelectedBattle();
  if (!battle) return;
  TDualListDialog dialog;
  dialog.Title = "Battle Simulator";
  dialog.Label1Caption = "&Attackers";
  dialog.Label2Caption = "&Defenders";
  dialog.Sorted = true;
  dialog.HelpContext = kBattlesHelpContext;
  for (const std::string& race : BattleOwnerNames(*battle))
    dialog.List1.push_back({FromLatin1(race), {}});
  dialog.RunForm = RunSidesDialog;
  if (!dialog.Execute(this)) return;
  IBattleSimulatorService* simulator = Services().BattleSimulator;
  if (!simulator) return;
  std::set<std::string> attackers;
  for (const TDualListItem& item : dialog.List1) attackers.insert(ToLatin1(item.Text));
  const TBattleSides sides = SplitBattleSides(*battle, attackers);
  simulator->NewBattle();
  for (const TGroup* g : sides.Attackers) simulator->AddAttacker(g->Clone());
  for (const TGroup* g : sides.Defenders) simulator->AddDefender(g->Clone());
  simulator->FillGrids();
}

void TfrmBattles::FindPlanetInOrders() {
  const TBattle* battle = SelectedBattle();
  if (battle && battle->Planet && Services().Orders)
    Services().Orders->FindPlanetInOrders(battle->Planet->Name);
}

void TfrmBattles::LoadOwnState() {
  TModelListWindow::LoadOwnState();
  const int width = Store().ReadInteger("Battles", "lbxBattleInfo", lbxBattleInfo_->width());
  const QList<int> sizes = splitter_->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  if (width > 0 && width < total) splitter_->setSizes({total - width, width});
}

void TfrmBattles::SaveOwnState() {
  TModelListWindow::SaveOwnState();
  Store().WriteInteger("Battles", "lbxBattleInfo", splitter_->sizes().value(1));
}

// --- TfrmBombings ------------------------------------------------------------------------------

TfrmBombings::TfrmBombings(GameState& state, TznSaveState& store, UserInterface& ui,
                           TServicesSource services, std::function<std::string()> mainCaption,
                           QWidget* parent)
    : TTurnListWindow("Bombings", kBombingsHelpContext, state, store, std::move(services),
                      "Bombings", "lvBombings_Order", parent),
      ui_(ui),
      mainCaption_(std::move(mainCaption)) {
  setObjectName("frmBombings");
  list_->setObjectName("lvBombings");
  list_->SetColumns(Captions(kBombingColumns), {45, 100, 100, 70, 70, 70, 70, 60, 60, 60});
  layout()->addWidget(list_);
  resize(760, 300);
  timerMayChange_ = MakeMayChangeTimer(this);
  connect(timerMayChange_, &QTimer::timeout, timerMayChange_, &QTimer::stop);

  export_ = MakeRowsExport(*list_, ui_, this, "Bombings", true);

  pmuBombings_ = new QMenu(this);
  QAction* exportItem = pmuBombings_->addAction("&Export", this, &TfrmBombings::ExportList);
  QAction* develop =
      pmuBombings_->addAction("Insert Develop Tag", this, &TfrmBombings::DevelopPlanets);
  develop->setShortcut(QKeySequence("Ctrl+D"));
  QAction* produce =
      pmuBombings_->addAction("Produce on planet ...", this, &TfrmBombings::ProduceOnPlanets);
  produce->setShortcut(QKeySequence("Ctrl+P"));
  QAction* find =
      pmuBombings_->addAction("&Find Planet in orders", this, &TfrmBombings::FindPlanetInOrders);
  find->setShortcut(QKeySequence("Ctrl+F"));
  addActions({exportItem, develop, produce, find});
  ShowMenuOnRightClick(list_, pmuBombings_);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TfrmBombings::SelectionMoved);
}

TfrmBombings::~TfrmBombings() = default;

void TfrmBombings::Fill() {
  rows_ = BombingRows(state_, LastTurnOnly());
  lastHandled_ = -1;
  filled_ = false;
  list_->Rows().SetCellRows(rows_);
  list_->Resort();
}

void TfrmBombings::SelectionMoved() {
  if (!filled_ || Terminating() || timerMayChange_->isActive()) return;
  const int row = CurrentRow();
  if (row < 0 || row == lastHandled_) return;
  lastHandled_ = row;
  TPlanet* planet = rows_[static_cast<size_t>(row)].Bombing->Planet;
  if (planet && Services().PlanetInfo) Services().PlanetInfo->ShowPlanet(planet, true);
  timerMayChange_->start();
}

std::vector<const TPlanet*> TfrmBombings::SelectedPlanets() const {
  std::vector<const TPlanet*> planets;
  for (int row : list_->CollectSelectedRows()) {
    if (row >= 0 && row < static_cast<int>(rows_.size()) &&
        rows_[static_cast<size_t>(row)].Bombing->Planet)
      planets.push_back(rows_[static_cast<size_t>(row)].Bombing->Planet);
  }
  return planets;
}

void TfrmBombings::ExportList() {
  if (mainCaption_) export_->Footer = mainCaption_();
  export_->ExecuteExport();
}

void TfrmBombings::DevelopPlanets() {
  std::string lines;
  for (const TPlanet* p : SelectedPlanets()) {
    if (!lines.empty()) lines += kOrderLineBreak;
    lines += DevelopTag(p->Name);
  }
  if (!lines.empty() && Services().Orders) Services().Orders->InsertPlanetCommands(lines);
}

void TfrmBombings::ProduceOnPlanets() {
  const std::vector<const TPlanet*> planets = SelectedPlanets();
  if (planets.empty()) return;
  const std::vector<std::string> items = ProductionChoices(state_);
  const auto at = std::find(items.begin(), items.end(), productionItem_);
  int chosen = at == items.end() ? -1 : static_cast<int>(at - items.begin());
  if (!ui_.ChooseFromList("Select item to produce", items, chosen) || chosen < 0 ||
      chosen >= static_cast<int>(items.size()))
    return;
  productionItem_ = items[static_cast<size_t>(chosen)];
  std::string lines;
  for (const TPlanet* p : planets) {
    if (!lines.empty()) lines += kOrderLineBreak;
    lines += ProductionCommand(p->Name, productionItem_);
  }
  if (Services().Orders) Services().Orders->InsertPlanetCommands(lines);
}

void TfrmBombings::FindPlanetInOrders() {
  const int row = CurrentRow();
  if (row < 0 || !Services().Orders) return;
  if (const TPlanet* p = rows_[static_cast<size_t>(row)].Bombing->Planet)
    Services().Orders->FindPlanetInOrders(p->Name);
}

// --- TfrmIncomingGroups ------------------------------------------------------------------------

TfrmIncomingGroups::TfrmIncomingGroups(GameState& state, TznSaveState& store,
                                       TServicesSource services, QWidget* parent)
    : TTurnListWindow("Incoming Groups", kIncomingHelpContext, state, store, std::move(services),
                      "IncomingOrders", "lvIncomingGroups_Order", parent) {
  setObjectName("frmIncomingGroups");
  list_->setObjectName("lvIncomingGroups");
  list_->SetColumns(Captions(kIncomingColumns), {45, 110, 110, 60, 60, 60});
  list_->Rows().SetRightAligned({false, false, false, true, true, true});
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  layout()->addWidget(list_);
  resize(460, 280);
  connect(list_, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { RowClicked(list_->Rows().SourceRow(index.row())); });
  connect(list_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    RowDoubleClicked(list_->Rows().SourceRow(index.row()));
  });
}

void TfrmIncomingGroups::Fill() {
  rows_ = IncomingRows(state_, LastTurnOnly());
  list_->Rows().SetCellRows(rows_);
  list_->Resort();
}

void TfrmIncomingGroups::RowClicked(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !Services().PlanetInfo) return;
  if (TPlanet* p = rows_[static_cast<size_t>(row)].Group->Origin)
    Services().PlanetInfo->ShowPlanet(p, true);
}

void TfrmIncomingGroups::RowDoubleClicked(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !Services().PlanetInfo) return;
  if (TPlanet* p = rows_[static_cast<size_t>(row)].Group->Destination)
    Services().PlanetInfo->ShowPlanet(p, true);
}

}  // namespace tovix
