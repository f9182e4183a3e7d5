#include "controls/app_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base/errors.h"
#include "core/text/numbers.h"
#include "message_box_closer.h"
#include "support/show_window.h"

namespace tovix {
namespace {

using Log = std::vector<std::string>;
using test::MessageBoxCloser;

// A window with two line edits and a panel, each with a status tip, shown and active.
class AppEventsTest : public testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(form.get());
    first = new QLineEdit(form.get());
    first->setStatusTip("Names the planet");
    second = new QLineEdit(form.get());
    second->setStatusTip("Names the ship");
    panel = new QWidget(form.get());
    panel->setMinimumSize(40, 40);
    panel->setStatusTip("Shows the map");
    for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(second), panel})
      layout->addWidget(w);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(test::ShowActive(*form));
    Application().Hint.clear();
  }

  // From the window's margin, so that the mouse really enters `w` even when an earlier test
  // left it at the same place.
  void MoveOver(QWidget* w) {
    QTest::mouseMove(form.get(), QPoint(1, 1));
    QTest::mouseMove(w, w->rect().center());
  }

  std::unique_ptr<QWidget> form;
  QLineEdit* first = nullptr;
  QLineEdit* second = nullptr;
  QWidget* panel = nullptr;
};

TEST_F(AppEventsTest, HintGoesToTheNewestFirstAndStopsAtAnUnchainedOne) {
  TAppEvents older;
  TAppEvents newer;
  Log log;
  QObject::connect(&older, &TAppEvents::OnHint,
                   [&] { log.push_back("older:" + Application().Hint.toStdString()); });
  QObject::connect(&newer, &TAppEvents::OnHint,
                   [&] { log.push_back("newer:" + Application().Hint.toStdString()); });
  MoveOver(first);
  EXPECT_EQ(log, (Log{"newer:Names the planet", "older:Names the planet"}));

  log.clear();
  newer.SetChained(false);
  MoveOver(second);
  EXPECT_EQ(log, (Log{"newer:", "newer:Names the ship"}));  // left the first, entered the second
}

TEST_F(AppEventsTest, HintFiresOncePerChangeOfText) {
  TAppEvents events;
  int calls = 0;
  QObject::connect(&events, &TAppEvents::OnHint, [&] { ++calls; });
  MoveOver(panel);
  QTest::mouseMove(panel, QPoint(2, 2));
  EXPECT_EQ(calls, 1);  // the tip also climbs to the window: one change, one event
}

TEST_F(AppEventsTest, HandledShortCutStopsTheWalkAndTheKey) {
  TAppEvents older;
  TAppEvents newer;
  std::string olderSaw;
  older.OnShortCut = [&](QKeyEvent* key, bool&) { olderSaw += key->text().toStdString(); };
  newer.OnShortCut = [&](QKeyEvent* key, bool& handled) { handled = key->key() == Qt::Key_X; };
  first->setFocus();
  QTest::keyClicks(first, "axb");
  EXPECT_EQ(first->text(), "ab");
  EXPECT_EQ(olderSaw, "ab");
}

// Keys are pressed as the user presses them: through the platform window, which hands them to
// the focus widget. The platform window's turn counted as a key press of its own.
TEST_F(AppEventsTest, KeyPassedOnToTheParentsComesOnce) {
  TAppEvents events;
  int calls = 0;
  events.OnShortCut = [&](QKeyEvent*, bool&) { ++calls; };
  panel->setFocusPolicy(Qt::StrongFocus);
  panel->setFocus();
  // A plain widget ignores keys: they go on to the window.
  QTest::keyClick(form->windowHandle(), Qt::Key_A);
  QTest::keyClick(form->windowHandle(), Qt::Key_B);
  EXPECT_EQ(calls, 2);
}

// The platform window, which has no help context, answered F1 with the introduction.
TEST_F(AppEventsTest, F1AsksForHelpWithTheNearestContext) {
  form->setProperty("HelpContext", 21);
  second->setProperty("HelpContext", 31);
  TAppEvents events;
  std::vector<std::pair<int, intptr_t>> asked;
  events.OnHelp = [&](int command, intptr_t data, bool& callHelp) {
    asked.emplace_back(command, data);
    callHelp = false;
    return true;
  };
  for (QLineEdit* edit : {first, second}) {
    edit->setFocus();
    QTest::keyClick(form->windowHandle(), Qt::Key_F1);
  }
  EXPECT_EQ(asked, (std::vector<std::pair<int, intptr_t>>{{HELP_CONTEXT, 21}, {HELP_CONTEXT, 31}}));
}

// One F1, one help request. A key that reaches the focus widget not yet accepted (as a forwarded
// key does) goes on up the parents unless its answer stops it; its release, coming while the
// help page opened, ended the guard against the parents' turns, and each asked again.
TEST_F(AppEventsTest, OneF1AsksForHelpOnceAlsoWhenItsReleaseComesMeanwhile) {
  form->setProperty("HelpContext", 21);
  TAppEvents events;
  int asked = 0;
  events.OnHelp = [&](int, intptr_t, bool&) {
    ++asked;
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(first, &release);
    return true;
  };
  first->setFocus();
  for (int press = 1; press <= 2; ++press) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    key.ignore();
    QApplication::sendEvent(first, &key);
    EXPECT_EQ(asked, press);
    EXPECT_TRUE(key.isAccepted());
  }
  // A held F1 repeats its press; the page is asked for once.
  QKeyEvent held(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(first, &held);
  EXPECT_EQ(asked, 2);
}

// F1's events as an X server sends them: its key code and the server's time stamps. A held key
// repeats as a release and a press with one time stamp; Qt marks the pair as a repeat only when
// both were in its queue together.
struct KeyStep {
  QEvent::Type Type;
  quint64 Time;
  bool QtMarksRepeat = false;
  quint32 KeyCode = 67;  // F1 on an X server's US keyboard; 0: a key a program made up
};

struct HeldF1Case {
  const char* Name;
  std::vector<KeyStep> Steps;
  int Pages;
};

constexpr QEvent::Type kPress = QEvent::KeyPress;
constexpr QEvent::Type kRelease = QEvent::KeyRelease;

TEST_F(AppEventsTest, F1AsksForHelpOncePerPressWhateverQtMarksAsRepeated) {
  const HeldF1Case cases[] = {
      {"held 1.5 s on a busy machine: no pair marked, one page",
       {{kPress, 1000},
        {kRelease, 1660},
        {kPress, 1660},
        {kRelease, 1700},
        {kPress, 1700},
        {kRelease, 1740},
        {kPress, 1740},
        {kRelease, 2500}},
       1},
      {"held with every pair marked",
       {{kPress, 1000}, {kRelease, 1660, true}, {kPress, 1660, true}, {kRelease, 2000}},
       1},
      {"some pairs marked, some not",
       {{kPress, 1000},
        {kRelease, 1660, true},
        {kPress, 1660, true},
        {kRelease, 1700},
        {kPress, 1700},
        {kRelease, 1900}},
       1},
      {"two presses, each released",
       {{kPress, 1000}, {kRelease, 1100}, {kPress, 1400}, {kRelease, 1480}},
       2},
      {"held, let go, held again: a page each",
       {{kPress, 1000},
        {kRelease, 1660},
        {kPress, 1660},
        {kRelease, 1800},
        {kPress, 2300},
        {kRelease, 2960},
        {kPress, 2960},
        {kRelease, 3100}},
       2},
      {"keys a program made, pressed and released within one millisecond",
       {{kPress, 5000, false, 0},
        {kRelease, 5000, false, 0},
        {kPress, 5000, false, 0},
        {kRelease, 5001, false, 0},
        {kPress, 5001, false, 0},
        {kRelease, 5001, false, 0}},
       3},
      {"a press released in the millisecond it came, pressed again then",
       {{kPress, 7000}, {kRelease, 7000}, {kPress, 7000}, {kRelease, 7090}},
       2},
  };
  for (const HeldF1Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TAppEvents events;
    int pages = 0;
    events.OnHelp = [&](int, intptr_t, bool&) {
      ++pages;
      return true;
    };
    first->setFocus();
    for (const KeyStep& step : c.Steps) {
      QKeyEvent key(step.Type, Qt::Key_F1, Qt::NoModifier, step.KeyCode, 0, 0, QString(),
                    step.QtMarksRepeat);
      key.setTimestamp(step.Time);
      QApplication::sendEvent(first, &key);
    }
    EXPECT_EQ(pages, c.Pages);
  }
}

TEST_F(AppEventsTest, ExceptionGoesToItsHandlerElseIntoAMessageBox) {
  {
    MessageBoxCloser boxes;
    ApplicationHandleException(form.get(), TovixError("List index out of bounds (3)"));
    EXPECT_EQ(boxes.texts, (Log{"List index out of bounds (3)"}));
  }
  TAppEvents older;
  TAppEvents newer;
  Log log;
  QObject::connect(&older, &TAppEvents::OnException, [&](QObject* sender, const std::exception& e) {
    log.push_back((sender == form.get() ? "form: " : "?: ") + std::string(e.what()));
  });
  {
    MessageBoxCloser boxes;
    ApplicationHandleException(form.get(), EFileError("Cannot open file \"x.ini\""));
    EXPECT_EQ(log, (Log{"form: Cannot open file \"x.ini\""}));
    EXPECT_EQ(boxes.texts, Log{});
  }
  // An unchained instance without a handler ends the walk: nobody takes it, so the box shows.
  newer.SetChained(false);
  MessageBoxCloser boxes;
  ApplicationHandleException(form.get(), TovixError("Index out of bounds"));
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(boxes.texts, (Log{"Index out of bounds"}));
}

// A handler may free the last instance, and the list with it, in the middle of a dispatch: the
// dispatch ends without touching the freed list and the events still reach their widgets.
TEST_F(AppEventsTest, HandlerMayFreeTheLastInstance) {
  auto* events = new TAppEvents;
  QObject::connect(events, &TAppEvents::OnHint, [&events] {
    delete events;
    events = nullptr;
  });
  MoveOver(panel);
  EXPECT_EQ(events, nullptr);
  EXPECT_EQ(TAppEventList::Instance(), nullptr);
  QTest::keyClicks(first, "ab");
  EXPECT_EQ(first->text(), "ab");
}

}  // namespace
}  // namespace tovix
