#include "controls/zn_list_view.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include "views/column_layout.h"

namespace tovix {

namespace {

// The arrow is drawn only on a sort column wider than this.
constexpr int kArrowMinWidth = 15;

}  // namespace

TznListView::TznListView(QWidget* parent) : QTableView(parent), rows_(new TListRowModel(this)) {
  setModel(rows_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setSortingEnabled(false);
  setMouseTracking(true);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  QHeaderView* header = horizontalHeader();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setMinimumSectionSize(0);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setStretchLastSection(false);
  connect(header, &QHeaderView::sectionClicked, this, &TznListView::HeaderClicked);
  connect(header, &QHeaderView::sectionResized, this, [this] { UpdateSortIndicator(); });
  connect(this, &QAbstractItemView::entered, this, &TznListView::CellEntered);
  UpdateSortIndicator();
}

void TznListView::SetColumns(const QStringList& captions, const std::vector<int>& widths) {
  rows_->SetColumns(captions);
  for (int c = 0; c < captions.size() && c < static_cast<int>(widths.size()); ++c) {
    horizontalHeader()->resizeSection(c, widths[static_cast<size_t>(c)]);
  }
  UpdateSortIndicator();
}

void TznListView::SetSortColumn(int column) {
  if (column < 0 || column >= rows_->columnCount()) return;
  if (column != sortColumn_) {
    sortColumn_ = column;
    if (!sortLocked_) Resort();
    UpdateSortIndicator();
  } else if (!loading_) {
    SetSortDirection(sortDirection_ == TznSortDirection::sdDesc ? TznSortDirection::sdAsc
                                                                : TznSortDirection::sdDesc);
  }
}

void TznListView::SetSortDirection(TznSortDirection direction) {
  if (direction == sortDirection_) return;
  sortDirection_ = direction;
  if (!sortLocked_) Resort();
  UpdateSortIndicator();
}

void TznListView::Resort() {
  emit SortBegin(sortDirection_, sortColumn_);
  rows_->Sort(sortColumn_, sortDirection_);
}

void TznListView::HeaderClicked(int column) {
  emit ColumnClick(column);
  if (!sortLocked_) SetSortColumn(column);
  UpdateSortIndicator();  // the header keeps its own idea of the indicator otherwise
}

void TznListView::UpdateSortIndicator() {
  QHeaderView* header = horizontalHeader();
  const bool shown =
      sortColumn_ < rows_->columnCount() && header->sectionSize(sortColumn_) > kArrowMinWidth;
  header->setSortIndicatorShown(shown);
  // The header's styles draw Qt's ascending indicator as a downward triangle; this list shows an
  // upward one for ascending order and a downward one for descending order.
  header->setSortIndicator(sortColumn_, sortDirection_ == TznSortDirection::sdAsc
                                            ? Qt::DescendingOrder
                                            : Qt::AscendingOrder);
}

std::vector<int> TznListView::CollectSelectedRows() const {
  std::vector<int> rows;
  const QModelIndexList selected = selectionModel()->selectedRows();
  std::vector<int> viewRows;
  for (const QModelIndex& i : selected) viewRows.push_back(i.row());
  std::sort(viewRows.begin(), viewRows.end());
  for (int v : viewRows) rows.push_back(rows_->SourceRow(v));
  return rows;
}

int TznListView::SelectedCount() const {
  return static_cast<int>(selectionModel()->selectedRows().size());
}

void TznListView::ChangeSelection(QItemSelectionModel::SelectionFlags flags) {
  QApplication::setOverrideCursor(cursorWait_);
  selecting_ = true;
  struct Restore {
    TznListView* view;
    ~Restore() {
      view->selecting_ = false;
      QApplication::restoreOverrideCursor();
    }
  } restore{this};
  const int rows = rows_->rowCount();
  const int columns = rows_->columnCount();
  if (rows == 0 || columns == 0) {
    if (flags & QItemSelectionModel::Clear) selectionModel()->clearSelection();
    return;
  }
  // One range, so the selection changes once whatever the number of rows.
  const QItemSelection all(rows_->index(0, 0), rows_->index(rows - 1, columns - 1));
  selectionModel()->select(all, flags);
}

void TznListView::SelectAllRows() {
  ChangeSelection(QItemSelectionModel::ClearAndSelect);
}

void TznListView::DeselectAllRows() {
  QApplication::setOverrideCursor(cursorWait_);
  selecting_ = true;
  selectionModel()->clearSelection();
  selecting_ = false;
  QApplication::restoreOverrideCursor();
}

void TznListView::InvertSelection() {
  ChangeSelection(QItemSelectionModel::Toggle);
}

void TznListView::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::ControlModifier) {
    switch (event->key()) {
      case Qt::Key_A:
        SelectAllRows();
        event->accept();
        return;
      case Qt::Key_D:
        DeselectAllRows();
        event->accept();
        return;
      case Qt::Key_I:
        InvertSelection();
        event->accept();
        return;
      default:
        break;
    }
  }
  QTableView::keyPressEvent(event);
}

void TznListView::CellEntered(const QModelIndex& index) {
  rows_->SetHotRow(index.row());
  bool allowSelect = true;
  int row = rows_->SourceRow(index.row());
  emit HotTrack(row, index.column(), viewport()->mapFromGlobal(QCursor::pos()), &allowSelect);
  if (hotTrackSelects_ && allowSelect && index.isValid()) {
    selectionModel()->select(index,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
}

void TznListView::leaveEvent(QEvent* event) {
  rows_->SetHotRow(-1);
  QTableView::leaveEvent(event);
}

bool TznListView::GetColumnLayout(std::string& text) const {
  const QHeaderView* header = horizontalHeader();
  TColumnLayout layout;
  for (int i = 0; i < header->count(); ++i) {
    layout.Order.push_back(header->logicalIndex(i));
    layout.Widths.push_back(header->sectionSize(i));
  }
  text = FormatColumnLayout(layout);
  return true;
}

bool TznListView::SetColumnLayout(std::string_view text) {
  QHeaderView* header = horizontalHeader();
  TColumnLayout layout;
  for (int i = 0; i < header->count(); ++i) {
    layout.Order.push_back(header->logicalIndex(i));
    layout.Widths.push_back(header->sectionSize(i));
  }
  if (!ApplyColumnLayout(text, layout)) return false;
  for (int position = 0; position < static_cast<int>(layout.Order.size()); ++position) {
    const int column = layout.Order[static_cast<size_t>(position)];
    header->moveSection(header->visualIndex(column), position);
  }
  for (int c = 0; c < static_cast<int>(layout.Widths.size()); ++c) {
    header->resizeSection(c, layout.Widths[static_cast<size_t>(c)]);
  }
  UpdateSortIndicator();
  return true;
}

}  // namespace tovix
