#pragma once
// "Setup Orders": writes the frame of a new order text into the orders editor (the header line
// the game server expects, an optional change of the race's name, the Group and Find insertion
// sections and "#END"). It is modal, also when a menu merely shows it, and finds the orders
// editor's lines itself when nobody handed it others.

#include <QDialog>
#include <functional>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "orders/order_lines.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tovix {

class TfrmSetupOrders : public QDialog {
  Q_OBJECT

 public:
  // `orderLines` gives the orders editor's lines (nullptr while there is none).
  TfrmSetupOrders(const GameState& state, UserInterface& ui,
                  std::function<IOrderLines*()> orderLines, QWidget* parent = nullptr);

  // The lines OK replaces; nullptr goes back to the orders editor's.
  void SetLines(IOrderLines* lines) { lines_ = lines; }

  // What showing the dialog does: an empty first line (or "#") gets the game's header, an empty
  // race name the race's own name.
  void Prepare();
  // OK: asks before it replaces orders that are not empty; closes the dialog once written.
  void Confirm();

  QLineEdit* FirstLine() const { return edtFirstLine_; }
  QCheckBox* ChangeRaceName() const { return cbxChangeRaceName_; }
  QLineEdit* RaceName() const { return edtRaceName_; }
  QLabel* PasswordWarning() const { return lblPasswordWarning_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  IOrderLines* Target() const;

  const GameState& state_;
  UserInterface& ui_;
  std::function<IOrderLines*()> orderLines_;
  IOrderLines* lines_ = nullptr;
  QLineEdit* edtFirstLine_;
  QCheckBox* cbxChangeRaceName_;
  QLineEdit* edtRaceName_;
  QLabel* lblPasswordWarning_;
};

}  // namespace tovix
