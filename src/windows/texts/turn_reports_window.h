#pragma once
// "Turn Reports": the game's report files on the left, one of them on the right, whole or only
// its personal or global messages. The whole report can be edited and saved; Save keeps the
// file's line ends and bytes outside the edited lines and replaces the file atomically.

#include <string>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "views/turn_reports.h"
#include "windows/base/tool_window.h"

class QAction;
class QComboBox;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QString;

namespace tovix {

class TfrmTurnReports : public TToolWindow {
  Q_OBJECT

 public:
  TfrmTurnReports(const GameState& state, TznSaveState& store, UserInterface& ui,
                  QWidget* parent = nullptr);

  // Fills the file list again and shows the first letter's report of the last turn. The window
  // does it once per game (at its first show and when a game is read), so showing it again, as
  // a restore from minimised does, keeps the report the user chose and its unsaved edits.
  void FillFiles();
  // Shows `file` (a full name) with the current part.
  void ShowFile(const std::string& file);
  void SetShowPart(TReportPart part);
  void Reload();
  // Asks "Are you sure to save?" and writes the edited whole report. Only possible in "Whole
  // Report" once the text changed. A text with characters the file cannot hold (beyond
  // Latin-1) is not written: a message names them and their lines.
  void Save();

  const std::string& CurrentFile() const { return currentFile_; }
  TReportPart ShowPart() const { return showPart_; }
  // The file list (a text list box); each item's object is the file's full name.
  QListWidget* FileList() const { return lstFiles_; }
  QComboBox* PartCombo() const { return cbxShowPart_; }
  QPlainTextEdit* Editor() const { return mmoReport_; }
  QAction* SaveAction() const { return actSave_; }
  QAction* ReloadAction() const { return actReload_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void RefreshGame(TGameChanges changes) override;

 private:
  void UpdateActions();
  // The editor's text with LF line ends, as it is and as 8-bit text.
  QString EditorQText() const;
  std::string EditorText() const;
  // The lines and characters of the editor's text a report file cannot hold, for a message;
  // empty when there are none.
  std::string UnsavableCharsOfReport() const;

  const GameState& state_;
  UserInterface& ui_;
  std::string currentFile_;
  std::string currentBytes_;  // the file as read, for Save
  std::string shownText_;     // the editor's text as shown, before any edit
  TReportPart showPart_ = TReportPart::Personal;
  bool filling_ = false;
  bool filled_ = false;  // the file list shows the game read last

  QListWidget* lstFiles_;
  QComboBox* cbxShowPart_;
  QPlainTextEdit* mmoReport_;
  QMenu* pmuReport_;
  QAction* actReload_;
  QAction* actSave_;
};

}  // namespace tovix
