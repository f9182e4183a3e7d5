#pragma once
// The program folder: where Tovix.ini, TovixStore3.ini, ExtrInf.ini and the orders and notes files
// of the user live.

#include <filesystem>

namespace tovix {

struct TProgramFolder {
  std::filesystem::path Path;
  // $TOVIX_HOME or the executable's folder: a folder the user chose, whose permissions are the
  // user's to set. False for the program's own data folder.
  bool NamedByUser = false;
};

// $TOVIX_HOME when it is set (created when missing); else the executable's folder `exeDir` when
// it holds Tovix.ini (a copy kept beside the program); else the user's data folder for Tovix
// (~/.local/share/Tovix), created when missing. Always absolute. A folder made here is its
// owner's alone (0700). Throws EFileError when the folder cannot be created.
TProgramFolder FindProgramFolder(const std::filesystem::path& exeDir);
inline std::filesystem::path ProgramFolder(const std::filesystem::path& exeDir) {
  return FindProgramFolder(exeDir).Path;
}

}  // namespace tovix
