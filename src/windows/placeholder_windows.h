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

// Placeholder of the orders window.
class TOrdersPlaceholder : public TPlaceholderWindow, public IOrderService {
  Q_OBJECT

 public:
  using TPlaceholderWindow::TPlaceholderWindow;

  // Each hand-over goes to the clipboard, so that the user can paste it into an order file.
  void InsertGroupCommands(const std::string& lines) override { ToClipboard(lines); }
  void InsertPlanetCommands(const std::string& lines) override { ToClipboard(lines); }
  void InsertOtherCommands(const std::string& lines) override { ToClipboard(lines); }
  void InsertRouteCommands(const std::string& lines) override { ToClipboard(lines); }
  // There is no order text to analyse, search, load or save.
  void AnalyseOrders() override {}
  void AnalyseAfterInsert() override {}
  void FindPlanetInOrders(const std::string&) override {}
  void FindGroupInOrders(int) override {}
  void LoadAutomaticOrders() override {}
  void SaveOrders(const std::string&) override {}
  // The relay message's text goes to the clipboard too.
  void SendRelayMessage(const std::string&, const std::string& text) override { ToClipboard(text); }

 private:
  static void ToClipboard(const std::string& lines);
};

// Placeholder of the notes editor: there are no notes to save.
class TNotesPlaceholder : public TPlaceholderWindow, public INotesService {
  Q_OBJECT

 public:
  using TPlaceholderWindow::TPlaceholderWindow;
  void SaveCurrentNotes() override {}
};

}  // namespace tovix
