#include "gallery_items_rich_text.h"

#include <QHBoxLayout>

#include "controls/color_combo_box.h"
#include "editors/rich_edit.h"

using namespace tovix;

namespace {

constexpr char kGalleryRtf[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 DejaVu Sans;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}}"
    "{\\colortbl ;\\red200\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green110\\blue0;}"
    "\\pard\\qc{\\fs28\\b Notes on turn 42}\\par"
    "\\pard {\\b bold} {\\i italic} {\\ul underlined} {\\strike struck} {\\cf1 red} "
    "{\\highlight2 highlighted} x{\\super 2} H{\\sub 2}O\\par"
    "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\li360 "
    "Castle: build {\\cf3 drives}\\par"
    "{\\pntext\\f1\\'b7\\tab}Home: caf\\'e9 for everyone\\par"
    "\\pard\\li360 Orders: see http://galaxy.example/rules now {\\pict\\pngblip 00}\\par}";

}  // namespace

TColorComboBox* AddRichTextGalleryItems(QWidget* parent, QLayout* layout) {
  auto* row = new QWidget(parent);
  auto* box = new QHBoxLayout(row);
  box->setContentsMargins(0, 0, 0, 0);
  auto* edit = new TRichEdit98(row);
  edit->SetAutoURLDetect(adDefault);
  edit->SetShowSelectionBar(true);
  edit->Lines().LoadFromStream(kGalleryRtf);
  edit->setFixedHeight(150);
  box->addWidget(edit, 1);
  auto* colors = new TColorComboBox(row);
  colors->SetColorValue(RgbColor(0, 0, 128));
  box->addWidget(colors, 0, Qt::AlignTop);
  layout->addWidget(row);
  return colors;
}
