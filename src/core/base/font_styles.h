#pragma once
// Font style bits, shared by the text editor's highlighter attributes and the rich-text
// control's character attributes.

namespace tovix {

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = int;  // or-ed TFontStyle bits

}  // namespace tovix
