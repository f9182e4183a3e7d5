#pragma once
// The files written only to be viewed: all in one private folder ("tovix-export-XXXXXX" in
// the temporary folder, made on first use, readable only by the user), removed with everything
// in it when the object goes. Nothing outside that folder is ever deleted.

#include <filesystem>
#include <string_view>

namespace tovix {

class TExportTempFolder {
 public:
  explicit TExportTempFolder(std::filesystem::path base = {});
  ~TExportTempFolder();
  TExportTempFolder(const TExportTempFolder&) = delete;
  TExportTempFolder& operator=(const TExportTempFolder&) = delete;

  // A new file name "exp<n>.<extension>" in the folder (made now if need be). Throws
  // std::filesystem::filesystem_error when the folder cannot be made.
  std::filesystem::path NewFile(std::string_view extension);
  // The folder, empty before the first file.
  const std::filesystem::path& Folder() const { return folder_; }
  // Removes the folder and its files now; a later NewFile makes a new one.
  void Remove();

 private:
  std::filesystem::path base_;
  std::filesystem::path folder_;
  int counter_ = 0;
};

}  // namespace tovix
