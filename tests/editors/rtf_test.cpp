// RTF reading of hand-written notes files, the writer's round trip of every format, objects
// kept byte for byte, and plain text.
#include <gtest/gtest.h>

#include "editors/rtf.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

using namespace std::string_literals;

RichDocument ReadFile(const char* name) {
  const std::string bytes = test::ReadFileBytes(test::DataDir() / "rtf" / name);
  RtfReadResult result = ReadRtf(bytes);
  EXPECT_TRUE(result.document) << result.error;
  return result.document ? *result.document : RichDocument();
}

std::u16string Text(const RichParagraph& paragraph) {
  std::u16string text;
  for (const auto& run : paragraph.runs) text += run.text;
  return text;
}

const RichRun* FindRun(const RichParagraph& paragraph, std::u16string_view text) {
  for (const auto& run : paragraph.runs)
    if (run.text == text) return &run;
  return nullptr;
}

TEST(RtfReader, RichEditNotesFile) {
  const RichDocument doc = ReadFile("notes_richedit.rtf");
  EXPECT_EQ(doc.default_font, u"Arial");
  EXPECT_EQ(doc.language, 1043);
  ASSERT_EQ(doc.paragraphs.size(), 5u);

  const RichParagraph& first = doc.paragraphs[0];
  EXPECT_EQ(Text(first), u"Planet notes: caf\u00E9 on Castle is important.");
  const RichRun* castle = FindRun(first, u"Castle");
  ASSERT_TRUE(castle);
  EXPECT_TRUE(castle->format.bold);
  EXPECT_EQ(castle->format.color, (RichColor{255, 0, 0}));
  EXPECT_EQ(castle->format.half_points, 20);
  const RichRun* important = FindRun(first, u"important");
  ASSERT_TRUE(important);
  EXPECT_EQ(important->format.back_color, (RichColor{255, 255, 0}));
  EXPECT_FALSE(important->format.bold);
  EXPECT_FALSE(important->format.color);

  // Rich-edit bullets: the bullet text is skipped, the bullet lasts until \pard.
  for (int i : {1, 2}) {
    EXPECT_TRUE(doc.paragraphs[i].format.bullet) << i;
    EXPECT_EQ(doc.paragraphs[i].format.left_indent, 200);
    EXPECT_EQ(doc.paragraphs[i].format.first_indent, -200);
  }
  EXPECT_EQ(Text(doc.paragraphs[1]), u"first point");
  EXPECT_EQ(Text(doc.paragraphs[2]), u"second point");

  // Cyrillic under a 1251 font; the unknown starred destination is skipped.
  const RichParagraph& cyrillic = doc.paragraphs[3];
  EXPECT_FALSE(cyrillic.format.bullet);
  EXPECT_EQ(Text(cyrillic), u"\u041F\u0440\u0438\u0432\u0435\u0442 mir");
  EXPECT_EQ(cyrillic.runs[0].format.font, u"Arial CYR");
  EXPECT_EQ(cyrillic.runs[0].format.font_charset, 204);

  // The picture is an opaque group, escaped brace included.
  const RichParagraph& picture = doc.paragraphs[4];
  EXPECT_EQ(picture.format.alignment, RichAlignment::kCenter);
  ASSERT_EQ(picture.runs.size(), 1u);
  EXPECT_EQ(picture.runs[0].opaque,
            "{\\pict\\wmetafile8\\picw100\\pich100\\picwgoal60\\pichgoal60 "
            "0100090000031e00000000000500000000000400\\}}");
}

TEST(RtfReader, WordProcessorNotesFile) {
  const RichDocument doc = ReadFile("notes_word.rtf");
  EXPECT_EQ(doc.default_font, u"Times New Roman");
  ASSERT_EQ(doc.paragraphs.size(), 4u);
  // A field reads as its result; styles, info and list tables are skipped.
  EXPECT_EQ(Text(doc.paragraphs[0]), u"See the site today.");
  const RichRun* site = FindRun(doc.paragraphs[0], u"the site");
  ASSERT_TRUE(site);
  EXPECT_EQ(site->format.underline, 1);
  EXPECT_EQ(site->format.color, (RichColor{0, 0, 255}));
  EXPECT_EQ(site->format.font, u"Arial");
  EXPECT_EQ(site->format.half_points, 24);

  EXPECT_TRUE(doc.paragraphs[1].format.bullet);
  EXPECT_EQ(Text(doc.paragraphs[1]), u"word item");
  EXPECT_EQ(doc.paragraphs[2].format.tabs, (std::vector<int>{1440, 2880}));
  EXPECT_EQ(Text(doc.paragraphs[2]), u"a\tb\tc");
  EXPECT_FALSE(doc.paragraphs[2].format.bullet);
  EXPECT_EQ(doc.paragraphs[3].format.alignment, RichAlignment::kRight);
  EXPECT_EQ(Text(doc.paragraphs[3]), u"r\u00E9sum\u00E9");  // \u skips its "?" stand-in
}

RichDocument EveryFormat() {
  RichDocument doc;
  doc.default_font = u"Arial";
  doc.language = 1043;
  RichParagraph p;
  RichCharFormat f;
  f.half_points = 24;
  AppendRichText(p, f, u"plain caf\u00E9 \u20AC{\\} ");
  f.bold = true;
  f.color = RichColor{200, 10, 20};
  AppendRichText(p, f, u"bold red");
  f = RichCharFormat();
  f.italic = f.strike_out = true;
  f.underline = 3;
  f.back_color = RichColor{255, 255, 0};
  f.vertical = VerticalPosition::kSuperscript;
  AppendRichText(p, f, u"marked\tup\u2028next line");
  f = RichCharFormat();
  f.font = u"Arial CYR";
  f.font_charset = 204;
  f.language = 1049;
  AppendRichText(p, f, u"\u041F\u0440\u0438\u0432\u0435\u0442");
  f = RichCharFormat();
  f.font = u"Courier New";
  f.vertical = VerticalPosition::kSubscript;
  f.hidden = true;
  AppendRichText(p, f, u"\u3042\U0001F600");  // not in 1252: written as \u
  p.format.alignment = RichAlignment::kJustify;
  p.format.tabs = {720, 1440};
  doc.paragraphs.push_back(p);

  RichParagraph bullet;
  bullet.format.bullet = true;
  bullet.format.left_indent = 360;
  bullet.format.first_indent = -360;
  bullet.format.right_indent = 100;
  bullet.format.space_before = 40;
  bullet.format.space_after = 60;
  AppendRichText(bullet, RichCharFormat(), u"point");
  doc.paragraphs.push_back(bullet);

  RichParagraph object;
  object.format.alignment = RichAlignment::kCenter;
  RichRun run;
  run.opaque =
      "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw10\\objh10"
      "{\\*\\objdata 01050000\\bin4 \x00{}\\ 0200}{\\result{\\pict\\wmetafile8 ff}}}"s;
  object.runs.push_back(run);
  AppendRichText(object, RichCharFormat(), u" after");
  doc.paragraphs.push_back(object);
  doc.paragraphs.emplace_back();  // an empty last paragraph
  return doc;
}

// Writes the document, reads it back and expects the same paragraphs run by run.
void ExpectRoundTrip(const RichDocument& doc) {
  const std::string rtf = WriteRtf(doc);
  const RtfReadResult back = ReadRtf(rtf);
  ASSERT_TRUE(back.document) << back.error;
  ASSERT_EQ(back.document->paragraphs.size(), doc.paragraphs.size()) << rtf;
  for (size_t i = 0; i < doc.paragraphs.size(); ++i) {
    EXPECT_EQ(back.document->paragraphs[i].format, doc.paragraphs[i].format) << i;
    EXPECT_TRUE(back.document->paragraphs[i].runs == doc.paragraphs[i].runs) << i << rtf;
  }
  EXPECT_EQ(WriteRtf(*back.document), rtf);  // writing again gives the same bytes
}

TEST(RtfWriter, NotesFilesSurviveTheRoundTrip) {
  // Both bullet forms read as bullets and come back as bullets.
  ExpectRoundTrip(ReadFile("notes_richedit.rtf"));
  ExpectRoundTrip(ReadFile("notes_word.rtf"));
}

TEST(RtfWriter, EveryFormatSurvivesTheRoundTrip) {
  const RichDocument doc = EveryFormat();
  ExpectRoundTrip(doc);
  const std::string rtf = WriteRtf(doc);
  // 1252 text goes out as 8-bit escapes, Cyrillic under its 1251 font too.
  EXPECT_NE(rtf.find("caf\\'e9"), std::string::npos);
  EXPECT_NE(rtf.find("\\'cf\\'f0\\'e8"), std::string::npos);
  EXPECT_NE(rtf.find("\\fcharset204 Arial CYR;"), std::string::npos);
}

TEST(RtfReader, TextThatIsNotRtfAndCutInput) {
  EXPECT_FALSE(ReadRtf("just words").document);
  EXPECT_EQ(ReadRtf("just words").error, "The text is not RTF.");
  const RichDocument text = RichDocumentFromAnsi("one\r\ntwo caf\xE9\rthree\n", 1252);
  ASSERT_EQ(text.paragraphs.size(), 4u);
  EXPECT_EQ(text.paragraphs[1].runs[0].text, u"two caf\u00E9");
  EXPECT_TRUE(text.paragraphs[3].runs.empty());

  // A double-byte character comes as two escapes under its font's character set.
  const RtfReadResult japanese =
      ReadRtf("{\\rtf1{\\fonttbl{\\f1\\fcharset128 Mincho;}}{\\f1 \\'82\\'a0}}");
  ASSERT_TRUE(japanese.document);
  EXPECT_EQ(japanese.document->PlainText(), u"\u3042");
  ExpectRoundTrip(*japanese.document);

  // Cut in the middle: what was read stays, in its format.
  const RtfReadResult cut = ReadRtf("{\\rtf1{\\b bold} and {\\i ita");
  ASSERT_TRUE(cut.document);
  ASSERT_EQ(cut.document->paragraphs.size(), 1u);
  EXPECT_EQ(cut.document->PlainText(), u"bold and ita");
  EXPECT_TRUE(cut.document->paragraphs[0].runs.back().format.italic);
  // Binary data longer than the rest is an error, in text and in an object alike.
  EXPECT_EQ(ReadRtf("{\\rtf1 a\\bin99 xy}").error, "The RTF data ends inside binary data.");
  EXPECT_FALSE(ReadRtf("{\\rtf1 {\\object\\bin99 xy}}").document);
}

// Faults of earlier saves: each case is saved and read three times and must come back as it was
// read first.
TEST(RtfRoundTrip, RepeatedSavesChangeNothing) {
  struct Case {
    const char* name;
    std::string rtf;
    std::u16string text;  // the text as read
  };
  const Case cases[] = {
      // The writer put a blank after the bullet groups when no indent followed: " x", "  x".
      {"bullet without indents", "{\\rtf1\\ansi{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}x\\par}", u"x"},
      // A font name its character set cannot hold went out as "\u" words that the font table
      // ignored on reading: "?????".
      {"font name outside its charset",
       "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset0 "
       "\\u26126?\\u26397?\\u-26683?;}}{\\f1 x}\\par}",
       u"x"},
      // "\u" below 32 put control characters into the text, which the next save dropped.
      {"unicode below 32", "{\\rtf1\\ansi a\\u1?b\\u9?c\\u11?d\\u0?e\\par}", u"ab\tc\u2028de"},
  };
  for (const auto& c : cases) {
    const RtfReadResult first = ReadRtf(c.rtf);
    ASSERT_TRUE(first.document) << c.name;
    EXPECT_EQ(first.document->PlainText(), c.text) << c.name;
    RichDocument doc = *first.document;
    for (int save = 0; save < 3; ++save) {
      const RtfReadResult again = ReadRtf(WriteRtf(doc));
      ASSERT_TRUE(again.document) << c.name;
      EXPECT_EQ(again.document->paragraphs, first.document->paragraphs)
          << c.name << " save " << save << ": " << WriteRtf(doc);
      doc = *again.document;
    }
  }
  const RichDocument cjk = *ReadRtf(cases[1].rtf).document;
  EXPECT_EQ(cjk.paragraphs[0].runs[0].format.font, u"\u660E\u671D\u97C5");
}

// Offset, spacing, kerning, animation, the effects and links: read, kept and written back in
// the same control words.
TEST(RtfReader, EffectsAndLinksAreKept) {
  const std::string bytes = test::ReadFileBytes(test::DataDir() / "rtf" / "notes_effects.rtf");
  const RtfReadResult read = ReadRtf(bytes);
  ASSERT_TRUE(read.document) << read.error;
  const RichDocument& doc = *read.document;
  ASSERT_EQ(doc.paragraphs.size(), 2u);
  const RichRun* raised = FindRun(doc.paragraphs[0], u"raised");
  ASSERT_TRUE(raised);
  EXPECT_EQ(raised->format.offset, 6);
  EXPECT_EQ(raised->format.spacing, 40);
  EXPECT_EQ(raised->format.kerning, 24);
  EXPECT_EQ(raised->format.animation, 3);
  EXPECT_TRUE(raised->format.outline && raised->format.shadow && raised->format.small_caps);
  const RichRun* lowered = FindRun(doc.paragraphs[0], u"lowered");
  ASSERT_TRUE(lowered);
  EXPECT_EQ(lowered->format.offset, -4);
  EXPECT_EQ(lowered->format.spacing, -15);  // "\expnd-3": quarter points
  EXPECT_TRUE(lowered->format.emboss && lowered->format.imprint && lowered->format.all_caps);
  EXPECT_FALSE(lowered->format.outline);
  const RichRun* link = FindRun(doc.paragraphs[1], u"the site");
  ASSERT_TRUE(link);
  EXPECT_TRUE(link->format.link);
  EXPECT_EQ(link->format.link_target, u"http://galaxy.example/");
  EXPECT_FALSE(FindRun(doc.paragraphs[1], u" after")->format.link);

  const std::string written = WriteRtf(doc);
  for (const char* word :
       {"\\up6", "\\expndtw40", "\\kerning24", "\\animtext3", "\\outl", "\\shad", "\\scaps",
        "\\dn4", "\\expndtw-15", "\\embo", "\\impr", "\\caps",
        "{\\field{\\*\\fldinst{HYPERLINK \"http://galaxy.example/\"}}{\\fldrslt{"})
    EXPECT_NE(written.find(word), std::string::npos) << word << " in " << written;
  ExpectRoundTrip(doc);

  // Without the language words (plain RTF) the languages are left out both ways.
  EXPECT_EQ(ReadRtf(bytes, true).document->language, 0);
  EXPECT_EQ(WriteRtf(doc, true).find("lang"), std::string::npos);
  EXPECT_NE(written.find("\\deflang1043"), std::string::npos);
}

}  // namespace
}  // namespace tovix
