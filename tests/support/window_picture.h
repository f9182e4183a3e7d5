#pragma once
// A picture of a window for scripts/window-pictures.sh: the window is grabbed; when
// TOVIX_PICTURE_DIR is set, the picture is written there as "<name>.png".

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cstdlib>
#include <vector>

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

// The same for a window with pop-ups open over it: each pop-up is drawn where it stands on the
// screen, the picture growing to hold them all.
inline bool TakePicture(QWidget& window, const std::vector<QWidget*>& popups, const QString& name) {
  QCoreApplication::processEvents();
  const QPoint origin = window.mapToGlobal(QPoint(0, 0));
  QRect area(QPoint(0, 0), window.size());
  for (const QWidget* popup : popups)
    area |= QRect(popup->mapToGlobal(QPoint(0, 0)) - origin, popup->size());
  QPixmap picture(area.size());
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.drawPixmap(-area.topLeft(), window.grab());
  for (QWidget* popup : popups)
    painter.drawPixmap(popup->mapToGlobal(QPoint(0, 0)) - origin - area.topLeft(), popup->grab());
  painter.end();
  const char* dir = std::getenv("TOVIX_PICTURE_DIR");
  if (dir == nullptr || *dir == '\0') return true;
  return picture.save(QString::fromLocal8Bit(dir) + "/" + name + ".png", "PNG");
}

}  // namespace tovix::test
