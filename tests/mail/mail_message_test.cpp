// The message as it is composed: recipients, subject, body, date and the whole message with its
// line ends. Python's parser reads whole messages back in mail_transport_test.

#include "mail/mail_message.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tovix {
namespace {

std::vector<std::string> HeaderLines(const std::string& message) {
  std::vector<std::string> lines;
  const std::string head = message.substr(0, message.find("\r\n\r\n"));
  std::istringstream in(head);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

struct RecipientRow {
  const char* Name;
  std::string Text;
  std::vector<std::string> Addresses;
  std::string ErrorPart;  // "" when no error is expected
};

TEST(Recipients, AreSplitTrimmedAndChecked) {
  const RecipientRow rows[] = {
      {"one", "galaxy@example.org", {"galaxy@example.org"}, ""},
      {"two with blanks and a trailing semicolon",
       " a@example.org ; b@example.net ;",
       {"a@example.org", "b@example.net"},
       ""},
      {"none", "(none)", {}, ""},
      {"empty", "", {}, ""},
      {"bracketed literally", "[orders@galaxy.example]", {"orders@galaxy.example"}, ""},
      {"no at sign", "galaxyserver", {}, "\"galaxyserver\" is not an e-mail address: it has no"},
      {"the good ones before a bad one",
       "a@example.org; player",
       {"a@example.org"},
       "\"player\" is not an e-mail address"},
      // The line break is stripped, so the header can never gain a line of its own; what is left
      // has a blank and is refused.
      {"line break", "a@example.org\r\nBcc: evil@example.com", {}, "is not an e-mail address"},
      {"display name", "Galaxy <g@example.org>", {}, "is not an e-mail address"},
      {"two at signs", "a@b@example.org", {}, "is not an e-mail address"},
      {"accented", "j\xE9r\xF4me@example.org", {}, "is not an e-mail address"},
      // No server takes it, and no header line could hold it whole.
      {"longer than SMTP allows",
       std::string(1100 - 12, 'a') + "@example.org",
       {},
       "An address of 1100 characters is longer than the 254 an e-mail address may have"},
      {"as long as SMTP allows",
       std::string(254 - 12, 'a') + "@example.org",
       {std::string(254 - 12, 'a') + "@example.org"},
       ""},
  };
  for (const RecipientRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TRecipients r = ParseRecipients(row.Text);
    EXPECT_EQ(r.Addresses, row.Addresses);
    EXPECT_EQ(r.Error.empty(), row.ErrorPart.empty());
    EXPECT_NE(r.Error.find(row.ErrorPart), std::string::npos) << r.Error;
  }
}

TEST(Subject, IsEncodedOnlyWhenItIsNotPlainAsciiAndFoldsWhenLong) {
  const std::pair<std::string, std::string> rows[] = {
      {"Orders turn 5", "Orders turn 5"},
      {"Befehle f\xFCr Runde 5", "=?ISO-8859-1?Q?Befehle_f=FCr_Runde_5?="},
      {"Euro \x80", "=?windows-1252?Q?Euro_=80?="},
      // Text that looks like an encoded-word is encoded, so no reader decodes it.
      {"a=?b", "=?us-ascii?Q?a=3D=3Fb?="},
      {"tab\there", "tab\there"},
      {"", ""},
  };
  for (const auto& [subject, header] : rows) EXPECT_EQ(EncodeSubject(subject), header) << subject;

  // A long encoded subject folds into short words.
  std::string subject;
  for (int i = 0; i < 51; ++i) subject += "\xE4rger";  // 255 characters
  const std::string header = "Subject: " + EncodeSubject(subject);
  std::istringstream in(header);
  int lines = 0;
  for (std::string line; std::getline(in, line); ++lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    EXPECT_LE(line.size(), 76u) << line;
    if (lines > 0) {
      EXPECT_EQ(line.substr(0, 16), " =?ISO-8859-1?Q?") << line;
    }
  }
  EXPECT_GT(lines, 5);
}

struct BodyRow {
  const char* Name;
  std::string Body;
  std::string Encoding;
  std::string Text;
};

TEST(Body, LineEndsBecomeCrLfAndOnlyWhatMustBeIsEncoded) {
  const BodyRow rows[] = {
      {"LF", "A\nB", "7bit", "A\r\nB\r\n"},
      {"CR LF with a last line end", "A\r\nB\r\n", "7bit", "A\r\nB\r\n"},
      {"CR", "A\rB", "7bit", "A\r\nB\r\n"},
      {"empty lines kept", "A\n\n\nB", "7bit", "A\r\n\r\n\r\nB\r\n"},
      {"Latin-1", "caf\xE9", "quoted-printable", "caf=E9\r\n"},
      {"equals sign and a trailing blank", "x=1 \xE9 \nok", "quoted-printable",
       "x=3D1 =E9=20\r\nok\r\n"},
      {"empty", "", "7bit", ""},
  };
  for (const BodyRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TEncodedBody body = EncodeBody(row.Body);
    EXPECT_EQ(body.Encoding, row.Encoding);
    EXPECT_EQ(body.Text, row.Text);
  }
}

// SMTP refuses lines over 998 bytes; quoted-printable breaks them softly at 76.
TEST(Body, ALineTooLongForSmtpIsBrokenSoftly) {
  const std::string line(2000, 'a');
  const TEncodedBody body = EncodeBody(line + "\n" + "short");
  EXPECT_EQ(body.Encoding, "quoted-printable");
  std::istringstream in(body.Text);
  std::string joined;
  for (std::string piece; std::getline(in, piece);) {
    ASSERT_EQ(piece.back(), '\r');
    piece.pop_back();
    EXPECT_LE(piece.size(), 76u);
    if (!piece.empty() && piece.back() == '=') {
      piece.pop_back();
    } else {
      piece += "\n";
    }
    joined += piece;
  }
  EXPECT_EQ(joined, line + "\nshort\n");
}

// The date is RFC 5322's with the zone offset; the message id is unique in the sender's domain.
TEST(MailStamp, DateAndMessageId) {
  EXPECT_EQ(FormatMailDate(0, 0), "Thu, 01 Jan 1970 00:00:00 +0000");
  EXPECT_EQ(FormatMailDate(1751373296, 120), "Tue, 01 Jul 2025 14:34:56 +0200");
  EXPECT_EQ(FormatMailDate(1751373296, -330), "Tue, 01 Jul 2025 07:04:56 -0530");
  const TMailStamp a = MailStampNow("me@example.org"), b = MailStampNow("");
  EXPECT_NE(a.MessageId, b.MessageId);
  EXPECT_EQ(a.MessageId.substr(a.MessageId.find('@')), "@example.org");
  EXPECT_EQ(b.MessageId.substr(b.MessageId.find('@')), "@localhost");
}

TEST(ComposeMessage, WritesTheHeadersAndCrLfOnly) {
  const TMailMessage m{"me@example.org",
                       {"galaxy@example.org", "copy@example.net"},
                       "Orders\r\nBcc: evil@example.com",
                       "#GALAXY Orion Arcturans pw\n@ Betelgeusians\n\xE9t\xE9\n@\n#END"};
  const std::string message = ComposeMessage(m, {1751373296, 120, "abc.1@example.org"});
  EXPECT_EQ(HeaderLines(message),
            (std::vector<std::string>{
                "Date: Tue, 01 Jul 2025 14:34:56 +0200", "From: me@example.org",
                "To: galaxy@example.org, copy@example.net", "Subject: OrdersBcc: evil@example.com",
                "Message-ID: <abc.1@example.org>", "MIME-Version: 1.0",
                "Content-Type: text/plain; charset=ISO-8859-1",
                "Content-Transfer-Encoding: quoted-printable"}));
  for (size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\n') {
      ASSERT_TRUE(i > 0 && message[i - 1] == '\r') << i;
    }
    if (message[i] == '\r') {
      ASSERT_TRUE(i + 1 < message.size() && message[i + 1] == '\n') << i;
    }
  }
  EXPECT_NE(message.find("\r\n\r\n#GALAXY Orion Arcturans pw\r\n@ Betelgeusians\r\n=E9t=E9\r\n"),
            std::string::npos);

  // Without a sender the program fills it in; a draft is marked for the desktop mail program.
  const std::string draft = ComposeMessage({"", {}, "s", "b"}, {0, 0, "x@localhost"}, true);
  EXPECT_EQ(HeaderLines(draft),
            (std::vector<std::string>{"Date: Thu, 01 Jan 1970 00:00:00 +0000", "Subject: s",
                                      "Message-ID: <x@localhost>", "MIME-Version: 1.0",
                                      "Content-Type: text/plain; charset=us-ascii",
                                      "Content-Transfer-Encoding: 7bit", "X-Unsent: 1"}));

  // A long recipient list is folded.
  std::vector<std::string> to;
  for (int i = 0; i < 8; ++i) to.push_back("player" + std::to_string(i) + "@galaxy.example.org");
  for (const std::string& line : HeaderLines(ComposeMessage({"", to, "s", "b"}, {})))
    EXPECT_LE(line.size(), 78u) << line;
  // Addresses as long as SMTP allows stay whole, one to a line, within SMTP's 998.
  const std::string longest = std::string(242, 'a') + "@example.org";
  const std::vector<std::string> lines =
      HeaderLines(ComposeMessage({longest, {longest, longest}, "s", "b"}, {}));
  EXPECT_EQ(lines[2], "To: " + longest + ",");
  for (const std::string& line : lines) EXPECT_LE(line.size(), 998u) << line;
}

}  // namespace
}  // namespace tovix
