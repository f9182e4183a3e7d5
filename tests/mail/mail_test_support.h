#pragma once
// What the mail tests share: Python's standard mail parser as the judge of a message, a real SMTP
// server on the loopback (Debian's python3-aiosmtpd, started per test and always ended with it),
// and the Debian Python those packages belong to.

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "mail/cancel_token.h"
#include "mail/child_process.h"
#include "mail/mail_transport.h"
#include "support/test_paths.h"

namespace tovix::test {

// Debian's interpreter: python3-aiosmtpd is installed for it, whatever else is on the PATH.
inline constexpr const char* kPython = "/usr/bin/python3";

inline std::filesystem::path MailScript(const char* name) {
  return std::filesystem::path(TOVIX_MAIL_TEST_DIR) / name;
}

// What Python's email package read from a message file (parse_message.py).
struct TParsedMail {
  std::string To, Subject, Charset, Encoding, Body;
  bool CrLf = false;  // every line of the file ends in CR LF
  int Defects = -1;   // what the parser found wrong with it
  std::string Raw;    // the parser's whole answer, for failure messages
};

inline TParsedMail ParseMail(const std::filesystem::path& file) {
  TParsedMail mail;
  const TProgramRun run =
      RunProgram({kPython, MailScript("parse_message.py").string(), file.string()}, "", 60);
  mail.Raw = run.Output;
  const size_t body = run.Output.find("\nbody:\n");
  if (run.ExitCode != 0 || body == std::string::npos) return mail;
  mail.Body = run.Output.substr(body + 7);
  std::string head = run.Output.substr(0, body + 1);
  for (size_t at = 0; at < head.size();) {
    const size_t end = head.find('\n', at);
    const std::string line = head.substr(at, end - at);
    at = end + 1;
    const size_t eq = line.find('=');
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "to") mail.To = value;
    if (key == "subject") mail.Subject = value;
    if (key == "charset") mail.Charset = value;
    if (key == "encoding") mail.Encoding = value;
    if (key == "crlf") mail.CrLf = value == "ok";
    if (key == "defects") mail.Defects = std::stoi(value);
  }
  return mail;
}

// The files in a folder (the outbox), none when it does not exist.
inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::exists(dir))
    for (const auto& e : std::filesystem::directory_iterator(dir)) files.push_back(e.path());
  return files;
}

// Where a message for the user stops being whole sentences: it does not end as a sentence does,
// or one sentence runs into the next (a word, a blank and a capitalised word outside quotes, as
// in "credentials invalid The password"). Empty when the message is whole.
inline std::string BrokenSentence(const std::string& message) {
  const std::string unquoted = std::regex_replace(message, std::regex("\"[^\"]*\""), "\"\"");
  if (unquoted.empty() || std::string(".?!").find(unquoted.back()) == std::string::npos)
    return "no sentence end";
  std::smatch runOn;
  if (std::regex_search(unquoted, runOn, std::regex("[a-z0-9,;)] [A-Z][a-z]")))
    return "runs on at \"" + runOn.str() + "\"";
  return {};
}

inline bool HaveAiosmtpd() {
  return RunProgram({kPython, "-c", "import aiosmtpd"}, "", 60).ExitCode == 0;
}

// smtp_server.py (or another server script of this folder), running until the object goes. Its
// "READY <port>" line is read as it comes, so the test waits exactly as long as the server needs
// to start, and no longer.
class TSmtpTestServer {
 public:
  explicit TSmtpTestServer(std::vector<std::string> options = {},
                           const char* script = "smtp_server.py") {
    std::vector<std::string> argv{kPython, MailScript(script).string(), folder_.path().string()};
    argv.insert(argv.end(), options.begin(), options.end());
    std::string error;
    if (!process_.Start(argv, error)) {
      Output = error;
      return;
    }
    for (std::string line; process_.ReadLine(line);) {
      if (line.rfind("READY ", 0) == 0) {
        port_ = std::stoi(line.substr(6));
        return;
      }
      Output += line + "\n";
    }
  }
  bool Ready() const { return port_ > 0; }
  const std::filesystem::path& Folder() const { return folder_.path(); }
  int Port() const { return port_; }
  std::filesystem::path CertFile() const { return folder_ / "cert.pem"; }
  std::filesystem::path Message(int n) const {
    return folder_ / ("message-" + std::to_string(n) + ".eml");
  }
  // The sender and the recipients of message n, one per line.
  std::string Envelope(int n) const {
    const std::filesystem::path file = folder_ / ("envelope-" + std::to_string(n) + ".txt");
    return std::filesystem::exists(file) ? ReadFileBytes(file) : std::string();
  }
  // Waits until the server prints `line`, at most `seconds`; false when it did not. (A line
  // read along with an earlier one is not seen: wait for one line per server.)
  bool WaitForLine(const std::string& line, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd ready{process_.OutputFd(), POLLIN, 0};
      if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
      std::string got;
      if (!process_.ReadLine(got)) return false;
      if (got == line) return true;
    }
  }
  std::string Output;  // what it printed before it failed to start

 private:
  TempDir folder_;
  TChildProcess process_;
  int port_ = 0;
};

// Runs `send` on a thread of its own, then `meanwhile` here, and waits for the end of the send
// at most 60 seconds: a send that outlasts its limit fails the test (and is then cancelled
// through `cancel`) instead of hanging it.
inline TSendResult SendWatched(const std::function<TSendResult()>& send, TCancelToken& cancel,
                               const std::function<void()>& meanwhile = {}) {
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<TSendResult> result;
  std::thread sending([&] {
    TSendResult r = send();
    const std::lock_guard lock(mutex);
    result = std::move(r);
    changed.notify_all();
  });
  if (meanwhile) meanwhile();
  std::unique_lock lock(mutex);
  if (!changed.wait_for(lock, std::chrono::seconds(60), [&] { return result.has_value(); })) {
    ADD_FAILURE() << "the send outlasted the 60 s watchdog";
    cancel.Cancel();
    changed.wait(lock, [&] { return result.has_value(); });
  }
  lock.unlock();
  sending.join();
  return *result;
}

// Waits until `file` exists, at most 60 seconds; false when it did not come. The folder is
// watched (inotify), so the wait ends when a file is made or moved there, not after a nap.
inline bool WaitForFile(const std::filesystem::path& file) {
  const int watcher = ::inotify_init1(IN_CLOEXEC);
  if (watcher < 0) return false;
  const std::string folder = file.parent_path().string();
  const bool watching =
      ::inotify_add_watch(watcher, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE) >= 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool found = std::filesystem::exists(file);
  while (watching && !found) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd event{watcher, POLLIN, 0};
    if (::poll(&event, 1, static_cast<int>(left.count())) > 0) {
      char buffer[4096];
      [[maybe_unused]] const ssize_t read = ::read(watcher, buffer, sizeof buffer);
    }
    found = std::filesystem::exists(file);
  }
  ::close(watcher);
  return found;
}

// A sendmail stand-in in `folder` that takes the whole message and then hangs, after writing
// its process number to "pid" (it is the same process all along).
inline std::filesystem::path WriteHangingSendmail(const std::filesystem::path& folder) {
  const std::filesystem::path script = folder / "hanging sendmail";
  const std::string pid = (folder / "pid").string();
  std::ofstream(script) << "#!/bin/sh\ncat > /dev/null\necho $$ > '" << pid << ".part'\nmv '" << pid
                        << ".part' '" << pid << "'\nexec sleep 600\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  return script;
}

// A sendmail stand-in in `folder`: it writes its arguments, one per line, to "args" and its input
// to "message", prints `says` and ends with `exitCode`.
inline std::filesystem::path WriteFakeSendmail(const std::filesystem::path& folder,
                                               int exitCode = 0, const std::string& says = "") {
  const std::filesystem::path script = folder / "fake sendmail";
  std::ofstream(script) << "#!/bin/sh\n"
                        << "printf '%s\\n' \"$@\" > '" << (folder / "args").string() << "'\n"
                        << "cat > '" << (folder / "message").string() << "'\n"
                        << (says.empty() ? "" : "echo '" + says + "' >&2\n") << "exit " << exitCode
                        << "\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  return script;
}

}  // namespace tovix::test
