// Reading and writing a 2 MB RTF document of 10,000 formatted paragraphs.
#include <benchmark/benchmark.h>

#include "editors/rtf.h"

namespace {

using namespace tovix;

RichDocument LargeDocument() {
  RichDocument doc;
  doc.default_font = u"Arial";
  for (int i = 0; i < 10000; ++i) {
    RichParagraph p;
    p.format.bullet = i % 5 == 0;
    p.format.left_indent = (i % 3) * 360;
    p.format.alignment = static_cast<RichAlignment>(i % 4);
    RichCharFormat f;
    AppendRichText(
        p, f,
        u"Planet caf\u00E9 number " + std::u16string(1, u'0' + i % 10) + u" holds industry; ");
    f.bold = true;
    f.color = RichColor{static_cast<std::uint8_t>(i % 7 * 30), 0, 0};
    AppendRichText(p, f, u"the ships of the race go out in groups ");
    f = RichCharFormat();
    f.italic = true;
    f.back_color = RichColor{255, 255, 0};
    f.font = u"Courier New";
    AppendRichText(p, f, u"drive 1.00\t");
    f = RichCharFormat();
    f.font = u"Arial CYR";
    f.font_charset = 204;
    AppendRichText(p, f, u"\u041F\u0440\u0438\u0432\u0435\u0442 \u043C\u0438\u0440");
    doc.paragraphs.push_back(std::move(p));
  }
  return doc;
}

void BM_WriteRtf(benchmark::State& state) {
  const RichDocument doc = LargeDocument();
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string rtf = WriteRtf(doc);
    bytes = rtf.size();
    benchmark::DoNotOptimize(rtf.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

void BM_ReadRtf(benchmark::State& state) {
  const std::string rtf = WriteRtf(LargeDocument());
  for (auto _ : state) {
    RtfReadResult result = ReadRtf(rtf);
    benchmark::DoNotOptimize(result.document->paragraphs.size());
  }
  state.counters["bytes"] = static_cast<double>(rtf.size());
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
