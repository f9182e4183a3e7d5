// The orders window on the real game Orion read as race A: A's orders of turn 25 loaded,
// analysed and shown; the automatic orders file; the three line-end styles; the searches and
// the Create Order checks.

#include "windows/orders/orders_window.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QWidgetAction>

#include "controls/zn_list_view.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "editors/key_commands.h"
#include "editors/order_highlighter.h"
#include "editors/text_codec.h"
#include "editors/text_editor.h"
#include "orders/galaxy_bot.h"
#include "orders/order_text.h"
#include "orders/todo_orders.h"
#include "platform/latin1.h"
#include "support/orders_fixture.h"
#include "support/orion_as_a.h"
#include "support/recording_services.h"
#include "support/recording_ui.h"
#include "support/show_window.h"
#include "support/test_paths.h"
#include "support/window_picture.h"
#include "views/overview_figures.h"
#include "views/planet_list_rows.h"
#include "windows/frame/window_registry.h"
#include "windows/lists/overview_dialog.h"
#include "windows/lists/planets_list_window.h"
#include "windows/orders/setup_orders_dialog.h"
#include "windows/orders/ship_design_window.h"

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

using test::FindAction;
using test::OrdersFixture;

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
    ASSERT_FALSE(f.ui.captioned.empty());
    EXPECT_EQ(f.ui.captioned.back(),
              (std::pair<std::string, std::string>{"Saved", "Text is Saved"}));
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
  EXPECT_EQ(f.ui.captioned.size(), 3u);  // the three saves above
  EXPECT_EQ(test::ReadFileBytes(file), styles[2].second);
}

// "Save Orders" opens in the game's folder (its "orders" folder when it has one), then where the
// player saved last, and proposes the own letter's file of the turn the orders are for.
TEST(OrdersWindow, SaveOrdersProposesTheNextTurnsFileInTheGameFolder) {
  GameState state;
  OrdersFixture f(state);
  const fs::path game = f.folder.path() / "my game";
  const fs::path sent = f.folder.path() / "sent";
  fs::create_directories(game);
  fs::create_directories(sent);
  state.Settings.spelD = (game / "%1s%0.03d.txt").string();
  state.Settings.spelC = "BA";
  state.LastTurn = 25;
  f.window.OrderLines().Insert(0, "#GALAXY Orion Betelgeusians pw");
  QAction* save = FindAction(*f.window.EditorPopup(), "Normal (CR/LF)");
  ASSERT_NE(save, nullptr);
  const struct {
    const char* Name;
    fs::path Folder;  // made before the save
    fs::path Proposed;
    fs::path Chosen;  // what the player picks in the dialog; empty: Cancel
  } cases[] = {
      {"the game's folder", game, game / "orders_B026.txt", {}},
      {"its orders folder", game / "orders", game / "orders" / "B026.txt", sent / "mine.txt"},
      {"where the player saved last", sent, sent / "orders_B026.txt", sent / "orders_B026.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::create_directories(c.Folder);
    QString proposed;
    f.window.AskSaveFile = [&](const QString& file) {
      proposed = file;
      return QString::fromStdString(c.Chosen.string());
    };
    save->trigger();
    EXPECT_EQ(proposed.toStdString(), c.Proposed.string());
    EXPECT_EQ(fs::exists(c.Proposed), c.Proposed == c.Chosen);
    if (!c.Chosen.empty()) {
      EXPECT_EQ(test::ReadFileBytes(c.Chosen), "#GALAXY Orion Betelgeusians pw\r\n");
    }
  }
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

// "Łódź" typed into a comment cannot go out in an order file (Windows-1252): saving and mailing
// name the line and the characters and write nothing, the window and the automatic orders file
// keep them, and the order logic's changes to their line leave them in place.
TEST(OrdersWindow, CharactersAnOrderFileCannotHoldAreNamedAndNeverWrittenAsQuestionMarks) {
  GameState state;
  state.Settings.GameNumber = 3;
  state.LastTurn = 9;
  OrdersFixture f(state);
  WriteFileAtomically(f.window.AutomaticFile(),
                      "#GALAXY G R p\r\n;TOVIX TURN 9\r\nP Alpha Cruiser ; t3\r\n#END\r\n");
  f.window.LoadAutomaticOrders();
  ASSERT_TRUE(test::ShowActive(f.window));
  TTextEditor& editor = f.window.Editor();
  editor.setFocus();
  editor.SetCaretXY({21, 3});
  editor.SetBlockBegin({21, 3});
  // Typed key by key, as a keyboard with these letters sends them.
  for (QChar c : QString::fromUtf8(" \xC5\x81\xC3\xB3\x64\xC5\xBA?")) {
    QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    QApplication::sendEvent(&editor, &press);
  }
  const std::string typed = "P Alpha Cruiser ; t3 \xC5\x81\xC3\xB3\x64\xC5\xBA?";
  ASSERT_EQ(EditToUtf8(editor.Lines().Get(2)), typed);
  const std::string where = "line 3: \xC5\x81 (U+0141, column 22), \xC5\xBA (U+017A, column 25)";

  const fs::path file = f.folder.path() / "orders.txt";
  WriteFileAtomically(file, "older orders\r\n");
  f.ui.messages.clear();
  EXPECT_FALSE(f.window.SaveOrderFile(file, TOrderLineEnds::CrLf));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].find("The orders were not saved"), std::string::npos);
  EXPECT_NE(f.ui.messages[0].find(where), std::string::npos) << f.ui.messages[0];
  EXPECT_EQ(test::ReadFileBytes(file), "older orders\r\n");

  QAction* mail = FindAction(f.window, "Mail orders");
  ASSERT_NE(mail, nullptr);
  f.window.SetMailAddress("galaxy@terra.example", "Orders");
  mail->trigger();
  ASSERT_EQ(f.ui.messages.size(), 2u);
  EXPECT_NE(f.ui.messages[1].find("The orders were not sent"), std::string::npos);
  EXPECT_NE(f.ui.messages[1].find(where), std::string::npos) << f.ui.messages[1];
  EXPECT_EQ(f.ui.utf8Messages, f.ui.messages);

  // An analysis tells once; the automatic file keeps the characters (as UTF-8) and gives them
  // back.
  f.window.AnalyseOrders();
  f.window.AnalyseOrders();
  ASSERT_EQ(f.ui.messages.size(), 3u);
  EXPECT_NE(f.ui.messages[2].find(where), std::string::npos) << f.ui.messages[2];
  const std::string automatic = test::ReadFileBytes(f.window.AutomaticFile());
  EXPECT_EQ(automatic, "\xEF\xBB\xBF#GALAXY G R p\r\n;TOVIX TURN 9\r\n" + typed + "\r\n#END\r\n");
  editor.Lines().Clear();
  f.window.LoadAutomaticOrders();
  EXPECT_EQ(EditToUtf8(editor.Lines().Get(2)), typed);

  // Counting the turn counter down rewrites the line through Windows-1252; the rest stays.
  FindAction(f.window, "Decrement Turn &Counter")->trigger();
  EXPECT_EQ(EditToUtf8(editor.Lines().Get(2)),
            "P Alpha Cruiser ; t2 \xC5\x81\xC3\xB3\x64\xC5\xBA?");

  // Once they are gone the orders save, with the "?" the user typed.
  editor.Lines().Put(2, Utf8ToEdit("P Alpha Cruiser ; t2 Lodz?"));
  EXPECT_TRUE(f.window.SaveOrderFile(file, TOrderLineEnds::CrLf));
  EXPECT_EQ(test::ReadFileBytes(file),
            "#GALAXY G R p\r\n;TOVIX TURN 9\r\nP Alpha Cruiser ; t2 Lodz?\r\n#END\r\n");
  f.window.hide();
}

// The warning about such characters comes once for each new one, not again when typing moves
// them, another analysis or an insertion runs; the notes list names them after each analysis,
// the characters themselves shown. Once all are gone, one that comes back is news again.
TEST(OrdersWindow, CharactersAnOrderFileCannotHoldAreWarnedOfOncePerNewOne) {
  GameState state;
  state.Settings.GameNumber = 3;
  state.LastTurn = 9;
  OrdersFixture f(state);
  // The automatic file keeps them in UTF-8 behind a byte order mark.
  WriteFileAtomically(f.window.AutomaticFile(),
                      "\xEF\xBB\xBF#GALAXY G R p\r\n;TOVIX TURN 9\r\n; \xC5\x81\xC3\xB3"
                      "d\xC5\xBA\r\n#END\r\n");
  f.window.LoadAutomaticOrders();
  TTextEditor& editor = f.window.Editor();
  const auto unsavableNotes = [&f] {
    std::vector<std::string> notes;
    for (int i = 0; i < f.window.NotesList()->count(); ++i)
      if (const QString note = f.window.NotesList()->item(i)->text();
          note.contains("an order file cannot hold"))
        notes.push_back(note.toStdString());
    return notes;
  };
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(
      f.ui.messages[0].find("line 3: \xC5\x81 (U+0141, column 3), \xC5\xBA (U+017A, column 6)"),
      std::string::npos)
      << f.ui.messages[0];
  EXPECT_EQ(unsavableNotes(), std::vector<std::string>{"Line 3: an order file cannot hold \xC5\x81 "
                                                       "(U+0141, column 3), \xC5\xBA (U+017A, "
                                                       "column 6)"});

  editor.Lines().Put(
      2, Utf8ToEdit("; to \xC5\x81\xC3\xB3\x64\xC5\xBA and \xC5\x81\xC3\xB3\x64\xC5\xBA"));
  f.window.AnalyseOrders();
  f.window.AnalyseOrders();
  f.window.InsertOtherCommands("; later");
  f.window.AnalyseAfterInsert();
  EXPECT_EQ(f.ui.messages.size(), 1u) << f.ui.messages.back();
  const std::vector<std::string> moved = unsavableNotes();
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_NE(moved[0].find("\xC5\x81 (U+0141, columns 6, 15)"), std::string::npos) << moved[0];

  // A new character: one box, which names it with the others.
  editor.Lines().Put(2, Utf8ToEdit("; to \xC5\x81\xC3\xB3\x64\xC5\xBA \xD0\x96"));
  f.window.AnalyseOrders();
  f.window.AnalyseOrders();
  ASSERT_EQ(f.ui.messages.size(), 2u);
  EXPECT_NE(f.ui.messages[1].find("\xD0\x96 (U+0416, column 11)"), std::string::npos)
      << f.ui.messages[1];
  EXPECT_NE(f.ui.messages[1].find("\xC5\x81 (U+0141, column 6)"), std::string::npos);

  // All gone: no note; typed again later, it is told again.
  editor.Lines().Put(2, Utf8ToEdit("; to Lodz"));
  f.window.AnalyseOrders();
  EXPECT_TRUE(unsavableNotes().empty());
  editor.Lines().Put(2, Utf8ToEdit("; to \xC5\x81odz"));
  f.window.AnalyseOrders();
  ASSERT_EQ(f.ui.messages.size(), 3u);
  EXPECT_NE(f.ui.messages[2].find("\xC5\x81 (U+0141, column 6)"), std::string::npos);
  // Every one went to a box that shows the characters themselves.
  EXPECT_EQ(f.ui.utf8Messages, f.ui.messages);
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

std::vector<std::string> AllLines(const IOrderLines& lines) {
  std::vector<std::string> all;
  for (int i = 0; i < lines.Count(); ++i) all.push_back(lines.Line(i));
  return all;
}

// Setup orders replaces a turn's orders with the frame as one step of the editor's undo, with
// the windows the program makes: one Ctrl+Z gives back every old line (21 of them, far more than
// the 10 steps the list keeps), Shift+Ctrl+Z the frame again, and the typing before it stays
// undoable. The old lines went one by one and the undo list was cleared: they were lost.
TEST(OrdersWindow, SetupOrdersIsOneUndoStep) {
  GameState state;
  state.GameName = "Terra";
  auto race = std::make_unique<TPlayer>(1);
  race->Name = "Humans";
  state.MainPlayer = race.get();
  state.Players.AddObject("humans", std::move(race));
  test::TempDir folder;
  TznSaveState store((folder.path() / "TovixStore3.ini").string());
  TFormStateRegistry states;
  test::RecordingUserInterface ui;
  TWindowRegistry windows({store, states, state, ui, folder.path()});
  windows.CreateStartupWindows();
  auto* orders = windows.Get<TfrmOrders>("frmOrders");
  auto* setup = windows.Get<TfrmSetupOrders>("frmSetupOrders");
  ASSERT_NE(orders, nullptr);
  ASSERT_NE(setup, nullptr);
  ASSERT_TRUE(test::ShowActive(*orders));
  IOrderLines& lines = orders->OrderLines();
  lines.Insert(0, "#GALAXY Terra Humans pw");
  for (int g = 1; g <= 20; ++g) lines.Insert(lines.Count(), "s " + std::to_string(g) + " Alpha");
  const std::vector<std::string> inserted = AllLines(lines);
  TTextEditor& editor = orders->Editor();
  editor.setFocus();
  editor.SetCaretXY({1, 21});
  QTest::keyClicks(&editor, "; ");
  const std::vector<std::string> typed = AllLines(lines);
  ASSERT_NE(typed, inserted);
  ASSERT_EQ(typed.size(), 21u);

  ui.answers = {true};
  QAction* item = test::FindAction(*orders, "&Setup orders");
  ASSERT_NE(item, nullptr);
  item->trigger();
  ASSERT_TRUE(setup->isVisible());
  QPushButton* ok = nullptr;
  for (QPushButton* b : setup->findChildren<QPushButton*>())
    if (b->text() == "OK") ok = b;
  ASSERT_NE(ok, nullptr);
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_FALSE(setup->isVisible());
  EXPECT_EQ(ui.questions.size(), 1u);
  std::vector<std::string> frame{ToLatin1(setup->FirstLine()->text()),
                                 "",
                                 ";-Tovix Group Insertion start-",
                                 ";-Tovix Group Insertion end-",
                                 ";-Tovix Find Insertion start-",
                                 ";-Tovix Find Insertion end-",
                                 "#END"};
  EXPECT_EQ(AllLines(lines), frame);

  ASSERT_TRUE(test::ShowActive(*orders));
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(AllLines(lines), typed);
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(AllLines(lines), frame);
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(AllLines(lines), typed);
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(AllLines(lines), inserted);
  orders->hide();
}

// The cargo settings the window's commands and rating read: two-turn trips.
class FixedCargoSettings : public ICargoSettingsService {
 public:
  explicit FixedCargoSettings(GameState& state) : state_(state) { settings.MaxDistanceIndex = 1; }
  TAutoCargoSettings CargoSettings() override { return settings; }
  void ComputeBuildability() override { tovix::ComputeBuildability(state_, settings); }
  TAutoCargoSettings settings;

 private:
  GameState& state_;
};

// The menu of a menu bar's or a menu's item.
QMenu* SubMenu(QWidget& menu, const QString& title) {
  for (QAction* a : menu.actions())
    if (a->text() == title && a->menu()) return a->menu();
  ADD_FAILURE() << "no menu " << title.toStdString();
  return nullptr;
}

// The rows of the plan as the lists show them, sorted like ListRows.
template <class Row, class... Cells>
std::vector<std::string> PlanRows(const std::vector<Row>& rows, Cells... cells) {
  std::vector<std::string> out;
  for (const Row& r : rows) out.push_back(((r.*cells + "|") + ...));
  std::sort(out.begin(), out.end());
  return out;
}

// Orion as A after turn 25 with A's orders of that turn, every growing own planet tagged for
// development through the To Develop pop-up and the routes used for development.
class OrionOrders : public testing::Test {
 protected:
  void SetUp() override {
    orion = test::Orion();
    if (!orion || !fs::exists(A025())) GTEST_SKIP() << "the Orion reports are not on this machine";
    orion->state.Settings.GameNumber = 7;
    cargo = std::make_unique<FixedCargoSettings>(orion->state);
    designer = std::make_unique<TfrmShipDesign>(orion->state, designStore, designUi,
                                                [this]() -> const TServices& { return none; });
    TServices services;
    services.CargoSettings = cargo.get();
    services.PlanetInfo = &info;
    services.ShipDesign = designer.get();
    f = std::make_unique<OrdersFixture>(orion->state, services);
    WriteFileAtomically(f->window.AutomaticFile(), test::ReadFileBytes(A025()));
    f->window.LoadAutomaticOrders();
    FindAction(*f->window.ToDevelopPopup(), "&Add As Dev Planet all owned non Dev Planets")
        ->trigger();
    FindAction(f->window, "Use Routes For Development")->setChecked(true);
  }
  void TearDown() override {
    if (f) f->window.Planner().Clear();
  }
  std::vector<std::string> Lines() { return f->Lines(); }

  test::OrionAsA* orion = nullptr;
  test::RecordingPlanetInfo info;
  std::unique_ptr<FixedCargoSettings> cargo;
  // The ship designer behind the standard-ship items, in a store of its own.
  TServices none;
  TznSaveState designStore{""};
  test::RecordingUserInterface designUi;
  std::unique_ptr<TfrmShipDesign> designer;
  std::unique_ptr<OrdersFixture> f;
};

// The text of the checked items of a menu.
QStringList Checked(QMenu& menu) {
  emit menu.aboutToShow();
  QStringList checked;
  for (QAction* a : menu.actions())
    if (a->isChecked()) checked.push_back(a->text());
  return checked;
}

TEST_F(OrionOrders, ThePlannerListsTheOverviewAndTheBuildabilityFollowThePlan) {
  GameState& state = orion->state;
  TfrmOrders& window = f->window;
  // Every growing own planet got its tag: the Developing list holds the To Develop list.
  EXPECT_EQ(ListRows(*window.List("lvDeveloping"), 1), ListRows(*window.List("lvToDevelop"), 1));
  // A025 was written against turn 24: against turn 25 the analysis refuses what the server
  // already did (the joins, a load). The status line says so.
  EXPECT_TRUE(window.StatusText().contains("ERROR: group 1 is at ArcturansPrime"))
      << window.StatusText().toStdString();

  // The four lists hold the plan's rows.
  const TDevelopmentLists plan = window.Planner().BuildLists();
  using D = TDevelopingRow;
  using T = TToTransportRow;
  using G = TDevGroupRow;
  EXPECT_EQ(ListRows(*window.List("lvDeveloping"), 4),
            PlanRows(plan.Developing, &D::Name, &D::ColTurns, &D::CapTurns, &D::Sizes));
  EXPECT_EQ(ListRows(*window.List("lvToTransport"), 7),
            PlanRows(plan.ToTransport, &T::Name, &T::ColNow, &T::ColNext, &T::CapNow, &T::CapNext,
                     &T::MatNow, &T::MatNext));
  EXPECT_EQ(ListRows(*window.List("lvToDo"), 7),
            PlanRows(plan.ToDo, &G::Caption, &G::Ships, &G::Capacity, &G::Speed, &G::Destination,
                     &G::HereCOL, &G::HereCAP));
  EXPECT_EQ(ListRows(*window.List("lvLoadedSend"), 6),
            PlanRows(plan.LoadedSent, &G::Caption, &G::Ships, &G::Capacity, &G::Speed,
                     &G::Destination, &G::NextDistance));
  for (const char* list : {"lvDeveloping", "lvToTransport", "lvToDo", "lvLoadedSend"})
    EXPECT_GT(window.List(list)->Rows().Count(), 0) << list;
  // Planned transports are red and every moving row shows its turns as an image.
  const TListRowModel& loaded = window.List("lvLoadedSend")->Rows();
  int planned = 0;
  for (int v = 0; v < loaded.Count(); ++v) {
    const TDevGroupRow& row = plan.LoadedSent[static_cast<size_t>(loaded.SourceRow(v))];
    const QVariant colour = loaded.data(loaded.index(v, 1), Qt::ForegroundRole);
    EXPECT_EQ(colour.isValid() && colour.value<QColor>() == QColor(Qt::red), row.Planned);
    planned += row.Planned ? 1 : 0;
    EXPECT_EQ(loaded.data(loaded.index(v, 0), Qt::DecorationRole).isValid(), row.Image >= 0);
  }
  EXPECT_GT(planned, 0) << "the routes plan transports";

  // The overview: "Next Turn" is the plan's sum over the own planets, each of which the plan
  // holds; "Next Turn Without Shipping" is the lighter plan's.
  double population = 0, industry = 0, col = 0, cap = 0, mat = 0;
  for (auto [key, planet] : state.Planets) {
    if (!planet->Owner.Is(state.MainPlayer)) continue;
    const TDevPlanet* record = window.Planner().FindRecord(*planet);
    ASSERT_NE(record, nullptr) << planet->Name;
    population += record->Populations[1];
    industry += record->Industries[1];
    col += record->COL[1];
    cap += record->CAP[1];
    mat += record->MAT[1];
  }
  window.ProjectDevelopment();
  const auto withoutShipping =
      ProjectedFigures(state, state.DevelopmentPlan(), CurrentFigures(state));
  ASSERT_TRUE(withoutShipping.has_value());
  TfrmOverView overview(state);
  overview.AnalyseOrders = [&window] { window.AnalyseOrders(); };
  overview.ProjectDevelopment = [&window] { window.ProjectDevelopment(); };
  overview.Tabs()->setCurrentIndex(1);
  overview.RefreshPage();
  const std::pair<int, double> next[] = {
      {ofPopulation, population}, {ofIndustry, industry}, {ofCol, col}, {ofCap, cap}, {ofMat, mat}};
  for (const auto& [figure, value] : next) {
    EXPECT_EQ(overview.ValueLabel(figure)->text().toStdString(),
              Fmt(figure <= ofEffectiveIndustry ? "%5.2f" : "%5.3f", value))
        << kOverviewCaptions[static_cast<size_t>(figure)];
  }
  overview.Tabs()->setCurrentIndex(2);
  overview.RefreshPage();
  EXPECT_EQ(overview.ValueLabel(ofPopulation)->text().toStdString(),
            Fmt("%5.2f", (*withoutShipping)[ofPopulation]));
  EXPECT_EQ(overview.ValueLabel(ofMat)->text().toStdString(),
            Fmt("%5.3f", (*withoutShipping)[ofMat]));
  EXPECT_TRUE(overview.NoteLabel()->text().isEmpty());

  // The planet list shows the buildability the analysis computed with the cargo settings.
  TfrmPlanetslist planets(state, f->store, f->ui, TServices{});
  f->windows.Events().Attach(planets);
  planets.show();
  window.AnalyseOrders();
  std::vector<float> rated;
  for (auto [key, planet] : state.Planets) rated.push_back(planet->Buildability);
  cargo->ComputeBuildability();
  size_t i = 0;
  int positive = 0;
  for (auto [key, planet] : state.Planets) {
    EXPECT_EQ(planet->Buildability, rated[i++]) << planet->Name;
    positive += planet->Buildability > 0 ? 1 : 0;
  }
  EXPECT_GT(positive, 0);
  const TListRowModel& rows = planets.List()->Rows();
  ASSERT_GT(rows.Count(), 0);
  for (int v = 0; v < rows.Count(); ++v) {
    const int r = rows.SourceRow(v);
    const TPlanet* planet = state.PlanetByName(rows.CellText(r, pcolName));
    ASSERT_NE(planet, nullptr);
    EXPECT_EQ(rows.CellText(r, pcolBuildability), Fmt("%5.2f", planet->Buildability))
        << planet->Name;
  }
  f->windows.Events().Detach(planets);
}

TEST_F(OrionOrders, AutomaticLoadAndSendCargoWritesTransportsTheNextPlanHolds) {
  GameState& state = orion->state;
  TfrmOrders& window = f->window;
  // The designer's cargo use: the cargo designs take COL then CAP, or CAP then COL.
  std::vector<std::pair<TShipType*, TCargoUse>> uses;
  int k = 0;
  for (auto [name, type] : state.MainPlayer->ShipTypes) {
    uses.emplace_back(type, type->CargoUse);
    if (type->Cargo > 0) type->CargoUse = k++ % 2 ? TCargoUse::CapThenCol : TCargoUse::ColThenCap;
  }
  const std::vector<std::string> notesBefore = window.Service().Notes();
  FindAction(window, "Automatic &Load and Send Cargo")->trigger();
  for (auto [type, use] : uses) type->CargoUse = use;

  // The written lines stand in the Group section.
  std::vector<std::string> written;
  const std::vector<std::string> after = Lines();
  const auto start =
      std::find(after.begin(), after.end(), SectionMarkers(TOrderSection::Group).Start);
  const auto end = std::find(after.begin(), after.end(), SectionMarkers(TOrderSection::Group).End);
  ASSERT_NE(start, after.end());
  ASSERT_NE(end, after.end());
  written.assign(start + 1, end);
  ASSERT_FALSE(written.empty()) << "the command wrote nothing";
  EXPECT_EQ(window.Service().Notes(), notesBefore) << "the written orders are taken without a note";
  EXPECT_TRUE(window.StatusText().startsWith("Ready"));

  // Every written send is a transport of the next plan, loaded when the lines load it.
  const TOrderAnalysis& names = window.Service().Analysis();
  int sends = 0;
  for (size_t i = 0; i < written.size(); ++i) {
    const std::vector<std::string> w = test::Words(written[i]);
    if (!SameText(w[0], "s")) continue;
    ++sends;
    const TPlanet* to = names.FindPlanet(w[2]);
    ASSERT_NE(to, nullptr) << written[i];
    const bool max = SameText(w[1], "max");
    const auto& groups = window.Planner().Groups();
    EXPECT_TRUE(std::any_of(groups.begin(), groups.end(), [&](const auto& g) {
      const bool same =
          max ? g->Group && g->Number > g->Group->GroupNumber : g->Number == StrToIntDef(w[1], -1);
      return same && g->Destination == to && g->State == TDevState::Travels &&
             (g->CargoType == pcCol || g->CargoType == pcCap);
    })) << written[i];
  }
  EXPECT_GT(sends, 0);
}

TEST_F(OrionOrders, TheToDoPopUpWritesTheChosenTransport) {
  TfrmOrders& window = f->window;
  TznListView* toDo = window.List("lvToDo");
  ASSERT_GT(toDo->Rows().Count(), 0);
  // A row whose group has somewhere to go.
  QMenu* popup = nullptr;
  QAction* choice = nullptr;
  QString item;
  for (int r = 0; r < toDo->Rows().Count() && !choice; ++r) {
    popup = window.PrepareToDoPopup(toDo, r);
    ASSERT_NE(popup, nullptr);
    for (QAction* a : popup->actions()) {
      if (!a->menu() || !a->isEnabled() || choice) continue;
      const QList<QAction*> planets =
          a->menu()->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly);
      for (QAction* p : planets) {
        if (!p->text().isEmpty() && !p->menu() && !qobject_cast<QWidgetAction*>(p)) {
          choice = p;
          item = a->text();
          break;
        }
      }
    }
  }
  ASSERT_NE(choice, nullptr) << "no To Do row has a planet to go to";
  QStringList shown;
  for (QAction* a : popup->actions())
    if (!a->isSeparator()) shown.push_back(a->text());
  EXPECT_EQ(shown.join("|"),
            "&View Planet|&Send to|&Load COL && Send to|Load &CAP && Send to|Send &All to|"
            "Load All C&OL && Send to|Load All CA&P && Send to|&Upgrade");
  const std::string planet = ToLatin1(choice->text());
  const std::vector<std::string> before = Lines();
  choice->trigger();
  const std::vector<std::string> after = Lines();
  ASSERT_GT(after.size(), before.size()) << item.toStdString();
  bool sent = false;
  for (const std::string& line : after)
    sent |= std::find(before.begin(), before.end(), line) == before.end() &&
            SameText(test::Words(line)[0], "s") && test::Words(line)[2] == planet;
  EXPECT_TRUE(sent) << item.toStdString() << " " << planet;

  // On Loaded \ Sent the items apply only to planned transports.
  TznListView* loaded = window.List("lvLoadedSend");
  const TDevelopmentLists& plan = window.Planner().Lists();
  for (size_t r = 0; r < plan.LoadedSent.size(); ++r) {
    QMenu* menu = window.PrepareToDoPopup(loaded, static_cast<int>(r));
    ASSERT_NE(menu, nullptr);
    const TDevGroup& g = *window.Planner().Groups()[static_cast<size_t>(plan.LoadedSent[r].Record)];
    QAction* upgrade = menu->actions().back();
    EXPECT_EQ(upgrade->isEnabled(), g.State == TDevState::Planned && !g.Upgraded) << r;
  }
}

TEST_F(OrionOrders, CtrlKeysReachTheMenusWhileTheEditorHasTheFocusAndTabChangesNothing) {
  TfrmOrders& window = f->window;
  ASSERT_TRUE(test::ShowActive(window));
  TTextEditor& editor = window.Editor();
  editor.setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(editor.hasFocus());
  const TEditString text = editor.GetText();

  window.FindPlanetInOrders("Arcturans");
  const int first = editor.CaretY();
  QTest::keyClick(&editor, Qt::Key_N, Qt::ControlModifier);
  EXPECT_GT(editor.CaretY(), first) << "Ctrl+N finds the next planet";
  EXPECT_EQ(editor.GetText(), text) << "Ctrl+N inserts no line";

  window.FindGroupInOrders(12);
  const int group = editor.CaretY();
  QTest::keyClick(&editor, Qt::Key_M, Qt::ControlModifier);
  EXPECT_EQ(editor.CaretY(), group + 1) << "Ctrl+M finds the next line of group 12";
  EXPECT_EQ(EditToWindows1252(editor.SelText()), "12");
  EXPECT_EQ(editor.GetText(), text) << "Ctrl+M breaks no line";

  QTest::keyClick(&editor, Qt::Key_Tab);
  QTest::keyClick(&editor, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(editor.GetText(), text) << "Tab types nothing";
  EXPECT_TRUE(editor.hasFocus()) << "Tab stays in the editor";
  // Keys without Ctrl still edit; the window's own key table has no tab or bracket keys.
  QTest::keyClick(&editor, Qt::Key_X);
  EXPECT_NE(editor.GetText(), text);
  EXPECT_EQ(editor.Keystrokes().Count(), TmwKeyStrokes::kOrdersWindowRows);
  window.hide();
}

TEST_F(OrionOrders, StandardShipItemsWriteTimedDesignsTheNextAnalysisTakes) {
  GameState& state = orion->state;
  TfrmOrders& window = f->window;
  TTextEditor& editor = window.Editor();
  QMenu& popup = *window.EditorPopup();

  // The defaults go to the designer, and each list shows the designer's choice when it opens.
  emit popup.aboutToShow();
  QMenu* turns = SubMenu(popup, "Default Use Turns");
  QMenu* speed = SubMenu(popup, "Default Speed");
  ASSERT_TRUE(turns && speed);
  EXPECT_EQ(Checked(*turns), QStringList{"1"});
  EXPECT_EQ(Checked(*speed), QStringList{"1/2 mass (A)"});
  FindAction(*turns, "2")->trigger();
  FindAction(*speed, "1/3 mass (D)")->trigger();
  EXPECT_EQ(designer->Turns(), 2);
  EXPECT_EQ(designer->StdShipOption(TStdShipOption::Speed), 3);
  EXPECT_EQ(Checked(*turns), QStringList{"2"});
  EXPECT_EQ(Checked(*speed), QStringList{"1/3 mass (D)"});
  QAction* useOneCargo = FindAction(popup, "Use 1 Cargo");
  emit popup.aboutToShow();
  EXPECT_FALSE(useOneCargo->isChecked());
  useOneCargo->trigger();
  EXPECT_TRUE(designer->UseOneCargo());

  // The own planet that builds the most ship mass. (The planets that get no standard ship are
  // the order edits' test.)
  const TPlanet* big = nullptr;
  const auto mass = [&](const TPlanet* p) { return p->ShipMassPerTurn(state.DevelopmentPlan()); };
  for (auto [key, planet] : state.Planets)
    if (planet->Owner.Is(state.MainPlayer) && (!big || mass(planet) > mass(big))) big = planet;
  ASSERT_TRUE(big && mass(big) >= 3.0f);

  // Ctrl+O on a selection: the design line once, before the first production that uses it.
  ASSERT_TRUE(test::ShowActive(window));
  editor.setFocus();
  QCoreApplication::processEvents();
  IOrderLines& lines = window.OrderLines();
  ASSERT_EQ(lines.Line(2), "p ArcturansPrime Cruiser");
  lines.Insert(2, "P " + big->Name + " CAP");
  lines.Insert(3, "P " + big->Name + " MAT");
  editor.SetCaretXY({1, 3});
  editor.SetBlockBegin({1, 3});
  editor.SetBlockEnd({1, 5});
  QTest::keyClick(&editor, Qt::Key_O, Qt::ControlModifier);
  const std::string name = designer->StdShipName();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.front(), 'D') << "the speed item chosen: " << name;
  EXPECT_EQ(name.back(), 'c') << "one cargo unit: " << name;
  // A new design, which the analysis after the edit made one of the race's, from the orders.
  const TShipType* made = state.MainPlayer->FindShipType(name);
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->FromOrders);
  const std::string timed = "P " + big->Name + " " + name + " ; t2";
  EXPECT_EQ(lines.Line(2), designer->StdShipLine());
  EXPECT_EQ(lines.Line(3), timed);
  EXPECT_EQ(lines.Line(4), timed);
  EXPECT_EQ(lines.Line(5), "p ArcturansPrime Cruiser");

  // Ctrl+D on a planet's line: the design declared above needs no second line; with one turn,
  // another design, whose line comes first.
  const auto planetEnd = [&] {
    return IndexOfLine(lines, SectionMarkers(TOrderSection::Planet).End);
  };
  const int count = lines.Count();
  editor.SetCaretXY({1, 4});
  QTest::keyClick(&editor, Qt::Key_D, Qt::ControlModifier);
  ASSERT_EQ(lines.Count(), count + 1);
  EXPECT_EQ(lines.Line(planetEnd() - 1), timed);
  FindAction(*turns, "1")->trigger();
  editor.SetCaretXY({1, 4});
  QTest::keyClick(&editor, Qt::Key_D, Qt::ControlModifier);
  const std::string oneTurn = designer->StdShipName();
  ASSERT_NE(oneTurn, name);
  ASSERT_EQ(lines.Count(), count + 3);
  EXPECT_EQ(lines.Line(planetEnd() - 2), designer->StdShipLine());
  EXPECT_EQ(lines.Line(planetEnd() - 1), "P " + big->Name + " " + oneTurn + " ; t1");
  EXPECT_TRUE(editor.hasFocus());

  // The next analysis takes every line written; the planet builds the last design it got.
  window.AnalyseOrders();
  const TOrderAnalysis* analysis = window.LastAnalysis();
  ASSERT_NE(analysis, nullptr);
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string line = lines.Line(i);
    if (line.find(name) != std::string::npos || line.find(oneTurn) != std::string::npos) {
      EXPECT_FALSE(analysis->Refused(i)) << line;
    }
  }
  EXPECT_TRUE(SameText(big->Production, oneTurn)) << big->Production;
  window.hide();
}

TEST_F(OrionOrders, ReplaceProductionTypeChangesTheProductionOrdersOfTheSelection) {
  TfrmOrders& window = f->window;
  TTextEditor& editor = window.Editor();
  const std::vector<std::string> before = Lines();
  // The two "p ... CAP" lines and the design line after them.
  const auto first = std::find(before.begin(), before.end(), "p 126 CAP") - before.begin();
  ASSERT_LT(first, static_cast<long>(before.size()));
  editor.SetCaretXY({1, static_cast<int>(first) + 1});
  editor.SetBlockBegin({1, static_cast<int>(first) + 1});
  editor.SetBlockEnd({1, static_cast<int>(first) + 4});
  const std::vector<std::string> choices = ProductionChoices(orion->state);
  const auto drive = std::find(choices.begin(), choices.end(), "DRIVE");
  ASSERT_NE(drive, choices.end());
  f->ui.choices.push_back(static_cast<int>(drive - choices.begin()));
  FindAction(window, "Replace &Production Type...")->trigger();
  std::vector<std::string> expected = before;
  expected[static_cast<size_t>(first)] = "P 126 DRIVE";
  expected[static_cast<size_t>(first) + 1] = "P 165 DRIVE";
  EXPECT_EQ(Lines(), expected) << "the design line and every line outside stay";
  editor.Undo();
  EXPECT_EQ(Lines(), before) << "one undo step";
}

TEST_F(OrionOrders, TheAnalysisNotesStandUnderTheEditorUntilTheNextAnalysis) {
  TfrmOrders& window = f->window;
  IOrderLines& lines = window.OrderLines();
  const QString before = window.StatusText();
  EXPECT_FALSE(before.contains("Can't break group 14!"));
  lines.Insert(1, "b 14 999");
  window.AnalyseOrders();
  EXPECT_TRUE(window.StatusText().contains("Can't break group 14!"))
      << window.StatusText().toStdString();
  // Every note is a row of the list, the refused lines counted as the mail asks about them; a
  // click on a note puts the caret on its line.
  const std::vector<TOrderNote> notes = window.Service().NoteItems();
  QListWidget* list = window.NotesList();
  ASSERT_EQ(list->count(), static_cast<int>(notes.size()));
  int errors = 0;
  for (size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ(list->item(static_cast<int>(i))->text().toStdString(), notes[i].Text);
    errors += notes[i].Text.find("ERROR: ") != std::string::npos ? 1 : 0;
  }
  EXPECT_GT(errors, 0);
  EXPECT_EQ(window.Service().ErrorNoteCount(), errors);
  const auto breakNote = std::find_if(notes.begin(), notes.end(), [](const TOrderNote& n) {
    return n.Text.find("Can't break group 14!") != std::string::npos;
  });
  ASSERT_NE(breakNote, notes.end());
  EXPECT_EQ(breakNote->Line, 1);
  QListWidgetItem* item = list->item(static_cast<int>(breakNote - notes.begin()));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  EXPECT_EQ(window.Editor().CaretY(), 2) << "on the line of the break";
  lines.Delete(1);
  window.AnalyseOrders();
  EXPECT_EQ(window.StatusText(), before);
  // An empty text: the one note left says that the "#GALAXY" line is missing.
  while (lines.Count() > 0) lines.Delete(0);
  window.AnalyseOrders();
  EXPECT_EQ(list->count(), 1) << window.StatusText().toStdString();
  EXPECT_TRUE(window.StatusText().startsWith("ERROR: the orders have no \"#GALAXY\" line"))
      << window.StatusText().toStdString();
}

TEST_F(OrionOrders, ExportIsOfferedOnlyForTheListThatHasTheFocus) {
  TfrmOrders& window = f->window;
  ASSERT_TRUE(test::ShowActive(window));
  QMenu* options = SubMenu(*window.MenuBar(), "Options");
  QAction* exportAction = FindAction(*options, "&Export");
  window.List("lvToDevelop")->setFocus();
  QCoreApplication::processEvents();
  emit options->aboutToShow();
  EXPECT_TRUE(exportAction->isEnabled());
  // Opened with the keyboard, the menu bar has the focus: the list had it last.
  window.MenuBar()->setFocus();
  QCoreApplication::processEvents();
  emit options->aboutToShow();
  EXPECT_TRUE(exportAction->isEnabled());
  window.Editor().setFocus();
  QCoreApplication::processEvents();
  emit options->aboutToShow();
  EXPECT_FALSE(exportAction->isEnabled());
  window.hide();
}

// The orders window with the planner's lists filled, its new menus, the To Do pop-up and the
// editor's pop-up, for scripts/window-pictures.sh.
TEST_F(OrionOrders, Picture) {
  TfrmOrders& window = f->window;
  window.resize(1400, 640);
  window.findChild<QTabWidget*>("pnlPlanets")->setCurrentWidget(window.List("lvDeveloping"));
  window.findChild<QTabWidget*>("pnlShips")->setCurrentWidget(window.List("lvToDo"));
  ASSERT_TRUE(test::ShowExposed(window));
  window.findChild<QSplitter*>()->setSizes({420, 420, 540});
  EXPECT_TRUE(test::TakePicture(window, "frmOrders-developing-todo"));
  window.findChild<QTabWidget*>("pnlPlanets")->setCurrentWidget(window.List("lvToTransport"));
  window.findChild<QTabWidget*>("pnlShips")->setCurrentWidget(window.List("lvLoadedSend"));
  EXPECT_TRUE(test::TakePicture(window, "frmOrders-transport-loaded"));
  const auto menuPicture = [](QMenu* menu, const QString& name) {
    menu->popup(QPoint(0, 0));
    EXPECT_TRUE(test::TakePicture(*menu, name));
    menu->hide();
  };
  for (const char* title : {"Options", "First Turn", "Create Orders", "GalaxyBot"})
    menuPicture(SubMenu(*window.MenuBar(), title),
                QString("frmOrders-menu-") + QString(title).remove(' '));
  menuPicture(window.EditorPopup(), "frmOrders-editor-popup");
  for (QAction* a : window.EditorPopup()->actions()) {
    if (a->text() == "&Create Order") menuPicture(a->menu(), "frmOrders-editor-create-order");
    if (a->text() == "Default Weapons") menuPicture(a->menu(), "frmOrders-editor-default-weapons");
  }
  menuPicture(window.ToDevelopPopup(), "frmOrders-todevelop-popup");
  TznListView* toDo = window.List("lvToDo");
  QMenu* popup = window.PrepareToDoPopup(toDo, 0);
  ASSERT_NE(popup, nullptr);
  menuPicture(popup, "frmOrders-todo-popup");
  // The sub-menu with the most planets.
  QMenu* largest = nullptr;
  int most = 0;
  for (QAction* a : popup->actions()) {
    if (!a->menu()) continue;
    const int count = static_cast<int>(a->menu()->findChildren<QAction*>().size());
    if (count > most) {
      most = count;
      largest = a->menu();
    }
  }
  if (largest) menuPicture(largest, "frmOrders-todo-planets");
  window.hide();
}

TEST(OrdersWindow, AnAutomaticOrdersFileThatCannotBeReadIsReportedAndNeverWrittenOver) {
  GameState state;
  state.Settings.GameNumber = 3;
  OrdersFixture f(state);
  // A folder where the file should be: it exists, but it cannot be read as a file.
  fs::create_directories(f.window.AutomaticFile() / "kept");
  f.window.LoadAutomaticOrders();
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].find("could not be read"), std::string::npos) << f.ui.messages[0];
  // Typing, analysing, hiding and "Save Status" write nothing there and report nothing more.
  f.window.OrderLines().Insert(0, "; typed");
  f.window.AnalyseOrders();
  f.window.show();
  f.window.hide();
  f.window.SaveOrders(f.window.AutomaticFile().string());
  EXPECT_FALSE(f.window.SaveAutomaticOrders());
  EXPECT_EQ(f.ui.messages.size(), 1u);
  EXPECT_TRUE(fs::is_directory(f.window.AutomaticFile() / "kept"));
}

TEST(OrdersWindow, AnAnalysisThatChangesNothingLeavesTheAutomaticFileAsItIs) {
  GameState state;
  state.Settings.GameNumber = 3;
  OrdersFixture f(state);
  f.window.LoadAutomaticOrders();
  const fs::path file = f.window.AutomaticFile();
  const auto inode = [&file] {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : ino_t{0};
  };
  // Loading set the turn and wrote the file; analysing the same text again does not replace it.
  const ino_t written = inode();
  ASSERT_NE(written, ino_t{0});
  f.window.AnalyseOrders();
  EXPECT_EQ(inode(), written);
  // A changed text is written, and a file changed by hand gets the window's text again.
  f.window.OrderLines().Insert(f.window.OrderLines().Count(), "; typed");
  f.window.AnalyseOrders();
  EXPECT_EQ(test::ReadFileBytes(file), OrderFileBytes(f.window.OrderLines(), TOrderLineEnds::CrLf));
  WriteFileAtomically(file, "; by hand\r\n");
  f.window.AnalyseOrders();
  EXPECT_EQ(test::ReadFileBytes(file), OrderFileBytes(f.window.OrderLines(), TOrderLineEnds::CrLf));
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(OrdersWindow, GalaxyBotRunsWithItsFilesAndItsNewOrdersReplaceTheTextOnlyOnSuccess) {
  GameState state;
  state.Settings.GameNumber = 3;
  state.Settings.spelD = "/games/%1s%0.03d.txt";
  state.Settings.spelC = "AB";
  state.LastTurn = 25;
  OrdersFixture f(state);
  const fs::path folder = f.folder.path();
  f.window.OrderLines().Insert(0, "#GALAXY Mine");
  // A program that notes its arguments, writes orders and ends with the code it is given.
  const auto writeBot = [&](int code) {
    const fs::path program = folder / "GalaxyBot";
    WriteFileAtomically(program,
                        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + (folder / "args").string() +
                            "\"\nprintf '#GALAXY Bot\\r\\nP Home CAP\\r\\n' > \"$3\"\nexit " +
                            std::to_string(code) + "\n");
    ::chmod(program.c_str(), 0755);
  };
  writeBot(0);
  f.ui.answers.push_back(true);
  f.window.RunGalaxyBot();
  EXPECT_EQ(test::FileLines(folder / "args"),
            (std::vector<std::string>{"-file", "/games/A025.txt", (folder / "Botorders_3").string(),
                                      (folder / "BotOptions_3").string()}));
  ASSERT_EQ(f.ui.questions.size(), 1u);
  EXPECT_EQ(f.ui.questions[0],
            "Are you sure you want to load new orders?\rCurrent orders will be lost!");
  ASSERT_EQ(f.window.OrderLines().Count(), 2);
  EXPECT_EQ(f.window.OrderLines().Line(1), "P Home CAP");

  // A failed run: its file is not offered, the text stays.
  f.window.OrderLines().SetLine(1, "P Home MAT");
  writeBot(2);
  f.window.RunGalaxyBot();
  EXPECT_EQ(f.ui.questions.size(), 1u);
  EXPECT_EQ(f.window.OrderLines().Line(1), "P Home MAT");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].find("exit code 2"), std::string::npos);
}

TEST(OrdersWindow, GalaxyBotItemsAreGreyedUntilItsProgramAndOptionsAreInTheProgramFolder) {
  GameState state;
  state.Settings.GameNumber = 3;
  OrdersFixture f(state);
  const fs::path folder = f.folder.path();
  QMenu* bot = SubMenu(*f.window.MenuBar(), "GalaxyBot");
  ASSERT_NE(bot, nullptr);
  const auto item = [bot](const char* text) -> QAction* {
    for (QAction* a : bot->actions())
      if (a->text() == text) return a;
    ADD_FAILURE() << "no item " << text;
    return nullptr;
  };
  QAction* run = item("Run");
  QAction* settings = item("Settings");
  ASSERT_TRUE(run && settings);
  // Before the menu was ever opened, and each time it opens, as the folder is then.
  EXPECT_FALSE(run->isEnabled());
  EXPECT_FALSE(settings->isEnabled());
  const auto open = [bot] {
    bot->popup(QPoint(0, 0));
    bot->hide();
  };
  struct Step {
    const char* file;  // put into the program folder, or taken out when `remove`
    bool remove;
    bool runEnabled;
    bool settingsEnabled;
  };
  const Step steps[] = {
      {"GalaxyBot.exe", false, true, false}, {"BotOptions_3", false, true, true},
      {"GalaxyBot.exe", true, false, true},  {"BotOptions_3", true, false, false},
      {"BotOptions_1", false, false, false}, {"GalaxyBot", false, true, false},
  };
  for (const Step& step : steps) {
    if (step.remove)
      fs::remove(folder / step.file);
    else
      WriteFileAtomically(folder / step.file, "");
    open();
    EXPECT_EQ(run->isEnabled(), step.runEnabled) << step.file << (step.remove ? " gone" : "");
    EXPECT_EQ(settings->isEnabled(), step.settingsEnabled)
        << step.file << (step.remove ? " gone" : "");
  }
}

TEST(OrdersWindow, FirstShowsThePlanetListsColumnsWhole) {
  GameState state;
  OrdersFixture f(state);
  ASSERT_TRUE(test::ShowExposed(f.window));
  auto* tabs = f.window.findChild<QTabWidget*>("pnlPlanets");
  for (const char* name : {"lvDeveloping", "lvToDevelop"}) {
    TznListView* list = f.window.List(name);
    tabs->setCurrentWidget(list);
    QCoreApplication::processEvents();
    EXPECT_LE(list->horizontalHeader()->length(), list->viewport()->width()) << name;
  }
  f.window.hide();
}

// Narrowing the window takes its width from the side panels first, down to their minimum; the
// editor keeps room for 40 characters however narrow the window gets, also with stored panel
// widths too wide for the window. Regression: the editor alone shrank, to 45 pixels at 959.
TEST(OrdersWindow, NarrowingTakesTheSidePanelsWidthBeforeTheEditors) {
  GameState state;
  state.Settings.GameNumber = 2;
  OrdersFixture f(state);
  f.store.WriteInteger("game_2", "pnlPlanets.Width", 700);
  f.store.WriteInteger("game_2", "pnlOrders.Width", 400);
  f.window.LoadState();
  ASSERT_TRUE(test::ShowExposed(f.window));
  auto* splitter = f.window.findChild<QSplitter*>();
  const auto minimum = [splitter](int panel) {
    const QWidget* w = splitter->widget(panel);
    return w->minimumWidth() > 0 ? w->minimumWidth() : w->minimumSizeHint().width();
  };
  const auto resizedTo = [&](int width) {
    f.window.resize(width, 560);
    const int shown = std::max(width, f.window.minimumSizeHint().width());
    return QTest::qWaitFor([&] { return splitter->width() == shown; }, 30000);
  };
  EXPECT_EQ(splitter->sizes()[1], 400);  // the planets' panel gave up what the window lacks
  ASSERT_TRUE(resizedTo(1280));
  splitter->setSizes({450, 400, 420});
  QList<int> before = splitter->sizes();
  for (int width : {959, 800, 600, 400}) {
    ASSERT_TRUE(resizedTo(width)) << width;
    const QList<int> sizes = splitter->sizes();
    EXPECT_GE(f.window.Editor().CharsInWindow(), 40) << width;
    EXPECT_GE(sizes[0], minimum(0)) << width;
    if (sizes[0] > minimum(0) || sizes[2] > minimum(2)) {
      EXPECT_EQ(sizes[1], before[1]) << width << ": the side panels give up width first";
    }
    before = sizes;
  }
  ASSERT_TRUE(resizedTo(1280));
  EXPECT_GT(splitter->sizes()[1], before[1]) << "a wider window widens the editor";
  f.window.hide();
}

TEST(OrdersWindow, KeepsThePanelWidthsAndCollectsTheRenamedPlanets) {
  GameState state;
  state.Settings.GameNumber = 4;
  OrdersFixture f(state);
  auto* splitter = f.window.findChild<QSplitter*>();
  // Read before the first show, given once the window is laid out (in a window as wide as the
  // test's screen allows).
  f.store.WriteInteger("Orders_State", "NormalLeft", 20);
  f.store.WriteInteger("Orders_State", "NormalTop", 40);
  f.store.WriteInteger("Orders_State", "NormalRight", 780);
  f.store.WriteInteger("Orders_State", "NormalBottom", 560);
  f.store.WriteInteger("game_4", "pnlPlanets.Width", 200);
  f.store.WriteInteger("game_4", "pnlOrders.Width", 380);
  f.window.LoadState();
  // Keywords a user keeps in the store colour the orders.
  auto* editor = f.window.findChild<TTextEditor*>();
  ASSERT_NE(editor, nullptr);
  auto* highlighter = dynamic_cast<ZazArerevOdo*>(editor->HighLighter());
  ASSERT_NE(highlighter, nullptr);
  EXPECT_FALSE(highlighter->IsKeyWord(U"SCRAP"));
  f.store.WriteString(kOrdersHighlighterKey, "KeyWords", "S,SCRAP");
  f.window.LoadState();
  EXPECT_TRUE(highlighter->IsKeyWord(U"scrap"));
  ASSERT_TRUE(test::ShowExposed(f.window));
  EXPECT_EQ(splitter->sizes()[0], 200);
  EXPECT_EQ(splitter->sizes()[1], 380);
  splitter->setSizes({300, 400, 260});
  f.window.SaveState();
  EXPECT_EQ(f.store.ReadString(kOrdersHighlighterKey, "KeyWords", ""), "S,SCRAP")
      << "the keywords are only read";
  EXPECT_EQ(f.store.ReadInteger("game_4", "pnlPlanets.Width", -1), splitter->sizes()[0]);
  EXPECT_EQ(f.store.ReadInteger("game_4", "pnlOrders.Width", -1), splitter->sizes()[1]);
  f.window.hide();
  // The planet windows' elite names leave out what the orders rename.
  f.window.OrderLines().Insert(0, "n Home Altair");
  EXPECT_EQ(f.window.CollectRenamedPlanetNames(), std::vector<std::string>{"Altair"});
}

}  // namespace
}  // namespace tovix
