#include "windows/texts/notes_editor_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

#include "controls/color_combo_box.h"
#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "editors/rich_edit.h"
#include "editors/rtf.h"
#include "platform/file_names.h"
#include "platform/shell.h"

namespace tovix {

namespace {

// The editor's text keeps this many pixels from its left and right edges.
constexpr int kTextMargin = 6;
constexpr int kRulerHeight = 24;
constexpr int kLargestFontSize = 1638;

// A ruler marker: a small triangle, pointing down for the first-line indent.
class RulerMarker : public QWidget {
 public:
  RulerMarker(QWidget* parent, bool pointsDown) : QWidget(parent), down_(pointsDown) {
    setFixedSize(TIndentRuler::kMarkerWidth, 8);
    setCursor(Qt::SizeHorCursor);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = width() - 1;
    const double h = height() - 1;
    QPainterPath path;
    if (down_) {
      path.moveTo(0.5, 0.5);
      path.lineTo(w + 0.5, 0.5);
      path.lineTo(w / 2 + 0.5, h + 0.5);
    } else {
      path.moveTo(w / 2 + 0.5, 0.5);
      path.lineTo(w + 0.5, h + 0.5);
      path.lineTo(0.5, h + 0.5);
    }
    path.closeSubpath();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawPath(path);
  }

 private:
  bool down_;
};

// Small drawn icons for the alignment and bullet buttons: lines as the paragraph would show.
QIcon LinesIcon(int kind) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QPen(Qt::black, 1));
  const int widths[] = {12, 8, 12, 6};
  for (int i = 0; i < 4; ++i) {
    const int y = 3 + i * 3;
    const int w = kind == 3 ? 9 : widths[i];
    int x = 2;
    if (kind == 1) x = 2 + (12 - w) / 2;  // centred
    if (kind == 2) x = 14 - w;            // right
    if (kind == 3) {                      // bullets
      painter.drawRect(2, y - 1, 1, 1);
      x = 5;
    }
    painter.drawLine(x, y, x + w - 1, y);
  }
  return QIcon(pixmap);
}

QAction* MakeAction(QWidget* owner, const char* name, const QString& text,
                    const QKeySequence& shortcut = {}) {
  auto* action = new QAction(text, owner);
  action->setObjectName(name);
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
  }
  return action;
}

}  // namespace

// --- TIndentRuler ---

TIndentRuler::TIndentRuler(QWidget* parent) : QWidget(parent) {
  setObjectName("Ruler");
  setFixedHeight(kRulerHeight);
  const char* names[] = {"FirstInd", "LeftInd", "RightInd"};
  for (int i = 0; i < 3; ++i) {
    marker_[i] = new RulerMarker(this, i == kFirst);
    marker_[i]->setObjectName(names[i]);
    marker_[i]->installEventFilter(this);
  }
  Place();
}

void TIndentRuler::SetMarkers(const TRulerMarkers& markers) {
  markers_ = markers;
  Place();
}

void TIndentRuler::SetOrigin(int x) {
  origin_ = x;
  Place();
  update();
}

void TIndentRuler::SetTickSpacing(double pixels) {
  tickSpacing_ = pixels > 4 ? pixels : 80;
  update();
}

void TIndentRuler::Place() {
  marker_[kFirst]->move(origin_ + markers_.First, 1);
  marker_[kLeft]->move(origin_ + markers_.Left, height() - marker_[kLeft]->height() - 1);
  marker_[kRight]->move(origin_ + markers_.Right, height() - marker_[kRight]->height() - 1);
}

void TIndentRuler::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  // The ruler line spans the ruler less its left offset on both sides.
  const int mid = height() / 2;
  const QRect line(origin_ + kTextMargin, mid - 3, RulerWidth() - 2 * kTextMargin, 7);
  painter.fillRect(line, palette().color(QPalette::Base));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(line.adjusted(0, 0, -1, -1));
  painter.setPen(palette().color(QPalette::WindowText));
  for (double x = origin_ + kTextMargin + tickSpacing_; x < line.right(); x += tickSpacing_)
    painter.drawLine(QPointF(x, mid - 2), QPointF(x, mid + 2));
}

bool TIndentRuler::eventFilter(QObject* watched, QEvent* event) {
  const int which = watched == marker_[kFirst]   ? kFirst
                    : watched == marker_[kLeft]  ? kLeft
                    : watched == marker_[kRight] ? kRight
                                                 : -1;
  if (which < 0) return QWidget::eventFilter(watched, event);
  auto* mouse = dynamic_cast<QMouseEvent*>(event);
  if (mouse == nullptr) return false;
  // Positions in the ruler's arithmetic: pixels from the origin.
  const int x = marker_[which]->mapTo(this, mouse->position().toPoint()).x() - origin_;
  int* place = which == kFirst  ? &markers_.First
               : which == kLeft ? &markers_.Left
                                : &markers_.Right;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (mouse->button() != Qt::LeftButton) return false;
      grab_ = kMarkerWidth / 2;
      dragging_ = which;
      *place = ClampMarker(x - grab_);
      Place();
      return true;
    case QEvent::MouseMove:
      if (dragging_ != which) return false;
      *place = ClampMarker(x - grab_);
      Place();
      return true;
    case QEvent::MouseButtonRelease:
      if (dragging_ != which) return false;
      dragging_ = -1;
      emit markersDropped(grab_);
      return true;
    default:
      return false;
  }
}

// --- TfrmEditor ---

QFont TfrmEditor::DefaultNotesFont() {
  if (QFontDatabase::families().contains(QStringLiteral("Verdana")))
    return QFont(QStringLiteral("Verdana"), 10);
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

TfrmEditor::TfrmEditor(const GameState& state, TznSaveState& store, UserInterface& ui,
                       std::filesystem::path folder, QWidget* parent)
    : TToolWindow("Notes Editor", 14, store, parent),
      state_(state),
      ui_(ui),
      folder_(std::move(folder)),
      // A link that nothing opens is told, with its address.
      opener_([this](const std::string& url) {
        OpenInDesktop(QUrl(QString::fromStdString(url)), ui_);
      }),
      fontDialog_([this](QFont& font) {
        bool ok = false;
        font = QFontDialog::getFont(&ok, font, this);
        return ok;
      }),
      colorDialog_([this](TColor& color) {
        const QColor chosen = QColorDialog::getColor(ToQColor(color, palette()), this);
        if (!chosen.isValid()) return false;
        color = FromQColor(chosen);
        return true;
      }),
      printDialog_([this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
      }) {
  setObjectName("frmEditor");
  reEditor_ = new TRichEdit98(this);
  reEditor_->setObjectName("Editor");
  reEditor_->SetAutoURLDetect(adDefault);
  reEditor_->SetURLColor(RgbColor(0, 0, 255));
  reEditor_->SetURLCursor(kCursorHandPoint);
  reEditor_->SetLanguage(1043);
  reEditor_->SetShowSelectionBar(true);
  reEditor_->SetInputFormat(ifRTF);
  reEditor_->SetOutputFormat(ofRTF);
  reEditor_->setTabChangesFocus(false);  // tabs are text
  reEditor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  reEditor_->document()->setDocumentMargin(kTextMargin);
  reEditor_->document()->setUndoRedoEnabled(true);  // no undo limit
  ruler_ = new TIndentRuler(this);
  tabs_ = new QTabBar(this);
  tabs_->setObjectName("TabSet1");
  tabs_->setShape(QTabBar::RoundedSouth);
  tabs_->setExpanding(false);
  for (const char* caption : kNotesTabCaptions) tabs_->addTab(caption);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(1);
  BuildToolbars();
  layout->addWidget(ruler_);
  layout->addWidget(reEditor_, 1);
  layout->addWidget(tabs_);
  resize(640, 460);

  // New notes are written in the default font at 10 points, whatever size the desktop's font
  // has: notes saved without sizes read at that size in every session.
  reEditor_->DefAttributes().SetName(DefaultNotesFont().family());
  reEditor_->DefAttributes().SetSize(10);

  connect(tabs_, &QTabBar::currentChanged, this, &TfrmEditor::TabChanged);
  connect(reEditor_, &TRichEdit98::urlClicked, this,
          // Encoded, a link beyond Latin-1 stays whole ("%C5%82" for "ł").
          [this](const QString& url) { OpenLink(QUrl(url).toEncoded().toStdString()); });
  connect(reEditor_, &QTextEdit::cursorPositionChanged, this, &TfrmEditor::FollowSelection);
  connect(reEditor_, &QTextEdit::selectionChanged, this, &TfrmEditor::FollowSelection);
  connect(reEditor_, &QTextEdit::currentCharFormatChanged, this, &TfrmEditor::FollowSelection);
  connect(reEditor_, &QTextEdit::undoAvailable, this, &TfrmEditor::UpdateCommands);
  connect(reEditor_, &QTextEdit::copyAvailable, this, &TfrmEditor::UpdateCommands);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TfrmEditor::UpdateCommands);
  connect(ruler_, &TIndentRuler::markersDropped, this, &TfrmEditor::RulerDropped);
  FollowSelection();
  UpdateCommands();
}

void TfrmEditor::BuildToolbars() {
  auto* menus = new QMenuBar(this);
  menus->setObjectName("MainMenu");
  actPrint_ = MakeAction(this, "actPrint", "&Print...", QKeySequence(Qt::CTRL | Qt::Key_P));
  actUndo_ = MakeAction(this, "actUndo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
  actCut_ = MakeAction(this, "actCut", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X));
  actCopy_ = MakeAction(this, "actCopy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
  actPaste_ = MakeAction(this, "actPaste", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V));
  QAction* editFont = MakeAction(this, "EditFontCmd", "&Edit...");
  QAction* selectColor = MakeAction(this, "actSelectColor", "Select &Color...");
  QMenu* file = menus->addMenu("&File");
  file->addAction(actPrint_);
  QMenu* edit = menus->addMenu("&Edit");
  edit->addAction(actUndo_);
  edit->addSeparator();
  edit->addAction(actCut_);
  edit->addAction(actCopy_);
  edit->addAction(actPaste_);
  QMenu* font = menus->addMenu("F&ont");
  font->addAction(editFont);
  font->addAction(selectColor);
  layout()->setMenuBar(menus);
  connect(actPrint_, &QAction::triggered, this, &TfrmEditor::PrintClicked);
  connect(actUndo_, &QAction::triggered, reEditor_, &QTextEdit::undo);
  connect(actCut_, &QAction::triggered, reEditor_, &QTextEdit::cut);
  connect(actCopy_, &QAction::triggered, reEditor_, &QTextEdit::copy);
  connect(actPaste_, &QAction::triggered, reEditor_, &QTextEdit::paste);
  connect(editFont, &QAction::triggered, this, &TfrmEditor::EditFont);
  connect(selectColor, &QAction::triggered, this, &TfrmEditor::SelectColor);

  // First row: the commands and the styles; second row: font, size and colours.
  auto* commands = new QToolBar(this);
  commands->setObjectName("StandardToolBar");
  commands->setIconSize(QSize(16, 16));
  for (QAction* action : {actPrint_, actUndo_, actCut_, actCopy_, actPaste_}) {
    commands->addAction(action);
    if (action == actPrint_) commands->addSeparator();
  }
  commands->addSeparator();
  auto addStyle = [&](const char* name, const QString& text, const QString& hint,
                      TFontStyles style) {
    QAction* action = commands->addAction(text);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setCheckable(true);
    QFont look = commands->font();
    look.setBold(style == fsBold);
    look.setItalic(style == fsItalic);
    look.setUnderline(style == fsUnderline);
    action->setFont(look);
    connect(action, &QAction::toggled, this, [this, style](bool on) {
      if (updating_) return;
      TTextAttributes98& attributes = reEditor_->SelAttributes();
      attributes.SetStyle(on ? (attributes.Style() | style) : (attributes.Style() & ~style));
    });
    return action;
  };
  actBold_ = addStyle("BoldButton", "B", "Bold", fsBold);
  actItalic_ = addStyle("ItalicButton", "I", "Italic", fsItalic);
  actUnderline_ = addStyle("UnderlineButton", "U", "Underline", fsUnderline);
  commands->addSeparator();
  auto* alignment = new QActionGroup(this);
  auto addAlignment = [&](const char* name, const QString& hint, int icon, TAlignment tag) {
    QAction* action = commands->addAction(LinesIcon(icon), hint);
    action->setObjectName(name);
    action->setCheckable(true);
    action->setData(static_cast<int>(tag));
    alignment->addAction(action);
    connect(action, &QAction::triggered, this, [this, tag] {
      if (!updating_) reEditor_->Paragraph().SetAlignment(tag);
    });
    return action;
  };
  actAlignLeft_ = addAlignment("LeftAlign", "Align Left", 0, taLeftJustify);
  actCenter_ = addAlignment("CenterAlign", "Center", 1, taCenter);
  actAlignRight_ = addAlignment("RightAlign", "Align Right", 2, taRightJustify);
  commands->addSeparator();
  actBullets_ = commands->addAction(LinesIcon(3), "Bullets");
  actBullets_->setObjectName("BulletsButton");
  actBullets_->setStatusTip("Enter bullet mode");
  actBullets_->setCheckable(true);
  connect(actBullets_, &QAction::toggled, this, [this](bool on) {
    if (!updating_) reEditor_->Paragraph().SetNumbering(on ? nsBullet : nsNone);
  });

  auto* formats = new QToolBar(this);
  formats->setObjectName("FormatToolBar");
  cbxFontName_ = new QComboBox(formats);
  cbxFontName_->setObjectName("FontName");
  cbxFontName_->setToolTip("Font Name");
  cbxFontName_->setEditable(true);
  cbxFontName_->setInsertPolicy(QComboBox::NoInsert);
  QStringList families = QFontDatabase::families();
  families.sort(Qt::CaseInsensitive);
  cbxFontName_->addItems(families);
  cbxFontName_->setMinimumContentsLength(18);
  cbxFontName_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  formats->addWidget(cbxFontName_);
  // A name picked from the list or typed and confirmed with Enter.
  auto setName = [this](const QString& name) {
    if (!updating_ && !name.trimmed().isEmpty()) reEditor_->SelAttributes().SetName(name.trimmed());
  };
  connect(cbxFontName_, &QComboBox::textActivated, this, setName);
  connect(cbxFontName_->lineEdit(), &QLineEdit::returnPressed, this,
          [this, setName] { setName(cbxFontName_->currentText()); });
  edtFontSize_ = new QSpinBox(formats);
  edtFontSize_->setObjectName("FontSize");
  edtFontSize_->setToolTip("Font Size");
  edtFontSize_->setRange(1, kLargestFontSize);
  edtFontSize_->setKeyboardTracking(false);
  formats->addWidget(edtFontSize_);
  connect(edtFontSize_, &QSpinBox::valueChanged, this, [this](int points) {
    if (!updating_) reEditor_->SelAttributes().SetSize(points);
  });
  formats->addSeparator();
  auto addColors = [&](const char* name, const QString& caption) {
    formats->addWidget(new QLabel(caption + " ", formats));
    auto* combo = new TColorComboBox(formats);
    combo->setObjectName(name);
    combo->setToolTip(caption);
    combo->setFocusPolicy(Qt::ClickFocus);  // not in the tab order
    formats->addWidget(combo);
    return combo;
  };
  cbxForeground_ = addColors("ColorComboBox1", "Foreground");
  formats->addSeparator();
  cbxBackground_ = addColors("ColorComboBox2", "Background");
  connect(cbxForeground_, &TColorComboBox::OnChange, this, [this] {
    if (!updating_) reEditor_->SelAttributes().SetColor(cbxForeground_->ColorValue());
  });
  connect(cbxBackground_, &TColorComboBox::OnChange, this, [this] {
    if (!updating_) reEditor_->SelAttributes().SetBackColor(cbxBackground_->ColorValue());
  });

  layout()->addWidget(commands);
  layout()->addWidget(formats);
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
  loadedFiles_[static_cast<size_t>(tab)] = file;
  std::error_code ec;
  tabState.FileExists = std::filesystem::exists(file, ec);
  updating_ = true;
  reEditor_->clear();
  if (tabState.FileExists) {
    try {
      const std::string bytes = LoadFileToString(file);
      if (LooksLikeRtf(bytes)) {
        RtfReadResult read = ReadRtf(bytes);
        if (!read.document) throw TovixError(read.error);
        reEditor_->LoadRichDocument(*read.document);
      } else {
        reEditor_->LoadRichDocument(RichDocumentFromAnsi(bytes, reEditor_->CodePageNumber()));
      }
    } catch (const TovixError& e) {
      // Never written back: the file keeps what this editor could not read.
      tabState.LoadFailed = true;
      reEditor_->clear();
      ui_.ShowMessage(e.what());
    }
  } else {
    // A new note: no style, 10 points, black on white.
    TTextAttributes98& defaults = reEditor_->DefAttributes();
    defaults.SetStyle(0);
    defaults.SetSize(10);
    defaults.SetColor(RgbColor(0, 0, 0));
    defaults.SetBackColor(RgbColor(255, 255, 255));
    QTextCharFormat typing;
    typing.setFontPointSize(10);
    typing.setForeground(Qt::black);
    typing.setBackground(Qt::white);
    reEditor_->setCurrentCharFormat(typing);
  }
  reEditor_->setReadOnly(tabState.LoadFailed);
  reEditor_->moveCursor(QTextCursor::Start);
  reEditor_->document()->setModified(false);
  updating_ = false;
  FollowSelection();
}

void TfrmEditor::SaveCurrentNotes() {
  const auto tab = static_cast<size_t>(currentTab_);
  TNotesTabState& tabState = tabStates_[tab];
  tabState.Modified = tabState.Modified || reEditor_->document()->isModified();
  if (!tabState.ShouldWrite() || loadedFiles_[tab].empty()) return;
  try {
    WriteFileAtomically(loadedFiles_[tab], reEditor_->Lines().SaveToStream());
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
  if (filled_) SaveCurrentNotes();
  currentTab_ = tab;
  if (filled_) LoadNotes(tab);
}

void TfrmEditor::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) == 0 || !filled_) return;
  // "This Game" names another file now: the notes are read again for the new game.
  SaveCurrentNotes();
  LoadNotes(currentTab_);
}

void TfrmEditor::OpenLink(const std::string& link) {
  const TLinkTarget target = LinkTargetFor(link);
  if (target.AskFirst && !ui_.AskYesNo("Open " + target.Url + "?")) return;
  if (opener_) opener_(target.Url);
}

void TfrmEditor::FollowSelection() {
  if (updating_) return;
  updating_ = true;
  TTextAttributes98& attributes = reEditor_->SelAttributes();
  TParaAttributes98& paragraph = reEditor_->Paragraph();
  TRulerIndents indents;
  indents.First = static_cast<int>(std::lround(paragraph.FirstIndent()));
  indents.Left = static_cast<int>(std::lround(paragraph.LeftIndent()));
  indents.Right = static_cast<int>(std::lround(paragraph.RightIndent()));
  ruler_->SetMarkers(RulerMarkersFor(indents, ruler_->RulerWidth(), TIndentRuler::kMarkerWidth));
  const TFontStyles style = attributes.Style();
  actBold_->setChecked((style & fsBold) != 0);
  actItalic_->setChecked((style & fsItalic) != 0);
  actUnderline_->setChecked((style & fsUnderline) != 0);
  actBullets_->setChecked(paragraph.Numbering() == nsBullet);
  switch (paragraph.Alignment()) {
    case taRightJustify:
      actAlignRight_->setChecked(true);
      break;
    case taCenter:
      actCenter_->setChecked(true);
      break;
    default:
      actAlignLeft_->setChecked(true);
      break;
  }
  edtFontSize_->setValue(attributes.Size());
  cbxFontName_->setCurrentText(attributes.Name());
  // The automatic colour shows as the colour it is drawn in.
  const TColor color = attributes.Color();
  cbxForeground_->SetColorValue(
      color == clWindowText ? FromQColor(reEditor_->palette().color(QPalette::Text)) : color);
  cbxBackground_->SetColorValue(attributes.BackColor());
  updating_ = false;
}

void TfrmEditor::RulerDropped(int grab) {
  const TRulerIndents indents = RulerIndentsFrom(ruler_->Markers(), grab, ruler_->RulerWidth());
  TParaAttributes98& paragraph = reEditor_->Paragraph();
  paragraph.SetFirstIndent(indents.First);
  paragraph.SetLeftIndent(indents.Left);
  paragraph.SetRightIndent(indents.Right);
  FollowSelection();
}

void TfrmEditor::PlaceRuler() {
  // The ruler's origin is where the editor's viewport begins; its text begins kTextMargin
  // further in, which the ruler's arithmetic counts.
  const int origin = reEditor_->mapTo(this, reEditor_->viewport()->geometry().topLeft()).x() -
                     ruler_->geometry().left();
  ruler_->SetOrigin(origin);
  ruler_->SetTickSpacing(reEditor_->document()->defaultTextOption().tabStopDistance());
  FollowSelection();
}

void TfrmEditor::UpdateCommands() {
  actUndo_->setEnabled(reEditor_->document()->isUndoAvailable());
  const bool selected = reEditor_->textCursor().hasSelection();
  actCut_->setEnabled(selected && !reEditor_->isReadOnly());
  actCopy_->setEnabled(selected);
  actPaste_->setEnabled(reEditor_->canPaste());
}

void TfrmEditor::EditFont() {
  TTextAttributes98& attributes = reEditor_->SelAttributes();
  QFont font;
  attributes.AssignTo(font);
  if (fontDialog_ && fontDialog_(font)) attributes.Assign(font, attributes.Color());
  FollowSelection();
}

void TfrmEditor::SelectColor() {
  TTextAttributes98& attributes = reEditor_->SelAttributes();
  TColor color = attributes.Color();
  if (colorDialog_ && colorDialog_(color)) attributes.SetColor(color);
  FollowSelection();
}

void TfrmEditor::PrintClicked() {
  QPrinter printer;
  // Without a printer the dialog prints to a file: beside the notes, not wherever the program
  // was started.
  if (QPrinterInfo::availablePrinters().isEmpty())
    printer.setOutputFileName(
        FileNameText(NotesPdfFile(folder_, FileNameBytes(tabs_->tabText(currentTab_))).string()));
  if (printDialog_ && printDialog_(printer)) Print(printer);
}

void TfrmEditor::Print(QPrinter& printer) {
  printer.setDocName(tabs_->tabText(currentTab_));
  reEditor_->print(&printer);
  // Say where the notes went: a file is easily lost.
  const bool toFile = !printer.outputFileName().isEmpty();
  ui_.ShowMessageUtf8(PrintedNotice(
      toFile, (toFile ? printer.outputFileName() : printer.printerName()).toStdString()));
}

void TfrmEditor::showEvent(QShowEvent* event) {
  TToolWindow::showEvent(event);
  // Read once per game: a later show (a restore from minimised among them) keeps the user's
  // text, undo history and caret.
  if (!filled_) {
    filled_ = true;
    LoadNotes(currentTab_);
  }
  PlaceRuler();
  if (!event->spontaneous()) reEditor_->setFocus();
}

void TfrmEditor::hideEvent(QHideEvent* event) {
  SaveCurrentNotes();
  TToolWindow::hideEvent(event);
}

void TfrmEditor::resizeEvent(QResizeEvent* event) {
  TToolWindow::resizeEvent(event);
  PlaceRuler();
}

}  // namespace tovix
