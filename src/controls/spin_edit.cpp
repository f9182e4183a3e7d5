#include "controls/spin_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <limits>

#include "controls/beep.h"
#include "controls/draw_utils.h"
#include "core/text/numbers.h"

namespace tovix {

// ---- value rules

double ClampSpinValue(double value, double minValue, double maxValue) {
  if (maxValue == minValue) return value;
  if (value < minValue) return minValue;
  if (value > maxValue) return maxValue;
  return value;
}

int64_t RoundSpinInteger(double value) {
  if (std::isnan(value)) return 0;
  const double r = RoundHalfEven(value);
  // 2^63 is the first double above the int64 range.
  if (r >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (r < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(r);
}

namespace {
// Fixed notation with exactly `decimals` places, rounded once at whichever comes first: the 15th
// significant digit or the last place. Digits beyond the 15th are written as zeros.
QString FormatFixed15(double value, int decimals) {
  if (!std::isfinite(value)) return QString::number(value);
  const QString scientific = QString::number(value, 'e', 14);  // "-d.dddddddddddddde+XX"
  const int exponent = scientific.mid(scientific.indexOf(QLatin1Char('e')) + 1).toInt();
  int places = std::min(decimals, 14 - exponent);
  QString text;
  if (places >= 0) {
    text = QString::number(value, 'f', places);
  } else {
    // More than 15 integer digits: the 15 significant ones, then zeros.
    QString digits = scientific.left(scientific.indexOf(QLatin1Char('e')));
    digits.remove(QLatin1Char('.'));
    text = digits + QString(exponent - 14, QLatin1Char('0'));
    places = 0;
  }
  if (decimals > places) {
    if (places == 0) text += QLatin1Char('.');
    text += QString(decimals - places, QLatin1Char('0'));
  }
  return text;
}
}  // namespace

QString FormatSpinValue(double value, TValueType type, int decimals) {
  switch (type) {
    case vtFloat: {
      QString text = FormatFixed15(value, decimals);
      if (text.startsWith(QLatin1Char('-')) &&
          text.indexOf(QRegularExpression(QStringLiteral("[1-9]"))) < 0)
        text.remove(0, 1);  // no "-0.00"
      return text;
    }
    case vtHex: {
      const int64_t n = RoundSpinInteger(value);
      const uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
      QString digits = QString::number(static_cast<qulonglong>(magnitude), 16).toUpper();
      return n < 0 ? QLatin1Char('-') + digits : digits;
    }
    case vtInteger:
      break;
  }
  return QString::number(static_cast<qlonglong>(RoundSpinInteger(value)));
}

namespace {
// Optional sign, then one or more digits of `base` (10 or 16) and nothing else.
bool ParseWhole(const QString& text, int base, double& value) {
  QString s = text.trimmed();
  bool negative = false;
  if (s.startsWith(QLatin1Char('+')) || s.startsWith(QLatin1Char('-'))) {
    negative = s.startsWith(QLatin1Char('-'));
    s.remove(0, 1);
  }
  if (s.isEmpty()) return false;
  for (QChar c : s) {
    const char16_t u = c.unicode();
    const bool digit = u >= '0' && u <= '9';
    const bool hex = (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
    if (!digit && !(base == 16 && hex)) return false;
  }
  bool ok = false;
  const qulonglong magnitude = s.toULongLong(&ok, base);
  if (!ok) return false;
  const qulonglong limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
  if (magnitude > limit) return false;
  value = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
  return true;
}
}  // namespace

bool ParseSpinValue(const QString& text, TValueType type, double& value) {
  switch (type) {
    case vtFloat: {
      QLocale c = QLocale::c();
      c.setNumberOptions(QLocale::RejectGroupSeparator);
      bool ok = false;
      const double v = c.toDouble(text.trimmed(), &ok);
      if (!ok || !std::isfinite(v)) return false;
      value = v;
      return true;
    }
    case vtHex:
      return ParseWhole(text, 16, value);
    case vtInteger:
      break;
  }
  return ParseWhole(text, 10, value);
}

bool SpinAcceptsChar(QChar key, TValueType type, const QString& text, bool editorEnabled) {
  const char16_t u = key.unicode();
  bool accepted = u < 32 || u == '+' || u == '-' || (u >= '0' && u <= '9');
  if (type == vtFloat) {
    if (u == '.' && !text.contains(QLatin1Char('.'))) accepted = true;
    if ((u == 'e' || u == 'E') && !text.toUpper().contains(QLatin1Char('E'))) accepted = true;
  } else if (type == vtHex) {
    if ((u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')) accepted = true;
  }
  if (accepted && !editorEnabled && (u >= 32 || u == 8)) accepted = false;
  return accepted;
}

bool IsLowerSpinPart(QPoint point, QSize size) {
  if (size.width() <= 0) return false;
  const double slope = double(size.height()) / double(size.width());
  return point.y() > size.height() - slope * point.x();
}

// ---- TRxSpinEdit

TRxSpinEdit::TRxSpinEdit(QWidget* parent) : QLineEdit(parent) {
  setText(QStringLiteral("0"));
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (!changing_) emit OnChange();
  });
  setAlignment(ToQtAlignment(alignment_));
  UpdateMinimumHeight();
  RecreateButtons();
}

TRxSpinEdit::~TRxSpinEdit() {
  changing_ = true;  // no OnChange while the edit goes
}

int TRxSpinEdit::DefaultButtonWidth() {
  const int scrollBar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return scrollBar < 15 ? scrollBar : 15;
}

void TRxSpinEdit::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  setAlignment(ToQtAlignment(alignment));
}

void TRxSpinEdit::SetArrowKeys(bool on) {
  arrowKeys_ = on;
  ResizeButtons();
}

void TRxSpinEdit::SetButtonKind(TSpinButtonKind kind) {
  if (kind == buttonKind_) return;
  buttonKind_ = kind;
  RecreateButtons();
}

void TRxSpinEdit::SetDecimal(int digits) {
  digits = digits < 0 ? 0 : (digits > 255 ? 255 : digits);
  if (digits == decimal_) return;
  decimal_ = digits;
  SetValue(GetValue());
}

void TRxSpinEdit::SetEditorEnabled(bool on) {
  editorEnabled_ = on;
  UpdateReadOnly();
}

void TRxSpinEdit::SetReadOnly(bool on) {
  readOnly_ = on;
  UpdateReadOnly();
}

void TRxSpinEdit::UpdateReadOnly() {
  // The edit window refuses every change of its own (typing, Delete, cut, paste, drops) while the
  // text is only stepped; stepping writes the text from here.
  setReadOnly(readOnly_ || !editorEnabled_);
  update();
}

void TRxSpinEdit::SetValueType(TValueType type) {
  if (type == valueType_) return;
  // Read under the type the text was written in: "2.50" must stay 2.5, not become MinValue.
  const double value = GetValue();
  valueType_ = type;
  SetValue(value);
  if (type != vtFloat) {
    increment_ = static_cast<double>(RoundSpinInteger(increment_));
    if (increment_ == 0) increment_ = 1;
  }
}

double TRxSpinEdit::GetValue() const {
  double value = 0;
  if (ParseSpinValue(text(), valueType_, value)) return value;
  return valueType_ == vtFloat ? minValue_ : std::trunc(minValue_);
}

void TRxSpinEdit::SetValue(double value) {
  setText(FormatSpinValue(ClampSpinValue(value, minValue_, maxValue_), valueType_, decimal_));
}

int TRxSpinEdit::GetAsInteger() const {
  const double v = std::trunc(GetValue());
  if (v >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

bool TRxSpinEdit::AcceptsChar(QChar key) const {
  return SpinAcceptsChar(key, valueType_, text(), editorEnabled_);
}

void TRxSpinEdit::StepUp() {
  Step(increment_, true);
}

void TRxSpinEdit::StepDown() {
  Step(-increment_, false);
}

void TRxSpinEdit::Step(double delta, bool up) {
  if (readOnly_) {
    Beep();
    return;
  }
  const QString before = text();
  changing_ = true;
  SetValue(GetValue() + delta);
  changing_ = false;
  QPointer<TRxSpinEdit> self(this);
  if (text().compare(before, Qt::CaseInsensitive) != 0) {
    setModified(true);
    emit OnChange();
  }
  if (!self) return;
  if (up)
    emit OnTopClick();
  else
    emit OnBottomClick();
}

namespace {
// The character a key press types, or a null QChar for a key that types nothing.
QChar TypedChar(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Backspace:
      return QChar(8);
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return QChar(13);
    case Qt::Key_Escape:
      return QChar(27);
    default:
      break;
  }
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
  const QString typed = event->text();
  if (typed.isEmpty() || typed.at(0).unicode() < 32 || typed.at(0).unicode() == 127) return {};
  return typed.at(0);
}
}  // namespace

void TRxSpinEdit::keyPressEvent(QKeyEvent* event) {
  const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (arrowKeys_ && modifiers == Qt::NoModifier &&
      (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
    if (event->key() == Qt::Key_Up)
      StepUp();
    else
      StepDown();
    event->accept();
    return;
  }
  const QChar typed = TypedChar(event);
  if (!typed.isNull() && !AcceptsChar(typed)) {
    Beep();
    event->accept();
    return;
  }
  // Enter and Escape go on to the dialog (default and cancel buttons): the line edit leaves them
  // unaccepted.
  QLineEdit::keyPressEvent(event);
}

void TRxSpinEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (autoSelect_ && event->reason() != Qt::MouseFocusReason) selectAll();
}

void TRxSpinEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() == Qt::PopupFocusReason) return;
  double value = 0;
  const bool converts = ParseSpinValue(text(), valueType_, value);
  // A text that does not convert reads as MinValue; show that instead of leaving the junk.
  if (!converts) {
    SetValue(GetValue());
  } else if (ClampSpinValue(value, minValue_, maxValue_) != value) {
    SetValue(value);
  }
}

void TRxSpinEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  ResizeButtons();
}

void TRxSpinEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) UpdateMinimumHeight();
  if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange)
    ResizeButtons();
}

void TRxSpinEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (isReadOnly() && hasFocus()) {
    QPainter painter(this);
    PaintCaret(painter, this, cursorRect());
  }
}

void TRxSpinEdit::UpdateMinimumHeight() {
  // Character height plus four border heights plus one.
  setMinimumHeight(fontMetrics().height() + 4 + 1);
}

void TRxSpinEdit::RecreateButtons() {
  delete upDown_;
  upDown_ = nullptr;
  delete buttonHolder_;  // takes the spin button with it
  buttonHolder_ = nullptr;
  spinButton_ = nullptr;
  if (buttonKind_ == bkStandard) {
    upDown_ = new TRxUpDown(this);
    upDown_->setObjectName(QStringLiteral("upDown"));
    connect(upDown_, &TRxUpDown::OnClick, this, [this](TUDBtnType button) {
      if ((focusPolicy() & Qt::TabFocus) && isEnabled() && isVisible() && !hasFocus())
        setFocus(Qt::MouseFocusReason);
      if (button == btNext)
        StepUp();
      else
        StepDown();
    });
    upDown_->show();
  } else {
    buttonHolder_ = new QWidget(this);
    buttonHolder_->setObjectName(QStringLiteral("buttonHolder"));
    spinButton_ = new TRxSpinButton(buttonHolder_);
    spinButton_->setObjectName(QStringLiteral("spinButton"));
    spinButton_->SetFocusControl(this);
    connect(spinButton_, &TRxSpinButton::OnTopClick, this, &TRxSpinEdit::StepUp);
    connect(spinButton_, &TRxSpinButton::OnBottomClick, this, &TRxSpinEdit::StepDown);
    buttonHolder_->show();
  }
  ResizeButtons();
}

int TRxSpinEdit::ButtonWidth() const {
  if (upDown_) return upDown_->width();
  if (spinButton_) return spinButton_->width();
  return DefaultButtonWidth();
}

void TRxSpinEdit::ResizeButtons() {
  const int w = width();
  const int h = height();
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  if (upDown_) {
    const int frame = hasFrame() ? 2 : 0;
    const int bw = DefaultButtonWidth();
    upDown_->setGeometry(rtl ? frame : w - frame - bw, frame, bw, h - 2 * frame);
  } else if (buttonHolder_) {
    // Inside a sunken border the square sits one pixel into the top border; without a border it
    // takes the whole height.
    QRect bounds = hasFrame() ? QRect(w - h + 1, 1, h - 3, h - 3) : QRect(w - h, 0, h, h);
    if (rtl) bounds.moveLeft(hasFrame() ? 1 : 0);
    buttonHolder_->setGeometry(bounds);
    spinButton_->setGeometry(0, 0, bounds.width(), bounds.height());
  }
  const int bw = ButtonWidth();
  if (rtl)
    setTextMargins(bw + 1, 0, 0, 0);
  else
    setTextMargins(0, 0, bw + 2, 0);
}

}  // namespace tovix
