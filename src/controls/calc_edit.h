#pragma once
// An edit for a number with a drop-down calculator: the button (or Alt+Down) opens the compact
// keypad right under the edit, and while it is open the edit shows the calculator's display.
//   Enter, a click outside the keypad or the button again: OK. A number typed after an operator
//     finishes that operation first (5 + 3 gives 8); the edit keeps the result. A calculator in
//     its error status cannot be taken: the edit gets its old text back.
//   Escape: Cancel; the edit gets its old text back.
// Every other key goes to the calculator (the keypad's buttons show the presses).

#include <QFrame>
#include <QPointer>

#include "controls/calculator_panel.h"
#include "controls/combo_edit.h"

namespace tovix {

class TRxCalcEdit;

// The keypad that drops down under a TRxCalcEdit.
class TPopupCalculator : public QFrame {
  Q_OBJECT

 public:
  explicit TPopupCalculator(TRxCalcEdit* edit);

  TCalculatorPanel* Panel() const { return panel_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QPointer<TRxCalcEdit> edit_;
  TCalculatorPanel* panel_;
};

class TRxCalcEdit : public TCustomComboEdit {
  Q_OBJECT

 public:
  explicit TRxCalcEdit(QWidget* parent = nullptr);
  ~TRxCalcEdit() override;

  // Significant digits of the calculator and of the value written into the edit (at least 2).
  int Precision() const { return precision_; }
  void SetPrecision(int digits) { precision_ = digits; }
  bool BeepOnError() const { return beepOnError_; }
  void SetBeepOnError(bool on) { beepOnError_ = on; }
  // The edit's number; 0 when the text is none.
  double Value() const;
  void SetValue(double value);

  // The drop-down: nullptr until it first opens.
  TPopupCalculator* Popup() const { return popup_; }
  bool PopupVisible() const;
  void ShowPopup();
  // Closes the drop-down; `accept` takes the calculator's value (OK), else the old text returns.
  void HidePopup(bool accept);

 signals:
  // The edit took a value from the calculator.
  void OnAccept();

 protected:
  void ButtonClick() override;

 private:
  friend class TPopupCalculator;
  void PopupHidden();
  // OK (the calculator's value into the edit) or Cancel (the old text back).
  void Finish(bool accept);

  int precision_ = 15;
  bool beepOnError_ = true;
  TPopupCalculator* popup_ = nullptr;
  QString textBefore_;
  bool closing_ = false;
};

}  // namespace tovix
