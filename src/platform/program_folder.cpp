#include "platform/program_folder.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

#include "core/base/errors.h"

namespace tovix {

namespace {

std::filesystem::path EnsureFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec))
    throw EFileError("Cannot create the folder " + folder.string());
  return folder;
}

}  // namespace

std::filesystem::path ProgramFolder(const std::filesystem::path& exeDir) {
  const QByteArray home = qgetenv("TOVIX_HOME");
  if (!home.isEmpty()) return EnsureFolder(std::filesystem::absolute(home.toStdString()));

  std::error_code ec;
  if (!exeDir.empty() && std::filesystem::is_regular_file(exeDir / "Tovix.ini", ec))
    return std::filesystem::absolute(exeDir);

  // The data folder named for the program itself, whatever the running application is called
  // (the same folder AppDataLocation gives an application named "Tovix").
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) throw EFileError("No data folder for Tovix");
  return EnsureFolder(std::filesystem::path(QFile::encodeName(data).toStdString()) / "Tovix");
}

}  // namespace tovix
