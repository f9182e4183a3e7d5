#pragma once
// The report-style list of every list window: virtual rows (TListRowModel), a sort column and
// direction with the arrow in the header (a click sorts by a column, a second click on it
// reverses), numbers sorted as numbers, the column order and widths as one text for the
// settings store, Ctrl+A / Ctrl+D / Ctrl+I to select all, none or the others through one
// selection change, hot tracking of the cell under the mouse, and a tiled background picture
// if the window gives one. Columns widen to show their
// header and their cells whole (and texts a window names for them, such as the game's longest
// planet names) until the user sizes them or a stored layout does.

#include <QCursor>
#include <QImage>
#include <QPixmap>
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
  // Columns with their captions and starting widths in pixels (widened to their headers).
  void SetColumns(const QStringList& captions, const std::vector<int>& widths);

  // Texts `column` must show whole besides its header and its rows (8-bit text).
  void SetColumnSamples(int column, std::vector<std::string> texts);
  // Widens every column the user has not sized (nor a stored layout) to its header, its rows'
  // widest texts and its samples; it runs by itself whenever the rows are set. Columns never
  // narrow, so a column keeps its width when a filter shows shorter names.
  void FitColumns();
  // The width of the whole list with every column shown as wide as it is now.
  int FittedWidth() const;

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

  // Off: the list shows no scroll bars.
  bool ScrollBars() const { return scrollBars_; }
  void SetScrollBars(bool on);

  // Hovering selects the hot row unless a HotTrack handler vetoes it.
  bool HotTrackSelects() const { return hotTrackSelects_; }
  void SetHotTrackSelects(bool on);

  // A picture tiled behind the rows, which are drawn over it without a background of their
  // own; it scrolls with them. Shown only while hovering does not select (the hot row would
  // have to be drawn over it). A null picture removes it. The list keeps a copy.
  const QImage& Background() const { return background_; }
  void SetBackground(const QImage& picture);

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
  void paintEvent(QPaintEvent* event) override;
  // Tiles the background over `area` of the viewport, starting from the first row's top left
  // corner (the viewport's corner when there is no row).
  virtual void PaintBackground(QPainter& painter, const QRect& area);

 private:
  void HeaderClicked(int column);
  void CellEntered(const QModelIndex& index);
  void UpdateSortIndicator();
  void ChangeSelection(QItemSelectionModel::SelectionFlags flags);
  // The width `column` needs for its header, its cells and its samples. Texts that cannot be
  // wider than `known` (a width the column has anyway), even were each of their letters
  // `widestLetter` pixels wide, are not measured.
  int NeededWidth(int column, int known, int widestLetter) const;
  void ResizeColumn(int column, int width);

  TListRowModel* rows_;
  int sortColumn_ = 0;
  TznSortDirection sortDirection_ = TznSortDirection::sdAsc;
  bool sortLocked_ = false;
  bool loading_ = false;
  bool selecting_ = false;
  bool hotTrackSelects_ = false;
  bool scrollBars_ = true;
  QCursor cursorWait_{Qt::WaitCursor};
  QImage background_;
  QPixmap backgroundTile_;
  std::vector<std::vector<std::string>> samples_;
  std::vector<bool> held_;       // sized by the user or a stored layout: the fit leaves it alone
  bool resizing_ = false;        // the list itself sizes a column
  bool settingColumns_ = false;  // SetColumns fits the new columns itself, once
};

}  // namespace tovix
