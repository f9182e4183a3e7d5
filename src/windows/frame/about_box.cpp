#include "windows/frame/about_box.h"

#include <QDialogButtonBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/latin1.h"
#include "platform/shell.h"

namespace tovix {

TContactLabel::TContactLabel(const QString& address, UserInterface& ui, QWidget* parent)
    : QLabel(address, parent), address_(address), ui_(ui) {
  setCursor(Qt::PointingHandCursor);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  SetHot(false);
}

void TContactLabel::SetHot(bool hot) {
  hot_ = hot;
  QPalette p = palette();
  p.setColor(QPalette::WindowText, hot ? QColor(Qt::red) : palette().color(QPalette::Link));
  setPalette(p);
}

void TContactLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  SetHot(true);
}

void TContactLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  SetHot(false);
}

void TContactLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    OpenInDesktop(QUrl(QStringLiteral("mailto:") + address_), ui_);
}

TfrmAbout::TfrmAbout(UserInterface& ui, QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);

  auto* lblProductName = new QLabel("Tovix", this);
  lblProductName->setObjectName("ProductName");
  QFont big = lblProductName->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.6);
  lblProductName->setFont(big);
  auto* lblComments = new QLabel("Galaxy (Normal / NG /Blind) viewer", this);
  lblComments->setObjectName("Comments");
  auto* lblVersion =
      new QLabel(QStringLiteral("Version: ") + QString::fromStdString(FileVersionString()), this);
  lblVersion->setObjectName("Version");
  lblContact_ = new TContactLabel(FromLatin1(kContactAddress), ui, this);
  lblContact_->setObjectName("lblContact");

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  btnOK_ = buttons->button(QDialogButtonBox::Ok);
  btnOK_->setObjectName("OKButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  layout->addWidget(lblProductName);
  layout->addWidget(lblComments);
  layout->addWidget(lblVersion);
  layout->addWidget(lblContact_);
  layout->addWidget(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

}  // namespace tovix
