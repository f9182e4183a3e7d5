#pragma once
// The expression filters dialog answered without showing it: the user picks the planets item and
// presses OK, so the chosen expression filters the planet lists.

#include <QDialog>

#include "windows/expressions/calculation_dialogs.h"

namespace tovix::test {

inline bool AcceptPlanetsFilter(TfrmExpressionFilters& filters) {
  filters.setResult(QDialog::Rejected);
  filters.SetItemIndex(1);
  filters.OkClicked();
  return filters.result() == QDialog::Accepted;
}

}  // namespace tovix::test
