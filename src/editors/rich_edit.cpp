#include "editors/rich_edit.h"

#include <QAbstractTextDocumentLayout>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "editors/rich_text_mapping.h"
#include "editors/rtf.h"

namespace tovix {

namespace {

std::u16string ToU16(const QString& s) {
  return s.toStdU16String();
}

Qt::CursorShape CursorShape(int cursor) {
  switch (cursor) {
    case -21:
      return Qt::PointingHandCursor;
    case -4:
      return Qt::IBeamCursor;
    case -11:
      return Qt::WaitCursor;
    case -3:
      return Qt::CrossCursor;
    default:
      return Qt::ArrowCursor;
  }
}

// The strip left of the text: a click selects the line, a double click the paragraph.
class SelectionBar : public QWidget {
 public:
  explicit SelectionBar(TRichEdit98* edit) : QWidget(edit), edit_(edit) {
    setCursor(Qt::ArrowCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { Select(event, QTextCursor::LineUnderCursor); }
  void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    Select(event, QTextCursor::BlockUnderCursor);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), edit_->viewport()->palette().base());
  }

 private:
  void Select(QMouseEvent* event, QTextCursor::SelectionType what) {
    QTextCursor cursor = edit_->cursorForPosition(QPoint(0, event->position().toPoint().y()));
    cursor.select(what);
    if (what == QTextCursor::BlockUnderCursor && cursor.block().position() == 0)
      cursor.select(QTextCursor::BlockUnderCursor);
    edit_->setTextCursor(cursor);
  }
  TRichEdit98* edit_;
};

}  // namespace

QColor ToQColor(TColor color, const QPalette& palette) {
  if (color == clWindowText) return palette.color(QPalette::Text);
  if (IsSystemColor(color)) return palette.color(QPalette::Text);
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

TColor FromQColor(const QColor& color) {
  return RgbColor(color.red(), color.green(), color.blue());
}

// --- LinkOverlay ---

LinkOverlay::LinkOverlay(TRichEdit98* control, QTextDocument* document)
    : QSyntaxHighlighter(document), control_(control) {}

void LinkOverlay::highlightBlock(const QString& text) {
  ++scans_;
  const std::u16string wide = ToU16(text);
  for (const LinkSpan& span : FindLinks(wide, control_->CustomURLs(), control_->AutoURLDetect())) {
    const int type = ClassifyUrl(control_->CustomURLs(),
                                 std::u16string_view(wide).substr(span.start, span.length));
    QTextCharFormat format;
    format.setForeground(control_->LinkColor(type));
    format.setFontUnderline(control_->LinkUnderline(type));
    setFormat(span.start, span.length, format);
  }
}

// --- TRichEdit98 ---

TRichEdit98::TRichEdit98(QWidget* parent) : QTextEdit(parent) {
  document()->documentLayout()->registerHandler(rich_format::kOpaqueObject,
                                                new OpaqueObjectHandler(this));
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  SetLanguage(SystemLanguage());
}

QMimeData* TRichEdit98::createMimeDataFromSelection() const {
  const QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) return QTextEdit::createMimeDataFromSelection();
  const QTextDocumentFragment fragment = cursor.selection();
  auto* data = new QMimeData;
  data->setText(fragment.toPlainText());
  data->setHtml(fragment.toHtml());
  QTextDocument part;
  part.setDefaultFont(document()->defaultFont());  // text in the default size keeps it
  QTextCursor(&part).insertFragment(fragment);
  const std::string rtf = WriteRtf(RichDocumentFromQt(&part, code_page_, language_));
  data->setData(QStringLiteral("text/rtf"), QByteArray::fromStdString(rtf));
  return data;
}

bool TRichEdit98::canInsertFromMimeData(const QMimeData* source) const {
  return source->hasFormat(QStringLiteral("text/rtf")) || QTextEdit::canInsertFromMimeData(source);
}

void TRichEdit98::insertFromMimeData(const QMimeData* source) {
  if (source->hasFormat(QStringLiteral("text/rtf"))) {
    const RtfReadResult result = ReadRtf(source->data(QStringLiteral("text/rtf")).toStdString());
    if (result.document) {
      QTextDocument part;
      RichDocumentToQt(*result.document, &part);
      textCursor().insertFragment(QTextDocumentFragment(&part));
      ensureCursorVisible();
      return;
    }
  }
  QTextEdit::insertFromMimeData(source);
}

TRichEdit98::~TRichEdit98() = default;

void TRichEdit98::SetAutoURLDetect(TAutoURLDetect mode) {
  if (mode == auto_url_detect_) return;
  auto_url_detect_ = mode;
  if (mode == adNone)
    overlay_.reset();
  else if (!overlay_)
    overlay_ = std::make_unique<LinkOverlay>(this, document());
  else
    overlay_->rehighlight();
}

void TRichEdit98::SetCustomURLs(const TURLCollection& types) {
  url_types_.Clear();
  for (const auto& type : types.Items())
    url_types_.AddURLType(type.Name, type.Color, type.Underline, type.Cursor);
  RescanLinks();
}

void TRichEdit98::AddURLType(const QString& name, TColor color, bool underline, int cursor) {
  url_types_.AddURLType(ToU16(name), color, underline, cursor);
  RescanLinks();
}

void TRichEdit98::SetURLColor(TColor color) {
  url_color_ = color;
  RescanLinks();
}

void TRichEdit98::RescanLinks() {
  if (overlay_) overlay_->rehighlight();
}

void TRichEdit98::SetShowSelectionBar(bool on) {
  if (on == show_selection_bar_) return;
  show_selection_bar_ = on;
  if (on && !selection_bar_) selection_bar_ = new SelectionBar(this);
  setViewportMargins(on ? kSelectionBarWidth : 0, 0, 0, 0);
  if (selection_bar_) selection_bar_->setVisible(on);
  PlaceSelectionBar();
}

void TRichEdit98::PlaceSelectionBar() {
  if (!selection_bar_) return;
  const QRect area = contentsRect();
  selection_bar_->setGeometry(
      area.left(), area.top(), kSelectionBarWidth,
      area.height() - (horizontalScrollBar()->isVisible() ? horizontalScrollBar()->height() : 0));
}

void TRichEdit98::resizeEvent(QResizeEvent* event) {
  QTextEdit::resizeEvent(event);
  PlaceSelectionBar();
}

void TRichEdit98::SetLanguage(TLanguage language) {
  language_ = language;
  code_page_ = CodePageFromLocale(language);
}

QColor TRichEdit98::LinkColor(int type) const {
  const TColor color =
      (type < 0 || url_types_[type].Color == clWindowText) ? url_color_ : url_types_[type].Color;
  return ToQColor(color, palette());
}

bool TRichEdit98::LinkUnderline(int type) const {
  return type < 0 ? true : url_types_[type].Underline;
}

RichDocument TRichEdit98::ToRichDocument() const {
  const QTextCursor cursor = textCursor();
  if (selected_in_out_ && cursor.hasSelection()) {
    QTextDocument part;
    part.setDefaultFont(document()->defaultFont());
    QTextCursor(&part).insertFragment(cursor.selection());
    return RichDocumentFromQt(&part, code_page_, language_);
  }
  RichDocument rich = RichDocumentFromQt(document(), code_page_, language_);
  return rich;
}

void TRichEdit98::LoadRichDocument(const RichDocument& rich) {
  if (selected_in_out_) {
    QTextDocument part;
    RichDocumentToQt(rich, &part);
    textCursor().insertFragment(QTextDocumentFragment(&part));
    return;
  }
  RichDocumentToQt(rich, document());
  if (!rich.default_font.empty()) {
    QFont font = document()->defaultFont();
    font.setFamily(QString::fromStdU16String(rich.default_font));
    document()->setDefaultFont(font);
  }
}

QString TRichEdit98::LinkAt(const QPoint& viewport_point, int* type) const {
  if (type) *type = -1;
  const QPoint document_point =
      viewport_point + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const int position = document()->documentLayout()->hitTest(document_point, Qt::ExactHit);
  if (position < 0) return {};
  const QTextBlock block = document()->findBlock(position);
  const int in_block = position - block.position();
  // Text with the link attribute is a link whatever the detection finds.
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (position < fragment.position() || position >= fragment.position() + fragment.length() ||
        !fragment.charFormat().isAnchor())
      continue;
    const QString target = fragment.charFormat().anchorHref();
    const QString url = target.isEmpty() ? fragment.text() : target;
    if (type) *type = ClassifyUrl(url_types_, ToU16(url));
    return url;
  }
  if (!overlay_) return {};
  const std::u16string text = ToU16(block.text());
  for (const LinkSpan& span : FindLinks(text, url_types_, auto_url_detect_)) {
    if (in_block < span.start || in_block > span.start + span.length) continue;
    const std::u16string_view url = std::u16string_view(text).substr(span.start, span.length);
    if (type) *type = ClassifyUrl(url_types_, url);
    return QString::fromStdU16String(std::u16string(url));
  }
  return {};
}

void TRichEdit98::mouseMoveEvent(QMouseEvent* event) {
  int type = -1;
  const QString url = LinkAt(event->position().toPoint(), &type);
  if (url.isEmpty()) {
    viewport()->setCursor(Qt::IBeamCursor);
  } else {
    const int cursor = type >= 0 && url_types_[type].Cursor != 0 ? url_types_[type].Cursor
                       : url_cursor_ != 0                        ? url_cursor_
                                                                 : kCursorHandPoint;
    viewport()->setCursor(CursorShape(cursor));
    if (url.size() > 1) emit urlMoved(url);
  }
  QTextEdit::mouseMoveEvent(event);
}

void TRichEdit98::mouseReleaseEvent(QMouseEvent* event) {
  QTextEdit::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QString url = LinkAt(event->position().toPoint());
  if (url.size() > 1) emit urlClicked(url);
}

}  // namespace tovix
