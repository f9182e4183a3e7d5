// The RTF reader on damaged input: mutated copies of the notes files, deep nesting, cut binary
// data and Unicode characters of any value. Every input gives a document or a clear error.
#include <gtest/gtest.h>

#include <random>

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
  static constexpr std::string_view kPieces[] = {"{",
                                                 "}",
                                                 "\\",
                                                 "\\'",
                                                 "\\u",
                                                 "\\u-",
                                                 "\\bin",
                                                 "\\bin999999 ",
                                                 "\\*",
                                                 "\\pict ",
                                                 "\\object ",
                                                 "\\pn ",
                                                 "\\fonttbl",
                                                 "\\colortbl",
                                                 "\\f",
                                                 "\\cf99",
                                                 "\\uc9",
                                                 ";",
                                                 "\\par",
                                                 "\\'8",
                                                 "\\u99999999999",
                                                 "\\ls",
                                                 "\\pnlvlblt",
                                                 "\\fcharset128 ",
                                                 "\\'82\\'"};
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
        s.insert(at, kPieces[random() % std::size(kPieces)]);
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

  for (const char* value : {"0", "65", "-1", "-32768", "32767", "65535", "65536", "-65536",
                            "2147483647", "-2147483648", "99999999999999999999", "55357"}) {
    const std::string input = std::string("{\\rtf1 a\\u") + value + "?b\\uc0\\u" + value + "}";
    const RtfReadResult result = ReadRtf(input);
    ASSERT_TRUE(result.document) << value;
    const std::u16string text = result.document->PlainText();
    ASSERT_EQ(text.size(), 4u) << value;
    EXPECT_EQ(text[0], u'a');
    EXPECT_EQ(text[2], u'b');
    ExpectDocumentOrError(input);
  }
}

}  // namespace
}  // namespace tovix
