#include "mail/secret_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <system_error>

#include "core/text/str_utils.h"
#include "mail/mail_message.h"
#include "mail/mail_service.h"
#include "mail/mail_transport.h"
#include "orders/order_file.h"

namespace tovix {

namespace {

namespace fs = std::filesystem;

using TWhat = TNarrowing::TWhat;

constexpr mode_t kGroupAndOthers = 077;
// Read or enter: what lets others at the names and, where a file allows it, the bytes.
constexpr mode_t kOthersMayLookIn = 055;
// An order mail holds its "#GALAXY" line near its start; a bigger file is not read further.
constexpr size_t kLookedAt = size_t{1} << 20;

void Refused(TNarrowing& narrowing, const fs::path& folder, TWhat what, int err) {
  for (TNarrowing::TRefusal& refusal : narrowing.Refused) {
    if (refusal.Folder == folder && refusal.What == what && refusal.Error == err) {
      ++refusal.Files;
      return;
    }
  }
  narrowing.Refused.push_back({folder, what, 1, err});
}

bool IsWiderOwn(const struct stat& st) {
  return (st.st_mode & kGroupAndOthers) != 0 && st.st_uid == ::geteuid();
}

// The program's own folder, itself and never through a link: a link to a folder is the user's
// doing, and what it leads to keeps its mode. True when `folder` is such a folder (narrowed or
// not); false when it is missing or a link.
bool NarrowOwnFolder(const fs::path& folder, TNarrowing& narrowing) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    // Missing, a link, or not this user's to enter: nothing to narrow.
    if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP && errno != EACCES)
      Refused(narrowing, folder, TWhat::Folder, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    Refused(narrowing, folder, TWhat::Folder, errno);
  else if (IsWiderOwn(st) && ::fchmod(fd, st.st_mode & 07700) != 0)
    Refused(narrowing, folder, TWhat::Folder, errno);
  ::close(fd);
  return true;
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

// A file in the folder `at` (or a whole path with AT_FDCWD), never through a link. Opened
// without waiting, so that a pipe cannot hold the start; the mode is changed on what was opened,
// so no file put there meanwhile is changed instead. `isSecret` looks at the bytes of a file of
// this user's; true when the file is such a secret of the program's (narrowed or not).
template <typename TIsSecret>
bool NarrowFile(int at, const char* name, const fs::path& folder, TWhat what,
                const TIsSecret& isSecret, TNarrowing& narrowing) {
  const int fd = ::openat(at, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    // Missing, a link, or not ours to read: nothing this program wrote.
    if (errno != ENOENT && errno != ELOOP && errno != EACCES)
      Refused(narrowing, folder, what, errno);
    return false;
  }
  struct stat st {};
  bool secret = false;
  if (::fstat(fd, &st) != 0) {
    Refused(narrowing, folder, what, errno);
  } else if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && isSecret(fd)) {
    secret = true;
    if (IsWiderOwn(st) && ::fchmod(fd, st.st_mode & 07700) != 0)
      Refused(narrowing, folder, what, errno);
  }
  ::close(fd);
  return secret;
}

// The order mails the outbox writer put there for this user: its names, its drafts, the orders'
// "#GALAXY" line. Anything else, a team mate's order file too, is not the program's. Returns how
// many.
int NarrowOutboxMails(const fs::path& outbox, TNarrowing& narrowing) {
  const int folder = ::open(outbox.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    // Missing, or another user's that this one may not list: nothing to narrow.
    if (errno != ENOENT && errno != ENOTDIR && errno != EACCES)
      Refused(narrowing, outbox, TWhat::Folder, errno);
    return 0;
  }
  const int listed = ::dup(folder);
  DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
  if (!dir) {
    Refused(narrowing, outbox, TWhat::Folder, errno);
    if (listed >= 0) ::close(listed);
    ::close(folder);
    return 0;
  }
  const auto isOrderMail = [](int fd) {
    const std::string start = ReadStart(fd);
    return IsComposedDraft(start) && HoldsGalaxyLine(start);
  };
  int mails = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    if (!IsOutboxFileName(entry->d_name)) continue;
    if (NarrowFile(folder, entry->d_name, outbox, TWhat::Mails, isOrderMail, narrowing)) ++mails;
  }
  ::closedir(dir);
  ::close(folder);
  return mails;
}

// Whether others may read or enter `folder` (behind a link too).
bool OthersMayLookIn(const fs::path& folder) {
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         (st.st_mode & kOthersMayLookIn) != 0;
}

void AddOpen(TNarrowing& narrowing, const fs::path& folder, bool password, int mails) {
  if (!password && mails == 0) return;
  std::error_code error;
  for (TNarrowing::TOpenFolder& open : narrowing.Open) {
    if (fs::equivalent(open.Folder, folder, error)) {
      open.HoldsPassword = open.HoldsPassword || password;
      open.Mails += mails;
      return;
    }
  }
  narrowing.Open.push_back({folder, password, mails});
}

std::string Quoted(const fs::path& path) {
  return "\"" + path.string() + "\"";
}

std::string Reason(int err) {
  return AsSentence(std::generic_category().message(err));
}

std::string RefusalLine(const TNarrowing::TRefusal& refusal) {
  const std::string notYours = " could not be made yours alone: " + Reason(refusal.Error);
  switch (refusal.What) {
    case TWhat::Folder:
      return "The folder " + Quoted(refusal.Folder) + notYours;
    case TWhat::PasswordFile:
      return "The stored mail password in " + Quoted(refusal.Folder) + notYours;
    case TWhat::Mails:
      break;
  }
  return (refusal.Files == 1 ? std::string("1 order mail")
                             : std::to_string(refusal.Files) + " order mails") +
         " in the outbox " + Quoted(refusal.Folder) + notYours;
}

std::string OpenLine(const TNarrowing::TOpenFolder& open) {
  std::string holds;
  if (open.HoldsPassword) holds = "the stored mail password";
  if (open.Mails > 0) {
    if (!holds.empty()) holds += " and ";
    holds +=
        open.Mails == 1 ? std::string("1 order mail") : std::to_string(open.Mails) + " order mails";
  }
  return "Other users may look into the folder " + Quoted(open.Folder) +
         ", which you chose and which holds " + holds +
         ". Tovix keeps those files readable by you alone but leaves the folder as you set it: "
         "if others should not see them, make the folder yours alone. This is said only once.";
}

constexpr std::string_view kToldKey = "OpenFolderTold";

// The folders the user was told of, as the store keeps them (a value loses the blanks at its
// ends and cannot hold a line break).
std::vector<std::string> ToldFolders(const TznSaveState& store) {
  std::vector<std::string> told;
  for (int n = 1;; ++n) {
    const std::string folder =
        store.ReadString(kMailSection, std::string(kToldKey) + std::to_string(n), "");
    if (folder.empty()) return told;
    told.push_back(folder);
  }
}

std::string AsStored(const fs::path& folder) {
  return Trim(StripLineBreaks(folder.string()));
}

}  // namespace

TNarrowing NarrowSecretFiles(const TSecretPlaces& places) {
  TNarrowing narrowing;
  // The folders first: then nobody else reaches the files while they are looked at.
  const bool ownProgramFolder =
      places.ProgramFolderIsOwn && NarrowOwnFolder(places.ProgramFolder, narrowing);
  const bool ownOutbox = places.OutboxIsOwn && NarrowOwnFolder(places.Outbox, narrowing);
  const bool password = NarrowFile(
      AT_FDCWD, places.PasswordFile.c_str(), places.PasswordFile.parent_path(), TWhat::PasswordFile,
      [](int) { return true; }, narrowing);
  const int mails = NarrowOutboxMails(places.Outbox, narrowing);
  if (!ownProgramFolder && OthersMayLookIn(places.ProgramFolder))
    AddOpen(narrowing, places.ProgramFolder, password, 0);
  if (!ownOutbox && OthersMayLookIn(places.Outbox)) AddOpen(narrowing, places.Outbox, false, mails);
  return narrowing;
}

std::string NarrowingMessage(const TNarrowing& narrowing, TznSaveState& store) {
  std::string message;
  const auto add = [&message](const std::string& line) {
    message += (message.empty() ? "" : "\r") + line;
  };
  if (!narrowing.Refused.empty()) {
    add("Other users may still read what holds the race's password.");
    for (const TNarrowing::TRefusal& refusal : narrowing.Refused) add(RefusalLine(refusal));
  }
  std::vector<std::string> told = ToldFolders(store);
  for (const TNarrowing::TOpenFolder& open : narrowing.Open) {
    const std::string stored = AsStored(open.Folder);
    if (std::find(told.begin(), told.end(), stored) != told.end()) continue;
    add(OpenLine(open));
    told.push_back(stored);
    store.WriteString(kMailSection, std::string(kToldKey) + std::to_string(told.size()), stored);
  }
  return message;
}

}  // namespace tovix
