#pragma once
// "Players": every race with its latest figures and their change since the turn before. From it
// the user writes war, peace and message orders, sends relay messages (in "Galaxy NG" games),
// marks a race's planets on the map (a click) and sends races to the graph. "Create Message"
// is the dialog the message text is typed in.

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "core/text/char_codes.h"
#include "views/player_rows.h"
#include "windows/base/model_list_window.h"
#include "windows/base/services.h"

class QAction;
class QMenu;
class QPlainTextEdit;

namespace tovix {

class TExportZnListView;

class TfrmCreateMessage : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmCreateMessage(UserInterface& ui, QWidget* parent = nullptr);
  // The race the message is for; "" for a global message. Empties the memo.
  void Setup(const std::string& race);
  // The message order block (see MessageText).
  std::string GetMessageText() const;
  // The memo's text alone (a relay message), in Windows-1252. OK is refused while the memo holds
  // a character Windows-1252 cannot, so after OK it holds none.
  std::string MemoText() const;
  QPlainTextEdit* Memo() const { return memo_; }
  void done(int result) override;

 private:
  static const TTextTarget kTarget;
  UserInterface& ui_;
  std::string race_;
  QPlainTextEdit* memo_;
};

class TfrmPlayers : public TModelListWindow {
  Q_OBJECT

 public:
  using TServicesSource = std::function<const TServices&()>;
  TfrmPlayers(GameState& state, TznSaveState& store, UserInterface& ui, TServicesSource services,
              QWidget* parent = nullptr);
  ~TfrmPlayers() override;

  // The message dialog: Setup with the race ("" for all) and show it modally; the memo's text
  // and the whole message block on OK, nothing on Cancel. Replaceable for tests.
  struct TMessage {
    std::string Block;  // "@ race" ... "@"
    std::string Memo;
  };
  std::function<std::optional<TMessage>(const std::string& race)> RunMessageDialog;
  // The graph window's "Show In Graph": the races in row order.
  std::function<void(const std::vector<TPlayer*>&)> ShowInGraph;
  // The main window's title, for the export's footer.
  std::function<std::string()> MainCaption;

  QMenu* PopupMenu() const { return pmuPlayers_; }
  TExportZnListView& Exporter() const { return *export_; }
  const std::vector<TPlayerRow>& Rows() const { return rows_; }
  // Enables and shows the popup's items for the current selection, as before it opens.
  void PreparePopup();
  // The races selected, from the top of the list.
  std::vector<TPlayer*> SelectedPlayers() const;

  void ShowSelectedInGraph();
  void CreateGlobalMessage();
  void CreateMessage();
  void CreateRelayMessage();
  void SetWar();
  void SetPeace();
  void ExportList();

 protected:
  void Fill() override;

 private:
  void UpdateCaption();
  void RowClicked(int viewRow);
  void Insert(const std::string& lines);

  UserInterface& ui_;
  QMenu* pmuPlayers_;
  QAction* mniGraph_;
  QAction* mniExport_;
  QAction* mniGlobal_;
  QAction* mniRelay_;
  QAction* mniMessage_;
  QAction* mniWar_;
  QAction* mniPeace_;
  std::unique_ptr<TExportZnListView> export_;
  std::vector<TPlayerRow> rows_;
};

}  // namespace tovix
