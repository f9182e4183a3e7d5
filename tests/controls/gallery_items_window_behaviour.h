#pragma once
// Representative instances of the window behaviour components, for the gallery screenshots.

#include <QLayout>
#include <QWidget>

// Adds to `layout` a caption strip with two caption buttons whose window menu mirrors a popup
// menu ("Top Most", a disabled item, a radio submenu), and a status line fed by the
// application's hints. "Top Most" switches the parent's window to stay on top.
void AddWindowBehaviourGalleryItems(QWidget* parent, QLayout* layout);
