#include "windows/lists/groups_window.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/top_most_window.h"
#include "controls/zn_list_view.h"
#include "orders/order_lines.h"
#include "platform/latin1.h"
#include "views/name_samples.h"
#include "views/planet_list_rows.h"
#include "windows/base/popup_actions.h"
#include "windows/base/wait_cursor.h"
#include "windows/dialogs/list_export_dialog.h"

namespace tovix {

namespace {

constexpr int kGroupsHelpContext = 18;
constexpr const char* kSection = "frmGroups";
constexpr const char* kLayoutKey = "znListview1_Order";
constexpr const char* kTopMostKey = "mniTopMost.Checked";
constexpr const char* kCenteredKey = "Viewplanetscentered1.Checked";

void FillCombo(QComboBox* box, const std::vector<std::string>& items) {
  box->clear();
  for (const std::string& item : items) box->addItem(FromLatin1(item));
  box->setCurrentIndex(0);
}

}  // namespace

TfrmGroups::TfrmGroups(GameState& state, TznSaveState& store, UserInterface& ui,
                       const TServices& services, QWidget* parent)
    : TToolWindow("Groups", kGroupsHelpContext, store, parent),
      state_(state),
      ui_(ui),
      services_(services) {
  setObjectName("frmGroups");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QHBoxLayout;
  cbxGROwners_ = new QComboBox(this);
  cbxGROwners_->setObjectName("cbxGROwners");
  cbxGROwners_->setMinimumContentsLength(14);
  cbxPTOwners_ = new QComboBox(this);
  cbxPTOwners_->setObjectName("cbxPTOwners");
  cbxPTOwners_->setMinimumContentsLength(14);
  btnExpressions_ = new QPushButton("Expressions", this);
  btnExpressions_->setObjectName("btnExpressions");
  Button1_ = new QPushButton("Expressions in Current View", this);
  Button1_->setObjectName("Button1");
  bar->addWidget(new QLabel("Group owner:", this));
  bar->addWidget(cbxGROwners_);
  bar->addWidget(new QLabel("Planet owner:", this));
  bar->addWidget(cbxPTOwners_);
  bar->addWidget(btnExpressions_);
  bar->addWidget(Button1_);
  bar->addStretch();
  layout->addLayout(bar);

  lvGroups_ = new TznListView(this);
  lvGroups_->setObjectName("znListview1");
  QStringList captions;
  std::vector<int> widths;
  std::vector<bool> right;
  for (int c = 0; c < kGroupColumnCount; ++c) {
    const bool text = c >= gcolOwner && c <= gcolShipType;
    captions << kGroupColumnCaptions[static_cast<size_t>(c)];
    widths.push_back(text ? 90 : 65);
    right.push_back(!text);
  }
  lvGroups_->SetColumns(captions, widths);
  lvGroups_->Rows().SetRightAligned(right);
  lvGroups_->Rows().SetCompare([this](int a, int b, int column) {
    return CompareGroupRows(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)], column,
                            lvGroups_->SortDirection() == TznSortDirection::sdDesc);
  });
  lvGroups_->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(lvGroups_);
  resize(960, 400);

  pmuGroups_ = new QMenu(this);
  auto add = [this](QMenu* menu, const char* text, const QKeySequence& key, auto slot) {
    return AddPopupAction(this, menu, text, key, this, slot);
  };
  mniMark_ =
      add(pmuGroups_, "&Mark Planets in Map", QKeySequence("Ctrl+M"), &TfrmGroups::MarkPlanets);
  add(pmuGroups_, "&Unmark Planets In Map", QKeySequence("Ctrl+N"), &TfrmGroups::UnmarkPlanets);
  pmuGroups_->addSeparator();
  mniSendToPlanet_ = add(pmuGroups_, "&Send Groups To Planet...", QKeySequence("Ctrl+S"),
                         [this] { SendGroups(TSendMode::GroupsToPlanet); });
  mniSendGroupToPlanets_ = add(pmuGroups_, "Send &Group To Planets ...", QKeySequence("Ctrl+G"),
                               [this] { SendGroups(TSendMode::GroupToPlanets); });
  mniSendToPlanets_ = add(pmuGroups_, "Send Groups To &Planets...", QKeySequence("Ctrl+P"),
                          [this] { SendGroups(TSendMode::GroupsToPlanets); });
  mniUpgrade_ = add(pmuGroups_, "&Upgrade", QKeySequence("Ctrl+U"), &TfrmGroups::Upgrade);
  mniUnload_ = add(pmuGroups_, "Un&load", QKeySequence("Ctrl+L"), &TfrmGroups::Unload);
  pmuGroups_->addSeparator();
  mniDefender_ = add(pmuGroups_, "Add to &Defender...", QKeySequence("Ctrl+Alt+D"),
                     &TfrmGroups::AddToDefender);
  mniAttacker_ = add(pmuGroups_, "Add To A&ttacker...", QKeySequence("Ctrl+Alt+A"),
                     &TfrmGroups::AddToAttacker);
  pmuGroups_->addSeparator();
  mniDistances_ = add(pmuGroups_, "&Calculate Distances to this Planet", QKeySequence("Ctrl+D"),
                      &TfrmGroups::CalculateDistances);
  add(pmuGroups_, "&Find Group in orders", QKeySequence("Ctrl+F"), &TfrmGroups::FindGroupInOrders);
  add(pmuGroups_, "Select A&ll Groups", QKeySequence("Ctrl+A"),
      [this] { lvGroups_->SelectAllRows(); });
  add(pmuGroups_, "&Expressions", QKeySequence("Ctrl+E"), &TfrmGroups::SelectByExpression);
  add(pmuGroups_, "E&xport", QKeySequence("Ctrl+X"), &TfrmGroups::ExportRows);
  mniCentered_ = add(pmuGroups_, "View planets &centered", QKeySequence(), [] {});
  mniCentered_->setCheckable(true);
  mniCentered_->setChecked(true);
  // A Linux window manager's system menu cannot be extended: "Top Most" sits in the popup.
  topMost_ = new TTopMostWindow(this);
  mniTopMost_ = pmuGroups_->addAction("&Top Most");
  mniTopMost_->setObjectName("mniTopMost");
  mniTopMost_->setCheckable(true);
  connect(mniTopMost_, &QAction::toggled, topMost_, &TTopMostWindow::SetAlwaysOnTop);

  exporter_ = std::make_unique<TExportZnListView>(*lvGroups_, ui_, this);
  exporter_->ExportType = TExportType::xHTML;
  exporter_->Options.ExportAllWhenNoneSelected = true;
  exporter_->Options.SelectedRowsOnly = true;
  exporter_->Options.ShowClipboardMsg = true;
  exporter_->Options.ShowProgress = true;
  exporter_->Options.TimeStamp = true;
  exporter_->Header = "Groups";
  exporter_->Footer = "Tovix";
  exporter_->Title = "Tovix";
  exporter_->ViewOnly = true;

  connect(cbxGROwners_, &QComboBox::activated, this, [this](int) { RefreshGroupList(); });
  connect(cbxPTOwners_, &QComboBox::activated, this, [this](int) { RefreshGroupList(); });
  connect(btnExpressions_, &QPushButton::clicked, this, &TfrmGroups::SelectByExpression);
  connect(Button1_, &QPushButton::clicked, this, &TfrmGroups::SelectInCurrentView);
  connect(lvGroups_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PreparePopup();
    pmuGroups_->popup(lvGroups_->viewport()->mapToGlobal(pos));
  });
  connect(lvGroups_, &TznListView::SortBegin, this, [this](TznSortDirection direction, int col) {
    setWindowTitle(FromLatin1(GroupSortCaption(direction == TznSortDirection::sdDesc, col)));
  });
  connect(lvGroups_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            CurrentRowChanged(current.isValid() ? current.row() : -1);
          });
}

TfrmGroups::~TfrmGroups() = default;

void TfrmGroups::showEvent(QShowEvent* event) {
  if (!shown_) FirstShow();
  TToolWindow::showEvent(event);
}

void TfrmGroups::FirstShow() {
  shown_ = true;
  ComputePlanetShipMasses(state_);
  otherGroups_ = OtherGroups(state_);
  FillCombo(cbxGROwners_, GroupOwnerChoices(state_));
  FillCombo(cbxPTOwners_, GroupPlanetOwnerChoices(state_));
  // Every name of the game shows whole, also those the first rows do not hold.
  const TGameNames names = LongestGameNames(state_);
  lvGroups_->SetColumnSamples(gcolOwner, names.Races);
  lvGroups_->SetColumnSamples(gcolPlanet, names.Planets);
  lvGroups_->SetColumnSamples(gcolPlanetOwner, names.Races);
  lvGroups_->SetColumnSamples(gcolSource, names.Planets);
  lvGroups_->SetColumnSamples(gcolShipType, names.ShipTypes);
  FillGroupList();
}

void TfrmGroups::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) != 0) {
    // The model's groups are new: the old analysis and reference point point into the old ones.
    noOrders_.reset();
    distancePlanet_ = nullptr;
    ShowRows({});
    if (shown_) FirstShow();
    return;
  }
  if ((changes & gcOrdersAnalysed) != 0 && shown_) RefreshGroupList();
}

const TOrderAnalysis* TfrmGroups::Analysis() {
  if (services_.Analysis) {
    if (const TOrderAnalysis* analysis = services_.Analysis->LastAnalysis()) return analysis;
  }
  if (!noOrders_) {
    noOrders_ = std::make_unique<TOrderAnalysis>(state_);
    noOrders_->ParseOrders(TVectorOrderLines());
  }
  return noOrders_.get();
}

IExpressionService& TfrmGroups::Expressions() {
  return services_.Expressions ? *services_.Expressions : allPass_;
}

std::vector<TGroupItem> TfrmGroups::Candidates() {
  return GroupCandidates(otherGroups_, Analysis());
}

std::optional<std::string> TfrmGroups::Chosen(const QComboBox* box) const {
  if (box->currentIndex() <= 0) return std::nullopt;
  return box->currentText().toLatin1().toStdString();
}

void TfrmGroups::ShowRows(std::vector<TGroupRow> rows) {
  filling_ = true;
  lastSyncedRow_ = -1;
  lvGroups_->clearSelection();
  rows_ = std::move(rows);
  lvGroups_->Rows().SetRows(static_cast<int>(rows_.size()), [this](int row, int column) {
    return rows_[static_cast<size_t>(row)].Cells[static_cast<size_t>(column)];
  });
  lvGroups_->Resort();
  filling_ = false;
}

void TfrmGroups::ShowItems(const std::vector<TGroupItem>& items, bool ownerFilters) {
  const std::optional<std::string> none;
  ShowRows(GroupRows(state_, Analysis(), items, ownerFilters ? Chosen(cbxGROwners_) : none,
                     ownerFilters ? Chosen(cbxPTOwners_) : none, distancePlanet_));
}

void TfrmGroups::FillGroupList() {
  std::vector<TGroupItem> items = Candidates();
  if (!groupExpression_.empty())
    items = Expressions().FilterGroupsByExpression(groupExpression_, items);
  ShowItems(items, true);
}

void TfrmGroups::RefreshGroupList() {
  TWaitCursor wait;
  FillGroupList();
}

void TfrmGroups::SelectByExpression() {
  const std::vector<TGroupItem> candidates = Candidates();
  std::vector<TGroupItem> chosen;
  std::string expression;
  const bool ok = Expressions().SelectGroupsByExpression(candidates, chosen, expression);
  groupExpression_ = ok ? expression : "";
  ShowItems(ok && !expression.empty() ? chosen : candidates, true);
}

void TfrmGroups::SelectInCurrentView() {
  std::vector<TGroupItem> current;
  for (const TGroupRow& row : rows_) current.push_back(row.Item);
  std::vector<TGroupItem> chosen;
  std::string expression;
  // A cancel keeps the rows as they are.
  if (!Expressions().SelectGroupsByExpression(current, chosen, expression)) return;
  // The chosen expression is stored even without an earlier one, so that the next refresh
  // keeps the same rows.
  groupExpression_ = CombineGroupExpressions(groupExpression_, expression);
  ShowItems(chosen, false);
}

std::vector<const TGroupRow*> TfrmGroups::CollectSelectedGroups(bool ownOnly) const {
  std::vector<const TGroupRow*> selected;
  for (int row : lvGroups_->CollectSelectedRows()) {
    const TGroupRow& r = rows_[static_cast<size_t>(row)];
    if (!ownOnly || r.Item.Record) selected.push_back(&r);
  }
  return selected;
}

void TfrmGroups::PreparePopup() {
  const int count = lvGroups_->SelectedCount();
  for (QAction* a : {mniMark_, mniSendToPlanet_, mniUpgrade_, mniUnload_, mniDefender_,
                     mniAttacker_, mniSendToPlanets_})
    a->setEnabled(count > 0);
  for (QAction* a : {mniSendGroupToPlanets_, mniDistances_}) a->setEnabled(count == 1);
}

void TfrmGroups::ExportRows() {
  if (MainCaption) exporter_->Footer = MainCaption();
  exporter_->ExecuteExport();
}

void TfrmGroups::CalculateDistances() {
  const std::vector<const TGroupRow*> selected = CollectSelectedGroups(false);
  if (selected.size() != 1) return;
  distancePlanet_ = selected.front()->Planet;
  // Shown at once rather than at the next rebuild.
  FillGroupList();
}

void TfrmGroups::Upgrade() {
  const std::string lines = UpgradeLines(CollectSelectedGroups(true));
  if (lines.empty() || !services_.Orders) return;
  services_.Orders->InsertGroupCommands(lines);
  services_.Orders->AnalyseAfterInsert();
}

void TfrmGroups::Unload() {
  const std::string lines = UnloadLines(CollectSelectedGroups(true));
  if (lines.empty() || !services_.Orders) return;
  services_.Orders->InsertGroupCommands(lines);
  services_.Orders->AnalyseAfterInsert();
}

void TfrmGroups::SendGroups(TSendMode mode) {
  IDestinationPickerService* picker = services_.Picker;
  if (!picker || picker->PickerActive()) return;
  const TPickerRequest request = PickerRequest(CollectSelectedGroups(true), mode);
  if (!request.Groups.empty()) picker->ShowPicker(request);
}

void TfrmGroups::HandToSimulator(bool defender) {
  IBattleSimulatorService* simulator = services_.BattleSimulator;
  if (!simulator) return;
  for (const TGroupRow* row : CollectSelectedGroups(false)) {
    if (!row->Group) continue;
    if (defender) {
      simulator->AddDefender(row->Group->Clone());
    } else {
      simulator->AddAttacker(row->Group->Clone());
    }
  }
  simulator->FillGrids();
}

void TfrmGroups::AddToDefender() {
  HandToSimulator(true);
}

void TfrmGroups::AddToAttacker() {
  HandToSimulator(false);
}

void TfrmGroups::MarkPlanets() {
  const std::vector<const TGroupRow*> selected = CollectSelectedGroups(false);
  if (selected.empty() || !services_.Map) return;
  services_.Map->ClearPlanetMarks();
  for (const TGroupRow* row : selected)
    if (row->Planet) services_.Map->AddPlanetMark(row->Planet);
}

void TfrmGroups::UnmarkPlanets() {
  if (services_.Map) services_.Map->ClearPlanetMarks();
}

void TfrmGroups::FindGroupInOrders() {
  const QModelIndex current = lvGroups_->currentIndex();
  if (!current.isValid() || !services_.Orders) return;
  const int row = lvGroups_->Rows().SourceRow(current.row());
  if (row < 0) return;
  const std::string& number = rows_[static_cast<size_t>(row)].Cells[gcolNumber];
  if (!number.empty()) services_.Orders->FindGroupInOrders(std::stoi(number));
}

void TfrmGroups::CurrentRowChanged(int viewRow) {
  if (filling_ || viewRow < 0 || viewRow == lastSyncedRow_) return;
  lastSyncedRow_ = viewRow;
  const int source = lvGroups_->Rows().SourceRow(viewRow);
  if (source < 0) return;
  const TGroupRow& row = rows_[static_cast<size_t>(source)];
  const bool centre = mniCentered_->isChecked();
  TPlanet* shown = nullptr;
  if (const TSendedGroup* r = row.Item.Record) {
    shown = r->Destination ? r->Destination : row.Group->Planet;
    if (services_.Map && shown)
      services_.Map->SetGroupCursor(shown->X, shown->Y, row.Group->Speed(),
                                    row.Group->SpeedFullLoad());
  } else {
    shown = row.Group->Planet;
    if (services_.Map) services_.Map->SetGroupCursor(0, 0, 0, 0);
  }
  if (shown && services_.PlanetInfo) services_.PlanetInfo->ShowPlanet(shown, centre);
}

void TfrmGroups::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F5) {
    RefreshGroupList();
    event->accept();
    return;
  }
  if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F6) {
    if (services_.Orders) services_.Orders->AnalyseOrders();
    event->accept();
    return;
  }
  TToolWindow::keyPressEvent(event);
}

void TfrmGroups::LoadOwnState() {
  lvGroups_->SetLoading(true);
  lvGroups_->SetColumnLayout(Store().ReadString(kSection, kLayoutKey, ""));
  lvGroups_->SetLoading(false);
  mniTopMost_->setChecked(Store().ReadBool(kSection, kTopMostKey, false));
  mniCentered_->setChecked(Store().ReadBool(kSection, kCenteredKey, mniCentered_->isChecked()));
}

void TfrmGroups::SaveOwnState() {
  std::string layout;
  if (lvGroups_->GetColumnLayout(layout)) Store().WriteString(kSection, kLayoutKey, layout);
  Store().WriteBool(kSection, kTopMostKey, mniTopMost_->isChecked());
  Store().WriteBool(kSection, kCenteredKey, mniCentered_->isChecked());
}

}  // namespace tovix
