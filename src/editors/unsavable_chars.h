#pragma once
// Characters of the editor's text that the code page of its file cannot hold (order files are
// Windows-1252, so "Ł" or "ź" cannot go out in them): where they are, in words a message can
// show, and keeping them in the text when the order logic, which reads and writes lines as
// Windows-1252 (such a character reads as "?"), changes other characters of their line.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editors/edit_list.h"
#include "editors/edit_types.h"
#include "editors/text_codec.h"

namespace tovix {

struct TUnsavableChar {
  int Line;    // 1-based
  int Column;  // 1-based, in characters
  TEditChar Char;
};

// Every character of `lines`, in text order, that a file in `encoding` cannot hold.
std::vector<TUnsavableChar> FindUnsavableChars(const TmwEditList& lines, TTextEncoding encoding);

// One line of text per line that holds such characters, each character named once by its code
// with the columns where it stands: "line 5: U+0141 (column 2), U+017A (columns 5, 9)". A
// message box shows only Latin-1, so the characters themselves cannot appear in it. At most
// `maxLines` lines, then "and N more lines". Lines are joined by "\r"; empty when none.
std::string UnsavableCharsText(const std::vector<TUnsavableChar>& chars, size_t maxLines = 10);

// `bytes` is what a change made through Windows-1252 text made of `old`. Back as editor text,
// the characters the change left alone keep what they were: the common start and end of the
// two take the old characters (a "?" there stands for a character of `old`), the rest is
// decoded.
TEditString KeepUnsavableChars(TEditStringView old, std::string_view bytes);

// Changes each line of `text` (lines end at CR LF, as SelText gives them) with `change`, through
// Windows-1252 as KeepUnsavableChars does, so a line it leaves alone keeps every character.
TEditString ChangeLinesKeepingUnsavable(
    TEditStringView text, const std::function<std::string(std::string_view line)>& change);

}  // namespace tovix
