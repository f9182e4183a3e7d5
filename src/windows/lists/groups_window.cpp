#include "windows/lists/groups_window.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

#include "controls/zn_list_view.h"
#include "orders/order_lines.h"
#include "platform/latin1.h"
#include "views/name_samples.h"
#include "views/planet_list_rows.h"
#include "windows/base/popup_actions.h"
#include "windows/base/wait_cursor.h"

namespace tovix {

namespace {

constexpr int kGroupsHelpContext = 18;

void FillCombo(QComboBox* box, const std::vector<std::string>& items) {
  box->clear();
  for (const std::string& item : items) box->addItem(FromLatin1(item));
  box->setCurrentIndex(0);
}

}  // namespace

TfrmGroups::TfrmGroups(GameState& state, TznSaveState& store, UserInterface& ui,
                       const TServices& services, QWidget* parent)
    : TFilteredListWindow("Groups", kGroupsHelpContext, "frmGroups", state, store, ui, services,
                          parent) {
  cbxGROwners_ = AddOwnerBox("cbxGROwners", 14, "Group owner:");
  cbxPTOwners_ = AddOwnerBox("cbxPTOwners", 14, "Planet owner:");
  AddExpressionsButton();
  AddCurrentViewButton();
  MakeList(
      kGroupColumnCaptions, [](int c) { return c >= gcolOwner && c <= gcolShipType; }, 90, 65,
      [this](int a, int b, int column) {
        return CompareGroupRows(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)],
                                column, list_->SortDirection() == TznSortDirection::sdDesc);
      },
      GroupSortCaption, "Groups");
  resize(960, 400);

  const auto add = PopupAdder(this);
  mniMark_ = add(popup_, "&Mark Planets in Map", QKeySequence("Ctrl+M"), &TfrmGroups::MarkPlanets);
  add(popup_, "&Unmark Planets In Map", QKeySequence("Ctrl+N"), &TfrmGroups::UnmarkPlanets);
  popup_->addSeparator();
  mniSendToPlanet_ = add(popup_, "&Send Groups To Planet...", QKeySequence("Ctrl+S"),
                         [this] { SendGroups(TSendMode::GroupsToPlanet); });
  mniSendGroupToPlanets_ = add(popup_, "Send &Group To Planets ...", QKeySequence("Ctrl+G"),
                               [this] { SendGroups(TSendMode::GroupToPlanets); });
  mniSendToPlanets_ = add(popup_, "Send Groups To &Planets...", QKeySequence("Ctrl+P"),
                          [this] { SendGroups(TSendMode::GroupsToPlanets); });
  mniUpgrade_ = add(popup_, "&Upgrade", QKeySequence("Ctrl+U"), &TfrmGroups::Upgrade);
  mniUnload_ = add(popup_, "Un&load", QKeySequence("Ctrl+L"), &TfrmGroups::Unload);
  popup_->addSeparator();
  mniDefender_ =
      add(popup_, "Add to &Defender...", QKeySequence("Ctrl+Alt+D"), &TfrmGroups::AddToDefender);
  mniAttacker_ =
      add(popup_, "Add To A&ttacker...", QKeySequence("Ctrl+Alt+A"), &TfrmGroups::AddToAttacker);
  popup_->addSeparator();
  mniDistances_ = add(popup_, "&Calculate Distances to this Planet", QKeySequence("Ctrl+D"),
                      &TfrmGroups::CalculateDistances);
  add(popup_, "&Find Group in orders", QKeySequence("Ctrl+F"), &TfrmGroups::FindGroupInOrders);
  add(popup_, "Select A&ll Groups", QKeySequence("Ctrl+A"), [this] { list_->SelectAllRows(); });
  add(popup_, "&Expressions", QKeySequence("Ctrl+E"), &TfrmGroups::SelectByExpression);
  add(popup_, "E&xport", QKeySequence("Ctrl+X"), &TfrmGroups::ExportRows);
  AddCenteredItem("View planets &centered", QKeySequence());
  AddTopMostItem();

  connect(cbxGROwners_, &QComboBox::activated, this, [this](int) { RefreshGroupList(); });
  connect(cbxPTOwners_, &QComboBox::activated, this, [this](int) { RefreshGroupList(); });
}

TfrmGroups::~TfrmGroups() = default;

void TfrmGroups::FirstShow() {
  ComputePlanetShipMasses(state_);
  otherGroups_ = OtherGroups(state_);
  FillCombo(cbxGROwners_, GroupOwnerChoices(state_));
  FillCombo(cbxPTOwners_, GroupPlanetOwnerChoices(state_));
  // Every name of the game shows whole, also those the first rows do not hold.
  const TGameNames names = LongestGameNames(state_);
  list_->SetColumnSamples(gcolOwner, names.Races);
  list_->SetColumnSamples(gcolPlanet, names.Planets);
  list_->SetColumnSamples(gcolPlanetOwner, names.Races);
  list_->SetColumnSamples(gcolSource, names.Planets);
  list_->SetColumnSamples(gcolShipType, names.ShipTypes);
  FillGroupList();
}

void TfrmGroups::ForgetGame() {
  // The model's groups are new: the old analysis and reference point point into the old ones.
  noOrders_.reset();
  distancePlanet_ = nullptr;
  ShowRows({});
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

std::vector<TGroupItem> TfrmGroups::Candidates() {
  return GroupCandidates(otherGroups_, Analysis());
}

void TfrmGroups::ShowRows(std::vector<TGroupRow> rows) {
  SetRows([&] {
    rows_ = std::move(rows);
    list_->Rows().SetCellRows(rows_);
    list_->Resort();
  });
}

void TfrmGroups::ShowItems(const std::vector<TGroupItem>& items, bool ownerFilters) {
  const std::optional<std::string> none;
  ShowRows(GroupRows(state_, Analysis(), items, ownerFilters ? ChosenOwner(*cbxGROwners_) : none,
                     ownerFilters ? ChosenOwner(*cbxPTOwners_) : none, distancePlanet_));
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
  for (int row : list_->CollectSelectedRows()) {
    const TGroupRow& r = rows_[static_cast<size_t>(row)];
    if (!ownOnly || r.Item.Record) selected.push_back(&r);
  }
  return selected;
}

void TfrmGroups::PreparePopup() {
  const int count = list_->SelectedCount();
  for (QAction* a : {mniMark_, mniSendToPlanet_, mniUpgrade_, mniUnload_, mniDefender_,
                     mniAttacker_, mniSendToPlanets_})
    a->setEnabled(count > 0);
  for (QAction* a : {mniSendGroupToPlanets_, mniDistances_}) a->setEnabled(count == 1);
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
  if (!picker) return;
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

std::vector<TPlanet*> TfrmGroups::SelectedRowPlanets() const {
  std::vector<TPlanet*> planets;
  for (const TGroupRow* row : CollectSelectedGroups(false)) planets.push_back(row->Planet);
  return planets;
}

void TfrmGroups::FindGroupInOrders() {
  const QModelIndex current = list_->currentIndex();
  if (!current.isValid() || !services_.Orders) return;
  const int row = list_->Rows().SourceRow(current.row());
  if (row < 0) return;
  const std::string& number = rows_[static_cast<size_t>(row)].Cells[gcolNumber];
  if (!number.empty()) services_.Orders->FindGroupInOrders(std::stoi(number));
}

void TfrmGroups::FollowRow(int source) {
  const TGroupRow& row = rows_[static_cast<size_t>(source)];
  const bool centre = Centered();
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

void TfrmGroups::RefreshRows() {
  RefreshGroupList();
}

}  // namespace tovix
