#pragma once
// A thin row of small tool buttons inside the top of a window. It stands in for the window's
// caption bar, which a Linux window manager does not let a program extend: its left button opens
// the window menu (the system-menu mirror fills it), and caption-bar buttons sit at its right
// end, in the order they are added. A right click on the strip opens the window menu too, as a
// right click on a caption does.

#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QWidget>

namespace tovix {

class TCaptionStrip : public QWidget {
  Q_OBJECT

 public:
  explicit TCaptionStrip(QWidget* parent = nullptr);

  // The menu its window-menu button opens; nullptr hides the button. The strip does not own it.
  void SetWindowMenu(QMenu* menu);
  QMenu* WindowMenu() const { return windowMenu_; }
  QToolButton* WindowMenuButton() const { return menuButton_; }

  // Adds a caption-bar button (or any small widget) at the right end; the strip takes it over.
  void AddCaptionWidget(QWidget* widget);
  // Opens the window menu at a global position, without waiting for it to close.
  void PopupWindowMenu(const QPoint& globalPos);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QHBoxLayout* layout_;
  QToolButton* menuButton_;
  QPointer<QMenu> windowMenu_;
};

}  // namespace tovix
