// Puts every form control into one window and saves a picture of it, so the controls can be
// looked at. Under Xvfb with QT_QPA_PLATFORM=xcb the picture shows the real platform rendering
// (docs/screenshots.md); offscreen it still checks that every control builds and paints.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>

#include "controls/caption_strip.h"
#include "controls/color_combo_box.h"
#include "controls/combo_edit.h"
#include "controls/directory_edit.h"
#include "controls/list_boxes.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"
#include "editors/rich_edit.h"
#include "editors/text_editor.h"
#include "gallery_items_buttons_and_edits.h"
#include "gallery_items_list_boxes.h"
#include "gallery_items_rich_text.h"
#include "gallery_items_text_editor.h"
#include "gallery_items_window_behaviour.h"
#include "support/show_window.h"

namespace tovix {
namespace {

QString ScreenshotDir() {
  const char* dir = std::getenv("TOVIX_SCREENSHOT_DIR");
  return QString::fromLocal8Bit(dir ? dir : TOVIX_SCREENSHOT_DEFAULT);
}

TEST(ControlsGallery, EveryControlPaintsIntoOneWindow) {
  QWidget window;
  window.setWindowTitle("Tovix controls");
  auto* layout = new QVBoxLayout(&window);
  AddWindowBehaviourGalleryItems(&window, layout);
  AddButtonsAndEditsGalleryItems(&window, layout);
  AddListBoxGalleryItems(&window, layout);
  TColorComboBox* colors = AddRichTextGalleryItems(&window, layout);
  AddTextEditorGalleryItems(&window, layout);
  window.resize(520, window.sizeHint().height() + 100);
  window.show();
  ASSERT_TRUE(test::ShowExposed(window));

  EXPECT_FALSE(window.findChildren<TRxSpeedButton*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TRxSpinEdit*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TComboEdit*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TDirectoryEdit*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TRxCheckListBox*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TTextListBox*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TCaptionStrip*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TRichEdit98*>().isEmpty());
  EXPECT_FALSE(window.findChildren<TTextEditor*>().isEmpty());

  // The colour combo box is shown open: its list is a window of its own, drawn onto the
  // picture where it stands.
  colors->showPopup();
  QWidget* popup = colors->view()->window();
  ASSERT_TRUE(popup->isVisible());
  QImage picture = window.grab().toImage();
  {
    QPainter painter(&picture);
    const QPoint at = window.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0)));
    painter.drawPixmap(at, popup->grab());
  }
  colors->hidePopup();
  ASSERT_FALSE(picture.isNull());
  // A blank window would have one or two colours; painted controls have many.
  QSet<QRgb> colours;
  for (int y = 0; y < picture.height(); y += 3)
    for (int x = 0; x < picture.width(); x += 3) colours.insert(picture.pixel(x, y));
  EXPECT_GT(colours.size(), 8);

  const QString dir = ScreenshotDir();
  ASSERT_TRUE(QDir().mkpath(dir));
  const QString file = dir + "/controls-gallery.png";
  ASSERT_TRUE(picture.save(file, "PNG")) << file.toStdString();
  EXPECT_TRUE(QImage(file).size() == picture.size());
}

}  // namespace
}  // namespace tovix
