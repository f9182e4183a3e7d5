#pragma once
// The report-style list of every list window: virtual rows (TListRowModel), a sort column and
// direction with the arrow in the header (a click sorts by a column, a second click on it
// reverses), numbers sorted as numbers, the column order and widths as one text for the
// settings store, Ctrl+A / Ctrl+D / Ctrl+I to select all, none or the others through one
// selection change, and hot tracking of the cell under the mouse.

#include <QCursor>
#include <QTableView>
#include <string>
#include <string_view>
#include <vector>

#include "controls/list_row_model.h"

namespace tovix {

class TznListView : public QTableView {
  Q_OBJECT

 public:
  explicit TznListView(QWidget* parent = nullptr);

  TListRowModel& Rows() const { return *rows_; }
  // Columns with their captions and widths in pixels.
  void SetColumns(const QStringList& captions, const std::vector<int>& widths);

  int SortColumn() const { return sortColumn_; }
  // A column out of range is ignored. Another column sorts by it; the same column reverses the
  // direction unless the window is loading its state.
  void SetSortColumn(int column);
  TznSortDirection SortDirection() const { return sortDirection_; }
  void SetSortDirection(TznSortDirection direction);
  // Sorts the rows again by the current column and direction.
  void Resort();
  // A locked list records the sort column and direction but never reorders its rows.
  bool SortLocked() const { return sortLocked_; }
  void SetSortLocked(bool on) { sortLocked_ = on; }
  // While the window loads its state, setting the sort column to its value does not toggle.
  void SetLoading(bool on) { loading_ = on; }

  // The window's rows that are selected, from the top.
  std::vector<int> CollectSelectedRows() const;
  int SelectedCount() const;
  void SelectAllRows();
  void DeselectAllRows();
  void InvertSelection();
  bool Selecting() const { return selecting_; }
  QCursor CursorWait() const { return cursorWait_; }
  void SetCursorWait(const QCursor& cursor) { cursorWait_ = cursor; }

  // "count;order;width;..." (see views/column_layout.h).
  bool GetColumnLayout(std::string& text) const;
  // False, changing nothing, for a text that is not a layout of this list.
  bool SetColumnLayout(std::string_view text);

  // Hovering selects the hot row unless a HotTrack handler vetoes it.
  bool HotTrackSelects() const { return hotTrackSelects_; }
  void SetHotTrackSelects(bool on) { hotTrackSelects_ = on; }

 signals:
  // Before the rows are sorted.
  void SortBegin(tovix::TznSortDirection direction, int column);
  // A header click, before the sort.
  void ColumnClick(int column);
  // The mouse moved onto another cell: the window's row (-1 for none), the column and the
  // position in the list. A handler may clear *allowSelect.
  void HotTrack(int row, int column, QPoint position, bool* allowSelect);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void HeaderClicked(int column);
  void CellEntered(const QModelIndex& index);
  void UpdateSortIndicator();
  void ChangeSelection(QItemSelectionModel::SelectionFlags flags);

  TListRowModel* rows_;
  int sortColumn_ = 0;
  TznSortDirection sortDirection_ = TznSortDirection::sdAsc;
  bool sortLocked_ = false;
  bool loading_ = false;
  bool selecting_ = false;
  bool hotTrackSelects_ = false;
  QCursor cursorWait_{Qt::WaitCursor};
};

}  // namespace tovix
