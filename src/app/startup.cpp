#include "app/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <atomic>
#include <clocale>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "app/termination_signals.h"
#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/save_state.h"
#include "core/text/file_utils.h"
#include "mail/mail_service.h"
#include "mail/secret_files.h"
#include "orders/auto_cargo.h"
#include "platform/latin1.h"
#include "platform/program_folder.h"
#include "platform/qt_user_interface.h"
#include "platform/thread_user_interface.h"
#include "windows/base/wait_window.h"
#include "windows/dialogs/lookup_dialog.h"
#include "windows/frame/config_dialog.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_registry.h"
#include "windows/orders/orders_window.h"

namespace tovix {

namespace {

namespace fs = std::filesystem;

// Puts back what a run changes in the application object.
class ApplicationSettingsGuard {
 public:
  explicit ApplicationSettingsGuard(QApplication& app)
      : app_(app),
        displayName_(QGuiApplication::applicationDisplayName()),
        quitOnLastWindowClosed_(QGuiApplication::quitOnLastWindowClosed()) {}
  ~ApplicationSettingsGuard() {
    app_.setApplicationDisplayName(displayName_);
    app_.setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
  }
  ApplicationSettingsGuard(const ApplicationSettingsGuard&) = delete;
  ApplicationSettingsGuard& operator=(const ApplicationSettingsGuard&) = delete;

 private:
  QApplication& app_;
  QString displayName_;
  bool quitOnLastWindowClosed_;
};

// Passes on a text that changes many times a second (the wait window's work, the captions while
// reports are read) at most every tenth of a second: the latest text is kept, and a timer
// brings it when nothing follows, so the last one always arrives.
class TThrottledText {
 public:
  explicit TThrottledText(std::function<void(const std::string&)> apply)
      : apply_(std::move(apply)) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Flush(); });
  }
  void Set(const std::string& text) {
    pending_ = text;
    hasPending_ = true;
    if (!shown_.isValid() || shown_.elapsed() >= kIntervalMs) {
      Flush();
    } else if (!timer_.isActive()) {
      timer_.start(static_cast<int>(kIntervalMs - shown_.elapsed()));
    }
  }
  void Flush() {
    if (!hasPending_) return;
    hasPending_ = false;
    timer_.stop();
    shown_.restart();
    apply_(pending_);
  }

 private:
  static constexpr qint64 kIntervalMs = 100;
  std::function<void(const std::string&)> apply_;
  QElapsedTimer shown_;
  QTimer timer_;
  std::string pending_;
  bool hasPending_ = false;
};

fs::path ExecutableFolder() {
  return fs::path(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
}

// Reads the chosen game; false when there is none to run. An error that escapes the reader is
// shown and counts as a failed read.
bool ReadGame(const fs::path& folder, const std::vector<std::string>& args, GameState& state,
              TReportReader& reader, UserInterface& ui) {
  try {
    return ReadGameSettings(folder, args, state.Settings, state.Layout) && reader.LoadAllReports();
  } catch (const std::exception& e) {
    ui.ShowMessage(e.what());
    return false;
  }
}

// Runs `work` on a thread of its own. The end of the scope waits for it, looking at this thread's
// events meanwhile (the work's questions come through them), user input excepted.
class TReadingThread {
 public:
  explicit TReadingThread(std::function<void()> work)
      : thread_([this, work = std::move(work)] {
          work();
          done_ = true;
          QMetaObject::invokeMethod(
              &loop_, [this] { loop_.quit(); }, Qt::QueuedConnection);
        }) {}
  ~TReadingThread() {
    // The quit is sent after done_ is set and only an event loop runs it: either done_ is seen
    // here, or the quit arrives in the loop.
    if (!done_) loop_.exec(QEventLoop::ExcludeUserInputEvents);
    thread_.join();
  }
  TReadingThread(const TReadingThread&) = delete;
  TReadingThread& operator=(const TReadingThread&) = delete;

 private:
  QEventLoop loop_;
  std::atomic<bool> done_ = false;
  std::thread thread_;  // last: it starts once the others are made
};

TStartupOutcome Run(TStartupParams& params, TQtUserInterface& ui) {
  fs::path folder;
  std::unique_ptr<TznSaveState> store;
  std::string stillOpen;
  try {
    const TProgramFolder programFolder = FindProgramFolder(ExecutableFolder());
    folder = programFolder.Path;
    // What an interrupted write of the settings files left behind.
    RemoveLeftTempFiles(folder);
    store = std::make_unique<TznSaveState>((folder / kStoreFileName).string());
    // And of a mail placed in the outbox.
    const TMailSettings mail = ReadMailSettings(*store);
    const fs::path outbox = OutboxFolderOf(mail, folder);
    RemoveLeftTempFiles(outbox);
    // What an older version left readable by others, where it is the program's to narrow.
    stillOpen =
        NarrowingMessage(NarrowSecretFiles({folder, !programFolder.NamedByUser, outbox,
                                            mail.Outbox.empty(), folder / kMailPasswordFile}),
                         *store);
  } catch (const std::exception& e) {
    ui.ShowMessage(e.what());
    return TStartupOutcome::Failed;
  }
  if (!stillOpen.empty()) ui.ShowMessage(stillOpen);

  GameState state;
  TFormStateRegistry states;
  TWindowRegistry windows({*store, states, state, ui, folder}, params.Services);
  TfrmMain* main = nullptr;
  TfrmWait* wait = nullptr;
  // The texts arrive only while this thread looks at its events, once the windows are made.
  TThrottledText work([&wait](const std::string& text) { wait->SetCurrentWork(text); });
  TThrottledText title([&main, &wait](const std::string& caption) {
    const QString text = FromLatin1(caption);
    QGuiApplication::setApplicationDisplayName(text);
    main->setWindowTitle(text);
    wait->SetCaption(text);
  });
  ui.SetCurrentWorkHandler([&work](const std::string& text) { work.Set(text); });
  ui.SetTitleHandler([&title](const std::string& text) { title.Set(text); });

  // The reports are read on a thread of their own while this one makes the windows, which leave
  // the model alone until they are shown; the reading's questions and messages come here.
  TThreadUserInterface readingUi(ui);
  TReportReader reader(state, readingUi, folder);
  bool read = false;
  std::exception_ptr escaped;
  {
    TReadingThread reading([&] {
      try {
        read = ReadGame(folder, params.Args, state, reader, readingUi);
      } catch (...) {
        escaped = std::current_exception();
      }
    });
    windows.CreateStartupWindowsToWait();
    main = windows.Main();
    wait = windows.Wait();
    wait->show();
    wait->raise();
    wait->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    windows.CreateStartupWindows();
  }
  if (escaped) std::rethrow_exception(escaped);
  readingUi.DeliverTexts();
  work.Flush();
  title.Flush();
  TfrmConfigIni& config = *windows.ConfigIni();
  config.SetCurrentGameSection(state.Settings.GameNumber >= 0 ? state.Settings.GetGameSection()
                                                              : std::string());

  if (!read) {
    // Nothing of this run is saved: the store's file stays as it is on disk.
    store->ForgetFile();
    wait->hide();
    ui.ShowMessages(reader.Messages());
    config.RunStartupMode();
    return TStartupOutcome::Configured;
  }

  config.SetStartupFlag(false);
  // The designs' cargo use, before the first plan.
  ReadCargoUses(*store, state);
  windows.CreateLaterWindows();
  windows.Events().GameRead();
  wait->hide();
  const std::string loadFailures = FormStateFailureText(states.LoadAllFormStates(), true);
  if (!loadFailures.empty()) ui.ShowMessage(loadFailures);
  main->show();
  ui.ShowMessages(reader.Messages());

  // A logout (SIGTERM) or a lost terminal (SIGHUP) closes the program as its main window's close
  // does. A session manager kills the program after its grace time, so the order text, the notes
  // and the settings are saved at once; then a send under way is cancelled (it ends at once and
  // says nothing), an open question or dialog is cancelled, and everything is saved again below.
  TTerminationSignals termination;
  QObject::connect(&termination, &TTerminationSignals::Received, main, [main, &windows] {
    main->SaveStatus();
    if (auto* orders = windows.Get<TfrmOrders>("frmOrders")) orders->EndSession();
    for (int i = 0; i < 16; ++i) {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->close()) break;
    }
    main->close();
  });

  if (params.OnRunning) params.OnRunning(windows);
  if (main->isVisible()) {
    QEventLoop loop;
    QObject::connect(main, &TfrmMain::Closed, &loop, &QEventLoop::quit);
    loop.exec();
  }
  // The loop may also end because the application was told to quit: the main window still
  // closes the usual way, so its own saving happens.
  if (main->isVisible()) main->close();

  const std::string saveFailures = FormStateFailureText(states.SaveAllFormStates(), false);
  if (!saveFailures.empty()) ui.ShowMessage(saveFailures);
  try {
    store->UpdateFile();
  } catch (const std::exception& e) {
    ui.ShowMessage(e.what());
  }
  return TStartupOutcome::Ran;
}

}  // namespace

TStartupOutcome runTovix(QApplication& app, TStartupParams params) {
  // Numbers are read and written with "." whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  ApplicationSettingsGuard guard(app);
  app.setApplicationDisplayName("Tovix");
  // The run ends with the main window, not with the last visible window (the wait window hides
  // before the main window shows).
  app.setQuitOnLastWindowClosed(false);
  TQtUserInterface ui(LookUpIndex);
  try {
    return Run(params, ui);
  } catch (const std::exception& e) {
    ui.ShowMessage(e.what());
    return TStartupOutcome::Failed;
  }
}

}  // namespace tovix
