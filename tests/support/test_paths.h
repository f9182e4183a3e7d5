#pragma once
// Where tests find their data, and scratch folders that clean up after themselves.

#include <filesystem>
#include <string>

namespace tovix::test {

// tests/data of the source tree.
std::filesystem::path DataDir();

// A folder of real game reports under ../shared/reports (e.g. "orion"), or an empty path when
// it is not present on this machine; then it also prints that the folder is absent. Tests that
// need one skip on an empty path: GTEST_SKIP() << ReportsAbsent("orion").
std::filesystem::path ReportsDir(const std::string& game);

// The skip message of a test that reads real reports: the folder ../shared/reports (or the
// game's folder in it) is absent on this machine.
std::string ReportsAbsent(const std::string& game);

// samples of the source tree (the bundled sample game is samples/demo).
std::filesystem::path SamplesDir();

// Whole file as bytes; throws std::runtime_error when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace tovix::test
