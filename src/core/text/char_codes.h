#pragma once
// The two 8-bit code pages of the program's own texts, and how a character they cannot hold is
// named to the user. Names, report texts and the settings files are Latin-1, as the turn
// reports are; order lines, order files and mails are Windows-1252, which holds "€" and "–"
// besides. Text the user types is checked against the code page of where it goes, so that no
// character is written as "?" without a word.

#include <optional>
#include <string>
#include <string_view>

namespace tovix {

enum class TCodePage { Latin1, Windows1252 };

// The character of byte `b`. Windows-1252 leaves five codes undefined; they stay the control
// characters of the same number.
char32_t CodePageChar(unsigned char b, TCodePage page);
// The byte of `c`; nothing when the code page has none.
std::optional<char> CodePageByte(char32_t c, TCodePage page);

// Appends `c` in UTF-8; a lone surrogate or a code beyond U+10FFFF as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// The code of a character as a message names it: "U+0142".
std::string CharCodeText(char32_t c);

// Every character of `text` the code page cannot hold, each named once in the order it first
// stands, in UTF-8: "ł (U+0142), ☃ (U+2603)". Empty when the page holds the whole text.
std::string UnheldCharsText(std::u32string_view text, TCodePage page);

// `text` in the code page; nothing when it holds a character the page cannot.
std::optional<std::string> EncodeWhole(std::u32string_view text, TCodePage page);
// Bytes of the code page as characters.
std::u32string DecodeBytes(std::string_view bytes, TCodePage page);

// Where a typed text goes, for the message that refuses it: `What` is the text ("The race
// name"), `Where` the place that must hold it ("the orders").
struct TTextTarget {
  TCodePage Page;
  std::string_view What;
  std::string_view Where;
};

// The message (UTF-8) that refuses a text holding characters its target cannot hold, `names`
// as UnheldCharsText gives them: "The race name cannot go into the orders: it holds characters
// that Windows-1252 text cannot hold:\rł (U+0142)\rChange them and try again." `then` is its
// last sentence.
std::string UnheldCharsMessage(const TTextTarget& target, std::string_view names,
                               std::string_view then = "Change them and try again.");

}  // namespace tovix
