#include "platform/thread_user_interface.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tovix {
namespace {

// Keeps every call with the thread it came on, and answers Yes, "All" and the second item.
class Recorder : public UserInterface {
 public:
  void ShowMessage(const std::string& text) override { Note("message " + text); }
  void ShowCaptionedMessage(const std::string& caption, const std::string& text) override {
    Note(caption + " message " + text);
  }
  bool AskYesNo(const std::string& text) override {
    Note("ask " + text);
    return true;
  }
  TYesNoAll AskYesNoAll(const std::string& text) override {
    Note("ask all " + text);
    return TYesNoAll::All;
  }
  bool ChooseFromList(const std::string& caption, const std::vector<std::string>&,
                      int& selected) override {
    Note("choose " + caption);
    selected = 1;
    return true;
  }
  void SetCurrentWork(const std::string& text) override { Note("work " + text); }
  void SetTitle(const std::string& title) override { Note("title " + title); }

  std::vector<std::string> calls;
  bool allOnWindowThread = true;

 private:
  void Note(std::string call) {
    allOnWindowThread = allOnWindowThread && QThread::currentThread() == qApp->thread();
    calls.push_back(std::move(call));
  }
};

// Runs `work` on another thread while this one looks at its events, as the start-up does.
template <class F>
void RunOnOtherThread(F work) {
  std::atomic<bool> done = false;
  std::thread other([&] {
    work();
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  other.join();
}

TEST(ThreadUserInterface, QuestionsAndMessagesWaitForTheWindowThreadAndBringTheAnswersBack) {
  Recorder target;
  TThreadUserInterface ui(target);
  bool yes = false;
  TYesNoAll all = TYesNoAll::No;
  int selected = 0;
  bool chosen = false;
  RunOnOtherThread([&] {
    ui.ShowMessage("one");
    ui.ShowCaptionedMessage("Saved", "one and a half");
    yes = ui.AskYesNo("two");
    all = ui.AskYesNoAll("three");
    chosen = ui.ChooseFromList("four", {"a", "b"}, selected);
    // A UTF-8 message reaches a target that shows only Latin-1 as Latin-1, what it cannot
    // show as "?" (a cut sequence too).
    ui.ShowMessageUtf8("\xC5\x81\xC3\xB3\x64\xC5\xBA \xE2\x82\xAC \xC3");
  });
  EXPECT_TRUE(yes);
  EXPECT_EQ(all, TYesNoAll::All);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(target.calls,
            (std::vector<std::string>{"message one", "Saved message one and a half", "ask two",
                                      "ask all three", "choose four", "message ?\xF3\x64? ? ?"}));
  EXPECT_TRUE(target.allOnWindowThread);
}

TEST(ThreadUserInterface, TextsDoNotWaitAndTheLatestArrives) {
  Recorder target;
  TThreadUserInterface ui(target);
  std::thread other([&] {
    for (int i = 0; i < 100; ++i) ui.SetCurrentWork("report " + std::to_string(i));
    ui.SetTitle("Game");
  });
  // The other thread ends although nothing here has looked at the events yet.
  other.join();
  EXPECT_TRUE(target.calls.empty());
  ui.DeliverTexts();
  EXPECT_EQ(target.calls, (std::vector<std::string>{"title Game", "work report 99"}));
  // The queued delivery finds nothing left.
  QCoreApplication::processEvents();
  EXPECT_EQ(target.calls.size(), 2u);

  // A text given before a message arrives before it.
  RunOnOtherThread([&] {
    ui.SetCurrentWork("reading");
    ui.ShowMessage("broken");
  });
  EXPECT_EQ(target.calls, (std::vector<std::string>{"title Game", "work report 99", "work reading",
                                                    "message broken"}));
  EXPECT_TRUE(target.allOnWindowThread);
}

TEST(ThreadUserInterface, OnTheWindowThreadCallsGoStraightThrough) {
  Recorder target;
  TThreadUserInterface ui(target);
  ui.SetCurrentWork("now");
  EXPECT_TRUE(ui.AskYesNo("sure"));
  EXPECT_EQ(target.calls, (std::vector<std::string>{"work now", "ask sure"}));
}

}  // namespace
}  // namespace tovix
