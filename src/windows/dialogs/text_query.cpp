#include "windows/dialogs/text_query.h"

#include <QInputDialog>

#include "platform/latin1.h"

namespace tovix {

std::optional<std::string> AskLatin1Text(QWidget* parent, const QString& title,
                                         const QString& prompt, std::string_view text) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, FromLatin1(text), &ok);
  if (!ok) return std::nullopt;
  return ToLatin1(answer);
}

}  // namespace tovix
