#pragma once
// Mirrors the items of a popup menu into the owner window's window menu and runs them from
// there. A Linux window manager's own system menu cannot be extended, so the mirror is a window
// menu of our own, opened from the window's caption strip (TCaptionStrip): the strip found in
// the window when it is first shown, or the one given to AttachCaptionStrip().
//
// The window menu is rebuilt from SystemMenu every time it opens, so it always shows the current
// captions, check marks and enabled states. Choosing a mirrored item triggers the SystemMenu item
// itself, exactly as choosing it in the popup menu does.

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tovix {

class TCaptionStrip;

class TSystemMenu : public QObject {
  Q_OBJECT

 public:
  // With an owner that is not a window the component installs nothing and stays inactive.
  explicit TSystemMenu(QWidget* owner);
  ~TSystemMenu() override;

  QMenu* SystemMenu() const { return systemMenu_; }
  void SetSystemMenu(QMenu* menu);

  bool IsActive() const { return windowMenu_ != nullptr; }
  // The mirror (empty until it first opens); nullptr when inactive.
  QMenu* WindowMenu() const { return windowMenu_; }
  // Puts the window menu on this strip instead of the one found in the window.
  void AttachCaptionStrip(TCaptionStrip* strip);
  TCaptionStrip* CaptionStrip() const { return strip_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Rebuild();
  void AppendItems(QMenu* target, QMenu* source);

  QPointer<QWidget> form_;
  QPointer<QMenu> systemMenu_;
  QPointer<QMenu> windowMenu_;
  QPointer<TCaptionStrip> strip_;
};

}  // namespace tovix
