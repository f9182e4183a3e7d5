#include "orders/order_words.h"

#include "core/model/game_model.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string_view TOrderWords::Next() {
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  const size_t start = pos_;
  while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::vector<std::string_view> OrderWords(std::string_view text) {
  std::vector<std::string_view> words;
  TOrderWords reader(text);
  for (std::string_view word = reader.Next(); !word.empty(); word = reader.Next())
    words.push_back(word);
  return words;
}

std::string_view OrderWord(std::string_view text, int n) {
  TOrderWords reader(text);
  std::string_view word = reader.Next();
  for (int k = 0; k < n && !word.empty(); ++k) word = reader.Next();
  return word;
}

std::string_view OrderPart(std::string_view line) {
  const size_t comment = line.find(';');
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  return TrimView(line);
}

bool IsEndLine(std::string_view line) {
  return SameText(OrderWord(OrderPart(line), 0), "#END");
}

int IndexOfEndLine(const IOrderLines& lines) {
  bool inMessage = false;
  const int count = lines.Count();
  for (int i = 0; i < count; ++i) {
    const std::string line = lines.Line(i);
    if (IsMessageMarker(line))
      inMessage = !inMessage;
    else if (!inMessage && IsEndLine(line))
      return i;
  }
  return -1;
}

int32_t ReadOrderCount(std::string_view word) {
  if (word.empty() || word.size() > 9) return 0;
  for (char c : word) {
    if (c < '0' || c > '9') return 0;
  }
  return FirstIntInStr(word);
}

int32_t ReadCargoWord(std::string_view word) {
  if (SameText(word, "mat")) return pcMat;
  if (SameText(word, "cap")) return pcCap;
  if (SameText(word, "col")) return pcCol;
  return pcNone;
}

}  // namespace tovix
