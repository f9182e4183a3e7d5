// Damaged copies of real reports, each read alone through the report reader into a fresh model:
// lines cut, deleted, swapped and repeated, numbers garbled, words replaced by numbers, tables
// cut short, tabs removed, stray bytes. The reader must neither crash nor hang, and the model it
// leaves must hold together (every reference points into the model).
//
// Two runs: a fixed seed and a random one that is printed; TOVIX_FUZZ_SEED=<n> replays a seed
// (and TOVIX_FUZZ_ONLY=<case> one case of it). A case that fails keeps its report in the test
// temporary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "core/file_utils.h"
#include "core/game_state.h"
#include "core/report_layout.h"
#include "core/report_reader.h"
#include "core/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kFixedSeed = 20261206;
constexpr int kCasesPerSeed = 1300;
// One report takes milliseconds; this only catches a reader that never comes back.
constexpr auto kLoadLimit = std::chrono::seconds(30);

// The reports the damage is done to: every race of the game Orion, early and late turns, small
// and large; and, for the code of the other layouts, the small games of tests/data.
constexpr const char* kOrionSources[] = {
    "A000.txt", "A001.txt", "A002.txt", "A004.txt", "A007.txt", "A012.txt", "A025.txt", "B003.txt",
    "B009.txt", "C005.txt", "C016.txt", "D006.txt", "D021.txt", "E008.txt", "F010.txt", "G013.txt",
    "G024.txt", "H011.txt", "I021.txt", "I023.txt", "J014.txt", "J021.txt"};

struct FixtureSource {
  const char* path;  // under tests/data/reports
  TGameType type;
};
constexpr FixtureSource kFixtureSources[] = {{"blind/A001.txt", TGameType::Blind},
                                             {"ngblind/A002.txt", TGameType::NGBlind},
                                             {"normal/A001.txt", TGameType::Normal},
                                             {"ng-lf/A002.txt", TGameType::NG}};

struct Source {
  std::string name;  // the file name the reader looks for
  std::string text;
  TGameType type;
};

// Aborts the test program when one load takes longer than the limit, naming the case, so a
// hang shows up as a failure with its seed instead of a time-out of the whole run.
class Watchdog {
 public:
  Watchdog() : thread_([this] { Run(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void Arm(std::string what) {
    std::lock_guard<std::mutex> lock(mutex_);
    what_ = std::move(what);
    deadline_ = Clock::now() + kLoadLimit;
    armed_ = true;
  }
  void Disarm() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
      wake_.wait_for(lock, std::chrono::milliseconds(200));
      if (armed_ && Clock::now() > deadline_) {
        std::fprintf(stderr, "reader_fuzz_test: a load did not come back: %s\n", what_.c_str());
        std::abort();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::string what_;
  Clock::time_point deadline_{};
  bool armed_ = false;
  bool stop_ = false;
  std::thread thread_;
};

// ---- Damage ------------------------------------------------------------------------------

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool IsSectionHeader(const std::string& line) {
  return line.size() > 2 && line[0] == '\t';
}

class Damage {
 public:
  explicit Damage(uint32_t seed) : rng_(seed) {}

  int Below(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int percent) { return Below(100) < percent; }

  std::string NumberText() {
    static const char* const kOdd[] = {
        "",    "-",   ".",    "99999999999", "-2147483649", "1e39",      "nan",
        "inf", "0",   "-0.5", "12..3",       "4294967296",  "3.4e38",    "-1",
        "800", "801", "-801", "0x1F",        "1,5",         "2147483647"};
    if (Chance(60)) return kOdd[Below(static_cast<int>(std::size(kOdd)))];
    std::string digits;
    int n = 1 + Below(30);
    for (int i = 0; i < n; ++i) digits += static_cast<char>('0' + Below(10));
    if (Chance(30)) digits.insert(static_cast<size_t>(Below(n + 1)), ".");
    if (Chance(20)) digits.insert(0, "-");
    return digits;
  }

  // Applies one kind of damage and names it.
  std::string Apply(std::vector<std::string>& lines) {
    if (lines.empty()) lines.emplace_back();
    const int n = static_cast<int>(lines.size());
    switch (Below(10)) {
      case 0: {  // a line cut short
        std::string& l = lines[static_cast<size_t>(Below(n))];
        l.resize(static_cast<size_t>(Below(static_cast<int>(l.size()) + 1)));
        return "cut line";
      }
      case 1: {  // lines deleted
        int at = Below(n);
        int count = 1 + Below(std::min(20, n - at));
        lines.erase(lines.begin() + at, lines.begin() + at + count);
        return "deleted " + std::to_string(count) + " lines";
      }
      case 2: {  // two lines swapped, near each other or anywhere
        int a = Below(n);
        int b = Chance(50) ? std::clamp(a + Below(7) - 3, 0, n - 1) : Below(n);
        std::swap(lines[static_cast<size_t>(a)], lines[static_cast<size_t>(b)]);
        return "swapped lines";
      }
      case 3: {  // a number garbled
        for (int attempt = 0; attempt < 20; ++attempt) {
          std::string& l = lines[static_cast<size_t>(Below(n))];
          size_t digit = l.find_first_of("0123456789");
          if (digit == std::string::npos) continue;
          size_t from =
              l.find_first_of("0123456789", static_cast<size_t>(Below(static_cast<int>(l.size()))));
          if (from == std::string::npos) from = digit;
          size_t to = l.find_first_not_of("0123456789.", from);
          l.replace(from, (to == std::string::npos ? l.size() : to) - from, NumberText());
          return "garbled number";
        }
        return "no number found";
      }
      case 4: {  // a word replaced by a number
        std::string& l = lines[static_cast<size_t>(Below(n))];
        std::vector<std::pair<size_t, size_t>> words;
        size_t i = 0;
        while (i < l.size()) {
          while (i < l.size() && static_cast<unsigned char>(l[i]) <= ' ') ++i;
          size_t start = i;
          while (i < l.size() && static_cast<unsigned char>(l[i]) > ' ') ++i;
          if (i > start) words.emplace_back(start, i - start);
        }
        if (words.empty()) return "no word found";
        auto [start, length] = words[static_cast<size_t>(Below(static_cast<int>(words.size())))];
        l.replace(start, length, NumberText());
        return "word replaced by a number";
      }
      case 5: {  // the report ends inside a table
        std::vector<int> headers;
        for (int k = 0; k < n; ++k) {
          if (IsSectionHeader(lines[static_cast<size_t>(k)])) headers.push_back(k);
        }
        if (headers.empty()) return "no table found";
        int cut =
            std::min(n - 1, headers[static_cast<size_t>(Below(static_cast<int>(headers.size())))] +
                                Below(12));
        lines.resize(static_cast<size_t>(cut) + 1);
        std::string& last = lines.back();
        last.resize(static_cast<size_t>(Below(static_cast<int>(last.size()) + 1)));
        return "table cut short";
      }
      case 6: {  // tabs removed from all or some section headers
        bool all = Chance(50);
        for (std::string& l : lines) {
          if (IsSectionHeader(l) && (all || Chance(30))) l.erase(0, l.find_first_not_of('\t'));
        }
        return all ? "all tabs removed" : "some tabs removed";
      }
      case 7: {  // a block of lines repeated elsewhere (a section shown twice)
        int at = Below(n);
        int count = 1 + Below(std::min(15, n - at));
        std::vector<std::string> block(lines.begin() + at, lines.begin() + at + count);
        int to = Below(static_cast<int>(lines.size()) + 1);
        lines.insert(lines.begin() + to, block.begin(), block.end());
        return "repeated " + std::to_string(count) + " lines";
      }
      case 8: {  // the turn of the header
        for (std::string& l : lines) {
          size_t p = l.find("Galaxy Game ");
          if (p == std::string::npos || !IsSectionHeader(l)) continue;
          size_t turn = l.find(" Turn ", p);
          if (turn == std::string::npos) break;
          size_t from = turn + 6;
          size_t to = l.find(' ', from);
          l.replace(from, (to == std::string::npos ? l.size() : to) - from, NumberText());
          return "header turn changed";
        }
        return "no header found";
      }
      default: {  // stray bytes, control characters and high bytes among them
        int count = 1 + Below(8);
        for (int k = 0; k < count; ++k) {
          std::string& l = lines[static_cast<size_t>(Below(static_cast<int>(lines.size())))];
          l.insert(static_cast<size_t>(Below(static_cast<int>(l.size()) + 1)), 1,
                   static_cast<char>(Below(256)));
        }
        return "stray bytes";
      }
    }
  }

 private:
  std::mt19937 rng_;
};

// ---- What holds whatever the input -----------------------------------------------------------

std::vector<std::string> ModelFaults(const GameState& s, const std::vector<std::string>& shown) {
  // Blind games key systems by number where they have one.
  const bool keyedByName = s.Settings.GameType != TGameType::Blind;
  std::vector<std::string> faults;
  auto fault = [&](const std::string& text) {
    if (faults.size() < 10) faults.push_back(text);
  };
  std::set<const TPlanet*> planets;
  for (auto [key, p] : s.Planets) {
    planets.insert(p);
    if (keyedByName && key != LowerCase(p->Name)) fault("planet key " + key + " for " + p->Name);
  }
  std::set<const TPlayer*> races;
  for (auto [key, p] : s.Players) {
    races.insert(p);
    if (key != LowerCase(p->Name)) fault("race key " + key + " for " + p->Name);
  }
  auto planetOrNull = [&](const TPlanet* p) { return !p || planets.count(p) > 0; };
  auto planetOrUnknown = [&](const TPlanet* p) {
    return p == s.UnknownPlanet || planets.count(p) > 0;
  };
  auto raceOrNull = [&](const TPlayer* p) { return !p || races.count(p) > 0; };
  auto designOf = [](const TPlayer* race, const TShipType* type) {
    if (!type) return true;
    if (!race) return false;
    for (auto [name, t] : race->ShipTypes) {
      if (t == type) return true;
    }
    return false;
  };
  auto turnOk = [](int32_t t) { return t >= 0 && t <= kMaxTurn; };

  if (s.PlanetsByDistance.Count() != s.Planets.Count()) fault("distance index out of step");
  for (int i = 0; i < s.PlanetsByDistance.Count(); ++i) {
    const TPlanet* p = s.PlanetsByDistance.Object(i);
    if (!planets.count(p)) {
      fault("distance index holds a planet that is gone");
    } else if (s.PlanetsByDistance.Key(i) != PlanetDistanceKey(p->X, p->Y)) {
      fault("distance key of " + p->Name);
    }
  }
  for (const TPlanet* p : planets) {
    if (!raceOrNull(p->Owner.Player())) fault("owner of " + p->Name);
    if (!raceOrNull(p->LastOwner)) fault("last owner of " + p->Name);
  }
  for (const TPlayer* race : races) {
    if (race->Drive.Length() > kMaxTurn + 3 || race->PlanetCount.Length() > kMaxTurn + 3) {
      fault("turn arrays of " + race->Name + " too long");
    }
    for (const auto& g : race->Groups) {
      if (g->Owner != race) fault("group owner of " + race->Name);
      if (!planetOrUnknown(g->Planet)) fault("group planet of " + race->Name);
      if (!planetOrNull(g->Origin)) fault("group origin of " + race->Name);
      if (g->TrackFrom != s.UnknownPlanet && !planetOrNull(g->TrackFrom)) fault("track from");
      if (g->TrackTo != s.UnknownPlanet && !planetOrNull(g->TrackTo)) fault("track to");
      if (!designOf(race, g->ShipType)) fault("group design of " + race->Name);
      if (!turnOk(g->Turn)) fault("group turn " + std::to_string(g->Turn));
    }
  }
  for (auto [key, b] : s.Battles) {
    if (!planets.count(b->Planet)) fault("battle planet " + key);
    if (!turnOk(b->Turn)) fault("battle turn " + key);
    for (const auto& g : b->Groups) {
      if (!g->Owner || !races.count(g->Owner)) fault("battle group owner " + key);
      if (!designOf(g->Owner, g->ShipType)) fault("battle group design " + key);
      if (g->Planet != b->Planet) fault("battle group planet " + key);
    }
  }
  for (auto [key, b] : s.Bombings) {
    if (!planets.count(b->Planet)) fault("bombing planet " + key);
    if (!b->Attacker || !races.count(b->Attacker)) fault("bombing attacker " + key);
    if (!b->Defender || !races.count(b->Defender)) fault("bombing defender " + key);
  }
  for (auto [key, r] : s.Routes) {
    if (!planets.count(r->Origin)) fault("route origin " + key);
    for (const TPlanet* p :
         {r->Mat, r->Col, r->Cap, r->Emp, r->ReportMat, r->ReportCol, r->ReportCap, r->ReportEmp}) {
      if (!planetOrNull(p)) fault("route destination " + key);
    }
  }
  for (const auto& in : s.IncomingGroups) {
    if (!planetOrUnknown(in->Origin)) fault("incoming origin");
    if (!planets.count(in->Destination)) fault("incoming destination");
    if (!raceOrNull(in->Reporter) || !in->Reporter) fault("incoming reporter");
  }
  if (!raceOrNull(s.MainPlayer)) fault("main race");
  if (!raceOrNull(s.ReportPlayer)) fault("report race");
  if (s.FirstTurn < -1 || s.FirstTurn > kMaxTurn) fault("first turn");
  if (s.LastTurn < -1 || s.LastTurn > kMaxTurn) fault("last turn");
  if (!shown.empty()) fault("the reader showed a message box: " + shown.front());
  return faults;
}

// ---- The run ----------------------------------------------------------------------------------

uint32_t RandomSeed() {
  if (const char* s = std::getenv("TOVIX_FUZZ_SEED")) return static_cast<uint32_t>(std::stoul(s));
  return std::random_device{}();
}

int OnlyCase() {
  const char* s = std::getenv("TOVIX_FUZZ_ONLY");
  return s ? std::atoi(s) : -1;
}

class ReaderFuzz : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path orion = test::ReportsDir("orion");
    if (orion.empty()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    for (const char* name : kOrionSources) {
      sources_.push_back({name, test::ReadFileBytes(orion / name), TGameType::NG});
    }
    for (const FixtureSource& f : kFixtureSources) {
      const fs::path path = test::DataDir() / "reports" / f.path;
      fixtures_.push_back({path.filename().string(), test::ReadFileBytes(path), f.type});
    }
  }

  // Runs the cases of one seed; stops after five failing cases.
  void RunSeed(uint32_t seed) {
    Damage damage(seed);
    Watchdog watchdog;
    test::TempDir dir;
    const int only = OnlyCase();
    int failures = 0;
    int unread = 0;        // loads that read no race
    int withMessages = 0;  // loads that reported faults of the report
    int dumps = 0;         // loads that wrote DumpList.log
    Clock::duration slowest{};
    const auto start = Clock::now();
    for (int i = 0; i < kCasesPerSeed && failures < 5; ++i) {
      // One case in five damages a report of another layout.
      const std::vector<Source>& pool = damage.Chance(20) ? fixtures_ : sources_;
      const auto& [name, text, type] =
          pool[static_cast<size_t>(damage.Below(static_cast<int>(pool.size())))];
      std::vector<std::string> lines = SplitLines(text);
      std::string what =
          "seed " + std::to_string(seed) + " case " + std::to_string(i) + ": " + name;
      int kinds = 1 + damage.Below(4);
      for (int k = 0; k < kinds; ++k) what += ", " + damage.Apply(lines);
      const bool crlf = damage.Chance(20);
      const bool detect = damage.Chance(10);
      std::string report;
      for (const std::string& l : lines) report += l + (crlf ? "\r\n" : "\n");
      if (only >= 0 && i != only) continue;

      // One folder for all cases, emptied before each: the report keeps its letter and turn,
      // so that the reader finds it where it belongs.
      for (const auto& e : fs::directory_iterator(dir.path())) fs::remove_all(e.path());
      const fs::path file = dir / name;
      {
        std::ofstream out(file, std::ios::binary);
        out << report;
      }
      GameState state;
      state.Settings.GameType = detect ? TGameType::Unknown : type;
      state.Settings.GameNumber = 1;
      state.Settings.IniPath = (dir.path() / "Tovix.ini").string();
      state.Settings.spelD = (dir.path() / "%1s%0.03d.txt").string();
      state.Settings.spelC = std::string(1, name[0]);
      SetReportLayout(state.Layout, type);
      test::RecordingUserInterface ui;

      const auto loadStart = Clock::now();
      watchdog.Arm(what);
      bool threw = false;
      std::string error;
      try {
        TReportReader reader(state, ui, dir.path());
        if (!reader.LoadAllReports()) ++unread;
        if (!reader.Messages().empty()) ++withMessages;
      } catch (const std::exception& e) {
        threw = true;
        error = e.what();
      }
      watchdog.Disarm();
      slowest = std::max(slowest, Clock::now() - loadStart);

      std::vector<std::string> faults = ModelFaults(state, ui.messages);
      if (threw) faults.insert(faults.begin(), "the load raised: " + error);
      // A group row naming an unknown planet leaves the planet list in the program folder.
      const fs::path dump = dir / "DumpList.log";
      if (fs::exists(dump)) {
        ++dumps;
        if (test::ReadFileBytes(dump).rfind("Dump of planets, search for ", 0) != 0) {
          faults.push_back("DumpList.log does not begin with its heading");
        }
      }
      if (!faults.empty()) {
        ++failures;
        const fs::path kept =
            fs::path(testing::TempDir()) /
            ("reader-fuzz-" + std::to_string(seed) + "-" + std::to_string(i) + ".txt");
        WriteFileAtomically(kept, report);
        std::string all;
        for (const std::string& f : faults) all += "\n  " + f;
        ADD_FAILURE() << what << " (report kept as " << kept.string() << ")" << all;
      }
    }
    const auto ms = [](Clock::duration d) {
      return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    std::printf(
        "seed %u: %d cases in %lld ms, slowest load %lld ms; %d read nothing, %d gave messages, "
        "%d wrote DumpList.log\n",
        seed, kCasesPerSeed, static_cast<long long>(ms(Clock::now() - start)),
        static_cast<long long>(ms(slowest)), unread, withMessages, dumps);
  }

  std::vector<Source> sources_;
  std::vector<Source> fixtures_;
};

TEST_F(ReaderFuzz, FixedSeed) {
  RunSeed(kFixedSeed);
}

TEST_F(ReaderFuzz, RandomSeed) {
  const uint32_t seed = RandomSeed();
  std::printf("random seed %u (replay with TOVIX_FUZZ_SEED=%u)\n", seed, seed);
  RecordProperty("seed", std::to_string(seed));
  RunSeed(seed);
}

}  // namespace
}  // namespace tovix
