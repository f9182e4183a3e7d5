#include "controls/dual_list.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/app_events.h"

namespace tovix {

namespace {

constexpr const char* kDragMime = "application/x-tovix-dual-list";

bool IsMultiSelect(const QListWidget& list) {
  return list.selectionMode() != QAbstractItemView::SingleSelection;
}

// The drag image: one sheet for one item, a small stack for several.
QPixmap DragGlyph(bool several) {
  QPixmap glyph(24, 24);
  glyph.fill(Qt::transparent);
  QPainter painter(&glyph);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  if (several) {
    painter.drawRect(8, 2, 13, 15);
    painter.drawRect(5, 5, 13, 15);
  }
  painter.drawRect(2, 8, 13, 15);
  return glyph;
}

}  // namespace

// ---- the list-moving routines -----------------------------------------------------------------

int FirstSelectedIndex(const QListWidget& list) {
  for (int i = 0; i < list.count(); ++i)
    if (list.item(i)->isSelected()) return i;
  return -1;
}

void MoveSelectedItems(QListWidget& source, QListWidget& destination) {
  const int first = FirstSelectedIndex(source);
  if (first < 0) return;
  source.setUpdatesEnabled(false);
  destination.setUpdatesEnabled(false);
  for (int i = 0; i < source.count();) {
    if (source.item(i)->isSelected())
      destination.addItem(source.takeItem(i));
    else
      ++i;
  }
  source.setUpdatesEnabled(true);
  destination.setUpdatesEnabled(true);
  SelectItemAt(source, first);
}

void MoveAllItems(QListWidget& source, QListWidget& destination) {
  source.setUpdatesEnabled(false);
  destination.setUpdatesEnabled(false);
  while (source.count() > 0) destination.addItem(source.takeItem(0));
  source.setUpdatesEnabled(true);
  destination.setUpdatesEnabled(true);
  SelectItemAt(source, 0);
}

void SelectItemAt(QListWidget& list, int index) {
  if (list.isVisible() && list.isEnabled() && list.focusPolicy() != Qt::NoFocus) list.setFocus();
  if (index < 0) index = 0;
  if (index >= list.count()) index = list.count() - 1;
  if (index < 0) return;
  if (IsMultiSelect(list)) {
    list.selectionModel()->setCurrentIndex(list.model()->index(index, 0),
                                           QItemSelectionModel::NoUpdate);
    list.item(index)->setSelected(true);
  } else {
    list.setCurrentRow(index);
  }
}

void MoveCurrentItem(QListWidget& list, int index) {
  const int current = list.currentRow();
  if (current < 0 || index < 0 || index >= list.count() || index == current) return;
  QListWidgetItem* item = list.takeItem(current);
  list.insertItem(index, item);
  list.clearSelection();
  SelectItemAt(list, index);
}

bool CanDropItem(const QListWidget& list, QPoint point, int& dragIndex) {
  dragIndex = -1;
  if (IsMultiSelect(list) && list.selectedItems().size() != 1) return false;
  if (list.currentRow() < 0 || !list.viewport()->rect().contains(point)) return false;
  const QModelIndex at = list.indexAt(point);
  if (!at.isValid()) return false;
  dragIndex = at.row();
  return dragIndex != list.currentRow();
}

bool ListDragOver(const QListWidget& list, const QObject* source, QPoint point, bool sorted,
                  int& dragIndex) {
  dragIndex = -1;
  if (source == &list) return !sorted && CanDropItem(list, point, dragIndex);
  return qobject_cast<const QListWidget*>(source) != nullptr;
}

// ---- TDualListBox -----------------------------------------------------------------------------

TDualListBox::TDualListBox(QWidget* parent) : TTextListBox(parent) {
  SetMultiSelect(true);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDropIndicatorShown(false);
}

bool TDualListBox::DropFrom(QListWidget* source, QPoint point) {
  if (source == nullptr) return false;
  if (source == this) {
    int target = -1;
    if (!ListDragOver(*this, this, point, Sorted(), target)) return false;
    MoveCurrentItem(*this, target);
  } else {
    MoveSelectedItems(*source, *this);
  }
  emit ItemsMoved();
  return true;
}

void TDualListBox::startDrag(Qt::DropActions) {
  if (SelCount() == 0) return;
  auto* drag = new QDrag(this);
  auto* mime = new QMimeData;
  mime->setData(kDragMime, {});
  drag->setMimeData(mime);
  drag->setPixmap(DragGlyph(SelCount() > 1));
  // The drop target moves the items itself; the source has nothing left to do.
  drag->exec(Qt::MoveAction);
}

void TDualListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (qobject_cast<QListWidget*>(event->source()) != nullptr)
    event->acceptProposedAction();
  else
    event->ignore();
}

void TDualListBox::dragMoveEvent(QDragMoveEvent* event) {
  int target = -1;
  const bool accept =
      ListDragOver(*this, event->source(), event->position().toPoint(), Sorted(), target);
  MarkTarget(event->source() == this && accept ? target : -1);
  if (accept) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TDualListBox::dragLeaveEvent(QDragLeaveEvent* event) {
  MarkTarget(-1);
  event->accept();
}

void TDualListBox::dropEvent(QDropEvent* event) {
  MarkTarget(-1);
  if (DropFrom(qobject_cast<QListWidget*>(event->source()), event->position().toPoint())) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TDualListBox::keyPressEvent(QKeyEvent* event) {
  const bool up = event->key() == Qt::Key_Up;
  if (!Sorted() && event->modifiers() == Qt::ControlModifier &&
      (up || event->key() == Qt::Key_Down)) {
    MoveCurrentItem(*this, currentRow() + (up ? -1 : 1));
    emit ItemsMoved();
    event->accept();
    return;
  }
  TTextListBox::keyPressEvent(event);
}

void TDualListBox::paintEvent(QPaintEvent* event) {
  TTextListBox::paintEvent(event);
  if (dragTarget_ <= 0 || dragTarget_ > count()) return;
  QPainter painter(viewport());
  painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
  painter.drawRect(visualItemRect(item(dragTarget_ - 1)).adjusted(0, 0, -1, -1));
}

void TDualListBox::MarkTarget(int index) {
  if (index + 1 == dragTarget_) return;
  dragTarget_ = index + 1;
  viewport()->update();
}

// ---- TDualListForm ----------------------------------------------------------------------------

TDualListForm::TDualListForm(QWidget* parent) : QDialog(parent) {
  setObjectName("DualListForm");
  setMinimumSize(392, 269);
  auto* bevel = new QFrame(this);
  bevel->setFrameShape(QFrame::StyledPanel);
  bevel->setFrameShadow(QFrame::Sunken);
  srcLabel_ = new QLabel("&Source", bevel);
  dstLabel_ = new QLabel("&Destination", bevel);
  srcList_ = new TDualListBox(bevel);
  srcList_->setObjectName("SrcList");
  dstList_ = new TDualListBox(bevel);
  dstList_->setObjectName("DstList");
  srcLabel_->setBuddy(srcList_);
  dstLabel_->setBuddy(dstList_);
  for (TDualListBox* list : {srcList_, dstList_}) list->setMinimumSize(164, 194);
  auto moveButton = [bevel](const char* name, const char* caption) {
    auto* b = new QPushButton(caption, bevel);
    b->setObjectName(name);
    b->setFixedSize(26, 26);
    b->setAutoDefault(false);
    QFont bold = b->font();
    bold.setBold(true);
    b->setFont(bold);
    return b;
  };
  incBtn_ = moveButton("IncBtn", ">");
  incAllBtn_ = moveButton("IncAllBtn", ">>");
  exclBtn_ = moveButton("ExclBtn", "<");
  exclAllBtn_ = moveButton("ExclAllBtn", "<<");
  auto* moves = new QVBoxLayout;
  for (QPushButton* b : {incBtn_, incAllBtn_, exclBtn_, exclAllBtn_}) moves->addWidget(b);
  moves->addStretch(1);
  auto* grid = new QGridLayout(bevel);
  grid->addWidget(srcLabel_, 0, 0);
  grid->addWidget(dstLabel_, 0, 2);
  grid->addWidget(srcList_, 1, 0);
  grid->addLayout(moves, 1, 1);
  grid->addWidget(dstList_, 1, 2);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(2, 1);

  okBtn_ = new QPushButton("OK", this);
  okBtn_->setObjectName("OkBtn");
  okBtn_->setDefault(true);
  cancelBtn_ = new QPushButton("Cancel", this);
  cancelBtn_->setObjectName("CancelBtn");
  helpBtn_ = new QPushButton("&Help", this);
  helpBtn_->setObjectName("HelpBtn");
  for (QPushButton* b : {okBtn_, cancelBtn_, helpBtn_}) b->setMinimumSize(77, 25);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okBtn_);
  buttons->addWidget(cancelBtn_);
  buttons->addWidget(helpBtn_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bevel, 1);
  layout->addLayout(buttons);

  connect(incBtn_, &QPushButton::clicked, this, &TDualListForm::IncClicked);
  connect(incAllBtn_, &QPushButton::clicked, this, &TDualListForm::IncAllClicked);
  connect(exclBtn_, &QPushButton::clicked, this, &TDualListForm::ExclClicked);
  connect(exclAllBtn_, &QPushButton::clicked, this, &TDualListForm::ExclAllClicked);
  connect(srcList_, &QListWidget::itemDoubleClicked, this, &TDualListForm::IncClicked);
  connect(dstList_, &QListWidget::itemDoubleClicked, this, &TDualListForm::ExclClicked);
  for (TDualListBox* list : {srcList_, dstList_}) {
    connect(list, &QListWidget::itemSelectionChanged, this, &TDualListForm::UpdateButtons);
    connect(list, &TDualListBox::ItemsMoved, this, &TDualListForm::UpdateButtons);
  }
  connect(okBtn_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
  connect(helpBtn_, &QPushButton::clicked, this, [this] { ApplicationHelpContext(helpContext_); });
  UpdateButtons();
}

void TDualListForm::SetHelpContext(int context) {
  helpContext_ = context;
  setProperty("HelpContext", context);
  helpBtn_->setProperty("HelpContext", context);
}

void TDualListForm::SetShowHelp(bool show) {
  helpBtn_->setVisible(show);
  helpBtn_->setEnabled(show);
}

void TDualListForm::UpdateButtons() {
  const bool left = srcList_->count() > 0;
  const bool right = dstList_->count() > 0;
  incBtn_->setEnabled(left && FirstSelectedIndex(*srcList_) >= 0);
  incAllBtn_->setEnabled(left);
  exclBtn_->setEnabled(right && FirstSelectedIndex(*dstList_) >= 0);
  exclAllBtn_->setEnabled(right);
}

void TDualListForm::IncClicked() {
  MoveSelectedItems(*srcList_, *dstList_);
  UpdateButtons();
}

void TDualListForm::IncAllClicked() {
  MoveAllItems(*srcList_, *dstList_);
  UpdateButtons();
}

void TDualListForm::ExclClicked() {
  MoveSelectedItems(*dstList_, *srcList_);
  UpdateButtons();
}

void TDualListForm::ExclAllClicked() {
  MoveAllItems(*dstList_, *srcList_);
  UpdateButtons();
}

void TDualListForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  UpdateButtons();
}

bool TDualListForm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) UpdateButtons();
  return QDialog::event(event);
}

// ---- TDualListDialog --------------------------------------------------------------------------

namespace {

void Fill(TRxCustomListBox& list, const TDualListItems& items) {
  for (const TDualListItem& item : items) list.AddItem(item.Text, item.Object);
}

TDualListItems ItemsOf(const TRxCustomListBox& list) {
  TDualListItems items;
  for (int i = 0; i < list.Count(); ++i) items.push_back({list.ItemText(i), list.Object(i)});
  return items;
}

}  // namespace

bool TDualListDialog::Execute(QWidget* parent) {
  TDualListForm form(parent);
  form.SetShowHelp(ShowHelp);
  form.SrcList()->SetSorted(Sorted);
  form.DstList()->SetSorted(Sorted);
  Fill(*form.SrcList(), List1);
  Fill(*form.DstList(), List2);
  if (!Title.isEmpty()) form.setWindowTitle(Title);
  if (!Label1Caption.isEmpty()) form.SrcLabel()->setText(Label1Caption);
  if (!Label2Caption.isEmpty()) form.DstLabel()->setText(Label2Caption);
  form.OkBtn()->setText(OkBtnCaption);
  form.CancelBtn()->setText(CancelBtnCaption);
  form.HelpBtn()->setText(HelpBtnCaption);
  form.SetHelpContext(HelpContext);
  form.UpdateButtons();
  const bool ok = RunForm ? RunForm(form) : form.exec() == QDialog::Accepted;
  if (!ok) return false;
  List1 = ItemsOf(*form.SrcList());
  List2 = ItemsOf(*form.DstList());
  return true;
}

}  // namespace tovix
