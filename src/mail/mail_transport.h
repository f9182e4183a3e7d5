#pragma once
// The three ways a composed message leaves the program: a sendmail-compatible program, an SMTP
// server (through libcurl, with STARTTLS or TLS and a login), or a file in the outbox folder.
// Each returns what happened; a failure carries a message for the user that says what is known:
// nothing was sent, or the message was handed over and may have arrived. A send may be cancelled
// from another thread through a TCancelToken, and it ends at once.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

class TCancelToken;

struct TSendResult {
  bool Ok = false;
  std::string Error;            // for the user, when not Ok
  bool LoginRefused = false;    // the server refused the user name or password
  bool Cancelled = false;       // the token was cancelled
  bool MayHaveArrived = false;  // not Ok, but the whole message was handed over
  std::filesystem::path File;   // the outbox file written
};

// `text` ending as a sentence does (a full stop added unless it ends in one, "!" or "?"), so that
// a text of the system or a library, appended to a message, runs into nothing that follows.
std::string AsSentence(std::string text);

// Runs `program` with the arguments "-t -i" (recipients from the headers; a line of one "." is
// not the end), the message on its standard input. It must end with exit code 0 within
// `timeoutSeconds`; else, or when `cancel` (may be null) is cancelled, it is killed.
TSendResult SendWithProgram(const std::string& program, const std::string& message,
                            int timeoutSeconds, TCancelToken* cancel = nullptr);

enum class TSmtpSecurity { StartTls, Tls, None };

struct TSmtpServer {
  std::string Host;
  int Port = 587;
  TSmtpSecurity Security = TSmtpSecurity::StartTls;
  std::string User;  // empty: no login
  std::string Password;
  std::string CaFile;  // a certificate to trust besides the system's; empty for none
  int ConnectTimeoutSeconds = 30;
  // The whole send: connecting, TLS, every answer, the answer to the message's final ".".
  int TimeoutSeconds = 120;
  bool operator==(const TSmtpServer&) const = default;
};

// Hands the message to the server for every address of `to`, with `from` as the sender. With
// StartTls the server must offer STARTTLS: the message is never sent in clear text instead. The
// server's certificate must be valid for the host name. The send ends within the server's
// TimeoutSeconds (a second more at most), and at once when `cancel` (may be null) is cancelled.
TSendResult SendWithSmtp(const TSmtpServer& server, const std::string& from,
                         const std::vector<std::string>& to, const std::string& message,
                         TCancelToken* cancel = nullptr);

// Writes the message as a new file "tovix-YYYYMMDD-HHMMSS.eml" ("-2", "-3" ... when the name is
// taken) into `folder`, made when missing (for its owner alone); atomically, so a mail program
// never sees half a file. A message that holds the orders' "#GALAXY" line is its owner's alone.
// `time` is the local time the name shows (seconds, already shifted to the local zone).
TSendResult WriteToOutbox(const std::filesystem::path& folder, const std::string& message,
                          int64_t localTime);
// Whether `name` is of the form WriteToOutbox gives its files.
bool IsOutboxFileName(std::string_view name);

}  // namespace tovix
