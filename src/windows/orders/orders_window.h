#pragma once
// The orders window: the order editor with the order highlighter, the "&Analyse" button, a
// status line with what the last analysis noted, and the lists of the analysis and the
// development plan around it (Developing, To Transport and To Develop on the left; To Do,
// Loaded \ Sent, Sent Ships and Ships In Production on the right). It owns the order service
// over its editor's lines and the development planner, which every analysis plans again and
// which the game state reads as its development plan. It is the target of every order
// insertion of the other windows.
//
// The game's automatic orders file is written after every analysis, whenever the window hides
// and when it is destroyed, so that a crash loses at most the typing since the last analysis;
// never before it has been loaded, and never in a run whose reading of it failed.

#include <QIcon>
#include <QString>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_interface.h"
#include "core/text/char_codes.h"
#include "editors/unsavable_chars.h"
#include "mail/mail_service.h"
#include "orders/auto_cargo.h"
#include "orders/development_plan.h"
#include "orders/order_edits.h"
#include "orders/order_file.h"
#include "orders/order_service.h"
#include "views/list_export.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"
#include "windows/orders/mail_settings_dialog.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QSplitter;
class QTabWidget;

namespace tovix {

class TTextEditor;
class IWindowDirectory;
class TznListView;
class ZazArerevOdo;
struct TWindowEntry;

// The editor's lines as the order logic reads and changes them (Windows-1252 text). A change
// from outside the keyboard clears the editor's undo lists, whose positions it would spoil;
// only a replacement of the whole text is recorded, as one step.
class TEditorOrderLines final : public IOrderLines {
 public:
  explicit TEditorOrderLines(TTextEditor& editor) : editor_(editor) {}
  int Count() const override;
  std::string Line(int index) const override;
  void SetLine(int index, std::string text) override;
  void Insert(int index, std::string text) override;
  void Delete(int index) override;
  // One undoable change of the editor.
  void ReplaceAll(const std::vector<std::string>& lines) override;
  void BeginUpdate() override;
  void EndUpdate() override;

 private:
  void Changed();
  TTextEditor& editor_;
  int depth_ = 0;
  bool changed_ = false;
};

class TfrmOrders : public TToolWindow,
                   public IOrderService,
                   public IOrderAnalysisService,
                   private IOrderAnalysisListener,
                   private ITextSink {
  Q_OBJECT

 public:
  TfrmOrders(const TWindowEntry& entry, IWindowDirectory& windows, QWidget* parent = nullptr);
  ~TfrmOrders() override;

  // IOrderService
  void InsertGroupCommands(const std::string& lines) override;
  void InsertPlanetCommands(const std::string& lines) override;
  void InsertOtherCommands(const std::string& lines) override;
  void InsertRouteCommands(const std::string& lines) override;
  void AnalyseOrders() override;
  void AnalyseAfterInsert() override;
  void FindPlanetInOrders(const std::string& planetName) override;
  void FindGroupInOrders(int groupNumber) override;
  void LoadAutomaticOrders() override;
  void SaveOrders(const std::string& fileName) override;
  // Mails `text` to the game server, which relays it to `race` (orders_window_mail.cpp).
  void SendRelayMessage(const std::string& race, const std::string& text) override;
  std::vector<std::string> CollectRenamedPlanetNames() override;
  void ProjectDevelopment() override;

  // IOrderAnalysisService
  const TOrderAnalysis* LastAnalysis() const override;

  TTextEditor& Editor() { return *memo_; }
  IOrderLines& OrderLines() { return lines_; }
  TOrderService& Service() { return service_; }
  TDevelopmentPlanner& Planner() { return planner_; }
  // Empty while no game is chosen.
  std::filesystem::path AutomaticFile() const;
  // Writes the automatic orders file; a failure is reported. True when written (or no game);
  // false, writing nothing, when the file was not loaded or could not be read this run.
  bool SaveAutomaticOrders();
  // Loads an order file into the editor (CR LF, CR or LF); false when it cannot be read.
  bool LoadOrderFile(const std::filesystem::path& file);
  // Saves the editor lines with `ends`; reports "Text is Saved" only when written. Orders with
  // characters an order file cannot hold are not written: a message names them.
  bool SaveOrderFile(const std::filesystem::path& file, TOrderLineEnds ends);
  // Finds the next line from the planet search start that names a planet and holds `text`.
  bool FindNextPlanet();
  bool FindNextGroup();
  TznListView* List(const char* name) const;
  // What the notes list under the editor says, its items joined by "; " (the last analysis's
  // notes, after "Ready" of an automatic cargo command).
  QString StatusText() const;
  QListWidget* NotesList() const { return lbxNotes_; }

  // The menus, for tests and pictures: the menu bar, the editor's pop-up, the To Develop
  // pop-up, and the To Do pop-up built for row `row` (the window's row) of `list` (lvToDo or
  // lvLoadedSend); nullptr when the row does not exist.
  QMenuBar* MenuBar() const { return menuBar_; }
  QMenu* EditorPopup() const { return popup_; }
  QMenu* ToDevelopPopup() const { return mnuToDevelop_; }
  QMenu* PrepareToDoPopup(TznListView* list, int row);

  // The cargo commands of the Create Orders menu.
  void AutomaticLoadAndSendCargo();
  void AutomaticSendEmptyShips();
  // GalaxyBot's "Run": the program, then its orders when it wrote new ones and the user agrees.
  void RunGalaxyBot();
  // "Replace &Production Type...": the production orders of the selection get the chosen item.
  void ReplaceProductionType();
  // "Replace Pr&oduction Type To Standard Ship": the production orders of the selection that
  // name own planets building at least 2.0 ship mass a turn build the designer's standard ship
  // for that mass, timed by the designer's turns (its design line first where needed).
  void ReplaceProductionByStandardShips();
  // "Develop Standard Shiptype on this Planet": the same for the planet of the caret line,
  // into the Planet section.
  void DevelopStandardShip();
  // "&Add As Dev Planet all owned non Dev Planets".
  void AddDevelopTags();

  // "Mail orders": the order text to the Galaxy server address, or into the outbox when "Place
  // in Outbox" is ticked. True when it went. Orders with characters an order file cannot hold do
  // not go: a message names them.
  bool MailOrders();
  // The mail settings dialog, modal.
  void EditMailSettings();
  // The program ends (a logout): a send under way is cancelled at once and not reported.
  void EndSession();
  TMailService& Mail() { return mail_; }
  TQtMailPrompts& MailPrompts() { return mailPrompts_; }
  // The Mail Settings menu's texts and its outbox switch.
  void SetMailAddress(std::string recipients, std::string subject) {
    serverAddress_ = std::move(recipients);
    subject_ = std::move(subject);
  }
  QAction* PlaceInOutbox() const { return mniPlaceInOutbox_; }

  // The input boxes (tests answer them).
  using TAskText = std::function<std::optional<std::string>(
      const QString& caption, const QString& prompt, const std::string& preset)>;
  void SetAskText(TAskText ask) { askText_ = std::move(ask); }
  // The save dialog of "Save Orders": given the file it proposes, the file chosen (empty when
  // cancelled). Replaceable, so that tests answer it.
  std::function<QString(const QString& proposed)> AskSaveFile;
  // The file "Save Orders" proposes: the own report letter's name for the next turn, in the
  // folder saved to last, else the game's folder.
  std::filesystem::path ProposedSaveFile() const;

 protected:
  void LoadOwnState() override;
  void SaveOwnState() override;
  void RefreshGame(TGameChanges changes) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AnalysisChanged(bool afterInsert) override;
  // The notes list: `first` (a command's own word) above the analysis's notes.
  void ShowNotes(const std::vector<TOrderNote>& notes, const std::string& first = {});
  void PutText(const std::string& text) override;

  // Where the orders go out as Windows-1252 text.
  enum class TOrdersOutlet { File, Mail };
  // The characters of the order text that Windows-1252 cannot hold.
  std::vector<TUnsavableChar> UnsavableCharsOfOrders() const;
  // True when the order text can go out whole; else a message names the lines and characters
  // it cannot carry, and nothing is to be written or sent.
  bool CanWriteOrders(TOrdersOutlet outlet);
  // After an analysis: names the characters an order file cannot hold, once for each new one
  // (the notes list names them after every analysis).
  void TellUnsavableChars();
  // Writes the automatic orders file (see SaveAutomaticOrders), with `onlyIfChanged` not when
  // it holds the text already.
  bool WriteAutomaticOrders(bool onlyIfChanged);

  void SetUpEditor();
  void BuildMenus(QMenuBar* bar);
  void BuildEditorPopup();
  // The standard ship's defaults, its window and its development on the caret line's planet.
  void BuildStandardShipItems();
  // The production orders of the selection, each changed by `replace`.
  void ReplaceProductionInSelection(const TProductionReplacement& replace);
  // The ship designer; nullptr until it is made.
  IShipDesignService* ShipDesign() const;
  // The designer's standard ship for a ship mass per turn (it shows the last one generated).
  TStandardShipSource StandardShipSource() const;
  void BuildListPopups();
  TznListView* AddList(QTabWidget* tabs, const char* name, const QString& tab,
                       const QStringList& captions, const QString& hint = {});
  void FillAnalysisLists();
  void FillDevelopmentLists();
  void FillShipsInProduction();
  void ShowPlanet(TPlanet* planet);
  // The image of a row that arrives in `turns` turns; none below 0.
  QIcon DistanceImage(int turns);
  // The planner's group of a row of lvToDo or lvLoadedSend; nullptr when there is none.
  const TDevGroup* GroupOfRow(const TznListView* list, int row) const;
  int CurrentRow(const TznListView* list) const;
  void AskFindPlanet();
  void AskFindGroup();
  // The lines the searches for orders look at: [0, this), those above the end line.
  int OrderLinesEnd() const;
  // Puts the file's lines into the editor; false with `error` set when it cannot be read.
  bool ReadOrderFile(const std::filesystem::path& file, std::string& error);
  void LoadOrdersDialog();
  void SaveOrdersDialog(TOrderLineEnds ends);
  void ChangeRaceName();
  void QuitGame();
  void AskAndInsert(const QString& prompt, std::string_view what, const std::string& command);
  void ClearSectionAndAnalyse(TOrderSection section);
  void RunAutoCargo(TAutoCargoCommand command);
  void ExportFocusedList();
  void ShowRegistryWindow(const char* instanceName, bool modal);
  void SetCaretLine(int line);
  // Gives the panels the widths read from the settings once the window is laid out.
  void ApplyPanelWidths();
  // Called as the splitter is resized to `width`: a narrower window takes its width from the
  // side panels first, down to their minimum, and only then from the editor.
  void KeepEditorWidth(int width);
  // The narrowest the splitter makes a panel.
  static int MinimumWidthOf(const QWidget* panel);
  std::string GameSectionKey() const;
  // The input box; `target` says where the answer goes, for a character it cannot hold.
  std::optional<std::string> AskText(const QString& caption, const QString& prompt,
                                     const std::string& preset, const TTextTarget& target);
  TAutoCargoSettings CargoSettings() const;

  IWindowDirectory& windows_;
  GameState& state_;
  UserInterface& ui_;
  std::filesystem::path programFolder_;

  TTextEditor* memo_ = nullptr;
  std::unique_ptr<ZazArerevOdo> highlighter_;
  TEditorOrderLines lines_;
  TDevelopmentPlanner planner_;
  // The planner as the service calls it: the rating comes from the cargo settings window.
  TSettingsOrderPlanner orderPlanner_;
  TOrderService service_;
  bool analysed_ = false;
  bool automaticLoaded_ = false;
  // The automatic orders file could not be read this run: it is never written over.
  bool automaticReadFailed_ = false;
  // The characters an order file cannot hold that the user was told of.
  TUnsavableWarnings unsavableWarnings_;

  QMenuBar* menuBar_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QPushButton* btnAnalyse_ = nullptr;
  QListWidget* lbxNotes_ = nullptr;
  QTabWidget* pnlPlanets_ = nullptr;
  QWidget* pnlOrders_ = nullptr;
  QTabWidget* pnlShips_ = nullptr;
  std::vector<TznListView*> lists_;
  TznListView* lvDeveloping_ = nullptr;
  TznListView* lvToTransport_ = nullptr;
  TznListView* lvToDevelop_ = nullptr;
  TznListView* lvToDo_ = nullptr;
  TznListView* lvLoadedSend_ = nullptr;
  TznListView* lvSendedShips_ = nullptr;
  TznListView* lvShipsInProduction_ = nullptr;
  std::vector<TToDevelopRow> toDevelop_;
  std::vector<TSentShipRow> sentShips_;
  TDevelopmentLists plan_;             // the rows of the four planner lists
  TznListView* focusList_ = nullptr;   // the list that has the focus, if one has
  TznListView* exportList_ = nullptr;  // the list "&Export" exports
  TExportType exportType_ = TExportType::xHTML;
  std::map<int, QIcon> distanceImages_;
  // The widths of the planets' and the editor's panels still to be given (a splitter that was
  // never shown has no widths of its own yet).
  // The editor keeps room for this many characters however narrow the window becomes.
  static constexpr int kEditorMinChars = 40;
  static constexpr int kShipsPanelMinWidth = 1;
  std::optional<std::pair<int, int>> panelWidths_;

  QMenu* popup_ = nullptr;
  QMenu* mnuCreateOrder_ = nullptr;
  // The standard-ship items of the editor's pop-up go in front of this action.
  QAction* mniStandardShipTypes_ = nullptr;
  QMenu* mnuToDevelop_ = nullptr;
  QMenu* popupToDo_ = nullptr;
  QAction* mniExport_ = nullptr;
  QAction* mniInsertFindCommands_ = nullptr;
  QAction* mniStayOnTop_ = nullptr;
  QAction* mniPlaceInOutbox_ = nullptr;
  QAction* mniAuto_[4] = {};
  QAction* mniUseRoutes_ = nullptr;
  QAction* mniChangePassword_ = nullptr;
  QAction* mniBotRun_ = nullptr;
  QAction* mniBotSettings_ = nullptr;

  std::string serverAddress_, subject_;
  std::string openFileName_, saveFileName_;
  std::string planetSearch_;
  int planetSearchLine_ = 1;
  std::string groupSearch_;
  int groupSearchPos_ = 0;
  std::string productionItem_;
  TAskText askText_;

  // Found by "&Export"; ended before the window's parts go (focus moves while they are
  // destroyed).
  QMetaObject::Connection focusConnection_;

  // Mail: the settings, the session's password and the transports behind them.
  TQtMailPrompts mailPrompts_{ui_};
  TMailService mail_{Store(), programFolder_, ui_, mailPrompts_};
};

}  // namespace tovix
