#pragma once
// Finding a text in the editor's lines: the search engine (case table, delimiters, whole-word
// test) and the options and answers of the editor's SearchReplace.

#include <vector>

#include "editors/edit_types.h"

namespace tovix {

// What SearchReplace does.
enum TmwSearchOption : unsigned {
  ssoMatchCase = 0x01,    // letters must match in case
  ssoWholeWord = 0x02,    // a match must stand between delimiters (or the line's ends)
  ssoEntireScope = 0x04,  // from the start of the text, else from the caret
  ssoReplace = 0x08,      // replace the match(es) instead of selecting the first
  ssoReplaceAll = 0x10,   // with ssoReplace: every match, not only the first
  ssoPrompt = 0x20,       // with ssoReplace: OnReplaceText decides for each match
};
using TmwSearchOptions = unsigned;

// OnReplaceText's answer for one match.
enum TmwReplaceAction { raCancel, raSkip, raReplace, raReplaceAll };

class TmwEditSearch {
 public:
  void SetPattern(TEditStringView pattern);
  const TEditString& Pattern() const { return pattern_; }
  // Letters match in case.
  void SetSensitive(bool on) { sensitive_ = on; }
  // A match must be a whole word.
  void SetWhole(bool on) { whole_ = on; }

  // The 0-based starts of the matches in `line` at `from` or later, left to right, not
  // overlapping. An empty pattern matches nothing.
  std::vector<int> FindAll(TEditStringView line, int from = 0) const;
  // The first of them, or -1.
  int FindFirst(TEditStringView line, int from = 0) const;

  // Lower case for letters of the Latin-1 range when searching without case.
  static TEditChar Fold(TEditChar c);
  // Characters that are not letters or digits (Latin-1; every character beyond counts as a
  // letter).
  static bool IsDelimiter(TEditChar c);

 private:
  bool MatchAt(TEditStringView line, size_t at) const;

  TEditString pattern_;
  bool sensitive_ = false;
  bool whole_ = false;
};

}  // namespace tovix
