// The window catalogue drives the registry, the toolbar and the help dispatcher: walking it proves
// that every button opens its own window and that F1 there opens that window's own page.

#include "windows/window_catalogue.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/help.h"
#include "platform/platform_test_helpers.h"
#include "platform/shell.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "windows/main_window.h"
#include "windows/window_registry.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

class Catalogue : public testing::Test {
 protected:
  Catalogue()
      : store_((folder_ / "TovixStore3.ini").string()),
        windows_({store_, states_, state_, ui_, folder_.path()}) {
    previous_ = SetDesktopOpener([this](const QUrl& url) {
      opened_.push_back(url.fileName().toStdString());
      return true;
    });
    fs::create_directories(folder_ / kHelpFolderName);
    for (const TWindowEntry& row : WindowCatalogue())
      if (row.HelpTopic) std::ofstream(folder_ / kHelpFolderName / row.HelpTopic) << "<html/>";
    windows_.CreateStartupWindows();
    windows_.CreateLaterWindows();
  }
  ~Catalogue() override { SetDesktopOpener(previous_); }

  test::TempDir folder_;
  TznSaveState store_;
  TFormStateRegistry states_;
  GameState state_;
  test::RecordingUserInterface ui_;
  TWindowRegistry windows_;
  std::vector<std::string> opened_;
  TDesktopOpener previous_;
};

TEST_F(Catalogue, EveryToolbarButtonOpensItsOwnWindowWithItsOwnHelpPage) {
  TfrmMain& main = *windows_.Main();
  main.show();
  std::set<std::string> windowsOpened, pagesOpened;
  int buttons = 0;
  for (const TWindowEntry& row : WindowCatalogue()) {
    if (row.ButtonPlace == 0) continue;
    SCOPED_TRACE(row.InstanceName);
    ++buttons;
    opened_.clear();
    std::string window;
    const auto askForHelp = [&window](QWidget* w) {
      window = w->objectName().toStdString();
      QTest::keyClick(w, Qt::Key_F1);
    };
    if (row.Action == TButtonAction::Modal) {
      test::ModalAnswerer answerer([&](QWidget* modal) {
        askForHelp(modal);
        modal->close();
      });
      QTest::mouseClick(main.Button(row.ButtonName), Qt::LeftButton);
      EXPECT_EQ(answerer.Count(), 1);
    } else {
      QTest::mouseClick(main.Button(row.ButtonName), Qt::LeftButton);
      std::vector<QWidget*> shown;
      for (QWidget* w : windows_.Windows())
        if (w != &main && w->isVisible()) shown.push_back(w);
      ASSERT_EQ(shown.size(), 1u);
      askForHelp(shown[0]);
      shown[0]->hide();
    }
    EXPECT_EQ(window, row.InstanceName);
    ASSERT_EQ(opened_, std::vector<std::string>{row.HelpTopic});
    windowsOpened.insert(window);
    pagesOpened.insert(opened_[0]);
  }
  EXPECT_EQ(buttons, 18);
  EXPECT_EQ(windowsOpened.size(), 18u);
  EXPECT_EQ(pagesOpened.size(), 18u);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{});
}

// Each context belongs to one window, and every page the dispatcher can choose is in the sources
// and beside the program.
TEST(CatalogueRows, HelpContextsAreUniqueAndEveryPageExists) {
  std::set<int> contexts;
  std::set<std::string> topics{"introduction.htm", "expressionsgroups.htm"};
  for (const TWindowEntry& row : WindowCatalogue()) {
    if (row.HelpContext != 0) {
      EXPECT_TRUE(contexts.insert(row.HelpContext).second) << row.InstanceName;
    }
    if (row.HelpTopic) topics.insert(row.HelpTopic);
  }
  for (const std::string& topic : topics) {
    EXPECT_TRUE(fs::is_regular_file(fs::path(TOVIX_HELP_SOURCE_DIR) / topic)) << topic;
    EXPECT_TRUE(fs::is_regular_file(fs::path(TOVIX_HELP_BUILD_DIR) / topic)) << topic;
  }
  // A context no window has opens the introduction; the message and list-choice dialogs open
  // nothing; the expression dialog's caption must match exactly (see main_window_test).
  EXPECT_EQ(HelpTopicFor(0, ""), "introduction.htm");
  EXPECT_EQ(HelpTopicFor(99, ""), "introduction.htm");
  EXPECT_EQ(HelpTopicFor(13, ""), "");
  EXPECT_EQ(HelpTopicFor(34, ""), "");
  EXPECT_EQ(HelpTopicFor(28, "groups expressions"), "expressionsplanets.htm");
}

// Until the orders window exists, inserted order lines reach the user through the clipboard.
TEST_F(Catalogue, TheOrdersPlaceholderPutsInsertedLinesOnTheClipboard) {
  IOrderService* orders = windows_.Services().Orders;
  ASSERT_NE(orders, nullptr);
  orders->InsertRouteCommands("R Mars CAP Venus\r\nR Mars COL Venus");
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "R Mars CAP Venus\r\nR Mars COL Venus");
  orders->SaveOrders((folder_ / "orders_0").string());
  EXPECT_FALSE(fs::exists(folder_ / "orders_0"));
}

}  // namespace
}  // namespace tovix
