#pragma once
// Small types that several of the form controls share.

#include <QColor>

namespace tovix {

// Horizontal placement of a caption or an edit's text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Qt alignment flags for a TAlignment, vertically centred.
Qt::Alignment ToQtAlignment(TAlignment alignment);

}  // namespace tovix
