#include "core/reports/report_files.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"

namespace fs = std::filesystem;

namespace tovix {

namespace {

constexpr int kMaxThreads = 4;
constexpr size_t kFilesAheadPerThread = 2;

// The names of the regular files of each folder asked for, each folder listed once.
class TFolderListing {
 public:
  bool IsRegularFile(const fs::path& file) {
    const fs::path folder = file.parent_path();
    auto it = folders_.find(folder);
    if (it == folders_.end()) it = folders_.emplace(folder, List(folder)).first;
    return it->second.contains(file.filename().string());
  }

 private:
  static std::set<std::string> List(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
      std::error_code typeError;
      if (it->is_regular_file(typeError)) names.insert(it->path().filename().string());
    }
    return names;
  }

  std::map<fs::path, std::set<std::string>> folders_;
};

}  // namespace

std::vector<TReportFile> ListReportFiles(const std::string& pattern, std::string_view letters,
                                         int firstTurn, int lastTurn) {
  std::vector<TReportFile> files;
  TFolderListing listing;
  for (int turn = firstTurn; turn <= lastTurn; ++turn) {
    for (size_t i = 0; i < letters.size(); ++i) {
      if (letters.find(letters[i]) < i) continue;
      std::string name = FormatReportName(pattern, letters[i], turn);
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
    // One more file may be read ahead now: one worker does it.
    if (next_ < files_.size() && next_ < taken_ + window_) workReady_.notify_one();
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
