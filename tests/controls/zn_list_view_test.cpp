#include "controls/zn_list_view.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

namespace tovix {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// A list over `rows` (the window's rows), columns "Name", "Size", "Note".
struct ListFixture {
  explicit ListFixture(Rows r) : rows(std::move(r)) {
    list.SetColumns({"Name", "Size", "Note"}, {80, 50, 60});
    list.Rows().SetRows(static_cast<int>(rows.size()), [this](int row, int column) {
      return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
    });
  }
  // The first column of the rows as shown, top to bottom.
  std::vector<std::string> Shown() const {
    std::vector<std::string> names;
    for (int v = 0; v < list.Rows().Count(); ++v) {
      names.push_back(list.Rows().CellText(list.Rows().SourceRow(v), 0));
    }
    return names;
  }
  void ClickHeader(int column) {
    QHeaderView* header = list.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  }
  Rows rows;
  TznListView list;
};

using Names = std::vector<std::string>;

TEST(ZnListView, HeaderClicksSortNumbersAsNumbersAndReverseOnTheSameColumn) {
  ListFixture f({{"b", "100", "x"}, {"a", "9", "y"}, {"c", "10", ""}, {"d", "abc", "z"}});
  f.list.show();
  QSignalSpy begins(&f.list, &TznListView::SortBegin);
  f.ClickHeader(1);
  EXPECT_EQ(f.list.SortColumn(), 1);
  EXPECT_EQ(f.Shown(), (Names{"a", "c", "b", "d"}));
  EXPECT_EQ(begins.count(), 1);
  EXPECT_TRUE(f.list.horizontalHeader()->isSortIndicatorShown());
  // Ascending: drawn as an upward triangle, whatever the header itself did on the click.
  EXPECT_EQ(f.list.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
  EXPECT_EQ(f.list.horizontalHeader()->sortIndicatorSection(), 1);
  f.ClickHeader(1);
  EXPECT_EQ(f.list.SortDirection(), TznSortDirection::sdDesc);
  EXPECT_EQ(f.Shown(), (Names{"d", "b", "c", "a"}));
  // Drawn as a downward triangle.
  EXPECT_EQ(f.list.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
  // Another column keeps the direction.
  f.ClickHeader(0);
  EXPECT_EQ(f.list.SortDirection(), TznSortDirection::sdDesc);
  EXPECT_EQ(f.Shown(), (Names{"d", "c", "b", "a"}));
  // Out of range is ignored; while loading the same column does not toggle.
  f.list.SetSortColumn(3);
  f.list.SetSortColumn(-1);
  EXPECT_EQ(f.list.SortColumn(), 0);
  f.list.SetLoading(true);
  f.list.SetSortColumn(0);
  EXPECT_EQ(f.list.SortDirection(), TznSortDirection::sdDesc);
  // A narrow sort column shows no arrow.
  f.list.horizontalHeader()->resizeSection(0, 15);
  EXPECT_FALSE(f.list.horizontalHeader()->isSortIndicatorShown());
}

TEST(ZnListView, SortLockedRecordsButNeverReorders) {
  ListFixture f({{"b", "2", ""}, {"a", "1", ""}, {"c", "3", ""}});
  f.list.SetSortLocked(true);
  f.list.show();
  f.list.SetSortColumn(1);
  f.list.SetSortDirection(TznSortDirection::sdDesc);
  f.ClickHeader(0);
  EXPECT_EQ(f.list.SortColumn(), 1);
  EXPECT_EQ(f.list.SortDirection(), TznSortDirection::sdDesc);
  EXPECT_EQ(f.Shown(), (Names{"b", "a", "c"}));
}

TEST(ZnListView, SelectionKeysChangeTheSelectionOnceOnTenThousandRows) {
  Rows rows;
  for (int i = 0; i < 10000; ++i) rows.push_back({"p" + std::to_string(i), "1", ""});
  ListFixture f(std::move(rows));
  f.list.show();
  f.list.selectionModel()->select(f.list.Rows().index(3, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QSignalSpy changes(f.list.selectionModel(), &QItemSelectionModel::selectionChanged);
  QTest::keyClick(&f.list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(f.list.SelectedCount(), 10000);
  EXPECT_FALSE(f.list.Selecting());

  QTest::keyClick(&f.list, Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(changes.count(), 2);
  EXPECT_EQ(f.list.SelectedCount(), 0);

  f.list.selectionModel()->select(f.list.Rows().index(5, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  changes.clear();
  QTest::keyClick(&f.list, Qt::Key_I, Qt::ControlModifier);
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(f.list.SelectedCount(), 9999);
  const std::vector<int> selected = f.list.CollectSelectedRows();
  ASSERT_EQ(selected.size(), 9999u);
  EXPECT_EQ(selected[5], 6);

  // Ctrl+Shift+D is no selection key.
  QTest::keyClick(&f.list, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(f.list.SelectedCount(), 9999);
}

TEST(ZnListView, ColumnLayoutRoundTripsWithAMovedAndAZeroWidthColumn) {
  ListFixture f({{"a", "1", "x"}});
  f.list.horizontalHeader()->moveSection(2, 0);
  f.list.horizontalHeader()->resizeSection(1, 0);
  std::string text;
  ASSERT_TRUE(f.list.GetColumnLayout(text));
  EXPECT_EQ(text, "3;2;80;0;0;1;60;");

  ListFixture g({{"a", "1", "x"}});
  EXPECT_FALSE(g.list.SetColumnLayout("3;2;80;2;0;1;60;"));
  EXPECT_FALSE(g.list.SetColumnLayout("garbage"));
  EXPECT_EQ(g.list.horizontalHeader()->logicalIndex(0), 0);
  ASSERT_TRUE(g.list.SetColumnLayout(text));
  std::string again;
  g.list.GetColumnLayout(again);
  EXPECT_EQ(again, text);
  EXPECT_EQ(g.list.horizontalHeader()->sectionSize(1), 0);
}

// Names were cut to their first word ("Altairans...") by fixed 75-pixel columns, and headers too
// ("Group N"). Columns widen to their header and their longest cells and samples, never narrow,
// and leave alone what the user or a stored layout sized, and a column kept at width 0.
TEST(ZnListView, ColumnsWidenToTheirHeaderCellsAndSamplesUnlessTheUserSizedThem) {
  TznListView list;
  list.SetColumns({"Group Nr.", "Name", "Hidden", "Note"}, {30, 30, 0, 30});
  QHeaderView* header = list.horizontalHeader();
  const QFontMetrics metrics = list.fontMetrics();
  auto whole = [&](int column, const QString& text) {
    return header->sectionSize(column) > metrics.horizontalAdvance(text);
  };
  EXPECT_GE(header->sectionSize(0), header->sectionSizeHint(0)) << "the header shows whole";
  Rows rows{{"1", "Altairans Prime Colony", "x", "a"}, {"2", "Vega", "y", "b"}};
  const auto fill = [&] {
    list.Rows().SetRows(static_cast<int>(rows.size()), [&rows](int row, int column) {
      return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
    });
  };
  fill();
  EXPECT_TRUE(whole(1, "Altairans Prime Colony"));
  EXPECT_EQ(header->sectionSize(2), 0) << "a column out of sight stays so";
  // A name the rows do not hold yet, and shorter rows later: the column keeps the longer width.
  list.SetColumnSamples(1, {"Betelgeusians Forge Outpost"});
  const int sampled = header->sectionSize(1);
  EXPECT_TRUE(whole(1, "Betelgeusians Forge Outpost"));
  rows = {{"3", "Io", "", "c"}};
  fill();
  EXPECT_EQ(header->sectionSize(1), sampled);
  // The user's width holds; so does a stored layout's.
  header->resizeSection(3, 12);
  rows = {{"4", "Io", "", "a much longer note than before"}};
  fill();
  EXPECT_EQ(header->sectionSize(3), 12);
  ASSERT_TRUE(list.SetColumnLayout("4;0;40;1;20;2;0;3;12;"));
  fill();
  EXPECT_EQ(header->sectionSize(1), 20);
  EXPECT_EQ(list.FittedWidth(),
            2 * list.frameWidth() + 40 + 20 + 12 + list.verticalScrollBar()->sizeHint().width());
}

// The column took its width from the five texts with the most letters: a name of fewer but wider
// letters was cut ("..."), in the rows and in the samples alike.
TEST(ZnListView, TheWidestTextSetsTheWidthNotTheLongest) {
  const std::string wide = "WWMMWWMMWWMM";
  for (bool inRows : {true, false}) {
    TznListView list;
    list.SetColumns({"Name"}, {30});
    std::vector<std::string> texts(8, "iiiiiiiiiiiiiiiii");
    for (size_t i = 0; i < texts.size(); ++i) texts[i] += static_cast<char>('a' + i);
    if (!inRows) list.SetColumnSamples(0, {texts[0], wide});
    if (inRows) texts.push_back(wide);
    list.Rows().SetRows(static_cast<int>(texts.size()),
                        [&texts](int row, int) { return texts[static_cast<size_t>(row)]; });
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    EXPECT_GE(list.horizontalHeader()->sectionSize(0),
              list.fontMetrics().horizontalAdvance(QString::fromStdString(wide)) + 2 * margin)
        << (inRows ? "rows" : "samples");
  }
}

TEST(ZnListView, HotTrackingUnderlinesAndReportsTheWindowsRow) {
  ListFixture f({{"b", "2", ""}, {"a", "1", ""}, {"c", "3", ""}});
  f.list.show();
  f.list.SetSortColumn(1);  // shown: a, b, c
  QSignalSpy hot(&f.list, &TznListView::HotTrack);
  const QRect cell = f.list.visualRect(f.list.Rows().index(0, 2));
  QTest::mouseMove(f.list.viewport(), cell.center());
  ASSERT_EQ(hot.count(), 1);
  EXPECT_EQ(hot[0][0].toInt(), 1) << "the window's row of \"a\"";
  EXPECT_EQ(hot[0][1].toInt(), 2);
  EXPECT_TRUE(
      f.list.Rows().data(f.list.Rows().index(0, 0), Qt::FontRole).value<QFont>().underline());
  EXPECT_EQ(f.list.SelectedCount(), 0) << "hovering alone selects nothing";
}

// The background picture is tiled from the first row's corner and scrolls with the rows and
// columns; the rows draw no background over it. Hovering that selects, or no picture, shows the
// list's own background.
TEST(ZnListView, BackgroundPictureTilesFromTheFirstRowAndScrollsWithIt) {
  ListFixture f(Rows(60, {"", "", ""}));  // empty cells: nothing drawn over the picture
  f.list.SetColumns({"Name", "Size", "Note"}, {150, 150, 150});
  f.list.resize(200, 160);
  f.list.show();
  QImage tile(16, 16, QImage::Format_RGB32);
  tile.fill(qRgb(0, 0, 255));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) tile.setPixel(x, y, qRgb(255, 0, 0));
  f.list.SetBackground(tile);
  auto grab = [&] { return f.list.viewport()->grab().toImage(); };
  // The colour the picture puts at `p` when its first tile starts at `origin`.
  auto expected = [&](QPoint p, QPoint origin) {
    const int x = ((p.x() - origin.x()) % 16 + 16) % 16;
    const int y = ((p.y() - origin.y()) % 16 + 16) % 16;
    return tile.pixel(x, y);
  };
  const std::vector<QPoint> points{{0, 0}, {5, 3}, {9, 2}, {3, 12}, {40, 47}, {123, 81}};
  QImage shown = grab();
  for (const QPoint& p : points) EXPECT_EQ(shown.pixel(p), expected(p, {0, 0})) << p.x() << p.y();

  f.list.verticalScrollBar()->setValue(3);
  f.list.horizontalScrollBar()->setValue(37);
  const QPoint origin(f.list.columnViewportPosition(0), f.list.rowViewportPosition(0));
  ASSERT_LT(origin.y(), 0);
  ASSERT_LT(origin.x(), 0);
  shown = grab();
  for (const QPoint& p : points) EXPECT_EQ(shown.pixel(p), expected(p, origin)) << p.x() << p.y();

  const QRgb base = f.list.palette().color(QPalette::Base).rgb();
  f.list.SetHotTrackSelects(true);
  EXPECT_EQ(grab().pixel(5, 3), base);
  f.list.SetHotTrackSelects(false);
  f.list.SetBackground(QImage());
  EXPECT_EQ(grab().pixel(5, 3), base);
  EXPECT_TRUE(f.list.Background().isNull());
}

}  // namespace
}  // namespace tovix
