#include "windows/notes_editor_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QTabBar>
#include <QTextCharFormat>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "core/errors.h"
#include "core/file_utils.h"
#include "editors/rich_edit.h"
#include "editors/rtf.h"
#include "platform/latin1.h"

namespace tovix {

TfrmEditor::TfrmEditor(const GameState& state, TznSaveState& store, UserInterface& ui,
                       std::filesystem::path folder, QWidget* parent)
    : TToolWindow("Notes Editor", 14, store, parent),
      state_(state),
      ui_(ui),
      folder_(std::move(folder)),
      opener_([](const std::string& url) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
      }) {
  setObjectName("frmEditor");
  // The formatting toolbar holds bold, italic and underline only so far; font, size,
  // alignment, bullets, colours, the indent ruler and printing are still to come (placeholder).
  auto* toolbar = new QToolBar(this);
  auto addStyle = [&](const char* name, const char* text, auto apply) {
    QAction* action = toolbar->addAction(text);
    action->setObjectName(name);
    action->setCheckable(true);
    connect(action, &QAction::toggled, this, [this, apply](bool on) {
      if (switching_) return;
      QTextCharFormat format;
      apply(format, on);
      reEditor_->mergeCurrentCharFormat(format);
    });
    return action;
  };
  actBold_ = addStyle("actBold", "Bold", [](QTextCharFormat& f, bool on) {
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  });
  actItalic_ =
      addStyle("actItalic", "Italic", [](QTextCharFormat& f, bool on) { f.setFontItalic(on); });
  actUnderline_ = addStyle("actUnderline", "Underline",
                           [](QTextCharFormat& f, bool on) { f.setFontUnderline(on); });
  reEditor_ = new TRichEdit98(this);
  reEditor_->setObjectName("reEditor");
  tabs_ = new QTabBar(this);
  tabs_->setObjectName("TabSet1");
  tabs_->setShape(QTabBar::RoundedSouth);
  for (const char* caption : kNotesTabCaptions) tabs_->addTab(caption);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(toolbar);
  layout->addWidget(reEditor_, 1);
  layout->addWidget(tabs_);
  resize(560, 400);

  connect(tabs_, &QTabBar::currentChanged, this, &TfrmEditor::TabChanged);
  connect(reEditor_, &TRichEdit98::urlClicked, this,
          [this](const QString& url) { OpenLink(ToLatin1(url)); });
  connect(reEditor_, &QTextEdit::currentCharFormatChanged, this,
          [this](const QTextCharFormat& format) {
            switching_ = true;
            actBold_->setChecked(format.fontWeight() >= QFont::Bold);
            actItalic_->setChecked(format.fontItalic());
            actUnderline_->setChecked(format.fontUnderline());
            switching_ = false;
          });
}

TfrmEditor::~TfrmEditor() {
  // A window destroyed while shown gets no hide of its own.
  SaveCurrentNotes();
}

std::filesystem::path TfrmEditor::FileOf(int tab) const {
  return NotesFileName(folder_, tab, state_.GameName);
}

void TfrmEditor::LoadNotes(int tab) {
  TNotesTabState& tabState = tabStates_[static_cast<size_t>(tab)];
  tabState = TNotesTabState{};
  tabState.Loaded = true;
  const std::filesystem::path file = FileOf(tab);
  std::error_code ec;
  tabState.FileExists = std::filesystem::exists(file, ec);
  switching_ = true;
  reEditor_->clear();
  if (tabState.FileExists) {
    try {
      const std::string bytes = LoadFileToString(file);
      if (LooksLikeRtf(bytes)) {
        RtfReadResult read = ReadRtf(bytes);
        if (!read.document) throw TovixError(read.error);
        reEditor_->LoadRichDocument(*read.document);
      } else {
        reEditor_->LoadRichDocument(RichDocumentFromAnsi(bytes, 1252));
      }
    } catch (const TovixError& e) {
      // Never written back: the file keeps what this editor could not read.
      tabState.LoadFailed = true;
      reEditor_->clear();
      ui_.ShowMessage(e.what());
    }
  } else {
    QTextCharFormat format;
    format.setFontPointSize(10);
    format.setForeground(Qt::black);
    format.setBackground(Qt::white);
    reEditor_->setCurrentCharFormat(format);
  }
  reEditor_->setReadOnly(tabState.LoadFailed);
  reEditor_->document()->setModified(false);
  switching_ = false;
}

void TfrmEditor::SaveCurrentNotes() {
  TNotesTabState& tabState = tabStates_[static_cast<size_t>(currentTab_)];
  tabState.Modified = tabState.Modified || reEditor_->document()->isModified();
  if (!tabState.ShouldWrite()) return;
  const std::filesystem::path file = FileOf(currentTab_);
  try {
    WriteFileAtomically(file, WriteRtf(reEditor_->ToRichDocument()));
  } catch (const TovixError& e) {
    ui_.ShowMessage(e.what());
    return;
  }
  tabState.Modified = false;
  tabState.FileExists = true;
  reEditor_->document()->setModified(false);
}

void TfrmEditor::TabChanged(int tab) {
  if (tab < 0 || tab == currentTab_) return;
  if (isVisible()) SaveCurrentNotes();
  currentTab_ = tab;
  if (isVisible()) LoadNotes(tab);
}

void TfrmEditor::OpenLink(const std::string& link) {
  const TLinkTarget target = LinkTargetFor(link);
  if (target.AskFirst && !ui_.AskYesNo("Open " + target.Url + "?")) return;
  if (opener_) opener_(target.Url);
}

void TfrmEditor::showEvent(QShowEvent* event) {
  TToolWindow::showEvent(event);
  LoadNotes(currentTab_);
  reEditor_->setFocus();
}

void TfrmEditor::hideEvent(QHideEvent* event) {
  SaveCurrentNotes();
  TToolWindow::hideEvent(event);
}

}  // namespace tovix
