#include "windows/frame/config_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <memory>

#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "platform/platform_test_helpers.h"
#include "support/recording_ui.h"
#include "support/show_window.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::RecordingUserInterface;
using test::TempDir;

void WriteFile(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

QString Q(const fs::path& path) {
  return QString::fromStdString(path.string());
}

class ConfigDialog : public testing::Test {
 protected:
  fs::path IniPath() const { return dir_ / "Tovix.ini"; }
  std::string IniText() const { return ReadFileBytes(IniPath()); }
  void WriteIni(std::string_view text) { WriteFile(IniPath(), text); }

  // The window for the game the program runs, shown as a tool window.
  TfrmConfigIni& Open(const std::string& currentSection, TznSaveState& store) {
    window_ = std::make_unique<TfrmConfigIni>(store, dir_.path(), ui_);
    window_->SetCurrentGameSection(currentSection);
    window_->SetShortcutMaker([this](const TGameShortcut& s) { shortcuts_.push_back(s); });
    return *window_;
  }
  TfrmConfigIni& Show(const std::string& currentSection) {
    Open(currentSection, memoryStore_).show();
    EXPECT_TRUE(test::ShowExposed(*window_));
    return *window_;
  }

  template <class W>
  W* Child(const char* name) const {
    W* w = window_->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QListWidget* Games() const { return Child<QListWidget>("lbxGames"); }
  QString Text(const char* edit) const { return Child<QLineEdit>(edit)->text(); }
  void Click(const char* button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
  void ClickGame(const QString& section) {
    const QList<QListWidgetItem*> items = Games()->findItems(section, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << section.toStdString();
    QTest::mouseClick(Games()->viewport(), Qt::LeftButton, {},
                      Games()->visualItemRect(items.front()).center());
  }
  void Type(const char* edit, const QString& text) {
    QLineEdit* e = Child<QLineEdit>(edit);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, text);
  }
  QStringList ListedGames() const {
    QStringList names;
    for (int i = 0; i < Games()->count(); ++i) names << Games()->item(i)->text();
    return names;
  }
  bool Enabled(const char* button) const { return Child<QPushButton>(button)->isEnabled(); }

  TempDir dir_;
  TznSaveState memoryStore_{""};
  RecordingUserInterface ui_;
  std::vector<TGameShortcut> shortcuts_;
  std::unique_ptr<TfrmConfigIni> window_;
};

constexpr const char* kTwoGames =
    "[RUN]\r\ngame=1\r\n"
    "[1]\r\nName=Orion\r\nspelD=/g/orion/%1s%0.03d.txt\r\nspelC=A\r\nGameType=Galaxy Blind\r\n"
    "MapType=Spherical\r\nMapSize=300\r\n"
    "[2]\r\nName=Vega\r\nspelD=/g/vega/%1s%0.03d.txt\r\nspelC=k\r\noutbacktype=1\r\n";

TEST_F(ConfigDialog, ConfigurationSavedReReadAndMadeDefault) {
  WriteIni(kTwoGames);
  Show("1");
  EXPECT_EQ(Child<QLabel>("lblDefaultGame")->text(), "1");
  EXPECT_EQ(ListedGames(), (QStringList{"1", "2"}));
  EXPECT_EQ(window_->SelectedGame(), "1");
  EXPECT_EQ(Text("edtName"), "Orion");
  EXPECT_EQ(Child<QComboBox>("cbxGameType")->currentText(), "Galaxy Blind");

  ClickGame("2");
  EXPECT_EQ(Text("edtName"), "Vega");
  EXPECT_EQ(Text("edtDirectory"), "/g/vega");
  EXPECT_EQ(Child<QComboBox>("cbxGameType")->currentIndex(), -1);
  Type("edtName", "Vega Prime");
  Type("edtMapSize", "250");
  Type("edtUseCountMethod", "999");  // beyond the range: saved as its limit
  QTest::keyClick(Child<QComboBox>("cbxGameType"), Qt::Key_End);
  QTest::keyClick(Child<QComboBox>("cbxMapType"), Qt::Key_End);
  Click("btnSave");
  EXPECT_TRUE(ui_.messages.empty());

  ClickGame("1");
  EXPECT_EQ(Text("edtName"), "Orion");
  ClickGame("2");
  EXPECT_EQ(Text("edtName"), "Vega Prime");
  EXPECT_EQ(Text("edtMapSize"), "250");
  EXPECT_EQ(Text("edtUseCountMethod"), "200");
  EXPECT_EQ(Child<QComboBox>("cbxGameType")->currentText(), "Galaxy NT");
  EXPECT_EQ(Child<QComboBox>("cbxMapType")->currentText(), "Spherical");

  Click("btnMakeDefault");
  EXPECT_EQ(Child<QLabel>("lblDefaultGame")->text(), "2");
  TGameSettings settings;
  TReportLayout layout;
  ASSERT_TRUE(ReadGameSettings(dir_.path(), {}, settings, layout));
  EXPECT_EQ(settings.GameNumber, 2);
  EXPECT_EQ(settings.GameType, TGameType::NT);
  EXPECT_EQ(settings.MapType, TMapType::Spherical);
  EXPECT_EQ(settings.MapSize, 250);
  EXPECT_EQ(settings.UseCountMethod, 200);
  EXPECT_EQ(settings.spelD, "/g/vega/%1s%0.03d.txt");
  EXPECT_EQ(settings.spelC, "k");
  EXPECT_TRUE(settings.outbacktype);  // a key the dialog does not show survives
}

// With no game selected, Save, Default, Shortcut and Ally acted on a section without a number
// ("" or "-1"). They stay disabled until a game is selected.
TEST_F(ConfigDialog, GameActionsStayDisabledUntilAGameIsSelected) {
  WriteIni(kTwoGames);
  Show("-1");
  EXPECT_EQ(ListedGames(), (QStringList{"1", "2"}));
  EXPECT_EQ(window_->SelectedGame(), "");
  for (const char* button :
       {"btnSave", "btnMakeDefault", "btnCreateShortcutOnDesktop", "btnAddAllyTurnReports"})
    EXPECT_FALSE(Enabled(button)) << button;
  EXPECT_TRUE(Enabled("btnNew"));
  EXPECT_TRUE(Enabled("btnClose"));
  Click("btnSave");
  Click("btnMakeDefault");
  EXPECT_EQ(IniText(), kTwoGames);

  ClickGame("2");
  for (const char* button :
       {"btnSave", "btnMakeDefault", "btnCreateShortcutOnDesktop", "btnAddAllyTurnReports"})
    EXPECT_TRUE(Enabled(button)) << button;
}

// A Tovix.ini that exists but cannot be read raised out of the window's show and ended the
// program. The reason is shown and the window stays usable.
TEST_F(ConfigDialog, UnreadableSettingsFileIsShownNotFatal) {
  fs::create_directory(IniPath());
  Show("1");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].find("Tovix.ini"), std::string::npos) << ui_.messages[0];
  EXPECT_EQ(Games()->count(), 0);
  EXPECT_FALSE(Enabled("btnSave"));
}

TEST_F(ConfigDialog, StartupModeIsCentredModalAndLeavesTheStoreAlone) {
  const fs::path storeFile = dir_ / "TovixStore3.ini";
  const std::string storeText =
      "[Configuration_State]\r\nShowCmd=2\r\nNormalLeft=3\r\nNormalTop=4\r\nNormalRight=203\r\n"
      "NormalBottom=104\r\n[Configuration]\r\nShowOnStartup=1\r\n";
  WriteFile(storeFile, storeText);
  TznSaveState store(storeFile.string());
  TfrmConfigIni& w = Open("-1", store);
  w.SetStartupFlag(true);
  w.LoadState();
  EXPECT_FALSE(w.ShowOnStartup());

  bool ranInside = false;
  // Closes a dialog that never answers, so a fault fails instead of hanging.
  test::LoopGuard guard(100000, [&w] { w.hide(); });
  QTimer::singleShot(0, &w, [&] {
    ranInside = true;
    EXPECT_EQ(QApplication::activeModalWidget(), &w);
    EXPECT_EQ(w.windowType(), Qt::Dialog);
    EXPECT_FALSE(w.isMinimized());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((w.frameGeometry().center() - screenCentre).manhattanLength(), 1);
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    Click("btnClose");
  });
  w.RunStartupMode();

  EXPECT_TRUE(ranInside);
  EXPECT_FALSE(guard.Fired());
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{std::string(kRestartMessage)}));
  w.SaveState();
  EXPECT_EQ(store.ReadInteger("Configuration_State", "NormalLeft", -1), 3);
  EXPECT_TRUE(store.ReadBool("Configuration", "ShowOnStartup", false));
  EXPECT_EQ(ReadFileBytes(storeFile), storeText);
}

TEST_F(ConfigDialog, NewGameFromAReportIsAddedSelectedAndOffersAShortcut) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << "the Orion reports are not on this machine";
  TempDir reports;
  fs::copy_file(orion / "A025.txt", reports / "A025.txt");
  WriteIni(kTwoGames);
  Show("1");
  QString startFolder;
  window_->SetReportPicker([&](QWidget*, const QString& start) {
    startFolder = start;
    return Q(reports / "A025.txt");
  });
  ui_.answers = {true, true};

  Click("btnNew");

  EXPECT_EQ(startFolder, "/g/orion");
  ASSERT_EQ(ui_.questions.size(), 2u);
  EXPECT_EQ(ui_.questions[0],
            "A Galaxy NG game found:\r\rName:\t\tOrion\rPlayer:\t\tArcturans\rDirectory:\t\t" +
                reports.path().string() +
                "\rFile Mask:\t%1s%0.03d\rFile Ext:\t\t.txt\rUsed Char:\tA\r\rDo you want to add "
                "a entry for it?");
  EXPECT_EQ(ui_.questions[1], "Do you want to create a Shortcut on the desktop for this game?");
  EXPECT_EQ(shortcuts_, (std::vector<TGameShortcut>{{"Orion", "0", dir_.path().string()}}));
  EXPECT_EQ(ListedGames(), (QStringList{"1", "2", "0"}));
  EXPECT_EQ(window_->SelectedGame(), "0");
  // The fields show the new game, not what game 1 had.
  EXPECT_EQ(Text("edtName"), "Orion");
  EXPECT_EQ(Text("edtDirectory"), Q(reports.path()));
  EXPECT_EQ(Text("edtUsedChars"), "A");
  EXPECT_EQ(Child<QComboBox>("cbxGameType")->currentText(), "Galaxy NG");
  EXPECT_EQ(Child<QComboBox>("cbxMapType")->currentIndex(), -1);
  EXPECT_EQ(Text("edtMapSize"), "100");

  TGameSettings settings;
  TReportLayout layout;
  ASSERT_TRUE(ReadGameSettings(dir_.path(), {"0"}, settings, layout));
  EXPECT_EQ(FormatReportName(settings.spelD, settings.spelC[0], 25),
            (reports / "A025.txt").string());

  // A cancelled file choice adds nothing.
  const std::string before = IniText();
  window_->SetReportPicker([](QWidget*, const QString&) { return QString(); });
  Click("btnNew");
  EXPECT_EQ(IniText(), before);
  EXPECT_EQ(ui_.questions.size(), 2u);
}

TEST_F(ConfigDialog, MdiCheckBoxWritesAtOnceAndOnlyWhenClicked) {
  WriteIni(kTwoGames);
  Show("1");
  QCheckBox* box = Child<QCheckBox>("CheckBox1");
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(IniText(), kTwoGames);  // showing the game wrote nothing
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));  // on the box
  EXPECT_FALSE(TIniFile(IniPath().string()).ReadBool("RUN", "UseMDIStyle", true));
}

TEST_F(ConfigDialog, UnusableMaskIsShownAndNotSaved) {
  WriteIni(kTwoGames);
  Show("1");
  Type("edtFileMask", "%1s%s");
  Click("btnSave");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0], ReportPatternError("/g/orion/%1s%s.txt"));
  EXPECT_EQ(IniText(), kTwoGames);
}

}  // namespace
}  // namespace tovix
