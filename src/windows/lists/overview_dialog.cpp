#include "windows/lists/overview_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/latin1.h"

namespace tovix {

namespace {

constexpr int kOverviewHelpContext = 22;
constexpr const char* kNotAvailable = "not available";

}  // namespace

TfrmOverView::TfrmOverView(const GameState& state, QWidget* parent)
    : QDialog(parent), state_(state) {
  setObjectName("frmOverView");
  setProperty("HelpContext", kOverviewHelpContext);
  setWindowTitle("Over View");
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabBar(this);
  tabs_->setObjectName("PageControl1");
  tabs_->addTab("This Turn");
  tabs_->addTab("Next Turn");
  tabs_->addTab("Next Turn Without Shipping");
  layout->addWidget(tabs_);
  // One page of labels under the tabs; the tab chooses which figures it shows.
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  for (int k = 0; k < ofCount; ++k) {
    const auto i = static_cast<size_t>(k);
    grid->addWidget(new QLabel(QString(kOverviewCaptions[i]) + ":", page), k, 0);
    values_[i] = new QLabel(page);
    values_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    deltas_[i] = new QLabel(page);
    deltas_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(values_[i], k, 1);
    grid->addWidget(deltas_[i], k, 2);
  }
  percent_ = new QLabel(page);
  grid->addWidget(percent_, ofPopulation, 3);
  note_ = new QLabel(page);
  note_->setWordWrap(true);
  grid->addWidget(note_, ofCount, 0, 1, 4);
  grid->setColumnMinimumWidth(1, 90);
  grid->setColumnMinimumWidth(2, 80);
  grid->setColumnMinimumWidth(3, 70);
  layout->addWidget(page);
  connect(tabs_, &QTabBar::currentChanged, this, [this] { RefreshPage(); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TfrmOverView::showEvent(QShowEvent* event) {
  computed_ = {};
  RefreshPage();
  QDialog::showEvent(event);
}

void TfrmOverView::RefreshPage() {
  const int tab = std::clamp(tabs_->currentIndex(), 0, 2);
  // Computed from the last tab to the first, each once per show.
  for (int k = 2; k >= 0; --k) {
    if (computed_[static_cast<size_t>(k)]) continue;
    const TOverviewKnown known = CurrentKnown(state_);
    if (k == 0) {
      figures_[0] = CurrentFigures(state_);
      known_[0] = known;
    } else {
      if (k == 2 && ProjectDevelopment) ProjectDevelopment();
      if (k == 1 && AnalyseOrders) AnalyseOrders();
      const auto i = static_cast<size_t>(k);
      figures_[i] = ProjectedFigures(state_, state_.DevelopmentPlan(), CurrentFigures(state_));
      // Both projections build on this turn's figures, so both show what this turn lacks.
      known_[i] = ProjectedKnown(known);
    }
    computed_[static_cast<size_t>(k)] = true;
  }
  const std::optional<TOverviewFigures>& shown = figures_[static_cast<size_t>(tab)];
  if (!shown) {
    for (int k = 0; k < ofCount; ++k) {
      values_[static_cast<size_t>(k)]->setText(kNotAvailable);
      deltas_[static_cast<size_t>(k)]->clear();
    }
    percent_->clear();
    note_->setText("The development plan holds none of your planets.");
    return;
  }
  note_->clear();
  const TOverviewTexts texts =
      OverviewTexts(*shown, *figures_[0], tab == 0, known_[static_cast<size_t>(tab)], known_[0]);
  for (int k = 0; k < ofCount; ++k) {
    values_[static_cast<size_t>(k)]->setText(FromLatin1(texts.Values[static_cast<size_t>(k)]));
    deltas_[static_cast<size_t>(k)]->setText(FromLatin1(texts.Deltas[static_cast<size_t>(k)]));
  }
  percent_->setText(FromLatin1(texts.PopulationPercent));
}

}  // namespace tovix
