#include "controls/zn_list_view.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

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
  connect(header, &QHeaderView::sectionResized, this, [this](int column) {
    // A width the user gives is kept; the list's own fit does not count.
    if (!resizing_ && column >= 0 && column < static_cast<int>(held_.size()))
      held_[static_cast<size_t>(column)] = true;
    UpdateSortIndicator();
  });
  connect(rows_, &QAbstractItemModel::modelReset, this, [this] {
    if (!settingColumns_) FitColumns();
  });
  connect(this, &QAbstractItemView::entered, this, &TznListView::CellEntered);
  UpdateSortIndicator();
}

void TznListView::SetColumns(const QStringList& captions, const std::vector<int>& widths) {
  const auto count = static_cast<size_t>(captions.size());
  samples_.assign(count, {});
  held_.assign(count, false);
  // The columns are fitted once, below, with their widths: measuring each caption costs.
  settingColumns_ = true;
  rows_->SetColumns(captions);
  settingColumns_ = false;
  for (int c = 0; c < captions.size() && c < static_cast<int>(widths.size()); ++c) {
    ResizeColumn(c, widths[static_cast<size_t>(c)]);
  }
  FitColumns();
  UpdateSortIndicator();
}

void TznListView::SetColumnSamples(int column, std::vector<std::string> texts) {
  if (column < 0 || column >= static_cast<int>(samples_.size())) return;
  samples_[static_cast<size_t>(column)] = std::move(texts);
  FitColumns();
}

void TznListView::ResizeColumn(int column, int width) {
  resizing_ = true;
  horizontalHeader()->resizeSection(column, width);
  resizing_ = false;
}

int TznListView::NeededWidth(int column, int known, int widestLetter) const {
  const QHeaderView* header = horizontalHeader();
  // The header's own measure, with room for the sort arrow whichever column is sorted.
  int width = header->sectionSizeHint(column);
  if (!header->isSortIndicatorShown())
    width += header->fontMetrics().height() +
             header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  // The cells and the samples. The text with the most letters need not be the widest ("Wezen"
  // is wider than "Iliili"), so every text is measured that could be wider than what is needed
  // so far. Short texts (figures) and, once the column is wide, most names cost no measuring.
  const int margin =
      2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 6;
  const QFontMetrics metrics = fontMetrics();
  int bound = std::max(width, known);
  auto consider = [&](const std::string& text) {
    if (static_cast<long long>(text.size() + 1) * widestLetter + margin <= bound) return;
    const QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    width = std::max(width, metrics.horizontalAdvance(shown) + margin);
    bound = std::max(bound, width);
  };
  for (int row = 0; row < rows_->Count(); ++row) consider(rows_->CellText(row, column));
  if (column < static_cast<int>(samples_.size()))
    for (const std::string& text : samples_[static_cast<size_t>(column)]) consider(text);
  return width;
}

void TznListView::FitColumns() {
  const int count = rows_->columnCount();
  const QFontMetrics metrics = fontMetrics();
  int widestLetter = 1;
  for (int c = 0x20; c <= 0xFF; ++c)
    widestLetter = std::max(widestLetter, metrics.horizontalAdvance(QChar(c)));
  for (int c = 0; c < count; ++c) {
    if (c < static_cast<int>(held_.size()) && held_[static_cast<size_t>(c)]) continue;
    // A column of width 0 is one the window or the user keeps out of sight.
    if (horizontalHeader()->isSectionHidden(c) || horizontalHeader()->sectionSize(c) == 0) continue;
    const int needed = NeededWidth(c, horizontalHeader()->sectionSize(c), widestLetter);
    if (needed > horizontalHeader()->sectionSize(c)) ResizeColumn(c, needed);
  }
}

int TznListView::FittedWidth() const {
  const QHeaderView* header = horizontalHeader();
  int width = 2 * frameWidth();
  for (int c = 0; c < header->count(); ++c)
    if (!header->isSectionHidden(c)) width += header->sectionSize(c);
  if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
    width += verticalScrollBar()->sizeHint().width();
  return width;
}

void TznListView::SetScrollBars(bool on) {
  scrollBars_ = on;
  const Qt::ScrollBarPolicy policy = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
  setHorizontalScrollBarPolicy(policy);
  setVerticalScrollBarPolicy(policy);
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

void TznListView::SetHotTrackSelects(bool on) {
  hotTrackSelects_ = on;
  if (!background_.isNull()) viewport()->update();
}

void TznListView::SetBackground(const QImage& picture) {
  background_ = picture;
  backgroundTile_ = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
  viewport()->update();
}

void TznListView::paintEvent(QPaintEvent* event) {
  if (!backgroundTile_.isNull() && !hotTrackSelects_) {
    QPainter painter(viewport());
    PaintBackground(painter, event->rect());
  }
  QTableView::paintEvent(event);
}

void TznListView::PaintBackground(QPainter& painter, const QRect& area) {
  if (backgroundTile_.isNull()) return;
  const int w = backgroundTile_.width();
  const int h = backgroundTile_.height();
  // The first row's corner; never right of or below the viewport's, so the tiles cover it.
  int x = 0, y = 0;
  if (rows_->rowCount() > 0 && horizontalHeader()->count() > 0) {
    x = std::min(columnViewportPosition(horizontalHeader()->logicalIndex(0)), 0);
    y = std::min(rowViewportPosition(0), 0);
  }
  // Every row of tiles starts at the same x, so the columns of tiles stay aligned however far
  // the list is scrolled.
  const QPoint offset(((-x) % w + w) % w, ((-y) % h + h) % h);
  painter.save();
  painter.setClipRect(area);
  painter.drawTiledPixmap(viewport()->rect(), backgroundTile_, offset);
  painter.restore();
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
  // The stored widths are the user's: the fit leaves them alone from now on.
  for (int c = 0; c < static_cast<int>(layout.Widths.size()); ++c) {
    ResizeColumn(c, layout.Widths[static_cast<size_t>(c)]);
    if (c < static_cast<int>(held_.size())) held_[static_cast<size_t>(c)] = true;
  }
  UpdateSortIndicator();
  return true;
}

}  // namespace tovix
