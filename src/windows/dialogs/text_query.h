#pragma once
// The question for one line of 8-bit text: the text shown at first, changed by the user. OK with
// a character the text's target cannot hold names it and keeps the box open with the text, so
// that nothing goes on with "?" in its place.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/user_interface.h"
#include "core/text/char_codes.h"

class QWidget;

namespace tovix {

// The text the user confirms, starting from `text`, in the code page of `target`; nothing on
// Cancel.
std::optional<std::string> AskTypedText(QWidget* parent, const QString& title,
                                        const QString& prompt, std::string_view text,
                                        const TTextTarget& target, UserInterface& ui);

}  // namespace tovix
