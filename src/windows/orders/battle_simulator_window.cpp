#include "windows/orders/battle_simulator_window.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <exception>

#include "controls/spin_edit.h"
#include "platform/latin1.h"
#include "views/battle_sim_rows.h"
#include "windows/dialogs/text_query.h"

namespace tovix {

namespace {

constexpr int kBattleSimulatorHelpContext = 6;
constexpr const char* kQuestion = "10000 rounds. Continue with this battle?";

}  // namespace

// ---- the worker ----------------------------------------------------------------------------

TBatSimThread::TBatSimThread(std::vector<TBatGroup> attackers, std::vector<TBatGroup> defenders,
                             int32_t battleCount, bool verbose, uint64_t seed, QObject* parent)
    : QThread(parent),
      attackers_(std::move(attackers)),
      defenders_(std::move(defenders)),
      battleCount_(battleCount),
      verbose_(verbose),
      seed_(seed) {}

void TBatSimThread::RequestStop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  answered_.notify_all();
}

void TBatSimThread::Answer(bool goOn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_ = goOn ? 1 : 0;
  }
  answered_.notify_all();
}

bool TBatSimThread::AskContinue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_ = -1;
  }
  emit QuestionAsked();
  std::unique_lock<std::mutex> lock(mutex_);
  answered_.wait(lock, [this] { return answer_ != -1 || stop_; });
  return answer_ == 1 && !stop_;
}

void TBatSimThread::run() {
  TBattleRandom random(seed_);
  TBattleHooks hooks;
  hooks.Flush = [this](std::vector<std::string>&& lines) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& l : lines) list << FromLatin1(l);
    emit LinesReady(list);
  };
  hooks.AskContinue = [this] { return AskContinue(); };
  hooks.Stop = &stop_;
  TBattleEngine engine(random, std::move(hooks));
  engine.BattleCount = battleCount_;
  engine.Verbose = verbose_;
  try {
    engine.Execute(std::move(attackers_), std::move(defenders_));
  } catch (const std::exception& e) {
    // An internal fault of the engine: what was collected, then the fault.
    QStringList list;
    for (const std::string& l : engine.Log()) list << FromLatin1(l);
    list << FromLatin1(e.what());
    emit LinesReady(list);
  }
}

// ---- the window ----------------------------------------------------------------------------

TfrmBattleSimulator::TfrmBattleSimulator(TznSaveState& store, UserInterface& ui, QWidget* parent)
    : TToolWindow("Battle Simulator", kBattleSimulatorHelpContext, store, parent), ui_(ui) {
  setObjectName("frmBattleSimulator");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);

  auto* bar = new QHBoxLayout;
  btnSimulate_ = new QPushButton("Start Simulation", this);
  btnSimulate_->setObjectName("btnSimulate");
  btnSimulate_->setProperty("Tag", static_cast<int>(ssIdle));
  bar->addWidget(btnSimulate_);
  auto* battlesLabel = new QLabel("&Battles:", this);
  bar->addWidget(battlesLabel);
  edtMaxBattles_ = new TRxSpinEdit(this);
  edtMaxBattles_->setObjectName("edtMax_Battles");
  edtMaxBattles_->SetValueType(vtInteger);
  edtMaxBattles_->SetMinValue(1);
  edtMaxBattles_->SetMaxValue(1000000);
  edtMaxBattles_->SetIncrement(500);
  edtMaxBattles_->SetAsInteger(5000);
  edtMaxBattles_->setFixedWidth(100);
  battlesLabel->setBuddy(edtMaxBattles_);
  bar->addWidget(edtMaxBattles_);
  cbxShowResults_ = new QCheckBox("&Verbose", this);
  cbxShowResults_->setObjectName("cbxShowResults");
  bar->addWidget(cbxShowResults_);
  bar->addStretch();
  layout->addLayout(bar);

  pages_ = new QTabWidget(this);
  layout->addWidget(pages_);
  tshGroups_ = new QWidget;
  tshGroups_->setObjectName("tshGroups");
  auto* groups = new QVBoxLayout(tshGroups_);
  auto makeSide = [&](TSide side, const char* title, const char* gridName, const char* clearName,
                      const char* clearCaption) {
    auto* head = new QHBoxLayout;
    head->addWidget(new QLabel(title, tshGroups_));
    head->addStretch();
    auto* clear = new QPushButton(clearCaption, tshGroups_);
    clear->setObjectName(clearName);
    connect(clear, &QPushButton::clicked, this, [this, side] {
      ClearGroupList(side);
      FillGrids();
    });
    head->addWidget(clear);
    groups->addLayout(head);
    auto* grid = new QTableWidget(tshGroups_);
    grid->setObjectName(gridName);
    grid->setColumnCount(kBattleGridColumns);
    QStringList captions;
    for (const char* caption : kBattleGridCaptions) captions << caption;
    grid->setHorizontalHeaderLabels(captions);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* deleteGroup = new QAction("Delete Group", grid);
    deleteGroup->setShortcut(QKeySequence("Ctrl+D"));
    deleteGroup->setShortcutContext(Qt::WidgetShortcut);
    connect(deleteGroup, &QAction::triggered, this,
            [this, side, grid] { DeleteGroup(side, grid->currentRow()); });
    grid->addAction(deleteGroup);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, side, grid](QPoint pos) {
      const int row = grid->rowAt(pos.y());
      if (row >= 0) grid->selectRow(row);
      PreparePopup(side)->popup(grid->viewport()->mapToGlobal(pos));
    });
    groups->addWidget(grid, 1);
    return grid;
  };
  sgrDefenders_ = makeSide(sdDefenders, "Defenders", "sgrDefenders", "btnClearD", "&Clear");
  sgrAttackers_ = makeSide(sdAttackers, "Attackers", "sgrAttackers", "btnClearA", "Cle&ar");
  pmuDefenders_ = new QMenu(sgrDefenders_);
  pmuAttackers_ = new QMenu(sgrAttackers_);
  pages_->addTab(tshGroups_, "Groups");

  tshResults_ = new QWidget;
  tshResults_->setObjectName("tshResults");
  auto* results = new QVBoxLayout(tshResults_);
  memo1_ = new QPlainTextEdit(tshResults_);
  memo1_->setObjectName("Memo1");
  memo1_->setReadOnly(true);
  memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo1_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  results->addWidget(memo1_);
  pages_->addTab(tshResults_, "Results");

  connect(btnSimulate_, &QPushButton::clicked, this, &TfrmBattleSimulator::SimulateClicked);
  askText_ = [this](const std::string& title, const std::string& prompt, const std::string& text) {
    return AskTypedText(this, FromLatin1(title), FromLatin1(prompt), text,
                        {TCodePage::Latin1, "The load", "a number"}, ui_);
  };
  FillGrids();
  resize(640, 480);
}

TfrmBattleSimulator::~TfrmBattleSimulator() {
  if (thread_) {
    thread_->disconnect(this);
    thread_->RequestStop();
    thread_->wait();
  }
}

std::vector<std::unique_ptr<TGroup>>& TfrmBattleSimulator::List(TSide side) {
  return side == sdDefenders ? battle_.Defenders : battle_.Attackers;
}

const std::vector<std::unique_ptr<TGroup>>& TfrmBattleSimulator::Groups(TSide side) const {
  return side == sdDefenders ? battle_.Defenders : battle_.Attackers;
}

bool TfrmBattleSimulator::GroupsPageShown() const {
  return pages_->isTabVisible(pages_->indexOf(tshGroups_));
}

void TfrmBattleSimulator::NewBattle() {
  if (state_ != ssIdle) return;
  battle_.Attackers.clear();
  battle_.Defenders.clear();
}

void TfrmBattleSimulator::AddAttacker(std::unique_ptr<TGroup> group) {
  Add(sdAttackers, std::move(group));
}

void TfrmBattleSimulator::AddDefender(std::unique_ptr<TGroup> group) {
  Add(sdDefenders, std::move(group));
}

void TfrmBattleSimulator::Add(TSide side, std::unique_ptr<TGroup> group) {
  if (state_ != ssIdle || !group) return;
  const std::string warning = NoWeaponsWarning(*group);
  List(side).push_back(std::move(group));
  if (!warning.empty()) ui_.ShowMessage(warning);
}

void TfrmBattleSimulator::ClearGroupList(TSide side) {
  if (state_ != ssIdle) return;
  List(side).clear();
}

void TfrmBattleSimulator::FillGrids() {
  FillGrid(sdDefenders);
  FillGrid(sdAttackers);
}

void TfrmBattleSimulator::FillGrid(TSide side) {
  QTableWidget* grid = Grid(side);
  const auto& groups = Groups(side);
  const int current = grid->currentRow();
  grid->clearContents();
  grid->setRowCount(static_cast<int>(groups.size()) + 1);  // one empty row below the groups
  for (size_t r = 0; r < groups.size(); ++r) {
    const std::vector<std::string> cells = BattleGridRow(*groups[r], side == sdAttackers);
    for (int c = 0; c < kBattleGridColumns; ++c) {
      auto* item = new QTableWidgetItem(FromLatin1(cells[static_cast<size_t>(c)]));
      if (c != 1 && c != 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->setItem(static_cast<int>(r), c, item);
    }
  }
  // The selection stays on its row (or the last group when that row went).
  if (current >= 0)
    grid->setCurrentCell(std::min(current, grid->rowCount() - 1), 0);
  else
    grid->scrollToTop();
}

QMenu* TfrmBattleSimulator::PreparePopup(TSide side) {
  QTableWidget* grid = Grid(side);
  QMenu* menu = side == sdDefenders ? pmuDefenders_ : pmuAttackers_;
  menu->clear();
  menu->addAction(grid->actions().front());
  const int row = grid->currentRow();
  const auto& groups = Groups(side);
  if (row >= 0 && row < static_cast<int>(groups.size()) && groups[row]->CargoCapacity() > 0) {
    QAction* load =
        menu->addAction("Load", this, [this, side, grid] { LoadGroup(side, grid->currentRow()); });
    load->setObjectName("mniLoadD");
  }
  return menu;
}

void TfrmBattleSimulator::DeleteGroup(TSide side, int row) {
  if (state_ != ssIdle) return;
  auto& groups = List(side);
  if (row >= 0 && row < static_cast<int>(groups.size())) groups.erase(groups.begin() + row);
  FillGrids();
}

void TfrmBattleSimulator::LoadGroup(TSide side, int row) {
  if (state_ != ssIdle) return;
  auto& groups = List(side);
  if (row < 0 || row >= static_cast<int>(groups.size())) return;
  TGroup& group = *groups[row];
  const float capacity = group.CargoCapacity();
  if (capacity <= 0) return;
  const std::optional<std::string> text =
      askText_("Load", "Enter Ship load", LoadDefaultText(group));
  if (!text) return;
  if (const std::optional<float> load = ParseShipLoad(*text, capacity)) group.Load = *load;
  FillGrids();
}

void TfrmBattleSimulator::SimulateClicked() {
  switch (state_) {
    case ssIdle:
      StartSimulation();
      break;
    case ssRunning:
      if (!thread_) {  // the run has ended by itself
        ShowIdle();
      } else {
        state_ = ssStopping;
        btnSimulate_->setProperty("Tag", static_cast<int>(ssStopping));
        btnSimulate_->setText("Stopping Simulation");
        thread_->RequestStop();
      }
      break;
    case ssStopping:
      break;  // waits for the worker's last report
  }
}

void TfrmBattleSimulator::StartSimulation() {
  if (battle_.Attackers.empty() || battle_.Defenders.empty()) return;
  std::vector<TBatGroup> attackers, defenders;
  for (const auto& g : battle_.Attackers) attackers.push_back(MakeBatGroup(*g, g->Load));
  for (const auto& g : battle_.Defenders) defenders.push_back(MakeBatGroup(*g, g->Load));
  const int32_t count = std::clamp(edtMaxBattles_->GetAsInteger(), 1, 1000000);
  const uint64_t seed =
      seed_ ? *seed_
            : static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  state_ = ssRunning;
  btnSimulate_->setProperty("Tag", static_cast<int>(ssRunning));
  btnSimulate_->setText("Stop Simulation");
  pages_->setTabVisible(pages_->indexOf(tshGroups_), false);
  pages_->setCurrentWidget(tshResults_);
  memo1_->clear();
  thread_ = std::make_unique<TBatSimThread>(std::move(attackers), std::move(defenders), count,
                                            cbxShowResults_->isChecked(), seed);
  connect(thread_.get(), &TBatSimThread::LinesReady, this, &TfrmBattleSimulator::LinesArrived,
          Qt::QueuedConnection);
  connect(thread_.get(), &TBatSimThread::QuestionAsked, this, &TfrmBattleSimulator::QuestionArrived,
          Qt::QueuedConnection);
  connect(thread_.get(), &QThread::finished, this, &TfrmBattleSimulator::RunFinished,
          Qt::QueuedConnection);
  thread_->start(QThread::IdlePriority);
}

void TfrmBattleSimulator::LinesArrived(const QStringList& lines) {
  memo1_->appendPlainText(lines.join('\n'));
}

void TfrmBattleSimulator::QuestionArrived() {
  if (!thread_ || state_ != ssRunning) return;  // a stop has released the worker already
  const bool goOn = ui_.AskYesNo(kQuestion);
  if (thread_) thread_->Answer(goOn);
}

void TfrmBattleSimulator::RunFinished() {
  // Every report line of the run has arrived before this call (same sender, same queue).
  if (thread_) {
    thread_->wait();
    thread_.reset();
  }
  if (state_ == ssStopping) ShowIdle();
  // A run that ended by itself keeps "Stop Simulation" until it is clicked.
}

void TfrmBattleSimulator::ShowIdle() {
  state_ = ssIdle;
  btnSimulate_->setProperty("Tag", static_cast<int>(ssIdle));
  btnSimulate_->setText("Start Simulation");
  pages_->setTabVisible(pages_->indexOf(tshGroups_), true);
}

}  // namespace tovix
