#include "editors/rich_document.h"

namespace tovix {

std::u16string RichDocument::PlainText() const {
  std::u16string text;
  for (size_t p = 0; p < paragraphs.size(); ++p) {
    if (p > 0) text += u"\r\n";
    for (const auto& run : paragraphs[p].runs) text += run.IsOpaque() ? u"\uFFFC" : run.text;
  }
  return text;
}

void AppendRichText(RichParagraph& paragraph, const RichCharFormat& format,
                    std::u16string_view text) {
  if (text.empty()) return;
  if (!paragraph.runs.empty() && !paragraph.runs.back().IsOpaque() &&
      paragraph.runs.back().format == format) {
    paragraph.runs.back().text += text;
    return;
  }
  RichRun run;
  run.format = format;
  run.text = text;
  paragraph.runs.push_back(std::move(run));
}

}  // namespace tovix
