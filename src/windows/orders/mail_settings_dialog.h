#pragma once
// "Mail Settings": how the orders window mails: the user's own address, and the way the
// messages leave: a sendmail-compatible program, an SMTP server (security, login, a certificate
// to trust) or only the outbox folder, whose place is set here too. The SMTP password is kept
// for the run unless "Store the password" is ticked; it is kept as typed, in UTF-8.
// TQtMailPrompts asks for the password, sends under the progress window (mail_progress_dialog.h)
// and opens outbox files in the desktop's mail program.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "core/base/user_interface.h"
#include "mail/mail_service.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tovix {

class TfrmMailProgress;

class TQtMailPrompts final : public IMailPrompts {
 public:
  explicit TQtMailPrompts(UserInterface& ui) : ui_(ui) {}
  std::optional<std::string> AskPassword(const std::string& user,
                                         const std::string& server) override;
  void OpenInMailProgram(const std::filesystem::path& file) override;
  // Sends under the progress window, off the window thread; the outbox, which waits for no
  // one, is written at once.
  TSendResult RunDelivery(const TMailDelivery& delivery) override;
  // Ends a send under way at once (a logout); nothing when none runs.
  void CancelSend();
  // Replaces the password box (tests answer it).
  std::function<std::optional<std::string>(const std::string& user, const std::string& server)>
      PasswordBox;

 private:
  UserInterface& ui_;
  QPointer<TfrmMailProgress> running_;
};

class TfrmMailSettings : public QDialog {
  Q_OBJECT

 public:
  TfrmMailSettings(TMailService& mail, UserInterface& ui, QWidget* parent = nullptr);

  // The settings the fields give; nothing, after telling the user, when a field holds a
  // character the settings file cannot.
  std::optional<TMailSettings> Chosen() const;
  // OK: refuses an own address that is not one, otherwise keeps the settings and the password.
  void Confirm();

  QLineEdit* From() const { return edtFrom_; }
  QRadioButton* MethodButton(TMailMethod method) const;
  QLineEdit* Program() const { return edtProgram_; }
  QLineEdit* Host() const { return edtHost_; }
  QSpinBox* Port() const { return spnPort_; }
  QComboBox* Security() const { return cbxSecurity_; }
  QLineEdit* User() const { return edtUser_; }
  QLineEdit* Password() const { return edtPassword_; }
  QCheckBox* StorePassword() const { return cbxStorePassword_; }
  QLineEdit* CaFile() const { return edtCaFile_; }
  QLineEdit* Outbox() const { return edtOutbox_; }

 private:
  void UpdateGroups();

  TMailService& mail_;
  UserInterface& ui_;
  QLineEdit* edtFrom_;
  QRadioButton* rbMethod_[3];
  QGroupBox* grpProgram_;
  QLineEdit* edtProgram_;
  QGroupBox* grpSmtp_;
  QLineEdit* edtHost_;
  QSpinBox* spnPort_;
  QComboBox* cbxSecurity_;
  QLineEdit* edtUser_;
  QLineEdit* edtPassword_;
  QCheckBox* cbxStorePassword_;
  QLineEdit* edtCaFile_;
  QLineEdit* edtOutbox_;
};

}  // namespace tovix
