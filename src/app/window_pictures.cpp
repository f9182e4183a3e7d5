// tovix_window_pictures <out folder>: starts Tovix on the game its folder (TOVIX_HOME) names,
// shows every window that is built (no placeholder) and writes one PNG per window, named by
// its instance name, into the out folder; then ends. scripts/window-pictures.sh runs it.
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/tovix_application.h"
#include "windows/main_window.h"
#include "windows/window_catalogue.h"
#include "windows/window_registry.h"

namespace {

void WritePictures(tovix::TWindowRegistry& windows, const QString& out) {
  for (QWidget* window : windows.Windows()) {
    const tovix::TWindowEntry* entry = tovix::FindWindowEntry(window->objectName().toStdString());
    if (!entry || entry->Purpose != nullptr || window->objectName() == "frmWait") continue;
    window->show();
    window->raise();
    QCoreApplication::processEvents();
    const QString file = QDir(out).filePath(window->objectName() + ".png");
    if (window->grab().save(file)) {
      std::printf("%s\n", qPrintable(file));
    } else {
      std::fprintf(stderr, "could not write %s\n", qPrintable(file));
    }
    if (window != windows.Main()) window->hide();
  }
  windows.Main()->close();
}

}  // namespace

int main(int argc, char** argv) {
  tovix::TTovixApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "Usage: %s <out folder>\n", argv[0]);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  tovix::TStartupParams params;
  params.OnRunning = [&out](tovix::TWindowRegistry& windows) { WritePictures(windows, out); };
  return tovix::runTovix(app, std::move(params)) == tovix::TStartupOutcome::Ran ? 0 : 1;
}
