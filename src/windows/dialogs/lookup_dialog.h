#pragma once
// The list-choice dialog: the user picks one text out of a list. Each call makes its own modal
// dialog and frees it before returning.

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace tovix {

class TfrmZNLookUp : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmZNLookUp(QWidget* parent = nullptr);

  QListWidget* ListBox1() const { return listBox1_; }
  QPushButton* OkButton() const { return btnOK_; }
  QPushButton* CancelButton() const { return btnCancel_; }
  // The chosen row, -1 when no item is chosen.
  int ItemIndex() const;
  // Chooses a row; an index outside the list chooses none.
  void SetItemIndex(int index);

 protected:
  // A double click anywhere on the list closes the dialog with OK.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidget* listBox1_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

// Shows `items` (in their order) under `caption`, starting at the item equal to `selected`, else
// at the first that differs from it only in case (none when it is not among them). OK or a double
// click: true, and `selected` receives the chosen item when there is one (otherwise it keeps its
// value). Cancel or closing: false, `selected` unchanged.
bool LookUp(const std::string& caption, const std::vector<std::string>& items,
            std::string& selected);

// The same by index (-1: none), in the shape of UserInterface::ChooseFromList.
bool LookUpIndex(const std::string& caption, const std::vector<std::string>& items, int& selected);

}  // namespace tovix
