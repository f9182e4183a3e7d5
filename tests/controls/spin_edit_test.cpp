#include "controls/spin_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "control_test_helpers.h"
#include "support/show_window.h"

namespace tovix {
namespace {

using test::BeepCounter;
using test::FireTimer;

const auto RowName = [](const auto& row) { return std::string(row.param.name); };

void SendFocus(QWidget* widget, QEvent::Type type, Qt::FocusReason reason) {
  QFocusEvent event(type, reason);
  QApplication::sendEvent(widget, &event);
}

// A spin edit on a shown, active window, with counters for its events.
class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(200, 60);
    edit_ = new TRxSpinEdit(window_.get());
    edit_->setGeometry(10, 10, 80, 21);
    QObject::connect(edit_, &TRxSpinEdit::OnChange, [this] { ++changes_; });
    QObject::connect(edit_, &TRxSpinEdit::OnTopClick, [this] { ++topClicks_; });
    QObject::connect(edit_, &TRxSpinEdit::OnBottomClick, [this] { ++bottomClicks_; });
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(test::ShowActive(*window_));
    edit_->setFocus();
  }

  void ResetCounters() { changes_ = topClicks_ = bottomClicks_ = 0; }

  std::unique_ptr<QWidget> window_;
  TRxSpinEdit* edit_ = nullptr;
  int changes_ = 0;
  int topClicks_ = 0;
  int bottomClicks_ = 0;
};

// ---- writing and reading the value

struct SetValueRow {
  const char* name;
  TValueType type;
  int decimals;
  double minValue;
  double maxValue;
  double value;
  const char* text;
};
class SetValueTest : public ::testing::TestWithParam<SetValueRow> {};

TEST_P(SetValueTest, WritesTheClampedValueAsText) {
  const SetValueRow& row = GetParam();
  TRxSpinEdit edit;
  edit.SetValueType(row.type);
  edit.SetDecimal(row.decimals);
  edit.SetMinValue(row.minValue);
  edit.SetMaxValue(row.maxValue);
  edit.SetValue(row.value);
  EXPECT_EQ(edit.text().toStdString(), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SetValueTest,
    ::testing::Values(SetValueRow{"ClampedToMax", vtInteger, 2, 0, 100, 150, "100"},
                      SetValueRow{"ClampedToMin", vtInteger, 2, 0, 100, -3, "0"},
                      SetValueRow{"EqualBoundsClampNothing", vtInteger, 2, 0, 0, 1e6, "1000000"},
                      SetValueRow{"HalfRoundsDownToEven", vtInteger, 2, 0, 0, 2.5, "2"},
                      SetValueRow{"HalfRoundsUpToEven", vtInteger, 2, 0, 0, 3.5, "4"},
                      SetValueRow{"FloatKeepsFifteenDigits", vtFloat, 18, 0, 0, 0.1 + 0.2,
                                  "0.300000000000000000"},
                      SetValueRow{"FloatBeyondFifteenDigitsPadsZeros", vtFloat, 1, 0, 0,
                                  1234567890123456789.0, "1234567890123460000.0"},
                      SetValueRow{"FloatNeverShowsMinusZero", vtFloat, 2, 0, 0, -1e-9, "0.00"},
                      SetValueRow{"HexNegative", vtHex, 2, 0, 0, -255, "-FF"},
                      // Rounding a value beyond the integer range used to fail; it now saturates.
                      SetValueRow{"HugeIntegerSaturates", vtInteger, 2, 0, 0, 1e30,
                                  "9223372036854775807"}),
    RowName);

struct GetValueRow {
  const char* name;
  TValueType type;
  double minValue;
  const char* text;
  double expected;
};
class GetValueTest : public ::testing::TestWithParam<GetValueRow> {};

TEST_P(GetValueTest, ReadsTheTextOrFallsBackToMinValue) {
  const GetValueRow& row = GetParam();
  TRxSpinEdit edit;
  edit.SetValueType(row.type);
  edit.SetMinValue(row.minValue);
  edit.setText(QString::fromUtf8(row.text));
  EXPECT_EQ(edit.GetValue(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GetValueTest,
    ::testing::Values(GetValueRow{"IntegerWithBlanks", vtInteger, 0, " 42 ", 42},
                      GetValueRow{"IntegerJunkIsTruncatedMin", vtInteger, 2.7, "junk", 2},
                      GetValueRow{"NegativeMinTruncatesTowardZero", vtInteger, -2.7, "x", -2},
                      GetValueRow{"IntegerTakesNoFraction", vtInteger, 0, "1.5", 0},
                      GetValueRow{"FloatEmptyIsMin", vtFloat, 2.7, "", 2.7},
                      GetValueRow{"FloatCommaIsJunk", vtFloat, -1, "1,5", -1},
                      GetValueRow{"HexLowerCase", vtHex, 0, "ff", 255},
                      GetValueRow{"HexTakesNoPrefix", vtHex, 0, "0x10", 0}),
    RowName);

TEST_F(SpinEditTest, DecimalPointIsAFullStopUnderAGermanLocale) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  BeepCounter beeps;
  edit_->SetValueType(vtFloat);
  edit_->SetValue(1.5);
  EXPECT_EQ(edit_->text(), QStringLiteral("1.50"));
  edit_->setText(QStringLiteral("2.25"));
  EXPECT_EQ(edit_->GetValue(), 2.25);
  edit_->setText(QStringLiteral("3"));
  QTest::keyClicks(edit_, QStringLiteral(",5"));
  EXPECT_EQ(edit_->text(), QStringLiteral("35"));
  EXPECT_EQ(beeps.Count(), 1);
  QTest::keyClick(edit_, Qt::Key_Up);
  EXPECT_EQ(edit_->text(), QStringLiteral("36.00"));
  QLocale::setDefault(previous);
}

// ---- keys

struct KeyRow {
  const char* name;
  TValueType type;
  bool editorEnabled;
  const char* start;
  const char* typed;
  const char* text;
  int beeps;
};
class SpinKeyTest : public SpinEditTest, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(SpinKeyTest, RefusedKeysBeepAndAreDropped) {
  const KeyRow& row = GetParam();
  BeepCounter beeps;
  edit_->SetValueType(row.type);
  edit_->SetEditorEnabled(row.editorEnabled);
  edit_->setText(QString::fromUtf8(row.start));
  edit_->deselect();
  edit_->end(false);
  QTest::keyClicks(edit_, QString::fromUtf8(row.typed));
  EXPECT_EQ(edit_->text().toStdString(), row.text);
  EXPECT_EQ(beeps.Count(), row.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SpinKeyTest,
    ::testing::Values(KeyRow{"FloatSecondPointBeeps", vtFloat, true, "1.5", ".", "1.5", 1},
                      KeyRow{"FloatTakesOneExponent", vtFloat, true, "1", "e-3", "1e-3", 0},
                      KeyRow{"FloatEAfterEBeeps", vtFloat, true, "1E5", "e", "1E5", 1},
                      KeyRow{"IntegerRefusesLetters", vtInteger, true, "1", "a.", "1", 2},
                      KeyRow{"IntegerTakesSigns", vtInteger, true, "", "-4+", "-4+", 0},
                      KeyRow{"HexTakesHexLetters", vtHex, true, "1", "aFg", "1aF", 1},
                      KeyRow{"EditorDisabledRefusesDigits", vtInteger, false, "1", "5", "1", 1}),
    RowName);

TEST_F(SpinEditTest, ArrowKeysStepAndFireEventsOnce) {
  edit_->SetMaxValue(10);
  edit_->setText(QStringLiteral("9"));
  ResetCounters();
  QTest::keyClick(edit_, Qt::Key_Up);
  EXPECT_EQ(edit_->text(), QStringLiteral("10"));
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(topClicks_, 1);
  EXPECT_TRUE(edit_->isModified());
  // At the bound the text stays: the step is reported, the change is not.
  QTest::keyClick(edit_, Qt::Key_Up);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(topClicks_, 2);
  QTest::keyClick(edit_, Qt::Key_Down);
  EXPECT_EQ(edit_->text(), QStringLiteral("9"));
  EXPECT_EQ(changes_, 2);
  EXPECT_EQ(bottomClicks_, 1);
  edit_->SetArrowKeys(false);
  QTest::keyClick(edit_, Qt::Key_Down);
  EXPECT_EQ(edit_->text(), QStringLiteral("9"));
}

// ---- focus

TEST_F(SpinEditTest, OutOfRangeTextStaysUntilTheFocusLeaves) {
  edit_->SetMinValue(0);
  edit_->SetMaxValue(100);
  edit_->selectAll();
  QTest::keyClicks(edit_, QStringLiteral("150"));
  EXPECT_EQ(edit_->text(), QStringLiteral("150"));
  EXPECT_EQ(edit_->Value(), 150.0);
  SendFocus(edit_, QEvent::FocusOut, Qt::TabFocusReason);
  EXPECT_EQ(edit_->text(), QStringLiteral("100"));
  // An in-range text is left as typed.
  edit_->setText(QStringLiteral("007"));
  SendFocus(edit_, QEvent::FocusOut, Qt::TabFocusReason);
  EXPECT_EQ(edit_->text(), QStringLiteral("007"));
}

TEST_F(SpinEditTest, JunkTextIsReplacedByTheValueWhenTheFocusLeaves) {
  // The text "1-2" used to stay on screen while the edit's value read as MinValue; leaving the
  // edit now shows the value that the form reads.
  edit_->SetMinValue(5);
  edit_->SetMaxValue(50);
  edit_->setText(QStringLiteral("1-2"));
  SendFocus(edit_, QEvent::FocusOut, Qt::TabFocusReason);
  EXPECT_EQ(edit_->text(), QStringLiteral("5"));
}

// ---- value type

struct TypeSwitchRow {
  const char* name;
  double increment;
  double expectedIncrement;
};
class ValueTypeSwitchTest : public ::testing::TestWithParam<TypeSwitchRow> {};

TEST_P(ValueTypeSwitchTest, FloatToIntegerKeepsTheValueAndRoundsTheIncrement) {
  TRxSpinEdit edit;
  edit.SetValueType(vtFloat);
  edit.SetIncrement(GetParam().increment);
  edit.SetValue(3.75);
  // The text "3.75" used to be read as an integer after the switch and so became MinValue; it is
  // now read as the float it was written as.
  edit.SetValueType(vtInteger);
  EXPECT_EQ(edit.text(), QStringLiteral("4"));
  EXPECT_EQ(edit.Increment(), GetParam().expectedIncrement);
}

INSTANTIATE_TEST_SUITE_P(Increments, ValueTypeSwitchTest,
                         ::testing::Values(TypeSwitchRow{"SmallBecomesOne", 0.4, 1},
                                           TypeSwitchRow{"RoundsUp", 2.6, 3},
                                           TypeSwitchRow{"HalfToEven", 2.5, 2}),
                         RowName);

// ---- step button

TEST_F(SpinEditTest, HeldSpinButtonStepsAtOnceThenRepeats) {
  TRxSpinButton* button = edit_->SpinButton();
  QTimer* timer = button->findChild<QTimer*>(QStringLiteral("repeatTimer"));
  ASSERT_NE(timer, nullptr);
  window_->setFocus();
  ResetCounters();
  QTest::mousePress(button, Qt::LeftButton, {}, {3, 3});
  EXPECT_TRUE(edit_->hasFocus());
  EXPECT_EQ(edit_->text(), QStringLiteral("1"));
  EXPECT_EQ(topClicks_, 1);
  EXPECT_EQ(button->Down(), sbTopDown);
  EXPECT_EQ(timer->interval(), 400);
  FireTimer(timer);
  EXPECT_EQ(edit_->text(), QStringLiteral("2"));
  EXPECT_EQ(timer->interval(), 100);
  // Dragged onto the other part nothing is pressed and nothing steps.
  const QPoint lower(button->width() - 3, button->height() - 3);
  QTest::mouseMove(button, lower);
  EXPECT_EQ(button->Down(), sbNotDown);
  FireTimer(timer);
  EXPECT_EQ(edit_->text(), QStringLiteral("2"));
  QTest::mouseMove(button, {3, 3});
  FireTimer(timer);
  EXPECT_EQ(edit_->text(), QStringLiteral("3"));
  QTest::mouseRelease(button, Qt::LeftButton, {}, {3, 3});
  EXPECT_EQ(button->Down(), sbNotDown);
  EXPECT_EQ(topClicks_, 3);
  EXPECT_EQ(changes_, 3);

  QTest::mouseClick(button, Qt::LeftButton, {}, lower);
  EXPECT_EQ(edit_->text(), QStringLiteral("2"));
  EXPECT_EQ(bottomClicks_, 1);
}

}  // namespace
}  // namespace tovix
