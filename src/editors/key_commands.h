#pragma once
// Editor commands and the key bindings that reach them. A binding maps one key, or a sequence
// of two keys, with their modifiers, to a command number. Keys are Windows virtual-key codes
// (the widget translates its key events into them), so the pending-first-key rule (codes
// 48..145) and the stored shortcut values keep their meaning.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editors/edit_types.h"

namespace tovix {

using TmwEditorCommand = uint16_t;

// clang-format off
constexpr TmwEditorCommand ecNone = 0;
constexpr TmwEditorCommand ecLeft = 1, ecRight = 2, ecUp = 3, ecDown = 4, ecWordLeft = 5,
    ecWordRight = 6, ecLineStart = 7, ecLineEnd = 8, ecPageUp = 9, ecPageDown = 10,
    ecPageLeft = 11, ecPageRight = 12, ecPageTop = 13, ecPageBottom = 14, ecEditorTop = 15,
    ecEditorBottom = 16, ecGotoXY = 17;
constexpr TmwEditorCommand ecSelection = 100;  // each selecting command is its move + 100
constexpr TmwEditorCommand ecSelLeft = 101, ecSelRight = 102, ecSelUp = 103, ecSelDown = 104,
    ecSelWordLeft = 105, ecSelWordRight = 106, ecSelLineStart = 107, ecSelLineEnd = 108,
    ecSelPageUp = 109, ecSelPageDown = 110, ecSelPageLeft = 111, ecSelPageRight = 112,
    ecSelPageTop = 113, ecSelPageBottom = 114, ecSelEditorTop = 115, ecSelEditorBottom = 116,
    ecSelGotoXY = 117, ecSelectAll = 199;
constexpr TmwEditorCommand ecDeleteLastChar = 401, ecDeleteChar = 402, ecDeleteWord = 403,
    ecDeleteLastWord = 404, ecDeleteBOL = 405, ecDeleteEOL = 406, ecDeleteLine = 407,
    ecClearAll = 408, ecLineBreak = 409, ecInsertLine = 410, ecChar = 411, ecImeStr = 500;
constexpr TmwEditorCommand ecUndo = 601, ecRedo = 602, ecCut = 603, ecCopy = 604, ecPaste = 605,
    ecScrollUp = 606, ecScrollDown = 607, ecScrollLeft = 608, ecScrollRight = 609,
    ecInsertMode = 610, ecOverwriteMode = 611, ecToggleMode = 612, ecBlockIndent = 613,
    ecBlockUnindent = 614, ecNormalSelect = 615, ecColumnSelect = 616, ecLineSelect = 617,
    ecTab = 618, ecShiftTab = 619, ecMatchBracket = 620;
constexpr TmwEditorCommand ecGotoMarker0 = 701, ecGotoMarker9 = 710, ecSetMarker0 = 751,
    ecSetMarker9 = 760, ecUserFirst = 1001;
// clang-format on

// Name <-> number, for stored bindings ("ecUp", "ecGotoMarker3", ...). Numbers without a name
// are written in decimal; unknown names give false.
std::string EditorCommandToIdent(TmwEditorCommand command);
bool IdentToEditorCommand(const std::string& ident, TmwEditorCommand& command);

// Modifier set: Shift 1, Alt 2, Ctrl 4.
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;

// A shortcut value: key code + $2000 for Shift + $4000 for Ctrl + $8000 for Alt.
using TShortCut = uint16_t;
TShortCut ShortCut(uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift);

// The virtual key that a key of a PC keyboard stands for by its place, from its xkb keycode
// (the Linux key code + 8, by which X11 and Wayland number the keys): the digit row's digits
// and the letters where the US layout has them; 0 for every other key. A key's place is what
// the key table means by a digit whatever Shift or the layout puts on it (Windows, which the
// bindings come from, gives the digit row its digits on every layout).
uint16_t VirtualKeyOfKeycode(uint32_t xkbKeycode);

class TmwKeyStrokes;

class TmwKeyStroke {
 public:
  explicit TmwKeyStroke(TmwKeyStrokes* owner) : owner_(owner) {}

  uint16_t Key = 0;
  TShiftState Shift = 0;
  uint16_t Key2 = 0;  // 0: a one-key binding
  TShiftState Shift2 = 0;
  TmwEditorCommand Command = ecNone;

  TShortCut GetShortCut() const { return ShortCut(Key, Shift); }
  TShortCut GetShortCut2() const { return ShortCut(Key2, Shift2); }
  // Both raise EmwKeyError "Shortcut already exists" when another binding of the collection
  // already has the resulting pair, and then leave this one unchanged.
  void SetShortCut(TShortCut value);
  void SetShortCut2(TShortCut value);
  void Assign(const TmwKeyStroke& source);

 private:
  TmwKeyStrokes* owner_;
};

class TmwKeyStrokes {
 public:
  TmwKeyStrokes() = default;
  TmwKeyStrokes(const TmwKeyStrokes&) = delete;
  TmwKeyStrokes& operator=(const TmwKeyStrokes&) = delete;

  TmwKeyStroke& Add();
  // Adds a one- or two-key binding given as shortcuts.
  TmwKeyStroke& AddKey(TmwEditorCommand command, TShortCut shortCut, TShortCut shortCut2 = 0);
  int Count() const { return static_cast<int>(items_.size()); }
  TmwKeyStroke& Item(int index) { return *items_.at(static_cast<size_t>(index)); }
  const TmwKeyStroke& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
  void Delete(int index);
  void Clear() { items_.clear(); }
  void Assign(const TmwKeyStrokes& source);

  // The first one-key binding of this key and modifiers; -1 when none.
  int FindKeycode(uint16_t key, TShiftState shift) const;
  // The first two-key binding matching all four; -1 when none.
  int FindKeycode2(uint16_t key1, TShiftState shift1, uint16_t key2, TShiftState shift2) const;
  // The first binding with exactly these two shortcuts; -1 when none.
  int FindShortcut2(TShortCut shortCut, TShortCut shortCut2) const;

  // The default table (79 bindings); `rows` limits it to its first rows (the orders window
  // uses the first 73).
  void ResetDefaults(int rows = kDefaultRows);
  static constexpr int kDefaultRows = 79;
  static constexpr int kOrdersWindowRows = 73;

 private:
  std::vector<std::unique_ptr<TmwKeyStroke>> items_;
};

}  // namespace tovix
