#pragma once
// Between the rich document model and a QTextDocument. Formats Qt has no field for (underline
// type, font character set, hidden text, language, offset, spacing, kerning, animation and the
// outline, shadow, emboss and imprint effects) travel as user properties of the character
// format; a link is an anchor; an opaque group becomes an inline object that draws a placeholder
// and keeps its bytes.

#include <QObject>
#include <QTextCharFormat>
#include <QTextObjectInterface>

#include "editors/rich_document.h"

class QTextDocument;

namespace tovix {

namespace rich_format {
constexpr int kOpaqueObject = QTextFormat::UserObject + 1;
constexpr int kOpaqueBytes = QTextFormat::UserProperty + 1;
constexpr int kUnderlineType = QTextFormat::UserProperty + 2;
constexpr int kFontCharset = QTextFormat::UserProperty + 3;
constexpr int kHidden = QTextFormat::UserProperty + 4;
constexpr int kLanguage = QTextFormat::UserProperty + 5;
// Kept for the file; Qt draws only the spacing and the capitals.
constexpr int kOffset = QTextFormat::UserProperty + 6;     // half points, up positive
constexpr int kSpacing = QTextFormat::UserProperty + 7;    // twips
constexpr int kKerning = QTextFormat::UserProperty + 8;    // half points
constexpr int kAnimation = QTextFormat::UserProperty + 9;  // animation type
constexpr int kEffects = QTextFormat::UserProperty + 10;   // the kEffect... bits
constexpr int kEffectOutline = 1;
constexpr int kEffectShadow = 2;
constexpr int kEffectEmboss = 4;
constexpr int kEffectImprint = 8;
constexpr int kEffectSmallCaps = 16;  // Qt shows one capitalization: all capitals win
constexpr int kEffectAllCaps = 32;
}  // namespace rich_format

// Document units per twip: 1 pt = 20 twips = 4/3 pixels.
constexpr double kPixelsPerTwip = 1.0 / 15.0;

QTextCharFormat ToQtCharFormat(const RichCharFormat& format);
// Sets Qt's capitalization from the small and all capitals bits of kEffects.
void ApplyCapitalization(QTextCharFormat& format);
RichCharFormat FromQtCharFormat(const QTextCharFormat& format);

// Replaces the document's content.
void RichDocumentToQt(const RichDocument& rich, QTextDocument* document);
// The document's content; code page, language and default font come from the arguments.
RichDocument RichDocumentFromQt(const QTextDocument* document, int code_page, int language);

// Draws an opaque group as a framed placeholder box.
class OpaqueObjectHandler : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  using QObject::QObject;
  QSizeF intrinsicSize(QTextDocument* doc, int pos, const QTextFormat& format) override;
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int pos,
                  const QTextFormat& format) override;
};

}  // namespace tovix
