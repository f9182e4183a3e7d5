#pragma once
// A plain-text mail as the game server reads it: an RFC 5322 message with CR LF line ends, the
// body in US-ASCII or ISO-8859-1 (quoted-printable when it is not plain ASCII or holds a line too
// long for SMTP), the subject RFC 2047-encoded when it is not ASCII. The texts are the program's
// 8-bit strings; bytes 0x80 to 0x9F, which only Windows-1252 gives a meaning, make the charset
// "windows-1252" so that no character is declared wrongly.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

// `text` without its CR and LF bytes: a header value can never begin a header of its own.
std::string StripLineBreaks(std::string_view text);

// An address the transports can take as it is: local@domain, both parts present, no blank,
// control character, non-ASCII byte or any of ()<>,;:"[]\ , at most 254 characters (SMTP's
// limit).
bool IsMailAddress(std::string_view address);

// The recipients of the ";"-separated address text of the mail settings. Each piece loses its CR
// and LF bytes and surrounding blanks; empty pieces and "(none)" name nobody; "[address]" is
// taken without its brackets. The first piece that is not an address stops the reading: Error
// then says which and why, and Addresses holds the pieces before it.
struct TRecipients {
  std::vector<std::string> Addresses;
  std::string Error;
};
TRecipients ParseRecipients(std::string_view text);

// The charset a text is declared in: "us-ascii", "ISO-8859-1" or "windows-1252".
std::string_view MailCharset(std::string_view text);

struct TMailMessage {
  std::string From;  // may be empty: a sendmail program fills it in
  std::vector<std::string> To;
  std::string Subject;
  std::string Body;  // lines may end in CR LF, CR or LF
};

// What makes each message unique: when it was written and its Message-ID.
struct TMailStamp {
  int64_t Time = 0;  // seconds since 1970-01-01 UTC
  int UtcOffsetMinutes = 0;
  std::string MessageId;  // without the angle brackets
};
// Now, in the local time zone, with a random Message-ID in the domain of `from` (or "localhost").
TMailStamp MailStampNow(std::string_view from);

// "Tue, 01 Jul 2025 12:34:56 +0200": `time` as seen at `utcOffsetMinutes` east of UTC.
std::string FormatMailDate(int64_t time, int utcOffsetMinutes);

// The value of a Subject header: the text itself when it is printable ASCII, otherwise RFC 2047
// encoded-words (Q encoding) of at most 66 characters, folded onto continuation lines.
std::string EncodeSubject(std::string_view subject);

// The body's transfer encoding and the body as it goes into the message.
struct TEncodedBody {
  std::string_view Encoding;  // "7bit" or "quoted-printable"
  std::string Text;           // every line ends in CR LF
};
TEncodedBody EncodeBody(std::string_view body);

// The whole message. CR and LF are stripped from From, To and Subject; a `draft` carries
// "X-Unsent: 1", which makes a desktop mail program open the file as a message to send.
std::string ComposeMessage(const TMailMessage& message, const TMailStamp& stamp,
                           bool draft = false);
// Whether `bytes` begin as ComposeMessage begins a draft: "Date: " first, "X-Unsent: 1" among the
// header lines.
bool IsComposedDraft(std::string_view bytes);

}  // namespace tovix
