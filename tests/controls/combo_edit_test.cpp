#include "controls/combo_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

#include "control_test_helpers.h"
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

}  // namespace
}  // namespace tovix
