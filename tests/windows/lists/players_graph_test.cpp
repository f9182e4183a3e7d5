// The players window, the graph and the overview on the real game Orion (A with allies B and
// C): orders and messages written, the map marks, "Show In Graph", the graph's series and the
// overview's tabs.

#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabBar>

#include "controls/zn_list_view.h"
#include "core/text/numbers.h"
#include "support/orion_game.h"
#include "support/recording_services.h"
#include "support/window_picture.h"
#include "views/graph_series.h"
#include "windows/dialogs/list_export_dialog.h"
#include "windows/lists/graph_window.h"
#include "windows/lists/overview_dialog.h"
#include "windows/lists/players_window.h"

namespace tovix {
namespace {

struct MarkingMap : IMapService {
  std::vector<TPlayer*> marked;
  void SetPlanetCursor(TPlanet*, bool) override {}
  void SetPlanet2Cursor(TPlanet*, bool) override {}
  void MarkPlayerPlanets(TPlayer* p) override { marked.push_back(p); }
  void AddPlanetMark(TPlanet*) override {}
  void ClearPlanetMarks() override {}
  void SetGroupCursor(int32_t, int32_t, float, float) override {}
};

class PlayersAndGraph : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::Orion()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    services.Orders = &orders;
    services.Map = &map;
  }
  GameState& State() { return test::Orion()->state; }
  TfrmPlayers::TServicesSource Source() {
    return [this]() -> const TServices& { return services; };
  }
  // Selects the rows of these races only.
  void SelectRaces(TfrmPlayers& window, const std::vector<std::string>& names) {
    TznListView& list = *window.List();
    list.clearSelection();
    for (int v = 0; v < list.Rows().Count(); ++v) {
      const std::string name = list.Rows().CellText(list.Rows().SourceRow(v), 0);
      if (std::find(names.begin(), names.end(), name) != names.end())
        list.selectionModel()->select(list.Rows().index(v, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  QAction* Item(TfrmPlayers& window, const QString& text) {
    for (QAction* a : window.PopupMenu()->actions())
      if (a->text() == text) return a;
    return nullptr;
  }
  TznSaveState store{""};
  test::RecordingOrders orders;
  test::RecordingUserInterface ui;
  MarkingMap map;
  TServices services;
};

TEST_F(PlayersAndGraph, PlayersWriteDiplomacyAndMessagesAndKeepTheirStateUnderPlayers) {
  TfrmPlayers window(State(), store, ui, Source());
  std::optional<TfrmPlayers::TMessage> answer;
  std::vector<std::string> asked;
  window.RunMessageDialog = [&](const std::string& race) {
    asked.push_back(race);
    return answer;
  };
  window.show();
  EXPECT_EQ(window.List()->Rows().Count(), State().Players.Count());
  EXPECT_EQ(window.windowTitle(), "Players - sort Ascending on Name");
  const auto alignment =
      window.List()->Rows().data(window.List()->Rows().index(0, 1), Qt::TextAlignmentRole);
  EXPECT_TRUE(alignment.value<Qt::Alignment>() & Qt::AlignRight) << "figures right-aligned";

  TPlayer* enemy = nullptr;
  for (int i = 0; i < State().Players.Count() && !enemy; ++i)
    if (State().Players.Object(i)->War && State().Players.Object(i) != State().MainPlayer)
      enemy = State().Players.Object(i);
  ASSERT_NE(enemy, nullptr);
  SelectRaces(window, {enemy->Name});
  window.PreparePopup();
  Item(window, "Set &Peace to this Player")->trigger();
  window.CreateMessage();  // cancelled
  answer = TfrmPlayers::TMessage{"@ " + enemy->Name + "\r\nhi\r\n\r\n@", "hi"};
  window.CreateMessage();
  window.CreateGlobalMessage();
  EXPECT_EQ(asked, (std::vector<std::string>{enemy->Name, enemy->Name, ""}));
  EXPECT_EQ(orders.inserted,
            (std::vector<std::string>{"other: A " + enemy->Name, "other: " + answer->Block,
                                      "other: " + answer->Block}));

  // The dialog itself: its caption and the block from its memo.
  TfrmCreateMessage dialog(ui);
  dialog.Setup(enemy->Name);
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Create Message for " + enemy->Name);
  dialog.Memo()->setPlainText("hi");
  EXPECT_EQ(dialog.GetMessageText(), answer->Block);

  // Two races: the single-race items are off, and only the first race's relation is offered.
  SelectRaces(window, {enemy->Name, State().MainPlayer->Name});
  window.PreparePopup();
  EXPECT_FALSE(Item(window, "Create &Message to this Player")->isEnabled());
  const TPlayer* first = window.SelectedPlayers().front();
  EXPECT_EQ(Item(window, "Set &War to this Player")->isVisible(), !first->War);
  EXPECT_EQ(Item(window, "Set &Peace to this Player")->isVisible(), first->War);
  window.SetWar();
  EXPECT_EQ(orders.inserted.size(), 3u);

  // The export is set up as the planet list's: the selected races, not numbered.
  window.Exporter().RunChoiceDialog = [](TExportChoiceForm& form) {
    form.TypeBox()->setCurrentIndex(static_cast<int>(TExportType::xClipboard));
    return true;
  };
  window.ExportList();
  EXPECT_TRUE(
      QGuiApplication::clipboard()->text().startsWith("Tovix\r\n" + QString(80, '-') + "\r\n\r\n"));
  EXPECT_FALSE(QGuiApplication::clipboard()->text().contains("Item: "));
  EXPECT_EQ(QGuiApplication::clipboard()->text().count("Name: "), 2);

  // A click marks the race's planets.
  window.List()->clicked(window.List()->Rows().index(0, 0));
  ASSERT_EQ(map.marked.size(), 1u);
  EXPECT_EQ(map.marked[0]->Name,
            window.List()->Rows().CellText(window.List()->Rows().SourceRow(0), 0));

  // The sort shows in the title, the state stays under "Players".
  window.List()->SetSortColumn(1);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.windowTitle(), "Players - sort Ascending on Effective Industry");
  window.SaveState();
  EXPECT_NE(store.ReadString("Players", "lvPLayers.cols", ""), "");
  EXPECT_TRUE(store.ReadBool("Players", "ShowOnStartup", false));
  EXPECT_NE(store.ReadString("Players_State", "ShowCmd", "none"), "none");
}

TEST_F(PlayersAndGraph, ShowInGraphDrawsTheSelectedRacesInRowOrder) {
  TfrmGraph graph(State(), store);
  TfrmPlayers window(State(), store, ui, Source());
  window.ShowInGraph = [&](const std::vector<TPlayer*>& races) { graph.ShowPlayers(races); };
  window.show();
  window.List()->SetSortDirection(TznSortDirection::sdDesc);
  const TListRowModel& rows = window.List()->Rows();
  const std::string first = rows.CellText(rows.SourceRow(0), 0);
  const std::string third = rows.CellText(rows.SourceRow(2), 0);
  SelectRaces(window, {third, first});
  window.ShowSelectedInGraph();
  ASSERT_EQ(graph.GraphPlayers().size(), 2u);
  EXPECT_EQ(graph.GraphPlayers()[0]->Name, first);
  EXPECT_EQ(graph.GraphPlayers()[1]->Name, third);
  const auto series = graph.Chart()->series();
  ASSERT_EQ(series.size(), 2);
  EXPECT_EQ(series[0]->name().toStdString(), first);
  EXPECT_EQ(static_cast<QLineSeries*>(series[1])->color(), QColor(255, 0, 0));
}

// Every race in its colour of the table, readable on the chart's white: the seventh black, the
// first (yellow) darkened.
TEST_F(PlayersAndGraph, EveryRaceIsDrawnInItsReadableColour) {
  TfrmGraph graph(State(), store);
  std::vector<TPlayer*> races;
  for (int i = 0; i < State().Players.Count(); ++i) races.push_back(State().Players.Object(i));
  ASSERT_GE(races.size(), 8u);
  graph.ShowPlayers(races);
  const auto series = graph.Chart()->series();
  ASSERT_EQ(series.size(), static_cast<qsizetype>(races.size()));
  for (int i = 0; i < series.size(); ++i) {
    const TGraphColour c = ReadableOn(GraphColour(i), kGraphBackground);
    EXPECT_EQ(static_cast<QLineSeries*>(series[i])->color(), QColor(c.R, c.G, c.B)) << i;
  }
  EXPECT_EQ(static_cast<QLineSeries*>(series[6])->color(), QColor(0, 0, 0));
  EXPECT_NE(static_cast<QLineSeries*>(series[0])->color(), QColor(255, 255, 0));
  EXPECT_EQ(graph.Chart()->plotAreaBackgroundBrush().color(), QColor(255, 255, 255));
}

// The top race chosen alone: one line, its population turn by turn.
TEST_F(PlayersAndGraph, GraphOfOneRaceFollowsItsFiguresTurnByTurn) {
  TfrmGraph graph(State(), store);
  graph.show();
  TPlayer* top = graph.TopPlayer();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(graph.TopPlayerLabel()->text().toStdString(), top->Name);
  graph.PlayerBox()->setCurrentIndex(
      graph.PlayerBox()->findText(QString::fromStdString(top->Name)));
  graph.SubjectBox()->setCurrentIndex(4);
  ASSERT_EQ(graph.Chart()->series().size(), 1);
  const auto* line = static_cast<QLineSeries*>(graph.Chart()->series()[0]);
  ASSERT_EQ(line->count(), State().LastTurn + 1);
  for (int t = 0; t <= State().LastTurn; ++t) {
    EXPECT_EQ(line->at(t).x(), t);
    EXPECT_FLOAT_EQ(static_cast<float>(line->at(t).y()), top->GetPopulation(t));
  }
}

TEST_F(PlayersAndGraph, OverviewShowsThisTurnAndSaysWhatIsNotAvailable) {
  TfrmOverView dialog(State());
  int analysed = 0;
  dialog.AnalyseOrders = [&] { ++analysed; };
  dialog.show();
  EXPECT_EQ(analysed, 1);
  const TOverviewFigures now = CurrentFigures(State());
  EXPECT_EQ(dialog.ValueLabel(ofPopulation)->text().toStdString(), Fmt("%5.2f", now[ofPopulation]));
  EXPECT_EQ(dialog.ValueLabel(ofMat)->text().toStdString(), Fmt("%5.3f", now[ofMat]));
  EXPECT_GT(now[ofCol] + now[ofCap] + now[ofMat], 0);
  EXPECT_TRUE(dialog.DeltaLabel(ofPopulation)->text().isEmpty());
  dialog.Tabs()->setCurrentIndex(1);
  EXPECT_EQ(dialog.ValueLabel(ofPopulation)->text(), "not available");
  dialog.Tabs()->setCurrentIndex(0);
  EXPECT_EQ(analysed, 1) << "computed once per show";
  dialog.hide();
  dialog.show();
  EXPECT_EQ(analysed, 2);
}

// A latest turn whose status table was not read: the race's figures are unknown on every tab
// that builds on them, "Next Turn Without Shipping" as much as "Next Turn"; what the planet
// tables and the plan give stays shown.
TEST(OverView, EveryTabMarksTheFiguresOfAnUnreadTurnUnknown) {
  struct Record final : IDevPlanetRecord {
    float ProjectedIndustry() const override { return 60; }
    bool ToDevelop() const override { return false; }
    float Colonists(int) const override { return 1; }
    float Capital(int) const override { return 2; }
    float Material(int) const override { return 3; }
    float Population(int) const override { return 90; }
    float Industry(int) const override { return 60; }
  };
  struct Plan final : IDevelopmentPlan {
    const TPlanet* planet = nullptr;
    Record record;
    const IDevPlanetRecord* FindDevPlanet(const TPlanet& p) const override {
      return &p == planet ? &record : nullptr;
    }
  };
  GameState state;
  auto race = std::make_unique<TPlayer>(0);
  TPlayer* me = race.get();
  state.Players.AddObject("me", std::move(race));
  state.MainPlayer = me;
  me->SetTurnValues(2, "Me", false, 1, 60, 80, 1, 1, 1, 1.5f);
  me->SetTurnCount(3);
  state.LastTurn = 3;  // read, but not its status table
  TPlanet* home = state.AddPlanet("home", std::make_unique<TPlanet>("Home"), 0);
  home->Owner = TOwnerRef::Of(me);
  home->Colonists = 2;
  Plan plan;
  plan.planet = home;
  state.SetDevelopmentPlan(&plan);
  {
    TfrmOverView dialog(state);
    dialog.show();
    for (int tab = 0; tab < 3; ++tab) {
      SCOPED_TRACE(tab);
      dialog.Tabs()->setCurrentIndex(tab);
      EXPECT_EQ(dialog.ValueLabel(ofDrive)->text(), kUnknownFigure);
      EXPECT_EQ(dialog.ValueLabel(ofTotalTech)->text(), kUnknownFigure);
      EXPECT_TRUE(dialog.DeltaLabel(ofDrive)->text().isEmpty());
      EXPECT_EQ(dialog.ValueLabel(ofCol)->text(), tab == 0 ? "2.000" : "1.000");
      EXPECT_EQ(dialog.ValueLabel(ofPopulation)->text(), tab == 0 ? kUnknownFigure : "90.00");
    }
  }
  state.SetDevelopmentPlan(nullptr);
}

TEST_F(PlayersAndGraph, PicturesOfPlayersGraphAndOverView) {
  TfrmPlayers players(State(), store, ui, Source());
  players.show();
  players.List()->SetSortColumn(1);
  players.List()->SetSortDirection(TznSortDirection::sdDesc);
  EXPECT_TRUE(test::TakePicture(players, "Players"));
  TfrmGraph graph(State(), store);
  graph.show();
  EXPECT_GT(graph.Chart()->series().size(), 3);
  EXPECT_TRUE(test::TakePicture(graph, "Graph"));
  TfrmOverView overview(State());
  overview.show();
  EXPECT_FALSE(overview.ValueLabel(ofPopulation)->text().isEmpty());
  EXPECT_TRUE(test::TakePicture(overview, "Over View"));
}

}  // namespace
}  // namespace tovix
