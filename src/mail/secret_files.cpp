#include "mail/secret_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>
#include <vector>

#include "orders/order_file.h"

namespace tovix {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kGroupAndOthers = 077;
// An order mail holds its "#GALAXY" line near its start; a bigger file is not read further.
constexpr size_t kLookedAt = size_t{1} << 20;

using TFailures = std::vector<std::string>;

void Failed(TFailures& failures, const fs::path& name, int err) {
  failures.push_back("\"" + name.string() + "\": " + std::generic_category().message(err) + ".");
}

bool IsWiderOwn(const struct stat& st) {
  return (st.st_mode & kGroupAndOthers) != 0 && st.st_uid == ::geteuid();
}

// The folder the path names, behind a link too: it is the one the program works in.
void NarrowFolder(const fs::path& folder, TFailures& failures) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) {
    // Missing, or behind what is no folder or not this user's to pass: nothing of the program.
    if (errno != ENOENT && errno != ENOTDIR && errno != EACCES) Failed(failures, folder, errno);
    return;
  }
  if (S_ISDIR(st.st_mode) && IsWiderOwn(st) && ::chmod(folder.c_str(), st.st_mode & 07700) != 0)
    Failed(failures, folder, errno);
}

// Up to kLookedAt bytes of an open file.
std::string ReadStart(int fd) {
  std::string bytes;
  char buffer[65536];
  while (bytes.size() < kLookedAt) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

// `name` in the folder `at` (or a whole path with AT_FDCWD), never through a link. Opened
// without waiting, so that a pipe cannot hold the start; the mode is changed on what was opened,
// so no file put there meanwhile is changed instead.
void NarrowFile(int at, const char* name, const fs::path& shown, bool onlyWithGalaxyLine,
                TFailures& failures) {
  const int fd = ::openat(at, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    // Missing, a link, or not ours to read: nothing this program wrote.
    if (errno != ENOENT && errno != ELOOP && errno != EACCES) Failed(failures, shown, errno);
    return;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    Failed(failures, shown, errno);
  } else if (S_ISREG(st.st_mode) && IsWiderOwn(st) &&
             (!onlyWithGalaxyLine || HoldsGalaxyLine(ReadStart(fd))) &&
             ::fchmod(fd, st.st_mode & 07700) != 0) {
    Failed(failures, shown, errno);
  }
  ::close(fd);
}

void NarrowOutboxFiles(const fs::path& outbox, TFailures& failures) {
  const int folder = ::open(outbox.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    // Missing, or another user's that this one may not list: nothing to narrow.
    if (errno != ENOENT && errno != ENOTDIR && errno != EACCES) Failed(failures, outbox, errno);
    return;
  }
  const int listed = ::dup(folder);
  DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
  if (!dir) {
    Failed(failures, outbox, errno);
    if (listed >= 0) ::close(listed);
    ::close(folder);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || entry->d_type == DT_DIR || entry->d_type == DT_LNK) continue;
    NarrowFile(folder, entry->d_name, outbox / entry->d_name, true, failures);
  }
  ::closedir(dir);
  ::close(folder);
}

}  // namespace

std::string NarrowSecretFiles(const fs::path& programFolder, const fs::path& outbox,
                              const fs::path& passwordFile) {
  TFailures failures;
  // The folders first: then nobody else reaches the files while they are looked at.
  NarrowFolder(programFolder, failures);
  NarrowFolder(outbox, failures);
  NarrowFile(AT_FDCWD, passwordFile.c_str(), passwordFile, false, failures);
  NarrowOutboxFiles(outbox, failures);
  if (failures.empty()) return {};
  std::string message =
      "Other users may still read these, which hold the race's password or lead to it: they "
      "could not be made their owner's alone.";
  for (const std::string& failure : failures) message += "\r" + failure;
  return message;
}

}  // namespace tovix
