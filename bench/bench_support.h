#pragma once
// What the benchmarks share: a scratch folder and unpacking a game's archive into it.

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <system_error>

extern char** environ;

namespace tovix::bench {

// A fresh folder under the system's temporary folder, removed with its contents.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// tar -xJf <archive> -C <folder>, with an argument list built from our own paths (no shell).
inline bool Unpack(const std::filesystem::path& archive, const std::filesystem::path& folder) {
  std::string a = archive.string();
  std::string f = folder.string();
  char tar[] = "tar";
  char extract[] = "-xJf";
  char into[] = "-C";
  char* argv[] = {tar, extract, a.data(), into, f.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "tar", nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tovix::bench
