#include "editors/url_types.h"

#include <algorithm>

namespace tovix {

namespace {

char16_t Lower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

bool IsUrlChar(char16_t c) {
  return c == u'.' || c == u'/' || c == u':' || c == u'@' || c == u'\\' ||
         (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u2028' || c == u'\r' || c == u'\n' ||
         c == u'\uFFFC';
}

bool IsEmail(std::u16string_view word) {
  const size_t at = word.find(u'@');
  if (at == std::u16string_view::npos || at == 0 || at + 1 >= word.size()) return false;
  const std::u16string_view rest = word.substr(at + 1);
  const size_t dot = rest.find(u'.', 1);
  return dot != std::u16string_view::npos;
}

// A type's name and ":" start the word, and something follows.
bool HasScheme(std::u16string_view word, const TURLCollection& types) {
  for (int i = 1; i < types.Count(); ++i) {
    const std::u16string& name = types[i].Name;
    if (word.size() > name.size() + 1 && word[name.size()] == u':' && StartsWithNoCase(word, name))
      return true;
  }
  return false;
}

}  // namespace

TURLCollection TURLCollection::Defaults() {
  TURLCollection types;
  for (const char16_t* name : {u"e-mail", u"http", u"file", u"mailto", u"ftp", u"https", u"gopher",
                               u"nntp", u"prospero", u"telnet", u"news", u"wais"})
    types.AddURLType(name, clWindowText, true, kCursorDefault);
  return types;
}

void TURLCollection::AddURLType(std::u16string_view name, TColor color, bool underline,
                                int cursor) {
  for (auto& item : items_)
    if (item.Name == name) {
      item.Color = color;
      item.Underline = underline;
      item.Cursor = cursor;
      return;
    }
  items_.push_back(TURLType{std::u16string(name), color, cursor, underline});
}

int ClassifyUrl(const TURLCollection& types, std::u16string_view url) {
  const size_t colon = url.find(u':');
  if (colon == std::u16string_view::npos || colon == 0) {
    const size_t at = url.find(u'@');
    return (at != std::u16string_view::npos && at >= 1 && types.Count() > 0) ? 0 : -1;
  }
  const std::u16string_view scheme = url.substr(0, colon);
  for (int i = 1; i < types.Count(); ++i)
    if (types[i].Name.size() == scheme.size() && StartsWithNoCase(scheme, types[i].Name)) return i;
  return types.Count() - 1;
}

std::vector<LinkSpan> FindLinks(std::u16string_view text, const TURLCollection& types,
                                TAutoURLDetect mode) {
  std::vector<LinkSpan> links;
  if (mode == adNone) return links;
  size_t i = 0;
  while (i < text.size()) {
    const bool extended = mode == adExtended;
    if (extended ? !IsUrlChar(text[i]) : IsSpace(text[i])) {
      ++i;
      continue;
    }
    size_t start = i;
    while (i < text.size() && (extended ? IsUrlChar(text[i]) : !IsSpace(text[i]))) ++i;
    size_t end = i;
    if (!extended) {
      static constexpr std::u16string_view kOpening = u"([{<'\"";
      static constexpr std::u16string_view kClosing = u".,;:!?)]}>'\"";
      while (start < end && kOpening.find(text[start]) != std::u16string_view::npos) ++start;
      while (end > start && kClosing.find(text[end - 1]) != std::u16string_view::npos) --end;
    }
    const std::u16string_view word = text.substr(start, end - start);
    const bool link = HasScheme(word, types) || IsEmail(word) ||
                      (!extended && word.size() > 4 && StartsWithNoCase(word, u"www."));
    if (link) links.push_back({static_cast<int>(start), static_cast<int>(word.size())});
  }
  return links;
}

}  // namespace tovix
