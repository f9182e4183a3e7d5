#include "core/reports/add_tabs.h"

#include <system_error>

#include "core/regex/regex.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"

namespace tovix {

const std::string_view kSectionHeadingPattern =
    "(^ *Galaxy Game \\w+ \\w+ \\w+ \\w+)|(^ *Status of Players)|(^ *Your Ship Types)|(^ *\\w+ "
    "+Ship Types)|(^ *Battle at \\w+)|(^ *Your Routes)|(^ *\\w+ +Groups)|(^ *Bombings)|(^ "
    "*Unidentified Planets)|(^ *\\w+ +Planets)|(^ *Uninhabited Planets)|(^ *Fleet)|(^ *Your "
    "Systems)|(^ *Blind Galaxy game \\w+ Report for \\w+)|(^ *Ships in Production)|(^ "
    "*Uninhabited Systems)|(^ *Options:)|(^ *Unknown Systems)|(^ *\\w+ +Systems)|(^ "
    "*GalaxyNG-Blind Game \\w+ \\w+ \\w+ \\w+)|(^ *Ships In Production)|(^ *Bulletins for "
    "Galaxy Game)|(^ *Your Options)|(^ *Your Planets)|(^ *Your Groups)|(^ *Incoming Groups)";

namespace {

// The UTF-8 pair first, or its lead byte would be left behind.
std::string BlankNoBreakSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0) {
      out += ' ';
      ++i;
    } else {
      out += c == 0xA0 ? ' ' : text[i];
    }
  }
  return out;
}

}  // namespace

std::string AddTabsToText(std::string_view text) {
  const std::string plain = BlankNoBreakSpaces(text);
  TznreExpr heading;
  heading.SetPattern(kSectionHeadingPattern);
  std::string out;
  out.reserve(plain.size() + 64);
  // Line by line; each line keeps its own end (CR LF, LF or CR), or none at the very end.
  size_t start = 0;
  while (start < plain.size()) {
    size_t end = plain.find_first_of("\r\n", start);
    if (end == std::string::npos) end = plain.size();
    size_t next = end;
    if (next < plain.size())
      next += (plain[next] == '\r' && next + 1 < plain.size() && plain[next + 1] == '\n') ? 2 : 1;
    const std::string_view line(plain.data() + start, end - start);
    heading.SetStr(line);
    // Only a result above 0 is a match: an empty line gives 0.
    if (heading.Search(1) > 0) {
      out += "\t\t";
      out += Trim(line);
    } else {
      out += line;
    }
    out.append(plain, end, next - end);
    start = next;
  }
  return out;
}

void AddTabs(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return;
  const std::string asItCame = LoadFileToString(file);
  const std::string repaired = AddTabsToText(asItCame);
  // Nothing to mend: nothing is written, not even a backup.
  if (repaired != asItCame) WriteTabRepair(file, asItCame, repaired);
}

void WriteTabRepair(const std::filesystem::path& file, std::string_view asItCame,
                    std::string_view repaired) {
  std::error_code ec;
  std::filesystem::path backup = file;
  backup += std::string(kTabBackupExtension);
  if (!std::filesystem::exists(backup, ec)) WriteFileAtomically(backup, asItCame);
  // The user's read-only report is repaired and stays read-only.
  const bool readOnly = IsReadOnly(file);
  if (readOnly) SetReadOnly(file, false);
  try {
    WriteFileAtomically(file, repaired);
  } catch (...) {
    if (readOnly) SetReadOnly(file, true);
    throw;
  }
  if (readOnly) SetReadOnly(file, true);
}

}  // namespace tovix
