#include "windows/placeholder_windows.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tovix {

TPlaceholderWindow::TPlaceholderWindow(std::string stateName, int helpContext,
                                       const std::string& purpose, TznSaveState& store,
                                       QWidget* parent)
    : TToolWindow(std::move(stateName), helpContext, store, parent) {
  auto* layout = new QVBoxLayout(this);
  lblPurpose_ =
      new QLabel(QString::fromLatin1(purpose.data(), static_cast<qsizetype>(purpose.size())), this);
  lblPurpose_->setObjectName("lblPurpose");
  lblPurpose_->setWordWrap(true);
  lblPurpose_->setAlignment(Qt::AlignCenter);
  layout->addWidget(lblPurpose_);
  resize(360, 160);
}

QString TPlaceholderWindow::Purpose() const {
  return lblPurpose_->text();
}

TMapPlaceholder::TMapPlaceholder(TznSaveState& store, const TGameSettings& settings,
                                 QWidget* parent)
    : TPlaceholderWindow("Map", 20,
                         "The galaxy map: planets, groups and their tracks, with zoom, bookmarks, "
                         "planet cursors and colour schemes. Not built yet.",
                         store, parent),
      settings_(settings) {}

std::string TMapPlaceholder::ShowOnStartupSection() const {
  return "Map_" + settings_.GetGameSection();
}

TOrdersPlaceholder::TOrdersPlaceholder(TznSaveState& store, QWidget* parent)
    : TPlaceholderWindow("Orders", 21,
                         "The orders of the next turn: an editor for the order language, the "
                         "analysis of the orders, and saving and mailing them. Not built yet.",
                         store, parent) {}

TNotesPlaceholder::TNotesPlaceholder(TznSaveState& store, QWidget* parent)
    : TPlaceholderWindow("Notes Editor", 14,
                         "Notes to remember things, in four pages of formatted text. Not built "
                         "yet.",
                         store, parent) {}

}  // namespace tovix
