#include "platform/file_names.h"

#include <QFile>

namespace tovix {

std::string FileNameBytes(const QString& name) {
  const QByteArray bytes = QFile::encodeName(name);
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString FileNameText(std::string_view bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace tovix
