#pragma once
// The pocket calculator's face: the display with its "M" indicator and a keypad of speed
// buttons over a TCalculatorEngine. Keys typed in the window go through KeyPressed: a key of
// a button presses that button visibly, any other reaches the engine. The display has a popup
// with "&Copy" (Ctrl+Insert) and "&Paste" (Shift+Insert, only while the clipboard holds text).
//
// The compact layout (98 by 124, for a drop-down under an edit) has no display, memory, function,
// OK or Cancel buttons: its owner shows DisplayChanged's text itself.

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

enum TCalculatorLayout { clDialog, clCompact };

class TCalculatorPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TCalculatorPanel(QWidget* parent = nullptr, TCalculatorLayout layout = clDialog);

  TCalculatorLayout Layout() const { return layout_; }
  TCalculatorEngine& Engine() { return engine_; }
  // Shows the engine's text and memory (after the engine was changed from outside).
  void Refresh();
  QString DisplayText() const;
  bool MemoryIndicatorShown() const;
  // nullptr for a button the layout does not have.
  TRxSpeedButton* Button(TCalcButton button) const { return buttons_[button]; }
  // nullptr in the compact layout.
  QMenu* DisplayMenu() const { return displayMenu_; }

  // A key typed in the calculator's window; true when the calculator took it.
  bool KeyPressed(QKeyEvent* event);

 signals:
  void OkClicked();
  void CancelClicked();
  void DisplayChanged(const QString& text);

 private:
  void BuildDisplay();
  void ButtonClicked(TCalcButton button);

  TCalculatorLayout layout_;
  TCalculatorEngine engine_;
  QLabel* display_ = nullptr;
  QLabel* memoryIndicator_ = nullptr;
  QMenu* displayMenu_ = nullptr;
  QAction* paste_ = nullptr;
  std::array<TRxSpeedButton*, kCalcButtonCount> buttons_{};
};

}  // namespace tovix
