#pragma once
// Text the user typed or pasted, on its way into an 8-bit target: order lines, a stored name, a
// settings file. A character the target cannot hold is named to the user and the text refused,
// never written as "?" (QString::toLatin1 would do that without a word).

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/user_interface.h"
#include "core/text/char_codes.h"

namespace tovix {

// The characters of `text` the code page cannot hold, named as UnheldCharsText names them;
// empty when it holds them all.
std::string UnheldTypedChars(const QString& text, TCodePage page);
// `text` in the code page; nothing when a character does not fit.
std::optional<std::string> EncodeTyped(const QString& text, TCodePage page);
// Bytes of the code page, for an edit to show.
QString DecodeForEdit(std::string_view bytes, TCodePage page);

// True when the target holds the whole text; else the user is told which characters it
// cannot hold (UnheldCharsMessage), and false.
bool TypedTextFits(const QString& text, const TTextTarget& target, UserInterface& ui);
// The text in the target's code page; nothing, after telling the user as TypedTextFits does,
// when it does not fit.
std::optional<std::string> TakeTypedText(const QString& text, const TTextTarget& target,
                                         UserInterface& ui);

}  // namespace tovix
