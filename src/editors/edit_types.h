#pragma once
// The small types that the text editor's model, key table, undo lists and highlighters share.
//
// The editor keeps its text as UTF-32 strings, one per line, so that a column is one character
// of any script: typed and input-method text of every language reaches the text unchanged, and
// a column never splits a character. The order files themselves are 8-bit; text_codec.h turns
// bytes into lines and back.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/color_value.h"
#include "core/base/errors.h"
#include "core/base/font_styles.h"

namespace tovix {

using TEditChar = char32_t;
using TEditString = std::u32string;
using TEditStringView = std::u32string_view;

// A text position: Y is the 1-based line, X the 1-based character column (column 1 is before
// the first character, Length + 1 just behind the last).
struct TPoint {
  int X = 1;
  int Y = 1;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Positions compare by line, then column.
inline bool PointBefore(const TPoint& a, const TPoint& b) {
  return a.Y < b.Y || (a.Y == b.Y && a.X < b.X);
}

enum TSelectionMode : uint8_t { smNormal = 0, smColumn = 1, smLine = 2 };

enum TmwEditorOption : uint8_t {
  mweoAutoIndent = 0,
  mweoDragDropEditing = 1,
  mweoDropFiles = 2,
  mweoHalfPageScroll = 3,
  mweoNoCaret = 4,
  mweoNoSelection = 5,
  mweoScrollPastEol = 6,
  mweoShowScrollHint = 7,
  mweoTabsToSpaces = 8,
  mweoSmartTabs = 9,
};

// A set of editor options, bit n = option n.
class TmwEditorOptions {
 public:
  constexpr TmwEditorOptions() = default;
  constexpr TmwEditorOptions(std::initializer_list<TmwEditorOption> options) {
    for (TmwEditorOption o : options) bits_ = static_cast<uint16_t>(bits_ | (1u << o));
  }
  constexpr bool Has(TmwEditorOption o) const { return (bits_ >> o) & 1u; }
  constexpr TmwEditorOptions With(TmwEditorOption o, bool on = true) const {
    TmwEditorOptions r = *this;
    r.bits_ =
        on ? static_cast<uint16_t>(bits_ | (1u << o)) : static_cast<uint16_t>(bits_ & ~(1u << o));
    return r;
  }
  constexpr uint16_t Bits() const { return bits_; }
  friend bool operator==(const TmwEditorOptions&, const TmwEditorOptions&) = default;

 private:
  uint16_t bits_ = 0;
};

// Pending status changes reported through OnStatusChange.
enum TmwStatusChange : uint8_t {
  scCaretX = 2,
  scCaretY = 4,
  scLeftChar = 8,
  scTopLine = 16,
  scInsertMode = 32,
  scModified = 64,
  scSelection = 128,
};

// Colours are the program's TColor (core/base/color_value.h); clNone means "use the editor's own
// colour".

// Font style bits (bold 1, italic 2, underline 4, strike-out 8) are TFontStyles of
// core/base/font_styles.h.

// Clipboard failures: "Clipboard copy operation failed", "Clipboard paste operation failed.".
class EmwEditError : public TovixError {
 public:
  using TovixError::TovixError;
};

// A key binding that would duplicate another: "Shortcut already exists".
class EmwKeyError : public TovixError {
 public:
  using TovixError::TovixError;
};

// A notification chain asked to add or remove an empty handler.
class EmwMethodChain : public TovixError {
 public:
  using TovixError::TovixError;
};

// Characters of code 0..32 count as white at a line's end and in indentation.
inline bool IsWhiteEnd(TEditChar c) {
  return c <= 32;
}

// `s` without its trailing characters of code 0..32.
inline TEditString TrimRightEdit(TEditStringView s) {
  size_t n = s.size();
  while (n > 0 && IsWhiteEnd(s[n - 1])) --n;
  return TEditString(s.substr(0, n));
}

}  // namespace tovix
