#include "editors/text_codec.h"

#include "core/text/char_codes.h"

namespace tovix {

namespace {

TEditChar Cp1252Char(unsigned char b) {
  return CodePageChar(b, TCodePage::Windows1252);
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A character the code page cannot hold becomes "?", counted in `lost`.
std::string EditToCodePage(TEditStringView text, TCodePage page, size_t* lost) {
  std::string out;
  out.reserve(text.size());
  size_t missing = 0;
  for (TEditChar c : text) {
    const std::optional<char> b = CodePageByte(c, page);
    if (!b) ++missing;
    out.push_back(b.value_or('?'));
  }
  if (lost != nullptr) *lost = missing;
  return out;
}

}  // namespace

TEditString Windows1252ToEdit(std::string_view bytes) {
  TEditString out;
  out.resize(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    out[i] = Cp1252Char(static_cast<unsigned char>(bytes[i]));
  return out;
}

std::string EditToWindows1252(TEditStringView text, size_t* lost) {
  return EditToCodePage(text, TCodePage::Windows1252, lost);
}

std::string EditToLatin1(TEditStringView text, size_t* lost) {
  return EditToCodePage(text, TCodePage::Latin1, lost);
}

bool CanEncode(TEditChar c, TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::Utf8:
      return true;
    case TTextEncoding::Latin1:
      return c <= 0xFF;
    case TTextEncoding::Windows1252:
      break;
  }
  return CodePageByte(c, TCodePage::Windows1252).has_value();
}

TEditString Utf8ToEdit(std::string_view bytes) {
  TEditString out;
  out.reserve(bytes.size());
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    int len = 0;
    TEditChar cp = 0;
    TEditChar min = 0;
    if ((b0 & 0xE0) == 0xC0) {
      len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      len = 4, cp = b0 & 0x07, min = 0x10000;
    }
    bool ok = len > 0 && i + static_cast<size_t>(len) <= n;
    for (int k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
      if ((b & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (ok) {
      out.push_back(cp);
      i += static_cast<size_t>(len);
    } else {
      out.push_back(Cp1252Char(b0));
      ++i;
    }
  }
  return out;
}

std::string EditToUtf8(TEditStringView text) {
  std::string out;
  out.reserve(text.size());
  for (TEditChar c : text) AppendUtf8(out, c);
  return out;
}

TEditString DecodeText(std::string_view bytes, TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::Utf8:
      return Utf8ToEdit(bytes);
    case TTextEncoding::Latin1: {
      TEditString out;
      out.reserve(bytes.size());
      for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
      return out;
    }
    case TTextEncoding::Windows1252:
      break;
  }
  return Windows1252ToEdit(bytes);
}

std::string EncodeText(TEditStringView text, TTextEncoding encoding, size_t* lost) {
  switch (encoding) {
    case TTextEncoding::Utf8:
      if (lost != nullptr) *lost = 0;
      return EditToUtf8(text);
    case TTextEncoding::Latin1:
      return EditToLatin1(text, lost);
    case TTextEncoding::Windows1252:
      break;
  }
  return EditToWindows1252(text, lost);
}

std::vector<std::string> EncodeLinesWhole(const std::vector<TEditString>& lines) {
  bool whole = true;
  for (const TEditString& line : lines)
    for (TEditChar c : line) whole = whole && CanEncode(c, TTextEncoding::Windows1252);
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (const TEditString& line : lines)
    out.push_back(whole ? EditToWindows1252(line) : EditToUtf8(line));
  if (!whole && !out.empty()) out.front().insert(0, kByteOrderMark);
  return out;
}

TEditString DecodeFileText(std::string_view bytes) {
  if (bytes.starts_with(kByteOrderMark)) return Utf8ToEdit(bytes.substr(kByteOrderMark.size()));
  return Windows1252ToEdit(bytes);
}

std::vector<TEditString> SplitEditLines(TEditStringView text) {
  std::vector<TEditString> lines;
  size_t start = 0;
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const TEditChar c = text[i];
    if (c == U'\r' || c == U'\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == U'\r' && i + 1 < n && text[i + 1] == U'\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace tovix
