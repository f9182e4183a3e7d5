#pragma once
// The two-list dialog: the user splits a set of strings (each with an object of the caller's)
// between two lists with ">", ">>", "<", "<<", double clicks or drag and drop, and reorders an
// unsorted list with Ctrl+Up/Down or by dragging within it. TDualListDialog holds the two lists
// and runs the form; the list-moving routines below work on any list widget (check states,
// objects and enabled flags travel with the items).

#include <QDialog>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

#include "controls/list_boxes.h"

class QLabel;
class QPushButton;

namespace tovix {

// ---- the list-moving routines

// The first selected item; -1 for none.
int FirstSelectedIndex(const QListWidget& list);
// Moves the selected items of `source` to `destination`, then selects the item now at the old
// index of the first moved one. Nothing when none is selected.
void MoveSelectedItems(QListWidget& source, QListWidget& destination);
// Moves every item, then selects the first item left in `source` (none).
void MoveAllItems(QListWidget& source, QListWidget& destination);
// Focuses the list (when it can take the focus) and selects the item at `index`, held to the
// list's first and last item.
void SelectItemAt(QListWidget& list, int index);
// Moves the current item to `index` (inside the list and not its own place) and selects it.
void MoveCurrentItem(QListWidget& list, int index);
// Whether the current item may be dropped on the item under `point` of its own list: exactly one
// item selected (or a single-select list), a current item, an item under the point that is
// another one. `dragIndex` receives the item under the point.
bool CanDropItem(const QListWidget& list, QPoint point, int& dragIndex);
// Whether `list` accepts a drop from `source` at `point`: another list always; its own items
// only when it is not sorted and CanDropItem allows it.
bool ListDragOver(const QListWidget& list, const QObject* source, QPoint point, bool sorted,
                  int& dragIndex);

// ---- the form

// One list of the form: it moves the selected items of the other list on a drop, its own
// current item on a drop from itself, and reorders with Ctrl+Up/Down.
class TDualListBox : public TTextListBox {
  Q_OBJECT

 public:
  explicit TDualListBox(QWidget* parent = nullptr);
  // The item marked as the drop target (-1 for none).
  int DropTarget() const { return dragTarget_ - 1; }
  // What a drop from `source` at `point` does; false when it is refused.
  bool DropFrom(QListWidget* source, QPoint point);

 signals:
  void ItemsMoved();

 protected:
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void MarkTarget(int index);
  int dragTarget_ = 0;  // the marked item + 1; 0 for none
};

class TDualListForm : public QDialog {
  Q_OBJECT

 public:
  explicit TDualListForm(QWidget* parent = nullptr);

  TDualListBox* SrcList() const { return srcList_; }
  TDualListBox* DstList() const { return dstList_; }
  QLabel* SrcLabel() const { return srcLabel_; }
  QLabel* DstLabel() const { return dstLabel_; }
  QPushButton* IncBtn() const { return incBtn_; }
  QPushButton* IncAllBtn() const { return incAllBtn_; }
  QPushButton* ExclBtn() const { return exclBtn_; }
  QPushButton* ExclAllBtn() const { return exclAllBtn_; }
  QPushButton* OkBtn() const { return okBtn_; }
  QPushButton* CancelBtn() const { return cancelBtn_; }
  QPushButton* HelpBtn() const { return helpBtn_; }
  // The help context the help button opens.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context);
  // Shows or hides the help button; OK and Cancel take its place when it is hidden.
  void SetShowHelp(bool show);

  // The buttons' states from the lists: ">" needs a selected item on the left, ">>" any item
  // there; "<" and "<<" likewise on the right.
  void UpdateButtons();
  void IncClicked();
  void IncAllClicked();
  void ExclClicked();
  void ExclAllClicked();

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private:
  TDualListBox* srcList_;
  TDualListBox* dstList_;
  QLabel* srcLabel_;
  QLabel* dstLabel_;
  QPushButton* incBtn_;
  QPushButton* incAllBtn_;
  QPushButton* exclBtn_;
  QPushButton* exclAllBtn_;
  QPushButton* okBtn_;
  QPushButton* cancelBtn_;
  QPushButton* helpBtn_;
  int helpContext_ = 0;
};

// A string with the caller's object.
struct TDualListItem {
  QString Text;
  QVariant Object;
  bool operator==(const TDualListItem&) const = default;
};
using TDualListItems = std::vector<TDualListItem>;

class TDualListDialog {
 public:
  bool Sorted = false;  // both lists
  QString Title;        // the form's caption when not empty
  QString Label1Caption = "&Source";
  QString Label2Caption = "&Destination";
  QString OkBtnCaption = "OK";
  QString CancelBtnCaption = "Cancel";
  QString HelpBtnCaption = "&Help";
  int HelpContext = 0;
  bool ShowHelp = true;
  TDualListItems List1;
  TDualListItems List2;

  // Runs the form modally; on OK List1 and List2 take the lists' new contents and the result
  // is true. Cancel leaves them as they were.
  bool Execute(QWidget* parent = nullptr);
  // In place of the form's modal loop (tests): receives the filled form, returns true for OK.
  std::function<bool(TDualListForm&)> RunForm;
};

}  // namespace tovix
