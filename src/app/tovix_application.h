#pragma once
// The program's application object: an error that escapes an event handler is handed to the
// application's exception event (a message box when nobody handles it) instead of ending the
// program.

#include <QApplication>

namespace tovix {

class TTovixApplication : public QApplication {
  Q_OBJECT

 public:
  TTovixApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tovix
