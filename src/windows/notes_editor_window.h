#pragma once
// "Notes Editor": four tabs of the player's notes, each kept as RTF in its own file in the
// program's folder. A tab is written only when it was loaded this run, read without fault, and
// changed (or its file does not exist yet); files are replaced atomically.

#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "core/game_state.h"
#include "core/user_interface.h"
#include "views/notes_files.h"
#include "windows/services.h"
#include "windows/tool_window.h"

class QAction;
class QTabBar;

namespace tovix {

class TRichEdit98;

class TfrmEditor : public TToolWindow, public INotesService {
  Q_OBJECT

 public:
  TfrmEditor(const GameState& state, TznSaveState& store, UserInterface& ui,
             std::filesystem::path folder, QWidget* parent = nullptr);
  // At the program's end the current notes are written as a hide writes them.
  ~TfrmEditor() override;

  // Writes the current tab's notes when they may and need to be written (see above).
  void SaveCurrentNotes() override;
  // Loads the tab's file into the editor (an empty editor when it does not exist).
  void LoadNotes(int tab);
  // Opens a clicked link with the desktop's opener; a "file:" link only after a question.
  void OpenLink(const std::string& link);
  // The desktop's opener (tests record instead).
  void SetOpener(std::function<void(const std::string&)> opener) { opener_ = std::move(opener); }

  TRichEdit98* Editor() const { return reEditor_; }
  QTabBar* Tabs() const { return tabs_; }
  int CurrentTab() const { return currentTab_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void TabChanged(int tab);
  std::filesystem::path FileOf(int tab) const;

  const GameState& state_;
  UserInterface& ui_;
  std::filesystem::path folder_;
  std::function<void(const std::string&)> opener_;
  std::array<TNotesTabState, 4> tabStates_{};
  int currentTab_ = 0;
  bool switching_ = false;

  TRichEdit98* reEditor_;
  QTabBar* tabs_;
  QAction* actBold_;
  QAction* actItalic_;
  QAction* actUnderline_;
};

}  // namespace tovix
