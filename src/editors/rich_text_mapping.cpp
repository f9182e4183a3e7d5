#include "editors/rich_text_mapping.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

namespace tovix {

using namespace rich_format;

namespace {

QColor ToQColor(const RichColor& c) {
  return QColor(c.red, c.green, c.blue);
}
RichColor FromQColor(const QColor& c) {
  return RichColor{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                   static_cast<std::uint8_t>(c.blue())};
}

QString ToQString(const std::u16string& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QTextBlockFormat ToQtBlockFormat(const RichParaFormat& p) {
  QTextBlockFormat block;
  switch (p.alignment) {
    case RichAlignment::kLeft:
      block.setAlignment(Qt::AlignLeft);
      break;
    case RichAlignment::kRight:
      block.setAlignment(Qt::AlignRight);
      break;
    case RichAlignment::kCenter:
      block.setAlignment(Qt::AlignHCenter);
      break;
    case RichAlignment::kJustify:
      block.setAlignment(Qt::AlignJustify);
      break;
  }
  block.setLeftMargin(p.left_indent * kPixelsPerTwip);
  block.setTextIndent(p.first_indent * kPixelsPerTwip);
  block.setRightMargin(p.right_indent * kPixelsPerTwip);
  block.setTopMargin(p.space_before * kPixelsPerTwip);
  block.setBottomMargin(p.space_after * kPixelsPerTwip);
  QList<QTextOption::Tab> tabs;
  for (int tab : p.tabs) tabs.append(QTextOption::Tab(tab * kPixelsPerTwip, QTextOption::LeftTab));
  block.setTabPositions(tabs);
  return block;
}

int Twips(double pixels) {
  return static_cast<int>(std::lround(pixels / kPixelsPerTwip));
}

RichParaFormat FromQtBlock(const QTextBlock& block) {
  const QTextBlockFormat f = block.blockFormat();
  RichParaFormat p;
  const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
  if (a & Qt::AlignRight) p.alignment = RichAlignment::kRight;
  if (a & Qt::AlignHCenter) p.alignment = RichAlignment::kCenter;
  if (a & Qt::AlignJustify) p.alignment = RichAlignment::kJustify;
  p.left_indent = Twips(f.leftMargin());
  p.first_indent = Twips(f.textIndent());
  p.right_indent = Twips(f.rightMargin());
  p.space_before = Twips(f.topMargin());
  p.space_after = Twips(f.bottomMargin());
  for (const auto& tab : f.tabPositions()) p.tabs.push_back(Twips(tab.position));
  p.bullet = block.textList() != nullptr;
  return p;
}

}  // namespace

void ApplyCapitalization(QTextCharFormat& format) {
  const int effects = format.intProperty(kEffects);
  if (effects & kEffectAllCaps)
    format.setFontCapitalization(QFont::AllUppercase);
  else if (effects & kEffectSmallCaps)
    format.setFontCapitalization(QFont::SmallCaps);
  else
    format.clearProperty(QTextFormat::FontCapitalization);
}

QTextCharFormat ToQtCharFormat(const RichCharFormat& f) {
  QTextCharFormat q;
  if (!f.font.empty()) {
    q.setFontFamilies(QStringList{ToQString(f.font)});
    q.setProperty(kFontCharset, f.font_charset);
  }
  if (f.half_points > 0) q.setFontPointSize(f.half_points / 2.0);
  if (f.bold) q.setFontWeight(QFont::Bold);
  if (f.italic) q.setFontItalic(true);
  if (f.strike_out) q.setFontStrikeOut(true);
  if (f.underline > 0) {
    q.setFontUnderline(true);
    q.setProperty(kUnderlineType, f.underline);
  }
  if (f.color) q.setForeground(ToQColor(*f.color));
  if (f.back_color) q.setBackground(ToQColor(*f.back_color));
  if (f.vertical == VerticalPosition::kSuperscript)
    q.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (f.vertical == VerticalPosition::kSubscript)
    q.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  if (f.hidden) q.setProperty(kHidden, true);
  if (f.language > 0) q.setProperty(kLanguage, f.language);
  if (f.offset != 0) q.setProperty(kOffset, f.offset);
  if (f.spacing != 0) {
    q.setProperty(kSpacing, f.spacing);
    q.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    q.setFontLetterSpacing(f.spacing * kPixelsPerTwip);
  }
  if (f.kerning > 0) q.setProperty(kKerning, f.kerning);
  if (f.animation > 0) q.setProperty(kAnimation, f.animation);
  const int effects = (f.outline ? kEffectOutline : 0) | (f.shadow ? kEffectShadow : 0) |
                      (f.emboss ? kEffectEmboss : 0) | (f.imprint ? kEffectImprint : 0) |
                      (f.small_caps ? kEffectSmallCaps : 0) | (f.all_caps ? kEffectAllCaps : 0);
  if (effects != 0) {
    q.setProperty(kEffects, effects);
    ApplyCapitalization(q);
  }
  if (f.link) {
    q.setAnchor(true);
    q.setAnchorHref(ToQString(f.link_target));
  }
  return q;
}

RichCharFormat FromQtCharFormat(const QTextCharFormat& q) {
  RichCharFormat f;
  if (q.hasProperty(QTextFormat::FontFamilies)) {
    const QStringList families = q.fontFamilies().toStringList();
    if (!families.isEmpty()) {
      f.font = families.front().toStdU16String();
      f.font_charset = q.intProperty(kFontCharset);
    }
  }
  if (q.hasProperty(QTextFormat::FontPointSize))
    f.half_points = static_cast<int>(std::lround(q.fontPointSize() * 2));
  f.bold = q.hasProperty(QTextFormat::FontWeight) && q.fontWeight() >= QFont::DemiBold;
  f.italic = q.fontItalic();
  f.strike_out = q.fontStrikeOut();
  if (q.fontUnderline())
    f.underline = q.hasProperty(kUnderlineType) ? std::max(1, q.intProperty(kUnderlineType)) : 1;
  if (q.hasProperty(QTextFormat::ForegroundBrush) && q.foreground().style() != Qt::NoBrush)
    f.color = FromQColor(q.foreground().color());
  if (q.hasProperty(QTextFormat::BackgroundBrush) && q.background().style() != Qt::NoBrush)
    f.back_color = FromQColor(q.background().color());
  if (q.verticalAlignment() == QTextCharFormat::AlignSuperScript)
    f.vertical = VerticalPosition::kSuperscript;
  if (q.verticalAlignment() == QTextCharFormat::AlignSubScript)
    f.vertical = VerticalPosition::kSubscript;
  f.hidden = q.boolProperty(kHidden);
  f.language = q.intProperty(kLanguage);
  f.offset = q.intProperty(kOffset);
  f.spacing = q.intProperty(kSpacing);
  f.kerning = q.intProperty(kKerning);
  f.animation = q.intProperty(kAnimation);
  const int effects = q.intProperty(kEffects);
  f.small_caps = (effects & kEffectSmallCaps) != 0;
  f.all_caps = (effects & kEffectAllCaps) != 0;
  f.outline = (effects & kEffectOutline) != 0;
  f.shadow = (effects & kEffectShadow) != 0;
  f.emboss = (effects & kEffectEmboss) != 0;
  f.imprint = (effects & kEffectImprint) != 0;
  f.link = q.isAnchor();
  if (f.link) f.link_target = q.anchorHref().toStdU16String();
  return f;
}

void RichDocumentToQt(const RichDocument& rich, QTextDocument* document) {
  document->clear();
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  QTextList* list = nullptr;
  for (size_t i = 0; i < rich.paragraphs.size(); ++i) {
    const RichParagraph& paragraph = rich.paragraphs[i];
    const QTextBlockFormat block = ToQtBlockFormat(paragraph.format);
    // An empty paragraph is set in its end's format, as it was typed.
    const QTextCharFormat mark =
        paragraph.runs.empty() ? ToQtCharFormat(paragraph.mark) : QTextCharFormat();
    if (i == 0) {
      cursor.setBlockFormat(block);
      cursor.setBlockCharFormat(mark);
    } else {
      cursor.insertBlock(block, mark);
    }
    if (paragraph.format.bullet) {
      if (list) {
        list->add(cursor.block());
      } else {
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        format.setIndent(0);
        list = cursor.createList(format);
      }
    } else {
      list = nullptr;
    }
    for (const auto& run : paragraph.runs) {
      if (run.IsOpaque()) {
        QTextCharFormat format;
        format.setObjectType(kOpaqueObject);
        format.setProperty(kOpaqueBytes, QByteArray::fromStdString(run.opaque));
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
      } else {
        cursor.insertText(ToQString(run.text), ToQtCharFormat(run.format));
      }
    }
  }
  cursor.endEditBlock();
}

RichDocument RichDocumentFromQt(const QTextDocument* document, int code_page, int language) {
  RichDocument rich;
  rich.code_page = code_page;
  rich.language = language;
  rich.default_font = document->defaultFont().family().toStdU16String();
  // Text in the document's own size names that size: another editor's default may differ.
  const double default_points = document->defaultFont().pointSizeF();
  const int default_half_points =
      default_points > 0 ? static_cast<int>(std::lround(default_points * 2)) : 0;
  const auto sized = [default_half_points](const QTextCharFormat& format) {
    RichCharFormat f = FromQtCharFormat(format);
    if (f.half_points == 0) f.half_points = default_half_points;
    return f;
  };
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    RichParagraph paragraph;
    paragraph.format = FromQtBlock(block);
    if (block.length() <= 1) paragraph.mark = sized(block.charFormat());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const QTextCharFormat format = fragment.charFormat();
      if (format.objectType() == kOpaqueObject) {
        RichRun run;
        run.opaque = format.property(kOpaqueBytes).toByteArray().toStdString();
        if (run.opaque.empty()) continue;
        for (int n = 0; n < fragment.length(); ++n) paragraph.runs.push_back(run);
        continue;
      }
      AppendRichText(paragraph, sized(format), fragment.text().toStdU16String());
    }
    rich.paragraphs.push_back(std::move(paragraph));
  }
  return rich;
}

QSizeF OpaqueObjectHandler::intrinsicSize(QTextDocument*, int, const QTextFormat&) {
  return QSizeF(48, 32);
}

void OpaqueObjectHandler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                                     const QTextFormat& format) {
  painter->save();
  painter->setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
  painter->setBrush(QColor(240, 240, 240));
  painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
  const QByteArray bytes = format.property(kOpaqueBytes).toByteArray();
  painter->setPen(Qt::darkGray);
  painter->drawText(rect, Qt::AlignCenter,
                    bytes.contains("\\pict") && !bytes.contains("\\object")
                        ? QStringLiteral("Picture")
                        : QStringLiteral("Object"));
  painter->restore();
}

}  // namespace tovix
