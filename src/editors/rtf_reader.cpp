// The RTF reader: one pass over the bytes with an explicit stack of group states, so nesting
// depth costs memory, never call depth. Destinations the reader does not use are skipped by
// finding the end of their group; objects and pictures are kept as their raw group.

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>

#include "core/text/str_utils.h"
#include "editors/code_pages.h"
#include "editors/rtf.h"

namespace tovix {

namespace {

enum class Destination { kText, kFontTable, kColorTable, kBulletDefinition, kFieldInstruction };

struct GroupState {
  Destination destination = Destination::kText;
  RichCharFormat format;  // font fields are filled in when text is emitted
  int font = -1;          // font table index; -1 = the default font
  int unicode_skip = 1;   // \uc
  RichParaFormat para;
  bool instruction_group = false;  // the group that opened a field instruction
};

struct FontEntry {
  std::string name_bytes;  // bytes not yet decoded into `name`
  bool complete = false;   // the name's ";" was read
  int charset = 0;
  bool has_charset = false;
  std::u16string name;
};

struct ColorEntry {
  RichColor color;
  bool set = false;
};

constexpr int kMaxWordLength = 32;

// Destinations whose content the reader skips whole.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "stylesheet",   "info",       "listtable",     "listoverridetable",
      "pntext",       "listtext",   "header",        "headerl",
      "headerr",      "headerf",    "footer",        "footerl",
      "footerr",      "footerf",    "footnote",      "xe",
      "tc",           "nonshppict", "themedata",     "colorschememapping",
      "latentstyles", "datastore",  "rsidtbl",       "generator",
      "pgdsctbl",     "revtbl",     "filetbl",       "xmlnstbl",
      "mmathPr",      "userprops",  "docvar",        "template",
      "bkmkstart",    "bkmkend",    "fldtype",       "author",
      "operator",     "title",      "subject",       "keywords",
      "comment",      "doccomm",    "company",       "buptim",
      "creatim",      "printim",    "revtim",        "atnid",
      "atnauthor",    "annotation", "wgrffmtfilter", "pnseclvl",
      "blipuid",      "objdata"};
  return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

class RtfReader {
 public:
  RtfReader(std::string_view bytes, bool plain) : in_(bytes), plain_(plain) {}

  RtfReadResult Read();

 private:
  struct Word {
    std::string_view name;
    bool has_param = false;
    int param = 0;
  };

  // Position after the group that opens at `open` ('{'), or npos when the input ends first.
  // Sets error_ when it ends inside binary data.
  size_t FindGroupEnd(size_t open);
  bool ReadWord(Word& word);  // at the letter after '\'
  void OpenGroup();
  void CloseGroup();
  void HandleWord(const Word& word);
  void HandleSymbol(char c);
  void HandleText(char c);
  void HandleColorTableWord(const Word& word);
  void HandleFontTableWord(const Word& word);
  void SkipCurrentGroup();
  void KeepCurrentGroupOpaque();
  void Flush();
  // The group's character format with its font's name and character set.
  RichCharFormat TextFormat();
  void AddWide(char16_t c);
  void EndParagraph();
  int CodePageOfFont(int font) const;
  // Moves the font's undecoded name bytes into its name.
  void DecodeFontName(FontEntry& font);
  const CodePage& Page(int number);
  std::optional<RichColor> ColorAt(int index) const;
  GroupState& State() { return stack_.back(); }
  bool Skipping() {
    if (skip_ <= 0) return false;
    --skip_;
    return true;
  }

  // The target of a HYPERLINK field instruction; nothing for other fields.
  std::optional<std::u16string> LinkTarget(std::u16string_view instruction) const;

  std::string_view in_;
  bool plain_;
  size_t pos_ = 0;
  std::string error_;
  bool done_ = false;
  std::vector<GroupState> stack_;
  std::vector<size_t> group_starts_;  // position of each open group's '{'
  bool group_fresh_ = false;          // nothing but "\*" seen since the current '{'
  bool starred_ = false;              // "\*" seen at the start of the current group
  int skip_ = 0;                      // characters still to skip after \u
  bool pending_bullet_ = false;       // \pnlvlblt seen in the current bullet definition

  RichDocument doc_;
  int default_font_ = 0;
  std::map<int, FontEntry> fonts_;
  int current_font_ = -1;  // while reading the font table
  std::vector<ColorEntry> colors_;
  ColorEntry current_color_;
  RichParagraph paragraph_;
  std::string pending_bytes_;
  std::u16string pending_text_;
  std::string instruction_bytes_;  // the field instruction being read
  std::u16string instruction_;
  std::map<int, std::unique_ptr<CodePage>> pages_;
};

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

size_t RtfReader::FindGroupEnd(size_t open) {
  size_t depth = 0;
  size_t i = open;
  while (i < in_.size()) {
    const char c = in_[i];
    if (c == '{') {
      ++depth;
      ++i;
    } else if (c == '}') {
      ++i;
      if (--depth == 0) return i;
    } else if (c == '\\') {
      ++i;
      if (i >= in_.size()) break;
      if (!IsLetter(in_[i])) {
        ++i;  // control symbol, including \{ \} and \\ (never counted as braces)
        continue;
      }
      const size_t start = i;
      while (i < in_.size() && IsLetter(in_[i])) ++i;
      const std::string_view name = in_.substr(start, i - start);
      bool negative = false;
      if (i < in_.size() && in_[i] == '-') {
        negative = true;
        ++i;
      }
      long long value = 0;
      while (i < in_.size() && IsDigit(in_[i])) {
        if (value < 1000000000000LL) value = value * 10 + (in_[i] - '0');
        ++i;
      }
      if (i < in_.size() && in_[i] == ' ') ++i;
      if (name == "bin" && !negative && value > 0) {
        if (static_cast<unsigned long long>(value) > in_.size() - i) {
          error_ = "The RTF data ends inside binary data.";
          return std::string_view::npos;
        }
        i += static_cast<size_t>(value);
      }
    } else {
      ++i;
    }
  }
  return std::string_view::npos;
}

bool RtfReader::ReadWord(Word& word) {
  const size_t start = pos_;
  while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
  word.name = in_.substr(start, std::min<size_t>(pos_ - start, kMaxWordLength));
  bool negative = false;
  if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  long long value = 0;
  while (pos_ < in_.size() && IsDigit(in_[pos_])) {
    word.has_param = true;
    if (value <= INT_MAX) value = value * 10 + (in_[pos_] - '0');
    ++pos_;
  }
  if (value > INT_MAX) value = INT_MAX;
  word.param = static_cast<int>(negative ? -value : value);
  if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
  return true;
}

int RtfReader::CodePageOfFont(int font) const {
  const auto it = fonts_.find(font < 0 ? default_font_ : font);
  if (it != fonts_.end() && it->second.has_charset) {
    const int page = CodePageFromCharset(it->second.charset);
    if (page != 0) return page;
  }
  return doc_.code_page;
}

void RtfReader::DecodeFontName(FontEntry& font) {
  if (font.name_bytes.empty()) return;
  const int page = font.has_charset && CodePageFromCharset(font.charset) != 0
                       ? CodePageFromCharset(font.charset)
                       : doc_.code_page;
  Page(page).Decode(font.name_bytes, font.name);
  font.name_bytes.clear();
}

const CodePage& RtfReader::Page(int number) {
  auto& page = pages_[number];
  if (!page) page = std::make_unique<CodePage>(number);
  return *page;
}

std::optional<RichColor> RtfReader::ColorAt(int index) const {
  if (index <= 0 || static_cast<size_t>(index) >= colors_.size() || !colors_[index].set)
    return std::nullopt;
  return colors_[index].color;
}

void RtfReader::Flush() {
  if (!pending_bytes_.empty()) {
    Page(CodePageOfFont(State().font)).Decode(pending_bytes_, pending_text_);
    pending_bytes_.clear();
  }
  if (pending_text_.empty()) return;
  AppendRichText(paragraph_, TextFormat(), pending_text_);
  pending_text_.clear();
}

RichCharFormat RtfReader::TextFormat() {
  RichCharFormat format = State().format;
  const int font = State().font < 0 ? default_font_ : State().font;
  if (font != default_font_) {
    const auto it = fonts_.find(font);
    if (it != fonts_.end()) {
      format.font = it->second.name;
      format.font_charset = it->second.charset;
    }
  }
  return format;
}

void RtfReader::AddWide(char16_t c) {
  if (!pending_bytes_.empty()) {
    Page(CodePageOfFont(State().font)).Decode(pending_bytes_, pending_text_);
    pending_bytes_.clear();
  }
  pending_text_ += c;
}

void RtfReader::EndParagraph() {
  Flush();
  paragraph_.format = State().para;
  if (paragraph_.runs.empty()) {
    // What the empty line is set in; a link ends with its field.
    paragraph_.mark = TextFormat();
    paragraph_.mark.link = false;
    paragraph_.mark.link_target.clear();
  }
  doc_.paragraphs.push_back(std::move(paragraph_));
  paragraph_ = RichParagraph();
}

void RtfReader::OpenGroup() {
  if (State().destination == Destination::kText) Flush();
  stack_.push_back(stack_.back());
  stack_.back().instruction_group = false;
  group_starts_.push_back(pos_ - 1);
  group_fresh_ = true;
  starred_ = false;
  skip_ = 0;
}

void RtfReader::CloseGroup() {
  const Destination closing = State().destination;
  const bool instruction = State().instruction_group;
  if (closing == Destination::kText) Flush();
  if (closing == Destination::kFontTable) current_font_ = -1;
  skip_ = 0;
  group_fresh_ = false;
  if (stack_.size() == 2) {  // the document's own group ends
    EndParagraph();
    done_ = true;
    return;
  }
  stack_.pop_back();
  group_starts_.pop_back();
  if (closing == Destination::kBulletDefinition &&
      State().destination != Destination::kBulletDefinition) {
    State().para.bullet = pending_bullet_;
    pending_bullet_ = false;
  }
  if (instruction) {
    // The field's result (the next group of the field) is the link's text.
    Page(doc_.code_page).Decode(instruction_bytes_, instruction_);
    instruction_bytes_.clear();
    if (auto target = LinkTarget(instruction_)) {
      State().format.link = true;
      State().format.link_target = std::move(*target);
    }
    instruction_.clear();
  }
}

std::optional<std::u16string> RtfReader::LinkTarget(std::u16string_view text) const {
  auto skip_blanks = [&] {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  };
  skip_blanks();
  constexpr std::u16string_view kHyperlink = u"HYPERLINK";
  if (text.size() < kHyperlink.size()) return std::nullopt;
  for (size_t i = 0; i < kHyperlink.size(); ++i) {
    const char16_t c = text[i] >= u'a' && text[i] <= u'z' ? text[i] - 32 : text[i];
    if (c != kHyperlink[i]) return std::nullopt;
  }
  text.remove_prefix(kHyperlink.size());
  skip_blanks();
  if (!text.empty() && text.front() == u'"') {
    text.remove_prefix(1);
    return std::u16string(text.substr(0, text.find(u'"')));
  }
  return std::u16string(text.substr(0, text.find_first_of(u" \t")));
}

void RtfReader::SkipCurrentGroup() {
  if (stack_.size() <= 2) return;  // the document's own group is never skipped
  if (State().destination == Destination::kText) Flush();
  const size_t end = FindGroupEnd(group_starts_.back());
  pos_ = end == std::string_view::npos ? in_.size() : end;
  if (end == std::string_view::npos) return;
  stack_.pop_back();
  group_starts_.pop_back();
  group_fresh_ = false;
  skip_ = 0;
}

void RtfReader::KeepCurrentGroupOpaque() {
  if (stack_.size() <= 2) return;
  Flush();
  const size_t start = group_starts_.back();
  const size_t end = FindGroupEnd(start);
  pos_ = end == std::string_view::npos ? in_.size() : end;
  if (end == std::string_view::npos) return;  // a cut object is dropped
  stack_.pop_back();
  group_starts_.pop_back();
  group_fresh_ = false;
  skip_ = 0;
  if (State().destination != Destination::kText) return;
  RichRun run;  // an object carries no character format of its own
  run.opaque = std::string(in_.substr(start, end - start));
  paragraph_.runs.push_back(std::move(run));
}

void RtfReader::HandleFontTableWord(const Word& word) {
  if (word.name == "u") {
    // A character the font's character set cannot hold; its stand-in bytes are skipped.
    skip_ = State().unicode_skip;
    if (current_font_ < 0 || fonts_[current_font_].complete) return;
    FontEntry& font = fonts_[current_font_];
    DecodeFontName(font);
    if (font.name.size() < 256) font.name += static_cast<char16_t>(word.param & 0xFFFF);
    return;
  }
  if (word.name == "uc") {
    State().unicode_skip = std::clamp(word.param, 0, 16);
  } else if (word.name == "f") {
    current_font_ = word.param;
    fonts_[current_font_];
  } else if (word.name == "fcharset" && current_font_ >= 0) {
    fonts_[current_font_].charset = word.param;
    fonts_[current_font_].has_charset = true;
  }
}

void RtfReader::HandleColorTableWord(const Word& word) {
  const auto component = static_cast<std::uint8_t>(std::clamp(word.param, 0, 255));
  if (word.name == "red") {
    current_color_.color.red = component;
  } else if (word.name == "green") {
    current_color_.color.green = component;
  } else if (word.name == "blue") {
    current_color_.color.blue = component;
  } else {
    return;
  }
  current_color_.set = true;
}

void RtfReader::HandleWord(const Word& w) {
  const bool fresh = group_fresh_;
  group_fresh_ = false;
  const std::string_view n = w.name;
  GroupState& s = State();

  // Destinations.
  if (fresh && (n == "object" || n == "pict" || (starred_ && n == "shppict"))) {
    KeepCurrentGroupOpaque();
    return;
  }
  if (fresh && n == "fonttbl") {
    s.destination = Destination::kFontTable;
    return;
  }
  if (fresh && n == "colortbl") {
    s.destination = Destination::kColorTable;
    current_color_ = ColorEntry();
    return;
  }
  if (fresh && n == "fldinst") {
    s.destination = Destination::kFieldInstruction;
    s.instruction_group = true;
    instruction_bytes_.clear();
    instruction_.clear();
    return;
  }
  if (fresh && n == "pn") {
    s.destination = Destination::kBulletDefinition;
    pending_bullet_ = false;
    return;
  }
  if (fresh && (starred_ || IsSkippedDestination(n))) {
    SkipCurrentGroup();
    return;
  }
  if (s.destination == Destination::kFieldInstruction) {
    if (n == "u") {
      Page(doc_.code_page).Decode(instruction_bytes_, instruction_);
      instruction_bytes_.clear();
      if (instruction_.size() < 4096) instruction_ += static_cast<char16_t>(w.param & 0xFFFF);
      skip_ = s.unicode_skip;
    }
    return;
  }
  if (s.destination == Destination::kFontTable) return HandleFontTableWord(w);
  if (s.destination == Destination::kColorTable) return HandleColorTableWord(w);
  if (s.destination == Destination::kBulletDefinition) {
    if (n == "pnlvlblt" || n == "pnlvlbody") pending_bullet_ = true;
    if (n == "pnlvlcont") pending_bullet_ = false;
    return;
  }

  // Characters.
  if (n == "u") {
    const auto value = static_cast<char16_t>(static_cast<unsigned>(w.param) & 0xFFFF);
    skip_ = s.unicode_skip;
    // Control characters are no text: a tab and a line break keep their meaning, the others
    // are dropped as raw control bytes are.
    if (value == u'\t')
      AddWide(u'\t');
    else if (value == 11)
      AddWide(u'\u2028');
    else if (value >= 0x20)
      AddWide(value);
    return;
  }
  if (Skipping()) return;
  static constexpr std::pair<std::string_view, char16_t> kSymbols[] = {
      {"tab", u'\t'},         {"line", u'\u2028'},      {"emdash", u'\u2014'},
      {"endash", u'\u2013'},  {"bullet", u'\u2022'},    {"lquote", u'\u2018'},
      {"rquote", u'\u2019'},  {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'},
      {"emspace", u'\u2003'}, {"enspace", u'\u2002'},   {"cell", u'\t'}};
  for (const auto& [name, c] : kSymbols)
    if (n == name) return AddWide(c);

  Flush();
  const int p = w.param;
  const bool on = !w.has_param || p != 0;
  if (n == "par" || n == "sect" || n == "page" || n == "row") {
    EndParagraph();
  } else if (n == "ansicpg") {
    if (p > 0) doc_.code_page = CodePage(p).Number();
  } else if (n == "deff") {
    default_font_ = p;
  } else if (n == "deflang") {
    if (!plain_) doc_.language = std::clamp(p, 0, 0xFFFF);
  } else if (n == "uc") {
    s.unicode_skip = std::clamp(p, 0, 16);
  } else if (n == "plain") {
    s.format = RichCharFormat();
    s.font = -1;
  } else if (n == "f") {
    s.font = p;
  } else if (n == "fs") {
    s.format.half_points = std::clamp(p, 0, 3276);
  } else if (n == "b") {
    s.format.bold = on;
  } else if (n == "i") {
    s.format.italic = on;
  } else if (n == "strike") {
    s.format.strike_out = on;
  } else if (n == "ul") {
    s.format.underline = on ? 1 : 0;
  } else if (n == "ulnone") {
    s.format.underline = 0;
  } else if (n == "ulw") {
    s.format.underline = on ? 2 : 0;
  } else if (n == "uldb") {
    s.format.underline = on ? 3 : 0;
  } else if (n == "uld") {
    s.format.underline = on ? 4 : 0;
  } else if (n.size() > 2 && n.substr(0, 2) == "ul" && n != "ulc") {
    s.format.underline = on ? 1 : 0;
  } else if (n == "cf") {
    s.format.color = ColorAt(p);
  } else if (n == "cb" || n == "highlight" || n == "chcbpat") {
    s.format.back_color = ColorAt(p);
  } else if (n == "super") {
    s.format.vertical = on ? VerticalPosition::kSuperscript : VerticalPosition::kNormal;
  } else if (n == "sub") {
    s.format.vertical = on ? VerticalPosition::kSubscript : VerticalPosition::kNormal;
  } else if (n == "up" || n == "dn") {
    const int half_points = w.has_param ? std::clamp(p, -3276, 3276) : 6;
    s.format.offset = n == "up" ? half_points : -half_points;
  } else if (n == "expndtw") {
    s.format.spacing = std::clamp(p, -32768, 32767);
  } else if (n == "expnd") {
    s.format.spacing = std::clamp(p, -6553, 6553) * 5;  // quarter points
  } else if (n == "kerning") {
    s.format.kerning = std::clamp(p, 0, 3276);
  } else if (n == "animtext") {
    s.format.animation = std::clamp(p, 0, 255);
  } else if (n == "scaps") {
    s.format.small_caps = on;
  } else if (n == "caps") {
    s.format.all_caps = on;
  } else if (n == "outl") {
    s.format.outline = on;
  } else if (n == "shad") {
    s.format.shadow = on;
  } else if (n == "embo") {
    s.format.emboss = on;
  } else if (n == "impr") {
    s.format.imprint = on;
  } else if (n == "nosupersub") {
    s.format.vertical = VerticalPosition::kNormal;
  } else if (n == "v") {
    s.format.hidden = on;
  } else if (n == "lang") {
    if (!plain_) s.format.language = std::clamp(p, 0, 0xFFFF);
  } else if (n == "pard") {
    s.para = RichParaFormat();
  } else if (n == "ql") {
    s.para.alignment = RichAlignment::kLeft;
  } else if (n == "qr") {
    s.para.alignment = RichAlignment::kRight;
  } else if (n == "qc") {
    s.para.alignment = RichAlignment::kCenter;
  } else if (n == "qj") {
    s.para.alignment = RichAlignment::kJustify;
  } else if (n == "li") {
    s.para.left_indent = p;
  } else if (n == "ri") {
    s.para.right_indent = p;
  } else if (n == "fi") {
    s.para.first_indent = p;
  } else if (n == "sb") {
    s.para.space_before = p;
  } else if (n == "sa") {
    s.para.space_after = p;
  } else if (n == "tx") {
    if (s.para.tabs.size() < 64) s.para.tabs.push_back(p);
  } else if (n == "ls") {
    s.para.bullet = p > 0;
  } else if (n == "bin") {
    if (p > 0) {
      if (static_cast<size_t>(p) > in_.size() - pos_) {
        error_ = "The RTF data ends inside binary data.";
        return;
      }
      pos_ += static_cast<size_t>(p);
    }
  }
  // Every other control word (\rtf, \ansi, \field, \fldrslt, table words, ...) is ignored.
}

void RtfReader::HandleSymbol(char c) {
  const bool fresh = group_fresh_;
  group_fresh_ = false;
  if (c == '*') {
    starred_ = fresh;
    group_fresh_ = fresh;
    return;
  }
  if (c == '\'') {
    if (pos_ + 2 > in_.size()) {
      pos_ = in_.size();
      return;
    }
    const int high = HexDigitValue(static_cast<unsigned char>(in_[pos_]));
    const int low = HexDigitValue(static_cast<unsigned char>(in_[pos_ + 1]));
    pos_ += 2;
    if (high < 0 || low < 0 || Skipping()) return;
    return HandleText(static_cast<char>(high * 16 + low));
  }
  if (c == '\n' || c == '\r') {
    if (State().destination == Destination::kText && !Skipping()) EndParagraph();
    return;
  }
  if (State().destination != Destination::kText) {
    if (c == '\\' || c == '{' || c == '}') HandleText(c);
    return;
  }
  if (Skipping()) return;
  switch (c) {
    case '\\':
    case '{':
    case '}':
      return HandleText(c);
    case '~':
      return AddWide(u'\u00A0');
    case '_':
      return AddWide(u'\u2011');
    default:
      return;  // \- (optional hyphen), \| and \: are not shown
  }
}

void RtfReader::HandleText(char c) {
  switch (State().destination) {
    case Destination::kText:
      if (c == '\t') return AddWide(u'\t');
      if (static_cast<unsigned char>(c) < 0x20 && c != '\0') return;
      if (c == '\0') return;
      pending_bytes_ += c;
      return;
    case Destination::kFontTable:
      if (current_font_ < 0) return;
      if (c == ';') {
        FontEntry& font = fonts_[current_font_];
        DecodeFontName(font);
        while (!font.name.empty() && font.name.front() == u' ') font.name.erase(0, 1);
        font.complete = true;
      } else if (fonts_[current_font_].complete) {
        return;  // text after the name's ";" (a second name) is not part of it
      } else if (fonts_[current_font_].name_bytes.size() < 256) {
        fonts_[current_font_].name_bytes += c;
      }
      return;
    case Destination::kColorTable:
      if (c == ';') {
        if (colors_.size() < 65536) colors_.push_back(current_color_);
        current_color_ = ColorEntry();
      }
      return;
    case Destination::kBulletDefinition:
      return;
    case Destination::kFieldInstruction:
      if (instruction_bytes_.size() < 4096 && static_cast<unsigned char>(c) >= 0x20)
        instruction_bytes_ += c;
      return;
  }
}

RtfReadResult RtfReader::Read() {
  RtfReadResult result;
  if (!LooksLikeRtf(in_)) {
    result.error = "The text is not RTF.";
    return result;
  }
  stack_.emplace_back();  // outside the document's group
  group_starts_.push_back(0);
  while (pos_ < in_.size() && !done_ && error_.empty()) {
    const char c = in_[pos_++];
    if (c == '{') {
      OpenGroup();
    } else if (c == '}') {
      if (stack_.size() > 1) CloseGroup();
    } else if (c == '\\') {
      if (pos_ >= in_.size()) break;
      if (IsLetter(in_[pos_])) {
        Word word;
        ReadWord(word);
        HandleWord(word);
      } else {
        HandleSymbol(in_[pos_++]);
      }
    } else if (c == '\r' || c == '\n') {
      // line ends in RTF text are not text
    } else if (stack_.size() > 1) {
      group_fresh_ = false;
      if (!Skipping()) HandleText(c);
    }
  }
  if (!error_.empty()) {
    result.error = error_;
    return result;
  }
  if (!done_) {  // cut text: keep what was read
    if (stack_.size() > 1 && State().destination == Destination::kText) Flush();
    while (stack_.size() > 2) stack_.pop_back();
    if (stack_.size() == 2) EndParagraph();
  }
  const auto deff = fonts_.find(default_font_);
  if (deff != fonts_.end()) {
    doc_.default_font = deff->second.name;
    doc_.default_charset = deff->second.charset;
  }
  // Every paragraph ends with "\par", so the text after the last one is no paragraph of its
  // own unless it holds something.
  if (doc_.paragraphs.size() > 1 && doc_.paragraphs.back().runs.empty()) doc_.paragraphs.pop_back();
  if (doc_.paragraphs.empty()) doc_.paragraphs.emplace_back();
  result.document = std::move(doc_);
  return result;
}

}  // namespace

bool LooksLikeRtf(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size() &&
         (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t'))
    ++i;
  return bytes.substr(i, 5) == "{\\rtf";
}

RtfReadResult ReadRtf(std::string_view bytes, bool plain) {
  return RtfReader(bytes, plain).Read();
}

RichDocument RichDocumentFromText(std::u16string_view text) {
  RichDocument doc;
  RichParagraph paragraph;
  size_t i = 0;
  size_t start = 0;
  while (i <= text.size()) {
    if (i == text.size() || text[i] == u'\r' || text[i] == u'\n') {
      AppendRichText(paragraph, RichCharFormat(), text.substr(start, i - start));
      doc.paragraphs.push_back(std::move(paragraph));
      paragraph = RichParagraph();
      if (i < text.size() && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = i + 1;
    }
    ++i;
  }
  return doc;
}

RichDocument RichDocumentFromAnsi(std::string_view text, int code_page) {
  RichDocument doc = RichDocumentFromText(AnsiToWide(text, code_page));
  doc.code_page = CodePage(code_page).Number();
  return doc;
}

}  // namespace tovix
