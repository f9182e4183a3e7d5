#pragma once
// Helpers shared by the editor's source files (not part of its interface).

#include <algorithm>
#include <vector>

#include "editors/custom_edit.h"

namespace tovix {

// Marks the editor's own edits (so the list hooks keep the undo lists) and holds the paint lock.
class TmwCustomEdit::TEditScope {
 public:
  explicit TEditScope(TmwCustomEdit& edit) : edit_(edit) {
    ++edit_.selfEdit_;
    edit_.IncPaintLock();
  }
  ~TEditScope() {
    edit_.DecPaintLock();
    --edit_.selfEdit_;
  }
  TEditScope(const TEditScope&) = delete;
  TEditScope& operator=(const TEditScope&) = delete;

 private:
  TmwCustomEdit& edit_;
};

}  // namespace tovix

namespace tovix::edit_detail {

inline TEditString Blanks(int n) {
  return TEditString(static_cast<size_t>(std::max(0, n)), U' ');
}

// The first `n` characters (fewer when the line is shorter).
inline TEditString Left(const TEditString& s, int n) {
  return s.substr(0, static_cast<size_t>(std::clamp<int>(n, 0, static_cast<int>(s.size()))));
}
// From 0-based position `pos` to the end (empty beyond the end).
inline TEditString From(const TEditString& s, int pos) {
  if (pos < 0) pos = 0;
  return static_cast<size_t>(pos) >= s.size() ? TEditString() : s.substr(static_cast<size_t>(pos));
}
inline TEditString Mid(const TEditString& s, int pos, int n) {
  if (pos < 0 || static_cast<size_t>(pos) >= s.size() || n <= 0) return {};
  return s.substr(static_cast<size_t>(pos), static_cast<size_t>(n));
}
inline void PadTo(TEditString& s, int length) {
  if (static_cast<int>(s.size()) < length) s.append(static_cast<size_t>(length) - s.size(), U' ');
}

// Pieces of inserted text: a line ends at CR LF, a lone CR or a lone LF, and the piece after the
// last line end is kept even when empty ("a\r\n" gives "a" and "").
std::vector<TEditString> SplitPieces(TEditStringView text);

inline int Len(const TEditString& s) {
  return static_cast<int>(s.size());
}

}  // namespace tovix::edit_detail
