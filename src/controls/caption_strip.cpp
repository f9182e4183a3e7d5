#include "controls/caption_strip.h"

#include <QMouseEvent>
#include <QStyle>

namespace tovix {

TCaptionStrip::TCaptionStrip(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  layout_ = new QHBoxLayout(this);
  layout_->setContentsMargins(1, 1, 1, 1);
  layout_->setSpacing(0);
  menuButton_ = new QToolButton(this);
  menuButton_->setObjectName("btnWindowMenu");
  menuButton_->setAutoRaise(true);
  menuButton_->setFocusPolicy(Qt::NoFocus);
  menuButton_->setIcon(style()->standardIcon(QStyle::SP_TitleBarMenuButton));
  menuButton_->setIconSize(QSize(12, 12));
  menuButton_->setToolTip("Window menu");
  menuButton_->setVisible(false);
  layout_->addWidget(menuButton_);
  layout_->addStretch(1);
  connect(menuButton_, &QToolButton::clicked, this,
          [this] { PopupWindowMenu(menuButton_->mapToGlobal(QPoint(0, menuButton_->height()))); });
}

void TCaptionStrip::SetWindowMenu(QMenu* menu) {
  if (windowMenu_) disconnect(windowMenu_, &QObject::destroyed, this, nullptr);
  windowMenu_ = menu;
  menuButton_->setVisible(menu != nullptr);
  if (menu) {
    connect(menu, &QObject::destroyed, this, [this] { menuButton_->setVisible(false); });
  }
}

void TCaptionStrip::AddCaptionWidget(QWidget* widget) {
  if (!widget) return;
  if (auto* button = qobject_cast<QToolButton*>(widget)) {
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
  }
  layout_->addWidget(widget);
}

void TCaptionStrip::PopupWindowMenu(const QPoint& globalPos) {
  if (windowMenu_) windowMenu_->popup(globalPos);
}

void TCaptionStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && windowMenu_) {
    PopupWindowMenu(event->globalPosition().toPoint());
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

}  // namespace tovix
