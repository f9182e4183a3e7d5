#include "windows/base/model_list_window.h"

#include <QVBoxLayout>
#include <utility>

#include "controls/zn_list_view.h"
#include "windows/base/list_windows.h"

namespace tovix {

TModelListWindow::TModelListWindow(std::string stateName, int helpContext, GameState& state,
                                   TznSaveState& store, TServicesSource services,
                                   std::string layoutSection, std::string layoutKey,
                                   QWidget* parent)
    : TToolWindow(std::move(stateName), helpContext, store, parent),
      state_(state),
      services_(std::move(services)),
      layoutSection_(std::move(layoutSection)),
      layoutKey_(std::move(layoutKey)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

void TModelListWindow::MakeList() {
  list_ = new TznListView(this);
  list_->SetCursorWait(Qt::ArrowCursor);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TModelListWindow::Refill() {
  Fill();
  filled_ = true;
}

void TModelListWindow::showEvent(QShowEvent* event) {
  if (!filled_) Refill();
  TToolWindow::showEvent(event);
}

void TModelListWindow::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) != 0) Refill();
}

void TModelListWindow::LoadOwnState() {
  LoadColumnLayout(Store(), layoutSection_, layoutKey_, *list_, TMissingLayout::Hold);
}

void TModelListWindow::SaveOwnState() {
  SaveColumnLayout(Store(), layoutSection_, layoutKey_, *list_);
}

}  // namespace tovix
