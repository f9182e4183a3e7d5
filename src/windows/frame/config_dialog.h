#pragma once
// "Configuration": the dialog that edits the game sections of Tovix.ini. It lists the games,
// shows and saves one, makes one the default, adds a game from one of its turn reports, adds an
// ally's report letter and makes a desktop shortcut. Normally a tool window opened from the main
// toolbar; when the program cannot read a game it is the only window, shown modally by
// RunStartupMode(). Changes take effect at the next start.

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/base/user_interface.h"
#include "core/settings/game_config.h"
#include "core/settings/ini_file.h"
#include "windows/base/tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tovix {

class TDirectoryEdit;
class TRxSpinEdit;

class TfrmConfigIni : public TToolWindow {
  Q_OBJECT

 public:
  // Asks for the report file a new game is made from; an empty text when the user cancels.
  using TReportPicker = std::function<QString(QWidget* parent, const QString& startFolder)>;

  // `programFolder` holds Tovix.ini; the file is held open (write-through) for the window's
  // whole life. Questions and messages go through `ui`.
  TfrmConfigIni(TznSaveState& store, const std::filesystem::path& programFolder, UserInterface& ui,
                QWidget* parent = nullptr);
  ~TfrmConfigIni() override;

  // The game the program runs; selected when the window is first shown.
  void SetCurrentGameSection(std::string section) { currentSection_ = std::move(section); }
  // In start-up mode the window reads and writes no window state.
  bool StartupFlag() const { return startupMode_; }
  void SetStartupFlag(bool on) { startupMode_ = on; }
  // Defaults: a desktop entry on the user's desktop, and a file dialog.
  void SetShortcutMaker(TShortcutMaker maker) { makeShortcut_ = std::move(maker); }
  void SetReportPicker(TReportPicker picker) { pickReport_ = std::move(picker); }

  // The fall-back of a failed start: sets the start-up flag and shows the window as a modal,
  // fixed-size dialog centred on the screen, normal state, whatever the store says; returns when
  // the user has closed it.
  void RunStartupMode();

  // Nothing in start-up mode (the store is not to be touched then).
  void LoadState() override;
  void SaveState() override;

  // The selected game's section, empty when none is selected.
  std::string SelectedGame() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void lbxGamesClick();
  void btnSaveClick();
  void btnMakeDefaultClick();
  void btnNewClick();
  void btnCloseClick();
  void btnCreateShortcutOnDesktopClick();
  void btnAddAllyTurnReportsClick();
  void CheckBox1Click(bool checked);

 private:
  void BuildForm();
  void FillGameList();
  void SelectGame(const std::string& section);
  void ShowGame(const TGameConfig& config);
  // The fields as a game section; nothing, after telling the user, when a field holds a
  // character the file cannot.
  std::optional<TGameConfig> FieldsToConfig() const;
  void UpdateButtons();
  // Runs an action on the file; a refused value or a failed write is shown to the user.
  template <class Action>
  void Guarded(Action action);

  TIniFile ini_;
  UserInterface& ui_;
  std::string currentSection_;
  bool startupMode_ = false;
  bool listsRead_ = false;
  TShortcutMaker makeShortcut_;
  TReportPicker pickReport_;

  QListWidget* lbxGames_;
  QLabel* lblDefaultGame_;
  QLineEdit* edtName_;
  TDirectoryEdit* edtDirectory_;
  QLineEdit* edtFileMask_;
  QLineEdit* edtFileExtension_;
  QLineEdit* edtUsedChars_;
  QComboBox* cbxGameType_;
  QComboBox* cbxMapType_;
  TRxSpinEdit* edtMapSize_;
  TRxSpinEdit* edtSkipPlanetsUntil_;
  TRxSpinEdit* edtSkipBattlesUntil_;
  TRxSpinEdit* edtUseCountMethod_;
  TRxSpinEdit* edtTurn0HabitedPlanetsSize_;
  TRxSpinEdit* edtTurn0HabitedPlanetsSize2nd_;
  QCheckBox* CheckBox1_;
  QPushButton* btnMakeDefault_;
  QPushButton* btnSave_;
  QPushButton* btnNew_;
  QPushButton* btnClose_;
  QPushButton* btnCreateShortcutOnDesktop_;
  QPushButton* btnAddAllyTurnReports_;
};

// Makes the shortcut as a desktop entry on the user's desktop that starts this program.
TShortcutMaker DesktopShortcutMaker();

}  // namespace tovix
