#include "windows/frame/config_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/directory_edit.h"
#include "controls/spin_edit.h"
#include "core/base/errors.h"
#include "core/settings/game_variant.h"
#include "platform/desktop_entry.h"
#include "platform/file_names.h"
#include "platform/latin1.h"
#include "platform/typed_text.h"
#include "windows/base/modal_loop.h"
#include "windows/frame/window_catalogue.h"

namespace tovix {

namespace fs = std::filesystem;

namespace {

// The dialog's caption and help context are those of its catalogue row.
const TWindowEntry& Row() {
  return *FindWindowEntry("frmConfigIni");
}

// Texts of the file are bytes; names show as Latin-1, paths as the file system encodes them.
QString FromPath(const std::string& s) {
  return FileNameText(s);
}
std::string ToPath(const QString& s) {
  return FileNameBytes(s);
}

// The game's name and letters are compared with the reports' Latin-1 texts.
constexpr TTextTarget kNameTarget{TCodePage::Latin1, "The game name", "Tovix.ini"};
constexpr TTextTarget kUsedCharsTarget{TCodePage::Latin1, "The report letters", "Tovix.ini"};

TRxSpinEdit* MakeSpinEdit(const char* name, int minValue, int maxValue, QWidget* parent) {
  auto* edit = new TRxSpinEdit(parent);
  edit->setObjectName(name);
  edit->SetValueType(vtInteger);
  edit->SetMinValue(minValue);
  edit->SetMaxValue(maxValue);
  edit->SetAsInteger(minValue);
  return edit;
}

// The value as the edit's range allows it: a typed value is only clamped when the edit loses
// the focus, and Save may come first.
int32_t SpinValue(const TRxSpinEdit* edit) {
  const int32_t lo = static_cast<int32_t>(edit->MinValue());
  const int32_t hi = static_cast<int32_t>(edit->MaxValue());
  return std::clamp(static_cast<int32_t>(edit->GetAsInteger()), lo, hi);
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(FromLatin1(caption), parent);
  button->setObjectName(name);
  return button;
}

QLabel* MakeLabel(const char* caption, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(FromLatin1(caption), parent);
  label->setBuddy(buddy);
  return label;
}

QString DefaultReportPicker(QWidget* parent, const QString& startFolder) {
  return QFileDialog::getOpenFileName(parent, QString(), startFolder);
}

}  // namespace

TShortcutMaker DesktopShortcutMaker() {
  return [](const TGameShortcut& shortcut) {
    const fs::path desktop = GetDesktopFolder(false);
    if (desktop.empty()) throw TovixError("There is no desktop folder to put the shortcut in.");
    TShellLink link;
    link.Name = shortcut.GameName;
    link.Target = fs::path(ToPath(QCoreApplication::applicationFilePath()));
    link.Arguments = {shortcut.GameSection};
    link.WorkingFolder = fs::path(shortcut.ProgramFolder);
    link.Description = "Tovix " + shortcut.GameName;
    CreateShellLink(desktop, link);
  };
}

TfrmConfigIni::TfrmConfigIni(TznSaveState& store, const fs::path& programFolder, UserInterface& ui,
                             QWidget* parent)
    : TToolWindow(Row().StateName, Row().HelpContext, store, parent),
      ini_(OpenGameConfigFile(programFolder)),
      ui_(ui),
      makeShortcut_(DesktopShortcutMaker()),
      pickReport_(DefaultReportPicker) {
  BuildForm();
  UpdateButtons();
}

TfrmConfigIni::~TfrmConfigIni() = default;

void TfrmConfigIni::BuildForm() {
  lbxGames_ = new QListWidget(this);
  lbxGames_->setObjectName("lbxGames");
  lbxGames_->setSelectionMode(QAbstractItemView::SingleSelection);
  lblDefaultGame_ = new QLabel(QStringLiteral("0"), this);
  lblDefaultGame_->setObjectName("lblDefaultGame");

  edtName_ = new QLineEdit(this);
  edtName_->setObjectName("edtName");
  edtDirectory_ = new TDirectoryEdit(this);
  edtDirectory_->setObjectName("edtDirectory");
  edtFileMask_ = new QLineEdit(this);
  edtFileMask_->setObjectName("edtFileMask");
  edtFileExtension_ = new QLineEdit(this);
  edtFileExtension_->setObjectName("edtFileExtension");
  edtUsedChars_ = new QLineEdit(this);
  edtUsedChars_->setObjectName("edtUsedChars");
  cbxGameType_ = new QComboBox(this);
  cbxGameType_->setObjectName("cbxGameType");
  for (std::string_view name : kGameTypeNames) cbxGameType_->addItem(FromLatin1(std::string(name)));
  cbxMapType_ = new QComboBox(this);
  cbxMapType_->setObjectName("cbxMapType");
  for (std::string_view name : kMapTypeNames) cbxMapType_->addItem(FromLatin1(std::string(name)));
  edtMapSize_ = MakeSpinEdit("edtMapSize", 10, 20000, this);
  edtMapSize_->SetAsInteger(100);
  edtSkipPlanetsUntil_ = MakeSpinEdit("edtSkipPlanetsUntil", 0, 200, this);
  edtSkipBattlesUntil_ = MakeSpinEdit("edtSkipBattlesUntil", 0, 200, this);
  edtUseCountMethod_ = MakeSpinEdit("edtUseCountMethod", 0, 200, this);
  edtTurn0HabitedPlanetsSize_ = MakeSpinEdit("edtTurn0HabitedPlanetsSize", 0, 100000, this);
  edtTurn0HabitedPlanetsSize2nd_ = MakeSpinEdit("edtTurn0HabitedPlanetsSize2nd", 0, 100000, this);
  CheckBox1_ = new QCheckBox(QStringLiteral("Use MDI Style"), this);
  CheckBox1_->setObjectName("CheckBox1");

  btnMakeDefault_ = MakeButton("btnMakeDefault", "Make Current game Default", this);
  btnSave_ = MakeButton("btnSave", "&Save", this);
  btnNew_ = MakeButton("btnNew", "&New", this);
  btnClose_ = MakeButton("btnClose", "Close", this);
  btnCreateShortcutOnDesktop_ =
      MakeButton("btnCreateShortcutOnDesktop", "Create Shortcut &On Desktop", this);
  btnAddAllyTurnReports_ = MakeButton("btnAddAllyTurnReports", "Add &Ally Turn Reports", this);

  auto* games = new QVBoxLayout;
  games->addWidget(MakeLabel("&Games:", lbxGames_, this));
  games->addWidget(lbxGames_, 1);
  auto* defaultGame = new QHBoxLayout;
  defaultGame->addWidget(new QLabel(QStringLiteral("Default game:"), this));
  defaultGame->addWidget(lblDefaultGame_, 1);
  games->addLayout(defaultGame);

  auto* fields = new QFormLayout;
  fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  edtDirectory_->setMinimumWidth(280);
  fields->addRow(MakeLabel("Na&me:", edtName_, this), edtName_);
  fields->addRow(MakeLabel("&Directory:", edtDirectory_, this), edtDirectory_);
  fields->addRow(MakeLabel("File Mas&k:", edtFileMask_, this), edtFileMask_);
  fields->addRow(MakeLabel("File &Extension:", edtFileExtension_, this), edtFileExtension_);
  fields->addRow(MakeLabel("&Used Characters:", edtUsedChars_, this), edtUsedChars_);
  fields->addRow(MakeLabel("Game &Type:", cbxGameType_, this), cbxGameType_);
  fields->addRow(MakeLabel("Ma&p Type:", cbxMapType_, this), cbxMapType_);
  fields->addRow(MakeLabel("Map S&ize:", edtMapSize_, this), edtMapSize_);
  fields->addRow(MakeLabel("Skip Planets Until Tu&rn:", edtSkipPlanetsUntil_, this),
                 edtSkipPlanetsUntil_);
  fields->addRow(MakeLabel("Skip &Battles Until Turn:", edtSkipBattlesUntil_, this),
                 edtSkipBattlesUntil_);
  fields->addRow(MakeLabel("Use &Counting Method for # turns:", edtUseCountMethod_, this),
                 edtUseCountMethod_);
  fields->addRow(MakeLabel("Habited Planets Size for the &last\nplanet in the cluster (or all):",
                           edtTurn0HabitedPlanetsSize_, this),
                 edtTurn0HabitedPlanetsSize_);
  fields->addRow(MakeLabel("Habited Planet Size for other than the\nlast planet in the cluster:",
                           edtTurn0HabitedPlanetsSize2nd_, this),
                 edtTurn0HabitedPlanetsSize2nd_);
  fields->addRow(QString(), CheckBox1_);

  auto* top = new QHBoxLayout;
  top->addLayout(games, 1);
  top->addLayout(fields, 2);

  auto* buttons = new QGridLayout;
  buttons->addWidget(btnNew_, 0, 0);
  buttons->addWidget(btnSave_, 0, 1);
  buttons->addWidget(btnMakeDefault_, 0, 2);
  buttons->addWidget(btnAddAllyTurnReports_, 1, 0);
  buttons->addWidget(btnCreateShortcutOnDesktop_, 1, 1);
  buttons->addWidget(btnClose_, 1, 2);

  auto* all = new QVBoxLayout(this);
  all->addLayout(top, 1);
  all->addLayout(buttons);

  connect(lbxGames_, &QListWidget::itemSelectionChanged, this, &TfrmConfigIni::lbxGamesClick);
  // A click on the game already selected reads it again, dropping unsaved edits.
  connect(lbxGames_, &QListWidget::itemClicked, this, &TfrmConfigIni::lbxGamesClick);
  connect(btnSave_, &QPushButton::clicked, this, &TfrmConfigIni::btnSaveClick);
  connect(btnMakeDefault_, &QPushButton::clicked, this, &TfrmConfigIni::btnMakeDefaultClick);
  connect(btnNew_, &QPushButton::clicked, this, &TfrmConfigIni::btnNewClick);
  connect(btnClose_, &QPushButton::clicked, this, &TfrmConfigIni::btnCloseClick);
  connect(btnCreateShortcutOnDesktop_, &QPushButton::clicked, this,
          &TfrmConfigIni::btnCreateShortcutOnDesktopClick);
  connect(btnAddAllyTurnReports_, &QPushButton::clicked, this,
          &TfrmConfigIni::btnAddAllyTurnReportsClick);
  // Only the user's click writes; setting the box from a game does not.
  connect(CheckBox1_, &QCheckBox::clicked, this, &TfrmConfigIni::CheckBox1Click);
}

template <class Action>
void TfrmConfigIni::Guarded(Action action) {
  try {
    action();
  } catch (const TovixError& e) {
    ui_.ShowMessage(e.what());
  }
}

std::string TfrmConfigIni::SelectedGame() const {
  const QList<QListWidgetItem*> selected = lbxGames_->selectedItems();
  return selected.size() == 1 ? ToLatin1(selected.front()->text()) : std::string();
}

void TfrmConfigIni::FillGameList() {
  const QSignalBlocker blocker(lbxGames_);
  lbxGames_->clear();
  for (const std::string& section : ListGameSections(ini_)) lbxGames_->addItem(FromLatin1(section));
  UpdateButtons();
}

void TfrmConfigIni::SelectGame(const std::string& section) {
  const QList<QListWidgetItem*> found = lbxGames_->findItems(FromLatin1(section), Qt::MatchExactly);
  if (found.isEmpty()) {
    lbxGames_->clearSelection();
    return;
  }
  lbxGames_->setCurrentItem(found.front());
  found.front()->setSelected(true);
}

void TfrmConfigIni::ShowGame(const TGameConfig& c) {
  edtName_->setText(FromLatin1(c.Name));
  edtDirectory_->setText(FromPath(c.Directory));
  edtFileMask_->setText(FromPath(c.FileMask));
  edtFileExtension_->setText(FromPath(c.FileExtension));
  edtUsedChars_->setText(FromLatin1(c.UsedChars));
  cbxGameType_->setCurrentIndex(c.GameType ? static_cast<int>(*c.GameType) : -1);
  cbxMapType_->setCurrentIndex(c.MapType ? static_cast<int>(*c.MapType) : -1);
  edtMapSize_->SetAsInteger(c.MapSize);
  edtSkipPlanetsUntil_->SetAsInteger(c.SkipPlanetsUntilTurn);
  edtSkipBattlesUntil_->SetAsInteger(c.SkipBattlesUntilTurn);
  edtUseCountMethod_->SetAsInteger(c.UseCountMethod);
  edtTurn0HabitedPlanetsSize_->SetAsInteger(c.Turn0HabitedPlanetsSize);
  edtTurn0HabitedPlanetsSize2nd_->SetAsInteger(c.Turn0HabitedPlanetsSize2nd);
  CheckBox1_->setChecked(c.UseMDIStyle);
}

std::optional<TGameConfig> TfrmConfigIni::FieldsToConfig() const {
  TGameConfig c;
  const std::optional<std::string> name = TakeTypedText(edtName_->text(), kNameTarget, ui_);
  if (!name) return std::nullopt;
  const std::optional<std::string> usedChars =
      TakeTypedText(edtUsedChars_->text(), kUsedCharsTarget, ui_);
  if (!usedChars) return std::nullopt;
  c.Name = *name;
  c.Directory = ToPath(edtDirectory_->text());
  c.FileMask = ToPath(edtFileMask_->text());
  c.FileExtension = ToPath(edtFileExtension_->text());
  c.UsedChars = *usedChars;
  const int gameType = cbxGameType_->currentIndex();
  if (gameType >= 0) c.GameType = static_cast<TGameType>(gameType);
  const int mapType = cbxMapType_->currentIndex();
  if (mapType >= 0) c.MapType = static_cast<TMapType>(mapType);
  c.MapSize = SpinValue(edtMapSize_);
  c.SkipPlanetsUntilTurn = SpinValue(edtSkipPlanetsUntil_);
  c.SkipBattlesUntilTurn = SpinValue(edtSkipBattlesUntil_);
  c.UseCountMethod = SpinValue(edtUseCountMethod_);
  c.Turn0HabitedPlanetsSize = SpinValue(edtTurn0HabitedPlanetsSize_);
  c.Turn0HabitedPlanetsSize2nd = SpinValue(edtTurn0HabitedPlanetsSize2nd_);
  c.UseMDIStyle = CheckBox1_->isChecked();
  return c;
}

void TfrmConfigIni::UpdateButtons() {
  // These act on one game; with none selected they would write a section without a number.
  const bool selected = !SelectedGame().empty();
  btnSave_->setEnabled(selected);
  btnMakeDefault_->setEnabled(selected);
  btnCreateShortcutOnDesktop_->setEnabled(selected);
  btnAddAllyTurnReports_->setEnabled(selected);
}

void TfrmConfigIni::showEvent(QShowEvent* event) {
  TToolWindow::showEvent(event);
  if (listsRead_) return;
  listsRead_ = true;
  Guarded([&] {
    lblDefaultGame_->setText(FromLatin1(ReadDefaultGame(ini_)));
    FillGameList();
    SelectGame(currentSection_);
    if (SelectedGame().empty()) ShowGame(ReadGameConfig(ini_, currentSection_));
  });
}

void TfrmConfigIni::lbxGamesClick() {
  const std::string section = SelectedGame();
  UpdateButtons();
  if (!section.empty()) Guarded([&] { ShowGame(ReadGameConfig(ini_, section)); });
}

void TfrmConfigIni::btnSaveClick() {
  const std::string section = SelectedGame();
  if (section.empty()) return;
  // A field the file cannot hold writes nothing; the dialog keeps the text for correction.
  const std::optional<TGameConfig> config = FieldsToConfig();
  if (!config) return;
  Guarded([&] { WriteGameConfig(ini_, section, *config); });
}

void TfrmConfigIni::btnMakeDefaultClick() {
  const std::string section = SelectedGame();
  if (section.empty()) return;
  Guarded([&] {
    MakeDefaultGame(ini_, section);
    lblDefaultGame_->setText(FromLatin1(section));
  });
}

void TfrmConfigIni::btnNewClick() {
  const QString file = pickReport_ ? pickReport_(this, edtDirectory_->text()) : QString();
  if (file.isEmpty()) return;
  Guarded([&] {
    AddGameFromReport(ini_, fs::path(ToPath(file)), ui_, makeShortcut_,
                      [this](const std::string& section) {
                        FillGameList();
                        SelectGame(section);
                      });
  });
}

void TfrmConfigIni::btnCloseClick() {
  ui_.ShowMessage(std::string(kRestartMessage));
  close();
}

void TfrmConfigIni::btnCreateShortcutOnDesktopClick() {
  const std::string section = SelectedGame();
  if (section.empty()) return;
  const std::optional<std::string> name = TakeTypedText(edtName_->text(), kNameTarget, ui_);
  if (!name) return;
  CreateGameShortcut(GameShortcutFor(ini_, section, *name), makeShortcut_, ui_);
}

void TfrmConfigIni::btnAddAllyTurnReportsClick() {
  const std::string section = SelectedGame();
  if (section.empty()) return;
  Guarded([&] {
    std::optional<TGameConfig> config = FieldsToConfig();
    if (config && AddAllyTurnReports(ini_, section, *config, ui_))
      edtUsedChars_->setText(FromLatin1(config->UsedChars));
  });
}

void TfrmConfigIni::CheckBox1Click(bool checked) {
  Guarded([&] { WriteUseMDIStyle(ini_, checked); });
}

void TfrmConfigIni::LoadState() {
  if (!startupMode_) TToolWindow::LoadState();
}

void TfrmConfigIni::SaveState() {
  if (!startupMode_) TToolWindow::SaveState();
}

void TfrmConfigIni::RunStartupMode() {
  startupMode_ = true;
  hide();
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowModality(Qt::ApplicationModal);
  setWindowState(Qt::WindowNoState);
  adjustSize();
  setFixedSize(size());
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
  RunModally(*this);
}

}  // namespace tovix
