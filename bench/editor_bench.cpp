// What a keystroke costs in the text editor's model in a long text against a short one, and
// how long loading a large order text takes.
//
// Typing: 10,000 characters and 1,000 line breaks into the middle of the text, through the
// command processor as the keys arrive (undo recording included), once into 1,000 lines and
// once into 100,000 lines. Aim: the long text at most 2 x the short one per keystroke.
// Loading: a 5 MB Windows-1252 order text into the editor. Aim: under 100 ms.
// Each figure is the median of five runs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "editors/custom_edit.h"

namespace {

using Clock = std::chrono::steady_clock;
using tovix::TEditString;
using tovix::TmwCustomEdit;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Order-like lines: "s 1234 Planet_1234 Planet_5678" and comments now and then.
std::string OrderText(size_t minBytes) {
  std::string text = "#GALAXY Andromeda Race password\r\n";
  for (int i = 0; text.size() < minBytes; ++i) {
    if (i % 17 == 0)
      text += "; group " + std::to_string(i) + " goes on\r\n";
    else
      text += "s " + std::to_string(i) + " Planet_" + std::to_string(i * 7 % 9973) + " 12.5\r\n";
  }
  text += "#END\r\n";
  return text;
}

TEditString Lines(int count) {
  TEditString text;
  for (int i = 0; i < count; ++i) {
    for (char c : "s " + std::to_string(i) + " Planet_" + std::to_string(i % 977)) text += c;
    text += U"\r\n";
  }
  return text;
}

// Nanoseconds per keystroke for typing into the middle of a text of `lines` lines.
double TypingNsPerKey(int lines) {
  TmwCustomEdit edit;
  edit.SetText(Lines(lines));
  edit.SetCaretXY({3, lines / 2});
  const auto start = Clock::now();
  int keys = 0;
  for (int i = 0; i < 1000; ++i) {
    for (int k = 0; k < 10; ++k, ++keys)
      edit.CommandProcessor(tovix::ecChar, static_cast<char32_t>(U'a' + k), nullptr);
    edit.CommandProcessor(tovix::ecLineBreak, 0, nullptr);
    ++keys;
  }
  const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
  if (edit.LineCount() != lines + 1000) std::printf("unexpected line count %d\n", edit.LineCount());
  return ns / keys;
}

double LoadMs(const std::string& bytes) {
  TmwCustomEdit edit;
  const auto start = Clock::now();
  edit.Lines().LoadFromBytes(bytes, tovix::TTextEncoding::Windows1252);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (edit.LineCount() < 1000) std::printf("unexpected line count %d\n", edit.LineCount());
  return ms;
}

}  // namespace

int main() {
  std::vector<double> shortText;
  std::vector<double> longText;
  for (int run = 0; run < 5; ++run) {
    shortText.push_back(TypingNsPerKey(1000));
    longText.push_back(TypingNsPerKey(100000));
  }
  const double s = Median(shortText);
  const double l = Median(longText);
  std::printf("typing into 1,000 lines:     %8.0f ns per keystroke\n", s);
  std::printf("typing into 100,000 lines:   %8.0f ns per keystroke\n", l);
  std::printf("ratio long / short:          %8.2f x   (aim: at most 2 x)\n", l / s);

  const std::string orders = OrderText(5 * 1024 * 1024);
  std::vector<double> loads;
  for (int run = 0; run < 5; ++run) loads.push_back(LoadMs(orders));
  std::printf("loading a %.1f MB order text: %7.1f ms   (aim: under 100 ms)\n",
              orders.size() / (1024.0 * 1024.0), Median(loads));
  return 0;
}
