#include "windows/lists/planets_list_window.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/zn_list_view.h"
#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "platform/latin1.h"
#include "views/map_commands.h"
#include "views/name_samples.h"
#include "views/planet_info.h"
#include "windows/base/popup_actions.h"
#include "windows/base/wait_cursor.h"
#include "windows/dialogs/list_export_dialog.h"

namespace tovix {

namespace {

constexpr int kPlanetsListHelpContext = 25;
constexpr const char* kSection = "frmPlanetslist";
constexpr const char* kLayoutKey = "znListview1_Order";
constexpr const char* kCenteredKey = "Viewplanetscentered1.Checked";

}  // namespace

TfrmPlanetslist::TfrmPlanetslist(GameState& state, TznSaveState& store, UserInterface& ui,
                                 const TServices& services, QWidget* parent)
    : TToolWindow("Planets List", kPlanetsListHelpContext, store, parent),
      state_(state),
      ui_(ui),
      services_(services) {
  setObjectName("frmPlanetslist");
  AskText = [this](const std::string& title, const std::string& prompt, std::string& text) {
    bool ok = false;
    const QString answer = QInputDialog::getText(this, FromLatin1(title), FromLatin1(prompt),
                                                 QLineEdit::Normal, FromLatin1(text), &ok);
    if (ok) text = answer.toLatin1().toStdString();
    return ok;
  };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QHBoxLayout;
  cbxPlayers_ = new QComboBox(this);
  cbxPlayers_->setObjectName("cbxPlayers");
  cbxPlayers_->setMinimumContentsLength(16);
  btnExpressions_ = new QPushButton("Expressions", this);
  btnExpressions_->setObjectName("btnExpressions");
  btnCalculate_ = new QPushButton("Calculate", this);
  btnCalculate_->setObjectName("btnCalculate");
  Button1_ = new QPushButton("Expressions in Current View", this);
  Button1_->setObjectName("Button1");
  btnRefresh_ = new QPushButton("Refresh", this);
  btnRefresh_->setObjectName("btnRefresh");
  btnRefresh_->hide();  // it does nothing
  bar->addWidget(cbxPlayers_);
  bar->addWidget(btnExpressions_);
  bar->addWidget(btnCalculate_);
  bar->addWidget(Button1_);
  bar->addWidget(btnRefresh_);
  bar->addStretch();
  layout->addLayout(bar);

  lvPlanets_ = new TznListView(this);
  lvPlanets_->setObjectName("znListview1");
  QStringList captions;
  std::vector<int> widths;
  std::vector<bool> right;
  for (int c = 0; c < kPlanetColumnCount; ++c) {
    captions << kPlanetColumnCaptions[static_cast<size_t>(c)];
    widths.push_back(PlanetColumnLeftAligned(c) ? 75 : 70);
    right.push_back(!PlanetColumnLeftAligned(c));
  }
  lvPlanets_->SetColumns(captions, widths);
  lvPlanets_->Rows().SetRightAligned(right);
  lvPlanets_->Rows().SetCompare([this](int a, int b, int column) {
    return ComparePlanetRows(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)], column);
  });
  lvPlanets_->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(lvPlanets_);
  resize(900, 400);

  pmuPlanets_ = new QMenu(this);
  auto add = [this](QMenu* menu, const char* text, const QKeySequence& key, auto slot) {
    return AddPopupAction(this, menu, text, key, this, slot);
  };
  mniMark_ = add(pmuPlanets_, "&Mark Planets in Map", QKeySequence("Ctrl+M"),
                 &TfrmPlanetslist::MarkPlanets);
  add(pmuPlanets_, "&Unmark Planets in Map", QKeySequence("Ctrl+U"),
      &TfrmPlanetslist::UnmarkPlanets);
  pmuPlanets_->addSeparator();
  mniDevelop_ = add(pmuPlanets_, "&Develop Planets", QKeySequence("Ctrl+C"),
                    &TfrmPlanetslist::DevelopPlanets);
  mniProduce_ = add(pmuPlanets_, "&Produce on planets...", QKeySequence("Ctrl+P"),
                    &TfrmPlanetslist::ProducePlanets);
  mniClaim_ = add(pmuPlanets_, "&Claim Ownership", QKeySequence(), &TfrmPlanetslist::ClaimPlanets);
  mniRename_ =
      add(pmuPlanets_, "Rename planet", QKeySequence("Ctrl+R"), &TfrmPlanetslist::RenamePlanet);
  mniEliteName_ =
      add(pmuPlanets_, "Create Elite &Name", QKeySequence(), &TfrmPlanetslist::CreateEliteNames);
  mniFind_ = add(pmuPlanets_, "&Find Planet in Orders", QKeySequence("Ctrl+F"),
                 &TfrmPlanetslist::FindPlanetInOrders);
  pmuPlanets_->addSeparator();
  add(pmuPlanets_, "Select &All", QKeySequence("Ctrl+A"), [this] { lvPlanets_->SelectAllRows(); });
  add(pmuPlanets_, "E&xpressions", QKeySequence("Ctrl+E"), &TfrmPlanetslist::SelectByExpression);
  QMenu* extra = pmuPlanets_->addMenu("Extra");
  add(extra, "Export", QKeySequence("Ctrl+X"), &TfrmPlanetslist::ExportRows);
  mniDistance_ = add(extra, "Calculate Distance From", QKeySequence("Ctrl+D"),
                     &TfrmPlanetslist::CalculateDistanceFrom);
  mniCentered_ = add(pmuPlanets_, "View planets centered", QKeySequence("Alt+C"), [] {});
  mniCentered_->setCheckable(true);
  mniCentered_->setChecked(true);

  exporter_ = std::make_unique<TExportZnListView>(*lvPlanets_, ui_, this);
  exporter_->ExportType = TExportType::xHTML;
  exporter_->Options.ExportAllWhenNoneSelected = true;
  exporter_->Options.SelectedRowsOnly = true;
  exporter_->Options.ShowClipboardMsg = true;
  exporter_->Options.ShowProgress = true;
  exporter_->Options.TimeStamp = true;
  exporter_->Header = "Planets";
  exporter_->Footer = "Tovix";  // the main window's caption at the export
  exporter_->Title = "Tovix";
  exporter_->ViewOnly = true;

  connect(cbxPlayers_, &QComboBox::activated, this, [this](int) { OwnerChosen(); });
  connect(btnExpressions_, &QPushButton::clicked, this, &TfrmPlanetslist::SelectByExpression);
  connect(Button1_, &QPushButton::clicked, this, &TfrmPlanetslist::SelectInCurrentView);
  connect(btnCalculate_, &QPushButton::clicked, this, [this] {
    if (ShowCalculations) ShowCalculations();
  });
  connect(lvPlanets_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PreparePopup();
    pmuPlanets_->popup(lvPlanets_->viewport()->mapToGlobal(pos));
  });
  connect(lvPlanets_, &TznListView::SortBegin, this, [this](TznSortDirection direction, int col) {
    SortBegins(col, direction == TznSortDirection::sdDesc);
  });
  connect(lvPlanets_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            CurrentRowChanged(current.isValid() ? current.row() : -1);
          });
}

TfrmPlanetslist::~TfrmPlanetslist() = default;

void TfrmPlanetslist::showEvent(QShowEvent* event) {
  if (!shown_) FirstShow();
  TToolWindow::showEvent(event);
}

void TfrmPlanetslist::FirstShow() {
  shown_ = true;
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
  lvPlanets_->SetColumnSamples(pcolName, names.Planets);
  lvPlanets_->SetColumnSamples(pcolOwner, names.Owners);
  lvPlanets_->SetColumnSamples(pcolProduceType, names.Productions);
  ShowRows(OwnPlanetRows(state_));
}

void TfrmPlanetslist::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) != 0) {
    distanceFrom_ = nullptr;
    if (shown_) FirstShow();
    return;
  }
  if ((changes & gcOrdersAnalysed) != 0 && shown_) RefreshOrderColumns();
}

std::optional<std::string> TfrmPlanetslist::ChosenOwner() const {
  if (cbxPlayers_->currentIndex() <= 0) return std::nullopt;
  return cbxPlayers_->currentText().toLatin1().toStdString();
}

void TfrmPlanetslist::ShowRows(std::vector<TPlanetRow> rows) {
  filling_ = true;
  lastSyncedRow_ = -1;
  lvPlanets_->clearSelection();
  rows_ = std::move(rows);
  if (distanceFrom_) SetDistancesFrom(state_, rows_, *distanceFrom_);
  lvPlanets_->Rows().SetRows(static_cast<int>(rows_.size()), [this](int row, int column) {
    return rows_[static_cast<size_t>(row)].Cells[static_cast<size_t>(column)];
  });
  lvPlanets_->Resort();
  filling_ = false;
}

void TfrmPlanetslist::RefreshOrderColumns() {
  TWaitCursor wait;
  for (TPlanetRow& row : rows_) RefreshOrderCells(state_, row);
  lvPlanets_->viewport()->update();
}

void TfrmPlanetslist::OwnerChosen() {
  TWaitCursor wait;
  ShowRows(PlanetRows(state_, ChosenOwner()));
}

void TfrmPlanetslist::SelectByExpression() {
  std::vector<TPlanet*> all;
  for (int i = 0; i < state_.Planets.Count(); ++i) all.push_back(state_.Planets.Object(i));
  TAllPassExpressions everything;
  IExpressionService& expressions =
      services_.Expressions ? *services_.Expressions : static_cast<IExpressionService&>(everything);
  const std::vector<TPlanet*> chosen = expressions.SelectPlanetsByExpression(all);
  ShowRows(PlanetRows(state_, ChosenOwner(), &chosen));
}

void TfrmPlanetslist::SelectInCurrentView() {
  std::vector<TPlanet*> current;
  for (const TPlanetRow& row : rows_) current.push_back(row.Planet);
  TAllPassExpressions everything;
  IExpressionService& expressions =
      services_.Expressions ? *services_.Expressions : static_cast<IExpressionService&>(everything);
  const std::vector<TPlanet*> chosen = expressions.SelectPlanetsByExpression(current);
  ShowRows(PlanetRows(state_, std::nullopt, &chosen));
}

std::vector<TPlanet*> TfrmPlanetslist::SelectedPlanets() const {
  std::vector<TPlanet*> planets;
  for (int row : lvPlanets_->CollectSelectedRows())
    planets.push_back(rows_[static_cast<size_t>(row)].Planet);
  return planets;
}

TPlanetRow* TfrmPlanetslist::FocusedRow() {
  const std::vector<int> selected = lvPlanets_->CollectSelectedRows();
  if (selected.size() != 1) return nullptr;
  return &rows_[static_cast<size_t>(selected.front())];
}

void TfrmPlanetslist::PreparePopup() {
  const int count = lvPlanets_->SelectedCount();
  for (QAction* a : {mniMark_, mniDevelop_, mniProduce_, mniEliteName_}) a->setEnabled(count > 0);
  for (QAction* a : {mniDistance_, mniFind_, mniRename_}) a->setEnabled(count == 1);
  mniClaim_->setEnabled(count > 0);
}

void TfrmPlanetslist::CalculateDistanceFrom() {
  const TPlanetRow* from = FocusedRow();
  if (!from) return;
  distanceFrom_ = from->Planet;
  SetDistancesFrom(state_, rows_, *distanceFrom_);
  lvPlanets_->viewport()->update();  // the rows keep their order
}

void TfrmPlanetslist::SortBegins(int column, bool descending) {
  setWindowTitle(FromLatin1(PlanetSortCaption(descending, column)));
}

void TfrmPlanetslist::CurrentRowChanged(int viewRow) {
  if (filling_ || viewRow < 0 || viewRow == lastSyncedRow_) return;
  lastSyncedRow_ = viewRow;
  const int row = lvPlanets_->Rows().SourceRow(viewRow);
  if (row < 0 || !services_.PlanetInfo) return;
  services_.PlanetInfo->ShowPlanet(rows_[static_cast<size_t>(row)].Planet,
                                   mniCentered_->isChecked());
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

void TfrmPlanetslist::ExportRows() {
  if (MainCaption) exporter_->Footer = MainCaption();
  exporter_->ExecuteExport();
}

void TfrmPlanetslist::MarkPlanets() {
  const std::vector<TPlanet*> planets = SelectedPlanets();
  if (planets.empty() || !services_.Map) return;
  services_.Map->ClearPlanetMarks();
  for (TPlanet* p : planets) services_.Map->AddPlanetMark(p);
}

void TfrmPlanetslist::UnmarkPlanets() {
  if (services_.Map) services_.Map->ClearPlanetMarks();
}

void TfrmPlanetslist::FindPlanetInOrders() {
  const TPlanetRow* row = FocusedRow();
  if (row && services_.Orders) services_.Orders->FindPlanetInOrders(row->Planet->Name);
}

void TfrmPlanetslist::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F5) {
    RefreshOrderColumns();
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

void TfrmPlanetslist::LoadOwnState() {
  lvPlanets_->SetLoading(true);
  lvPlanets_->SetColumnLayout(Store().ReadString(kSection, kLayoutKey, ""));
  lvPlanets_->SetLoading(false);
  mniCentered_->setChecked(Store().ReadBool(kSection, kCenteredKey, mniCentered_->isChecked()));
}

void TfrmPlanetslist::SaveOwnState() {
  std::string layout;
  if (lvPlanets_->GetColumnLayout(layout)) Store().WriteString(kSection, kLayoutKey, layout);
  Store().WriteBool(kSection, kCenteredKey, mniCentered_->isChecked());
}

}  // namespace tovix
