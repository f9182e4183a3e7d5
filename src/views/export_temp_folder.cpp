#include "views/export_temp_folder.h"

#include <stdlib.h>

#include <string>
#include <system_error>

namespace tovix {

TExportTempFolder::TExportTempFolder(std::filesystem::path base) : base_(std::move(base)) {}

TExportTempFolder::~TExportTempFolder() {
  Remove();
}

std::filesystem::path TExportTempFolder::NewFile(std::string_view extension) {
  if (folder_.empty()) {
    std::filesystem::path base = base_.empty() ? std::filesystem::temp_directory_path() : base_;
    std::string pattern = (base / "tovix-export-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      throw std::filesystem::filesystem_error("Cannot make the export folder", base,
                                              std::error_code(errno, std::generic_category()));
    }
    folder_ = pattern;
  }
  std::string name = "exp" + std::to_string(++counter_);
  if (!extension.empty()) name += "." + std::string(extension);
  return folder_ / name;
}

void TExportTempFolder::Remove() {
  if (folder_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  folder_.clear();
}

}  // namespace tovix
