// Every file that holds a password or the orders' "#GALAXY" line is its owner's alone from its
// first byte. A watcher (inotify) looks at each file of the program folder and the outbox the
// moment it is made, renamed or changes its mode, while the stored mail password, the orders
// files and outbox mails are written again and again into folders that others may read, as the
// program folder of an older version was. A shared settings file written alongside shows that
// the watcher sees what others could read.

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

#include "core/text/file_utils.h"
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
  return static_cast<unsigned>(fs::symlink_status(path).permissions() & fs::perms::all);
}

// What the start narrows besides the plain mails the start-up test shows: the stored password
// (not through a link named like it), and in the outbox nothing that is not a file of this user's
// own: a pipe (which must not hold the start), a folder and what it holds, another user's file.
TEST(SecretFiles, TheStartNarrowsOnlyTheUsersOwnFilesNeverThroughALinkOrAPipe) {
  const mode_t oldMask = ::umask(0);
  test::TempDir dir;
  const fs::path program = dir / "Tovix";
  const fs::path outbox = dir / "out";
  const fs::path password = program / kMailPasswordFile;
  const fs::path elsewhere = dir / "elsewhere";
  const std::string galaxy = "#GALAXY Orion Arcturans pw\r\n";
  fs::create_directories(program);
  fs::create_directories(outbox / "old");
  ::mkdir(elsewhere.c_str(), 0755);
  struct TRow {
    fs::path Path;
    const char* Bytes;  // null: a pipe
    unsigned Before, After;
  };
  const TRow rows[] = {
      {password, "p\xC3\xA4sswort", 0644, 0600},
      {elsewhere / "password", "secret", 0644, 0644},
      {outbox / "pipe.eml", nullptr, 0644, 0644},
      {outbox / "old" / "orders.eml", "#GALAXY Orion Arcturans pw", 0644, 0644},
      {outbox / "ORDERS.EML", "Subject: x\r\n\r\n; #Galaxy in a comment\r\n", 0664, 0600},
  };
  for (const TRow& row : rows) {
    if (row.Bytes)
      std::ofstream(row.Path, std::ios::binary) << row.Bytes;
    else
      ASSERT_EQ(::mkfifo(row.Path.c_str(), row.Before), 0);
    ASSERT_EQ(::chmod(row.Path.c_str(), row.Before), 0);
  }
  // A link named like the password file leads elsewhere: what it leads to stays.
  const fs::path linkedProgram = dir / "linked";
  fs::create_directories(linkedProgram);
  fs::create_symlink(elsewhere / "password", linkedProgram / kMailPasswordFile);
  // The outbox of the settings may itself be a link to the folder.
  fs::create_symlink(outbox, dir / "outbox link");
  ASSERT_EQ(::chmod(outbox.c_str(), 0777), 0);
  ASSERT_EQ(::chmod((outbox / "old").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(program.c_str(), 0750), 0);

  EXPECT_EQ(NarrowSecretFiles(program, dir / "outbox link", password), "");
  EXPECT_EQ(NarrowSecretFiles(linkedProgram, dir / "missing", linkedProgram / kMailPasswordFile),
            "");
  for (const TRow& row : rows) EXPECT_EQ(Mode(row.Path), row.After) << row.Path;
  EXPECT_EQ(Mode(program), 0700u);
  EXPECT_EQ(Mode(outbox), 0700u);
  EXPECT_EQ(Mode(elsewhere), 0755u);
  EXPECT_EQ(Mode(outbox / "old"), 0755u);

  // Another user's mail is not this one's to change (only the superuser can make one).
  if (::geteuid() == 0) {
    const fs::path theirs = outbox / "theirs.eml";
    std::ofstream(theirs) << galaxy;
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(theirs.c_str(), 0644), 0);
    EXPECT_EQ(NarrowSecretFiles(program, outbox, password), "");
    EXPECT_EQ(Mode(theirs), 0644u);
  }
  ::umask(oldMask);
}

}  // namespace
}  // namespace tovix
