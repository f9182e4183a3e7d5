#include "windows/frame/window_registry.h"

#include "windows/base/tool_window.h"
#include "windows/base/wait_window.h"
#include "windows/frame/config_dialog.h"
#include "windows/frame/main_window.h"

namespace tovix {

namespace {

// Enters `window` as the provider of service I unless one is there already.
template <class I>
void Provide(I*& slot, QWidget* window) {
  if (slot == nullptr) slot = dynamic_cast<I*>(window);
}

}  // namespace

TWindowRegistry::TWindowRegistry(TWindowContext context, TServices services)
    : context_(std::move(context)), services_(services), events_(context_.State) {}

TWindowRegistry::~TWindowRegistry() {
  while (!owned_.empty()) {
    QWidget* window = owned_.back().get();
    if (auto* state = dynamic_cast<IFormState*>(window)) context_.States.Unregister(*state);
    if (auto* tool = qobject_cast<TToolWindow*>(window)) events_.Detach(*tool);
    owned_.pop_back();
  }
  order_.clear();
}

void TWindowRegistry::Create(TWindowStage stage, std::string_view last) {
  for (const TWindowEntry& entry : WindowCatalogue()) {
    if (entry.Stage == stage && entry.Make != nullptr && Find(entry.InstanceName) == nullptr)
      Keep(entry, entry.Make(entry, *this));
    if (!last.empty() && entry.InstanceName == last) return;
  }
}

void TWindowRegistry::Keep(const TWindowEntry& entry, std::unique_ptr<QWidget> window) {
  QWidget* w = window.get();
  w->setObjectName(entry.InstanceName);
  if (entry.HelpContext != 0) w->setProperty("HelpContext", entry.HelpContext);
  if (auto* state = dynamic_cast<IFormState*>(w)) context_.States.Register(*state);
  if (auto* tool = qobject_cast<TToolWindow*>(w)) events_.Attach(*tool);
  Provide(services_.Orders, w);
  Provide(services_.Notes, w);
  Provide(services_.PlanetInfo, w);
  Provide(services_.Map, w);
  Provide(services_.Analysis, w);
  Provide(services_.Expressions, w);
  Provide(services_.BattleSimulator, w);
  Provide(services_.Picker, w);
  Provide(services_.Battles, w);
  Provide(services_.ShipDesign, w);
  Provide(services_.Calculator, w);
  Provide(services_.ExpressionFilter, w);
  Provide(services_.GroupFilter, w);
  Provide(services_.CargoSettings, w);
  order_.push_back(w);
  owned_.push_back(std::move(window));
}

QWidget* TWindowRegistry::Find(std::string_view instanceName) const {
  for (QWidget* w : order_)
    if (w->objectName() ==
        QLatin1String(instanceName.data(), static_cast<qsizetype>(instanceName.size())))
      return w;
  return nullptr;
}

TfrmMain* TWindowRegistry::Main() const {
  return Get<TfrmMain>("frmMain");
}

QWidget* TWindowRegistry::MainWindow() const {
  return Main();
}

TfrmWait* TWindowRegistry::Wait() const {
  return Get<TfrmWait>("frmWait");
}

TfrmConfigIni* TWindowRegistry::ConfigIni() const {
  return Get<TfrmConfigIni>("frmConfigIni");
}

}  // namespace tovix
