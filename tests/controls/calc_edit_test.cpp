// The edit with a drop-down calculator: the compact keypad opens right under the edit, the edit
// shows the calculator's display while it is open, and the ways of closing it (Enter, Escape, a
// click outside, the button) take or drop the value, a pending operation finished first.

#include "controls/calc_edit.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <string>

#include "control_test_helpers.h"
#include "controls/speed_button.h"
#include "support/show_window.h"
#include "support/window_picture.h"

namespace tovix {
namespace {

class CalcEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(260, 220);
    edit_ = new TRxCalcEdit(window_.get());
    edit_->setGeometry(20, 20, 140, 23);
    QObject::connect(edit_, &TRxCalcEdit::OnAccept, [this] { ++accepted_; });
    ASSERT_TRUE(test::ShowActive(*window_));
    edit_->setFocus();
  }
  // Alt+Down, the button's key, opens the keypad.
  TPopupCalculator* Open() {
    QTest::keyClick(edit_, Qt::Key_Down, Qt::AltModifier);
    return edit_->Popup();
  }
  // Keys typed into the open keypad: "N" Enter, "E" Escape, "X" a click outside the keypad, "B" a
  // click on the edit's button; everything else is the key itself.
  void Type(const std::string& keys) {
    for (char k : keys) {
      QWidget* popup = edit_->Popup();
      if (k == 'N') {
        QTest::keyClick(popup, Qt::Key_Return);
      } else if (k == 'E') {
        QTest::keyClick(popup, Qt::Key_Escape);
      } else if (k == 'X') {
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-30, popup->height() + 30));
      } else if (k == 'B') {
        const QWidget* button = edit_->Button();
        QTest::mouseClick(popup, Qt::LeftButton, {},
                          popup->mapFromGlobal(button->mapToGlobal(button->rect().center())));
      } else {
        QTest::keyClick(popup, k);
      }
    }
  }

  std::unique_ptr<QWidget> window_;
  TRxCalcEdit* edit_ = nullptr;
  int accepted_ = 0;
};

TEST_F(CalcEditTest, OpensUnderItsEditWithTheCompactKeypad) {
  edit_->setText("2.50");
  TPopupCalculator* popup = Open();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(edit_->PopupVisible());
  EXPECT_EQ(popup->mapToGlobal(QPoint(0, 0)), edit_->mapToGlobal(QPoint(0, edit_->height())));
  // The edit shows the calculator's display.
  EXPECT_EQ(edit_->text(), "2.5");

  const TCalculatorPanel* panel = popup->Panel();
  EXPECT_EQ(panel->size(), QSize(98, 124));
  struct Place {
    TCalcButton button;
    QRect geometry;
  };
  for (const Place& p : {Place{cbNum7, {6, 6, 21, 21}}, Place{cbSign, {52, 75, 21, 21}},
                         Place{cbEquals, {52, 98, 44, 21}}})
    EXPECT_EQ(panel->Button(p.button)->geometry(), p.geometry) << p.button;
  for (TCalcButton absent : {cbOk, cbCancel, cbMemoryStore, cbSqrt, cbPercent, cbReciprocal})
    EXPECT_EQ(panel->Button(absent), nullptr) << absent;
  EXPECT_EQ(panel->DisplayMenu(), nullptr);
  Type("E");
}

struct CloseRow {
  const char* name;
  const char* before;
  std::string keys;
  const char* after;
  bool open;
  int accepted;
};

class CalcEditClosing : public CalcEditTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CalcEditClosing, TakesOrDropsTheValue) {
  const CloseRow& row = GetParam();
  test::BeepCounter beeps;
  edit_->setText(row.before);
  ASSERT_NE(Open(), nullptr);
  Type(row.keys);
  EXPECT_EQ(edit_->text().toStdString(), row.after);
  EXPECT_EQ(edit_->PopupVisible(), row.open);
  EXPECT_EQ(accepted_, row.accepted);
  if (row.open) Type("E");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CalcEditClosing,
    ::testing::Values(CloseRow{"EnterFinishesThePendingSum", "10", "5+3N", "8", false, 1},
                      CloseRow{"EscapeGivesTheOldTextBack", "10", "5+3E", "10", false, 0},
                      CloseRow{"ClickOutsideTakesTheValue", "10", "*2X", "20", false, 1},
                      CloseRow{"TheButtonClosesWithTheValue", "10", "+1B", "11", false, 1},
                      CloseRow{"EditShowsTheDisplayWhileOpen", "7", "*6", "6", true, 0},
                      CloseRow{"ErrorKeepsTheKeypadOnEnter", "4", "/0N", "Error", true, 0},
                      CloseRow{"ErrorClosedOutsideKeepsTheOldText", "4", "/0X", "4", false, 0},
                      CloseRow{"NoNumberStartsOnZero", "abc", "7N", "7", false, 1}),
    [](const auto& row) { return std::string(row.param.name); });

// scripts/window-pictures.sh: the keypad dropped down under its edit, after "1000/8".
TEST_F(CalcEditTest, DropDownPicture) {
  edit_->setText("1000");
  ASSERT_NE(Open(), nullptr);
  Type("/8");
  EXPECT_TRUE(test::TakePicture(*window_, {edit_->Popup()}, "TRxCalcEdit-dropdown"));
  Type("N");
  EXPECT_EQ(edit_->text(), "125");
}

}  // namespace
}  // namespace tovix
