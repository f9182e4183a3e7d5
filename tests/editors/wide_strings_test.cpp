// The wide string list: its text file (written and read back, the byte orders it reads), its
// text with the three line ends, its hexadecimal form, comparing and sorting in the list's
// language, and the moves that keep each string's object.
#include "editors/wide_strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

std::vector<std::string> Lines(const TWideStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i).toStdString());
  return lines;
}

TEST(WideStrings, FileRoundTripsAndReadsEitherByteOrder) {
  TWideStringList list;
  for (const char16_t* s :
       {u"Galaxy", u"", u"\u00C4rger \u0416", u"emoji \U0001F680", u"tab\there"})
    list.Add(QString::fromUtf16(s));
  test::TempDir dir;
  const auto file = dir / "list.txt";
  list.SaveToFile(file);
  const std::string bytes = LoadFileToString(file);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE"
                                            "G\0",
                                            4))
      << "little-endian behind FF FE";
  TWideStringList back;
  back.LoadFromFile(file);
  EXPECT_TRUE(back.Equals(list));

  struct Row {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Row rows[] = {{"LittleEndianMark",
                       std::string("\xFF\xFE"
                                   "a\0\r\0\n\0b\0",
                                   10),
                       {"a", "b"}},
                      {"BigEndianMark", std::string("\xFE\xFF\0a\0\r\0\n\0b", 10), {"a", "b"}},
                      {"NoMarkIsLittleEndian", std::string("a\0b\0", 4), {"ab"}},
                      {"OddLastByteIsDropped",
                       std::string("\xFF\xFE"
                                   "a\0b",
                                   5),
                       {"a"}},
                      {"Empty", "", {}}};
  for (const Row& row : rows) {
    TWideStringList read;
    read.Add("old");
    read.LoadFromStream(row.bytes);
    EXPECT_EQ(Lines(read), row.lines) << row.name;
  }
  // A file that cannot be read leaves the list alone.
  EXPECT_THROW(back.LoadFromFile(dir / "missing.txt"), EFileError);
  EXPECT_TRUE(back.Equals(list));
}

TEST(WideStrings, TextTakesEveryLineEnd) {
  TWideStringList list;
  list.SetTextStr("a\r\nb\rc\nd\r\n");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c", "d"}));
  list.SetTextStr("a\n\nb\r\r\nc");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "", "b", "", "c"}));
  EXPECT_EQ(list.GetTextStr(), "a\r\n\r\nb\r\n\r\nc\r\n");
}

// The hexadecimal form is exactly four hexadecimal digits per character; anything else (a
// prefix, a sign, a blank, a short group) is refused and the list keeps its lines.
TEST(WideStrings, HexFormTakesOnlyFourDigitsPerCharacter) {
  TWideStringList list;
  list.SetTextStr(QString::fromUtf16(u"Hi\u0416"));
  EXPECT_EQ(list.WideStringsText(), "004800690416000D000A");
  TWideStringList back;
  ASSERT_TRUE(back.SetWideStringsText(list.WideStringsText()));
  EXPECT_TRUE(back.Equals(list));

  EXPECT_TRUE(list.SetWideStringsText("00410042"));
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"AB"}));
  EXPECT_TRUE(list.SetWideStringsText("0041000a00Ff"));
  EXPECT_EQ(list.Get(1), QString::fromUtf16(u"\u00FF")) << "either letter case";
  EXPECT_TRUE(list.SetWideStringsText(""));
  EXPECT_EQ(list.Count(), 0);

  list.SetTextStr("keep");
  for (const char* refused : {"00410x41", " 041+041", "+041", "0041 ", "004", "g041", "-041",
                              "0041004", "00zz", "$041", "\t041"}) {
    EXPECT_FALSE(list.SetWideStringsText(QString::fromLatin1(refused))) << refused;
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"keep"})) << refused;
  }
  // A digit from another script is no hexadecimal digit.
  EXPECT_FALSE(list.SetWideStringsText(QString::fromUtf16(u"004\u0661")));
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"keep"}));
}

// The order of the list's language, letter case ignored (of accented letters too): a Swede's "ö"
// comes after "z", a German's next to "o".
TEST(WideStrings, ComparesAndSortsByTheLanguage) {
  struct Row {
    TLanguage language;
    std::vector<std::string> sorted;
  };
  for (const Row& row :
       {Row{1053, {"Oben", "zebra", "\xC3\xB6l"}}, Row{1031, {"Oben", "\xC3\xB6l", "zebra"}}}) {
    TWideStringList list;
    list.SetLanguage(row.language);
    for (const char* s : {"zebra", "\xC3\xB6l", "Oben"}) list.AddObject(QString::fromUtf8(s), s[0]);
    list.Sort();
    std::vector<std::string> sorted;
    for (int i = 0; i < list.Count(); ++i) {
      sorted.push_back(list.Get(i).toUtf8().toStdString());
      EXPECT_EQ(list.GetObject(i).toInt(), static_cast<int>(sorted.back()[0])) << "objects move";
    }
    EXPECT_EQ(sorted, row.sorted) << row.language;
  }
  TWideStringList german;
  german.SetLanguage(1031);
  for (const char* s : {"Weg",
                        "Stra\xC3\x9F"
                        "e",
                        "caf\xC3\xA9"})
    german.Add(QString::fromUtf8(s));
  EXPECT_EQ(german.IndexOf(QString::fromUtf8("STRA\xC3\x9F"
                                             "E")),
            1);
  EXPECT_EQ(german.IndexOf(QString::fromUtf8("CAF\xC3\x89")), 2);
  EXPECT_EQ(german.IndexOf("WEG"), 0);
  EXPECT_EQ(german.IndexOf("cafe"), -1) << "accents count";
  EXPECT_EQ(CompareWideText("a", "B", 1033), -1);
  EXPECT_EQ(CompareWideText("Ab", "aB", 1033), 0);
}

TEST(WideStrings, MovesKeepTheObjects) {
  TWideStringList list;
  for (int i = 0; i < 4; ++i) list.AddObject(QString("s%1").arg(i), i);
  list.Exchange(0, 3);
  list.Exchange(0, 9);  // out of range: nothing
  list.Move(1, 3);
  list.Move(2, 2);
  list.Put(0, "first");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"first", "s2", "s0", "s1"}));
  std::vector<int> objects;
  for (int i = 0; i < list.Count(); ++i) objects.push_back(list.GetObject(i).toInt());
  EXPECT_EQ(objects, (std::vector<int>{3, 2, 0, 1}));

  TWideStringList copy;
  copy.Add("gone");
  copy.Assign(list);
  EXPECT_TRUE(copy.Equals(list));
  EXPECT_EQ(copy.GetObject(0).toInt(), 3);
  copy.Put(1, "S2");
  EXPECT_FALSE(copy.Equals(list)) << "strings compare character for character";
  // 8-bit strings in a code page.
  copy.Assign({"\xCF\xF0\xE8", "x"}, 1251);
  EXPECT_EQ(copy.Get(0), QString::fromUtf16(u"\u041F\u0440\u0438"));
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_THROW(copy.Get(2), EStringListError);
}

}  // namespace
}  // namespace tovix
