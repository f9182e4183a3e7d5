// The report reader's and the variant detection's patterns over every line of the orion
// reports, with our engine, PCRE2 (interpreted, no JIT) and std::regex (ECMAScript), in one
// run. Prints the time ratios at the end. Aim: ours within 3x of PCRE2, faster than std::regex.

#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/regex/regex.h"
#include "core/reports/add_tabs.h"
#include "core/text/file_utils.h"

namespace {

using tovix::TznreExpr;

// Every line of every turn report of the orion game; empty when the reports are not here.
const std::vector<std::string>& ReportLines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    const std::filesystem::path dir = std::filesystem::path(TOVIX_REPORTS_DIR) / "orion";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return out;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().extension() != ".txt") continue;
      const std::string text = tovix::LoadFileToString(entry.path());
      size_t start = 0;
      while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        out.push_back(text.substr(start, stop - start));
        start = end + 1;
      }
    }
    return out;
  }();
  return lines;
}

struct PatternSet {
  const char* name;
  std::vector<std::string> patterns;
};

// The tab repair's heading pattern and the layout's section patterns, as the reader runs them.
const PatternSet kReader{
    "reader",
    {std::string(tovix::kSectionHeadingPattern), "^\t+Galaxy Game \\w+ \\w+ \\w+ \\w+",
     "^\t+Your Options\\W*$", "^\t+Status of Players\\W*$"}};
const PatternSet kDetector{
    "detector",
    {"(^\\W*Galaxy Game \\w+ \\w+ \\w+ \\w+)|(^\\W*Blind Galaxy game)|(^\\W*\\w+ Report for "
     "Galaxy PLUS)|(^\\W*GalaxyNG-Blind Game)",
     "^\\W*GalaxyNG release", "^\\W*GalaxyNT release"}};

// Our syntax (default options) to PCRE2 / ECMAScript. The benchmark patterns use literal
// text, groups, "|", "^", "$", "*", "+", "\w" and "\W", which both spell alike; braces are
// literal here and need quoting there. Anything else is refused rather than guessed.
std::string Translate(const std::string& ours) {
  std::string out;
  for (size_t i = 0; i < ours.size(); ++i) {
    const char c = ours[i];
    if (c == '\\') {
      const char next = i + 1 < ours.size() ? ours[i + 1] : '\0';
      if (next != 'w' && next != 'W')
        throw std::runtime_error("no translation for \\" + std::string(1, next));
      out += c;
      out += next;
      ++i;
    } else if (c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (c == '[' || c == '.' || c == '?') {
      throw std::runtime_error("no translation for " + std::string(1, c));
    } else {
      out += c;
    }
  }
  return out;
}

class Pcre2Engine {
 public:
  explicit Pcre2Engine(const std::string& pattern) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), 0, &error,
                          &offset, nullptr);
    if (!code_) throw std::runtime_error("PCRE2 refused " + pattern);
    data_ = pcre2_match_data_create_from_pattern(code_, nullptr);
  }
  ~Pcre2Engine() {
    pcre2_match_data_free(data_);
    pcre2_code_free(code_);
  }
  Pcre2Engine(const Pcre2Engine&) = delete;
  Pcre2Engine& operator=(const Pcre2Engine&) = delete;
  bool Matches(const std::string& line) {
    return pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), 0, 0, data_,
                       nullptr) > 0;
  }

 private:
  pcre2_code* code_ = nullptr;
  pcre2_match_data* data_ = nullptr;
};

class OursEngine {
 public:
  explicit OursEngine(const std::string& pattern) { expr_.SetPattern(pattern); }
  bool Matches(const std::string& line) {
    expr_.SetStr(line);
    return expr_.Search(1) > 0;
  }

 private:
  TznreExpr expr_;
};

class StdRegexEngine {
 public:
  explicit StdRegexEngine(const std::string& pattern) : regex_(pattern, std::regex::ECMAScript) {}
  bool Matches(const std::string& line) { return std::regex_search(line, match_, regex_); }

 private:
  std::regex regex_;
  std::smatch match_;
};

std::map<std::string, double> g_matches;  // benchmark name -> matching (line, pattern) pairs

template <class Engine>
void RunSet(benchmark::State& state, const PatternSet* set, bool translate,
            const std::string& key) {
  const std::vector<std::string>& lines = ReportLines();
  std::vector<std::unique_ptr<Engine>> engines;
  for (const std::string& p : set->patterns) {
    engines.push_back(std::make_unique<Engine>(translate ? Translate(p) : p));
  }
  long matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (const std::string& line : lines) {
      for (auto& engine : engines) matches += engine->Matches(line) ? 1 : 0;
    }
    benchmark::DoNotOptimize(matches);
  }
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["matches"] = static_cast<double>(matches);
  g_matches[key] = static_cast<double>(matches);
}

// Collects the times of the runs to print their ratios after the normal report.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  int PrintRatios() const {
    int status = 0;
    for (const PatternSet* set : {&kReader, &kDetector}) {
      const std::string base = std::string(set->name) + "/";
      const auto ours = times_.find(base + "ours");
      const auto pcre = times_.find(base + "pcre2");
      const auto stdre = times_.find(base + "std_regex");
      if (ours == times_.end() || pcre == times_.end() || stdre == times_.end()) continue;
      std::printf("%-9s ours/pcre2 = %.2f (aim <= 3)   ours/std::regex = %.3f (aim < 1)\n",
                  set->name, ours->second / pcre->second, ours->second / stdre->second);
      const double m = g_matches.at(base + "ours");
      if (g_matches.at(base + "pcre2") != m || g_matches.at(base + "std_regex") != m) {
        std::printf("%-9s MATCH COUNTS DIFFER: ours %.0f, pcre2 %.0f, std::regex %.0f\n", set->name,
                    m, g_matches.at(base + "pcre2"), g_matches.at(base + "std_regex"));
        status = 1;
      }
    }
    return status;
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (ReportLines().empty()) {
    std::printf("skipped: no orion reports under %s\n", TOVIX_REPORTS_DIR);
    return 0;
  }
  std::printf("%zu report lines\n", ReportLines().size());
  for (const PatternSet* set : {&kReader, &kDetector}) {
    const std::string ours = std::string(set->name) + "/ours";
    const std::string pcre = std::string(set->name) + "/pcre2";
    const std::string stdre = std::string(set->name) + "/std_regex";
    benchmark::RegisterBenchmark(ours.c_str(), [set, ours](benchmark::State& state) {
      RunSet<OursEngine>(state, set, false, ours);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(pcre.c_str(), [set, pcre](benchmark::State& state) {
      RunSet<Pcre2Engine>(state, set, true, pcre);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(stdre.c_str(), [set, stdre](benchmark::State& state) {
      RunSet<StdRegexEngine>(state, set, true, stdre);
    })->Unit(benchmark::kMillisecond);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.PrintRatios();
}
