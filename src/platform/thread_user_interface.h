#pragma once
// Lets work on another thread talk to the user through the program's interface, which lives on
// the window thread. Questions and messages wait there for the answer; the wait window's text and
// the title do not hold the work up: the latest one is handed over when the window thread next
// looks at its events. On the window thread itself every call goes straight through.

#include <QObject>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"

namespace tovix {

class TThreadUserInterface : public UserInterface {
 public:
  // `target` is called on the thread this object is made on.
  explicit TThreadUserInterface(UserInterface& target);
  ~TThreadUserInterface() override;
  TThreadUserInterface(const TThreadUserInterface&) = delete;
  TThreadUserInterface& operator=(const TThreadUserInterface&) = delete;

  void ShowMessage(const std::string& text) override;
  void ShowMessageUtf8(const std::string& text) override;
  void ShowCaptionedMessage(const std::string& caption, const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  TYesNoAll AskYesNoAll(const std::string& text) override;
  bool ChooseFromList(const std::string& caption, const std::vector<std::string>& items,
                      int& selected) override;
  void SetCurrentWork(const std::string& text) override;
  void SetTitle(const std::string& title) override;

  // On the window thread: passes on a text still waiting (after the work has ended, so that the
  // last one is not lost to an event not yet looked at).
  void DeliverTexts();

 private:
  template <class F>
  void OnWindowThread(F&& call);
  void HandOver(std::optional<std::string>& slot, const std::string& text);

  UserInterface& target_;
  QObject home_;  // lives on the window thread; queued calls go through it
  std::mutex mutex_;
  std::optional<std::string> work_;
  std::optional<std::string> title_;
};

}  // namespace tovix
