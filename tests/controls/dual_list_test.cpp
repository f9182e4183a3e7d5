// The two-list dialog: moving with the buttons, double clicks and drops, the item selected after
// a move, the buttons' states, reordering an unsorted list, objects and check states carried
// with the strings, and what Execute gives back on OK and on Cancel.
#include "controls/dual_list.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "support/show_window.h"

namespace tovix {
namespace {

std::vector<std::string> Texts(const QListWidget& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
  return texts;
}

std::vector<int> SelectedRows(const QListWidget& list) {
  std::vector<int> rows;
  for (int i = 0; i < list.count(); ++i)
    if (list.item(i)->isSelected()) rows.push_back(i);
  return rows;
}

// A shown form with A, B, C (sorted) on the left and X, Y on the right.
class DualListForm : public ::testing::Test {
 protected:
  void SetUp() override {
    for (TDualListBox* list : {form.SrcList(), form.DstList()}) list->SetSorted(true);
    for (const char* t : {"C", "A", "B"}) form.SrcList()->AddItem(t, QString(t).toLower());
    for (const char* t : {"Y", "X"}) form.DstList()->AddItem(t);
    ASSERT_TRUE(test::ShowExposed(form));
  }
  struct Buttons {
    bool inc, incAll, excl, exclAll;
    bool operator==(const Buttons&) const = default;
  };
  Buttons Enabled() const {
    return {form.IncBtn()->isEnabled(), form.IncAllBtn()->isEnabled(), form.ExclBtn()->isEnabled(),
            form.ExclAllBtn()->isEnabled()};
  }
  TDualListForm form;
};

TEST_F(DualListForm, MovedItemIsReplacedInTheSelectionByItsSuccessor) {
  ASSERT_EQ(Texts(*form.SrcList()), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(Enabled(), (Buttons{false, true, false, true})) << "nothing selected yet";
  form.SrcList()->item(1)->setSelected(true);
  EXPECT_EQ(Enabled(), (Buttons{true, true, false, true}));
  form.IncBtn()->click();
  EXPECT_EQ(Texts(*form.SrcList()), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(Texts(*form.DstList()), (std::vector<std::string>{"B", "X", "Y"}));
  EXPECT_EQ(SelectedRows(*form.SrcList()), std::vector<int>{1}) << "C, now at B's index";
  EXPECT_EQ(form.SrcList()->Object(1).toString(), "c");
  EXPECT_EQ(form.DstList()->Object(0).toString(), "b") << "the object travels with B";
  // Moving the last item out leaves nothing selected and that side's buttons off.
  form.SrcList()->item(0)->setSelected(true);
  form.IncClicked();
  form.IncClicked();
  EXPECT_EQ(form.SrcList()->count(), 0);
  EXPECT_EQ(Enabled(), (Buttons{false, false, false, true}));
  // "<<" brings everything back; the right side is then empty and off.
  form.ExclAllBtn()->click();
  EXPECT_EQ(Texts(*form.SrcList()), (std::vector<std::string>{"A", "B", "C", "X", "Y"}));
  EXPECT_EQ(SelectedRows(*form.DstList()), std::vector<int>{});
  EXPECT_EQ(Enabled(), (Buttons{false, true, false, false}));
  // A double click moves the selected item.
  form.SrcList()->item(4)->setSelected(true);
  emit form.SrcList()->itemDoubleClicked(form.SrcList()->item(4));
  EXPECT_EQ(Texts(*form.DstList()), (std::vector<std::string>{"Y"}));
}

TEST_F(DualListForm, DropsMoveBetweenListsAndReorderOnlyUnsortedOnes) {
  TDualListBox& src = *form.SrcList();
  TDualListBox& dst = *form.DstList();
  const QPoint onFirst = src.visualItemRect(src.item(0)).center();
  // From the other list: its selected items.
  dst.item(1)->setSelected(true);
  int target = -1;
  EXPECT_TRUE(ListDragOver(src, &dst, onFirst, true, target));
  EXPECT_TRUE(src.DropFrom(&dst, onFirst));
  EXPECT_EQ(Texts(src), (std::vector<std::string>{"A", "B", "C", "Y"}));
  // Within a sorted list: refused.
  src.clearSelection();
  src.setCurrentRow(3);
  EXPECT_FALSE(ListDragOver(src, &src, onFirst, true, target));
  EXPECT_FALSE(src.DropFrom(&src, onFirst));
  // Within an unsorted list: the current item moves to the item under the point.
  src.SetSorted(false);
  src.clearSelection();
  src.setCurrentRow(3);
  src.item(3)->setSelected(true);
  EXPECT_TRUE(CanDropItem(src, onFirst, target));
  EXPECT_EQ(target, 0);
  EXPECT_TRUE(src.DropFrom(&src, onFirst));
  EXPECT_EQ(Texts(src), (std::vector<std::string>{"Y", "A", "B", "C"}));
  EXPECT_EQ(src.currentRow(), 0);
  // Not on itself, not with two selected, not below the items.
  EXPECT_FALSE(CanDropItem(src, onFirst, target)) << "the item under the point is the current";
  src.item(2)->setSelected(true);
  EXPECT_FALSE(CanDropItem(src, src.visualItemRect(src.item(3)).center(), target));
  src.clearSelection();
  src.item(0)->setSelected(true);
  EXPECT_FALSE(
      CanDropItem(src, src.visualItemRect(src.item(3)).bottomLeft() + QPoint(2, 40), target));
  // Anything but a list is not taken.
  EXPECT_FALSE(ListDragOver(src, &form, onFirst, false, target));
}

TEST_F(DualListForm, CtrlArrowsReorderAnUnsortedList) {
  TDualListBox& src = *form.SrcList();
  src.SetSorted(false);
  src.setFocus();
  src.setCurrentRow(0);
  QTest::keyClick(&src, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(Texts(src), (std::vector<std::string>{"A", "B", "C"})) << "the first stays first";
  QTest::keyClick(&src, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(Texts(src), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(src.currentRow(), 1);
  // A sorted list keeps its order.
  src.SetSorted(true);
  src.setCurrentRow(0);
  QTest::keyClick(&src, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(Texts(src), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(DualListRoutines, CheckStatesTravelBetweenCheckLists) {
  TRxCheckListBox left, right;
  left.SetMultiSelect(true);
  for (const char* t : {"one", "two", "three"}) left.AddItem(t);
  left.SetChecked(1, true);
  left.SetItemEnabled(2, false);
  left.item(1)->setSelected(true);
  left.item(2)->setSelected(true);
  MoveSelectedItems(left, right);
  ASSERT_EQ(right.Count(), 2);
  EXPECT_TRUE(right.GetChecked(0));
  EXPECT_FALSE(right.GetItemEnabled(1));
  // Nothing selected: nothing moves.
  left.clearSelection();
  MoveSelectedItems(left, right);
  EXPECT_EQ(left.Count(), 1);
  MoveAllItems(right, left);
  EXPECT_EQ(left.Count(), 3);
  EXPECT_EQ(right.Count(), 0);
}

TEST(DualListDialog, OkGivesBothListsWithTheirObjectsAndCancelKeepsThem) {
  TDualListDialog dialog;
  dialog.Sorted = true;
  dialog.Title = "Sides";
  dialog.Label1Caption = "&Attackers";
  dialog.Label2Caption = "";  // an empty caption keeps the form's own
  dialog.List1 = {{"Zeta", 26}, {"alpha", 1}, {"Mu", 12}};
  dialog.List2 = {{"Beta", 2}};
  const TDualListItems list1 = dialog.List1;
  dialog.RunForm = [](TDualListForm& form) {
    EXPECT_EQ(form.windowTitle(), "Sides");
    EXPECT_EQ(form.SrcLabel()->text(), "&Attackers");
    EXPECT_EQ(form.DstLabel()->text(), "&Destination");
    EXPECT_EQ(form.SrcList()->ItemText(0), "alpha") << "sorted without regard to case";
    EXPECT_TRUE(form.IncAllBtn()->isEnabled());
    form.SrcList()->item(0)->setSelected(true);
    form.IncClicked();
    return false;
  };
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.List1, list1) << "Cancel leaves the lists";
  dialog.RunForm = [](TDualListForm& form) {
    form.SrcList()->item(1)->setSelected(true);  // Mu
    form.IncClicked();
    form.DstList()->clearSelection();
    form.DstList()->item(0)->setSelected(true);  // Beta
    form.ExclClicked();
    return true;
  };
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.List1, (TDualListItems{{"alpha", 1}, {"Beta", 2}, {"Zeta", 26}}));
  EXPECT_EQ(dialog.List2, (TDualListItems{{"Mu", 12}}));
}

TEST(DualListDialog, WithoutHelpOkAndCancelTakeItsPlace) {
  int cancelRight[2] = {0, 0};
  for (bool help : {true, false}) {
    TDualListDialog dialog;
    dialog.ShowHelp = help;
    dialog.RunForm = [&](TDualListForm& form) {
      form.resize(420, 300);
      EXPECT_TRUE(test::ShowExposed(form));
      EXPECT_EQ(form.HelpBtn()->isVisible(), help);
      EXPECT_LT(form.OkBtn()->x(), form.CancelBtn()->x());
      cancelRight[help ? 0 : 1] = form.CancelBtn()->geometry().right();
      if (help) {
        EXPECT_LT(form.CancelBtn()->x(), form.HelpBtn()->x());
      }
      return false;
    };
    dialog.Execute();
  }
  EXPECT_GT(cancelRight[1], cancelRight[0]);
}

}  // namespace
}  // namespace tovix
