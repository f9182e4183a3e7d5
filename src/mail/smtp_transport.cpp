// SMTP through libcurl. libcurl speaks the protocol, STARTTLS and the login; this file turns
// its outcome, and the server's last answer, into a message that says what went wrong.
#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "mail/mail_transport.h"

namespace tovix {

namespace {

struct TUpload {
  const std::string* Data;
  size_t Sent = 0;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<TUpload*>(user);
  const size_t n = std::min(size * count, upload->Data->size() - upload->Sent);
  std::memcpy(buffer, upload->Data->data() + upload->Sent, n);
  upload->Sent += n;
  return n;
}

// The dialogue as far as a message needs it: the last command (never the login's) and the
// server's last answer.
struct TDialogue {
  std::string Command;
  std::string Answer;
  bool Quitting = false;
};

std::string FirstLine(const char* data, size_t size) {
  std::string line(data, size);
  const size_t end = line.find_first_of("\r\n");
  if (end != std::string::npos) line.resize(end);
  return line;
}

int Trace(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  auto* dialogue = static_cast<TDialogue*>(user);
  // What follows a failure is the goodbye, which explains nothing.
  if (dialogue->Quitting) return 0;
  if (type == CURLINFO_HEADER_OUT) {
    const std::string line = FirstLine(data, size);
    if (line.rfind("QUIT", 0) == 0) dialogue->Quitting = true;
    // The login's lines hold the password (base64 is no protection): they are never kept.
    else if (line.rfind("AUTH", 0) == 0)
      dialogue->Command = "AUTH";
    else if (dialogue->Command != "AUTH" || line.rfind("MAIL", 0) == 0)
      dialogue->Command = line;
  } else if (type == CURLINFO_HEADER_IN) {
    const std::string line = FirstLine(data, size);
    if (!line.empty()) dialogue->Answer = line;
  }
  return 0;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string HostPort(const TSmtpServer& server) {
  const bool ipv6 = server.Host.find(':') != std::string::npos;
  return (ipv6 ? "[" + server.Host + "]" : server.Host) + ":" + std::to_string(server.Port);
}

std::string Said(const TDialogue& dialogue) {
  return dialogue.Answer.empty() ? std::string() : " The server said: " + dialogue.Answer;
}

std::string Explain(CURLcode code, const TSmtpServer& server, const TDialogue& dialogue,
                    const char* detail) {
  const std::string where = HostPort(server);
  const std::string command = dialogue.Command;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return "The mail server \"" + server.Host + "\" is not known: its name could not be found.";
    case CURLE_COULDNT_CONNECT:
      return "No mail server answers at " + where +
             ": the connection was refused or the server cannot be reached.";
    case CURLE_OPERATION_TIMEDOUT:
      return "The mail server at " + where + " did not answer in time.";
    case CURLE_LOGIN_DENIED:
      return "The mail server at " + where + " refused the login of \"" + server.User +
             "\": the user name or the password is wrong." + Said(dialogue);
    case CURLE_USE_SSL_FAILED:
      return "The mail server at " + where +
             " does not offer STARTTLS, so nothing was sent in clear text. Choose another "
             "security setting only if the server really has no encryption.";
    case CURLE_PEER_FAILED_VERIFICATION:
      return "The certificate of the mail server at " + where + " is not trusted: " + detail + ".";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
      return "No secure connection to the mail server at " + where + ": " + detail + ".";
    default:
      break;
  }
  if (command.rfind("RCPT", 0) == 0) {
    const size_t open = command.find('<'), close = command.rfind('>');
    const std::string who = open != std::string::npos && close > open
                                ? command.substr(open + 1, close - open - 1)
                                : command;
    return "The mail server at " + where + " refused the recipient " + who + "." + Said(dialogue);
  }
  if (command.rfind("MAIL", 0) == 0)
    return "The mail server at " + where + " refused the sender address." + Said(dialogue);
  // After DATA the server has the whole message; the command seen last is still "DATA".
  if (command.rfind("DATA", 0) == 0)
    return "The mail server at " + where + " refused the message." + Said(dialogue);
  if (command == "AUTH")
    return "The login at the mail server at " + where + " failed." + Said(dialogue);
  return "Sending through the mail server at " + where + " failed: " + detail + "." +
         Said(dialogue);
}

}  // namespace

TSendResult SendWithSmtp(const TSmtpServer& server, const std::string& from,
                         const std::vector<std::string>& to, const std::string& message) {
  TSendResult result;
  InitCurlOnce();
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                 &curl_easy_cleanup);
  if (!curl) {
    result.Error = "The mail could not be sent: the SMTP library could not start.";
    return result;
  }
  CURL* c = curl.get();
  const std::string url =
      (server.Security == TSmtpSecurity::Tls ? "smtps://" : "smtp://") + HostPort(server);
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(server.ConnectTimeoutSeconds));
  curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(server.TimeoutSeconds));
  if (server.Security == TSmtpSecurity::StartTls)
    curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  if (!server.CaFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, server.CaFile.c_str());
  if (!server.User.empty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, server.User.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, server.Password.c_str());
  }
  const std::string sender = "<" + from + ">";
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, sender.c_str());
  curl_slist* recipients = nullptr;
  for (const std::string& address : to)
    recipients = curl_slist_append(recipients, ("<" + address + ">").c_str());
  const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> keepRecipients(
      recipients, &curl_slist_free_all);
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients);
  TUpload upload{&message};
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c, CURLOPT_READFUNCTION, &ReadMessage);
  curl_easy_setopt(c, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  TDialogue dialogue;
  curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, &Trace);
  curl_easy_setopt(c, CURLOPT_DEBUGDATA, &dialogue);
  curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
  char detail[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);

  const CURLcode code = curl_easy_perform(c);
  if (code == CURLE_OK) {
    result.Ok = true;
    return result;
  }
  if (detail[0] == '\0') std::strncpy(detail, curl_easy_strerror(code), CURL_ERROR_SIZE - 1);
  result.LoginRefused = code == CURLE_LOGIN_DENIED;
  result.Error = Explain(code, server, dialogue, detail);
  return result;
}

}  // namespace tovix
