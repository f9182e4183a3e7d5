#pragma once
// A push button without keyboard focus that draws a glyph strip and a caption itself. It can
// latch in a group, repeat its click while held, open a drop-down menu, look flat until the mouse
// is over it, and end a dialog with its modal result.

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "controls/button_glyph.h"
#include "controls/control_types.h"

#include <QMenu>

namespace tovix {

class TRxSpeedButton : public QWidget {
  Q_OBJECT

 public:
  explicit TRxSpeedButton(QWidget* parent = nullptr);
  ~TRxSpeedButton() override;

  QString Caption() const { return caption_; }
  // "&" marks the accelerator character, which clicks the button.
  void SetCaption(const QString& caption);
  TAlignment Alignment() const { return glyph_.Alignment(); }
  void SetAlignment(TAlignment alignment);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool on) { allowAllUp_ = on; }
  bool AllowTimer() const { return allowTimer_; }
  void SetAllowTimer(bool on);
  int InitPause() const { return initPause_; }
  void SetInitPause(int ms) { initPause_ = ms; }
  int RepeatInterval() const { return repeatInterval_; }
  void SetRepeatInterval(int ms) { repeatInterval_ = ms; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index) { groupIndex_ = index; }
  bool Down() const { return down_; }
  // Only a grouped button latches; it cannot go up while it is the group's down button unless
  // AllowAllUp. Going down releases the other down buttons of the group on the same parent.
  void SetDown(bool down);
  QMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(QMenu* menu);
  TRxDropDownMenuPos MenuPosition() const { return menuPosition_; }
  void SetMenuPosition(TRxDropDownMenuPos position) { menuPosition_ = position; }
  bool MarkDropDown() const { return markDropDown_; }
  void SetMarkDropDown(bool on);
  bool Flat() const { return flat_; }
  void SetFlat(bool on);
  bool GrayedInactive() const { return grayedInactive_; }
  void SetGrayedInactive(bool on);
  const QImage& Glyph() const { return glyph_.Glyph(); }
  void SetGlyph(const QImage& glyph);
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int count);
  // A glyph from an image list (see TRxButtonGlyph::SetImages); the button repaints when the
  // list changes.
  TImageList* Images() const { return glyph_.Images(); }
  int ImageIndex() const { return glyph_.ImagesIndex(); }
  void SetImages(TImageList* images, int index);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  TButtonStyle Style() const { return style_; }
  void SetStyle(TButtonStyle style);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);
  bool WordWrap() const { return glyph_.WordWrap(); }
  void SetWordWrap(bool on);

  TRxButtonState State() const { return state_; }
  bool MouseInside() const { return mouseInside_; }
  TRxButtonGlyph& ButtonGlyph() { return glyph_; }

  // Ends the parent dialog with ModalResult (when not 0) and fires OnClick.
  void Click();
  // The keyboard's press: shows the button pressed for 20 ms, releases it (toggling Down in a
  // group) and clicks. Nothing happens while a menu is open or the button is disabled.
  void PressAndClick();

  QSize sizeHint() const override { return {25, 25}; }

 signals:
  void OnClick();
  void OnDblClick();
  void OnMouseEnter();
  void OnMouseLeave();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

  // Draws glyph, caption and drop-down mark into the content rectangle.
  void PaintContent(QPainter& painter, const QRect& content, TRxButtonState imageState);
  bool NewStyle() const { return style_ != bsWin31; }

 private slots:
  void RepeatTimerFired();

 private:
  void Press();
  void ShowDropDownMenu();
  void UpdateEnabledState();
  void ReleaseGroup();
  void DoMouseLeave();

  TRxButtonGlyph glyph_;
  QString caption_;
  bool allowAllUp_ = false;
  bool allowTimer_ = false;
  int initPause_ = 500;
  int repeatInterval_ = 100;
  int groupIndex_ = 0;
  bool down_ = false;
  QPointer<QMenu> dropDownMenu_;
  TRxDropDownMenuPos menuPosition_ = dmpBottom;
  bool markDropDown_ = true;
  bool flat_ = false;
  bool grayedInactive_ = true;
  TButtonLayout layout_ = blGlyphTop;
  int margin_ = -1;
  int spacing_ = 1;
  int modalResult_ = 0;
  TButtonStyle style_ = bsAutoDetect;
  bool transparent_ = false;

  TRxButtonState state_ = rbsUp;
  bool mouseInside_ = false;
  bool dragging_ = false;
  bool menuTracking_ = false;
  int shortcutId_ = 0;
  QTimer repeatTimer_;
  QMetaObject::Connection imagesChanged_;
};

}  // namespace tovix
