#include "windows/dialogs/lookup_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "core/text/str_utils.h"
#include "platform/latin1.h"
#include "platform/window_in_use.h"
#include "windows/base/window_entry.h"

namespace tovix {

namespace {

void CenterOnScreen(QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace

TfrmZNLookUp::TfrmZNLookUp(QWidget* parent)
    : QDialog(parent),
      listBox1_(new QListWidget(this)),
      btnOK_(new QPushButton(QStringLiteral("OK"), this)),
      btnCancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmZNLookUp"));
  setProperty("HelpContext", FindWindowEntry("frmZNLookUp")->HelpContext);
  listBox1_->setObjectName(QStringLiteral("ListBox1"));
  listBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
  listBox1_->viewport()->installEventFilter(this);
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnOK_->setDefault(true);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(listBox1_);
  layout->addLayout(buttons);
  connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  resize(260, 320);
}

int TfrmZNLookUp::ItemIndex() const {
  // The selection, not the view's current item: the view makes its first item current when it
  // gets the focus, which would turn "nothing chosen" into the first item.
  const QList<QListWidgetItem*> chosen = listBox1_->selectedItems();
  return chosen.isEmpty() ? -1 : listBox1_->row(chosen.first());
}

void TfrmZNLookUp::SetItemIndex(int index) {
  if (index >= 0 && index < listBox1_->count()) {
    listBox1_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  } else {
    listBox1_->clearSelection();
    listBox1_->setCurrentItem(nullptr);
  }
}

bool TfrmZNLookUp::eventFilter(QObject* watched, QEvent* event) {
  if (watched == listBox1_->viewport() && event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
    accept();
  return QDialog::eventFilter(watched, event);
}

bool LookUpIndex(const std::string& caption, const std::vector<std::string>& items, int& selected) {
  TfrmZNLookUp dialog(WindowInUse());
  dialog.setWindowTitle(FromLatin1(caption));
  for (const std::string& item : items) dialog.ListBox1()->addItem(FromLatin1(item));
  dialog.SetItemIndex(selected);
  CenterOnScreen(dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  const int chosen = dialog.ItemIndex();
  if (chosen >= 0) selected = chosen;
  return true;
}

bool LookUp(const std::string& caption, const std::vector<std::string>& items,
            std::string& selected) {
  // The exact text first, else the first item that differs only in case, as names are
  // compared everywhere else.
  auto found = std::find(items.begin(), items.end(), selected);
  if (found == items.end())
    found = std::find_if(items.begin(), items.end(),
                         [&](const std::string& item) { return SameText(item, selected); });
  int index = found == items.end() ? -1 : static_cast<int>(found - items.begin());
  if (!LookUpIndex(caption, items, index)) return false;
  if (index >= 0) selected = items[static_cast<std::size_t>(index)];
  return true;
}

}  // namespace tovix
