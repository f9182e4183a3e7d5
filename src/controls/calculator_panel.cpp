#include "controls/calculator_panel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>

#include "controls/beep.h"
#include "controls/speed_button.h"
#include "platform/latin1.h"

namespace tovix {

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kPurple(0x80, 0x00, 0x80);
const QColor kMaroon(0x80, 0x00, 0x00);

struct TButtonPlace {
  TCalcButton Button;
  const char* Caption;
  int Left, Top, Width;
  int Height = 22;
};

// The keypad: buttons 36 by 22, "<-" and "C" 44 wide, in a panel 240 by 129.
constexpr TButtonPlace kPlaces[] = {
    {cbOk, "", 47, 6, 36},
    {cbCancel, "", 85, 6, 36},
    {cbBackspace, "<-", 145, 6, 44},
    {cbClear, "C", 191, 6, 44},
    {cbMemoryClear, "MC", 5, 32, 36},
    {cbNum7, "7", 47, 32, 36},
    {cbNum8, "8", 85, 32, 36},
    {cbNum9, "9", 123, 32, 36},
    {cbDivide, "/", 161, 32, 36},
    {cbSqrt, "sqrt", 199, 32, 36},
    {cbMemoryRecall, "MR", 5, 56, 36},
    {cbNum4, "4", 47, 56, 36},
    {cbNum5, "5", 85, 56, 36},
    {cbNum6, "6", 123, 56, 36},
    {cbMultiply, "*", 161, 56, 36},
    {cbPercent, "%", 199, 56, 36},
    {cbMemoryStore, "MS", 5, 80, 36},
    {cbNum1, "1", 47, 80, 36},
    {cbNum2, "2", 85, 80, 36},
    {cbNum3, "3", 123, 80, 36},
    {cbSubtract, "-", 161, 80, 36},
    {cbReciprocal, "1/x", 199, 80, 36},
    {cbMemoryPlus, "MP", 5, 104, 36},
    {cbNum0, "0", 47, 104, 36},
    {cbSign, "\xB1", 85, 104, 36},
    {cbDecimal, ".", 123, 104, 36},
    {cbAdd, "+", 161, 104, 36},
    {cbEquals, "=", 199, 104, 36},
};

// The compact keypad: buttons 21 by 21 (the "=" 44 wide) in a panel 98 by 124.
constexpr TButtonPlace kCompactPlaces[] = {
    {cbNum7, "7", 6, 6, 21, 21},      {cbNum8, "8", 29, 6, 21, 21},
    {cbNum9, "9", 52, 6, 21, 21},     {cbDivide, "/", 75, 6, 21, 21},
    {cbNum4, "4", 6, 29, 21, 21},     {cbNum5, "5", 29, 29, 21, 21},
    {cbNum6, "6", 52, 29, 21, 21},    {cbMultiply, "*", 75, 29, 21, 21},
    {cbNum1, "1", 6, 52, 21, 21},     {cbNum2, "2", 29, 52, 21, 21},
    {cbNum3, "3", 52, 52, 21, 21},    {cbSubtract, "-", 75, 52, 21, 21},
    {cbNum0, "0", 6, 75, 21, 21},     {cbDecimal, ".", 29, 75, 21, 21},
    {cbSign, "\xB1", 52, 75, 21, 21}, {cbAdd, "+", 75, 75, 21, 21},
    {cbClear, "C", 6, 98, 21, 21},    {cbBackspace, "<-", 29, 98, 21, 21},
    {cbEquals, "=", 52, 98, 44, 21},
};

QColor CaptionColour(TCalcButton button, const QColor& text) {
  switch (button) {
    case cbSqrt:
    case cbPercent:
    case cbReciprocal:
    case cbMemoryPlus:
    case cbMemoryStore:
    case cbMemoryRecall:
    case cbMemoryClear:
      return kNavy;
    case cbDivide:
    case cbMultiply:
    case cbSubtract:
    case cbAdd:
    case cbEquals:
      return kPurple;
    case cbBackspace:
    case cbClear:
      return kMaroon;
    default:
      return text;
  }
}

// The OK tick and the Cancel cross, 14 by 13 on the transparent fuchsia.
QImage Picture(bool ok) {
  QImage image(14, 13, QImage::Format_RGB32);
  image.fill(QColor(0xFF, 0x00, 0xFF));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (ok) {
    p.setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
    p.drawLine(2, 6, 5, 10);
    p.drawLine(5, 10, 11, 2);
  } else {
    p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 2));
    p.drawLine(3, 2, 10, 10);
    p.drawLine(10, 2, 3, 10);
  }
  return image;
}

// The character a typed key stands for: the decimal separator as ".", Enter as "=", Escape as
// "C", letters in upper case; 0 for none.
char KeyChar(const QKeyEvent& event) {
  const bool ctrl = event.modifiers() & Qt::ControlModifier;
  if (ctrl && event.key() == Qt::Key_C) return 3;
  if (ctrl && event.key() == Qt::Key_V) return 22;
  switch (event.key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
      return '=';
    case Qt::Key_Escape:
      return 'C';
    case Qt::Key_Backspace:
      return '\b';
    default:
      break;
  }
  const QString text = event.text();
  if (text.size() != 1 || ctrl) return 0;
  const QChar c = text[0];
  if (c == QLocale().decimalPoint().front()) return '.';
  if (c.unicode() < 32 || c.unicode() > 126) return 0;
  return static_cast<char>(c.toUpper().unicode());
}

}  // namespace

TCalculatorPanel::TCalculatorPanel(QWidget* parent, TCalculatorLayout layout)
    : QWidget(parent), layout_(layout) {
  QFont bold = QApplication::font("QMessageBox");
  bold.setBold(true);
  setFont(bold);
  const bool compact = layout_ == clCompact;
  setFixedSize(compact ? QSize(98, 124) : QSize(242, 159));
  if (!compact) BuildDisplay();

  auto* keypad = new QWidget(this);
  keypad->setObjectName("pnlKeypad");
  if (compact)
    keypad->setGeometry(0, 0, 98, 124);
  else
    keypad->setGeometry(1, 30, 240, 129);
  const auto addButton = [&](const TButtonPlace& place) {
    auto* button = new TRxSpeedButton(keypad);
    button->setGeometry(place.Left, place.Top, place.Width, place.Height);
    if (place.Button == cbOk || place.Button == cbCancel) {
      const bool ok = place.Button == cbOk;
      button->SetGlyph(Picture(ok));
      button->setToolTip(ok ? "OK" : "Cancel");
      button->setObjectName(ok ? "btnOK" : "btnCancel");
    } else {
      button->SetCaption(QString::fromLatin1(place.Caption));
      button->setObjectName("btnCalc" + QString::number(place.Button));
    }
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText,
                 CaptionColour(place.Button, pal.color(QPalette::ButtonText)));
    button->setPalette(pal);
    const TCalcButton which = place.Button;
    connect(button, &TRxSpeedButton::OnClick, this, [this, which] { ButtonClicked(which); });
    buttons_[place.Button] = button;
  };
  if (compact)
    for (const TButtonPlace& place : kCompactPlaces) addButton(place);
  else
    for (const TButtonPlace& place : kPlaces) addButton(place);

  engine_.Beep = [] { Beep(); };
  engine_.OnDisplayChange = [this] {
    const QString text = FromLatin1(engine_.Text());
    if (display_) display_->setText(text);
    emit DisplayChanged(text);
  };
  engine_.CopyText = [](const std::string& text) {
    QApplication::clipboard()->setText(FromLatin1(text));
  };
  engine_.PasteText = []() -> std::optional<std::string> {
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty()) return std::nullopt;
    return ToLatin1(text);
  };
  engine_.CurrencySymbol = ToLatin1(QLocale().currencySymbol());
  Refresh();
}

// The display with its "M" indicator and the Copy and Paste popup.
void TCalculatorPanel::BuildDisplay() {
  auto* frame = new QFrame(this);
  frame->setObjectName("pnlDisplay");
  frame->setFrameShape(QFrame::Panel);
  frame->setFrameShadow(QFrame::Sunken);
  frame->setGeometry(6, 6, 230, 23);
  frame->setAutoFillBackground(true);
  QPalette white = frame->palette();
  white.setColor(QPalette::Window, white.color(QPalette::Base));
  white.setColor(QPalette::WindowText, white.color(QPalette::Text));
  frame->setPalette(white);
  memoryIndicator_ = new QLabel(frame);
  memoryIndicator_->setObjectName("lblMemory");
  memoryIndicator_->setGeometry(3, 2, 16, 19);
  display_ = new QLabel("0", frame);
  display_->setObjectName("lblDisplay");
  display_->setGeometry(20, 2, 206, 19);
  display_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  frame->setContextMenuPolicy(Qt::CustomContextMenu);

  displayMenu_ = new QMenu(this);
  QAction* copy = displayMenu_->addAction("&Copy");
  copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
  paste_ = displayMenu_->addAction("&Paste");
  paste_->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
  for (QAction* a : {copy, paste_}) {
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }
  connect(displayMenu_, &QMenu::aboutToShow, this,
          [this] { paste_->setEnabled(!QApplication::clipboard()->text().isEmpty()); });
  connect(copy, &QAction::triggered, this, [this] {
    engine_.CopyDisplay();
    Refresh();
  });
  connect(paste_, &QAction::triggered, this, [this] {
    if (const auto text = engine_.PasteText ? engine_.PasteText() : std::nullopt)
      engine_.PasteDisplay(*text);
    Refresh();
  });
  connect(frame, &QWidget::customContextMenuRequested, this,
          [this, frame](const QPoint& at) { displayMenu_->popup(frame->mapToGlobal(at)); });
}

void TCalculatorPanel::Refresh() {
  if (display_) display_->setText(FromLatin1(engine_.Text()));
  if (memoryIndicator_) memoryIndicator_->setText(engine_.MemoryShown() ? "M" : "");
}

QString TCalculatorPanel::DisplayText() const {
  return display_ ? display_->text() : FromLatin1(engine_.Text());
}

bool TCalculatorPanel::MemoryIndicatorShown() const {
  return memoryIndicator_ && memoryIndicator_->text() == "M";
}

void TCalculatorPanel::ButtonClicked(TCalcButton button) {
  switch (button) {
    case cbMemoryPlus:
      engine_.MemoryPlus();
      break;
    case cbMemoryStore:
      engine_.MemoryStore();
      break;
    case cbMemoryRecall:
      engine_.MemoryRecall();
      break;
    case cbMemoryClear:
      engine_.MemoryClear();
      break;
    case cbOk:
      if (engine_.Ok()) emit OkClicked();
      break;
    case cbCancel:
      emit CancelClicked();
      return;
    default:
      engine_.CalcKey(kCalcKeyChars[static_cast<size_t>(button)]);
      break;
  }
  Refresh();
}

bool TCalculatorPanel::KeyPressed(QKeyEvent* event) {
  const char key = KeyChar(*event);
  if (key == 0) return false;
  const size_t button = kCalcKeyChars.find(key);
  if (button != std::string_view::npos && buttons_[button] != nullptr)
    buttons_[button]->PressAndClick();
  else
    engine_.CalcKey(key);
  Refresh();
  return true;
}

}  // namespace tovix
