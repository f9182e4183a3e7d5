// Random command sequences against the editor's invariants, and undo/redo against the texts
// they must give back.

#include <gtest/gtest.h>

#include <ostream>

#include <random>
#include <string>
#include <vector>

#include "editor_test_helpers.h"

namespace tovix::test {
namespace {

// The 1-based offset of `p` in GetText() as GetSelStart counts it.
int OffsetOf(const TmwCustomEdit& edit, TPoint p) {
  int total = 0;
  for (int y = 1; y < p.Y; ++y) total += static_cast<int>(edit.Lines().Get(y - 1).size()) + 2;
  return total + p.X;
}

void CheckInvariants(const TmwCustomEdit& edit, int step) {
  SCOPED_TRACE("step " + std::to_string(step));
  const int n = edit.LineCount();
  ASSERT_GE(n, 1);
  ASSERT_GE(edit.CaretY(), 1);
  ASSERT_LE(edit.CaretY(), n);
  ASSERT_GE(edit.CaretX(), 1);
  ASSERT_LE(edit.CaretX(), TmwCustomEdit::MaxLeftChar);
  for (TPoint p : {edit.BlockBegin(), edit.BlockEnd()}) {
    ASSERT_GE(p.Y, 1);
    ASSERT_LE(p.Y, n);
    ASSERT_GE(p.X, 1);
    if (edit.SelectionMode() == smNormal) {
      ASSERT_LE(p.X, static_cast<int>(edit.Lines().Get(p.Y - 1).size()) + 1);
    }
  }
  if (edit.SelectionMode() == smNormal) {
    TPoint b = edit.BlockBegin();
    TPoint e = edit.BlockEnd();
    if (PointBefore(e, b)) std::swap(b, e);
    ASSERT_EQ(edit.GetSelStart(), OffsetOf(edit, b));
    ASSERT_EQ(edit.GetSelEnd(), OffsetOf(edit, e));
    // The offsets index GetText(): the stretch between them is the selected text.
    const TEditString all = edit.GetText();
    const TEditString stretch =
        all.substr(static_cast<size_t>(edit.GetSelStart() - 1),
                   static_cast<size_t>(edit.GetSelEnd() - edit.GetSelStart()));
    ASSERT_EQ(U8(stretch), U8(edit.SelText()));
  }
}

class TRandomEditor {
 public:
  TRandomEditor(TTestEdit& edit, uint32_t seed) : edit_(edit), rng_(seed) {}

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  TPoint RandomPoint() {
    const int y = 1 + Pick(edit_.LineCount());
    const int len = static_cast<int>(edit_.Lines().Get(y - 1).size());
    return {1 + Pick(len + 4), y};
  }

  TEditString RandomText() {
    static const std::string_view kParts[] = {"a",  "bc", " ", "  x", "(",  ")",     "\r\n",
                                              "\n", "\r", "é", "中",  "\t", "word ", "}"};
    TEditString t;
    const int n = Pick(4);
    for (int i = 0; i < n; ++i) t += E(kParts[Pick(14)]);
    return t;
  }

  // The last steps with the text after each, for failure messages.
  std::string Recent() const {
    std::string out;
    for (const std::string& h : history_) out += h + "\n";
    return out;
  }

  void Step() {
    const int kind = StepOnce();
    history_.push_back("command kind " + std::to_string(kind) + ", mode " +
                       std::to_string(static_cast<int>(edit_.SelectionMode())) + " -> " +
                       Joined(edit_));
    if (history_.size() > 12) history_.erase(history_.begin());
  }

  int StepOnce() {
    static const TEditChar kChars[] = {U'a', U'b', U' ', U'(', U')', U'{', U'}', U'é', U'中', U'x'};
    const int kind = Pick(31);
    switch (kind) {
      case 0:
      case 1:
      case 2:
      case 3:
        edit_.Cmd(ecChar, kChars[Pick(10)]);
        break;
      case 4:
        edit_.Cmd(ecLineBreak);
        break;
      case 5:
        edit_.Cmd(ecInsertLine);
        break;
      case 6:
        edit_.Cmd(ecDeleteLastChar);
        break;
      case 7:
        edit_.Cmd(ecDeleteChar);
        break;
      case 8:
        edit_.Cmd(Pick(2) ? ecDeleteWord : ecDeleteLastWord);
        break;
      case 9:
        edit_.Cmd(Pick(2) ? ecDeleteBOL : ecDeleteEOL);
        break;
      case 10:
        edit_.Cmd(ecDeleteLine);
        break;
      case 11: {
        const TmwEditorCommand moves[] = {ecLeft,     ecRight,       ecUp,        ecDown,
                                          ecWordLeft, ecWordRight,   ecLineStart, ecLineEnd,
                                          ecPageUp,   ecEditorBottom};
        TmwEditorCommand c = moves[Pick(10)];
        if (Pick(2)) c = static_cast<TmwEditorCommand>(c + ecSelection);
        edit_.Cmd(c);
        break;
      }
      case 12: {
        const TPoint p = RandomPoint();
        edit_.CommandProcessor(Pick(2) ? ecGotoXY : ecSelGotoXY, 0, &p);
        break;
      }
      case 13: {
        const TmwEditorCommand modes[] = {ecNormalSelect, ecColumnSelect, ecLineSelect};
        edit_.Cmd(modes[Pick(3)]);
        break;
      }
      case 14:
        edit_.Cmd(ecCopy);
        break;
      case 15:
        edit_.Cmd(ecCut);
        break;
      case 16:
        edit_.Cmd(ecPaste);
        break;
      case 17: {
        // A column or line block from another editor, or plain text from another program.
        const int clipKind = Pick(3);
        if (clipKind == 2) {
          edit_.Clip.Block.reset();
          edit_.Clip.Text = RandomText();
        } else {
          const TEditString pieces = clipKind == 0 ? E("ab\r\ncd\r\nef") : E("line one\r\n");
          edit_.Clip.Block = EncodeBlockPayload(clipKind == 0 ? smColumn : smLine, pieces);
        }
        edit_.Cmd(ecPaste);
        break;
      }
      case 18:
      case 19:
        edit_.Cmd(ecUndo);
        break;
      case 20:
        edit_.Cmd(ecRedo);
        break;
      case 21:
        edit_.Cmd(ecBlockIndent);
        break;
      case 22:
        edit_.Cmd(ecBlockUnindent);
        break;
      case 23:
        edit_.Cmd(ecTab);
        break;
      case 24:
        edit_.Cmd(ecToggleMode);
        break;
      case 25:
        edit_.SetSelText(RandomText());
        break;
      case 26:
        edit_.Cmd(ecMatchBracket);
        break;
      case 27:
        edit_.Cmd(static_cast<TmwEditorCommand>(ecSetMarker0 + Pick(10)));
        break;
      case 28:
        edit_.SetSelStart(Pick(OffsetOf(edit_, {1, edit_.LineCount() + 1}) + 5));
        break;
      case 30:
        edit_.DropSelection(RandomPoint(), Pick(2) == 0);
        break;
      case 29:
        edit_.SetSelEnd(Pick(OffsetOf(edit_, {1, edit_.LineCount() + 1}) + 5));
        break;
    }
    return kind;
  }

 private:
  TTestEdit& edit_;
  std::mt19937 rng_;
  std::vector<std::string> history_;
};

struct TRandomCase {
  const char* Name;
  uint32_t Seed;
  bool OrdersOptions;
};

// Test names and failure messages show the case name.
void PrintTo(const TRandomCase& c, std::ostream* os) {
  *os << c.Name;
}

class EditRandomTest : public ::testing::TestWithParam<TRandomCase> {};

// 10,000 commands in segments of 500: after each command the invariants hold; at the end of a
// segment, undoing everything in the undo list gives back the segment's starting text and
// redoing everything gives back its final text.
TEST_P(EditRandomTest, InvariantsHoldAndUndoGivesBackTheText) {
  const TRandomCase& c = GetParam();
  TTestEdit edit("  first line (a)\r\nsecond\r\n\r\n    { indented }\r\nlast",
                 c.OrdersOptions ? kOrdersOptions : TmwCustomEdit::kDefaultOptions);
  edit.SetTabWidth(4);
  edit.SetMaxUndo(100000);
  TRandomEditor random(edit, c.Seed);
  TEditString base = edit.GetText();
  for (int step = 1; step <= 10000; ++step) {
    random.Step();
    CheckInvariants(edit, step);
    if (HasFatalFailure()) {
      ADD_FAILURE() << random.Recent();
      return;
    }
    if (step % 500 == 0) {
      SCOPED_TRACE("segment ending at step " + std::to_string(step));
      const TEditString now = edit.GetText();
      // Items undone before this point stay at the bottom of the redo list.
      const int oldRedo = edit.RedoList().ItemCount();
      while (edit.CanUndo()) edit.Undo();
      ASSERT_EQ(U8(edit.GetText()), U8(base)) << random.Recent();
      CheckInvariants(edit, step);
      while (edit.RedoList().ItemCount() > oldRedo) edit.Redo();
      ASSERT_EQ(U8(edit.GetText()), U8(now)) << random.Recent();
      CheckInvariants(edit, step);
      edit.ClearUndo();
      base = now;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, EditRandomTest,
                         ::testing::Values(TRandomCase{"ScrollPastEol", 1, false},
                                           TRandomCase{"ScrollPastEol2", 77, false},
                                           TRandomCase{"OrdersWindow", 2, true},
                                           TRandomCase{"OrdersWindow2", 4242, true}),
                         [](const auto& p) { return std::string(p.param.Name); });

// With the usual limit of 10 items the oldest drop out; the invariants still hold and undo
// never reaches past what it still knows.
TEST(EditRandomLimitTest, SmallUndoListKeepsInvariants) {
  TTestEdit edit("abc def\r\n  ghi", kOrdersOptions);
  TRandomEditor random(edit, 99);
  for (int step = 1; step <= 3000; ++step) {
    random.Step();
    CheckInvariants(edit, step);
    if (HasFatalFailure()) return;
    ASSERT_LE(edit.UndoList().ItemCount(), 10);
  }
}

}  // namespace
}  // namespace tovix::test
