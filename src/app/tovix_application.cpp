#include "app/tovix_application.h"

#include <exception>

#include "controls/app_events.h"

namespace tovix {

TTovixApplication::TTovixApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Tovix");
}

bool TTovixApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ApplicationHandleException(receiver, e);
    return false;
  }
}

}  // namespace tovix
