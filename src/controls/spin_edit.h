#pragma once
// A single-line numeric edit with step buttons inside its right edge. The value lives in the text
// (integer, floating-point with "." as separator whatever the locale, or hexadecimal), is clamped
// to MinValue..MaxValue when the two differ, and steps by Increment from the buttons, the Up and
// Down keys or a held mouse button. Keys the value type cannot take are refused with a beep.

#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "controls/control_types.h"

class QToolButton;

namespace tovix {

enum TValueType { vtInteger, vtFloat, vtHex };
enum TSpinButtonKind { bkStandard, bkDiagonal };
// The part of a diagonal spin button shown pressed.
enum TSpinButtonState { sbNotDown, sbTopDown, sbBottomDown };
enum TUDBtnType { btNext, btPrev };

// ---- the value rules, without a widget

// `value` limited to min..max when the two differ; unchanged when they are equal.
double ClampSpinValue(double value, double minValue, double maxValue);
// Round half to even, saturated at the int64 limits (NaN gives 0).
int64_t RoundSpinInteger(double value);
// The text for an already clamped value: fixed notation with 15 significant digits and exactly
// `decimals` decimals ("." separator, no thousands separators) for vtFloat; the rounded value in
// decimal for vtInteger and in upper-case hexadecimal digits without prefix for vtHex.
QString FormatSpinValue(double value, TValueType type, int decimals);
// Reads a text written by FormatSpinValue (blanks around it allowed). False when it does not
// convert.
bool ParseSpinValue(const QString& text, TValueType type, double& value);
// The keystroke filter: "+", "-", digits and control characters; for vtFloat also "." while the
// text has none and "e"/"E" while it has no "E"; for vtHex also "A".."F" and "a".."f". Without
// `editorEnabled` printable keys and Backspace are refused.
bool SpinAcceptsChar(QChar key, TValueType type, const QString& text, bool editorEnabled);
// Whether a point of a diagonal spin button of `size` lies in its lower part (below the line from
// the lower-left to the upper-right corner; a point on the line is upper).
bool IsLowerSpinPart(QPoint point, QSize size);

// ---- the diagonal step button

class TRxSpinButton : public QWidget {
  Q_OBJECT

 public:
  explicit TRxSpinButton(QWidget* parent = nullptr);

  QImage UpGlyph() const { return upGlyph_; }
  // A null image restores the built-in arrow.
  void SetUpGlyph(const QImage& glyph);
  QImage DownGlyph() const { return downGlyph_; }
  void SetDownGlyph(const QImage& glyph);
  // The control that gets the focus when the button is pressed.
  QWidget* FocusControl() const { return focusControl_; }
  void SetFocusControl(QWidget* control) { focusControl_ = control; }
  TSpinButtonState Down() const { return down_; }

  QSize sizeHint() const override { return {20, 20}; }

 signals:
  void OnTopClick();
  void OnBottomClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private slots:
  void RepeatTimerFired();

 private:
  void FirePart(TSpinButtonState part);
  void SetShown(TSpinButtonState state);
  QPixmap DrawImage(TSpinButtonState state) const;

  QImage upGlyph_;
  QImage downGlyph_;
  QPointer<QWidget> focusControl_;
  TSpinButtonState down_ = sbNotDown;
  TSpinButtonState lastDown_ = sbNotDown;
  bool dragging_ = false;
  bool invalid_ = true;
  QPixmap images_[3];
  QTimer repeatTimer_;
};

// ---- the standard step buttons: a pair of arrow buttons that never reach a limit

class TRxUpDown : public QWidget {
  Q_OBJECT

 public:
  explicit TRxUpDown(QWidget* parent = nullptr);
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 signals:
  void OnClick(TUDBtnType button);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
};

// ---- the spin edit

class TRxSpinEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TRxSpinEdit(QWidget* parent = nullptr);
  ~TRxSpinEdit() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool on);
  TSpinButtonKind ButtonKind() const { return buttonKind_; }
  void SetButtonKind(TSpinButtonKind kind);
  int Decimal() const { return decimal_; }
  // 0 to 255 digits; the text is rewritten.
  void SetDecimal(int digits);
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool on);
  double Increment() const { return increment_; }
  void SetIncrement(double step) { increment_ = step; }
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double value) { maxValue_ = value; }
  double MinValue() const { return minValue_; }
  void SetMinValue(double value) { minValue_ = value; }
  TValueType ValueType() const { return valueType_; }
  // Rewrites the current value under the new type; the integer types round Increment (to 1 when
  // it rounds to 0).
  void SetValueType(TValueType type);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool on) { autoSelect_ = on; }

  // The text read under ValueType, unclamped; a text that does not convert reads as MinValue
  // (truncated toward zero for the integer types).
  double GetValue() const;
  // Writes the clamped value as text.
  void SetValue(double value);
  double Value() const { return GetValue(); }
  int GetAsInteger() const;
  void SetAsInteger(int value) { SetValue(value); }

  virtual bool AcceptsChar(QChar key) const;
  // One step up or down; a read-only edit only beeps. OnChange fires once when the text changed,
  // OnTopClick / OnBottomClick after every step.
  virtual void StepUp();
  virtual void StepDown();

  TRxSpinButton* SpinButton() const { return spinButton_; }
  TRxUpDown* UpDown() const { return upDown_; }
  // The system's scroll-bar width, at most 15 pixels.
  static int DefaultButtonWidth();

 signals:
  void OnChange();
  void OnTopClick();
  void OnBottomClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Step(double delta, bool up);
  void RecreateButtons();
  void ResizeButtons();
  void UpdateMinimumHeight();
  void UpdateReadOnly();
  int ButtonWidth() const;

  TAlignment alignment_ = taLeftJustify;
  bool arrowKeys_ = true;
  TSpinButtonKind buttonKind_ = bkDiagonal;
  int decimal_ = 2;
  bool editorEnabled_ = true;
  double increment_ = 1;
  double maxValue_ = 0;
  double minValue_ = 0;
  TValueType valueType_ = vtInteger;
  bool readOnly_ = false;
  bool autoSelect_ = true;
  bool changing_ = false;

  QWidget* buttonHolder_ = nullptr;
  TRxSpinButton* spinButton_ = nullptr;
  TRxUpDown* upDown_ = nullptr;
};

}  // namespace tovix
