// The text editor control under an X server of its own with real key presses (US layout):
// every bookmark key of the key table fires, and Ctrl or Alt keys the table does not bind type
// nothing (Ctrl+Alt too: AltGr comes as a level of its own here), while Shift alone still types.

#include <gtest/gtest.h>

#include "editor_test_helpers.h"
#include "editors/text_editor.h"
#include "support/xserver_keys.h"

namespace tovix::test {
namespace {

class EditorKeysUnderX : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = RealKeysUnavailable(); !why.empty()) GTEST_SKIP() << why;
    editor.resize(480, 320);
    std::string text;
    for (int line = 1; line <= 12; ++line) text += "line " + std::to_string(line) + "\r\n";
    editor.SetText(E(text));
    ASSERT_TRUE(FocusForKeys(editor, editor));
  }
  // The line bookmark `number` stands on; 0 when it is not set.
  int BookmarkLine(int number) const {
    int x = 0, y = 0;
    return editor.GetBookMark(number, x, y) ? y : 0;
  }

  TTextEditor editor;
};

// X11 sends Shift+Ctrl+1 as "!" and Shift+Ctrl+0 as ")": the table must still find the digits.
TEST_F(EditorKeysUnderX, EveryBookmarkKeySetsAndFindsItsBookmark) {
  const TEditString text = editor.GetText();
  QStringList keys{"ctrl+Home"};
  for (int n = 0; n <= 9; ++n) keys << QString("ctrl+shift+%1").arg(n) << "Down";
  ASSERT_TRUE(PressKeys(keys));
  ASSERT_TRUE(WaitFor([this] { return editor.CaretY() == 11; }))
      << "caret on line " << editor.CaretY();
  for (int n = 0; n <= 9; ++n) EXPECT_EQ(BookmarkLine(n), n + 1) << "bookmark " << n;
  for (int n : {7, 0, 9}) {
    ASSERT_TRUE(PressKeys({QString("ctrl+%1").arg(n)}));
    EXPECT_TRUE(WaitFor([this, n] { return editor.CaretY() == n + 1; }))
        << "Ctrl+" << n << " left the caret on line " << editor.CaretY();
  }
  EXPECT_EQ(editor.GetText(), text);
}

TEST_F(EditorKeysUnderX, CtrlOrAltKeysTheTableDoesNotBindTypeNothing) {
  editor.SetCaretXY({7, 1});
  editor.SetBlockBegin({7, 1});
  // The last key's character shows when every key before it has been handled.
  ASSERT_TRUE(PressKeys({"ctrl+semicolon", "ctrl+shift+0", "ctrl+bracketleft", "ctrl+shift+equal",
                         "alt+semicolon", "alt+shift+1", "ctrl+alt+semicolon", "ctrl+alt+1",
                         "shift+1", "x"}));
  ASSERT_TRUE(WaitFor([this] { return editor.Lines().Get(0).size() > 7; }));
  EXPECT_EQ(U8(editor.Lines().Get(0)), "line 1!x");
  EXPECT_EQ(BookmarkLine(0), 1) << "Shift+Ctrl+0 sets bookmark 0";
}

}  // namespace
}  // namespace tovix::test
