#pragma once
// The text model of the program's own plain-text editor: lines with their highlighter ranges,
// the caret, the block (selection) in three modes, options, insert and overwrite, read-only,
// status bits, bookmarks, the key commands and the undo and redo lists. Everything here works
// without a window; the widget derives from it, sets the window metrics (`CharsInWindow`,
// `LinesInWindow`) and overrides the Invalidate hooks to repaint.
//
// Positions are 1-based (TPoint). Columns count characters; tabs are expanded only where the
// text meets the screen (CharToDisplayColumn, DisplayToCharColumn).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "editors/edit_list.h"
#include "editors/edit_search.h"
#include "editors/edit_types.h"
#include "editors/editor_clipboard.h"
#include "editors/highlighter.h"
#include "editors/key_commands.h"
#include "editors/undo_list.h"

namespace tovix {

class TmwCustomEdit;

// One bookmark (number 0..9) or plain mark (number -1) on a line. Once it belongs to an editor,
// changing its line, image or visibility repaints its old and new gutter lines there.
class TMark {
 public:
  int Line() const { return line_; }
  void SetLine(int line);
  int Char() const { return char_; }
  void SetChar(int column) { char_ = column; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  int BookmarkNumber() const { return bookmarkNumber_; }
  void SetBookmarkNumber(int number) { bookmarkNumber_ = number; }
  bool IsBookmark() const { return bookmarkNumber_ >= 0; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // The glyph is one of the editor's built-in ones, not from its bookmark images.
  bool InternalImage() const { return internalImage_; }
  void SetInternalImage(bool internal);
  // The editor the mark is in; nullptr before it is placed.
  TmwCustomEdit* Edit() const { return edit_; }

 private:
  friend class TmwCustomEdit;
  void Repaint(int oldLine) const;

  int line_ = 1;
  int char_ = 1;
  int imageIndex_ = 0;
  int bookmarkNumber_ = -1;
  bool visible_ = true;
  bool internalImage_ = true;
  TmwCustomEdit* edit_ = nullptr;
};

class TmwCustomEdit : private IEditListObserver {
 public:
  static constexpr int MaxLeftChar = 1024;
  static const TmwEditorOptions kDefaultOptions;

  TmwCustomEdit();
  virtual ~TmwCustomEdit();
  TmwCustomEdit(const TmwCustomEdit&) = delete;
  TmwCustomEdit& operator=(const TmwCustomEdit&) = delete;

  // --- Text ---------------------------------------------------------------------------------
  // Changing the lines directly (not through the editor's commands) clears the undo and redo
  // lists: their positions would no longer fit the text.
  TmwEditList& Lines() { return lines_; }
  const TmwEditList& Lines() const { return lines_; }
  int LineCount() const { return lines_.Count(); }
  TEditString GetText() const { return lines_.GetText(); }
  void SetText(TEditStringView text) { lines_.SetText(text); }
  // The caret line; empty (and writing does nothing) when it does not exist.
  TEditString LineText() const;
  void SetLineText(TEditString text);

  // --- Caret --------------------------------------------------------------------------------
  int CaretX() const { return caretX_; }
  int CaretY() const { return caretY_; }
  TPoint CaretXY() const { return {caretX_, caretY_}; }
  void SetCaretX(int x) { SetCaretXY({x, caretY_}); }
  void SetCaretY(int y) { SetCaretXY({caretX_, y}); }
  // The one caret setter: clamps to the text (to the line end unless mweoScrollPastEol).
  virtual void SetCaretXY(TPoint p);
  void EnsureCaretVisible();

  // --- Block --------------------------------------------------------------------------------
  TPoint BlockBegin() const { return blockBegin_; }
  TPoint BlockEnd() const { return blockEnd_; }
  // Collapses the block to `p` (clamped).
  void SetBlockBegin(TPoint p);
  // Extends the block to `p` (clamped); nothing with mweoNoSelection.
  void SetBlockEnd(TPoint p);
  bool SelAvail() const;
  TEditString SelText() const;
  // Replaces the selection (or inserts at the caret) and records undo items.
  void SetSelText(TEditStringView text);
  // Replaces the whole text (lines joined by line breaks) as one change, which one undo takes
  // back whole and one redo makes again, however many lines it spans. The caret goes to the
  // start.
  void ReplaceAllText(TEditStringView text);
  // Offsets into GetText(): 1-based, every line break counting 2.
  int GetSelStart() const;
  int GetSelEnd() const;
  void SetSelStart(int offset);
  void SetSelEnd(int offset);
  void SelectAll();
  TSelectionMode SelectionMode() const { return selectionMode_; }
  void SetSelectionMode(TSelectionMode mode);

  // --- Options and modes ---------------------------------------------------------------------
  TmwEditorOptions Options() const { return options_; }
  void SetOptions(TmwEditorOptions options);
  bool InsertMode() const { return insertMode_; }
  void SetInsertMode(bool on);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int width);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool on) { wantTabs_ = on; }
  bool Modified() const { return modified_; }
  void SetModified(bool on);

  // --- Window metrics (set by the widget) ----------------------------------------------------
  int LeftChar() const { return leftChar_; }
  void SetLeftChar(int value);
  int TopLine() const { return topLine_; }
  void SetTopLine(int value);
  int CharsInWindow() const { return charsInWindow_; }
  int LinesInWindow() const { return linesInWindow_; }
  void SetWindowSize(int charsInWindow, int linesInWindow);

  // The screen column (tabs expanded to `TabWidth`) of character column `x` of line `line`,
  // and back: the character column whose cell holds screen column `col`.
  int CharToDisplayColumn(int line, int x) const;
  int DisplayToCharColumn(int line, int col) const;

  // --- Highlighter ---------------------------------------------------------------------------
  TmwCustomHighLighter* HighLighter() const { return highlighter_; }
  void SetHighLighter(TmwCustomHighLighter* highlighter);
  // Word characters: the highlighter's identifier characters, else every character above the
  // blank; characters above 255 are always word characters.
  bool IsWordChar(TEditChar c) const;

  // --- Keys and commands ---------------------------------------------------------------------
  TmwKeyStrokes& Keystrokes() { return keystrokes_; }
  // A key press (virtual-key code and modifiers). True when a binding consumed it.
  bool KeyDown(uint16_t key, TShiftState shift);
  // A typed character (dropped when the key before it ran a command).
  void KeyPress(TEditChar ch);
  // Text committed by an input method: every character is typed.
  void InputMethodText(TEditStringView text);
  virtual void CommandProcessor(TmwEditorCommand command, TEditChar ch, const TPoint* data);

  // --- Undo and clipboard --------------------------------------------------------------------
  bool CanUndo() const { return undoList_.ItemCount() > 0; }
  bool CanRedo() const { return redoList_.ItemCount() > 0; }
  void Undo();
  void Redo();
  void ClearUndo();
  int MaxUndo() const { return undoList_.MaxUndo(); }
  void SetMaxUndo(int value);
  const TUndoList& UndoList() const { return undoList_; }
  const TUndoList& RedoList() const { return redoList_; }
  // Drag and drop inside the editor: the selection is moved (or copied) to `at`. A drop inside
  // the selection, compared by line and column, changes nothing. A move undoes in one step.
  void DropSelection(TPoint at, bool copy);
  void SetClipboard(IEditorClipboard* clipboard) { clipboard_ = clipboard; }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  // --- Search and replace ---------------------------------------------------------------------
  // Finds `search` from the caret (from the start with ssoEntireScope), within lines. Without
  // ssoReplace the first match is selected and 1 returned (0 when there is none). With it the
  // matches are replaced through the undo list, the first only unless ssoReplaceAll; with
  // ssoPrompt OnReplaceText is asked for each match, which stands selected meanwhile (raSkip goes
  // on to the next, raReplaceAll replaces the rest unasked). Returns how many were replaced.
  int SearchReplace(TEditStringView search, TEditStringView replace, TmwSearchOptions options);
  // Asked for each match of a prompting replace (line and column 1-based); `action` starts as
  // raReplace.
  std::function<void(const TEditString& search, const TEditString& replace, int line, int column,
                     TmwReplaceAction& action)>
      OnReplaceText;

  // --- Bookmarks -----------------------------------------------------------------------------
  bool BookMarkEnableKeys = true;
  bool GetBookMark(int number, int& x, int& y) const;
  void SetBookMark(int number, int x, int y);
  void ClearBookMark(int number);
  void GotoBookMark(int number);
  const std::vector<std::unique_ptr<TMark>>& Marks() const { return marks_; }

  // --- Status --------------------------------------------------------------------------------
  void StatusChanged(uint8_t bits);
  void IncPaintLock() { ++paintLock_; }
  void DecPaintLock();

  // --- Events --------------------------------------------------------------------------------
  std::function<void()> OnChange;
  std::function<void()> OnSelectionChange;
  std::function<void(uint8_t changes)> OnStatusChange;
  std::function<void(TmwEditorCommand& command, TEditChar& ch, const TPoint* data)>
      OnProcessCommand;
  std::function<void(TmwEditorCommand& command, TEditChar& ch, const TPoint* data)>
      OnProcessUserCommand;
  std::function<void()> OnCommandDone;
  // Runs before a key press is looked up; may change the key or swallow it (key 0).
  std::function<void(uint16_t& key, TShiftState& shift)> OnKeyDown;
  std::function<void(TEditChar& ch)> OnKeyPress;
  // Called before a bookmark is placed; may change it, or return false to drop it.
  std::function<bool(TMark& mark)> OnPlaceBookmark;

 protected:
  // Repaint hooks for the widget; the model only says which lines changed.
  virtual void InvalidateLines(int first, int last) {}
  virtual void InvalidateAll() {}
  virtual void InvalidateGutterLines(int first, int last) { InvalidateLines(first, last); }
  // Whether marks take their glyphs from images of the widget's (else the built-in ones).
  virtual bool HasBookmarkImages() const { return false; }

 private:
  friend class TMark;

  // IEditListObserver
  void LineAdded(int index) override;
  void ListCleared() override;
  void LineDeleted(int index) override;
  void LineInserted(int index) override;
  void LinePut(int index) override;
  void TextSet() override;
  void ListLoaded() override;
  void ListChanging() override {}
  void ListChanged() override;

  void ExternalChange();
  void RescanAll();
  int RescanFrom(int index);
  // A line came or went at `index`: the ranges again from the line above it (the first line
  // from the start of the text).
  void RescanAfterChangeAt(int index);

  // Guards the editor's own edits, so that the list hooks can tell them from outside ones.
  class TEditScope;

  const TEditString& Line(int y) const { return lines_.Get(y - 1); }
  int LineLength(int y) const {
    return (y >= 1 && y <= LineCount()) ? static_cast<int>(Line(y).size()) : 0;
  }
  void NormBlock(TPoint& b, TPoint& e) const;
  TPoint ClampBlockPoint(TPoint p) const;
  void SetCaretAndCollapse(TPoint p);
  void SetBlockRaw(TPoint b, TPoint e) {
    blockBegin_ = b;
    blockEnd_ = e;
  }
  // The same with both ends brought inside the text.
  void SetBlockClamped(TPoint b, TPoint e) { SetBlockRaw(ClampBlockPoint(b), ClampBlockPoint(e)); }
  void CaretPastEol(TPoint p);

  // The replace primitive: deleting the selection by its mode, inserting text by a paste
  // mode. Both move bookmarks with the lines and leave the caret behind the change.
  void DeleteSelectionRaw();
  void InsertTextRaw(TSelectionMode pasteMode, TEditStringView text);
  void ReplaceSelectionRaw(TSelectionMode pasteMode, TEditStringView text);
  // Their common end: the caret at `caret` (its line kept in the text), no selection, the
  // lines' update ended and the bookmarks back inside the text.
  void EndRawEdit(TPoint caret);

  // Undo recording: the lines `first`..`last` are remembered before a change and attached to
  // the next recorded item.
  void TakeSnapshot(int first, int last);
  TLineSnapshot Snapshot(int first, int last) const;
  void ApplySnapshot(const TLineSnapshot& snap);
  TChangeItem* AddUndo(TChangeReason reason, TPoint start, TPoint end, TEditString text,
                       TSelectionMode mode);
  // Deletes the selection as one undoable change of `reason`; false when nothing is selected.
  bool DeleteSelectionUndoable(TChangeReason reason);
  void UndoItem();
  void RedoItem();
  // Runs UndoItem or RedoItem as one edit; what it records meanwhile leaves the redo list alone.
  void ReplayItem(void (TmwCustomEdit::*step)());

  // Commands.
  void ExecuteCommand(TmwEditorCommand command, TEditChar ch, const TPoint* data);
  void MoveCaret(TPoint to, bool select);
  TPoint NextWordPos() const;
  TPoint PrevWordPos() const;
  int LineIndent(int y) const;
  int AutoIndentAbove(int y) const;
  void DeleteRange(TPoint from, TPoint to, TChangeReason reason, bool caretToStart);
  void ExecChar(TEditChar ch);
  void ExecLineBreak(bool moveCaret);
  void ExecDeleteLastChar();
  void ExecDeleteChar();
  void ExecDeleteLine();
  void ExecBlockIndent();
  void ExecBlockUnindent();
  void ExecTab();
  void ExecMatchBracket();
  void ExecScroll(TmwEditorCommand command);
  void IndentLines(int first, int last, int width);
  std::vector<int> UnindentLines(int first, int last, TEditString* removed);

  // Bookmarks follow the lines: marks on `from` or below move by `delta`; marks on lines
  // `first`..`last` move to `to`. Afterwards every mark lies inside the text.
  void ShiftMarks(int from, int delta);
  void GatherMarks(int first, int last, int to);
  void ClampMarks();

  TmwEditList lines_;
  int caretX_ = 1;
  int caretY_ = 1;
  TPoint blockBegin_;
  TPoint blockEnd_;
  TSelectionMode selectionMode_ = smNormal;
  TmwEditorOptions options_;
  bool insertMode_ = true;
  bool readOnly_ = false;
  int tabWidth_ = 8;
  bool wantTabs_ = false;
  bool modified_ = false;
  int leftChar_ = 1;
  int topLine_ = 1;
  int charsInWindow_ = 80;
  int linesInWindow_ = 25;
  int paintLock_ = 0;
  uint8_t statusChanges_ = 0;

  TmwCustomHighLighter* highlighter_ = nullptr;
  int hlChangeId_ = 0;
  int hlDestroyId_ = 0;
  TIdentChars identChars_;

  TmwKeyStrokes keystrokes_;
  uint16_t pendingKey_ = 0;
  TShiftState pendingShift_ = 0;
  bool ignoreNextChar_ = false;

  TUndoList undoList_;
  TUndoList redoList_;
  TLineSnapshot pendingSnap_;
  int selfEdit_ = 0;         // > 0 while the editor changes its own lines
  int undoRedoRunning_ = 0;  // > 0 while undo or redo replays items
  IEditorClipboard* clipboard_ = nullptr;

  std::vector<std::unique_ptr<TMark>> marks_;
  std::array<TMark*, 10> bookmarks_{};
};

}  // namespace tovix
