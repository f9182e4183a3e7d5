#include "platform/help.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/platform_test_helpers.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

struct TopicRow {
  const char* name;
  int context;
  const char* caption;
  const char* topic;
};

class HelpTopics : public ::testing::TestWithParam<TopicRow> {};

TEST_P(HelpTopics, FollowTheTable) {
  EXPECT_EQ(HelpTopicFor(GetParam().context, GetParam().caption), GetParam().topic);
}

INSTANTIATE_TEST_SUITE_P(
    Contexts, HelpTopics,
    ::testing::Values(
        TopicRow{"NoContext", 0, "", "introduction.htm"},
        TopicRow{"GapInTheTable", 8, "", "introduction.htm"},
        TopicRow{"PastTheTable", 35, "", "introduction.htm"},
        TopicRow{"Negative", -1, "", "introduction.htm"},
        TopicRow{"CalculatorNotHandled", 13, "", ""}, TopicRow{"ListChoiceNotHandled", 34, "", ""},
        TopicRow{"Toolbar", 3, "", "toolbar.htm"},
        TopicRow{"TurnReports", 33, "", "turnreports.htm"},
        TopicRow{"GroupsExpressions", 28, "Groups Expressions", "expressionsgroups.htm"},
        TopicRow{"PlanetsExpressions", 28, "Planets Expressions", "expressionsplanets.htm"},
        TopicRow{"CaptionIsExact", 28, "groups expressions", "expressionsplanets.htm"}),
    test::RowName<TopicRow>);

// Every topic the dispatcher can choose has its page, in the sources and beside the program.
TEST(HelpPages, EveryTopicHasAPageInTheSourcesAndTheBuild) {
  for (const char* caption : {"Groups Expressions", ""}) {
    for (int context = -1; context <= 40; ++context) {
      const std::string topic = HelpTopicFor(context, caption);
      if (topic.empty()) continue;
      EXPECT_TRUE(fs::is_regular_file(fs::path(TOVIX_HELP_SOURCE_DIR) / topic)) << topic;
      EXPECT_TRUE(fs::is_regular_file(fs::path(TOVIX_HELP_BUILD_DIR) / topic)) << topic;
    }
  }
}

class HelpFolders : public ::testing::Test {
 protected:
  HelpFolders() {
    previous_ = SetHelpOpener([this](const QUrl& url) {
      opened_.push_back(url);
      return true;
    });
  }
  ~HelpFolders() override { SetHelpOpener(previous_); }
  void Page(const fs::path& base, const std::string& topic) {
    fs::create_directories(base / kHelpFolderName);
    std::ofstream(base / kHelpFolderName / topic) << "<html></html>";
  }

  test::TempDir dir_;
  fs::path program_ = dir_ / "home";
  fs::path exe_ = dir_ / "bin";
  std::vector<QUrl> opened_;
  test::RecordingUserInterface ui_;
  THelpOpener previous_;
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

}  // namespace
}  // namespace tovix
