#pragma once
// "Map": the galaxy map. Planet 1 is chosen with the left button, planet 2 with the right one
// (which also opens the pop-up menu of orders); Ctrl-drag zooms to a rectangle, Alt-drag picks
// the planets inside it (in the destination picker while it is shown, else in the planet
// information window's list), "D" held pans, "-" and "=" and the wheel zoom, a double click fits
// the galaxy. Ctrl+Shift+digit stores the view in one of ten bookmarks and Ctrl+digit goes back to
// it; the bookmarks and the last view are kept per game. The caption buttons zoom, mark planets
// by expression and switch statistics, names, incoming groups and the overlay's mode; the window
// menu shows and hides the overlay.
//
// Other windows move the cursors through IMapService or by selecting a planet through the game
// events; the map does not react to its own selection coming back.

#include <QImage>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "core/text/char_codes.h"
#include "views/map_colours.h"
#include "views/map_commands.h"
#include "views/map_geometry.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"
#include "windows/map/map_painter.h"

class QAbstractScrollArea;
class QAction;
class QActionGroup;
class QMenu;
class QRubberBand;

namespace tovix {

class TCaptionButton;
class TCaptionButtonRow;
class TCaptionStrip;
class TfrmChangeColors;
class TMapCanvas;

class TfrmNewMap : public TToolWindow, public IMapService {
  Q_OBJECT

 public:
  // `events` may be nullptr (no other window hears of the selection).
  TfrmNewMap(GameState& state, TznSaveState& store, const TServices& services, TGameEvents* events,
             UserInterface& ui, QWidget* parent = nullptr);
  ~TfrmNewMap() override;

  // IMapService
  void SetPlanetCursor(TPlanet* planet, bool centre) override;
  void SetPlanet2Cursor(TPlanet* planet, bool centre) override;
  void MarkPlayerPlanets(TPlayer* player) override;
  void AddPlanetMark(TPlanet* planet) override;
  void ClearPlanetMarks() override;
  void SetGroupCursor(int32_t x, int32_t y, float emptySpeed, float loadedSpeed) override;
  bool CursorSyncSuppressed() const override { return SuppressCursorSync; }
  void SetCursorSyncSuppressed(bool on) override { SuppressCursorSync = on; }
  // While set, SetPlanetCursor and SetPlanet2Cursor do nothing (the destination picker sets it
  // around refills of its list).
  bool SuppressCursorSync = false;

  // The view operations (the "E", "+" and "-" buttons, the keys and the bookmarks).
  void ZoomFullExtents();
  void ZoomBy(double factor);
  // The wheel's zoom: the point under the mouse (client pixels of the map) stays where it is.
  void ZoomAt(double factor, QPoint fixed);
  void StoreBookmark(int index);
  void GoToBookmark(int index);
  void SetShowNames(bool on);
  void SetShowStatistics(bool on);
  void SetShowIncomings(bool on);
  // "Show Overlay": the overlay drawn or not. "Overlay Mode" (the "P" button): the overlay drawn
  // with its handles, whether shown or not.
  void SetShowOverlay(bool on);
  void SetOverlayMode(bool on);
  void SetTracksTurn(int turn);
  // Paints the map again (after a colour change).
  void Repaint();

  // "Change Colors...": the colour dialog, modally; Cancel leaves every colour as it was.
  void ChangeColors();
  // The colour dialog (the catalogue's, or one of the map's own); not shown.
  TfrmChangeColors* ColourDialog();
  void SetColourDialog(TfrmChangeColors* dialog);

  // Replaceable questions, so tests run without modal boxes: a line of text (nullopt on
  // cancel), and the planets an expression chooses (nullopt on cancel; without a filter the
  // marks are only cleared).
  using TAskText = std::function<std::optional<std::string>(
      const std::string& caption, const std::string& prompt, const std::string& value)>;
  void SetAskText(TAskText ask) { askText_ = std::move(ask); }
  using TPlanetFilter = std::function<std::optional<std::vector<TPlanet*>>()>;
  void SetPlanetFilter(TPlanetFilter filter) { planetFilter_ = std::move(filter); }

  const TMapViewState& View() const { return view_; }
  TColorSchema& Scheme() { return scheme_; }
  TPlayerColors& PlayerColors() { return players_; }
  const TStoreMapBookmarks& Bookmarks() const { return bookmarks_; }
  // Reads the scheme and the race colours from the store (again).
  void ReadColours();
  // The map as the client shows it now.
  QImage RenderMap() const;
  QWidget* Canvas() const;
  QMenu* MapMenu() const { return mapMenu_; }
  TCaptionButton* CaptionButton(const QString& name) const;
  QAction* Action(const QString& name) const;
  int32_t PlanetRange() const { return scene_.Planet1.Range; }
  const TMapScene& Scene() const { return scene_; }

 protected:
  QSize FirstShowSize(const QSize& room) const override;
  void LoadOwnState() override;
  void SaveOwnState() override;
  std::string ShowOnStartupSection() const override;
  void RefreshGame(TGameChanges changes) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  friend class TMapCanvas;
  void BuildCaptionButtons();
  void BuildMenus();
  void BuildIncomings();
  void FirstShow();
  // The last view into "LastPos", and the bookmarks into the store.
  void WriteBookmarks();
  std::string MapSection() const;
  // The input box (or the replacement tests give); `target` says where the answer goes.
  std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                     const std::string& value, const TTextTarget& target);

  // The canvas' events.
  void PaintCanvas(QWidget& viewport);
  void CanvasResized();
  void ScrolledByBars();
  void MousePressed(QMouseEvent* event);
  void MouseMoved(QMouseEvent* event);
  void MouseReleased(QMouseEvent* event);
  void SyncScrollBars();

  void MarkByExpression(bool red);
  void UpdateMenuStates();
  void RoutesAboutToShow();
  void RouteClicked(int kind);
  void RenamePlanet();
  void InsertPlanetLine(const std::string& line);
  void SetNewMapArea();
  void AskPlanetRange();
  bool Centred() const;
  void SetTopMost(bool on);

  GameState& state_;
  const TServices& services_;
  TGameEvents* events_;
  UserInterface& ui_;

  TMapViewState view_;
  TColorSchema scheme_;
  TPlayerColors players_;
  TMapScene scene_;
  TMapNameCache names_;
  TStoreMapBookmarks bookmarks_;
  mutable QImage backBuffer_;
  bool shownOnce_ = false;
  bool coloursRead_ = false;
  // The view is the automatic whole-galaxy fit of a map without a stored view; it follows the
  // window's size until the user zooms, scrolls or goes to a bookmark.
  bool wholeGalaxy_ = false;
  bool inMapClick_ = false;
  std::string specialValue_;  // the range as the user gave it

  // Mouse: 0 none, 1 rectangle zoom, 2 rectangle selection.
  int mouseMode_ = 0;
  QPoint rectStart_;
  QRect rect_;
  QRubberBand* rubberBand_ = nullptr;
  bool panning_ = false;
  QPoint lastPoint_{-1, -1};

  TCaptionStrip* strip_;
  TCaptionButtonRow* buttons_;
  TMapCanvas* canvas_;
  QMenu* mapMenu_;
  QMenu* windowMenu_;
  QMenu* routesMenu_;
  QMenu* marksMenu_;
  QAction* mniFind_;
  QAction* mniProduce_;
  QAction* mniDevelop_;
  QAction* mniRoutes_[4];
  QAction* mniRename_;
  QAction* mniClaim_;
  QAction* mniCentred_;
  QAction* mniArea_;
  QAction* mniTracks_[3];
  QAction* mniDisableGroupCircles_;
  QAction* mniDisablePlanetCircles_;
  QAction* mniRange_;
  QAction* mniTopMost_;
  QAction* mniOverlayMode_;
  QAction* mniShowOverlay_;
  QActionGroup* tracksGroup_;

  TAskText askText_;
  TPlanetFilter planetFilter_;
  QPointer<TfrmChangeColors> colourDialog_;
  std::unique_ptr<TfrmChangeColors> ownColourDialog_;
};

// The red and blue "M" through the expression filter of `services` (looked up at each click,
// since the filter is made once the reports are read): its planets when its dialog ends with OK.
TfrmNewMap::TPlanetFilter ExpressionFilterMarks(const TServices& services);

}  // namespace tovix
