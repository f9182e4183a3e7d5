// The sendmail-compatible program and the outbox, with Python's mail parser as the judge of what
// they received; the program runner under them.

#include "mail/mail_transport.h"

#include <gtest/gtest.h>

#include <signal.h>

#include "mail/mail_message.h"
#include "mail_test_support.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

const TMailMessage kOrders{"me@example.org",
                           {"galaxy@example.org", "copy@example.net"},
                           "Befehle f\xFCr Runde 5",
                           "#GALAXY Orion Arcturans P2027128342\ns 12 Alpha\n; caf\xE9\n#END\n"};

TEST(SendmailProgram, GetsTMinusIAndAMessagePythonReadsBack) {
  test::TempDir folder;
  const fs::path program = test::WriteFakeSendmail(folder.path());
  const std::string message = ComposeMessage(kOrders, MailStampNow(kOrders.From));
  const TSendResult result = SendWithProgram(program.string(), message, 60);
  ASSERT_TRUE(result.Ok) << result.Error;
  EXPECT_EQ(test::ReadFileBytes(folder / "args"), "-t\n-i\n");
  EXPECT_EQ(test::ReadFileBytes(folder / "message"), message);
  const test::TParsedMail mail = test::ParseMail(folder / "message");
  EXPECT_EQ(mail.To, "galaxy@example.org, copy@example.net") << mail.Raw;
  EXPECT_EQ(mail.Subject, "Befehle f\u00fcr Runde 5");
  EXPECT_EQ(mail.Body, "#GALAXY Orion Arcturans P2027128342\ns 12 Alpha\n; caf\u00e9\n#END\n");
  EXPECT_EQ(mail.Charset, "iso-8859-1");
  EXPECT_TRUE(mail.CrLf);
  EXPECT_EQ(mail.Defects, 0);
  // The encoded subject, not the raw bytes, is what went out.
  EXPECT_NE(message.find("Subject: =?ISO-8859-1?Q?Befehle_f=FCr_Runde_5?=\r\n"), std::string::npos);
}

TEST(SendmailProgram, FailuresSayWhatWentWrong) {
  test::TempDir folder;
  const fs::path refusing = test::WriteFakeSendmail(folder.path(), 75, "mail queue is full");
  const fs::path plain = folder / "not a program";
  std::ofstream(plain) << "#!/bin/sh\n";
  const std::pair<std::string, std::vector<std::string>> rows[] = {
      {(folder / "missing").string(), {"could not be started: No such file or directory"}},
      {plain.string(), {"could not be started: Permission denied"}},
      {refusing.string(), {"failed with exit code 75. It said:\r\"mail queue is full\"."}},
  };
  for (const auto& [program, parts] : rows) {
    SCOPED_TRACE(program);
    const TSendResult result = SendWithProgram(program, "Subject: x\r\n\r\nx\r\n", 60);
    EXPECT_FALSE(result.Ok);
    EXPECT_NE(result.Error.find("The mail program \"" + program + "\""), std::string::npos);
    for (const std::string& part : parts)
      EXPECT_NE(result.Error.find(part), std::string::npos) << result.Error;
    EXPECT_EQ(test::BrokenSentence(result.Error), "") << result.Error;
  }
}

// A mail program that hangs after it took the message is killed at the time limit (a cancel,
// the start-up test's logout during a send); the message says that it may have sent it.
TEST(SendmailProgram, AHangingProgramIsStoppedAtItsLimit) {
  test::TempDir folder;
  const fs::path program = test::WriteHangingSendmail(folder.path());
  TCancelToken cancel;
  const TSendResult result = test::SendWatched(
      [&] { return SendWithProgram(program.string(), "Subject: x\r\n\r\nx\r\n", 2, &cancel); },
      cancel);
  EXPECT_FALSE(result.Ok);
  EXPECT_TRUE(result.MayHaveArrived);
  EXPECT_NE(result.Error.find("did not finish within 2 seconds and was stopped. It had the whole "
                              "message: it may have sent it."),
            std::string::npos)
      << result.Error;
  // Killed and reaped: no such process is left.
  EXPECT_EQ(::kill(std::stoi(test::ReadFileBytes(folder / "pid")), 0), -1);
}

// Input and output flow at the same time: a program that echoes a large input never blocks on a
// full pipe, and one that reads nothing does not end this program with SIGPIPE.
TEST(RunProgram, FeedsAndReadsAtOnce) {
  std::string input;
  for (int i = 0; input.size() < 1'000'000; ++i) input += "line " + std::to_string(i) + "\n";
  const TProgramRun echoed = RunProgram({"cat"}, input, 60);
  EXPECT_TRUE(echoed.Started);
  EXPECT_EQ(echoed.ExitCode, 0);
  EXPECT_EQ(echoed.Output, input.substr(input.size() - echoed.Output.size()));
  EXPECT_EQ(echoed.Output.size(), 16u * 1024);

  const TProgramRun deaf = RunProgram({"true"}, input, 60);
  EXPECT_EQ(deaf.ExitCode, 0);
  const TProgramRun failing = RunProgram({"sh", "-c", "echo 'no; such' >&2; exit 3"}, "", 60);
  EXPECT_EQ(failing.ExitCode, 3);
  EXPECT_EQ(failing.Output, "no; such\n");
}

TEST(Outbox, WritesEachMessageWholeUnderANewName) {
  test::TempDir folder;
  const fs::path outbox = folder / "mail" / "outbox";
  const std::string message = ComposeMessage(kOrders, {1751373296, 0, "a@example.org"}, true);
  const TSendResult first = WriteToOutbox(outbox, message, 1751373296);
  const TSendResult second = WriteToOutbox(outbox, message, 1751373296);
  ASSERT_TRUE(first.Ok) << first.Error;
  ASSERT_TRUE(second.Ok) << second.Error;
  EXPECT_EQ(first.File, outbox / "tovix-20250701-123456.eml");
  EXPECT_EQ(second.File, outbox / "tovix-20250701-123456-2.eml");
  // The folder made for them and the messages, which hold the race's password, are the owner's.
  EXPECT_EQ(fs::status(outbox).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(fs::status(first.File).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  // Nothing but the two messages: no temporary file is left beside them.
  int files = 0;
  for (const auto& e : fs::directory_iterator(outbox)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2);
  EXPECT_EQ(test::ReadFileBytes(first.File), message);
  const test::TParsedMail mail = test::ParseMail(first.File);
  EXPECT_EQ(mail.Subject, "Befehle f\u00fcr Runde 5") << mail.Raw;
  EXPECT_TRUE(mail.CrLf);
  EXPECT_EQ(mail.Defects, 0);

  // An outbox that cannot be made is named.
  std::ofstream(folder / "plain file") << "x";
  const TSendResult blocked = WriteToOutbox(folder / "plain file" / "outbox", message, 0);
  EXPECT_FALSE(blocked.Ok);
  EXPECT_NE(blocked.Error.find("The outbox folder"), std::string::npos) << blocked.Error;
}

}  // namespace
}  // namespace tovix
