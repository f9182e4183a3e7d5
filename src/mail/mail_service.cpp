#include "mail/mail_service.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "mail/mail_message.h"

namespace tovix {

namespace {

constexpr int kProgramTimeoutSeconds = 120;
constexpr size_t kMaxSubject = 255;

struct TChoice {
  const char* Word;
  int Value;
};
constexpr TChoice kMethods[] = {{"sendmail", static_cast<int>(TMailMethod::Sendmail)},
                                {"smtp", static_cast<int>(TMailMethod::Smtp)},
                                {"outbox", static_cast<int>(TMailMethod::Outbox)}};
constexpr TChoice kSecurities[] = {{"starttls", static_cast<int>(TSmtpSecurity::StartTls)},
                                   {"tls", static_cast<int>(TSmtpSecurity::Tls)},
                                   {"none", static_cast<int>(TSmtpSecurity::None)}};

template <size_t N>
int ReadChoice(const TznSaveState& store, std::string_view key, const TChoice (&choices)[N],
               int def) {
  const std::string word = store.ReadString(kMailSection, key, "");
  for (const TChoice& c : choices)
    if (SameText(word, c.Word)) return c.Value;
  return def;
}

template <size_t N>
const char* ChoiceWord(const TChoice (&choices)[N], int value) {
  for (const TChoice& c : choices)
    if (c.Value == value) return c.Word;
  return choices[0].Word;
}

std::string JoinAddresses(const std::vector<std::string>& addresses) {
  std::string out;
  for (const std::string& a : addresses) out += (out.empty() ? "" : ", ") + a;
  return out;
}

std::string Trimmed(std::string_view text) {
  return Trim(StripLineBreaks(text));
}

}  // namespace

TMailSettings ReadMailSettings(const TznSaveState& store) {
  TMailSettings s;
  s.Method =
      static_cast<TMailMethod>(ReadChoice(store, "Method", kMethods, static_cast<int>(s.Method)));
  s.From = store.ReadString(kMailSection, "From", s.From);
  s.Program = store.ReadString(kMailSection, "Program", s.Program);
  s.Smtp.Host = store.ReadString(kMailSection, "SmtpServer", s.Smtp.Host);
  const int port = store.ReadInteger(kMailSection, "SmtpPort", s.Smtp.Port);
  if (port > 0 && port < 65536) s.Smtp.Port = port;
  s.Smtp.Security = static_cast<TSmtpSecurity>(
      ReadChoice(store, "SmtpSecurity", kSecurities, static_cast<int>(s.Smtp.Security)));
  s.Smtp.User = store.ReadString(kMailSection, "SmtpUser", s.Smtp.User);
  s.Smtp.CaFile = store.ReadString(kMailSection, "CaFile", s.Smtp.CaFile);
  s.StorePassword = store.ReadBool(kMailSection, "StorePassword", s.StorePassword);
  s.Outbox = store.ReadString(kMailSection, "Outbox", s.Outbox);
  return s;
}

void WriteMailSettings(TznSaveState& store, const TMailSettings& s) {
  // A line break in a value would break the store's lines.
  const auto text = [&store](std::string_view key, std::string_view value) {
    store.WriteString(kMailSection, key, StripLineBreaks(value));
  };
  text("Method", ChoiceWord(kMethods, static_cast<int>(s.Method)));
  text("From", s.From);
  text("Program", s.Program);
  text("SmtpServer", s.Smtp.Host);
  store.WriteInteger(kMailSection, "SmtpPort", s.Smtp.Port);
  text("SmtpSecurity", ChoiceWord(kSecurities, static_cast<int>(s.Smtp.Security)));
  text("SmtpUser", s.Smtp.User);
  text("CaFile", s.Smtp.CaFile);
  store.WriteBool(kMailSection, "StorePassword", s.StorePassword);
  text("Outbox", s.Outbox);
}

std::optional<std::string> FindGalaxyLine(const IOrderLines& lines) {
  for (int i = 0; i < lines.Count(); ++i) {
    std::string line = lines.Line(i);
    if (UpperCase(line).find("#GALAXY") != std::string::npos) return line;
  }
  return std::nullopt;
}

std::string OrderMailBody(const IOrderLines& lines) {
  std::string body;
  for (int i = 0; i < lines.Count(); ++i) body += lines.Line(i) + "\r\n";
  return body;
}

TMailService::TMailService(TznSaveState& store, std::filesystem::path programFolder,
                           UserInterface& ui, IMailPrompts& prompts)
    : store_(store), programFolder_(std::move(programFolder)), ui_(ui), prompts_(prompts) {}

const TMailSettings& TMailService::Settings() {
  if (!settings_) {
    settings_ = ReadMailSettings(store_);
    if (settings_->StorePassword && password_.empty()) {
      try {
        password_ = LoadFileIfExists(PasswordFile()).value_or("");
      } catch (const std::exception& e) {
        ui_.ShowMessage(std::string("The stored mail password could not be read: ") + e.what());
      }
    }
  }
  return *settings_;
}

std::string TMailService::Password() {
  Settings();
  return password_;
}

std::filesystem::path TMailService::OutboxFolder() {
  const std::string& folder = Settings().Outbox;
  return folder.empty() ? StandardOutboxFolder() : std::filesystem::path(folder);
}

bool TMailService::ChangeSettings(const TMailSettings& settings, const std::string& password) {
  Settings();
  settings_ = settings;
  password_ = StripLineBreaks(password);
  try {
    WriteMailSettings(store_, settings);
  } catch (const std::exception& e) {
    ui_.ShowMessage(std::string("The mail settings could not be kept: ") + e.what());
    return false;
  }
  const std::filesystem::path file = PasswordFile();
  try {
    if (!settings.StorePassword) {
      std::error_code error;
      std::filesystem::remove(file, error);
      if (error) throw std::runtime_error(error.message());
      return true;
    }
    // The file is made readable by its owner alone before the password goes in; the atomic
    // writer keeps those permissions.
    if (!std::filesystem::exists(file)) {
      const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd < 0) throw std::system_error(errno, std::generic_category());
      ::close(fd);
    }
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    WriteFileAtomically(file, password_);
  } catch (const std::exception& e) {
    ui_.ShowMessage("The mail password file \"" + file.string() +
                    "\" could not be written: " + e.what());
    return false;
  }
  return true;
}

bool TMailService::Fail(const std::string& what, const std::string& why) {
  ui_.ShowMessage("The " + what + " could not be sent.\r" + why);
  return false;
}

bool TMailService::SendOrders(const IOrderLines& lines, const std::string& recipients,
                              const std::string& subject, bool toOutbox) {
  if (lines.Count() == 0) return Fail("orders", "There are no orders to mail.");
  return Send("orders", recipients, subject, OrderMailBody(lines), toOutbox);
}

bool TMailService::SendRelayMessage(const IOrderLines& lines, const std::string& recipients,
                                    const std::string& race, const std::string& text,
                                    bool toOutbox) {
  const std::optional<std::string> galaxy = FindGalaxyLine(lines);
  if (!galaxy) {
    return Fail("relay message",
                "The orders have no \"#GALAXY\" line, which tells the server who sends the "
                "message: set up the orders first (First Turn, Setup orders).");
  }
  return Send("relay message", recipients, "Relay " + race, *galaxy + "\r\n" + text, toOutbox);
}

bool TMailService::Send(const std::string& what, const std::string& recipientText,
                        const std::string& subjectText, const std::string& body, bool toOutbox) {
  const TMailSettings& settings = Settings();
  const TRecipients recipients = ParseRecipients(recipientText);
  if (!recipients.Error.empty()) return Fail(what, "Galaxy Server Adress: " + recipients.Error);
  const TMailMethod method = toOutbox ? TMailMethod::Outbox : settings.Method;
  if (method != TMailMethod::Outbox && recipients.Addresses.empty()) {
    return Fail(what,
                "There is no recipient: enter the game server's address with \"Galaxy Server "
                "Adress\" in the Mail Settings menu.");
  }
  const std::string from = Trimmed(settings.From);
  if (!from.empty() && !IsMailAddress(from))
    return Fail(what, "Your address in the mail settings, \"" + from +
                          "\", is not an e-mail address of the form name@example.org.");
  if (method == TMailMethod::Smtp && from.empty())
    return Fail(what, "The SMTP server needs your own address: enter it in the mail settings.");
  if (method == TMailMethod::Smtp && Trimmed(settings.Smtp.Host).empty())
    return Fail(what, "No SMTP server is set: enter it in the mail settings.");

  std::string subject = StripLineBreaks(subjectText);
  if (subject.size() > kMaxSubject) subject.resize(kMaxSubject);
  const TMailStamp stamp = MailStampNow(from);
  const std::string message = ComposeMessage({from, recipients.Addresses, subject, body}, stamp,
                                             method == TMailMethod::Outbox);
  TSendResult result;
  switch (method) {
    case TMailMethod::Sendmail:
      result = SendWithProgram(Trimmed(settings.Program), message, kProgramTimeoutSeconds);
      break;
    case TMailMethod::Smtp: {
      TSmtpServer server = settings.Smtp;
      server.Host = Trimmed(server.Host);
      if (!server.User.empty()) {
        if (password_.empty()) {
          const std::optional<std::string> asked = prompts_.AskPassword(server.User, server.Host);
          if (!asked) return false;  // the user cancelled: nothing to say
          password_ = StripLineBreaks(*asked);
        }
        server.Password = password_;
      }
      result = SendWithSmtp(server, from, recipients.Addresses, message);
      // The next try asks again rather than repeat a password the server refused.
      if (result.LoginRefused) password_.clear();
      break;
    }
    case TMailMethod::Outbox:
      result =
          WriteToOutbox(OutboxFolder(), message, stamp.Time + int64_t{stamp.UtcOffsetMinutes} * 60);
      break;
  }
  if (!result.Ok) return Fail(what, result.Error);
  if (method == TMailMethod::Outbox) {
    if (ui_.AskYesNo("Placed the " + what + " in the outbox as\r" + result.File.string() +
                     "\r\rOpen the file in your mail program?"))
      prompts_.OpenInMailProgram(result.File);
  } else {
    ui_.ShowMessage("Sent the " + what + " to " + JoinAddresses(recipients.Addresses) + ".");
  }
  return true;
}

}  // namespace tovix
