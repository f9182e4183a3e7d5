// The named-expression window as the expression service, driven through its builder on the real
// game Orion: a new expression chosen filters planets, Cancel passes everything, the lists come
// back in a new window, and the builder's name rules.

#include "windows/expressions/expression_dialogs.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>

#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "expressions/expression_filters.h"
#include "support/orion_game.h"
#include "windows/expressions/calculation_dialogs.h"

namespace tovix {
namespace {

// Fills the builder that is about to open with `name` and `text` and presses OK.
void AnswerBuilder(const QString& name, const QString& text) {
  QTimer::singleShot(0, [name, text] {
    auto* b = qobject_cast<TfrmExpressionBuilder*>(QApplication::activeModalWidget());
    ASSERT_NE(b, nullptr);
    b->Memo()->setPlainText(text);
    b->NameField()->setText(name);
    b->OkButton()->click();
  });
}

TEST(SelectExpressions, PlanetsChosenByANewExpressionAndKeptAcrossWindows) {
  test::OrionGame* orion = test::Orion();
  if (orion == nullptr) GTEST_SKIP() << test::ReportsAbsent("orion");
  test::TempDir folder;
  test::RecordingUserInterface ui;
  const auto all = AllPlanets(orion->state);
  {
    TfrmSelectExpressions w(orion->state, ui, folder.path(), [] { return nullptr; });
    QTimer::singleShot(0, [&] {
      AnswerBuilder("Big", "[PT_SIZE]\n>500");
      w.NewExpression(false);
      EXPECT_EQ(w.LocalList()->currentItem()->text(), "Big");
      w.Use(false);
    });
    const auto big = w.SelectPlanetsByExpression(all);
    EXPECT_EQ(big, FilterPlanetList(orion->state, nullptr, "[PT_SIZE] >500", all));
    EXPECT_LT(big.size(), all.size());
    // Cancel passes every planet.
    QTimer::singleShot(0, [&] { w.reject(); });
    EXPECT_EQ(w.SelectPlanetsByExpression(all), all);
    // Groups: Cancel gives false and an empty text.
    std::vector<TGroupItem> chosen{{}};
    std::string expression = "x";
    QTimer::singleShot(0, [&] { w.reject(); });
    EXPECT_FALSE(w.SelectGroupsByExpression({}, chosen, expression));
    EXPECT_TRUE(chosen.empty());
    EXPECT_TRUE(expression.empty());
  }
  // A new window reads the list again, with "Big" selected; move it down to the global list.
  TfrmSelectExpressions again(orion->state, ui, folder.path(), [] { return nullptr; });
  again.Setup(TExpressionKind::Planets);
  ASSERT_EQ(again.LocalList()->count(), 1);
  EXPECT_TRUE(again.LocalList()->item(0)->isSelected());
  EXPECT_EQ(again.Lists().Local.List.ExpressionList[0].Expression, "[PT_SIZE] >500");
  again.MoveDown();
  again.Finish();
  again.Setup(TExpressionKind::Planets);
  EXPECT_EQ(again.LocalList()->count(), 0);
  EXPECT_EQ(again.GlobalList()->count(), 1);
  again.TestExpression(true);
  EXPECT_EQ(ui.messages.back(), "Checked expression seems ok");
  EXPECT_EQ(again.windowTitle(), "Planets Expressions");
}

// A list filter keeps a planet whose test fails; when every test failed it says so.
TEST(SelectExpressions, AnExpressionFailingOnEveryPlanetSaysSoAndKeepsTheList) {
  test::OrionGame* orion = test::Orion();
  if (orion == nullptr) GTEST_SKIP() << test::ReportsAbsent("orion");
  test::TempDir folder;
  test::RecordingUserInterface ui;
  const auto all = AllPlanets(orion->state);
  TfrmSelectExpressions w(orion->state, ui, folder.path(), [] { return nullptr; });
  QTimer::singleShot(0, [&] {
    AnswerBuilder("Misspelt", "[PT_SIZ] > 1");
    w.NewExpression(false);
    w.Use(false);
  });
  EXPECT_EQ(w.SelectPlanetsByExpression(all), all);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Error in expression: [PT_SIZ] > 1\r\rIt failed on all " +
                                std::to_string(all.size()) + " planets, first on planet " +
                                all.front()->Name + ". The choice made before is kept.");
}

// A planet renamed to a name with an accented letter (Latin-1 in the report, as the server
// writes it) is matched by an expression typed with that letter: the dialogs hand their text to
// the model as Latin-1.
TEST(ExpressionDialogs, AnAccentedPlanetNameTypedInTheDialogsMatchesThePlanet) {
  namespace fs = std::filesystem;
  test::TempDir reports, program;
  for (const auto& e : fs::directory_iterator(test::DataDir() / "reports" / "latin1"))
    if (e.path().extension() == ".txt")
      fs::copy_file(e.path(), reports / e.path().filename().string());
  GameState state;
  state.Settings.GameType = TGameType::NG;
  state.Settings.spelD = (reports / "%1s%0.03d.txt").string();
  state.Settings.spelC = "A";
  SetReportLayout(state.Layout, TGameType::NG);
  test::RecordingUserInterface ui;
  TReportReader reader(state, ui, program.path());
  ASSERT_TRUE(reader.LoadAllReports());
  TPlanet* merope = state.PlanetByName("M\xE9rope");
  ASSERT_NE(merope, nullptr);

  const QString typed = QString::fromUtf8("[PT_NAME] = 'M\u00e9rope'");
  TExpressions list;
  TfrmExpressionBuilder builder(TExpressionKind::Planets, list, -1, {}, ui);
  builder.Memo()->setPlainText(typed);
  builder.NameField()->setText(QString::fromUtf8("M\u00e9rope"));
  EXPECT_EQ(builder.ExpressionText(), "[PT_NAME] = 'M\xE9rope'");
  EXPECT_EQ(builder.NameText(), "M\xE9rope");

  TznSaveState store("");
  TfrmExpressionFilters filters(state, store, ui, [&](bool) { return builder.ExpressionText(); },
                                {});
  filters.SetItemIndex(1);
  filters.OkClicked();
  EXPECT_EQ(filters.result(), QDialog::Accepted);
  EXPECT_EQ(filters.FilteredPlanets(), std::vector<TPlanet*>{merope});

  TfrmCalculations calculations(state, {}, {}, {});
  calculations.Where()->setCurrentText(typed);
  calculations.What()->setCurrentText("[PT_SIZE]");
  calculations.CalculateClicked();
  EXPECT_EQ(calculations.Result()->toPlainText(), "300");
}

// "Add" (the button, the entries' pop-up entry or a double click) puts the chosen entry at the
// memo's cursor in place of the selection; none of them acts without a chosen entry.
TEST(ExpressionBuilder, EveryAddPutsTheEntryInPlaceOfTheSelection) {
  test::RecordingUserInterface ui;
  TExpressions list;
  TfrmExpressionBuilder b(TExpressionKind::Planets, list, -1, nullptr, ui);
  b.show();
  QAction* popupAdd = b.EntriesMenu()->actions().value(0);
  ASSERT_NE(popupAdd, nullptr);
  EXPECT_EQ(popupAdd->text(), "Add");
  const QList<QListWidgetItem*> functions =
      b.Categories()->findItems("Custom Functions", Qt::MatchExactly);
  ASSERT_EQ(functions.size(), 1);
  b.Categories()->setCurrentItem(functions[0]);
  for (const char* way : {"button", "pop-up", "double click"}) {
    SCOPED_TRACE(way);
    b.Entries()->setCurrentRow(-1);
    b.Memo()->setPlainText("[PT_SIZE] > 1");
    QTextCursor cursor = b.Memo()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(9, QTextCursor::KeepAnchor);  // "[PT_SIZE]"
    b.Memo()->setTextCursor(cursor);
    EXPECT_FALSE(popupAdd->isEnabled());
    popupAdd->trigger();
    EXPECT_EQ(b.ExpressionText(), "[PT_SIZE] > 1");
    QListWidgetItem* invert = b.Entries()->findItems("INVERT( expression )", Qt::MatchExactly)[0];
    b.Entries()->setCurrentItem(invert);
    EXPECT_TRUE(popupAdd->isEnabled());
    if (std::string(way) == "button") {
      for (QPushButton* button : b.findChildren<QPushButton*>())
        if (button->text() == "Add") button->click();
    } else if (std::string(way) == "pop-up") {
      popupAdd->trigger();
    } else {
      emit b.Entries()->itemDoubleClicked(invert);
    }
    EXPECT_EQ(b.ExpressionText(), "INVERT( expression ) > 1");
  }
}

TEST(ExpressionBuilder, NamesMustBeGivenAndUnique) {
  test::RecordingUserInterface ui;
  TExpressions list;
  list.ExpressionList.push_back({"Armed", "1", etGroup});
  TfrmExpressionBuilder b(TExpressionKind::Groups, list, -1, nullptr, ui);
  b.show();
  b.OkButton()->click();  // no name: said so, the window stays
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Please enter a name."});
  EXPECT_TRUE(b.isVisible());
  b.NameField()->setText("ARMED");
  EXPECT_FALSE(b.OkButton()->isEnabled());
  b.NameField()->setText("Armed 2");
  EXPECT_TRUE(b.OkButton()->isEnabled());
  b.LoadTemplate(0);
  EXPECT_EQ(b.NameText(), "My available Groups within 50 LY of planetname");
}

}  // namespace
}  // namespace tovix
