#pragma once
// "About": the program's name, what it is for, its version and a contact address that opens a
// new mail in the user's mail program.

#include <QDialog>
#include <QLabel>

#include "core/base/user_interface.h"

class QPushButton;

namespace tovix {

// The project's contact address; a neutral one that reaches no private person.
inline constexpr const char* kContactAddress = "tovix@users.noreply.invalid";

// A link-like label: red while the mouse is over it, and a click opens a new mail to `address`
// (through the desktop's handler for "mailto:"; the user is told when there is none).
class TContactLabel : public QLabel {
  Q_OBJECT

 public:
  TContactLabel(const QString& address, UserInterface& ui, QWidget* parent = nullptr);
  bool Hot() const { return hot_; }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetHot(bool hot);

  QString address_;
  UserInterface& ui_;
  bool hot_ = false;
};

class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAbout(UserInterface& ui, QWidget* parent = nullptr);

  TContactLabel* ContactLabel() const { return lblContact_; }

 private:
  TContactLabel* lblContact_;
  QPushButton* btnOK_;
};

}  // namespace tovix
