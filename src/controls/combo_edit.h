#pragma once
// A single-line edit with a small button inside its right edge. The button (or its shortcut key,
// Alt+Down) fires OnButtonClick unless the edit is read-only; with DirectInput off the text can
// only be set by the button or by code.

#include <QImage>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>

#include "controls/control_types.h"
#include "controls/speed_button.h"

namespace tovix {

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

// The ellipsis glyph for a button `buttonWidth` wide: max(1, width - 6) by 4 pixels, white (shown
// transparent) with three black 2 by 2 dots at y 1, spread by a gap of (width - 6) div 2 limited
// to 1..3 pixels and centred.
QImage MakeEllipsisGlyph(int buttonWidth);

// The button inside the edit: a speed button with a left edge that sets it off from the text; a
// press on it focuses the edit first.
class TEditButton : public TRxSpeedButton {
  Q_OBJECT

 public:
  TEditButton(QWidget* parent, QWidget* edit);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QPointer<QWidget> edit_;
};

class TCustomComboEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TCustomComboEdit(QWidget* parent = nullptr);
  ~TCustomComboEdit() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  QString ButtonHint() const;
  void SetButtonHint(const QString& hint);
  int ButtonWidth() const { return buttonWidth_; }
  // Ignored for a drop-down button (its width is fixed) and for a width not smaller than the
  // edit's client width. The button shows only from 2 pixels on.
  void SetButtonWidth(int width);
  QKeySequence ClickKey() const { return clickKey_; }
  void SetClickKey(const QKeySequence& key) { clickKey_ = key; }
  bool DirectInput() const { return directInput_; }
  void SetDirectInput(bool on);
  const QImage& Glyph() const { return glyph_; }
  // Assigning a bitmap makes the glyph kind gkCustom.
  void SetGlyph(const QImage& glyph);
  TGlyphKind GlyphKind() const { return glyphKind_; }
  void SetGlyphKind(TGlyphKind kind);
  // Cells of the button's glyph strip; a new bitmap may set it from its proportions.
  int NumGlyphs() const;
  void SetNumGlyphs(int count);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool on) { autoSelect_ = on; }
  QString EditMask() const { return inputMask(); }
  void SetEditMask(const QString& mask) { setInputMask(mask); }
  // 0: no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length);

  TEditButton* Button() const { return button_; }
  QWidget* ButtonHolder() const { return holder_; }

 signals:
  void OnButtonClick();
  void OnChange();

 protected:
  // The glyph of gkDefault; none here.
  virtual QImage DefaultGlyph() const { return {}; }
  // What a press of the button does (not called for a read-only edit).
  virtual void ButtonClick();

  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

  void RecreateGlyph();

 private:
  void EditButtonClick();
  void UpdateControls();
  void UpdateMinimumHeight();

  TAlignment alignment_ = taLeftJustify;
  int buttonWidth_ = 21;
  QKeySequence clickKey_{Qt::AltModifier | Qt::Key_Down};
  bool directInput_ = true;
  QImage glyph_;
  TGlyphKind glyphKind_ = gkCustom;
  bool readOnly_ = false;
  bool autoSelect_ = true;
  int maxLength_ = 0;
  QWidget* holder_;
  TEditButton* button_;
};

// The edit with a button as forms place it.
class TComboEdit : public TCustomComboEdit {
  Q_OBJECT

 public:
  explicit TComboEdit(QWidget* parent = nullptr) : TCustomComboEdit(parent) {}
};

}  // namespace tovix
