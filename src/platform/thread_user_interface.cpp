#include "platform/thread_user_interface.h"

#include <QThread>
#include <utility>

namespace tovix {

TThreadUserInterface::TThreadUserInterface(UserInterface& target) : target_(target) {}

// Calls still queued through home_ go with it.
TThreadUserInterface::~TThreadUserInterface() = default;

template <class F>
void TThreadUserInterface::OnWindowThread(F&& call) {
  if (QThread::currentThread() == home_.thread())
    call();
  else
    QMetaObject::invokeMethod(&home_, std::forward<F>(call), Qt::BlockingQueuedConnection);
}

void TThreadUserInterface::ShowMessage(const std::string& text) {
  OnWindowThread([&] { target_.ShowMessage(text); });
}

void TThreadUserInterface::ShowMessageUtf8(const std::string& text) {
  OnWindowThread([&] { target_.ShowMessageUtf8(text); });
}

void TThreadUserInterface::ShowCaptionedMessage(const std::string& caption,
                                                const std::string& text) {
  OnWindowThread([&] { target_.ShowCaptionedMessage(caption, text); });
}

bool TThreadUserInterface::AskYesNo(const std::string& text) {
  bool answer = false;
  OnWindowThread([&] { answer = target_.AskYesNo(text); });
  return answer;
}

TYesNoAll TThreadUserInterface::AskYesNoAll(const std::string& text) {
  TYesNoAll answer = TYesNoAll::No;
  OnWindowThread([&] { answer = target_.AskYesNoAll(text); });
  return answer;
}

bool TThreadUserInterface::ChooseFromList(const std::string& caption,
                                          const std::vector<std::string>& items, int& selected) {
  bool chosen = false;
  OnWindowThread([&] { chosen = target_.ChooseFromList(caption, items, selected); });
  return chosen;
}

void TThreadUserInterface::SetCurrentWork(const std::string& text) {
  HandOver(work_, text);
}

void TThreadUserInterface::SetTitle(const std::string& title) {
  HandOver(title_, title);
}

void TThreadUserInterface::HandOver(std::optional<std::string>& slot, const std::string& text) {
  if (QThread::currentThread() == home_.thread()) {
    DeliverTexts();
    if (&slot == &work_)
      target_.SetCurrentWork(text);
    else
      target_.SetTitle(text);
    return;
  }
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    // One queued delivery serves every text set before it runs.
    wake = !work_ && !title_;
    slot = text;
  }
  if (wake)
    QMetaObject::invokeMethod(
        &home_, [this] { DeliverTexts(); }, Qt::QueuedConnection);
}

void TThreadUserInterface::DeliverTexts() {
  std::optional<std::string> work, title;
  {
    std::lock_guard lock(mutex_);
    work.swap(work_);
    title.swap(title_);
  }
  if (title) target_.SetTitle(*title);
  if (work) target_.SetCurrentWork(*work);
}

}  // namespace tovix
