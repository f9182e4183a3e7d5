#pragma once
// Outside programs started with an argument list, never through a shell, so blanks, quotes and
// semicolons in an argument reach the program as they are. Plain POSIX: the mail transports and
// the tests use it without Qt.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace tovix {

class TCancelToken;

// One running program with a socket to its standard input and one pipe from its standard output
// and error together. A child still running when the object goes is killed and reaped, so no
// program outlives its owner by accident.
class TChildProcess {
 public:
  TChildProcess() = default;
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Starts argv[0], looked up on PATH when it holds no "/". False, with `error` saying why, when
  // the program cannot be started.
  bool Start(const std::vector<std::string>& argv, std::string& error);
  bool Running() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  // Writes to the program's input; false when it no longer reads (it ended or closed it). Never
  // raises SIGPIPE.
  bool Write(std::string_view bytes);
  // Ends the program's input, as the end of a file does.
  void CloseInput();
  // The next line of its output without the line end; false at the end of the output.
  bool ReadLine(std::string& line);

  // Waits until the program ends: its exit code, or -1 when a signal ended it.
  int Wait();
  // Ends the program at once (SIGKILL) and reaps it.
  void Kill();

  int InputFd() const { return input_; }
  int OutputFd() const { return output_; }

 private:
  void CloseFds();

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string pending_;  // output read past the last line handed out
};

// What a program run to its end did.
struct TProgramRun {
  bool Started = false;
  bool TimedOut = false;   // killed after the time allowed
  bool Cancelled = false;  // killed when the token was cancelled
  bool InputDone = false;  // it took the whole input (it may have acted on it)
  int ExitCode = -1;       // -1 when a signal ended it
  std::string Output;      // its output and error text, at most the last 16 KB
  std::string Error;       // why it could not be started
};

// Runs argv with `input` on its standard input and waits for it to end, at most `timeoutSeconds`
// (then it is killed), or until `cancel` (may be null) is cancelled (then it is killed at once).
// Input and output flow at the same time, so a program that answers while it reads never
// blocks.
TProgramRun RunProgram(const std::vector<std::string>& argv, std::string_view input,
                       int timeoutSeconds, TCancelToken* cancel = nullptr);

}  // namespace tovix
