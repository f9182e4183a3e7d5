#include "controls/color_combo_box.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStylePainter>
#include <algorithm>

namespace tovix {

namespace {

struct TableEntry {
  const char* name;
  TColor value;
};

constexpr TableEntry kColorTable[kColorTableSize] = {
    {"Black", RgbColor(0, 0, 0)},
    {"Maroon", RgbColor(128, 0, 0)},
    {"Green", RgbColor(0, 128, 0)},
    {"Olive", RgbColor(128, 128, 0)},
    {"Navy", RgbColor(0, 0, 128)},
    {"Purple", RgbColor(128, 0, 128)},
    {"Teal", RgbColor(0, 128, 128)},
    {"Gray", RgbColor(128, 128, 128)},
    {"Silver", RgbColor(192, 192, 192)},
    {"Red", RgbColor(255, 0, 0)},
    {"Lime", RgbColor(0, 255, 0)},
    {"Yellow", RgbColor(255, 255, 0)},
    {"Blue", RgbColor(0, 0, 255)},
    {"Fuchsia", RgbColor(255, 0, 255)},
    {"Aqua", RgbColor(0, 255, 255)},
    {"White", RgbColor(255, 255, 255)},
    {"None", clNone},
    {"Default", clDefault},
};
constexpr int kNoneIndex = 16;
constexpr int kDefaultIndex = 17;
constexpr int kColorRole = Qt::UserRole;

QColor Paint(TColor c) {
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

}  // namespace

TColor ColorTableValue(int index) {
  return kColorTable[index].value;
}
QString ColorTableName(int index) {
  return QString::fromLatin1(kColorTable[index].name);
}

TColor SwatchFrameColor(TColor color, bool selected) {
  if (RedOf(color) < 193 && GreenOf(color) < 193 && BlueOf(color) < 193)
    return selected ? RgbColor(255, 255, 255) : color;
  return RgbColor(0, 0, 0);
}

QRect SwatchRect(const QRect& item, bool display_names) {
  const int left = item.left() + 2;
  const int right = display_names ? left + 22 : item.right() + 1 - 3;
  // QRect's right and bottom are inclusive: the swatch ends before R.Right - 3 / R.Bottom - 2.
  return QRect(QPoint(left, item.top() + 2), QPoint(right - 1, item.bottom() + 1 - 2 - 1));
}

std::optional<TColor> ParseColorText(const QString& text, const QStringList& names,
                                     const QList<TColor>& values) {
  const QString trimmed = text.trimmed();
  for (int i = 0; i < names.size() && i < values.size(); ++i)
    if (names[i].compare(trimmed, Qt::CaseInsensitive) == 0) return values[i];
  bool ok = false;
  qlonglong number = 0;
  if (trimmed.startsWith('$'))
    number = trimmed.mid(1).toLongLong(&ok, 16);
  else
    number = trimmed.toLongLong(&ok, 10);
  if (!ok || number < -2147483648LL || number > 0xFFFFFFFFLL) return std::nullopt;
  return static_cast<TColor>(number);
}

// --- TColorComboBox ---

TColorComboBox::TColorComboBox(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new ColorItemDelegate(this));
  connect(this, &QComboBox::activated, this,
          [this](int index) { SetColorValue(itemData(index, kColorRole).value<TColor>()); });
  Fill();
  SetColorValue(value_);
}

QStringList TColorComboBox::ItemNames() const {
  QStringList names;
  for (int i = 0; i < count(); ++i) names << itemText(i);
  return names;
}

QList<TColor> TColorComboBox::ItemValues() const {
  QList<TColor> values;
  for (int i = 0; i < count(); ++i) values << itemData(i, kColorRole).value<TColor>();
  return values;
}

void TColorComboBox::Fill() {
  updating_ = true;
  clear();
  for (int i = 0; i < kColorTableSize; ++i) {
    if (i == kNoneIndex && !(options_ & coIncludeNone)) continue;
    if (i == kDefaultIndex && !(options_ & coIncludeDefault)) continue;
    const QString name =
        i < color_names_.size() && !color_names_[i].isEmpty() ? color_names_[i] : ColorTableName(i);
    addItem(name, QVariant::fromValue(kColorTable[i].value));
  }
  // The value stays; its item is selected again without a change being reported.
  const int index = findData(QVariant::fromValue(value_), kColorRole);
  setCurrentIndex(index);
  if (index < 0 && isEditable())
    setEditText(QString("$%1").arg(value_, 8, 16, QChar('0')).toUpper());
  updating_ = false;
  ApplyItemHeight();
}

// Items are as high as the font's characters plus one (at least 9 pixels); the delegate's size
// hint says so, and the box re-measures itself.
void TColorComboBox::ApplyItemHeight() {
  updateGeometry();
}

QSize TColorComboBox::sizeHint() const {
  QSize size = QComboBox::sizeHint();
  if (!display_names_) return size;
  // The box measures the names alone; the swatch stands 28 pixels in front of them.
  int widest = 0;
  for (const QString& name : ItemNames())
    widest = std::max(widest, fontMetrics().horizontalAdvance(name));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const QSize content(28 + widest + 4, size.height());
  return size.expandedTo(style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this));
}

QSize TColorComboBox::minimumSizeHint() const {
  return sizeHint();
}

TColor TColorComboBox::ColorValue() const {
  if (!isEditable() || currentIndex() >= 0) return value_;
  return ParseColorText(currentText(), ItemNames(), ItemValues()).value_or(value_);
}

void TColorComboBox::SetColorValue(TColor color) {
  if (currentIndex() >= 0 && color == value_) return;
  value_ = color;
  updating_ = true;
  const int index = findData(QVariant::fromValue(color), kColorRole);
  if (index >= 0) {
    if (index != currentIndex()) setCurrentIndex(index);
  } else {
    setCurrentIndex(-1);
    if (isEditable()) {
      QString text = QString("$%1").arg(color, 8, 16, QChar('0')).toUpper();
      for (int i = 0; i < kColorTableSize; ++i)
        if (kColorTable[i].value == color) text = ColorTableName(i);
      setEditText(text);
    }
  }
  updating_ = false;
  update();
  emit OnChange();
}

void TColorComboBox::TextEdited(const QString& text) {
  if (updating_) return;
  const TColor value = ParseColorText(text, ItemNames(), ItemValues()).value_or(value_);
  if (value == value_) return;
  value_ = value;
  emit OnChange();
}

void TColorComboBox::SetColorNames(const QStringList& names) {
  color_names_ = names;
  Fill();
}

void TColorComboBox::SetDisplayNames(bool on) {
  display_names_ = on;
  update();
  if (view()) view()->viewport()->update();
}

void TColorComboBox::SetOptions(TColorComboOptions options) {
  options_ = options;
  Fill();
}

void TColorComboBox::SetStyle(TOwnerDrawComboStyle style) {
  style_ = style;
  updating_ = true;
  setEditable(style != csDropDownList);
  if (lineEdit())
    connect(lineEdit(), &QLineEdit::textEdited, this, &TColorComboBox::TextEdited,
            Qt::UniqueConnection);
  updating_ = false;
  Fill();
}

void TColorComboBox::changeEvent(QEvent* event) {
  QComboBox::changeEvent(event);
  if (event->type() == QEvent::FontChange) ApplyItemHeight();
}

void TColorComboBox::paintEvent(QPaintEvent* event) {
  if (isEditable()) {
    QComboBox::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  if (currentIndex() < 0) return;
  const QRect field =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  ColorItemDelegate::PaintItem(
      &painter, field, itemData(currentIndex(), kColorRole).value<TColor>(),
      itemText(currentIndex()), hasFocus(), display_names_, palette(), layoutDirection());
}

// --- ColorItemDelegate ---

void ColorItemDelegate::PaintItem(QPainter* painter, const QRect& rect, TColor color,
                                  const QString& name, bool selected, bool display_names,
                                  const QPalette& palette, Qt::LayoutDirection direction) {
  painter->save();
  painter->fillRect(rect, selected ? palette.highlight() : palette.base());
  QRect swatch = SwatchRect(rect, display_names);
  if (direction == Qt::RightToLeft && display_names)
    swatch.moveRight(rect.right() - (swatch.left() - rect.left()));
  painter->setPen(Paint(SwatchFrameColor(color, selected)));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(swatch.adjusted(0, 0, -1, -1));
  painter->fillRect(swatch.adjusted(1, 1, -1, -1), Paint(color));
  if (display_names) {
    QRect text = rect;
    if (direction == Qt::RightToLeft)
      text.setRight(rect.right() - 28);
    else
      text.setLeft(rect.left() + 28);
    painter->setPen(selected ? palette.color(QPalette::HighlightedText)
                             : palette.color(QPalette::Text));
    painter->drawText(text,
                      Qt::AlignVCenter | Qt::TextSingleLine |
                          (direction == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft),
                      name);
  }
  painter->restore();
}

void ColorItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  PaintItem(painter, option.rect, index.data(kColorRole).value<TColor>(),
            index.data(Qt::DisplayRole).toString(), option.state & QStyle::State_Selected,
            combo_->DisplayNames(), option.palette, option.direction);
}

QSize ColorItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  const int height = std::max(9, combo_->fontMetrics().height() + 1);
  return QSize(option.rect.width(), height);
}

}  // namespace tovix
