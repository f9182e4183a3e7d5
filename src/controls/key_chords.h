#pragma once
// One rule for every text control of the program: a key held with Ctrl or Alt that nothing is
// bound to types nothing; AltGr characters type. Under X11 and Wayland AltGr is a keyboard level
// of its own and never arrives as Ctrl+Alt; on Windows-like platforms it does, so there that
// pair types.

#include <QObject>
#include <Qt>

class QKeyEvent;

namespace tovix {

// The platform's keyboard is xkb's (X11, Wayland): native scan codes are xkb keycodes and AltGr
// is a level of its own.
bool XkbKeyboard();

// Whether a key with these modifiers types its characters when nothing binds it: not with Ctrl
// or Alt (Ctrl+; types no ";"). Where AltGr arrives as Ctrl+Alt (`altGrIsCtrlAlt`, Windows) that
// pair types. German "@", Polish "ł" type on both.
bool TypesCharacters(Qt::KeyboardModifiers modifiers, bool altGrIsCtrlAlt);

// Whether Qt's own text controls would type this key although the rule above types nothing:
// they type Alt chords and take any Ctrl+Alt for AltGr. (Ctrl chords they drop themselves.)
bool QtControlWouldTypeChord(const QKeyEvent& event);

// Installed on a Qt text control (or its viewport's owner), drops the keys the rule above says
// type nothing, before the control sees them.
class TChordKeyFilter : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tovix
