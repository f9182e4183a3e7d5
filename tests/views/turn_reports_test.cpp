#include "views/turn_reports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// By turn, then by letter; gaps and letters the game does not use are left out.
TEST(TurnReportFilesTest, ListsExistingFilesByTurnThenLetter) {
  test::TempDir dir;
  for (const char* name : {"B000.txt", "A001.txt", "A000.txt", "C000.txt", "B010.txt"})
    std::ofstream(dir.path() / name) << "x";
  const std::string pattern = (dir.path() / "%1s%0.03d.txt").string();
  std::vector<std::string> names;
  for (const std::string& file : TurnReportFiles(pattern, "AB"))
    names.push_back(fs::path(file).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"A000.txt", "B000.txt", "A001.txt", "B010.txt"}));
  EXPECT_TRUE(TurnReportFiles(dir.path().string() + "/%d.txt", "AB").empty());
}

TEST(TurnReportFilesTest, OrionAsAWithItsAllies) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  const std::vector<std::string> files = TurnReportFiles((orion / "%1s%0.03d.txt").string(), "ABC");
  ASSERT_EQ(files.size(), 78u);
  EXPECT_EQ(fs::path(files[0]).filename(), "A000.txt");
  EXPECT_EQ(fs::path(files[1]).filename(), "B000.txt");
  EXPECT_EQ(fs::path(files[3]).filename(), "A001.txt");
  EXPECT_EQ(fs::path(files.back()).filename(), "C025.txt");
}

const char* const kReport =
    "\t\tGalaxy Game Demo Turn 5 Report for Corvids\n"
    "\n"
    "PERSONAL Messages for Corvids\n"
    "hello\n"
    "\t\tGame Options\n"
    "Full bombing OFF\n"
    "GLOBAL Messages\n"
    "news\n"
    "ORDERS RECEIVED\n"
    "> p X Y\n";

TEST(ReportPartTextTest, SectionsEndAtOrdersStatusOrAHeading) {
  EXPECT_EQ(ReportPartText(kReport, TReportPart::Personal),
            "PERSONAL Messages for Corvids\nhello\n");
  EXPECT_EQ(ReportPartText(kReport, TReportPart::Global), "GLOBAL Messages\nnews\n");
  EXPECT_EQ(ReportPartText(kReport, TReportPart::Whole), kReport);
  EXPECT_EQ(ReportPartText("PERSONAL Messages\na\n\t\tStatus of Players\nb\n", TReportPart::Global),
            "");
}

TEST(ReportPartTextTest, OrionMessages) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  const std::string c005 = ReportTextForEditing(test::ReadFileBytes(orion / "C005.txt"));
  const std::string personal = ReportPartText(c005, TReportPart::Personal);
  EXPECT_NE(personal.find("Betelgeuse High Council"), std::string::npos);
  EXPECT_EQ(personal.find("Options"), std::string::npos) << personal;
  EXPECT_EQ(ReportPartText(c005, TReportPart::Global), "");
  const std::string global = ReportPartText(
      ReportTextForEditing(test::ReadFileBytes(orion / "A020.txt")), TReportPart::Global);
  EXPECT_NE(global.find("Jovians had an unfortunate accident"), std::string::npos);
  EXPECT_EQ(global.find("Options"), std::string::npos) << global;
}

// A CR LF, Latin-1 report edited in one line differs in that line only; mixed line ends
// outside the edit and a missing last line end stay as they were.
TEST(EditedReportBytesTest, KeepsLineEndsAndBytesOutsideTheEdit) {
  const std::string original = "caf\xE9\r\nnbsp\xA0here\r\nthird\r\nfourth\r\n";
  std::string text = ReportTextForEditing(original);
  EXPECT_EQ(text, "caf\xE9\nnbsp\xA0here\nthird\nfourth\n");
  text.replace(text.find("third"), 5, "3rd line");
  EXPECT_EQ(EditedReportBytes(original, text), "caf\xE9\r\nnbsp\xA0here\r\n3rd line\r\nfourth\r\n");
  EXPECT_EQ(EditedReportBytes(original, ReportTextForEditing(original)), original);

  const std::string mixed = "a\nb\r\nc\rd";
  EXPECT_EQ(EditedReportBytes(mixed, "a\nb\nc\nd"), mixed);
  EXPECT_EQ(EditedReportBytes(mixed, "a\nB\nnew\nc\nd"), "a\nB\nnew\nc\rd");
  EXPECT_EQ(EditedReportBytes(mixed, "a\nd"), "a\nd");
  EXPECT_EQ(EditedReportBytes("", "x\ny\n"), "x\ny\n");
}

// Lines added after a last line without a line end were written onto that line ("y" + "z"
// became "yz"): the old last line now ends as the file's lines do.
TEST(EditedReportBytesTest, LinesAddedAfterALastLineWithoutLineEnd) {
  struct Case {
    const char *original, *edited, *saved;
  } cases[] = {
      {"x\ny", "x\ny\nz", "x\ny\nz"},
      {"x\ny", "x\ny\nz\n", "x\ny\nz\n"},
      {"a\r\nb", "a\nb\nc\nd", "a\r\nb\r\nc\r\nd"},
      {"only", "only\nmore", "only\nmore"},
      {"a\rb", "a\nb\n\nc", "a\rb\r\rc"},
      {"x\ny", "x\ny\n", "x\ny\n"},
  };
  for (const Case& c : cases) {
    const std::string saved = EditedReportBytes(c.original, c.edited);
    EXPECT_EQ(saved, c.saved) << c.original;
    EXPECT_EQ(ReportTextForEditing(saved), ReportTextForEditing(c.edited)) << c.original;
  }
}

// Random edits of random multi-line texts: unchanged lines keep their bytes and the result,
// read back, is the edited text.
TEST(EditedReportBytesTest, RandomEditsRoundTrip) {
  std::mt19937 random(30);
  const char* const ends[] = {"\r\n", "\n", "\r"};
  for (int round = 0; round < 200; ++round) {
    std::string original;
    const int lines = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < lines; ++i) {
      original.append(random() % 3, static_cast<char>('a' + random() % 3));
      original += 'x';
      original += ends[random() % 3];
    }
    if (random() % 3 == 0) original.pop_back();  // some files end without a line end
    std::string text = ReportTextForEditing(original);
    const size_t at = random() % (text.size() + 1);
    text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), random() % 2 ? '\n' : 'z');
    const std::string saved = EditedReportBytes(original, text);
    EXPECT_EQ(ReportTextForEditing(saved), ReportTextForEditing(text)) << round;
  }
}

}  // namespace
}  // namespace tovix
