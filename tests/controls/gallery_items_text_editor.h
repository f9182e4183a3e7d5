#pragma once
// The text editor control, for the gallery screenshots.

#include <QLayout>
#include <QWidget>

// Adds a text editor showing a real order file (or a small one of its own when the game reports
// are absent), coloured by the order-language highlighter, with line numbers, two bookmarks in
// the gutter and a selection.
void AddTextEditorGalleryItems(QWidget* parent, QLayout* layout);
