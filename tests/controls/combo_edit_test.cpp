#include "controls/combo_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control_test_helpers.h"
#include "controls/app_events.h"
#include "controls/directory_edit.h"
#include "controls/folder_dialog.h"
#include "support/show_window.h"

namespace tovix {
namespace {

// A shown, active window holding one edit.
class ComboEditTest : public ::testing::Test {
 protected:
  template <class Edit>
  Edit* Make() {
    window_ = std::make_unique<QWidget>();
    window_->resize(200, 60);
    auto* edit = new Edit(window_.get());
    edit->setGeometry(10, 10, 120, 21);
    QObject::connect(edit, &TCustomComboEdit::OnButtonClick, [this] { ++buttonClicks_; });
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(test::ShowActive(*window_));
    edit->setFocus();
    return edit;
  }

  static void ClickButton(TCustomComboEdit* edit) {
    QTest::mouseClick(edit->Button(), Qt::LeftButton, {}, {4, 4});
  }

  std::unique_ptr<QWidget> window_;
  int buttonClicks_ = 0;
};

TEST_F(ComboEditTest, ClickKeyAndMouseFireOnButtonClickOnce) {
  auto* edit = Make<TComboEdit>();
  QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(buttonClicks_, 1);
  window_->setFocus();
  ClickButton(edit);
  EXPECT_EQ(buttonClicks_, 2);
  EXPECT_TRUE(edit->hasFocus());  // the button focuses its edit
  edit->SetButtonWidth(0);
  QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(buttonClicks_, 2);
}

TEST_F(ComboEditTest, WithoutDirectInputOnlyTheButtonAndCodeSetTheText) {
  auto* edit = Make<TComboEdit>();
  int changes = 0;
  QObject::connect(edit, &TCustomComboEdit::OnChange, [&] { ++changes; });
  edit->SetDirectInput(false);
  EXPECT_FALSE(edit->ReadOnly());
  QTest::keyClicks(edit, QStringLiteral("abc"));
  QApplication::clipboard()->setText(QStringLiteral("pasted"));
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QString());
  EXPECT_EQ(changes, 0);
  QObject::connect(edit, &TCustomComboEdit::OnButtonClick,
                   [edit] { edit->setText(QStringLiteral("chosen")); });
  ClickButton(edit);
  EXPECT_EQ(edit->text(), QStringLiteral("chosen"));
  EXPECT_EQ(changes, 1);
}

TEST_F(ComboEditTest, ButtonWidthMustStaySmallerThanTheEdit) {
  auto* edit = Make<TComboEdit>();
  edit->SetButtonWidth(200);
  EXPECT_EQ(edit->ButtonWidth(), 21);
  edit->SetButtonWidth(1);
  EXPECT_EQ(edit->ButtonWidth(), 1);
  EXPECT_FALSE(edit->ButtonHolder()->isVisible());
}

// ---- folder choosing

// Two real folders A and B ("<A>", "<B>" and "<missing>" in a text stand for their paths), and
// the folder dialog answered with `answer_` in place of the user.
class FolderTest : public ComboEditTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    ASSERT_TRUE(QDir(temp_.path()).mkpath(QStringLiteral("A")));
    ASSERT_TRUE(QDir(temp_.path()).mkpath(QStringLiteral("B")));
    previous_ = SetFolderDialogHook([this](const TFolderDialogRequest& request) {
      ++calls_;
      last_ = request;
      return answer_;
    });
  }
  void TearDown() override { SetFolderDialogHook(previous_); }
  QString Path(const char* name) const {
    QString text = QString::fromUtf8(name);
    const QString root = QDir::cleanPath(temp_.path());
    text.replace(QStringLiteral("<A>"), root + QStringLiteral("/A"));
    text.replace(QStringLiteral("<B>"), root + QStringLiteral("/B"));
    text.replace(QStringLiteral("<missing>"), root + QStringLiteral("/missing"));
    return text;
  }

  QTemporaryDir temp_;
  std::optional<QString> answer_;
  int calls_ = 0;
  TFolderDialogRequest last_;
  TFolderDialogHook previous_;
};

struct BrowseRow {
  const char* name;
  const char* text;
  const char* initialDir;
  bool multipleDirs;
  const char* answer;  // nullptr: cancelled
  const char* start;
  const char* result;
  const char* newInitialDir;
};
class DirectoryButtonTest : public FolderTest, public ::testing::WithParamInterface<BrowseRow> {};

TEST_P(DirectoryButtonTest, ButtonBrowsesFromTheTextAndTakesTheChoice) {
  const BrowseRow& row = GetParam();
  auto* edit = Make<TDirectoryEdit>();
  edit->setText(Path(row.text));
  edit->SetInitialDir(Path(row.initialDir));
  edit->SetMultipleDirs(row.multipleDirs);
  if (row.answer) answer_ = Path(row.answer);
  ClickButton(edit);
  EXPECT_EQ(buttonClicks_, 1);
  EXPECT_EQ(calls_, 1);
  EXPECT_EQ(last_.startFolder, Path(row.start));
  EXPECT_EQ(edit->text(), Path(row.result));
  EXPECT_EQ(edit->InitialDir(), Path(row.newInitialDir));
}

INSTANTIATE_TEST_SUITE_P(
    Choices, DirectoryButtonTest,
    ::testing::Values(
        BrowseRow{"ExistingTextIsTheStart", "<A>", "", false, "<B>", "<A>", "<B>", "<B>"},
        BrowseRow{"EmptyTextStartsAtInitialDir", "", "<A>", false, "<B>", "<A>", "<B>", "<B>"},
        BrowseRow{"NothingToStartFromIsTheRoot", "", "", false, "<A>", "/", "<A>", "<A>"},
        BrowseRow{"MissingFolderStartsAtTheRoot", "<missing>", "", false, "<A>", "/", "<A>", "<A>"},
        BrowseRow{"CancelKeepsTheText", "<A>", "", false, nullptr, "<A>", "<A>", ""},
        BrowseRow{"MultipleDirsAppends", "<A>", "", true, "<B>", "<A>", "<A>;<B>", "<B>"},
        BrowseRow{"TrailingSeparatorIsDropped", "", "", false, "<B>/", "/", "<B>", "<B>"},
        BrowseRow{"RootKeepsItsSeparator", "", "", false, "/", "/", "/", "/"},
        BrowseRow{"NoFolderIsNoChoice", "<A>", "", false, "<missing>", "<A>", "<A>", ""}),
    [](const auto& row) { return std::string(row.param.name); });

// What dkVCL's dialog does with a chosen folder that does not exist, by DialogOptions; "yes" and
// "no" answer the question before the folder is made.
struct OptionsRow {
  const char* name;
  TSelectDirOpts options;
  const char* answer;  // the question's answer; nullptr when none is expected
  const char* result;
  bool made;
};
class DirectoryOptionsTest : public FolderTest, public ::testing::WithParamInterface<OptionsRow> {};

TEST_P(DirectoryOptionsTest, MissingFolderIsTakenOrMadeAsTheOptionsSay) {
  const OptionsRow& row = GetParam();
  auto* edit = Make<TDirectoryEdit>();
  edit->setText(Path("<A>"));
  edit->SetDialogOptions(row.options);
  edit->SetHelpContext(17);
  answer_ = Path("<missing>");
  int questions = 0;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    ++questions;
    box->button(std::string(row.answer ? row.answer : "") == "yes" ? QMessageBox::Yes
                                                                   : QMessageBox::No)
        ->click();
  });
  answerer.start(0);
  ClickButton(edit);
  EXPECT_EQ(last_.helpContext, 17);
  EXPECT_EQ(last_.options, row.options);
  EXPECT_EQ(questions, row.answer ? 1 : 0);
  EXPECT_EQ(edit->text(), Path(row.result));
  EXPECT_EQ(QDir(Path("<missing>")).exists(), row.made);
}

INSTANTIATE_TEST_SUITE_P(
    Options, DirectoryOptionsTest,
    ::testing::Values(
        OptionsRow{"NoneRefusesIt", {}, nullptr, "<A>", false},
        OptionsRow{"AllowCreateTakesTheName", sdAllowCreate, nullptr, "<missing>", false},
        OptionsRow{"PerformCreateMakesIt", sdAllowCreate | sdPerformCreate, nullptr, "<missing>",
                   true},
        OptionsRow{"PerformCreateAloneIsNothing", sdPerformCreate, nullptr, "<A>", false},
        OptionsRow{"PromptYesMakesIt", sdAllowCreate | sdPerformCreate | sdPrompt, "yes",
                   "<missing>", true},
        OptionsRow{"PromptNoKeepsTheText", sdAllowCreate | sdPerformCreate | sdPrompt, "no", "<A>",
                   false}),
    [](const auto& row) { return std::string(row.param.name); });

// The folder browser itself (no chooser in its place): its events, its Help button and where it
// starts browsing.
class FolderBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    ASSERT_TRUE(QDir(temp_.path()).mkpath(QStringLiteral("A")));
    previous_ = SetFolderDialogHook({});
    // Whatever happens, no dialog outlives a generous watchdog.
    watchdog_.setSingleShot(true);
    QObject::connect(&watchdog_, &QTimer::timeout, [] {
      ADD_FAILURE() << "the folder dialog was still open";
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    watchdog_.start(60000);
  }
  void TearDown() override { SetFolderDialogHook(previous_); }

  QTemporaryDir temp_;
  TFolderDialogHook previous_;
  QTimer watchdog_;
};

TEST_F(FolderBrowserTest, EventsFireAndHelpOpensItsContext) {
  const QString folderA = QDir::cleanPath(temp_.path()) + "/A";
  TBrowseFolderDlg browser;
  browser.SetFolderName(temp_.path());
  browser.SetHelpContext(12);
  TAppEvents events;
  std::vector<intptr_t> helped;
  events.OnHelp = [&](int, intptr_t context, bool& callHelp) {
    helped.push_back(context);
    callHelp = false;
    return true;
  };
  int initialized = 0;
  std::vector<QString> changes;
  // The user puts the cursor on folder A once the dialog has listed it.
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    QFileDialog* dialog = browser.Dialog();
    auto* model = dialog ? dialog->findChild<QFileSystemModel*>() : nullptr;
    auto* view = dialog ? dialog->findChild<QListView*>("listView") : nullptr;
    if (model == nullptr || view == nullptr || view->model() != model) return;
    const QModelIndex entry = model->index(folderA);
    if (!entry.isValid() || model->rowCount(model->index(temp_.path())) == 0) return;
    user.stop();
    view->setCurrentIndex(entry);
  });
  QObject::connect(&browser, &TBrowseFolderDlg::OnInitialized, [&] {
    ++initialized;
    QFileDialog* dialog = browser.Dialog();
    ASSERT_NE(dialog, nullptr);
    auto* help = dialog->findChild<QPushButton*>("HelpBtn");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), "&Help");
    help->click();
    user.start(10);
  });
  QObject::connect(&browser, &TBrowseFolderDlg::OnSelChanged, [&](const QString& folder) {
    changes.push_back(folder);
    EXPECT_EQ(browser.SelectedName(), folder);
    if (QDir::cleanPath(folder) == folderA)
      QMetaObject::invokeMethod(browser.Dialog(), "accept", Qt::QueuedConnection);
  });
  EXPECT_TRUE(browser.Execute());
  EXPECT_EQ(initialized, 1);
  EXPECT_EQ(helped, (std::vector<intptr_t>{12}));
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(QDir::cleanPath(changes.back()), folderA);
  EXPECT_EQ(browser.FolderName(), folderA);
  EXPECT_EQ(browser.DisplayName(), "A");
  EXPECT_EQ(browser.Dialog(), nullptr);
}

// Without a folder to start from, browsing starts at the desktop (or home), or at "/" without
// DesktopRoot; without a help context there is no Help button; Cancel chooses nothing.
TEST_F(FolderBrowserTest, StartsAtItsRoot) {
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  const QString home = QDir(desktop).exists() ? desktop : QDir::homePath();
  for (const bool desktopRoot : {true, false}) {
    TBrowseFolderDlg browser;
    browser.SetFolderName(QDir::cleanPath(temp_.path()) + "/missing");
    browser.SetDesktopRoot(desktopRoot);
    QString started;
    QList<QUrl> places;
    bool help = true;
    QObject::connect(&browser, &TBrowseFolderDlg::OnInitialized, [&] {
      started = browser.Dialog()->directory().absolutePath();
      places = browser.Dialog()->sidebarUrls();
      help = browser.Dialog()->findChild<QPushButton*>("HelpBtn") != nullptr;
      QMetaObject::invokeMethod(browser.Dialog(), "reject", Qt::QueuedConnection);
    });
    EXPECT_FALSE(browser.Execute());
    const QString root = desktopRoot ? QDir(home).absolutePath() : QStringLiteral("/");
    EXPECT_EQ(started, root) << desktopRoot;
    ASSERT_FALSE(places.isEmpty());
    EXPECT_EQ(QDir(places.first().toLocalFile()).absolutePath(), root);
    EXPECT_EQ(places.size() > 1, desktopRoot);
    EXPECT_FALSE(help);
  }
}

}  // namespace
}  // namespace tovix
