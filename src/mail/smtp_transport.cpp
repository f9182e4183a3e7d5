// SMTP through libcurl. libcurl speaks the protocol, STARTTLS and the login; this file bounds
// the whole send by the time limit, lets another thread cancel it at once, and turns its
// outcome, and the server's last answer, into a message that says what went wrong and whether
// the server may have the message.
#include <curl/curl.h>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "mail/cancel_token.h"
#include "mail/mail_transport.h"

namespace tovix {

namespace {

using Clock = std::chrono::steady_clock;

struct TWatch;
void LookFrom(TWatch& watch);

// What libcurl has taken of the message. Taken is not sent: a small message is taken whole
// before its first byte goes out.
struct TUpload {
  const std::string* Data;
  TWatch* Watch;
  size_t Taken = 0;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<TUpload*>(user);
  // libcurl asks for more only once it wrote what it had: a hang-up seen now came before the
  // rest of the message went.
  LookFrom(*upload->Watch);
  const size_t n = std::min(size * count, upload->Data->size() - upload->Taken);
  std::memcpy(buffer, upload->Data->data() + upload->Taken, n);
  upload->Taken += n;
  return n;
}

// What libcurl writes of the message: a "." that starts a line goes doubled, so that the server
// does not take it for the end (the lines end in CR LF).
curl_off_t WireSize(const std::string& message) {
  curl_off_t size = static_cast<curl_off_t>(message.size());
  for (size_t at = message.find('.'); at != std::string::npos; at = message.find('.', at + 1))
    if (at == 0 || (at >= 2 && message.compare(at - 2, 2, "\r\n") == 0)) ++size;
  return size;
}

// The connection as the system saw it at a moment, counted in bytes of what this side sends.
// Whether the server's side had the whole message, its final "." too, shows only here: libcurl
// reports a reset and an orderly close alike, and counts bytes as sent once the system took them.
struct TConnectionLook {
  bool Known = false;
  uint64_t Written = 0;       // handed to the system
  uint64_t Acknowledged = 0;  // acknowledged by the server's system
  bool HungUp = false;        // the server closed or reset the connection (a FIN or RST came)
};

TConnectionLook LookAt(curl_socket_t fd) {
  TConnectionLook look;
  tcp_info info{};
  socklen_t size = sizeof info;
  int queued = 0;
  if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
      size < offsetof(tcp_info, tcpi_bytes_acked) + sizeof info.tcpi_bytes_acked ||
      ::ioctl(fd, SIOCOUTQ, &queued) != 0 || queued < 0)
    return look;
  pollfd hangUp{fd, POLLRDHUP, 0};
  look.HungUp = ::poll(&hangUp, 1, 0) > 0 && (hangUp.revents & (POLLRDHUP | POLLHUP | POLLERR));
  look.Known = true;
  // The acknowledged count starts with the connection's first packet, which carries no byte.
  look.Acknowledged = info.tcpi_bytes_acked > 0 ? info.tcpi_bytes_acked - 1 : 0;
  look.Written = look.Acknowledged + static_cast<uint64_t>(queued);
  return look;
}

// What bounds a send besides libcurl's own limits: the deadline (libcurl waits for the answer to
// the final "." with its server-response limit alone, after the total one has been spent on the
// rest) and the cancel, which shuts the connection libcurl waits on. And what the verdict on a
// lost connection is taken from.
//
// The connection is looked at on libcurl's own thread, in each of its callbacks: before it takes
// more of the message, after each write of the message, and each time it wakes while waiting
// for an answer (it calls the progress callback before it reads). So a hang-up is seen at the
// first look after it came, before libcurl took more of the message (it may still finish
// writing what it had taken), and what is acknowledged then is what the server's side had when
// it hung up: a FIN carries the server's last acknowledgement, a closed socket resets what
// comes after it, and after a reset nothing more is counted. The limits: a server that only
// half-closes and goes on reading may have more acknowledged by the time of the look; and a
// reset's own acknowledgement is not counted, so a server whose system held back its
// acknowledgement of the final "." and then reset counts as not having it.
struct TWatch {
  TCancelToken* Cancel = nullptr;
  Clock::time_point Deadline;
  bool PastDeadline = false;
  std::mutex Mutex;
  std::vector<curl_socket_t> Sockets;
  // The connection when the send last reported something, before its goodbye or a cancel
  // changed it: a failure is reported before the goodbye is said.
  TConnectionLook Last;
  bool Kept = false;
  // The message's part: from the DATA command on, one connection is left.
  bool InMessage = false;
  uint64_t MessageOut = 0;  // bytes of the message libcurl wrote (a doubled "." counts twice)
  uint64_t MessageSize = 0;
  // What had been written once the last byte of the message was; libcurl 7.88 writes the final
  // "." (".\r\n", or one encrypted record of it) on its own after that, and nothing else before
  // the server answers it.
  std::optional<uint64_t> WrittenWithMessage;
  // The first look that saw the server hang up, once the message was under way.
  std::optional<TConnectionLook> HangUp;

  // Looks at the connection again, unless the last look is kept.
  void Look() {
    const std::lock_guard lock(Mutex);
    if (Kept || Sockets.empty()) return;
    Last = LookAt(Sockets.back());
    if (InMessage && Last.Known && Last.HungUp && !HangUp) HangUp = Last;
  }
  void Keep() {
    const std::lock_guard lock(Mutex);
    Kept = true;
  }
  // The cancel: the connection is looked at before it goes.
  void ShutAll() {
    Look();
    Keep();
    const std::lock_guard lock(Mutex);
    for (const curl_socket_t fd : Sockets) ::shutdown(fd, SHUT_RDWR);
  }
  // libcurl wrote `size` more bytes of the message.
  void MessageWritten(size_t size) {
    Look();
    const std::lock_guard lock(Mutex);
    MessageOut += size;
    if (MessageOut == MessageSize && !WrittenWithMessage && Last.Known)
      WrittenWithMessage = Last.Written;
  }
  // Whether the server's side had the whole message and its final "." before it hung up: its
  // system had acknowledged every byte up to the final "." when the hang-up was first seen, or,
  // when the server did not hang up (it went silent, the time ran out, the user cancelled), when
  // the send last looked.
  bool HandedOver() {
    const std::lock_guard lock(Mutex);
    if (!WrittenWithMessage || !Last.Known || Last.Written <= *WrittenWithMessage) return false;
    const TConnectionLook& seen = HangUp ? *HangUp : Last;
    return seen.Acknowledged >= Last.Written;
  }
};

void LookFrom(TWatch& watch) {
  watch.Look();
}

// libcurl calls this at least once a second, also while it waits for an answer, and each time
// it wakes then.
int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* watch = static_cast<TWatch*>(user);
  watch->Look();
  if (watch->Cancel && watch->Cancel->Cancelled()) return 1;
  if (Clock::now() >= watch->Deadline) {
    watch->PastDeadline = true;
    return 1;
  }
  return 0;
}

curl_socket_t OpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
  auto* watch = static_cast<TWatch*>(user);
  const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
  if (fd < 0) return CURL_SOCKET_BAD;
  const std::lock_guard lock(watch->Mutex);
  watch->Sockets.push_back(fd);
  return fd;
}

int CloseSocket(void* user, curl_socket_t fd) {
  auto* watch = static_cast<TWatch*>(user);
  {
    const std::lock_guard lock(watch->Mutex);
    std::erase(watch->Sockets, fd);
  }
  return ::close(fd);
}

// The dialogue as far as a message needs it: the last command (never the login's) and the
// server's last answer.
struct TDialogue {
  TWatch* Watch = nullptr;
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
  const std::string line = type == CURLINFO_HEADER_OUT ? FirstLine(data, size) : std::string();
  const bool quit = line.rfind("QUIT", 0) == 0;
  // The goodbye is traced once written, and may have changed the connection: the look before
  // it is kept.
  if (quit) {
    dialogue->Watch->Keep();
  } else if (type == CURLINFO_DATA_OUT) {
    // Traced once written.
    dialogue->Watch->MessageWritten(size);
  } else {
    if (line.rfind("DATA", 0) == 0) {
      const std::lock_guard lock(dialogue->Watch->Mutex);
      dialogue->Watch->InMessage = true;
    }
    dialogue->Watch->Look();
  }
  if (type == CURLINFO_HEADER_OUT) {
    if (quit) dialogue->Quitting = true;
    // The login's lines hold the password (base64 is no protection): they are never kept.
    else if (line.rfind("AUTH", 0) == 0)
      dialogue->Command = "AUTH";
    else if (dialogue->Command != "AUTH" || line.rfind("MAIL", 0) == 0)
      dialogue->Command = line;
  } else if (type == CURLINFO_HEADER_IN) {
    const std::string answer = FirstLine(data, size);
    if (!answer.empty()) dialogue->Answer = answer;
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

// The server's own words, quoted: they end no sentence of ours and run into none.
std::string Said(const TDialogue& dialogue) {
  std::string answer = dialogue.Answer;
  while (!answer.empty() && answer.back() == ' ') answer.pop_back();
  return answer.empty() ? std::string() : " The server said: \"" + answer + "\".";
}

// The reply code of an answer line ("550 ..." gives 550); 0 for none.
int AnswerCode(const std::string& answer) {
  if (answer.size() < 3) return 0;
  int code = 0;
  for (size_t i = 0; i < 3; ++i) {
    if (answer[i] < '0' || answer[i] > '9') return 0;
    code = code * 10 + (answer[i] - '0');
  }
  return code;
}

// What the program was doing when the connection went, by the last command sent.
std::string Phase(const std::string& command) {
  const std::pair<const char*, const char*> phases[] = {{"EHLO", "greeting it"},
                                                        {"HELO", "greeting it"},
                                                        {"STARTTLS", "starting encryption"},
                                                        {"AUTH", "logging in"},
                                                        {"MAIL", "giving the sender"},
                                                        {"RCPT", "giving the recipients"},
                                                        {"DATA", "sending the message"}};
  if (command.empty()) return "waiting for its greeting";
  for (const auto& [word, phase] : phases)
    if (command.rfind(word, 0) == 0) return phase;
  return "talking to it";
}

bool HasNonAscii(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

struct TOutcome {
  CURLcode Code;
  const TDialogue& Dialogue;
  bool HandedOver;  // the server's system has the whole message and its final "."
  bool Cancelled;
  bool PastDeadline;
  const char* Detail;
};

std::string Explain(const TOutcome& o, const TSmtpServer& server) {
  const std::string where = HostPort(server);
  const std::string command = o.Dialogue.Command;
  const std::string mayHave =
      " The server may have received the message: look for its answer before you send the "
      "orders again.";
  const std::string nothing = ": the message was not sent.";
  if (o.Cancelled) {
    const std::string cancelled = "The send to the mail server at " + where + " was cancelled ";
    if (o.HandedOver)
      return cancelled + "after the whole message was sent, before the server confirmed it." +
             mayHave;
    return cancelled + "while " + Phase(command) + nothing;
  }
  if (o.PastDeadline || o.Code == CURLE_OPERATION_TIMEDOUT) {
    const std::string limit = std::to_string(server.TimeoutSeconds) + " seconds";
    if (o.HandedOver)
      return "The mail server at " + where + " did not confirm the message within " + limit + "." +
             mayHave;
    return "The mail server at " + where + " did not answer within " + limit + " (while " +
           Phase(command) + ")" + nothing;
  }
  switch (o.Code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return "The mail server \"" + server.Host + "\" is not known: its name could not be found.";
    case CURLE_COULDNT_CONNECT:
      return "No mail server answers at " + where +
             ": the connection was refused or the server cannot be reached.";
    case CURLE_LOGIN_DENIED:
      return "The mail server at " + where + " refused the login of \"" + server.User +
             "\": the user name or the password is wrong." + Said(o.Dialogue) +
             (HasNonAscii(server.Password)
                  ? " The password holds letters beyond ASCII, which were sent as UTF-8: if it "
                    "is right, the server takes only ASCII passwords, and it has to be changed "
                    "there."
                  : "");
    case CURLE_USE_SSL_FAILED:
      // Offered but refused ("454 TLS not available"): the server's words say why.
      if (command.rfind("STARTTLS", 0) == 0 && AnswerCode(o.Dialogue.Answer) != 220)
        return "The mail server at " + where +
               " refused to start encryption (STARTTLS), so nothing was sent in clear text." +
               Said(o.Dialogue);
      return "The mail server at " + where +
             " does not offer STARTTLS, so nothing was sent in clear text. Choose another "
             "security setting only if the server really has no encryption.";
    case CURLE_PEER_FAILED_VERIFICATION:
      return "The certificate of the mail server at " + where +
             " is not trusted: " + AsSentence(o.Detail);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
      return "No secure connection to the mail server at " + where + ": " + AsSentence(o.Detail);
    default:
      break;
  }
  // A refusal is an answer of 400 or more; any other last answer ("354 go ahead") refused
  // nothing.
  if (AnswerCode(o.Dialogue.Answer) >= 400) {
    if (command.rfind("RCPT", 0) == 0) {
      const size_t open = command.find('<'), close = command.rfind('>');
      const std::string who = open != std::string::npos && close > open
                                  ? command.substr(open + 1, close - open - 1)
                                  : command;
      return "The mail server at " + where + " refused the recipient " + who + "." +
             Said(o.Dialogue);
    }
    if (command.rfind("MAIL", 0) == 0)
      return "The mail server at " + where + " refused the sender address." + Said(o.Dialogue);
    if (command.rfind("DATA", 0) == 0)
      return "The mail server at " + where + " refused the message." + Said(o.Dialogue);
    if (command == "AUTH")
      return "The login at the mail server at " + where + " failed." + Said(o.Dialogue);
    return "The mail server at " + where + " refused to go on." + Said(o.Dialogue);
  }
  if (o.Code == CURLE_RECV_ERROR || o.Code == CURLE_SEND_ERROR || o.Code == CURLE_GOT_NOTHING) {
    if (o.HandedOver)
      return "The connection to the mail server at " + where +
             " was lost after the whole message was sent, before the server confirmed it." +
             mayHave;
    return "The connection to the mail server at " + where + " was lost while " + Phase(command) +
           nothing;
  }
  return "Sending through the mail server at " + where + " failed: " + AsSentence(o.Detail) +
         (o.HandedOver ? mayHave : Said(o.Dialogue));
}

}  // namespace

TSendResult SendWithSmtp(const TSmtpServer& server, const std::string& from,
                         const std::vector<std::string>& to, const std::string& message,
                         TCancelToken* cancel) {
  TSendResult result;
  InitCurlOnce();
  // What libcurl's callbacks use outlives the handle: its cleanup still closes the connection
  // (and says QUIT) through them.
  const long limit = std::max(1, server.TimeoutSeconds);
  TWatch watch;
  watch.Cancel = cancel;
  watch.Deadline = Clock::now() + std::chrono::seconds(limit);
  watch.MessageSize = static_cast<uint64_t>(WireSize(message));
  TUpload upload{&message, &watch};
  TDialogue dialogue;
  dialogue.Watch = &watch;
  char detail[CURL_ERROR_SIZE] = "";
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
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
  // The connection ends with the transfer, under this handle's limits and cancel: a connection
  // kept for reuse would say QUIT at the cleanup and wait for the answer once more, unbounded
  // by them.
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  // The limit bounds the whole send: the total, every answer (the one to the final "." too,
  // which the total does not cover) and the connect.
  curl_easy_setopt(c, CURLOPT_TIMEOUT, limit);
  curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, limit);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT,
                   std::min(limit, static_cast<long>(std::max(1, server.ConnectTimeoutSeconds))));
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Progress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &watch);
  curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, &OpenSocket);
  curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, &watch);
  curl_easy_setopt(c, CURLOPT_CLOSESOCKETFUNCTION, &CloseSocket);
  curl_easy_setopt(c, CURLOPT_CLOSESOCKETDATA, &watch);
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
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c, CURLOPT_READFUNCTION, &ReadMessage);
  curl_easy_setopt(c, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, &Trace);
  curl_easy_setopt(c, CURLOPT_DEBUGDATA, &dialogue);
  curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);

  // A cancel shuts the connection libcurl waits on, so the wait ends at once.
  if (cancel) cancel->SetHook([&watch] { watch.ShutAll(); });
  const CURLcode code = curl_easy_perform(c);
  curl.reset();
  if (cancel) cancel->SetHook(nullptr);
  if (code == CURLE_OK) {
    result.Ok = true;
    return result;
  }
  // A lost connection is "may have received" exactly when the server's side had the whole
  // message with its final "." before it hung up (a reset after that included); a server that
  // closed or reset it before, even with the rest on its way or in its buffers, did not take it.
  const bool handedOver = watch.HandedOver();
  if (detail[0] == '\0') std::strncpy(detail, curl_easy_strerror(code), CURL_ERROR_SIZE - 1);
  result.LoginRefused = code == CURLE_LOGIN_DENIED;
  result.Cancelled = cancel && cancel->Cancelled();
  // A message the server refused after its final "." did not arrive.
  result.MayHaveArrived = handedOver && AnswerCode(dialogue.Answer) < 400;
  result.Error =
      Explain({code, dialogue, handedOver, result.Cancelled, watch.PastDeadline, detail}, server);
  return result;
}

}  // namespace tovix
