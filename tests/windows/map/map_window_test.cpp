// The galaxy map: the real games painted offscreen, clicks, bookmarks, the colour dialog, the
// orders of the pop-up menu and the cursor synchronisation with other windows.

#include "windows/map/map_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLayout>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <map>

#include "controls/caption_buttons.h"
#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "core/text/str_utils.h"
#include "support/recording_services.h"
#include "support/recording_ui.h"
#include "support/show_window.h"
#include "support/test_paths.h"
#include "support/window_picture.h"
#include "windows/lists/routes_window.h"
#include "windows/map/colour_dialogs.h"
#include "windows/map/map_painter.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// ---- The real games

struct TLoadedGame {
  TLoadedGame(const fs::path& folder, const std::string& letters, int32_t mapSize) {
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = mapSize;
    state.Settings.spelD = (folder / "%1s%0.03d.txt").string();
    state.Settings.spelC = letters;
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  test::TempDir programDir;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

enum class TKind { Own, FirstTurn, OtherRace, OtherUnknownSize, Uninhabited, UnknownSize };

// What the default scheme gives each kind of planet, read from the model without the map code.
TKind KindOf(const TPlanet& p, const TPlayer* me) {
  if (p.OwnAtTurn0) return TKind::FirstTurn;
  if (p.Owner.Is(me)) return TKind::Own;
  if (!p.Owner.IsNone()) return p.Size > 0 ? TKind::OtherRace : TKind::OtherUnknownSize;
  return p.Size > 0 ? TKind::Uninhabited : TKind::UnknownSize;
}

QRgb DefaultColour(TKind kind) {
  switch (kind) {
    case TKind::Own:
      return qRgb(255, 255, 0);
    case TKind::FirstTurn:
      return qRgb(192, 192, 192);
    case TKind::OtherRace:
      return qRgb(0, 0, 255);
    case TKind::OtherUnknownSize:
      return qRgb(255, 0, 0);
    case TKind::Uninhabited:
      return qRgb(0, 128, 0);
    case TKind::UnknownSize:
      return qRgb(128, 0, 128);
  }
  return 0;
}

// Paints the game fitted into the map's client and checks every planet's pixel. With
// TOVIX_SCREENSHOT_DIR set it also saves the map with names on, and the colour dialog.
void CheckPaintedGame(GameState& state, const std::string& picture, int ownStartPlanets = -1) {
  TznSaveState store("");
  TServices services;
  test::RecordingUserInterface ui;
  TfrmNewMap map(state, store, services, nullptr, ui);
  map.resize(900, 760);
  ASSERT_TRUE(test::ShowExposed(map));
  map.ZoomFullExtents();
  const QImage image = map.RenderMap();
  const TMapViewState& view = map.View();
  std::map<TKind, int> kinds;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    const TPlanet& p = *state.Planets.Object(i);
    const TKind kind = KindOf(p, state.MainPlayer);
    ++kinds[kind];
    const TMapPoint s = view.Map.WorldToScreen(p.X, p.Y);
    ASSERT_TRUE(image.rect().contains(s.X, s.Y)) << p.Name;
    // A later planet close by may have painted over this one's centre.
    std::vector<QRgb> allowed{DefaultColour(kind)};
    for (int j = i + 1; j < state.Planets.Count(); ++j) {
      const TPlanet& q = *state.Planets.Object(j);
      const TMapPoint t = view.Map.WorldToScreen(q.X, q.Y);
      if (std::abs(t.X - s.X) <= 6 && std::abs(t.Y - s.Y) <= 6)
        allowed.push_back(DefaultColour(KindOf(q, state.MainPlayer)));
    }
    const QRgb found = image.pixel(s.X, s.Y) | 0xff000000u;
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), found), allowed.end())
        << p.Name << " at " << s.X << "," << s.Y << " is " << std::hex << found;
  }
  EXPECT_GT(kinds[TKind::Own] + kinds[TKind::FirstTurn], 0);
  // Only the user's own start planets take the first-turn colour, not every race's.
  if (ownStartPlanets >= 0) {
    EXPECT_EQ(kinds[TKind::FirstTurn], ownStartPlanets);
  }
  EXPECT_GT(kinds[TKind::OtherRace] + kinds[TKind::OtherUnknownSize], 0);
  EXPECT_GT(kinds[TKind::Uninhabited] + kinds[TKind::UnknownSize], 0);
  // Beyond the galaxy's far corner nothing but the background.
  const TMapPoint corner = view.Map.WorldToScreen(view.Map.ExtentX, view.Map.ExtentY);
  int foreign = 0;
  for (int y = corner.Y + 6; y < image.height(); ++y)
    for (int x = corner.X + 6; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xffffff) != 0) ++foreign;
  EXPECT_LT(corner.X + 6, image.width());
  EXPECT_EQ(foreign, 0);

  if (const char* dir = std::getenv("TOVIX_SCREENSHOT_DIR")) {
    map.SetShowNames(true);
    map.grab().save(QString::fromLocal8Bit(dir) + "/" + QString::fromStdString(picture));
    QWidget* dialog = map.ColourDialog();
    dialog->show();
    dialog->grab().save(QString::fromLocal8Bit(dir) + "/map-colour-dialog.png");
    dialog->hide();
  }
}

TEST(MapPaintingTest, OrionAsRaceAShowsEachPlanetInItsSchemeColour) {
  const fs::path source = test::ReportsDir("orion");
  if (source.empty()) GTEST_SKIP() << "the reports folder is absent";
  test::TempDir games;
  for (const auto& e : fs::directory_iterator(source))
    if (e.path().filename().string().starts_with("A") && e.path().extension() == ".txt")
      fs::copy_file(e.path(), games.path() / e.path().filename());
  TLoadedGame game(games.path(), "A", 150);
  ASSERT_TRUE(game.loaded);
  CheckPaintedGame(game.state, "map-orion.png", 3);
}

TEST(MapPaintingTest, AndromedaAsAWithAlliesBAndCShowsEachPlanetInItsSchemeColour) {
  const fs::path archive = test::ReportsDir("andromeda-ABC.tar.xz");
  if (archive.empty() || !fs::exists(archive)) GTEST_SKIP() << "the reports folder is absent";
  test::TempDir games;
  const std::string command =
      "tar -xJf '" + archive.string() + "' -C '" + games.path().string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  TLoadedGame game(games.path() / "andromeda", "ABC", 330);
  ASSERT_TRUE(game.loaded);
  CheckPaintedGame(game.state, "map-andromeda.png");
}

// ---- A small game of its own

class MapWindowTest : public testing::Test {
 protected:
  // Records what the map asks of the planet information window, and calls back into the map
  // as that window does.
  struct PlanetInfo : IPlanetInfoService {
    TfrmNewMap* map = nullptr;
    std::vector<TPlanet*> shown;
    void ShowPlanet(TPlanet* p, bool centre) override { map->SetPlanetCursor(p, centre); }
    void ShowPlanetAsTarget(TPlanet* p, bool centre) override {
      shown.push_back(p);
      map->SetPlanet2Cursor(p, centre);
    }
    std::vector<TPlanet*> produced;
    std::vector<TPlanet*> selected;
    bool selectedSuppressed = false;
    void ProduceOnPlanet(TPlanet* p) override { produced.push_back(p); }
    void SelectPlanetsInList(const std::vector<TPlanet*>& planets) override {
      selected = planets;
      selectedSuppressed = map->SuppressCursorSync;
    }
  };
  // Counts the paint events of the map's canvas.
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++paints;
      return false;
    }
  };
  // A window that hears of selections.
  struct Listener : TToolWindow {
    explicit Listener(TznSaveState& s) : TToolWindow("Listener", 0, s) {}
    int told = 0;
    void RefreshGame(TGameChanges changes) override {
      told += (changes & gcPlanetSelected) ? 1 : 0;
    }
  };

  void SetUp() override {
    state.Settings.GameType = TGameType::NG;
    state.Settings.GameNumber = 4;
    me = Race("Me");
    other = Race("Other");
    home = Planet("Home", 1000, 1000, 1000, me);
    far = Planet("Far", 9000, 6000, 500, other);
    Planet("Rock", 5000, 8000, 0, nullptr);
    Planet("Twin", 3000, 1000, 300, nullptr);
    state.MainPlayer = me;
    state.LastTurn = 3;
    services.Orders = &orders;
    services.PlanetInfo = &info;
    Make();
  }
  // The window goes as the program lets a window go: first out of the game events.
  void DropMap() {
    if (!map) return;
    events.Detach(*map);
    info.map = nullptr;
    map.reset();
  }
  void Make() {
    map = std::make_unique<TfrmNewMap>(state, *store, services, &events, ui);
    info.map = map.get();
    events.Attach(*map);
    map->resize(500, 420);
    ASSERT_TRUE(test::ShowExposed(*map));
  }
  TPlayer* Race(const std::string& name) {
    auto p = std::make_unique<TPlayer>(0);
    p->Name = name;
    TPlayer* raw = p.get();
    state.Players.AddObject(LowerCase(name), std::move(p));
    return raw;
  }
  TPlanet* Planet(const std::string& name, int32_t x, int32_t y, float size, TPlayer* owner) {
    auto p = std::make_unique<TPlanet>(name);
    p->X = x;
    p->Y = y;
    p->Size = size;
    p->Owner = TOwnerRef::Of(owner);
    p->LastOwner = owner;
    return state.AddPlanet(LowerCase(name), std::move(p), 0);
  }
  QPoint At(const TPlanet* p) const {
    const TMapPoint s = map->View().Map.WorldToScreen(p->X, p->Y);
    return {s.X, s.Y};
  }
  void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(map->Canvas(), button, mods, at);
  }
  void Keys(int key, Qt::KeyboardModifiers mods) { QTest::keyClick(map.get(), key, mods); }

  test::TempDir folder;
  std::unique_ptr<TznSaveState> store =
      std::make_unique<TznSaveState>((folder / "TovixStore3.ini").string());
  GameState state;
  TGameEvents events{state};
  test::RecordingOrders orders;
  PlanetInfo info;
  TServices services;
  test::RecordingUserInterface ui;
  std::unique_ptr<TfrmNewMap> map;
  TPlayer* me = nullptr;
  TPlayer* other = nullptr;
  TPlanet* home = nullptr;
  TPlanet* far = nullptr;
};

TEST_F(MapWindowTest, ClicksSelectTheNearestPlanetWithoutEchoes) {
  Listener listener(*store);
  events.Attach(listener);
  ASSERT_TRUE(test::ShowExposed(listener));
  Click(At(far) + QPoint(3, -2));
  EXPECT_EQ(state.SelectedPlanet, far);
  EXPECT_EQ(info.shown, std::vector<TPlanet*>{far});
  // The information window's call back did not move planet 2.
  EXPECT_EQ(state.SelectedPlanet2, nullptr);
  EXPECT_EQ(listener.told, 1);
  Click(At(home), Qt::RightButton);
  map->MapMenu()->hide();
  EXPECT_EQ(state.SelectedPlanet2, home);
  EXPECT_EQ(state.SelectedPlanet, far);
  EXPECT_EQ(info.shown, (std::vector<TPlanet*>{far, home}));
  // Another window's choice moves the planet 1 cursor; the map tells nobody back.
  EXPECT_TRUE(events.SelectPlanet(home, &listener));
  EXPECT_EQ(listener.told, 1);
  EXPECT_EQ(map->RenderMap().pixel(At(home) + QPoint(-12, 0)), qRgb(255, 255, 255));
}

// The map is made while the reports are still read on another thread: its menus follow the
// model once the game is read, not when the map is made.
TEST_F(MapWindowTest, TheMenusFollowTheGameReadNotTheGameTheMapWasMadeIn) {
  DropMap();
  state.Settings.GameType = TGameType::Blind;
  map = std::make_unique<TfrmNewMap>(state, *store, services, &events, ui);
  events.Attach(*map);
  ASSERT_TRUE(test::ShowExposed(*map));
  state.Settings.GameType = TGameType::NG;
  state.SelectedPlanet2 = far;
  events.GameRead();
  EXPECT_TRUE(map->Action("ClaimOwnerShip1")->isVisible());
  EXPECT_TRUE(map->Action("ClaimOwnerShip1")->isEnabled());
  state.Settings.GameType = TGameType::Blind;
  events.GameRead();
  EXPECT_FALSE(map->Action("ClaimOwnerShip1")->isVisible());
}

// A game opened for the first time has no stored view: the map opens on the whole galaxy, not on
// its top-left corner at the smallest zoom.
TEST_F(MapWindowTest, ANewGameOpensOnTheWholeGalaxy) {
  DropMap();
  map = std::make_unique<TfrmNewMap>(state, *store, services, &events, ui);
  map->LoadState();  // nothing stored for this game
  map->resize(500, 420);
  map->showNormal();
  QCoreApplication::processEvents();
  const TMapViewState opened = map->View();
  const QRect client = map->Canvas()->rect();
  for (const TPlanet* p : {home, far, state.PlanetByName("Rock"), state.PlanetByName("Twin")}) {
    EXPECT_TRUE(client.contains(At(p))) << p->Name << " at " << At(p).x() << "," << At(p).y();
  }
  map->ZoomFullExtents();
  EXPECT_EQ(opened.Map.Ratio, map->View().Map.Ratio);
  EXPECT_GT(opened.Map.Ratio, 10);
}

// Without the destination picker the Alt-drag selects the planets in the planet information
// window's list.
TEST_F(MapWindowTest, AltDragSelectsThePlanetsInsideInThePlanetInformationList) {
  const QPoint from = At(home) - QPoint(5, 5);
  const QPoint to = At(state.PlanetByName("Twin")) + QPoint(5, 5);
  QTest::mousePress(map->Canvas(), Qt::LeftButton, Qt::AltModifier, from);
  QMouseEvent move(QEvent::MouseMove, QPointF(to), map->Canvas()->mapToGlobal(QPointF(to)),
                   Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
  QApplication::sendEvent(map->Canvas(), &move);
  QTest::mouseRelease(map->Canvas(), Qt::LeftButton, Qt::AltModifier, to);
  EXPECT_EQ(info.selected, (std::vector<TPlanet*>{home, state.PlanetByName("Twin")}));
  EXPECT_TRUE(info.selectedSuppressed);
  EXPECT_EQ(state.SelectedPlanet, nullptr);
}

// Marks that the planet and group lists set show without waiting for another repaint.
TEST_F(MapWindowTest, MarksFromTheListsShowAtOnce) {
  PaintCounter counter;
  map->Canvas()->installEventFilter(&counter);
  QCoreApplication::processEvents();
  counter.paints = 0;
  map->ClearPlanetMarks();
  map->AddPlanetMark(far);
  QCoreApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);
  const QPoint at = At(far);
  EXPECT_EQ(map->RenderMap().pixel(at + QPoint(-5, -5)), qRgb(255, 255, 255));
  counter.paints = 0;
  map->ClearPlanetMarks();
  QCoreApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);
  map->Canvas()->removeEventFilter(&counter);
}

// The destination picker as the map sees it: whether it is shown and spreads, and what the map
// hands it.
struct RecordingPicker : IDestinationPickerService {
  bool visible = true;
  bool spread = true;
  const TfrmNewMap* map = nullptr;
  std::vector<TPlanet*> clicked;
  std::vector<TPlanet*> area;
  bool areaHeld = false;
  bool PickerActive() const override { return visible; }
  void ShowPicker(const TPickerRequest&) override {}
  bool PickerVisible() const override { return visible; }
  bool SpreadMode() const override { return spread; }
  void SelectPlanet(TPlanet* planet) override { clicked.push_back(planet); }
  void SelectPlanetsInList(const std::vector<TPlanet*>& planets) override {
    area = planets;
    areaHeld = map->SuppressCursorSync;
  }
};

TEST_F(MapWindowTest, TheShownPickerTakesClicksAndAltDragsWithTheCursorsHeld) {
  RecordingPicker picker;
  picker.map = map.get();
  services.Picker = &picker;
  const QPoint from = At(home) - QPoint(5, 5);
  const QPoint to = At(state.PlanetByName("Twin")) + QPoint(5, 5);
  QTest::mousePress(map->Canvas(), Qt::LeftButton, Qt::AltModifier, from);
  QTest::mouseRelease(map->Canvas(), Qt::LeftButton, Qt::AltModifier, to);
  EXPECT_EQ(picker.area, (std::vector<TPlanet*>{home, state.PlanetByName("Twin")}));
  EXPECT_TRUE(picker.areaHeld);
  EXPECT_FALSE(map->SuppressCursorSync);
  EXPECT_TRUE(info.selected.empty()) << "the planet information list is left alone";
  EXPECT_EQ(state.SelectedPlanet, nullptr);

  // A left click toggles the planet in the picker; a right click does not.
  Click(At(far));
  Click(At(home), Qt::RightButton);
  map->MapMenu()->hide();
  EXPECT_EQ(picker.clicked, std::vector<TPlanet*>{far});

  // A picker that sends to one planet takes an Alt-click as a click.
  picker.spread = false;
  QTest::mousePress(map->Canvas(), Qt::LeftButton, Qt::AltModifier, At(home));
  QTest::mouseRelease(map->Canvas(), Qt::LeftButton, Qt::AltModifier, At(far));
  EXPECT_EQ(picker.clicked, (std::vector<TPlanet*>{far, home}));
  EXPECT_EQ(state.SelectedPlanet, home);

  // A hidden picker gets nothing.
  picker.visible = false;
  Click(At(far));
  EXPECT_EQ(picker.clicked.size(), 2u);
  services.Picker = nullptr;
}

TEST_F(MapWindowTest, BookmarksRestoreTheViewAndSurviveARestart) {
  map->ZoomBy(2.0);
  map->ZoomBy(1.3);
  const TMapBookMark stored = StoreBookmark(map->View());
  Keys(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
  map->ZoomFullExtents();
  const TMapBookMark fitted = StoreBookmark(map->View());
  Keys(Qt::Key_5, Qt::ControlModifier);  // never stored: nothing happens
  EXPECT_EQ(StoreBookmark(map->View()), fitted);
  Keys(Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(StoreBookmark(map->View()), stored);
  Keys(Qt::Key_Minus, Qt::NoModifier);
  map->hide();
  const TMapBookMark last = StoreBookmark(map->View());
  store->UpdateFile();

  DropMap();
  store = std::make_unique<TznSaveState>((folder / "TovixStore3.ini").string());
  Make();
  EXPECT_EQ(StoreBookmark(map->View()), last);  // the last view comes back at the first show
  map->ZoomFullExtents();
  Keys(Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(StoreBookmark(map->View()), stored);
}

TEST_F(MapWindowTest, ZoomRectangleZoomsAndCancelsWhenCtrlIsReleasedEarly) {
  const int32_t fitted = map->View().Map.Ratio;
  QWidget* canvas = map->Canvas();
  QTest::mousePress(canvas, Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
  QTest::mouseMove(canvas, QPoint(100, 90));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(100, 90));
  EXPECT_EQ(map->View().Map.Ratio, fitted);
  QTest::mousePress(canvas, Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::ControlModifier, QPoint(40, 90));
  EXPECT_EQ(map->View().Map.Ratio, fitted);  // an empty rectangle
  QTest::mousePress(canvas, Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 90));
  EXPECT_GT(map->View().Map.Ratio, fitted * 4);
}

TEST_F(MapWindowTest, CancelledColourDialogChangesNoPixel) {
  map->CaptionButton("WidgetShowNames")->click();
  other->Alias = "Old";
  map->Scheme().UseOneColorOtherPlayers = false;
  map->ReadColours();
  const QImage before = map->RenderMap();
  TfrmChangeColors* dialog = map->ColourDialog();
  dialog->SetColourPicker([](TMapColour) { return MapRgb(1, 2, 3); });
  dialog->show();
  dialog->Panel(scBackGround)->click();
  dialog->Panel(scPlayerPlanets)->click();
  dialog->FirstTurnBox()->click();
  TfrmChangePlayerColors* players = dialog->PlayerDialog();
  players->show();
  ASSERT_EQ(players->Panels().size(), 1u);  // the other race only
  players->Panels()[0]->click();
  players->accept();
  EXPECT_NE(map->RenderMap(), before);
  dialog->reject();
  EXPECT_EQ(map->RenderMap(), before);
  EXPECT_EQ(store->ReadString("CurrentColorSchema", "BackGround", "none"), "none");
  // OK keeps and stores the change.
  dialog->show();
  dialog->Panel(scBackGround)->click();
  dialog->accept();
  EXPECT_EQ(map->RenderMap().pixel(1, 1), qRgb(1, 2, 3));
  EXPECT_EQ(store->ReadInteger("CurrentColorSchema", "BackGround", 0), 0x030201);
}

TEST_F(MapWindowTest, PopupOrdersGoToTheOrderService) {
  // The routes window shows a route made on the map at once: the recording order service
  // analyses nothing, as with automatic insertion off.
  TfrmRoutes routes(state, *store);
  events.Attach(routes);
  routes.show();
  EXPECT_TRUE(routes.Table().Rows().empty());
  state.SelectedPlanet = home;
  map->SetPlanet2Cursor(far, false);
  map->MapMenu()->popup(QPoint(0, 0));
  map->MapMenu()->hide();
  map->Action("CAP1")->trigger();
  ASSERT_EQ(routes.Table().Rows().size(), 1u);
  EXPECT_EQ(routes.Table().Rows()[0].Cells[1], "Far");
  map->Action("InsertDevelopTag1")->trigger();
  map->Action("ClaimOwnerShip1")->trigger();
  EXPECT_FALSE(map->Action("RenamePlanet1")->isEnabled());  // not the user's planet
  EXPECT_FALSE(map->Action("Produceonplanet1")->isEnabled());
  map->SetPlanet2Cursor(home, false);
  map->MapMenu()->popup(QPoint(0, 0));
  map->MapMenu()->hide();
  EXPECT_FALSE(map->Action("EMP1")->isEnabled());  // a route to itself
  // Producing goes through the planet information window, which asks for the item.
  ASSERT_TRUE(map->Action("Produceonplanet1")->isEnabled());
  map->Action("Produceonplanet1")->trigger();
  EXPECT_EQ(info.produced, std::vector<TPlanet*>{home});
  std::deque<std::string> answers{"New Home", "far", "Haven"};
  map->SetAskText([&](const std::string&, const std::string&, const std::string&) {
    std::optional<std::string> a = answers.front();
    answers.pop_front();
    return a;
  });
  for (int i = 0; i < 3; ++i) map->Action("RenamePlanet1")->trigger();
  ui.answers = {true};
  map->ZoomFullExtents();
  map->Action("SetNewMapArea1")->trigger();
  EXPECT_EQ(orders.inserted,
            (std::vector<std::string>{"route: R Home CAP Far", "planet: ;P Far", "planet: V Far",
                                      "planet: N Home Haven", "other: M 0 0 80"}));
  EXPECT_EQ(ui.questions,
            std::vector<std::string>{
                "Create M(ap) command for the Currency view Area?\r\nX: 0 Y: 0 Size: 80"});
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{std::string(kNameMalformed), std::string(kNameInUse)}));
  EXPECT_EQ(state.Routes.Object(state.Routes.IndexOf("home"))->Cap, far);
  events.Detach(routes);
}

// On a "Galaxy Blind" map, centred on the galaxy's middle, the overlay lies inside the galaxy.
// "Show Overlay" draws it and takes it away again; "Overlay Mode", one switch with the "P"
// button, draws it with its handles, shown or not.
TEST_F(MapWindowTest, ShowOverlayAndOverlayModeShowAndHideTheOverlayPicture) {
  state.Settings.GameType = TGameType::Blind;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    state.Planets.Object(i)->X -= 3000;
    state.Planets.Object(i)->Y -= 2000;
  }
  map->ZoomFullExtents();
  const QImage without = map->RenderMap().copy();
  auto changed = [&] {
    const QImage now = map->RenderMap();
    int pixels = 0;
    for (int y = 0; y < now.height(); ++y)
      for (int x = 0; x < now.width(); ++x) pixels += now.pixel(x, y) != without.pixel(x, y);
    return pixels;
  };
  QAction* show = map->Action("mniShowOverlay");
  QAction* mode = map->Action("mniOverlayMode");
  TCaptionButton* p = map->CaptionButton("WidgetPaintOverlay");
  ASSERT_TRUE(show && mode && p);
  EXPECT_EQ(show->text(), "Show Overlay");
  EXPECT_EQ(mode->text(), "Overlay Mode");
  EXPECT_EQ(changed(), 0);
  show->trigger();
  const int circle = changed();
  EXPECT_GT(circle, 0);
  mode->trigger();
  EXPECT_TRUE(p->isChecked());
  const int handles = changed();
  EXPECT_GT(handles, circle);
  map->SetShowNames(true);
  EXPECT_TRUE(test::TakePicture(*map, "Map-overlay"));
  map->SetShowNames(false);
  show->trigger();
  EXPECT_EQ(changed(), handles);
  p->click();
  EXPECT_FALSE(mode->isChecked());
  EXPECT_EQ(changed(), 0);
}

TEST_F(MapWindowTest, CaptionButtonsDriveTheDisplaySwitches) {
  TCaptionButton* names = map->CaptionButton("WidgetShowNames");
  TCaptionButton* stats = map->CaptionButton("WidgetShowGrowth");
  EXPECT_EQ(names->Hint(), "Toggle Show Names");
  names->click();
  EXPECT_TRUE(map->View().Map.ShowNames);
  stats->setEnabled(false);
  stats->click();
  EXPECT_FALSE(map->View().Map.ShowStatistics);
  // The first button stands rightmost; a gap moves the buttons made after it.
  TCaptionButton* full = map->CaptionButton("WidgetFullExtends");
  TCaptionButton* plus = map->CaptionButton("WidgetPlus");
  EXPECT_GT(full->x(), plus->x());
  const int before = plus->x();
  auto* row = qobject_cast<TCaptionButtonRow*>(plus->parentWidget());
  EXPECT_EQ(full->x() - before, 18 + 2);
  row->SetGap(full, 20);
  row->resize(row->sizeHint());
  row->layout()->activate();
  EXPECT_EQ(full->x() - plus->x(), 18 + 20);
  // With statistics on, a planet's size bar stands beside its dot.
  stats->setEnabled(true);
  stats->click();
  const QPoint at = At(home);  // size 1000: dot 8, size bar 12 pixels high
  EXPECT_EQ(map->RenderMap().pixel(at + QPoint(8, -8)), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace tovix
