#pragma once
// The rich-text control and the colour combo box, for the gallery screenshots.

#include <QLayout>
#include <QWidget>

namespace tovix {
class TColorComboBox;
}

// Adds a rich-text control holding formatted text, a bullet list, a link and a picture, and a
// colour combo box beside it; returns the combo box so that the gallery can show it open.
tovix::TColorComboBox* AddRichTextGalleryItems(QWidget* parent, QLayout* layout);
