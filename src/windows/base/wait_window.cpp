#include "windows/base/wait_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/latin1.h"

namespace tovix {

TfrmWait::TfrmWait(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("frmWait");
  setWindowTitle("Tovix");
  auto* layout = new QVBoxLayout(this);
  lblWorking_ = new QLabel("Working...", this);
  lblWorking_->setObjectName("lblWorking");
  QFont bold = lblWorking_->font();
  bold.setBold(true);
  lblWorking_->setFont(bold);
  lblCurrentWork_ = new QLabel("Initializing", this);
  lblCurrentWork_->setObjectName("lblCurrentWork");
  animation_ = new QProgressBar(this);
  animation_->setObjectName("Animation");
  animation_->setTextVisible(false);
  animation_->setRange(0, 1);
  layout->addWidget(lblWorking_);
  layout->addWidget(lblCurrentWork_);
  layout->addWidget(animation_);
  setFixedSize(320, sizeHint().height());
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

void TfrmWait::SetCurrentWork(const std::string& text) {
  lblCurrentWork_->setText(FromLatin1(text));
  // Only the text changed: the running bar paints itself on its own timer, and painting it
  // costs more than the rest of the window.
  if (isVisible()) lblCurrentWork_->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmWait::SetCaption(const QString& caption) {
  if (windowTitle() != caption) setWindowTitle(caption);
}

QString TfrmWait::CurrentWork() const {
  return lblCurrentWork_->text();
}

bool TfrmWait::Animating() const {
  return animation_->maximum() == 0;
}

void TfrmWait::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  lblCurrentWork_->setText("Initializing");
  animation_->setRange(0, 0);  // a busy bar runs by itself
}

void TfrmWait::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  animation_->setRange(0, 1);
  animation_->setValue(0);
}

void TfrmWait::closeEvent(QCloseEvent* event) {
  event->ignore();
}

}  // namespace tovix
