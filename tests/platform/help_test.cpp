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

// A box that says a page could not be opened; F1 pressed `presses` times in the first such box
// asks for the page again each time, as the help dispatcher does for a key pressed in any box.
class BoxAskingAgain : public test::RecordingUserInterface {
 public:
  BoxAskingAgain(const fs::path& program, int presses) : program_(program), presses_(presses) {}
  void ShowMessage(const std::string& text) override {
    RecordingUserInterface::ShowMessage(text);
    if (messages.size() > 1) return;
    for (int i = 0; i < presses_; ++i) againOpened += OpenHelpTopic("map.htm", *this, program_);
  }
  int againOpened = 0;

 private:
  fs::path program_;
  int presses_;
};

// F1 pressed four times in the box that says a page could not be opened: four boxes stood one
// over the other, each saying the same.
TEST_F(HelpFolders, F1InTheBoxOfAPageNotOpenedOpensNoSecondBox) {
  struct Case {
    const char* name;
    bool pageThere;
    size_t tries;  // the pages handed to the desktop
  };
  const Case cases[] = {{"nothing could open the page", true, 1}, {"no help pages", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    if (c.pageThere) Page(dir.path(), "map.htm");
    browser_ = false;
    opened_.clear();
    BoxAskingAgain box(dir.path(), 4);
    EXPECT_FALSE(OpenHelpTopic("map.htm", box, dir.path()));
    EXPECT_EQ(box.messages.size(), 1u);
    EXPECT_EQ(box.againOpened, 0);
    EXPECT_EQ(opened_.size(), c.tries);
    // Once that box is closed, F1 asks again.
    browser_ = true;
    EXPECT_EQ(OpenHelpTopic("map.htm", ui_, dir.path()), c.pageThere);
  }
}

}  // namespace
}  // namespace tovix
