#pragma once
// Character attributes of the rich-text control's selection or default text, its paragraph
// attributes, and its line lists (wide and 8-bit).

#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <functional>
#include <string>

#include "controls/control_types.h"
#include "core/base/color_value.h"
#include "core/base/errors.h"
#include "core/base/font_styles.h"
#include "editors/code_pages.h"
#include "editors/wide_strings.h"

namespace tovix {

class TRichEdit98;

// Loading and saving failures: "Failed to Load Stream", "Failed to Save Stream". Cause() tells
// why (the file error).
class ERichEditError : public TovixError {
 public:
  ERichEditError(const std::string& message, std::string cause)
      : TovixError(message), cause_(std::move(cause)) {}
  const std::string& Cause() const { return cause_; }

 private:
  std::string cause_;
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TSubscriptStyle { ssNone, ssSubscript, ssSuperscript };
enum TAttributeKind { atSelected, atDefaultText };
enum TNumberingStyle { nsNone, nsBullet };

class TTextAttributes98 {
 public:
  TTextAttributes98(TRichEdit98* control, TAttributeKind kind) : control_(control), kind_(kind) {}

  TColor Color() const;  // clWindowText for the automatic colour
  void SetColor(TColor color);
  QString Name() const;
  void SetName(const QString& name);
  int Size() const;  // whole points, truncated
  void SetSize(int points);
  TFontPitch Pitch() const;  // read-only: the pitch of the face
  int Weight() const;
  void SetWeight(int weight);
  TColor BackColor() const;  // clNone when there is no highlight
  void SetBackColor(TColor color);
  TLanguage Language() const;
  void SetLanguage(TLanguage language);
  TSubscriptStyle SubscriptStyle() const;
  void SetSubscriptStyle(TSubscriptStyle style);
  int UnderlineType() const;  // 0 when not underlined
  void SetUnderlineType(int type);
  bool Bold() const { return Weight() >= QFont::DemiBold; }
  void SetBold(bool on) { SetWeight(on ? QFont::Bold : QFont::Normal); }
  bool Italic() const;
  void SetItalic(bool on);
  bool StrikeOut() const;
  void SetStrikeOut(bool on);
  bool Hidden() const;
  void SetHidden(bool on);
  // Raised (positive) or lowered text, in points; kept in half points.
  double Offset() const;
  void SetOffset(double points);
  // Room added between characters, in points; kept in twips.
  double Spacing() const;
  void SetSpacing(double points);
  // The size from which character pairs are kerned, in points (0: none); kept in half points.
  double Kerning() const;
  void SetKerning(double points);
  int Animation() const;
  void SetAnimation(int type);
  bool SmallCaps() const;
  void SetSmallCaps(bool on);
  bool AllCaps() const;
  void SetAllCaps(bool on);
  bool Outline() const;
  void SetOutline(bool on);
  bool Shadow() const;
  void SetShadow(bool on);
  bool Emboss() const;
  void SetEmboss(bool on);
  bool Imprint() const;
  void SetImprint(bool on);
  // A link; switched on, it leads to the text it is set on.
  bool Link() const;
  void SetLink(bool on);
  TFontStyles Style() const;
  void SetStyle(TFontStyles style);

  // Copies every attribute of another set, or the colour, face, size and exact style of a font.
  void Assign(const TTextAttributes98& source);
  void Assign(const QFont& font, TColor color);
  // Gives a font the face, size and exact style (strike-out included).
  void AssignTo(QFont& font) const;

 private:
  QTextCharFormat Format() const;
  void Change(const std::function<void(QTextCharFormat&)>& change);
  bool Effect(int bit) const;
  void SetEffect(int bit, bool on);
  // The text a selection change applies to: the selection, else the word at the caret.
  QTextCursor Target() const;

  TRichEdit98* control_;
  TAttributeKind kind_;
};

class TParaAttributes98 {
 public:
  explicit TParaAttributes98(TRichEdit98* control) : control_(control) {}
  // Indents in points: the first line's start, the offset of the following lines from it, and
  // the right indent.
  double FirstIndent() const;
  void SetFirstIndent(double points);
  double LeftIndent() const;
  void SetLeftIndent(double points);
  double RightIndent() const;
  void SetRightIndent(double points);
  TAlignment Alignment() const;
  void SetAlignment(TAlignment alignment);
  TNumberingStyle Numbering() const;
  void SetNumbering(TNumberingStyle numbering);

 private:
  TRichEdit98* control_;
};

// The control's paragraphs as a list of lines, in wide text; its language is the control's.
class TWideRichEditStrings98 : public TWideStrings {
 public:
  explicit TWideRichEditStrings98(TRichEdit98* control) : control_(control) {}
  // Paragraph count, less the empty last one.
  int GetCount() const override;
  QString Get(int index) const override;  // empty for a line that does not exist
  // The paragraph's text is replaced; its format stays.
  void Put(int index, const QString& s) override;
  // Inserts before line `index`; at Count() the line is appended.
  void Insert(int index, const QString& s) override;
  void Delete(int index) override;
  void Clear() override;
  QString GetTextStr() const override;  // every line followed by CR LF
  void SetTextStr(const QString& text) override;
  // No repainting while the lines are changed in one update.
  void SetUpdateState(bool updating) override;
  TLanguage Language() const override;
  void SetLanguage(TLanguage language) override;

 private:
  TRichEdit98* control_;
};

// The same lines as 8-bit text in the control's code page, with loading and saving.
class TRichEditStrings98 {
 public:
  explicit TRichEditStrings98(TRichEdit98* control) : control_(control) {}
  int Count() const;
  std::string Get(int index) const;
  void Put(int index, const std::string& s);
  void Insert(int index, const std::string& s);
  int Add(const std::string& s);
  void Delete(int index);
  void Clear();

  // Loading takes the input format (RTF falls back to text when the bytes are not RTF);
  // saving gives the output format.
  void LoadFromStream(const std::string& bytes);
  std::string SaveToStream() const;
  // Files: "Failed to Load Stream" when the file cannot be read; saving replaces the file
  // atomically, "Failed to Save Stream" when it cannot.
  void LoadFromFile(const std::string& name);
  void SaveToFile(const std::string& name) const;

 private:
  std::string StreamBytes() const;

  TRichEdit98* control_;
};

}  // namespace tovix
