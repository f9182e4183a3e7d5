#include "core/settings/game_variant.h"

#include <exception>

#include "core/regex/regex.h"
#include "core/text/file_utils.h"
#include "core/text/str_parse.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

constexpr std::string_view kAnyHeaderPattern =
    "(^\\W*Galaxy Game \\w+ \\w+ \\w+ \\w+)|(^\\W*Blind Galaxy game)|"
    "(^\\W*\\w+ Report for Galaxy PLUS)|(^\\W*GalaxyNG-Blind Game)";
constexpr std::string_view kGalaxyGamePattern = "(^\\W*Galaxy Game \\w+ \\w+ \\w+ \\w+)";
constexpr std::string_view kBlindPattern = "(^\\W*Blind Galaxy game)";
constexpr std::string_view kPlusPattern = "(^\\W*\\w+ Report for Galaxy PLUS)";
constexpr std::string_view kNGBlindPattern = "(^\\W*GalaxyNG-Blind Game)";
constexpr std::string_view kNGReleasePattern = "^\\W*GalaxyNG release";
constexpr std::string_view kNTReleasePattern = "^\\W*GalaxyNT release";

// One compiled pattern; Matches is true when the pattern occurs anywhere in the text.
class TPattern {
 public:
  explicit TPattern(std::string_view pattern) { expr_.SetPattern(pattern); }
  bool Matches(std::string_view text) {
    expr_.SetStr(text);
    return expr_.Search(1) > 0;
  }

 private:
  TznreExpr expr_;
};

// The line with no-break spaces turned into blanks, the UTF-8 form first so that no stray
// lead byte stays behind, then trimmed.
std::string CleanLine(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (size_t i = 0; i < line.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == 0xC2 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) == 0xA0) {
      out += ' ';
      ++i;
    } else if (c == 0xA0) {
      out += ' ';
    } else {
      out += static_cast<char>(c);
    }
  }
  return Trim(out);
}

// Index of the last entry equal to `name` ignoring case, or 0.
template <size_t N>
size_t LastIndexOf(const std::array<std::string_view, N>& names, std::string_view name) {
  size_t index = 0;
  for (size_t i = 0; i < N; ++i)
    if (SameText(names[i], name)) index = i;
  return index;
}

}  // namespace

std::string_view GameTypeName(TGameType type) {
  size_t i = static_cast<size_t>(type);
  return i < kGameTypeNames.size() ? kGameTypeNames[i] : kGameTypeNames[0];
}

std::string_view MapTypeName(TMapType type) {
  size_t i = static_cast<size_t>(type);
  return i < kMapTypeNames.size() ? kMapTypeNames[i] : kMapTypeNames[0];
}

TGameType GameTypeFromName(std::string_view name) {
  return static_cast<TGameType>(LastIndexOf(kGameTypeNames, name));
}

TMapType MapTypeFromName(std::string_view name) {
  return static_cast<TMapType>(LastIndexOf(kMapTypeNames, name));
}

TGameType DetectGameTypeFromLines(const std::vector<std::string>& lines, std::string& headerLine) {
  headerLine.clear();
  TPattern anyHeader(kAnyHeaderPattern);
  std::vector<std::string> cleaned;
  cleaned.reserve(lines.size());
  for (const std::string& line : lines) cleaned.push_back(CleanLine(line));

  const std::string* header = nullptr;
  for (const std::string& line : cleaned)
    if (!line.empty() && anyHeader.Matches(line)) {
      header = &line;
      break;
    }
  if (header == nullptr) return TGameType::Unknown;
  headerLine = *header;

  if (!TPattern(kGalaxyGamePattern).Matches(*header)) {
    if (TPattern(kBlindPattern).Matches(*header)) return TGameType::Blind;
    if (TPattern(kPlusPattern).Matches(*header)) return TGameType::Plus;
    if (TPattern(kNGBlindPattern).Matches(*header)) return TGameType::NGBlind;
    return TGameType::Unknown;
  }

  TPattern ngRelease(kNGReleasePattern);
  for (const std::string& line : cleaned)
    if (!line.empty() && ngRelease.Matches(line)) return TGameType::NG;
  TPattern ntRelease(kNTReleasePattern);
  for (const std::string& line : cleaned)
    if (!line.empty() && ntRelease.Matches(line)) return TGameType::NT;
  return TGameType::Normal;
}

TGameType DetectGameType(const std::filesystem::path& fileName) {
  try {
    std::string text = LoadFileToString(fileName);
    NormalizeLineEnds(text);  // every line end becomes CR LF, no-break spaces blanks
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        if (start < text.size()) lines.emplace_back(text, start);
        break;
      }
      lines.emplace_back(text, start, end - start);
      start = end + 2;
    }
    std::string header;
    return DetectGameTypeFromLines(lines, header);
  } catch (const std::exception&) {
    return TGameType::Unknown;
  }
}

}  // namespace tovix
