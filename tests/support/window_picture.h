#pragma once
// A picture of a window for scripts/window-pictures.sh: the window is grabbed; when
// TOVIX_PICTURE_DIR is set, the picture is written there as "<name>.png".

#include <QCoreApplication>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cstdlib>

namespace tovix::test {

// False when the grab is empty or the file cannot be written.
inline bool TakePicture(QWidget& window, const QString& name) {
  QCoreApplication::processEvents();
  const QPixmap picture = window.grab();
  if (picture.isNull()) return false;
  const char* dir = std::getenv("TOVIX_PICTURE_DIR");
  if (dir == nullptr || *dir == '\0') return true;
  return picture.save(QString::fromLocal8Bit(dir) + "/" + name + ".png", "PNG");
}

}  // namespace tovix::test
