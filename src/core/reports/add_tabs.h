#pragma once
// Repair of turn reports whose section headers lack their tab marks. The report reader finds
// sections by the tabs in front of their header lines; some mail programs and editors strip
// them. A header line is marked again with two tabs in front of the trimmed line.

#include <filesystem>
#include <string>
#include <string_view>

namespace tovix {

// The lines that count as section headers of a report (default syntax options).
extern const std::string_view kSectionHeadingPattern;

// The extension of the untouched copy kept beside a repaired report.
inline constexpr std::string_view kTabBackupExtension = ".TabBackup";

// Returns `text` with every no-break space (byte 160, or the UTF-8 pair C2 A0) turned into a
// blank and every line that matches kSectionHeadingPattern replaced by two tabs and the
// trimmed line. Line ends (CR LF, LF or CR) stay as they are. Applying it twice changes
// nothing more: a marked line no longer matches.
std::string AddTabsToText(std::string_view text);

// AddTabsToText on a report file. Nothing happens when the file does not exist or the repair
// changes nothing; otherwise WriteTabRepair writes it. Throws EFileError when a file cannot be
// read or written; the report is then unchanged.
void AddTabs(const std::filesystem::path& file);

// Replaces the report `file`, which holds `asItCame`, by `repaired`. Before the first repair the
// report as it came is copied to file + ".TabBackup"; an existing backup is never overwritten,
// so it keeps the report as it first came. The file is replaced atomically and keeps its mode,
// a read-only flag included. Throws EFileError when a file cannot be written; the report is
// then unchanged.
void WriteTabRepair(const std::filesystem::path& file, std::string_view asItCame,
                    std::string_view repaired);

}  // namespace tovix
