#include "controls/combo_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

#include "controls/draw_utils.h"

namespace tovix {

QImage MakeEllipsisGlyph(int buttonWidth) {
  const int w = std::max(1, buttonWidth - 6);
  QImage image(w, 4, QImage::Format_RGB32);
  image.fill(Qt::white);
  const int gap = std::clamp((w - 6) / 2, 1, 3);
  const int first = (w - 6 - 2 * gap) / 2;
  for (int dot = 0; dot < 3; ++dot) {
    const int x0 = first + dot * (gap + 2);
    for (int x = x0; x < x0 + 2; ++x)
      for (int y = 1; y < 3; ++y)
        if (x >= 0 && x < w) image.setPixel(x, y, 0xFF000000);
  }
  return image;
}

namespace {

// The system's combo-box arrow, drawn by the style on a button-face background (which the glyph
// then treats as transparent, being its lower-left pixel).
QImage DropDownArrowGlyph(const QWidget* widget) {
  QImage image(9, 6, QImage::Format_RGB32);
  image.fill(widget->palette().color(QPalette::Button));
  QPainter painter(&image);
  QStyleOption option;
  option.initFrom(widget);
  option.rect = image.rect();
  option.state |= QStyle::State_Enabled;
  widget->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, widget);
  return image;
}

}  // namespace

// ---- TEditButton

TEditButton::TEditButton(QWidget* parent, QWidget* edit) : TRxSpeedButton(parent), edit_(edit) {}

void TEditButton::paintEvent(QPaintEvent* event) {
  TRxSpeedButton::paintEvent(event);
  if (Style() == bsNew) return;
  QPainter painter(this);
  const int h = height();
  painter.setPen(palette().color(NewStyle() ? QPalette::Button : QPalette::Dark));
  painter.drawLine(0, 0, 0, h - 1);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(1, 1, 1, h - 2);
}

void TEditButton::mousePressEvent(QMouseEvent* event) {
  QWidget* edit = edit_;
  if (edit && (edit->focusPolicy() & Qt::TabFocus) && edit->isEnabled() && edit->isVisible() &&
      !edit->hasFocus())
    edit->setFocus(Qt::MouseFocusReason);
  TRxSpeedButton::mousePressEvent(event);
}

// ---- TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget* parent)
    : QLineEdit(parent), holder_(new QWidget(this)), button_(new TEditButton(holder_, this)) {
  holder_->setObjectName(QStringLiteral("buttonHolder"));
  button_->setObjectName(QStringLiteral("editButton"));
  holder_->resize(21, 17);
  button_->setGeometry(0, 0, 21, 17);
  connect(button_, &TRxSpeedButton::OnClick, this, &TCustomComboEdit::EditButtonClick);
  connect(this, &QLineEdit::textChanged, this, &TCustomComboEdit::OnChange);
  setAlignment(ToQtAlignment(alignment_));
  resize(width(), 21);
  UpdateMinimumHeight();
  UpdateControls();
}

TCustomComboEdit::~TCustomComboEdit() = default;

void TCustomComboEdit::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  setAlignment(ToQtAlignment(alignment));
}

QString TCustomComboEdit::ButtonHint() const {
  return button_->toolTip();
}

void TCustomComboEdit::SetButtonHint(const QString& hint) {
  button_->setToolTip(hint);
}

void TCustomComboEdit::SetButtonWidth(int width) {
  if (glyphKind_ == gkDropDown || width == buttonWidth_ || width < 0) return;
  const int frame = hasFrame() ? 2 : 0;
  if (width >= this->width() - 2 * frame) return;
  buttonWidth_ = width;
  UpdateControls();
  RecreateGlyph();
}

void TCustomComboEdit::SetDirectInput(bool on) {
  directInput_ = on;
  setReadOnly(readOnly_ || !directInput_);
  update();
}

void TCustomComboEdit::SetReadOnly(bool on) {
  readOnly_ = on;
  setReadOnly(readOnly_ || !directInput_);
  update();
}

void TCustomComboEdit::SetMaxLength(int length) {
  maxLength_ = std::max(length, 0);
  setMaxLength(maxLength_ == 0 ? 32767 : maxLength_);
}

void TCustomComboEdit::SetGlyph(const QImage& glyph) {
  glyph_ = glyph;
  glyphKind_ = gkCustom;
  RecreateGlyph();
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind kind) {
  glyphKind_ = kind;
  RecreateGlyph();
}

int TCustomComboEdit::NumGlyphs() const {
  return button_->NumGlyphs();
}

void TCustomComboEdit::SetNumGlyphs(int count) {
  button_->SetNumGlyphs(count);
}

void TCustomComboEdit::RecreateGlyph() {
  switch (glyphKind_) {
    case gkCustom:
      button_->SetGlyph(glyph_);
      break;
    case gkDefault: {
      const QImage glyph = DefaultGlyph();
      button_->SetGlyph(glyph);
      button_->SetNumGlyphs(1);
      if (!glyph.isNull()) buttonWidth_ = std::max(glyph.width() + 6, buttonWidth_);
      break;
    }
    case gkDropDown:
      button_->SetGlyph(DropDownArrowGlyph(this));
      button_->SetNumGlyphs(1);
      buttonWidth_ = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
      break;
    case gkEllipsis:
      button_->SetGlyph(MakeEllipsisGlyph(buttonWidth_));
      button_->SetNumGlyphs(1);
      break;
  }
  UpdateControls();
}

void TCustomComboEdit::UpdateControls() {
  const int w = width();
  const int h = height();
  const int b = buttonWidth_;
  const QRect bounds = hasFrame() ? QRect(w - b - 2, 2, b, h - 4) : QRect(w - b, 0, b, h);
  holder_->setGeometry(bounds);
  button_->setGeometry(0, 0, bounds.width(), bounds.height());
  holder_->setVisible(b >= 2);
  setTextMargins(0, 0, b + 2, 0);
}

void TCustomComboEdit::UpdateMinimumHeight() {
  const int system = QFontMetrics(QApplication::font()).height();
  setMinimumHeight(std::min(system, fontMetrics().height()) + 4 + 1);
}

void TCustomComboEdit::EditButtonClick() {
  if (readOnly_) return;
  ButtonClick();
}

void TCustomComboEdit::ButtonClick() {
  emit OnButtonClick();
}

void TCustomComboEdit::keyPressEvent(QKeyEvent* event) {
  const QKeyCombination pressed(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
  if (buttonWidth_ > 0 && !clickKey_.isEmpty() && clickKey_[0] == pressed) {
    button_->Click();
    event->accept();
    return;
  }
  // Enter and Escape stay unaccepted by the line edit and reach the dialog's buttons.
  QLineEdit::keyPressEvent(event);
}

void TCustomComboEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (autoSelect_ && directInput_) {
    if (event->reason() != Qt::MouseFocusReason) selectAll();
  } else if (event->reason() != Qt::MouseFocusReason) {
    deselect();
  }
}

void TCustomComboEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  UpdateControls();
}

void TCustomComboEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    UpdateMinimumHeight();
    UpdateControls();
  }
}

void TCustomComboEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (isReadOnly() && hasFocus()) {
    QPainter painter(this);
    PaintCaret(painter, this, cursorRect());
  }
}

}  // namespace tovix
