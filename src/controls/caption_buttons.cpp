#include "controls/caption_buttons.h"

#include <QHBoxLayout>

namespace tovix {

TCaptionButton::TCaptionButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFixedSize(18, 18);
  QFont f = font();
  f.setBold(true);
  setFont(f);
}

void TCaptionButton::SetGlyph(const QString& glyph, const QColor& colour) {
  setText(glyph);
  QPalette p = palette();
  if (colour.isValid()) {
    p.setColor(QPalette::ButtonText, colour);
    p.setColor(QPalette::WindowText, colour);
  }
  setPalette(p);
}

void TCaptionButton::SetPopupMenu(QMenu* menu) {
  setMenu(menu);
  setPopupMode(menu ? QToolButton::InstantPopup : QToolButton::DelayedPopup);
  // The menu marker would not fit an 18-pixel button.
  setStyleSheet(menu ? "QToolButton::menu-indicator { image: none; width: 0px; }" : "");
}

TCaptionButtonRow::TCaptionButtonRow(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
  layout_ = new QHBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
}

TCaptionButton* TCaptionButtonRow::AddButton(const QString& name, const QString& glyph,
                                             const QString& hint, const QColor& colour) {
  auto* button = new TCaptionButton(this);
  button->setObjectName(name);
  button->SetGlyph(glyph, colour);
  button->SetHint(hint);
  buttons_.push_back(button);
  Relayout();
  return button;
}

void TCaptionButtonRow::SetGap(TCaptionButton* button, int gap) {
  if (!button || button->gap_ == gap) return;
  button->gap_ = std::max(gap, 0);
  Relayout();
}

void TCaptionButtonRow::Relayout() {
  while (QLayoutItem* item = layout_->takeAt(0)) delete item;
  // The last button made stands leftmost; each button's gap lies to its left.
  for (auto it = buttons_.rbegin(); it != buttons_.rend(); ++it) {
    layout_->addSpacing((*it)->gap_);
    layout_->addWidget(*it);
  }
}

}  // namespace tovix
