// Languages to code pages and character sets, 8-bit conversion, and the link types.
#include <gtest/gtest.h>

#include "editors/code_pages.h"
#include "editors/rtf.h"
#include "editors/url_types.h"

namespace tovix {
namespace {

TEST(CodePages, LocalesGiveTheirCodePageAndCharset) {
  struct Case {
    TLanguage locale;
    int code_page;
    int charset;
  };
  const Case cases[] = {{1043, 1252, 0},   {1049, 1251, 204},   {1041, 932, 128},
                        {2052, 936, 134},  {1028, 950, 136},    {0x7FF, 1252, 0},
                        {1045, 1250, 238}, {0x0C1A, 1251, 204}, {0x081A, 1250, 238}};
  for (const auto& c : cases) {
    EXPECT_EQ(CodePageFromLocale(c.locale), c.code_page) << c.locale;
    EXPECT_EQ(CharsetFromLocale(c.locale), c.charset) << c.locale;
    EXPECT_EQ(CodePageFromCharset(c.charset), c.code_page) << c.locale;
  }
  EXPECT_EQ(CodePageFromCharset(2), 0);  // the symbol set names no code page
}

TEST(CodePages, TextConvertsBothWaysAndUnencodableCharactersAreSeen) {
  EXPECT_EQ(AnsiToWide("caf\xE9 \x80", 1252), u"caf\u00E9 \u20AC");
  EXPECT_EQ(WideToAnsi(u"caf\u00E9 \u20AC", 1252), "caf\xE9 \x80");
  EXPECT_EQ(AnsiToWide("\xCF\xF0\xE8\xE2\xE5\xF2", 1251), u"\u041F\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(WideToAnsi(u"\u041F\u0440\u0438", 1251), "\xCF\xF0\xE8");
  EXPECT_EQ(AnsiToWide("\x82\xA0", 932), u"\u3042");  // Shift-JIS hiragana a
  EXPECT_EQ(WideToAnsi(u"\u3042", 932), "\x82\xA0");
  EXPECT_EQ(AnsiToWide("", 1251), u"");
  EXPECT_EQ(AnsiToWide("\x81", 1252), u"\uFFFD");  // undefined in 1252

  const CodePage western(1252);
  std::string bytes;
  EXPECT_FALSE(western.EncodeChar(u'\u041F', bytes));  // Cyrillic has no 1252 byte
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(WideToAnsi(u"a\u041Fb", 1252), "a?b");
  EXPECT_EQ(CodePage(4242).Number(), 1252);  // unknown pages work as 1252
}

TEST(UrlTypes, ClassificationAndAddingTypes) {
  TURLCollection types = TURLCollection::Defaults();
  ASSERT_EQ(types.Count(), 12);
  EXPECT_EQ(types[ClassifyUrl(types, u"HTTP://x.y")].Name, u"http");
  EXPECT_EQ(types[ClassifyUrl(types, u"foo:bar")].Name, u"wais");  // unknown scheme: last type
  EXPECT_EQ(ClassifyUrl(types, u"a@b.c"), 0);
  EXPECT_EQ(ClassifyUrl(types, u"www.x"), -1);
  EXPECT_EQ(ClassifyUrl(types, u":x@y"), 0);

  types.AddURLType(u"HTTP", 0xFF, false, 5);  // letter case counts: a new type
  types.AddURLType(u"ftp", 0xFF00, false, 7);
  ASSERT_EQ(types.Count(), 13);
  EXPECT_EQ(types[4], (TURLType{u"ftp", 0xFF00, 7, false}));
}

TEST(UrlTypes, FindLinksInBothModes) {
  const TURLCollection types = TURLCollection::Defaults();
  const std::u16string text = u"see http://x.y now, (mail me@home.nl). http: www.galaxy.org";
  auto spans = [&](TAutoURLDetect mode) {
    std::vector<std::u16string> words;
    for (const auto& link : FindLinks(text, types, mode))
      words.push_back(text.substr(link.start, link.length));
    return words;
  };
  EXPECT_EQ(spans(adDefault),
            (std::vector<std::u16string>{u"http://x.y", u"me@home.nl", u"www.galaxy.org"}));
  EXPECT_EQ(spans(adExtended), (std::vector<std::u16string>{u"http://x.y", u"me@home.nl"}));
  EXPECT_TRUE(spans(adNone).empty());
  EXPECT_TRUE(FindLinks(u"http: mailto: a@b @b.c a@.c", types, adExtended).empty());
  EXPECT_EQ(FindLinks(u"x=http:y", types, adExtended), (std::vector<LinkSpan>{{2, 6}}));
}

// Every character of every supported code page, written as notes in that page and read back:
// none may change. Code page 932 encoded nine characters (the yen sign, the em dash, the wave
// dash, the minus sign ...) as bytes that read back as others, and the single-byte pages wrote
// U+FFFF as an undefined byte that read back as U+FFFD.
TEST(CodePages, EveryCharacterOfEveryPageSurvivesTheNotesFile) {
  for (int page : {1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 874, 932, 936, 949, 950}) {
    const CodePage code_page(page);
    ASSERT_EQ(code_page.Number(), page);
    std::u16string all;
    int changed = 0;
    for (char32_t c = 0x20; c <= 0xFFFF; ++c) {
      all += static_cast<char16_t>(c);
      std::string bytes;
      if (!code_page.EncodeChar(static_cast<char16_t>(c), bytes)) continue;
      std::u16string back;
      code_page.Decode(bytes, back);
      if (back != std::u16string(1, static_cast<char16_t>(c))) ++changed;
    }
    EXPECT_EQ(changed, 0) << page;

    RichDocument doc;
    doc.code_page = page;
    doc.default_font = u"Arial";
    doc.default_charset = CharsetFromCodePage(page);
    doc.paragraphs.emplace_back();
    AppendRichText(doc.paragraphs[0], RichCharFormat(), all);
    const RtfReadResult back = ReadRtf(WriteRtf(doc));
    ASSERT_TRUE(back.document) << page;
    const std::u16string text = back.document->PlainText();
    ASSERT_EQ(text.size(), all.size()) << page;
    int differing = 0;
    for (size_t i = 0; i < all.size(); ++i)
      if (text[i] != all[i] && ++differing <= 3)
        ADD_FAILURE() << page << ": U+" << std::hex << int(all[i]) << " read back as U+"
                      << int(text[i]);
    EXPECT_EQ(differing, 0) << page;
  }
}

}  // namespace
}  // namespace tovix
