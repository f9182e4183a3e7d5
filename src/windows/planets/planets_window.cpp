#include "windows/planets/planets_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/list_boxes.h"
#include "controls/zn_list_view.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "orders/order_lines.h"
#include "platform/latin1.h"
#include "views/map_commands.h"
#include "views/name_samples.h"
#include "windows/base/list_windows.h"
#include "windows/base/popup_actions.h"
#include "windows/base/wait_cursor.h"
#include "windows/dialogs/list_export_dialog.h"
#include "windows/dialogs/text_query.h"
#include "windows/planets/set_extra_info_dialog.h"

namespace tovix {

namespace {

constexpr int kPlanetInfoHelpContext = 23;
constexpr const char* kSection = "PlanetInfo";
constexpr int kPlanetsPaneWidth = 240;
constexpr int kInfoPaneWidth = 260;
constexpr int kGroupsPaneWidth = 520;
constexpr int kMinPaneWidth = 80;
// The report's labels and figures ("Sent Mass:" and three masses) need this much.
constexpr int kMinInfoPaneWidth = 200;

}  // namespace

TfrmPlanets::TfrmPlanets(GameState& state, TznSaveState& store, UserInterface& ui,
                         std::function<const TServices&()> services,
                         std::function<TfrmSetExtraInfo*()> extraInfoDialog,
                         std::string extraInfoFile, QWidget* parent)
    : TToolWindow("Planet Info", kPlanetInfoHelpContext, store, parent),
      state_(state),
      ui_(ui),
      services_(std::move(services)),
      extraInfoDialog_(std::move(extraInfoDialog)),
      extraInfoFile_(std::move(extraInfoFile)),
      ownAnalysis_(state) {
  setObjectName("frmPlanets");
  AskNewName = [this](std::string& name) {
    const std::optional<std::string> answer =
        AskTypedText(this, "Create Order", "Enter new planet name", name,
                     {TCodePage::Windows1252, "The planet name", "the orders"}, ui_);
    if (answer) name = *answer;
    return answer.has_value();
  };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QHBoxLayout;
  btnBack_ = new QToolButton(this);
  btnBack_->setObjectName("btnBack");
  btnBack_->setText("Back");
  btnBack_->setPopupMode(QToolButton::MenuButtonPopup);
  backMenu_ = new QMenu(btnBack_);
  btnBack_->setMenu(backMenu_);
  btnNext_ = new QToolButton(this);
  btnNext_->setObjectName("btnNext");
  btnNext_->setText("Next");
  btnNext_->setPopupMode(QToolButton::MenuButtonPopup);
  nextMenu_ = new QMenu(btnNext_);
  btnNext_->setMenu(nextMenu_);
  // "Filtered" starts unchecked, so that every planet can be shown until a filter is chosen.
  cbFiltered_ = new QCheckBox("Filtered", this);
  cbFiltered_->setObjectName("cbFiltered");
  cbFilterInv_ = new QCheckBox("Filter Inv.", this);
  cbFilterInv_->setObjectName("cbFilterInv");
  auto* btnGroupFilter = new QToolButton(this);
  btnGroupFilter->setObjectName("btnGroupFilter");
  btnGroupFilter->setText("&Group Filter");
  auto* btnExpressions = new QToolButton(this);
  btnExpressions->setObjectName("btnExpressions");
  btnExpressions->setText("&Expressions");
  auto* btnSetExtra = new QToolButton(this);
  auto* btnSaveExtra = new QToolButton(this);
  actSetExtraInfo_ = new QAction("Set Extra Info", this);
  btnSetExtra->setDefaultAction(actSetExtraInfo_);
  btnSaveExtra->setDefaultAction(new QAction("Save Extra Info", this));
  bar->addWidget(btnBack_);
  bar->addWidget(btnNext_);
  bar->addWidget(btnGroupFilter);
  bar->addWidget(btnExpressions);
  bar->addWidget(cbFiltered_);
  bar->addWidget(cbFilterInv_);
  bar->addWidget(btnSetExtra);
  bar->addWidget(btnSaveExtra);
  bar->addStretch();
  layout->addLayout(bar);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  znListView1_ = new TznListView(splitter_);
  znListView1_->setObjectName("znListView1");
  QStringList planetCaptions;
  for (const char* c : kPlanetListColumns) planetCaptions << c;
  znListView1_->SetColumns(planetCaptions, {90, 55, 90});
  znListView1_->Rows().SetCompare([this](int a, int b, int column) {
    return ComparePlanetRows(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)], column,
                             false);
  });
  auto* info = new TTextListBox(splitter_);
  info->SetTabWidth(35);
  lbxInfo_ = info;
  lbxInfo_->setObjectName("lbxInfo");
  lvGroups_ = new TznListView(splitter_);
  lvGroups_->setObjectName("lvGroups");
  lvGroups_->SetSortLocked(true);
  QStringList groupCaptions;
  for (const char* c : kGroupColumns) groupCaptions << c;
  lvGroups_->SetColumns(groupCaptions, {45, 115, 95, 105, 115, 75, 85, 55, 65, 70, 50, 70, 75, 75});
  splitter_->setStretchFactor(2, 1);
  layout->addWidget(splitter_);
  paneWidths_ = {kPlanetsPaneWidth, kInfoPaneWidth};
  splitter_->installEventFilter(this);
  resize(1020, 420);

  // The info popup.
  auto addTo = [](QWidget* widget, QMenu* menu, const char* text, auto slot, TfrmPlanets* receiver,
                  QKeySequence key = {}) {
    return AddPopupAction(widget, menu, text, key, receiver, slot, Qt::WidgetShortcut);
  };
  auto* infoMenu = new QMenu(this);
  addTo(lbxInfo_, infoMenu, "&Produce on planet...", qOverload<>(&TfrmPlanets::ProduceOnPlanet),
        this, QKeySequence("Ctrl+P"));
  addTo(lbxInfo_, infoMenu, "Insert &Develop Tag", &TfrmPlanets::InsertDevelopTag, this,
        QKeySequence("Ctrl+D"));
  actClaim_ = addTo(lbxInfo_, infoMenu, "Claim OwnerShip", &TfrmPlanets::ClaimOwnership, this);
  addTo(lbxInfo_, infoMenu, "&Rename Planet...", &TfrmPlanets::RenamePlanet, this,
        QKeySequence("Ctrl+R"));
  actEliteName_ =
      addTo(lbxInfo_, infoMenu, "Create Elite &Name", &TfrmPlanets::CreateEliteName, this);
  addTo(lbxInfo_, infoMenu, "&Find planet in orders", &TfrmPlanets::FindPlanetInOrders, this,
        QKeySequence("Ctrl+F"));
  actTopMost_ = MakeTopMostAction(*this);
  infoMenu->addSeparator();
  infoMenu->addAction(actTopMost_);
  ShowMenuOnRightClick(lbxInfo_, infoMenu);

  // The list popup.
  auto* listMenu = new QMenu(this);
  addTo(znListView1_, listMenu, "Develop planets", &TfrmPlanets::DevelopPlanets, this,
        QKeySequence("Ctrl+D"));
  addTo(znListView1_, listMenu, "Produce on planets...", &TfrmPlanets::ProduceOnPlanets, this,
        QKeySequence("Ctrl+P"));
  actListClaim_ =
      addTo(znListView1_, listMenu, "Claim Ownership", &TfrmPlanets::ClaimPlanets, this);
  listMenu->addAction("&Find Planet in Orders...", this, [this] {
    const auto rows = SelectedPlanetRows();
    if (!rows.empty() && Orders()) Orders()->FindPlanetInOrders(rows.front()->Name);
  });
  listMenu->addSeparator();
  export_ = std::make_unique<TExportZnListView>(*znListView1_, ui_, this);
  export_->Title = "Planets";
  listMenu->addAction("Export All Planets...", this, [this] {
    export_->Options.SelectedRowsOnly = false;
    export_->ExecuteExport();
  });
  listMenu->addAction("Export Selected Planets...", this, [this] {
    export_->Options.SelectedRowsOnly = true;
    export_->ExecuteExport();
  });
  actCentred_ = listMenu->addAction("View planets &centered");
  actCentred_->setCheckable(true);
  actCentred_->setChecked(centred_);
  actCentred_->setShortcut(QKeySequence("Alt+C"));
  connect(actCentred_, &QAction::toggled, this, [this](bool on) { centred_ = on; });
  listMenu->addAction(actTopMost_);
  ShowMenuOnRightClick(znListView1_, listMenu);

  // The groups popup.
  auto* groupMenu = new QMenu(this);
  actDefender_ = addTo(lvGroups_, groupMenu, "Add To &Defender", &TfrmPlanets::AddToDefender, this,
                       QKeySequence("Ctrl+Alt+D"));
  actAttacker_ = addTo(lvGroups_, groupMenu, "Add To &Attacker", &TfrmPlanets::AddToAttacker, this,
                       QKeySequence("Ctrl+Alt+A"));
  actSendToPlanet_ = addTo(lvGroups_, groupMenu, "&Send # Group(s) to planet",
                           &TfrmPlanets::SendGroupsToPlanet, this, QKeySequence("Ctrl+S"));
  actSendToPlanets_ = addTo(lvGroups_, groupMenu, "Send &Group to # planet(s)",
                            &TfrmPlanets::SendGroupToPlanets, this, QKeySequence("Ctrl+G"));
  actUpgrade_ = addTo(lvGroups_, groupMenu, "&Upgrade", &TfrmPlanets::UpgradeGroups, this,
                      QKeySequence("Ctrl+U"));
  addTo(lvGroups_, groupMenu, "Un&load", &TfrmPlanets::UnloadGroups, this, QKeySequence("Ctrl+L"));
  addTo(lvGroups_, groupMenu, "&Find Planet in Orders", &TfrmPlanets::FindPlanetInOrders, this,
        QKeySequence("Ctrl+F"));
  actFindGroup_ =
      addTo(lvGroups_, groupMenu, "Find &Group in Orders", &TfrmPlanets::FindGroupInOrders, this);
  ShowMenuOnRightClick(lvGroups_, groupMenu, [this] { UpdateGroupActions(); });

  // Back, Next and their drop-down lists.
  connect(btnBack_, &QToolButton::clicked, this, &TfrmPlanets::GoBack);
  connect(btnNext_, &QToolButton::clicked, this, &TfrmPlanets::GoNext);
  connect(backMenu_, &QMenu::aboutToShow, this, [this] { FillJumpMenu(backMenu_, true); });
  connect(nextMenu_, &QMenu::aboutToShow, this, [this] { FillJumpMenu(nextMenu_, false); });

  connect(btnGroupFilter, &QToolButton::clicked, this, &TfrmPlanets::GroupFilter);
  connect(btnExpressions, &QToolButton::clicked, this, &TfrmPlanets::Expressions);
  connect(cbFiltered_, &QCheckBox::clicked, this, [this] {
    FillPlanetList();
    ClearInfo();
  });
  connect(cbFilterInv_, &QCheckBox::clicked, this, [this] {
    if (!cbFiltered_->isChecked()) return;
    FillPlanetList();
    ClearInfo();
  });
  connect(actSetExtraInfo_, &QAction::triggered, this, &TfrmPlanets::SetExtraInfo);
  connect(btnSaveExtra->defaultAction(), &QAction::triggered, this, &TfrmPlanets::SaveExtraInfo);

  connect(znListView1_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!syncing_ && current.isValid()) RowActivated(current.row());
          });
  connect(znListView1_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    const int row = znListView1_->Rows().SourceRow(index.row());
    if (row >= 0) SetDistancesFrom(rows_[static_cast<size_t>(row)].Planet);
  });
  connect(lbxInfo_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { InfoLineClicked(lbxInfo_->row(item)); });
  connect(lvGroups_, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { GroupClicked(index.row()); });
  connect(lvGroups_, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { GroupDoubleClicked(index.row()); });
  connect(lvGroups_, &TznListView::ColumnClick, this, &TfrmPlanets::GroupColumnClicked);
  ClearInfo();
}

TfrmPlanets::~TfrmPlanets() = default;

IOrderService* TfrmPlanets::Orders() const {
  return services_().Orders;
}

bool TfrmPlanets::IsOwn(const TPlanet* planet) const {
  return planet && state_.MainPlayer && planet->Owner.Is(state_.MainPlayer);
}

// ---- Showing planets ---------------------------------------------------------------------------

void TfrmPlanets::ApplyGameSettings() {
  const TGameType type = state_.Settings.GameType;
  actEliteName_->setVisible(state_.Settings.EliteNameCreation);
  actClaim_->setVisible(type != TGameType::Blind);
  actListClaim_->setVisible(type == TGameType::NG);
}

void TfrmPlanets::showEvent(QShowEvent* event) {
  if (!shownOnce_) {
    shownOnce_ = true;
    ApplyGameSettings();
    // The masses of the groups standing at each planet, whichever window opens first.
    ComputePlanetShipMasses(state_);
    if (!filled_) {
      FillPlanetList();
      ClearInfo();
    } else {
      RefreshPlanetInfo();  // a planet shown before the first opening, now with its masses
    }
    SizeToShowColumns();
  }
  TToolWindow::showEvent(event);
}

void TfrmPlanets::SizeToShowColumns() {
  // Every name of the game shows whole, also those the first rows do not hold.
  const TGameNames names = LongestGameNames(state_);
  znListView1_->SetColumnSamples(0, names.Planets);
  znListView1_->SetColumnSamples(2, names.Owners);
  lvGroups_->SetColumnSamples(2, names.Planets);
  lvGroups_->SetColumnSamples(4, names.ShipTypes);
}

void TfrmPlanets::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) != 0) {
    history_.Clear();
    shown_ = nullptr;
    distanceFrom_ = nullptr;
    ApplyGameSettings();
    ComputePlanetShipMasses(state_);
    FillPlanetList();
    ClearInfo();
  } else if ((changes & gcOrdersAnalysed) != 0) {
    RefreshPlanetInfo();
  }
}

std::vector<TPlanetInfoRow> FilteredPlanetList(GameState& state, const TServices& services,
                                               bool useGroupFilter, bool inverse) {
  IExpressionFilterService* expressions = services.ExpressionFilter;
  IGroupFilterService* groups = services.GroupFilter;
  // The filters are made once the reports are read: until then every planet passes.
  if (expressions == nullptr || groups == nullptr)
    return PlanetRows(state, [](const TPlanet&) { return true; });
  if (!useGroupFilter)
    return FilteredPlanetRows(state, expressions->FilteredPlanets(), nullptr, false);
  groups->CollectPlanets();
  return FilteredPlanetRows(state, expressions->FilteredPlanets(), &groups->GroupPlanets(),
                            inverse);
}

void TfrmPlanets::FillPlanetList() {
  rows_ =
      FilteredPlanetList(state_, services_(), cbFiltered_->isChecked(), cbFilterInv_->isChecked());
  if (distanceFrom_) SetPlanetRowDistances(state_, rows_, *distanceFrom_);
  rowShown_ = -1;
  filled_ = true;
  ShowPlanetRows();
}

void TfrmPlanets::GroupFilter() {
  IGroupFilterService* groups = services_().GroupFilter;
  if (groups == nullptr) return;
  groups->ExecuteGroupFilter();
  const TWaitCursor wait;
  if (cbFiltered_->isChecked()) FillPlanetList();
  ClearInfo();
}

void TfrmPlanets::Expressions() {
  IExpressionFilterService* expressions = services_().ExpressionFilter;
  if (expressions == nullptr) return;
  expressions->SelectAllPlanets();
  if (!expressions->ExecuteExpressionFilter()) expressions->SelectAllPlanets();
  const TWaitCursor wait;
  FillPlanetList();
}

void ShowPlanetInfoRows(TznListView& list, const std::vector<TPlanetInfoRow>& rows) {
  list.Rows().SetRows(static_cast<int>(rows.size()), [&rows](int row, int column) {
    const TPlanetInfoRow& r = rows[static_cast<size_t>(row)];
    return column == 0 ? r.Name : (column == 1 ? r.Dist : r.Owner);
  });
  list.Resort();
}

void TfrmPlanets::ShowPlanetRows() {
  syncing_ = true;
  ShowPlanetInfoRows(*znListView1_, rows_);
  syncing_ = false;
}

void TfrmPlanets::SetDistancesFrom(TPlanet* planet) {
  if (!planet) return;
  distanceFrom_ = planet;
  SetPlanetRowDistances(state_, rows_, *planet);
  ShowPlanetRows();
}

void TfrmPlanets::ClearInfo() {
  lbxInfo_->clear();
  reportLines_.clear();
  groupRows_.clear();
  ShowGroupRows();
  rowShown_ = -1;
  actSetExtraInfo_->setEnabled(false);
  btnBack_->setEnabled(history_.CanGoBack());
  btnNext_->setEnabled(history_.CanGoNext());
}

int TfrmPlanets::RowOf(const TPlanet* planet) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].Planet == planet) return static_cast<int>(i);
  return -1;
}

void TfrmPlanets::ShowPlanet(TPlanet* planet, bool centre) {
  Show(planet, centre, false);
}

void TfrmPlanets::ShowPlanetAsTarget(TPlanet* planet, bool centre) {
  Show(planet, centre, true);
}

void TfrmPlanets::SelectShownRow(int row) {
  syncing_ = true;
  const int viewRow = znListView1_->Rows().ViewRow(row);
  const QModelIndex index = znListView1_->model()->index(viewRow, 0);
  znListView1_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  znListView1_->scrollTo(index);
  syncing_ = false;
}

void TfrmPlanets::changeEvent(QEvent* event) {
  TToolWindow::changeEvent(event);
  // Activation brings back the row shown, wherever the list was scrolled or selected meanwhile.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && shown_) {
    const int row = RowOf(shown_);
    if (row >= 0) SelectShownRow(row);
  }
}

void TfrmPlanets::CatchUp() {
  // Kept for the next show, a game read would empty the list and the report when the window
  // opens, and what other windows had shown or selected in it meanwhile.
  if (!isVisible()) RefreshPending();
  if (!filled_) FillPlanetList();
}

void TfrmPlanets::Show(TPlanet* planet, bool centre, bool asTarget) {
  if (!planet) return;
  CatchUp();
  const int row = RowOf(planet);
  if (row >= 0) {
    SelectShownRow(row);
    ShowPlanetInfo(row, true);
  }
  if (IMapService* map = services_().Map) {
    if (asTarget)
      map->SetPlanet2Cursor(planet, centre);
    else
      map->SetPlanetCursor(planet, centre);
  }
}

void TfrmPlanets::RowActivated(int viewRow) {
  const int row = znListView1_->Rows().SourceRow(viewRow);
  if (row < 0 || row == rowShown_) return;
  ShowPlanetInfo(row, false);
  if (IMapService* map = services_().Map) map->SetPlanetCursor(shown_, centred_);
  if (IShipDesignService* design = services_().ShipDesign) design->FollowPlanet(shown_);
}

void TfrmPlanets::RefreshPlanetInfo() {
  if (rowShown_ >= 0) ShowPlanetInfo(rowShown_, true);
}

void TfrmPlanets::ShowPlanetInfo(int row, bool force) {
  if ((!force && row == rowShown_) || row < 0 || row >= static_cast<int>(rows_.size())) return;
  rowShown_ = row;
  TPlanet* planet = rows_[static_cast<size_t>(row)].Planet;
  actSetExtraInfo_->setEnabled(!planet->Owner.IsNone());
  if (planet != shown_) history_.Add(planet->Name, planet);
  shown_ = planet;
  const IOrderAnalysisService* analysis = services_().Analysis;
  TPlanetInfoContext context{rows_[static_cast<size_t>(row)].Owner,
                             analysis && analysis->LastAnalysis()};
  lbxInfo_->clear();
  reportLines_ = PlanetReportLines(state_, *planet, context);
  for (const TPlanetReportLine& line : reportLines_) {
    auto* item = new QListWidgetItem(FromLatin1(line.Text), lbxInfo_);
    if (line.Battle) item->setToolTip("Click to show this battle in the battles window");
  }
  ShowGroups();
  btnBack_->setEnabled(history_.CanGoBack());
  btnNext_->setEnabled(history_.CanGoNext());
}

void TfrmPlanets::ShowGroups() {
  groupRows_.clear();
  if (shown_) {
    const IOrderAnalysisService* service = services_().Analysis;
    const TOrderAnalysis* analysis = service ? service->LastAnalysis() : nullptr;
    if (!analysis) {
      // Placeholder until the orders window analyses: the report's groups, no order written.
      const TVectorOrderLines noOrders;
      ownAnalysis_.ParseOrders(noOrders);
      analysis = &ownAnalysis_;
    }
    groupRows_ =
        PlanetGroupRows(state_, *shown_, analysis->Records(), &TOrderAnalysis::AvailableShips);
    if (groupSortColumn_ >= 0) SortGroupRows(groupRows_, groupSortColumn_, groupSortDescending_);
  }
  ShowGroupRows();
}

void TfrmPlanets::ShowGroupRows() {
  lvGroups_->clearSpans();
  lvGroups_->Rows().SetCellRows(groupRows_);
  // A block's header reads across the figures' columns.
  for (size_t i = 0; i < groupRows_.size(); ++i)
    if (groupRows_[i].Kind == TGroupRowKind::Header)
      lvGroups_->setSpan(lvGroups_->Rows().ViewRow(static_cast<int>(i)), 4, 1, 4);
}

void TfrmPlanets::GroupColumnClicked(int column) {
  groupSortDescending_ = column == groupSortColumn_ ? !groupSortDescending_ : false;
  groupSortColumn_ = column;
  SortGroupRows(groupRows_, groupSortColumn_, groupSortDescending_);
  ShowGroupRows();
}

void TfrmPlanets::GroupClicked(int viewRow) {
  IMapService* map = services_().Map;
  if (!map) return;
  const int row = lvGroups_->Rows().SourceRow(viewRow);
  const TGroup* group = row >= 0 && row < static_cast<int>(groupRows_.size())
                            ? groupRows_[static_cast<size_t>(row)].Group
                            : nullptr;
  if (group && group->Planet)
    map->SetGroupCursor(group->Planet->X, group->Planet->Y, group->Speed(), group->SpeedFullLoad());
  else
    map->SetGroupCursor(0, 0, 0, 0);
}

void TfrmPlanets::GroupDoubleClicked(int viewRow) {
  const int row = lvGroups_->Rows().SourceRow(viewRow);
  if (row < 0 || row >= static_cast<int>(groupRows_.size())) return;
  const TPlanetGroupRow& r = groupRows_[static_cast<size_t>(row)];
  if (!r.Group) return;
  TPlanet* target = r.Destination && r.Destination != shown_ ? r.Destination : r.Source;
  if (target) ShowPlanet(target, centred_);
}

void TfrmPlanets::InfoLineClicked(int row) {
  if (row < 0 || row >= static_cast<int>(reportLines_.size())) return;
  TBattle* battle = reportLines_[static_cast<size_t>(row)].Battle;
  if (IBattleListService* battles = services_().Battles; battle && battles)
    battles->SelectBattle(battle);
}

void TfrmPlanets::SelectPlanetsInList(const std::vector<TPlanet*>& planets) {
  CatchUp();
  syncing_ = true;
  for (TPlanet* planet : planets) {
    const int row = RowOf(planet);
    if (row < 0) continue;
    const QModelIndex index = znListView1_->model()->index(znListView1_->Rows().ViewRow(row), 0);
    znListView1_->selectionModel()->select(index,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  syncing_ = false;
}

void TfrmPlanets::SelectGroupRows(const std::vector<int>& rows) {
  lvGroups_->clearSelection();
  for (int row : rows) {
    const int view = lvGroups_->Rows().ViewRow(row);
    lvGroups_->selectionModel()->select(lvGroups_->model()->index(view, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

// ---- History -------------------------------------------------------------------------------

void TfrmPlanets::GoBack() {
  if (!history_.CanGoBack()) return;
  if (const TJumpHistoryItem* item = history_.Back()) ShowPlanet(item->Data, centred_);
}

void TfrmPlanets::GoNext() {
  if (!history_.CanGoNext()) return;
  if (const TJumpHistoryItem* item = history_.Next()) ShowPlanet(item->Data, centred_);
}

void TfrmPlanets::FillJumpMenu(QMenu* menu, bool back) {
  menu->clear();
  const auto items = back ? history_.BackList() : history_.NextList();
  for (size_t i = 0; i < items.size() && i < static_cast<size_t>(kJumpMenuEntries); ++i) {
    const int index = items[i].Index;
    menu->addAction(FromLatin1(items[i].Text), this, [this, index, back] {
      const TJumpHistoryItem* item = back ? history_.GoToBack(index) : history_.GoToNext(index);
      if (item) ShowPlanet(item->Data, centred_);
    });
  }
}

// ---- Order commands ------------------------------------------------------------------------

std::vector<TPlanetInfoRow*> TfrmPlanets::SelectedPlanetRows() {
  std::vector<TPlanetInfoRow*> rows;
  // The list gives the window's rows, in the order shown.
  for (int row : znListView1_->CollectSelectedRows())
    if (row >= 0 && row < static_cast<int>(rows_.size()))
      rows.push_back(&rows_[static_cast<size_t>(row)]);
  return rows;
}

std::vector<TPlanetGroupRow*> TfrmPlanets::SelectedGroups(bool ownOnly) {
  std::vector<TPlanetGroupRow*> rows;
  for (int row : lvGroups_->CollectSelectedRows()) {
    if (row < 0 || row >= static_cast<int>(groupRows_.size())) continue;
    TPlanetGroupRow& r = groupRows_[static_cast<size_t>(row)];
    if (r.Group && (r.Own || !ownOnly)) rows.push_back(&r);
  }
  return rows;
}

void TfrmPlanets::UpdateGroupActions() {
  const size_t any = SelectedGroups(false).size();
  const size_t own = SelectedOwnGroups().size();
  for (QAction* a : {actDefender_, actAttacker_}) a->setEnabled(any >= 1);
  for (QAction* a : {actSendToPlanet_, actUpgrade_}) a->setEnabled(own >= 1);
  actSendToPlanets_->setEnabled(own == 1);
  actFindGroup_->setEnabled(own == 1);
}

void TfrmPlanets::InsertPlanetLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  if (IOrderService* orders = Orders()) orders->InsertPlanetCommands(JoinOrderLines(lines));
}

bool TfrmPlanets::SelectProductionItem(std::string& item) {
  const std::vector<std::string> choices = ProductionChoices(state_);
  int selected = -1;
  for (size_t i = 0; i < choices.size(); ++i)
    if (choices[i] == item) selected = static_cast<int>(i);
  if (!ui_.ChooseFromList("Select item to produce", choices, selected)) return false;
  if (selected < 0 || selected >= static_cast<int>(choices.size())) return false;
  item = choices[static_cast<size_t>(selected)];
  return true;
}

void TfrmPlanets::ProduceOnPlanet(TPlanet* planet) {
  if (!IsOwn(planet) || !SelectProductionItem(productionItem_)) return;
  InsertPlanetLines({ProductionCommand(planet->Name, productionItem_)});
}

void TfrmPlanets::InsertDevelopTag() {
  if (shown_) InsertPlanetLines({DevelopTag(shown_->Name)});
}

void TfrmPlanets::ClaimOwnership() {
  if (shown_) InsertPlanetLines({ClaimCommand(shown_->Name)});
}

void TfrmPlanets::RenamePlanet() {
  if (!IsOwn(shown_)) return;
  std::string name = shown_->Name;
  if (!AskNewName(name)) return;
  const TRenameOrder order = RenameOrder(state_, *shown_, name);
  if (!order.Refusal.empty())
    ui_.ShowMessage(order.Refusal);
  else if (!order.Line.empty())
    InsertPlanetLines({order.Line});
}

void TfrmPlanets::CreateEliteName() {
  if (!shown_) return;
  IOrderService* orders = Orders();
  const std::vector<std::string> renamed =
      orders ? orders->CollectRenamedPlanetNames() : std::vector<std::string>{};
  if (const auto name = ProposeEliteName(state_, *shown_, renamed))
    InsertPlanetLines({RenameCommand(shown_->Name, *name)});
}

void TfrmPlanets::DevelopPlanets() {
  std::vector<std::string> lines;
  for (const TPlanetInfoRow* row : SelectedPlanetRows()) lines.push_back(DevelopTag(row->Name));
  InsertPlanetLines(lines);
}

void TfrmPlanets::ProduceOnPlanets() {
  const auto rows = SelectedPlanetRows();
  if (rows.empty() || !SelectProductionItem(productionItems_)) return;
  std::vector<std::string> lines;
  for (const TPlanetInfoRow* row : rows)
    lines.push_back(ProductionCommand(row->Name, productionItems_));
  InsertPlanetLines(lines);
}

void TfrmPlanets::ClaimPlanets() {
  std::vector<std::string> lines;
  for (const TPlanetInfoRow* row : SelectedPlanetRows()) lines.push_back(ClaimCommand(row->Name));
  InsertPlanetLines(lines);
}

void TfrmPlanets::UpgradeGroups() {
  std::vector<std::string> numbers;
  for (const TPlanetGroupRow* row : SelectedOwnGroups())
    numbers.push_back(std::to_string(FirstIntInStr(row->Cells[0])));
  IOrderService* orders = Orders();
  if (numbers.empty() || !orders) return;
  orders->InsertGroupCommands(UpgradeCommands(numbers));
  orders->AnalyseAfterInsert();
}

void TfrmPlanets::UnloadGroups() {
  std::vector<std::string> lines;
  for (const TPlanetGroupRow* row : SelectedOwnGroups())
    if (row->Load > 0) lines.push_back(UnloadCommand(std::to_string(FirstIntInStr(row->Cells[0]))));
  IOrderService* orders = Orders();
  if (lines.empty() || !orders) return;
  orders->InsertGroupCommands(JoinOrderLines(lines));
  orders->AnalyseAfterInsert();
}

void TfrmPlanets::AddToDefender() {
  IBattleSimulatorService* sim = services_().BattleSimulator;
  if (!sim) return;
  const auto rows = SelectedGroups(false);
  if (rows.empty()) return;
  for (const TPlanetGroupRow* row : rows) sim->AddDefender(row->Group->Clone());
  sim->FillGrids();
}

void TfrmPlanets::AddToAttacker() {
  IBattleSimulatorService* sim = services_().BattleSimulator;
  if (!sim) return;
  const auto rows = SelectedGroups(false);
  if (rows.empty()) return;
  for (const TPlanetGroupRow* row : rows) sim->AddAttacker(row->Group->Clone());
  sim->FillGrids();
}

namespace {

// Groups the picker may send: they move, are not under way and have ships left.
std::vector<TPlanetGroupRow*> Sendable(const std::vector<TPlanetGroupRow*>& rows) {
  std::vector<TPlanetGroupRow*> out;
  for (TPlanetGroupRow* row : rows)
    if (row->Group->Speed() > 0 && row->Turns == 0 && row->Available > 0) out.push_back(row);
  return out;
}

}  // namespace

void TfrmPlanets::SendGroupsToPlanet() {
  IDestinationPickerService* picker = services_().Picker;
  if (!picker) return;
  TPickerRequest request;
  for (TPlanetGroupRow* row : Sendable(SelectedOwnGroups()))
    request.Groups.emplace_back(row->Number, row->Group);
  if (!request.Groups.empty()) picker->ShowPicker(request);
}

void TfrmPlanets::SendGroupToPlanets() {
  IDestinationPickerService* picker = services_().Picker;
  if (!picker) return;
  const auto rows = Sendable(SelectedOwnGroups());
  if (rows.empty()) return;
  TPickerRequest request;
  request.Groups.emplace_back(rows.front()->Number, rows.front()->Group);
  request.MaxPlanets = rows.front()->Available;
  request.Spread = true;
  if (request.MaxPlanets > 0) picker->ShowPicker(request);
}

void TfrmPlanets::FindPlanetInOrders() {
  if (shown_ && Orders()) Orders()->FindPlanetInOrders(shown_->Name);
}

void TfrmPlanets::FindGroupInOrders() {
  const auto rows = SelectedOwnGroups();
  if (!rows.empty() && Orders()) Orders()->FindGroupInOrders(FirstIntInStr(rows.front()->Cells[0]));
}

// ---- Extra information ---------------------------------------------------------------------

void TfrmPlanets::SetExtraInfo() {
  if (!shown_ || shown_->Owner.IsNone()) return;
  std::unique_ptr<TfrmSetExtraInfo> own;
  TfrmSetExtraInfo* dialog = extraInfoDialog_ ? extraInfoDialog_() : nullptr;
  if (!dialog) {
    own = std::make_unique<TfrmSetExtraInfo>(state_, ui_, extraInfoFile_, this);
    dialog = own.get();
  }
  dialog->SetPlanetName(shown_->Name);
  dialog->SetPlanet(shown_);
  dialog->SetSize(shown_->Size);
  dialog->SetOwner(shown_->Owner);
  dialog->exec();
  // Only what Add, Change or Delete stored reaches the planet.
  if (const auto& applied = dialog->Applied()) {
    ApplyExtraInfo(state_, *shown_, applied->Owner, applied->Size);
    for (TPlanetInfoRow& row : rows_)
      if (row.Planet == shown_) row.Owner = PlanetOwnerText(*shown_);
    ShowPlanetRows();
    RefreshPlanetInfo();
  }
}

void TfrmPlanets::SaveExtraInfo() {
  try {
    state_.ExtraInfo.SaveToIni(extraInfoFile_, state_.Settings.GetGameSection());
    ui_.ShowMessage("Saved");
  } catch (const std::exception& e) {
    ui_.ShowMessage(e.what());
  }
}

// ---- Keys and settings ---------------------------------------------------------------------

void TfrmPlanets::keyPressEvent(QKeyEvent* event) {
  if (!HandleListKeys(
          *event, [this] { RefreshPlanetInfo(); }, Orders()))
    TToolWindow::keyPressEvent(event);
}

void TfrmPlanets::LayOutFirstShow() {
  panesPending_ = true;
  ApplyPaneWidths();
}

void TfrmPlanets::ApplyPaneWidths() {
  // Given once the splitter has room for them: given before (the window system lays a new
  // window out after it is shown), they are squeezed into the splitter's first size, and the
  // groups' pane takes all that comes later.
  const int total = splitter_->width() - 2 * splitter_->handleWidth();
  auto [planets, info] = paneWidths_;
  // Not chosen by the player yet: the planet list as wide as its columns.
  if (!panesStored_) planets = std::max(planets, znListView1_->FittedWidth());
  if (!panesPending_ || total < planets + info + kMinPaneWidth) return;
  panesPending_ = false;
  laidOut_ = true;
  splitter_->setSizes({planets, info, total - planets - info});
}

bool TfrmPlanets::eventFilter(QObject* watched, QEvent* event) {
  if (watched == splitter_ && event->type() == QEvent::Resize && panesPending_) ApplyPaneWidths();
  return TToolWindow::eventFilter(watched, event);
}

QSize TfrmPlanets::FirstShowSize(const QSize& room) const {
  // The panes' widths and the groups' columns beside them, as far as the room goes.
  return {std::min(std::max(width(), paneWidths_.first + paneWidths_.second + kGroupsPaneWidth),
                   room.width()),
          std::min(height(), room.height())};
}

void TfrmPlanets::LoadOwnState() {
  // A pane narrower than its figures (a store written while the window was never laid out)
  // gets its first width back.
  const auto width = [this](const char* key, int fallback, int least) {
    const int stored = Store().ReadInteger(kSection, key, fallback);
    return stored < least ? fallback : stored;
  };
  paneWidths_ = {width("PlanetsPanel.Width", kPlanetsPaneWidth, kMinPaneWidth),
                 width("Planets_InfoPanel.Width", kInfoPaneWidth, kMinInfoPaneWidth)};
  panesStored_ = Store().ReadInteger(kSection, "PlanetsPanel.Width", -1) >= kMinPaneWidth;
  if (laidOut_) LayOutFirstShow();
  actCentred_->setChecked(Store().ReadBool(kSection, "Viewplanetscentered1.Checked", centred_));
  LoadColumnLayout(Store(), kSection, "lvGroups_Order", *lvGroups_);
}

void TfrmPlanets::SaveOwnState() {
  // A window never shown has its panes as read.
  const QList<int> sizes =
      laidOut_ ? splitter_->sizes() : QList<int>{paneWidths_.first, paneWidths_.second};
  Store().WriteInteger(kSection, "Planets_InfoPanel.Width", sizes.value(1));
  Store().WriteInteger(kSection, "PlanetsPanel.Width", sizes.value(0));
  Store().WriteBool(kSection, "Viewplanetscentered1.Checked", centred_);
  SaveColumnLayout(Store(), kSection, "lvGroups_Order", *lvGroups_);
}

}  // namespace tovix
