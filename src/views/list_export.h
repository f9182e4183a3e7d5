#pragma once
// Export of a list: the rows and columns wanted (all or the selected rows, the visible columns
// in display order, optional row numbers) and the writers of the text formats. Every writer
// escapes what it writes: HTML entities, RTF control words with \'hh for code page 1252, CSV
// quoting, tab-separated cells without tabs or line breaks. Cells are 8-bit text (code page
// 1252), as everywhere in the program.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_interface.h"

namespace tovix {

enum class TExportType {
  xHTML,
  xMicrosoft_Word,
  xMicrosoft_Excel,
  xText,
  xRichText,
  xText_Comma_Delimited,
  xText_Tab_Delimited,
  xClipboard
};
constexpr int kExportTypeCount = 8;

struct TExportTypeInfo {
  const char* DisplayName;
  const char* Extension;  // "" for the clipboard
};
// "HTML" htm, "Microsoft Word" doc (rich text), "Microsoft Excel" xlsx, "Text" txt, "Rich Text"
// rtf, "Comma-Delimited Text" csv, "Tab-Delimited Text" txt, "Clipboard".
const TExportTypeInfo& ExportTypeInfo(TExportType type);

struct TExportOptions {
  bool ExportAllWhenNoneSelected = false;
  bool ExportInvisibleCols = false;
  bool NumberRows = false;
  bool SelectedRowsOnly = false;
  bool ShowClipboardMsg = false;
  bool ShowProgress = false;
  bool TimeStamp = false;
};

// The list being exported, as the list control shows it.
class IExportSource {
 public:
  virtual ~IExportSource() = default;
  virtual int ColumnCount() const = 0;
  virtual std::string ColumnCaption(int column) const = 0;
  virtual int ColumnWidth(int column) const = 0;
  // The column shown at display position `position`.
  virtual int ColumnAtPosition(int position) const = 0;
  virtual int RowCount() const = 0;
  virtual bool RowSelected(int row) const = 0;
  virtual std::string Cell(int row, int column) const = 0;
};

// Texts around the table. `TimeStamp` is the date and time to show ("" for none); `Captions`
// replaces the column captions by column index where it has that many lines.
struct TExportTexts {
  std::string Title;
  std::string Header;
  std::string Footer;
  std::string TimeStamp;
  std::vector<std::string> Captions;
};

struct TExportTable {
  std::vector<std::string> Header;
  std::vector<std::vector<std::string>> Rows;
};

// The rows and columns to export, or nullopt after telling the user why there are none.
// Columns: in display order, those wider than 0 (all with ExportInvisibleCols). Rows: the
// selected ones with SelectedRowsOnly (all when none is selected and ExportAllWhenNoneSelected
// is set). NumberRows puts "Item" and the row number 1, 2, ... first. Every row has a cell
// under every caption.
std::optional<TExportTable> CollectExportTable(const IExportSource& source,
                                               const TExportOptions& options,
                                               const std::vector<std::string>& captions,
                                               UserInterface& ui);

// Called after each row written with the number of rows written so far.
using TExportProgress = std::function<void(int rows)>;

// The counting of the progress window: it moves every Step rows (rows div 25 + 1), a bar up to
// Maximum (rows div Step). A negative count (rows not known beforehand) shows a text instead of
// the bar: the counting format filled with the rows written and the seconds since the start.
inline constexpr std::string_view kExportCountingFormat = "%d Items Exported in %.2f Seconds.";
struct TExportProgressSteps {
  explicit TExportProgressSteps(int rows);
  int Step = 1;  // never below 1, whatever the count
  int Maximum = 0;
  bool TextMode = false;
  // The window moves after row `row`.
  bool Due(int row) const { return row % Step == 0; }
  // The bar's value after row `row`, never past the maximum.
  int BarValue(int row) const;
};
std::string ExportProgressText(std::string_view countingFormat, int row, double seconds);

// The file (or clipboard) text of every type but the spreadsheet, lines ending CR LF.
std::string WriteExportText(TExportType type, const TExportTable& table, const TExportTexts& texts,
                            const TExportProgress& progress = nullptr);

// The single escapes, for callers and tests.
std::string HtmlEscape(std::string_view text);
std::string RtfEscape(std::string_view text);
std::string CsvLine(const std::vector<std::string>& cells);
std::string TsvCell(std::string_view text);

// Code page 1252 byte to Unicode code point.
char32_t Cp1252ToUnicode(unsigned char c);
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace tovix
