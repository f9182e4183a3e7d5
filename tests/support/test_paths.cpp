#include "support/test_paths.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tovix::test {

fs::path DataDir() {
  const char* dir = std::getenv("TOVIX_TEST_DATA");
  return fs::path(dir ? dir : TOVIX_TEST_DATA_DEFAULT);
}

fs::path ReportsDir(const std::string& game) {
  const char* dir = std::getenv("TOVIX_REPORTS");
  fs::path p = fs::path(dir ? dir : TOVIX_REPORTS_DEFAULT) / game;
  std::error_code ec;
  return fs::exists(p, ec) ? p : fs::path();
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
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path p = fs::temp_directory_path() / ("tovix-test-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace tovix::test
