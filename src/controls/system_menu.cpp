#include "controls/system_menu.h"

#include <QActionGroup>
#include <QEvent>
#include <QHash>

#include "controls/caption_strip.h"

namespace tovix {

namespace {

// The text a mirrored entry shows: caption, and the shortcut after a tab (QMenu right-aligns
// the part after the tab, as the platform menus do). The shortcut stays text only, so the
// mirror never competes with the popup item for the key.
QString MirrorCaption(const QAction* item) {
  return item->text() + '\t' + item->shortcut().toString(QKeySequence::NativeText);
}

bool IsSeparator(const QAction* item) {
  return item->isSeparator() || item->text() == "-";
}

}  // namespace

TSystemMenu::TSystemMenu(QWidget* owner) : QObject(owner) {
  if (!owner || !owner->isWindow()) return;
  form_ = owner;
  windowMenu_ = new QMenu(owner);
  windowMenu_->setObjectName("mnuWindowMenu");
  connect(windowMenu_, &QMenu::aboutToShow, this, &TSystemMenu::Rebuild);
  owner->installEventFilter(this);
}

TSystemMenu::~TSystemMenu() {
  if (strip_ && strip_->WindowMenu() == windowMenu_) strip_->SetWindowMenu(nullptr);
  delete windowMenu_;
}

void TSystemMenu::SetSystemMenu(QMenu* menu) {
  systemMenu_ = menu;
}

void TSystemMenu::AttachCaptionStrip(TCaptionStrip* strip) {
  if (!IsActive()) return;
  if (strip_ && strip_ != strip && strip_->WindowMenu() == windowMenu_) {
    strip_->SetWindowMenu(nullptr);
  }
  strip_ = strip;
  if (strip) strip->SetWindowMenu(windowMenu_);
}

bool TSystemMenu::eventFilter(QObject* watched, QEvent* event) {
  // The form builds its widgets after its components, so the strip is looked for when the
  // window is shown.
  if (watched == form_ && event->type() == QEvent::Show && !strip_) {
    if (auto* strip = form_->findChild<TCaptionStrip*>()) AttachCaptionStrip(strip);
  }
  return QObject::eventFilter(watched, event);
}

void TSystemMenu::Rebuild() {
  // Everything goes, also when SystemMenu has become empty or was taken away: entries of items
  // that no longer exist must not stay in the menu.
  windowMenu_->clear();
  const auto children = windowMenu_->findChildren<QObject*>(Qt::FindDirectChildrenOnly);
  for (QObject* child : children) {
    if (qobject_cast<QMenu*>(child) || qobject_cast<QActionGroup*>(child)) delete child;
  }
  if (systemMenu_) AppendItems(windowMenu_, systemMenu_);
}

void TSystemMenu::AppendItems(QMenu* target, QMenu* source) {
  QHash<QActionGroup*, QActionGroup*> groups;  // popup group -> mirror group, for radio looks
  for (QAction* item : source->actions()) {
    if (!item->isVisible()) continue;
    if (IsSeparator(item)) {
      target->addSeparator();
    } else if (QMenu* sub = item->menu()) {
      QMenu* mirror = new QMenu(MirrorCaption(item), windowMenu_);
      mirror->setEnabled(item->isEnabled());
      target->addMenu(mirror);
      AppendItems(mirror, sub);
    } else {
      QAction* mirror = target->addAction(MirrorCaption(item));
      mirror->setCheckable(item->isCheckable());
      mirror->setChecked(item->isChecked());
      mirror->setEnabled(item->isEnabled());
      if (QActionGroup* group = item->actionGroup(); group && group->isExclusive()) {
        QActionGroup*& own = groups[group];
        if (!own) own = new QActionGroup(windowMenu_);
        own->addAction(mirror);
      }
      QPointer<QAction> popupItem(item);
      connect(mirror, &QAction::triggered, this, [popupItem] {
        if (popupItem && popupItem->isEnabled()) popupItem->trigger();
      });
    }
  }
}

}  // namespace tovix
