#pragma once
// Finding a game's report files, and reading and splitting them into lines ahead of the
// reader.
//
// The reports are found by listing each folder once instead of asking for every turn's name
// (most of the 801 names of each letter do not exist); the list comes in the order the reader
// reads them: turn by turn, and within a turn the letters in the order given.
//
// Reading a file and splitting it into lines does not depend on the game, so it is done on
// worker threads while the reader builds the model from the reports before it, on its own
// thread and in turn order. A few reports are read ahead at most, so memory stays small.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/text/str_parse.h"

namespace tovix {

struct TReportFile {
  int Turn = 0;
  int LetterIndex = 0;  // 1-based place of the letter in the letters given
  std::string FileName;
};

// The report files of `letters` (a letter given twice counts once) for turns `firstTurn` to
// `lastTurn`, named by `pattern` (FormatReportName), that exist as regular files (links to
// regular files included), in reading order. A folder that cannot be listed holds none.
std::vector<TReportFile> ListReportFiles(const std::string& pattern, std::string_view letters,
                                         int firstTurn, int lastTurn);

// The worker threads a load uses by default: a few, fewer on a small machine.
int DefaultReadThreads();

// Reads the given files, in order, each into a line parser made by `makeParser` (with its word
// parser) after `prepare` has mended its text, and splits the words of every line; `threads`
// workers do it ahead of Take (none: Take does it).
class TReportPrefetcher {
 public:
  using Prepare = std::function<void(std::string&)>;
  using MakeParser = std::function<std::unique_ptr<TZnStrParse>()>;

  TReportPrefetcher(std::vector<std::string> files, int threads, Prepare prepare,
                    MakeParser makeParser);
  ~TReportPrefetcher();
  TReportPrefetcher(const TReportPrefetcher&) = delete;
  TReportPrefetcher& operator=(const TReportPrefetcher&) = delete;

  // Waits for file `index`, then hands its text and lines to `lines` (TZnStrParse::TakeText)
  // and its words to `words`.
  // Files are taken in rising order, each once. What reading the file raised is raised here.
  void Take(size_t index, TZnStrParse& lines, TLineWords& words);

 private:
  struct TSlot {
    std::unique_ptr<TZnStrParse> lines;
    TLineWords words;
    std::exception_ptr error;
    bool ready = false;
  };

  void Work();
  void Read(size_t index, TSlot& slot);

  std::vector<std::string> files_;
  Prepare prepare_;
  MakeParser makeParser_;
  std::vector<TSlot> slots_;
  // Files read ahead of the one taken at most.
  size_t window_ = 0;
  std::mutex mutex_;
  std::condition_variable workReady_;  // a worker may claim a file, or must stop
  std::condition_variable fileReady_;  // a file was read
  size_t next_ = 0;                    // the next file a worker claims
  size_t taken_ = 0;                   // files taken so far
  static constexpr size_t kNotWaiting = SIZE_MAX;
  size_t waitingFor_ = kNotWaiting;  // the file Take waits for
  bool stop_ = false;
  std::vector<std::thread> workers_;
  // Word arrays of reports taken, to be filled again rather than allocated for every report.
  std::mutex spareMutex_;
  std::vector<TLineWords> spareWords_;
};

}  // namespace tovix
