#include "windows/orders/calculator_window.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "controls/calculator_panel.h"
#include "windows/base/modal_loop.h"

namespace tovix {

namespace {

constexpr int kCalculatorHelpContext = 8;

}  // namespace

TfrmCalculate::TfrmCalculate(TznSaveState& store, QWidget* parent)
    : TToolWindow("Calculator", kCalculatorHelpContext, store, parent) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFocusPolicy(Qt::StrongFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  panel_ = new TCalculatorPanel(this);
  layout->addWidget(panel_);
  setFixedSize(panel_->size());
  connect(panel_, &TCalculatorPanel::OkClicked, this, [this] {
    accepted_ = true;
    hide();
  });
  connect(panel_, &TCalculatorPanel::CancelClicked, this, &QWidget::hide);
}

std::optional<double> TfrmCalculate::RunCalculator(double value, int precision) {
  TCalculatorEngine& engine = panel_->Engine();
  engine.Precision = precision;
  engine.SetMemory(memory_);
  engine.Start(value);
  panel_->Refresh();
  accepted_ = false;
  RunModally(*this);
  if (!accepted_) return std::nullopt;
  memory_ = engine.Memory();
  return engine.DisplayValue();
}

void TfrmCalculate::keyPressEvent(QKeyEvent* event) {
  if (!panel_->KeyPressed(event)) TToolWindow::keyPressEvent(event);
}

}  // namespace tovix
