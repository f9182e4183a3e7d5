#pragma once
// A UserInterface that records what logic told the user and answers from a script.

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/base/user_interface.h"

namespace tovix::test {

class RecordingUserInterface : public UserInterface {
 public:
  std::vector<std::string> messages;      // Latin-1, or UTF-8 for those of ShowMessageUtf8
  std::vector<std::string> utf8Messages;  // those of ShowMessageUtf8 alone
  // (caption, text) of the messages with a caption of their own; their texts are in
  // `messages` too.
  std::vector<std::pair<std::string, std::string>> captioned;
  std::vector<std::string> questions;
  std::vector<std::string> work;
  std::vector<std::string> titles;
  std::deque<bool> answers;        // AskYesNo answers in order; No when empty
  std::deque<int> choices;         // ChooseFromList answers; -1 means Cancel
  std::deque<TYesNoAll> yesNoAll;  // AskYesNoAll answers in order; No when empty

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowMessageUtf8(const std::string& text) override {
    messages.push_back(text);
    utf8Messages.push_back(text);
  }
  void ShowCaptionedMessage(const std::string& caption, const std::string& text) override {
    messages.push_back(text);
    captioned.emplace_back(caption, text);
  }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  TYesNoAll AskYesNoAll(const std::string& text) override {
    questions.push_back(text);
    if (yesNoAll.empty()) return TYesNoAll::No;
    const TYesNoAll a = yesNoAll.front();
    yesNoAll.pop_front();
    return a;
  }
  void SetCurrentWork(const std::string& text) override { work.push_back(text); }
  bool ChooseFromList(const std::string& caption, const std::vector<std::string>&,
                      int& selected) override {
    questions.push_back(caption);
    if (choices.empty() || choices.front() < 0) {
      if (!choices.empty()) choices.pop_front();
      return false;
    }
    selected = choices.front();
    choices.pop_front();
    return true;
  }
  void SetTitle(const std::string& title) override { titles.push_back(title); }
};

}  // namespace tovix::test
