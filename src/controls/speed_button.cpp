#include "controls/speed_button.h"

#include <QDialog>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QThread>
#include <climits>

#include "controls/draw_utils.h"

namespace tovix {

namespace {
constexpr int kMaxCaption = 255;

// The caption with every line cut to `width` pixels (with "...").
QString ShortenLines(const QString& caption, const QFontMetrics& metrics, int width) {
  QStringList lines = caption.split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    line = ShortenToWidth(line, metrics, width);
  }
  return lines.join(QLatin1Char('\n'));
}
}  // namespace

TRxSpeedButton::TRxSpeedButton(QWidget* parent) : QWidget(parent), repeatTimer_(this) {
  repeatTimer_.setObjectName(QStringLiteral("repeatTimer"));
  connect(&repeatTimer_, &QTimer::timeout, this, &TRxSpeedButton::RepeatTimerFired);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(25, 25);
}

TRxSpeedButton::~TRxSpeedButton() = default;

void TRxSpeedButton::SetCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
  update();
}

void TRxSpeedButton::SetAlignment(TAlignment alignment) {
  glyph_.SetAlignment(alignment);
  update();
}

void TRxSpeedButton::SetAllowTimer(bool on) {
  allowTimer_ = on;
  if (!on) repeatTimer_.stop();
}

void TRxSpeedButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = down;
  if (state_ != rbsDisabled) state_ = down ? rbsExclusive : rbsUp;
  if (down) ReleaseGroup();
  update();
}

void TRxSpeedButton::ReleaseGroup() {
  if (!parentWidget() || groupIndex_ == 0) return;
  const auto siblings = parentWidget()->findChildren<TRxSpeedButton*>(Qt::FindDirectChildrenOnly);
  for (TRxSpeedButton* other : siblings) {
    if (other == this || other->groupIndex_ != groupIndex_ || !other->down_) continue;
    other->down_ = false;
    if (other->state_ != rbsDisabled) other->state_ = rbsUp;
    other->update();
  }
}

void TRxSpeedButton::SetDropDownMenu(QMenu* menu) {
  dropDownMenu_ = menu;
  update();
}

void TRxSpeedButton::SetMarkDropDown(bool on) {
  markDropDown_ = on;
  update();
}

void TRxSpeedButton::SetFlat(bool on) {
  flat_ = on;
  update();
}

void TRxSpeedButton::SetGrayedInactive(bool on) {
  grayedInactive_ = on;
  update();
}

void TRxSpeedButton::SetGlyph(const QImage& glyph) {
  glyph_.SetGlyph(glyph);
  update();
}

void TRxSpeedButton::SetNumGlyphs(int count) {
  glyph_.SetNumGlyphs(count);
  update();
}

void TRxSpeedButton::SetImages(TImageList* images, int index) {
  disconnect(imagesChanged_);
  glyph_.SetImages(images, index);
  if (images) imagesChanged_ = connect(images, &TImageList::Changed, this, [this] { update(); });
  update();
}

void TRxSpeedButton::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  update();
}

void TRxSpeedButton::SetMargin(int margin) {
  margin_ = margin < -1 ? -1 : margin;
  update();
}

void TRxSpeedButton::SetSpacing(int spacing) {
  spacing_ = spacing;
  update();
}

void TRxSpeedButton::SetStyle(TButtonStyle style) {
  style_ = style;
  update();
}

void TRxSpeedButton::SetTransparent(bool on) {
  transparent_ = on;
  // Without an opaque paint Qt draws the parent behind the button first.
  setAttribute(Qt::WA_OpaquePaintEvent, !on);
  update();
}

void TRxSpeedButton::SetWordWrap(bool on) {
  glyph_.SetWordWrap(on);
  update();
}

void TRxSpeedButton::Click() {
  QPointer<TRxSpeedButton> self(this);
  emit OnClick();
  if (!self || modalResult_ == 0) return;
  if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(modalResult_);
}

void TRxSpeedButton::PressAndClick() {
  if (menuTracking_ || !isEnabled()) return;
  if (state_ == rbsUp) state_ = rbsDown;
  repaint();
  QThread::msleep(20);
  if (groupIndex_ != 0) {
    SetDown(!down_);
    state_ = down_ ? rbsExclusive : rbsUp;
  } else {
    state_ = rbsUp;
  }
  repaint();
  Click();
}

void TRxSpeedButton::UpdateEnabledState() {
  if (!isEnabled()) {
    state_ = rbsDisabled;
    dragging_ = false;
  } else if (state_ == rbsDisabled) {
    state_ = (down_ && groupIndex_ != 0) ? rbsExclusive : rbsUp;
  }
}

void TRxSpeedButton::Press() {
  if (!mouseInside_) {
    mouseInside_ = true;
    if (flat_) update();
  }
  if (state_ == rbsUp) {
    state_ = rbsDown;
    update();
  }
  dragging_ = true;
  if (dropDownMenu_) {
    ShowDropDownMenu();
    return;
  }
  if (allowTimer_) {
    repeatTimer_.setInterval(initPause_);
    repeatTimer_.start();
  }
}

void TRxSpeedButton::ShowDropDownMenu() {
  QMenu* menu = dropDownMenu_;
  const TPopupAlignment alignment = menu->layoutDirection() == Qt::RightToLeft ? paRight : paLeft;
  QPoint at = mapToGlobal(DropDownPoint(menuPosition_, alignment, width(), height()));
  if (alignment == paRight) at.rx() -= menu->sizeHint().width();
  QPointer<TRxSpeedButton> self(this);
  menuTracking_ = true;
  update();
  // The menu runs modally and takes the release of this press, so the press gives no click.
  menu->exec(at);
  if (!self) return;
  menuTracking_ = false;
  dragging_ = false;
  if (state_ != rbsDisabled) state_ = down_ ? rbsExclusive : rbsUp;
  mouseInside_ = rect().contains(mapFromGlobal(QCursor::pos()));
  update();
}

void TRxSpeedButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) {
    QWidget::mousePressEvent(event);
    return;
  }
  Press();
}

void TRxSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) {
    QWidget::mouseDoubleClickEvent(event);
    return;
  }
  QPointer<TRxSpeedButton> self(this);
  emit OnDblClick();
  if (self) Press();
}

void TRxSpeedButton::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  TRxButtonState shown = rect().contains(event->position().toPoint()) ? rbsDown : rbsUp;
  if (down_) shown = rbsExclusive;
  if (shown != state_) {
    state_ = shown;
    update();
  }
}

void TRxSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  repeatTimer_.stop();
  if (!dragging_) return;
  dragging_ = false;
  const bool inside = rect().contains(event->position().toPoint());
  if (groupIndex_ == 0) {
    state_ = rbsUp;
  } else {
    if (inside) SetDown(!down_);
    state_ = down_ ? rbsExclusive : rbsUp;
  }
  update();
  QPointer<TRxSpeedButton> self(this);
  if (inside && !menuTracking_) Click();
  if (self && !inside && mouseInside_) DoMouseLeave();
}

void TRxSpeedButton::RepeatTimerFired() {
  repeatTimer_.setInterval(repeatInterval_);
  if (state_ != rbsDown || !dragging_) return;
  try {
    Click();
  } catch (...) {
    repeatTimer_.stop();
    throw;
  }
}

void TRxSpeedButton::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  if (mouseInside_ || !isEnabled() || !ActiveWindowIsOwn()) return;
  mouseInside_ = true;
  if (flat_) update();
  emit OnMouseEnter();
}

void TRxSpeedButton::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (!dragging_) DoMouseLeave();
}

void TRxSpeedButton::DoMouseLeave() {
  if (!mouseInside_ || !isEnabled()) return;
  mouseInside_ = false;
  if (flat_) update();
  emit OnMouseLeave();
}

void TRxSpeedButton::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::EnabledChange:
      UpdateEnabledState();
      if (!isEnabled()) repeatTimer_.stop();
      update();
      break;
    case QEvent::PaletteChange:
      glyph_.Invalidate();
      update();
      break;
    case QEvent::FontChange:
      update();
      break;
    default:
      break;
  }
  QWidget::changeEvent(event);
}

bool TRxSpeedButton::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut &&
      static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_ && shortcutId_ != 0) {
    if (isEnabled() && isVisible()) Click();
    return true;
  }
  return QWidget::event(event);
}

void TRxSpeedButton::paintEvent(QPaintEvent*) {
  UpdateEnabledState();
  QPainter painter(this);
  const QPalette& pal = palette();
  const bool inactive = flat_ && !mouseInside_;
  QRect content = rect();
  if (!transparent_) painter.fillRect(content, pal.color(QPalette::Button));
  const bool pressed = state_ == rbsDown || state_ == rbsExclusive;
  if (!inactive || state_ == rbsExclusive)
    content = DrawButtonFrame(painter, content, pal, pressed, flat_, NewStyle());
  else
    content.adjust(2, 2, -2, -2);
  if (state_ == rbsExclusive && !transparent_ && (!flat_ || inactive)) {
    painter.fillRect(content, pal.color(QPalette::Button));
    painter.fillRect(content, QBrush(pal.color(QPalette::Light), Qt::Dense4Pattern));
  }
  if (pressed) content.translate(1, 1);
  TRxButtonState imageState = state_;
  if (inactive && grayedInactive_ && state_ != rbsDisabled) imageState = rbsInactive;
  PaintContent(painter, content, imageState);
}

void TRxSpeedButton::PaintContent(QPainter& painter, const QRect& content,
                                  TRxButtonState imageState) {
  const QPalette& pal = palette();
  const QPixmap image = glyph_.StateImage(imageState, pal);
  const QSize glyphSize = image.isNull() ? QSize(0, 0) : glyph_.GlyphSize();
  const bool mark = markDropDown_ && dropDownMenu_;
  const QString caption = caption_.left(kMaxCaption);
  const QFontMetrics metrics(font());
  const int wrap = glyph_.WordWrap() ? int(Qt::TextWordWrap) : 0;
  const int flags = int(ToQtAlignment(glyph_.Alignment())) | Qt::TextShowMnemonic | wrap;

  QString shown;
  auto measure = [&](QSize space) -> QSize {
    if (caption.isEmpty()) return {0, 0};
    shown = glyph_.WordWrap() ? caption : ShortenLines(caption, metrics, space.width());
    return metrics.boundingRect(QRect(0, 0, space.width(), INT_MAX / 2), flags, shown).size();
  };
  const TButtonPlacement place =
      CalcButtonLayout(content, glyphSize, measure, layout_, margin_, spacing_, mark);

  if (!image.isNull()) painter.drawPixmap(place.glyphPos, image);
  QRect textRect = place.textBounds;
  const bool markAfterText =
      mark && !(glyphSize.width() > 0 && glyphSize.height() > 0 && layout_ != blGlyphLeft);
  if (!textRect.isEmpty()) {
    if (markAfterText) textRect.setWidth(textRect.width() - 9);
    painter.save();
    if (isEnabled()) {
      painter.setPen(pal.color(QPalette::ButtonText));
      painter.drawText(textRect, flags, shown);
    } else {
      painter.setPen(pal.color(QPalette::Light));
      painter.drawText(textRect.translated(1, 1), flags, shown);
      painter.setPen(pal.color(QPalette::Dark));
      painter.drawText(textRect, flags, shown);
    }
    painter.restore();
  }
  if (mark) {
    QPoint at;
    if (!markAfterText && !image.isNull()) {
      at = QPoint(place.glyphPos.x() + glyphSize.width() + 1,
                  place.glyphPos.y() + glyphSize.height() / 2 - 2);
    } else if (!textRect.isEmpty()) {
      at = QPoint(textRect.x() + textRect.width() + 3, textRect.center().y() - 1);
    } else {
      at = QPoint((content.left() + content.right() + 1 - 7) / 2, content.center().y() - 1);
    }
    DrawDropDownMark(painter, at, pal, isEnabled());
  }
}

}  // namespace tovix
