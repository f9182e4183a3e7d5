#pragma once
// "Notes Editor": four tabs of the player's notes, each kept as RTF in its own file in the
// program's folder, with a formatting toolbar, an indent ruler, colour pickers, the font and
// colour dialogs, printing and clickable links. A tab is written only when it was loaded this
// run, read without fault, and changed (or its file does not exist yet); files are replaced
// atomically. The notes are read once per game: showing the window again (also after a
// restore from minimised) keeps the text, its undo history and the caret.

#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "views/notes_files.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QAction;
class QActionGroup;
class QComboBox;
class QFont;
class QPrinter;
class QSpinBox;
class QTabBar;

namespace tovix {

class TColorComboBox;
class TRichEdit98;

// The indent ruler above the editor: tick marks at the editor's tab stops and three markers
// (first-line indent on top, left and right indent below) that the user drags. Positions are
// measured from `Origin()`, where the editor's text area begins.
class TIndentRuler : public QWidget {
  Q_OBJECT

 public:
  explicit TIndentRuler(QWidget* parent = nullptr);

  static constexpr int kMarkerWidth = 9;
  // The markers' left edges and the tick spacing, in pixels from the origin.
  void SetMarkers(const TRulerMarkers& markers);
  const TRulerMarkers& Markers() const { return markers_; }
  void SetOrigin(int x);
  int Origin() const { return origin_; }
  void SetTickSpacing(double pixels);
  // The width the ruler's arithmetic measures: from the origin to the right end.
  int RulerWidth() const { return width() - origin_; }
  QWidget* Marker(int which) const { return marker_[which]; }
  enum { kFirst, kLeft, kRight };

 signals:
  // A drag ended; the markers hold the new places, `grab` is the grab offset.
  void markersDropped(int grab);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();

  TRulerMarkers markers_;
  int origin_ = 0;
  double tickSpacing_ = 80;
  std::array<QWidget*, 3> marker_{};
  int dragging_ = -1;  // the marker being dragged
  int grab_ = 0;
};

class TfrmEditor : public TToolWindow, public INotesService {
  Q_OBJECT

 public:
  TfrmEditor(const GameState& state, TznSaveState& store, UserInterface& ui,
             std::filesystem::path folder, QWidget* parent = nullptr);
  // At the program's end the current notes are written as a hide writes them.
  ~TfrmEditor() override;

  // Writes the current tab's notes when they may and need to be written (see above).
  void SaveCurrentNotes() override;
  // Loads the tab's file into the editor (an empty editor in the default text when it does not
  // exist).
  void LoadNotes(int tab);
  // Opens a clicked link with the desktop's opener; a "file:" link only after a question.
  void OpenLink(const std::string& link);
  // Prints the current tab's notes, titled with the tab's caption.
  void Print(QPrinter& printer);

  // The desktop's opener and the dialogs (tests record or answer instead).
  void SetOpener(std::function<void(const std::string&)> opener) { opener_ = std::move(opener); }
  void SetFontDialog(std::function<bool(QFont&)> dialog) { fontDialog_ = std::move(dialog); }
  // The colour dialog gets and gives a colour value (core/color_value.h).
  void SetColorDialog(std::function<bool(std::uint32_t&)> dialog) {
    colorDialog_ = std::move(dialog);
  }
  void SetPrintDialog(std::function<bool(QPrinter&)> dialog) { printDialog_ = std::move(dialog); }

  TRichEdit98* Editor() const { return reEditor_; }
  QTabBar* Tabs() const { return tabs_; }
  TIndentRuler* Ruler() const { return ruler_; }
  int CurrentTab() const { return currentTab_; }
  // The family new notes are written in: Verdana where installed, else the desktop's font.
  static QFont DefaultNotesFont();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void RefreshGame(TGameChanges changes) override;

 private:
  void BuildToolbars();
  void TabChanged(int tab);
  // The toolbar, the ruler and the colour pickers show the selection's attributes.
  void FollowSelection();
  void RulerDropped(int grab);
  void PlaceRuler();
  void UpdateCommands();
  void EditFont();
  void SelectColor();
  void PrintClicked();
  std::filesystem::path FileOf(int tab) const;

  const GameState& state_;
  UserInterface& ui_;
  std::filesystem::path folder_;
  std::function<void(const std::string&)> opener_;
  std::function<bool(QFont&)> fontDialog_;
  std::function<bool(std::uint32_t&)> colorDialog_;
  std::function<bool(QPrinter&)> printDialog_;
  std::array<TNotesTabState, 4> tabStates_{};
  // The file each tab was read from: a tab is written back there, even after a new game.
  std::array<std::filesystem::path, 4> loadedFiles_{};
  int currentTab_ = 0;
  bool filled_ = false;    // the current tab is loaded for this game
  bool updating_ = false;  // the toolbar follows the selection: its changes are not the user's

  TRichEdit98* reEditor_;
  TIndentRuler* ruler_;
  QTabBar* tabs_;
  QComboBox* cbxFontName_;
  QSpinBox* edtFontSize_;
  TColorComboBox* cbxForeground_;
  TColorComboBox* cbxBackground_;
  QAction* actBold_;
  QAction* actItalic_;
  QAction* actUnderline_;
  QAction* actAlignLeft_;
  QAction* actCenter_;
  QAction* actAlignRight_;
  QAction* actBullets_;
  QAction* actUndo_;
  QAction* actCut_;
  QAction* actCopy_;
  QAction* actPaste_;
  QAction* actPrint_;
};

}  // namespace tovix
