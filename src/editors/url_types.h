#pragma once
// Link types of the rich-text control and the link finders: which words of a text are links,
// and which type a link text has.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/color_value.h"

namespace tovix {

constexpr int kCursorDefault = 0;
constexpr int kCursorHandPoint = -21;

struct TURLType {
  std::u16string Name;
  TColor Color = clWindowText;
  int Cursor = kCursorDefault;
  bool Underline = true;
  friend bool operator==(const TURLType&, const TURLType&) = default;
};

class TURLCollection {
 public:
  // The twelve default types, in order: "e-mail" first.
  static TURLCollection Defaults();

  // The first type named exactly `name` (letter case counts) takes the colour, underline and
  // cursor; without one a new type is appended.
  void AddURLType(std::u16string_view name, TColor color, bool underline, int cursor);
  void Clear() { items_.clear(); }
  const std::vector<TURLType>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const TURLType& operator[](int i) const { return items_[i]; }

 private:
  std::vector<TURLType> items_;
};

enum TAutoURLDetect { adNone, adDefault, adExtended };

// Index of the type of a link text, -1 when it has none: with no ":" at its second character
// or later, the first (e-mail) type when an "@" stands there, else none; otherwise the scheme
// before the ":" (any letter case) names a type from the second on, and an unknown scheme takes
// the last type.
int ClassifyUrl(const TURLCollection& types, std::u16string_view url);

struct LinkSpan {
  int start = 0;
  int length = 0;
  friend bool operator==(const LinkSpan&, const LinkSpan&) = default;
};

// The links of one paragraph's text. adDefault finds words that start with a type's scheme and
// ":" followed by more, "www." addresses and e-mail addresses, without trailing punctuation;
// adExtended takes words of URL characters (". / 0-9 : @ A-Z a-z \") that start with a type's
// name and ":" followed by more, or are e-mail addresses. adNone finds nothing.
std::vector<LinkSpan> FindLinks(std::u16string_view text, const TURLCollection& types,
                                TAutoURLDetect mode);

}  // namespace tovix
