// The RTF writer: a header with the code page, the font table (with character sets) and the
// colour table, then one "\pard" paragraph after another, each run as its own group.

#include <map>
#include <memory>

#include "editors/code_pages.h"
#include "editors/rtf.h"

namespace tovix {

namespace {

struct FontKey {
  std::u16string name;
  int charset;
  auto operator<=>(const FontKey&) const = default;
};

class RtfWriter {
 public:
  RtfWriter(const RichDocument& doc, bool plain) : doc_(doc), plain_(plain) {}
  std::string Write();

 private:
  int FontIndex(const RichCharFormat& format) const;
  int ColorIndex(const std::optional<RichColor>& color) const;
  const CodePage& Page(int number);
  void WriteText(std::u16string_view text, int code_page);
  void WriteParagraph(const RichParagraph& paragraph);
  void WriteRun(const RichRun& run);
  // The control words of a character format.
  void WriteFormat(const RichCharFormat& format);
  void AddToTables(const RichCharFormat& format);
  void Number(std::string_view word, int value) {
    out_ += '\\';
    out_ += word;
    out_ += std::to_string(value);
  }

  const RichDocument& doc_;
  bool plain_;
  std::string out_;
  std::map<FontKey, int> fonts_;
  std::vector<FontKey> font_list_;
  std::vector<RichColor> colors_;
  int symbol_font_ = -1;
  std::map<int, std::unique_ptr<CodePage>> pages_;
};

const CodePage& RtfWriter::Page(int number) {
  auto& page = pages_[number];
  if (!page) page = std::make_unique<CodePage>(number);
  return *page;
}

int RtfWriter::FontIndex(const RichCharFormat& format) const {
  if (format.font.empty()) return 0;
  const auto it = fonts_.find({format.font, format.font_charset});
  return it == fonts_.end() ? 0 : it->second;
}

int RtfWriter::ColorIndex(const std::optional<RichColor>& color) const {
  if (!color) return 0;
  for (size_t i = 0; i < colors_.size(); ++i)
    if (colors_[i] == *color) return static_cast<int>(i) + 1;
  return 0;
}

void RtfWriter::WriteText(std::u16string_view text, int code_page) {
  const CodePage& page = Page(code_page);
  std::string bytes;
  for (char16_t c : text) {
    switch (c) {
      case u'\\':
        out_ += "\\\\";
        continue;
      case u'{':
        out_ += "\\{";
        continue;
      case u'}':
        out_ += "\\}";
        continue;
      case u'\t':
        out_ += "\\tab ";
        continue;
      case u'\u2028':
        out_ += "\\line ";
        continue;
      case u'\u00A0':
        out_ += "\\~";
        continue;
      default:
        break;
    }
    if (c < 0x20) continue;  // other control characters have no place in a run
    if (c < 0x80) {
      out_ += static_cast<char>(c);
      continue;
    }
    bytes.clear();
    if (page.EncodeChar(c, bytes)) {
      static constexpr char kHex[] = "0123456789abcdef";
      for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out_ += "\\'";
        out_ += kHex[u >> 4];
        out_ += kHex[u & 15];
      }
    } else {
      Number("u", static_cast<std::int16_t>(c));
      out_ += '?';
    }
  }
}

void RtfWriter::WriteRun(const RichRun& run) {
  if (run.IsOpaque()) {
    out_ += run.opaque;
    return;
  }
  const RichCharFormat& f = run.format;
  int page = CodePageFromCharset(f.font.empty() ? doc_.default_charset : f.font_charset);
  if (page == 0) page = doc_.code_page;
  if (f.link) {
    // A link is a HYPERLINK field whose result is the run.
    out_ += "{\\field{\\*\\fldinst{HYPERLINK \"";
    std::u16string target = f.link_target.empty() ? run.text : f.link_target;
    std::erase(target, u'"');
    WriteText(target, doc_.code_page);
    out_ += "\"}}{\\fldrslt";
  }
  out_ += '{';
  WriteFormat(f);
  out_ += ' ';
  WriteText(run.text, page);
  out_ += '}';
  if (f.link) out_ += "}}";
}

void RtfWriter::WriteFormat(const RichCharFormat& f) {
  Number("f", FontIndex(f));
  if (f.half_points > 0) Number("fs", f.half_points);
  if (f.bold) out_ += "\\b";
  if (f.italic) out_ += "\\i";
  if (f.strike_out) out_ += "\\strike";
  switch (f.underline) {
    case 0:
      break;
    case 2:
      out_ += "\\ulw";
      break;
    case 3:
      out_ += "\\uldb";
      break;
    case 4:
      out_ += "\\uld";
      break;
    default:
      out_ += "\\ul";
      break;
  }
  if (f.color) Number("cf", ColorIndex(f.color));
  if (f.back_color) Number("highlight", ColorIndex(f.back_color));
  if (f.vertical == VerticalPosition::kSuperscript) out_ += "\\super";
  if (f.vertical == VerticalPosition::kSubscript) out_ += "\\sub";
  if (f.offset > 0) Number("up", f.offset);
  if (f.offset < 0) Number("dn", -f.offset);
  if (f.spacing != 0) Number("expndtw", f.spacing);
  if (f.kerning > 0) Number("kerning", f.kerning);
  if (f.animation > 0) Number("animtext", f.animation);
  if (f.hidden) out_ += "\\v";
  if (f.small_caps) out_ += "\\scaps";
  if (f.all_caps) out_ += "\\caps";
  if (f.outline) out_ += "\\outl";
  if (f.shadow) out_ += "\\shad";
  if (f.emboss) out_ += "\\embo";
  if (f.imprint) out_ += "\\impr";
  if (f.language > 0 && !plain_) Number("lang", f.language);
}

void RtfWriter::WriteParagraph(const RichParagraph& paragraph) {
  const RichParaFormat& p = paragraph.format;
  out_ += "\\pard";
  switch (p.alignment) {
    case RichAlignment::kLeft:
      break;
    case RichAlignment::kRight:
      out_ += "\\qr";
      break;
    case RichAlignment::kCenter:
      out_ += "\\qc";
      break;
    case RichAlignment::kJustify:
      out_ += "\\qj";
      break;
  }
  if (p.first_indent != 0) Number("fi", p.first_indent);
  if (p.left_indent != 0) Number("li", p.left_indent);
  if (p.right_indent != 0) Number("ri", p.right_indent);
  if (p.space_before != 0) Number("sb", p.space_before);
  if (p.space_after != 0) Number("sa", p.space_after);
  for (int tab : p.tabs) Number("tx", tab);
  // The blank ends the last control word; the bullet groups come after it, so that no blank
  // stands between a group and the text (it would be text).
  out_ += ' ';
  if (p.bullet) {
    out_ += "{\\pntext\\f" + std::to_string(symbol_font_) + "\\'b7\\tab}";
    out_ +=
        "{\\*\\pn\\pnlvlblt\\pnf" + std::to_string(symbol_font_) + "\\pnindent0{\\pntxtb\\'b7}}";
  }
  for (const auto& run : paragraph.runs) WriteRun(run);
  // An empty paragraph's end keeps its format in a group around "\par".
  if (paragraph.runs.empty() && paragraph.mark != RichCharFormat()) {
    out_ += '{';
    WriteFormat(paragraph.mark);
    out_ += "\\par}\r\n";
    return;
  }
  out_ += "\\par\r\n";
}

void RtfWriter::AddToTables(const RichCharFormat& f) {
  if (!f.font.empty() && fonts_.emplace(FontKey{f.font, f.font_charset}, 0).second) {
    fonts_[{f.font, f.font_charset}] = static_cast<int>(font_list_.size());
    font_list_.push_back({f.font, f.font_charset});
  }
  for (const auto* color : {&f.color, &f.back_color})
    if (*color && ColorIndex(*color) == 0) colors_.push_back(**color);
}

std::string RtfWriter::Write() {
  // Tables first: every font and colour the runs use.
  const FontKey default_font{doc_.default_font.empty() ? u"Arial" : doc_.default_font,
                             doc_.default_charset};
  font_list_.push_back(default_font);
  bool bullets = false;
  for (const auto& paragraph : doc_.paragraphs) {
    bullets = bullets || paragraph.format.bullet;
    for (const auto& run : paragraph.runs)
      if (!run.IsOpaque()) AddToTables(run.format);
    if (paragraph.runs.empty()) AddToTables(paragraph.mark);
  }
  if (bullets) {
    symbol_font_ = static_cast<int>(font_list_.size());
    font_list_.push_back({u"Symbol", 2});
  }

  out_ += "{\\rtf1\\ansi";
  Number("ansicpg", doc_.code_page);
  out_ += "\\deff0";
  if (doc_.language > 0 && !plain_) Number("deflang", doc_.language);
  out_ += "{\\fonttbl";
  for (size_t i = 0; i < font_list_.size(); ++i) {
    out_ += "{";
    Number("f", static_cast<int>(i));
    out_ += "\\fnil";
    Number("fcharset", font_list_[i].charset);
    out_ += ' ';
    const int page = CodePageFromCharset(font_list_[i].charset);
    WriteText(font_list_[i].name, page == 0 ? doc_.code_page : page);
    out_ += ";}";
  }
  out_ += "}\r\n";
  if (!colors_.empty()) {
    out_ += "{\\colortbl ;";
    for (const auto& c : colors_) {
      Number("red", c.red);
      Number("green", c.green);
      Number("blue", c.blue);
      out_ += ';';
    }
    out_ += "}\r\n";
  }
  out_ += "\\viewkind4\\uc1";
  for (const auto& paragraph : doc_.paragraphs) WriteParagraph(paragraph);
  out_ += "}\r\n";
  return std::move(out_);
}

}  // namespace

std::string WriteRtf(const RichDocument& document, bool plain) {
  return RtfWriter(document, plain).Write();
}

}  // namespace tovix
