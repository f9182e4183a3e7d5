// How fast the report tokenizer splits real reports into lines and words, measured against
// the floor of just counting line ends with memchr over the same bytes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/text/file_utils.h"
#include "core/text/str_parse.h"

namespace {

struct Corpus {
  std::vector<std::string> reports;  // line ends already made CR LF, as the reader holds them
  size_t bytes = 0;
};

const Corpus& Reports() {
  static const Corpus corpus = [] {
    Corpus c;
    std::filesystem::path dir = std::filesystem::path(TOVIX_REPORTS_DIR) / "orion";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return c;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
      if (e.is_regular_file() && e.path().extension() == ".txt") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
      std::string text = tovix::LoadFileToString(f);
      tovix::NormalizeLineEnds(text);
      c.bytes += text.size();
      c.reports.push_back(std::move(text));
    }
    return c;
  }();
  return corpus;
}

bool HaveReports(benchmark::State& state) {
  if (!Reports().reports.empty()) return true;
  state.SkipWithError("no reports in " TOVIX_REPORTS_DIR "/orion");
  return false;
}

double g_tokenizerRate = 0;
double g_memchrRate = 0;

// The reader's way: one line parser per report, a merge-mode "SD" child for the words of each
// line, every word looked at.
void BM_TokenizerLinesAndWords(benchmark::State& state) {
  if (!HaveReports(state)) return;
  const Corpus& c = Reports();
  tovix::TZnStrParse lines;
  tovix::TZnStrParse& words = lines.CreateSubParser("SD");
  for (int ch = 0; ch < 33; ++ch) words.SetDelimiter(static_cast<unsigned char>(ch), true);
  words.SetDelimiter(',', true);
  words.SetDelimiter('`', true);
  for (int ch = 126; ch < 256; ++ch) words.SetDelimiter(static_cast<unsigned char>(ch), true);

  size_t wordCount = 0;
  for (auto _ : state) {
    size_t touched = 0;
    for (const std::string& report : c.reports) {
      lines.SetText(report);
      int n = lines.Count();
      for (int i = 0; i < n; ++i) {
        tovix::TZnStrParse& w = lines.SubParser(i);
        int k = w.Count();
        for (int j = 0; j < k; ++j) touched += w.TokenView(j).size() + 1;
      }
    }
    benchmark::DoNotOptimize(touched);
    wordCount = touched;
  }
  benchmark::DoNotOptimize(wordCount);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.bytes));
  state.counters["reports"] = static_cast<double>(c.reports.size());
}

// The floor: counting line ends in the same bytes.
void BM_MemchrLineCount(benchmark::State& state) {
  if (!HaveReports(state)) return;
  const Corpus& c = Reports();
  for (auto _ : state) {
    size_t count = 0;
    for (const std::string& report : c.reports) {
      const char* p = report.data();
      const char* end = p + report.size();
      while (p < end) {
        const void* hit = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!hit) break;
        ++count;
        p = static_cast<const char*>(hit) + 1;
      }
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.bytes));
}

BENCHMARK(BM_TokenizerLinesAndWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrLineCount)->Unit(benchmark::kMillisecond);

// Picks the bytes/s of both runs out of the results to print their ratio at the end.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
      auto it = r.counters.find("bytes_per_second");
      if (it == r.counters.end()) continue;
      std::string name = r.benchmark_name();
      if (name.find("BM_TokenizerLinesAndWords") != std::string::npos)
        g_tokenizerRate = it->second.value;
      if (name.find("BM_MemchrLineCount") != std::string::npos) g_memchrRate = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (Reports().reports.empty()) {
    std::printf("No reports found in %s/orion: nothing to measure.\n", TOVIX_REPORTS_DIR);
    return 0;
  }
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  if (g_tokenizerRate > 0 && g_memchrRate > 0) {
    std::printf(
        "\n%zu reports, %.1f MiB: tokenizer %.0f MiB/s, memchr line count %.0f MiB/s, "
        "memchr is %.1fx faster\n",
        Reports().reports.size(), Reports().bytes / 1048576.0, g_tokenizerRate / 1048576.0,
        g_memchrRate / 1e6, g_memchrRate / g_tokenizerRate);
  }
  return 0;
}
