#pragma once
// "Standard Ship": the three schemes of the standard-ship generator ("&Speed:", "&Weapons:",
// "S&hields") and "Use 1 Cargo Space"; a click on any of them generates the design for the ship
// designer's productivity and turns, and the caption names it. "Orders" writes its line. ">>"
// shows a list of extra ready-made designs the user may edit ("<<" hides it). The choices live
// in the ship designer (IShipDesignService), which the orders window mirrors too; this window
// shows them.

#include <array>

#include "core/base/user_interface.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QButtonGroup;
class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace tovix {

class TfrmStdShip : public TToolWindow {
  Q_OBJECT

 public:
  TfrmStdShip(TznSaveState& store, UserInterface& ui, IShipDesignService& design,
              TServicesSource services, QWidget* parent = nullptr);

  // Shows the choices and the name of the last design as the designer has them.
  void Sync();
  // Shown restored and in front.
  void ShowInFront();
  // "Orders": generates and writes the design's line.
  void OrdersClicked();
  // ">>" / "<<".
  void ExtraClicked();

  QButtonGroup* Options(TStdShipOption option) const {
    return groups_[static_cast<size_t>(option)];
  }
  QCheckBox* UseOneCargoBox() const { return cbxUse1CargoSpace_; }
  QPlainTextEdit* ExtraDesigns() const { return memo1_; }
  QPushButton* ExtraButton() const { return btnExtra_; }

 protected:
  void LoadOwnState() override;
  void SaveOwnState() override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowExtraDesigns(bool shown);
  // True when the settings can hold the extra designs; else the user is told, the designs shown.
  bool ExtraDesignsFit();

  UserInterface& ui_;
  IShipDesignService& design_;
  TServicesSource services_;
  std::array<QButtonGroup*, kStdShipOptionCount> groups_{};
  QCheckBox* cbxUse1CargoSpace_;
  QPushButton* btnClipboard_;
  QPushButton* btnExtra_;
  QPushButton* btnClose_;
  QPlainTextEdit* memo1_;
};

}  // namespace tovix
