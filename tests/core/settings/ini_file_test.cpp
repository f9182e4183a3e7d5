#include "core/settings/ini_file.h"
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <optional>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

using test::ReadFileBytes;
using test::TempDir;
namespace fs = std::filesystem;

// Goldens are written with "\n" and stored with the CR LF of a new file.
std::string CrLf(std::string_view text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

void WriteBytes(const fs::path& p, std::string_view bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

TIniFile FromText(std::string_view text, bool stripQuotes = false) {
  TempDir dir;
  WriteBytes(dir / "a.ini", text);
  return TIniFile((dir / "a.ini").string(), TIniFile::TMode::InMemory, stripQuotes);
}

// Names the rows of a parameterized test after their `name` field.
struct RowName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& row) const {
    return row.param.name;
  }
};

struct FailureGuard {
  explicit FailureGuard(AtomicWriteStep s) { SetAtomicWriteFailure(s); }
  ~FailureGuard() { SetAtomicWriteFailure(AtomicWriteStep::kNone); }
};

// ---- names

struct LookupCase {
  const char* name;
  const char* file;
  const char* section;
  const char* key;
  const char* expected;  // "-" = not found
};

class IniLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsTheValue) {
  const LookupCase& c = GetParam();
  EXPECT_EQ(FromText(c.file).ReadString(c.section, c.key, "-"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, IniLookup,
    testing::Values(LookupCase{"SectionAnyCase", "[Run]\ngame=2\n", "RUN", "game", "2"},
                    LookupCase{"KeyAnyCase", "[Run]\nGame=2\n", "run", "GAME", "2"},
                    LookupCase{"HighBytesNotFolded", "[\xC4]\nx=1\n", "\xE4", "x", "-"},
                    LookupCase{"FirstDuplicateWins", "[a]\nk=1\nK=2\n[A]\nk=3\n", "a", "k", "1"},
                    LookupCase{"BlanksTrimmed", "[ a ]\n\t k  =  v w  \n", "a", "k", "v w"},
                    LookupCase{"EqualsInValue", "[a]\nk=x=y\n", "a", "k", "x=y"},
                    LookupCase{"EmptyValue", "[a]\nk=\n", "a", "k", ""},
                    LookupCase{"CommentedKey", "[a]\n;k=1\n#k=2\n", "a", "k", "-"},
                    LookupCase{"KeyOutsideSections", "k=1\n[a]\n", "", "k", "-"},
                    LookupCase{"TextAfterHeader", "[a] ; note\nk=1\n", "a", "k", "1"},
                    LookupCase{"UnclosedHeaderIsJunk", "[a]\n[b\nk=1\n", "a", "k", "1"}),
    RowName());

TEST(IniFile, ListsSectionsAndKeysInFileOrderOnce) {
  TIniFile ini = FromText("[b]\nk2=1\n; c\nK1=2\nk2=3\n[A]\nx=1\n[B]\nz=9\n");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"b", "A"}));
  EXPECT_EQ(ini.ReadSection("B"), (std::vector<std::string>{"k2", "K1"}));
  EXPECT_EQ(ini.ReadSectionValues("b"), (std::vector<std::string>{"k2=1", "K1=2"}));
  EXPECT_TRUE(ini.SectionExists("a"));
  EXPECT_TRUE(ini.ValueExists("B", "k1"));
  EXPECT_FALSE(ini.ValueExists("b", "z"));
  EXPECT_FALSE(ini.SectionExists("c"));
}

// ---- rewriting

TEST(IniFile, RewriteKeepsOrderCommentsAndJunk) {
  TIniFile ini = FromText(
      CrLf("; Tovix settings\njunk without equals\n[Run]\nGame = 2\nUseMDIStyle=1\n\n; game one\n"
           "[1]\nName=\"Orion\"\nspelD=/g/%1s%0.03d.txt\n[unclosed\n=orphan\n\x01\xFF\n\n"
           "[Old]\na=1\n\n[2]\nName=Second\nGameType=Galaxy NG\nMapSize=100\n"));
  ini.WriteInteger("RUN", "GAME", 5);
  ini.WriteBool("run", "EliteNameCreation", false);
  ini.WriteString("1", "GameType", "Galaxy NG");
  ini.WriteString("1", "NAME", "\"Orion\"");  // same value: the line stays as it is
  ini.EraseSection("OLD");
  ini.DeleteKey("2", "gametype");
  ini.WriteInteger("Totals_1", "Planets", 3);
  EXPECT_EQ(ini.Text(),
            CrLf("; Tovix settings\njunk without equals\n[Run]\nGame=5\nUseMDIStyle=1\n"
                 "EliteNameCreation=0\n\n; game one\n"
                 "[1]\nName=\"Orion\"\nspelD=/g/%1s%0.03d.txt\n[unclosed\n=orphan\n\x01\xFF\n"
                 "GameType=Galaxy NG\n\n[2]\nName=Second\nMapSize=100\n[Totals_1]\nPlanets=3\n"));
}

struct LineEndCase {
  const char* name;
  const char* eol;
  bool finalEol;
};

class IniLineEnds : public testing::TestWithParam<LineEndCase> {};

TEST_P(IniLineEnds, KeepsTheFilesLineEnd) {
  const LineEndCase& c = GetParam();
  std::string tail = c.finalEol ? c.eol : "";
  std::string original = "[a]" + std::string(c.eol) + "k=1" + tail;
  TempDir dir;
  fs::path p = dir / "x.ini";
  WriteBytes(p, original);
  TIniFile ini(p.string());
  ini.UpdateFile();
  EXPECT_EQ(ReadFileBytes(p), original);
  ini.WriteString("a", "n", "2");
  ini.UpdateFile();
  EXPECT_EQ(ReadFileBytes(p),
            original.substr(0, original.size() - tail.size()) + c.eol + "n=2" + tail);
}

INSTANTIATE_TEST_SUITE_P(Styles, IniLineEnds,
                         testing::Values(LineEndCase{"CrLf", "\r\n", true},
                                         LineEndCase{"Lf", "\n", true},
                                         LineEndCase{"Cr", "\r", true},
                                         LineEndCase{"LfNoFinalEnd", "\n", false}),
                         RowName());

TEST(IniFile, NewFileGetsCrLf) {
  TempDir dir;
  TIniFile ini((dir / "new.ini").string());
  ini.WriteString("s", "k", "v");
  ini.UpdateFile();
  EXPECT_EQ(ReadFileBytes(dir / "new.ini"), "[s]\r\nk=v\r\n");
}

// Names or values with a line break, "]" or "=" would write lines that read back as other keys
// or sections; they are refused and the file is left alone.
TEST(IniFile, RefusesNamesAndValuesThatBreakTheLineStructure) {
  TIniFile ini = FromText("[a]\nk=1\n");
  std::string before = ini.Text();
  EXPECT_THROW(ini.WriteString("a", "k", "1\r\n[b]"), TovixError);
  EXPECT_THROW(ini.WriteString("a]", "k", "1"), TovixError);
  EXPECT_THROW(ini.WriteString("a", "k=x", "1"), TovixError);
  EXPECT_THROW(ini.WriteString("a", ";k", "1"), TovixError);
  EXPECT_THROW(ini.WriteString("a", " ", "1"), TovixError);
  EXPECT_EQ(ini.Text(), before);
}

// ---- values

struct QuoteCase {
  const char* name;
  const char* stored;
  const char* stripped;
};

class IniQuotes : public testing::TestWithParam<QuoteCase> {};

TEST_P(IniQuotes, StripsOnePairOnlyWithTheOption) {
  const QuoteCase& c = GetParam();
  std::string file = "[a]\nk=" + std::string(c.stored) + "\n";
  EXPECT_EQ(FromText(file, true).ReadString("a", "k", "-"), c.stripped);
  EXPECT_EQ(FromText(file, false).ReadString("a", "k", "-"), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Values, IniQuotes,
                         testing::Values(QuoteCase{"Quoted", "\"a b\"", "a b"},
                                         QuoteCase{"BlanksInside", "\" x \"", " x "},
                                         QuoteCase{"Empty", "\"\"", ""},
                                         QuoteCase{"LoneQuote", "\"", "\""},
                                         QuoteCase{"LeadingOnly", "\"abc", "\"abc"},
                                         QuoteCase{"Doubled", "\"\"x\"\"", "\"x\""}),
                         RowName());

struct ValueCase {
  const char* name;
  const char* text;
  std::optional<int32_t> integer;  // nullopt: the default
  std::optional<bool> boolean;
  std::optional<double> real;
};

class IniValues : public testing::TestWithParam<ValueCase> {};

TEST_P(IniValues, ReadsOrFallsBackToTheDefault) {
  const ValueCase& c = GetParam();
  TIniFile ini = FromText("[a]\nk=" + std::string(c.text) + "\n");
  EXPECT_EQ(ini.ReadInteger("a", "k", -77), c.integer.value_or(-77));
  EXPECT_EQ(ini.ReadBool("a", "k", false), c.boolean.value_or(false));
  EXPECT_EQ(ini.ReadBool("a", "k", true), c.boolean.value_or(true));
  EXPECT_EQ(ini.ReadFloat("a", "k", -0.5), c.real.value_or(-0.5));
}

// The number syntax itself belongs to the number helpers; these rows check the boolean words and
// the fall-back to the default.
INSTANTIATE_TEST_SUITE_P(
    Values, IniValues,
    testing::Values(ValueCase{"Zero", "0", 0, false, 0.0},
                    ValueCase{"Negative", "-3", -3, true, -3.0},
                    ValueCase{"Fraction", "1.5", std::nullopt, std::nullopt, 1.5},
                    ValueCase{"TrueAnyCase", "TRUE", std::nullopt, true, std::nullopt},
                    ValueCase{"No", "No", std::nullopt, false, std::nullopt},
                    ValueCase{"Word", "maybe", std::nullopt, std::nullopt, std::nullopt},
                    ValueCase{"Empty", "", std::nullopt, std::nullopt, std::nullopt}),
    RowName());

TEST(IniFile, FloatsRoundTripWithAPointUnderAGermanLocale) {
  std::string old = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 missing";
  TIniFile ini("");
  ini.WriteFloat("s", "half", 1.5);
  EXPECT_EQ(ini.ReadString("s", "half", ""), "1.5");
  for (double v : {0.1, 0.1 + 0.2, 1.0 / 3, -2.75, 1e20, 123456789.125, 5e-324}) {
    ini.WriteFloat("s", "v", v);
    EXPECT_EQ(ini.ReadFloat("s", "v", 0), v) << ini.ReadString("s", "v", "");
  }
  std::setlocale(LC_ALL, old.c_str());
}

// ---- disk

// The configuration dialog keeps its file object for its whole life while the report reader
// writes "GameType" through another one; a cached copy written back whole would drop that key.
TEST(IniFile, WriteThroughKeepsAnotherWritersKey) {
  TempDir dir;
  std::string p = (dir / "Tovix.ini").string();
  WriteBytes(p, "[Run]\r\ngame=1\r\n");
  TIniFile dialog(p, TIniFile::TMode::WriteThrough, true);
  EXPECT_EQ(dialog.ReadInteger("RUN", "game", -1), 1);
  TIniFile(p, TIniFile::TMode::WriteThrough, true).WriteString("1", "GameType", "Galaxy NG");
  EXPECT_EQ(dialog.ReadString("1", "gametype", ""), "Galaxy NG");
  dialog.WriteString("1", "Name", "Orion");
  EXPECT_EQ(ReadFileBytes(p), "[Run]\r\ngame=1\r\n[1]\r\nGameType=Galaxy NG\r\nName=Orion\r\n");
}

TEST(IniFile, BatchWritesOnceOnCommitAndDropsChangesWithout) {
  TempDir dir;
  std::string p = (dir / "Tovix.ini").string();
  WriteBytes(p, "[1]\r\n");
  TIniFile ini(p, TIniFile::TMode::WriteThrough);
  {
    TIniFile::TBatch batch(ini);
    ini.WriteString("1", "spelC", "kb");
    TIniFile::TBatch inner(ini);
    ini.WriteInteger("1", "MapSize", 200);
    inner.Commit();  // belongs to the outer batch
    EXPECT_EQ(ReadFileBytes(p), "[1]\r\n");
    EXPECT_EQ(ini.ReadInteger("1", "mapsize", 0), 200);
    batch.Commit();
  }
  EXPECT_EQ(ReadFileBytes(p), "[1]\r\nspelC=kb\r\nMapSize=200\r\n");
  {
    TIniFile::TBatch batch(ini);
    ini.WriteString("1", "spelC", "x");
  }
  EXPECT_EQ(ini.ReadString("1", "spelC", ""), "kb");
  EXPECT_EQ(ReadFileBytes(p), "[1]\r\nspelC=kb\r\nMapSize=200\r\n");
}

TEST(IniFile, EmptyFileNameNeverTouchesTheDisk) {
  FailureGuard anyWriteFails(AtomicWriteStep::kCreate);
  for (auto mode : {TIniFile::TMode::InMemory, TIniFile::TMode::WriteThrough}) {
    TIniFile ini("", mode);
    TIniFile::TBatch batch(ini);
    ini.WriteString("s", "k", "v");
    EXPECT_NO_THROW(ini.UpdateFile());
    EXPECT_NO_THROW(batch.Commit());
    EXPECT_EQ(ini.ReadString("s", "k", ""), "v");
  }
}

TEST(IniFile, UnreadableFileIsAnErrorNotAnEmptyFile) {
  TempDir dir;
  fs::create_directory(dir / "d.ini");
  EXPECT_THROW(TIniFile((dir / "d.ini").string()), EFileError);
  TIniFile live((dir / "d.ini").string(), TIniFile::TMode::WriteThrough);
  EXPECT_THROW(live.ReadString("a", "b", ""), EFileError);
  EXPECT_THROW(live.WriteString("a", "b", "c"), EFileError);
}

// A save that fails at any step (here while writing and at the rename) leaves the old file
// whole, leaves no temporary file behind, and does not keep the failed change in memory.
TEST(IniFile, FailedSaveLeavesTheOldFileWhole) {
  for (AtomicWriteStep step : {AtomicWriteStep::kWrite, AtomicWriteStep::kRename}) {
    SCOPED_TRACE(static_cast<int>(step));
    TempDir dir;
    std::string p = (dir / "TovixStore3.ini").string();
    const std::string old = "; kept\r\n[Tovix_State]\r\nShowCmd=1\r\n";
    WriteBytes(p, old);
    TIniFile store(p);
    TIniFile live(p, TIniFile::TMode::WriteThrough);
    EXPECT_EQ(live.ReadInteger("Tovix_State", "ShowCmd", 0), 1);
    store.WriteInteger("Tovix_State", "ShowCmd", 3);
    FailureGuard fail(step);
    EXPECT_THROW(store.UpdateFile(), EFileError);
    EXPECT_THROW(live.WriteInteger("Tovix_State", "ShowCmd", 2), EFileError);
    EXPECT_EQ(ReadFileBytes(p), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(live.ReadInteger("Tovix_State", "ShowCmd", 0), 1);
  }
}

}  // namespace
}  // namespace tovix
