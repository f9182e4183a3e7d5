// The check-list and text list boxes: the check rules (radio, grayed, disabled items), which
// event a change raises, the keys and clicks of the user, objects and states that stay with their
// items, the horizontal extent, and the index checks.
#include "controls/list_boxes.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "control_test_helpers.h"
#include "controls/form_placement.h"
#include "core/base/errors.h"
#include "core/settings/ini_file.h"
#include "support/show_window.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

const auto RowName = [](const auto& row) { return std::string(row.param.name); };

// A check list of four items on a shown, active window, with its events counted.
class CheckListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(260, 200);
    list_ = new TRxCheckListBox(window_.get());
    list_->setGeometry(10, 10, 200, 160);
    for (const char* text : {"Alpha", "Bravo", "Charlie", "Delta"}) list_->AddItem(text);
    QObject::connect(list_, &TRxCheckListBox::OnClickCheck, [this] { ++clicks_; });
    QObject::connect(list_, &TRxCheckListBox::OnStateChange,
                     [this](int index) { changes_.push_back(index); });
    ASSERT_TRUE(test::ShowActive(*window_));
    list_->setFocus();
  }
  std::vector<TCheckBoxState> States() const {
    std::vector<TCheckBoxState> states;
    for (int i = 0; i < list_->Count(); ++i) states.push_back(list_->GetState(i));
    return states;
  }
  // The middle of an item's check area, or of its text.
  QPoint CheckPoint(int index) const {
    const QRect r = list_->ItemBounds(index);
    return {r.left() + list_->CheckAreaWidth() / 2, r.center().y()};
  }
  QPoint TextPoint(int index) const {
    const QRect r = list_->ItemBounds(index);
    return {r.left() + list_->CheckAreaWidth() + 20, r.center().y()};
  }
  void Click(QPoint at) { QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, at); }

  std::unique_ptr<QWidget> window_;
  TRxCheckListBox* list_ = nullptr;
  int clicks_ = 0;
  std::vector<int> changes_;
};

constexpr TCheckBoxState U = cbUnchecked, C = cbChecked, G = cbGrayed;

// States as letters: "UCGU".
std::vector<TCheckBoxState> StatesOf(const std::string& letters) {
  std::vector<TCheckBoxState> states;
  for (char c : letters) states.push_back(c == 'C' ? C : c == 'G' ? G : U);
  return states;
}

// What is done to the list, as words: "check 2", "uncheck 0", "toggle 1", "disable 3",
// "all C", "index 2".
void Act(TRxCheckListBox& list, const std::string& script) {
  std::istringstream in(script);
  for (std::string verb, arg; in >> verb >> arg;) {
    if (verb == "all") {
      list.SetAllStates(StatesOf(arg)[0]);
      continue;
    }
    const int i = std::stoi(arg);
    if (verb == "check" || verb == "uncheck") list.SetChecked(i, verb == "check");
    if (verb == "toggle") list.ToggleCheck(i);
    if (verb == "disable") list.SetItemEnabled(i, false);
    if (verb == "index") list.SetCheckedIndex(i);
  }
}

// ---- the rules of the states, by what is done to a list of four items

struct StateRow {
  const char* name;
  TCheckKind kind;
  bool allowGrayed;
  std::string before, act, after;
  std::vector<int> changes;  // OnStateChange, in order
  int clicks = 0;            // OnClickCheck
};

class CheckStates : public CheckListTest, public ::testing::WithParamInterface<StateRow> {};

TEST_P(CheckStates, FollowTheRules) {
  const StateRow& row = GetParam();
  list_->SetAllowGrayed(row.allowGrayed);
  for (int i = 0; i < list_->Count(); ++i) list_->SetState(i, StatesOf(row.before)[size_t(i)]);
  list_->SetCheckKind(row.kind);
  clicks_ = 0;
  changes_.clear();
  Act(*list_, row.act);
  EXPECT_EQ(States(), StatesOf(row.after));
  EXPECT_EQ(changes_, row.changes);
  EXPECT_EQ(clicks_, row.clicks);
}

constexpr TCheckKind kBox = ckCheckBoxes, kRadio = ckRadioButtons;
INSTANTIATE_TEST_SUITE_P(
    Rows, CheckStates,
    ::testing::Values(
        StateRow{"ProgramCheckRaisesOnlyTheChange", kBox, false, "UUUU", "check 2", "UUCU", {2}, 0},
        StateRow{"SameStateChangesNothing", kBox, false, "UCUU", "check 1", "UCUU", {}, 0},
        StateRow{"ToggleRaisesBothEvents", kBox, false, "UUUU", "toggle 0", "CUUU", {0}, 1},
        StateRow{"GrayedTogglesToChecked", kBox, true, "GUUU", "toggle 0", "CUUU", {0}, 1},
        StateRow{"ToggleOutsideTheListIsNothing", kBox, false, "UUUU", "toggle 7", "UUUU", {}, 0},
        StateRow{"DisabledItemStays", kBox, false, "UUUU", "disable 1 toggle 1", "UUUU", {}, 0},
        StateRow{"AllSkipDisabledItems", kBox, false, "UUUU", "disable 3 all C", "CCCU", {0, 1, 2}},
        StateRow{"RadioRefusesToUncheckItsItem", kRadio, false, "CUUU", "uncheck 0", "CUUU", {}, 0},
        StateRow{"RadioCheckUnchecksTheOthers", kRadio, false, "CUUU", "check 2", "UUCU", {2}, 0},
        StateRow{"RadioToggleOfTheCheckedStays", kRadio, false, "UCUU", "toggle 1", "UCUU", {}, 1},
        StateRow{"RadioIgnoresSettingAll", kRadio, false, "UCUU", "all U", "UCUU", {}, 0},
        StateRow{"RadioReadsGrayedAsUnchecked", kRadio, true, "UGCU", "index 2", "UUCU", {}, 0}),
    RowName);

TEST_F(CheckListTest, RadioListEndsWithExactlyOneCheckedItem) {
  // Loaded with none checked: the first one.
  list_->SetCheckKind(ckRadioButtons);
  EXPECT_EQ(list_->CheckedIndex(), 0);
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{C, U, U, U}));
  EXPECT_FALSE(list_->AllowGrayed());
  list_->SetAllowGrayed(true);
  EXPECT_FALSE(list_->AllowGrayed()) << "radio buttons are never grayed";
  // Several checked check boxes become radio buttons: the first checked one stays.
  list_->SetCheckKind(ckCheckBoxes);
  EXPECT_TRUE(list_->AllowGrayed());
  EXPECT_EQ(list_->CheckedIndex(), -1);
  list_->SetChecked(0, false);
  list_->SetChecked(2, true);
  list_->SetChecked(3, true);
  list_->SetCheckKind(ckRadioButtons);
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{U, U, C, U}));
}

// ---- what the user does

TEST_F(CheckListTest, SpaceCyclesThroughGrayedWhenAllowed) {
  list_->SetAllowGrayed(true);
  list_->SetItemIndex(1);
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(list_, Qt::Key_Space);
    seen.push_back(list_->GetState(1));
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{G, C, U}));
  EXPECT_EQ(clicks_, 3);
  EXPECT_EQ(list_->ItemIndex(), 1) << "Space toggles and moves nothing";
}

TEST_F(CheckListTest, PlusAndMinusSetEveryEnabledItem) {
  list_->SetItemEnabled(2, false);
  QTest::keyClick(list_, '+');
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{C, C, U, C}));
  EXPECT_EQ(clicks_, 1);
  list_->SetState(2, cbChecked);  // the program may still change a disabled item
  QTest::keyClick(list_, '-');
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{U, U, C, U}));
  EXPECT_EQ(clicks_, 2);
  // Radio buttons have no "all".
  list_->SetCheckKind(ckRadioButtons);
  clicks_ = 0;
  QTest::keyClick(list_, '+');
  EXPECT_EQ(clicks_, 0);
  EXPECT_EQ(list_->CheckedIndex(), 2);
}

TEST_F(CheckListTest, ClicksToggleOnlyInTheCheckAreaOfAnEnabledItem) {
  Click(TextPoint(1));
  EXPECT_EQ(list_->ItemIndex(), 1);
  EXPECT_EQ(list_->GetState(1), cbUnchecked) << "a click on the text selects only";
  EXPECT_EQ(clicks_, 0);
  Click(CheckPoint(2));
  EXPECT_EQ(list_->GetState(2), cbChecked);
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(list_->ItemIndex(), 2) << "the item clicked is the current one when the event fires";
  list_->SetItemEnabled(3, false);
  Click(CheckPoint(3));
  EXPECT_EQ(list_->GetState(3), cbUnchecked);
  EXPECT_EQ(clicks_, 1);
  // Below the last item nothing is toggled.
  Click(list_->ItemBounds(4).center());
  EXPECT_EQ(clicks_, 1);
}

// ---- items, objects, extent

TEST_F(CheckListTest, ObjectsAndStatesStayWithTheirItems) {
  for (int i = 0; i < list_->Count(); ++i) list_->SetObject(i, i * 10);
  list_->SetState(1, cbChecked);    // Bravo
  list_->SetItemEnabled(2, false);  // Charlie
  list_->AddItem("aardvark", 99);
  list_->SetSorted(true);
  // Sorting ignores case: "aardvark" goes first.
  ASSERT_EQ(list_->ItemText(0), "aardvark");
  EXPECT_EQ(list_->Object(0).toInt(), 99);
  EXPECT_EQ(list_->ItemText(2), "Bravo");
  EXPECT_EQ(list_->Object(2).toInt(), 10);
  EXPECT_EQ(list_->GetState(2), cbChecked);
  EXPECT_FALSE(list_->GetItemEnabled(3));
  // A copy of the list has the states and flags too.
  TRxCheckListBox copy;
  copy.AssignItems(*list_);
  ASSERT_EQ(copy.Count(), 5);
  EXPECT_EQ(copy.GetState(2), cbChecked);
  EXPECT_FALSE(copy.GetItemEnabled(3));
  EXPECT_EQ(copy.Object(0).toInt(), 99);
}

TEST(TextListBox, ExtentFollowsTheWidestItem) {
  TTextListBox list;
  list.resize(80, 100);
  list.show();
  EXPECT_EQ(list.HorizontalExtent(), 0);
  list.AddItem("short");
  list.AddItem("a much longer item text than the others");
  list.AddItem("medium length");
  const int widest = list.ItemWidth(1);
  EXPECT_EQ(list.HorizontalExtent(), widest);
  EXPECT_GT(widest, list.ItemWidth(2));
  QCoreApplication::processEvents();
  EXPECT_GT(list.horizontalScrollBar()->maximum(), 0) << "the list scrolls to its widest item";
  // Deleting the widest shrinks the extent to the next widest; clearing sets it to 0.
  list.DeleteItem(1);
  EXPECT_EQ(list.HorizontalExtent(), list.ItemWidth(1));
  list.Clear();
  EXPECT_EQ(list.HorizontalExtent(), 0);
  // Tabs go to the stops of TabWidth quarters of a "0".
  list.AddItem("a\tb");
  const int narrow = list.ItemWidth(0);
  list.SetTabWidth(200);
  EXPECT_EQ(list.TabStopPixels(),
            std::lround(200 * QFontMetrics(list.font()).horizontalAdvance('0') * 0.25));
  EXPECT_GT(list.ItemWidth(0), narrow);
  list.SetTabWidth(-3);
  EXPECT_EQ(list.TabWidth(), 0);
}

// ---- owner drawing and columns

struct DrawRow {
  const char* name;
  bool checkList;
  TListBoxStyle style;
  bool measure;              // OnMeasureItem gives 18 + 2 * index
  std::vector<int> heights;  // of the three items; -1 for the standard height
  bool handlerDraws;
};

class OwnerDraw : public ::testing::TestWithParam<DrawRow> {};

// The handler draws each item in the item's rectangle (after a check list's check area), with
// the item's state; the heights are the style's.
TEST_P(OwnerDraw, EventsGetTheItemsRectangle) {
  const DrawRow& row = GetParam();
  QWidget window;
  window.resize(240, 200);
  TRxCustomListBox* list = row.checkList
                               ? static_cast<TRxCustomListBox*>(new TRxCheckListBox(&window))
                               : new TTextListBox(&window);
  list->setGeometry(0, 0, 220, 180);
  for (const char* text : {"one", "two", "three"}) list->AddItem(text);
  list->SetItemHeight(24);
  list->SetItemHeight(0);  // ignored
  list->SetStyle(row.style);
  struct Drawn {
    int index;
    QRect rect;
    TOwnerDrawState state;
  };
  std::vector<Drawn> drawn;
  list->SetOnDrawItem([&](TRxCustomListBox* control, QPainter& canvas, int index, const QRect& rect,
                          TOwnerDrawState state) {
    EXPECT_EQ(control, list);
    canvas.drawRect(rect);
    drawn.push_back({index, rect, state});
  });
  if (row.measure)
    list->SetOnMeasureItem(
        [](TRxCustomListBox*, int index, int& height) { height = 18 + 2 * index; });
  list->SetItemIndex(1);
  ASSERT_TRUE(test::ShowExposed(window));
  list->grab();

  std::vector<int> heights;
  for (int i = 0; i < 3; ++i) heights.push_back(list->ItemBounds(i).height());
  std::vector<int> expected = row.heights;
  for (int& h : expected)
    if (h < 0) h = list->ItemHeightPixels();  // the standard height, from the font
  EXPECT_EQ(heights, expected);
  if (!row.handlerDraws) {
    EXPECT_TRUE(drawn.empty());
    return;
  }
  ASSERT_GE(drawn.size(), 3u);
  for (const Drawn& d : drawn) {
    QRect item = list->ItemBounds(d.index);
    item.setLeft(item.left() + list->CheckAreaWidth());
    EXPECT_EQ(d.rect, item) << d.index;
    EXPECT_EQ((d.state & odSelected) != 0, d.index == 1) << d.index;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OwnerDraw,
    ::testing::Values(
        DrawRow{"FixedTakesItemHeight", false, lbOwnerDrawFixed, false, {24, 24, 24}, true},
        DrawRow{"VariableAsksEachItem", false, lbOwnerDrawVariable, true, {18, 20, 22}, true},
        DrawRow{
            "CheckListDrawsAfterItsCheckArea", true, lbOwnerDrawFixed, false, {24, 24, 24}, true},
        DrawRow{"StandardIgnoresTheHandler", false, lbStandard, true, {-1, -1, -1}, false}),
    RowName);

TEST(TextListBox, OwnerDrawnWidthAndColumns) {
  TTextListBox list;
  list.resize(200, 100);
  for (int i = 0; i < 12; ++i) list.AddItem(QString("item %1").arg(i));
  // The width of an owner-drawn item comes from OnGetItemWidth once both events are set.
  const int textWidth = list.HorizontalExtent();
  list.SetOnGetItemWidth([](TRxCustomListBox*, int index, int& width) { width = 300 + index; });
  list.SetStyle(lbOwnerDrawFixed);
  EXPECT_EQ(list.HorizontalExtent(), textWidth) << "no OnDrawItem yet";
  list.SetOnDrawItem([](TRxCustomListBox*, QPainter&, int, const QRect&, TOwnerDrawState) {});
  EXPECT_EQ(list.HorizontalExtent(), 311);
  // Two columns of (200 + 2 - 3) div 2 pixels: the items run down, then across; no extent.
  list.SetStyle(lbStandard);
  list.SetColumns(2);
  EXPECT_EQ(list.ColumnWidth(), 99);
  EXPECT_EQ(list.HorizontalExtent(), 0);
  list.show();
  QCoreApplication::processEvents();
  const QRect first = list.ItemBounds(0);
  EXPECT_EQ(first.width(), 99);
  int nextColumn = -1;
  for (int i = 1; i < list.Count() && nextColumn < 0; ++i)
    if (list.ItemBounds(i).left() > first.left()) nextColumn = i;
  ASSERT_GT(nextColumn, 1);
  EXPECT_EQ(list.ItemBounds(nextColumn).topLeft(), QPoint(first.left() + 99, first.top()));
  list.resize(300, 100);
  EXPECT_EQ(list.ColumnWidth(), 149);
  list.SetColumns(0);
  EXPECT_EQ(list.HorizontalExtent(), textWidth);
  EXPECT_EQ(list.ItemBounds(1).left(), first.left());
}

// ---- check states kept through a form placement

struct StorageRow {
  const char* name;
  TCheckKind kind;
  const char* objectName;
  std::string saved;     // states when the placement is saved
  std::string restored;  // states after a new window restored them
};

class CheckStorage : public ::testing::TestWithParam<StorageRow> {};

TEST_P(CheckStorage, StatesSurviveARestart) {
  const StorageRow& row = GetParam();
  test::TempDir dir;
  const QString file = QString::fromStdString((dir / "Tovix.INI").string());
  // One run of the program: a window with its placement and the list.
  const auto run = [&](const std::string& states, bool save) {
    QWidget window;
    window.setObjectName("frmFilter");
    TFormPlacement placement(&window);
    placement.SetIniFileName(file);
    placement.SetIniSection("GroupFilter");
    auto* list = new TRxCheckListBox(&window);
    list->setObjectName(row.objectName);
    list->SetCheckKind(row.kind);
    for (const char* text : {"Alpha", "Bravo", "Charlie", "Delta"}) list->AddItem(text);
    list->SetAllowGrayed(true);
    list->SetIniStorage(&placement);
    EXPECT_EQ(list->IniStorage(), &placement);
    for (int i = 0; i < 4; ++i) list->SetState(i, StatesOf(states)[size_t(i)]);
    if (save) {
      placement.SaveFormPlacement();
    } else {
      placement.RestoreFormPlacement();
    }
    std::string after;
    for (int i = 0; i < 4; ++i) after += "UCG"[list->GetState(i)];
    return after;
  };
  run(row.saved, true);
  EXPECT_EQ(run(row.kind == ckRadioButtons ? "CUUU" : "UUUU", false), row.restored);
  if (*row.objectName != '\0') {
    const TIniFile ini(file.toStdString());
    EXPECT_EQ(ini.ReadInteger(std::string("GroupFilter.") + row.objectName, "Count", -1), 4);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckStorage,
    ::testing::Values(StorageRow{"CheckBoxes", ckCheckBoxes, "lbxPlayers", "CGUC", "CGUC"},
                      StorageRow{"RadioButtons", ckRadioButtons, "lbxShiptypes", "UUCU", "UUCU"},
                      StorageRow{"UnnamedListKeepsNothing", ckCheckBoxes, "", "CCCC", "UUUU"}),
    RowName);

TEST(TextListBox, IndexesOutsideTheListRaiseTheListError) {
  TTextListBox list;
  list.AddItem("one");
  try {
    list.ItemText(5);
    FAIL() << "no error";
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  EXPECT_THROW(list.Object(-1), EStringListError);
  EXPECT_THROW(list.DeleteItem(1), EStringListError);
  EXPECT_THROW(list.SetSelected(2, true), EStringListError);
  // Inserting at the end is allowed.
  list.InsertItem(1, "two");
  EXPECT_EQ(list.ItemText(1), "two");
  // A point below the last item: none, or the place of a new item.
  list.resize(120, 200);
  list.show();
  QCoreApplication::processEvents();
  const QPoint below = list.ItemBounds(2).center();
  EXPECT_EQ(list.ItemAtPoint(below, true), -1);
  EXPECT_EQ(list.ItemAtPoint(below, false), 2);
  EXPECT_EQ(list.ItemAtPoint(list.ItemBounds(1).center(), true), 1);
  EXPECT_EQ(list.ItemAtPoint(QPoint(-5, 2), false), -1);
  EXPECT_TRUE(list.ItemBounds(3).isEmpty());
}

TEST(TextListBox, SingleSelectionFollowsTheCurrentItem) {
  TTextListBox list;
  for (const char* t : {"a", "b", "c"}) list.AddItem(t);
  list.SetSelected(1, true);
  EXPECT_EQ(list.ItemIndex(), 1);
  list.SetSelected(2, false);  // not the current item: nothing
  EXPECT_EQ(list.ItemIndex(), 1);
  list.SetSelected(1, false);
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(list.SelCount(), 0);
  list.SetMultiSelect(true);
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  EXPECT_EQ(list.SelCount(), 2);
}

}  // namespace
}  // namespace tovix
