#include "windows/texts/report_tabs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/reports/add_tabs.h"
#include "core/text/file_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;

// A report whose section headers lost their tab marks.
const std::string kUntabbed =
    "Galaxy Game Demo Turn 3 Report for Corvids\nYour Planets\n\n N X Y\n";

class AddTabsToAllReportsTest : public testing::Test {
 protected:
  AddTabsToAllReportsTest() {
    settings_.spelD = (dir_ / "%1s%0.03d.txt").string();
    settings_.spelC = "AB";
    for (const char* name : {"A000.txt", "A002.txt", "B001.txt", "C000.txt"})
      std::ofstream(dir_ / name, std::ios::binary) << kUntabbed;
  }
  int Run() {
    return AddTabsToAllReports(settings_, ui_,
                               [this](const std::string& text) { progress_.push_back(text); });
  }
  std::string File(const std::string& name) const { return (dir_ / name).string(); }

  test::TempDir dir_;
  TGameSettings settings_;
  test::RecordingUserInterface ui_;
  std::vector<std::string> progress_;
};

// Answered No, nothing changes. Answered Yes: every report of the game's letters, turn by turn
// and the own letter first; a letter the game does not use (C) is left alone.
TEST_F(AddTabsToAllReportsTest, YesRepairsEveryReportOfTheGame) {
  ui_.answers = {false, true};
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadFileBytes(dir_ / "A000.txt"), kUntabbed);
  EXPECT_FALSE(fs::exists(dir_ / "A000.txt.TabBackup"));
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(ui_.questions, std::vector<std::string>(2,
                                                    "Parse all reports and add Tabs when "
                                                    "needed?\rIt will take some time, so be "
                                                    "patient"));
  EXPECT_EQ(progress_, (std::vector<std::string>{"Tovix adding tabs: " + File("A000.txt"),
                                                 "Tovix adding tabs: " + File("B001.txt"),
                                                 "Tovix adding tabs: " + File("A002.txt")}));
  for (const char* name : {"A000.txt", "A002.txt", "B001.txt"}) {
    EXPECT_NE(ReadFileBytes(dir_ / name).find("\t\tYour Planets\n"), std::string::npos) << name;
    EXPECT_EQ(ReadFileBytes(dir_ / (std::string(name) + ".TabBackup")), kUntabbed) << name;
  }
  EXPECT_EQ(ReadFileBytes(dir_ / "C000.txt"), kUntabbed);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{});
}

// A report that cannot be written stops the run with a message that names it; the report stays
// as it was.
TEST_F(AddTabsToAllReportsTest, AnUnwritableReportStopsTheRunWithItsName) {
  ui_.answers = {true};
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  const int handled = Run();
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  EXPECT_EQ(handled, 0);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{
                              "I was not able to save " + File("A000.txt") +
                              " to disk, please check if it is write protected, read only or if "
                              "the disk is full"});
  EXPECT_EQ(progress_.size(), 1u);
  EXPECT_EQ(ReadFileBytes(dir_ / "A000.txt"), kUntabbed);
}

// A read-only report is repaired only when the user lets its read-only flag go: No leaves it as
// it is, Yes clears the flag and repairs it, All does so for every later one without asking. A
// read-only report that needs no repair is not asked about.
TEST_F(AddTabsToAllReportsTest, ReadOnlyReportsAreRepairedOnlyWithLeave) {
  const std::string tabbed = AddTabsToText(kUntabbed);
  std::ofstream(dir_ / "A001.txt", std::ios::binary) << tabbed;
  for (const char* name : {"A000.txt", "A001.txt", "B001.txt", "A002.txt"})
    ASSERT_TRUE(SetReadOnly(dir_ / name, true));
  ui_.answers = {true};
  ui_.yesNoAll = {TYesNoAll::No, TYesNoAll::All};
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(ui_.questions, (std::vector<std::string>{
                               "Parse all reports and add Tabs when needed?\rIt will take some "
                               "time, so be patient",
                               "Remove readonly for file?\r" + File("A000.txt"),
                               "Remove readonly for file?\r" + File("B001.txt")}));
  EXPECT_EQ(ReadFileBytes(dir_ / "A000.txt"), kUntabbed);
  EXPECT_TRUE(IsReadOnly(dir_ / "A000.txt"));
  EXPECT_TRUE(IsReadOnly(dir_ / "A001.txt")) << "no repair needed: left as it is";
  for (const char* name : {"B001.txt", "A002.txt"}) {
    EXPECT_EQ(ReadFileBytes(dir_ / name), tabbed) << name;
    EXPECT_FALSE(IsReadOnly(dir_ / name)) << name;
  }
  for (const char* name : {"A000.txt", "A002.txt", "B001.txt"}) SetReadOnly(dir_ / name, false);
  SetReadOnly(dir_ / "A001.txt", false);
}

// A pattern that cannot be expanded is reported instead of being handed to a formatter.
TEST_F(AddTabsToAllReportsTest, UnusablePatternIsReported) {
  settings_.spelD = (dir_ / "%s%s.txt").string();
  ui_.answers = {true};
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(progress_.empty());
}

}  // namespace
}  // namespace tovix
