// The orders window on the real game Orion read as race A: A's orders of turn 25 loaded,
// analysed and shown; the automatic orders file; the three line-end styles; the searches and
// the Create Order checks.

#include "windows/orders_window.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "controls/zn_list_view.h"
#include "core/file_utils.h"
#include "editors/text_codec.h"
#include "editors/text_editor.h"
#include "orders/order_text.h"
#include "support/orion_as_a.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "windows/window_catalogue.h"
#include "windows/window_registry.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ListRows(const TznListView& list, int columns) {
  std::vector<std::string> rows;
  for (int r = 0; r < list.Rows().Count(); ++r) {
    std::string row;
    for (int c = 0; c < columns; ++c) row += list.Rows().CellText(r, c) + "|";
    rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

// A window of its own over a game, with a fresh program folder.
struct OrdersFixture {
  explicit OrdersFixture(GameState& state)
      : store_((folder.path() / "TovixStore3.ini").string()),
        windows_({store_, states_, state, ui, folder.path()}),
        window(*FindWindowEntry("frmOrders"), windows_) {}
  test::TempDir folder;
  test::RecordingUserInterface ui;
  TznSaveState store_;
  TFormStateRegistry states_;
  TWindowRegistry windows_;
  TfrmOrders window;
};

fs::path A025() {
  const fs::path dir = test::ReportsDir("orion");
  return dir.empty() ? fs::path() : dir / "orders" / "A025.txt";
}

TEST(OrdersWindow, AnalysesTheOrdersOfRaceAAndKeepsThemInTheAutomaticFile) {
  test::OrionAsA* orion = test::Orion();
  if (!orion || !fs::exists(A025())) GTEST_SKIP() << "the Orion reports are not on this machine";
  GameState& state = orion->state;
  state.Settings.GameNumber = 7;
  OrdersFixture f(state);
  // The automatic file of the game holds A's orders of turn 25, with two empty lines in front.
  const std::string bytes = "\r\n\r\n" + test::ReadFileBytes(A025());
  WriteFileAtomically(f.window.AutomaticFile(), bytes);
  f.ui.answers.push_back(false);  // keep the old orders
  f.window.LoadAutomaticOrders();

  // The lines as loaded: the file's own, the empty ones in front dropped, the turn marker set.
  std::vector<std::string> expected = test::FileLines(A025());
  TVectorOrderLines reference(expected);
  SetOrdersTurn(reference, state.LastTurn);
  IOrderLines& lines = f.window.OrderLines();
  ASSERT_EQ(lines.Count(), reference.Count());
  for (int i = 0; i < lines.Count(); ++i) EXPECT_EQ(lines.Line(i), reference.Line(i)) << i;
  EXPECT_EQ(GetOrdersTurn(lines), state.LastTurn);

  // The lists against an analysis of the same lines of its own.
  TOrderAnalysis analysis(state);
  analysis.ParseOrders(reference);
  const std::vector<TSentShipRow> sent = analysis.SentShipRows();
  ASSERT_FALSE(sent.empty());
  std::vector<std::string> want;
  for (const TSentShipRow& r : sent)
    want.push_back(r.Caption + "|" + r.Ships + "|" + r.From + "|" + r.To + "|" + r.Dist + "|" +
                   r.Speed + "|" + r.Rest + "|");
  std::sort(want.begin(), want.end());
  EXPECT_EQ(ListRows(*f.window.List("lvSendedShips"), 7), want);
  const TznListView& toDevelop = *f.window.List("lvToDevelop");
  ASSERT_GT(toDevelop.Rows().Count(), 0);
  for (int r = 0; r < toDevelop.Rows().Count(); ++r) {
    const TPlanet* planet = state.PlanetByName(toDevelop.Rows().CellText(r, 0));
    ASSERT_NE(planet, nullptr);
    EXPECT_EQ(planet->Owner.Player(), state.MainPlayer);
  }
  EXPECT_NE(f.window.LastAnalysis(), nullptr);

  // Right after an analysis the automatic file holds the analysed text, CR LF after every line,
  // before the window is hidden or destroyed (a crash here loses nothing).
  lines.Insert(lines.Count(), "; typed");
  QTest::mouseClick(f.window.findChild<QPushButton*>("btnAnalyse"), Qt::LeftButton);
  const std::string saved = test::ReadFileBytes(f.window.AutomaticFile());
  EXPECT_EQ(saved, OrderFileBytes(lines, TOrderLineEnds::CrLf));
  EXPECT_NE(saved.find("; typed\r\n"), std::string::npos);
  EXPECT_TRUE(f.ui.messages.empty());

  // Find Planet never stops on the header; a second search goes on after the first hit.
  f.window.FindPlanetInOrders("Arcturans");
  EXPECT_EQ(f.window.Editor().CaretY(), 3);
  EXPECT_TRUE(f.window.FindNextPlanet());
  EXPECT_EQ(f.window.Editor().CaretY(), 4);
  // Find Group selects the group's number in the first line of that group.
  f.window.FindGroupInOrders(12);
  EXPECT_EQ(EditToWindows1252(f.window.Editor().SelText()), "12");
  EXPECT_EQ(lines.Line(f.window.Editor().CaretY() - 1), "s 12 128 1");
}

TEST(OrdersWindow, SavesEachLineEndStyleByteExactAndLoadsThemAll) {
  GameState state;
  OrdersFixture f(state);
  IOrderLines& lines = f.window.OrderLines();
  EXPECT_EQ(lines.Count(), 0);  // the editor's one empty line
  for (const char* line : {"#GALAXY Game Race pw", "", "p 12 CAP", "#END"})
    lines.Insert(lines.Count(), line);
  const fs::path file = f.folder.path() / "out.txt";
  const std::pair<TOrderLineEnds, std::string> styles[] = {
      {TOrderLineEnds::CrLf, "#GALAXY Game Race pw\r\n\r\np 12 CAP\r\n#END\r\n"},
      {TOrderLineEnds::CrOnly, "#GALAXY Game Race pw\r\rp 12 CAP\r#END\r"},
      {TOrderLineEnds::LfOnly, "#GALAXY Game Race pw\n\np 12 CAP\n#END\n"}};
  for (const auto& [ends, bytes] : styles) {
    ASSERT_TRUE(f.window.SaveOrderFile(file, ends));
    EXPECT_EQ(test::ReadFileBytes(file), bytes);
    EXPECT_EQ(f.ui.messages.back(), "Text is Saved");
    f.window.Editor().Lines().Clear();
    ASSERT_TRUE(f.window.LoadOrderFile(file));
    ASSERT_EQ(lines.Count(), 4);
    EXPECT_EQ(lines.Line(0), "#GALAXY Game Race pw");
    EXPECT_EQ(lines.Line(1), "");
    EXPECT_EQ(lines.Line(3), "#END");
  }
  // A failed write is reported and never called saved; the old file stays.
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  f.ui.messages.clear();
  EXPECT_FALSE(f.window.SaveOrderFile(file, TOrderLineEnds::CrLf));
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0], "Text is Saved");
  EXPECT_EQ(test::ReadFileBytes(file), styles[2].second);
}

TEST(OrdersWindow, AsksToDeleteOldOrdersOnlyForAnOlderTurnMarker) {
  GameState state;
  state.Settings.GameNumber = 3;
  state.LastTurn = 9;
  for (const auto& [text, questions] : std::vector<std::pair<std::string, size_t>>{
           {"#GALAXY G R p\r\n;TOVIX TURN 9\r\n#END\r\n", 0},  // the current turn: no question
           {"#GALAXY G R p\r\n#END\r\n", 0},                   // no marker: one, no question
           {"#GALAXY G R p\r\n;TOVIX TURN 8\r\n#END\r\n", 1}}) {
    OrdersFixture f(state);
    WriteFileAtomically(f.window.AutomaticFile(), text);
    f.window.LoadAutomaticOrders();
    EXPECT_EQ(f.ui.questions.size(), questions) << text;
    EXPECT_EQ(GetOrdersTurn(f.window.OrderLines()), 9);
    EXPECT_EQ(f.window.OrderLines().Line(1), ";TOVIX TURN 9");
    // Hiding writes the file too.
    f.window.OrderLines().Insert(2, "; later");
    f.window.show();
    f.window.hide();
    EXPECT_NE(test::ReadFileBytes(f.window.AutomaticFile()).find("; later\r\n"), std::string::npos);
  }
}

TEST(OrdersWindow, ChangeRaceNameRefusesAnotherRacesName) {
  test::OrionAsA* orion = test::Orion();
  if (!orion) GTEST_SKIP() << "the Orion reports are not on this machine";
  OrdersFixture f(orion->state);
  std::string answer;
  f.window.SetAskText([&](const QString&, const QString&, const std::string&) { return answer; });
  QAction* change = nullptr;
  for (QAction* a : f.window.findChildren<QAction*>())
    if (a->text() == "Change &Race Name") change = a;
  ASSERT_NE(change, nullptr);
  std::string other;
  for (auto [key, race] : orion->state.Players)
    if (race != orion->state.MainPlayer) other = race->Name;
  answer = other;
  change->trigger();
  EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Player Name already used!"});
  for (int i = 0; i < f.window.OrderLines().Count(); ++i)
    EXPECT_EQ(f.window.OrderLines().Line(i).find("C "), std::string::npos);
  answer = "NewArcturans";
  change->trigger();
  bool found = false;
  for (int i = 0; i < f.window.OrderLines().Count(); ++i)
    found |= f.window.OrderLines().Line(i) == "C NewArcturans";
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace tovix
