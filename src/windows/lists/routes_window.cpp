#include "windows/lists/routes_window.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>

#include "controls/zn_list_view.h"
#include "platform/latin1.h"
#include "views/name_samples.h"

namespace tovix {

namespace {

constexpr int kRoutesHelpContext = 27;

}  // namespace

TfrmRoutes::TfrmRoutes(const GameState& state, TznSaveState& store, QWidget* parent)
    : TToolWindow("Routes", kRoutesHelpContext, store, parent), state_(state) {
  setObjectName("frmRoutes");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  lvRoutes_ = new TznListView(this);
  lvRoutes_->setObjectName("lvRoutes");
  QStringList captions;
  for (const char* caption : kRouteColumnCaptions) captions << caption;
  lvRoutes_->SetColumns(captions, {75, 75, 75, 75, 75});
  lvRoutes_->SetCursorWait(Qt::ArrowCursor);
  lvRoutes_->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(lvRoutes_);
  resize(5 * 75 + 24, 240);

  pmuRoutes_ = new QMenu(this);
  mniDeleteRoute_ = pmuRoutes_->addAction("&Delete Route", this, &TfrmRoutes::DeleteRoute);
  mniDeletePlanet_ = pmuRoutes_->addAction("Delete &All Routes for this Planet", this,
                                           &TfrmRoutes::DeletePlanetRoutes);
  mniDeleteAll_ = pmuRoutes_->addAction("Delete All &Routes", this, &TfrmRoutes::DeleteAllRoutes);
  mniDeleteSelected_ =
      pmuRoutes_->addAction("Delete &Selected Routes", this, &TfrmRoutes::DeleteSelectedRoutes);

  connect(lvRoutes_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PreparePopup(pos);
    pmuRoutes_->popup(lvRoutes_->viewport()->mapToGlobal(pos));
  });
  connect(lvRoutes_, &TznListView::HotTrack, this,
          [this](int row, int column, QPoint, bool*) { HotTracked(row, column); });
}

void TfrmRoutes::RefreshGame(TGameChanges changes) {
  if ((changes & (gcGameRead | gcOrdersAnalysed | gcRoutesChanged)) != 0) RefreshRoutes();
}

void TfrmRoutes::RefreshRoutes() {
  hotPlanet_ = nullptr;
  clickedItem_ = -1;
  clickedColumn_ = 0;
  table_ = TRouteTable(RouteRows(state_));
  ShowRows();
  filled_ = true;
}

void TfrmRoutes::ShowRows() {
  lvRoutes_->Rows().SetCellRows(table_.Rows());
  lvRoutes_->Resort();
}

void TfrmRoutes::TakeViewOrder() {
  std::vector<TRouteRow> rows;
  const TListRowModel& model = lvRoutes_->Rows();
  for (int v = 0; v < model.Count(); ++v) {
    rows.push_back(table_.Rows()[static_cast<size_t>(model.SourceRow(v))]);
  }
  if (clickedItem_ >= 0) clickedItem_ = model.ViewRow(clickedItem_);
  table_ = TRouteTable(std::move(rows));
}

void TfrmRoutes::showEvent(QShowEvent* event) {
  if (!sized_) {
    // Every planet name of the game shows whole, in every column.
    const std::vector<std::string> planets = LongestGameNames(state_).Planets;
    for (int column = 0; column < lvRoutes_->Rows().columnCount(); ++column)
      lvRoutes_->SetColumnSamples(column, planets);
    sized_ = true;
  }
  if (!filled_) RefreshRoutes();
  TToolWindow::showEvent(event);
}

void TfrmRoutes::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F6 && event->modifiers() == Qt::NoModifier) {
    if (analyseOrders_) analyseOrders_();
    event->accept();
    return;
  }
  TToolWindow::keyPressEvent(event);
}

void TfrmRoutes::PreparePopup(const QPoint& position) {
  const QModelIndex index = lvRoutes_->indexAt(position);
  clickedItem_ = index.isValid() ? lvRoutes_->Rows().SourceRow(index.row()) : -1;
  clickedColumn_ = index.isValid() ? index.column() : 0;
  const bool onCell = clickedItem_ >= 0;
  mniDeleteRoute_->setEnabled(onCell && clickedColumn_ >= 1 && clickedColumn_ <= 4 &&
                              !table_.Rows()[static_cast<size_t>(clickedItem_)]
                                   .Cells[static_cast<size_t>(clickedColumn_)]
                                   .empty());
  mniDeletePlanet_->setEnabled(onCell);
  mniDeleteAll_->setEnabled(!table_.Rows().empty());
  mniDeleteSelected_->setEnabled(lvRoutes_->SelectedCount() > 0);
}

void TfrmRoutes::Write(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  if (routeCommandSink_) {
    for (const std::string& line : lines) routeCommandSink_(line);
  } else {
    // Until the orders window takes them, the lines of one choice go to the clipboard.
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    QGuiApplication::clipboard()->setText(FromLatin1(text));
  }
}

void TfrmRoutes::DeleteRoute() {
  if (clickedItem_ < 0) return;
  TakeViewOrder();
  Write(table_.DeleteRoute(clickedItem_, clickedColumn_));
  clickedItem_ = -1;
  ShowRows();
}

void TfrmRoutes::DeletePlanetRoutes() {
  if (clickedItem_ < 0) return;
  TakeViewOrder();
  Write(table_.DeletePlanetRoutes(clickedItem_));
  clickedItem_ = -1;
  ShowRows();
}

void TfrmRoutes::DeleteAllRoutes() {
  TakeViewOrder();
  Write(table_.DeleteAllRoutes());
  clickedItem_ = -1;
  ShowRows();
}

void TfrmRoutes::DeleteSelectedRoutes() {
  std::vector<int> selected;
  for (int row : lvRoutes_->CollectSelectedRows()) {
    selected.push_back(lvRoutes_->Rows().ViewRow(row));
  }
  TakeViewOrder();
  Write(table_.DeleteSelectedRoutes(selected));
  clickedItem_ = -1;
  lvRoutes_->clearSelection();
  ShowRows();
}

void TfrmRoutes::HotTracked(int row, int column) {
  if (row < 0 || row >= static_cast<int>(table_.Rows().size()) || column < 0 || column > 4) return;
  const TPlanet* planet =
      table_.Rows()[static_cast<size_t>(row)].Planets[static_cast<size_t>(column)];
  if (!planet || planet == hotPlanet_) return;
  hotPlanet_ = planet;
  if (showPlanet_) showPlanet_(planet);
}

}  // namespace tovix
