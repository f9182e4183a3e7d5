#include "windows/dialogs/text_query.h"

#include <QInputDialog>

#include "platform/typed_text.h"

namespace tovix {

namespace {

class TTextQueryDialog : public QInputDialog {
 public:
  TTextQueryDialog(QWidget* parent, const TTextTarget& target, UserInterface& ui)
      : QInputDialog(parent), target_(target), ui_(ui) {}

  void done(int result) override {
    if (result == QDialog::Accepted && !TypedTextFits(textValue(), target_, ui_)) return;
    QInputDialog::done(result);
  }

 private:
  TTextTarget target_;
  UserInterface& ui_;
};

}  // namespace

std::optional<std::string> AskTypedText(QWidget* parent, const QString& title,
                                        const QString& prompt, std::string_view text,
                                        const TTextTarget& target, UserInterface& ui) {
  TTextQueryDialog dialog(parent, target, ui);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setTextValue(DecodeForEdit(text, target.Page));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return EncodeTyped(dialog.textValue(), target.Page);
}

}  // namespace tovix
