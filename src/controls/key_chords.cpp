#include "controls/key_chords.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace tovix {

bool XkbKeyboard() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

bool TypesCharacters(Qt::KeyboardModifiers modifiers, bool altGrIsCtrlAlt) {
  const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
  const bool alt = modifiers.testFlag(Qt::AltModifier);
  return altGrIsCtrlAlt ? ctrl == alt : !ctrl && !alt;
}

bool QtControlWouldTypeChord(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.isEmpty() || !text.front().isPrint()) return false;
  if (!event.modifiers().testFlag(Qt::AltModifier)) return false;
  return !TypesCharacters(event.modifiers(), !XkbKeyboard());
}

bool TChordKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      QtControlWouldTypeChord(*static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tovix
