#include "controls/list_boxes.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>
#include <string>

#include "controls/form_placement.h"
#include "core/base/errors.h"
#include "platform/latin1.h"

namespace tovix {

bool TListBoxItem::operator<(const QListWidgetItem& other) const {
  return text().compare(other.text(), Qt::CaseInsensitive) < 0;
}

// Draws an item the way the list box decides: check area, then the text 2 pixels after it,
// tabs expanded at the list's stops; and gives the width the horizontal range follows.
class TListBoxDelegate : public QStyledItemDelegate {
 public:
  explicit TListBoxDelegate(TRxCustomListBox* box) : QStyledItemDelegate(box), box_(box) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (box_->OwnerDrawn()) {
      PaintOwnerDrawn(painter, option, index.row());
      return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    if (box_->graySelection_ && !box_->hasFocus()) {
      opt.palette.setBrush(QPalette::Highlight, opt.palette.brush(QPalette::Button));
      opt.palette.setBrush(QPalette::HighlightedText, opt.palette.brush(QPalette::ButtonText));
    }
    box_->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, box_);
    const int row = index.row();
    box_->PaintCheck(painter, opt, row);

    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group = !box_->isEnabled()                   ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;
    QColor colour = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (!box_->ItemDrawnEnabled(row))
      colour = opt.palette.color(QPalette::Disabled,
                                 selected ? QPalette::HighlightedText : QPalette::Text);
    QRect textRect = opt.rect;
    const int left = box_->CheckAreaWidth() + 2;
    if (opt.direction == Qt::RightToLeft)
      textRect.setRight(textRect.right() - left);
    else
      textRect.setLeft(textRect.left() + left);
    QTextOption textOption(Qt::AlignVCenter |
                           (opt.direction == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft));
    textOption.setWrapMode(QTextOption::NoWrap);
    if (const int stop = box_->TabStopPixels(); stop > 0) textOption.setTabStopDistance(stop);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(colour);
    painter->drawText(QRectF(textRect), text, textOption);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
    const int width = box_->columns_ > 0  ? box_->ColumnWidth()
                      : box_->autoScroll_ ? box_->ItemWidth(index.row())
                                          : 1;
    return {width, box_->ItemHeightOf(index.row())};
  }

 private:
  // The check area on the list's background, then the handler on the rest of the item with the
  // item's colours set up, then the focus rectangle.
  void PaintOwnerDrawn(QPainter* painter, const QStyleOptionViewItem& option, int row) const {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const bool gray = box_->graySelection_ && !box_->hasFocus();
    const bool itemEnabled = box_->isEnabled() && box_->ItemDrawnEnabled(row);
    const QPalette& pal = option.palette;
    QColor background = pal.color(QPalette::Base);
    QColor text = pal.color(itemEnabled ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    if (selected) {
      background = gray ? pal.color(QPalette::Button) : pal.color(QPalette::Highlight);
      text = gray ? pal.color(QPalette::ButtonText) : pal.color(QPalette::HighlightedText);
    }
    QRect rect = option.rect;
    const int check = box_->CheckAreaWidth();
    if (check > 0) {
      QRect area = rect;
      if (option.direction == Qt::RightToLeft) {
        area.setLeft(rect.right() - check + 1);
        rect.setRight(area.left() - 1);
      } else {
        area.setWidth(check);
        rect.setLeft(area.right() + 1);
      }
      painter->fillRect(area, pal.color(QPalette::Base));
      box_->PaintCheck(painter, option, row);
    }
    TOwnerDrawState state = 0;
    if (selected) state |= odSelected;
    if (!itemEnabled) state |= odDisabled;
    const bool focused = (option.state & QStyle::State_HasFocus) != 0;
    if (focused) state |= odFocused;
    painter->save();
    painter->setFont(box_->font());
    painter->setBrush(background);
    painter->setPen(text);
    box_->onDrawItem_(box_, *painter, row, rect, state);
    painter->restore();
    if (focused) {
      QStyleOptionFocusRect focus;
      focus.initFrom(box_);
      focus.rect = rect;
      focus.backgroundColor = background;
      box_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, box_);
    }
  }

  TRxCustomListBox* box_;
};

// ---- TRxCustomListBox -----------------------------------------------------------------------

TRxCustomListBox::TRxCustomListBox(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new TListBoxDelegate(this));
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  resize(121, 97);
  ApplySelectionMode();
}

void TRxCustomListBox::CheckIndex(int index) const {
  if (index < 0 || index >= count())
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

int TRxCustomListBox::AddItem(const QString& text, const QVariant& object) {
  auto* item = new TListBoxItem(text);
  item->setData(kListObjectRole, object);
  addItem(item);
  return row(item);
}

void TRxCustomListBox::InsertItem(int index, const QString& text, const QVariant& object) {
  if (index != count()) CheckIndex(index);
  auto* item = new TListBoxItem(text);
  item->setData(kListObjectRole, object);
  insertItem(index, item);
}

void TRxCustomListBox::DeleteItem(int index) {
  CheckIndex(index);
  delete takeItem(index);
}

QString TRxCustomListBox::ItemText(int index) const {
  CheckIndex(index);
  return item(index)->text();
}

QVariant TRxCustomListBox::Object(int index) const {
  CheckIndex(index);
  return item(index)->data(kListObjectRole);
}

void TRxCustomListBox::SetObject(int index, const QVariant& object) {
  CheckIndex(index);
  item(index)->setData(kListObjectRole, object);
}

void TRxCustomListBox::AssignItems(const QListWidget& source) {
  setUpdatesEnabled(false);
  clear();
  for (int i = 0; i < source.count(); ++i) addItem(source.item(i)->clone());
  setUpdatesEnabled(true);
}

void TRxCustomListBox::SetMultiSelect(bool on) {
  multiSelect_ = on;
  ApplySelectionMode();
}

void TRxCustomListBox::SetExtendedSelect(bool on) {
  extendedSelect_ = on;
  ApplySelectionMode();
}

void TRxCustomListBox::ApplySelectionMode() {
  setSelectionMode(!multiSelect_     ? QAbstractItemView::SingleSelection
                   : extendedSelect_ ? QAbstractItemView::ExtendedSelection
                                     : QAbstractItemView::MultiSelection);
}

void TRxCustomListBox::SetSorted(bool on) {
  setSortingEnabled(on);
  if (on) sortItems();
}

void TRxCustomListBox::SetTabWidth(int width) {
  tabWidth_ = std::max(width, 0);
  ExtentChanged();
}

void TRxCustomListBox::SetAutoScroll(bool on) {
  autoScroll_ = on;
  horizontalScrollBar()->setValue(0);
  ExtentChanged();
}

void TRxCustomListBox::SetGraySelection(bool on) {
  graySelection_ = on;
  viewport()->update();
}

void TRxCustomListBox::SetStyle(TListBoxStyle style) {
  style_ = style;
  ExtentChanged();
}

void TRxCustomListBox::SetItemHeight(int height) {
  if (height < 1) return;
  itemHeight_ = height;
  ExtentChanged();
}

void TRxCustomListBox::SetColumns(int columns) {
  columns_ = std::max(columns, 0);
  // Down the first column, then on in the next, scrolling sideways.
  setWrapping(columns_ > 0);
  setFlow(QListView::TopToBottom);
  setResizeMode(columns_ > 0 ? QListView::Adjust : QListView::Fixed);
  horizontalScrollBar()->setValue(0);
  ExtentChanged();
}

int TRxCustomListBox::ColumnWidth() const {
  return columns_ > 0 ? (width() + columns_ - 3) / columns_ : 0;
}

void TRxCustomListBox::SetOnDrawItem(TDrawItemEvent handler) {
  onDrawItem_ = std::move(handler);
  horizontalScrollBar()->setValue(0);
  ExtentChanged();
}

void TRxCustomListBox::SetOnMeasureItem(TMeasureItemEvent handler) {
  onMeasureItem_ = std::move(handler);
  ExtentChanged();
}

void TRxCustomListBox::SetOnGetItemWidth(TGetItemWidthEvent handler) {
  onGetItemWidth_ = std::move(handler);
  horizontalScrollBar()->setValue(0);
  ExtentChanged();
}

int TRxCustomListBox::ItemHeightOf(int index) const {
  switch (style_) {
    case lbStandard:
      return ItemHeightPixels();
    case lbOwnerDrawFixed:
      return FixedItemHeight();
    case lbOwnerDrawVariable:
      break;
  }
  int height = itemHeight_;
  if (onMeasureItem_) onMeasureItem_(const_cast<TRxCustomListBox*>(this), index, height);
  return std::max(height, 1);
}

void TRxCustomListBox::resizeEvent(QResizeEvent* event) {
  QListWidget::resizeEvent(event);
  if (columns_ > 0) ExtentChanged();  // the column width follows the list's width
}

void TRxCustomListBox::ExtentChanged() {
  scheduleDelayedItemsLayout();
  viewport()->update();
}

void TRxCustomListBox::SetItemIndex(int index) {
  if (index == currentRow()) return;
  if (index < 0) {
    setCurrentItem(nullptr);
    if (!multiSelect_) clearSelection();
    return;
  }
  CheckIndex(index);
  setCurrentRow(index);
}

int TRxCustomListBox::SelCount() const {
  return static_cast<int>(selectedItems().size());
}

bool TRxCustomListBox::Selected(int index) const {
  CheckIndex(index);
  return item(index)->isSelected();
}

void TRxCustomListBox::SetSelected(int index, bool selected) {
  CheckIndex(index);
  if (multiSelect_)
    item(index)->setSelected(selected);
  else if (selected)
    SetItemIndex(index);
  else if (currentRow() == index)
    SetItemIndex(-1);
}

int TRxCustomListBox::TopIndex() const {
  const QModelIndex top = indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : (count() > 0 ? 0 : -1);
}

void TRxCustomListBox::SetTopIndex(int index) {
  CheckIndex(index);
  scrollToItem(item(index), QAbstractItemView::PositionAtTop);
}

int TRxCustomListBox::ItemAtPoint(QPoint point, bool existing) const {
  if (!viewport()->rect().contains(point)) return -1;
  const QModelIndex index = indexAt(point);
  if (index.isValid()) return index.row();
  return existing ? -1 : count();
}

QRect TRxCustomListBox::ItemBounds(int index) const {
  if (index >= 0 && index < count()) return visualItemRect(item(index));
  if (index == count() && count() > 0) {
    const QRect last = visualItemRect(item(count() - 1));
    return last.translated(0, last.height());
  }
  return {};
}

int TRxCustomListBox::TabStopPixels() const {
  if (tabWidth_ <= 0) return 0;
  const QFontMetrics metrics(font());
  return static_cast<int>(
      std::lround(tabWidth_ * metrics.horizontalAdvance(QLatin1Char('0')) * 0.25));
}

int TRxCustomListBox::ItemWidth(int index) const {
  CheckIndex(index);
  if (style_ != lbStandard && onGetItemWidth_ && onDrawItem_) {
    int width = 0;
    onGetItemWidth_(const_cast<TRxCustomListBox*>(this), index, width);
    return width + CheckAreaWidth();
  }
  const QFontMetrics metrics(font());
  const QString text = item(index)->text() + QLatin1Char('x');
  const int width =
      metrics.size(Qt::TextSingleLine | Qt::TextExpandTabs, text, TabStopPixels()).width();
  return width + 2 + CheckAreaWidth();
}

int TRxCustomListBox::HorizontalExtent() const {
  if (!autoScroll_ || columns_ > 0) return 0;
  int widest = 0;
  for (int i = 0; i < count(); ++i) widest = std::max(widest, ItemWidth(i));
  return widest;
}

int TRxCustomListBox::ItemHeightPixels() const {
  return QFontMetrics(font()).height() + 2;
}

void TRxCustomListBox::focusInEvent(QFocusEvent* event) {
  QListWidget::focusInEvent(event);
  if (graySelection_) viewport()->update();
}

void TRxCustomListBox::focusOutEvent(QFocusEvent* event) {
  QListWidget::focusOutEvent(event);
  if (graySelection_) viewport()->update();
}

// ---- TTextListBox ---------------------------------------------------------------------------

TTextListBox::TTextListBox(QWidget* parent) : TRxCustomListBox(parent) {
  SetAutoScroll(true);
}

// ---- TRxCheckListBox ------------------------------------------------------------------------

TRxCheckListBox::TRxCheckListBox(QWidget* parent) : TRxCustomListBox(parent) {
  SetAutoScroll(true);
}

int TRxCheckListBox::CheckAreaWidth() const {
  return kCheckCellWidth + 2;
}

int TRxCheckListBox::ItemHeightPixels() const {
  return std::max(QFontMetrics(font()).height(), kCheckCellHeight) + 2;
}

int TRxCheckListBox::FixedItemHeight() const {
  // Without a handler the list draws the text itself: never lower than its standard items.
  return onDrawItem_ ? ItemHeight() : std::max(ItemHeightPixels(), ItemHeight());
}

TFormPlacement* TRxCheckListBox::IniStorage() const {
  return iniLink_ ? iniLink_->Storage() : nullptr;
}

void TRxCheckListBox::SetIniStorage(TFormPlacement* storage) {
  if (iniLink_ == nullptr) {
    iniLink_ = new TIniLink(this);
    iniLink_->OnSave = [this](TIniLink* link) { SaveStates(link); };
    iniLink_->OnRestore = [this](TIniLink* link) { RestoreStates(link); };
  }
  iniLink_->SetStorage(storage);
}

namespace {
std::string StatesSection(const TIniLink& link, const QObject& list) {
  return link.RootSection() + "." + ToLatin1(list.objectName());
}
}  // namespace

void TRxCheckListBox::SaveStates(TIniLink* link) {
  TIniFile* ini = link->IniObject();
  if (ini == nullptr || objectName().isEmpty()) return;
  const std::string section = StatesSection(*link, *this);
  ini->WriteInteger(section, "Count", count());
  for (int i = 0; i < count(); ++i)
    ini->WriteInteger(section, "Item" + std::to_string(i), static_cast<int>(GetState(i)));
}

void TRxCheckListBox::RestoreStates(TIniLink* link) {
  const TIniFile* ini = link->IniObject();
  if (ini == nullptr || objectName().isEmpty()) return;
  const std::string section = StatesSection(*link, *this);
  const int stored = std::min(ini->ReadInteger(section, "Count", 0), count());
  for (int i = 0; i < stored; ++i) {
    const int value = ini->ReadInteger(section, "Item" + std::to_string(i), 0);
    const TCheckBoxState state = value == cbChecked  ? cbChecked
                                 : value == cbGrayed ? cbGrayed
                                                     : cbUnchecked;
    SetState(i, state);
    if (checkKind_ == ckRadioButtons && state == cbChecked) break;
  }
}

TCheckBoxState TRxCheckListBox::RawState(int index) const {
  const QVariant v = item(index)->data(kCheckStateRole);
  return v.isValid() ? static_cast<TCheckBoxState>(v.toInt()) : cbUnchecked;
}

TCheckBoxState TRxCheckListBox::GetState(int index) const {
  CheckIndex(index);
  const TCheckBoxState state = RawState(index);
  if (checkKind_ == ckRadioButtons && state != cbChecked) return cbUnchecked;
  return state;
}

void TRxCheckListBox::StoreState(int index, TCheckBoxState state) {
  item(index)->setData(kCheckStateRole, static_cast<int>(state));
}

void TRxCheckListBox::RepaintItem(int index) {
  // A hidden list paints whole when it shows; asking for an item's place would lay out every
  // item now, for each state a dialog sets while it is built.
  if (!isVisible()) return;
  viewport()->update(visualItemRect(item(index)));
}

void TRxCheckListBox::SetState(int index, TCheckBoxState state) {
  if (GetState(index) == state) return;
  const bool radio = checkKind_ == ckRadioButtons;
  if (radio && RawState(index) == cbChecked) return;  // a radio list keeps one item checked
  StoreState(index, state);
  if (radio && state == cbChecked)
    for (int i = count() - 1; i >= 0; --i)
      if (i != index && RawState(i) == cbChecked) {
        StoreState(i, cbUnchecked);
        RepaintItem(i);
      }
  RepaintItem(index);
  emit OnStateChange(index);
}

bool TRxCheckListBox::GetItemEnabled(int index) const {
  CheckIndex(index);
  const QVariant v = item(index)->data(kItemEnabledRole);
  return !v.isValid() || v.toBool();
}

void TRxCheckListBox::SetItemEnabled(int index, bool enabled) {
  if (GetItemEnabled(index) == enabled) return;
  item(index)->setData(kItemEnabledRole, enabled);
  RepaintItem(index);
}

void TRxCheckListBox::ToggleCheck(int index) {
  if (index < 0 || index >= count() || !GetItemEnabled(index)) return;
  TCheckBoxState next = cbChecked;
  switch (GetState(index)) {
    case cbUnchecked:
      next = AllowGrayed() ? cbGrayed : cbChecked;
      break;
    case cbChecked:
      next = cbUnchecked;
      break;
    case cbGrayed:
      next = cbChecked;
      break;
  }
  SetState(index, next);
  emit OnClickCheck();
}

void TRxCheckListBox::SetAllStates(TCheckBoxState state) {
  if (checkKind_ == ckRadioButtons) return;
  for (int i = 0; i < count(); ++i)
    if (GetItemEnabled(i)) SetState(i, state);
}

int TRxCheckListBox::CheckedIndex() const {
  if (checkKind_ != ckRadioButtons) return -1;
  for (int i = 0; i < count(); ++i)
    if (RawState(i) == cbChecked) return i;
  return -1;
}

void TRxCheckListBox::SetCheckedIndex(int index) {
  if (checkKind_ == ckRadioButtons && count() > 0)
    SetState(std::min(std::max(index, 0), count() - 1), cbChecked);
}

void TRxCheckListBox::Loaded() {
  if (checkKind_ != ckRadioButtons || count() == 0) return;
  const int keep = std::max(CheckedIndex(), 0);
  for (int i = 0; i < count(); ++i)
    if (i != keep && RawState(i) == cbChecked) StoreState(i, cbUnchecked);
  SetState(keep, cbChecked);
  viewport()->update();
}

void TRxCheckListBox::SetCheckKind(TCheckKind kind) {
  checkKind_ = kind;
  Loaded();
  viewport()->update();
}

void TRxCheckListBox::mousePressEvent(QMouseEvent* event) {
  TRxCustomListBox::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const int index = ItemAtPoint(at, true);
  if (index < 0) return;
  const QRect bounds = ItemBounds(index);
  const int offset =
      layoutDirection() == Qt::RightToLeft ? bounds.right() - at.x() : at.x() - bounds.left();
  if (offset >= 0 && offset < CheckAreaWidth()) ToggleCheck(index);
}

void TRxCheckListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    ToggleCheck(ItemIndex());
    event->accept();
    return;
  }
  const QString text = event->text();
  if ((text == "+" || text == "-") && checkKind_ != ckRadioButtons) {
    SetAllStates(text == "+" ? cbChecked : cbUnchecked);
    emit OnClickCheck();
    event->accept();
    return;
  }
  TRxCustomListBox::keyPressEvent(event);
}

void TRxCheckListBox::PaintCheck(QPainter* painter, const QStyleOptionViewItem& option,
                                 int row) const {
  QRect area = option.rect;
  if (option.direction == Qt::RightToLeft)
    area.setLeft(area.right() - CheckAreaWidth() + 1);
  else
    area.setWidth(CheckAreaWidth());
  QRect box(0, 0, kCheckCellHeight, kCheckCellHeight);
  box.moveCenter(area.center());
  const TCheckBoxState state = GetState(row);
  const bool enabled = isEnabled() && GetItemEnabled(row);
  if (checkKind_ == ckCheckMarks) {
    if (state == cbUnchecked) return;
    QColor colour =
        option.palette.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    if (state == cbGrayed) colour = option.palette.color(QPalette::Mid);
    QPainterPath tick;
    tick.moveTo(box.left() + 2, box.center().y());
    tick.lineTo(box.left() + 5, box.bottom() - 2);
    tick.lineTo(box.right() - 1, box.top() + 2);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(colour, 2));
    painter->drawPath(tick);
    painter->restore();
    return;
  }
  QStyleOptionButton button;
  button.rect = box;
  button.palette = option.palette;
  button.state = enabled ? QStyle::State_Enabled : QStyle::State_None;
  button.state |= state == cbChecked  ? QStyle::State_On
                  : state == cbGrayed ? QStyle::State_NoChange
                                      : QStyle::State_Off;
  style()->drawPrimitive(
      checkKind_ == ckRadioButtons ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox,
      &button, painter, this);
}

}  // namespace tovix
