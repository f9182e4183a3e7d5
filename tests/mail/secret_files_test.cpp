// Every file that holds a password or the orders' "#GALAXY" line is its owner's alone from its
// first byte. A watcher (inotify) looks at each file of the program folder and the outbox the
// moment it is made, renamed or changes its mode, while the stored mail password, the orders
// files and outbox mails are written again and again into folders that others may read, as the
// program folder of an older version was. A shared settings file written alongside shows that
// the watcher sees what others could read.

#include <fcntl.h>
#include <linux/fs.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "core/text/file_utils.h"
#include "mail/mail_message.h"
#include "mail/mail_service.h"
#include "mail/mail_transport.h"
#include "mail/secret_files.h"
#include "mail_test_support.h"
#include "orders/order_file.h"
#include "support/recording_ui.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// The modes the files of some folders had whenever they were seen, by folder and name.
class TModeWatcher {
 public:
  explicit TModeWatcher(const std::vector<fs::path>& folders) {
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(inotify_, 0);
    EXPECT_EQ(::pipe2(stop_, O_CLOEXEC), 0);
    for (const fs::path& folder : folders) {
      const int watch =
          ::inotify_add_watch(inotify_, folder.c_str(), IN_CREATE | IN_ATTRIB | IN_MOVED_TO);
      EXPECT_GE(watch, 0) << folder;
      folders_[watch] = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    thread_ = std::thread([this] { Watch(); });
  }
  ~TModeWatcher() {
    Stop();
    for (const auto& [watch, fd] : folders_) ::close(fd);
    ::close(inotify_);
  }
  void Stop() {
    if (!thread_.joinable()) return;
    EXPECT_EQ(::write(stop_[1], "x", 1), 1);
    thread_.join();
    ::close(stop_[0]);
    ::close(stop_[1]);
  }
  // Every (name, mode) seen; call after Stop().
  const std::vector<std::pair<std::string, mode_t>>& Seen() const { return seen_; }

 private:
  void Watch() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      pollfd fds[2] = {{inotify_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) continue;
      const ssize_t got = ::read(inotify_, buffer, sizeof buffer);
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (event->len == 0) continue;
        struct stat st {};
        // Gone again before it could be looked at: nothing to learn from it.
        if (::fstatat(folders_[event->wd], event->name, &st, AT_SYMLINK_NOFOLLOW) == 0)
          seen_.emplace_back(event->name, st.st_mode & 0777);
      }
      if (got <= 0 && fds[1].revents != 0) return;
    }
  }

  int inotify_ = -1;
  int stop_[2] = {-1, -1};
  std::map<int, int> folders_;  // watch -> folder descriptor
  std::vector<std::pair<std::string, mode_t>> seen_;
  std::thread thread_;
};

class NoPrompts : public IMailPrompts {
 public:
  std::optional<std::string> AskPassword(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void OpenInMailProgram(const fs::path&) override {}
};

TEST(SecretFiles, AreNeverReadableByOthersFromTheirFirstByte) {
  const mode_t oldMask = ::umask(022);
  test::TempDir dir;
  const fs::path program = dir / "Tovix";
  const fs::path outbox = program / "outbox";
  fs::create_directories(outbox);
  fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(outbox, fs::status(program).permissions());
  // Orders an older version left readable by all: the next write narrows them.
  std::vector<std::string> orders{"#GALAXY Orion Arcturans P2027128342", "s 12 Alpha", "#END"};
  const fs::path automatic = AutomaticOrdersFile(program, "0");
  WriteOrderFile(automatic, TVectorOrderLines(orders), TOrderLineEnds::CrLf);
  ASSERT_EQ(::chmod(automatic.c_str(), 0644), 0);

  TznSaveState store("");
  test::RecordingUserInterface ui;
  NoPrompts prompts;
  TMailService mail(store, program, ui, prompts);
  TMailSettings settings = mail.Settings();
  settings.StorePassword = true;
  {
    TModeWatcher watcher({program, outbox});
    EXPECT_FALSE(
        WriteOrderFileIfChanged(automatic, TVectorOrderLines(orders), TOrderLineEnds::CrLf));
    for (int round = 0; round < 30; ++round) {
      ASSERT_TRUE(mail.ChangeSettings(settings, "p\xC3\xA4sswort" + std::to_string(round)));
      orders[1] = "s " + std::to_string(round) + " Alpha";
      EXPECT_TRUE(
          WriteOrderFileIfChanged(automatic, TVectorOrderLines(orders), TOrderLineEnds::CrLf));
      WriteOrderFile(program / "saved orders.txt", TVectorOrderLines(orders),
                     TOrderLineEnds::LfOnly);
      const TSendResult placed =
          WriteToOutbox(outbox, "Subject: x\r\n\r\n" + orders[0] + "\r\n", 1751373296 + round);
      ASSERT_TRUE(placed.Ok) << placed.Error;
      WriteFileAtomically(program / "Tovix.ini", "[RUN]\r\ngame=0\r\n");
    }
    watcher.Stop();
    std::map<std::string, int> temporaries;  // by the file they became
    for (const auto& [name, mode] : watcher.Seen()) {
      const bool shared = name.find("Tovix.ini") != std::string::npos;
      SCOPED_TRACE(name);
      if (shared)
        EXPECT_EQ(mode, 0644u);
      else
        EXPECT_EQ(mode & 077, 0u);
      if (name.front() == '.') ++temporaries[name.substr(1, name.find(".tmp") - 1)];
    }
    // The watcher saw the temporary files themselves, not only the finished ones.
    for (const char* target : {"TovixMailPassword", "orders_0", "saved orders.txt", "Tovix.ini"})
      EXPECT_GT(temporaries[target], 0) << target;
    EXPECT_TRUE(std::any_of(temporaries.begin(), temporaries.end(),
                            [](const auto& t) { return t.first.starts_with("tovix-"); }));
  }
  for (const fs::path& file : {automatic, mail.PasswordFile(), program / "saved orders.txt"})
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write)
        << file;
  EXPECT_EQ(test::FilesIn(outbox).size(), 30u);
  EXPECT_TRUE(ui.messages.empty());
  ::umask(oldMask);
}

unsigned Mode(const fs::path& path) {
  return static_cast<unsigned>(fs::symlink_status(path).permissions() & fs::perms::mask);
}

// A mail as the outbox writer writes it: a draft of the composed message.
std::string Draft(const std::string& body) {
  return ComposeMessage({"me@example.org", {"galaxy@example.org"}, "Orders", body},
                        {1751373296, 120, "x@example.org"}, true);
}

std::string MailName(int n) {
  return "tovix-20250701-1234" + std::to_string(50 + n) + ".eml";
}

// Narrowed: the program's data folder and its own outbox (never through a link), the stored
// password (not through a link named like it) and the order mails the outbox writer wrote. Left
// as they are: a program folder the user named (a group-shared 2775 one) and what it holds
// besides the password, an outbox typed in the settings (1777, which the superuser would have
// narrowed too), what a link leads to, and in an outbox whatever the writer did not write for
// this user: a mail without "#GALAXY", a file named otherwise or written otherwise, a pipe (which
// must not hold the start), a folder, another user's mail. Such a folder that lets others in is
// named once.
TEST(SecretFiles, OnlyWhatTheProgramMadeOrWroteIsNarrowed) {
  const mode_t oldMask = ::umask(0);
  test::TempDir dir;
  const fs::path own = dir / "data" / "Tovix";
  const fs::path named = dir / "reports";
  const fs::path typed = dir / "shared out";
  const fs::path ownWithLink = dir / "data2" / "Tovix";
  const fs::path linkedOutbox = dir / "linked out";
  const fs::path elsewhere = dir / "elsewhere";
  for (const fs::path& folder :
       {own / "outbox", named, typed, ownWithLink, linkedOutbox, elsewhere})
    fs::create_directories(folder);
  fs::create_symlink(linkedOutbox, ownWithLink / "outbox");
  const std::string orders = Draft("#GALAXY Orion Arcturans pw\n#END\n");
  struct TRow {
    fs::path Path;
    std::optional<std::string> Bytes;  // none: a folder; "|": a pipe
    unsigned Before, After;
  };
  const TRow rows[] = {
      {own, std::nullopt, 0750, 0700},
      {own / "outbox", std::nullopt, 0777, 0700},
      {own / kMailPasswordFile, "p\xC3\xA4sswort", 0644, 0600},
      {own / "outbox" / MailName(0), orders, 0644, 0600},
      {named, std::nullopt, 02775, 02775},
      {named / kMailPasswordFile, "secret", 0664, 0600},
      {named / "orders B.txt", "#GALAXY Orion Betelgeusians pw\r\n", 0664, 0664},
      {typed, std::nullopt, 01777, 01777},
      {typed / MailName(1), orders, 0644, 0600},
      {typed / MailName(2), Draft("Hello.\n"), 0644, 0644},
      {typed / "ORDERS.EML", orders, 0664, 0664},
      {typed / MailName(3), "Subject: x\r\n\r\n#GALAXY Orion Arcturans pw\r\n", 0644, 0644},
      {typed / MailName(4), "|", 0644, 0644},
      {typed / MailName(5), std::nullopt, 0755, 0755},
      {linkedOutbox, std::nullopt, 0755, 0755},
      {linkedOutbox / MailName(6), orders, 0640, 0600},
      {elsewhere / "password", "secret", 0644, 0644},
      {elsewhere / "mail", orders, 0644, 0644},
  };
  for (const TRow& row : rows) {
    if (!row.Bytes)
      fs::create_directories(row.Path);
    else if (*row.Bytes == "|")
      ASSERT_EQ(::mkfifo(row.Path.c_str(), row.Before), 0);
    else
      std::ofstream(row.Path, std::ios::binary) << *row.Bytes;
    ASSERT_EQ(::chmod(row.Path.c_str(), row.Before), 0) << row.Path;
  }
  fs::create_symlink(elsewhere / "password", ownWithLink / kMailPasswordFile);
  fs::create_symlink(elsewhere / "mail", typed / MailName(7));
  // A team mate's order mail in the shared outbox is not this user's to change (only the
  // superuser can make one).
  const fs::path theirs = typed / MailName(8);
  const bool root = ::geteuid() == 0;
  if (root) {
    std::ofstream(theirs) << orders;
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(theirs.c_str(), 0644), 0);
  }

  const TNarrowing ofOwn =
      NarrowSecretFiles({own, true, own / "outbox", true, own / kMailPasswordFile});
  const TNarrowing ofNamed =
      NarrowSecretFiles({named, false, typed, false, named / kMailPasswordFile});
  const TNarrowing ofLinked = NarrowSecretFiles(
      {ownWithLink, true, ownWithLink / "outbox", true, ownWithLink / kMailPasswordFile});
  for (const TRow& row : rows) EXPECT_EQ(Mode(row.Path), row.After) << row.Path;
  EXPECT_EQ(Mode(ownWithLink), 0700u);
  if (root) {
    EXPECT_EQ(Mode(theirs), 0644u);
  }
  for (const TNarrowing* narrowing : {&ofOwn, &ofNamed, &ofLinked})
    EXPECT_TRUE(narrowing->Refused.empty());

  // What others may look into is named once, with what it holds.
  EXPECT_TRUE(ofOwn.Open.empty());
  ASSERT_EQ(ofNamed.Open.size(), 2u);
  EXPECT_EQ(ofNamed.Open[0].Folder, named);
  EXPECT_TRUE(ofNamed.Open[0].HoldsPassword);
  EXPECT_EQ(ofNamed.Open[1].Folder, typed);
  EXPECT_EQ(ofNamed.Open[1].Mails, 1);
  ASSERT_EQ(ofLinked.Open.size(), 1u);
  EXPECT_EQ(ofLinked.Open[0].Folder, ownWithLink / "outbox");
  EXPECT_EQ(ofLinked.Open[0].Mails, 1);
  TznSaveState store("");
  const std::string told = NarrowingMessage(ofNamed, store);
  EXPECT_EQ(told,
            "Other users may look into the folder \"" + named.string() +
                "\", which you chose and which holds the stored mail password. Tovix keeps those "
                "files readable by you alone but leaves the folder as you set it: if others "
                "should not see them, make the folder yours alone. This is said only once.\r"
                "Other users may look into the folder \"" +
                typed.string() +
                "\", which you chose and which holds 1 order mail. Tovix keeps those files "
                "readable by you alone but leaves the folder as you set it: if others should not "
                "see them, make the folder yours alone. This is said only once.");
  EXPECT_EQ(test::BrokenSentence(told), "") << told;
  EXPECT_EQ(NarrowingMessage(ofNamed, store), "");
  EXPECT_NE(NarrowingMessage(ofLinked, store).find(ownWithLink.string()), std::string::npos);
  ::umask(oldMask);
}

// Sets or clears the immutable flag of a file: then even its owner cannot change its mode, as on
// a disk that refuses permissions. False where the system does not allow it.
bool SetImmutable(const fs::path& file, bool on) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

// What cannot be narrowed is named once per folder and reason, with the count of its files,
// never one line per file.
TEST(SecretFiles, RefusalsAreNamedOncePerFolderWithTheirCount) {
  test::TempDir dir;
  const fs::path program = dir / "Tovix";
  const fs::path outbox = program / "outbox";
  fs::create_directories(outbox);
  constexpr int kMails = 40;
  std::vector<fs::path> mails;
  for (int n = 0; n < kMails; ++n) {
    mails.push_back(outbox / ("tovix-20250701-123456-" + std::to_string(n + 2) + ".eml"));
    std::ofstream(mails.back(), std::ios::binary) << Draft("#GALAXY Orion Arcturans pw\n");
    ASSERT_EQ(::chmod(mails.back().c_str(), 0644), 0);
  }
  int immutable = 0;
  for (const fs::path& mail : mails) immutable += SetImmutable(mail, true) ? 1 : 0;
  const TNarrowing narrowing =
      NarrowSecretFiles({program, true, outbox, true, program / kMailPasswordFile});
  for (const fs::path& mail : mails) SetImmutable(mail, false);
  if (immutable == 0) GTEST_SKIP() << "files cannot be made immutable here (needs the superuser)";
  ASSERT_EQ(immutable, kMails);
  ASSERT_EQ(narrowing.Refused.size(), 1u);
  EXPECT_EQ(narrowing.Refused[0].Files, kMails);
  TznSaveState store("");
  const std::string message = NarrowingMessage(narrowing, store);
  EXPECT_EQ(message, "Other users may still read what holds the race's password.\r" +
                         std::to_string(kMails) + " order mails in the outbox \"" +
                         outbox.string() +
                         "\" could not be made yours alone: Operation not permitted.");
  EXPECT_EQ(test::BrokenSentence(message), "") << message;
  EXPECT_EQ(NarrowingMessage(narrowing, store), message);  // named at every start
  for (const fs::path& mail : mails) EXPECT_EQ(Mode(mail), 0644u);
}

}  // namespace
}  // namespace tovix
