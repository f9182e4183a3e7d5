#pragma once
// The question for one line of 8-bit text: the text shown at first, changed by the user.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace tovix {

// The text the user confirms, starting from `text`; nothing on Cancel.
std::optional<std::string> AskLatin1Text(QWidget* parent, const QString& title,
                                         const QString& prompt, std::string_view text);

}  // namespace tovix
