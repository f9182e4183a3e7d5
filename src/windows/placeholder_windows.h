#pragma once
// Placeholders for the tool windows that are not built yet. Each is a real top-level tool window
// under its catalogue row's caption and help context, keeping its placement and "ShowOnStartup"
// like any other, with one label that says what the window will be for. The placeholders of the
// windows that provide services do the least that makes sense: the orders placeholder puts
// inserted order lines on the clipboard and writes no file, so an empty placeholder never
// overwrites the user's orders or notes; the others do nothing.

#include <QString>
#include <memory>
#include <string>

#include "core/game_model.h"
#include "core/game_types.h"
#include "windows/services.h"
#include "windows/tool_window.h"

class QLabel;

namespace tovix {

struct TWindowEntry;

class TPlaceholderWindow : public TToolWindow {
  Q_OBJECT

 public:
  TPlaceholderWindow(const TWindowEntry& entry, TznSaveState& store, QWidget* parent = nullptr);

  QString Purpose() const;

 private:
  QLabel* lblPurpose_;
};

}  // namespace tovix
