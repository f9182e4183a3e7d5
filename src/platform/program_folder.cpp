#include "platform/program_folder.h"

#include <sys/stat.h>

#include <cerrno>

#include <QFile>
#include <QStandardPaths>
#include <QString>

#include "core/base/errors.h"

namespace tovix {

namespace {

// The folder holds the orders (with the race's password) and the stored mail password: made
// here, it is its owner's alone. A folder that is there already keeps its permissions.
std::filesystem::path EnsureFolder(const std::filesystem::path& given) {
  std::filesystem::path folder = given.lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();  // "a/b/" is "a/b"
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    std::filesystem::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
      throw EFileError("Cannot create the folder " + folder.string());
  }
  if (!std::filesystem::is_directory(folder, ec))
    throw EFileError("Cannot create the folder " + folder.string());
  return folder;
}

}  // namespace

TProgramFolder FindProgramFolder(const std::filesystem::path& exeDir) {
  const QByteArray home = qgetenv("TOVIX_HOME");
  if (!home.isEmpty()) return {EnsureFolder(std::filesystem::absolute(home.toStdString())), true};

  std::error_code ec;
  if (!exeDir.empty() && std::filesystem::is_regular_file(exeDir / "Tovix.ini", ec))
    return {std::filesystem::absolute(exeDir), true};

  // The data folder named for the program itself, whatever the running application is called
  // (the same folder AppDataLocation gives an application named "Tovix").
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) throw EFileError("No data folder for Tovix");
  return {EnsureFolder(std::filesystem::path(QFile::encodeName(data).toStdString()) / "Tovix"),
          false};
}

}  // namespace tovix
