#include "views/xlsx_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <system_error>

#include "core/text/str_utils.h"
#include "views/cell_compare.h"

namespace tovix {

namespace {

// "&" starts a control code in page headers and footers, so a "&" of the text is doubled. The
// library also looks for the picture codes "&G" and "&[Picture]" anywhere in the string, the
// doubled "&" included, and fails on a footer that names a picture it was not given (freeing
// the footer twice), so a zero-width space keeps such a "&" apart from what follows it.
std::string FooterText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] != '&') continue;
    out += '&';
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (next == 'G' || next == 'g' || next == '[') out += "\xE2\x80\x8B";
  }
  return out;
}

class Workbook {
 public:
  explicit Workbook(const std::string& file) : book_(workbook_new(file.c_str())) {}
  ~Workbook() {
    if (book_) workbook_close(book_);  // only after a failure: Close() clears book_
  }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;
  lxw_workbook* get() const { return book_; }
  lxw_error Close() {
    lxw_workbook* book = book_;
    book_ = nullptr;
    return workbook_close(book);
  }

 private:
  lxw_workbook* book_;
};

}  // namespace

bool WriteXlsxFile(const std::filesystem::path& file, const TExportTable& table,
                   const TExportTexts& texts, std::string& error, const TExportProgress& progress) {
  namespace fs = std::filesystem;
  const fs::path temp = file.string() + ".tmp-xlsx";
  {
    Workbook book(temp.string());
    if (!book.get()) {
      error = "Cannot create " + temp.string();
      return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), nullptr);
    lxw_format* titleFormat = workbook_add_format(book.get());
    format_set_font_name(titleFormat, "Arial");
    format_set_bold(titleFormat);
    format_set_underline(titleFormat, LXW_UNDERLINE_SINGLE);
    format_set_font_size(titleFormat, 14);
    lxw_format* italic = workbook_add_format(book.get());
    format_set_italic(italic);
    lxw_format* headFormat = workbook_add_format(book.get());
    format_set_bold(headFormat);
    format_set_bg_color(headFormat, 0xC0C0C0);
    format_set_border(headFormat, LXW_BORDER_THIN);
    lxw_format* cellFormat = workbook_add_format(book.get());
    format_set_text_wrap(cellFormat);
    format_set_align(cellFormat, LXW_ALIGN_VERTICAL_TOP);

    worksheet_gridlines(sheet, LXW_HIDE_ALL_GRIDLINES);
    lxw_row_t row = 0;
    auto text = [&](lxw_col_t col, std::string_view s, lxw_format* format) {
      worksheet_write_string(sheet, row, col, Cp1252ToUtf8(s).c_str(), format);
    };
    if (!TrimView(texts.Title).empty()) text(0, texts.Title, titleFormat), ++row;
    if (!texts.TimeStamp.empty()) text(0, "Created: " + texts.TimeStamp, italic), ++row;
    if (!TrimView(texts.Header).empty()) text(0, texts.Header, italic), ++row;
    if (row > 0) ++row;

    std::vector<size_t> widths(table.Header.size(), 0);
    const lxw_row_t headerRow = row;
    for (size_t c = 0; c < table.Header.size(); ++c) {
      text(static_cast<lxw_col_t>(c), table.Header[c], headFormat);
      widths[c] = table.Header[c].size();
    }
    ++row;
    for (size_t r = 0; r < table.Rows.size(); ++r, ++row) {
      const auto& cells = table.Rows[r];
      for (size_t c = 0; c < cells.size(); ++c) {
        double number = 0;
        if (ParseWholeNumber(cells[c], number)) {
          worksheet_write_number(sheet, row, static_cast<lxw_col_t>(c), number, cellFormat);
        } else if (!cells[c].empty()) {
          text(static_cast<lxw_col_t>(c), cells[c], cellFormat);
        }
        if (c < widths.size()) widths[c] = std::max(widths[c], cells[c].size());
      }
      if (progress) progress(static_cast<int>(r + 1));
    }
    if (!TrimView(texts.Footer).empty()) {
      ++row;
      text(0, texts.Footer, italic);
    }
    for (size_t c = 0; c < widths.size(); ++c) {
      const double width = static_cast<double>(std::min<size_t>(widths[c], 60) + 2);
      worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), width,
                           nullptr);
    }
    worksheet_repeat_rows(sheet, headerRow, headerRow);
    worksheet_set_footer(
        sheet, ("&L" + FooterText(Cp1252ToUtf8(texts.Title)) + "&RPage &P of &N").c_str());
    const lxw_error closed = book.Close();
    if (closed != LXW_NO_ERROR) {
      error = lxw_strerror(closed);
      std::error_code ignored;
      fs::remove(temp, ignored);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, file, ec);
  if (ec) {
    error = ec.message();
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace tovix
