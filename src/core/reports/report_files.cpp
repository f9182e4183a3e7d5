#include "core/reports/report_files.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <list>
#include <system_error>
#include <unordered_set>
#include <utility>

#include "core/base/errors.h"
#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"

namespace fs = std::filesystem;

namespace tovix {

namespace {

constexpr int kMaxThreads = 4;
constexpr size_t kFilesAheadPerThread = 2;

// The names of the regular files of each folder asked for, each folder listed once.
class TFolderListing {
 public:
  bool IsRegularFile(std::string_view file) {
    // The folder as fs::path::parent_path gives it for a plain path.
    const size_t slash = file.rfind('/');
    const std::string_view folder = slash == std::string_view::npos
                                        ? std::string_view()
                                        : file.substr(0, slash == 0 ? 1 : slash);
    const std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
    if (!last_ || last_->folder != folder) {
      auto it = std::find_if(folders_.begin(), folders_.end(),
                             [&](const TFolder& f) { return f.folder == folder; });
      if (it == folders_.end()) {
        folders_.push_back(TFolder{std::string(folder), List(std::string(folder))});
        it = std::prev(folders_.end());
      }
      last_ = &*it;
    }
    return last_->names.contains(std::string(name));
  }

 private:
  struct TFolder {
    std::string folder;
    std::unordered_set<std::string> names;
  };
  static std::unordered_set<std::string> List(const std::string& folder) {
    std::unordered_set<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
      std::error_code typeError;
      if (it->is_regular_file(typeError)) names.insert(it->path().filename().string());
    }
    return names;
  }

  std::list<TFolder> folders_;  // a list: last_ stays valid
  const TFolder* last_ = nullptr;
};

// A report pattern cut at its two directives (the letter's, then the turn's), so that a name is
// made by joining pieces: the 801 turns of each letter are many names.
struct TPatternPieces {
  explicit TPatternPieces(std::string_view pattern) {
    const std::string error = ReportPatternError(pattern);
    if (!error.empty()) throw TovixError(error);
    std::string* literal = &prefix;
    for (size_t i = 0; i < pattern.size();) {
      if (pattern[i] != '%') {
        *literal += pattern[i++];
      } else if (pattern[i + 1] == '%') {  // the pattern is sound: a '%' is never last
        *literal += '%';
        i += 2;
      } else {
        const size_t end = pattern.find_first_of("sd", i);
        (pattern[end] == 's' ? letterDirective : turnDirective) = pattern.substr(i, end + 1 - i);
        literal = pattern[end] == 's' ? &middle : &suffix;
        i = end + 1;
      }
    }
  }
  std::string prefix, letterDirective, middle, turnDirective, suffix;
};

}  // namespace

std::vector<TReportFile> ListReportFiles(const std::string& pattern, std::string_view letters,
                                         int firstTurn, int lastTurn) {
  std::vector<TReportFile> files;
  const TPatternPieces pieces(pattern);
  std::vector<std::string> letterParts;
  for (const char letter : letters) {
    letterParts.push_back(pieces.prefix + Fmt(pieces.letterDirective, std::string(1, letter)) +
                          pieces.middle);
  }
  TFolderListing listing;
  for (int turn = firstTurn; turn <= lastTurn; ++turn) {
    const std::string turnPart = Fmt(pieces.turnDirective, turn) + pieces.suffix;
    for (size_t i = 0; i < letters.size(); ++i) {
      if (letters.find(letters[i]) < i) continue;
      std::string name = letterParts[i] + turnPart;
      if (listing.IsRegularFile(name)) {
        files.push_back({turn, static_cast<int>(i) + 1, std::move(name)});
      }
    }
  }
  return files;
}

int DefaultReadThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores <= 1 ? 0 : std::min(kMaxThreads, static_cast<int>(cores) - 1);
}

TReportPrefetcher::TReportPrefetcher(std::vector<std::string> files, int threads, Prepare prepare)
    : files_(std::move(files)), prepare_(std::move(prepare)), slots_(files_.size()) {
  threads = std::clamp(threads, 0, kMaxThreads);
  if (files_.size() < 2) threads = 0;
  window_ = kFilesAheadPerThread * static_cast<size_t>(threads);
  workers_.reserve(static_cast<size_t>(threads));
  for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
}

TReportPrefetcher::~TReportPrefetcher() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  workReady_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void TReportPrefetcher::Read(size_t index, TSlot& slot) {
  try {
    std::string text = LoadFileToString(files_[index]);
    {
      std::lock_guard lock(spareMutex_);
      if (!spare_.empty()) {
        slot.report = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    if (!slot.report) slot.report = std::make_unique<TPreparedReport>();
    slot.report->SetText(std::move(text));
    if (prepare_) prepare_(*slot.report);
  } catch (...) {
    slot.report.reset();
    slot.error = std::current_exception();
  }
}

void TReportPrefetcher::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    workReady_.wait(
        lock, [this] { return stop_ || (next_ < files_.size() && next_ < taken_ + window_); });
    if (stop_) return;
    const size_t index = next_++;
    lock.unlock();
    TSlot done;
    Read(index, done);
    lock.lock();
    slots_[index] = std::move(done);
    slots_[index].ready = true;
    // Waking the reader costs a switch of threads: only when it waits for this file.
    if (waitingFor_ == index) fileReady_.notify_one();
  }
}

std::unique_ptr<TPreparedReport> TReportPrefetcher::Take(size_t index) {
  TSlot slot;
  if (workers_.empty()) {
    Read(index, slot);
  } else {
    std::unique_lock lock(mutex_);
    // A file no worker has claimed yet is read here rather than waited for.
    if (next_ <= index) {
      next_ = index + 1;
      lock.unlock();
      Read(index, slot);
      lock.lock();
    } else {
      if (!slots_[index].ready) {
        waitingFor_ = index;
        fileReady_.wait(lock, [&] { return slots_[index].ready; });
        waitingFor_ = kNotWaiting;
      }
      slot = std::move(slots_[index]);
    }
    taken_ = std::max(taken_, index + 1);
    // Waking a worker costs a switch of threads: the workers are woken when a file for each
    // may be read ahead, not for every file taken.
    if (next_ < files_.size() && next_ + workers_.size() <= taken_ + window_)
      workReady_.notify_all();
  }
  if (slot.error) std::rethrow_exception(slot.error);
  return std::move(slot.report);
}

void TReportPrefetcher::Recycle(std::unique_ptr<TPreparedReport> report) {
  if (!report) return;
  std::lock_guard lock(spareMutex_);
  if (spare_.size() <= window_) spare_.push_back(std::move(report));
}

}  // namespace tovix
