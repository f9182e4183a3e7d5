#pragma once
// Representative instances of the speed button, the spin edit and the edits with a button, for
// the gallery of controls.

class QLayout;
class QWidget;

// Adds one labelled row per control to `layout`, each widget a child of `parent`.
void AddButtonsAndEditsGalleryItems(QWidget* parent, QLayout* layout);
