#pragma once
// "Battle Simulator": the user collects defenders and attackers (from the battles, group and
// planet windows and the ship designer, through IBattleSimulatorService), sets a cargo load per
// group, chooses the number of battles and starts the simulation. The engine runs on a worker
// thread at idle priority; its report lines reach the memo by queued calls, and its question
// after 9,999 rounds of one battle is answered here without the worker ever blocking this
// thread. Stop only asks the worker to end: the button shows "Stopping Simulation" until the
// worker's last report has arrived.

#include <QStringList>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_model.h"
#include "orders/battle_engine.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QAction;
class QCheckBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace tovix {

class TRxSpinEdit;

// One simulation run on its own thread. Made and started by the window; its signals arrive on
// the window's thread.
class TBatSimThread : public QThread {
  Q_OBJECT

 public:
  TBatSimThread(std::vector<TBatGroup> attackers, std::vector<TBatGroup> defenders,
                int32_t battleCount, bool verbose, uint64_t seed, QObject* parent = nullptr);

  // Asks the run to end (checked every round) and releases a worker waiting for an answer.
  void RequestStop();
  // The answer to the question: true goes on with the battle.
  void Answer(bool goOn);

 signals:
  void LinesReady(const QStringList& lines);
  void QuestionAsked();

 protected:
  void run() override;

 private:
  bool AskContinue();

  std::vector<TBatGroup> attackers_;
  std::vector<TBatGroup> defenders_;
  int32_t battleCount_;
  bool verbose_;
  uint64_t seed_;
  std::atomic<bool> stop_ = false;
  std::mutex mutex_;
  std::condition_variable answered_;
  int answer_ = -1;  // -1 while no answer has come
};

class TfrmBattleSimulator : public TToolWindow, public IBattleSimulatorService {
  Q_OBJECT

 public:
  // The start button's states (its tag).
  enum TSimState { ssStopping = 0, ssIdle = 1, ssRunning = 2 };
  enum TSide { sdDefenders, sdAttackers };

  TfrmBattleSimulator(TznSaveState& store, UserInterface& ui, QWidget* parent = nullptr);
  ~TfrmBattleSimulator() override;

  // IBattleSimulatorService; each does nothing while a simulation runs.
  void NewBattle() override;
  void AddAttacker(std::unique_ptr<TGroup> group) override;
  void AddDefender(std::unique_ptr<TGroup> group) override;
  void FillGrids() override;
  // Frees every group of one side.
  void ClearGroupList(TSide side);

  const std::vector<std::unique_ptr<TGroup>>& Groups(TSide side) const;
  TSimState State() const { return state_; }
  QPushButton* SimulateButton() const { return btnSimulate_; }
  TRxSpinEdit* BattlesEdit() const { return edtMaxBattles_; }
  QCheckBox* VerboseBox() const { return cbxShowResults_; }
  QTableWidget* Grid(TSide side) const {
    return side == sdDefenders ? sgrDefenders_ : sgrAttackers_;
  }
  QPlainTextEdit* Report() const { return memo1_; }
  bool GroupsPageShown() const;

  // The start button: starts, stops, or after a run that ended by itself returns to idle.
  void SimulateClicked();
  // The grid's popup for the selected row: "Delete Group", plus "Load" for a group with cargo
  // space.
  QMenu* PreparePopup(TSide side);
  void DeleteGroup(TSide side, int row);
  // Asks for the load of the group in `row` and stores it when it lies in 0 .. capacity.
  void LoadGroup(TSide side, int row);

  // The random seed of the next run; without one the clock seeds it.
  void SetSeed(std::optional<uint64_t> seed) { seed_ = seed; }
  // How "Load" asks for a text (title, prompt, default); nullopt when cancelled.
  using TAskText = std::function<std::optional<std::string>(
      const std::string& title, const std::string& prompt, const std::string& text)>;
  void SetAskText(TAskText ask) { askText_ = std::move(ask); }

 private:
  void Add(TSide side, std::unique_ptr<TGroup> group);
  void FillGrid(TSide side);
  void StartSimulation();
  void ShowIdle();
  void LinesArrived(const QStringList& lines);
  void QuestionArrived();
  void RunFinished();
  std::vector<std::unique_ptr<TGroup>>& List(TSide side);

  UserInterface& ui_;
  TBattle battle_{0, nullptr};
  TSimState state_ = ssIdle;
  std::unique_ptr<TBatSimThread> thread_;
  std::optional<uint64_t> seed_;
  TAskText askText_;

  QTabWidget* pages_;
  QWidget* tshGroups_;
  QWidget* tshResults_;
  QPushButton* btnSimulate_;
  TRxSpinEdit* edtMaxBattles_;
  QCheckBox* cbxShowResults_;
  QTableWidget* sgrDefenders_;
  QTableWidget* sgrAttackers_;
  QPlainTextEdit* memo1_;
  QMenu* pmuDefenders_;
  QMenu* pmuAttackers_;
};

}  // namespace tovix
