// Linked into every test program (tovix_add_test, tovix_add_xserver_test): the program runs in
// a HOME and XDG folders of its own. ctest starts one process per test and runs them in
// parallel, so a test that reads or writes under HOME (QStandardPaths, the desktop folder,
// QDir::homePath, ~/.local/share) must see neither another test's files nor the real user's.
// Set before main(), before Qt or a test has read the old values; removed when the program
// ends.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace tovix::test {

namespace {

[[noreturn]] void Abort(const std::string& what) {
  std::fprintf(stderr, "A test HOME of its own could not be made: %s: %s\n", what.c_str(),
               std::strerror(errno));
  std::abort();
}

void MakeFolder(const fs::path& folder, mode_t mode) {
  if (mkdir(folder.c_str(), mode) != 0) Abort("mkdir " + folder.string());
  if (chmod(folder.c_str(), mode) != 0) Abort("chmod " + folder.string());  // whatever the umask
}

void Set(const char* name, const fs::path& value) {
  if (setenv(name, value.c_str(), 1) != 0) Abort(std::string("setenv ") + name);
}

class OwnHome {
 public:
  OwnHome() {
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    if (ec) tmp = "/tmp";
    std::string pattern = (tmp / "tovix-home-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) Abort("mkdtemp " + pattern);
    root_ = pattern;
    home_ = root_ / "home";
    MakeFolder(home_, 0700);
    MakeFolder(root_ / "runtime", 0700);  // the XDG runtime folder must be the owner's alone
    Set("HOME", home_);
    Set("XDG_CONFIG_HOME", home_ / ".config");
    Set("XDG_DATA_HOME", home_ / ".local/share");
    Set("XDG_STATE_HOME", home_ / ".local/state");
    Set("XDG_CACHE_HOME", home_ / ".cache");
    Set("XDG_RUNTIME_DIR", root_ / "runtime");
    // The caller's game folder is no test's.
    unsetenv("TOVIX_HOME");
  }
  ~OwnHome() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  OwnHome(const OwnHome&) = delete;
  OwnHome& operator=(const OwnHome&) = delete;

 private:
  fs::path root_;
  fs::path home_;
};

// Made while the program starts, before main().
const OwnHome ownHome;

}  // namespace

}  // namespace tovix::test
