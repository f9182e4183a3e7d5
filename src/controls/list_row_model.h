#pragma once
// The rows of a list control: the owning window keeps its rows and tells how many there are
// and what each cell shows (virtual rows); the model keeps the order in which they are shown
// and sorts it by a column.

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

namespace tovix {

enum class TznSortDirection { sdAsc, sdDesc };

class TListRowModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The text of a cell of a row (the window's row index), 8-bit text.
  using TCellFunction = std::function<std::string(int row, int column)>;
  // The window's own order of two of its rows by a column, ascending; negative, zero or
  // positive. It must be a strict weak ordering.
  using TCompareFunction = std::function<int(int rowA, int rowB, int column)>;

  explicit TListRowModel(QObject* parent = nullptr);

  void SetColumns(const QStringList& captions);
  QStringList Captions() const { return captions_; }
  // Columns whose cells are right-aligned (figures); the others are left-aligned.
  void SetRightAligned(std::vector<bool> right) { rightAligned_ = std::move(right); }
  // New rows in their own order (call Sort to order them).
  void SetRows(int count, TCellFunction cell);
  // The same for rows that hold their texts in `Cells`, one per column. The model reads the
  // window's vector itself: it must stay while its rows are shown.
  template <class Row>
  void SetCellRows(const std::vector<Row>& rows) {
    SetRows(static_cast<int>(rows.size()), [&rows](int row, int column) {
      return rows[static_cast<size_t>(row)].Cells[static_cast<size_t>(column)];
    });
  }
  // Optional looks of a row (the window's row index): the colour of its text (an invalid colour
  // keeps the list's own) and the image in its first column (a null icon shows none).
  using TRowColorFunction = std::function<QColor(int row)>;
  using TRowImageFunction = std::function<QIcon(int row)>;
  void SetRowColor(TRowColorFunction color) { rowColor_ = std::move(color); }
  void SetRowImage(TRowImageFunction image) { rowImage_ = std::move(image); }
  // Nullptr: the cells' number-aware order.
  void SetCompare(TCompareFunction compare) { compare_ = std::move(compare); }
  // Orders the rows by `column`; equal rows keep their order.
  void Sort(int column, TznSortDirection direction);

  std::string CellText(int sourceRow, int column) const;
  // The window's row shown at `viewRow`, and back; -1 when out of range.
  int SourceRow(int viewRow) const;
  int ViewRow(int sourceRow) const;
  int Count() const { return static_cast<int>(order_.size()); }

  // The row under the mouse, shown underlined; -1 for none.
  void SetHotRow(int viewRow);
  int HotRow() const { return hotRow_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QStringList captions_;
  std::vector<bool> rightAligned_;
  TCellFunction cell_;
  TCompareFunction compare_;
  TRowColorFunction rowColor_;
  TRowImageFunction rowImage_;
  std::vector<int> order_;
  std::vector<int> viewOf_;
  int hotRow_ = -1;
};

}  // namespace tovix
