#include "windows/lists/players_window.h"

#include <QDialogButtonBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/zn_list_view.h"
#include "orders/order_commands.h"
#include "platform/latin1.h"
#include "platform/typed_text.h"
#include "windows/base/popup_actions.h"
#include "windows/dialogs/list_export_dialog.h"

namespace tovix {

namespace {

constexpr int kPlayersHelpContext = 26;
constexpr int kMessageHelpContext = 13;

}  // namespace

// --- TfrmCreateMessage -------------------------------------------------------------------------

TfrmCreateMessage::TfrmCreateMessage(UserInterface& ui, QWidget* parent)
    : QDialog(parent), ui_(ui) {
  setObjectName("frmCreateMessage");
  setProperty("HelpContext", kMessageHelpContext);
  setWindowTitle("Create Message");
  auto* layout = new QVBoxLayout(this);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo1");
  layout->addWidget(memo_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(420, 300);
}

void TfrmCreateMessage::Setup(const std::string& race) {
  race_ = race;
  setWindowTitle(FromLatin1(MessageDialogCaption(race)));
  memo_->clear();
}

// Messages go into the orders, relay messages into a mail: both are Windows-1252 text.
const TTextTarget TfrmCreateMessage::kTarget{TCodePage::Windows1252, "The message",
                                             "the orders or a mail"};

void TfrmCreateMessage::done(int result) {
  // OK with a character the orders cannot hold keeps the dialog open with the text.
  if (result == QDialog::Accepted && !TypedTextFits(memo_->toPlainText(), kTarget, ui_)) return;
  QDialog::done(result);
}

std::string TfrmCreateMessage::MemoText() const {
  return EncodeTyped(memo_->toPlainText(), kTarget.Page).value_or(std::string());
}

std::string TfrmCreateMessage::GetMessageText() const {
  return MessageText(race_, MemoText());
}

// --- TfrmPlayers -------------------------------------------------------------------------------

TfrmPlayers::TfrmPlayers(GameState& state, TznSaveState& store, UserInterface& ui,
                         TServicesSource services, QWidget* parent)
    : TModelListWindow("Players", kPlayersHelpContext, state, store, std::move(services), "Players",
                       "lvPLayers.cols", parent),
      ui_(ui) {
  setObjectName("frmPlayers");
  setToolTip("Player info, select multiple players and right click to show them in Graph window");
  MakeList();
  list_->setObjectName("lvPlayers");
  QStringList captions;
  std::vector<int> widths;
  for (const TPlayerColumn& c : kPlayerColumns) {
    captions << c.Title;
    widths.push_back(c.Width);
  }
  list_->SetColumns(captions, widths);
  std::vector<bool> right;
  for (const TPlayerColumn& c : kPlayerColumns) right.push_back(c.RightAligned);
  list_->Rows().SetRightAligned(std::move(right));
  layout()->addWidget(list_);
  resize(900, 280);

  export_ = MakeRowsExport(*list_, ui_, this, "Players", false);

  pmuPlayers_ = new QMenu(this);
  auto add = [this](const char* caption, void (TfrmPlayers::*slot)(), const char* keys = nullptr) {
    QAction* a = pmuPlayers_->addAction(caption, this, slot);
    if (keys) {
      a->setShortcut(QKeySequence(keys));
      addAction(a);
    }
    return a;
  };
  mniGraph_ = add("&Show In Graph", &TfrmPlayers::ShowSelectedInGraph, "Ctrl+S");
  mniExport_ = add("&Export", &TfrmPlayers::ExportList, "Ctrl+E");
  mniGlobal_ = add("Create &Global Message", &TfrmPlayers::CreateGlobalMessage);
  mniRelay_ = add("Create Relay message to this player", &TfrmPlayers::CreateRelayMessage);
  mniMessage_ = add("Create &Message to this Player", &TfrmPlayers::CreateMessage);
  mniWar_ = add("Set &War to this Player", &TfrmPlayers::SetWar);
  mniPeace_ = add("Set &Peace to this Player", &TfrmPlayers::SetPeace);
  ShowMenuOnRightClick(list_, pmuPlayers_, [this] { PreparePopup(); });
  connect(list_, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { RowClicked(index.row()); });
  connect(list_, &TznListView::SortBegin, this, [this] {
    // The caption follows once the new sort is in place.
    QMetaObject::invokeMethod(
        this, [this] { UpdateCaption(); }, Qt::QueuedConnection);
  });
}

TfrmPlayers::~TfrmPlayers() = default;

void TfrmPlayers::Fill() {
  rows_ = PlayerRows(state_);
  list_->Rows().SetCellRows(rows_);
  list_->Resort();
  UpdateCaption();
}

void TfrmPlayers::UpdateCaption() {
  setWindowTitle(FromLatin1(
      PlayersSortCaption(list_->SortDirection() == TznSortDirection::sdAsc, list_->SortColumn())));
}

std::vector<TPlayer*> TfrmPlayers::SelectedPlayers() const {
  std::vector<TPlayer*> players;
  for (int row : list_->CollectSelectedRows()) {
    if (row >= 0 && row < static_cast<int>(rows_.size()))
      players.push_back(rows_[static_cast<size_t>(row)].Player);
  }
  return players;
}

void TfrmPlayers::PreparePopup() {
  const std::vector<TPlayer*> selected = SelectedPlayers();
  const TPlayerMenuState m = PlayerMenuState(
      std::vector<const TPlayer*>(selected.begin(), selected.end()), state_.Settings.GameType);
  mniMessage_->setEnabled(m.OneSelected);
  mniWar_->setEnabled(m.OneSelected);
  mniPeace_->setEnabled(m.OneSelected);
  mniWar_->setVisible(m.WarVisible);
  mniPeace_->setVisible(m.PeaceVisible);
  mniRelay_->setVisible(m.RelayVisible);
  mniRelay_->setEnabled(m.OneSelected);
}

void TfrmPlayers::RowClicked(int viewRow) {
  const int row = list_->Rows().SourceRow(viewRow);
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (IMapService* map = Services().Map)
    map->MarkPlayerPlanets(rows_[static_cast<size_t>(row)].Player);
}

void TfrmPlayers::Insert(const std::string& lines) {
  if (IOrderService* orders = Services().Orders) orders->InsertOtherCommands(lines);
}

void TfrmPlayers::ShowSelectedInGraph() {
  if (ShowInGraph) ShowInGraph(SelectedPlayers());
}

namespace {

std::optional<TfrmPlayers::TMessage> RunOwnDialog(QWidget* parent, UserInterface& ui,
                                                  const std::string& race) {
  TfrmCreateMessage dialog(ui, parent);
  dialog.Setup(race);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return TfrmPlayers::TMessage{dialog.GetMessageText(), dialog.MemoText()};
}

}  // namespace

void TfrmPlayers::CreateGlobalMessage() {
  const auto message = RunMessageDialog ? RunMessageDialog("") : RunOwnDialog(this, ui_, "");
  if (message) Insert(message->Block);
}

void TfrmPlayers::CreateMessage() {
  const std::vector<TPlayer*> selected = SelectedPlayers();
  if (selected.size() != 1) return;
  const std::string race = selected[0]->Name;
  const auto message = RunMessageDialog ? RunMessageDialog(race) : RunOwnDialog(this, ui_, race);
  if (message) Insert(message->Block);
}

void TfrmPlayers::CreateRelayMessage() {
  const std::vector<TPlayer*> selected = SelectedPlayers();
  if (selected.size() != 1 || state_.Settings.GameType != TGameType::NG) return;
  const std::string race = selected[0]->Name;
  const auto message = RunMessageDialog ? RunMessageDialog(race) : RunOwnDialog(this, ui_, race);
  if (message && Services().Orders) Services().Orders->SendRelayMessage(race, message->Memo);
}

void TfrmPlayers::SetWar() {
  const std::vector<TPlayer*> selected = SelectedPlayers();
  if (selected.size() == 1) Insert(RelationCommand(selected[0]->Name, true));
}

void TfrmPlayers::SetPeace() {
  const std::vector<TPlayer*> selected = SelectedPlayers();
  if (selected.size() == 1) Insert(RelationCommand(selected[0]->Name, false));
}

void TfrmPlayers::ExportList() {
  if (MainCaption) export_->Footer = MainCaption();
  export_->ExecuteExport();
}

}  // namespace tovix
