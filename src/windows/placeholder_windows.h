#pragma once
// Stand-ins for the tool windows that are not built yet. Each is a real top-level tool window
// under its design caption and help context, keeping its placement and "ShowOnStartup" like any
// other, with one label that says what the window will be for. The entry points other windows
// call on the orders and notes windows exist, do nothing, and count their calls; in particular
// their save hooks write no file, so an empty stand-in never overwrites the user's orders or
// notes.

#include <QString>
#include <string>

#include "core/game_types.h"
#include "windows/tool_window.h"

class QLabel;

namespace tovix {

class TPlaceholderWindow : public TToolWindow {
  Q_OBJECT

 public:
  TPlaceholderWindow(std::string stateName, int helpContext, const std::string& purpose,
                     TznSaveState& store, QWidget* parent = nullptr);

  QString Purpose() const;

 private:
  QLabel* lblPurpose_;
};

// The map keeps "ShowOnStartup" per game, in "Map_" + the game's section.
class TMapPlaceholder : public TPlaceholderWindow {
  Q_OBJECT

 public:
  TMapPlaceholder(TznSaveState& store, const TGameSettings& settings, QWidget* parent = nullptr);

 protected:
  std::string ShowOnStartupSection() const override;

 private:
  const TGameSettings& settings_;
};

class TOrdersPlaceholder : public TPlaceholderWindow {
  Q_OBJECT

 public:
  explicit TOrdersPlaceholder(TznSaveState& store, QWidget* parent = nullptr);

  // Loads the game's automatic orders file (at the first show of the main window).
  void LoadAutomaticOrders() { ++loadAutomaticOrdersCalls_; }
  // Analyses the order text again (F6).
  void AnalyseOrders() { ++analyseOrdersCalls_; }
  // Saves the order text to `fileName` ("Save Status"). Writes nothing: there is no order text.
  void SaveOrders(const std::string& fileName) { ++saveOrdersCalls_; }

  int LoadAutomaticOrdersCalls() const { return loadAutomaticOrdersCalls_; }
  int AnalyseOrdersCalls() const { return analyseOrdersCalls_; }
  int SaveOrdersCalls() const { return saveOrdersCalls_; }

 private:
  int loadAutomaticOrdersCalls_ = 0;
  int analyseOrdersCalls_ = 0;
  int saveOrdersCalls_ = 0;
};

class TNotesPlaceholder : public TPlaceholderWindow {
  Q_OBJECT

 public:
  explicit TNotesPlaceholder(TznSaveState& store, QWidget* parent = nullptr);

  // Saves the notes of the current tab ("Save Status"). Writes nothing: there are no notes.
  void SaveCurrentNotes() { ++saveCurrentNotesCalls_; }
  int SaveCurrentNotesCalls() const { return saveCurrentNotesCalls_; }

 private:
  int saveCurrentNotesCalls_ = 0;
};

}  // namespace tovix
