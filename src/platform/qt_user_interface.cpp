#include "platform/qt_user_interface.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "platform/shell.h"
#include "platform/window_in_use.h"

namespace tovix {

namespace {

const QString kCaption = QStringLiteral("Tovix");

void ShowTextBox(const QString& text, const QString& caption = kCaption) {
  QWidget* owner = WindowInUse();
  if (text.count(QLatin1Char('\n')) < TQtUserInterface::kMaxBoxLines) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return;
  }
  // Too long for a message box, which would grow past the screen.
  QDialog dialog(owner);
  dialog.setWindowTitle(caption);
  auto* layout = new QVBoxLayout(&dialog);
  auto* view = new QPlainTextEdit(text, &dialog);
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(view);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  dialog.resize(560, 400);
  dialog.exec();
}

}  // namespace

TQtUserInterface::TQtUserInterface(ListChooser chooser) : chooser_(std::move(chooser)) {}

void TQtUserInterface::ShowMessage(const std::string& text) {
  ShowTextBox(DisplayText(text));
}

void TQtUserInterface::ShowMessageUtf8(const std::string& text) {
  ShowTextBox(DisplayUtf8Text(text));
}

void TQtUserInterface::ShowCaptionedMessage(const std::string& caption, const std::string& text) {
  ShowTextBox(DisplayText(text), DisplayText(caption));
}

void TQtUserInterface::ShowMessages(const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  QString all;
  for (const std::string& t : texts) {
    if (!all.isEmpty()) all += QStringLiteral("\n\n");
    all += DisplayText(t);
  }
  ShowTextBox(all);
}

bool TQtUserInterface::AskYesNo(const std::string& text) {
  return YesNoBox(text);
}

TYesNoAll TQtUserInterface::AskYesNoAll(const std::string& text) {
  return YesNoAllBox(text);
}

bool TQtUserInterface::ChooseFromList(const std::string& caption,
                                      const std::vector<std::string>& items, int& selected) {
  return chooser_ && chooser_(caption, items, selected);
}

void TQtUserInterface::SetCurrentWork(const std::string& text) {
  if (currentWork_) currentWork_(text);
}

void TQtUserInterface::SetTitle(const std::string& title) {
  if (title_) title_(title);
}

}  // namespace tovix
