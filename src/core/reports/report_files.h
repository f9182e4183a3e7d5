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

#include "core/reports/report_rows.h"

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

// Reads the given files, in order, each into a TPreparedReport (its text split into lines) and
// hands it to `prepare` for what more can be done without the model; `threads` workers do it
// ahead of Take (none: Take does it).
class TReportPrefetcher {
 public:
  using Prepare = std::function<void(TPreparedReport&)>;

  TReportPrefetcher(std::vector<std::string> files, int threads, Prepare prepare = {});
  ~TReportPrefetcher();
  TReportPrefetcher(const TReportPrefetcher&) = delete;
  TReportPrefetcher& operator=(const TReportPrefetcher&) = delete;

  // Waits for file `index` and hands it over. Files are taken in rising order, each once. What
  // reading the file raised is raised here.
  std::unique_ptr<TPreparedReport> Take(size_t index);
  // A report taken and done with: its arrays serve a later one.
  void Recycle(std::unique_ptr<TPreparedReport> report);

 private:
  struct TSlot {
    std::unique_ptr<TPreparedReport> report;
    std::exception_ptr error;
    bool ready = false;
  };

  void Work();
  void Read(size_t index, TSlot& slot);

  std::vector<std::string> files_;
  Prepare prepare_;
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
  // Reports done with, to be filled again rather than allocated for every report.
  std::mutex spareMutex_;
  std::vector<std::unique_ptr<TPreparedReport>> spare_;
};

}  // namespace tovix
