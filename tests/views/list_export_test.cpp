#include "views/list_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string_view>

#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "views/export_temp_folder.h"
#include "views/xlsx_export.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using Cells = std::vector<std::string>;

// A list as the list control would show it.
struct FakeList : IExportSource {
  Cells captions;
  std::vector<int> widths, order;
  std::vector<Cells> rows;
  std::vector<bool> selected;

  int ColumnCount() const override { return static_cast<int>(captions.size()); }
  std::string ColumnCaption(int c) const override { return captions.at(static_cast<size_t>(c)); }
  int ColumnWidth(int c) const override { return widths.at(static_cast<size_t>(c)); }
  int ColumnAtPosition(int p) const override { return order.at(static_cast<size_t>(p)); }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  bool RowSelected(int r) const override { return selected.at(static_cast<size_t>(r)); }
  std::string Cell(int r, int c) const override {
    const Cells& row = rows.at(static_cast<size_t>(r));
    return static_cast<size_t>(c) < row.size() ? row[static_cast<size_t>(c)] : "";
  }
};

FakeList TenRows() {
  FakeList list;
  list.captions = {"Name", "Size", "Owner"};
  list.widths = {75, 40, 75};
  list.order = {0, 1, 2};
  for (int i = 0; i < 10; ++i) {
    list.rows.push_back({"P" + std::to_string(i), std::to_string(i * 10), "Race"});
    list.selected.push_back(i == 2 || i == 5 || i == 7);
  }
  return list;
}

TEST(ExportTable, SelectedRowsNumberedAndEveryRowWhenNoneIsSelected) {
  FakeList list = TenRows();
  test::RecordingUserInterface ui;
  TExportOptions options;
  options.SelectedRowsOnly = options.NumberRows = true;
  auto table = CollectExportTable(list, options, {}, ui);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->Header, (Cells{"Item", "Name", "Size", "Owner"}));
  ASSERT_EQ(table->Rows.size(), 3u);
  EXPECT_EQ(table->Rows[0], (Cells{"1", "P2", "20", "Race"}));
  EXPECT_EQ(table->Rows[2], (Cells{"3", "P7", "70", "Race"}));

  list.selected.assign(10, false);
  EXPECT_FALSE(CollectExportTable(list, options, {}, ui));
  EXPECT_EQ(ui.messages, Cells{"You must select at least one item to Export."});
  options.ExportAllWhenNoneSelected = true;
  ASSERT_TRUE(CollectExportTable(list, options, {}, ui));
  EXPECT_EQ(CollectExportTable(list, options, {}, ui)->Rows.size(), 10u);
}

TEST(ExportTable, DisplayOrderHiddenColumnsCaptionsAndMissingCells) {
  FakeList list = TenRows();
  list.order = {2, 0, 1};
  list.widths = {75, 0, 75};
  list.rows[0] = {"P0"};  // a row without its later cells keeps every cell in its column
  test::RecordingUserInterface ui;
  auto table = CollectExportTable(list, {}, {"Planet"}, ui);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->Header, (Cells{"Owner", "Planet"}));
  EXPECT_EQ(table->Rows[0], (Cells{"", "P0"}));
  TExportOptions all;
  all.ExportInvisibleCols = true;
  EXPECT_EQ(CollectExportTable(list, all, {}, ui)->Header, (Cells{"Owner", "Name", "Size"}));

  list.captions = {" ", "", " "};
  EXPECT_FALSE(CollectExportTable(list, all, {}, ui));
  list.rows.clear();
  EXPECT_FALSE(CollectExportTable(list, all, {}, ui));
  EXPECT_EQ(ui.messages,
            (Cells{"There is no Data to Export.\r\n\r\nPlease ensure your columns are visible and "
                   "have data.",
                   "There is no Data to Export."}));
}

// A CSV reader as a spreadsheet would read the file: quoted fields may hold commas, quotes
// (doubled) and line breaks; lines end with CR LF.
std::vector<Cells> ReadCsv(const std::string& text) {
  std::vector<Cells> rows;
  Cells row;
  std::string cell;
  bool quoted = false, inQuotes = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inQuotes) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        inQuotes = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      inQuotes = quoted = true;
    } else if (c == ',') {
      row.push_back(cell);
      cell.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(cell);
      rows.push_back(row);
      row.clear();
      cell.clear();
      quoted = false;
      ++i;
    } else {
      cell += c;
    }
  }
  EXPECT_FALSE(quoted && inQuotes) << "an open quote at the end";
  return rows;
}

std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// XML entities, and the "_xHHHH_" form that spreadsheets use for control characters.
std::string XmlUnescape(std::string_view s) {
  const std::pair<std::string_view, char> entities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}};
  std::string out;
  for (size_t i = 0; i < s.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : entities) {
      if (s.substr(i, entity.size()) == entity) {
        out += c, i += entity.size(), replaced = true;
        break;
      }
    }
    if (!replaced && s.substr(i, 4) == "_x00" && i + 7 <= s.size() && s[i + 6] == '_') {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 4, 2)), nullptr, 16));
      i += 7, replaced = true;
    }
    if (!replaced) out += s[i++];
  }
  return out;
}

// The text between `open` (up to its ">") and `close` at or after `from`; npos-safe.
std::string_view Between(std::string_view xml, std::string_view open, std::string_view close,
                         size_t& from) {
  const size_t start = xml.find(open, from);
  if (start == std::string_view::npos) return from = start, std::string_view();
  const size_t body = xml.find('>', start) + 1;
  const size_t end = xml.find(close, body);
  from = end + close.size();
  return xml.substr(body, end - body);
}

// The cells of the first sheet of an .xlsx, by reference ("B3"): strings as "s:<text>"
// (UTF-8), numbers as "n:<value>".
std::map<std::string, std::string> XlsxCells(const fs::path& file) {
  const std::string quoted = "'" + file.string() + "'";
  const std::string shared = RunCommand("unzip -p " + quoted + " xl/sharedStrings.xml");
  const std::string sheet = RunCommand("unzip -p " + quoted + " xl/worksheets/sheet1.xml");
  std::vector<std::string> strings;
  for (size_t at = 0; at != std::string::npos;) {
    const std::string_view text = Between(shared, "<t", "</t>", at);
    if (at != std::string::npos) strings.push_back(XmlUnescape(text));
  }
  std::map<std::string, std::string> cells;
  for (size_t at = 0; (at = sheet.find("<c r=\"", at)) != std::string::npos;) {
    const size_t refEnd = sheet.find('"', at + 6);
    const std::string ref = sheet.substr(at + 6, refEnd - at - 6);
    const std::string tag = sheet.substr(at, sheet.find('>', at) - at);
    if (tag.back() == '/') {  // a cell with a format and no value
      at += tag.size();
      continue;
    }
    const std::string value(Between(sheet, "<v", "</v>", at));
    cells[ref] = tag.find("t=\"s\"") != std::string::npos ? "s:" + strings.at(std::stoul(value))
                                                          : "n:" + value;
  }
  return cells;
}

// Cells that break naive writers, through every format. "\xC6" and "\xE9" are Æ and é in code
// page 1252.
TEST(ListExport, EveryFormatKeepsAwkwardCellsIntact) {
  TExportTable table;
  table.Header = {"Name", "Say", "Pair", "Tab", "Lines", "Letters", "Mass"};
  const Cells awkward{"<A&B>",      "say \"hi\"",        "x,y", "a\tb",
                      "one\r\ntwo", "\xC6gir \xE9t\xE9", "12.5"};
  table.Rows = {awkward, {"plain", "", "", "", "", "", "-3"}};
  TExportTexts texts;
  texts.Title = "Planets {1} & more";
  texts.Footer = "end";

  const std::string html = WriteExportText(TExportType::xHTML, table, texts);
  for (const char* shown : {"&lt;A&amp;B&gt;", "say &quot;hi&quot;", "one<br>two",
                            "&#198;gir &#233;t&#233;", "<title>Planets {1} &amp; more</title>"}) {
    EXPECT_NE(html.find(shown), std::string::npos) << shown;
  }
  EXPECT_EQ(html.find("<A&B>"), std::string::npos);
  EXPECT_EQ(html.find('\xC6'), std::string::npos);

  for (TExportType type : {TExportType::xRichText, TExportType::xMicrosoft_Word}) {
    const std::string rtf = WriteExportText(type, table, texts);
    for (const char* shown : {"\\'c6gir \\'e9t\\'e9", "a\\tab b", "one\\line two",
                              "Planets \\{1\\} & more", "\\ansicpg1252"}) {
      EXPECT_NE(rtf.find(shown), std::string::npos) << shown;
    }
    // Braces balance once the escaped ones are left out, so the document ends where it should.
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
      if (rtf[i] == '\\') {
        ++i;
        continue;
      }
      depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
      ASSERT_GE(depth, 0);
      if (depth == 0) {
        EXPECT_EQ(rtf.substr(i + 1), "\r\n");
        break;
      }
    }
    // Cell edges: (caption length + 5) * 90 twips, summed.
    EXPECT_NE(rtf.find("\\cellx810"), std::string::npos);
    EXPECT_NE(rtf.find("\\cellx1530"), std::string::npos);
    EXPECT_EQ(rtf.find('\xE9'), std::string::npos);
  }

  const std::vector<Cells> csv =
      ReadCsv(WriteExportText(TExportType::xText_Comma_Delimited, table, texts));
  ASSERT_EQ(csv.size(), 3u);
  EXPECT_EQ(csv[0], table.Header);
  EXPECT_EQ(csv[1], awkward);
  EXPECT_EQ(csv[2], table.Rows[1]);

  const std::string tsv = WriteExportText(TExportType::xText_Tab_Delimited, table, texts);
  EXPECT_NE(tsv.find("<A&B>\tsay \"hi\"\tx,y\ta b\tone  two\t\xC6gir \xE9t\xE9\t12.5\t\r\n"),
            std::string::npos);
  int lines = 0;
  for (char c : tsv) lines += c == '\n';
  EXPECT_EQ(lines, 3);

  test::TempDir dir;
  std::string error;
  ASSERT_TRUE(WriteXlsxFile(dir / "list.xlsx", table, texts, error)) << error;
  EXPECT_EQ(test::ReadFileBytes(dir / "list.xlsx").substr(0, 2), "PK");
  const auto cells = XlsxCells(dir / "list.xlsx");
  // Title, a blank row, the header in row 3, then the rows.
  EXPECT_EQ(cells.at("A1"), "s:Planets {1} & more");
  EXPECT_EQ(cells.at("A3"), "s:Name");
  EXPECT_EQ(cells.at("A4"), "s:<A&B>");
  EXPECT_EQ(cells.at("B4"), "s:say \"hi\"");
  EXPECT_EQ(cells.at("C4"), "s:x,y");
  EXPECT_EQ(cells.at("D4"), "s:a\tb");
  EXPECT_EQ(cells.at("E4"), "s:one\r\ntwo");
  EXPECT_EQ(cells.at("F4"), "s:\xC3\x86gir \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(cells.at("G4"), "n:12.5");
  EXPECT_EQ(cells.at("G5"), "n:-3");
  EXPECT_EQ(cells.count("B5"), 0u) << "an empty cell is left empty";
  EXPECT_FALSE(fs::exists(dir / "list.xlsx.tmp-xlsx"));
  EXPECT_FALSE(WriteXlsxFile(dir / "no-such-folder" / "x.xlsx", table, texts, error));
}

// A title with the picture codes "&G" or "&[Picture]" (doubled too) made the library take the
// page footer for a picture placeholder and free it twice. The footer shows the title as it is.
TEST(ListExport, SpreadsheetFooterTakesAnyTitle) {
  const TExportTable table{{"Name"}, {{"Alpha"}}};
  test::TempDir dir;
  for (const char* title : {"&G", "&[Picture]", "&&G", "a&g&[picture]&", "Fleet &G &[Picture] &&&G",
                            "Planets & more", "&"}) {
    SCOPED_TRACE(title);
    TExportTexts texts;
    texts.Title = title;
    std::string error;
    ASSERT_TRUE(WriteXlsxFile(dir / "list.xlsx", table, texts, error)) << error;
    const std::string sheet =
        RunCommand("unzip -p '" + (dir / "list.xlsx").string() + "' xl/worksheets/sheet1.xml");
    size_t at = 0;
    const std::string footer = XmlUnescape(Between(sheet, "<oddFooter", "</oddFooter>", at));
    EXPECT_EQ(footer.find("&G"), std::string::npos);
    EXPECT_EQ(footer.find("&[Picture]"), std::string::npos);
    // Read as the spreadsheet reads it: "&&" is one "&", the zero-width space shows nothing.
    std::string shown;
    for (size_t i = 0; i < footer.size(); ++i) {
      if (footer.compare(i, 3, "\xE2\x80\x8B") == 0) {
        i += 2;
      } else {
        shown += footer[i];
        if (footer.compare(i, 2, "&&") == 0) ++i;
      }
    }
    EXPECT_EQ(shown, "&L" + std::string(title) + "&RPage &P of &N");
  }
}

TEST(ListExport, TextLayoutsAndCsvQuoting) {
  TExportTable table{{"Name", "", "Size"}, {{"Alpha", "x", "3"}}};
  TExportTexts texts;
  texts.Title = "List";
  texts.TimeStamp = "06.12.2026 10:00";
  EXPECT_EQ(WriteExportText(TExportType::xText, table, texts),
            "List\r\n" + std::string(80, '-') +
                "\r\n\r\nCreated: 06.12.2026 10:00\r\n\r\nName: Alpha\r\nx\r\nSize: 3\r\n\r\n");
  EXPECT_EQ(WriteExportText(TExportType::xClipboard, table, texts),
            WriteExportText(TExportType::xText, table, texts));
  // No header text: no "<br><br>".
  EXPECT_EQ(WriteExportText(TExportType::xHTML, table, texts).find("<br><br>"), std::string::npos);
  EXPECT_EQ(CsvLine({"a b", "x,y", "say \"hi\"", "plain"}),
            "\"a b\",\"x,y\",\"say \"\"hi\"\"\",plain");
  EXPECT_EQ(CsvLine({""}), "\"\"");
  EXPECT_EQ(CsvLine({"", ""}), ",");
}

// The progress window moves every rows div 25 + 1 rows, its bar never past the maximum; a
// negative count (rows not known beforehand) counts in text, every row, and never divides by 0.
TEST(ExportProgress, StepsBarAndTextMode) {
  struct Case {
    int rows, step, maximum;
    bool text;
  };
  for (const Case& c : {Case{0, 1, 0, false}, Case{24, 1, 24, false}, Case{25, 2, 12, false},
                        Case{100, 5, 20, false}, Case{10000, 401, 24, false}, Case{-1, 1, 0, true},
                        Case{-30, 1, 0, true}, Case{-100, 1, 0, true}}) {
    SCOPED_TRACE(c.rows);
    const TExportProgressSteps steps(c.rows);
    EXPECT_EQ(steps.Step, c.step);
    EXPECT_EQ(steps.Maximum, c.maximum);
    EXPECT_EQ(steps.TextMode, c.text);
  }
  const TExportProgressSteps hundred(100);
  EXPECT_FALSE(hundred.Due(3));
  EXPECT_TRUE(hundred.Due(10));
  EXPECT_EQ(hundred.BarValue(10), 2);
  EXPECT_EQ(hundred.BarValue(500), 20);
  EXPECT_EQ(ExportProgressText(kExportCountingFormat, 7, 1.5), "7 Items Exported in 1.50 Seconds.");
}

TEST(ExportTempFolder, FilesLiveInOnePrivateFolderThatGoesAway) {
  test::TempDir base;
  const fs::path neighbour = base / "exp1.htm";  // someone else's file, never touched
  {
    std::FILE* f = std::fopen(neighbour.c_str(), "w");
    std::fclose(f);
  }
  fs::path folder, file;
  {
    TExportTempFolder temp(base.path());
    EXPECT_TRUE(temp.Folder().empty());
    file = temp.NewFile("htm");
    folder = temp.Folder();
    EXPECT_EQ(file.parent_path(), folder);
    EXPECT_EQ(folder.filename().string().rfind("tovix-export-", 0), 0u);
    EXPECT_NE(temp.NewFile("htm"), file);
    {
      std::FILE* f = std::fopen(file.c_str(), "w");
      std::fclose(f);
    }
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::others_all, fs::perms::none);
  }
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(fs::exists(neighbour));
}

}  // namespace
}  // namespace tovix
