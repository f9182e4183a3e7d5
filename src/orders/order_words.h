#pragma once
// The words of an order line as the order logic reads them: words part at blanks and tabs, the
// order is what stands before the first ";", a count is decimal digits only, and a cargo is
// named by "col", "cap" or "mat" in any case.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orders/order_lines.h"

namespace tovix {

// The words of a text, one at a time.
class TOrderWords {
 public:
  explicit TOrderWords(std::string_view text) : text_(text) {}
  // The next word, or "" at the end.
  std::string_view Next();

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// All the words of a text.
std::vector<std::string_view> OrderWords(std::string_view text);
// The `n`th (0-based) word of a text; "" when it has fewer.
std::string_view OrderWord(std::string_view text, int n);

// The line without its comment (from the first ";") and without surrounding blanks.
std::string_view OrderPart(std::string_view line);

// A ship count or number: at most nine decimal digits. Anything else counts as absent (0).
int32_t ReadOrderCount(std::string_view word);
// pcCol, pcCap or pcMat for a cargo word; pcNone for any other word.
int32_t ReadCargoWord(std::string_view word);

// True for a line the server stops reading at: its first word, before any comment, is "#END"
// in any case (order files write it in capitals; blanks around it change nothing).
bool IsEndLine(std::string_view line);
// The first end line outside message blocks: the server reads nothing from it on. -1 when
// the text has none.
int IndexOfEndLine(const IOrderLines& lines);

// Visits (index, line) for every line outside message blocks above the end line, the lines the
// server reads as orders; the markers themselves are no order lines either.
template <class F>
void ForEachOrderLine(const IOrderLines& lines, F visit) {
  bool inMessage = false;
  const int count = lines.Count();
  for (int i = 0; i < count; ++i) {
    const std::string line = lines.Line(i);
    if (IsMessageMarker(line)) {
      inMessage = !inMessage;
      continue;
    }
    if (inMessage) continue;
    if (IsEndLine(line)) return;
    visit(i, std::string_view(line));
  }
}

}  // namespace tovix
