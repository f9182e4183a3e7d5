#pragma once
// The pocket calculator's face: the display with its "M" indicator and a keypad of speed
// buttons over a TCalculatorEngine. Keys typed in the window go through KeyPressed: a key of
// a button presses that button visibly, any other reaches the engine. The display has a popup
// with "&Copy" (Ctrl+Insert) and "&Paste" (Shift+Insert, only while the clipboard holds text).

#include <QWidget>
#include <array>

#include "controls/calculator_engine.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QAction;

namespace tovix {

class TRxSpeedButton;

// The buttons; the first 22 have the key characters of kCalcKeyChars, in this order.
enum TCalcButton : int {
  cbNum0,
  cbNum1,
  cbNum2,
  cbNum3,
  cbNum4,
  cbNum5,
  cbNum6,
  cbNum7,
  cbNum8,
  cbNum9,
  cbSign,
  cbDecimal,
  cbDivide,
  cbMultiply,
  cbSubtract,
  cbAdd,
  cbSqrt,
  cbPercent,
  cbReciprocal,
  cbEquals,
  cbBackspace,
  cbClear,
  cbMemoryPlus,
  cbMemoryStore,
  cbMemoryRecall,
  cbMemoryClear,
  cbOk,
  cbCancel,
};
inline constexpr int kCalcButtonCount = cbCancel + 1;

class TCalculatorPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TCalculatorPanel(QWidget* parent = nullptr);

  TCalculatorEngine& Engine() { return engine_; }
  // Shows the engine's text and memory (after the engine was changed from outside).
  void Refresh();
  QString DisplayText() const;
  bool MemoryIndicatorShown() const;
  TRxSpeedButton* Button(TCalcButton button) const { return buttons_[button]; }
  QMenu* DisplayMenu() const { return displayMenu_; }

  // A key typed in the calculator's window; true when the calculator took it.
  bool KeyPressed(QKeyEvent* event);

 signals:
  void OkClicked();
  void CancelClicked();

 private:
  void ButtonClicked(TCalcButton button);

  TCalculatorEngine engine_;
  QLabel* display_;
  QLabel* memoryIndicator_;
  QMenu* displayMenu_;
  QAction* paste_;
  std::array<TRxSpeedButton*, kCalcButtonCount> buttons_{};
};

}  // namespace tovix
