#pragma once
// The spreadsheet export: an .xlsx workbook of one sheet, written with libxlsxwriter. Title
// rows in bold underlined Arial, the time stamp and header text in italics, a bold, filled and
// bordered header row that repeats on every printed page, the rows (a cell that is a whole
// number in the plain form is written as a number), the footer in italics, column widths from
// the longest cell, and the page footer "<title>" left and "Page &P of &N" right.

#include <filesystem>
#include <string>

#include "views/list_export.h"

namespace tovix {

// Writes the workbook to a temporary file beside `file` and renames it over `file`. False with
// `error` set when the file cannot be written; `file` is then left as it was.
bool WriteXlsxFile(const std::filesystem::path& file, const TExportTable& table,
                   const TExportTexts& texts, std::string& error,
                   const TExportProgress& progress = nullptr);

}  // namespace tovix
