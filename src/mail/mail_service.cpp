#include "mail/mail_service.h"

#include <algorithm>
#include <system_error>

#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "mail/mail_message.h"

namespace tovix {

namespace {

constexpr size_t kMaxSubject = 255;
constexpr int kMaxTimeoutSeconds = 3600;

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
  const int timeout = store.ReadInteger(kMailSection, "TimeoutSeconds", s.TimeoutSeconds);
  if (timeout > 0 && timeout <= kMaxTimeoutSeconds) s.TimeoutSeconds = timeout;
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
  store.WriteInteger(kMailSection, "TimeoutSeconds", s.TimeoutSeconds);
}

std::filesystem::path OutboxFolderOf(const TMailSettings& settings,
                                     const std::filesystem::path& programFolder) {
  return settings.Outbox.empty() ? programFolder / "outbox"
                                 : std::filesystem::path(settings.Outbox);
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

std::optional<std::string> ErrorNotesQuestion(const std::vector<TOrderNote>& notes) {
  // The notes on the "#GALAXY" line are told whole; lines after "#END" and refused lines are
  // counted.
  std::string text;
  int afterEnd = 0;
  int errors = 0;
  for (const TOrderNote& note : notes) {
    if (!note.Refused) continue;
    if (note.Kind == TNoteKind::Header)
      text += note.Text + "\r";
    else if (note.Kind == TNoteKind::AfterEnd)
      ++afterEnd;
    else
      ++errors;
  }
  if (afterEnd > 0) {
    text += afterEnd == 1
                ? std::string("1 line stands after \"#END\": the server will not read it.\r")
                : std::to_string(afterEnd) +
                      " lines stand after \"#END\": the server will not read them.\r";
  }
  if (errors > 0) {
    text += errors == 1
                ? std::string("The orders hold 1 ERROR note: the server will refuse that line.\r")
                : "The orders hold " + std::to_string(errors) +
                      " ERROR notes: the server will refuse those lines.\r";
  }
  if (text.empty()) return std::nullopt;
  return text + "Mail them anyway?";
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
        ui_.ShowMessage("The stored mail password could not be read: " + AsSentence(e.what()));
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
  return OutboxFolderOf(Settings(), programFolder_);
}

bool TMailService::ChangeSettings(const TMailSettings& settings, const std::string& password) {
  Settings();
  settings_ = settings;
  password_ = StripLineBreaks(password);
  try {
    WriteMailSettings(store_, settings);
  } catch (const std::exception& e) {
    ui_.ShowMessage("The mail settings could not be kept: " + AsSentence(e.what()));
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
    // Readable by its owner alone from its first byte (its temporary file too).
    WriteFileAtomically(file, password_, kOwnerOnlyFileMode);
  } catch (const std::exception& e) {
    ui_.ShowMessage("The mail password file \"" + file.string() +
                    "\" could not be written: " + AsSentence(e.what()));
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

TSendResult Deliver(const TMailDelivery& d, TCancelToken* cancel) {
  switch (d.Method) {
    case TMailMethod::Sendmail:
      return SendWithProgram(d.Program, d.Message, d.TimeoutSeconds, cancel);
    case TMailMethod::Smtp:
      return SendWithSmtp(d.Server, d.From, d.To, d.Message, cancel);
    case TMailMethod::Outbox:
      break;
  }
  return WriteToOutbox(d.Outbox, d.Message, d.LocalTime);
}

bool TMailService::Send(const std::string& what, const std::string& recipients,
                        const std::string& subject, const std::string& body, bool toOutbox) {
  const std::optional<TMailDelivery> delivery = Prepare(what, recipients, subject, body, toOutbox);
  if (!delivery) return false;
  return Finish(*delivery, prompts_.RunDelivery(*delivery));
}

std::optional<TMailDelivery> TMailService::Prepare(const std::string& what,
                                                   const std::string& recipientText,
                                                   const std::string& subjectText,
                                                   const std::string& body, bool toOutbox) {
  const TMailSettings& settings = Settings();
  const TRecipients recipients = ParseRecipients(recipientText);
  const auto fail = [this, &what](const std::string& why) -> std::optional<TMailDelivery> {
    Fail(what, why);
    return std::nullopt;
  };
  if (!recipients.Error.empty()) return fail("Galaxy Server Adress: " + recipients.Error);
  TMailDelivery d;
  d.What = what;
  d.Method = toOutbox ? TMailMethod::Outbox : settings.Method;
  d.To = recipients.Addresses;
  if (d.Method != TMailMethod::Outbox && d.To.empty()) {
    return fail(
        "There is no recipient: enter the game server's address with \"Galaxy Server "
        "Adress\" in the Mail Settings menu.");
  }
  d.From = Trimmed(settings.From);
  if (!d.From.empty() && !IsMailAddress(d.From))
    return fail("Your address in the mail settings, \"" + d.From +
                "\", is not an e-mail address of the form name@example.org.");
  if (d.Method == TMailMethod::Smtp && d.From.empty())
    return fail("The SMTP server needs your own address: enter it in the mail settings.");
  if (d.Method == TMailMethod::Smtp && Trimmed(settings.Smtp.Host).empty())
    return fail("No SMTP server is set: enter it in the mail settings.");

  std::string subject = StripLineBreaks(subjectText);
  if (subject.size() > kMaxSubject) subject.resize(kMaxSubject);
  const TMailStamp stamp = MailStampNow(d.From);
  d.Message = ComposeMessage({d.From, d.To, subject, body}, stamp, d.Method == TMailMethod::Outbox);
  d.Program = Trimmed(settings.Program);
  d.Outbox = OutboxFolder();
  d.LocalTime = stamp.Time + int64_t{stamp.UtcOffsetMinutes} * 60;
  d.TimeoutSeconds = settings.TimeoutSeconds;
  if (d.Method == TMailMethod::Smtp) {
    d.Server = settings.Smtp;
    d.Server.Host = Trimmed(d.Server.Host);
    d.Server.TimeoutSeconds = settings.TimeoutSeconds;
    if (!d.Server.User.empty()) {
      if (password_.empty()) {
        const std::optional<std::string> asked = prompts_.AskPassword(d.Server.User, d.Server.Host);
        if (!asked) return std::nullopt;  // the user cancelled: nothing to say
        password_ = StripLineBreaks(*asked);
      }
      d.Server.Password = password_;
    }
  }
  return d;
}

bool TMailService::Finish(const TMailDelivery& d, const TSendResult& result) {
  // The next try asks again rather than repeat a password the server refused.
  if (result.LoginRefused) password_.clear();
  if (ending_) return result.Ok;
  // A message that may have arrived is not called unsent above the words that say so.
  if (!result.Ok && result.MayHaveArrived) {
    ui_.ShowMessage("It is not known whether the " + d.What + " arrived.\r" + result.Error);
    return false;
  }
  if (!result.Ok) return Fail(d.What, result.Error);
  if (d.Method == TMailMethod::Outbox) {
    if (ui_.AskYesNo("Placed the " + d.What + " in the outbox as the file below.\r" +
                     result.File.string() + "\r\rOpen the file in your mail program?"))
      prompts_.OpenInMailProgram(result.File);
  } else {
    ui_.ShowMessage("Sent the " + d.What + " to " + JoinAddresses(d.To) + ".");
  }
  return true;
}

}  // namespace tovix
