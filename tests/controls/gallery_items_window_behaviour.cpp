#include "gallery_items_window_behaviour.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "controls/app_events.h"
#include "controls/caption_strip.h"
#include "controls/system_menu.h"
#include "controls/top_most_window.h"

using namespace tovix;

void AddWindowBehaviourGalleryItems(QWidget* parent, QLayout* layout) {
  QWidget* form = parent->window();

  auto* strip = new TCaptionStrip(parent);
  for (const char* glyph : {"+", "-"}) {
    auto* button = new QToolButton(strip);
    button->setText(glyph);
    strip->AddCaptionWidget(button);
  }
  layout->addWidget(strip);

  auto* popup = new QMenu(parent);
  QAction* topMost = popup->addAction("Top Most");
  topMost->setCheckable(true);
  popup->addSeparator();
  QAction* circles = popup->addAction("Disable Group Circles");
  circles->setEnabled(false);
  QMenu* tracks = popup->addMenu("Tracks");
  auto* group = new QActionGroup(tracks);
  for (const char* caption : {"No Tracks", "All Tracks"}) {
    QAction* item = tracks->addAction(caption);
    item->setCheckable(true);
    group->addAction(item);
  }
  group->actions().constFirst()->setChecked(true);

  auto* onTop = new TTopMostWindow(form);
  QObject::connect(topMost, &QAction::toggled, onTop, &TTopMostWindow::SetAlwaysOnTop);
  auto* mirror = new TSystemMenu(form);
  mirror->SetSystemMenu(popup);
  mirror->AttachCaptionStrip(strip);

  auto* status = new QLabel(parent);
  status->setFrameShape(QFrame::StyledPanel);
  layout->addWidget(status);
  strip->WindowMenuButton()->setStatusTip("Opens the window menu");
  auto* events = new TAppEvents(parent);
  QObject::connect(events, &TAppEvents::OnHint, status,
                   [status] { status->setText(Application().Hint); });
}
