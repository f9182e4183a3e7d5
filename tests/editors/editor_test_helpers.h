#pragma once
// Small helpers for the editor tests: texts written as UTF-8 literals, an editor with a fixed
// window size and an in-memory clipboard.

#include <string>
#include <string_view>

#include "editors/custom_edit.h"
#include "editors/text_codec.h"

namespace tovix::test {

inline TEditString E(std::string_view utf8) {
  return Utf8ToEdit(utf8);
}
inline std::string U8(TEditStringView text) {
  return EditToUtf8(text);
}

// The whole text as UTF-8 with "|" between lines, which reads better in failure messages.
inline std::string Joined(const TmwCustomEdit& edit) {
  std::string out;
  for (int i = 0; i < edit.LineCount(); ++i) {
    if (i > 0) out += "|";
    out += U8(edit.Lines().Get(i));
  }
  return out;
}

struct TTestEdit : TmwCustomEdit {
  TMemoryClipboard Clip;
  explicit TTestEdit(std::string_view utf8 = "",
                     TmwEditorOptions options = TmwCustomEdit::kDefaultOptions) {
    SetWindowSize(80, 25);
    SetOptions(options);
    SetClipboard(&Clip);
    SetText(E(utf8));
  }
  void Cmd(TmwEditorCommand c, TEditChar ch = 0) { CommandProcessor(c, ch, nullptr); }
  void Type(std::string_view utf8) {
    for (TEditChar c : E(utf8)) Cmd(ecChar, c);
  }
  void Caret(int x, int y) { SetCaretAndSelect({x, y}, {x, y}); }
  void SetCaretAndSelect(TPoint from, TPoint to) {
    SetCaretXY(to);
    SetBlockBegin(from);
    SetBlockEnd(to);
  }
};

// The orders window's options: no scrolling past the line end.
inline const TmwEditorOptions kOrdersOptions = {mweoAutoIndent, mweoDragDropEditing,
                                                mweoShowScrollHint, mweoSmartTabs};

}  // namespace tovix::test
