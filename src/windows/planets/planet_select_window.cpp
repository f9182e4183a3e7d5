#include "windows/planets/planet_select_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/beep.h"
#include "controls/top_most_window.h"
#include "controls/zn_list_view.h"
#include "orders/order_lines.h"
#include "platform/latin1.h"
#include "views/name_samples.h"
#include "views/send_rows.h"
#include "windows/base/wait_cursor.h"
#include "windows/planets/advanced_send_dialog.h"
#include "windows/planets/planets_window.h"

namespace tovix {

namespace {

constexpr int kPlanetSelectHelpContext = 24;
// A quick run of selection changes shows the planet information window at most this often.
constexpr int kMayChangeMs = 100;

// The map's planet cursors stay where they are for the life of the scope.
class THoldCursors {
 public:
  explicit THoldCursors(IMapService* map) : map_(map) {
    if (map_) {
      was_ = map_->CursorSyncSuppressed();
      map_->SetCursorSyncSuppressed(true);
    }
  }
  ~THoldCursors() {
    if (map_) map_->SetCursorSyncSuppressed(was_);
  }
  THoldCursors(const THoldCursors&) = delete;
  THoldCursors& operator=(const THoldCursors&) = delete;

 private:
  IMapService* map_;
  bool was_ = false;
};

// The rows of a selection change, in view order, each once.
std::vector<int> RowsOf(const QItemSelection& selection) {
  std::vector<int> rows;
  for (const QModelIndex& index : selection.indexes())
    if (index.column() == 0) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

TShipsLeft ShipsLeftOf(const TOrderAnalysis& analysis) {
  return [&analysis](int32_t number, const TGroup& group) {
    return analysis.AvailableShipsOf(number, group);
  };
}

}  // namespace

TfrmPlanetSelect::TfrmPlanetSelect(GameState& state, TznSaveState& store, UserInterface& ui,
                                   TServicesSource services, QWidget* parent)
    : TToolWindow("Select Planet(s)", kPlanetSelectHelpContext, store, parent),
      state_(state),
      ui_(ui),
      services_(std::move(services)),
      ownAnalysis_(state) {
  setObjectName("frmPlanetSelect");
  // It serves the group windows as a dialog: stacked above the main window (window_stacking.h),
  // so that it is not hidden under it, and above the map whose planets it takes.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  RunAdvanced = [](TfrmAdvancedSend& dialog) { return dialog.exec() == QDialog::Accepted; };

  auto* layout = new QVBoxLayout(this);
  // The caption may be cut short by the window manager: the groups are named inside too.
  lblGroups_ = new QLabel(this);
  lblGroups_->setObjectName("lblGroups");
  lblGroups_->setWordWrap(true);
  lblGroups_->setTextFormat(Qt::PlainText);
  layout->addWidget(lblGroups_);
  auto* filters = new QHBoxLayout;
  auto* btnGroupFilter = new QToolButton(this);
  btnGroupFilter->setObjectName("btnGroupFilter");
  btnGroupFilter->setText("&Group Filter");
  auto* btnExpressions = new QToolButton(this);
  btnExpressions->setObjectName("btnExpressions");
  btnExpressions->setText("&Expressions");
  chbFilter_ = new QCheckBox("Filtered", this);
  chbFilter_->setObjectName("chbFilter");
  chbInverse_ = new QCheckBox("Inverse", this);
  chbInverse_->setObjectName("chbInverse");
  filters->addWidget(btnGroupFilter);
  filters->addWidget(btnExpressions);
  filters->addWidget(chbFilter_);
  filters->addWidget(chbInverse_);
  filters->addStretch();
  layout->addLayout(filters);

  znListView1_ = new TznListView(this);
  znListView1_->setObjectName("znListView1");
  QStringList captions;
  for (const char* c : kPickerColumns) captions << c;
  znListView1_->SetColumns(captions, {90, 55, 90});
  znListView1_->Rows().SetRightAligned({false, true, false});
  znListView1_->Rows().SetCompare([this](int a, int b, int column) {
    return ComparePlanetRows(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)], column,
                             false);
  });
  znListView1_->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(znListView1_, 1);

  auto* options = new QHBoxLayout;
  chbIntercept_ = new QCheckBox("Do Intercept", this);
  chbIntercept_->setObjectName("chbIntercept");
  chbLoad_ = new QCheckBox("Load Before Send", this);
  chbLoad_->setObjectName("chbLoad");
  options->addWidget(chbIntercept_);
  options->addWidget(chbLoad_);
  options->addStretch();
  layout->addLayout(options);

  auto* buttons = new QHBoxLayout;
  auto* btnOK = new QPushButton("OK", this);
  btnOK->setObjectName("btnOK");
  auto* btnCancel = new QPushButton("Cancel", this);
  btnCancel->setObjectName("btnCancel");
  btnAdvanced_ = new QPushButton("Advanced", this);
  btnAdvanced_->setObjectName("btnAdvanced");
  btnAdvanced_->setEnabled(false);
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  buttons->addWidget(btnAdvanced_);
  layout->addLayout(buttons);

  timerMayChange_ = new QTimer(this);
  timerMayChange_->setObjectName("TimerMayChange");
  timerMayChange_->setSingleShot(true);
  timerMayChange_->setInterval(kMayChangeMs);

  // A Linux window manager's system menu cannot be extended: "Top Most" sits in the pop-up.
  topMost_ = new TTopMostWindow(this);
  auto* menu = new QMenu(this);
  QAction* topMost = menu->addAction("&Top Most");
  topMost->setObjectName("mniTopMost");
  topMost->setCheckable(true);
  connect(topMost, &QAction::toggled, topMost_, &TTopMostWindow::SetAlwaysOnTop);
  znListView1_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(znListView1_, &QWidget::customContextMenuRequested, this, [this, menu](const QPoint& at) {
    menu->popup(znListView1_->viewport()->mapToGlobal(at));
  });

  // Escape is Cancel, as in a dialog.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &TfrmPlanetSelect::CancelClicked);

  connect(btnGroupFilter, &QToolButton::clicked, this, &TfrmPlanetSelect::GroupFilter);
  connect(btnExpressions, &QToolButton::clicked, this, &TfrmPlanetSelect::Expressions);
  connect(chbFilter_, &QCheckBox::clicked, this, &TfrmPlanetSelect::FillPlanetList);
  connect(chbInverse_, &QCheckBox::clicked, this, [this] {
    if (chbFilter_->isChecked()) FillPlanetList();
  });
  connect(chbIntercept_, &QCheckBox::toggled, chbLoad_,
          [this](bool on) { chbLoad_->setEnabled(!on); });
  connect(btnOK, &QPushButton::clicked, this, &TfrmPlanetSelect::OkClicked);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmPlanetSelect::CancelClicked);
  connect(btnAdvanced_, &QPushButton::clicked, this, &TfrmPlanetSelect::AdvancedClicked);
  connect(znListView1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TfrmPlanetSelect::SelectionChanged);
  connect(znListView1_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    const int row = znListView1_->Rows().SourceRow(index.row());
    if (row >= 0) SetDistancesFrom(rows_[static_cast<size_t>(row)].Planet);
  });
  resize(340, 520);
}

TfrmPlanetSelect::~TfrmPlanetSelect() = default;

// ---- The pick ----------------------------------------------------------------------------------

void TfrmPlanetSelect::ShowPicker(const TPickerRequest& request) {
  if (request.Groups.empty()) {
    // Nothing to send: a pick under way goes on.
    if (!isVisible()) active_ = false;
    return;
  }
  // A new request while a pick is under way takes its place: the groups the user chose last
  // are the ones to send.
  active_ = true;
  groups_ = request.Groups;
  maxPlanets_ = request.MaxPlanets;
  spread_ = request.Spread;
  selectedPlanets_.clear();
  btnAdvanced_->setEnabled(spread_);
  setWindowTitle(FromLatin1(PickerCaption(groups_)));
  lblGroups_->setText(FromLatin1(PickerGroupsText(groups_, ShipsLeftOf(Analysis()))));
  znListView1_->setSelectionMode(spread_ ? QAbstractItemView::ExtendedSelection
                                         : QAbstractItemView::SingleSelection);
  // Every name of the game shows whole, also at the first show's sizing.
  const TGameNames names = LongestGameNames(state_);
  znListView1_->SetColumnSamples(0, names.Planets);
  znListView1_->SetColumnSamples(2, names.Owners);
  znListView1_->FitColumns();
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();

  const TWaitCursor wait;
  filling_ = true;
  if (IExpressionFilterService* expressions = services_().ExpressionFilter)
    expressions->SelectAllPlanets();
  // Distances from where the groups stand.
  distanceFrom_ = groups_.front().second->Planet;
  FillPlanetList();
  filling_ = false;
  lastRow_ = -1;
}

void TfrmPlanetSelect::FillPlanetList() {
  const THoldCursors hold(services_().Map);
  const bool wasFilling = filling_;
  filling_ = true;
  rows_ =
      FilteredPlanetList(state_, services_(), chbFilter_->isChecked(), chbInverse_->isChecked());
  if (distanceFrom_) SetPlanetRowDistances(state_, rows_, *distanceFrom_);
  ShowPlanetRows();
  znListView1_->clearSelection();
  filling_ = wasFilling;
  lastRow_ = -1;
}

void TfrmPlanetSelect::ShowPlanetRows() {
  ShowPlanetInfoRows(*znListView1_, rows_);
}

void TfrmPlanetSelect::GroupFilter() {
  IGroupFilterService* groups = services_().GroupFilter;
  if (groups == nullptr) return;
  groups->ExecuteGroupFilter();
  const TWaitCursor wait;
  if (chbFilter_->isChecked()) FillPlanetList();
}

void TfrmPlanetSelect::Expressions() {
  IExpressionFilterService* expressions = services_().ExpressionFilter;
  if (expressions == nullptr) return;
  expressions->SelectAllPlanets();
  if (!expressions->ExecuteExpressionFilter()) return;
  const TWaitCursor wait;
  FillPlanetList();
}

void TfrmPlanetSelect::SetDistancesFrom(TPlanet* planet) {
  if (!planet) return;
  distanceFrom_ = planet;
  SetPlanetRowDistances(state_, rows_, *planet);
  ShowPlanetRows();
}

// ---- Selecting --------------------------------------------------------------------------------

int TfrmPlanetSelect::RowOf(const TPlanet* planet) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].Planet == planet) return static_cast<int>(i);
  return -1;
}

void TfrmPlanetSelect::SetRowSelected(int row, bool on) {
  const QModelIndex index = znListView1_->model()->index(znListView1_->Rows().ViewRow(row), 0);
  QItemSelectionModel::SelectionFlags flags =
      on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
  // One planet at a time when all groups go to one planet.
  if (on && !spread_) flags = QItemSelectionModel::ClearAndSelect;
  znListView1_->selectionModel()->select(index, flags | QItemSelectionModel::Rows);
}

void TfrmPlanetSelect::SelectRows(const std::vector<int>& rows) {
  for (int row : rows)
    if (row >= 0 && row < static_cast<int>(rows_.size())) SetRowSelected(row, true);
}

void TfrmPlanetSelect::SelectPlanet(TPlanet* planet) {
  if (!active_) return;
  const int row = RowOf(planet);
  if (row < 0) return;
  const QModelIndex index = znListView1_->model()->index(znListView1_->Rows().ViewRow(row), 0);
  znListView1_->scrollTo(index);
  SetRowSelected(row, !znListView1_->selectionModel()->isSelected(index));
}

void TfrmPlanetSelect::SelectPlanetsInList(const std::vector<TPlanet*>& planets) {
  for (TPlanet* planet : planets)
    if (const int row = RowOf(planet); row >= 0) SetRowSelected(row, true);
}

void TfrmPlanetSelect::SelectionChanged(const QItemSelection& selected,
                                        const QItemSelection& deselected) {
  if (filling_ || limiting_ || QCoreApplication::closingDown()) return;
  const TServices& services = services_();
  if (!services.Map || !services.PlanetInfo || services.Map->CursorSyncSuppressed()) return;
  const std::vector<int> added = RowsOf(selected);
  const std::vector<int> removed = RowsOf(deselected);
  const int changed = !added.empty() ? added.front() : (removed.empty() ? -1 : removed.front());
  const int row = znListView1_->Rows().SourceRow(changed);
  if (row < 0) return;
  if (!timerMayChange_->isActive() && row != lastRow_) {
    lastRow_ = row;
    services.PlanetInfo->ShowPlanet(rows_[static_cast<size_t>(row)].Planet, true);
    timerMayChange_->start();
  }
  // The limit holds whatever the timer: it only spares the planet information window.
  int count = znListView1_->SelectedCount();
  if (!spread_ || added.empty() || count <= maxPlanets_) return;
  Beep();
  limiting_ = true;
  for (auto it = added.rbegin(); it != added.rend() && count > maxPlanets_; ++it, --count)
    znListView1_->selectionModel()->select(
        znListView1_->model()->index(*it, 0),
        QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  limiting_ = false;
}

// ---- The orders -------------------------------------------------------------------------------

const TOrderAnalysis& TfrmPlanetSelect::Analysis() {
  if (IOrderAnalysisService* service = services_().Analysis)
    if (const TOrderAnalysis* analysis = service->LastAnalysis()) return *analysis;
  const TVectorOrderLines noOrders;
  ownAnalysis_.ParseOrders(noOrders);
  return ownAnalysis_;
}

void TfrmPlanetSelect::CollectSelectedPlanets() {
  selectedPlanets_.clear();
  for (int row : znListView1_->CollectSelectedRows())
    selectedPlanets_.push_back(rows_[static_cast<size_t>(row)].Planet);
}

void TfrmPlanetSelect::OkClicked() {
  CollectSelectedPlanets();
  IOrderService* orders = services_().Orders;
  if (active_ && orders && !selectedPlanets_.empty()) {
    TSendOptions options;
    options.Intercept = chbIntercept_->isChecked();
    if (chbLoad_->isChecked() && !options.Intercept) options.Cargo = AskCargoType(ui_);
    std::vector<std::string> names;
    for (const TPlanet* planet : selectedPlanets_) names.push_back(planet->Name);
    const std::string text = spread_
                                 ? SpreadOrders(groups_, names, options, ShipsLeftOf(Analysis()))
                                 : OnePlanetOrders(groups_, names.front(), options);
    if (!text.empty()) {
      orders->InsertGroupCommands(text);
      orders->AnalyseAfterInsert();
    }
  }
  Finish();
}

void TfrmPlanetSelect::CancelClicked() {
  Finish();
}

void TfrmPlanetSelect::AdvancedClicked() {
  if (!active_ || !spread_) return;
  CollectSelectedPlanets();
  if (selectedPlanets_.empty()) return;
  const TOrderAnalysis& analysis = Analysis();
  TfrmAdvancedSend dialog(state_, groups_, selectedPlanets_, ShipsLeftOf(analysis),
                          chbIntercept_->isChecked(), analysis, this);
  if (!RunAdvanced(dialog)) return;
  const std::string text = dialog.Orders();
  if (IOrderService* orders = services_().Orders; orders && !text.empty()) {
    orders->InsertGroupCommands(text);
    orders->AnalyseAfterInsert();
  }
  Finish();
}

void TfrmPlanetSelect::Finish() {
  active_ = false;
  timerMayChange_->stop();
  hide();
}

void TfrmPlanetSelect::closeEvent(QCloseEvent* event) {
  active_ = false;
  TToolWindow::closeEvent(event);
}

}  // namespace tovix
