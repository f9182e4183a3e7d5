#include "windows/map/map_window.h"

#include <QAbstractScrollArea>
#include <QActionGroup>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "controls/caption_buttons.h"
#include "controls/caption_strip.h"
#include "core/text/str_utils.h"
#include "platform/latin1.h"
#include "views/route_rows.h"
#include "windows/dialogs/text_query.h"
#include "windows/map/colour_dialogs.h"

namespace tovix {

// The scrolled client of the map: its events go to the window.
class TMapCanvas : public QAbstractScrollArea {
 public:
  explicit TMapCanvas(TfrmNewMap& map) : QAbstractScrollArea(&map), map_(map) {
    setObjectName("mapCanvas");
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  }
  bool syncing = false;

 protected:
  void paintEvent(QPaintEvent*) override { map_.PaintCanvas(*viewport()); }
  void resizeEvent(QResizeEvent* event) override {
    QAbstractScrollArea::resizeEvent(event);
    map_.CanvasResized();
  }
  void scrollContentsBy(int, int) override {
    if (!syncing) map_.ScrolledByBars();
  }
  void mousePressEvent(QMouseEvent* event) override { map_.MousePressed(event); }
  void mouseMoveEvent(QMouseEvent* event) override { map_.MouseMoved(event); }
  void mouseReleaseEvent(QMouseEvent* event) override { map_.MouseReleased(event); }
  void mouseDoubleClickEvent(QMouseEvent*) override { map_.ZoomFullExtents(); }
  void wheelEvent(QWheelEvent* event) override {
    const int delta = event->angleDelta().y();
    if (delta != 0) map_.ZoomAt((delta + 1000) / 1000.0, event->position().toPoint());
    event->accept();
  }
  // Keys go to the window, except what scrolls the bars.
  void keyPressEvent(QKeyEvent* event) override { event->ignore(); }
  void keyReleaseEvent(QKeyEvent* event) override { event->ignore(); }

 private:
  TfrmNewMap& map_;
};

namespace {

// The digit of Ctrl+digit and Ctrl+Shift+digit, whatever character Shift makes of it on the
// usual keyboards; -1 for other keys.
int BookmarkDigit(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
  static const QString shifted = ")!@#$%^&*(";
  const int i = shifted.indexOf(QChar(key));
  if (key < 128 && i >= 0) return i;
  return -1;
}

QAction* Checkable(QAction* action, bool checked) {
  action->setCheckable(true);
  action->setChecked(checked);
  return action;
}

}  // namespace

TfrmNewMap::TfrmNewMap(GameState& state, TznSaveState& store, const TServices& services,
                       TGameEvents* events, UserInterface& ui, QWidget* parent)
    : TToolWindow("Map", 20, store, parent),
      state_(state),
      services_(services),
      events_(events),
      ui_(ui) {
  setObjectName("frmNewMap");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  strip_ = new TCaptionStrip(this);
  buttons_ = new TCaptionButtonRow(strip_);
  strip_->AddCaptionWidget(buttons_);
  canvas_ = new TMapCanvas(*this);
  layout->addWidget(strip_);
  layout->addWidget(canvas_, 1);
  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, canvas_->viewport());
  scene_.State = &state_;
  scene_.View = &view_;
  scene_.Scheme = &scheme_;
  scene_.Players = &players_;
  scene_.Names = &names_;
  scene_.Planet1.Range = 10;
  scene_.Planet1.ShowRings = false;  // "Disable Planet Circles" is checked at first
  scene_.Overlays.push_back(TOverlayCircle{});
  specialValue_ = "10";
  BuildMenus();
  BuildCaptionButtons();
  resize(640, 480);
}

TfrmNewMap::~TfrmNewMap() = default;

void TfrmNewMap::BuildCaptionButtons() {
  auto add = [this](const char* name, const char* glyph, const char* hint,
                    const QColor& colour = QColor()) {
    return buttons_->AddButton(name, glyph, hint, colour);
  };
  connect(add("WidgetFullExtends", "E", "Zoom Full Extends"), &QToolButton::clicked, this,
          [this] { ZoomFullExtents(); });
  connect(add("WidgetPlus", "+", "Zoom In"), &QToolButton::clicked, this, [this] { ZoomBy(1.1); });
  connect(add("WidgetMin", "-", "Zoom Out"), &QToolButton::clicked, this, [this] { ZoomBy(0.9); });
  connect(add("WidgetMarkRed", "M", "Mark Planets Red with expression", QColor(255, 0, 0)),
          &QToolButton::clicked, this, [this] { MarkByExpression(true); });
  connect(add("WidgetMarkBlue", "M", "Mark Planets Blue with Expression", QColor(0, 0, 255)),
          &QToolButton::clicked, this, [this] { MarkByExpression(false); });
  auto toggle = [&](const char* name, const char* glyph, const char* hint, auto apply) {
    TCaptionButton* b = add(name, glyph, hint);
    b->SetToggle(true);
    connect(b, &QToolButton::toggled, this, apply);
  };
  toggle("WidgetShowGrowth", "#", "Toggle Show Statistics (Size, Population, Industry)",
         [this](bool on) { SetShowStatistics(on); });
  toggle("WidgetShowNames", "N", "Toggle Show Names", [this](bool on) { SetShowNames(on); });
  toggle("WidgetShowIncomings", "I", "Toggle Show Incoming Groups",
         [this](bool on) { SetShowIncomings(on); });
  toggle("WidgetPaintOverlay", "P", "", [this](bool on) { SetOverlayMode(on); });
}

void TfrmNewMap::BuildMenus() {
  mapMenu_ = new QMenu(this);
  mapMenu_->setObjectName("MapMenu");
  auto item = [this](QMenu* menu, const char* name, const char* caption,
                     QKeySequence shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) {
      a->setShortcut(shortcut);
      a->setShortcutContext(Qt::WindowShortcut);
      addAction(a);
    }
    return a;
  };
  mniFind_ =
      item(mapMenu_, "Findplanetinorders1", "&Find planet in orders", QKeySequence("Ctrl+F"));
  connect(mniFind_, &QAction::triggered, this, [this] {
    if (state_.SelectedPlanet2 && services_.Orders)
      services_.Orders->FindPlanetInOrders(state_.SelectedPlanet2->Name);
  });
  mniProduce_ = item(mapMenu_, "Produceonplanet1", "&Produce on planet...", QKeySequence("Ctrl+P"));
  connect(mniProduce_, &QAction::triggered, this, [this] {
    TPlanet* p2 = state_.SelectedPlanet2;
    if (p2 && state_.MainPlayer && p2->Owner.Is(state_.MainPlayer) && services_.PlanetInfo)
      services_.PlanetInfo->ProduceOnPlanet(p2);
  });
  mniDevelop_ = item(mapMenu_, "InsertDevelopTag1", "Insert &Develop Tag", QKeySequence("Ctrl+D"));
  connect(mniDevelop_, &QAction::triggered, this, [this] {
    if (state_.SelectedPlanet2) InsertPlanetLine(";P " + state_.SelectedPlanet2->Name);
  });
  routesMenu_ = mapMenu_->addMenu("Routes");
  routesMenu_->setObjectName("Routes1");
  connect(routesMenu_, &QMenu::aboutToShow, this, &TfrmNewMap::RoutesAboutToShow);
  for (int kind = 0; kind < 4; ++kind) {
    mniRoutes_[kind] = item(routesMenu_, "", kRouteTypes[kind]);
    mniRoutes_[kind]->setObjectName(QString(kRouteTypes[kind]) + "1");
    connect(mniRoutes_[kind], &QAction::triggered, this, [this, kind] { RouteClicked(kind); });
  }
  mniRename_ = item(mapMenu_, "RenamePlanet1", "&Rename Planet...", QKeySequence("Ctrl+R"));
  connect(mniRename_, &QAction::triggered, this, &TfrmNewMap::RenamePlanet);
  mniClaim_ = item(mapMenu_, "ClaimOwnerShip1", "Claim OwnerShip");
  connect(mniClaim_, &QAction::triggered, this, [this] {
    if (state_.SelectedPlanet2) InsertPlanetLine("V " + state_.SelectedPlanet2->Name);
  });
  mniCentred_ = Checkable(
      item(mapMenu_, "Viewplanetscentered1", "View planets &centered", QKeySequence("Alt+C")),
      false);
  mniArea_ = item(mapMenu_, "SetNewMapArea1", "Set New Map &Area");
  connect(mniArea_, &QAction::triggered, this, &TfrmNewMap::SetNewMapArea);

  QMenu* tracks = mapMenu_->addMenu("Tracks");
  tracksGroup_ = new QActionGroup(this);
  const char* trackCaptions[] = {"Tracks: None", "Tracks: Current turn", "Tracks: Previous turn"};
  for (int i = 0; i < 3; ++i) {
    mniTracks_[i] = Checkable(item(tracks, "", trackCaptions[i]), i == 1);
    mniTracks_[i]->setObjectName(QString("mniTracks%1").arg(i));
    tracksGroup_->addAction(mniTracks_[i]);
    connect(mniTracks_[i], &QAction::triggered, this,
            [this, i] { SetTracksTurn(i == 0 ? -1 : state_.LastTurn - (i == 2 ? 1 : 0)); });
  }

  marksMenu_ = mapMenu_->addMenu("Selections / Marks");
  connect(marksMenu_, &QMenu::aboutToShow, this,
          [this] { mniRange_->setText(QString("Map Range %1 ...").arg(scene_.Planet1.Range)); });
  connect(item(marksMenu_, "ClearRedMarks1", "Clear Red Marks"), &QAction::triggered, this,
          [this] { scene_.RedMarks.clear(); });
  connect(item(marksMenu_, "ClearBlueMarks1", "Clear Blue Marks"), &QAction::triggered, this,
          [this] { scene_.BlueMarks.clear(); });
  connect(item(marksMenu_, "ClearPlayerMarks1", "Clear Player Marks"), &QAction::triggered, this,
          [this] { scene_.PlayerMarks.clear(); });
  mniDisableGroupCircles_ =
      Checkable(item(marksMenu_, "DisableGroupCircles1", "Disable Group &Circles"), false);
  connect(mniDisableGroupCircles_, &QAction::toggled, this, [this](bool on) {
    scene_.Group.Disabled = on;
    Repaint();
  });
  mniDisablePlanetCircles_ =
      Checkable(item(marksMenu_, "DisablePlanetCircles1", "Disable Planet Circles"), true);
  connect(mniDisablePlanetCircles_, &QAction::toggled, this, [this](bool on) {
    scene_.Planet1.ShowRings = !on;
    Repaint();
  });
  mniRange_ = item(marksMenu_, "mniMapRange", "Map Range: 10 ...");
  connect(mniRange_, &QAction::triggered, this, &TfrmNewMap::AskPlanetRange);
  connect(item(mapMenu_, "ChangeColors1", "Change Colors..."), &QAction::triggered, this,
          &TfrmNewMap::ChangeColors);
  connect(mapMenu_, &QMenu::aboutToShow, this, &TfrmNewMap::UpdateMenuStates);

  // The window menu stands in for the system menu's own items.
  windowMenu_ = new QMenu(this);
  windowMenu_->setObjectName("WindowMenu");
  mniTopMost_ = Checkable(windowMenu_->addAction("&Top Most"), false);
  mniTopMost_->setObjectName("mniTopMost");
  connect(mniTopMost_, &QAction::toggled, this, &TfrmNewMap::SetTopMost);
  windowMenu_->addAction(mniDisableGroupCircles_);
  windowMenu_->addSeparator();
  for (QAction* a : mniTracks_) windowMenu_->addAction(a);
  windowMenu_->addSeparator();
  mniOverlayMode_ = Checkable(windowMenu_->addAction("Overlay Mode"), false);
  mniOverlayMode_->setObjectName("mniOverlayMode");
  connect(mniOverlayMode_, &QAction::toggled, this, &TfrmNewMap::SetOverlayMode);
  mniShowOverlay_ = Checkable(windowMenu_->addAction("Show Overlay"), false);
  mniShowOverlay_->setObjectName("mniShowOverlay");
  connect(mniShowOverlay_, &QAction::toggled, this, &TfrmNewMap::SetShowOverlay);
  strip_->SetWindowMenu(windowMenu_);
  // The menus' states follow the model once a game is read: the map is made while the reports
  // are still being read on another thread.
}

std::string TfrmNewMap::MapSection() const {
  return "Map_" + state_.Settings.GetGameSection();
}

std::string TfrmNewMap::ShowOnStartupSection() const {
  return MapSection();
}

void TfrmNewMap::LoadOwnState() {
  const std::string s = MapSection();
  TznSaveState& store = Store();
  mniDisableGroupCircles_->setChecked(
      store.ReadBool(s, "DisableGroupCircles1.Checked", mniDisableGroupCircles_->isChecked()));
  mniDisablePlanetCircles_->setChecked(
      store.ReadBool(s, "DisablePlanetCircles1.Checked", mniDisablePlanetCircles_->isChecked()));
  mniCentred_->setChecked(
      store.ReadBool(s, "Viewplanetscentered1.Checked", mniCentred_->isChecked()));
  specialValue_ = store.ReadString(s, "mniSpecialValue.Caption", specialValue_);
}

void TfrmNewMap::SaveOwnState() {
  const std::string s = MapSection();
  TznSaveState& store = Store();
  store.WriteBool(s, "DisableGroupCircles1.Checked", mniDisableGroupCircles_->isChecked());
  // The window menu's twin shares the item.
  store.WriteBool(s, "DisableGroupCircles2.Checked", mniDisableGroupCircles_->isChecked());
  store.WriteBool(s, "DisablePlanetCircles1.Checked", mniDisablePlanetCircles_->isChecked());
  store.WriteBool(s, "Viewplanetscentered1.Checked", mniCentred_->isChecked());
  store.WriteString(s, "mniSpecialValue.Caption", specialValue_);
  // A map still shown when the program ends keeps its last view too.
  if (shownOnce_ && isVisible()) WriteBookmarks();
}

void TfrmNewMap::WriteBookmarks() {
  bookmarks_.LastPos = tovix::StoreBookmark(view_);
  Store().WriteString(BookmarksSection(state_.Settings), kBookmarksKey, bookmarks_.AllInfo());
}

void TfrmNewMap::ReadColours() {
  ReadColorSchema(Store(), state_, scheme_, players_);
  coloursRead_ = true;
}

void TfrmNewMap::RefreshGame(TGameChanges changes) {
  if (changes & gcGameRead) {
    // The planets may be new objects: nothing of the old model is kept.
    scene_.PlayerMarks.clear();
    scene_.RedMarks.clear();
    scene_.BlueMarks.clear();
    scene_.Planet1.Planet = state_.SelectedPlanet;
    scene_.Planet1.Visible = state_.SelectedPlanet != nullptr;
    scene_.Planet2.Planet = state_.SelectedPlanet2;
    scene_.Planet2.Visible = state_.SelectedPlanet2 != nullptr;
    UpdateMenuStates();
    ReadColours();
    if (shownOnce_) {
      scene_.TracksTurn = state_.LastTurn;
      BuildIncomings();
      ZoomFullExtents();
      wholeGalaxy_ = true;
    }
  }
  if (changes & gcPlanetSelected) {
    // Another window chose the planet: only the cursor follows.
    scene_.Planet1.Planet = state_.SelectedPlanet;
    scene_.Planet1.Visible = state_.SelectedPlanet != nullptr;
    UpdateMenuStates();
  }
  Repaint();
}

void TfrmNewMap::showEvent(QShowEvent* event) {
  TToolWindow::showEvent(event);
  if (!shownOnce_) FirstShow();
}

void TfrmNewMap::FirstShow() {
  shownOnce_ = true;
  if (!coloursRead_) ReadColours();
  scene_.TracksTurn = state_.LastTurn;
  BuildIncomings();
  CanvasResized();
  ZoomFullExtents();
  bookmarks_.SetAllInfo(Store().ReadString(BookmarksSection(state_.Settings), kBookmarksKey, ""));
  // Without a stored view the map shows the whole galaxy, also once the window has its size.
  wholeGalaxy_ = !tovix::GoToBookmark(view_, bookmarks_.LastPos);
  if (!wholeGalaxy_) SyncScrollBars();
  scene_.Group.Disabled = mniDisableGroupCircles_->isChecked();
  scene_.Planet1.ShowRings = !mniDisablePlanetCircles_->isChecked();
  if (FirstIntInStr(specialValue_) > 0) scene_.Planet1.Range = FirstIntInStr(specialValue_);
  Repaint();
}

void TfrmNewMap::hideEvent(QHideEvent* event) {
  TToolWindow::hideEvent(event);
  if (shownOnce_ && !event->spontaneous()) WriteBookmarks();
}

void TfrmNewMap::changeEvent(QEvent* event) {
  TToolWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) Repaint();
}

void TfrmNewMap::BuildIncomings() {
  scene_.Incomings.clear();
  for (const auto& g : state_.IncomingGroups) {
    if (g->Turn != state_.LastTurn) continue;
    if (auto line = IncomingLine(*g, state_.Settings)) scene_.Incomings.push_back(*line);
  }
}

// ---- Painting and the view

QWidget* TfrmNewMap::Canvas() const {
  return canvas_->viewport();
}

QImage TfrmNewMap::RenderMap() const {
  const QSize size = canvas_->viewport()->size();
  if (backBuffer_.size() != size) backBuffer_ = QImage(size, QImage::Format_RGB32);
  if (!backBuffer_.isNull()) PaintMap(backBuffer_, scene_);
  return backBuffer_;
}

void TfrmNewMap::PaintCanvas(QWidget& viewport) {
  RenderMap();
  QPainter painter(&viewport);
  painter.drawImage(0, 0, backBuffer_);
}

void TfrmNewMap::Repaint() {
  canvas_->viewport()->update();
}

void TfrmNewMap::CanvasResized() {
  const QSize size = canvas_->viewport()->size();
  view_.SetClient(size.width(), size.height());
  if (wholeGalaxy_) view_.ZoomFullExtents(state_);
  SyncScrollBars();
  Repaint();
}

void TfrmNewMap::SyncScrollBars() {
  canvas_->syncing = true;
  QScrollBar* h = canvas_->horizontalScrollBar();
  QScrollBar* v = canvas_->verticalScrollBar();
  h->setRange(0, std::max(view_.RangeX - view_.ClientWidth, 0));
  h->setPageStep(std::max(view_.ClientWidth, 1));
  h->setValue(view_.PosX());
  v->setRange(0, std::max(view_.RangeY - view_.ClientHeight, 0));
  v->setPageStep(std::max(view_.ClientHeight, 1));
  v->setValue(view_.PosY());
  canvas_->syncing = false;
}

void TfrmNewMap::ScrolledByBars() {
  wholeGalaxy_ = false;
  view_.ScrollTo(canvas_->horizontalScrollBar()->value(), canvas_->verticalScrollBar()->value());
  Repaint();
}

void TfrmNewMap::ZoomFullExtents() {
  view_.ZoomFullExtents(state_);
  SyncScrollBars();
  Repaint();
}

void TfrmNewMap::ZoomBy(double factor) {
  wholeGalaxy_ = false;
  view_.ZoomBy(factor);
  SyncScrollBars();
  Repaint();
}

void TfrmNewMap::ZoomAt(double factor, QPoint fixed) {
  wholeGalaxy_ = false;
  view_.ZoomAt(factor, {fixed.x(), fixed.y()});
  SyncScrollBars();
  Repaint();
}

QSize TfrmNewMap::FirstShowSize(const QSize& room) const {
  // The whole galaxy as large as the room's height allows: a square client below the caption
  // buttons, with the scroll bars beside it.
  const int side = std::min(room.width(), room.height());
  return {std::max(side, width()), std::max(side, height())};
}

void TfrmNewMap::StoreBookmark(int index) {
  if (index >= 0 && index < 10)
    bookmarks_.BM[static_cast<size_t>(index)] = tovix::StoreBookmark(view_);
}

void TfrmNewMap::GoToBookmark(int index) {
  if (index < 0 || index >= 10) return;
  if (!tovix::GoToBookmark(view_, bookmarks_.BM[static_cast<size_t>(index)])) return;
  wholeGalaxy_ = false;
  SyncScrollBars();
  Repaint();
}

void TfrmNewMap::SetShowNames(bool on) {
  view_.Map.ShowNames = on;
  if (TCaptionButton* b = CaptionButton("WidgetShowNames")) b->SetDown(on);
  Repaint();
}

void TfrmNewMap::SetShowStatistics(bool on) {
  view_.Map.ShowStatistics = on;
  if (TCaptionButton* b = CaptionButton("WidgetShowGrowth")) b->SetDown(on);
  Repaint();
}

void TfrmNewMap::SetShowIncomings(bool on) {
  view_.Map.ShowIncomings = on;
  if (TCaptionButton* b = CaptionButton("WidgetShowIncomings")) b->SetDown(on);
  Repaint();
}

void TfrmNewMap::SetShowOverlay(bool on) {
  scene_.ShowOverlays = on;
  mniShowOverlay_->setChecked(on);
  Repaint();
}

void TfrmNewMap::SetOverlayMode(bool on) {
  scene_.OverlayHandles = on;
  // The menu item and the "P" button are one switch.
  mniOverlayMode_->setChecked(on);
  if (TCaptionButton* b = CaptionButton("WidgetPaintOverlay")) b->SetDown(on);
  Repaint();
}

void TfrmNewMap::SetTracksTurn(int turn) {
  scene_.TracksTurn = turn;
  Repaint();
}

TCaptionButton* TfrmNewMap::CaptionButton(const QString& name) const {
  return buttons_->findChild<TCaptionButton*>(name);
}

QAction* TfrmNewMap::Action(const QString& name) const {
  return findChild<QAction*>(name);
}

bool TfrmNewMap::Centred() const {
  return mniCentred_->isChecked();
}

// ---- The cursors other windows move

void TfrmNewMap::SetPlanetCursor(TPlanet* planet, bool centre) {
  if (inMapClick_ || SuppressCursorSync) return;
  if (planet && centre) {
    wholeGalaxy_ = false;
    view_.CentreOn(planet->X, planet->Y);
    SyncScrollBars();
  }
  scene_.Planet1.Planet = planet;
  scene_.Planet1.Visible = planet != nullptr;
  if (planet) {
    // The other windows hear of it; the map is not told of its own choice.
    if (!events_ || !events_->SelectPlanet(planet, this)) state_.SelectedPlanet = planet;
  }
  UpdateMenuStates();
  Repaint();
}

void TfrmNewMap::SetPlanet2Cursor(TPlanet* planet, bool centre) {
  if (inMapClick_ || SuppressCursorSync) return;
  if (planet && centre) {
    wholeGalaxy_ = false;
    view_.CentreOn(planet->X, planet->Y);
    SyncScrollBars();
  }
  if (planet) state_.SelectedPlanet2 = planet;
  scene_.Planet2.Planet = planet;
  scene_.Planet2.Visible = planet != nullptr;
  UpdateMenuStates();
  Repaint();
}

void TfrmNewMap::MarkPlayerPlanets(TPlayer* player) {
  scene_.PlayerMarks.clear();
  for (int i = 0; i < state_.Planets.Count(); ++i) {
    const TPlanet* p = state_.Planets.Object(i);
    if (player && p->LastOwner == player) scene_.PlayerMarks.push_back(p);
  }
  Repaint();
}

// The lists mark their planets one by one: each asks for a repaint, and the window paints once.
void TfrmNewMap::AddPlanetMark(TPlanet* planet) {
  if (!planet) return;
  scene_.PlayerMarks.push_back(planet);
  Repaint();
}

void TfrmNewMap::ClearPlanetMarks() {
  scene_.PlayerMarks.clear();
  Repaint();
}

void TfrmNewMap::SetGroupCursor(int32_t x, int32_t y, float emptySpeed, float loadedSpeed) {
  scene_.Group.X = x;
  scene_.Group.Y = y;
  scene_.Group.EmptyReach = emptySpeed;
  scene_.Group.LoadedReach = emptySpeed == loadedSpeed ? 0 : loadedSpeed;
  Repaint();
}

// ---- Mouse and keys

void TfrmNewMap::MousePressed(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  rectStart_ = at;
  rect_ = QRect(at, at);
  if (event->modifiers() & Qt::ControlModifier) {
    mouseMode_ = 1;
    return;
  }
  IDestinationPickerService* picker = services_.Picker;
  const bool picking = picker && picker->PickerVisible();
  // A picker that sends to one planet takes no rectangle: Alt-click picks like a click.
  if ((event->modifiers() & Qt::AltModifier) && !(picking && !picker->SpreadMode())) {
    mouseMode_ = 2;
    return;
  }
  mouseMode_ = 0;
  const TMapPoint world = view_.Map.ScreenToWorld(at.x(), at.y());
  TPlanet* planet = FindNearestPlanet(state_, world.X, world.Y);
  if (!planet) return;
  const bool centre = Centred();
  const bool left = event->button() == Qt::LeftButton;
  const bool right = event->button() == Qt::RightButton;
  if (left) SetPlanetCursor(planet, centre);
  if (right) SetPlanet2Cursor(planet, centre);
  // The calls back into the map (from the information window, and from the picker through it)
  // must not move the cursors again.
  inMapClick_ = true;
  if (services_.PlanetInfo) services_.PlanetInfo->ShowPlanetAsTarget(planet, centre);
  if (left && picking) picker->SelectPlanet(planet);
  inMapClick_ = false;
  if (left && services_.ShipDesign) services_.ShipDesign->FollowPlanet(planet);
  Repaint();
  if (right) mapMenu_->popup(event->globalPosition().toPoint());
}

void TfrmNewMap::MouseMoved(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (mouseMode_ == 1 && !(event->modifiers() & Qt::ControlModifier)) mouseMode_ = 0;
  if (mouseMode_ == 2 && !(event->modifiers() & Qt::AltModifier)) mouseMode_ = 0;
  if (mouseMode_ == 0) rubberBand_->hide();
  if (panning_) {
    if (lastPoint_.x() >= 0) {
      wholeGalaxy_ = false;
      view_.ScrollTo(std::max(view_.PosX() + (at.x() - lastPoint_.x()) * 3, 0),
                     std::max(view_.PosY() + (at.y() - lastPoint_.y()) * 3, 0));
      SyncScrollBars();
      Repaint();
    }
    lastPoint_ = at;
  }
  if (mouseMode_ != 0) {
    rect_ = QRect(rectStart_, at).normalized();
    rubberBand_->setGeometry(rect_);
    rubberBand_->show();
  }
}

void TfrmNewMap::MouseReleased(QMouseEvent* event) {
  const int mode = mouseMode_;
  mouseMode_ = 0;
  rubberBand_->hide();
  if (mode == 1 && (event->modifiers() & Qt::ControlModifier)) {
    const QRect r = QRect(rectStart_, event->position().toPoint()).normalized();
    // QRect's width counts both edges; the zoom rectangle is measured between them.
    const int w = r.right() - r.left();
    const int h = r.bottom() - r.top();
    if (w == 0 || h == 0) return;
    const double factor = std::min(static_cast<double>(view_.ClientWidth) / w,
                                   static_cast<double>(view_.ClientHeight) / h);
    wholeGalaxy_ = false;
    view_.ZoomAbout(factor, {(r.left() + r.right()) / 2, (r.top() + r.bottom()) / 2});
    SyncScrollBars();
    Repaint();
  } else if (mode == 2 && (event->modifiers() & Qt::AltModifier)) {
    const QRect r = QRect(rectStart_, event->position().toPoint()).normalized();
    const TMapPoint p1 = view_.Map.ScreenToWorld(r.left(), r.top());
    const TMapPoint p2 = view_.Map.ScreenToWorld(r.right(), r.bottom());
    const std::vector<TPlanet*> inside = PlanetsStrictlyInside(state_, p1.X, p1.Y, p2.X, p2.Y);
    const bool suppressed = SuppressCursorSync;
    SuppressCursorSync = true;
    if (IDestinationPickerService* picker = services_.Picker; picker && picker->PickerVisible())
      picker->SelectPlanetsInList(inside);
    else if (services_.PlanetInfo)
      services_.PlanetInfo->SelectPlanetsInList(inside);
    SuppressCursorSync = suppressed;
  }
}

void TfrmNewMap::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers();
  const int digit = BookmarkDigit(*event);
  if ((mods & Qt::ControlModifier) && digit >= 0) {
    if (mods & Qt::ShiftModifier)
      StoreBookmark(digit);
    else
      GoToBookmark(digit);
    return;
  }
  if ((mods & Qt::ControlModifier) && event->key() == Qt::Key_U) {
    scene_.PlayerMarks.clear();
    return;
  }
  switch (event->key()) {
    case Qt::Key_D:
      if (!event->isAutoRepeat() && !(mods & Qt::ControlModifier)) {
        panning_ = true;
        lastPoint_ = QPoint(-1, -1);
        canvas_->viewport()->setCursor(Qt::OpenHandCursor);
      }
      return;
    case Qt::Key_F5:
      Repaint();
      return;
    case Qt::Key_F6:
      if (services_.Orders) services_.Orders->AnalyseOrders();
      return;
    default:
      break;
  }
  if (event->text() == "-") {
    ZoomBy(0.9);
    return;
  }
  if (event->text() == "=") {
    ZoomBy(1.1);
    return;
  }
  TToolWindow::keyPressEvent(event);
}

void TfrmNewMap::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_D && !event->isAutoRepeat()) {
    panning_ = false;
    lastPoint_ = QPoint(-1, -1);
    canvas_->viewport()->unsetCursor();
    return;
  }
  TToolWindow::keyReleaseEvent(event);
}

// ---- Menus and the orders they write

void TfrmNewMap::UpdateMenuStates() {
  const TPlanet* p1 = state_.SelectedPlanet;
  const TPlanet* p2 = state_.SelectedPlanet2;
  const bool ownP2 = p2 && state_.MainPlayer && p2->Owner.Is(state_.MainPlayer);
  const bool ownP1 = p1 && state_.MainPlayer && p1->Owner.Is(state_.MainPlayer);
  mniFind_->setEnabled(p2 != nullptr);
  mniProduce_->setEnabled(ownP2);
  mniDevelop_->setEnabled(p2 != nullptr);
  mniRename_->setEnabled(ownP2);
  mniClaim_->setEnabled(p2 != nullptr);
  mniClaim_->setVisible(state_.Settings.GameType != TGameType::Blind);
  // A route from a planet to itself is no route.
  const bool both = p1 && p2 && p1 != p2;
  for (int kind = 0; kind < 4; ++kind) mniRoutes_[kind]->setEnabled(both && (kind == 3 || ownP1));
}

void TfrmNewMap::RoutesAboutToShow() {
  UpdateMenuStates();
  const TPlanet* p1 = state_.SelectedPlanet;
  const TPlanet* p2 = state_.SelectedPlanet2;
  if (!p1 || !p2) return;
  for (int kind = 0; kind < 4; ++kind)
    mniRoutes_[kind]->setText(FromLatin1(RouteCaption(state_, kind, *p1, *p2)));
}

void TfrmNewMap::RouteClicked(int kind) {
  TPlanet* p1 = state_.SelectedPlanet;
  TPlanet* p2 = state_.SelectedPlanet2;
  if (!p1 || !p2 || p1 == p2 || !services_.Orders) return;
  services_.Orders->InsertRouteCommands(ApplyRoute(state_, kind, *p1, *p2));
  // The routes window shows the new route at once, also when the line went to the clipboard
  // and no analysis follows.
  if (events_) events_->RoutesChanged(this);
  services_.Orders->AnalyseAfterInsert();
}

void TfrmNewMap::InsertPlanetLine(const std::string& line) {
  if (!services_.Orders) return;
  services_.Orders->InsertPlanetCommands(line);
  services_.Orders->AnalyseAfterInsert();
}

std::optional<std::string> TfrmNewMap::AskText(const std::string& caption,
                                               const std::string& prompt, const std::string& value,
                                               const TTextTarget& target) {
  if (askText_) return askText_(caption, prompt, value);
  return AskTypedText(this, FromLatin1(caption), FromLatin1(prompt), value, target, ui_);
}

void TfrmNewMap::RenamePlanet() {
  TPlanet* p2 = state_.SelectedPlanet2;
  if (!p2) return;
  const auto name = AskText("Create Order", "Enter new planet name", p2->Name,
                            {TCodePage::Windows1252, "The planet name", "the orders"});
  if (!name) return;
  const TRenameOrder order = RenameOrder(state_, *p2, *name);
  if (!order.Refusal.empty())
    ui_.ShowMessage(order.Refusal);
  else if (!order.Line.empty())
    InsertPlanetLine(order.Line);
}

void TfrmNewMap::SetNewMapArea() {
  const auto order = MapAreaOrder(view_.Map, view_.ClientWidth, view_.ClientHeight);
  if (!order || !services_.Orders) return;
  if (!ui_.AskYesNo(order->Question())) return;
  services_.Orders->InsertOtherCommands(order->Line());
  services_.Orders->AnalyseAfterInsert();
}

void TfrmNewMap::AskPlanetRange() {
  const auto answer =
      AskText("Planet Range", "Enter new planet range:", std::to_string(scene_.Planet1.Range),
              {TCodePage::Latin1, "The planet range", "a number"});
  if (!answer || FirstIntInStr(*answer) <= 0) return;
  scene_.Planet1.Range = FirstIntInStr(*answer);
  specialValue_ = *answer;
  Repaint();
}

void TfrmNewMap::MarkByExpression(bool red) {
  std::vector<const TPlanet*>& marks = red ? scene_.RedMarks : scene_.BlueMarks;
  marks.clear();
  // Without a filter (none given, or the dialog not ended with OK) only the marks are cleared.
  if (planetFilter_) {
    if (const auto chosen = planetFilter_())
      for (int i = 0; i < state_.Planets.Count(); ++i) {
        const TPlanet* p = state_.Planets.Object(i);
        if (std::find(chosen->begin(), chosen->end(), p) != chosen->end()) marks.push_back(p);
      }
  }
  Repaint();
}

void TfrmNewMap::SetTopMost(bool on) {
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) show();
}

TfrmChangeColors* TfrmNewMap::ColourDialog() {
  if (colourDialog_) return colourDialog_;
  if (!ownColourDialog_)
    ownColourDialog_ = std::make_unique<TfrmChangeColors>(
        scheme_, players_, state_, Store(), [this] { Repaint(); }, this);
  return ownColourDialog_.get();
}

void TfrmNewMap::ChangeColors() {
  if (!coloursRead_) ReadColours();
  // The dialog restores the scheme and the race colours itself when cancelled.
  ColourDialog()->exec();
  Repaint();
}

void TfrmNewMap::SetColourDialog(TfrmChangeColors* dialog) {
  colourDialog_ = dialog;
}

TfrmNewMap::TPlanetFilter ExpressionFilterMarks(const TServices& services) {
  return [&services]() -> std::optional<std::vector<TPlanet*>> {
    IExpressionFilterService* filter = services.ExpressionFilter;
    if (filter == nullptr || !filter->ExecuteExpressionFilter()) return std::nullopt;
    return filter->FilteredPlanets();
  };
}

}  // namespace tovix
