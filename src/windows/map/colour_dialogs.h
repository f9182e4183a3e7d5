#pragma once
// "Change Colors": the map's colour scheme, one clickable colour panel per colour, two switches,
// and the buttons "Players", "OK", "Cancel" and "Default". The dialog edits the live scheme and
// the map repaints after every change. OK writes the scheme and the race colours to the settings
// store; Cancel restores both.
// "Change Player Colors": one colour panel per other race.

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "core/model/game_state.h"
#include "core/settings/save_state.h"
#include "views/map_colours.h"

class QCheckBox;
class QPushButton;
class QVBoxLayout;

namespace tovix {

// Asks the user for a colour, starting at `current`; nullopt when cancelled. Tests replace it.
using TColourPicker = std::function<std::optional<TMapColour>(TMapColour current)>;
TColourPicker PlatformColourPicker(QWidget* parent);

class TfrmChangePlayerColors : public QDialog {
  Q_OBJECT

 public:
  TfrmChangePlayerColors(TPlayerColors& players, const GameState& state,
                         std::function<void()> repaint, QWidget* parent = nullptr);

  void SetColourPicker(TColourPicker picker) { picker_ = std::move(picker); }
  // The panels of the races shown (filled when the dialog shows).
  const std::vector<QPushButton*>& Panels() const { return panels_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Fill();
  void Clear();

  TPlayerColors& players_;
  const GameState& state_;
  std::function<void()> repaint_;
  TColourPicker picker_;
  QVBoxLayout* rows_;
  std::vector<QPushButton*> panels_;
  std::vector<QWidget*> rowWidgets_;
};

class TfrmChangeColors : public QDialog {
  Q_OBJECT

 public:
  TfrmChangeColors(TColorSchema& scheme, TPlayerColors& players, const GameState& state,
                   TznSaveState& store, std::function<void()> repaint, QWidget* parent = nullptr);

  void SetColourPicker(TColourPicker picker);
  // The dialog "Players" opens; without one it makes its own.
  void SetPlayerDialog(TfrmChangePlayerColors* dialog) { playerDialog_ = dialog; }
  TfrmChangePlayerColors* PlayerDialog();

  // Shows the scheme in the panels and switches.
  void SchemaToForm();
  QPushButton* Panel(TSchemeColour which) const { return panels_[which]; }
  QCheckBox* FirstTurnBox() const { return chkFirstTurn_; }
  QCheckBox* OneColourBox() const { return chkOneColour_; }

  // OK writes the scheme and the race colours to the store; Cancel puts back both as they
  // were when the dialog showed.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormToSchema();
  void PanelClicked(TSchemeColour which);
  void PlayersClicked();
  void DefaultClicked();

  TColorSchema& scheme_;
  TPlayerColors& players_;
  const GameState& state_;
  TznSaveState& store_;
  std::function<void()> repaint_;
  TColourPicker picker_;
  std::vector<QPushButton*> panels_;
  std::vector<TMapColour> shown_;
  QCheckBox* chkFirstTurn_;
  QCheckBox* chkOneColour_;
  bool filling_ = false;
  TColorSchema savedScheme_;
  TPlayerColors savedPlayers_;
  TfrmChangePlayerColors* playerDialog_ = nullptr;
  std::unique_ptr<TfrmChangePlayerColors> ownPlayerDialog_;
};

}  // namespace tovix
