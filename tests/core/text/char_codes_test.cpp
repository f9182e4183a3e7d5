// The program's two 8-bit code pages: what each holds, how the characters it cannot hold are
// named, and that a text is encoded whole or not at all.

#include "core/text/char_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace tovix {
namespace {

struct PageCase {
  const char* name;
  std::u32string text;
  TCodePage page;
  const char* encoded;  // nullptr: the page cannot hold the text
  std::string named;    // UnheldCharsText
};

// "Hił" is the message that went into the orders as "Hi?"; "€" and "–" are Windows-1252 but not
// Latin-1; U+0081 is one of Windows-1252's five undefined codes, kept as the control character.
const PageCase kPageCases[] = {
    {"ascii", U"Hi there", TCodePage::Latin1, "Hi there", ""},
    {"latin1 letters", U"Gr\u00FC\u00DFe", TCodePage::Latin1,
     "Gr\xFC\xDF"
     "e",
     ""},
    {"l with stroke", U"Hi\u0142", TCodePage::Latin1, nullptr, "\xC5\x82 (U+0142)"},
    {"l with stroke in orders", U"Hi\u0142", TCodePage::Windows1252, nullptr, "\xC5\x82 (U+0142)"},
    {"euro in orders", U"5 \u20AC \u2013 ok", TCodePage::Windows1252, "5 \x80 \x96 ok", ""},
    {"euro in a name", U"5 \u20AC \u2013 ok", TCodePage::Latin1, nullptr,
     "\xE2\x82\xAC (U+20AC), \xE2\x80\x93 (U+2013)"},
    {"undefined cp1252 code", U"a\u0081b", TCodePage::Windows1252,
     "a\x81"
     "b",
     ""},
    {"c1 control under cp1252", U"a\u0080b", TCodePage::Windows1252, nullptr, "\xC2\x80 (U+0080)"},
    {"each named once, in order", U"\u0142a\u20ACb\u0142\u0161", TCodePage::Latin1, nullptr,
     "\xC5\x82 (U+0142), \xE2\x82\xAC (U+20AC), \xC5\xA1 (U+0161)"},
    {"beyond the basic plane", U"x\U0001F600", TCodePage::Windows1252, nullptr,
     "\xF0\x9F\x98\x80 (U+1F600)"},
    {"lone surrogate by its code", std::u32string(1, char32_t(0xD800)), TCodePage::Latin1, nullptr,
     "U+D800"},
};

TEST(CharCodes, EachPageHoldsItsOwnCharactersAndNamesTheRest) {
  for (const PageCase& c : kPageCases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> encoded = EncodeWhole(c.text, c.page);
    if (c.encoded) {
      ASSERT_TRUE(encoded.has_value());
      EXPECT_EQ(*encoded, c.encoded);
      EXPECT_EQ(DecodeBytes(*encoded, c.page), c.text) << "decodes back whole";
    } else {
      EXPECT_FALSE(encoded.has_value()) << "never written with a stand-in";
    }
    EXPECT_EQ(UnheldCharsText(c.text, c.page), c.named);
  }
}

TEST(CharCodes, TheMessageNamesTargetPageAndCharacters) {
  const TTextTarget target{TCodePage::Windows1252, "The message", "the orders"};
  EXPECT_EQ(UnheldCharsMessage(target, "\xC5\x82 (U+0142)"),
            "The message cannot go into the orders: it holds characters that Windows-1252 text "
            "cannot hold:\r\xC5\x82 (U+0142)\rChange them and try again.");
  EXPECT_EQ(UnheldCharsMessage({TCodePage::Latin1, "The name", "Tovix.ini"}, "x", "Kept."),
            "The name cannot go into Tovix.ini: it holds characters that Latin-1 text cannot "
            "hold:\rx\rKept.");
}

}  // namespace
}  // namespace tovix
