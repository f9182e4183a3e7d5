#include "windows/lists/planets_list_window.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "controls/zn_list_view.h"
#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "platform/latin1.h"
#include "views/map_commands.h"
#include "views/name_samples.h"
#include "views/planet_info.h"
#include "windows/base/popup_actions.h"
#include "windows/base/wait_cursor.h"
#include "windows/dialogs/text_query.h"

namespace tovix {

namespace {

constexpr int kPlanetsListHelpContext = 25;

}  // namespace

TfrmPlanetslist::TfrmPlanetslist(GameState& state, TznSaveState& store, UserInterface& ui,
                                 const TServices& services, QWidget* parent)
    : TFilteredListWindow("Planets List", kPlanetsListHelpContext, "frmPlanetslist", state, store,
                          ui, services, parent) {
  AskText = [this](const std::string& title, const std::string& prompt, std::string& text) {
    const std::optional<std::string> answer =
        AskTypedText(this, FromLatin1(title), FromLatin1(prompt), text,
                     {TCodePage::Windows1252, "The planet name", "the orders"}, ui_);
    if (answer) text = *answer;
    return answer.has_value();
  };

  cbxPlayers_ = AddOwnerBox("cbxPlayers", 16);
  AddExpressionsButton();
  btnCalculate_ = AddBarButton("Calculate", "btnCalculate");
  AddCurrentViewButton();
  btnRefresh_ = AddBarButton("Refresh", "btnRefresh");
  btnRefresh_->hide();  // it does nothing
  MakeList(
      kPlanetColumnCaptions, PlanetColumnLeftAligned, 75, 70,
      [this](int a, int b, int column) {
        return ComparePlanetRows(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)],
                                 column);
      },
      PlanetSortCaption, "Planets");
  resize(900, 400);

  const auto add = PopupAdder(this);
  mniMark_ =
      add(popup_, "&Mark Planets in Map", QKeySequence("Ctrl+M"), &TfrmPlanetslist::MarkPlanets);
  add(popup_, "&Unmark Planets in Map", QKeySequence("Ctrl+U"), &TfrmPlanetslist::UnmarkPlanets);
  popup_->addSeparator();
  mniDevelop_ =
      add(popup_, "&Develop Planets", QKeySequence("Ctrl+C"), &TfrmPlanetslist::DevelopPlanets);
  mniProduce_ = add(popup_, "&Produce on planets...", QKeySequence("Ctrl+P"),
                    &TfrmPlanetslist::ProducePlanets);
  mniClaim_ = add(popup_, "&Claim Ownership", QKeySequence(), &TfrmPlanetslist::ClaimPlanets);
  mniRename_ = add(popup_, "Rename planet", QKeySequence("Ctrl+R"), &TfrmPlanetslist::RenamePlanet);
  mniEliteName_ =
      add(popup_, "Create Elite &Name", QKeySequence(), &TfrmPlanetslist::CreateEliteNames);
  mniFind_ = add(popup_, "&Find Planet in Orders", QKeySequence("Ctrl+F"),
                 &TfrmPlanetslist::FindPlanetInOrders);
  popup_->addSeparator();
  add(popup_, "Select &All", QKeySequence("Ctrl+A"), [this] { list_->SelectAllRows(); });
  add(popup_, "E&xpressions", QKeySequence("Ctrl+E"), &TfrmPlanetslist::SelectByExpression);
  QMenu* extra = popup_->addMenu("Extra");
  add(extra, "Export", QKeySequence("Ctrl+X"), &TfrmPlanetslist::ExportRows);
  mniDistance_ = add(extra, "Calculate Distance From", QKeySequence("Ctrl+D"),
                     &TfrmPlanetslist::CalculateDistanceFrom);
  AddCenteredItem("View planets centered", QKeySequence("Alt+C"));

  connect(cbxPlayers_, &QComboBox::activated, this, [this](int) { OwnerChosen(); });
  connect(btnCalculate_, &QPushButton::clicked, this, [this] {
    if (ShowCalculations) ShowCalculations();
  });
}

TfrmPlanetslist::~TfrmPlanetslist() = default;

void TfrmPlanetslist::FirstShow() {
  mniEliteName_->setVisible(state_.Settings.EliteNameCreation);
  mniClaim_->setVisible(state_.Settings.GameType == TGameType::NG);
  // The buildability column shows what the last analysis rated; the group masses come from
  // the model whichever list opens first.
  ComputePlanetShipMasses(state_);
  cbxPlayers_->clear();
  for (const std::string& owner : PlanetOwnerChoices(state_))
    cbxPlayers_->addItem(FromLatin1(owner));
  const int own = state_.MainPlayer ? cbxPlayers_->findText(FromLatin1(state_.MainPlayer->Name),
                                                            Qt::MatchFixedString)
                                    : -1;
  cbxPlayers_->setCurrentIndex(own >= 0 ? own : 0);
  // Every name of the game shows whole, also those the first rows do not hold.
  const TGameNames names = LongestGameNames(state_);
  list_->SetColumnSamples(pcolName, names.Planets);
  list_->SetColumnSamples(pcolOwner, names.Owners);
  list_->SetColumnSamples(pcolProduceType, names.Productions);
  ShowRows(OwnPlanetRows(state_));
}

void TfrmPlanetslist::ForgetGame() {
  distanceFrom_ = nullptr;
}

void TfrmPlanetslist::ShowRows(std::vector<TPlanetRow> rows) {
  SetRows([&] {
    rows_ = std::move(rows);
    if (distanceFrom_) SetDistancesFrom(state_, rows_, *distanceFrom_);
    list_->Rows().SetCellRows(rows_);
    list_->Resort();
  });
}

void TfrmPlanetslist::RefreshOrderColumns() {
  TWaitCursor wait;
  for (TPlanetRow& row : rows_) RefreshOrderCells(state_, row);
  list_->viewport()->update();
}

void TfrmPlanetslist::OwnerChosen() {
  TWaitCursor wait;
  ShowRows(PlanetRows(state_, ChosenOwner(*cbxPlayers_)));
}

void TfrmPlanetslist::SelectByExpression() {
  std::vector<TPlanet*> all;
  for (int i = 0; i < state_.Planets.Count(); ++i) all.push_back(state_.Planets.Object(i));
  const std::vector<TPlanet*> chosen = Expressions().SelectPlanetsByExpression(all);
  ShowRows(PlanetRows(state_, ChosenOwner(*cbxPlayers_), &chosen));
}

void TfrmPlanetslist::SelectInCurrentView() {
  std::vector<TPlanet*> current;
  for (const TPlanetRow& row : rows_) current.push_back(row.Planet);
  const std::vector<TPlanet*> chosen = Expressions().SelectPlanetsByExpression(current);
  ShowRows(PlanetRows(state_, std::nullopt, &chosen));
}

std::vector<TPlanet*> TfrmPlanetslist::SelectedPlanets() const {
  std::vector<TPlanet*> planets;
  for (int row : list_->CollectSelectedRows())
    planets.push_back(rows_[static_cast<size_t>(row)].Planet);
  return planets;
}

TPlanetRow* TfrmPlanetslist::FocusedRow() {
  const std::vector<int> selected = list_->CollectSelectedRows();
  if (selected.size() != 1) return nullptr;
  return &rows_[static_cast<size_t>(selected.front())];
}

void TfrmPlanetslist::PreparePopup() {
  const int count = list_->SelectedCount();
  for (QAction* a : {mniMark_, mniDevelop_, mniProduce_, mniEliteName_}) a->setEnabled(count > 0);
  for (QAction* a : {mniDistance_, mniFind_, mniRename_}) a->setEnabled(count == 1);
  mniClaim_->setEnabled(count > 0);
}

void TfrmPlanetslist::CalculateDistanceFrom() {
  const TPlanetRow* from = FocusedRow();
  if (!from) return;
  distanceFrom_ = from->Planet;
  SetDistancesFrom(state_, rows_, *distanceFrom_);
  list_->viewport()->update();  // the rows keep their order
}

void TfrmPlanetslist::FollowRow(int row) {
  if (!services_.PlanetInfo) return;
  services_.PlanetInfo->ShowPlanet(rows_[static_cast<size_t>(row)].Planet, Centered());
}

void TfrmPlanetslist::InsertPlanetLines(const std::vector<std::string>& lines) {
  if (lines.empty() || !services_.Orders) return;
  services_.Orders->InsertPlanetCommands(JoinOrderLines(lines));
}

void TfrmPlanetslist::RenamePlanet() {
  const TPlanetRow* row = FocusedRow();
  if (!row) return;
  std::string newName = row->Planet->Name;
  if (!AskText("Create Order", "Enter new planet name", newName)) return;
  // Another planet's name, in any case, is refused (the planet's own name in another case is
  // not), and so is a name with blanks, which would make a malformed order.
  const TRenameOrder order = RenameOrder(state_, *row->Planet, newName);
  if (!order.Refusal.empty())
    ui_.ShowMessage(order.Refusal);
  else if (!order.Line.empty())
    InsertPlanetLines({order.Line});
}

void TfrmPlanetslist::DevelopPlanets() {
  std::vector<std::string> lines;
  for (const TPlanet* p : SelectedPlanets()) lines.push_back(DevelopTag(p->Name));
  InsertPlanetLines(lines);
}

void TfrmPlanetslist::ClaimPlanets() {
  std::vector<std::string> lines;
  for (const TPlanet* p : SelectedPlanets()) lines.push_back(ClaimCommand(p->Name));
  InsertPlanetLines(lines);
}

void TfrmPlanetslist::ProducePlanets() {
  const std::vector<TPlanet*> planets = SelectedPlanets();
  if (planets.empty()) return;
  const std::vector<std::string> items = ProductionChoices(state_);
  int chosen =
      static_cast<int>(std::find(items.begin(), items.end(), productionItem_) - items.begin());
  if (chosen >= static_cast<int>(items.size())) chosen = -1;
  if (!ui_.ChooseFromList("Select item to produce", items, chosen) || chosen < 0 ||
      chosen >= static_cast<int>(items.size()))
    return;
  productionItem_ = items[static_cast<size_t>(chosen)];
  std::vector<std::string> lines;
  for (const TPlanet* p : planets) lines.push_back(ProductionCommand(p->Name, productionItem_));
  InsertPlanetLines(lines);
}

void TfrmPlanetslist::CreateEliteNames() {
  const std::vector<std::string> renamed =
      services_.Orders ? services_.Orders->CollectRenamedPlanetNames() : std::vector<std::string>{};
  std::vector<std::string> lines;
  for (const TPlanet* p : SelectedPlanets()) {
    if (!p->Owner.Is(state_.MainPlayer)) continue;
    // The game's proposals never repeat, within this batch or across commands and windows.
    if (const auto name = ProposeEliteName(state_, *p, renamed))
      lines.push_back(RenameCommand(p->Name, *name));
  }
  InsertPlanetLines(lines);
}

std::vector<TPlanet*> TfrmPlanetslist::SelectedRowPlanets() const {
  return SelectedPlanets();
}

void TfrmPlanetslist::FindPlanetInOrders() {
  const TPlanetRow* row = FocusedRow();
  if (row && services_.Orders) services_.Orders->FindPlanetInOrders(row->Planet->Name);
}

void TfrmPlanetslist::RefreshRows() {
  RefreshOrderColumns();
}

}  // namespace tovix
