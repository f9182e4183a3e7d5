#pragma once
// The small document model under the rich-text control: paragraphs of formatted runs, where a
// run is either text or an opaque group (an embedded object or a picture) kept as its RTF
// bytes. The RTF reader builds it, the writer writes it, the control maps it to its document.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovix {

// A colour as red, green and blue.
struct RichColor {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const RichColor&, const RichColor&) = default;
};

enum class VerticalPosition { kNormal, kSubscript, kSuperscript };

struct RichCharFormat {
  std::u16string font;   // face name; empty = the document's default font
  int font_charset = 0;  // character set of the font (204 = Cyrillic, ...)
  int half_points = 0;   // size in half points; 0 = the default size
  bool bold = false;
  bool italic = false;
  bool strike_out = false;
  int underline = 0;               // underline type: 0 none, 1 single, 2 words, 3 double, 4 dotted
  std::optional<RichColor> color;  // none = the automatic (window-text) colour
  std::optional<RichColor> back_color;  // none = no highlight
  VerticalPosition vertical = VerticalPosition::kNormal;
  int offset = 0;     // raised (positive) or lowered text, in half points (\up, \dn)
  int spacing = 0;    // room added between characters, in twips (\expndtw)
  int kerning = 0;    // size from which pairs are kerned, in half points; 0 = none (\kerning)
  int animation = 0;  // animated text type (\animtext)
  bool hidden = false;
  bool small_caps = false;
  bool all_caps = false;
  bool outline = false;
  bool shadow = false;
  bool emboss = false;
  bool imprint = false;
  // A link (a HYPERLINK field in RTF) and where it leads; an empty target is the text itself.
  bool link = false;
  std::u16string link_target;
  int language = 0;  // locale of the text; 0 = not given
  friend bool operator==(const RichCharFormat&, const RichCharFormat&) = default;
};

struct RichRun {
  RichCharFormat format;
  std::u16string text;  // tab, U+2028 for a line break inside the paragraph
  // An opaque group ("{\object ...}", "{\pict ...}") kept byte for byte; text is then empty.
  std::string opaque;
  bool IsOpaque() const { return !opaque.empty(); }
  friend bool operator==(const RichRun&, const RichRun&) = default;
};

enum class RichAlignment { kLeft, kRight, kCenter, kJustify };

struct RichParaFormat {
  RichAlignment alignment = RichAlignment::kLeft;
  // Indents in twips, as RTF holds them: the left indent of the paragraph's lines, the first
  // line's indent relative to it (negative for a hanging first line) and the right indent.
  int left_indent = 0;
  int first_indent = 0;
  int right_indent = 0;
  int space_before = 0;
  int space_after = 0;
  bool bullet = false;
  std::vector<int> tabs;  // tab stops in twips
  friend bool operator==(const RichParaFormat&, const RichParaFormat&) = default;
};

struct RichParagraph {
  RichParaFormat format;
  std::vector<RichRun> runs;
  // The format of an empty paragraph's end: its line's height and what typing there takes.
  // Left as it is for a paragraph that holds runs.
  RichCharFormat mark;
  friend bool operator==(const RichParagraph&, const RichParagraph&) = default;
};

struct RichDocument {
  int code_page = 1252;         // of the text's 8-bit characters (\ansicpg)
  int language = 0;             // default language (\deflang); 0 = not given
  std::u16string default_font;  // font 0 of the document
  int default_charset = 0;
  std::vector<RichParagraph> paragraphs;
  // The whole text, paragraphs joined by CR LF; opaque runs count as U+FFFC.
  std::u16string PlainText() const;
};

// Appends text in a format to the paragraph, joining it to the last run when the formats agree.
void AppendRichText(RichParagraph& paragraph, const RichCharFormat& format,
                    std::u16string_view text);

}  // namespace tovix
