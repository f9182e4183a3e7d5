#pragma once
// An orders window of its own over a game, with a fresh program folder; and the action a menu
// item's text names.

#include <gtest/gtest.h>

#include <QAction>
#include <string>
#include <vector>

#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "windows/frame/window_catalogue.h"
#include "windows/frame/window_registry.h"
#include "windows/orders/orders_window.h"

namespace tovix::test {

inline QAction* FindAction(QWidget& root, const QString& text) {
  for (QAction* a : root.findChildren<QAction*>())
    if (a->text() == text) return a;
  ADD_FAILURE() << "no action " << text.toStdString();
  return nullptr;
}

struct OrdersFixture {
  explicit OrdersFixture(GameState& state, TServices services = {})
      : store((folder.path() / "TovixStore3.ini").string()),
        windows({store, states, state, ui, folder.path()}, services),
        window(*FindWindowEntry("frmOrders"), windows) {}
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < window.OrderLines().Count(); ++i)
      lines.push_back(window.OrderLines().Line(i));
    return lines;
  }
  TempDir folder;
  RecordingUserInterface ui;
  TznSaveState store;
  TFormStateRegistry states;
  TWindowRegistry windows;
  TfrmOrders window;
};

}  // namespace tovix::test
