#pragma once
// "Set Extra Info": the owner and size of a planet for the last turn read, recorded by hand.
// Every Add, Change and Delete is written to ExtrInf.ini at once; the planet window applies to
// the planet only what was stored (or restored by Delete).

#include <QDialog>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "views/planet_info.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tovix {

class TfrmSetExtraInfo : public QDialog {
  Q_OBJECT

 public:
  // The race list: "Unknown" and the races with planets at the last turn read, made again for
  // each planet (SetPlanet), so that it never names a race of an earlier reading.
  TfrmSetExtraInfo(GameState& state, UserInterface& ui, std::filesystem::path iniFile,
                   QWidget* parent = nullptr);

  void SetPlanetName(const std::string& name);
  void SetPlanet(TPlanet* planet);
  // Chooses the entry of `owner` (the first, "Unknown", when none holds it).
  void SetOwner(TOwnerRef owner);
  void SetSize(float size);
  // The size typed; nullopt when it is not a number of 0 or more.
  std::optional<float> GetSize() const;
  TOwnerRef ChosenOwner() const { return chosen_; }
  // What Add, Change or Delete left for the planet, when one of them ran since SetPlanet.
  struct TApplied {
    TOwnerRef Owner;
    float Size = 0;
  };
  const std::optional<TApplied>& Applied() const { return applied_; }

  QComboBox* Players() const { return cbxPlayers_; }
  QLineEdit* SizeEdit() const { return edtSize_; }
  QPushButton* AddButton() const { return btnAdd_; }
  QPushButton* DeleteButton() const { return btnDelete_; }
  QPushButton* CloseButton() const { return btnClose_; }

  void Add();
  void DeleteInfo();
  void CloseDialog();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void UpdateButtons();
  bool Save();

  GameState& state_;
  UserInterface& ui_;
  std::filesystem::path iniFile_;
  std::vector<TOwnerChoice> choices_;
  TPlanet* planet_ = nullptr;
  TOwnerRef initialOwner_;
  float initialSize_ = 0;
  TOwnerRef chosen_;
  std::optional<TApplied> applied_;
  QLabel* lblPlanetName_;
  QComboBox* cbxPlayers_;
  QLineEdit* edtSize_;
  QPushButton* btnAdd_;
  QPushButton* btnClose_;
  QPushButton* btnDelete_;
};

}  // namespace tovix
