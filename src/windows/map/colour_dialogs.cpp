#include "windows/map/colour_dialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "platform/latin1.h"
#include "windows/map/map_painter.h"

namespace tovix {

namespace {

struct TPanelRow {
  TSchemeColour Colour;
  const char* Label;
};

// The panels in the dialog's order; two-line labels show as their two lines.
constexpr TPanelRow kPanels[] = {
    {scBackGround, "BackGround Color"},
    {scUnInSizeUnk, "Uninhabited Planets\nSize unknown"},
    {scUnInSizeKnown, "Uninhabited Planets\nSize known"},
    {scPlayerPlanets, "Player planets"},
    {scHabSizeUnk, "Habited Planets\nSize unknown"},
    {scIncomingGroups, "Incoming Groups\nUnTraveled part"},
    {scNameOfPlanets, "Names of planets"},
    {scBarPopulation, "Population Bar"},
    {scBarSize, "Size Bar"},
    {scBarIndustry, "Industry Bar"},
    {scCursor, "Cursor"},
    {scIncomingGroupsTrav, "Incoming Groups\nTraveled part"},
    {scOtherTracks, "Other Tracks"},
    {scMyTracks, "My Tracks"},
    {scGroupsLoaded, "Loaded groups circle"},
    {scGroupsUnLoaded, "Not loaded groups circle"},
    {scPlanetCircles, "Planet circles"},
};

QPushButton* MakePanel(QWidget* parent) {
  auto* panel = new QPushButton(parent);
  panel->setFixedSize(40, 20);
  panel->setFlat(true);
  panel->setAutoFillBackground(true);
  return panel;
}

void ShowColour(QPushButton* panel, TMapColour colour) {
  panel->setStyleSheet(
      QString("background-color: %1; border: 1px solid gray;").arg(ToQColor(colour).name()));
}

}  // namespace

TColourPicker PlatformColourPicker(QWidget* parent) {
  return [parent](TMapColour current) -> std::optional<TMapColour> {
    const QColor c = QColorDialog::getColor(ToQColor(current), parent);
    if (!c.isValid()) return std::nullopt;
    return MapRgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                  static_cast<uint8_t>(c.blue()));
  };
}

// ---- TfrmChangePlayerColors

TfrmChangePlayerColors::TfrmChangePlayerColors(TPlayerColors& players, const GameState& state,
                                               std::function<void()> repaint, QWidget* parent)
    : QDialog(parent), players_(players), state_(state), repaint_(std::move(repaint)) {
  setObjectName("frmChangePlayerColors");
  setWindowTitle("Change Player Colors");
  setProperty("HelpContext", 11);
  picker_ = PlatformColourPicker(this);
  auto* layout = new QVBoxLayout(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  auto* inner = new QWidget(scroll);
  rows_ = new QVBoxLayout(inner);
  rows_->addStretch(1);
  scroll->setWidget(inner);
  layout->addWidget(scroll);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  ok->setObjectName("btnOK");
  cancel->setObjectName("btnCancel");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  resize(320, 360);
}

void TfrmChangePlayerColors::showEvent(QShowEvent* event) {
  Fill();
  QDialog::showEvent(event);
}

void TfrmChangePlayerColors::hideEvent(QHideEvent* event) {
  Clear();
  QDialog::hideEvent(event);
}

void TfrmChangePlayerColors::Fill() {
  Clear();
  for (const TPlayerColourEntry& e : players_.Entries()) {
    if (!e.Player || e.Player == state_.MainPlayer) continue;
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    QPushButton* panel = MakePanel(row);
    ShowColour(panel, e.Colour);
    TPlayer* race = e.Player;
    connect(panel, &QPushButton::clicked, this, [this, panel, race] {
      if (!picker_) return;
      if (const auto c = picker_(players_.ColourOf(race))) {
        players_.SetColour(race, *c);
        ShowColour(panel, *c);
        if (repaint_) repaint_();
      }
    });
    h->addWidget(panel);
    h->addWidget(new QLabel(FromLatin1(race->Name + "  (" + race->Alias + ")"), row), 1);
    rows_->insertWidget(rows_->count() - 1, row);
    panels_.push_back(panel);
    rowWidgets_.push_back(row);
  }
}

void TfrmChangePlayerColors::Clear() {
  for (QWidget* w : rowWidgets_) delete w;
  rowWidgets_.clear();
  panels_.clear();
}

// ---- TfrmChangeColors

TfrmChangeColors::TfrmChangeColors(TColorSchema& scheme, TPlayerColors& players,
                                   const GameState& state, TznSaveState& store,
                                   std::function<void()> repaint, QWidget* parent)
    : QDialog(parent),
      scheme_(scheme),
      players_(players),
      state_(state),
      store_(store),
      repaint_(std::move(repaint)),
      panels_(kSchemeColourCount, nullptr),
      shown_(kSchemeColourCount, 0) {
  setObjectName("frmChangeColors");
  setWindowTitle("Change Colors");
  setProperty("HelpContext", 10);
  picker_ = PlatformColourPicker(this);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  int i = 0;
  for (const TPanelRow& row : kPanels) {
    QPushButton* panel = MakePanel(this);
    panel->setObjectName(QString("pnl") + QString::fromLatin1(SchemeColourKey(row.Colour)));
    panels_[row.Colour] = panel;
    const TSchemeColour which = row.Colour;
    connect(panel, &QPushButton::clicked, this, [this, which] { PanelClicked(which); });
    const int r = i % 9;
    const int c = (i / 9) * 2;
    grid->addWidget(panel, r, c);
    grid->addWidget(new QLabel(row.Label, this), r, c + 1);
    ++i;
  }
  layout->addLayout(grid);
  chkFirstTurn_ = new QCheckBox("Use Different Colors for FirstTurn Habited Planets", this);
  chkOneColour_ = new QCheckBox("Use One Color for Other Players planets", this);
  chkFirstTurn_->setObjectName("chkUseColorsFirstTurn");
  chkOneColour_->setObjectName("chkUseOneColorOtherPlayers");
  for (QCheckBox* box : {chkFirstTurn_, chkOneColour_}) {
    connect(box, &QCheckBox::toggled, this, [this] {
      if (filling_) return;
      FormToSchema();
      if (repaint_) repaint_();
    });
    layout->addWidget(box);
  }
  auto* buttons = new QHBoxLayout;
  auto add = [&](const char* name, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  connect(add("btnPlayers", "Players"), &QPushButton::clicked, this,
          &TfrmChangeColors::PlayersClicked);
  buttons->addStretch(1);
  QPushButton* ok = add("btnOK", "OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(add("btnCancel", "Cancel"), &QPushButton::clicked, this, &QDialog::reject);
  connect(add("btnDefault", "Default"), &QPushButton::clicked, this,
          &TfrmChangeColors::DefaultClicked);
  layout->addLayout(buttons);
  SchemaToForm();
}

void TfrmChangeColors::SetColourPicker(TColourPicker picker) {
  picker_ = picker;
  PlayerDialog()->SetColourPicker(std::move(picker));
}

TfrmChangePlayerColors* TfrmChangeColors::PlayerDialog() {
  if (playerDialog_) return playerDialog_;
  if (!ownPlayerDialog_)
    ownPlayerDialog_ = std::make_unique<TfrmChangePlayerColors>(players_, state_, repaint_, this);
  return ownPlayerDialog_.get();
}

void TfrmChangeColors::SchemaToForm() {
  filling_ = true;
  for (const TPanelRow& row : kPanels) {
    shown_[row.Colour] = scheme_[row.Colour];
    ShowColour(panels_[row.Colour], shown_[row.Colour]);
  }
  chkFirstTurn_->setChecked(scheme_.UseColorsFirstTurn);
  chkOneColour_->setChecked(scheme_.UseOneColorOtherPlayers);
  filling_ = false;
}

void TfrmChangeColors::FormToSchema() {
  for (const TPanelRow& row : kPanels) scheme_[row.Colour] = shown_[row.Colour];
  scheme_.UseColorsFirstTurn = chkFirstTurn_->isChecked();
  scheme_.UseOneColorOtherPlayers = chkOneColour_->isChecked();
}

void TfrmChangeColors::PanelClicked(TSchemeColour which) {
  if (!picker_) return;
  const auto colour = picker_(shown_[which]);
  if (!colour) return;
  shown_[which] = *colour;
  ShowColour(panels_[which], *colour);
  FormToSchema();
  if (repaint_) repaint_();
}

void TfrmChangeColors::PlayersClicked() {
  const TPlayerColors copy = players_;
  TfrmChangePlayerColors* dialog = PlayerDialog();
  if (dialog->exec() != QDialog::Accepted) {
    players_ = copy;
    if (repaint_) repaint_();
  }
}

void TfrmChangeColors::DefaultClicked() {
  scheme_.SetDefaultColors();
  SchemaToForm();
  if (repaint_) repaint_();
}

void TfrmChangeColors::showEvent(QShowEvent* event) {
  savedScheme_ = scheme_;
  savedPlayers_ = players_;
  SchemaToForm();
  QDialog::showEvent(event);
}

void TfrmChangeColors::done(int result) {
  if (result == QDialog::Accepted) {
    WriteColorSchema(store_, state_, scheme_, players_);
  } else {
    scheme_ = savedScheme_;
    players_ = savedPlayers_;
    if (repaint_) repaint_();
  }
  QDialog::done(result);
}

}  // namespace tovix
