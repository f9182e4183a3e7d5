#include "windows/lists/players_window.h"

#include <QDialogButtonBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/zn_list_view.h"
#include "orders/order_commands.h"
#include "windows/dialogs/list_export_dialog.h"

namespace tovix {

namespace {

constexpr int kPlayersHelpContext = 26;
constexpr int kMessageHelpContext = 13;

QString Q(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// --- TfrmCreateMessage -------------------------------------------------------------------------

TfrmCreateMessage::TfrmCreateMessage(QWidget* parent) : QDialog(parent) {
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
  setWindowTitle(Q(MessageDialogCaption(race)));
  memo_->clear();
}

std::string TfrmCreateMessage::MemoText() const {
  return memo_->toPlainText().toLatin1().toStdString();
}

std::string TfrmCreateMessage::GetMessageText() const {
  return MessageText(race_, MemoText());
}

// --- TfrmPlayers -------------------------------------------------------------------------------

TfrmPlayers::TfrmPlayers(GameState& state, TznSaveState& store, UserInterface& ui,
                         TServicesSource services, QWidget* parent)
    : TToolWindow("Players", kPlayersHelpContext, store, parent),
      state_(state),
      ui_(ui),
      services_(std::move(services)) {
  setObjectName("frmPlayers");
  setToolTip("Player info, select multiple players and right click to show them in Graph window");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  lvPlayers_ = new TznListView(this);
  lvPlayers_->setObjectName("lvPlayers");
  QStringList captions;
  std::vector<int> widths;
  for (const TPlayerColumn& c : kPlayerColumns) {
    captions << c.Title;
    widths.push_back(c.Width);
  }
  lvPlayers_->SetColumns(captions, widths);
  std::vector<bool> right;
  for (const TPlayerColumn& c : kPlayerColumns) right.push_back(c.RightAligned);
  lvPlayers_->Rows().SetRightAligned(std::move(right));
  lvPlayers_->SetCursorWait(Qt::ArrowCursor);
  lvPlayers_->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(lvPlayers_);
  resize(900, 280);

  export_ = std::make_unique<TExportZnListView>(*lvPlayers_, ui_, this);
  export_->Options.ExportAllWhenNoneSelected = true;
  export_->Options.NumberRows = true;
  export_->Options.SelectedRowsOnly = true;
  export_->Options.ShowClipboardMsg = true;
  export_->Options.ShowProgress = true;
  export_->Options.TimeStamp = true;
  export_->Header = "Players";
  export_->Title = "Tovix";

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
  connect(lvPlayers_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PreparePopup();
    pmuPlayers_->popup(lvPlayers_->viewport()->mapToGlobal(pos));
  });
  connect(lvPlayers_, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { RowClicked(index.row()); });
  connect(lvPlayers_, &TznListView::SortBegin, this, [this] {
    // The caption follows once the new sort is in place.
    QMetaObject::invokeMethod(
        this, [this] { UpdateCaption(); }, Qt::QueuedConnection);
  });
}

TfrmPlayers::~TfrmPlayers() = default;

void TfrmPlayers::showEvent(QShowEvent* event) {
  if (!filled_) Fill();
  TToolWindow::showEvent(event);
}

void TfrmPlayers::RefreshGame(TGameChanges changes) {
  // The rows point into the model: a new read makes them again.
  if ((changes & gcGameRead) != 0) Fill();
}

void TfrmPlayers::Fill() {
  rows_ = PlayerRows(state_);
  lvPlayers_->Rows().SetRows(static_cast<int>(rows_.size()), [this](int row, int column) {
    return rows_[static_cast<size_t>(row)].Cells[static_cast<size_t>(column)];
  });
  lvPlayers_->Resort();
  filled_ = true;
  UpdateCaption();
}

void TfrmPlayers::UpdateCaption() {
  setWindowTitle(Q(PlayersSortCaption(lvPlayers_->SortDirection() == TznSortDirection::sdAsc,
                                      lvPlayers_->SortColumn())));
}

std::vector<TPlayer*> TfrmPlayers::SelectedPlayers() const {
  std::vector<TPlayer*> players;
  for (int row : lvPlayers_->CollectSelectedRows()) {
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
  const int row = lvPlayers_->Rows().SourceRow(viewRow);
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (IMapService* map = services_().Map)
    map->MarkPlayerPlanets(rows_[static_cast<size_t>(row)].Player);
}

void TfrmPlayers::Insert(const std::string& lines) {
  if (IOrderService* orders = services_().Orders) orders->InsertOtherCommands(lines);
}

void TfrmPlayers::ShowSelectedInGraph() {
  if (ShowInGraph) ShowInGraph(SelectedPlayers());
}

namespace {

std::optional<TfrmPlayers::TMessage> RunOwnDialog(QWidget* parent, const std::string& race) {
  TfrmCreateMessage dialog(parent);
  dialog.Setup(race);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return TfrmPlayers::TMessage{dialog.GetMessageText(), dialog.MemoText()};
}

}  // namespace

void TfrmPlayers::CreateGlobalMessage() {
  const auto message = RunMessageDialog ? RunMessageDialog("") : RunOwnDialog(this, "");
  if (message) Insert(message->Block);
}

void TfrmPlayers::CreateMessage() {
  const std::vector<TPlayer*> selected = SelectedPlayers();
  if (selected.size() != 1) return;
  const std::string race = selected[0]->Name;
  const auto message = RunMessageDialog ? RunMessageDialog(race) : RunOwnDialog(this, race);
  if (message) Insert(message->Block);
}

void TfrmPlayers::CreateRelayMessage() {
  const std::vector<TPlayer*> selected = SelectedPlayers();
  if (selected.size() != 1 || state_.Settings.GameType != TGameType::NG) return;
  const std::string race = selected[0]->Name;
  const auto message = RunMessageDialog ? RunMessageDialog(race) : RunOwnDialog(this, race);
  if (message && services_().Orders) services_().Orders->SendRelayMessage(race, message->Memo);
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

void TfrmPlayers::LoadOwnState() {
  std::string layout;
  lvPlayers_->GetColumnLayout(layout);
  lvPlayers_->SetLoading(true);
  lvPlayers_->SetColumnLayout(Store().ReadString("Players", "lvPLayers.cols", layout));
  lvPlayers_->SetLoading(false);
}

void TfrmPlayers::SaveOwnState() {
  std::string layout;
  if (lvPlayers_->GetColumnLayout(layout)) Store().WriteString("Players", "lvPLayers.cols", layout);
}

}  // namespace tovix
