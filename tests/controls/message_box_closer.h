#pragma once
// Closes the message box that the code under test opens modally, and keeps its text.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

namespace tovix::test {

class MessageBoxCloser : public QObject {
 public:
  MessageBoxCloser() {
    // Runs inside the box's own event loop; without a box it never runs.
    QTimer::singleShot(0, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text().toStdString());
        box->done(0);
      }
    });
  }
  std::vector<std::string> texts;
};

}  // namespace tovix::test
