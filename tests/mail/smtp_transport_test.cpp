// SMTP against a real server on the loopback (aiosmtpd, started by each test): STARTTLS on a
// certificate the server makes, AUTH LOGIN and AUTH PLAIN, and the failures a player meets.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>

#include "mail/cancel_token.h"
#include "mail/mail_message.h"
#include "mail/mail_transport.h"
#include "mail_test_support.h"

namespace tovix {
namespace {

const TMailMessage kOrders{"me@example.org",
                           {"galaxy@example.org"},
                           "Befehle f\xFCr Runde 5",
                           "#GALAXY Orion Arcturans P2027128342\ns 12 Alpha\n#END\n"};

TSmtpServer Server(const test::TSmtpTestServer& s) {
  TSmtpServer server;
  server.Host = "127.0.0.1";
  server.Port = s.Port();
  server.User = "player";
  server.Password = "secret";
  server.CaFile = s.CertFile().string();
  return server;
}

// A port of the loopback on which nothing listens: bound, then let go.
int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

class Smtp : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::HaveAiosmtpd())
      GTEST_SKIP() << "python3-aiosmtpd is not installed (scripts/setup-machine.sh installs it)";
  }
};

TEST_F(Smtp, DeliversOverStartTlsWithEitherLogin) {
  for (const char* mechanism : {"LOGIN", "PLAIN"}) {
    SCOPED_TRACE(mechanism);
    test::TSmtpTestServer server({"--mechanism", mechanism});
    ASSERT_TRUE(server.Ready()) << server.Output;
    const std::string message = ComposeMessage(kOrders, MailStampNow(kOrders.From));
    const TSendResult result = SendWithSmtp(Server(server), kOrders.From, kOrders.To, message);
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(server.Envelope(1), "me@example.org\ngalaxy@example.org");
    const test::TParsedMail mail = test::ParseMail(server.Message(1));
    EXPECT_EQ(mail.To, "galaxy@example.org") << mail.Raw;
    EXPECT_EQ(mail.Subject, "Befehle f\u00fcr Runde 5");
    EXPECT_EQ(mail.Body, "#GALAXY Orion Arcturans P2027128342\ns 12 Alpha\n#END\n");
    EXPECT_TRUE(mail.CrLf);
    EXPECT_EQ(mail.Defects, 0);
  }
}

struct FailureRow {
  const char* Name;
  std::function<void(TSmtpServer&, std::vector<std::string>& to)> Change;
  std::string Part;
  bool LoginRefused = false;
};

// Each failure has its own message, and none of them delivers anything.
TEST_F(Smtp, EachFailureSaysWhatWentWrong) {
  test::TSmtpTestServer server;
  ASSERT_TRUE(server.Ready()) << server.Output;
  test::TSmtpTestServer clearText({"--no-tls"});
  ASSERT_TRUE(clearText.Ready()) << clearText.Output;
  test::TSmtpTestServer refusesTls({"refuse-starttls"}, "broken_smtp_server.py");
  ASSERT_TRUE(refusesTls.Ready()) << refusesTls.Output;
  const int closed = ClosedPort();
  const FailureRow rows[] = {
      {"wrong password", [](TSmtpServer& s, auto&) { s.Password = "guess"; },
       "refused the login of \"player\": the user name or the password is wrong", true},
      // Sent as typed, in UTF-8: if the server takes only ASCII, the message says so.
      {"wrong password beyond ASCII", [](TSmtpServer& s, auto&) { s.Password = "p\xC3\xA4ss"; },
       "The password holds letters beyond ASCII, which were sent as UTF-8", true},
      {"refused recipient", [](TSmtpServer&, auto& to) { to.push_back("nobody@refused.test"); },
       "refused the recipient nobody@refused.test. The server said: \"550"},
      {"closed port", [closed](TSmtpServer& s, auto&) { s.Port = closed; },
       "No mail server answers at 127.0.0.1:" + std::to_string(closed)},
      {"no STARTTLS", [&clearText](TSmtpServer& s, auto&) { s.Port = clearText.Port(); },
       "does not offer STARTTLS, so nothing was sent in clear text"},
      // Offered, then refused: the server's answer says why.
      {"STARTTLS refused", [&refusesTls](TSmtpServer& s, auto&) { s.Port = refusesTls.Port(); },
       "refused to start encryption (STARTTLS), so nothing was sent in clear text. The server "
       "said: \"454 4.7.0 TLS not available due to temporary reason\"."},
      {"untrusted certificate", [](TSmtpServer& s, auto&) { s.CaFile.clear(); }, "is not trusted"},
  };
  std::set<std::string> messages;
  for (const FailureRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TSmtpServer settings = Server(server);
    std::vector<std::string> to{"galaxy@example.org"};
    row.Change(settings, to);
    const TSendResult result =
        SendWithSmtp(settings, kOrders.From, to, ComposeMessage(kOrders, MailStampNow("")));
    EXPECT_FALSE(result.Ok);
    EXPECT_NE(result.Error.find(row.Part), std::string::npos) << result.Error;
    EXPECT_EQ(result.LoginRefused, row.LoginRefused);
    EXPECT_EQ(test::BrokenSentence(result.Error), "") << result.Error;
    messages.insert(result.Error);
  }
  EXPECT_EQ(messages.size(), std::size(rows));
  EXPECT_FALSE(std::filesystem::exists(server.Message(1)));
  EXPECT_FALSE(std::filesystem::exists(clearText.Message(1)));
}

// The orders with `comments` comment lines of 73 bytes added: 14000 make a megabyte, which the
// connection's buffers on the way hold, 40000 are more than they hold. Lines that start with a
// "." go doubled, and the count of what went out has them so.
TSendResult SendWatched(const TSmtpServer& settings, int comments = 0) {
  TCancelToken cancel;
  TMailMessage orders = kOrders;
  orders.Body += ".\n... and more\n";
  std::string line = "; ";
  for (int i = 0; i < 70; ++i) line += static_cast<char>('a' + i % 26);
  for (int i = 0; i < comments; ++i) orders.Body += line + "\n";
  const std::string message = ComposeMessage(orders, MailStampNow(orders.From));
  return test::SendWatched(
      [&] { return SendWithSmtp(settings, kOrders.From, kOrders.To, message, &cancel); }, cancel);
}

TSmtpServer Plain(const test::TSmtpTestServer& s, int limitSeconds) {
  TSmtpServer server;
  server.Host = "127.0.0.1";
  server.Port = s.Port();
  server.Security = TSmtpSecurity::None;
  server.TimeoutSeconds = limitSeconds;
  return server;
}

struct BrokenRow {
  std::vector<std::string> Behaviour;
  int Comments;
  std::vector<std::string> Parts;
  bool MayHaveArrived;
};

// A server that fails mid-way: the send ends within its limit of 2 s, and the message says what
// happened and whether the server may have the message: only when its side acknowledged the
// whole message and its final "." before it hung up (or went silent) may it have it, however it
// hung up. One that closes or half-closes before (a small window keeps a small message from
// reaching it whole first) did not take it, whatever the client wrote after. Nothing quotes a
// server's "354 go ahead" as a refusal.
TEST_F(Smtp, ADroppedOrSilentServerEndsTheSendWithinItsLimitAndSaysWhatIsKnown) {
  const std::string notSent = "was lost while sending the message: the message was not sent.";
  const BrokenRow rows[] = {
      {{"silent-after-data"},
       0,
       {"did not confirm the message within 2 seconds", "may have received the message"},
       true},
      {{"silent-after-data"}, 40000, {"may have received the message"}, true},
      {{"close-after-data"},
       0,
       {"was lost after the whole message was sent", "may have received the message"},
       true},
      {{"close-after-data"}, 40000, {"was lost after the whole message was sent"}, true},
      {{"close-in-body", "40", "--small-window"}, 100, {notSent}, false},
      // Written whole, final "." too, into buffers the server never empties.
      {{"deaf-after-354"}, 14000, {"did not answer within 2 seconds"}, false},
      // Read whole, then a reset instead of an answer.
      {{"reset-after-dot"},
       0,
       {"was lost after the whole message was sent", "may have received the message"},
       true},
      {{"reset-after-dot"}, 40000, {"may have received the message"}, true},
      {{"close-in-body", "40"}, 40000, {notSent}, false},
      {{"close-in-body", "1000000"}, 40000, {notSent}, false},
      // An orderly close of the server's side 40 bytes in: the rest, sent after it, does not
      // count, though this server goes on reading it.
      {{"half-close-then-read", "40"}, 40000, {notSent}, false},
      {{"half-close-in-body", "40", "--small-window"}, 100, {notSent}, false},
      {{"close-at-rcpt"},
       0,
       {"was lost while giving the recipients: the message was not sent."},
       false},
      {{"refuse-data"},
       0,
       {"refused the message. The server said: \"554 5.7.1 Message refused\"."},
       false},
  };
  for (const BrokenRow& row : rows) {
    SCOPED_TRACE(row.Behaviour[0] + (row.Behaviour.size() > 1 ? " " + row.Behaviour[1] : "") +
                 ", " + std::to_string(row.Comments) + " comment lines");
    test::TSmtpTestServer server(row.Behaviour, "broken_smtp_server.py");
    ASSERT_TRUE(server.Ready()) << server.Output;
    const TSendResult result = SendWatched(Plain(server, 2), row.Comments);
    EXPECT_FALSE(result.Ok);
    EXPECT_FALSE(result.Cancelled);
    EXPECT_EQ(result.MayHaveArrived, row.MayHaveArrived) << result.Error;
    for (const std::string& part : row.Parts)
      EXPECT_NE(result.Error.find(part), std::string::npos) << result.Error;
    EXPECT_EQ(test::BrokenSentence(result.Error), "") << result.Error;
  }
  // Cut after "354 go ahead": lost, whatever libcurl had written by then, and refused nothing.
  test::TSmtpTestServer server({"close-after-354"}, "broken_smtp_server.py");
  ASSERT_TRUE(server.Ready()) << server.Output;
  const TSendResult cut = SendWatched(Plain(server, 2));
  EXPECT_FALSE(cut.Ok);
  EXPECT_NE(cut.Error.find("The connection to the mail server at 127.0.0.1:" +
                           std::to_string(server.Port()) + " was lost"),
            std::string::npos)
      << cut.Error;
  EXPECT_EQ(cut.Error.find("refused"), std::string::npos) << cut.Error;
  EXPECT_EQ(cut.Error.find("354"), std::string::npos) << cut.Error;
}

}  // namespace
}  // namespace tovix
