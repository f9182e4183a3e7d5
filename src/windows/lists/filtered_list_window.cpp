#include "windows/lists/filtered_list_window.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "controls/zn_list_view.h"
#include "platform/latin1.h"
#include "windows/base/list_windows.h"
#include "windows/base/popup_actions.h"
#include "windows/dialogs/list_export_dialog.h"

namespace tovix {

namespace {

constexpr const char* kLayoutKey = "znListview1_Order";
constexpr const char* kTopMostKey = "mniTopMost.Checked";
constexpr const char* kCenteredKey = "Viewplanetscentered1.Checked";

}  // namespace

TFilteredListWindow::TFilteredListWindow(std::string stateName, int helpContext,
                                         const char* section, GameState& state, TznSaveState& store,
                                         UserInterface& ui, const TServices& services,
                                         QWidget* parent)
    : TToolWindow(std::move(stateName), helpContext, store, parent),
      state_(state),
      ui_(ui),
      services_(services),
      section_(section) {
  setObjectName(section);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  bar_ = new QHBoxLayout;
  layout->addLayout(bar_);
}

TFilteredListWindow::~TFilteredListWindow() = default;

QPushButton* TFilteredListWindow::AddBarButton(const char* text, const char* name) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(name);
  bar_->addWidget(button);
  return button;
}

QComboBox* TFilteredListWindow::AddOwnerBox(const char* name, int minimumLength,
                                            const char* label) {
  auto* box = new QComboBox(this);
  box->setObjectName(name);
  box->setMinimumContentsLength(minimumLength);
  if (label) bar_->addWidget(new QLabel(label, this));
  bar_->addWidget(box);
  return box;
}

void TFilteredListWindow::AddExpressionsButton() {
  btnExpressions_ = AddBarButton("Expressions", "btnExpressions");
  connect(btnExpressions_, &QPushButton::clicked, this, [this] { SelectByExpression(); });
}

void TFilteredListWindow::AddCurrentViewButton() {
  Button1_ = AddBarButton("Expressions in Current View", "Button1");
  connect(Button1_, &QPushButton::clicked, this, [this] { SelectInCurrentView(); });
}

void TFilteredListWindow::MakeList(std::span<const char* const> captions,
                                   const std::function<bool(int)>& isText, int textWidth,
                                   int figureWidth, TListRowModel::TCompareFunction compare,
                                   std::string (*sortCaption)(bool descending, int column),
                                   std::string exportHeader) {
  bar_->addStretch();
  QStringList texts;
  std::vector<int> widths;
  std::vector<bool> right;
  for (int c = 0; c < static_cast<int>(captions.size()); ++c) {
    texts << captions[static_cast<size_t>(c)];
    widths.push_back(isText(c) ? textWidth : figureWidth);
    right.push_back(!isText(c));
  }
  list_ = new TznListView(this);
  list_->setObjectName("znListview1");
  list_->SetColumns(texts, widths);
  list_->Rows().SetRightAligned(std::move(right));
  list_->Rows().SetCompare(std::move(compare));
  layout()->addWidget(list_);
  popup_ = new QMenu(this);
  exporter_ = MakeRowsExport(*list_, ui_, this, std::move(exportHeader), false);
  exporter_->Footer = "Tovix";  // the main window's caption at the export
  ShowMenuOnRightClick(list_, popup_, [this] { PreparePopup(); });
  connect(list_, &TznListView::SortBegin, this,
          [this, sortCaption](TznSortDirection direction, int column) {
            setWindowTitle(FromLatin1(sortCaption(direction == TznSortDirection::sdDesc, column)));
          });
  followed_ = std::make_unique<TFollowedRow>(*list_, [this](int row) { FollowRow(row); });
}

void TFilteredListWindow::AddCenteredItem(const char* text, const QKeySequence& key) {
  mniCentered_ = AddPopupAction(this, popup_, text, key, this, [] {});
  mniCentered_->setCheckable(true);
  mniCentered_->setChecked(true);
}

void TFilteredListWindow::AddTopMostItem() {
  mniTopMost_ = MakeTopMostAction(*this);
  popup_->addAction(mniTopMost_);
}

bool TFilteredListWindow::Centered() const {
  return mniCentered_->isChecked();
}

IExpressionService& TFilteredListWindow::Expressions() {
  return services_.Expressions ? *services_.Expressions : allPass_;
}

void TFilteredListWindow::SetRows(const std::function<void()>& setRows) {
  followed_->SetRows(setRows);
}

std::optional<std::string> TFilteredListWindow::ChosenOwner(const QComboBox& box) {
  if (box.currentIndex() <= 0) return std::nullopt;
  return box.currentText().toLatin1().toStdString();
}

void TFilteredListWindow::ExportRows() {
  if (MainCaption) exporter_->Footer = MainCaption();
  exporter_->ExecuteExport();
}

void TFilteredListWindow::MarkPlanets() {
  MarkPlanetsOnMap(services_.Map, SelectedRowPlanets());
}

void TFilteredListWindow::UnmarkPlanets() {
  if (services_.Map) services_.Map->ClearPlanetMarks();
}

void TFilteredListWindow::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    FirstShow();
  }
  TToolWindow::showEvent(event);
}

void TFilteredListWindow::RefreshGame(TGameChanges changes) {
  if ((changes & gcGameRead) != 0) {
    ForgetGame();
    if (shown_) FirstShow();
  } else if ((changes & gcOrdersAnalysed) != 0 && shown_) {
    RefreshRows();
  }
}

void TFilteredListWindow::keyPressEvent(QKeyEvent* event) {
  if (!HandleListKeys(
          *event, [this] { RefreshRows(); }, services_.Orders))
    TToolWindow::keyPressEvent(event);
}

void TFilteredListWindow::LoadOwnState() {
  LoadColumnLayout(Store(), section_, kLayoutKey, *list_);
  if (mniTopMost_) mniTopMost_->setChecked(Store().ReadBool(section_, kTopMostKey, false));
  mniCentered_->setChecked(Store().ReadBool(section_, kCenteredKey, mniCentered_->isChecked()));
}

void TFilteredListWindow::SaveOwnState() {
  SaveColumnLayout(Store(), section_, kLayoutKey, *list_);
  if (mniTopMost_) Store().WriteBool(section_, kTopMostKey, mniTopMost_->isChecked());
  Store().WriteBool(section_, kCenteredKey, mniCentered_->isChecked());
}

}  // namespace tovix
