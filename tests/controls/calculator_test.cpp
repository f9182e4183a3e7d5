// The pocket calculator: its engine fed key by key (one table), the display's number format, the
// memory and paste, and the window's keys and buttons.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>

#include "controls/beep.h"
#include "controls/calculator_engine.h"
#include "controls/calculator_panel.h"
#include "controls/speed_button.h"

namespace tovix {
namespace {

// Keys as one string: "M" stands for MS, "m" for MC, "r" for MR, "p" for MP, "O" for OK; "B"
// backspace, "E" Escape, "N" Enter; everything else is the key itself.
struct KeysRow {
  const char* name;
  int precision;
  std::string keys;
  std::string display;
  int beeps;
  bool memoryShown;
};

void Feed(TCalculatorEngine& engine, const std::string& keys) {
  for (char k : keys) {
    if (k == 'M') engine.MemoryStore();
    if (k == 'm') engine.MemoryClear();
    if (k == 'r') engine.MemoryRecall();
    if (k == 'p') engine.MemoryPlus();
    if (k == 'O') engine.Ok();
    if (std::string("MmrpO").find(k) == std::string::npos)
      engine.CalcKey(k == 'B' ? '\b' : k == 'E' ? 27 : k == 'N' ? 13 : k);
  }
}

class CalculatorKeys : public testing::TestWithParam<KeysRow> {};

TEST_P(CalculatorKeys, ShowTheirDisplay) {
  const KeysRow& row = GetParam();
  TCalculatorEngine engine;
  engine.Precision = row.precision;
  int beeps = 0;
  engine.Beep = [&beeps] { ++beeps; };
  engine.Start(0);
  Feed(engine, row.keys);
  EXPECT_EQ(engine.Text(), row.display);
  EXPECT_EQ(beeps, row.beeps);
  EXPECT_EQ(engine.MemoryShown(), row.memoryShown);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CalculatorKeys,
    testing::Values(KeysRow{"AddThenEquals", 15, "2+3=", "5", 0, false},
                    KeysRow{"EqualsAgainKeepsTheResult", 15, "2+3==", "5", 0, false},
                    KeysRow{"PercentOfASum", 15, "200+10%", "220", 0, false},
                    KeysRow{"PercentOfAProduct", 15, "50*10%", "5", 0, false},
                    KeysRow{"DivisionByZeroIsAnError", 15, "1/0=", "Error", 1, false},
                    KeysRow{"ErrorIgnoresDigits", 15, "1/0=7", "Error", 1, false},
                    KeysRow{"ClearLeavesTheError", 15, "1/0=C", "0", 1, false},
                    KeysRow{"EscapeClearsToo", 15, "1/0=E", "0", 1, false},
                    KeysRow{"PrecisionLimitsTypedDigits", 3, "1234", "123", 1, false},
                    KeysRow{"MinusSignAllowsOneMore", 3, "12_3", "-123", 0, false},
                    KeysRow{"BackspaceOnMinusFive", 15, "5_B", "0", 0, false},
                    KeysRow{"BackspaceOnSeven", 15, "7B", "0", 0, false},
                    KeysRow{"BackspaceRemovesTheLast", 15, "123B", "12", 0, false},
                    KeysRow{"MemoryIndicator", 15, "5M", "5", 0, true},
                    KeysRow{"MemoryClearHidesIt", 15, "5Mm", "5", 0, false},
                    KeysRow{"DigitAfterStoreStartsANumber", 15, "5M3", "3", 0, true},
                    KeysRow{"DigitAfterRecallExtendsIt", 15, "5MCr3", "53", 0, true},
                    KeysRow{"MemoryPlusAdds", 15, "5M2pCr", "7", 0, true},
                    KeysRow{"FifteenDigits", 15, "1000/7=", "142.857142857143", 0, false},
                    KeysRow{"ThreeDigitsCutResults", 3, "100/7=", "14.3", 0, false},
                    KeysRow{"BigNumbersInExponentForm", 3, "999*999=", "9.98E5", 0, false},
                    KeysRow{"SmallNumbersInExponentForm", 15, "1/1000000=", "1E-6", 0, false},
                    KeysRow{"SquareRoot", 15, "16Q", "4", 0, false},
                    KeysRow{"RootOfANegativeIsAnError", 15, "4_Q", "Error", 1, false},
                    KeysRow{"Reciprocal", 15, "4R", "0.25", 0, false},
                    KeysRow{"DecimalPointOnce", 15, "1..5", "1.5", 0, false},
                    KeysRow{"CommaIsThePointToo", 15, "1,5*2N", "3", 0, false},
                    KeysRow{"OperatorsChain", 15, "2*6-2=", "10", 0, false},
                    KeysRow{"OkFinishesThePendingSum", 15, "5+3O", "8", 0, false},
                    KeysRow{"OkAfterEqualsKeepsTheResult", 15, "5+3=O", "8", 0, false},
                    KeysRow{"OkWithoutASecondNumber", 15, "5+O", "5", 0, false},
                    KeysRow{"OkOnAPendingPercent", 15, "200+10%O", "220", 0, false},
                    KeysRow{"OkOnAPendingDivisionByZero", 15, "1/0O", "Error", 1, false},
                    KeysRow{"OkCutsToThePrecision", 3, "100/7O", "14.3", 0, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CalculatorEngine, StartOkAndPaste) {
  TCalculatorEngine engine;
  int beeps = 0;
  engine.Beep = [&beeps] { ++beeps; };
  engine.Start(10.5);
  EXPECT_EQ(engine.Text(), "10.5");
  // The start value is a result: a digit starts a new number.
  engine.CalcKey('2');
  EXPECT_EQ(engine.Text(), "2");
  // OK in error beeps and refuses; a clear lets it go.
  Feed(engine, "/0=");
  EXPECT_FALSE(engine.Ok());
  EXPECT_EQ(beeps, 2);
  engine.CalcKey('C');
  EXPECT_TRUE(engine.Ok());

  engine.CurrencySymbol = "$";
  engine.PasteDisplay("  $12.50 ");
  EXPECT_EQ(engine.Text(), "12.5");
  engine.PasteDisplay("twelve");
  EXPECT_EQ(engine.Text(), "0");
  std::string copied;
  engine.CopyText = [&copied](const std::string& t) { copied = t; };
  engine.PasteText = [] { return std::optional<std::string>("7"); };
  engine.CalcKey(22);
  engine.CalcKey(3);
  EXPECT_EQ(copied, "7");
}

TEST(CalculatorEngine, GeneralFormat) {
  const std::pair<double, const char*> rows[] = {{0, "0"},
                                                 {1e20, "1E20"},
                                                 {1.5e-7, "1.5E-7"},
                                                 {0.00001, "0.00001"},
                                                 {-1234.5, "-1234.5"},
                                                 {123456789012345.0, "123456789012345"},
                                                 {1234567890123456.0, "1.23456789012346E15"}};
  for (const auto& [value, text] : rows)
    EXPECT_EQ(TCalculatorEngine::GeneralFormat(value, 15), text);
}

// Typed keys press the buttons: "2*6=" shows 12; Escape clears, the memory indicator follows MS.
TEST(CalculatorPanel, KeysPressTheButtons) {
  const BeepHook previous = SetBeepHook([] {});
  TCalculatorPanel panel;
  int ok = 0, cancel = 0;
  QObject::connect(&panel, &TCalculatorPanel::OkClicked, [&ok] { ++ok; });
  QObject::connect(&panel, &TCalculatorPanel::CancelClicked, [&cancel] { ++cancel; });
  for (Qt::Key key : {Qt::Key_2, Qt::Key_Asterisk, Qt::Key_6, Qt::Key_Return}) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier,
                    key == Qt::Key_Return ? QString() : QString(QChar(key)));
    EXPECT_TRUE(panel.KeyPressed(&event));
  }
  EXPECT_EQ(panel.DisplayText(), "12");
  panel.Button(cbMemoryStore)->Click();
  EXPECT_TRUE(panel.MemoryIndicatorShown());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  panel.KeyPressed(&escape);
  EXPECT_EQ(panel.DisplayText(), "0");
  panel.Button(cbMemoryRecall)->Click();
  EXPECT_EQ(panel.DisplayText(), "12");
  panel.Button(cbMemoryClear)->Click();
  EXPECT_FALSE(panel.MemoryIndicatorShown());
  panel.Button(cbOk)->Click();
  panel.Button(cbCancel)->Click();
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(cancel, 1);
  // The display's Copy puts its text on the clipboard.
  panel.DisplayMenu()->actions()[0]->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "12");
  SetBeepHook(previous);
}

}  // namespace
}  // namespace tovix
