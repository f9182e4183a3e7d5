// The whole program on Orion as race A (with the allies B and C), under an X server of its own
// with real key presses (xdotool through XTEST, US layout), as a player types: in the orders
// editor the bookmark keys set and find bookmarks, Ctrl+;, Shift+Ctrl+0, Ctrl+Alt+; and
// Ctrl+Alt+1 type nothing, Tab types nothing and keeps the focus, and Ctrl+N and Ctrl+M are the
// window's finds; a line typed last is in the automatic orders file after a SIGTERM (a logout).
// In the report viewer the same keys leave the report alone, and the notes editor types no chord.
// The offscreen tests cannot show this: they hand the editor the digit key, where X11 sends "!"
// with Shift and Ctrl.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/startup.h"
#include "editors/rich_edit.h"
#include "editors/text_codec.h"
#include "editors/text_editor.h"
#include "orders/order_file.h"
#include "orders/order_text.h"
#include "platform/platform_test_helpers.h"
#include "support/test_paths.h"
#include "support/xserver_keys.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_registry.h"
#include "windows/orders/orders_window.h"
#include "windows/texts/notes_editor_window.h"
#include "windows/texts/turn_reports_window.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

class ProgramKeysUnderX : public testing::Test {
 protected:
  ProgramKeysUnderX() : env_("TOVIX_HOME", home_.path().string()) {}

  void SetUp() override {
    if (const std::string why = test::RealKeysUnavailable(); !why.empty()) GTEST_SKIP() << why;
    const fs::path orion = test::ReportsDir("orion");
    if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
    // A copy: reading may repair a report in place.
    reports_ = home_.path() / "orion";
    fs::create_directories(reports_);
    for (const auto& entry : fs::directory_iterator(orion)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && std::string("ABC").find(name[0]) != std::string::npos)
        fs::copy_file(entry.path(), reports_ / name);
    }
    std::ofstream(home_.path() / "Tovix.ini")
        << "[RUN]\ngame=0\n[0]\nName=Orion\nGameType=Galaxy NG\nMapSize=150\nspelD="
        << reports_.string() << "/%1s%0.03d.txt\nspelC=ABC\n";
    // A's orders of the last turn are the automatic orders the window starts with.
    fs::copy_file(orion / "orders" / "A025.txt", home_.path() / "orders_0");
    fs::permissions(home_.path() / "orders_0", fs::perms::owner_write, fs::perm_options::add);
  }

  // Runs the program; `whileRunning` gets the windows once the main window is up. Message
  // boxes are recorded and answered; the main window closes afterwards if it is still open.
  void Run(const std::function<void(TWindowRegistry&)>& whileRunning) {
    test::ModalAnswerer answerer([this](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal))
        messages_.push_back(box->text().toStdString());
      modal->close();
    });
    TStartupParams params;
    params.OnRunning = [&whileRunning](TWindowRegistry& windows) {
      QTimer::singleShot(0, windows.Main(), [&whileRunning, &windows] {
        whileRunning(windows);
        if (windows.Main()->isVisible()) windows.Main()->close();
      });
    };
    ASSERT_EQ(runTovix(*qApp, std::move(params)), TStartupOutcome::Ran);
  }

  test::TempDir home_;
  test::ScopedEnv env_;
  fs::path reports_;
  std::vector<std::string> messages_;
};

TEST_F(ProgramKeysUnderX, TheOrdersEditorTakesTheKeyTablesKeysAndTheWindowsOwn) {
  std::string typed;
  Run([&](TWindowRegistry& w) {
    auto* orders = w.Get<TfrmOrders>("frmOrders");
    ASSERT_NE(orders, nullptr);
    TTextEditor& editor = orders->Editor();
    IOrderLines& lines = orders->OrderLines();
    ASSERT_TRUE(test::WaitFor([&] { return FindTurnMarker(lines) >= 0; }));
    ASSERT_TRUE(test::FocusForKeys(*orders, editor));
    const TEditString text = editor.GetText();

    // At the end of the turn line ";TOVIX TURN 25", where "#%" and ";1" once ended up:
    // bookmarks 3 and 5, Ctrl+;, Shift+Ctrl+0, Ctrl+Alt+; and Ctrl+Alt+1, then bookmark 1 (one
    // bookmark per line, so 1 stays).
    const int marker = FindTurnMarker(lines) + 1;
    const int end = static_cast<int>(lines.Line(marker - 1).size()) + 1;
    editor.SetCaretXY({end, marker});
    editor.SetBlockBegin({end, marker});
    ASSERT_TRUE(test::PressKeys({"ctrl+shift+3", "ctrl+shift+5", "ctrl+semicolon", "ctrl+shift+0",
                                 "ctrl+alt+semicolon", "ctrl+alt+1", "ctrl+shift+1", "ctrl+End"}));
    ASSERT_TRUE(test::WaitFor([&] { return editor.CaretY() == editor.LineCount(); }));
    EXPECT_EQ(editor.GetText(), text);
    int x = 0, y = 0;
    ASSERT_TRUE(editor.GetBookMark(1, x, y));
    EXPECT_EQ((std::pair{x, y}), (std::pair{end, marker}));
    for (int gone : {0, 3, 5}) EXPECT_FALSE(editor.GetBookMark(gone, x, y)) << gone;
    ASSERT_TRUE(test::PressKeys({"ctrl+1"}));
    EXPECT_TRUE(test::WaitFor([&] { return editor.CaretY() == marker; }));
    EXPECT_EQ(editor.CaretX(), end);

    // Tab types nothing and stays; Ctrl+N finds the next planet, Ctrl+M the next line of the
    // group, and neither breaks a line.
    orders->FindPlanetInOrders("Arcturans");
    const int planet = editor.CaretY();
    ASSERT_TRUE(test::PressKeys({"Tab", "ctrl+n"}));
    EXPECT_TRUE(test::WaitFor([&] { return editor.CaretY() > planet; }));
    EXPECT_TRUE(editor.hasFocus());
    orders->FindGroupInOrders(12);
    const int group = editor.CaretY();
    ASSERT_TRUE(test::PressKeys({"ctrl+m"}));
    EXPECT_TRUE(test::WaitFor([&] { return editor.CaretY() > group; }));
    EXPECT_EQ(EditToWindows1252(editor.SelText()), "12");
    EXPECT_EQ(editor.GetText(), text);

    // A line typed last, with no analysis after it, then a logout: the program ends as its main
    // window's close does and keeps the line.
    ASSERT_TRUE(test::PressKeys({"ctrl+End", "Return", "semicolon", "shift+k", "e", "y", "s"}));
    ASSERT_TRUE(test::WaitFor([&] { return lines.Line(lines.Count() - 1).ends_with(";Keys"); }));
    typed = OrderFileBytes(lines, TOrderLineEnds::CrLf);
    ASSERT_NE(test::ReadFileBytes(home_.path() / "orders_0"), typed);
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    EXPECT_TRUE(test::WaitFor([&] { return !w.Main()->isVisible(); }));
  });
  EXPECT_EQ(test::ReadFileBytes(home_.path() / "orders_0"), typed);
  for (const std::string& m : messages_) ADD_FAILURE() << m;
}

TEST_F(ProgramKeysUnderX, TheReportViewerKeepsTheReportUnderTheSameKeys) {
  const std::string report = test::ReadFileBytes(reports_ / "A025.txt");
  Run([&](TWindowRegistry& w) {
    auto* viewer = w.Get<TfrmTurnReports>("frmTurnReports");
    ASSERT_NE(viewer, nullptr);
    QPlainTextEdit& text = *viewer->Editor();
    ASSERT_TRUE(test::FocusForKeys(*viewer, text));
    // The whole report, which can be edited.
    viewer->SetShowPart(TReportPart::Whole);
    ASSERT_FALSE(text.isReadOnly());
    const QString shown = text.toPlainText();
    ASSERT_FALSE(shown.isEmpty());
    text.moveCursor(QTextCursor::Start);
    ASSERT_TRUE(test::PressKeys({"ctrl+shift+1", "ctrl+1", "ctrl+semicolon", "ctrl+shift+0",
                                 "ctrl+alt+semicolon", "ctrl+alt+1", "alt+semicolon", "ctrl+n",
                                 "ctrl+m", "ctrl+End"}));
    ASSERT_TRUE(test::WaitFor([&] { return text.textCursor().atEnd(); }));
    EXPECT_EQ(text.toPlainText(), shown);
    EXPECT_FALSE(text.document()->isModified());
    // Tab is the editor's: the whole report takes a tab character.
    ASSERT_TRUE(test::PressKeys({"Tab"}));
    EXPECT_TRUE(test::WaitFor([&] { return text.toPlainText() == shown + '\t'; }));
    EXPECT_TRUE(text.hasFocus());
  });
  EXPECT_EQ(test::ReadFileBytes(reports_ / "A025.txt"), report);
}

TEST_F(ProgramKeysUnderX, TheNotesEditorTypesNoChord) {
  Run([&](TWindowRegistry& w) {
    auto* notes = w.Get<TfrmEditor>("frmEditor");
    ASSERT_NE(notes, nullptr);
    TRichEdit98& text = *notes->Editor();
    ASSERT_TRUE(test::FocusForKeys(*notes, text));
    text.moveCursor(QTextCursor::End);
    const QString before = text.toPlainText();
    // The chords type nothing; the last key, which types, shows that all before it arrived.
    ASSERT_TRUE(test::PressKeys(
        {"ctrl+alt+semicolon", "ctrl+alt+1", "alt+semicolon", "ctrl+semicolon", "x"}));
    EXPECT_TRUE(test::WaitFor([&] { return text.toPlainText() == before + 'x'; }))
        << text.toPlainText().toStdString();
  });
}

}  // namespace
}  // namespace tovix
