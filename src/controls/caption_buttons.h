#pragma once
// The caption buttons of a window: small flat tool buttons in a row at the top of the window's
// client area (a Linux window manager does not let a program draw into its title bar). Each has
// a one-character glyph in its own colour, a hint, and either a click, a toggle (its Down state)
// or a pop-up menu. The first button made sits at the right end and each later one to the left
// of it; a button's Gap is extra space to its left, so a gap moves the buttons made after it.

#include <QColor>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <vector>

class QHBoxLayout;

namespace tovix {

class TCaptionButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TCaptionButton(QWidget* parent = nullptr);

  // The glyph and its colour; an invalid colour draws in the window-text colour.
  void SetGlyph(const QString& glyph, const QColor& colour = QColor());
  QString Glyph() const { return text(); }
  void SetHint(const QString& hint) { setToolTip(hint); }
  QString Hint() const { return toolTip(); }
  // A toggle button shows its Down state and flips it on each click.
  void SetToggle(bool toggle) { setCheckable(toggle); }
  bool Down() const { return isChecked(); }
  void SetDown(bool down) { setChecked(down); }
  int Gap() const { return gap_; }
  // Shown instead of a click; the button does not own it.
  void SetPopupMenu(QMenu* menu);

  QSize sizeHint() const override { return {18, 18}; }

 private:
  friend class TCaptionButtonRow;
  int gap_ = 2;
};

class TCaptionButtonRow : public QWidget {
  Q_OBJECT

 public:
  explicit TCaptionButtonRow(QWidget* parent = nullptr);

  // Adds a button left of those made before it.
  TCaptionButton* AddButton(const QString& name, const QString& glyph, const QString& hint,
                            const QColor& colour = QColor());
  void SetGap(TCaptionButton* button, int gap);
  const std::vector<TCaptionButton*>& Buttons() const { return buttons_; }

 private:
  void Relayout();

  QHBoxLayout* layout_;
  std::vector<TCaptionButton*> buttons_;
};

}  // namespace tovix
