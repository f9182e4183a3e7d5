#include "windows/lists/graph_window.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "platform/latin1.h"

namespace tovix {

namespace {

constexpr int kGraphHelpContext = 16;
constexpr int kAll = 1;
constexpr int kTopSix = 2;

}  // namespace

TfrmGraph::TfrmGraph(const GameState& state, TznSaveState& store, QWidget* parent)
    : TToolWindow("Graph", kGraphHelpContext, store, parent), state_(state) {
  setObjectName("frmGraph");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* top = new QHBoxLayout;
  auto* playerLabel = new QLabel("&Player(s):", this);
  cbxPlayer_ = new QComboBox(this);
  cbxPlayer_->setObjectName("cbxPlayer");
  playerLabel->setBuddy(cbxPlayer_);
  auto* subjectLabel = new QLabel("&Subject:", this);
  cbxSubject_ = new QComboBox(this);
  cbxSubject_->setObjectName("cbxSubject");
  cbxSubject_->setMaxVisibleItems(20);
  for (const char* s : kGraphSubjects) cbxSubject_->addItem(s);
  subjectLabel->setBuddy(cbxSubject_);
  checkBox1_ = new QCheckBox("Only show players with Population", this);
  checkBox1_->setObjectName("CheckBox1");
  checkBox1_->setChecked(true);
  lblTopPlayer_ = new QLabel(this);
  lblTopPlayer_->setObjectName("lblTopPlayer");
  lblTopPlayer_->setToolTip("This player has most effective industry this turn");
  top->addWidget(playerLabel);
  top->addWidget(cbxPlayer_);
  top->addWidget(subjectLabel);
  top->addWidget(cbxSubject_);
  top->addWidget(checkBox1_);
  top->addStretch(1);
  top->addWidget(lblTopPlayer_);
  layout->addLayout(top);
  chartView_ = new QChartView(this);
  chartView_->setObjectName("Chart1");
  chartView_->setToolTip("Players are sorted on effective industry");
  chartView_->setRenderHint(QPainter::Antialiasing);
  chartView_->setRubberBand(QChartView::RectangleRubberBand);
  chartView_->chart()->legend()->setAlignment(Qt::AlignRight);
  // The series' colours are made readable on this background, whatever the style's theme.
  const QColor background(kGraphBackground.R, kGraphBackground.G, kGraphBackground.B);
  chartView_->chart()->setBackgroundBrush(background);
  chartView_->chart()->setPlotAreaBackgroundBrush(background);
  chartView_->chart()->setPlotAreaBackgroundVisible(true);
  layout->addWidget(chartView_, 1);
  resize(760, 460);

  connect(cbxPlayer_, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    Collect();
    Redraw();
  });
  connect(checkBox1_, &QCheckBox::toggled, this, [this] {
    if (filling_) return;
    Collect();
    Redraw();
  });
  connect(cbxSubject_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling_ || index < 0 || index == subject_) return;
    subject_ = index;
    Redraw();
  });
}

QChart* TfrmGraph::Chart() const {
  return chartView_->chart();
}

void TfrmGraph::showEvent(QShowEvent* event) {
  if (!shown_) FirstShow();
  TToolWindow::showEvent(event);
}

void TfrmGraph::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) != 0 && shown_) FirstShow();
}

void TfrmGraph::FirstShow() {
  shown_ = true;
  filling_ = true;
  topPlayer_ = FindTopPlayer(state_);
  lblTopPlayer_->setText(topPlayer_ ? FromLatin1(topPlayer_->Name) : QString());
  cbxPlayer_->clear();
  cbxPlayer_->addItem("All", kAll);
  cbxPlayer_->addItem("Top Six", kTopSix);
  for (int i = 0; i < state_.Players.Count(); ++i) {
    TPlayer* p = state_.Players.Object(i);
    cbxPlayer_->addItem(FromLatin1(p->Name), QVariant::fromValue(static_cast<void*>(p)));
  }
  cbxPlayer_->setCurrentIndex(0);
  cbxSubject_->setCurrentIndex(0);
  subject_ = 0;
  filling_ = false;
  Collect();
  Redraw();
}

void TfrmGraph::Collect() {
  const int index = cbxPlayer_->currentIndex();
  TGraphChoice choice = TGraphChoice::All;
  TPlayer* race = nullptr;
  if (index == 1) {
    choice = TGraphChoice::TopSix;
  } else if (index >= 2) {
    choice = TGraphChoice::OneRace;
    race = static_cast<TPlayer*>(cbxPlayer_->currentData().value<void*>());
  }
  graphPlayers_ = CollectGraphPlayers(state_, choice, race, topPlayer_, checkBox1_->isChecked());
}

void TfrmGraph::AddGraphPlayer(TPlayer* race) {
  if (race && std::find(graphPlayers_.begin(), graphPlayers_.end(), race) == graphPlayers_.end())
    graphPlayers_.push_back(race);
}

void TfrmGraph::ShowPlayers(const std::vector<TPlayer*>& races) {
  show();  // the first show fills the boxes; the chosen races follow
  if (!shown_) FirstShow();
  ClearGraphPlayers();
  for (TPlayer* r : races) AddGraphPlayer(r);
  Redraw();
  raise();
}

void TfrmGraph::Redraw() {
  QChart* chart = chartView_->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  const std::vector<TGraphSeries> series = GraphSeries(graphPlayers_, subject_, state_.LastTurn);
  auto* axisX = new QValueAxis;
  axisX->setLabelFormat("%d");
  axisX->setTitleText("Turn");
  axisX->setRange(0, std::max(1, state_.LastTurn));
  auto* axisY = new QValueAxis;
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  double low = 0, high = 1;
  bool any = false;
  for (const TGraphSeries& s : series) {
    auto* line = new QLineSeries;
    line->setName(FromLatin1(s.Title));
    for (size_t t = 0; t < s.Values.size(); ++t) {
      // A turn no report gave figures for is not drawn: it is no 0 of the race.
      if (!s.Values[t]) continue;
      const double value = *s.Values[t];
      line->append(static_cast<double>(t), value);
      low = any ? std::min(low, value) : value;
      high = any ? std::max(high, value) : value;
      any = true;
    }
    chart->addSeries(line);
    // After adding: the chart's theme takes a black pen for no choice and would colour the
    // seventh race, which is black, in the theme's colour instead.
    line->setColor(QColor(s.Colour.R, s.Colour.G, s.Colour.B));
    line->attachAxis(axisX);
    line->attachAxis(axisY);
  }
  if (!any || high <= low) high = low + 1;
  axisY->setRange(std::min(0.0, low), high);
  axisY->applyNiceNumbers();
  chart->setTitle(cbxSubject_->itemText(subject_));
}

}  // namespace tovix
