#include "platform/help.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/platform_test_helpers.h"
#include "platform/shell.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

class HelpFolders : public ::testing::Test {
 protected:
  HelpFolders() {
    previous_ = SetDesktopOpener([this](const QUrl& url) {
      opened_.push_back(url);
      return browser_;
    });
  }
  ~HelpFolders() override { SetDesktopOpener(previous_); }
  void Page(const fs::path& base, const std::string& topic) {
    fs::create_directories(base / kHelpFolderName);
    std::ofstream(base / kHelpFolderName / topic) << "<html></html>";
  }

  test::TempDir dir_;
  fs::path program_ = dir_ / "home";
  fs::path exe_ = dir_ / "bin";
  std::vector<QUrl> opened_;
  bool browser_ = true;  // whether the desktop has a program for the page
  test::RecordingUserInterface ui_;
  TDesktopOpener previous_;
};

TEST_F(HelpFolders, TheProgramFolderComesBeforeTheExecutablesFolder) {
  Page(exe_, "map.htm");
  EXPECT_EQ(FindHelpPage("map.htm", program_, exe_), exe_ / kHelpFolderName / "map.htm");
  Page(program_, "map.htm");
  EXPECT_EQ(FindHelpPage("map.htm", program_, exe_), program_ / kHelpFolderName / "map.htm");
}

TEST_F(HelpFolders, ATopicCannotReachOutsideTheHelpFolder) {
  Page(program_, "map.htm");
  std::ofstream(program_ / "Tovix.ini") << "[RUN]\n";
  EXPECT_EQ(FindHelpPage("../Tovix.ini", program_, exe_), fs::path());
  EXPECT_EQ(FindHelpPage("..", program_, exe_), fs::path());
}

TEST_F(HelpFolders, AMissingPageSaysSoAndOpensNothing) {
  EXPECT_FALSE(OpenHelpTopic("no-such-topic.htm", ui_, program_));
  EXPECT_EQ(ui_.messages, std::vector<std::string>{"Tovix help file not found!"});
  EXPECT_TRUE(opened_.empty());
}

// A machine without a browser: the user learns that nothing opened the page, and where it is.
TEST_F(HelpFolders, APageNothingCouldOpenIsNamedToTheUser) {
  Page(program_, "map.htm");
  browser_ = false;
  EXPECT_FALSE(OpenHelpTopic("map.htm", ui_, program_));
  ASSERT_EQ(opened_.size(), 1u);
  ASSERT_EQ(ui_.messages.size(), 1u);
  const std::string page = fs::absolute(program_ / kHelpFolderName / "map.htm").string();
  EXPECT_NE(ui_.messages[0].find("could open"), std::string::npos) << ui_.messages[0];
  EXPECT_NE(ui_.messages[0].find(page), std::string::npos) << ui_.messages[0];
}

}  // namespace
}  // namespace tovix
