// The highlighter contract: attributes and their notifications, the attribute list, the change
// chain, and how the editor keeps each line's start range while the text changes.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor_test_helpers.h"

namespace tovix::test {
namespace {

// A small language: "{" opens a block that may span lines, "}" closes it. The range is the
// nesting depth. Every token is one character.
class TBraceHighlighter : public TmwCustomHighLighter {
 public:
  TBraceHighlighter() {
    plain_ = AddAttribute(std::make_unique<TmwHighLightAttributes>("Plain"));
    block_ = AddAttribute(std::make_unique<TmwHighLightAttributes>("Block"));
    SetAttributesOnChange();
  }
  void AddDuplicate() { AddAttribute(std::make_unique<TmwHighLightAttributes>("plain")); }

  TmwHighLightAttributes* GetDefaultAttribute(int index) const override {
    return index == 0 ? plain_ : nullptr;
  }
  bool GetEol() const override { return pos_ >= line_.size(); }
  uintptr_t GetRange() const override { return depth_; }
  TEditString GetToken() const override { return line_.substr(pos_, 1); }
  TmwHighLightAttributes* GetTokenAttribute() const override {
    return depth_ > 0 ? block_ : plain_;
  }
  int GetTokenKind() const override { return static_cast<int>(depth_); }
  int GetTokenPos() const override { return static_cast<int>(pos_); }
  void Next() override {
    if (GetEol()) return;
    if (line_[pos_] == U'{') ++depth_;
    if (line_[pos_] == U'}' && depth_ > 0) --depth_;
    ++pos_;
  }
  void SetLine(TEditStringView text, int) override {
    line_ = TEditString(text);
    pos_ = 0;
    ++LinesScanned;
  }
  void SetRange(uintptr_t value) override { depth_ = value; }
  void ResetRange() override { depth_ = 0; }

  int LinesScanned = 0;

 private:
  TmwHighLightAttributes* plain_;
  TmwHighLightAttributes* block_;
  TEditString line_;
  size_t pos_ = 0;
  uintptr_t depth_ = 0;
};

TEST(HighlightAttributesTest, NotifyOncePerChange) {
  TmwHighLightAttributes a("Keyword");
  int calls = 0;
  a.OnChange = [&](TmwHighLightAttributes&) { ++calls; };
  a.SetForeground(0x0000FF);
  a.SetForeground(0x0000FF);
  a.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(calls, 2);
  TmwHighLightAttributes b("Other");
  b.SetBackground(0xFFFFFF);
  a.Assign(b);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(a.Name(), "Other");
  EXPECT_EQ(a.Foreground(), clNone);
  a.Assign(b);
  EXPECT_EQ(calls, 3);
}

TEST(HighlighterTest, AttributeListIsSortedAndRefusesDuplicates) {
  TBraceHighlighter h;
  ASSERT_EQ(h.GetAttribCount(), 2);
  EXPECT_EQ(h.GetAttribute(0)->Name(), "Block");
  EXPECT_EQ(h.GetAttribute(-1), nullptr);
  EXPECT_EQ(h.GetAttribute(2), nullptr);
  EXPECT_THROW(h.AddDuplicate(), EStringListError);
  EXPECT_EQ(h.GetAttribCount(), 2);
  EXPECT_EQ(h.GetLanguageName(), "<Unknown>");
  EXPECT_EQ(h.GetCapabilities(), 2);
}

TEST(HighlighterTest, ChainRefusesEmptyHandlersAndSurvivesUnhookWhileFiring) {
  TmwNotifyEventChain chain(nullptr);
  EXPECT_THROW(chain.Add(nullptr), EmwMethodChain);
  int first = 0;
  int second = 0;
  int id2 = 0;
  const int id1 = chain.Add([&](void*) {
    ++first;
    chain.Remove(id2);
  });
  id2 = chain.Add([&](void*) { ++second; });
  chain.Fire();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  chain.Remove(id1);
  chain.Remove(12345);
  EXPECT_EQ(chain.Count(), 0u);
}

// A handler that raises: without an exception handler the error reaches the caller and the later
// handlers are not called; with one, the handler sees the error and decides whether they are.
TEST(HighlighterTest, ChainHandsAHandlersErrorToItsExceptionHandler) {
  struct Row {
    const char* name;
    int handler;  // 0 none, 1 continues, 2 stops
    bool raises;
    int laterCalls;
  };
  for (const Row& row :
       {Row{"NoHandler", 0, true, 0}, Row{"Continues", 1, false, 1}, Row{"Stops", 2, false, 0}}) {
    TBraceHighlighter h;
    std::vector<std::string> seen;
    if (row.handler != 0)
      h.SetOnChangeException([&](const std::exception& error, bool& doContinue) {
        seen.emplace_back(error.what());
        doContinue = row.handler == 1;
      });
    int later = 0;
    h.HookAttrChangeEvent([](void*) { throw TovixError("repaint failed"); });
    h.HookAttrChangeEvent([&](void*) { ++later; });
    bool raised = false;
    try {
      h.GetAttribute(0)->SetForeground(0x123456);
    } catch (const TovixError& e) {
      raised = true;
      EXPECT_STREQ(e.what(), "repaint failed") << row.name;
    }
    EXPECT_EQ(raised, row.raises) << row.name;
    EXPECT_EQ(later, row.laterCalls) << row.name;
    EXPECT_EQ(seen, row.handler == 0 ? std::vector<std::string>{}
                                     : std::vector<std::string>{"repaint failed"})
        << row.name;
  }
}

// The attributes kept in the settings store: saved values come back through the setters (so the
// editors repaint); loading stops at the first attribute without a section.
TEST(HighlighterTest, AttributesGoToTheSettingsStoreAndBack) {
  TznSaveState store("");
  TBraceHighlighter saved;
  saved.GetAttribute(0)->SetForeground(0x00FF00);         // Block
  saved.GetAttribute(1)->SetStyle(fsBold | fsUnderline);  // Plain
  saved.SaveToStore(store, "Brace");
  EXPECT_EQ(store.ReadInteger("Brace\\Plain", "Style", -1), fsBold | fsUnderline);

  TBraceHighlighter loaded;
  int changes = 0;
  loaded.HookAttrChangeEvent([&](void*) { ++changes; });
  EXPECT_TRUE(loaded.LoadFromStore(store, "Brace"));
  EXPECT_EQ(loaded.GetAttribute(0)->Foreground(), 0x00FF00u);
  EXPECT_EQ(loaded.GetAttribute(0)->Background(), clNone);
  EXPECT_EQ(loaded.GetAttribute(1)->Style(), fsBold | fsUnderline);
  EXPECT_EQ(changes, 2);
  // Only the first attribute stored: it is read, the second is missing.
  TznSaveState partial("");
  partial.WriteInteger("Brace\\Block", "Foreground", 0x0000FF);
  TBraceHighlighter half;
  EXPECT_FALSE(half.LoadFromStore(partial, "Brace"));
  EXPECT_EQ(half.GetAttribute(0)->Foreground(), 0x0000FFu);
  EXPECT_FALSE(half.LoadFromStore(TznSaveState(""), "Brace"));
}

TEST(EditorRangesTest, AttachingScansEveryLineAndStoresStartRanges) {
  TTestEdit edit("a{\r\nb\r\nc}\r\nd");
  TBraceHighlighter h;
  edit.SetHighLighter(&h);
  EXPECT_EQ(h.LinesScanned, 3);  // the last line's end range is stored nowhere
  EXPECT_EQ(edit.Lines().Range(0), 0u);
  EXPECT_EQ(edit.Lines().Range(1), 1u);
  EXPECT_EQ(edit.Lines().Range(2), 1u);
  EXPECT_EQ(edit.Lines().Range(3), 0u);
}

TEST(EditorRangesTest, RescanStopsWhereTheStoredRangeAgrees) {
  TTestEdit edit("x\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6\r\nl7");
  TBraceHighlighter h;
  edit.SetHighLighter(&h);
  // An edit that keeps the line's end range scans that line and looks at the next only.
  h.LinesScanned = 0;
  edit.Caret(2, 1);
  edit.Type("y");
  EXPECT_EQ(h.LinesScanned, 1);
  // Opening a block on line 5 restyles every line after it.
  h.LinesScanned = 0;
  edit.Caret(1, 5);
  edit.Type("{");
  EXPECT_EQ(h.LinesScanned, 3);
  EXPECT_EQ(edit.Lines().Range(6), 1u);
  // Closing it on line 6 brings line 7 back.
  edit.Caret(1, 6);
  edit.Type("}");
  EXPECT_EQ(edit.Lines().Range(5), 1u);
  EXPECT_EQ(edit.Lines().Range(6), 0u);
  // Inserted and deleted lines get their ranges too.
  edit.Caret(1, 2);
  edit.Type("{");
  edit.Cmd(ecLineBreak);
  EXPECT_EQ(edit.Lines().Range(2), 1u);
  EXPECT_EQ(edit.Lines().Range(7), 1u);
  edit.Cmd(ecUndo);
  edit.Cmd(ecUndo);
  EXPECT_EQ(edit.Lines().Range(6), 0u);
}

TEST(EditorRangesTest, WordCharactersComeFromTheHighlighter) {
  struct TDashWords : TBraceHighlighter {
    TIdentChars GetIdentChars() const override {
      TIdentChars set;
      for (char c = 'a'; c <= 'z'; ++c) set.set(static_cast<size_t>(c));
      set.set('-');
      return set;
    }
  };
  TTestEdit edit("ab.cd-ef gh");
  EXPECT_TRUE(edit.IsWordChar(U'.'));  // without a highlighter: all above the blank
  EXPECT_FALSE(edit.IsWordChar(U' '));
  EXPECT_TRUE(edit.IsWordChar(U'中'));
  {
    TDashWords h;
    edit.SetHighLighter(&h);
    EXPECT_FALSE(edit.IsWordChar(U'.'));
    edit.Cmd(ecWordRight);
    EXPECT_EQ(edit.CaretX(), 4);
    edit.Cmd(ecWordRight);
    EXPECT_EQ(edit.CaretX(), 10);
  }
  // The highlighter went away: the editor forgot it.
  EXPECT_EQ(edit.HighLighter(), nullptr);
  EXPECT_TRUE(edit.IsWordChar(U'.'));
}

TEST(EditorRangesTest, AttributeChangeReachesHookedEditorsOnly) {
  struct TCountingEdit : TTestEdit {
    int Repaints = 0;
    void InvalidateAll() override { ++Repaints; }
  };
  TBraceHighlighter h;
  TCountingEdit a;
  TCountingEdit b;
  a.SetHighLighter(&h);
  b.SetHighLighter(&h);
  b.SetHighLighter(nullptr);
  a.Repaints = b.Repaints = 0;
  h.GetAttribute(0)->SetForeground(0x00FF00);
  EXPECT_EQ(a.Repaints, 1);
  EXPECT_EQ(b.Repaints, 0);
}

}  // namespace
}  // namespace tovix::test
