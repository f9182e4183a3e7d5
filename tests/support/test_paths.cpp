#include "support/test_paths.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tovix::test {

fs::path DataDir() {
  const char* dir = std::getenv("TOVIX_TEST_DATA");
  return fs::path(dir ? dir : TOVIX_TEST_DATA_DEFAULT);
}

namespace {

fs::path ReportsRoot() {
  const char* dir = std::getenv("TOVIX_REPORTS");
  return fs::path(dir ? dir : TOVIX_REPORTS_DEFAULT);
}

}  // namespace

fs::path ReportsDir(const std::string& game) {
  fs::path p = ReportsRoot() / game;
  std::error_code ec;
  if (fs::exists(p, ec)) return p;
  std::printf("%s\n", ReportsAbsent(game).c_str());
  return fs::path();
}

std::string ReportsAbsent(const std::string& game) {
  std::error_code ec;
  const fs::path root = ReportsRoot();
  const fs::path missing = fs::exists(root, ec) ? root / game : root;
  return "the folder " + missing.lexically_normal().string() +
         " (../shared/reports, real Galaxy NG reports) is absent: the tests that read real "
         "reports skip";
}

fs::path SamplesDir() {
  return fs::path(TOVIX_SAMPLES_DEFAULT);
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tovix-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace tovix::test
