#pragma once
// Lets a component see the events of a widget before and after the widget does. Several hooks
// may watch one widget; BeforeMessage runs from the last hook added to the first and stops at
// one that sets Handled (the widget then never sees the event); AfterMessage runs the same way,
// with a fresh Handled flag, once the widget has had the event or a BeforeMessage took it.
//
// A hook with an AfterMessage hands the event to the widget itself, so event filters that were
// installed on the widget before the first hook do not see it. Without AfterMessage the hook is
// an ordinary event filter.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace tovix {

class TRxWindowHook;
using THookMessageEvent = std::function<void(TRxWindowHook* Sender, QEvent* Msg, bool& Handled)>;

class TRxWindowHook : public QObject {
  Q_OBJECT

 public:
  explicit TRxWindowHook(QObject* owner = nullptr);
  ~TRxWindowHook() override;

  bool Active() const { return active_; }
  void SetActive(bool value);
  // The watched widget; becomes nullptr when the widget is destroyed.
  QWidget* WinControl() const { return winControl_; }
  void SetWinControl(QWidget* value);

  THookMessageEvent BeforeMessage;
  THookMessageEvent AfterMessage;

 private:
  friend class TControlHook;
  void Hook();
  void Unhook();

  bool active_ = true;
  QPointer<QWidget> winControl_;
};

}  // namespace tovix
