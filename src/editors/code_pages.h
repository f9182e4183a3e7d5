#pragma once
// Languages, code pages and character sets, and conversion between 8-bit and wide text. The
// rich-text control converts its 8-bit text with the code page of its language; the RTF reader
// and writer use the code page of each font's character set.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovix {

// A 16-bit locale identifier (primary language in the low 10 bits).
using TLanguage = std::uint16_t;

// The locale's default 8-bit code page; 1252 for a locale the table does not know.
int CodePageFromLocale(TLanguage locale);
// The character set of the locale's code page (0 for 1252).
int CharsetFromLocale(TLanguage locale);
// Character set of a code page (0 when unknown) and the code page of a character set (0 when
// the set names none, as the default set 1 and the symbol set 2 do).
int CharsetFromCodePage(int code_page);
int CodePageFromCharset(int charset);

// Conversion of whole texts; an empty text gives an empty result. Bytes or characters that the
// code page cannot represent become "?" (8-bit) or U+FFFD (wide). An unsupported code page
// converts as 1252.
std::u16string AnsiToWide(std::string_view text, int code_page);
std::string WideToAnsi(std::u16string_view text, int code_page);

// One code page, ready for repeated use: single-byte pages convert through tables, the
// double-byte pages (932, 936, 949, 950) through the system converter.
class CodePage {
 public:
  explicit CodePage(int code_page);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  int Number() const { return number_; }
  bool IsDoubleByte() const { return double_byte_; }
  // Appends the wide text of `bytes` to `out`.
  void Decode(std::string_view bytes, std::u16string& out) const;
  // Appends the bytes of one character to `out`; false (and nothing appended) when the page
  // has no such character, or only bytes that read back as another one.
  bool EncodeChar(char16_t c, std::string& out) const;

 private:
  struct Converter;
  int number_;
  bool double_byte_ = false;
  char16_t to_wide_[256] = {};  // single byte -> character, 0xFFFF when undefined
  // The upper half's characters with their bytes, sorted by character (single-byte pages).
  std::vector<std::pair<char16_t, unsigned char>> to_byte_;
  std::unique_ptr<Converter> converter_;  // double-byte pages only
};

}  // namespace tovix
