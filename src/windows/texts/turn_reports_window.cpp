#include "windows/texts/turn_reports_window.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>
#include <filesystem>

#include "controls/key_chords.h"
#include "controls/list_boxes.h"
#include "core/base/errors.h"
#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "editors/text_codec.h"
#include "editors/unsavable_chars.h"
#include "platform/file_names.h"
#include "platform/latin1.h"

namespace tovix {

TfrmTurnReports::TfrmTurnReports(const GameState& state, TznSaveState& store, UserInterface& ui,
                                 QWidget* parent)
    : TToolWindow("Turn Reports", 33, store, parent), state_(state), ui_(ui) {
  setObjectName("frmTurnReports");
  setMinimumSize(337, 172);
  auto* splitter = new QSplitter(this);
  // Placeholder for the text list box: a plain list that scrolls sideways to its widest line.
  lstFiles_ = new TTextListBox(splitter);
  lstFiles_->setObjectName("RzListBox1");
  lstFiles_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* right = new QWidget(splitter);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  cbxShowPart_ = new QComboBox(right);
  cbxShowPart_->setObjectName("cbxShowPart");
  cbxShowPart_->addItems({"Personal Messages", "Global Messages", "Whole Report"});
  mmoReport_ = new QPlainTextEdit(right);
  mmoReport_->setObjectName("mmoReport");
  mmoReport_->setLineWrapMode(QPlainTextEdit::NoWrap);
  mmoReport_->setTabChangesFocus(false);
  auto* chords = new TChordKeyFilter(mmoReport_);
  mmoReport_->installEventFilter(chords);
  mmoReport_->viewport()->installEventFilter(chords);
  mmoReport_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  mmoReport_->setContextMenuPolicy(Qt::CustomContextMenu);
  rightLayout->addWidget(cbxShowPart_);
  rightLayout->addWidget(mmoReport_);
  splitter->addWidget(lstFiles_);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({120, 400});
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(splitter);
  resize(640, 420);

  pmuReport_ = new QMenu(this);
  actReload_ = pmuReport_->addAction("&Reload", this, &TfrmTurnReports::Reload);
  actSave_ = pmuReport_->addAction("&Save", this, &TfrmTurnReports::Save);
  connect(mmoReport_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    UpdateActions();
    pmuReport_->popup(mmoReport_->viewport()->mapToGlobal(at));
  });
  connect(mmoReport_, &QPlainTextEdit::modificationChanged, this, [this] { UpdateActions(); });
  connect(lstFiles_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0) return;
    ShowFile(lstFiles_->item(row)->data(Qt::UserRole).toByteArray().toStdString());
  });
  connect(cbxShowPart_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!filling_ && index >= 0) SetShowPart(static_cast<TReportPart>(index));
  });
  UpdateActions();
}

void TfrmTurnReports::showEvent(QShowEvent* event) {
  TToolWindow::showEvent(event);
  if (!filled_) FillFiles();
}

void TfrmTurnReports::RefreshGame(TGameChanges changes) {
  if (changes & gcGameRead) FillFiles();
}

void TfrmTurnReports::FillFiles() {
  filled_ = true;
  filling_ = true;
  showPart_ = FirstReportPart(state_.Settings.GameType);
  cbxShowPart_->setCurrentIndex(static_cast<int>(showPart_));
  lstFiles_->clear();
  const TGameSettings& settings = state_.Settings;
  for (const std::string& file : TurnReportFiles(settings.spelD, settings.spelC)) {
    // The name as the file system has it; the item keeps the file's bytes whole.
    auto* item = new QListWidgetItem(QFileInfo(FileNameText(file)).fileName(), lstFiles_);
    item->setData(Qt::UserRole, QByteArray::fromStdString(file));
  }
  filling_ = false;
  if (state_.LastTurn >= 0 && !settings.spelC.empty() && IsValidReportPattern(settings.spelD)) {
    const std::string file = FormatReportName(settings.spelD, settings.spelC[0], state_.LastTurn);
    for (int row = 0; row < lstFiles_->count(); ++row)
      if (QListWidgetItem* item = lstFiles_->item(row);
          item->data(Qt::UserRole).toByteArray().toStdString() == file) {
        filling_ = true;
        lstFiles_->setCurrentItem(item);
        filling_ = false;
      }
    ShowFile(file);
  }
}

void TfrmTurnReports::ShowFile(const std::string& file) {
  std::string bytes;
  try {
    bytes = LoadFileToString(file);
  } catch (const TovixError& e) {
    ui_.ShowMessage(e.what());
    return;
  }
  currentFile_ = file;
  currentBytes_ = std::move(bytes);
  const std::string text = ReportPartText(ReportTextForEditing(currentBytes_), showPart_);
  mmoReport_->setReadOnly(showPart_ != TReportPart::Whole);
  mmoReport_->setPlainText(FromLatin1(text));
  mmoReport_->document()->setModified(false);
  shownText_ = EditorText();
  UpdateActions();
}

QString TfrmTurnReports::EditorQText() const {
  // The raw text: the plain text turns each no-break space into a blank.
  QString text = mmoReport_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
  return text;
}

std::string TfrmTurnReports::EditorText() const {
  return ToLatin1(EditorQText());
}

std::string TfrmTurnReports::UnsavableCharsOfReport() const {
  // The editor's lines as they are numbered on screen.
  std::vector<TEditString> lines;
  for (const QString& line : EditorQText().split(u'\n')) lines.push_back(line.toStdU32String());
  return UnsavableCharsText(FindUnsavableChars(lines, TTextEncoding::Latin1));
}

void TfrmTurnReports::SetShowPart(TReportPart part) {
  if (part == showPart_) return;
  showPart_ = part;
  filling_ = true;
  cbxShowPart_->setCurrentIndex(static_cast<int>(part));
  filling_ = false;
  if (!currentFile_.empty()) ShowFile(currentFile_);
}

void TfrmTurnReports::Reload() {
  std::error_code ec;
  if (!currentFile_.empty() && std::filesystem::exists(currentFile_, ec)) ShowFile(currentFile_);
}

void TfrmTurnReports::Save() {
  UpdateActions();
  if (!actSave_->isEnabled()) return;
  // A report file holds one byte per character: what it cannot hold would be written as "?".
  // Nothing is written then, and the editor keeps the text.
  if (const std::string where = UnsavableCharsOfReport(); !where.empty()) {
    ui_.ShowMessageUtf8(
        "The report was not saved: a report file cannot hold these characters (report files "
        "are 8-bit Latin-1 text):\r" +
        where + "\rChange them and save again.");
    return;
  }
  if (!ui_.AskYesNo("Are you sure to save?")) return;
  const std::string bytes = EditedReportBytes(currentBytes_, EditorText(), shownText_);
  try {
    WriteFileAtomically(currentFile_, bytes);
  } catch (const TovixError&) {
    ui_.ShowMessage(
        Fmt("I was not able to save %s to disk, please check if it is write "
            "protected, read only or if the disk is full",
            currentFile_));
    return;
  }
  currentBytes_ = bytes;
  shownText_ = EditorText();
  mmoReport_->document()->setModified(false);
  UpdateActions();
}

void TfrmTurnReports::UpdateActions() {
  actReload_->setEnabled(!currentFile_.empty());
  actSave_->setEnabled(!currentFile_.empty() && showPart_ == TReportPart::Whole &&
                       mmoReport_->document()->isModified());
}

}  // namespace tovix
