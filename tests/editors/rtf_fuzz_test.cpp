// The RTF reader on damaged input: mutated copies of the notes files, deep nesting, cut binary
// data and Unicode characters of any value. Every input gives a document or a clear error.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>

#include "editors/rtf.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

constexpr std::uint32_t kSeed = 20261207;
constexpr int kCases = 100000;

void ExpectDocumentOrError(std::string_view input) {
  const RtfReadResult result = ReadRtf(input);
  if (result.document) {
    EXPECT_FALSE(result.document->paragraphs.empty());
    // What was read writes and reads again.
    EXPECT_TRUE(ReadRtf(WriteRtf(*result.document)).document);
  } else {
    EXPECT_FALSE(result.error.empty());
  }
}

std::string Mutate(std::string s, std::mt19937& random) {
  static const std::vector<std::string> kPieces = [] {
    std::vector<std::string> pieces;
    std::istringstream in(
        "{|}|\\|\\'|\\u|\\u-|\\bin|\\bin999999 |\\*|\\pict |\\object |\\pn |\\fonttbl|"
        "\\colortbl|\\f|\\cf99|\\uc9|;|\\par|\\'8|\\u99999999999|\\ls|\\pnlvlblt|"
        "\\fcharset128 |\\'82\\'");
    for (std::string piece; std::getline(in, piece, '|');) pieces.push_back(piece);
    return pieces;
  }();
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits && !s.empty(); ++e) {
    const size_t at = random() % s.size();
    switch (random() % 5) {
      case 0:  // cut
        s.resize(at);
        break;
      case 1:  // delete a stretch
        s.erase(at, random() % 12);
        break;
      case 2:  // insert a piece
        s.insert(at, kPieces[random() % kPieces.size()]);
        break;
      case 3:  // stray byte
        s[at] = static_cast<char>(random() % 256);
        break;
      default:  // repeat a stretch
        s.insert(at, s.substr(at, random() % 20));
        break;
    }
  }
  return s;
}

TEST(RtfFuzz, MutatedNotesFilesReadWithoutHarm) {
  const std::string seeds[] = {test::ReadFileBytes(test::DataDir() / "rtf" / "notes_richedit.rtf"),
                               test::ReadFileBytes(test::DataDir() / "rtf" / "notes_word.rtf")};
  std::mt19937 random(kSeed);
  for (int i = 0; i < kCases; ++i) {
    const std::string input = Mutate(seeds[i % 2], random);
    const RtfReadResult result = ReadRtf(input);
    if (!result.document) {
      ASSERT_FALSE(result.error.empty()) << "case " << i;
    }
    if (i % 97 == 0) ExpectDocumentOrError(input);  // the writer too, on a share of them
  }
}

TEST(RtfFuzz, DeepNestingCutBinaryAndAnyUnicodeValue) {
  constexpr int kDepth = 100000;
  const std::string deep =
      "{\\rtf1 " + std::string(kDepth, '{') + "\\b x" + std::string(kDepth, '}') + "}";
  const RtfReadResult nested = ReadRtf(deep);
  ASSERT_TRUE(nested.document);
  EXPECT_EQ(nested.document->PlainText(), u"x");
  EXPECT_TRUE(nested.document->paragraphs[0].runs[0].format.bold);
  ExpectDocumentOrError("{\\rtf1 " + std::string(kDepth, '{') + "{\\*\\x" +
                        std::string(kDepth, '{'));  // never closed, inside a skipped group
  ExpectDocumentOrError("{\\rtf1 {\\pict " + std::string(kDepth, '{') + "}");

  for (const char* cut : {"{\\rtf1 \\bin", "{\\rtf1 \\bin5", "{\\rtf1 \\bin5 abc",
                          "{\\rtf1 {\\*\\x \\bin2147483647 a}}", "{\\rtf1 \\bin-5 ab}"})
    ExpectDocumentOrError(cut);

  // Values whose low 16 bits are a control character (0 and the multiples of 65536) give no
  // text; the stand-in is skipped all the same.
  std::vector<std::pair<std::string, bool>> values;
  for (const char* v :
       {"65", "-1", "-32768", "32767", "65535", "2147483647", "99999999999999999999", "55357"})
    values.emplace_back(v, true);
  for (const char* v : {"0", "65536", "-65536", "-2147483648"}) values.emplace_back(v, false);
  for (const auto& [value, shown] : values) {
    const std::string input = std::string("{\\rtf1 a\\u") + value + "?b\\uc0\\u" + value + "}";
    const RtfReadResult result = ReadRtf(input);
    ASSERT_TRUE(result.document) << value;
    const std::u16string text = result.document->PlainText();
    ASSERT_EQ(text.size(), shown ? 4u : 2u) << value;
    EXPECT_EQ(text[0], u'a');
    EXPECT_EQ(text[shown ? 2 : 1], u'b');
    ExpectDocumentOrError(input);
  }
}

// Random documents, written and read back: every paragraph, run, text and attribute comes back
// equal, and writing what was read gives the same bytes.
class RandomDocument {
 public:
  explicit RandomDocument(std::uint32_t seed) : random_(seed) {}

  RichDocument Make() {
    static constexpr int kPages[] = {1252, 1250, 1251, 1253, 1254, 1255, 1256,
                                     1257, 1258, 874,  932,  936,  949,  950};
    RichDocument doc;
    doc.code_page = kPages[Below(std::size(kPages))];
    doc.language = Chance(2) ? 0 : Range(1, 0xFFFF);
    doc.default_font = FontName();
    doc.default_charset = Charset();
    const int paragraphs = Range(1, 6);
    for (int p = 0; p < paragraphs; ++p) doc.paragraphs.push_back(Paragraph());
    return doc;
  }

 private:
  int Range(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  size_t Below(size_t n) { return static_cast<size_t>(Range(0, static_cast<int>(n) - 1)); }
  bool Chance(int one_in) { return Range(1, one_in) == 1; }

  int Charset() {
    static constexpr int kCharsets[] = {0,   1,   2,   238, 204, 161, 162, 177,
                                        178, 186, 163, 222, 128, 134, 129, 136};
    return kCharsets[Below(std::size(kCharsets))];
  }
  char16_t Character() {
    switch (Range(0, 5)) {
      case 0:
        return static_cast<char16_t>(Range(0x20, 0x7E));  // braces and backslashes included
      case 1:
        return static_cast<char16_t>(Range(0x80, 0x2FF));
      case 2:
        return static_cast<char16_t>(Range(0x3000, 0x9FFF));
      case 3: {
        static constexpr char16_t kSpecial[] = {u'\t',     u'\u2028', u'\u00A0', u'\u2011',
                                                u'\uFFFF', u'\uFFFD', u'\u20AC', u'\u00A5',
                                                u'\u2014', u'\u301C', u'\u2212', char16_t{0xD800}};
        return kSpecial[Below(std::size(kSpecial))];
      }
      default:
        return static_cast<char16_t>(Range(0x20, 0xFFFF));
    }
  }
  std::u16string Text(int max) {
    std::u16string text;
    const int length = Range(1, max);
    for (int i = 0; i < length; ++i) text += Character();
    return text;
  }
  std::u16string FontName() {
    std::u16string name;
    const int length = Range(1, 12);
    for (int i = 0; i < length; ++i) {
      char16_t c = Chance(3) ? static_cast<char16_t>(Range(0x4E00, 0x9FFF))
                             : static_cast<char16_t>(Range(u'A', u'z'));
      if (c == u'\\' || c == u'^' || c == u'`' || c == u'[' || c == u']') c = u'x';
      name += c;
    }
    return name;
  }
  std::optional<RichColor> Color() {
    if (Chance(2)) return std::nullopt;
    return RichColor{static_cast<std::uint8_t>(Range(0, 255)),
                     static_cast<std::uint8_t>(Range(0, 255)),
                     static_cast<std::uint8_t>(Range(0, 255))};
  }
  RichCharFormat Format() {
    RichCharFormat f;
    if (Chance(2)) {
      f.font = FontName();
      f.font_charset = Charset();
    }
    f.half_points = Chance(3) ? 0 : Range(1, 3276);
    f.bold = Chance(2);
    f.italic = Chance(2);
    f.strike_out = Chance(4);
    f.underline = Chance(2) ? 0 : Range(1, 4);
    f.color = Color();
    f.back_color = Color();
    f.vertical = static_cast<VerticalPosition>(Range(0, 2));
    f.offset = Chance(2) ? 0 : Range(-3276, 3276);
    f.spacing = Chance(2) ? 0 : Range(-32768, 32767);
    f.kerning = Chance(2) ? 0 : Range(1, 3276);
    f.animation = Chance(2) ? 0 : Range(1, 255);
    f.hidden = Chance(5);
    f.small_caps = Chance(4);
    f.all_caps = Chance(4);
    f.outline = Chance(4);
    f.shadow = Chance(4);
    f.emboss = Chance(4);
    f.imprint = Chance(4);
    f.link = Chance(4);
    if (f.link) {  // any character a target can hold: no quote, tab or control character
      std::u16string target = Text(20);
      std::erase_if(target, [](char16_t c) {
        return c == u'"' || c == u'\t' || c == u'\u2028' || c == u'\u00A0';
      });
      f.link_target = target.empty() ? u"x" : target;
    }
    f.language = Chance(2) ? 0 : Range(1, 0xFFFF);
    return f;
  }
  RichParagraph Paragraph() {
    RichParagraph p;
    p.format.alignment = static_cast<RichAlignment>(Range(0, 3));
    p.format.left_indent = Chance(2) ? 0 : Range(-2000, 10000);
    p.format.first_indent = Chance(2) ? 0 : Range(-2000, 2000);
    p.format.right_indent = Chance(2) ? 0 : Range(-2000, 10000);
    p.format.space_before = Chance(2) ? 0 : Range(0, 1000);
    p.format.space_after = Chance(2) ? 0 : Range(0, 1000);
    p.format.bullet = Chance(3);
    for (int t = Range(0, 3), at = 0; t > 0; --t) p.format.tabs.push_back(at += Range(1, 2000));
    const int runs = Range(0, 6);
    for (int r = 0; r < runs; ++r) {
      if (Chance(8)) {
        RichRun object;
        object.opaque =
            Chance(2) ? "{\\object\\objemb{\\*\\objdata 0102\\{ff}}" : "{\\pict\\pngblip 89504e47}";
        p.runs.push_back(object);
        continue;
      }
      AppendRichText(p, Format(), Text(20));
    }
    return p;
  }

  std::mt19937 random_;
};

TEST(RtfFuzz, RandomDocumentsReadBackEqual) {
  constexpr std::uint32_t kRoundTripSeed = 20261208;
  constexpr int kDocuments = 2000;
  RandomDocument make(kRoundTripSeed);
  for (int i = 0; i < kDocuments; ++i) {
    const RichDocument doc = make.Make();
    const std::string rtf = WriteRtf(doc);
    const RtfReadResult back = ReadRtf(rtf);
    ASSERT_TRUE(back.document) << "document " << i << ": " << back.error;
    EXPECT_EQ(back.document->code_page, doc.code_page) << i;
    EXPECT_EQ(back.document->language, doc.language) << i;
    EXPECT_EQ(back.document->default_font, doc.default_font) << i;
    EXPECT_EQ(back.document->default_charset, doc.default_charset) << i;
    ASSERT_EQ(back.document->paragraphs.size(), doc.paragraphs.size()) << i << ": " << rtf;
    for (size_t p = 0; p < doc.paragraphs.size(); ++p) {
      ASSERT_EQ(back.document->paragraphs[p].format, doc.paragraphs[p].format)
          << "document " << i << " paragraph " << p << ": " << rtf;
      ASSERT_TRUE(back.document->paragraphs[p].runs == doc.paragraphs[p].runs)
          << "document " << i << " paragraph " << p << ": " << rtf;
    }
    ASSERT_EQ(WriteRtf(*back.document), rtf) << i;
  }
}

}  // namespace
}  // namespace tovix
