#pragma once
// "Calculator": the pocket calculator of the main window's "Extra" menu and of the ship
// designer's productivity box, run modally (ICalculatorService). Each run starts on the value it
// is given; OK hands back the display's number and keeps the memory for the next run, Cancel and
// closing the window change nothing. It keeps only its placement.

#include <optional>

#include "windows/base/services.h"
#include "windows/base/tool_window.h"

namespace tovix {

class TCalculatorPanel;

class TfrmCalculate : public TToolWindow, public ICalculatorService {
  Q_OBJECT

 public:
  explicit TfrmCalculate(TznSaveState& store, QWidget* parent = nullptr);

  std::optional<double> RunCalculator(double value, int precision) override;

  TCalculatorPanel* Panel() const { return panel_; }

 protected:
  bool IsFixedSize() const override { return true; }
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TCalculatorPanel* panel_;
  double memory_ = 0;  // kept from one OK to the next run
  bool accepted_ = false;
};

}  // namespace tovix
