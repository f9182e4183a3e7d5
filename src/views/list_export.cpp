#include "views/list_export.h"

#include <algorithm>
#include <array>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

constexpr const char* kCrLf = "\r\n";

bool Blank(std::string_view s) {
  return TrimView(s).empty();
}

std::string TimeStampLine(const TExportTexts& texts) {
  return "Created: " + texts.TimeStamp;
}

// Title, header, rows of "caption: cell" lines, footer: the text file and the clipboard.
std::string WriteText(const TExportTable& table, const TExportTexts& texts,
                      const TExportProgress& progress) {
  std::string out;
  auto line = [&out](std::string_view s) {
    out += s;
    out += kCrLf;
  };
  if (!Blank(texts.Title)) {
    line(texts.Title);
    line(std::string(80, '-'));
    line("");
  }
  if (!texts.TimeStamp.empty()) {
    line(TimeStampLine(texts));
    line("");
  }
  if (!Blank(texts.Header)) {
    line(texts.Header);
    line("");
  }
  for (size_t r = 0; r < table.Rows.size(); ++r) {
    const auto& cells = table.Rows[r];
    for (size_t c = 0; c < cells.size(); ++c) {
      const std::string& caption = c < table.Header.size() ? table.Header[c] : std::string();
      line(Blank(caption) ? cells[c] : caption + ": " + cells[c]);
    }
    line("");
    if (progress) progress(static_cast<int>(r + 1));
  }
  if (!Blank(texts.Footer)) line(texts.Footer);
  return out;
}

std::string HtmlCellText(std::string_view text) {
  // A line break inside a cell shows as one.
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "<br>";
      i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      continue;
    }
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    out += HtmlEscape(text.substr(i, j - i));
    i = j;
  }
  return out;
}

std::string WriteHtml(const TExportTable& table, const TExportTexts& texts,
                      const TExportProgress& progress) {
  std::string out;
  auto line = [&out](std::string_view s) {
    out += s;
    out += kCrLf;
  };
  const std::string title = HtmlEscape(texts.Title);
  line(
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
      "<title>" +
      title + "</title></head>");
  line(
      "<body bgcolor=\"#333399\" link=\"#69EF7D\" vlink=\"#FF00FF\" text=\"#FFFFFF\" "
      "alink=\"#00FF00\">");
  line("<p><b><big><big><big><font face=\"arial\">" + title +
       "</font></big></big></big></b></p><font face=\"arial\">");
  if (!texts.TimeStamp.empty()) {
    line(HtmlEscape(TimeStampLine(texts)));
    line("");
  }
  line("<hr>");
  if (!Blank(texts.Header)) line(HtmlEscape(texts.Header) + "<br><br>");
  line("<table border=\"0\">");
  line("<tr>");
  for (const std::string& caption : table.Header) {
    line("<td bgcolor=\"#FF0000\"><font face=\"arial\"><b>" + HtmlCellText(caption) +
         "</b></font></td>");
  }
  line("</tr>");
  for (size_t r = 0; r < table.Rows.size(); ++r) {
    line("<tr>");
    for (const std::string& cell : table.Rows[r]) {
      line("<td valign=\"top\"><font face=\"arial\">" + HtmlCellText(cell) + "</font></td>");
    }
    line("</tr>");
    if (progress) progress(static_cast<int>(r + 1));
  }
  line("</table><hr>" + HtmlEscape(texts.Footer) + "</font><p></body></html>");
  return out;
}

std::string WriteCsv(const TExportTable& table, const TExportProgress& progress) {
  std::string out = CsvLine(table.Header) + kCrLf;
  for (size_t r = 0; r < table.Rows.size(); ++r) {
    out += CsvLine(table.Rows[r]) + kCrLf;
    if (progress) progress(static_cast<int>(r + 1));
  }
  return out;
}

std::string WriteTsv(const TExportTable& table, const TExportProgress& progress) {
  auto row = [](const std::vector<std::string>& cells) {
    std::string s;
    for (const std::string& c : cells) s += TsvCell(c) + "\t";
    return s + kCrLf;
  };
  std::string out = row(table.Header);
  for (size_t r = 0; r < table.Rows.size(); ++r) {
    out += row(table.Rows[r]);
    if (progress) progress(static_cast<int>(r + 1));
  }
  return out;
}

std::string WriteRtf(const TExportTable& table, const TExportTexts& texts,
                     const TExportProgress& progress) {
  std::string out;
  auto line = [&out](std::string_view s) {
    out += s;
    out += kCrLf;
  };
  line("{\\rtf1\\ansi\\ansicpg1252\\deff0");
  line("{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}}");
  line(
      "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"
      "\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;"
      "\\red255\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;"
      "\\red0\\green128\\blue128;\\red0\\green128\\blue0;\\red128\\green0\\blue128;"
      "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;"
      "\\red192\\green192\\blue192;}");
  line("{\\stylesheet{\\s0\\f0\\fs24 Normal;}{\\s1\\sb240\\sa60\\keepn\\b\\f1\\fs28 heading 1;}}");
  line("{\\pard\\plain\\s1\\sb240\\sa60\\keepn\\b\\f1\\fs28 " + RtfEscape(texts.Title) + "\\par");
  line("\\pard\\plain\\f0\\fs24 ");
  if (!texts.TimeStamp.empty()) line(RtfEscape(TimeStampLine(texts)) + "\\par");
  if (!Blank(texts.Header)) line("\\par " + RtfEscape(texts.Header) + "\\par");

  // Cell right edges: the running sum of (caption length + 5) * 90 twips.
  std::string rowDef = "\\trowd\\trgaph108\\trleft-108";
  int edge = 0;
  for (const std::string& caption : table.Header) {
    edge += (static_cast<int>(caption.size()) + 5) * 90;
    rowDef +=
        "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
        "\\clbrdrr\\brdrs\\brdrw10\\cellx" +
        std::to_string(edge);
  }
  line(rowDef);
  std::string header = "\\pard\\intbl\\plain\\f1\\fs16\\b ";
  for (const std::string& caption : table.Header) header += RtfEscape(caption) + "\\cell ";
  line(header + "\\row");
  for (size_t r = 0; r < table.Rows.size(); ++r) {
    line(rowDef);
    std::string cells = "\\pard\\intbl\\plain\\f1\\fs16 ";
    for (const std::string& cell : table.Rows[r]) cells += RtfEscape(cell) + "\\cell ";
    line(cells + "\\row");
    if (progress) progress(static_cast<int>(r + 1));
  }
  line("\\pard\\plain\\f0\\fs24\\par " + RtfEscape(texts.Footer) + "\\par}}");
  return out;
}

}  // namespace

const TExportTypeInfo& ExportTypeInfo(TExportType type) {
  static constexpr std::array<TExportTypeInfo, kExportTypeCount> kTypes{{
      {"HTML", "htm"},
      {"Microsoft Word", "doc"},
      {"Microsoft Excel", "xlsx"},
      {"Text", "txt"},
      {"Rich Text", "rtf"},
      {"Comma-Delimited Text", "csv"},
      {"Tab-Delimited Text", "txt"},
      {"Clipboard", ""},
  }};
  return kTypes[static_cast<size_t>(type)];
}

std::optional<TExportTable> CollectExportTable(const IExportSource& source,
                                               const TExportOptions& options,
                                               const std::vector<std::string>& captions,
                                               UserInterface& ui) {
  const int rowCount = source.RowCount();
  if (rowCount <= 0) {
    ui.ShowMessage("There is no Data to Export.");
    return std::nullopt;
  }
  int selected = 0;
  for (int r = 0; r < rowCount; ++r) selected += source.RowSelected(r) ? 1 : 0;
  if (options.SelectedRowsOnly && !options.ExportAllWhenNoneSelected && selected == 0) {
    ui.ShowMessage("You must select at least one item to Export.");
    return std::nullopt;
  }
  std::vector<int> columns;
  TExportTable table;
  for (int position = 0; position < source.ColumnCount(); ++position) {
    const int column = source.ColumnAtPosition(position);
    if (source.ColumnWidth(column) <= 0 && !options.ExportInvisibleCols) continue;
    columns.push_back(column);
    table.Header.push_back(static_cast<size_t>(column) < captions.size()
                               ? captions[static_cast<size_t>(column)]
                               : source.ColumnCaption(column));
  }
  bool anyCaption = false;
  for (const std::string& caption : table.Header) anyCaption = anyCaption || !Blank(caption);
  if (!anyCaption) {
    ui.ShowMessage(
        "There is no Data to Export.\r\n\r\nPlease ensure your columns are visible and have "
        "data.");
    return std::nullopt;
  }
  if (options.NumberRows) table.Header.insert(table.Header.begin(), "Item");
  const bool onlySelected = options.SelectedRowsOnly && selected > 0;
  for (int r = 0; r < rowCount; ++r) {
    if (onlySelected && !source.RowSelected(r)) continue;
    std::vector<std::string> cells;
    cells.reserve(columns.size() + 1);
    if (options.NumberRows) cells.push_back(std::to_string(table.Rows.size() + 1));
    for (int column : columns) cells.push_back(source.Cell(r, column));
    table.Rows.push_back(std::move(cells));
  }
  return table;
}

std::string WriteExportText(TExportType type, const TExportTable& table, const TExportTexts& texts,
                            const TExportProgress& progress) {
  switch (type) {
    case TExportType::xHTML:
      return WriteHtml(table, texts, progress);
    case TExportType::xMicrosoft_Word:
    case TExportType::xRichText:
      return WriteRtf(table, texts, progress);
    case TExportType::xText_Comma_Delimited:
      return WriteCsv(table, progress);
    case TExportType::xText_Tab_Delimited:
    case TExportType::xMicrosoft_Excel:  // the spreadsheet has its own writer; its data as text
      return WriteTsv(table, progress);
    case TExportType::xText:
    case TExportType::xClipboard:
      return WriteText(table, texts, progress);
  }
  return {};
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (c >= 0x80) {
          out += "&#" + std::to_string(static_cast<uint32_t>(Cp1252ToUnicode(c))) + ";";
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string RtfEscape(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\line ";
    } else if (c < 0x20) {
      out += ' ';
    } else if (c >= 0x80) {
      out += "\\'";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string CsvLine(const std::vector<std::string>& cells) {
  if (cells.size() == 1 && cells[0].empty()) return "\"\"";
  std::string out;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& cell = cells[i];
    bool quote = false;
    for (char ch : cell) {
      const auto c = static_cast<unsigned char>(ch);
      quote = quote || c <= ' ' || c == '"' || c == ',';
    }
    if (!quote) {
      out += cell;
      continue;
    }
    out += '"';
    for (char ch : cell) {
      if (ch == '"') out += '"';
      out += ch;
    }
    out += '"';
  }
  return out;
}

std::string TsvCell(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

TExportProgressSteps::TExportProgressSteps(int rows)
    : Step(std::max(rows / 25 + 1, 1)), Maximum(std::max(rows / Step, 0)), TextMode(rows < 0) {}

int TExportProgressSteps::BarValue(int row) const {
  return std::clamp(row / Step, 0, Maximum);
}

std::string ExportProgressText(std::string_view countingFormat, int row, double seconds) {
  return Fmt(countingFormat, row, seconds);
}

char32_t Cp1252ToUnicode(unsigned char c) {
  // 0x80..0x9F hold typographic characters in code page 1252; the five unused bytes map to
  // the control characters of the same value, as the code page's own table does.
  static constexpr std::array<char32_t, 32> kHigh{
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : static_cast<char32_t>(c);
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const char32_t u = Cp1252ToUnicode(static_cast<unsigned char>(ch));
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

}  // namespace tovix
