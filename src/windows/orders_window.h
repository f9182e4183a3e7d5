#pragma once
// The orders window: the order editor with the order highlighter, the "&Analyse" button and the
// lists of the analysis around it. It owns the order service over its editor's lines and is the
// target of every order insertion of the other windows. The game's automatic orders file is
// written after every analysis, whenever the window hides and when it is destroyed, so that a
// crash loses at most the typing since the last analysis.

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/user_interface.h"
#include "mail/mail_service.h"
#include "orders/order_file.h"
#include "orders/order_service.h"
#include "windows/mail_settings_dialog.h"
#include "windows/services.h"
#include "windows/tool_window.h"

class QAction;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;

namespace tovix {

class TTextEditor;
class TWindowRegistry;
class TznListView;
class ZazArerevOdo;
struct TWindowEntry;

// (The editor's header is not included here: its colour helpers clash with the map's in a
// translation unit that sees both.)
// The editor's lines as the order logic reads and changes them (Windows-1252 text). A change
// from outside the keyboard clears the editor's undo lists, whose positions it would spoil.
class TEditorOrderLines final : public IOrderLines {
 public:
  explicit TEditorOrderLines(TTextEditor& editor) : editor_(editor) {}
  int Count() const override;
  std::string Line(int index) const override;
  void SetLine(int index, std::string text) override;
  void Insert(int index, std::string text) override;
  void Delete(int index) override;
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
  TfrmOrders(const TWindowEntry& entry, TWindowRegistry& windows, QWidget* parent = nullptr);
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

  // IOrderAnalysisService
  const TOrderAnalysis* LastAnalysis() const override;

  TTextEditor& Editor() { return *memo_; }
  IOrderLines& OrderLines() { return lines_; }
  TOrderService& Service() { return service_; }
  // Empty while no game is chosen.
  std::filesystem::path AutomaticFile() const;
  // Writes the automatic orders file; a failure is reported. True when written (or no game).
  bool SaveAutomaticOrders();
  // Loads an order file into the editor (CR LF, CR or LF); false when it cannot be read.
  bool LoadOrderFile(const std::filesystem::path& file);
  // Saves the editor lines with `ends`; reports "Text is Saved" only when written.
  bool SaveOrderFile(const std::filesystem::path& file, TOrderLineEnds ends);
  // Finds the next line from the planet search start that names a planet and holds `text`.
  bool FindNextPlanet();
  bool FindNextGroup();
  TznListView* List(const char* name) const;

  // "Mail orders": the order text to the Galaxy server address, or into the outbox when "Place
  // in Outbox" is ticked. True when it went.
  bool MailOrders();
  // The mail settings dialog, modal.
  void EditMailSettings();
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

 protected:
  void LoadOwnState() override;
  void SaveOwnState() override;
  void RefreshGame(TGameChanges changes) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AnalysisChanged(bool afterInsert) override;
  void PutText(const std::string& text) override;

  void BuildMenus(QMenuBar* bar);
  void BuildEditorPopup();
  TznListView* AddList(QTabWidget* tabs, const char* name, const QString& tab,
                       const QStringList& captions, const QString& hint = {});
  void FillAnalysisLists();
  void FillShipsInProduction();
  void ShowPlanet(TPlanet* planet);
  void AskFindPlanet();
  void AskFindGroup();
  void LoadOrdersDialog();
  void SaveOrdersDialog(TOrderLineEnds ends);
  void ChangeRaceName();
  void QuitGame();
  void AskAndInsert(const QString& prompt, const std::string& command);
  void ClearSectionAndAnalyse(TOrderSection section);
  void SetCaretLine(int line);
  std::string GameSectionKey() const;
  std::optional<std::string> AskText(const QString& caption, const QString& prompt,
                                     const std::string& preset);

  TWindowRegistry& windows_;
  GameState& state_;
  UserInterface& ui_;
  std::filesystem::path programFolder_;

  TTextEditor* memo_ = nullptr;
  std::unique_ptr<ZazArerevOdo> highlighter_;
  TEditorOrderLines lines_;
  TNoOrderPlanner planner_;  // placeholder until the development planner is built
  TOrderService service_;
  bool analysed_ = false;
  bool automaticLoaded_ = false;

  QPushButton* btnAnalyse_ = nullptr;
  QTabWidget* pnlPlanets_ = nullptr;
  QTabWidget* pnlShips_ = nullptr;
  std::vector<TznListView*> lists_;
  TznListView* lvToDevelop_ = nullptr;
  TznListView* lvSendedShips_ = nullptr;
  TznListView* lvShipsInProduction_ = nullptr;
  std::vector<TToDevelopRow> toDevelop_;
  std::vector<TSentShipRow> sentShips_;
  QMenu* popup_ = nullptr;
  QAction* mniInsertFindCommands_ = nullptr;
  QAction* mniStayOnTop_ = nullptr;
  QAction* mniPlaceInOutbox_ = nullptr;
  QAction* mniAuto_[4] = {};
  QAction* mniUseRoutes_ = nullptr;
  QAction* mniChangePassword_ = nullptr;

  std::string serverAddress_, subject_;
  std::string openFileName_, saveFileName_;
  std::string planetSearch_;
  int planetSearchLine_ = 1;
  std::string groupSearch_;
  int groupSearchPos_ = 0;
  TAskText askText_;

  // Mail: the settings, the session's password and the transports behind them.
  TQtMailPrompts mailPrompts_{ui_};
  TMailService mail_{Store(), programFolder_, ui_, mailPrompts_};
};

}  // namespace tovix
