#include "gallery_items_buttons_and_edits.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QWidget>

#include "controls/combo_edit.h"
#include "controls/directory_edit.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"

using namespace tovix;

namespace {

// A two-cell glyph strip (up, disabled): a dark arrow on fuchsia, and its grey twin.
QImage ArrowStrip() {
  QImage image(32, 16, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  QPainter p(&image);
  for (int cell = 0; cell < 2; ++cell) {
    p.setPen(cell == 0 ? QColor(0, 0, 128) : QColor(128, 128, 128));
    for (int row = 0; row < 6; ++row)
      p.drawLine(16 * cell + 3 + row, 4 + row, 16 * cell + 12 - row, 4 + row);
  }
  return image;
}

void AddRow(QWidget* parent, QLayout* layout, const QString& label, QWidget* control) {
  auto* row = new QWidget(parent);
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(0, 0, 0, 0);
  line->addWidget(new QLabel(label, row));
  control->setParent(row);
  line->addWidget(control);
  line->addStretch();
  layout->addWidget(row);
}

}  // namespace

void AddButtonsAndEditsGalleryItems(QWidget* parent, QLayout* layout) {
  auto* button = new TRxSpeedButton;
  button->SetCaption(QStringLiteral("&Calculator"));
  button->SetGlyph(ArrowStrip());
  button->SetLayout(blGlyphLeft);
  button->setFixedSize(110, 25);
  AddRow(parent, layout, QStringLiteral("Speed button"), button);

  auto* latched = new TRxSpeedButton;
  latched->SetCaption(QStringLiteral("Down"));
  latched->SetGroupIndex(1);
  latched->SetDown(true);
  latched->setFixedSize(60, 25);
  AddRow(parent, layout, QStringLiteral("Latched in a group"), latched);

  auto* menuButton = new TRxSpeedButton;
  menuButton->SetCaption(QStringLiteral("Menu"));
  auto* menu = new QMenu(menuButton);
  menu->addAction(QStringLiteral("One"));
  menuButton->SetDropDownMenu(menu);
  menuButton->setFixedSize(70, 25);
  AddRow(parent, layout, QStringLiteral("Drop-down menu"), menuButton);

  auto* integer = new TRxSpinEdit;
  integer->SetMinValue(10);
  integer->SetMaxValue(20000);
  integer->SetValue(100);
  integer->setFixedWidth(90);
  AddRow(parent, layout, QStringLiteral("Spin edit (integer)"), integer);

  auto* real = new TRxSpinEdit;
  real->SetValueType(vtFloat);
  real->SetIncrement(0.25);
  real->SetValue(1.5);
  real->SetButtonKind(bkStandard);
  real->setFixedWidth(90);
  AddRow(parent, layout, QStringLiteral("Spin edit (float)"), real);

  auto* ellipsis = new TComboEdit;
  ellipsis->SetGlyphKind(gkEllipsis);
  ellipsis->setText(QStringLiteral("Cruiser"));
  ellipsis->setFixedWidth(140);
  AddRow(parent, layout, QStringLiteral("Edit with button"), ellipsis);

  auto* directory = new TDirectoryEdit;
  directory->setText(QStringLiteral("/home/player/galaxy"));
  directory->setFixedWidth(200);
  AddRow(parent, layout, QStringLiteral("Folder edit"), directory);
}
