#pragma once
// The pocket calculator's engine, without widgets: the display text, the status, the pending
// operator with its operand, and the memory. The calculator window feeds it the key characters
// of its buttons and of the keyboard; tests feed them directly.
//
// Key characters: the digits, "." (also ","), "+", "-", "*", "/", "=", "%", Enter (13), "_"
// (sign), "Q" (square root), "R" (reciprocal), backspace (8), "C" and Escape (27) (clear), Ctrl+C
// (3) and Ctrl+V (22). Division by zero, the reciprocal of zero and the square root of a negative
// number show "Error"; then only a clear is taken.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tovix {

// The characters of the buttons with tags 0 to 21, as the keyboard reaches them.
inline constexpr std::string_view kCalcKeyChars = "0123456789_./*-+Q%R=\bC";

class TCalculatorEngine {
 public:
  enum TStatus { csFirst, csValid, csError };

  // Significant digits shown, and the limit of typed digits; at least 2 is used.
  int Precision = 15;
  bool BeepOnError = true;

  // Sounds the beep (set by the window; nothing by default).
  std::function<void()> Beep;
  // The display text changed.
  std::function<void()> OnDisplayChange;
  // "=", "%" or Enter finished a calculation.
  std::function<void()> OnResult;
  // The calculator went into its error status.
  std::function<void()> OnError;
  // Sees each key first; may change it, or cancel it by setting it to 0.
  std::function<void(char& key)> OnCalcKey;
  // The clipboard: Ctrl+C puts the text there; Ctrl+V reads it (nullopt when it holds none).
  std::function<void(const std::string&)> CopyText;
  std::function<std::optional<std::string>()> PasteText;
  // Removed from pasted text before it is read ("$", "EUR", ...).
  std::string CurrencySymbol;

  TCalculatorEngine() = default;

  const std::string& Text() const { return text_; }
  TStatus Status() const { return status_; }
  char Operator() const { return operator_; }
  double Operand() const { return operand_; }
  double Memory() const { return memory_; }
  void SetMemory(double memory) { memory_ = memory; }
  // "M" while the memory is not 0.
  bool MemoryShown() const { return memory_ != 0; }

  // A fresh start on `value` (0: the display "0"), as each run of the calculator begins.
  void Start(double value);
  void CalcKey(char key);
  // The number in general format with the precision's significant digits.
  void ShowValue(double value);
  // 0 in the error status, else the display's number.
  double DisplayValue() const;
  void StartEntry();
  void Clear();
  void EnterError();

  // The memory buttons.
  void MemoryPlus();
  void MemoryStore();
  void MemoryRecall();
  void MemoryClear();

  // OK: a number typed after an operator finishes that operation first (as "=" would); then
  // false (with a beep) in the error status, else the display is normalised.
  bool Ok();

  void CopyDisplay();
  // Pastes `text`: the currency symbol removed, trimmed and read; "0" when it is no number.
  void PasteDisplay(std::string_view text);

  // The general format of the calculator's display ("142.857142857143", "1E20", "1.5E-7").
  static std::string GeneralFormat(double value, int precision);

 private:
  int Digits() const { return Precision < 2 ? 2 : Precision; }
  void SetText(std::string text);
  void DoBeep();
  void Operate(char key);

  std::string text_ = "0";
  TStatus status_ = csFirst;
  char operator_ = '=';
  double operand_ = 0;
  double memory_ = 0;
};

}  // namespace tovix
