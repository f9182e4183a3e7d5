#include "gallery_items_list_boxes.h"

#include <QHBoxLayout>

#include "controls/list_boxes.h"

using namespace tovix;

void AddListBoxGalleryItems(QWidget* parent, QLayout* layout) {
  auto* row = new QHBoxLayout;
  auto* checks = new TRxCheckListBox(parent);
  checks->SetMultiSelect(true);
  checks->SetAllowGrayed(true);
  for (const char* race : {"Arcturans", "Betelgeusians", "Cygnians", "Draconids"})
    checks->AddItem(race);
  checks->SetChecked(0, true);
  checks->SetState(1, cbGrayed);
  checks->SetItemEnabled(3, false);
  checks->item(2)->setSelected(true);
  checks->setFixedHeight(90);
  auto* text = new TTextListBox(parent);
  text->SetTabWidth(35);
  for (const char* line : {"Name:\tArcturansPrime", "Size:\t1000.00", "Industry:\t233.57\t 36%"})
    text->AddItem(line);
  text->setFixedHeight(90);
  row->addWidget(checks);
  row->addWidget(text);
  if (auto* box = qobject_cast<QBoxLayout*>(layout)) box->addLayout(row);
}
