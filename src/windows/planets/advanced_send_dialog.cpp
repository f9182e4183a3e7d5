#include "windows/planets/advanced_send_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/list_boxes.h"
#include "controls/spin_edit.h"
#include "controls/zn_list_view.h"
#include "platform/latin1.h"
#include "views/send_rows.h"
#include "windows/base/tool_window.h"
#include "windows/base/window_entry.h"

namespace tovix {

namespace {

// The results panel shrinks to this sliver, which stays to be clicked.
constexpr int kHiddenResultsWidth = 10;

template <size_t N>
TznListView* MakeList(QWidget* parent, const char* name, const std::array<const char*, N>& columns,
                      const std::vector<int>& widths, const std::vector<bool>& right) {
  auto* list = new TznListView(parent);
  list->setObjectName(name);
  QStringList captions;
  for (const char* c : columns) captions << c;
  list->SetColumns(captions, widths);
  list->Rows().SetRightAligned(right);
  return list;
}

// Shows `rows` (each a row of cells) in `list`; the vector must outlive the list's use of it.
void ShowCells(TznListView* list, const std::vector<TCells>& rows) {
  list->Rows().SetRows(static_cast<int>(rows.size()), [&rows](int row, int column) {
    const TCells& cells = rows[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)]
                                                      : std::string();
  });
  list->Resort();
}

void SelectViewRow(TznListView* list, int viewRow) {
  if (viewRow < 0 || viewRow >= list->Rows().Count()) return;
  const QModelIndex index = list->model()->index(viewRow, 0);
  list->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list->scrollTo(index);
}

// The view row of the only selected row; -1 when none or several are.
int SelectedViewRow(const TznListView* list) {
  const QModelIndexList rows = list->selectionModel()->selectedRows();
  return rows.size() == 1 ? rows.front().row() : -1;
}

}  // namespace

TfrmAdvancedSend::TfrmAdvancedSend(const GameState& state, TSendGroups groups,
                                   std::vector<TPlanet*> planets, TShipsLeft shipsLeft,
                                   bool intercept, const TOrderAnalysis& analysis, QWidget* parent)
    : QDialog(parent),
      state_(state),
      analysis_(analysis),
      send_(state, std::move(groups), std::move(planets), std::move(shipsLeft), intercept) {
  setObjectName("frmAdvancedSend");
  setProperty("HelpContext", FindWindowEntry("frmAdvancedSend")->HelpContext);
  setWindowTitle("Advanced Send");
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);

  auto* layout = new QVBoxLayout(this);
  lblIntercept_ =
      new QLabel(intercept ? "Creating Intercept Orders" : "Creating Send Orders", this);
  lblIntercept_->setObjectName("lblIntercept");
  QFont bold = lblIntercept_->font();
  bold.setBold(true);
  lblIntercept_->setFont(bold);
  layout->addWidget(lblIntercept_);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  auto* left = new QWidget(splitter_);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  // The groups above the planets, so that the three lists fit a screen's width side by side.
  auto* lists = new QSplitter(Qt::Vertical, left);
  lvGroups1_ = MakeList(lists, "lvGroups1", kAdvancedGroupColumns, {50, 60, 75, 60, 50, 70, 70},
                        {true, true, false, true, true, true, true});
  lvGroups1_->setSelectionMode(QAbstractItemView::SingleSelection);
  lvPlanets1_ = MakeList(lists, "lvPlanets1", kAdvancedPlanetColumns, {75, 75, 40, 80, 80, 80, 80},
                         {false, false, true, true, true, true, true});
  lvPlanets1_->setSelectionMode(QAbstractItemView::SingleSelection);
  leftLayout->addWidget(lists, 1);

  auto* addRow = new QHBoxLayout;
  auto* perPlanetLabel = new QLabel("Ships per planet:", left);
  edtSendShipsToPlanets_ = new TRxSpinEdit(left);
  edtSendShipsToPlanets_->setObjectName("edtSendShipsToPlanets");
  edtSendShipsToPlanets_->SetValueType(vtInteger);
  edtSendShipsToPlanets_->SetMinValue(TAdvancedSend::kMinShipsPerPlanet);
  edtSendShipsToPlanets_->SetMaxValue(TAdvancedSend::kMaxShipsPerPlanet);
  edtSendShipsToPlanets_->SetAsInteger(1);
  edtSendShipsToPlanets_->setFixedWidth(90);
  perPlanetLabel->setBuddy(edtSendShipsToPlanets_);
  chbRemovePlanet_ = new QCheckBox("Remove Planet From List After Add", left);
  chbRemovePlanet_->setObjectName("chbRemovePlanet");
  chbRemovePlanet_->setChecked(true);
  actAdd_ = new QAction("Add", this);
  actAdd_->setObjectName("ActAddGroupToPlanets");
  actAdd_->setShortcut(QKeySequence("Ctrl+C"));
  addAction(actAdd_);
  auto* btnAdd = new QToolButton(left);
  btnAdd->setObjectName("btnAdd");
  btnAdd->setDefaultAction(actAdd_);
  addRow->addWidget(perPlanetLabel);
  addRow->addWidget(edtSendShipsToPlanets_);
  addRow->addWidget(btnAdd);
  addRow->addWidget(chbRemovePlanet_);
  addRow->addStretch();
  leftLayout->addLayout(addRow);

  // The information pages.
  auto* infoType = new QGroupBox("Info Type", left);
  infoType->setObjectName("RadioGroup1");
  auto* infoTypeLayout = new QHBoxLayout(infoType);
  const char* pageNames[] = {"Planet", "My Groups", "Other Groups"};
  for (int i = 0; i < 3; ++i) {
    rbInfo_[i] = new QRadioButton(pageNames[i], infoType);
    infoTypeLayout->addWidget(rbInfo_[i]);
    connect(rbInfo_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) pages_->setCurrentIndex(i);
    });
  }
  infoTypeLayout->addStretch();
  leftLayout->addWidget(infoType);
  pages_ = new QStackedWidget(left);
  auto* planetInfo = new TTextListBox(pages_);
  planetInfo->SetTabWidth(40);
  lbxPlanetInfo_ = planetInfo;
  lbxPlanetInfo_->setObjectName("lbxPlanetInfo");
  lvMyGroupsHover_ =
      MakeList(pages_, "lvMyGroupsHover", kMyGroupsColumns, {45, 75, 50, 45, 50, 75, 70, 70},
               {true, false, true, true, true, true, true, true});
  lvOtherGroupsHover_ =
      MakeList(pages_, "lvOtherGroupsHover", kOtherGroupsColumns, {75, 45, 75, 50, 50, 75, 70, 70},
               {false, true, false, true, true, true, true, true});
  pages_->addWidget(lbxPlanetInfo_);
  pages_->addWidget(lvMyGroupsHover_);
  pages_->addWidget(lvOtherGroupsHover_);
  leftLayout->addWidget(pages_, 1);
  auto* pageMenu = new QMenu(this);
  const char* actionNames[] = {"PlanetInfo", "My Groups", "Other Groups"};
  const char* keys[] = {"Ctrl+P", "Ctrl+M", "Ctrl+O"};
  for (int i = 0; i < 3; ++i) {
    QAction* action = pageMenu->addAction(actionNames[i]);
    action->setShortcut(QKeySequence(keys[i]));
    addAction(action);
    connect(action, &QAction::triggered, this, [this, i] { SetInfoPage(TInfoPage(i)); });
  }
  for (QWidget* page :
       {static_cast<QWidget*>(lbxPlanetInfo_), static_cast<QWidget*>(lvMyGroupsHover_),
        static_cast<QWidget*>(lvOtherGroupsHover_)}) {
    page->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(page, &QWidget::customContextMenuRequested, this,
            [page, pageMenu](const QPoint& at) { pageMenu->popup(page->mapToGlobal(at)); });
  }

  // The results, with the sliver that hides and shows them.
  resultsPanel_ = new QWidget(splitter_);
  resultsPanel_->setObjectName("pnlResults");
  auto* resultsLayout = new QHBoxLayout(resultsPanel_);
  resultsLayout->setContentsMargins(0, 0, 0, 0);
  resultsLayout->setSpacing(0);
  panel3_ = new QToolButton(resultsPanel_);
  panel3_->setObjectName("Panel3");
  panel3_->setToolTip("Press panel to hide / show results");
  panel3_->setFixedWidth(kHiddenResultsWidth);
  panel3_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  resultsLayout->addWidget(panel3_);
  auto* resultsColumn = new QVBoxLayout;
  lblResults_ = new QLabel("Results", resultsPanel_);
  lvResults_ = MakeList(resultsPanel_, "lvResults", kAdvancedResultColumns, {50, 75, 75, 55, 40},
                        {true, false, false, true, true});
  resultsColumn->addWidget(lblResults_);
  resultsColumn->addWidget(lvResults_);
  resultsLayout->addLayout(resultsColumn);
  actDelete_ = new QAction("&Delete", this);
  actDelete_->setObjectName("ActResultDeleteGroups");
  actDelete_->setShortcut(QKeySequence("Ctrl+D"));
  actDelete_->setShortcutContext(Qt::WidgetShortcut);
  lvResults_->addAction(actDelete_);
  auto* resultsMenu = new QMenu(this);
  resultsMenu->addAction(actDelete_);
  lvResults_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lvResults_, &QWidget::customContextMenuRequested, this,
          [this, resultsMenu](const QPoint& at) {
            UpdateActions();
            resultsMenu->popup(lvResults_->viewport()->mapToGlobal(at));
          });
  splitter_->setStretchFactor(0, 1);
  layout->addWidget(splitter_, 1);

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("Button2");
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("btnCancel");
  // Enter after typing the ships per planet must not end the window and write the orders.
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(actAdd_, &QAction::triggered, this, &TfrmAdvancedSend::AddGroupToPlanets);
  connect(actDelete_, &QAction::triggered, this, &TfrmAdvancedSend::DeleteResults);
  connect(panel3_, &QToolButton::clicked, this, &TfrmAdvancedSend::ToggleResults);
  connect(lvGroups1_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    GroupChosen();
    UpdateActions();
  });
  connect(lvPlanets1_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    const int view = SelectedViewRow(lvPlanets1_);
    const int row = lvPlanets1_->Rows().SourceRow(view);
    if (row >= 0) ShowPlanetInfo(send_.PlanetRows()[static_cast<size_t>(row)]);
    UpdateActions();
  });
  connect(lvResults_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TfrmAdvancedSend::UpdateActions);
  connect(lvPlanets1_, &TznListView::HotTrack, this,
          [this](int row, int, QPoint, bool*) { PlanetHot(row); });
  connect(lvResults_, &TznListView::HotTrack, this,
          [this](int row, int, QPoint, bool*) { ResultHot(row); });

  rbInfo_[ipPlanet]->setChecked(true);
  ShowGroupRows();
  // The first group chosen, as its row shows: the planets' turns are its.
  {
    const QSignalBlocker block(lvGroups1_->selectionModel());
    SelectGroupRow(0);
  }
  GroupChosen();
  ShowResultRows();
  if (!send_.PlanetRows().empty()) ShowPlanetInfo(send_.PlanetRows().front());
  UpdateActions();
  // The lists as wide as their columns; what the screen has beyond goes to the left side.
  const int leftWidth =
      std::max({lvGroups1_->FittedWidth(), lvPlanets1_->FittedWidth(),
                lvMyGroupsHover_->FittedWidth(), lvOtherGroupsHover_->FittedWidth()});
  const int resultsWidth = lvResults_->FittedWidth() + kHiddenResultsWidth;
  lists->setSizes({200, 200});
  splitter_->setSizes({leftWidth, resultsWidth});
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int screenWidth = screen ? screen->availableGeometry().width() : 1200;
  resize(std::min(leftWidth + resultsWidth + 40, screenWidth), 760);
}

void TfrmAdvancedSend::showEvent(QShowEvent* event) {
  // As large as a maximised window, but in the room beside the main window, which stays on top:
  // maximised, the lists' upper part would lie under it. Again once the frame is known.
  if (!placed_) {
    placed_ = true;
    SetClientGeometry(*this, RoomBesideMainWindow(*this));
    WhenExposed(*this, [this] { SetClientGeometry(*this, RoomBesideMainWindow(*this)); });
  }
  QDialog::showEvent(event);
}

TfrmAdvancedSend::~TfrmAdvancedSend() = default;

// ---- The lists ---------------------------------------------------------------------------------

void TfrmAdvancedSend::ShowGroupRows() {
  groupCells_.clear();
  for (const TAdvancedSend::TGroupRow& row : send_.GroupRows())
    groupCells_.push_back(AdvancedGroupCells(row));
  ShowCells(lvGroups1_, groupCells_);
}

void TfrmAdvancedSend::ShowPlanetRows() {
  // The planets chosen stay chosen.
  std::vector<TPlanet*> chosen;
  for (int row : lvPlanets1_->CollectSelectedRows())
    chosen.push_back(planetShown_[static_cast<size_t>(row)]);
  planetShown_ = send_.PlanetRows();
  planetCells_.clear();
  for (size_t i = 0; i < planetShown_.size(); ++i)
    planetCells_.push_back(AdvancedPlanetCells(*planetShown_[i], planetTurns_[i]));
  const QSignalBlocker block(lvPlanets1_->selectionModel());
  ShowCells(lvPlanets1_, planetCells_);
  for (size_t i = 0; i < planetShown_.size(); ++i)
    if (std::find(chosen.begin(), chosen.end(), planetShown_[i]) != chosen.end())
      SelectViewRow(lvPlanets1_, lvPlanets1_->Rows().ViewRow(static_cast<int>(i)));
}

void TfrmAdvancedSend::ShowResultRows() {
  resultCells_.clear();
  for (const TAdvancedSend::TResultRow& row : send_.ResultRows())
    resultCells_.push_back(AdvancedResultCells(row));
  ShowCells(lvResults_, resultCells_);
}

int TfrmAdvancedSend::ChosenGroupRow() const {
  return lvGroups1_->Rows().SourceRow(SelectedViewRow(lvGroups1_));
}

void TfrmAdvancedSend::GroupChosen() {
  const int row = ChosenGroupRow();
  const TGroup* group = row >= 0 ? send_.GroupRows()[static_cast<size_t>(row)].Group : nullptr;
  planetTurns_.clear();
  for (const TPlanet* planet : send_.PlanetRows())
    planetTurns_.push_back(group ? SendTurnsText(state_, *group, *planet) : "-");
  ShowPlanetRows();
}

void TfrmAdvancedSend::UpdateActions() {
  actAdd_->setEnabled(lvGroups1_->SelectedCount() == 1 && lvPlanets1_->SelectedCount() >= 1);
  actDelete_->setEnabled(lvResults_->SelectedCount() > 0);
}

void TfrmAdvancedSend::SelectGroupRow(int row) {
  SelectViewRow(lvGroups1_, lvGroups1_->Rows().ViewRow(row));
}

void TfrmAdvancedSend::SelectPlanetRow(int row) {
  SelectViewRow(lvPlanets1_, lvPlanets1_->Rows().ViewRow(row));
}

// ---- Add and Delete ----------------------------------------------------------------------------

void TfrmAdvancedSend::AddGroupToPlanets() {
  UpdateActions();
  if (!actAdd_->isEnabled()) return;
  const int groupView = SelectedViewRow(lvGroups1_);
  const std::vector<int> planets = lvPlanets1_->CollectSelectedRows();
  std::vector<int> planetViews;
  for (int row : planets) planetViews.push_back(lvPlanets1_->Rows().ViewRow(row));
  const TAdvancedSend::TAddOutcome outcome =
      send_.Add(lvGroups1_->Rows().SourceRow(groupView), planets,
                edtSendShipsToPlanets_->GetAsInteger(), chbRemovePlanet_->isChecked());
  // The planet at the last place used (with the used rows gone, the one that took its place), or
  // the first.
  int planetView = 0;
  if (outcome.Added > 0) {
    planetView = planetViews[static_cast<size_t>(outcome.Added - 1)];
    if (chbRemovePlanet_->isChecked()) planetView -= outcome.Added - 1;
  }
  ShowGroupRows();
  ShowResultRows();
  lvPlanets1_->clearSelection();
  // The same group row again, or, when it went, the one that took its place.
  SelectViewRow(lvGroups1_, std::min(groupView, lvGroups1_->Rows().Count() - 1));
  GroupChosen();
  SelectViewRow(lvPlanets1_, std::min(planetView, lvPlanets1_->Rows().Count() - 1));
  UpdateActions();
}

void TfrmAdvancedSend::DeleteResults() {
  const std::vector<int> rows = lvResults_->CollectSelectedRows();
  if (rows.empty()) return;
  const int groupRow = ChosenGroupRow();
  const int32_t key = groupRow >= 0 ? send_.GroupRows()[static_cast<size_t>(groupRow)].Key : 0;
  send_.Delete(rows);
  ShowGroupRows();
  ShowResultRows();
  // The group chosen stays chosen where it still is.
  for (size_t i = 0; i < send_.GroupRows().size(); ++i)
    if (groupRow >= 0 && send_.GroupRows()[i].Key == key) SelectGroupRow(static_cast<int>(i));
  GroupChosen();
  UpdateActions();
}

// ---- The information pages ---------------------------------------------------------------------

void TfrmAdvancedSend::SetInfoPage(TInfoPage page) {
  rbInfo_[page]->setChecked(true);
}

TfrmAdvancedSend::TInfoPage TfrmAdvancedSend::InfoPage() const {
  return TInfoPage(pages_->currentIndex());
}

void TfrmAdvancedSend::ShowPlanetInfo(TPlanet* planet) {
  if (!planet) return;
  infoPlanet_ = planet;
  lbxPlanetInfo_->clear();
  for (const std::string& line : AdvancedPlanetLines(state_, *planet))
    lbxPlanetInfo_->addItem(FromLatin1(line));
  myGroups_ = MyGroupsAtPlanet(state_, *planet, analysis_);
  ShowCells(lvMyGroupsHover_, myGroups_);
  otherGroups_ = OtherGroupsAtPlanet(state_, *planet);
  ShowCells(lvOtherGroupsHover_, otherGroups_);
}

void TfrmAdvancedSend::PlanetHot(int row) {
  if (row == hotPlanetRow_) return;
  hotPlanetRow_ = row;
  if (row >= 0 && static_cast<size_t>(row) < planetShown_.size())
    ShowPlanetInfo(planetShown_[static_cast<size_t>(row)]);
}

void TfrmAdvancedSend::ResultHot(int row) {
  if (row == hotResultRow_) return;
  hotResultRow_ = row;
  if (row >= 0 && static_cast<size_t>(row) < send_.ResultRows().size())
    ShowPlanetInfo(send_.ResultRows()[static_cast<size_t>(row)].Planet);
}

void TfrmAdvancedSend::ToggleResults() {
  QList<int> sizes = splitter_->sizes();
  const int total = sizes[0] + sizes[1];
  if (resultsShown_) {
    resultsWidth_ = sizes[1];
    lblResults_->hide();
    lvResults_->hide();
    resultsPanel_->setMaximumWidth(kHiddenResultsWidth);
    splitter_->setSizes({total - kHiddenResultsWidth, kHiddenResultsWidth});
  } else {
    lblResults_->show();
    lvResults_->show();
    resultsPanel_->setMaximumWidth(QWIDGETSIZE_MAX);
    splitter_->setSizes({total - resultsWidth_, resultsWidth_});
  }
  resultsShown_ = !resultsShown_;
}

}  // namespace tovix
