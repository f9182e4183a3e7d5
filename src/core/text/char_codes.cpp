#include "core/text/char_codes.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tovix {

namespace {

// Windows-1252 characters 0x80..0x9F; 0 marks the five codes the code page leaves undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

const char* PageName(TCodePage page) {
  return page == TCodePage::Latin1 ? "Latin-1" : "Windows-1252";
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  // A lone surrogate is no character; like a code beyond the last, it stands as U+FFFD.
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char32_t CodePageChar(unsigned char b, TCodePage page) {
  if (page == TCodePage::Windows1252 && b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0)
    return kCp1252High[b - 0x80];
  return b;
}

std::optional<char> CodePageByte(char32_t c, TCodePage page) {
  if (page == TCodePage::Latin1) {
    if (c <= 0xFF) return static_cast<char>(c);
    return std::nullopt;
  }
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    const char32_t mapped = kCp1252High[i] != 0 ? kCp1252High[i] : static_cast<char32_t>(0x80 + i);
    if (mapped == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

std::string CharCodeText(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  return code;
}

std::string UnheldCharsText(std::u32string_view text, TCodePage page) {
  std::vector<char32_t> named;
  std::string out;
  for (char32_t c : text) {
    if (CodePageByte(c, page) || std::find(named.begin(), named.end(), c) != named.end()) continue;
    named.push_back(c);
    if (!out.empty()) out += ", ";
    // A lone surrogate or a code beyond Unicode cannot be shown: its code alone names it.
    if (!(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF) {
      AppendUtf8(out, c);
      out += " (" + CharCodeText(c) + ")";
    } else {
      out += CharCodeText(c);
    }
  }
  return out;
}

std::optional<std::string> EncodeWhole(std::u32string_view text, TCodePage page) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    const std::optional<char> b = CodePageByte(c, page);
    if (!b) return std::nullopt;
    out.push_back(*b);
  }
  return out;
}

std::u32string DecodeBytes(std::string_view bytes, TCodePage page) {
  std::u32string out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(CodePageChar(static_cast<unsigned char>(b), page));
  return out;
}

std::string UnheldCharsMessage(const TTextTarget& target, std::string_view names,
                               std::string_view then) {
  return std::string(target.What) + " cannot go into " + std::string(target.Where) +
         ": it holds characters that " + PageName(target.Page) + " text cannot hold:\r" +
         std::string(names) + "\r" + std::string(then);
}

}  // namespace tovix
