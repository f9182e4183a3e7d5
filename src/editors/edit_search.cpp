#include "editors/edit_search.h"

#include "editors/custom_edit.h"

namespace tovix {

// --- TmwEditSearch -------------------------------------------------------------------------------

TEditChar TmwEditSearch::Fold(TEditChar c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  // The Latin-1 capitals À..Þ, except the multiplication sign.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  return c;
}

bool TmwEditSearch::IsDelimiter(TEditChar c) {
  if (c >= 256) return false;
  if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'))
    return false;
  // Latin-1 letters: ª, µ, º and À..ÿ without × and ÷.
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return false;
  return !(c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

void TmwEditSearch::SetPattern(TEditStringView pattern) {
  pattern_ = TEditString(pattern);
}

bool TmwEditSearch::MatchAt(TEditStringView line, size_t at) const {
  if (at + pattern_.size() > line.size()) return false;
  for (size_t i = 0; i < pattern_.size(); ++i) {
    const TEditChar a = line[at + i];
    const TEditChar b = pattern_[i];
    if (sensitive_ ? a != b : Fold(a) != Fold(b)) return false;
  }
  if (!whole_) return true;
  const bool startOk = at == 0 || IsDelimiter(line[at - 1]);
  const size_t end = at + pattern_.size();
  const bool endOk = end == line.size() || IsDelimiter(line[end]);
  return startOk && endOk;
}

std::vector<int> TmwEditSearch::FindAll(TEditStringView line, int from) const {
  std::vector<int> found;
  if (pattern_.empty()) return found;
  for (size_t at = static_cast<size_t>(std::max(from, 0)); at + pattern_.size() <= line.size();) {
    if (MatchAt(line, at)) {
      found.push_back(static_cast<int>(at));
      at += pattern_.size();
    } else {
      ++at;
    }
  }
  return found;
}

int TmwEditSearch::FindFirst(TEditStringView line, int from) const {
  if (pattern_.empty()) return -1;
  for (size_t at = static_cast<size_t>(std::max(from, 0)); at + pattern_.size() <= line.size();
       ++at)
    if (MatchAt(line, at)) return static_cast<int>(at);
  return -1;
}

// --- TmwCustomEdit::SearchReplace
// -----------------------------------------------------------------

int TmwCustomEdit::SearchReplace(TEditStringView search, TEditStringView replace,
                                 TmwSearchOptions options) {
  TmwEditSearch engine;
  engine.SetPattern(search);
  engine.SetSensitive((options & ssoMatchCase) != 0);
  engine.SetWhole((options & ssoWholeWord) != 0);
  if (engine.Pattern().empty()) return 0;
  const bool replacing = (options & ssoReplace) != 0 && !ReadOnly();
  bool all = (options & ssoReplaceAll) != 0;
  bool prompt = (options & ssoPrompt) != 0 && static_cast<bool>(OnReplaceText);
  const TEditString replacement(replace);
  const int length = static_cast<int>(engine.Pattern().size());

  TPoint at = (options & ssoEntireScope) != 0 ? TPoint{1, 1} : CaretXY();
  int count = 0;
  while (at.Y <= LineCount()) {
    const int found = engine.FindFirst(Lines().Get(at.Y - 1), at.X - 1);
    if (found < 0) {
      at = {1, at.Y + 1};
      continue;
    }
    const TPoint begin{found + 1, at.Y};
    const TPoint end{found + 1 + length, at.Y};
    // The match is selected, so that the user sees it when asked and it is what is replaced.
    SetCaretXY(end);
    SetBlockBegin(begin);
    SetBlockEnd(end);
    if (!replacing) return 1;
    TmwReplaceAction action = raReplace;
    if (prompt) {
      OnReplaceText(engine.Pattern(), replacement, begin.Y, begin.X, action);
      if (action == raCancel) return count;
      if (action == raReplaceAll) {
        prompt = false;
        all = true;
      }
    }
    if (action == raSkip) {
      at = end;
      continue;
    }
    SetSelText(replacement);
    ++count;
    if (!all) return count;
    // On behind the replacement (the caret): what it brought in is not searched again.
    at = CaretXY();
  }
  return count;
}

}  // namespace tovix
