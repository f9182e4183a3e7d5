#include "controls/calculator_engine.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

constexpr char kEnter = 13;
constexpr char kEscape = 27;
constexpr char kBackspace = 8;
constexpr char kCopy = 3;
constexpr char kPaste = 22;

// Trailing zeros of a fraction, and then a bare point, go.
std::string TrimFraction(std::string digits) {
  if (digits.find('.') == std::string::npos) return digits;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty() && digits.back() == '.') digits.pop_back();
  return digits;
}

}  // namespace

std::string TCalculatorEngine::GeneralFormat(double value, int precision) {
  if (precision < 2) precision = 2;
  if (value == 0 || !std::isfinite(value)) return "0";
  char buf[64];
  const auto r =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1);
  const std::string text(buf, r.ptr);
  const size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string sign;
  if (mantissa[0] == '-') {
    sign = "-";
    mantissa.erase(0, 1);
  }
  std::string digits = mantissa.substr(0, 1) + (mantissa.size() > 2 ? mantissa.substr(2) : "");
  if (exponent + 1 > precision || exponent < -5) {
    std::string m = digits.substr(0, 1);
    if (digits.size() > 1) m = TrimFraction(m + "." + digits.substr(1));
    return sign + m + "E" + std::to_string(exponent);
  }
  std::string fixed;
  if (exponent >= 0) {
    if (static_cast<int>(digits.size()) <= exponent)
      digits.append(exponent + 1 - digits.size(), '0');
    fixed = digits.substr(0, static_cast<size_t>(exponent) + 1) + "." +
            digits.substr(static_cast<size_t>(exponent) + 1);
  } else {
    fixed = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  return sign + TrimFraction(fixed);
}

void TCalculatorEngine::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  if (OnDisplayChange) OnDisplayChange();
}

void TCalculatorEngine::DoBeep() {
  if (BeepOnError && Beep) Beep();
}

void TCalculatorEngine::Start(double value) {
  Clear();
  operand_ = 0;
  if (value != 0) ShowValue(value);
}

void TCalculatorEngine::ShowValue(double value) {
  SetText(GeneralFormat(value, Digits()));
}

double TCalculatorEngine::DisplayValue() const {
  if (status_ == csError) return 0;
  std::string text = Trim(text_);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return StrToFloatDef(text, 0);
}

void TCalculatorEngine::StartEntry() {
  if (status_ != csFirst) return;
  status_ = csValid;
  SetText("0");
}

void TCalculatorEngine::Clear() {
  status_ = csFirst;
  ShowValue(0);
  operator_ = '=';
}

void TCalculatorEngine::EnterError() {
  status_ = csError;
  SetText("Error");
  DoBeep();
  if (OnError) OnError();
}

void TCalculatorEngine::CalcKey(char key) {
  key = UpCase(key);
  if (status_ == csError && key != 'C' && key != kEscape) return;
  if (OnCalcKey) {
    OnCalcKey(key);
    if (key == 0) return;
    key = UpCase(key);
  }
  switch (key) {
    case ',':
    case '.':
      StartEntry();
      if (text_.find('.') == std::string::npos) SetText(text_ + ".");
      return;
    case 'R':
    case 'Q': {
      status_ = csFirst;
      const double value = DisplayValue();
      if (key == 'R' ? value == 0 : value < 0)
        EnterError();
      else
        ShowValue(key == 'R' ? 1 / value : std::sqrt(value));
      return;
    }
    case '_':
      ShowValue(-DisplayValue());
      return;
    case 'C':
    case kEscape:
      Clear();
      return;
    case kBackspace:
      StartEntry();
      if (text_.size() == 1 || (text_.size() == 2 && text_[0] == '-'))
        SetText("0");
      else
        SetText(text_.substr(0, text_.size() - 1));
      return;
    case kCopy:
      CopyDisplay();
      return;
    case kPaste:
      if (PasteText)
        if (const std::optional<std::string> text = PasteText()) PasteDisplay(*text);
      return;
    case '+':
    case '-':
    case '*':
    case '/':
    case '=':
    case '%':
    case kEnter:
      Operate(key);
      return;
    default:
      break;
  }
  if (key < '0' || key > '9') return;
  StartEntry();
  std::string text = text_ == "0" ? std::string() : text_;
  if (text.find('E') != std::string::npos) return;
  const size_t limit = static_cast<size_t>(Digits()) + (text.find('-') != std::string::npos);
  if (text.size() < limit)
    SetText(text + key);
  else
    DoBeep();
}

void TCalculatorEngine::Operate(char key) {
  if (status_ == csValid) {
    status_ = csFirst;
    double value = DisplayValue();
    if (key == '%') {
      if (operator_ == '+' || operator_ == '-')
        value = operand_ * value / 100;
      else if (operator_ == '*' || operator_ == '/')
        value /= 100;
    }
    switch (operator_) {
      case '+':
        ShowValue(operand_ + value);
        break;
      case '-':
        ShowValue(operand_ - value);
        break;
      case '*':
        ShowValue(operand_ * value);
        break;
      case '/':
        if (value == 0) {
          EnterError();
          return;
        }
        ShowValue(operand_ / value);
        break;
      default:
        break;
    }
  }
  operator_ = key;
  operand_ = DisplayValue();
  if ((key == '=' || key == '%' || key == kEnter) && OnResult) OnResult();
}

void TCalculatorEngine::MemoryPlus() {
  if (status_ == csError) return;
  memory_ += DisplayValue();
  status_ = csFirst;
}

void TCalculatorEngine::MemoryStore() {
  if (status_ == csError) return;
  memory_ = DisplayValue();
  status_ = csFirst;
}

void TCalculatorEngine::MemoryRecall() {
  if (status_ == csError) return;
  StartEntry();
  ShowValue(memory_);
}

void TCalculatorEngine::MemoryClear() {
  memory_ = 0;
}

bool TCalculatorEngine::Ok() {
  if (status_ == csError) {
    DoBeep();
    return false;
  }
  // A number typed after an operator finishes that operation: 5 + 3 and OK give 8.
  if (status_ == csValid && operator_ != '=') {
    Operate('=');
    if (status_ == csError) return false;  // the error has beeped already
  }
  ShowValue(DisplayValue());
  return true;
}

void TCalculatorEngine::CopyDisplay() {
  if (CopyText) CopyText(text_);
}

void TCalculatorEngine::PasteDisplay(std::string_view text) {
  // Nothing but a clear leaves the error status.
  if (status_ == csError) return;
  std::string cleaned(text);
  if (!CurrencySymbol.empty()) {
    for (size_t at; (at = cleaned.find(CurrencySymbol)) != std::string::npos;)
      cleaned.erase(at, CurrencySymbol.size());
  }
  double value = 0;
  if (TryParseFloat(Trim(cleaned), value))
    ShowValue(value);
  else
    SetText("0");
}

}  // namespace tovix
