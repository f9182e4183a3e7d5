#include "editors/rich_attributes.h"

#include <QFontInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <climits>
#include <cmath>
#include <vector>

#include "core/text/file_utils.h"
#include "editors/rich_edit.h"
#include "editors/rich_text_mapping.h"
#include "editors/rtf.h"

namespace tovix {

using namespace rich_format;

namespace {

constexpr double kPixelsPerPoint = 4.0 / 3.0;
constexpr int kMaxFaceName = 31;
constexpr int kStreamBlock = 4096;  // the bytes between two progress events

QString FromU16(const std::u16string& s) {
  return QString::fromStdU16String(s);
}

}  // namespace

// --- TTextAttributes98 ---

QTextCharFormat TTextAttributes98::Format() const {
  QTextCharFormat format;
  const QFont base = control_->document()->defaultFont();
  if (kind_ == atDefaultText) {
    format.setFont(base);
    format.merge(control_->DefaultFormat());
    return format;
  }
  const QTextCursor cursor = control_->textCursor();
  if (cursor.hasSelection()) {
    QTextCursor first(control_->document());
    first.setPosition(cursor.selectionStart() + 1);
    format = first.charFormat();
  } else {
    format = control_->currentCharFormat();
  }
  if (!format.hasProperty(QTextFormat::FontFamilies)) format.setFontFamilies({base.family()});
  if (!format.hasProperty(QTextFormat::FontPointSize)) format.setFontPointSize(base.pointSizeF());
  if (!format.hasProperty(QTextFormat::FontWeight)) format.setFontWeight(base.weight());
  return format;
}

QTextCursor TTextAttributes98::Target() const {
  QTextCursor cursor = control_->textCursor();
  if (!cursor.hasSelection() && control_->WordFormatting()) {
    QTextCursor word = cursor;
    word.select(QTextCursor::WordUnderCursor);
    if (word.hasSelection()) cursor = word;
  }
  return cursor;
}

void TTextAttributes98::Change(const std::function<void(QTextCharFormat&)>& change) {
  if (kind_ == atDefaultText) {
    change(control_->DefaultFormat());
    QTextCharFormat full;
    full.setFont(control_->document()->defaultFont());
    change(full);
    control_->document()->setDefaultFont(full.font());
    return;
  }
  QTextDocument* document = control_->document();
  const QTextCursor cursor = Target();
  QTextCharFormat current = control_->currentCharFormat();
  change(current);
  if (!cursor.hasSelection()) {
    control_->setCurrentCharFormat(current);
    return;
  }
  // Each fragment keeps its own formats and takes only the change.
  struct Piece {
    int start, end;
    QTextCharFormat format;
  };
  std::vector<Piece> pieces;
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
       block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int from = std::max(start, fragment.position());
      const int to = std::min(end, fragment.position() + fragment.length());
      if (from < to) pieces.push_back({from, to, fragment.charFormat()});
    }
  QTextCursor edit(document);
  edit.beginEditBlock();
  for (auto& piece : pieces) {
    change(piece.format);
    edit.setPosition(piece.start);
    edit.setPosition(piece.end, QTextCursor::KeepAnchor);
    edit.setCharFormat(piece.format);
  }
  edit.endEditBlock();
}

TColor TTextAttributes98::Color() const {
  const QTextCharFormat f = Format();
  if (!f.hasProperty(QTextFormat::ForegroundBrush) || f.foreground().style() == Qt::NoBrush)
    return clWindowText;
  return FromQColor(f.foreground().color());
}

void TTextAttributes98::SetColor(TColor color) {
  const QColor q = ToQColor(color, control_->palette());
  Change([&](QTextCharFormat& f) {
    if (color == clWindowText)
      f.clearForeground();
    else
      f.setForeground(q);
  });
}

QString TTextAttributes98::Name() const {
  const QStringList families = Format().fontFamilies().toStringList();
  return families.isEmpty() ? control_->document()->defaultFont().family() : families.front();
}

void TTextAttributes98::SetName(const QString& name) {
  Change([&](QTextCharFormat& f) {
    f.setFontFamilies({name.left(kMaxFaceName)});
    f.clearProperty(kFontCharset);
  });
}

int TTextAttributes98::Size() const {
  return static_cast<int>(Format().fontPointSize());
}

void TTextAttributes98::SetSize(int points) {
  Change([&](QTextCharFormat& f) { f.setFontPointSize(points); });
}

TFontPitch TTextAttributes98::Pitch() const {
  return QFontInfo(QFont(Name())).fixedPitch() ? fpFixed : fpVariable;
}

int TTextAttributes98::Weight() const {
  return Format().fontWeight();
}

void TTextAttributes98::SetWeight(int weight) {
  Change([&](QTextCharFormat& f) { f.setFontWeight(weight); });
}

TColor TTextAttributes98::BackColor() const {
  const QTextCharFormat f = Format();
  if (!f.hasProperty(QTextFormat::BackgroundBrush) || f.background().style() == Qt::NoBrush)
    return clNone;
  return FromQColor(f.background().color());
}

void TTextAttributes98::SetBackColor(TColor color) {
  const QColor q = ToQColor(color, control_->palette());
  Change([&](QTextCharFormat& f) {
    if (color == clNone || color == clDefault)
      f.clearBackground();
    else
      f.setBackground(q);
  });
}

TLanguage TTextAttributes98::Language() const {
  return static_cast<TLanguage>(Format().intProperty(kLanguage));
}

void TTextAttributes98::SetLanguage(TLanguage language) {
  Change([&](QTextCharFormat& f) { f.setProperty(kLanguage, language); });
}

TSubscriptStyle TTextAttributes98::SubscriptStyle() const {
  switch (Format().verticalAlignment()) {
    case QTextCharFormat::AlignSubScript:
      return ssSubscript;
    case QTextCharFormat::AlignSuperScript:
      return ssSuperscript;
    default:
      return ssNone;
  }
}

void TTextAttributes98::SetSubscriptStyle(TSubscriptStyle style) {
  Change([&](QTextCharFormat& f) {
    f.setVerticalAlignment(style == ssSubscript     ? QTextCharFormat::AlignSubScript
                           : style == ssSuperscript ? QTextCharFormat::AlignSuperScript
                                                    : QTextCharFormat::AlignNormal);
  });
}

int TTextAttributes98::UnderlineType() const {
  const QTextCharFormat f = Format();
  if (!f.fontUnderline()) return 0;
  return f.hasProperty(kUnderlineType) ? std::max(1, f.intProperty(kUnderlineType)) : 1;
}

void TTextAttributes98::SetUnderlineType(int type) {
  Change([&](QTextCharFormat& f) {
    f.setFontUnderline(type > 0);
    if (type > 1)
      f.setProperty(kUnderlineType, type);
    else
      f.clearProperty(kUnderlineType);
  });
}

bool TTextAttributes98::Italic() const {
  return Format().fontItalic();
}
void TTextAttributes98::SetItalic(bool on) {
  Change([&](QTextCharFormat& f) { f.setFontItalic(on); });
}
bool TTextAttributes98::StrikeOut() const {
  return Format().fontStrikeOut();
}
void TTextAttributes98::SetStrikeOut(bool on) {
  Change([&](QTextCharFormat& f) { f.setFontStrikeOut(on); });
}
bool TTextAttributes98::Hidden() const {
  return Format().boolProperty(kHidden);
}
void TTextAttributes98::SetHidden(bool on) {
  Change([&](QTextCharFormat& f) {
    if (on)
      f.setProperty(kHidden, true);
    else
      f.clearProperty(kHidden);
  });
}
bool TTextAttributes98::Effect(int bit) const {
  return (Format().intProperty(kEffects) & bit) != 0;
}
void TTextAttributes98::SetEffect(int bit, bool on) {
  Change([&](QTextCharFormat& f) {
    const int effects = (f.intProperty(kEffects) & ~bit) | (on ? bit : 0);
    if (effects != 0)
      f.setProperty(kEffects, effects);
    else
      f.clearProperty(kEffects);
    ApplyCapitalization(f);
  });
}
bool TTextAttributes98::SmallCaps() const {
  return Effect(kEffectSmallCaps);
}
void TTextAttributes98::SetSmallCaps(bool on) {
  SetEffect(kEffectSmallCaps, on);
}
bool TTextAttributes98::AllCaps() const {
  return Effect(kEffectAllCaps);
}
void TTextAttributes98::SetAllCaps(bool on) {
  SetEffect(kEffectAllCaps, on);
}
bool TTextAttributes98::Outline() const {
  return Effect(kEffectOutline);
}
void TTextAttributes98::SetOutline(bool on) {
  SetEffect(kEffectOutline, on);
}
bool TTextAttributes98::Shadow() const {
  return Effect(kEffectShadow);
}
void TTextAttributes98::SetShadow(bool on) {
  SetEffect(kEffectShadow, on);
}
bool TTextAttributes98::Emboss() const {
  return Effect(kEffectEmboss);
}
void TTextAttributes98::SetEmboss(bool on) {
  SetEffect(kEffectEmboss, on);
}
bool TTextAttributes98::Imprint() const {
  return Effect(kEffectImprint);
}
void TTextAttributes98::SetImprint(bool on) {
  SetEffect(kEffectImprint, on);
}

bool TTextAttributes98::Link() const {
  return Format().isAnchor();
}
void TTextAttributes98::SetLink(bool on) {
  const QString target = kind_ == atSelected ? Target().selectedText() : QString();
  Change([&](QTextCharFormat& f) {
    if (on) {
      f.setAnchor(true);
      f.setAnchorHref(target);
    } else {
      f.clearProperty(QTextFormat::IsAnchor);
      f.clearProperty(QTextFormat::AnchorHref);
    }
  });
}

namespace {

// A stored whole number from a value in points: `per_point` units to the point.
void SetUnits(QTextCharFormat& f, int property, double points, int per_point) {
  const int units = static_cast<int>(std::lround(points * per_point));
  if (units != 0)
    f.setProperty(property, units);
  else
    f.clearProperty(property);
}

}  // namespace

double TTextAttributes98::Offset() const {
  return Format().intProperty(kOffset) / 2.0;
}
void TTextAttributes98::SetOffset(double points) {
  Change([&](QTextCharFormat& f) { SetUnits(f, kOffset, points, 2); });
}
double TTextAttributes98::Spacing() const {
  return Format().intProperty(kSpacing) / 20.0;
}
void TTextAttributes98::SetSpacing(double points) {
  Change([&](QTextCharFormat& f) {
    SetUnits(f, kSpacing, points, 20);
    if (f.hasProperty(kSpacing)) {
      f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
      f.setFontLetterSpacing(f.intProperty(kSpacing) * kPixelsPerTwip);
    } else {
      f.clearProperty(QTextFormat::FontLetterSpacingType);
      f.clearProperty(QTextFormat::FontLetterSpacing);
    }
  });
}
double TTextAttributes98::Kerning() const {
  return Format().intProperty(kKerning) / 2.0;
}
void TTextAttributes98::SetKerning(double points) {
  Change([&](QTextCharFormat& f) { SetUnits(f, kKerning, std::max(points, 0.0), 2); });
}
int TTextAttributes98::Animation() const {
  return Format().intProperty(kAnimation);
}
void TTextAttributes98::SetAnimation(int type) {
  Change([&](QTextCharFormat& f) {
    if (type > 0)
      f.setProperty(kAnimation, std::min(type, 255));
    else
      f.clearProperty(kAnimation);
  });
}

TFontStyles TTextAttributes98::Style() const {
  const QTextCharFormat f = Format();
  return (f.fontWeight() >= QFont::DemiBold ? fsBold : 0) | (f.fontItalic() ? fsItalic : 0) |
         (f.fontUnderline() ? fsUnderline : 0) | (f.fontStrikeOut() ? fsStrikeOut : 0);
}

void TTextAttributes98::SetStyle(TFontStyles style) {
  Change([&](QTextCharFormat& f) {
    f.setFontWeight((style & fsBold) ? QFont::Bold : QFont::Normal);
    f.setFontItalic((style & fsItalic) != 0);
    f.setFontStrikeOut((style & fsStrikeOut) != 0);
    f.setFontUnderline((style & fsUnderline) != 0);
    f.clearProperty(kUnderlineType);
  });
}

void TTextAttributes98::Assign(const TTextAttributes98& source) {
  const QTextCharFormat from = source.Format();
  Change([&](QTextCharFormat& f) {
    for (int property : {int(QTextFormat::ForegroundBrush),
                         int(QTextFormat::FontFamilies),
                         int(QTextFormat::FontPointSize),
                         int(QTextFormat::FontWeight),
                         int(QTextFormat::BackgroundBrush),
                         int(QTextFormat::TextVerticalAlignment),
                         int(QTextFormat::TextUnderlineStyle),
                         int(QTextFormat::FontItalic),
                         int(QTextFormat::FontStrikeOut),
                         int(QTextFormat::FontCapitalization),
                         int(QTextFormat::FontLetterSpacing),
                         int(QTextFormat::FontLetterSpacingType),
                         int(QTextFormat::IsAnchor),
                         int(QTextFormat::AnchorHref),
                         kLanguage,
                         kUnderlineType,
                         kFontCharset,
                         kHidden,
                         kOffset,
                         kSpacing,
                         kKerning,
                         kAnimation,
                         kEffects}) {
      if (from.hasProperty(property))
        f.setProperty(property, from.property(property));
      else
        f.clearProperty(property);
    }
  });
}

void TTextAttributes98::Assign(const QFont& font, TColor color) {
  const QColor q = ToQColor(color, control_->palette());
  Change([&](QTextCharFormat& f) {
    if (color == clWindowText)
      f.clearForeground();
    else
      f.setForeground(q);
    f.setFontFamilies({font.family().left(kMaxFaceName)});
    f.clearProperty(kFontCharset);
    if (font.pointSizeF() > 0) f.setFontPointSize(font.pointSizeF());
    f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
    f.setFontItalic(font.italic());
    f.setFontStrikeOut(font.strikeOut());
    f.setFontUnderline(font.underline());
    f.clearProperty(kUnderlineType);
  });
}

void TTextAttributes98::AssignTo(QFont& font) const {
  font.setFamily(Name());
  font.setPointSize(Size());
  font.setBold(Bold());
  font.setItalic(Italic());
  font.setUnderline(UnderlineType() != 0);
  font.setStrikeOut(StrikeOut());
}

// --- TParaAttributes98 ---

namespace {

QTextBlockFormat CurrentBlock(const TRichEdit98* control) {
  return control->textCursor().blockFormat();
}

// Applies a change to every paragraph of the selection, as one undo step.
template <typename Change>
void ChangeBlocks(TRichEdit98* control, Change change) {
  const QTextCursor cursor = control->textCursor();
  QTextDocument* document = control->document();
  QTextCursor edit(document);
  edit.beginEditBlock();
  const QTextBlock last = document->findBlock(cursor.selectionEnd());
  for (QTextBlock block = document->findBlock(cursor.selectionStart()); block.isValid();
       block = block.next()) {
    QTextBlockFormat format = block.blockFormat();
    change(format, block);
    edit.setPosition(block.position());
    edit.setBlockFormat(format);
    if (block == last) break;
  }
  edit.endEditBlock();
}

}  // namespace

double TParaAttributes98::FirstIndent() const {
  const QTextBlockFormat f = CurrentBlock(control_);
  return (f.leftMargin() + f.textIndent()) / kPixelsPerPoint;
}

void TParaAttributes98::SetFirstIndent(double points) {
  ChangeBlocks(control_, [&](QTextBlockFormat& f, const QTextBlock&) {
    const double offset = -f.textIndent();
    f.setLeftMargin(points * kPixelsPerPoint + offset);
  });
}

double TParaAttributes98::LeftIndent() const {
  return -CurrentBlock(control_).textIndent() / kPixelsPerPoint;
}

void TParaAttributes98::SetLeftIndent(double points) {
  ChangeBlocks(control_, [&](QTextBlockFormat& f, const QTextBlock&) {
    const double start = f.leftMargin() + f.textIndent();
    f.setLeftMargin(start + points * kPixelsPerPoint);
    f.setTextIndent(-points * kPixelsPerPoint);
  });
}

double TParaAttributes98::RightIndent() const {
  return CurrentBlock(control_).rightMargin() / kPixelsPerPoint;
}

void TParaAttributes98::SetRightIndent(double points) {
  ChangeBlocks(control_, [&](QTextBlockFormat& f, const QTextBlock&) {
    f.setRightMargin(points * kPixelsPerPoint);
  });
}

TAlignment TParaAttributes98::Alignment() const {
  const Qt::Alignment a = CurrentBlock(control_).alignment();
  if (a & Qt::AlignRight) return taRightJustify;
  if (a & Qt::AlignHCenter) return taCenter;
  return taLeftJustify;
}

void TParaAttributes98::SetAlignment(TAlignment alignment) {
  ChangeBlocks(control_, [&](QTextBlockFormat& f, const QTextBlock&) {
    f.setAlignment(alignment == taRightJustify ? Qt::AlignRight
                   : alignment == taCenter     ? Qt::AlignHCenter
                                               : Qt::AlignLeft);
  });
}

TNumberingStyle TParaAttributes98::Numbering() const {
  return control_->textCursor().currentList() ? nsBullet : nsNone;
}

void TParaAttributes98::SetNumbering(TNumberingStyle numbering) {
  QTextCursor cursor = control_->textCursor();
  cursor.beginEditBlock();
  if (numbering == nsBullet && !cursor.currentList()) {
    QTextListFormat list;
    list.setStyle(QTextListFormat::ListDisc);
    list.setIndent(0);
    cursor.createList(list);
  } else if (numbering == nsNone) {
    QTextDocument* document = control_->document();
    const QTextBlock last = document->findBlock(cursor.selectionEnd());
    for (QTextBlock block = document->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
      if (QTextList* list = block.textList()) list->remove(block);
      if (block == last) break;
    }
  }
  cursor.endEditBlock();
}

// --- TWideRichEditStrings98 ---

int TWideRichEditStrings98::GetCount() const {
  const QTextDocument* document = control_->document();
  const int blocks = document->blockCount();
  return document->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

QString TWideRichEditStrings98::Get(int index) const {
  const QTextBlock block = control_->document()->findBlockByNumber(index);
  return block.isValid() && index >= 0 ? block.text() : QString();
}

void TWideRichEditStrings98::Put(int index, const QString& s) {
  const QTextBlock block = control_->document()->findBlockByNumber(index);
  if (index < 0 || !block.isValid()) return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(s);
}

void TWideRichEditStrings98::Insert(int index, const QString& s) {
  const int count = Count();
  if (index < 0 || index > count) return;
  QTextDocument* document = control_->document();
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  if (index < count) {
    cursor.setPosition(document->findBlockByNumber(index).position());
    cursor.insertText(s);
    cursor.insertBlock();
  } else if (count < document->blockCount()) {
    // The empty last paragraph takes the line and a new empty one follows.
    cursor.setPosition(document->lastBlock().position());
    cursor.insertText(s);
    cursor.insertBlock();
  } else {
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    cursor.insertText(s);
  }
  cursor.endEditBlock();
}

void TWideRichEditStrings98::Delete(int index) {
  QTextDocument* document = control_->document();
  const QTextBlock block = document->findBlockByNumber(index);
  if (index < 0 || !block.isValid()) return;
  QTextCursor cursor(document);
  if (block.next().isValid()) {
    cursor.setPosition(block.position());
    cursor.setPosition(block.next().position(), QTextCursor::KeepAnchor);
  } else {
    cursor.setPosition(index > 0 ? block.position() - 1 : block.position());
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
  }
  cursor.removeSelectedText();
}

void TWideRichEditStrings98::Clear() {
  control_->clear();
}

QString TWideRichEditStrings98::GetTextStr() const {
  QString text;
  const int count = Count();
  for (int i = 0; i < count; ++i) text += Get(i) + QStringLiteral("\r\n");
  return text;
}

void TWideRichEditStrings98::SetTextStr(const QString& text) {
  RichDocument rich = RichDocumentFromText(text.toStdU16String());
  if (rich.paragraphs.size() > 1 && rich.paragraphs.back().runs.empty())
    rich.paragraphs.pop_back();  // a final line end adds no empty line
  if (!text.isEmpty()) rich.paragraphs.emplace_back();
  RichDocumentToQt(rich, control_->document());  // the whole text, whatever is selected
}

void TWideRichEditStrings98::SetUpdateState(bool updating) {
  control_->setUpdatesEnabled(!updating);
  if (!updating) control_->viewport()->update();
}

TLanguage TWideRichEditStrings98::Language() const {
  return control_->Language();
}
void TWideRichEditStrings98::SetLanguage(TLanguage language) {
  control_->SetLanguage(language);
}

// --- TRichEditStrings98 ---

int TRichEditStrings98::Count() const {
  return control_->WideLines().Count();
}

std::string TRichEditStrings98::Get(int index) const {
  return WideToAnsi(control_->WideLines().Get(index).toStdU16String(), control_->CodePageNumber());
}

void TRichEditStrings98::Put(int index, const std::string& s) {
  control_->WideLines().Put(index, FromU16(AnsiToWide(s, control_->CodePageNumber())));
}

void TRichEditStrings98::Insert(int index, const std::string& s) {
  control_->WideLines().Insert(index, FromU16(AnsiToWide(s, control_->CodePageNumber())));
}

int TRichEditStrings98::Add(const std::string& s) {
  return control_->WideLines().Add(FromU16(AnsiToWide(s, control_->CodePageNumber())));
}

void TRichEditStrings98::Delete(int index) {
  control_->WideLines().Delete(index);
}
void TRichEditStrings98::Clear() {
  control_->clear();
}

void TRichEditStrings98::LoadFromStream(const std::string& bytes) {
  const int size = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX));
  for (int position = 0;; position += std::min(kStreamBlock, size - position)) {
    emit control_->loadProgress(position, size);
    if (position >= size) break;
  }
  const int code_page = control_->CodePageNumber();
  RichDocument rich;
  switch (control_->InputFormat()) {
    case ifRTF: {
      RtfReadResult result = ReadRtf(bytes, control_->PlainRTF());
      rich = result.document ? std::move(*result.document)  // else the bytes load as text
                             : RichDocumentFromAnsi(bytes, code_page);
      break;
    }
    case ifText:
      rich = RichDocumentFromAnsi(bytes, code_page);
      break;
    case ifUnicode: {
      std::u16string text;
      size_t start = 0;
      bool big_endian = false;
      if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') start = 2;
      if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        start = 2;
        big_endian = true;
      }
      for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(big_endian ? (a << 8) | b : a | (b << 8));
      }
      rich = RichDocumentFromText(text);
      break;
    }
  }
  control_->LoadRichDocument(rich);
}

std::string TRichEditStrings98::SaveToStream() const {
  std::string bytes = StreamBytes();
  const int size = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX));
  for (int position = 0; position < size;) {
    position += std::min(kStreamBlock, size - position);
    emit control_->saveProgress(position, position);
  }
  return bytes;
}

std::string TRichEditStrings98::StreamBytes() const {
  RichDocument rich = control_->ToRichDocument();
  const TOutputFormat format = control_->OutputFormat();
  if (format == ofRTF) return WriteRtf(rich, control_->PlainRTF());
  if (format == ofRTFNoObjs) {
    for (auto& paragraph : rich.paragraphs)
      std::erase_if(paragraph.runs, [](const RichRun& run) { return run.IsOpaque(); });
    return WriteRtf(rich, control_->PlainRTF());
  }
  std::u16string text = rich.PlainText();
  std::erase(text, u'\uFFFC');
  if (format == ofUnicode) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  }
  return WideToAnsi(text, control_->CodePageNumber());
}

void TRichEditStrings98::LoadFromFile(const std::string& name) {
  std::string bytes;
  try {
    bytes = LoadFileToString(name);
  } catch (const EFileError& error) {
    throw ERichEditError("Failed to Load Stream", error.what());
  }
  LoadFromStream(bytes);
}

void TRichEditStrings98::SaveToFile(const std::string& name) const {
  try {
    WriteFileAtomically(name, SaveToStream());
  } catch (const EFileError& error) {
    throw ERichEditError("Failed to Save Stream", error.what());
  }
}

}  // namespace tovix
