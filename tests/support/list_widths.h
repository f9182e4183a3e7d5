#pragma once
// Checks that a list shows texts and headers whole, as a user reads them.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStyle>
#include <string>

#include "controls/zn_list_view.h"

namespace tovix::test {

// Every header whole, with room for the sort arrow.
inline void ExpectHeadersWhole(const TznListView& list) {
  const QHeaderView* header = list.horizontalHeader();
  for (int c = 0; c < header->count(); ++c) {
    if (header->sectionSize(c) == 0) continue;
    EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c))
        << list.objectName().toStdString() << " column " << c;
  }
}

// `text` fits whole into `column`, beside the margins a cell keeps on both sides of its text.
inline bool ShowsWhole(const TznListView& list, int column, const std::string& text) {
  const QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
  return list.horizontalHeader()->sectionSize(column) >=
         list.fontMetrics().horizontalAdvance(shown) + 2 * margin;
}

inline void ExpectWhole(const TznListView& list, int column, const std::string& text) {
  EXPECT_TRUE(ShowsWhole(list, column, text))
      << list.objectName().toStdString() << " column " << column << ": " << text;
}

}  // namespace tovix::test
