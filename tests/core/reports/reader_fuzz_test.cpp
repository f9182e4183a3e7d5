// Damaged copies of real reports, each read alone through the report reader into a fresh model:
// lines cut, deleted, swapped and repeated, numbers garbled, words replaced by numbers, tables
// cut short, tabs removed, stray bytes. The reader must neither crash nor hang, and the model it
// leaves must hold together (every reference points into the model).
//
// Fixed seeds and a fixed number of cases, so every run reads the same reports;
// TOVIX_FUZZ_SEED=<n> runs seed n instead, for exploring by hand. A case that fails keeps its
// report in the test temporary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// Enough cases to touch every kind of damage on every source, few enough to stay quick under
// the sanitizers.
constexpr uint32_t kSeeds[] = {20261206, 376172455};
constexpr int kCasesPerSeed = 150;

// The reports the damage is done to: every race of the game Orion, early and late turns, small
// and large; and, for the code of the other layouts, the small games of tests/data.
constexpr const char* kOrionSources[] = {
    "A000.txt", "A001.txt", "A002.txt", "A004.txt", "A007.txt", "A012.txt", "A025.txt", "B003.txt",
    "B009.txt", "C005.txt", "C016.txt", "D006.txt", "D021.txt", "E008.txt", "F010.txt", "G013.txt",
    "G024.txt", "H011.txt", "I021.txt", "I023.txt", "J014.txt", "J021.txt"};
constexpr std::pair<const char*, TGameType> kFixtureSources[] = {
    {"blind/A001.txt", TGameType::Blind},
    {"ngblind/A002.txt", TGameType::NGBlind},
    {"normal/A001.txt", TGameType::Normal},
    {"ng-lf/A002.txt", TGameType::NG}};

struct Source {
  std::string name;  // the file name the reader looks for
  std::string text;
  TGameType type;
};

// ---- Damage ------------------------------------------------------------------------------

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
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
  size_t Below(size_t n) { return static_cast<size_t>(Below(static_cast<int>(n))); }
  bool Chance(int percent) { return Below(100) < percent; }

  std::string NumberText() {
    static const char* const kOdd[] = {
        "",    "-",   ".",    "99999999999", "-2147483649", "1e39",      "nan",
        "inf", "0",   "-0.5", "12..3",       "4294967296",  "3.4e38",    "-1",
        "800", "801", "-801", "0x1F",        "1,5",         "2147483647"};
    if (Chance(60)) return kOdd[Below(std::size(kOdd))];
    std::string digits;
    const int n = 1 + Below(30);
    for (int i = 0; i < n; ++i) digits += static_cast<char>('0' + Below(10));
    if (Chance(30)) digits.insert(static_cast<size_t>(Below(n + 1)), ".");
    if (Chance(20)) digits.insert(0, "-");
    return digits;
  }

  // Applies one kind of damage and names it.
  std::string Apply(std::vector<std::string>& lines) {
    if (lines.empty()) lines.emplace_back();
    const size_t n = lines.size();
    switch (Below(10)) {
      case 0: {  // a line cut short
        std::string& line = lines[Below(n)];
        line.resize(Below(line.size() + 1));
        return "cut line";
      }
      case 1: {  // lines deleted
        const size_t at = Below(n);
        const size_t count = 1 + Below(std::min<size_t>(20, n - at));
        lines.erase(lines.begin() + at, lines.begin() + at + count);
        return "deleted " + std::to_string(count) + " lines";
      }
      case 2: {  // two lines swapped, near each other or anywhere
        const int a = Below(static_cast<int>(n));
        const int b = Chance(50) ? std::clamp(a + Below(7) - 3, 0, static_cast<int>(n) - 1)
                                 : Below(static_cast<int>(n));
        std::swap(lines[static_cast<size_t>(a)], lines[static_cast<size_t>(b)]);
        return "swapped lines";
      }
      case 3:  // a number garbled
        for (int attempt = 0; attempt < 20; ++attempt) {
          std::string& l = lines[Below(n)];
          const size_t digit = l.find_first_of("0123456789");
          if (digit == std::string::npos) continue;
          size_t from = l.find_first_of("0123456789", Below(l.size()));
          if (from == std::string::npos) from = digit;
          const size_t to = std::min(l.find_first_not_of("0123456789.", from), l.size());
          l.replace(from, to - from, NumberText());
          return "garbled number";
        }
        return "no number found";
      case 4: {  // a word replaced by a number
        std::string& line = lines[Below(n)];
        std::vector<std::pair<size_t, size_t>> words;
        for (size_t i = 0; i < line.size();) {
          while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
          const size_t start = i;
          while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ') ++i;
          if (i > start) words.emplace_back(start, i - start);
        }
        if (words.empty()) return "no word found";
        const auto [start, length] = words[Below(words.size())];
        line.replace(start, length, NumberText());
        return "word replaced by a number";
      }
      case 5: {  // the report ends inside a table
        std::vector<size_t> headers;
        for (size_t k = 0; k < n; ++k) {
          if (IsSectionHeader(lines[k])) headers.push_back(k);
        }
        if (headers.empty()) return "no table found";
        lines.resize(std::min(n - 1, headers[Below(headers.size())] + Below(size_t{12})) + 1);
        lines.back().resize(Below(lines.back().size() + 1));
        return "table cut short";
      }
      case 6: {  // tabs removed from all or some section headers
        const bool all = Chance(50);
        for (std::string& l : lines) {
          if (IsSectionHeader(l) && (all || Chance(30))) l.erase(0, l.find_first_not_of('\t'));
        }
        return all ? "all tabs removed" : "some tabs removed";
      }
      case 7: {  // a block of lines repeated elsewhere (a section shown twice)
        const size_t at = Below(n);
        const size_t count = 1 + Below(std::min<size_t>(15, n - at));
        const std::vector<std::string> block(lines.begin() + at, lines.begin() + at + count);
        lines.insert(lines.begin() + Below(n + 1), block.begin(), block.end());
        return "repeated " + std::to_string(count) + " lines";
      }
      case 8:  // the turn of the header
        for (std::string& l : lines) {
          const size_t game = l.find("Galaxy Game ");
          if (game == std::string::npos || !IsSectionHeader(l)) continue;
          const size_t turn = l.find(" Turn ", game);
          if (turn == std::string::npos) break;
          l.replace(turn + 6, std::min(l.find(' ', turn + 6), l.size()) - turn - 6, NumberText());
          return "header turn changed";
        }
        return "no header found";
      default:  // stray bytes, control characters and high bytes among them
        for (int k = 1 + Below(8); k > 0; --k) {
          std::string& l = lines[Below(n)];
          l.insert(Below(l.size() + 1), 1, static_cast<char>(Below(256)));
        }
        return "stray bytes";
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
  auto check = [&](bool ok, const std::string& text) {
    if (!ok && faults.size() < 10) faults.push_back(text);
  };
  std::set<const TPlanet*> planets;
  for (auto [key, p] : s.Planets) {
    planets.insert(p);
    check(!keyedByName || key == LowerCase(p->Name), "planet key " + key + " for " + p->Name);
  }
  std::set<const TPlayer*> races;
  for (auto [key, p] : s.Players) {
    races.insert(p);
    check(key == LowerCase(p->Name), "race key " + key + " for " + p->Name);
  }
  auto planetOrNull = [&](const TPlanet* p) { return !p || planets.count(p) > 0; };
  auto planetOrUnknown = [&](const TPlanet* p) { return p == s.UnknownPlanet || planetOrNull(p); };
  auto race = [&](const TPlayer* p) { return p && races.count(p) > 0; };
  auto designOf = [](const TPlayer* owner, const TShipType* type) {
    if (!type) return true;
    if (!owner) return false;
    for (auto [name, t] : owner->ShipTypes) {
      if (t == type) return true;
    }
    return false;
  };
  auto turnOk = [](int32_t t) { return t >= 0 && t <= kMaxTurn; };

  check(s.PlanetsByDistance.Count() == s.Planets.Count(), "distance index out of step");
  for (int i = 0; i < s.PlanetsByDistance.Count(); ++i) {
    const TPlanet* p = s.PlanetsByDistance.Object(i);
    check(planets.count(p) > 0, "distance index holds a planet that is gone");
    if (planets.count(p)) {
      check(s.PlanetsByDistance.Key(i) == PlanetDistanceKey(p->X, p->Y),
            "distance key of " + p->Name);
    }
  }
  for (const TPlanet* p : planets) {
    check(!p->Owner.Player() || race(p->Owner.Player()), "owner of " + p->Name);
    check(!p->LastOwner || race(p->LastOwner), "last owner of " + p->Name);
  }
  for (const TPlayer* r : races) {
    check(r->Drive.Length() <= kMaxTurn + 3 && r->PlanetCount.Length() <= kMaxTurn + 3,
          "turn arrays of " + r->Name + " too long");
    for (const auto& g : r->Groups) {
      check(g->Owner == r, "group owner of " + r->Name);
      check(planetOrUnknown(g->Planet) && g->Planet, "group planet of " + r->Name);
      check(planetOrNull(g->Origin), "group origin of " + r->Name);
      check(planetOrUnknown(g->TrackFrom) && planetOrUnknown(g->TrackTo), "track of " + r->Name);
      check(designOf(r, g->ShipType), "group design of " + r->Name);
      check(turnOk(g->Turn), "group turn " + std::to_string(g->Turn));
    }
  }
  for (auto [key, b] : s.Battles) {
    check(planets.count(b->Planet) > 0, "battle planet " + key);
    check(turnOk(b->Turn), "battle turn " + key);
    for (const auto& g : b->Groups) {
      check(race(g->Owner), "battle group owner " + key);
      check(designOf(g->Owner, g->ShipType), "battle group design " + key);
      check(g->Planet == b->Planet, "battle group planet " + key);
    }
  }
  for (auto [key, b] : s.Bombings) {
    check(planets.count(b->Planet) > 0, "bombing planet " + key);
    check(race(b->Attacker) && race(b->Defender), "bombing races " + key);
  }
  for (auto [key, r] : s.Routes) {
    check(planets.count(r->Origin) > 0, "route origin " + key);
    for (const TPlanet* p :
         {r->Mat, r->Col, r->Cap, r->Emp, r->ReportMat, r->ReportCol, r->ReportCap, r->ReportEmp}) {
      check(planetOrNull(p), "route destination " + key);
    }
  }
  for (const auto& in : s.IncomingGroups) {
    check(planetOrUnknown(in->Origin) && in->Origin, "incoming origin");
    check(planets.count(in->Destination) > 0, "incoming destination");
    check(race(in->Reporter), "incoming reporter");
  }
  check(!s.MainPlayer || race(s.MainPlayer), "main race");
  check(!s.ReportPlayer || race(s.ReportPlayer), "report race");
  check(s.FirstTurn >= -1 && s.FirstTurn <= kMaxTurn, "first turn");
  check(s.LastTurn >= -1 && s.LastTurn <= kMaxTurn, "last turn");
  check(shown.empty(), "the reader showed a message box: " + (shown.empty() ? "" : shown[0]));
  return faults;
}

// ---- The run ----------------------------------------------------------------------------------

class ReaderFuzz : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path orion = test::ReportsDir("orion");
    if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
    for (const char* name : kOrionSources) {
      sources_.push_back({name, test::ReadFileBytes(orion / name), TGameType::NG});
    }
    for (const auto& [path, type] : kFixtureSources) {
      const fs::path file = test::DataDir() / "reports" / path;
      fixtures_.push_back({file.filename().string(), test::ReadFileBytes(file), type});
    }
  }

  // Runs the cases of one seed; stops after five failing cases.
  void RunSeed(uint32_t seed) {
    Damage damage(seed);
    test::TempDir dir;
    int failures = 0;
    int unread = 0;        // loads that read no race
    int withMessages = 0;  // loads that reported faults of the report
    for (int i = 0; i < kCasesPerSeed && failures < 5; ++i) {
      // One case in five damages a report of another layout.
      const std::vector<Source>& pool = damage.Chance(20) ? fixtures_ : sources_;
      const auto& [name, text, type] = pool[damage.Below(pool.size())];
      std::vector<std::string> lines = SplitLines(text);
      std::string what =
          "seed " + std::to_string(seed) + " case " + std::to_string(i) + ": " + name;
      for (int k = 1 + damage.Below(4); k > 0; --k) what += ", " + damage.Apply(lines);
      const bool crlf = damage.Chance(20);
      const bool detect = damage.Chance(10);
      std::string report;
      for (const std::string& l : lines) report += l + (crlf ? "\r\n" : "\n");

      // One folder for all cases, emptied before each: the report keeps its letter and turn,
      // so that the reader finds it where it belongs.
      for (const auto& e : fs::directory_iterator(dir.path())) fs::remove_all(e.path());
      WriteFileAtomically(dir / name, report);
      GameState state;
      state.Settings.GameType = detect ? TGameType::Unknown : type;
      state.Settings.GameNumber = 1;
      state.Settings.IniPath = (dir.path() / "Tovix.ini").string();
      state.Settings.spelD = (dir.path() / "%1s%0.03d.txt").string();
      state.Settings.spelC = std::string(1, name[0]);
      SetReportLayout(state.Layout, type);
      test::RecordingUserInterface ui;

      std::vector<std::string> faults;
      try {
        TReportReader reader(state, ui, dir.path());
        unread += reader.LoadAllReports() ? 0 : 1;
        withMessages += reader.Messages().empty() ? 0 : 1;
      } catch (const std::exception& e) {
        faults.push_back(std::string("the load raised: ") + e.what());
      }
      for (const std::string& f : ModelFaults(state, ui.messages)) faults.push_back(f);
      // A group row naming an unknown planet leaves the planet list in the program folder.
      const fs::path dump = dir / "DumpList.log";
      if (fs::exists(dump) &&
          test::ReadFileBytes(dump).rfind("Dump of planets, search for ", 0) != 0) {
        faults.push_back("DumpList.log does not begin with its heading");
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
    std::printf("seed %u: %d cases, %d read nothing, %d gave messages\n", seed, kCasesPerSeed,
                unread, withMessages);
  }

  std::vector<Source> sources_;
  std::vector<Source> fixtures_;
};

TEST_F(ReaderFuzz, DamagedReportsLeaveASoundModel) {
  if (const char* seed = std::getenv("TOVIX_FUZZ_SEED")) {
    RunSeed(static_cast<uint32_t>(std::stoul(seed)));
    return;
  }
  for (const uint32_t seed : kSeeds) RunSeed(seed);
}

}  // namespace
}  // namespace tovix
