#include "core/text/file_utils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string_view>
#include <system_error>

#include "core/base/errors.h"

namespace fs = std::filesystem;

namespace tovix {

namespace {

std::atomic<AtomicWriteStep> g_failAt{AtomicWriteStep::kNone};

bool FailHere(AtomicWriteStep step, int err) {
  if (g_failAt.load(std::memory_order_relaxed) != step) return false;
  errno = err;
  return true;
}

std::string Reason(int err) {
  return std::generic_category().message(err);
}

[[noreturn]] void Fail(const char* what, const fs::path& name, int err) {
  throw EFileError(std::string(what) + " \"" + name.string() + "\". " + Reason(err));
}

// Writes all of `bytes`, retrying short writes and interrupted calls.
bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  if (g_failAt.load(std::memory_order_relaxed) == AtomicWriteStep::kWrite) {
    // Half the data reaches the disk before it fills up.
    bytes = bytes.substr(0, bytes.size() / 2);
  }
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return !FailHere(AtomicWriteStep::kWrite, ENOSPC);
}

// A temporary file of ours beside `target` is named "." + the target's name (its first 200
// characters, so that the suffix never pushes a long name past the file system's limit) +
// ".tmp" + 8 characters of kTempDigits.
constexpr char kTempDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int kTempSuffixLength = 8;
constexpr size_t kTempNameLength = 200;

std::string TempBase(const fs::path& target) {
  return "." + target.filename().string().substr(0, kTempNameLength) + ".tmp";
}

// Whether `name` has the form of our temporary files.
bool IsTempName(std::string_view name) {
  constexpr std::string_view kTmp = ".tmp";
  const size_t minimum = 1 + 1 + kTmp.size() + kTempSuffixLength;
  if (name.size() < minimum || name[0] != '.') return false;
  const std::string_view suffix = name.substr(name.size() - kTempSuffixLength);
  if (suffix.find_first_not_of(kTempDigits) != std::string_view::npos) return false;
  const std::string_view rest = name.substr(0, name.size() - kTempSuffixLength);
  return rest.ends_with(kTmp) && rest.size() - kTmp.size() - 1 <= kTempNameLength;
}

// The bits an existing file with `old` bits keeps under `mode`: read and write only as far as
// `mode` gives them, execute only to those `mode` lets read; the special bits as they were.
mode_t KeptMode(mode_t old, mode_t mode) {
  return old & (07000 | (mode & 0666) | ((mode & 0444) >> 2));
}

// Creates a new, not yet existing temporary file beside `target` with the permission bits
// `mode`; returns its descriptor.
int CreateTemp(const fs::path& target, mode_t mode, fs::path& tempName) {
  if (FailHere(AtomicWriteStep::kCreate, EACCES)) return -1;
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  fs::path dir = target.parent_path();
  // Short enough that the suffix never pushes a long name past the file system's limit.
  std::string base = TempBase(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix;
    uint64_t r = rng();
    for (int i = 0; i < kTempSuffixLength; ++i, r /= 36) suffix.push_back(kTempDigits[r % 36]);
    tempName = dir / (base + suffix);
    int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void SyncFolder(const fs::path& dir) {
  // Makes the rename itself durable; a folder that cannot be opened only loses that guarantee.
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

void SetAtomicWriteFailure(AtomicWriteStep step) {
  g_failAt.store(step, std::memory_order_relaxed);
}

namespace {

// Reads an open file to its end and closes it.
std::string ReadAndClose(int fd, const fs::path& name) {
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      Fail("Cannot read file", name, err);
    }
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

}  // namespace

std::string LoadFileToString(const fs::path& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("Cannot open file", name, errno);
  return ReadAndClose(fd, name);
}

std::optional<std::string> LoadFileIfExists(const fs::path& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    Fail("Cannot open file", name, errno);
  }
  return ReadAndClose(fd, name);
}

void WriteFileAtomically(const fs::path& name, std::string_view bytes, mode_t mode) {
  std::error_code ec;
  fs::path target = name;
  // Replacing a link would turn it into a plain file; replace the file it points at instead.
  if (fs::is_symlink(fs::symlink_status(name, ec))) {
    fs::path resolved = fs::canonical(name, ec);
    if (!ec) target = resolved;
  }

  struct stat old {};
  bool hadFile = ::stat(target.c_str(), &old) == 0;
  // The rename would replace a file its owner made read-only, as the folder allows it: the
  // flag is honoured instead.
  if (hadFile && (old.st_mode & S_IWUSR) == 0) {
    throw EFileError("Cannot write file \"" + name.string() +
                     "\". The file is read-only: it is not replaced.");
  }

  // The temporary file has its final bits from the start (the umask can only narrow them):
  // another user never reads what the finished file would keep from him.
  const mode_t wanted = hadFile ? KeptMode(old.st_mode, mode) : (mode & 0777);
  fs::path temp;
  int fd = CreateTemp(target, wanted, temp);
  if (fd < 0) Fail("Cannot create file", name, errno);

  int err = 0;
  if (hadFile && ::fchmod(fd, wanted) != 0) {
    err = errno;
  } else if (!WriteAll(fd, bytes)) {
    err = errno;
  } else if (::fsync(fd) != 0 || FailHere(AtomicWriteStep::kSync, EIO)) {
    err = errno;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0) {
    if (FailHere(AtomicWriteStep::kRename, EACCES) || ::rename(temp.c_str(), target.c_str()) != 0) {
      err = errno;
    }
  }
  if (err != 0) {
    ::unlink(temp.c_str());
    Fail("Cannot create file", name, err);
  }
  SyncFolder(target.parent_path());
}

bool NarrowFileMode(const fs::path& name, mode_t mode) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return errno == ENOENT;
  const mode_t wanted = KeptMode(st.st_mode, mode);
  return wanted == (st.st_mode & 07777) || ::chmod(name.c_str(), wanted) == 0;
}

int RemoveLeftTempFiles(const fs::path& folder, std::error_code* listError) {
  int removed = 0;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  if (listError) *listError = ec;
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError) || it->is_symlink(typeError)) continue;
    if (!IsTempName(it->path().filename().string())) continue;
    std::error_code removeError;
    if (fs::remove(it->path(), removeError)) ++removed;
  }
  return removed;
}

void SaveStringToFile(const fs::path& name, std::string_view s) {
  WriteFileAtomically(name, s);
}

bool SetReadOnly(const fs::path& name, bool on) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = on ? (mode & ~mode_t(S_IWUSR)) : (mode | S_IWUSR);
  if (wanted == mode) return true;
  return ::chmod(name.c_str(), wanted) == 0;
}

bool IsReadOnly(const fs::path& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0;
}

}  // namespace tovix
