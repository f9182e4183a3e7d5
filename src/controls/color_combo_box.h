#pragma once
// A combo box that lists colours, each drawn as a swatch followed by its name, and exposes the
// chosen colour as ColorValue. The editable styles also take a typed colour name, a decimal
// number or a "$" hexadecimal number.

#include <QComboBox>
#include <QRect>
#include <QStringList>
#include <QStyledItemDelegate>
#include <optional>

#include "core/base/color_value.h"

namespace tovix {

enum TOwnerDrawComboStyle { csDropDown, csSimple, csDropDownList };
enum TColorComboOption { coIncludeDefault = 1, coIncludeNone = 2 };
using TColorComboOptions = int;  // or-ed TColorComboOption bits

// The 16 table colours, then "None" and "Default" (listed only by option).
constexpr int kColorTableSize = 18;
TColor ColorTableValue(int index);
// The default name of a table entry ("Black", ..., "White", "None", "Default").
QString ColorTableName(int index);
// The frame of a swatch: the colour itself (white when the item is selected) when each of red,
// green and blue is below 193, else black.
TColor SwatchFrameColor(TColor color, bool selected);
// The swatch inside an item's rectangle.
QRect SwatchRect(const QRect& item, bool display_names);
// A typed text: an item name (any letter case) among `names` gives the matching colour of
// `values`; else a decimal or "$" hexadecimal number; else nothing.
std::optional<TColor> ParseColorText(const QString& text, const QStringList& names,
                                     const QList<TColor>& values);

class TColorComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TColorComboBox(QWidget* parent = nullptr);

  TColor ColorValue() const;
  void SetColorValue(TColor color);
  const QStringList& ColorNames() const { return color_names_; }
  void SetColorNames(const QStringList& names);
  bool DisplayNames() const { return display_names_; }
  void SetDisplayNames(bool on);
  TColorComboOptions Options() const { return options_; }
  void SetOptions(TColorComboOptions options);
  TOwnerDrawComboStyle Style() const { return style_; }
  void SetStyle(TOwnerDrawComboStyle style);

  // Wide enough for the swatch and the longest name.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // ColorValue changed.
  void OnChange();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Fill();
  void ApplyItemHeight();
  void TextEdited(const QString& text);
  QStringList ItemNames() const;
  QList<TColor> ItemValues() const;

  TColor value_ = 0;
  QStringList color_names_;
  bool display_names_ = true;
  TColorComboOptions options_ = 0;
  TOwnerDrawComboStyle style_ = csDropDownList;
  bool updating_ = false;
};

// Draws the items of a colour combo box.
class ColorItemDelegate : public QStyledItemDelegate {
 public:
  explicit ColorItemDelegate(TColorComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // Draws one item: background, swatch and (with names) the name.
  static void PaintItem(QPainter* painter, const QRect& rect, TColor color, const QString& name,
                        bool selected, bool display_names, const QPalette& palette,
                        Qt::LayoutDirection direction);

 private:
  TColorComboBox* combo_;
};

}  // namespace tovix
