#include "windows/orders_window.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "controls/zn_list_view.h"
#include "core/file_utils.h"
#include "core/game_variant.h"
#include "core/str_utils.h"
#include "editors/order_highlighter.h"
#include "editors/text_codec.h"
#include "editors/text_editor.h"
#include "orders/order_commands.h"
#include "orders/order_text.h"
#include "platform/latin1.h"
#include "windows/window_catalogue.h"
#include "windows/window_registry.h"

namespace tovix {

namespace fs = std::filesystem;

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
  editor_.Lines().Put(index, Windows1252ToEdit(text));
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

TfrmOrders::TfrmOrders(const TWindowEntry& entry, TWindowRegistry& windows, QWidget* parent)
    : TToolWindow(entry.StateName, entry.HelpContext, windows.Context().Store, parent),
      windows_(windows),
      state_(windows.Context().State),
      ui_(windows.Context().Ui),
      programFolder_(windows.Context().ProgramFolder),
      memo_(new TTextEditor(this)),
      highlighter_(MakeOrdersWindowHighlighter()),
      lines_(*memo_),
      service_(state_, lines_, *this, planner_) {
  service_.Listener = this;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QMenuBar(this);
  layout->setMenuBar(bar);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  layout->addWidget(splitter);
  pnlPlanets_ = new QTabWidget(splitter);
  pnlPlanets_->setObjectName("pnlPlanets");
  AddList(pnlPlanets_, "lvDeveloping", "Developing", {"Planet", "COL turns", "CAP turns", "Sizes"});
  AddList(pnlPlanets_, "lvToTransport", "To Transport",
          {"Planet", "COL now", "COL next", "CAP now", "CAP next", "MAT now", "MAT next"},
          "COL and CAP this, and next turn on those planets");
  lvToDevelop_ = AddList(pnlPlanets_, "lvToDevelop", "To Develop",
                         {"Planet", "Size", "Population", "Industry", "Max Mass"},
                         "Planets owned by you but not fully developed");

  auto* pnlOrders = new QWidget(splitter);
  pnlOrders->setObjectName("pnlOrders");
  auto* ordersLayout = new QVBoxLayout(pnlOrders);
  ordersLayout->setContentsMargins(0, 0, 0, 0);
  memo_->setParent(pnlOrders);
  memo_->setObjectName("Memo1");
  memo_->SetHighLighter(highlighter_.get());
  ordersLayout->addWidget(memo_);
  btnAnalyse_ = new QPushButton("&Analyse", pnlOrders);
  btnAnalyse_->setObjectName("btnAnalyse");
  btnAnalyse_->setToolTip("Analyse orders");
  ordersLayout->addWidget(btnAnalyse_);
  connect(btnAnalyse_, &QPushButton::clicked, this, [this] { AnalyseOrders(); });

  pnlShips_ = new QTabWidget(splitter);
  pnlShips_->setObjectName("pnlShips");
  // "To Do" and "Loaded \ Sent" are the cargo planner's lists (placeholders: it plans nothing
  // until it is built).
  AddList(pnlShips_, "lvToDo", "To Do",
          {"Group", "Nr.", "Eff Cargo", "Speed", "Planet", "COL", "CAP"},
          "Right click to add order for this group");
  AddList(pnlShips_, "lvLoadedSend", "Loaded \\ Sent",
          {"Group", "Nr.", "Cargo", "Spd Loaded", "Dest", "Distance left"},
          "This cargo ships are loaded");
  lvSendedShips_ =
      AddList(pnlShips_, "lvSendedShips", "Sent Ships",
              {"Group", "Nr.", "From", "To", "Dist", "Speed", "Rest"}, "Those groups are send");
  lvShipsInProduction_ =
      AddList(pnlShips_, "lvShipsInProduction", "Ships In Production",
              {"Name", "Ship Type", "Number Present", "Numer Present with Last Techs"},
              "On the last turn, those planets produced those shiptypes");
  splitter->setStretchFactor(1, 1);
  pnlShips_->setCurrentWidget(lvSendedShips_);
  pnlPlanets_->setCurrentWidget(lvToDevelop_);

  // A click shows the planet, a double click finds it in the orders.
  connect(lvToDevelop_, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
    const int row = lvToDevelop_->Rows().SourceRow(i.row());
    if (row >= 0 && row < static_cast<int>(toDevelop_.size()))
      ShowPlanet(toDevelop_[static_cast<size_t>(row)].Planet);
  });
  connect(lvToDevelop_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
    const int row = lvToDevelop_->Rows().SourceRow(i.row());
    if (row >= 0 && row < static_cast<int>(toDevelop_.size()))
      FindPlanetInOrders(toDevelop_[static_cast<size_t>(row)].Name);
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
  auto productionPlanet = [this](const QModelIndex& i) -> TPlanet* {
    const int row = lvShipsInProduction_->Rows().SourceRow(i.row());
    if (row < 0 || row >= static_cast<int>(state_.ShipsInProduction.size())) return nullptr;
    return state_.PlanetByName(state_.ShipsInProduction[static_cast<size_t>(row)]->PlanetName);
  };
  connect(lvShipsInProduction_, &QAbstractItemView::clicked, this,
          [this, productionPlanet](const QModelIndex& i) { ShowPlanet(productionPlanet(i)); });
  connect(lvShipsInProduction_, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& i) {
            const int row = lvShipsInProduction_->Rows().SourceRow(i.row());
            if (row >= 0 && row < static_cast<int>(state_.ShipsInProduction.size()))
              FindPlanetInOrders(state_.ShipsInProduction[static_cast<size_t>(row)]->PlanetName);
          });

  BuildMenus(bar);
  BuildEditorPopup();
  memo_->installEventFilter(this);
  memo_->viewport()->installEventFilter(this);
  resize(900, 520);
}

TfrmOrders::~TfrmOrders() {
  // At exit: the editor lines go to the automatic orders file.
  if (automaticLoaded_) SaveAutomaticOrders();
  memo_->SetHighLighter(nullptr);
}

TznListView* TfrmOrders::AddList(QTabWidget* tabs, const char* name, const QString& tab,
                                 const QStringList& captions, const QString& hint) {
  auto* list = new TznListView(tabs);
  list->setObjectName(name);
  std::vector<int> widths(static_cast<size_t>(captions.size()), 70);
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

void TfrmOrders::BuildMenus(QMenuBar* bar) {
  QMenu* view = bar->addMenu("View");
  mniStayOnTop_ = view->addAction("Stay on &Top");
  mniStayOnTop_->setCheckable(true);
  connect(mniStayOnTop_, &QAction::toggled, this, [this](bool on) {
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) showNormal();
  });
  connect(view->addAction("&Hide"), &QAction::triggered, this, [this] { showMinimized(); });

  QMenu* mail = bar->addMenu("Mail Settings");
  connect(mail->addAction("Galaxy Server &Adress"), &QAction::triggered, this, [this] {
    if (auto text = AskText("Galaxy Server adress", "Enter Galaxy Server adress", serverAddress_))
      serverAddress_ = *text;
  });
  connect(mail->addAction("&Subject"), &QAction::triggered, this, [this] {
    if (auto text = AskText("Order subject", "Enter subject line of order", subject_))
      subject_ = *text;
  });
  mniPlaceInOutbox_ = mail->addAction("Place in &Outbox");
  mniPlaceInOutbox_->setCheckable(true);
  mail->addSeparator();
  connect(mail->addAction("Mail &Program and Server..."), &QAction::triggered, this,
          [this] { EditMailSettings(); });

  QMenu* options = bar->addMenu("Options");
  const char* autoNames[4] = {"Auto Insert &Group Commands", "Auto Insert &Planet Commands",
                              "Auto Insert &Other Commands", "Auto Insert &Route Commands"};
  bool* autoFlags[4] = {&service_.Options.Group, &service_.Options.Planet, &service_.Options.Other,
                        &service_.Options.Route};
  for (int i = 0; i < 4; ++i) {
    mniAuto_[i] = options->addAction(autoNames[i]);
    mniAuto_[i]->setCheckable(true);
    mniAuto_[i]->setChecked(*autoFlags[i]);
    bool* flag = autoFlags[i];
    connect(mniAuto_[i], &QAction::toggled, this, [flag](bool on) { *flag = on; });
  }
  mniUseRoutes_ = options->addAction("Use Routes For Development");
  mniUseRoutes_->setCheckable(true);
  connect(mniUseRoutes_, &QAction::toggled, this,
          [this](bool on) { service_.UseRoutesForDevelopment = on; });

  QMenu* newTurn = bar->addMenu("New Turn");
  const std::pair<const char*, TOrderSection> clears[4] = {
      {"&Delete Auto Insert Group Commands", TOrderSection::Group},
      {"Delete Auto Insert &Planet Commands", TOrderSection::Planet},
      {"Delete Auto Insert &Other Commands", TOrderSection::Other},
      {"Delete Auto Insert &Route Commands", TOrderSection::Route}};
  for (const auto& [caption, section] : clears) {
    const TOrderSection s = section;
    connect(newTurn->addAction(caption), &QAction::triggered, this,
            [this, s] { ClearSectionAndAnalyse(s); });
  }
  newTurn->addSeparator();
  mniInsertFindCommands_ = newTurn->addAction("&Insert Find Commands");
  connect(mniInsertFindCommands_, &QAction::triggered, this,
          [this] { InsertFindCommands(lines_, state_); });
  connect(newTurn->addAction("Delete Known &Shiptypes From Orders"), &QAction::triggered, this,
          [this] { DeleteKnownShipTypes(lines_, state_); });
  connect(newTurn->addAction("Decrement Turn &Counter"), &QAction::triggered, this,
          [this] { DecrementTurnCounters(lines_); });
  connect(newTurn->addAction("&All Above"), &QAction::triggered, this,
          [this] { service_.AllAbove(); });
}

void TfrmOrders::BuildEditorPopup() {
  popup_ = new QMenu(this);
  QAction* cut = popup_->addAction("C&ut", this, [this] { memo_->CutToClipboard(); });
  cut->setShortcut(QKeySequence("Ctrl+X"));
  QAction* copy = popup_->addAction("&Copy", this, [this] { memo_->CopyToClipboard(); });
  copy->setShortcut(QKeySequence("Ctrl+C"));
  QAction* paste = popup_->addAction("&Paste", this, [this] { memo_->PasteFromClipboard(); });
  paste->setShortcut(QKeySequence("Ctrl+V"));
  connect(popup_, &QMenu::aboutToShow, this, [this, cut, copy, paste] {
    cut->setEnabled(memo_->SelAvail());
    copy->setEnabled(memo_->SelAvail());
    const QClipboard* clipboard = QGuiApplication::clipboard();
    paste->setEnabled(clipboard && !clipboard->text().isEmpty());
  });
  QMenu* search = popup_->addMenu("Search And View");
  search->addAction("&View Planet in Map", QKeySequence("Ctrl+S"), this, [this] {
    if (const TOrderAnalysis* a = LastAnalysis())
      ShowPlanet(a->PlanetOfCaretLine(lines_.Line(memo_->CaretY() - 1)));
  });
  search->addAction("&Find Planet in Orders", QKeySequence("Ctrl+F"), this,
                    [this] { AskFindPlanet(); });
  search->addAction("Find &Next Planet in Orders", QKeySequence("Ctrl+N"), this,
                    [this] { FindNextPlanet(); });
  search->addAction("Find &Group in Orders", QKeySequence("Ctrl+G"), this,
                    [this] { AskFindGroup(); });
  search->addAction("Find Next Group in Orders", QKeySequence("Ctrl+M"), this,
                    [this] { FindNextGroup(); });
  popup_->addAction("Mail orders", this, [this] { MailOrders(); })
      ->setToolTip("When the mail settings are set, and orders produced, use this to send them");
  QMenu* save = popup_->addMenu("Save Orders");
  save->addAction("Normal (CR/LF)", this, [this] { SaveOrdersDialog(TOrderLineEnds::CrLf); });
  save->addAction("Save orders (CR only)", this,
                  [this] { SaveOrdersDialog(TOrderLineEnds::CrOnly); });
  save->addAction("Save orders (LF only)", this,
                  [this] { SaveOrdersDialog(TOrderLineEnds::LfOnly); });
  popup_->addAction("Load orders", this, [this] { LoadOrdersDialog(); })
      ->setToolTip("Load from text file");
  QMenu* create = popup_->addMenu("&Create Order");
  create->addAction("Change &Race Name", QKeySequence("Ctrl+R"), this,
                    [this] { ChangeRaceName(); });
  create->addAction("&Quit Game", QKeySequence("Ctrl+Q"), this, [this] { QuitGame(); });
  create->addAction("Change &email adress", QKeySequence("Ctrl+E"), this,
                    [this] { AskAndInsert("Enter new email adress", "Z"); });
  mniChangePassword_ = create->addAction("Change Password", this,
                                         [this] { AskAndInsert("Enter new password", "Y"); });
  for (QAction* a : popup_->actions()) a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  memo_->SetPopupMenu(popup_);
  addActions(search->actions());
  addActions(create->actions());
  addAction(cut);
  addAction(copy);
  addAction(paste);
  for (QAction* a : actions()) a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
}

std::optional<std::string> TfrmOrders::AskText(const QString& caption, const QString& prompt,
                                               const std::string& preset) {
  if (askText_) return askText_(caption, prompt, preset);
  bool ok = false;
  const QString text =
      QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, FromLatin1(preset), &ok);
  if (!ok) return std::nullopt;
  return ToLatin1(text);
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
  // After every analysis the text is safe on disk.
  if (automaticLoaded_) SaveAutomaticOrders();
  windows_.Events().OrdersAnalysed();
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
  if ((changes & gcGameRead) != 0) FillShipsInProduction();
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
  const std::filesystem::path file = AutomaticFile();
  if (file.empty()) return true;
  try {
    WriteOrderFile(file, lines_, TOrderLineEnds::CrLf);
    return true;
  } catch (const std::exception& e) {
    ui_.ShowMessage(std::string("The orders could not be saved: ") + e.what());
    return false;
  }
}

bool TfrmOrders::LoadOrderFile(const std::filesystem::path& file) {
  std::string bytes;
  try {
    bytes = LoadFileToString(file);
  } catch (const std::exception& e) {
    ui_.ShowMessage(e.what());
    return false;
  }
  std::vector<TEditString> lines;
  for (const std::string& line : SplitOrderFileBytes(bytes))
    lines.push_back(Windows1252ToEdit(line));
  memo_->Lines().Assign(std::move(lines));
  memo_->ClearUndo();
  memo_->SetCaretXY({1, 1});
  memo_->SetBlockBegin({1, 1});
  return true;
}

bool TfrmOrders::SaveOrderFile(const std::filesystem::path& file, TOrderLineEnds ends) {
  try {
    WriteOrderFile(file, lines_, ends);
  } catch (const std::exception& e) {
    ui_.ShowMessage(std::string("The orders could not be saved: ") + e.what());
    return false;
  }
  ui_.ShowMessage("Text is Saved");
  return true;
}

void TfrmOrders::SaveOrders(const std::string& fileName) {
  // Until the automatic orders are loaded the editor does not hold them: writing now would
  // overwrite the user's orders with nothing.
  if (!automaticLoaded_ && fs::path(fileName) == AutomaticFile()) return;
  try {
    WriteOrderFile(fileName, lines_, TOrderLineEnds::CrLf);
  } catch (const std::exception& e) {
    ui_.ShowMessage(std::string("The orders could not be saved: ") + e.what());
  }
}

void TfrmOrders::LoadAutomaticOrders() {
  const std::filesystem::path file = AutomaticFile();
  if (!file.empty() && std::filesystem::exists(file)) LoadOrderFile(file);
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
  const QString name = QFileDialog::getOpenFileName(this, "Load orders", FromLatin1(openFileName_),
                                                    "Text Files(*.txt; *.asc) (*.txt *.asc)");
  if (name.isEmpty()) return;
  openFileName_ = ToLatin1(name);
  if (std::filesystem::exists(openFileName_)) LoadOrderFile(openFileName_);
}

void TfrmOrders::SaveOrdersDialog(TOrderLineEnds ends) {
  QFileDialog dialog(this, "Save Orders", FromLatin1(saveFileName_),
                     "Text Files(*.txt; *.asc) (*.txt *.asc)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("txt");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  saveFileName_ = ToLatin1(dialog.selectedFiles().front());
  SaveOrderFile(saveFileName_, ends);
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

bool TfrmOrders::eventFilter(QObject* watched, QEvent* event) {
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

void TfrmOrders::AskFindPlanet() {
  if (auto text = AskText("Find Planet", "Planet name:", planetSearch_)) {
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
  for (int i = std::max(planetSearchLine_, 0); i < lines_.Count(); ++i) {
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
  auto text = AskText("Find Group", "Group nr:", groupSearch_);
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
  for (int i = std::max(groupSearchPos_, 0); i < lines_.Count(); ++i) {
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
  auto name = AskText("Create Order", "Enter new race name", own);
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

void TfrmOrders::AskAndInsert(const QString& prompt, const std::string& command) {
  auto text = AskText("Create Order", prompt, {});
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
  for (TznListView* list : lists_) {
    const std::string layout =
        s.ReadString(section, list->objectName().toStdString() + "_Order", "");
    if (!layout.empty()) list->SetColumnLayout(layout);
  }
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
  for (TznListView* list : lists_) {
    std::string layout;
    if (list->GetColumnLayout(layout))
      s.WriteString(section, list->objectName().toStdString() + "_Order", layout);
  }
}

}  // namespace tovix
