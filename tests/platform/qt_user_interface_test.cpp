#include "platform/qt_user_interface.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform_test_helpers.h"
#include "platform/window_in_use.h"
#include "support/show_window.h"

namespace tovix {
namespace {

// What one shown box said, and whether it scrolls (a text view) and shows plain text.
struct Shown {
  QString title;
  QString text;
  bool scrolls = false;
  bool plain = false;
};

// Closes every box it sees and keeps what it said.
class BoxReader {
 public:
  BoxReader()
      : answerer_([this](QWidget* w) {
          Shown s;
          s.title = w->windowTitle();
          if (auto* box = qobject_cast<QMessageBox*>(w)) {
            s.text = box->text();
            s.plain = box->textFormat() == Qt::PlainText;
          } else if (auto* view = w->findChild<QPlainTextEdit*>()) {
            s.text = view->toPlainText();
            s.scrolls = s.plain = true;
          }
          w->close();
          shown.push_back(s);
        }) {}
  std::vector<Shown> shown;

 private:
  test::ModalAnswerer answerer_;
};

// A message is a "Tovix" box unless it brings a caption of its own.
TEST(QtUserInterface, AMessageIsATovixBoxWithLineBreaks) {
  TQtUserInterface ui(nullptr);
  BoxReader reader;
  // Report text may look like markup; it is shown as it is.
  ui.ShowMessage("Race <b>Ulf</b> unknown:\rk012.txt");
  ui.ShowCaptionedMessage("Saved", "Text is Saved");
  ASSERT_EQ(reader.shown.size(), 2u);
  EXPECT_EQ(reader.shown[0].title, QStringLiteral("Tovix"));
  EXPECT_EQ(reader.shown[0].text, QStringLiteral("Race <b>Ulf</b> unknown:\nk012.txt"));
  EXPECT_TRUE(reader.shown[0].plain);
  EXPECT_FALSE(reader.shown[0].scrolls);
  EXPECT_EQ(reader.shown[1].title, QStringLiteral("Saved"));
  EXPECT_EQ(reader.shown[1].text, QStringLiteral("Text is Saved"));

  // A UTF-8 message shows every character itself; the same bytes as a Latin-1 message do not.
  const std::string utf8 = "line 1: \xC5\x81 (U+0141)\r\xC3\xA9";
  ui.ShowMessageUtf8(utf8);
  ui.ShowMessage(utf8);
  ASSERT_EQ(reader.shown.size(), 4u);
  EXPECT_EQ(reader.shown[2].text, QString::fromUtf8("line 1: \xC5\x81 (U+0141)\n\xC3\xA9"));
  EXPECT_TRUE(reader.shown[2].plain);
  EXPECT_NE(reader.shown[3].text, reader.shown[2].text);
}

// The messages of one load come together in one box, not one box after another; none, no box.
TEST(QtUserInterface, MessagesOfOneLoadShareOneBox) {
  TQtUserInterface ui(nullptr);
  BoxReader reader;
  ui.ShowMessages({});
  QCoreApplication::processEvents();
  EXPECT_TRUE(reader.shown.empty());
  ui.ShowMessages({"first", "second\rline", "third"});
  ASSERT_EQ(reader.shown.size(), 1u);
  EXPECT_EQ(reader.shown[0].title, QStringLiteral("Tovix"));
  EXPECT_EQ(reader.shown[0].text, QStringLiteral("first\n\nsecond\nline\n\nthird"));
}

TEST(QtUserInterface, AlongListOfMessagesScrolls) {
  TQtUserInterface ui(nullptr);
  BoxReader reader;
  std::vector<std::string> texts;
  QString expected;
  for (int i = 0; i < 40; ++i) {
    texts.push_back("Error - Turn: " + std::to_string(i));
    if (i > 0) expected += QStringLiteral("\n\n");
    expected += QStringLiteral("Error - Turn: %1").arg(i);
  }
  ui.ShowMessages(texts);
  ASSERT_EQ(reader.shown.size(), 1u);
  EXPECT_TRUE(reader.shown[0].scrolls);
  EXPECT_EQ(reader.shown[0].title, QStringLiteral("Tovix"));
  EXPECT_EQ(reader.shown[0].text, expected);
}

// Every box belongs to the window the user works in, so that it opens over that window: also
// when the dialog that was active has just closed (the save dialog before "Saved", the progress
// window before "Sent the orders to ..."), leaving no window active, and not to a window that
// has been minimised since.
TEST(QtUserInterface, EveryBoxBelongsToTheWindowInUse) {
  TrackWindowInUse();
  TQtUserInterface ui(nullptr);
  const std::vector<std::pair<const char*, std::function<void()>>> boxes{
      {"message", [&] { ui.ShowMessage("Text"); }},
      {"captioned message", [&] { ui.ShowCaptionedMessage("Saved", "Text is Saved"); }},
      {"UTF-8 message", [&] { ui.ShowMessageUtf8("\xC5\x81"); }},
      {"long list", [&] { ui.ShowMessages(std::vector<std::string>(40, "Error")); }},
      {"question", [&] { ui.AskYesNo("Delete old orders?"); }},
      {"question with All", [&] { ui.AskYesNoAll("Overwrite?"); }},
  };
  for (const auto& [name, show] : boxes) {
    SCOPED_TRACE(name);
    QWidget orders;
    QWidget other;
    for (QWidget* w : {&other, &orders}) ASSERT_TRUE(test::ShowActive(*w));
    QDialog dialog(&orders);
    ASSERT_TRUE(test::ShowActive(dialog));
    dialog.hide();
    std::vector<QWidget*> parents;
    test::ModalAnswerer answerer([&](QWidget* box) {
      parents.push_back(box->parentWidget());
      box->close();
    });
    show();
    // Minimised since: the window active before it is in use.
    orders.showMinimized();
    QCoreApplication::processEvents();
    show();
    EXPECT_EQ(parents, (std::vector<QWidget*>{&orders, &other}));
  }
}

}  // namespace
}  // namespace tovix
