#pragma once
// Word and replacement routines on 8-bit text. Positions are 1-based, as the callers count them.

#include <string>
#include <string_view>

namespace tovix {

// Every occurrence of `oldText` in `s` replaced by `newText`, left to right; inserted text is not
// searched again. An empty `oldText` leaves `s` as it is.
std::string ReplaceAll(std::string_view s, std::string_view oldText, std::string_view newText);

// Words are separated by any run of the characters in `delimiters`.
// The 1-based position in `s` of the first character of the n-th word (n from 1), or 0 when `s`
// has fewer words.
size_t WordPositionOf(int n, std::string_view s, std::string_view delimiters);
// The n-th word of `s`, empty when `s` has fewer words.
std::string ExtractWordAt(int n, std::string_view s, std::string_view delimiters);

// The text from the 1-based position `pos` up to (not including) the next delimiter character or
// the end. `pos` then points just past that delimiter. A `pos` beyond the text gives "".
std::string ExtractUntilDelimiters(std::string_view s, size_t& pos, std::string_view delimiters);

}  // namespace tovix
