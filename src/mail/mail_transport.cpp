#include "mail/mail_transport.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "core/text/file_utils.h"
#include "mail/child_process.h"
#include "orders/order_file.h"

namespace tovix {

namespace {

// The last lines of a program's output, for a message.
std::string LastLines(const std::string& output) {
  constexpr size_t kShown = 600;
  std::string text = output;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  if (text.size() > kShown) text = "..." + text.substr(text.size() - kShown);
  return text;
}

}  // namespace

std::string AsSentence(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n'))
    text.pop_back();
  if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?') text += '.';
  return text;
}

TSendResult SendWithProgram(const std::string& program, const std::string& message,
                            int timeoutSeconds, TCancelToken* cancel) {
  TSendResult result;
  const TProgramRun run = RunProgram({program, "-t", "-i"}, message, timeoutSeconds, cancel);
  const std::string name = "The mail program \"" + program + "\"";
  // A program stopped after it took the whole message may have queued it already.
  const std::string handedOver = run.InputDone
                                     ? " It had the whole message: it may have sent it."
                                     : " It did not have the whole message: nothing was sent.";
  result.Cancelled = run.Cancelled;
  result.MayHaveArrived = (run.TimedOut || run.Cancelled) && run.InputDone;
  if (!run.Started) {
    result.Error = name + " could not be started: " + AsSentence(run.Error) +
                   " Check the program in the mail settings.";
  } else if (run.Cancelled) {
    result.Error = "The send was cancelled, and the mail program \"" + program + "\" was stopped." +
                   handedOver;
  } else if (run.TimedOut) {
    result.Error = name + " did not finish within " + std::to_string(timeoutSeconds) +
                   " seconds and was stopped." + handedOver;
  } else if (run.ExitCode != 0) {
    result.Error =
        name + (run.ExitCode < 0 ? " was ended by a signal."
                                 : " failed with exit code " + std::to_string(run.ExitCode) + ".");
    // Its own words, quoted on lines of their own.
    const std::string said = LastLines(run.Output);
    if (!said.empty()) result.Error += " It said:\r\"" + said + "\".";
  } else {
    result.Ok = true;
  }
  return result;
}

TSendResult WriteToOutbox(const std::filesystem::path& folder, const std::string& message,
                          int64_t localTime) {
  TSendResult result;
  std::error_code error;
  // The messages hold the race's password: a folder made here is its owner's alone.
  if (!std::filesystem::is_directory(folder, error)) {
    std::filesystem::create_directories(folder.parent_path(), error);
    if (!error && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
      error = std::error_code(errno, std::generic_category());
    if (!error && !std::filesystem::is_directory(folder, error) && !error)
      error = std::make_error_code(std::errc::not_a_directory);
  }
  if (error) {
    result.Error =
        "The outbox folder \"" + folder.string() + "\" could not be made: " + error.message() + ".";
    return result;
  }
  const std::time_t time = static_cast<std::time_t>(localTime);
  std::tm t{};
  gmtime_r(&time, &t);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "tovix-%04d%02d%02d-%02d%02d%02d", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  std::filesystem::path file = folder / (std::string(stamp) + ".eml");
  for (int n = 2; std::filesystem::exists(file); ++n)
    file = folder / (std::string(stamp) + "-" + std::to_string(n) + ".eml");
  try {
    WriteFileAtomically(file, message, FileModeFor(message));
  } catch (const std::exception& e) {
    result.Error = AsSentence(e.what());
    return result;
  }
  result.Ok = true;
  result.File = file;
  return result;
}

bool IsOutboxFileName(std::string_view name) {
  const auto digits = [&name](size_t at, size_t count) {
    if (name.size() < at + count) return false;
    for (size_t i = at; i < at + count; ++i)
      if (name[i] < '0' || name[i] > '9') return false;
    return true;
  };
  // "tovix-YYYYMMDD-HHMMSS", then "-N" when the name was taken, then ".eml".
  constexpr std::string_view kStart = "tovix-", kEnd = ".eml";
  if (!name.starts_with(kStart) || !name.ends_with(kEnd) || !digits(6, 8) || name.size() < 21 ||
      name[14] != '-' || !digits(15, 6))
    return false;
  const std::string_view rest = name.substr(21, name.size() - 21 - kEnd.size());
  if (rest.empty()) return true;
  return rest.size() >= 2 && rest[0] == '-' && rest[1] != '0' && digits(22, rest.size() - 1);
}

}  // namespace tovix
