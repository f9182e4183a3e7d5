#include "controls/window_hook.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace tovix {

// The one event filter on a hooked widget, shared by all hook components on it.
class TControlHook : public QObject {
 public:
  explicit TControlHook(QWidget* control);
  ~TControlHook() override;

  static TControlHook* Find(QWidget* control);
  static TControlHook* FindOrCreate(QWidget* control);
  void Add(TRxWindowHook* item) {
    if (std::find(items_.begin(), items_.end(), item) == items_.end()) items_.push_back(item);
  }
  void Remove(TRxWindowHook* item);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static QHash<QWidget*, TControlHook*>& List();
  // false: a hook set Handled.
  bool Run(QEvent* event, THookMessageEvent TRxWindowHook::*which);
  void ControlDestroyed();

  QWidget* control_;
  std::vector<TRxWindowHook*> items_;
};

QHash<QWidget*, TControlHook*>& TControlHook::List() {
  static QHash<QWidget*, TControlHook*> list;
  return list;
}

TControlHook::TControlHook(QWidget* control) : control_(control) {
  List().insert(control, this);
  control->installEventFilter(this);
  connect(control, &QObject::destroyed, this, [this] { ControlDestroyed(); });
}

TControlHook::~TControlHook() {
  List().remove(control_);
}

TControlHook* TControlHook::Find(QWidget* control) {
  return List().value(control, nullptr);
}

TControlHook* TControlHook::FindOrCreate(QWidget* control) {
  TControlHook* hook = Find(control);
  return hook ? hook : new TControlHook(control);
}

void TControlHook::Remove(TRxWindowHook* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (items_.empty()) {
    control_->removeEventFilter(this);
    delete this;
  }
}

void TControlHook::ControlDestroyed() {
  for (TRxWindowHook* item : items_) item->winControl_ = nullptr;
  items_.clear();
  delete this;
}

bool TControlHook::Run(QEvent* event, THookMessageEvent TRxWindowHook::*which) {
  std::vector<QPointer<TRxWindowHook>> items(items_.rbegin(), items_.rend());
  bool handled = false;
  for (const QPointer<TRxWindowHook>& item : items) {
    if (!item || !((*item).*which)) continue;
    ((*item).*which)(item, event, handled);
    if (handled) return false;
  }
  return true;
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event) {
  // Deferred deletion frees the widget inside its own event handler: nothing may follow it.
  if (watched != control_ || event->type() == QEvent::DeferredDelete) return false;
  QPointer<TControlHook> self(this);
  const bool handled = !Run(event, &TRxWindowHook::BeforeMessage);
  if (!self) return handled;
  const bool anyAfter = std::any_of(items_.begin(), items_.end(), [](const TRxWindowHook* item) {
    return bool(item->AfterMessage);
  });
  if (!anyAfter) return handled;
  // AfterMessage runs also for an event a BeforeMessage handled, with a fresh Handled flag.
  QPointer<QWidget> control(control_);
  if (!handled) static_cast<QObject*>(control_)->event(event);
  if (self && control) Run(event, &TRxWindowHook::AfterMessage);
  return true;
}

TRxWindowHook::TRxWindowHook(QObject* owner) : QObject(owner) {}

TRxWindowHook::~TRxWindowHook() {
  Unhook();
}

void TRxWindowHook::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (active_) {
    Hook();
  } else {
    Unhook();
  }
}

void TRxWindowHook::SetWinControl(QWidget* value) {
  if (value == winControl_) return;
  Unhook();
  winControl_ = value;
  if (active_) Hook();
}

void TRxWindowHook::Hook() {
  if (!winControl_) return;
  TControlHook::FindOrCreate(winControl_)->Add(this);
}

void TRxWindowHook::Unhook() {
  if (!winControl_) return;
  if (TControlHook* hook = TControlHook::Find(winControl_)) hook->Remove(this);
}

}  // namespace tovix
