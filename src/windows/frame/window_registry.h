#pragma once
// The program's windows: one instance each for the whole run, made from the window catalogue
// (window_catalogue.h) in its order and found by their instance names ("frmPlayers"). The
// registry owns them and frees them in the reverse order; windows that keep state are entered in
// the form-state registry as they are made, so loading and saving follow the creation order.
// Every tool window is attached to the game events, and the windows that provide a service
// (services.h) are entered in Services().

#include <QWidget>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/settings/save_state.h"
#include "windows/base/game_events.h"
#include "windows/base/services.h"
#include "windows/base/window_directory.h"
#include "windows/frame/window_catalogue.h"

namespace tovix {

class TfrmConfigIni;
class TfrmMain;
class TfrmWait;

class TWindowRegistry final : public IWindowDirectory {
 public:
  // Services given here (tests' fakes) are kept; the windows fill the others.
  explicit TWindowRegistry(TWindowContext context, TServices services = {});
  ~TWindowRegistry();
  TWindowRegistry(const TWindowRegistry&) = delete;
  TWindowRegistry& operator=(const TWindowRegistry&) = delete;

  // The windows made before the reports are read, main window first. None of them touches the
  // model before it is shown, so the start-up makes them while another thread reads the reports.
  void CreateStartupWindows() { Create(TWindowStage::BeforeReading); }
  // Of those, the ones up to the wait window, which is shown before the rest are made; a later
  // CreateStartupWindows makes the rest.
  void CreateStartupWindowsToWait() { Create(TWindowStage::BeforeReading, "frmWait"); }
  // The windows made once the reports are read.
  void CreateLaterWindows() { Create(TWindowStage::AfterReading); }

  // Every window made so far, in creation order. Each window's object name is its instance name.
  const std::vector<QWidget*>& Windows() const { return order_; }
  // The window of `instanceName`; nullptr when it is not made (yet).
  QWidget* Find(std::string_view instanceName) const override;
  template <class W>
  W* Get(std::string_view instanceName) const {
    return qobject_cast<W*>(Find(instanceName));
  }
  // The windows the start-up drives.
  TfrmMain* Main() const;
  TfrmWait* Wait() const;
  TfrmConfigIni* ConfigIni() const;

  QWidget* MainWindow() const override;

  const TWindowContext& Context() const override { return context_; }
  const TServices& Services() const override { return services_; }
  TGameEvents& Events() override { return events_; }

 private:
  // In catalogue order, skipping the windows made already; stops after `last` when given.
  void Create(TWindowStage stage, std::string_view last = {});
  void Keep(const TWindowEntry& entry, std::unique_ptr<QWidget> window);

  TWindowContext context_;
  TServices services_;
  TGameEvents events_;
  std::vector<std::unique_ptr<QWidget>> owned_;
  std::vector<QWidget*> order_;
};

}  // namespace tovix
