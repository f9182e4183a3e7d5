#include "windows/dialogs/lookup_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "platform/platform_test_helpers.h"
#include "platform/qt_user_interface.h"

namespace tovix {
namespace {

// Runs `answer` on the list-choice dialog the code under test opens.
class LookUpAnswerer {
 public:
  explicit LookUpAnswerer(std::function<void(TfrmZNLookUp*)> answer)
      : answerer_([answer = std::move(answer), this](QWidget* w) {
          auto* dialog = qobject_cast<TfrmZNLookUp*>(w);
          if (dialog == nullptr) {
            w->close();
            return;
          }
          startRow = dialog->ItemIndex();
          caption = dialog->windowTitle();
          answer(dialog);
        }) {}
  int Count() const { return answerer_.Count(); }

  int startRow = -2;
  QString caption;

 private:
  test::ModalAnswerer answerer_;
};

void DoubleClickRow(TfrmZNLookUp* d, int row) {
  QListWidget* list = d->ListBox1();
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

const std::vector<std::string> kLetters = {"a", "b", "c", "d"};

TEST(LookUp, StartsAtTheGivenItemAndOkReturnsIt) {
  QPoint centre;
  LookUpAnswerer answerer([&](TfrmZNLookUp* d) {
    centre = d->geometry().center();
    QTest::keyClick(d, Qt::Key_Return);  // OK is the default button
  });
  std::string selected = "c";
  EXPECT_TRUE(LookUp("choose a character", kLetters, selected));
  EXPECT_EQ(selected, "c");
  EXPECT_EQ(answerer.startRow, 2);
  EXPECT_EQ(answerer.caption, QStringLiteral("choose a character"));
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((centre - screenCentre).manhattanLength(), 2);
}

// The list makes its first item current when it gets the focus; that must not count as a
// choice, or OK would return the first item instead of leaving the selection alone.
TEST(LookUp, OkWithNoItemChosenKeepsTheSelection) {
  LookUpAnswerer answerer([](TfrmZNLookUp* d) {
    // As on a desktop: the dialog becomes the active window and its list gets the focus.
    QApplication::setActiveWindow(d);
    d->ListBox1()->setFocus(Qt::TabFocusReason);
    d->OkButton()->click();
  });
  std::string selected = "zz";
  EXPECT_TRUE(LookUp("choose a character", kLetters, selected));
  EXPECT_EQ(answerer.startRow, -1);
  EXPECT_EQ(selected, "zz");
}

TEST(LookUp, TheStartItemIsFoundIgnoringCaseWhenNotExact) {
  LookUpAnswerer answerer([](TfrmZNLookUp* d) { d->OkButton()->click(); });
  std::string selected = "Mars";
  EXPECT_TRUE(LookUp("Planets", {"earth", "mars", "MARS", "Mars"}, selected));
  EXPECT_EQ(answerer.startRow, 3);
  selected = "MaRs";
  EXPECT_TRUE(LookUp("Planets", {"earth", "mars", "MARS", "Mars"}, selected));
  EXPECT_EQ(answerer.startRow, 1);
  EXPECT_EQ(selected, "mars");
}

struct CancelRow {
  const char* name;
  std::function<void(TfrmZNLookUp*)> answer;
};

class LookUpCancel : public ::testing::TestWithParam<CancelRow> {};

TEST_P(LookUpCancel, AnswersFalseAndKeepsTheSelection) {
  LookUpAnswerer answerer([](TfrmZNLookUp* d) {
    d->ListBox1()->setCurrentRow(3);
    GetParam().answer(d);
  });
  std::string selected = "b";
  EXPECT_FALSE(LookUp("choose a character", kLetters, selected));
  EXPECT_EQ(selected, "b");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LookUpCancel,
    ::testing::Values(
        CancelRow{"CancelButton", [](TfrmZNLookUp* d) { d->CancelButton()->click(); }},
        CancelRow{"Escape", [](TfrmZNLookUp* d) { QTest::keyClick(d, Qt::Key_Escape); }},
        CancelRow{"Closed", [](TfrmZNLookUp* d) { d->close(); }}),
    test::RowName<CancelRow>);

TEST(LookUpIndex, ChoosesByIndexAndIgnoresAStartOutsideTheList) {
  LookUpAnswerer answerer([](TfrmZNLookUp* d) { d->OkButton()->click(); });
  int selected = 7;
  EXPECT_TRUE(LookUpIndex("x", kLetters, selected));
  EXPECT_EQ(answerer.startRow, -1);
  EXPECT_EQ(selected, 7);
}

// A double click chooses its row, also through the program's UserInterface.
TEST(LookUpIndex, TheProgramsUserInterfaceChoosesThroughIt) {
  LookUpAnswerer answerer([](TfrmZNLookUp* d) { DoubleClickRow(d, 0); });
  TQtUserInterface ui(LookUpIndex);
  int selected = 2;
  EXPECT_TRUE(ui.ChooseFromList("choose a character", kLetters, selected));
  EXPECT_EQ(answerer.startRow, 2);
  EXPECT_EQ(selected, 0);
}

}  // namespace
}  // namespace tovix
