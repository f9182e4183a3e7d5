#include "controls/app_events.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMessageBox>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "platform/latin1.h"
#include "platform/window_in_use.h"

namespace tovix {

namespace {

// Qt's own start distance is 10; the program's windows expect 5 pixels.
constexpr int kDefaultDragThreshold = 5;

QColor SystemHintColor() {
  return QApplication::palette().color(QPalette::ToolTipBase);
}

void ShowExceptionMessage(const std::exception& e) {
  QMessageBox::critical(WindowInUse(), QGuiApplication::applicationDisplayName(),
                        FromLatin1(e.what()));
}

int HelpContextOf(QWidget* widget) {
  for (; widget; widget = widget->parentWidget()) {
    bool ok = false;
    int context = widget->property("HelpContext").toInt(&ok);
    if (ok && context != 0) return context;
  }
  return 0;
}

bool IsAncestor(const QObject* ancestor, const QObject* object) {
  for (const QObject* o = object ? object->parent() : nullptr; o; o = o->parent()) {
    if (o == ancestor) return true;
  }
  return false;
}

}  // namespace

TApplicationValues& Application() {
  static TApplicationValues values;
  return values;
}

void ApplicationHandleException(QObject* sender, const std::exception& e) {
  TAppEventList* list = TAppEventList::Instance();
  if (!list || !list->HandleException(sender, e)) ShowExceptionMessage(e);
}

bool ApplicationHelpContext(int context) {
  TAppEventList* list = TAppEventList::Instance();
  bool called = false;
  return list ? list->HelpContext(context, called) : false;
}

// --- TAppEvents ---

TAppEvents::TAppEvents(QObject* owner) : QObject(owner) {
  // Every mirrored value back to its default; the current hint is not a setting.
  const QString hint = Application().Hint;
  Application() = TApplicationValues();
  Application().Hint = hint;
  SetHintColor(SystemHintColor());
  SetShowHint(true);
  SetBiDiMode(bdLeftToRight);
  SetMouseDragThreshold(kDefaultDragThreshold);
  TAppEventList::Add(this);
}

TAppEvents::~TAppEvents() {
  TAppEventList::Remove(this);
}

QColor TAppEvents::HintColor() const {
  return QToolTip::palette().color(QPalette::ToolTipBase);
}

void TAppEvents::SetHintColor(const QColor& value) {
  QPalette palette = QToolTip::palette();
  palette.setColor(QPalette::ToolTipBase, value);
  QToolTip::setPalette(palette);
}

void TAppEvents::SetShowHint(bool value) {
  Application().ShowHint = value;
  if (!value) QToolTip::hideText();
}

void TAppEvents::SetBiDiMode(TBiDiMode value) {
  Application().BiDiMode = value;
  QGuiApplication::setLayoutDirection(value == bdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
}

int TAppEvents::MouseDragThreshold() const {
  return QApplication::startDragDistance();
}

void TAppEvents::SetMouseDragThreshold(int value) {
  QApplication::setStartDragDistance(value);
}

// --- TAppEventList ---

TAppEventList* TAppEventList::instance_ = nullptr;

TAppEventList::TAppEventList() : lastState_(QGuiApplication::applicationState()) {
  qApp->installEventFilter(this);
  if (auto* dispatcher = QAbstractEventDispatcher::instance(qApp->thread())) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TAppEventList::Idle);
  }
  connect(qApp, &QGuiApplication::applicationStateChanged, this, &TAppEventList::StateChanged);
  connect(qApp, &QApplication::focusChanged, this,
          [this] { Notify(&TAppEvents::OnActiveControlChange); });
  connect(qApp, &QGuiApplication::focusWindowChanged, this,
          [this] { Notify(&TAppEvents::OnActiveFormChange); });
}

TAppEventList::~TAppEventList() {
  qApp->removeEventFilter(this);
}

void TAppEventList::Add(TAppEvents* item) {
  if (!instance_) instance_ = new TAppEventList;
  instance_->items_.push_back(item);
}

void TAppEventList::Remove(TAppEvents* item) {
  if (!instance_) return;
  auto& items = instance_->items_;
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
  if (items.empty()) {
    delete instance_;
    instance_ = nullptr;
  }
}

void TAppEventList::Walk(const std::function<bool(TAppEvents*)>& call) {
  // A handler may free instances (closing a window): walk a guarded copy.
  std::vector<QPointer<TAppEvents>> items(items_.rbegin(), items_.rend());
  for (const QPointer<TAppEvents>& item : items) {
    if (!item) continue;
    if (call(item)) return;
    if (!item || !item->Chained()) return;
  }
}

template <typename Signal>
void TAppEventList::Notify(Signal signal) {
  Walk([signal](TAppEvents* item) {
    if (item->Assigned(signal)) emit(item->*signal)();
    return false;
  });
}

bool TAppEventList::HandleException(QObject* sender, const std::exception& e) {
  bool called = false;
  Walk([&](TAppEvents* item) {
    if (item->Assigned(&TAppEvents::OnException)) {
      called = true;
      emit item->OnException(sender, e);
    }
    return false;
  });
  return called;
}

bool TAppEventList::HelpContext(int context, bool& called) {
  bool result = false;
  bool callHelp = true;  // no platform help engine reads it afterwards
  Walk([&](TAppEvents* item) {
    if (item->OnHelp) {
      called = true;
      result = item->OnHelp(HELP_CONTEXT, context, callHelp);
    }
    return false;
  });
  return result;
}

void TAppEventList::Idle() {
  bool done = true;
  bool called = false;
  Walk([&](TAppEvents* item) {
    if (item->OnIdle) {
      called = true;
      item->OnIdle(done);
    }
    return false;
  });
  // Not done: the loop must come back here instead of waiting for the next event.
  if (called && !done) {
    if (auto* dispatcher = QAbstractEventDispatcher::instance(qApp->thread())) {
      dispatcher->wakeUp();
    }
  }
}

void TAppEventList::StateChanged(Qt::ApplicationState state) {
  const bool wasActive = lastState_ == Qt::ApplicationActive;
  lastState_ = state;
  if (state == Qt::ApplicationActive && !wasActive) Notify(&TAppEvents::OnActivate);
  if (state != Qt::ApplicationActive && wasActive) Notify(&TAppEvents::OnDeactivate);
}

void TAppEventList::WindowStateChanged() {
  bool anyShown = false;
  bool allMinimized = true;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = window->windowType();
    if (!window->isVisible() || (type != Qt::Window && type != Qt::Dialog)) continue;
    anyShown = true;
    if (!window->isMinimized()) allMinimized = false;
  }
  allMinimized = allMinimized && anyShown;
  if (allMinimized == allMinimized_) return;
  allMinimized_ = allMinimized;
  Notify(allMinimized ? &TAppEvents::OnMinimize : &TAppEvents::OnRestore);
}

bool TAppEventList::KeyPressed(QObject* receiver, QKeyEvent* key) {
  // A key the user presses reaches the platform window first, which hands it on to its focus
  // widget: only the widget says where the key belongs (its help context, its shortcuts).
  if (!receiver->isWidgetType()) return false;
  if (key == lastKey_ && IsAncestor(receiver, lastKeyReceiver_)) return false;
  lastKey_ = key;
  lastKeyReceiver_ = receiver;
  if (key->key() == Qt::Key_F1) f1PressedAt_ = key->timestamp();
  QPointer<TAppEventList> self(this);
  bool handled = false;
  Walk([&](TAppEvents* item) {
    if (item->OnShortCut) item->OnShortCut(key, handled);
    return handled;
  });
  if (!handled && self && key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
    // A held F1 repeats its press: the page it asked for is opening already.
    if (IsHeldF1(*key))
      handled = true;
    else
      HelpContext(HelpContextOf(qobject_cast<QWidget*>(receiver)), handled);
  }
  // An answered key goes no further up: a key not yet accepted would go on to the parents, and
  // its release, which may come while the answer runs (a help page opening), ends the guard
  // above, so that each parent would answer it again.
  if (handled) key->accept();
  return handled;
}

// The X server repeats a held key as a release and a press with one time stamp. Qt marks the
// pair as a repeat only when both are in its queue at once, which on a busy machine they often
// are not: a release is remembered, and a press with its time stamp is the repeat's. A release
// with the time stamp of the press it ends is a real one (no key repeats after no time at all),
// as is any release of a key no keyboard sent (no key code: made by a program), whose release
// and next press may well share a millisecond.
void TAppEventList::NoteF1Release(const QKeyEvent& key) {
  const bool mayBeRepeat =
      key.timestamp() != 0 && key.nativeScanCode() != 0 && key.timestamp() != f1PressedAt_;
  f1ReleasedAt_ = mayBeRepeat ? key.timestamp() : 0;
}

bool TAppEventList::IsHeldF1(const QKeyEvent& key) const {
  return key.isAutoRepeat() || (f1ReleasedAt_ != 0 && key.timestamp() == f1ReleasedAt_);
}

bool TAppEventList::ToolTipRequested(QObject* receiver, QEvent* event) {
  if (!Application().ShowHint) {
    QToolTip::hideText();
    return true;
  }
  auto* widget = qobject_cast<QWidget*>(receiver);
  if (!widget || widget->toolTip().isEmpty()) return false;
  const bool anyHook = std::any_of(items_.begin(), items_.end(),
                                   [](const TAppEvents* item) { return bool(item->OnShowHint); });
  if (!anyHook) return false;
  auto* help = static_cast<QHelpEvent*>(event);
  QString text = widget->toolTip();
  bool canShow = true;
  THintInfo info{widget, help->globalPos(), QCursor::pos()};
  Walk([&](TAppEvents* item) {
    if (item->OnShowHint) item->OnShowHint(text, canShow, info);
    return false;
  });
  if (canShow && !text.isEmpty()) {
    QToolTip::showText(info.HintPos, text, info.HintControl);
  } else {
    QToolTip::hideText();
  }
  return true;
}

bool TAppEventList::eventFilter(QObject* watched, QEvent* event) {
  // A handler may free the last instance, and the list with it: nothing here touches the list
  // after a walk without checking.
  QPointer<TAppEventList> self(this);
  // Every event passes here: the walk is only set up when someone listens.
  if (std::any_of(items_.begin(), items_.end(),
                  [](const TAppEvents* item) { return bool(item->OnMessage); })) {
    bool handled = false;
    Walk([&](TAppEvents* item) {
      if (item->OnMessage) item->OnMessage(watched, event, handled);
      return handled;
    });
    if (handled || !self) return handled;
  }

  switch (event->type()) {
    case QEvent::KeyPress:
      if (KeyPressed(watched, static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::KeyRelease:
      lastKey_ = nullptr;
      if (auto* key = static_cast<QKeyEvent*>(event); key->key() == Qt::Key_F1) NoteF1Release(*key);
      break;
    case QEvent::StatusTip: {
      // The same tip climbs the parents until one shows it: only a new text is news.
      const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
      if (tip != Application().Hint) {
        Application().Hint = tip;
        Notify(&TAppEvents::OnHint);
      }
      break;
    }
    case QEvent::ToolTip:
      if (ToolTipRequested(watched, event)) return true;
      break;
    case QEvent::WindowStateChange:
      if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isWindow()) {
        WindowStateChanged();
      }
      break;
    case QEvent::ApplicationFontChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::LocaleChange:
      if (watched == qApp) Notify(&TAppEvents::OnSettingsChanged);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace tovix
