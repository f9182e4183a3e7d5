#pragma once
// List boxes of plain text items, each item with an object of the caller's:
// - TRxCustomListBox: tab stops, a horizontal scroll range that follows the widest item, grey
//   selection while unfocused, index-checked item and selection operations.
// - TTextListBox: the same with the horizontal range always kept (battles, planet information,
//   turn reports, the two-list dialog).
// - TRxCheckListBox: a check box, radio button or check mark in front of every item; each item
//   has a check state and an enabled flag. OnClickCheck fires after the user changed a check
//   (click in the check area, Space, "+", "-"), OnStateChange(index) after every change of a
//   state, by the user or by the program.
//
// The states, enabled flags and objects live in the items' data (custom roles), so they travel
// with an item when the list is sorted or the item is moved to another list. Qt's own check
// handling is not used: it would bypass the radio and enabled rules.
//
// Owner drawing: with Style lbOwnerDrawFixed or lbOwnerDrawVariable and OnDrawItem set, the
// handler draws each item in its rectangle (after the check area of a check list), the painter
// set up with the list's font, and the highlight or base colours as pen and brush; the list adds
// the focus rectangle. Items are ItemHeight high, or as high as OnMeasureItem says for
// lbOwnerDrawVariable; OnGetItemWidth gives an owner-drawn item's width for the horizontal range.
// With Columns above 0 the items run down and then across in columns of
// (Width + Columns - 3) div Columns pixels, and the range is not kept.

#include <QListWidget>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

class QPainter;

namespace tovix {

class TFormPlacement;
class TIniLink;

// The roles of an item's object, check state and enabled flag.
inline constexpr int kListObjectRole = Qt::UserRole;
inline constexpr int kCheckStateRole = Qt::UserRole + 1;
inline constexpr int kItemEnabledRole = Qt::UserRole + 2;

enum TCheckKind { ckCheckBoxes, ckRadioButtons, ckCheckMarks };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

// The state of an item being drawn.
enum TOwnerDrawStateFlag { odSelected = 0x1, odDisabled = 0x2, odFocused = 0x4 };
using TOwnerDrawState = int;

class TRxCustomListBox;
using TDrawItemEvent = std::function<void(TRxCustomListBox* control, QPainter& canvas, int index,
                                          const QRect& rect, TOwnerDrawState state)>;
using TMeasureItemEvent = std::function<void(TRxCustomListBox* control, int index, int& height)>;
using TGetItemWidthEvent = std::function<void(TRxCustomListBox* control, int index, int& width)>;

// An item that sorts without regard to case, as the platform's sorted list boxes do.
class TListBoxItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override;
  QListWidgetItem* clone() const override { return new TListBoxItem(*this); }
};

class TRxCustomListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TRxCustomListBox(QWidget* parent = nullptr);

  // ---- items (an index outside the list raises EStringListError "List index out of bounds")
  int Count() const { return count(); }
  // Adds at the end, or at the sorted place in a sorted list; returns the new item's index.
  int AddItem(const QString& text, const QVariant& object = {});
  void InsertItem(int index, const QString& text, const QVariant& object = {});
  void DeleteItem(int index);
  void Clear() { clear(); }
  QString ItemText(int index) const;
  QVariant Object(int index) const;
  void SetObject(int index, const QVariant& object);
  // The items of `source` with their objects (and check states and enabled flags) in place of
  // this list's.
  void AssignItems(const QListWidget& source);

  // ---- properties
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool on);
  // With MultiSelect: Shift and Ctrl extend the selection (else each click toggles an item).
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool on);
  bool Sorted() const { return isSortingEnabled(); }
  void SetSorted(bool on);
  // One tab stop every TabWidth quarters of the width of "0"; 0 for the default stops.
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int width);
  // Keeps the horizontal scroll range at the widest item.
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool on);
  // Selected items of an unfocused list are drawn in the button colour.
  bool GraySelection() const { return graySelection_; }
  void SetGraySelection(bool on);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle style);
  // The height of owner-drawn items (16); values below 1 are ignored.
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height);
  // 0: one column; more: a multi-column list.
  int Columns() const { return columns_; }
  void SetColumns(int columns);
  // The width of one column of a multi-column list; 0 otherwise.
  int ColumnWidth() const;
  void SetOnDrawItem(TDrawItemEvent handler);
  void SetOnMeasureItem(TMeasureItemEvent handler);
  void SetOnGetItemWidth(TGetItemWidthEvent handler);
  bool OwnerDrawn() const { return style_ != lbStandard && static_cast<bool>(onDrawItem_); }

  // ---- current item and selection
  int ItemIndex() const { return currentRow(); }
  void SetItemIndex(int index);
  int SelCount() const;
  bool Selected(int index) const;
  // In a single-select list: true makes the item current; false clears the current item only
  // when it is this one.
  void SetSelected(int index, bool selected);
  int TopIndex() const;
  void SetTopIndex(int index);
  // The item under `point` (viewport coordinates); -1 outside the list. Below the last item:
  // -1 when `existing`, else Count().
  int ItemAtPoint(QPoint point, bool existing) const;
  // The item's rectangle; for Count() the place of a new last item; else an empty rectangle.
  QRect ItemBounds(int index) const;

  // ---- the horizontal extent
  // Pixels the item's text needs (tabs expanded, one "x" more), its check area included.
  int ItemWidth(int index) const;
  // The widest item's width while the extent is kept; 0 otherwise.
  int HorizontalExtent() const;
  // The distance between tab stops in pixels (0: the default stops).
  int TabStopPixels() const;

  // Where an item's text begins (after its check area) and the height of an item of the
  // standard style.
  virtual int CheckAreaWidth() const { return 0; }
  virtual int ItemHeightPixels() const;
  // The height of item `index` as the style gives it.
  int ItemHeightOf(int index) const;

 protected:
  // Draws the check area of an item (check lists).
  virtual void PaintCheck(QPainter*, const QStyleOptionViewItem&, int) const {}
  virtual bool ItemDrawnEnabled(int) const { return true; }
  // The height of owner-drawn fixed items.
  virtual int FixedItemHeight() const { return itemHeight_; }
  void CheckIndex(int index) const;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  TDrawItemEvent onDrawItem_;
  TMeasureItemEvent onMeasureItem_;
  TGetItemWidthEvent onGetItemWidth_;

 private:
  friend class TListBoxDelegate;
  void ApplySelectionMode();
  void ExtentChanged();

  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  int tabWidth_ = 0;
  bool autoScroll_ = false;
  bool graySelection_ = false;
  TListBoxStyle style_ = lbStandard;
  int itemHeight_ = 16;
  int columns_ = 0;
};

class TTextListBox : public TRxCustomListBox {
  Q_OBJECT

 public:
  explicit TTextListBox(QWidget* parent = nullptr);
};

class TRxCheckListBox : public TRxCustomListBox {
  Q_OBJECT

 public:
  explicit TRxCheckListBox(QWidget* parent = nullptr);

  TCheckKind CheckKind() const { return checkKind_; }
  // A radio list then checks its first checked item, or the first one.
  void SetCheckKind(TCheckKind kind);
  // Unchecked items toggle to grayed first; always false with radio buttons.
  bool AllowGrayed() const { return allowGrayed_ && checkKind_ != ckRadioButtons; }
  void SetAllowGrayed(bool on) { allowGrayed_ = on; }
  // The first checked item of a radio list; -1 otherwise or when none is checked.
  int CheckedIndex() const;
  // Radio lists with items: checks item max(index, 0).
  void SetCheckedIndex(int index);

  // A state other than checked reads as unchecked in a radio list.
  TCheckBoxState GetState(int index) const;
  // Nothing when unchanged; a radio list refuses to uncheck its checked item and unchecks the
  // others when one is checked. Fires OnStateChange(index).
  void SetState(int index, TCheckBoxState state);
  bool GetChecked(int index) const { return GetState(index) == cbChecked; }
  void SetChecked(int index, bool checked) { SetState(index, checked ? cbChecked : cbUnchecked); }
  bool GetItemEnabled(int index) const;
  void SetItemEnabled(int index, bool enabled);
  // The user's toggle: unchecked -> checked (grayed first when AllowGrayed), checked ->
  // unchecked, grayed -> checked; then OnClickCheck. Nothing for a disabled item or an index
  // outside the list.
  void ToggleCheck(int index);
  // Check boxes and check marks: every enabled item gets `state`.
  void SetAllStates(TCheckBoxState state);
  // After the items are filled: a radio list with items gets exactly one checked item.
  void Loaded();

  // Keeps the check states in a form placement's file: whenever the placement is saved, the
  // section "<placement's section>.<object name>" gets "Count" and "Item<i>" (the state as 0
  // unchecked, 1 checked, 2 grayed); whenever it is restored, the states of the items below both
  // counts are read back (a radio list stops after its first checked item). A list without an
  // object name keeps nothing.
  TFormPlacement* IniStorage() const;
  void SetIniStorage(TFormPlacement* storage);

  int CheckAreaWidth() const override;
  int ItemHeightPixels() const override;
  // The size of one check image cell.
  static constexpr int kCheckCellWidth = 16;
  static constexpr int kCheckCellHeight = 13;

 signals:
  void OnClickCheck();
  void OnStateChange(int index);

 protected:
  void PaintCheck(QPainter* painter, const QStyleOptionViewItem& option, int row) const override;
  bool ItemDrawnEnabled(int row) const override { return GetItemEnabled(row); }
  int FixedItemHeight() const override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void StoreState(int index, TCheckBoxState state);
  void RepaintItem(int index);
  TCheckBoxState RawState(int index) const;
  void SaveStates(TIniLink* link);
  void RestoreStates(TIniLink* link);

  TCheckKind checkKind_ = ckCheckBoxes;
  bool allowGrayed_ = false;
  TIniLink* iniLink_ = nullptr;
};

}  // namespace tovix
