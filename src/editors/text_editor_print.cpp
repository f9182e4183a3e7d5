// The editor's frame and printing: kept apart from the painting of the window.
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

#include "editors/text_editor.h"

namespace tovix {

void TTextEditor::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  setFrameShape(style == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
  UpdateMetrics();
  viewport()->update();
}

namespace {

// One run of a printed row: text in one style and colour from a display column on.
struct TPrintRun {
  int Column;
  QString Text;
  TFontStyles Style;
  QColor Colour;
};

QFont StyledFont(QFont font, TFontStyles style) {
  font.setBold((style & fsBold) != 0);
  font.setItalic((style & fsItalic) != 0);
  font.setUnderline((style & fsUnderline) != 0);
  font.setStrikeOut((style & fsStrikeOut) != 0);
  return font;
}

}  // namespace

int TTextEditor::Print(QPagedPaintDevice& device) {
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  QFont base = font();
  // A font sized in screen pixels is printed at the same size in points as on the screen.
  if (base.pointSizeF() <= 0) base.setPointSizeF(std::max(1, base.pixelSize()) * 72.0 / 96.0);
  base = QFont(base, &device);
  const QFontMetricsF metrics(base, &device);
  const double cell = std::max(1.0, metrics.horizontalAdvance(QLatin1Char('M')));
  const double lineHeight = std::max(1.0, metrics.lineSpacing());
  const QRect page(0, 0, device.width(), device.height());  // the paint rectangle
  const int columns = std::max(1, static_cast<int>(page.width() / cell));
  const int rowsPerPage = std::max(1, static_cast<int>(page.height() / lineHeight));
  const QColor ink(0, 0, 0);

  int pageNumber = 1;
  bool abort = false;
  if (OnPrintStatus) OnPrintStatus(psBegin, pageNumber, abort);
  if (abort) {
    painter.end();
    return 0;
  }
  int row = 0;
  TmwCustomHighLighter* highlighter = HighLighter();
  for (int index = 0; index < LineCount() && !abort; ++index) {
    const TEditString& line = Lines().Get(index);
    std::vector<int> starts;
    const QString shown = QString::fromStdU32String(ExpandTabs(line, TabWidth(), &starts));
    // The line's runs by the highlighter's tokens (one plain run without one).
    std::vector<TPrintRun> runs;
    if (highlighter != nullptr) {
      highlighter->SetRange(Lines().Range(index));
      highlighter->SetLine(line, index);
      while (!highlighter->GetEol()) {
        const int pos = highlighter->GetTokenPos();
        const int end = std::min(pos + static_cast<int>(highlighter->GetToken().size()),
                                 static_cast<int>(line.size()));
        const TmwHighLightAttributes* attr = highlighter->GetTokenAttribute();
        const int from = starts[static_cast<size_t>(pos)];
        const int to = starts[static_cast<size_t>(std::max(pos, end))];
        runs.push_back({from, shown.mid(from, to - from), attr ? attr->Style() : TFontStyles(0),
                        attr ? Resolve(attr->Foreground(), ink) : ink});
        highlighter->Next();
      }
    } else {
      runs.push_back({0, shown, 0, ink});
    }
    // Rows of at most `columns` cells; an empty line still takes its row.
    const int rows = std::max(1, (static_cast<int>(shown.size()) + columns - 1) / columns);
    for (int part = 0; part < rows; ++part) {
      if (row == rowsPerPage) {
        if (OnPrintStatus) OnPrintStatus(psNewPage, pageNumber + 1, abort);
        if (abort) break;
        device.newPage();
        ++pageNumber;
        row = 0;
      }
      const int first = part * columns;
      const double y = row * lineHeight + metrics.ascent();
      for (const TPrintRun& run : runs) {
        const int from = std::max(run.Column, first);
        const int to = std::min(run.Column + static_cast<int>(run.Text.size()), first + columns);
        if (from >= to) continue;
        painter.setFont(StyledFont(base, run.Style));
        painter.setPen(run.Colour);
        // Cell by cell, so that every character keeps its column whatever the style's widths.
        for (int c = from; c < to; ++c)
          painter.drawText(QPointF((c - first) * cell, y), QString(run.Text[c - run.Column]));
      }
      ++row;
    }
  }
  bool ignored = false;
  if (OnPrintStatus) OnPrintStatus(psEnd, pageNumber, ignored);
  painter.end();
  return pageNumber;
}

}  // namespace tovix
