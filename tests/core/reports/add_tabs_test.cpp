#include "core/reports/add_tabs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <sstream>
#include <string>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

struct TextCase {
  const char* name;
  std::string text;
  std::string expected;
};

class AddTabsText : public testing::TestWithParam<TextCase> {};

TEST_P(AddTabsText, MarksHeadersOnly) {
  const TextCase& c = GetParam();
  EXPECT_EQ(AddTabsToText(c.text), c.expected);
  EXPECT_EQ(AddTabsToText(c.expected), c.expected) << "a second run changes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AddTabsText,
    testing::Values(TextCase{"Trimmed", "   Your Planets \t\n", "\t\tYour Planets\n"},
                    // Regression: the search gives 0 for an empty line; taking that for a match put
                    // two tabs on every empty line.
                    TextCase{"EmptyLinesStay", "\n\nYour Planets\n\n", "\n\n\t\tYour Planets\n\n"},
                    TextCase{"NoBreakSpaceByte",
                             "Your\xA0Planets\n1\xA0"
                             "000\n",
                             "\t\tYour Planets\n1 000\n"},
                    TextCase{"NoBreakSpaceUtf8", "Your\xC2\xA0Planets\n", "\t\tYour Planets\n"},
                    TextCase{"CrLfKept", "Your Planets\r\nabc\r\n", "\t\tYour Planets\r\nabc\r\n"},
                    TextCase{"CrKept", "Your Planets\rabc\r", "\t\tYour Planets\rabc\r"},
                    TextCase{"MixedEndsKept", "a\r\nYour Planets\nb\r",
                             "a\r\n\t\tYour Planets\nb\r"},
                    TextCase{"NoFinalLineEnd", "x\nYour Planets", "x\n\t\tYour Planets"}),
    [](const testing::TestParamInfo<TextCase>& row) { return std::string(row.param.name); });

class AddTabsFile : public testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& bytes) {
    WriteFileAtomically(dir_ / name, bytes);
    return dir_ / name;
  }
  static fs::path Backup(fs::path file) { return file += ".TabBackup"; }
  test::TempDir dir_;
};

// A missing report stays missing; a report that needs no repair gets no backup and keeps its
// read-only flag.
TEST_F(AddTabsFile, MissingOrSoundFileIsLeftAlone) {
  AddTabs(dir_ / "k007.txt");
  EXPECT_FALSE(fs::exists(dir_ / "k007.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "k007.txt.TabBackup"));
  const fs::path sound = Write("k008.txt", "\t\tYour Planets\n");
  ASSERT_TRUE(SetReadOnly(sound, true));
  AddTabs(sound);
  EXPECT_FALSE(fs::exists(Backup(sound)));
  EXPECT_TRUE(IsReadOnly(sound));
  SetReadOnly(sound, false);
}

TEST_F(AddTabsFile, SecondRunKeepsTheFirstBackup) {
  const fs::path report = Write("k007.txt", "Your Planets\r\n\r\n");
  AddTabs(report);
  EXPECT_EQ(test::ReadFileBytes(report), "\t\tYour Planets\r\n\r\n");
  EXPECT_EQ(test::ReadFileBytes(Backup(report)), "Your Planets\r\n\r\n");
  WriteFileAtomically(report, test::ReadFileBytes(report) + "Bombings\r\n");
  AddTabs(report);
  EXPECT_EQ(test::ReadFileBytes(report), "\t\tYour Planets\r\n\r\n\t\tBombings\r\n");
  EXPECT_EQ(test::ReadFileBytes(Backup(report)), "Your Planets\r\n\r\n");
}

// A read-only report is repaired and stays read-only; one with nothing to mend is not written,
// and gets no backup.
TEST_F(AddTabsFile, ReadOnlyReportKeepsItsModeAndNothingToMendWritesNothing) {
  const fs::path report = Write("k007.txt", "Bombings\n");
  ASSERT_EQ(::chmod(report.c_str(), 0460), 0);
  AddTabs(report);
  EXPECT_EQ(test::ReadFileBytes(report), "\t\tBombings\n");
  EXPECT_EQ(fs::status(report).permissions() & fs::perms::all, fs::perms(0460));

  const fs::path sound = Write("k008.txt", "\t\tBombings\n");
  ASSERT_TRUE(SetReadOnly(sound, true));
  struct stat before {};
  ASSERT_EQ(::stat(sound.c_str(), &before), 0);
  AddTabs(sound);
  EXPECT_EQ(test::ReadFileBytes(sound), "\t\tBombings\n");
  EXPECT_FALSE(fs::exists(Backup(sound)));
  EXPECT_TRUE(IsReadOnly(sound));
  struct stat after {};
  ASSERT_EQ(::stat(sound.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // a write would have renamed a new file over it
}

TEST_F(AddTabsFile, FailedWriteLeavesTheReportAsItWas) {
  const fs::path report = Write("k007.txt", "Bombings\n");
  Write("k007.txt.TabBackup", "older backup\n");
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  EXPECT_THROW(AddTabs(report), EFileError);
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  EXPECT_EQ(test::ReadFileBytes(report), "Bombings\n");
  EXPECT_EQ(test::ReadFileBytes(Backup(report)), "older backup\n");
}

// The section index of the report reader: every line longer than 2 characters that begins
// with a tab, with its line number.
std::set<std::pair<size_t, std::string>> SectionIndex(const std::string& text) {
  std::set<std::pair<size_t, std::string>> index;
  std::istringstream lines(text);
  size_t number = 0;
  for (std::string line; std::getline(lines, line); ++number) {
    if (line.size() > 2 && line[0] == '\t') index.insert({number, line});
  }
  return index;
}

// Every orion report, its header tabs stripped, comes back with the section headers the
// reader looks for. Differences from the report as it came, by design of the heading pattern:
// - the report's first line "Bulletins for Galaxy Game ..." is marked as well;
// - "Game Options", "Production Status", "Real Name", "Battle Protocol" and the server release
//   line stay unmarked: the heading pattern leaves them out, and the reader reads none of them.
TEST_F(AddTabsFile, StrippedRealReportsGetTheirSectionsBack) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  const std::set<std::string> unmarked = {"\t\tGame Options", "\t\tProduction Status",
                                          "\t\tReal Name", "\t\tBattle Protocol"};
  int reports = 0;
  for (const auto& entry : fs::directory_iterator(orion)) {
    if (entry.path().extension() != ".txt") continue;
    const std::string asItCame = test::ReadFileBytes(entry.path());
    std::string stripped;
    std::istringstream lines(asItCame);
    for (std::string line; std::getline(lines, line);) {
      stripped += line.substr(std::min(line.find_first_not_of('\t'), line.size())) + "\n";
    }
    const fs::path copy = Write(entry.path().filename().string(), stripped);
    AddTabs(copy);
    EXPECT_EQ(test::ReadFileBytes(Backup(copy)), stripped);

    auto expected = SectionIndex(asItCame);
    std::erase_if(expected, [&](const auto& e) {
      return unmarked.count(e.second) > 0 || e.second.starts_with("\tGalaxyNG release");
    });
    const std::string firstLine = asItCame.substr(0, asItCame.find('\n'));
    ASSERT_TRUE(firstLine.starts_with("Bulletins for Galaxy Game")) << entry.path();
    expected.insert({0, "\t\t" + firstLine});
    const auto repaired = SectionIndex(test::ReadFileBytes(copy));
    EXPECT_EQ(repaired, expected) << entry.path();
    EXPECT_GE(repaired.size(), 5u);
    ++reports;
  }
  EXPECT_EQ(reports, 260);
}

}  // namespace
}  // namespace tovix
