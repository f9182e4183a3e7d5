#include "core/add_tabs.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/file_utils.h"
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
    testing::Values(
        TextCase{"PlainHeader", "Your Planets\n", "\t\tYour Planets\n"},
        TextCase{"BlanksAroundHeader", "   Your Planets  \n", "\t\tYour Planets\n"},
        TextCase{"TrailingTabTrimmed", "Bombings \t\n", "\t\tBombings\n"},
        TextCase{"MarkedHeaderStays", "\t\tYour Planets\n", "\t\tYour Planets\n"},
        TextCase{"RaceSections",
                 "Cygnians Groups\nBattle at CygniansPrime\nFleet CygniansArmada (speed 4.2)\n",
                 "\t\tCygnians Groups\n\t\tBattle at CygniansPrime\n"
                 "\t\tFleet CygniansArmada (speed 4.2)\n"},
        TextCase{"ReportHeader", "Galaxy Game Orion Turn 5 Report for Arcturans\n",
                 "\t\tGalaxy Game Orion Turn 5 Report for Arcturans\n"},
        TextCase{"TableRowsStay",
                 "N          D     W     S     C\nArcturans 4.30  1.00  1.00  1.00\n",
                 "N          D     W     S     C\nArcturans 4.30  1.00  1.00  1.00\n"},
        // Regression: the search gives 0 for an empty line; taking that for a match put two
        // tabs on every empty line.
        TextCase{"EmptyLinesStay", "\n\nYour Planets\n\n", "\n\n\t\tYour Planets\n\n"},
        TextCase{"NoBreakSpaceByte",
                 "Your\xA0Planets\n1\xA0"
                 "000\n",
                 "\t\tYour Planets\n1 000\n"},
        TextCase{"NoBreakSpaceUtf8", "Your\xC2\xA0Planets\n", "\t\tYour Planets\n"},
        TextCase{"CrLfKept", "Your Planets\r\nabc\r\n", "\t\tYour Planets\r\nabc\r\n"},
        TextCase{"CrKept", "Your Planets\rabc\r", "\t\tYour Planets\rabc\r"},
        TextCase{"MixedEndsKept", "a\r\nYour Planets\nb\r", "a\r\n\t\tYour Planets\nb\r"},
        TextCase{"NoFinalLineEnd", "x\nYour Planets", "x\n\t\tYour Planets"}),
    [](const testing::TestParamInfo<TextCase>& row) { return std::string(row.param.name); });

class AddTabsFile : public testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    WriteFileAtomically(path, bytes);
    return path;
  }
  static fs::path Backup(const fs::path& file) {
    fs::path backup = file;
    backup += ".TabBackup";
    return backup;
  }
  test::TempDir dir_;
};

TEST_F(AddTabsFile, MissingFileIsLeftAlone) {
  AddTabs(dir_ / "k007.txt");
  EXPECT_FALSE(fs::exists(dir_ / "k007.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "k007.txt.TabBackup"));
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

TEST_F(AddTabsFile, ReadOnlyReportIsRepaired) {
  const fs::path report = Write("k007.txt", "Bombings\n");
  ASSERT_TRUE(SetReadOnly(report, true));
  AddTabs(report);
  EXPECT_EQ(test::ReadFileBytes(report), "\t\tBombings\n");
  EXPECT_FALSE(IsReadOnly(report));
}

TEST_F(AddTabsFile, FailedWriteLeavesTheReportAsItWas) {
  const fs::path report = Write("k007.txt", "Bombings\n");
  fs::path backup = Backup(report);
  WriteFileAtomically(backup, "older backup\n");
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  EXPECT_THROW(AddTabs(report), EFileError);
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  EXPECT_EQ(test::ReadFileBytes(report), "Bombings\n");
  EXPECT_EQ(test::ReadFileBytes(backup), "older backup\n");
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The section index of the report reader: every line longer than 2 characters that begins
// with a tab, with its line number.
std::set<std::pair<size_t, std::string>> SectionIndex(const std::string& text) {
  std::set<std::pair<size_t, std::string>> index;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() > 2 && lines[i][0] == '\t') index.insert({i, lines[i]});
  }
  return index;
}

// Every orion report, its header tabs stripped, comes back with the section headers the
// reader looks for. Differences from the original, by design of the heading pattern:
// - the report's first line "Bulletins for Galaxy Game ..." is marked as well;
// - "Game Options", "Production Status", "Real Name", "Battle Protocol" and the server release
//   line stay unmarked: the heading pattern leaves them out, and the reader reads none of them.
TEST_F(AddTabsFile, StrippedRealReportsGetTheirSectionsBack) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << "no orion reports";
  const std::set<std::string> unmarked = {"\t\tGame Options", "\t\tProduction Status",
                                          "\t\tReal Name", "\t\tBattle Protocol"};
  int reports = 0;
  for (const auto& entry : fs::directory_iterator(orion)) {
    if (entry.path().extension() != ".txt") continue;
    const std::string original = test::ReadFileBytes(entry.path());
    std::string stripped;
    for (const std::string& line : SplitLines(original)) {
      stripped += line.substr(line.find_first_not_of('\t') == std::string::npos
                                  ? line.size()
                                  : line.find_first_not_of('\t')) +
                  "\n";
    }
    const fs::path copy = Write(entry.path().filename().string(), stripped);
    AddTabs(copy);
    EXPECT_EQ(test::ReadFileBytes(Backup(copy)), stripped);

    auto expected = SectionIndex(original);
    std::erase_if(expected, [&](const auto& e) {
      return unmarked.count(e.second) > 0 || e.second.rfind("\tGalaxyNG release", 0) == 0;
    });
    const std::string firstLine = SplitLines(original).front();
    ASSERT_EQ(firstLine.rfind("Bulletins for Galaxy Game", 0), 0u) << entry.path();
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
