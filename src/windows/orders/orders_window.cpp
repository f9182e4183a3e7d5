#include "windows/orders/orders_window.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "controls/zn_list_view.h"
#include "core/settings/game_variant.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "editors/order_highlighter.h"
#include "editors/text_codec.h"
#include "editors/text_editor.h"
#include "editors/unsavable_chars.h"
#include "orders/order_commands.h"
#include "orders/order_edits.h"
#include "orders/order_text.h"
#include "orders/order_words.h"
#include "platform/file_names.h"
#include "platform/latin1.h"
#include "windows/base/window_directory.h"
#include "windows/base/window_entry.h"
#include "windows/dialogs/text_query.h"

namespace tovix {

namespace fs = std::filesystem;

// The code page of order files (the saved ones and the mail's text).
constexpr TTextEncoding kOrdersEncoding = TTextEncoding::Windows1252;

// --- The editor's lines ------------------------------------------------------------------------

// The editor always holds a line; its one empty line is an empty order text.
int TEditorOrderLines::Count() const {
  const TmwEditList& lines = editor_.Lines();
  return lines.Count() == 1 && lines.Get(0).empty() ? 0 : lines.Count();
}

std::string TEditorOrderLines::Line(int index) const {
  return EditToWindows1252(editor_.Lines().Get(index));
}

void TEditorOrderLines::SetLine(int index, std::string text) {
  // The line was read as Windows-1252: what the change left alone keeps its characters.
  editor_.Lines().Put(index, KeepUnsavableChars(editor_.Lines().Get(index), text));
  Changed();
}

void TEditorOrderLines::Insert(int index, std::string text) {
  if (Count() == 0 && editor_.Lines().Count() == 1)
    editor_.Lines().Put(0, Windows1252ToEdit(text));
  else if (index >= editor_.Lines().Count())
    editor_.Lines().Add(Windows1252ToEdit(text));
  else
    editor_.Lines().Insert(index, Windows1252ToEdit(text));
  Changed();
}

void TEditorOrderLines::Delete(int index) {
  editor_.Lines().Delete(index);
  Changed();
}

void TEditorOrderLines::ReplaceAll(const std::vector<std::string>& lines) {
  TEditString text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += U"\r\n";
    text += Windows1252ToEdit(lines[i]);
  }
  editor_.ReplaceAllText(text);
  // Also without an undo list to record it.
  editor_.SetModified(true);
}

void TEditorOrderLines::BeginUpdate() {
  if (depth_++ == 0) editor_.Lines().BeginUpdate();
}

void TEditorOrderLines::EndUpdate() {
  if (depth_ == 0 || --depth_ != 0) return;
  editor_.Lines().EndUpdate();
  if (changed_) editor_.ClearUndo();
  changed_ = false;
}

void TEditorOrderLines::Changed() {
  editor_.SetModified(true);
  if (depth_ > 0)
    changed_ = true;
  else
    editor_.ClearUndo();
}

// --- The window --------------------------------------------------------------------------------

namespace {

// The notes list under the editor shows this many notes at once; more scroll.
constexpr int kNoteRows = 5;

bool ContainsNoCase(std::string_view line, std::string_view text, size_t from, size_t* at) {
  if (text.empty() || line.size() < text.size()) return false;
  for (size_t i = from; i + text.size() <= line.size(); ++i) {
    bool same = true;
    for (size_t k = 0; k < text.size() && same; ++k) {
      const auto a = static_cast<unsigned char>(line[i + k]);
      const auto b = static_cast<unsigned char>(text[k]);
      same = b == '?' || std::tolower(a) == std::tolower(b);
    }
    if (same) {
      if (at) *at = i;
      return true;
    }
  }
  return false;
}

}  // namespace

TfrmOrders::TfrmOrders(const TWindowEntry& entry, IWindowDirectory& windows, QWidget* parent)
    : TToolWindow(entry.StateName, entry.HelpContext, windows.Context().Store, parent),
      windows_(windows),
      state_(windows.Context().State),
      ui_(windows.Context().Ui),
      programFolder_(windows.Context().ProgramFolder),
      memo_(new TTextEditor(this)),
      highlighter_(MakeOrdersWindowHighlighter()),
      lines_(*memo_),
      planner_(state_),
      orderPlanner_(planner_,
                    [this] {
                      if (ICargoSettingsService* cargo = windows_.Services().CargoSettings)
                        cargo->ComputeBuildability();
                      else
                        ComputeBuildability(state_, TAutoCargoSettings{});
                    }),
      service_(state_, lines_, *this, orderPlanner_) {
  service_.Listener = this;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  menuBar_ = new QMenuBar(this);
  layout->setMenuBar(menuBar_);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  layout->addWidget(splitter_);
  pnlPlanets_ = new QTabWidget(splitter_);
  pnlPlanets_->setObjectName("pnlPlanets");
  lvDeveloping_ = AddList(pnlPlanets_, "lvDeveloping", "Developing",
                          {"Planet", "COL turns", "CAP turns", "Sizes"});
  lvToTransport_ =
      AddList(pnlPlanets_, "lvToTransport", "To Transport",
              {"Planet", "COL now", "COL next", "CAP now", "CAP next", "MAT now", "MAT next"},
              "COL and CAP this, and next turn on those planets");
  lvToDevelop_ = AddList(pnlPlanets_, "lvToDevelop", "To Develop",
                         {"Planet", "Size", "Population", "Industry", "Max Mass"},
                         "Planets owned by you but not fully developed");

  pnlOrders_ = new QWidget(splitter_);
  pnlOrders_->setObjectName("pnlOrders");
  auto* ordersLayout = new QVBoxLayout(pnlOrders_);
  ordersLayout->setContentsMargins(0, 0, 0, 0);
  ordersLayout->setSpacing(2);
  memo_->setParent(pnlOrders_);
  memo_->setObjectName("Memo1");
  SetUpEditor();
  ordersLayout->addWidget(memo_);
  // What the last analysis noted about orders it could not follow, every note whole (a long one
  // wraps); a click goes to its line.
  lbxNotes_ = new QListWidget(pnlOrders_);
  lbxNotes_->setObjectName("lbxNotes");
  lbxNotes_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  lbxNotes_->setFixedHeight(lbxNotes_->fontMetrics().height() * kNoteRows +
                            2 * lbxNotes_->frameWidth() + 4);
  lbxNotes_->setWordWrap(true);
  lbxNotes_->setResizeMode(QListView::Adjust);
  lbxNotes_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  lbxNotes_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lbxNotes_->setToolTip("What the last analysis noted; click a note to go to its line");
  ordersLayout->addWidget(lbxNotes_);
  connect(lbxNotes_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int line = item->data(Qt::UserRole).toInt();
    if (line >= 0 && line < lines_.Count()) SetCaretLine(line);
  });
  btnAnalyse_ = new QPushButton("&Analyse", pnlOrders_);
  btnAnalyse_->setObjectName("btnAnalyse");
  btnAnalyse_->setToolTip("Analyse orders");
  ordersLayout->addWidget(btnAnalyse_);
  connect(btnAnalyse_, &QPushButton::clicked, this, [this] { AnalyseOrders(); });

  pnlShips_ = new QTabWidget(splitter_);
  pnlShips_->setObjectName("pnlShips");
  // On a small screen the ships' panel gives up all its width to the planets' columns and the
  // editor: the minimum of its tabs would take that room from them.
  pnlShips_->setMinimumWidth(kShipsPanelMinWidth);
  lvToDo_ = AddList(pnlShips_, "lvToDo", "To Do",
                    {"Group", "Nr.", "Eff Cargo", "Speed", "Planet", "COL", "CAP"},
                    "Right click to add order for this group");
  lvLoadedSend_ = AddList(pnlShips_, "lvLoadedSend", "Loaded \\ Sent",
                          {"Group", "Nr.", "Cargo", "Spd Loaded", "Dest", "Distance left"},
                          "This cargo ships are loaded");
  lvSendedShips_ =
      AddList(pnlShips_, "lvSendedShips", "Sent Ships",
              {"Group", "Nr.", "From", "To", "Dist", "Speed", "Rest"}, "Those groups are send");
  lvShipsInProduction_ =
      AddList(pnlShips_, "lvShipsInProduction", "Ships In Production",
              {"Name", "Ship Type", "Number Present", "Numer Present with Last Techs"},
              "On the last turn, those planets produced those shiptypes");
  // The editor takes the room a wider window gives; a narrower one takes it from the side
  // panels first (KeepEditorWidth), and the editor never goes below a line of order text.
  splitter_->setStretchFactor(1, 1);
  splitter_->setCollapsible(1, false);
  splitter_->installEventFilter(this);
  pnlShips_->setCurrentWidget(lvSendedShips_);
  pnlPlanets_->setCurrentWidget(lvToDevelop_);

  // Figures are right-aligned; the first column (and the planet names) are not.
  const auto figures = [](TznListView* list, std::vector<bool> right) {
    list->Rows().SetRightAligned(std::move(right));
  };
  figures(lvDeveloping_, {false, true, true, true});
  figures(lvToTransport_, {false, true, true, true, true, true, true});
  figures(lvToDevelop_, {false, true, true, true, true});
  figures(lvToDo_, {false, true, true, true, false, true, true});
  figures(lvLoadedSend_, {false, true, true, true, false, true});
  figures(lvSendedShips_, {false, true, false, false, true, true, true});
  figures(lvShipsInProduction_, {false, false, true, true});

  // A click shows the planet, a double click finds it in the orders. `row` gives the planet
  // and its name of a row.
  using TPlanetOfRow = std::function<std::pair<TPlanet*, std::string>(int)>;
  const auto planetRows = [this](TznListView* list, TPlanetOfRow row) {
    connect(list, &QAbstractItemView::clicked, this, [this, list, row](const QModelIndex& i) {
      ShowPlanet(row(list->Rows().SourceRow(i.row())).first);
    });
    connect(list, &QAbstractItemView::doubleClicked, this, [this, list, row](const QModelIndex& i) {
      const std::string name = row(list->Rows().SourceRow(i.row())).second;
      if (!name.empty()) FindPlanetInOrders(name);
    });
  };
  const auto inRange = [](const auto& rows, int row) {
    return row >= 0 && row < static_cast<int>(rows.size());
  };
  // Rows that carry their planet and its name.
  const auto rowsOf = [inRange](const auto& rows) -> TPlanetOfRow {
    return [&rows, inRange](int r) -> std::pair<TPlanet*, std::string> {
      if (!inRange(rows, r)) return {nullptr, {}};
      return {rows[static_cast<size_t>(r)].Planet, rows[static_cast<size_t>(r)].Name};
    };
  };
  planetRows(lvDeveloping_, rowsOf(plan_.Developing));
  planetRows(lvToTransport_, rowsOf(plan_.ToTransport));
  planetRows(lvToDevelop_, rowsOf(toDevelop_));
  planetRows(lvShipsInProduction_, [this, inRange](int r) -> std::pair<TPlanet*, std::string> {
    if (!inRange(state_.ShipsInProduction, r)) return {nullptr, {}};
    const std::string& name = state_.ShipsInProduction[static_cast<size_t>(r)]->PlanetName;
    return {state_.PlanetByName(name), name};
  });
  // To Do and Loaded \ Sent: a click shows the group's planet; a double click on Loaded \ Sent
  // shows its destination.
  for (TznListView* list : {lvToDo_, lvLoadedSend_}) {
    connect(list, &QAbstractItemView::clicked, this, [this, list](const QModelIndex& i) {
      if (const TDevGroup* group = GroupOfRow(list, list->Rows().SourceRow(i.row())))
        ShowPlanet(group->At[0]);
    });
  }
  connect(lvLoadedSend_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
    if (const TDevGroup* group =
            GroupOfRow(lvLoadedSend_, lvLoadedSend_->Rows().SourceRow(i.row())))
      ShowPlanet(group->Destination);
  });
  // Sent Ships: a click shows From, a double click shows To.
  auto sentPlanet = [this](const QModelIndex& i, bool to) -> TPlanet* {
    const int row = lvSendedShips_->Rows().SourceRow(i.row());
    if (row < 0 || row >= static_cast<int>(sentShips_.size())) return nullptr;
    const int record = sentShips_[static_cast<size_t>(row)].Record;
    const auto& records = service_.Analysis().Records();
    if (record < 0 || record >= static_cast<int>(records.size())) return nullptr;
    const TSendedGroup& r = records[static_cast<size_t>(record)];
    return to ? r.Destination : r.Source;
  };
  connect(lvSendedShips_, &QAbstractItemView::clicked, this,
          [this, sentPlanet](const QModelIndex& i) { ShowPlanet(sentPlanet(i, false)); });
  connect(lvSendedShips_, &QAbstractItemView::doubleClicked, this,
          [this, sentPlanet](const QModelIndex& i) { ShowPlanet(sentPlanet(i, true)); });

  // Planned transports are red; both lists of moving groups show the turns to arrival.
  lvLoadedSend_->Rows().SetRowColor([this, inRange](int r) {
    return inRange(plan_.LoadedSent, r) && plan_.LoadedSent[static_cast<size_t>(r)].Planned
               ? QColor(Qt::red)
               : QColor();
  });
  lvLoadedSend_->Rows().SetRowImage([this, inRange](int r) {
    return inRange(plan_.LoadedSent, r)
               ? DistanceImage(plan_.LoadedSent[static_cast<size_t>(r)].Image)
               : QIcon();
  });
  lvSendedShips_->Rows().SetRowImage([this, inRange](int r) {
    return inRange(sentShips_, r) ? DistanceImage(sentShips_[static_cast<size_t>(r)].Image)
                                  : QIcon();
  });

  BuildMenus(menuBar_);
  BuildEditorPopup();
  BuildListPopups();
  memo_->installEventFilter(this);
  memo_->viewport()->installEventFilter(this);
  // At first the planets' panel shows its lists' columns whole (the widest of Developing and
  // To Develop, the tabs that open first), beside the editor at its minimum, wide enough for
  // the order lines.
  int planets = 0;
  for (TznListView* list : {lvDeveloping_, lvToDevelop_}) {
    planets = std::max(planets, list->horizontalHeader()->length() + 2 * list->frameWidth() +
                                    list->verticalScrollBar()->sizeHint().width());
  }
  panelWidths_ = std::pair<int, int>{planets, memo_->minimumWidth()};
  resize(1280, 560);
}

void TfrmOrders::SetUpEditor() {
  // The orders window's editor: no scrolling past the line end, a tab key that stays in the
  // editor and types nothing, the window's own key bindings, and a small fixed-pitch font.
  memo_->SetOptions({mweoAutoIndent, mweoDragDropEditing, mweoShowScrollHint, mweoSmartTabs});
  memo_->SetMaxUndo(10);
  memo_->SetWantTabs(true);
  memo_->Keystrokes().ResetDefaults(TmwKeyStrokes::kOrdersWindowRows);
  QFont font("Courier New");
  font.setPixelSize(11);
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  memo_->setFont(font);
  memo_->SetHighLighter(highlighter_.get());
  // Room for an order line of kEditorMinChars characters beside the gutter and scroll bar.
  memo_->setMinimumWidth(kEditorMinChars * memo_->CharWidth() + memo_->GutterWidth() + 2 +
                         memo_->verticalScrollBar()->sizeHint().width() + 2 * memo_->frameWidth());
}

TfrmOrders::~TfrmOrders() {
  // The focus moves while ~QWidget deletes the children, after this class's members are gone:
  // the handler must not see that.
  disconnect(focusConnection_);
  // At exit: the editor lines go to the automatic orders file.
  if (automaticLoaded_) SaveAutomaticOrders();
  memo_->SetHighLighter(nullptr);
}

TznListView* TfrmOrders::AddList(QTabWidget* tabs, const char* name, const QString& tab,
                                 const QStringList& captions, const QString& hint) {
  auto* list = new TznListView(tabs);
  list->setObjectName(name);
  // Wide enough for the caption; names of planets and designs get more room.
  std::vector<int> widths;
  const QFontMetrics metrics(list->font());
  for (const QString& caption : captions) {
    const bool wide = caption == "Planet" || caption == "Name" || caption == "From" ||
                      caption == "To" || caption == "Dest" || caption == "Ship Type" ||
                      caption == "Sizes";
    widths.push_back(std::max(wide ? 110 : 64, metrics.horizontalAdvance(caption) + 28));
  }
  list->SetColumns(captions, widths);
  list->SetCursorWait(Qt::ArrowCursor);
  const int index = tabs->addTab(list, tab);
  if (!hint.isEmpty()) tabs->setTabToolTip(index, hint);
  lists_.push_back(list);
  return list;
}

TznListView* TfrmOrders::List(const char* name) const {
  for (TznListView* list : lists_)
    if (list->objectName() == name) return list;
  return nullptr;
}

QIcon TfrmOrders::DistanceImage(int turns) {
  if (turns < 0) return {};
  auto found = distanceImages_.find(turns);
  if (found != distanceImages_.end()) return found->second;
  // A small box with the number of turns, as the list's images show it.
  QPixmap image(18, 14);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setPen(QColor(0, 0, 128));
  painter.setBrush(QColor(255, 255, 225));
  painter.drawRect(0, 0, 17, 13);
  QFont font = painter.font();
  font.setPixelSize(turns > 99 ? 7 : 10);
  painter.setFont(font);
  painter.drawText(QRect(0, 0, 18, 14), Qt::AlignCenter, QString::number(turns));
  painter.end();
  return distanceImages_.emplace(turns, QIcon(image)).first->second;
}

std::optional<std::string> TfrmOrders::AskText(const QString& caption, const QString& prompt,
                                               const std::string& preset,
                                               const TTextTarget& target) {
  if (askText_) return askText_(caption, prompt, preset);
  return AskTypedText(this, caption, prompt, preset, target, ui_);
}

// --- Insertions and analysis --------------------------------------------------------------------

void TfrmOrders::InsertGroupCommands(const std::string& lines) {
  service_.InsertGroupCommands(lines);
}
void TfrmOrders::InsertPlanetCommands(const std::string& lines) {
  service_.InsertPlanetCommands(lines);
}
void TfrmOrders::InsertOtherCommands(const std::string& lines) {
  service_.InsertOtherCommands(lines);
}
void TfrmOrders::InsertRouteCommands(const std::string& lines) {
  service_.InsertRouteCommands(lines);
}

void TfrmOrders::AnalyseOrders() {
  service_.AnalyseOrders();
}

void TfrmOrders::AnalyseAfterInsert() {
  service_.AnalyseAfterInsert();
}

const TOrderAnalysis* TfrmOrders::LastAnalysis() const {
  return analysed_ ? &service_.Analysis() : nullptr;
}

void TfrmOrders::AnalysisChanged(bool) {
  analysed_ = true;
  FillAnalysisLists();
  FillDevelopmentLists();
  // What the analysis noted, until the next one.
  ShowNotes(service_.NoteItems());
  // After every analysis the text is safe on disk; what cannot go out in an order file is told.
  if (automaticLoaded_) {
    SaveAutomaticOrders();
    TellUnsavableChars();
  }
  windows_.Events().OrdersAnalysed();
}

void TfrmOrders::ShowNotes(const std::vector<TOrderNote>& notes, const std::string& first) {
  lbxNotes_->clear();
  const auto add = [this](const QString& text, int line, bool error) {
    auto* item = new QListWidgetItem(text, lbxNotes_);
    item->setData(Qt::UserRole, line);
    item->setToolTip(item->text());
    if (error) item->setForeground(Qt::darkRed);
  };
  if (!first.empty()) add(FromLatin1(first), -1, false);
  for (const TOrderNote& note : notes) add(FromLatin1(note.Text), note.Line, note.Refused);
  // The characters that keep the orders from being saved or mailed stay in sight after the one
  // message about them.
  for (const TUnsavableLine& line : UnsavableCharsByLine(UnsavableCharsOfOrders()))
    add(QString::fromStdString("Line " + std::to_string(line.Line) +
                               ": an order file cannot hold " + line.Text),
        line.Line - 1, true);
}

QString TfrmOrders::StatusText() const {
  QStringList texts;
  for (int i = 0; i < lbxNotes_->count(); ++i) texts << lbxNotes_->item(i)->text();
  return texts.join("; ");
}

void TfrmOrders::PutText(const std::string& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(FromLatin1(text));
}

void TfrmOrders::FillAnalysisLists() {
  sentShips_ = service_.SentShips();
  lvSendedShips_->Rows().SetRows(static_cast<int>(sentShips_.size()), [this](int row, int col) {
    const TSentShipRow& r = sentShips_[static_cast<size_t>(row)];
    const std::string* cells[7] = {&r.Caption, &r.Ships, &r.From, &r.To,
                                   &r.Dist,    &r.Speed, &r.Rest};
    return *cells[col];
  });
  lvSendedShips_->Resort();
  toDevelop_ = service_.ToDevelop();
  lvToDevelop_->Rows().SetRows(static_cast<int>(toDevelop_.size()), [this](int row, int col) {
    const TToDevelopRow& r = toDevelop_[static_cast<size_t>(row)];
    const std::string* cells[5] = {&r.Name, &r.Size, &r.Population, &r.Industry, &r.ShipMass};
    return *cells[col];
  });
  lvToDevelop_->Resort();
}

void TfrmOrders::FillDevelopmentLists() {
  plan_ = planner_.Lists();
  lvDeveloping_->Rows().SetRows(
      static_cast<int>(plan_.Developing.size()), [this](int row, int col) {
        const TDevelopingRow& r = plan_.Developing[static_cast<size_t>(row)];
        const std::string* cells[4] = {&r.Name, &r.ColTurns, &r.CapTurns, &r.Sizes};
        return *cells[col];
      });
  lvToTransport_->Rows().SetRows(
      static_cast<int>(plan_.ToTransport.size()), [this](int row, int col) {
        const TToTransportRow& r = plan_.ToTransport[static_cast<size_t>(row)];
        const std::string* cells[7] = {&r.Name,    &r.ColNow, &r.ColNext, &r.CapNow,
                                       &r.CapNext, &r.MatNow, &r.MatNext};
        return *cells[col];
      });
  lvToDo_->Rows().SetRows(static_cast<int>(plan_.ToDo.size()), [this](int row, int col) {
    const TDevGroupRow& r = plan_.ToDo[static_cast<size_t>(row)];
    const std::string* cells[7] = {&r.Caption,     &r.Ships,   &r.Capacity, &r.Speed,
                                   &r.Destination, &r.HereCOL, &r.HereCAP};
    return *cells[col];
  });
  lvLoadedSend_->Rows().SetRows(
      static_cast<int>(plan_.LoadedSent.size()), [this](int row, int col) {
        const TDevGroupRow& r = plan_.LoadedSent[static_cast<size_t>(row)];
        const std::string* cells[6] = {&r.Caption, &r.Ships,       &r.Capacity,
                                       &r.Speed,   &r.Destination, &r.NextDistance};
        return *cells[col];
      });
  for (TznListView* list : {lvDeveloping_, lvToTransport_, lvToDo_, lvLoadedSend_}) list->Resort();
}

void TfrmOrders::FillShipsInProduction() {
  lvShipsInProduction_->Rows().SetRows(
      static_cast<int>(state_.ShipsInProduction.size()), [this](int row, int col) -> std::string {
        const TShipInProduction& s = *state_.ShipsInProduction[static_cast<size_t>(row)];
        switch (col) {
          case 0:
            return s.PlanetName;
          case 1:
            return s.ShipTypeName;
          case 2:
            return std::to_string(s.ShipsPresent);
          default:
            return std::to_string(s.ShipsUpToDate);
        }
      });
  lvShipsInProduction_->Resort();
}

void TfrmOrders::ClearSectionAndAnalyse(TOrderSection section) {
  ClearSection(lines_, section);
  AnalyseOrders();
}

void TfrmOrders::ShowPlanet(TPlanet* planet) {
  if (!planet) return;
  if (IPlanetInfoService* info = windows_.Services().PlanetInfo) info->ShowPlanet(planet, true);
}

void TfrmOrders::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) == 0) return;
  // The plan's records point into the model that was read before: plan again on the new one.
  planner_.Clear();
  if (automaticLoaded_) AnalyseOrders();
  FillShipsInProduction();
}

std::vector<std::string> TfrmOrders::CollectRenamedPlanetNames() {
  return tovix::CollectRenamedPlanetNames(lines_);
}

void TfrmOrders::ProjectDevelopment() {
  planner_.ProjectDevelopment(lines_);
}

// --- Files ---------------------------------------------------------------------------------------

std::string TfrmOrders::GameSectionKey() const {
  return state_.Settings.GetGameSection();
}

std::filesystem::path TfrmOrders::AutomaticFile() const {
  if (state_.Settings.GameNumber < 0) return {};
  return AutomaticOrdersFile(programFolder_, GameSectionKey());
}

bool TfrmOrders::SaveAutomaticOrders() {
  // Saved after every analysis, at start-up too: a text the file holds already is not written
  // again, which spares the wait for the disk.
  return WriteAutomaticOrders(true);
}

bool TfrmOrders::WriteAutomaticOrders(bool onlyIfChanged) {
  const std::filesystem::path file = AutomaticFile();
  if (file.empty()) return true;
  if (!automaticLoaded_ || automaticReadFailed_) return false;
  try {
    // The file keeps every character, also those an order file cannot hold (then in UTF-8), so
    // none is lost between runs.
    std::vector<TEditString> text;
    for (int i = 0; i < lines_.Count(); ++i) text.push_back(memo_->Lines().Get(i));
    const TVectorOrderLines bytes(EncodeLinesWhole(text));
    if (onlyIfChanged)
      WriteOrderFileIfChanged(file, bytes, TOrderLineEnds::CrLf);
    else
      WriteOrderFile(file, bytes, TOrderLineEnds::CrLf);
    return true;
  } catch (const std::exception& e) {
    ui_.ShowMessage(std::string("The orders could not be saved: ") + e.what());
    return false;
  }
}

bool TfrmOrders::ReadOrderFile(const std::filesystem::path& file, std::string& error) {
  std::string bytes;
  try {
    bytes = LoadFileToString(file);
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  memo_->Lines().Assign(SplitEditLines(DecodeFileText(bytes)));
  memo_->ClearUndo();
  memo_->SetCaretXY({1, 1});
  memo_->SetBlockBegin({1, 1});
  return true;
}

bool TfrmOrders::LoadOrderFile(const std::filesystem::path& file) {
  std::string error;
  if (ReadOrderFile(file, error)) return true;
  ui_.ShowMessage(error);
  return false;
}

std::vector<TUnsavableChar> TfrmOrders::UnsavableCharsOfOrders() const {
  return FindUnsavableChars(memo_->Lines(), kOrdersEncoding);
}

bool TfrmOrders::CanWriteOrders(TOrdersOutlet outlet) {
  const std::string where = UnsavableCharsText(UnsavableCharsOfOrders());
  if (where.empty()) return true;
  ui_.ShowMessageUtf8(outlet == TOrdersOutlet::Mail
                          ? "The orders were not sent: they hold characters that orders cannot "
                            "carry (orders go out as Windows-1252 text):\r" +
                                where + "\rChange them and send the orders again."
                          : "The orders were not saved: an order file cannot hold these "
                            "characters (order files are Windows-1252 text):\r" +
                                where + "\rChange them and save again.");
  return false;
}

void TfrmOrders::TellUnsavableChars() {
  const std::vector<TUnsavableChar> chars = UnsavableCharsOfOrders();
  if (!unsavableWarnings_.IsNews(chars)) return;
  ui_.ShowMessageUtf8(
      "These characters of the orders cannot be saved to an order file or mailed (order files "
      "are Windows-1252 text):\r" +
      UnsavableCharsText(chars) +
      "\rThe automatic orders file keeps them. Change them before you save or mail the orders.");
}

bool TfrmOrders::SaveOrderFile(const std::filesystem::path& file, TOrderLineEnds ends) {
  if (!CanWriteOrders(TOrdersOutlet::File)) return false;
  try {
    WriteOrderFile(file, lines_, ends);
  } catch (const std::exception& e) {
    ui_.ShowMessage(std::string("The orders could not be saved: ") + e.what());
    return false;
  }
  ui_.ShowCaptionedMessage("Saved", "Text is Saved");
  return true;
}

void TfrmOrders::SaveOrders(const std::string& fileName) {
  // Until the automatic orders are loaded the editor does not hold them: writing now would
  // overwrite the user's orders with nothing. A file that could not be read stays as it is.
  if (fs::path(fileName) == AutomaticFile()) {
    WriteAutomaticOrders(false);
    return;
  }
  if (!CanWriteOrders(TOrdersOutlet::File)) return;
  try {
    WriteOrderFile(fileName, lines_, TOrderLineEnds::CrLf);
  } catch (const std::exception& e) {
    ui_.ShowMessage(std::string("The orders could not be saved: ") + e.what());
  }
}

void TfrmOrders::LoadAutomaticOrders() {
  const std::filesystem::path file = AutomaticFile();
  std::error_code ec;
  if (!file.empty() && std::filesystem::exists(file, ec)) {
    std::string error;
    if (!ReadOrderFile(file, error)) {
      // Whatever the file holds stays there: this run never writes over it.
      automaticReadFailed_ = true;
      ui_.ShowMessage("The automatic orders file " + file.string() + " could not be read (" +
                      error + ").\rIt is left as it is: the orders of this run are not saved " +
                      "there.");
    }
  }
  DropLeadingEmptyLines(lines_);
  memo_->ClearUndo();
  memo_->SetCaretXY({1, 1});
  memo_->SetBlockBegin({1, 1});
  mniInsertFindCommands_->setVisible(state_.Settings.GameType != TGameType::Blind);
  mniChangePassword_->setVisible(state_.Settings.GameType == TGameType::NG);
  automaticLoaded_ = true;
  const int turn = GetOrdersTurn(lines_);
  if (turn != state_.LastTurn) {
    if (turn != -1 && ui_.AskYesNo("Delete old orders?")) service_.AllAbove();
    SetOrdersTurn(lines_, state_.LastTurn);
    memo_->ClearUndo();
    SaveAutomaticOrders();
  }
  AnalyseOrders();
  FillShipsInProduction();
}

void TfrmOrders::LoadOrdersDialog() {
  const QString name = QFileDialog::getOpenFileName(
      this, "Load orders", FileNameText(openFileName_), "Text Files(*.txt; *.asc) (*.txt *.asc)");
  if (name.isEmpty()) return;
  openFileName_ = FileNameBytes(name);
  if (std::filesystem::exists(openFileName_)) LoadOrderFile(openFileName_);
}

std::filesystem::path TfrmOrders::ProposedSaveFile() const {
  const TGameSettings& settings = state_.Settings;
  const std::filesystem::path last = std::filesystem::path(saveFileName_).parent_path();
  std::error_code error;
  const bool lastThere = !last.empty() && std::filesystem::is_directory(last, error);
  const char letter = settings.spelC.empty() ? 'A' : settings.spelC[0];
  try {
    const std::filesystem::path proposed = ProposedOrderFile(
        settings.spelD, letter, state_.LastTurn + 1, lastThere ? last : std::filesystem::path());
    if (!proposed.empty()) return proposed;
  } catch (const std::exception&) {
    // A pattern that names no file: the last file saved, as it was.
  }
  return saveFileName_;
}

void TfrmOrders::SaveOrdersDialog(TOrderLineEnds ends) {
  const QString proposed = FileNameText(ProposedSaveFile().string());
  QString chosen;
  if (AskSaveFile) {
    chosen = AskSaveFile(proposed);
  } else {
    QFileDialog dialog(this, "Save Orders", proposed, "Text Files(*.txt; *.asc) (*.txt *.asc)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = dialog.selectedFiles().front();
  }
  if (chosen.isEmpty()) return;
  saveFileName_ = FileNameBytes(chosen);
  SaveOrderFile(saveFileName_, ends);
}

void TfrmOrders::showEvent(QShowEvent* event) {
  TToolWindow::showEvent(event);
  // Once the splitter has laid out its panels for the show (it gives them widths of its own
  // then).
  if (panelWidths_)
    QMetaObject::invokeMethod(
        this, [this] { ApplyPanelWidths(); }, Qt::QueuedConnection);
}

void TfrmOrders::ApplyPanelWidths() {
  if (!panelWidths_) return;
  if (layout()) layout()->activate();
  // The ships' panel takes what is left (no less than its minimum, which the splitter would
  // take back from all panels). In a window too narrow for the planets' panel and the editor,
  // the planets' panel gives up width first; the editor keeps its minimum.
  const int total = splitter_->width() - 2 * splitter_->handleWidth();
  auto [planets, orders] = *panelWidths_;
  orders = std::max(orders, MinimumWidthOf(pnlOrders_));
  const int ships = MinimumWidthOf(pnlShips_);
  const int lack = planets + orders + ships - total;
  planets -= std::clamp(lack, 0, std::max(0, planets - MinimumWidthOf(pnlPlanets_)));
  splitter_->setSizes({planets, orders, std::max(ships, total - planets - orders)});
  panelWidths_.reset();
}

void TfrmOrders::hideEvent(QHideEvent* event) {
  if (automaticLoaded_) SaveAutomaticOrders();
  TToolWindow::hideEvent(event);
}

// --- Keys and searches ---------------------------------------------------------------------------

void TfrmOrders::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F5 || event->key() == Qt::Key_F6) {
    AnalyseOrders();
    return;
  }
  TToolWindow::keyPressEvent(event);
}

int TfrmOrders::MinimumWidthOf(const QWidget* panel) {
  // As the splitter counts it: a minimum width set on the panel, else the panel's own.
  return panel->minimumWidth() > 0 ? panel->minimumWidth() : panel->minimumSizeHint().width();
}

void TfrmOrders::KeepEditorWidth(int width) {
  // The splitter is being resized (its panels still have their old widths): the panels' new
  // widths are given here, so that its own distribution finds nothing left to do.
  QList<int> sizes = splitter_->sizes();
  if (sizes.size() != 3 || !splitter_->isVisible()) return;
  int shrink = 0;
  for (int size : sizes) shrink += size;
  shrink -= width - 2 * splitter_->handleWidth();
  if (shrink <= 0) return;  // a wider window: the editor's stretch takes the room
  // The side panels give up what they have above their minimum, in proportion.
  const int planetsMin = MinimumWidthOf(pnlPlanets_);
  const int shipsMin = MinimumWidthOf(pnlShips_);
  const int planetsRoom = std::max(0, sizes[0] - planetsMin);
  const int shipsRoom = std::max(0, sizes[2] - shipsMin);
  const int sides = std::min(shrink, planetsRoom + shipsRoom);
  if (sides <= 0) return;
  const int fromPlanets = static_cast<int>(static_cast<int64_t>(sides) * planetsRoom /
                                           std::max(1, planetsRoom + shipsRoom));
  sizes[0] -= fromPlanets;
  sizes[2] -= sides - fromPlanets;
  // Below the side panels' minimum, the editor gives up the rest.
  sizes[1] -= shrink - sides;
  splitter_->setSizes(sizes);
}

bool TfrmOrders::eventFilter(QObject* watched, QEvent* event) {
  if (watched == splitter_ && event->type() == QEvent::Resize) {
    KeepEditorWidth(static_cast<QResizeEvent*>(event)->size().width());
    return TToolWindow::eventFilter(watched, event);
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_F5 || key == Qt::Key_F6) {
      AnalyseOrders();
      return true;
    }
    if (key == Qt::Key_F3) {
      FindNextPlanet();
      return true;
    }
    if (key == Qt::Key_F4) {
      FindNextGroup();
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonPress && watched == memo_->viewport()) {
    // A click moves both search starts to the clicked line (after the editor has moved the caret).
    QMetaObject::invokeMethod(
        this,
        [this] {
          planetSearchLine_ = memo_->CaretY() - 1;
          groupSearchPos_ = planetSearchLine_;
        },
        Qt::QueuedConnection);
  }
  return TToolWindow::eventFilter(watched, event);
}

void TfrmOrders::SetCaretLine(int line) {
  show();
  raise();
  memo_->setFocus();
  memo_->SetCaretXY({1, line + 1});
  memo_->SetBlockBegin({1, line + 1});
  memo_->EnsureCaretVisible();
}

int TfrmOrders::OrderLinesEnd() const {
  // The server reads no order after the end line: a search for orders stops there.
  const int end = IndexOfEndLine(lines_);
  return end < 0 ? lines_.Count() : end;
}

void TfrmOrders::AskFindPlanet() {
  if (auto text = AskText("Find Planet", "Planet name:", planetSearch_,
                          {TCodePage::Windows1252, "The planet name", "a search of the orders"})) {
    FindPlanetInOrders(*text);
  }
}

void TfrmOrders::FindPlanetInOrders(const std::string& planetName) {
  planetSearch_ = planetName;
  planetSearchLine_ = 1;  // never the header line
  FindNextPlanet();
}

bool TfrmOrders::FindNextPlanet() {
  if (planetSearch_.empty()) return false;
  for (int i = std::max(planetSearchLine_, 0); i < OrderLinesEnd(); ++i) {
    const std::string line = lines_.Line(i);
    if (!ContainsNoCase(line, planetSearch_, 0, nullptr)) continue;
    if (!service_.Analysis().PlanetOfCaretLine(line)) continue;
    SetCaretLine(i);
    planetSearchLine_ = i + 1;
    return true;
  }
  planetSearchLine_ = 0;
  return false;
}

void TfrmOrders::AskFindGroup() {
  auto text = AskText("Find Group", "Group nr:", groupSearch_,
                      {TCodePage::Latin1, "The group number", "a search of the orders"});
  if (!text) return;
  char* end = nullptr;
  const long number = std::strtol(text->c_str(), &end, 10);
  if (text->empty() || *end != '\0') {
    ui_.ShowMessage("'" + *text + "' is not a valid integer value");
    return;
  }
  FindGroupInOrders(static_cast<int>(number));
}

void TfrmOrders::FindGroupInOrders(int groupNumber) {
  groupSearch_ = std::to_string(groupNumber);
  groupSearchPos_ = 0;
  FindNextGroup();
}

bool TfrmOrders::FindNextGroup() {
  if (groupSearch_.empty()) return false;
  const int number = std::atoi(groupSearch_.c_str());
  for (int i = std::max(groupSearchPos_, 0); i < OrderLinesEnd(); ++i) {
    const std::string line = lines_.Line(i);
    size_t at = 0;
    if (!ContainsNoCase(line, groupSearch_, 0, &at)) continue;
    const TGroup* group = service_.Analysis().GroupOfLine(line);
    if (!group || group->GroupNumber != number) continue;
    show();
    raise();
    memo_->setFocus();
    memo_->SetCaretXY({static_cast<int>(at) + 1, i + 1});
    memo_->SetBlockBegin({static_cast<int>(at) + 1, i + 1});
    memo_->SetBlockEnd({static_cast<int>(at + groupSearch_.size()) + 1, i + 1});
    memo_->EnsureCaretVisible();
    groupSearchPos_ = i + 1;
    return true;
  }
  groupSearchPos_ = 0;
  return false;
}

// --- Create Order
// ----------------------------------------------------------------------------------

void TfrmOrders::ChangeRaceName() {
  const std::string own = state_.MainPlayer ? state_.MainPlayer->Name : std::string();
  auto name = AskText("Create Order", "Enter new race name", own,
                      {TCodePage::Windows1252, "The race name", "the orders"});
  if (!name || name->empty()) return;
  for (auto [key, race] : state_.Players) {
    if (SameText(race->Name, *name)) {
      ui_.ShowMessage("Player Name already used!");
      return;
    }
  }
  InsertOtherCommands("C " + *name);
  AnalyseAfterInsert();
}

void TfrmOrders::QuitGame() {
  if (!state_.MainPlayer || !ui_.AskYesNo("Are you sure to quit?")) return;
  InsertOtherCommands("Q " + state_.MainPlayer->Name);
  AnalyseAfterInsert();
}

void TfrmOrders::AskAndInsert(const QString& prompt, std::string_view what,
                              const std::string& command) {
  auto text = AskText("Create Order", prompt, {}, {TCodePage::Windows1252, what, "the orders"});
  if (!text || text->empty()) return;
  InsertOtherCommands(command + " " + *text);
  AnalyseAfterInsert();
}

// --- State
// -----------------------------------------------------------------------------------------

void TfrmOrders::LoadOwnState() {
  const std::string section = "game_" + GameSectionKey();
  TznSaveState& s = Store();
  serverAddress_ = s.ReadString(section, "GalaxyServerAdress", "");
  subject_ = s.ReadString(section, "Subject", "");
  openFileName_ = s.ReadString(section, "OpenDialog1.Filename", "");
  saveFileName_ = s.ReadString(section, "SaveDialog1.Filename", "");
  mniAuto_[0]->setChecked(s.ReadBool(section, "mniAutoInsertCommands.Checked", true));
  mniPlaceInOutbox_->setChecked(s.ReadBool(section, "mniPlaceinOutbox.Checked", false));
  mniStayOnTop_->setChecked(s.ReadBool(section, "mniStayOnTop.Checked", false));
  mniAuto_[1]->setChecked(s.ReadBool(section, "AutoInsertPlanetCommands.Checked", true));
  mniAuto_[2]->setChecked(s.ReadBool(section, "AutoInsertOtherCommands.Checked", true));
  mniAuto_[3]->setChecked(s.ReadBool(section, "AutoInsertRouteCommands.Checked", true));
  mniUseRoutes_->setChecked(s.ReadBool(section, "UseRoutesForDevelopment1.Checked", false));
  const int planets = s.ReadInteger(section, "pnlPlanets.Width", -1);
  const int orders = s.ReadInteger(section, "pnlOrders.Width", -1);
  if (planets >= 0 && orders > 0) {
    panelWidths_ = std::pair<int, int>{planets, orders};
    if (isVisible()) ApplyPanelWidths();
  }
  for (TznListView* list : lists_) {
    const std::string layout =
        s.ReadString(section, list->objectName().toStdString() + "_Order", "");
    if (!layout.empty()) list->SetColumnLayout(layout);
  }
  // Keywords and colours a user keeps in the store (nothing is written there).
  highlighter_->LoadFromStore(s, kOrdersHighlighterKey);
}

void TfrmOrders::SaveOwnState() {
  const std::string section = "game_" + GameSectionKey();
  TznSaveState& s = Store();
  s.WriteString(section, "GalaxyServerAdress", serverAddress_);
  s.WriteString(section, "Subject", subject_);
  s.WriteString(section, "OpenDialog1.Filename", openFileName_);
  s.WriteString(section, "SaveDialog1.Filename", saveFileName_);
  s.WriteBool(section, "mniAutoInsertCommands.Checked", mniAuto_[0]->isChecked());
  s.WriteBool(section, "mniPlaceinOutbox.Checked", mniPlaceInOutbox_->isChecked());
  s.WriteBool(section, "mniStayOnTop.Checked", mniStayOnTop_->isChecked());
  s.WriteBool(section, "AutoInsertPlanetCommands.Checked", mniAuto_[1]->isChecked());
  s.WriteBool(section, "AutoInsertOtherCommands.Checked", mniAuto_[2]->isChecked());
  s.WriteBool(section, "AutoInsertRouteCommands.Checked", mniAuto_[3]->isChecked());
  s.WriteBool(section, "UseRoutesForDevelopment1.Checked", mniUseRoutes_->isChecked());
  const QList<int> sizes = splitter_->sizes();
  if (panelWidths_) {
    s.WriteInteger(section, "pnlPlanets.Width", panelWidths_->first);
    s.WriteInteger(section, "pnlOrders.Width", panelWidths_->second);
  } else if (sizes.size() == 3) {
    s.WriteInteger(section, "pnlPlanets.Width", sizes[0]);
    s.WriteInteger(section, "pnlOrders.Width", sizes[1]);
  }
  for (TznListView* list : lists_) {
    std::string layout;
    if (list->GetColumnLayout(layout))
      s.WriteString(section, list->objectName().toStdString() + "_Order", layout);
  }
}

}  // namespace tovix
