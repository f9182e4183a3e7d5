#pragma once
// Representative instances of the list boxes, for the gallery screenshots.

#include <QLayout>
#include <QWidget>

// Adds to `layout` a check list (checked, grayed and disabled items, one selected) beside a
// text list with tabbed lines.
void AddListBoxGalleryItems(QWidget* parent, QLayout* layout);
