#pragma once
// Mailing the orders and the relay messages. The orders window calls IMailService; TMailService
// reads the mail settings (section "Mail" of the settings store), composes the message, has it
// delivered (IMailPrompts::RunDelivery: the desktop runs the transport off its window thread,
// with a progress window and Cancel) by the transport the settings choose, or into the outbox
// folder, and tells the user what happened. A failure is a message and changes nothing: the
// order text is only ever read.
//
// The SMTP password is kept for the run only, unless the user asks to store it; then it lives
// in its own file in the program folder that only its owner may read. It is the text the user
// typed, as UTF-8 bytes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_interface.h"
#include "core/settings/save_state.h"
#include "mail/mail_transport.h"
#include "orders/order_analysis.h"
#include "orders/order_lines.h"

namespace tovix {

enum class TMailMethod { Sendmail, Smtp, Outbox };

struct TMailSettings {
  TMailMethod Method = TMailMethod::Sendmail;
  std::string From;  // the user's own address
  std::string Program = "/usr/sbin/sendmail";
  TSmtpServer Smtp;  // its Password is not a setting: see TMailService::Password
  bool StorePassword = false;
  std::string Outbox;  // empty: the folder "outbox" in the program folder
  // How long a send may take, by the mail program or the SMTP server, before it is stopped.
  int TimeoutSeconds = 120;
  bool operator==(const TMailSettings&) const = default;
};

inline constexpr std::string_view kMailSection = "Mail";
inline constexpr std::string_view kMailPasswordFile = "TovixMailPassword";

// The settings in the store; a missing or unknown value gives its default.
TMailSettings ReadMailSettings(const TznSaveState& store);
void WriteMailSettings(TznSaveState& store, const TMailSettings& settings);

// The outbox folder the settings name: their Outbox, else "outbox" in the program folder.
std::filesystem::path OutboxFolderOf(const TMailSettings& settings,
                                     const std::filesystem::path& programFolder);

// The first order line that holds "#GALAXY" (any case): a relay message starts with it, so the
// server knows who sends it. Nothing when the orders have none.
std::optional<std::string> FindGalaxyLine(const IOrderLines& lines);
// The order text as it is mailed: every line followed by CR LF.
std::string OrderMailBody(const IOrderLines& lines);
// The question asked before orders go whose analysis holds ERROR notes: the notes on the
// "#GALAXY" line whole, then how many lines stand after "#END" and how many lines the server
// refuses; nothing when there are none.
std::optional<std::string> ErrorNotesQuestion(const std::vector<TOrderNote>& notes);

class TCancelToken;

// One composed message and how it leaves: all a transport needs, so that it can run on any
// thread without the settings.
struct TMailDelivery {
  std::string What;  // "orders", "relay message"
  TMailMethod Method = TMailMethod::Sendmail;
  std::string From;
  std::vector<std::string> To;
  std::string Message;
  std::string Program;  // the mail program
  TSmtpServer Server;   // with the password
  std::filesystem::path Outbox;
  int64_t LocalTime = 0;  // for the outbox file's name
  int TimeoutSeconds = 120;
};

// Hands the message to its transport and waits for the outcome; any thread. `cancel` (may be
// null) ends it at once.
TSendResult Deliver(const TMailDelivery& delivery, TCancelToken* cancel);

// What the mail service asks of the desktop.
class IMailPrompts {
 public:
  virtual ~IMailPrompts() = default;
  // Delivers the message. The desktop runs it off its window thread and shows its progress
  // with Cancel meanwhile; this default runs it here.
  virtual TSendResult RunDelivery(const TMailDelivery& delivery) {
    return Deliver(delivery, nullptr);
  }
  // The SMTP password of `user` at `server`; nothing when the user cancels.
  virtual std::optional<std::string> AskPassword(const std::string& user,
                                                 const std::string& server) = 0;
  // Opens a message file of the outbox in the desktop's mail program.
  virtual void OpenInMailProgram(const std::filesystem::path& file) = 0;
};

class IMailService {
 public:
  virtual ~IMailService() = default;
  // Mails the order text to the ";"-separated `recipients` with `subject` (CR and LF removed, at
  // most 255 characters), or places it in the outbox. True when it went.
  virtual bool SendOrders(const IOrderLines& lines, const std::string& recipients,
                          const std::string& subject, bool toOutbox) = 0;
  // A relay message to `race`: the orders' "#GALAXY" line, CR LF, then `text`, under the
  // subject "Relay " + race.
  virtual bool SendRelayMessage(const IOrderLines& lines, const std::string& recipients,
                                const std::string& race, const std::string& text,
                                bool toOutbox) = 0;
};

class TMailService final : public IMailService {
 public:
  TMailService(TznSaveState& store, std::filesystem::path programFolder, UserInterface& ui,
               IMailPrompts& prompts);

  // Read from the store at the first use.
  const TMailSettings& Settings();
  // The password of this run, else the stored one; empty when neither is there.
  std::string Password();
  // The mail settings dialog's OK: the settings go into the store and `password` is kept for the
  // run, and also stored when the settings ask for it (a stored one goes when they do not).
  // False, with a message, when the password file cannot be written or removed.
  bool ChangeSettings(const TMailSettings& settings, const std::string& password);
  std::filesystem::path OutboxFolder();
  // The folder "outbox" in the program folder: the outbox when the settings name none.
  std::filesystem::path StandardOutboxFolder() const { return programFolder_ / "outbox"; }
  std::filesystem::path PasswordFile() const { return programFolder_ / kMailPasswordFile; }

  bool SendOrders(const IOrderLines& lines, const std::string& recipients,
                  const std::string& subject, bool toOutbox) override;
  bool SendRelayMessage(const IOrderLines& lines, const std::string& recipients,
                        const std::string& race, const std::string& text, bool toOutbox) override;

  // Composes and sends (or places) one message; `what` names it in the messages ("orders").
  bool Send(const std::string& what, const std::string& recipients, const std::string& subject,
            const std::string& body, bool toOutbox);

  // The program ends (a logout): a send still under way is not reported when it ends.
  void EndSession() { ending_ = true; }

 private:
  bool Fail(const std::string& what, const std::string& why);
  // What is to go, after every check and the password; nothing (the user was told, or
  // cancelled the password) when it cannot go.
  std::optional<TMailDelivery> Prepare(const std::string& what, const std::string& recipients,
                                       const std::string& subject, const std::string& body,
                                       bool toOutbox);
  // Tells the user the outcome.
  bool Finish(const TMailDelivery& delivery, const TSendResult& result);

  TznSaveState& store_;
  std::filesystem::path programFolder_;
  UserInterface& ui_;
  IMailPrompts& prompts_;
  std::optional<TMailSettings> settings_;
  std::string password_;  // this run's
  bool ending_ = false;
};

}  // namespace tovix
