#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "controls/spin_edit.h"

namespace tovix {

namespace {

// The built-in 6 by 6 arrows: black on white, the white (lower-left pixel) shows as background.
QImage DefaultArrow(bool up) {
  QImage image(6, 6, QImage::Format_RGB32);
  image.fill(Qt::white);
  // Rows 1..3 of the up arrow hold 2, 4 and 6 black pixels.
  for (int row = 0; row < 3; ++row)
    for (int x = 2 - row; x <= 3 + row; ++x) image.setPixel(x, up ? 1 + row : 4 - row, 0xFF000000);
  return image;
}

// `glyph` with its transparent colour (its lower-left pixel) left out; the rest in `ink` when the
// button is disabled.
QPixmap GlyphPixmap(const QImage& glyph, bool enabled, const QColor& disabledInk) {
  QImage argb = glyph.convertToFormat(QImage::Format_ARGB32);
  if (argb.isNull()) return {};
  const QRgb clear = argb.pixel(0, argb.height() - 1) & 0xFFFFFF;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb p = argb.pixel(x, y);
      if ((p & 0xFFFFFF) == clear)
        argb.setPixel(x, y, 0);
      else if (!enabled)
        argb.setPixel(x, y, disabledInk.rgb());
    }
  return QPixmap::fromImage(argb);
}

}  // namespace

// ---- TRxSpinButton

TRxSpinButton::TRxSpinButton(QWidget* parent)
    : QWidget(parent),
      upGlyph_(DefaultArrow(true)),
      downGlyph_(DefaultArrow(false)),
      repeatTimer_(this) {
  repeatTimer_.setObjectName(QStringLiteral("repeatTimer"));
  connect(&repeatTimer_, &QTimer::timeout, this, &TRxSpinButton::RepeatTimerFired);
  setFocusPolicy(Qt::NoFocus);
  resize(20, 20);
}

void TRxSpinButton::SetUpGlyph(const QImage& glyph) {
  upGlyph_ = glyph.isNull() ? DefaultArrow(true) : glyph;
  invalid_ = true;
  update();
}

void TRxSpinButton::SetDownGlyph(const QImage& glyph) {
  downGlyph_ = glyph.isNull() ? DefaultArrow(false) : glyph;
  invalid_ = true;
  update();
}

void TRxSpinButton::FirePart(TSpinButtonState part) {
  if (part == sbTopDown)
    emit OnTopClick();
  else if (part == sbBottomDown)
    emit OnBottomClick();
}

void TRxSpinButton::SetShown(TSpinButtonState state) {
  if (state == down_) return;
  down_ = state;
  update();
}

void TRxSpinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) {
    QWidget::mousePressEvent(event);
    return;
  }
  QWidget* focus = focusControl_;
  if (focus && (focus->focusPolicy() & Qt::TabFocus) && focus->isEnabled() && focus->isVisible() &&
      !focus->hasFocus())
    focus->setFocus(Qt::MouseFocusReason);
  if (down_ == sbNotDown) {
    const QPoint at = event->position().toPoint();
    lastDown_ = IsLowerSpinPart(at, size()) ? sbBottomDown : sbTopDown;
    QPointer<TRxSpinButton> self(this);
    down_ = lastDown_;
    update();
    FirePart(lastDown_);
    if (!self) return;
    // The step may have run a modal loop that took the release.
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) down_ = sbNotDown;
    update();
    repeatTimer_.setInterval(400);
    repeatTimer_.start();
  }
  dragging_ = true;
}

void TRxSpinButton::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const QPoint at = event->position().toPoint();
  TSpinButtonState shown = sbNotDown;
  if (at.x() >= 0 && at.x() <= width() && at.y() >= 0 && at.y() <= height()) {
    const TSpinButtonState part = IsLowerSpinPart(at, size()) ? sbBottomDown : sbTopDown;
    if (part == lastDown_) shown = part;
  }
  SetShown(shown);
}

void TRxSpinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  repeatTimer_.stop();
  SetShown(sbNotDown);
}

void TRxSpinButton::RepeatTimerFired() {
  repeatTimer_.setInterval(100);
  if (down_ == sbNotDown || !dragging_) return;
  try {
    FirePart(down_);
  } catch (...) {
    repeatTimer_.stop();
    throw;
  }
}

void TRxSpinButton::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  invalid_ = true;
}

void TRxSpinButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
    invalid_ = true;
    if (!isEnabled()) {
      dragging_ = false;
      repeatTimer_.stop();
      down_ = sbNotDown;
    }
    update();
  }
  QWidget::changeEvent(event);
}

void TRxSpinButton::paintEvent(QPaintEvent*) {
  if (invalid_) {
    for (int s = sbNotDown; s <= sbBottomDown; ++s)
      images_[s] = DrawImage(static_cast<TSpinButtonState>(s));
    invalid_ = false;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, images_[down_]);
}

QPixmap TRxSpinButton::DrawImage(TSpinButtonState state) const {
  const int w = width();
  const int h = height();
  QPixmap image(w, h);
  const QPalette& pal = palette();
  const QColor face = pal.color(QPalette::Button);
  const QColor frame = pal.color(QPalette::Shadow);
  const QColor light = pal.color(QPalette::Light);
  const QColor dark = pal.color(QPalette::Dark);
  image.fill(face);
  QPainter p(&image);
  p.setPen(frame);
  p.drawRect(0, 0, w - 1, h - 1);
  p.drawLine(-1, h, w, -1);

  const bool top = state == sbTopDown;
  const bool bottom = state == sbBottomDown;
  p.setPen(top ? dark : light);
  p.drawLine(1, h - 4, 1, 1);
  p.drawLine(1, 1, w - 3, 1);
  if (!top) {
    p.setPen(dark);
    p.drawLine(1, h - 3, w - 2, 0);
  }
  p.setPen(bottom ? light : dark);
  p.drawLine(2, h - 2, w - 2, h - 2);
  p.drawLine(w - 2, h - 2, w - 2, 1);
  p.setPen(bottom ? dark : light);
  p.drawLine(2, h - 2, w - 1, 1);

  const bool enabled = isEnabled();
  const QPixmap up = GlyphPixmap(upGlyph_, enabled, dark);
  const QPixmap down = GlyphPixmap(downGlyph_, enabled, dark);
  if (!up.isNull()) {
    const int shift = top ? 2 : 1;
    const int x = int(std::lround(w / 4.0)) - up.width() / 2 + shift;
    const int y = int(std::lround(h / 4.0)) - up.height() / 2 + shift;
    p.drawPixmap(x, y, up);
  }
  if (!down.isNull()) {
    const int x = int(std::lround(3 * w / 4.0)) - down.width() / 2 - 1;
    const int y = int(std::lround(3 * h / 4.0)) - down.height() / 2 - 1;
    p.drawPixmap(x, y, down);
  }
  if (bottom) {
    p.setPen(dark);
    p.drawLine(3, h - 2, w - 1, 2);
  }
  return image;
}

// ---- TRxUpDown

TRxUpDown::TRxUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  for (QToolButton* button : {up_, down_}) {
    button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    column->addWidget(button);
  }
  up_->setObjectName(QStringLiteral("upButton"));
  down_->setObjectName(QStringLiteral("downButton"));
  // Each press steps once and the position goes back to 0, so the control never reaches a limit.
  connect(up_, &QToolButton::clicked, this, [this] { emit OnClick(btNext); });
  connect(down_, &QToolButton::clicked, this, [this] { emit OnClick(btPrev); });
  resize(TRxSpinEdit::DefaultButtonWidth(), 21);
}

void TRxUpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (width() != TRxSpinEdit::DefaultButtonWidth())
    resize(TRxSpinEdit::DefaultButtonWidth(), height());
}

}  // namespace tovix
