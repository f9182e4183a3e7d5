// Characters an order file cannot hold: finding and naming them, keeping them through changes
// the order logic makes as Windows-1252 text, and the file that keeps them between runs.

#include "editors/unsavable_chars.h"

#include <gtest/gtest.h>

#include "editor_test_helpers.h"

namespace tovix::test {
namespace {

TmwEditList Lines(const std::vector<std::string>& utf8) {
  std::vector<TEditString> lines;
  for (const std::string& line : utf8) lines.push_back(E(line));
  TmwEditList list;
  list.Assign(std::move(lines));
  return list;
}

struct FindRow {
  std::string name;
  std::vector<std::string> lines;  // UTF-8
  TTextEncoding encoding;
  size_t maxLines;
  std::string text;  // what a message shows; "" for none
};

class FindUnsavable : public testing::TestWithParam<FindRow> {};

TEST_P(FindUnsavable, NamesLinesCharactersAndColumns) {
  const FindRow& row = GetParam();
  const TmwEditList lines = Lines(row.lines);
  const std::vector<TUnsavableChar> found = FindUnsavableChars(lines, row.encoding);
  EXPECT_EQ(UnsavableCharsText(found, row.maxLines), row.text);
  // Each one found is a character of the text that does not survive the code page.
  for (const TUnsavableChar& c : found) {
    const TEditString& line = lines.Get(c.Line - 1);
    ASSERT_LE(static_cast<size_t>(c.Column), line.size());
    EXPECT_EQ(line[static_cast<size_t>(c.Column) - 1], c.Char);
    EXPECT_EQ(EncodeText(TEditString(1, c.Char), row.encoding), "?");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FindUnsavable,
    testing::Values(
        FindRow{"PolishCityInAComment",
                {"#GALAXY Orion Arcturans pw", "; \xC5\x81\xC3\xB3\x64\xC5\xBA", "#END"},
                TTextEncoding::Windows1252,
                10,
                "line 2: \xC5\x81 (U+0141, column 3), \xC5\xBA (U+017A, column 6)"},
        // Latin-1 letters, the euro sign and the other Windows-1252 extras all fit.
        FindRow{"Windows1252HoldsTheseAll",
                {"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC 5 \xE2\x80\x9Cquoted\xE2\x80\x9D \xC5\xA0"},
                TTextEncoding::Windows1252,
                10,
                ""},
        FindRow{"RepeatedCharactersAreNamedOnceWithTheirColumns",
                {"a", "\xD0\x96x\xD0\x96y\xCE\xA9", "b", "\xE2\x86\x92"},
                TTextEncoding::Windows1252,
                10,
                "line 2: \xD0\x96 (U+0416, columns 1, 3), \xCE\xA9 (U+03A9, column 5)\r"
                "line 4: \xE2\x86\x92 (U+2192, column 1)"},
        FindRow{"CharactersBeyondTheBasicPlane",
                {"; \xF0\x9F\x9A\x80"},
                TTextEncoding::Windows1252,
                10,
                "line 1: \xF0\x9F\x9A\x80 (U+1F680, column 3)"},
        FindRow{"ManyLinesAreCut",
                {"\xC5\x81", "\xC5\x81", "ok", "\xC5\x81", "\xC5\x81"},
                TTextEncoding::Windows1252,
                2,
                "line 1: \xC5\x81 (U+0141, column 1)\rline 2: \xC5\x81 (U+0141, column 1)\rand 2 "
                "more lines"},
        // Report files are read byte for byte as Latin-1: the euro sign, which Windows-1252
        // holds, is beyond them; their control characters 0x80..0x9F are not.
        FindRow{"Latin1HoldsItsOwnOnly",
                {"caf\xC3\xA9 \xC2\x80", "\xE2\x82\xAC 5 \xC5\x81\xC3\xB3\x64\xC5\xBA"},
                TTextEncoding::Latin1,
                10,
                "line 2: \xE2\x82\xAC (U+20AC, column 1), \xC5\x81 (U+0141, column 5), "
                "\xC5\xBA (U+017A, column 8)"},
        FindRow{
            "Utf8HoldsEverything", {"\xC5\x81\xC3\xB3\x64\xC5\xBA"}, TTextEncoding::Utf8, 10, ""}),
    [](const auto& row) { return row.param.name; });

struct KeepRow {
  std::string name;
  std::string old;    // UTF-8
  std::string bytes;  // what the order logic made of it, Windows-1252
  std::string kept;   // UTF-8
};

class KeepUnsavable : public testing::TestWithParam<KeepRow> {};

TEST_P(KeepUnsavable, WhatTheChangeLeftAloneKeepsItsCharacters) {
  const KeepRow& row = GetParam();
  EXPECT_EQ(U8(KeepUnsavableChars(E(row.old), row.bytes)), row.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeepUnsavable,
    testing::Values(KeepRow{"Unchanged", "P Alpha CAP ; \xC5\x81\xC3\xB3\x64\xC5\xBA",
                            "P Alpha CAP ; ?\xF3\x64?",
                            "P Alpha CAP ; \xC5\x81\xC3\xB3\x64\xC5\xBA"},
                    KeepRow{"ChangedBeforeThem", "P Alpha CAP ; \xC5\x81\xC3\xB3\x64\xC5\xBA",
                            "P Alpha DRIVE ; ?\xF3\x64?",
                            "P Alpha DRIVE ; \xC5\x81\xC3\xB3\x64\xC5\xBA"},
                    KeepRow{"ChangedAfterThem", "; \xC5\x81 t3", "; ? t2", "; \xC5\x81 t2"},
                    // A "?" the change wrote itself is a question mark; one in the common end is
                    // the old character.
                    KeepRow{"ReplacedWhole", "; \xC5\x81", "?x", "?x"},
                    KeepRow{"SameEnd", "; \xC5\x81", "x ?", "x \xC5\x81"},
                    KeepRow{"Emptied", "\xC5\x81\xC5\x81", "", ""},
                    KeepRow{"FromNothing", "", "P Alpha CAP", "P Alpha CAP"},
                    // The common end never overlaps the common start.
                    KeepRow{"Repeats", "\xC5\x81\xC5\x81", "??x??", "\xC5\x81\xC5\x81x??"}),
    [](const auto& row) { return row.param.name; });

TEST(ChangeLinesKeepingUnsavable, ChangesLineByLineAndKeepsTheLineEnds) {
  const TEditString text = E("p A cap ; \xC5\x81\r\n; \xC5\xBA\r\np B mat\r\n");
  std::vector<std::string> seen;
  const TEditString changed = ChangeLinesKeepingUnsavable(text, [&seen](std::string_view line) {
    seen.emplace_back(line);
    return line.starts_with("p ") ? std::string(line.substr(0, 4)) + "drive" : std::string(line);
  });
  EXPECT_EQ((std::vector<std::string>{"p A cap ; ?", "; ?", "p B mat", ""}), seen);
  EXPECT_EQ(U8(changed), "p A drive\r\n; \xC5\xBA\r\np B drive\r\n");
}

TEST(LinesWhole, Windows1252WhenItHoldsThemElseUtf8WithAMark) {
  const std::vector<TEditString> plain = {E("#GALAXY Orion A pw"), E("; caf\xC3\xA9 \xE2\x82\xAC"),
                                          E("")};
  const std::vector<std::string> bytes = EncodeLinesWhole(plain);
  EXPECT_EQ(bytes, (std::vector<std::string>{"#GALAXY Orion A pw", "; caf\xE9 \x80", ""}));
  const std::vector<TEditString> polish = {E("#GALAXY Orion A pw"),
                                           E("; \xC5\x81\xC3\xB3\x64\xC5\xBA")};
  const std::vector<std::string> utf8 = EncodeLinesWhole(polish);
  EXPECT_EQ(utf8, (std::vector<std::string>{"\xEF\xBB\xBF#GALAXY Orion A pw",
                                            "; \xC5\x81\xC3\xB3\x64\xC5\xBA"}));
  EXPECT_TRUE(EncodeLinesWhole({}).empty());
  // Read back, each gives its lines.
  for (const auto& [lines, encoded] : {std::pair{plain, bytes}, std::pair{polish, utf8}}) {
    std::string file;
    for (const std::string& line : encoded) file += line + "\r\n";
    EXPECT_EQ(SplitEditLines(DecodeFileText(file)), lines);
  }
}

}  // namespace
}  // namespace tovix::test
