#pragma once
// "Automatic Cargo Settings": the fill limits, the maximum trip, the order in which target
// planets are preferred, and the weights and reference planet of the buildability rating, kept
// per game in the store (section "AutoCargoSettings_" + the game's name). Hiding the dialog
// rates the planets again. The orders window's cargo commands read Settings().

#include <string>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "orders/auto_cargo.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QButtonGroup;
class QComboBox;
class QListWidget;
class QPushButton;

namespace tovix {

class TRxSpinEdit;

class TfrmAutoCargoSettings : public TToolWindow, public ICargoSettingsService {
  Q_OBJECT

 public:
  TfrmAutoCargoSettings(GameState& state, TznSaveState& store, UserInterface& ui,
                        QWidget* parent = nullptr);

  // ICargoSettingsService
  TAutoCargoSettings CargoSettings() override { return Settings(); }

  // The settings as the controls hold them, after the dialog is prepared once: "Buildability"
  // in the sort list, the own planets in the reference list, the planets rated.
  TAutoCargoSettings Settings();
  // Puts `settings` into the controls.
  void ShowSettings(const TAutoCargoSettings& settings);
  // Rates every planet with the controls' weights (after preparing the dialog once); an empty
  // reference shows the one chosen.
  void ComputeBuildability() override;

  QListWidget* SortList() const { return lbxSortOn_; }
  QPushButton* UpButton() const { return btnUp_; }
  QPushButton* DownButton() const { return btnDown_; }
  void MoveSelected(int step);
  // What the user's close asks first: false, after naming them, while the reference planet's
  // name holds characters the settings cannot hold (the dialog then stays open with it).
  bool MayClose();

 protected:
  void LoadOwnState() override;
  void SaveOwnState() override;
  void RefreshGame(TGameChanges changes) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Prepare();
  void FillPlanets();
  void UpdateButtons();
  TAutoCargoSettings FromControls() const;

  GameState& state_;
  UserInterface& ui_;
  bool prepared_ = false;
  TRxSpinEdit* edtCOLFill_;
  TRxSpinEdit* edtCAPFill_;
  QButtonGroup* rgMaxDistance_;
  QListWidget* lbxSortOn_;
  QPushButton* btnUp_;
  QPushButton* btnDown_;
  TRxSpinEdit* edtBuildCAPStock_;
  TRxSpinEdit* edtBuildResources_;
  TRxSpinEdit* edtBuildDistance_;
  QComboBox* cbxBuildPlanet_;
  std::string shownBuildPlanet_;  // the reference planet's name put into the box last
};

}  // namespace tovix
