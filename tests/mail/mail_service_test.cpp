// The mail service the orders window calls: what it refuses before sending, the three ways out,
// the relay message, the password of a run and the stored one, and the settings in the store.

#include "mail/mail_service.h"

#include <gtest/gtest.h>

#include <deque>

#include "mail_test_support.h"
#include "support/recording_ui.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

class RecordingPrompts : public IMailPrompts {
 public:
  std::optional<std::string> AskPassword(const std::string& user,
                                         const std::string& server) override {
    asked.push_back(user + "@" + server);
    if (passwords.empty()) return std::nullopt;
    std::string p = passwords.front();
    passwords.pop_front();
    return p;
  }
  void OpenInMailProgram(const fs::path& file) override { opened.push_back(file); }
  std::deque<std::string> passwords;
  std::vector<std::string> asked;
  std::vector<fs::path> opened;
};

const std::vector<std::string> kOrderLines{"#GALAXY Orion Arcturans P2027128342", "s 12 Alpha",
                                           "#END"};

class MailService : public testing::Test {
 protected:
  MailService()
      : store_((folder_ / "TovixStore3.ini").string()),
        mail_(store_, folder_.path(), ui_, prompts_),
        lines_(kOrderLines) {}

  void UseProgram() {
    TMailSettings s = mail_.Settings();
    s.Method = TMailMethod::Sendmail;
    s.From = "me@example.org";
    s.Program = test::WriteFakeSendmail(folder_.path()).string();
    ASSERT_TRUE(mail_.ChangeSettings(s, ""));
  }
  fs::path Sent() const { return folder_ / "message"; }
  std::vector<fs::path> OutboxFiles() const { return test::FilesIn(mail_.StandardOutboxFolder()); }

  test::TempDir folder_;
  TznSaveState store_;
  test::RecordingUserInterface ui_;
  RecordingPrompts prompts_;
  TMailService mail_;
  TVectorOrderLines lines_;
};

struct RefusalRow {
  const char* Name;
  std::function<void(TMailSettings&)> Settings;
  std::string Recipients;
  std::vector<std::string> Lines;
  bool Relay;
  std::string Part;
};

// Each problem is named before anything is sent, and the orders stay as they were.
TEST_F(MailService, RefusesWhatCannotGoAndLeavesTheOrders) {
  UseProgram();
  const auto same = [](TMailSettings&) {};
  const RefusalRow rows[] = {
      {"recipient without @", same, "galaxyserver", kOrderLines, false,
       "The orders could not be sent.\rGalaxy Server Adress: \"galaxyserver\" is not an e-mail "
       "address: it has no \"@\"."},
      {"no recipient", same, "(none)", kOrderLines, false, "There is no recipient"},
      {"no orders", same, "galaxy@example.org", {}, false, "There are no orders to mail."},
      {"relay without #GALAXY",
       same,
       "galaxy@example.org",
       {"s 12 Alpha"},
       true,
       "The relay message could not be sent.\rThe orders have no \"#GALAXY\" line"},
      {"own address", [](TMailSettings& s) { s.From = "me at home"; }, "galaxy@example.org",
       kOrderLines, false, "\"me at home\", is not an e-mail address"},
      {"SMTP without own address",
       [](TMailSettings& s) {
         s.Method = TMailMethod::Smtp;
         s.From.clear();
         s.Smtp.Host = "127.0.0.1";
       },
       "galaxy@example.org", kOrderLines, false, "The SMTP server needs your own address"},
      {"SMTP without server",
       [](TMailSettings& s) {
         s.Method = TMailMethod::Smtp;
         s.Smtp.Host = " ";
       },
       "galaxy@example.org", kOrderLines, false, "No SMTP server is set"},
  };
  const TMailSettings base = mail_.Settings();
  for (const RefusalRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TMailSettings s = base;
    row.Settings(s);
    ASSERT_TRUE(mail_.ChangeSettings(s, ""));
    ui_.messages.clear();
    TVectorOrderLines lines(row.Lines);
    const bool sent = row.Relay ? mail_.SendRelayMessage(lines, row.Recipients, "B", "Hi", false)
                                : mail_.SendOrders(lines, row.Recipients, "Orders", false);
    EXPECT_FALSE(sent);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_NE(ui_.messages[0].find(row.Part), std::string::npos) << ui_.messages[0];
    EXPECT_EQ(lines.Lines(), row.Lines);
    EXPECT_FALSE(fs::exists(Sent()));
  }
  EXPECT_TRUE(prompts_.asked.empty());
}

// "Place in Outbox" writes the message whatever the way of sending, without needing a recipient,
// and offers it to the desktop's mail program. (The relay message's text is the orders mail
// test's, on Orion.)
TEST_F(MailService, PlacesMessagesInTheOutboxAndOffersThem) {
  UseProgram();
  ui_.answers = {true, false};
  ASSERT_TRUE(mail_.SendRelayMessage(lines_, "galaxy@example.org", "Betelgeusians",
                                     "Peace?\nWe offer peace.", true));
  ASSERT_EQ(OutboxFiles().size(), 1u);
  const fs::path relayFile = OutboxFiles()[0];
  ASSERT_TRUE(mail_.SendOrders(lines_, "(none)", "Orders", true));
  EXPECT_FALSE(fs::exists(Sent()));
  std::vector<fs::path> files = OutboxFiles();
  ASSERT_EQ(files.size(), 2u);
  const fs::path ordersFile = files[0] == relayFile ? files[1] : files[0];
  ASSERT_EQ(ui_.questions.size(), 2u);
  EXPECT_EQ(ui_.questions[0], "Placed the relay message in the outbox as the file below.\r" +
                                  relayFile.string() + "\r\rOpen the file in your mail program?");
  EXPECT_EQ(prompts_.opened, std::vector<fs::path>{relayFile});
  EXPECT_NE(test::ReadFileBytes(relayFile).find("\r\nX-Unsent: 1\r\n"), std::string::npos);
  EXPECT_EQ(test::ParseMail(ordersFile).To, "None");
}

TEST_F(MailService, AsksForTheSmtpPasswordOncePerRunAndAgainAfterARefusal) {
  if (!test::HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
  test::TSmtpTestServer server;
  ASSERT_TRUE(server.Ready()) << server.Output;
  TMailSettings s = mail_.Settings();
  s.Method = TMailMethod::Smtp;
  s.From = "me@example.org";
  s.Smtp.Host = "127.0.0.1";
  s.Smtp.Port = server.Port();
  s.Smtp.User = "player";
  s.Smtp.CaFile = server.CertFile().string();
  ASSERT_TRUE(mail_.ChangeSettings(s, ""));
  prompts_.passwords = {"guess", "secret"};

  EXPECT_FALSE(mail_.SendOrders(lines_, "galaxy@example.org", "Orders", false));
  EXPECT_EQ(mail_.Password(), "");  // the refused password is not tried again
  EXPECT_TRUE(mail_.SendOrders(lines_, "galaxy@example.org", "Orders", false));
  EXPECT_TRUE(mail_.SendOrders(lines_, "galaxy@example.org", "Orders", false));
  EXPECT_EQ(prompts_.asked, (std::vector<std::string>{"player@127.0.0.1", "player@127.0.0.1"}));
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_NE(ui_.messages[0].find("refused the login of \"player\""), std::string::npos);
  EXPECT_EQ(ui_.messages[2], "Sent the orders to galaxy@example.org.");
  EXPECT_EQ(test::ParseMail(server.Message(2)).Subject, "Orders");
  // Nothing of the password went into the settings or a file.
  store_.UpdateFile();
  EXPECT_EQ(test::ReadFileBytes(folder_ / "TovixStore3.ini").find("secret"), std::string::npos);
  EXPECT_FALSE(fs::exists(mail_.PasswordFile()));

  // A cancelled password box sends nothing and says nothing.
  TMailService fresh(store_, folder_.path(), ui_, prompts_);
  ui_.messages.clear();
  EXPECT_FALSE(fresh.SendOrders(lines_, "galaxy@example.org", "Orders", false));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(fs::exists(server.Message(3)));
}

// The first line of a failure agrees with what is known of it: nothing went, or the server may
// have the message (a mail program stopped with the whole message counts as the latter).
TEST_F(MailService, TheHeadingOfAFailureSaysWhatIsKnown) {
  const std::string notSent = "The orders could not be sent.\r";
  const std::string unknown = "It is not known whether the orders arrived.\r";
  struct Row {
    std::vector<std::string> Behaviour;
    std::string Heading;
    std::string Part;
  };
  const Row rows[] = {
      {{"reset-after-dot"}, unknown, "may have received the message"},
      {{"close-after-data"}, unknown, "may have received the message"},
      {{"refuse-data"}, notSent, "refused the message"},
      {{"close-at-rcpt"}, notSent, "the message was not sent"},
  };
  TMailSettings s = mail_.Settings();
  s.Method = TMailMethod::Smtp;
  s.From = "me@example.org";
  s.Smtp.Host = "127.0.0.1";
  s.Smtp.Security = TSmtpSecurity::None;
  s.TimeoutSeconds = 30;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Behaviour[0]);
    test::TSmtpTestServer server(row.Behaviour, "broken_smtp_server.py");
    ASSERT_TRUE(server.Ready()) << server.Output;
    s.Smtp.Port = server.Port();
    ASSERT_TRUE(mail_.ChangeSettings(s, ""));
    ui_.messages.clear();
    EXPECT_FALSE(mail_.SendOrders(lines_, "galaxy@example.org", "Orders", false));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.messages[0].starts_with(row.Heading)) << ui_.messages[0];
    EXPECT_NE(ui_.messages[0].find(row.Part), std::string::npos) << ui_.messages[0];
  }

  // A mail program stopped at the time limit after it took the whole message.
  s.Method = TMailMethod::Sendmail;
  s.Program = test::WriteHangingSendmail(folder_.path()).string();
  s.TimeoutSeconds = 2;
  ASSERT_TRUE(mail_.ChangeSettings(s, ""));
  ui_.messages.clear();
  EXPECT_FALSE(mail_.SendOrders(lines_, "galaxy@example.org", "Orders", false));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].starts_with(unknown)) << ui_.messages[0];
}

TEST_F(MailService, StoresThePasswordOnlyWhenAskedAndForItsOwnerAlone) {
  TMailSettings s = mail_.Settings();
  s.StorePassword = true;
  ASSERT_TRUE(mail_.ChangeSettings(s, "pw\r\n"));
  ASSERT_TRUE(fs::exists(mail_.PasswordFile()));
  EXPECT_EQ(fs::status(mail_.PasswordFile()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(test::ReadFileBytes(mail_.PasswordFile()), "pw");
  EXPECT_EQ(TMailService(store_, folder_.path(), ui_, prompts_).Password(), "pw");

  s.StorePassword = false;
  ASSERT_TRUE(mail_.ChangeSettings(s, "other"));
  EXPECT_FALSE(fs::exists(mail_.PasswordFile()));
  EXPECT_EQ(mail_.Password(), "other");  // kept for this run
  EXPECT_EQ(TMailService(store_, folder_.path(), ui_, prompts_).Password(), "");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST(MailSettings, AreReadBackAsWrittenAndUnknownValuesGiveDefaults) {
  TznSaveState store("");
  TMailSettings s;
  s.Method = TMailMethod::Smtp;
  s.From = "me@example.org";
  s.Program = "/usr/bin/msmtp";
  s.Smtp.Host = "smtp.example.org";
  s.Smtp.Port = 465;
  s.Smtp.Security = TSmtpSecurity::Tls;
  s.Smtp.User = "me";
  s.Smtp.CaFile = "/etc/ca.pem";
  s.StorePassword = true;
  s.Outbox = "/tmp/out\r\nbox";
  WriteMailSettings(store, s);
  s.Outbox = "/tmp/outbox";  // line breaks never reach the store
  EXPECT_EQ(ReadMailSettings(store), s);

  store.WriteString("Mail", "Method", "pigeon");
  store.WriteString("Mail", "SmtpSecurity", "rot13");
  store.WriteInteger("Mail", "SmtpPort", 0);
  const TMailSettings read = ReadMailSettings(store);
  EXPECT_EQ(read.Method, TMailMethod::Sendmail);
  EXPECT_EQ(read.Smtp.Security, TSmtpSecurity::StartTls);
  EXPECT_EQ(read.Smtp.Port, 587);
}

// The question before orders go repeats the notes on the "#GALAXY" line and counts the lines
// after "#END" and the refused lines; warnings alone ask nothing.
TEST(MailQuestion, NamesTheGalaxyLineAndCountsWhatTheServerWillNotTake) {
  const TOrderNote header{0, true, "Line 1: ERROR: no race.", TNoteKind::Header};
  const TOrderNote after{5, true, "Line 6 (x): ERROR: after.", TNoteKind::AfterEnd};
  const TOrderNote refused{2, true, "Line 3 (s 1 x): ERROR: refused.", TNoteKind::Order};
  const TOrderNote warning{3, false, "Line 4 (b 1 9): Can't break group 1!", TNoteKind::Order};
  const std::vector<std::pair<std::vector<TOrderNote>, std::string>> cases = {
      {{warning}, ""},
      {{header, refused, warning, after, after},
       "Line 1: ERROR: no race.\r2 lines stand after \"#END\": the server will not read them.\r"
       "The orders hold 1 ERROR note: the server will refuse that line.\rMail them anyway?"},
      {{after}, "1 line stands after \"#END\": the server will not read it.\rMail them anyway?"},
      {{refused, refused},
       "The orders hold 2 ERROR notes: the server will refuse those lines.\rMail them anyway?"},
  };
  for (const auto& [notes, question] : cases)
    EXPECT_EQ(ErrorNotesQuestion(notes).value_or(""), question);
}

}  // namespace
}  // namespace tovix
