#include "windows/placeholder_windows.h"

#include <QLabel>
#include <QVBoxLayout>

#include "platform/latin1.h"
#include "windows/window_catalogue.h"

namespace tovix {

TPlaceholderWindow::TPlaceholderWindow(const TWindowEntry& entry, TznSaveState& store,
                                       QWidget* parent)
    : TToolWindow(entry.StateName, entry.HelpContext, store, parent) {
  auto* layout = new QVBoxLayout(this);
  lblPurpose_ = new QLabel(
      FromLatin1(std::string(entry.Purpose ? entry.Purpose : "") + " Not built yet."), this);
  lblPurpose_->setObjectName("lblPurpose");
  lblPurpose_->setWordWrap(true);
  lblPurpose_->setAlignment(Qt::AlignCenter);
  layout->addWidget(lblPurpose_);
  resize(360, 160);
}

QString TPlaceholderWindow::Purpose() const {
  return lblPurpose_->text();
}

}  // namespace tovix
