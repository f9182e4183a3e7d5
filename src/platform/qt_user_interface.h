#pragma once
// The program's UserInterface: message boxes and questions for the logic, the wait window's
// progress text and the window title through callbacks that the start-up sets.

#include <functional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"

namespace tovix {

class TQtUserInterface : public UserInterface {
 public:
  // Same shape as ChooseFromList: the list-choice dialog (LookUpIndex) in the program.
  using ListChooser =
      std::function<bool(const std::string&, const std::vector<std::string>&, int&)>;
  using TextHandler = std::function<void(const std::string&)>;

  explicit TQtUserInterface(ListChooser chooser);

  // A message box captioned "Tovix".
  void ShowMessage(const std::string& text) override;
  // The text whole, every character as it is.
  void ShowMessageUtf8(const std::string& text) override;
  void ShowCaptionedMessage(const std::string& caption, const std::string& text) override;
  // Several messages (those of one load) in one box, a blank line between them; a long list is
  // shown in a scrollable text. Nothing for an empty list.
  void ShowMessages(const std::vector<std::string>& texts);
  bool AskYesNo(const std::string& text) override;
  TYesNoAll AskYesNoAll(const std::string& text) override;
  bool ChooseFromList(const std::string& caption, const std::vector<std::string>& items,
                      int& selected) override;
  // Forwarded to the handlers below; without one they do nothing.
  void SetCurrentWork(const std::string& text) override;
  void SetTitle(const std::string& title) override;

  void SetCurrentWorkHandler(TextHandler handler) { currentWork_ = std::move(handler); }
  void SetTitleHandler(TextHandler handler) { title_ = std::move(handler); }

  // Messages of more lines than this are shown in a scrollable text.
  static constexpr int kMaxBoxLines = 25;

 private:
  ListChooser chooser_;
  TextHandler currentWork_;
  TextHandler title_;
};

}  // namespace tovix
