#include "controls/list_row_model.h"

#include <QFont>
#include <algorithm>
#include <numeric>

#include "views/cell_compare.h"

namespace tovix {

TListRowModel::TListRowModel(QObject* parent) : QAbstractTableModel(parent) {}

void TListRowModel::SetColumns(const QStringList& captions) {
  beginResetModel();
  captions_ = captions;
  endResetModel();
}

void TListRowModel::SetRows(int count, TCellFunction cell) {
  beginResetModel();
  cell_ = std::move(cell);
  order_.resize(static_cast<size_t>(std::max(count, 0)));
  std::iota(order_.begin(), order_.end(), 0);
  viewOf_ = order_;
  hotRow_ = -1;
  endResetModel();
}

void TListRowModel::Sort(int column, TznSortDirection direction) {
  if (order_.empty() || column < 0 || column >= captions_.size()) return;
  emit layoutAboutToBeChanged();
  hotRow_ = -1;  // the mouse is over another row now
  const QModelIndexList before = persistentIndexList();
  std::vector<int> sourceBefore;
  for (const QModelIndex& i : before) sourceBefore.push_back(SourceRow(i.row()));

  const bool desc = direction == TznSortDirection::sdDesc;
  if (compare_) {
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
      return desc ? compare_(b, a, column) < 0 : compare_(a, b, column) < 0;
    });
  } else {
    // Each cell is read once; the texts compare case-sensitively in the user's language.
    std::vector<std::string> keys(order_.size());
    for (int row : order_) keys[static_cast<size_t>(row)] = CellText(row, column);
    const TTextCompare text = [](std::string_view a, std::string_view b) {
      const int c = QString::localeAwareCompare(
          QString::fromLatin1(a.data(), static_cast<qsizetype>(a.size())),
          QString::fromLatin1(b.data(), static_cast<qsizetype>(b.size())));
      return c != 0 ? c : CompareBytes(a, b);
    };
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
      const std::string& x = keys[static_cast<size_t>(a)];
      const std::string& y = keys[static_cast<size_t>(b)];
      return desc ? CompareCells(y, x, text) < 0 : CompareCells(x, y, text) < 0;
    });
  }
  for (size_t v = 0; v < order_.size(); ++v)
    viewOf_[static_cast<size_t>(order_[v])] = static_cast<int>(v);

  QModelIndexList after;
  for (int i = 0; i < before.size(); ++i) {
    after.push_back(index(ViewRow(sourceBefore[static_cast<size_t>(i)]), before[i].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged();
}

std::string TListRowModel::CellText(int sourceRow, int column) const {
  return cell_ && sourceRow >= 0 && sourceRow < Count() ? cell_(sourceRow, column) : std::string();
}

int TListRowModel::SourceRow(int viewRow) const {
  return viewRow >= 0 && viewRow < Count() ? order_[static_cast<size_t>(viewRow)] : -1;
}

int TListRowModel::ViewRow(int sourceRow) const {
  return sourceRow >= 0 && sourceRow < Count() ? viewOf_[static_cast<size_t>(sourceRow)] : -1;
}

void TListRowModel::SetHotRow(int viewRow) {
  if (viewRow == hotRow_) return;
  const int old = hotRow_;
  hotRow_ = viewRow;
  const int last = static_cast<int>(captions_.size()) - 1;
  for (int row : {old, viewRow}) {
    if (row >= 0 && row < Count() && last >= 0) {
      emit dataChanged(index(row, 0), index(row, last), {Qt::FontRole});
    }
  }
}

int TListRowModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int TListRowModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

QVariant TListRowModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) {
    const std::string text = CellText(SourceRow(index.row()), index.column());
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }
  if (role == Qt::TextAlignmentRole) {
    const auto column = static_cast<size_t>(index.column());
    const bool right = column < rightAligned_.size() && rightAligned_[column];
    return QVariant::fromValue(Qt::Alignment(right ? Qt::AlignRight : Qt::AlignLeft) |
                               Qt::AlignVCenter);
  }
  if (role == Qt::ForegroundRole && rowColor_) {
    const QColor color = rowColor_(SourceRow(index.row()));
    if (color.isValid()) return color;
    return {};
  }
  if (role == Qt::DecorationRole && index.column() == 0 && rowImage_) {
    const QIcon icon = rowImage_(SourceRow(index.row()));
    if (!icon.isNull()) return icon;
    return {};
  }
  if (role == Qt::FontRole && index.row() == hotRow_) {
    QFont font;
    font.setUnderline(true);
    return font;
  }
  return {};
}

QVariant TListRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < captions_.size()) {
    return captions_[section];
  }
  return {};
}

}  // namespace tovix
