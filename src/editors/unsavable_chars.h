#pragma once
// Characters of an editor's text that the code page of its file cannot hold (order files are
// Windows-1252 and turn reports Latin-1, so "Ł" or "ź" cannot go out in them): where they are,
// in words a message can show, when the user is to be told, and keeping them in the text when
// the order logic, which reads and writes lines as Windows-1252 (such a character reads as
// "?"), changes other characters of their line.

#include <functional>
#include <set>
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
std::vector<TUnsavableChar> FindUnsavableChars(const std::vector<TEditString>& lines,
                                               TTextEncoding encoding);

// The characters of one line, in UTF-8, each named once, itself and by its code, with the
// columns where it stands: "Ł (U+0141, column 2), ź (U+017A, columns 5, 9)".
struct TUnsavableLine {
  int Line;  // 1-based
  std::string Text;
};
std::vector<TUnsavableLine> UnsavableCharsByLine(const std::vector<TUnsavableChar>& chars);

// The same for a message (UTF-8, for UserInterface::ShowMessageUtf8), a line of text per line
// of `chars`: "line 5: Ł (U+0141, column 2)". At most `maxLines` lines, then "and N more
// lines". Lines are joined by "\r"; empty when none.
std::string UnsavableCharsText(const std::vector<TUnsavableChar>& chars, size_t maxLines = 10);

// When to warn of such characters: once for each character the user has not been warned of,
// not again while it stays (the user knows it is there, whatever else changes). Once the text
// holds none, a character that comes back is news again.
class TUnsavableWarnings {
 public:
  // True when `chars` (the text's current ones) hold a character not warned of yet; all of
  // them count as warned of from now on.
  bool IsNews(const std::vector<TUnsavableChar>& chars);

 private:
  std::set<TEditChar> told_;
};

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
