#pragma once
// The three ways a composed message leaves the program: a sendmail-compatible program, an SMTP
// server (through libcurl, with STARTTLS or TLS and a login), or a file in the outbox folder.
// Each returns what happened; a failure carries a message for the user and sends nothing.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tovix {

struct TSendResult {
  bool Ok = false;
  std::string Error;           // for the user, when not Ok
  bool LoginRefused = false;   // the server refused the user name or password
  std::filesystem::path File;  // the outbox file written
};

// Runs `program` with the arguments "-t -i" (recipients from the headers; a line of one "." is
// not the end), the message on its standard input. It must end with exit code 0 within
// `timeoutSeconds`.
TSendResult SendWithProgram(const std::string& program, const std::string& message,
                            int timeoutSeconds);

enum class TSmtpSecurity { StartTls, Tls, None };

struct TSmtpServer {
  std::string Host;
  int Port = 587;
  TSmtpSecurity Security = TSmtpSecurity::StartTls;
  std::string User;  // empty: no login
  std::string Password;
  std::string CaFile;  // a certificate to trust besides the system's; empty for none
  int ConnectTimeoutSeconds = 30;
  int TimeoutSeconds = 120;
  bool operator==(const TSmtpServer&) const = default;
};

// Hands the message to the server for every address of `to`, with `from` as the sender. With
// StartTls the server must offer STARTTLS: the message is never sent in clear text instead. The
// server's certificate must be valid for the host name.
TSendResult SendWithSmtp(const TSmtpServer& server, const std::string& from,
                         const std::vector<std::string>& to, const std::string& message);

// Writes the message as a new file "tovix-YYYYMMDD-HHMMSS.eml" ("-2", "-3" ... when the name is
// taken) into `folder`, made when missing; atomically, so a mail program never sees half a file.
// `time` is the local time the name shows (seconds, already shifted to the local zone).
TSendResult WriteToOutbox(const std::filesystem::path& folder, const std::string& message,
                          int64_t localTime);

}  // namespace tovix
