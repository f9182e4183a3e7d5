#include "controls/calc_edit.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "controls/speed_button.h"

namespace tovix {

// ---- TPopupCalculator

TPopupCalculator::TPopupCalculator(TRxCalcEdit* edit)
    : QFrame(edit, Qt::Popup), edit_(edit), panel_(new TCalculatorPanel(this, clCompact)) {
  setObjectName("popupCalculator");
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  const int frame = frameWidth();
  panel_->move(frame, frame);
  setFixedSize(panel_->width() + 2 * frame, panel_->height() + 2 * frame);
}

void TPopupCalculator::keyPressEvent(QKeyEvent* event) {
  if (!edit_) return QFrame::keyPressEvent(event);
  const int key = event->key();
  const bool alt = event->modifiers() & Qt::AltModifier;
  if (key == Qt::Key_Escape) {
    edit_->HidePopup(false);
  } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // In the error status OK only beeps and the keypad stays.
    if (panel_->Engine().Ok()) edit_->HidePopup(true);
    panel_->Refresh();
  } else if (key == Qt::Key_F4 || (alt && (key == Qt::Key_Down || key == Qt::Key_Up))) {
    edit_->HidePopup(true);
  } else if (!panel_->KeyPressed(event)) {
    QFrame::keyPressEvent(event);
    return;
  }
  event->accept();
}

void TPopupCalculator::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (rect().contains(at) || !edit_) return QFrame::mousePressEvent(event);
  // A click on the edit's button closes the keypad and must not open it again.
  const QWidget* button = edit_->Button();
  const QPoint onButton = button->mapFromGlobal(event->globalPosition().toPoint());
  if (button->isVisible() && button->rect().contains(onButton)) setAttribute(Qt::WA_NoMouseReplay);
  edit_->HidePopup(true);
}

void TPopupCalculator::hideEvent(QHideEvent* event) {
  QFrame::hideEvent(event);
  if (edit_) edit_->PopupHidden();
}

// ---- TRxCalcEdit

TRxCalcEdit::TRxCalcEdit(QWidget* parent) : TCustomComboEdit(parent) {
  SetGlyphKind(gkDropDown);
}

TRxCalcEdit::~TRxCalcEdit() = default;

double TRxCalcEdit::Value() const {
  bool ok = false;
  const double value = text().trimmed().toDouble(&ok);
  return ok ? value : 0;
}

void TRxCalcEdit::SetValue(double value) {
  setText(QString::fromStdString(TCalculatorEngine::GeneralFormat(value, precision_)));
}

bool TRxCalcEdit::PopupVisible() const {
  return popup_ != nullptr && popup_->isVisible();
}

void TRxCalcEdit::ButtonClick() {
  TCustomComboEdit::ButtonClick();
  if (PopupVisible())
    HidePopup(true);
  else
    ShowPopup();
}

void TRxCalcEdit::ShowPopup() {
  if (PopupVisible() || !isVisible()) return;
  if (popup_ == nullptr) {
    popup_ = new TPopupCalculator(this);
    connect(popup_->Panel(), &TCalculatorPanel::DisplayChanged, this, [this](const QString& text) {
      if (PopupVisible() && !closing_) setText(text);
    });
  }
  TCalculatorEngine& engine = popup_->Panel()->Engine();
  engine.Precision = precision_;
  engine.BeepOnError = beepOnError_;
  textBefore_ = text();
  engine.Start(Value());

  // Right under the edit; above it when the screen ends below, and never off the screen's side.
  QPoint at = mapToGlobal(QPoint(0, height()));
  const QSize size = popup_->size();
  if (const QScreen* where = screen()) {
    const QRect area = where->availableGeometry();
    if (at.y() + size.height() > area.bottom() + 1 &&
        mapToGlobal(QPoint(0, 0)).y() - size.height() >= area.top())
      at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
    at.setX(
        std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
  }
  popup_->setGeometry(QRect(at, size));
  popup_->show();
  // Where a platform puts a frame around pop-ups, the keypad itself still starts at the edge.
  if (popup_->mapToGlobal(QPoint(0, 0)) != at) popup_->setGeometry(QRect(at, size));
  setText(QString::fromStdString(engine.Text()));
}

void TRxCalcEdit::HidePopup(bool accept) {
  if (!PopupVisible() || closing_) return;
  closing_ = true;
  Finish(accept);
  popup_->hide();
  closing_ = false;
}

void TRxCalcEdit::PopupHidden() {
  // Closed by the window system (another window activated): OK, as a click outside is.
  if (closing_ || popup_ == nullptr) return;
  closing_ = true;
  Finish(true);
  closing_ = false;
}

void TRxCalcEdit::Finish(bool accept) {
  TCalculatorEngine& engine = popup_->Panel()->Engine();
  if (accept && engine.Ok()) {
    SetValue(engine.DisplayValue());
    emit OnAccept();
  } else {
    setText(textBefore_);
  }
}

}  // namespace tovix
