#include "editors/key_commands.h"

#include <array>
#include <charconv>
#include <utility>

namespace tovix {

namespace {

struct TCommandName {
  TmwEditorCommand Command;
  const char* Name;
};

constexpr std::array kCommandNames = {
    TCommandName{ecNone, "ecNone"},
    TCommandName{ecLeft, "ecLeft"},
    TCommandName{ecRight, "ecRight"},
    TCommandName{ecUp, "ecUp"},
    TCommandName{ecDown, "ecDown"},
    TCommandName{ecWordLeft, "ecWordLeft"},
    TCommandName{ecWordRight, "ecWordRight"},
    TCommandName{ecLineStart, "ecLineStart"},
    TCommandName{ecLineEnd, "ecLineEnd"},
    TCommandName{ecPageUp, "ecPageUp"},
    TCommandName{ecPageDown, "ecPageDown"},
    TCommandName{ecPageLeft, "ecPageLeft"},
    TCommandName{ecPageRight, "ecPageRight"},
    TCommandName{ecPageTop, "ecPageTop"},
    TCommandName{ecPageBottom, "ecPageBottom"},
    TCommandName{ecEditorTop, "ecEditorTop"},
    TCommandName{ecEditorBottom, "ecEditorBottom"},
    TCommandName{ecGotoXY, "ecGotoXY"},
    TCommandName{ecSelLeft, "ecSelLeft"},
    TCommandName{ecSelRight, "ecSelRight"},
    TCommandName{ecSelUp, "ecSelUp"},
    TCommandName{ecSelDown, "ecSelDown"},
    TCommandName{ecSelWordLeft, "ecSelWordLeft"},
    TCommandName{ecSelWordRight, "ecSelWordRight"},
    TCommandName{ecSelLineStart, "ecSelLineStart"},
    TCommandName{ecSelLineEnd, "ecSelLineEnd"},
    TCommandName{ecSelPageUp, "ecSelPageUp"},
    TCommandName{ecSelPageDown, "ecSelPageDown"},
    TCommandName{ecSelPageLeft, "ecSelPageLeft"},
    TCommandName{ecSelPageRight, "ecSelPageRight"},
    TCommandName{ecSelPageTop, "ecSelPageTop"},
    TCommandName{ecSelPageBottom, "ecSelPageBottom"},
    TCommandName{ecSelEditorTop, "ecSelEditorTop"},
    TCommandName{ecSelEditorBottom, "ecSelEditorBottom"},
    TCommandName{ecSelGotoXY, "ecSelGotoXY"},
    TCommandName{ecSelectAll, "ecSelectAll"},
    TCommandName{ecDeleteLastChar, "ecDeleteLastChar"},
    TCommandName{ecDeleteChar, "ecDeleteChar"},
    TCommandName{ecDeleteWord, "ecDeleteWord"},
    TCommandName{ecDeleteLastWord, "ecDeleteLastWord"},
    TCommandName{ecDeleteBOL, "ecDeleteBOL"},
    TCommandName{ecDeleteEOL, "ecDeleteEOL"},
    TCommandName{ecDeleteLine, "ecDeleteLine"},
    TCommandName{ecClearAll, "ecClearAll"},
    TCommandName{ecLineBreak, "ecLineBreak"},
    TCommandName{ecInsertLine, "ecInsertLine"},
    TCommandName{ecChar, "ecChar"},
    TCommandName{ecImeStr, "ecImeStr"},
    TCommandName{ecUndo, "ecUndo"},
    TCommandName{ecRedo, "ecRedo"},
    TCommandName{ecCut, "ecCut"},
    TCommandName{ecCopy, "ecCopy"},
    TCommandName{ecPaste, "ecPaste"},
    TCommandName{ecScrollUp, "ecScrollUp"},
    TCommandName{ecScrollDown, "ecScrollDown"},
    TCommandName{ecScrollLeft, "ecScrollLeft"},
    TCommandName{ecScrollRight, "ecScrollRight"},
    TCommandName{ecInsertMode, "ecInsertMode"},
    TCommandName{ecOverwriteMode, "ecOverwriteMode"},
    TCommandName{ecToggleMode, "ecToggleMode"},
    TCommandName{ecBlockIndent, "ecBlockIndent"},
    TCommandName{ecBlockUnindent, "ecBlockUnindent"},
    TCommandName{ecNormalSelect, "ecNormalSelect"},
    TCommandName{ecColumnSelect, "ecColumnSelect"},
    TCommandName{ecLineSelect, "ecLineSelect"},
    TCommandName{ecTab, "ecTab"},
    TCommandName{ecShiftTab, "ecShiftTab"},
    TCommandName{ecMatchBracket, "ecMatchBracket"},
    TCommandName{ecUserFirst, "ecUserFirst"},
};

// Virtual-key codes of the default table.
constexpr uint16_t vkBack = 8, vkTab = 9, vkReturn = 13, vkPrior = 33, vkNext = 34, vkEnd = 35,
                   vkHome = 36, vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40, vkInsert = 45,
                   vkDelete = 46;

constexpr TShiftState sC = ssCtrl, sS = ssShift, sSC = ssShift | ssCtrl, sA = ssAlt,
                      sSA = ssShift | ssAlt;

struct TDefaultKey {
  TmwEditorCommand Command;
  uint16_t Key;
  TShiftState Shift;
};

// The default bindings in the order they are added. The last six (selection modes, tab,
// shift-tab, bracket) are the rows the orders window leaves out.
std::vector<TDefaultKey> DefaultTable() {
  std::vector<TDefaultKey> t = {
      {ecUp, vkUp, 0},
      {ecSelUp, vkUp, sS},
      {ecScrollUp, vkUp, sC},
      {ecDown, vkDown, 0},
      {ecSelDown, vkDown, sS},
      {ecScrollDown, vkDown, sC},
      {ecLeft, vkLeft, 0},
      {ecSelLeft, vkLeft, sS},
      {ecWordLeft, vkLeft, sC},
      {ecSelWordLeft, vkLeft, sSC},
      {ecRight, vkRight, 0},
      {ecSelRight, vkRight, sS},
      {ecWordRight, vkRight, sC},
      {ecSelWordRight, vkRight, sSC},
      {ecPageDown, vkNext, 0},
      {ecSelPageDown, vkNext, sS},
      {ecPageBottom, vkNext, sC},
      {ecSelPageBottom, vkNext, sSC},
      {ecPageUp, vkPrior, 0},
      {ecSelPageUp, vkPrior, sS},
      {ecPageTop, vkPrior, sC},
      {ecSelPageTop, vkPrior, sSC},
      {ecLineStart, vkHome, 0},
      {ecSelLineStart, vkHome, sS},
      {ecEditorTop, vkHome, sC},
      {ecSelEditorTop, vkHome, sSC},
      {ecLineEnd, vkEnd, 0},
      {ecSelLineEnd, vkEnd, sS},
      {ecEditorBottom, vkEnd, sC},
      {ecSelEditorBottom, vkEnd, sSC},
      {ecToggleMode, vkInsert, 0},
      {ecCopy, vkInsert, sC},
      {ecPaste, vkInsert, sS},
      {ecDeleteChar, vkDelete, 0},
      {ecCut, vkDelete, sS},
      {ecDeleteLastChar, vkBack, 0},
      {ecDeleteLastWord, vkBack, sC},
      {ecUndo, vkBack, sA},
      {ecRedo, vkBack, sSA},
      {ecLineBreak, vkReturn, 0},
      {ecSelectAll, 'A', sC},
      {ecCopy, 'C', sC},
      {ecBlockIndent, 'I', sSC},
      {ecLineBreak, 'M', sC},
      {ecInsertLine, 'N', sC},
      {ecDeleteWord, 'T', sC},
      {ecBlockUnindent, 'U', sSC},
      {ecPaste, 'V', sC},
      {ecCut, 'X', sC},
      {ecDeleteLine, 'Y', sC},
      {ecDeleteEOL, 'Y', sSC},
      {ecUndo, 'Z', sC},
      {ecRedo, 'Z', sSC},
  };
  for (uint16_t i = 0; i < 10; ++i)
    t.push_back(
        {static_cast<TmwEditorCommand>(ecGotoMarker0 + i), static_cast<uint16_t>('0' + i), sC});
  for (uint16_t i = 0; i < 10; ++i)
    t.push_back(
        {static_cast<TmwEditorCommand>(ecSetMarker0 + i), static_cast<uint16_t>('0' + i), sSC});
  t.push_back({ecNormalSelect, 'N', sSC});
  t.push_back({ecColumnSelect, 'C', sSC});
  t.push_back({ecLineSelect, 'L', sSC});
  t.push_back({ecTab, vkTab, 0});
  t.push_back({ecShiftTab, vkTab, sS});
  t.push_back({ecMatchBracket, 'B', sSC});
  return t;
}

}  // namespace

std::string EditorCommandToIdent(TmwEditorCommand command) {
  for (const TCommandName& n : kCommandNames)
    if (n.Command == command) return n.Name;
  if (command >= ecGotoMarker0 && command <= ecGotoMarker9)
    return "ecGotoMarker" + std::to_string(command - ecGotoMarker0);
  if (command >= ecSetMarker0 && command <= ecSetMarker9)
    return "ecSetMarker" + std::to_string(command - ecSetMarker0);
  return std::to_string(command);
}

bool IdentToEditorCommand(const std::string& ident, TmwEditorCommand& command) {
  for (const TCommandName& n : kCommandNames) {
    if (ident == n.Name) {
      command = n.Command;
      return true;
    }
  }
  for (TmwEditorCommand c = ecGotoMarker0; c <= ecSetMarker9; ++c) {
    if ((c <= ecGotoMarker9 || c >= ecSetMarker0) && EditorCommandToIdent(c) == ident) {
      command = c;
      return true;
    }
  }
  unsigned value = 0;
  auto [end, ec] = std::from_chars(ident.data(), ident.data() + ident.size(), value);
  if (ec == std::errc() && end == ident.data() + ident.size() && !ident.empty() &&
      value <= 0xFFFF) {
    command = static_cast<TmwEditorCommand>(value);
    return true;
  }
  return false;
}

TShortCut ShortCut(uint16_t key, TShiftState shift) {
  uint32_t v = key & 0x1FFFu;
  if (shift & ssShift) v |= 0x2000u;
  if (shift & ssCtrl) v |= 0x4000u;
  if (shift & ssAlt) v |= 0x8000u;
  return static_cast<TShortCut>(v);
}

void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift) {
  key = static_cast<uint16_t>(shortCut & 0x1FFFu);
  shift = 0;
  if (shortCut & 0x2000u) shift |= ssShift;
  if (shortCut & 0x4000u) shift |= ssCtrl;
  if (shortCut & 0x8000u) shift |= ssAlt;
}

uint16_t VirtualKeyOfKeycode(uint32_t xkbKeycode) {
  // Keycodes 10..19 are the digit row 1..9, 0; 24..33, 38..46 and 52..58 the three letter rows.
  static constexpr char kRows[] = "1234567890----QWERTYUIOP----ASDFGHJKL-----ZXCVBNM";
  if (xkbKeycode < 10 || xkbKeycode >= 10 + sizeof kRows - 1) return 0;
  const char key = kRows[xkbKeycode - 10];
  return key == '-' ? 0 : static_cast<uint16_t>(key);
}

void TmwKeyStroke::SetShortCut(TShortCut value) {
  if (value != 0 && owner_ != nullptr) {
    const int found = owner_->FindShortcut2(value, GetShortCut2());
    if (found >= 0 && &owner_->Item(found) != this) throw EmwKeyError("Shortcut already exists");
  }
  ShortCutToKey(value, Key, Shift);
}

void TmwKeyStroke::SetShortCut2(TShortCut value) {
  if (value != 0 && owner_ != nullptr) {
    const int found = owner_->FindShortcut2(GetShortCut(), value);
    if (found >= 0 && &owner_->Item(found) != this) throw EmwKeyError("Shortcut already exists");
  }
  ShortCutToKey(value, Key2, Shift2);
}

void TmwKeyStroke::Assign(const TmwKeyStroke& source) {
  Key = source.Key;
  Shift = source.Shift;
  Key2 = source.Key2;
  Shift2 = source.Shift2;
  Command = source.Command;
}

TmwKeyStroke& TmwKeyStrokes::Add() {
  items_.push_back(std::make_unique<TmwKeyStroke>(this));
  return *items_.back();
}

TmwKeyStroke& TmwKeyStrokes::AddKey(TmwEditorCommand command, TShortCut shortCut,
                                    TShortCut shortCut2) {
  TmwKeyStroke& k = Add();
  try {
    k.SetShortCut2(shortCut2);
    k.SetShortCut(shortCut);
  } catch (...) {
    items_.pop_back();
    throw;
  }
  k.Command = command;
  return k;
}

void TmwKeyStrokes::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

void TmwKeyStrokes::Assign(const TmwKeyStrokes& source) {
  if (&source == this) return;
  items_.clear();
  for (const auto& k : source.items_) Add().Assign(*k);
}

int TmwKeyStrokes::FindKeycode(uint16_t key, TShiftState shift) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    const TmwKeyStroke& k = *items_[i];
    if (k.Key == key && k.Shift == shift && k.Key2 == 0) return static_cast<int>(i);
  }
  return -1;
}

int TmwKeyStrokes::FindKeycode2(uint16_t key1, TShiftState shift1, uint16_t key2,
                                TShiftState shift2) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    const TmwKeyStroke& k = *items_[i];
    if (k.Key == key1 && k.Shift == shift1 && k.Key2 == key2 && k.Shift2 == shift2)
      return static_cast<int>(i);
  }
  return -1;
}

int TmwKeyStrokes::FindShortcut2(TShortCut shortCut, TShortCut shortCut2) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    const TmwKeyStroke& k = *items_[i];
    if (k.GetShortCut() == shortCut && k.GetShortCut2() == shortCut2) return static_cast<int>(i);
  }
  return -1;
}

void TmwKeyStrokes::ResetDefaults(int rows) {
  items_.clear();
  const std::vector<TDefaultKey> table = DefaultTable();
  const int n = std::min<int>(rows, static_cast<int>(table.size()));
  for (int i = 0; i < n; ++i) {
    const TDefaultKey& d = table[static_cast<size_t>(i)];
    AddKey(d.Command, ShortCut(d.Key, d.Shift));
  }
}

}  // namespace tovix
