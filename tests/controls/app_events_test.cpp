#include "controls/app_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/numbers.h"
#include "message_box_closer.h"

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
    for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(second), panel}) {
      layout->addWidget(w);
    }
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Application().Hint.clear();
  }

  void TearDown() override { QToolTip::hideText(); }

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

std::string Describe(const TAppEvents& e) {
  return Fmt(
      "Chained=%d HintPause=%d HintShortPause=%d HintHidePause=%d ShowHint=%d HintShortCuts=%d "
      "ShowMainForm=%d UpdateFormatSettings=%d UpdateMetricSettings=%d BiDiMode=%d "
      "BiDiKeyboard=%s NonBiDiKeyboard=%s MouseDragImmediate=%d MouseDragThreshold=%d",
      e.Chained(), e.HintPause(), e.HintShortPause(), e.HintHidePause(), e.ShowHint(),
      e.HintShortCuts(), e.ShowMainForm(), e.UpdateFormatSettings(), e.UpdateMetricSettings(),
      static_cast<int>(e.BiDiMode()), e.BiDiKeyboard().toStdString(),
      e.NonBiDiKeyboard().toStdString(), e.MouseDragImmediate(), e.MouseDragThreshold());
}

TEST_F(AppEventsTest, NewInstanceBringsTheApplicationToTheDefaults) {
  QApplication::setStartDragDistance(12);
  Application().HintPause = 1;
  Application().ShowMainForm = false;
  Application().BiDiKeyboard = "00000401";
  Application().Hint = "Names the ship";
  TAppEvents events;
  EXPECT_EQ(Describe(events),
            "Chained=1 HintPause=500 HintShortPause=50 HintHidePause=2500 ShowHint=1 "
            "HintShortCuts=1 ShowMainForm=1 UpdateFormatSettings=1 UpdateMetricSettings=1 "
            "BiDiMode=0 BiDiKeyboard= NonBiDiKeyboard= MouseDragImmediate=1 "
            "MouseDragThreshold=5");
  EXPECT_EQ(QApplication::startDragDistance(), 5);
  EXPECT_EQ(events.HintColor(), QApplication::palette().color(QPalette::ToolTipBase));
  EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
  EXPECT_EQ(Application().Hint, "Names the ship");  // what is under the mouse is no setting
}

TEST_F(AppEventsTest, PropertiesAreTheApplicationsOwnValues) {
  TAppEvents a;
  TAppEvents b;
  a.SetHintPause(800);
  a.SetMouseDragThreshold(9);
  a.SetHintColor(QColor(Qt::yellow));
  a.SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(b.HintPause(), 800);
  EXPECT_EQ(QApplication::startDragDistance(), 9);
  EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(Qt::yellow));
  EXPECT_EQ(b.HintColor(), QColor(Qt::yellow));
  EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::RightToLeft);
  a.SetBiDiMode(bdRightToLeftReadingOnly);  // reading order only: the layout stays
  EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
  EXPECT_EQ(b.BiDiMode(), bdRightToLeftReadingOnly);
  a.SetBiDiMode(bdLeftToRight);
}

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

TEST_F(AppEventsTest, UnchainedInstanceWithoutHandlerStillEndsTheWalk) {
  TAppEvents older;
  TAppEvents newer;
  int olderCalls = 0;
  QObject::connect(&older, &TAppEvents::OnHint, [&] { ++olderCalls; });
  newer.SetChained(false);
  MoveOver(panel);
  EXPECT_EQ(olderCalls, 0);
  EXPECT_EQ(Application().Hint, "Shows the map");
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

TEST_F(AppEventsTest, KeyPassedOnToTheParentsComesOnce) {
  TAppEvents events;
  int calls = 0;
  events.OnShortCut = [&](QKeyEvent*, bool&) { ++calls; };
  QTest::keyClick(panel, Qt::Key_A);  // a plain widget ignores keys: they go on to the window
  QTest::keyClick(panel, Qt::Key_B);
  EXPECT_EQ(calls, 2);
}

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
  QTest::keyClick(first, Qt::Key_F1);
  QTest::keyClick(second, Qt::Key_F1);
  EXPECT_EQ(asked, (std::vector<std::pair<int, intptr_t>>{{HELP_CONTEXT, 21}, {HELP_CONTEXT, 31}}));
}

TEST_F(AppEventsTest, HelpAnswersWithTheLastHandlerCalled) {
  EXPECT_FALSE(ApplicationHelpContext(5));  // nobody listens
  TAppEvents older;
  TAppEvents newer;
  older.OnHelp = [](int, intptr_t, bool&) { return false; };
  newer.OnHelp = [](int, intptr_t, bool&) { return true; };
  EXPECT_FALSE(ApplicationHelpContext(5));
  newer.SetChained(false);
  EXPECT_TRUE(ApplicationHelpContext(5));
}

TEST_F(AppEventsTest, ExceptionGoesToItsHandlerWithoutAMessage) {
  TAppEvents events;
  Log log;
  QObject::connect(
      &events, &TAppEvents::OnException, [&](QObject* sender, const std::exception& e) {
        log.push_back((sender == form.get() ? "form: " : "?: ") + std::string(e.what()));
      });
  MessageBoxCloser boxes;
  ApplicationHandleException(form.get(), EFileError("Cannot open file \"x.ini\""));
  EXPECT_EQ(log, (Log{"form: Cannot open file \"x.ini\""}));
  EXPECT_EQ(boxes.texts, Log{});
}

TEST_F(AppEventsTest, ExceptionNoHandlerTakesIsShownInAMessageBox) {
  {
    MessageBoxCloser boxes;
    ApplicationHandleException(form.get(), TovixError("List index out of bounds (3)"));
    EXPECT_EQ(boxes.texts, (Log{"List index out of bounds (3)"}));
  }
  TAppEvents older;
  TAppEvents newer;
  int olderCalls = 0;
  QObject::connect(&older, &TAppEvents::OnException, [&] { ++olderCalls; });
  newer.SetChained(false);
  MessageBoxCloser boxes;
  ApplicationHandleException(form.get(), TovixError("Index out of bounds"));
  EXPECT_EQ(olderCalls, 0);
  EXPECT_EQ(boxes.texts, (Log{"Index out of bounds"}));
}

TEST_F(AppEventsTest, IdleNotDoneComesBackWithoutWaiting) {
  TAppEvents events;
  QEventLoop loop;
  int calls = 0;
  events.OnIdle = [&](bool& done) {
    done = ++calls >= 100;
    if (done) loop.quit();
  };
  QTimer::singleShot(3000, &loop, &QEventLoop::quit);  // only if the idle calls stop early
  QElapsedTimer clock;
  clock.start();
  loop.exec();
  EXPECT_EQ(calls, 100);
  EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(AppEventsTest, MinimizeAndRestoreFollowTheWholeApplication) {
  TAppEvents events;
  Log log;
  QObject::connect(&events, &TAppEvents::OnMinimize, [&] { log.push_back("minimize"); });
  QObject::connect(&events, &TAppEvents::OnRestore, [&] { log.push_back("restore"); });
  form->setWindowState(Qt::WindowMinimized);
  form->setWindowState(Qt::WindowNoState);
  EXPECT_EQ(log, (Log{"minimize", "restore"}));

  QWidget other;
  other.show();
  log.clear();
  form->setWindowState(Qt::WindowMinimized);  // another window is still there
  form->setWindowState(Qt::WindowNoState);
  EXPECT_EQ(log, Log{});
}

TEST_F(AppEventsTest, FontOrPaletteChangeIsASettingsChange) {
  TAppEvents events;
  int calls = 0;
  QObject::connect(&events, &TAppEvents::OnSettingsChanged, [&] { ++calls; });
  const QFont font = QApplication::font();
  QFont bigger = font;
  bigger.setPointSize(font.pointSize() + 3);
  QApplication::setFont(bigger);
  EXPECT_EQ(calls, 1);
  QApplication::setFont(font);
  EXPECT_EQ(calls, 2);
}

TEST_F(AppEventsTest, ShowHintMayChangeOrRefuseTheTip) {
  first->setToolTip("Planet name");
  TAppEvents events;
  bool allow = true;
  QWidget* control = nullptr;
  events.OnShowHint = [&](QString& text, bool& canShow, THintInfo& info) {
    control = info.HintControl;
    text += " (F2)";
    canShow = allow;
  };
  const QPoint at = first->rect().center();
  QHelpEvent tip(QEvent::ToolTip, at, first->mapToGlobal(at));
  QApplication::sendEvent(first, &tip);
  EXPECT_EQ(control, first);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "Planet name (F2)");

  second->setToolTip("Ship name");
  allow = false;
  QHelpEvent refused(QEvent::ToolTip, at, second->mapToGlobal(at));
  QApplication::sendEvent(second, &refused);
  EXPECT_EQ(control, second);
  EXPECT_FALSE(QToolTip::isVisible() && QToolTip::text().startsWith("Ship name"));
}

TEST_F(AppEventsTest, NoTipsWhileShowHintIsOff) {
  first->setToolTip("Planet name");
  TAppEvents events;
  events.SetShowHint(false);
  const QPoint at = first->rect().center();
  QHelpEvent tip(QEvent::ToolTip, at, first->mapToGlobal(at));
  QApplication::sendEvent(first, &tip);
  EXPECT_FALSE(QToolTip::isVisible());
  events.SetShowHint(true);
  QApplication::sendEvent(first, &tip);
  EXPECT_TRUE(QToolTip::isVisible());
}

TEST_F(AppEventsTest, HandledMessageNeverReachesItsReceiver) {
  auto* button = new QPushButton("Analyse", form.get());
  form->layout()->addWidget(button);
  QTest::qWait(0);
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  TAppEvents events;
  events.OnMessage = [&](QObject* receiver, QEvent* event, bool& handled) {
    handled = receiver == button && event->type() == QEvent::MouseButtonPress;
  };
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 0);
  events.OnMessage = nullptr;
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

TEST_F(AppEventsTest, ActivationChangesFireOncePerChange) {
  TAppEvents events;
  Log log;
  QObject::connect(&events, &TAppEvents::OnActivate, [&] { log.push_back("activate"); });
  QObject::connect(&events, &TAppEvents::OnDeactivate, [&] { log.push_back("deactivate"); });
  // The offscreen platform never deactivates the application: its notification is raised here.
  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  emit qApp->applicationStateChanged(Qt::ApplicationHidden);
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
  EXPECT_EQ(log, (Log{"deactivate", "activate"}));
}

TEST_F(AppEventsTest, FocusChangesReportTheActiveControlAndForm) {
  TAppEvents events;
  int controls = 0;
  int forms = 0;
  QObject::connect(&events, &TAppEvents::OnActiveControlChange, [&] { ++controls; });
  QObject::connect(&events, &TAppEvents::OnActiveFormChange, [&] { ++forms; });
  first->setFocus();
  controls = 0;
  QTest::mouseClick(second, Qt::LeftButton);
  EXPECT_EQ(controls, 1);
  EXPECT_EQ(forms, 0);

  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(forms, 1);
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

TEST(AppEventList, LivesWithItsInstancesInCreationOrder) {
  EXPECT_EQ(TAppEventList::Instance(), nullptr);
  auto a = std::make_unique<TAppEvents>();
  auto b = std::make_unique<TAppEvents>();
  ASSERT_NE(TAppEventList::Instance(), nullptr);
  EXPECT_EQ(TAppEventList::Instance()->Items(), (std::vector<TAppEvents*>{a.get(), b.get()}));
  a.reset();
  EXPECT_EQ(TAppEventList::Instance()->Items(), (std::vector<TAppEvents*>{b.get()}));
  b.reset();
  EXPECT_EQ(TAppEventList::Instance(), nullptr);
}

}  // namespace
}  // namespace tovix
