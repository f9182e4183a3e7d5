#pragma once
// How logic talks to the user without opening windows itself. The program implements this with
// message boxes and the wait window; tests implement it with a recorder.

#include <string>
#include <vector>

namespace tovix {

// The answers of a Yes/No/All question ("All": yes, and yes to the same question from now on).
enum class TYesNoAll { No, Yes, All };

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A message box with a fixed text; "\r" in the text is shown as a line break. The text is
  // 8-bit Latin-1, as every name and report text of the program.
  virtual void ShowMessage(const std::string& text) = 0;
  // The same with a UTF-8 text, for the few messages that must show characters beyond Latin-1
  // (those a file cannot hold). An interface that shows only Latin-1 gets it through
  // ShowMessage with each such character as "?".
  virtual void ShowMessageUtf8(const std::string& text);
  // The same with a caption of its own instead of the program's name.
  virtual void ShowCaptionedMessage(const std::string& caption, const std::string& text) {
    (void)caption;
    ShowMessage(text);
  }
  // A Yes/No question ("Confirm"); true on Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // A Yes/No/All question ("Confirm"). An interface without such a box asks Yes/No.
  virtual TYesNoAll AskYesNoAll(const std::string& text) {
    return AskYesNo(text) ? TYesNoAll::Yes : TYesNoAll::No;
  }
  // The wait window's progress text.
  virtual void SetCurrentWork(const std::string& text) = 0;
  // A modal choice from a list; `selected` is the starting index and receives the choice.
  // False when the user cancels.
  virtual bool ChooseFromList(const std::string& caption, const std::vector<std::string>& items,
                              int& selected) = 0;
  // A new window title once the own report names game, turn and race.
  virtual void SetTitle(const std::string& title) {}
};

// Does nothing and answers No: for code run without a user (benchmarks, tools).
class SilentUserInterface : public UserInterface {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowMessageUtf8(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  void SetCurrentWork(const std::string&) override {}
  bool ChooseFromList(const std::string&, const std::vector<std::string>&, int&) override {
    return false;
  }
};

}  // namespace tovix
