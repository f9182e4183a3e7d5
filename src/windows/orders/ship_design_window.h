#pragma once
// "Ship Design": any race's ship types, the five design values and four technology levels of
// the one shown (edited freely), and its figures empty ("Normal:") and fully loaded
// ("Loaded:"), computed by the model's own formulas on every change. For an own type it keeps
// how the automatic cargo planner may use it (stored at once and set on the type). "Orders"
// writes the D line, "Add To Defenders" / "Add To Attackers" hand a group of the design to the
// battle simulator. Below, the productivity (with the calculator) and the turns of the standard
// ships, whose generator writes into the design values; the designer provides
// IShipDesignService, and the standard-ship window is its companion (the hooks below).
//
// A value the game refuses (strictly between 0 and 1) is marked, and writing its D line asks
// first; a text that is no number makes the figures blank and gives a message when it is used.

#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "orders/ship_design.h"
#include "orders/standard_ship.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tovix {

class TComboEdit;
class TRxSpinEdit;

class TfrmShipDesign : public TToolWindow, public IShipDesignService {
  Q_OBJECT

 public:
  TfrmShipDesign(GameState& state, TznSaveState& store, UserInterface& ui, TServicesSource services,
                 QWidget* parent = nullptr);

  // IShipDesignService.
  void FollowPlanet(TPlanet* planet) override;
  void SetProductivity(double value) override;
  int Turns() const override;
  void SetTurns(int turns) override;
  bool GenerateStandardShip() override;
  std::string StdShipName() const override;
  std::string StdShipLine() const override;
  std::optional<TStdShip> StdShip() const override { return stdShip_; }
  int StdShipOption(TStdShipOption option) const override { return choices_.Item(option); }
  void SetStdShipOption(TStdShipOption option, int item) override;
  bool UseOneCargo() const override { return choices_.UseOneCargo; }
  void SetUseOneCargo(bool on) override;
  void ShowStandardShips() override;

  // The standard-ship window: told after each generation or change of a choice, and shown when
  // a change of productivity or turns generated a design.
  std::function<void()> StdShipChanged;
  std::function<void()> ShowStdShipWindow;

  // Refills the race box (races with ship types) and shows the user's race, else the first,
  // with its first type. With `keepShown` (after an analysis) the race and type shown stay
  // when they are still there, and so do the values being edited.
  void Refresh(bool keepShown);
  // Shows the race of `index` in the race box: its types by name, the first one shown.
  void SelectPlayer(int index);
  // Shows the type of `row` in the type list.
  void SelectType(int row);
  // "Orders": asks for the name and writes the D line.
  void OrdersClicked();
  void AddToDefenders();
  void AddToAttackers();
  // The productivity box's button: the calculator on the box's value; OK writes its result
  // ("%5.0f"), Cancel nothing.
  void CalculatorClicked();

  // How "Orders" asks for the name (title, prompt, default); nullopt when cancelled.
  using TAskText = std::function<std::optional<std::string>(
      const std::string& title, const std::string& prompt, const std::string& text)>;
  void SetAskText(TAskText ask) { askText_ = std::move(ask); }

  QComboBox* PlayerBox() const { return cbxPlayers_; }
  QListWidget* TypeList() const { return lbxShipTypes_; }
  QLineEdit* Edit(int field) const { return edits_[static_cast<size_t>(field)]; }
  // Row 0 "Normal:", row 1 "Loaded:"; columns speed, weapons, shields, cargo, mass.
  QLabel* FigureLabel(int row, int column) const {
    return figures_[static_cast<size_t>(row * 5 + column)];
  }
  QComboBox* CargoUseBox() const { return cbxCargoType_; }
  QLabel* BlindMassLabel() const { return lblNGBlindMass_; }
  TComboEdit* ProductivityBox() const { return rxCalcEdit1_; }
  TRxSpinEdit* TurnsEdit() const { return rxSpinEdit1_; }
  QCheckBox* FollowBox() const { return checkBox1_; }
  TRxSpinEdit* DefendersCount() const { return edtDefendersCount_; }
  TRxSpinEdit* AttackersCount() const { return edtAttackersCount_; }
  // The edits' texts as they stand.
  TDesignTexts Texts() const;
  // Whether the edit of `field` is marked as a value the game refuses.
  bool Marked(int field) const;

 protected:
  void RefreshGame(TGameChanges changes) override;
  void LoadOwnState() override;
  void SaveOwnState() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateFigures();
  void ShowType(const TShipType* type);
  void ShowPlayers();
  void CargoUseChosen(int index);
  void StdShipInputChanged(QWidget* edited);
  void AddToSimulator(bool attackers);
  TPlayer* ChosenPlayer() const;
  TShipType* ChosenType() const;
  // The texts read, or nullopt after the message that names the bad one.
  std::optional<TDesignValues> ReadOrTell();
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt);

  GameState& state_;
  UserInterface& ui_;
  TServicesSource services_;
  TAskText askText_;
  int lock_ = 0;        // while above 0, edits do not recompute the figures
  bool quiet_ = false;  // productivity or turns set from outside: no standard ship follows
  std::vector<TPlayer*> players_;
  std::vector<TShipType*> types_;
  TStdShipChoices choices_;
  std::optional<TStdShip> stdShip_;

  QComboBox* cbxPlayers_;
  QListWidget* lbxShipTypes_;
  std::array<QLineEdit*, kDesignFieldCount> edits_{};
  std::array<QLabel*, 10> figures_{};
  QComboBox* cbxCargoType_;
  QLabel* lblNGBlindMass_;
  QPushButton* btnClipboard_;
  QPushButton* btnAddToDefenders_;
  QPushButton* btnAddToAttackers_;
  TRxSpinEdit* edtDefendersCount_;
  TRxSpinEdit* edtAttackersCount_;
  TComboEdit* rxCalcEdit1_;
  TRxSpinEdit* rxSpinEdit1_;
  QCheckBox* checkBox1_;
  QPushButton* btnStdShip_;
};

}  // namespace tovix
