#include "editors/code_pages.h"

#include "editors/code_page_tables.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace tovix {

namespace {

struct CodePageCharset {
  int code_page;
  int charset;
};

constexpr CodePageCharset kCharsets[] = {
    {1252, 0},   {1250, 238}, {1251, 204}, {1253, 161}, {1254, 162}, {1255, 177}, {1256, 178},
    {1257, 186}, {1258, 163}, {874, 222},  {932, 128},  {936, 134},  {949, 129},  {950, 136},
};

bool IsKnownCodePage(int code_page) {
  for (const auto& entry : kCharsets)
    if (entry.code_page == code_page) return true;
  return false;
}

bool IsDoubleBytePage(int code_page) {
  return code_page == 932 || code_page == 936 || code_page == 949 || code_page == 950;
}

std::string IconvName(int code_page) {
  return "CP" + std::to_string(code_page);
}

}  // namespace

int CodePageFromLocale(TLanguage locale) {
  const int primary = locale & 0x3FF;
  const int sub = locale >> 10;
  switch (primary) {
    case 0x05:
    case 0x0E:
    case 0x15:
    case 0x18:
    case 0x1B:
    case 0x1C:
    case 0x24:
      return 1250;
    case 0x1A:  // Croatian, Serbian and Bosnian: the Cyrillic forms use 1251
      return (locale == 0x0C1A || locale == 0x1C1A || locale == 0x201A) ? 1251 : 1250;
    case 0x02:
    case 0x19:
    case 0x22:
    case 0x23:
    case 0x2F:
    case 0x3F:
    case 0x40:
    case 0x44:
    case 0x50:
      return 1251;
    case 0x08:
      return 1253;
    case 0x1F:
      return 1254;
    case 0x2C:
    case 0x43:  // Azeri and Uzbek: Latin 1254, Cyrillic 1251
      return sub == 2 ? 1251 : 1254;
    case 0x0D:
      return 1255;
    case 0x01:
    case 0x20:
    case 0x29:
      return 1256;
    case 0x25:
    case 0x26:
    case 0x27:
      return 1257;
    case 0x2A:
      return 1258;
    case 0x1E:
      return 874;
    case 0x11:
      return 932;
    case 0x12:
      return 949;
    case 0x04:
      return (sub == 2 || sub == 4) ? 936 : 950;
    default:
      return 1252;
  }
}

int CharsetFromLocale(TLanguage locale) {
  return CharsetFromCodePage(CodePageFromLocale(locale));
}

int CharsetFromCodePage(int code_page) {
  for (const auto& entry : kCharsets)
    if (entry.code_page == code_page) return entry.charset;
  return 0;
}

int CodePageFromCharset(int charset) {
  for (const auto& entry : kCharsets)
    if (entry.charset == charset) return entry.code_page;
  return 0;
}

std::u16string AnsiToWide(std::string_view text, int code_page) {
  std::u16string out;
  if (text.empty()) return out;
  CodePage(code_page).Decode(text, out);
  return out;
}

std::string WideToAnsi(std::u16string_view text, int code_page) {
  std::string out;
  if (text.empty()) return out;
  const CodePage page(code_page);
  for (char16_t c : text)
    if (!page.EncodeChar(c, out)) out += '?';
  return out;
}

// --- CodePage ---

struct CodePage::Converter {
  iconv_t to_wide = reinterpret_cast<iconv_t>(-1);
  iconv_t from_wide = reinterpret_cast<iconv_t>(-1);
  ~Converter() {
    if (to_wide != reinterpret_cast<iconv_t>(-1)) iconv_close(to_wide);
    if (from_wide != reinterpret_cast<iconv_t>(-1)) iconv_close(from_wide);
  }
};

namespace {

// Runs one conversion; false when the converter rejects the input.
bool Convert(iconv_t cd, const char* in, size_t in_size, std::vector<char>& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.assign(in_size * 4 + 16, 0);
  char* in_ptr = const_cast<char*>(in);
  char* out_ptr = out.data();
  size_t out_left = out.size();
  if (iconv(cd, &in_ptr, &in_size, &out_ptr, &out_left) == static_cast<size_t>(-1)) return false;
  if (iconv(cd, nullptr, nullptr, &out_ptr, &out_left) == static_cast<size_t>(-1)) return false;
  out.resize(out.size() - out_left);
  return true;
}

}  // namespace

CodePage::CodePage(int code_page) : number_(IsKnownCodePage(code_page) ? code_page : 1252) {
  double_byte_ = IsDoubleBytePage(number_);
  for (int b = 0; b < 128; ++b) to_wide_[b] = static_cast<char16_t>(b);
  for (int b = 128; b < 256; ++b) to_wide_[b] = 0xFFFF;
  if (double_byte_) {
    converter_ = std::make_unique<Converter>();
    converter_->to_wide = iconv_open("UTF-16LE", IconvName(number_).c_str());
    converter_->from_wide = iconv_open(IconvName(number_).c_str(), "UTF-16LE");
    return;
  }
  for (const auto& half : code_page_tables::kUpperHalves)
    if (half.code_page == number_)
      for (int b = 128; b < 256; ++b) to_wide_[b] = half.chars[b - 128];
  for (int b = 128; b < 256; ++b)
    if (to_wide_[b] != 0xFFFF) to_byte_.emplace_back(to_wide_[b], static_cast<unsigned char>(b));
  std::sort(to_byte_.begin(), to_byte_.end());
}

CodePage::~CodePage() = default;

void CodePage::Decode(std::string_view bytes, std::u16string& out) const {
  if (!double_byte_) {
    for (char b : bytes) {
      const char16_t c = to_wide_[static_cast<unsigned char>(b)];
      out += c == 0xFFFF ? u'\uFFFD' : c;
    }
    return;
  }
  // Double-byte page: lead bytes pair with the next byte; each piece converts alone so that
  // one bad pair costs one replacement character.
  std::vector<char> wide;
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    size_t len = i + 1 < bytes.size() ? 2 : 1;
    if (Convert(converter_->to_wide, bytes.data() + i, len, wide) && wide.size() == 2) {
      out += static_cast<char16_t>(static_cast<unsigned char>(wide[0]) |
                                   (static_cast<unsigned char>(wide[1]) << 8));
    } else if (len == 2 && Convert(converter_->to_wide, bytes.data() + i, 1, wide) &&
               wide.size() == 2) {
      len = 1;  // a single-byte character of the page (Shift-JIS katakana)
      out += static_cast<char16_t>(static_cast<unsigned char>(wide[0]) |
                                   (static_cast<unsigned char>(wide[1]) << 8));
    } else {
      out += u'\uFFFD';
    }
    i += len;
  }
}

bool CodePage::EncodeChar(char16_t c, std::string& out) const {
  if (c < 0x80) {
    out += static_cast<char>(c);
    return true;
  }
  if (!double_byte_) {
    // Undefined bytes (0xFFFF in the table) are never in this list, so U+FFFF has no byte.
    const auto it = std::lower_bound(to_byte_.begin(), to_byte_.end(),
                                     std::pair<char16_t, unsigned char>(c, 0));
    if (it == to_byte_.end() || it->first != c) return false;
    out += static_cast<char>(it->second);
    return true;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return false;  // half of a pair: never encodable alone
  const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  std::vector<char> bytes;
  if (!Convert(converter_->from_wide, in, 2, bytes) || bytes.empty()) return false;
  // The system's converter maps some characters to the bytes of a look-alike (code page 932
  // writes the yen sign as "\" and the em dash as the bytes of the horizontal bar): only bytes
  // that read back as the same character count.
  std::u16string back;
  Decode(std::string_view(bytes.data(), bytes.size()), back);
  if (back.size() != 1 || back[0] != c) return false;
  out.append(bytes.data(), bytes.size());
  return true;
}

}  // namespace tovix
