#include "mail/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "mail/cancel_token.h"

extern char** environ;

namespace tovix {

namespace {

constexpr size_t kKeptOutput = 16 * 1024;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// A descriptor that becomes readable when the process ends; -1 where the system has none.
int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

// Reads what is there now; false at the end of the output (or on an error).
bool ReadAvailable(int fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<size_t>(got));
      if (into.size() > kKeptOutput) into.erase(0, into.size() - kKeptOutput);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    return got < 0 && errno == EAGAIN;
  }
}

}  // namespace

TChildProcess::~TChildProcess() {
  if (Running()) Kill();
  CloseFds();
}

void TChildProcess::CloseFds() {
  CloseFd(input_);
  CloseFd(output_);
}

bool TChildProcess::Start(const std::vector<std::string>& argv, std::string& error) {
  if (argv.empty() || argv[0].empty()) {
    error = "no program was named";
    return false;
  }
  // The input is a socket, so that writing to a program that stopped reading gives EPIPE
  // instead of a SIGPIPE that would end this program.
  int in[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) {
    error = std::strerror(errno);
    return false;
  }
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    ::close(in[0]);
    ::close(in[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  // The child starts with no signal blocked and SIGPIPE at its default, whatever this program
  // set for itself.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, pipe;
  sigemptyset(&none);
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &pipe);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int rc = ::posix_spawnp(&pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(in[1]);
  ::close(out[1]);
  if (rc != 0) {
    ::close(in[0]);
    ::close(out[0]);
    error = std::strerror(rc);
    return false;
  }
  pid_ = pid;
  input_ = in[0];
  output_ = out[0];
  pending_.clear();
  return true;
}

bool TChildProcess::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (input_ < 0) return false;
    const ssize_t sent = ::send(input_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

void TChildProcess::CloseInput() {
  CloseFd(input_);
}

bool TChildProcess::ReadLine(std::string& line) {
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pending_.erase(0, end + 1);
      return true;
    }
    char buffer[4096];
    const ssize_t got = output_ < 0 ? 0 : ::read(output_, buffer, sizeof buffer);
    if (got > 0) {
      pending_.append(buffer, static_cast<size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (pending_.empty()) return false;
    line = std::move(pending_);
    pending_.clear();
    return true;
  }
}

int TChildProcess::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  CloseInput();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void TChildProcess::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  Wait();
}

TProgramRun RunProgram(const std::vector<std::string>& argv, std::string_view input,
                       int timeoutSeconds, TCancelToken* cancel) {
  TProgramRun run;
  TChildProcess child;
  if (!child.Start(argv, run.Error)) return run;
  run.Started = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  // The end of the program is watched, not only the end of its output: a helper it leaves
  // behind may hold the output open long after it is done.
  int ended = OpenPidFd(child.Pid());
  ::fcntl(child.OutputFd(), F_SETFL, ::fcntl(child.OutputFd(), F_GETFL) | O_NONBLOCK);
  if (input.empty()) {
    child.CloseInput();
    run.InputDone = true;
  }
  bool outputOpen = true;
  for (;;) {
    // Without a way to watch the end itself, the end of the output stands for it.
    if (!outputOpen && ended < 0) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    const bool cancelled = cancel && cancel->Cancelled();
    if (left.count() <= 0 || cancelled) {
      child.Kill();
      CloseFd(ended);
      (cancelled ? run.Cancelled : run.TimedOut) = true;
      return run;
    }
    constexpr nfds_t kNone = 4;
    pollfd fds[4];
    nfds_t count = 0;
    const nfds_t outputAt = outputOpen ? count : kNone;
    if (outputAt != kNone) fds[count++] = {child.OutputFd(), POLLIN, 0};
    const nfds_t inputAt = child.InputFd() >= 0 ? count : kNone;
    if (inputAt != kNone) fds[count++] = {child.InputFd(), POLLOUT, 0};
    const nfds_t endedAt = ended >= 0 ? count : kNone;
    if (endedAt != kNone) fds[count++] = {ended, POLLIN, 0};
    // A cancel only wakes the poll; the top of the loop acts on it.
    if (cancel && cancel->Fd() >= 0) fds[count++] = {cancel->Fd(), POLLIN, 0};
    // Without its descriptor a cancel is looked for every tenth of a second.
    const auto wait =
        cancel && cancel->Fd() < 0 ? std::min<int64_t>(left.count(), 100) : left.count();
    const int ready = ::poll(fds, count, static_cast<int>(wait));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (inputAt != kNone && fds[inputAt].revents != 0) {
      if ((fds[inputAt].revents & POLLOUT) != 0) {
        const ssize_t sent =
            ::send(child.InputFd(), input.data(), input.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) input.remove_prefix(static_cast<size_t>(sent));
        run.InputDone = input.empty();
        if ((sent < 0 && errno != EAGAIN && errno != EINTR) || input.empty()) child.CloseInput();
      } else {
        child.CloseInput();  // it stopped reading
      }
    }
    if (outputAt != kNone && fds[outputAt].revents != 0)
      outputOpen = ReadAvailable(child.OutputFd(), run.Output);
    if (endedAt != kNone && fds[endedAt].revents != 0) break;
  }
  if (outputOpen) ReadAvailable(child.OutputFd(), run.Output);
  CloseFd(ended);
  run.ExitCode = child.Wait();
  return run;
}

}  // namespace tovix
