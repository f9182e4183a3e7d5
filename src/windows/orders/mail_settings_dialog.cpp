#include "windows/orders/mail_settings_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include "mail/mail_message.h"
#include "platform/file_names.h"
#include "platform/latin1.h"
#include "platform/shell.h"
#include "platform/typed_text.h"
#include "platform/window_in_use.h"
#include "windows/base/window_entry.h"
#include "windows/orders/mail_progress_dialog.h"

namespace tovix {

namespace {

constexpr int kSmtpPort = 587;
constexpr int kSmtpsPort = 465;

QLineEdit* Edit(QWidget* parent, const char* name, const std::string& text) {
  auto* edit = new QLineEdit(FromLatin1(text), parent);
  edit->setObjectName(name);
  return edit;
}

// A file or folder: its name as the file system has it.
QLineEdit* PathEdit(QWidget* parent, const char* name, const std::string& path) {
  auto* edit = new QLineEdit(FileNameText(path), parent);
  edit->setObjectName(name);
  return edit;
}

// The settings file holds Latin-1 text; names of files go whole, as the file system takes them.
std::optional<std::string> TakeSetting(const QLineEdit& edit, std::string_view what,
                                       UserInterface& ui) {
  return TakeTypedText(edit.text().trimmed(), {TCodePage::Latin1, what, "the mail settings"}, ui);
}

}  // namespace

// --- The prompts ----------------------------------------------------------------------------

std::optional<std::string> TQtMailPrompts::AskPassword(const std::string& user,
                                                       const std::string& server) {
  if (PasswordBox) return PasswordBox(user, server);
  bool ok = false;
  const QString password = QInputDialog::getText(
      WindowInUse(), "Mail password",
      FromLatin1("Password of \"" + user + "\" at the mail server " + server + ":"),
      QLineEdit::Password, {}, &ok);
  if (!ok) return std::nullopt;
  return password.toStdString();  // UTF-8, as typed
}

void TQtMailPrompts::OpenInMailProgram(const std::filesystem::path& file) {
  OpenInDesktop(QUrl::fromLocalFile(QString::fromStdString(file.string())), ui_);
}

TSendResult TQtMailPrompts::RunDelivery(const TMailDelivery& delivery) {
  if (delivery.Method == TMailMethod::Outbox) return Deliver(delivery, nullptr);
  TfrmMailProgress progress(delivery, WindowInUse());
  running_ = &progress;
  const TSendResult result = progress.Run();
  running_ = nullptr;
  return result;
}

void TQtMailPrompts::CancelSend() {
  if (running_) running_->Cancel();
}

// --- The dialog -----------------------------------------------------------------------------

TfrmMailSettings::TfrmMailSettings(TMailService& mail, UserInterface& ui, QWidget* parent)
    : QDialog(parent), mail_(mail), ui_(ui) {
  setObjectName("frmMailSettings");
  setProperty("HelpContext", FindWindowEntry("frmMailSettings")->HelpContext);
  setWindowTitle("Mail Settings");
  const TMailSettings& s = mail_.Settings();
  auto* layout = new QVBoxLayout(this);

  auto* own = new QFormLayout;
  edtFrom_ = Edit(this, "edtFrom", s.From);
  edtFrom_->setPlaceholderText("name@example.org");
  own->addRow("Your e-mail &address:", edtFrom_);
  layout->addLayout(own);

  auto* method = new QGroupBox("Send the mail with", this);
  auto* methodLayout = new QVBoxLayout(method);
  const char* captions[3] = {"a &mail program (sendmail)", "an &SMTP server",
                             "nothing: place it in the &outbox folder"};
  for (int i = 0; i < 3; ++i) {
    rbMethod_[i] = new QRadioButton(captions[i], method);
    methodLayout->addWidget(rbMethod_[i]);
    connect(rbMethod_[i], &QRadioButton::toggled, this, [this] { UpdateGroups(); });
  }
  rbMethod_[0]->setObjectName("rbSendmail");
  rbMethod_[1]->setObjectName("rbSmtp");
  rbMethod_[2]->setObjectName("rbOutbox");
  layout->addWidget(method);

  grpProgram_ = new QGroupBox("Mail program", this);
  auto* program = new QFormLayout(grpProgram_);
  edtProgram_ = PathEdit(grpProgram_, "edtProgram", s.Program);
  program->addRow("&Program:", edtProgram_);
  program->addRow(
      new QLabel("It is run as <i>program</i> -t -i, with the message as its input.", grpProgram_));
  layout->addWidget(grpProgram_);

  grpSmtp_ = new QGroupBox("SMTP server", this);
  auto* smtp = new QFormLayout(grpSmtp_);
  edtHost_ = Edit(grpSmtp_, "edtHost", s.Smtp.Host);
  edtHost_->setPlaceholderText("smtp.example.org");
  smtp->addRow("Ser&ver:", edtHost_);
  spnPort_ = new QSpinBox(grpSmtp_);
  spnPort_->setObjectName("spnPort");
  spnPort_->setRange(1, 65535);
  spnPort_->setValue(s.Smtp.Port);
  smtp->addRow("Po&rt:", spnPort_);
  cbxSecurity_ = new QComboBox(grpSmtp_);
  cbxSecurity_->setObjectName("cbxSecurity");
  cbxSecurity_->addItems({"STARTTLS", "TLS (SMTPS)", "None (clear text)"});
  cbxSecurity_->setCurrentIndex(static_cast<int>(s.Smtp.Security));
  smtp->addRow("Securit&y:", cbxSecurity_);
  // The usual port follows the security, unless the user chose another one.
  connect(cbxSecurity_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const bool tls = index == static_cast<int>(TSmtpSecurity::Tls);
    if (spnPort_->value() == (tls ? kSmtpPort : kSmtpsPort))
      spnPort_->setValue(tls ? kSmtpsPort : kSmtpPort);
  });
  edtUser_ = Edit(grpSmtp_, "edtUser", s.Smtp.User);
  edtUser_->setPlaceholderText("empty: no login");
  smtp->addRow("&User name:", edtUser_);
  // The password is the text as typed, kept and sent as UTF-8.
  edtPassword_ = new QLineEdit(QString::fromStdString(mail_.Password()), grpSmtp_);
  edtPassword_->setObjectName("edtPassword");
  edtPassword_->setEchoMode(QLineEdit::Password);
  edtPassword_->setPlaceholderText("asked at the first mail of a run");
  smtp->addRow("Pass&word:", edtPassword_);
  cbxStorePassword_ =
      new QCheckBox("S&tore the password (otherwise it is kept for this run only)", grpSmtp_);
  cbxStorePassword_->setObjectName("cbxStorePassword");
  cbxStorePassword_->setChecked(s.StorePassword);
  smtp->addRow(cbxStorePassword_);
  edtCaFile_ = PathEdit(grpSmtp_, "edtCaFile", s.Smtp.CaFile);
  edtCaFile_->setPlaceholderText("optional: a certificate file to trust");
  smtp->addRow("&Certificate:", edtCaFile_);
  layout->addWidget(grpSmtp_);

  auto* outbox = new QGroupBox("Outbox (also for \"Place in Outbox\")", this);
  auto* outboxLayout = new QFormLayout(outbox);
  edtOutbox_ = PathEdit(outbox, "edtOutbox", s.Outbox);
  const QString standard = FileNameText(mail_.StandardOutboxFolder().string());
  edtOutbox_->setPlaceholderText(standard);
  edtOutbox_->setToolTip("Empty: " + standard);
  outboxLayout->addRow("&Folder:", edtOutbox_);
  layout->addWidget(outbox);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &TfrmMailSettings::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  rbMethod_[static_cast<int>(s.Method)]->setChecked(true);
  UpdateGroups();
}

QRadioButton* TfrmMailSettings::MethodButton(TMailMethod method) const {
  return rbMethod_[static_cast<int>(method)];
}

void TfrmMailSettings::UpdateGroups() {
  grpProgram_->setEnabled(rbMethod_[0]->isChecked());
  grpSmtp_->setEnabled(rbMethod_[1]->isChecked());
}

std::optional<TMailSettings> TfrmMailSettings::Chosen() const {
  TMailSettings s = mail_.Settings();
  for (int i = 0; i < 3; ++i)
    if (rbMethod_[i]->isChecked()) s.Method = static_cast<TMailMethod>(i);
  const std::optional<std::string> from = TakeSetting(*edtFrom_, "Your address", ui_);
  if (!from) return std::nullopt;
  const std::optional<std::string> host = TakeSetting(*edtHost_, "The server's name", ui_);
  if (!host) return std::nullopt;
  const std::optional<std::string> user = TakeSetting(*edtUser_, "The user name", ui_);
  if (!user) return std::nullopt;
  s.From = *from;
  s.Program = FileNameBytes(edtProgram_->text().trimmed());
  s.Smtp.Host = *host;
  s.Smtp.Port = spnPort_->value();
  s.Smtp.Security = static_cast<TSmtpSecurity>(cbxSecurity_->currentIndex());
  s.Smtp.User = *user;
  s.Smtp.CaFile = FileNameBytes(edtCaFile_->text().trimmed());
  s.StorePassword = cbxStorePassword_->isChecked();
  s.Outbox = FileNameBytes(edtOutbox_->text().trimmed());
  return s;
}

void TfrmMailSettings::Confirm() {
  const std::optional<TMailSettings> chosen = Chosen();
  if (!chosen) return;
  const TMailSettings& s = *chosen;
  if (!s.From.empty() && !IsMailAddress(s.From)) {
    ui_.ShowMessage("\"" + s.From + "\" is not an e-mail address of the form name@example.org.");
    edtFrom_->setFocus();
    return;
  }
  if (mail_.ChangeSettings(s, edtPassword_->text().toStdString())) accept();
}

}  // namespace tovix
