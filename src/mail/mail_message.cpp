#include "mail/mail_message.h"

#include <cstdio>
#include <ctime>
#include <random>

#include "core/text/str_utils.h"

namespace tovix {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// SMTP's limit for one line without its CR LF.
constexpr size_t kMaxLineLength = 998;
// SMTP's limit for an address (its path of 256 octets, the angle brackets included); longer
// ones no server takes, and no header line could hold them whole.
constexpr size_t kMaxAddressLength = 254;
// A quoted-printable line, its soft-break "=" included.
constexpr size_t kMaxEncodedLine = 76;
// An encoded-word, so that "Subject: " and one word stay within 76 characters.
constexpr size_t kMaxEncodedWord = 66;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

void AppendHex(std::string& out, unsigned char c) {
  out += '=';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

// The lines of a text split at CR LF, CR or LF; a line break at the very end starts no line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Printable ASCII and blanks only: nothing a header or a 7bit body would have to encode.
bool IsPlainAscii(std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c < 32 && c != '\t') || c >= 127) return false;
  }
  return true;
}

std::string EncodeLine(std::string_view line) {
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    const bool last = i + 1 == line.size();
    std::string piece;
    // A blank at the end of a line would be lost in transport, so it is encoded too.
    if ((c >= 33 && c <= 126 && c != '=') || (IsBlank(line[i]) && !last))
      piece = std::string(1, line[i]);
    else
      AppendHex(piece, c);
    // The soft break "=" must fit on the line it ends.
    const size_t room = last ? kMaxEncodedLine : kMaxEncodedLine - 1;
    if (column + piece.size() > room) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += piece.size();
  }
  return out;
}

// The domain of an address, or "localhost".
std::string_view DomainOf(std::string_view address) {
  const size_t at = address.rfind('@');
  if (at == std::string_view::npos || at + 1 >= address.size()) return "localhost";
  return address.substr(at + 1);
}

std::string JoinAddresses(const std::vector<std::string>& addresses) {
  std::string out;
  size_t column = 4;  // "To: "
  for (size_t i = 0; i < addresses.size(); ++i) {
    const std::string address = StripLineBreaks(addresses[i]);
    if (i > 0) {
      // Long lists fold after a comma, so no header line grows past 78 characters.
      if (column + 2 + address.size() > 78) {
        out += ",\r\n ";
        column = 1;
      } else {
        out += ", ";
        column += 2;
      }
    }
    out += address;
    column += address.size();
  }
  return out;
}

}  // namespace

std::string StripLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

bool IsMailAddress(std::string_view address) {
  if (address.size() > kMaxAddressLength) return false;
  const size_t at = address.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 >= address.size()) return false;
  if (address.find('@', at + 1) != std::string_view::npos) return false;
  const std::string_view domain = address.substr(at + 1);
  if (domain.front() == '.' || domain.back() == '.') return false;
  for (const char ch : address) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 32 || c >= 127) return false;
    if (std::string_view("()<>,;:\"[]\\").find(ch) != std::string_view::npos) return false;
  }
  return true;
}

TRecipients ParseRecipients(std::string_view text) {
  TRecipients result;
  const std::string clean = StripLineBreaks(text);
  std::string_view rest = clean;
  while (!rest.empty()) {
    const size_t semicolon = rest.find(';');
    std::string_view piece = TrimView(rest.substr(0, semicolon));
    rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
    if (piece.empty() || piece == "(none)") continue;
    if (piece.size() >= 2 && piece.front() == '[' && piece.back() == ']')
      piece = TrimView(piece.substr(1, piece.size() - 2));
    if (piece.find('@') == std::string_view::npos) {
      result.Error = "\"" + std::string(piece) + "\" is not an e-mail address: it has no \"@\".";
      return result;
    }
    if (piece.size() > kMaxAddressLength) {
      result.Error = "An address of " + std::to_string(piece.size()) +
                     " characters is longer than the " + std::to_string(kMaxAddressLength) +
                     " an e-mail address may have: \"" + std::string(piece.substr(0, 40)) +
                     "...\".";
      return result;
    }
    if (!IsMailAddress(piece)) {
      result.Error = "\"" + std::string(piece) +
                     "\" is not an e-mail address of the form name@example.org (no blanks, "
                     "brackets, quotes, commas or accented letters).";
      return result;
    }
    result.Addresses.emplace_back(piece);
  }
  return result;
}

std::string_view MailCharset(std::string_view text) {
  bool high = false;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80 && c <= 0x9F) return "windows-1252";
    high = high || c >= 0xA0;
  }
  return high ? "ISO-8859-1" : "us-ascii";
}

TMailStamp MailStampNow(std::string_view from) {
  TMailStamp stamp;
  const std::time_t now = std::time(nullptr);
  stamp.Time = static_cast<int64_t>(now);
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr)
    stamp.UtcOffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
  std::random_device random;
  std::string id;
  for (int i = 0; i < 4; ++i) {
    const unsigned value = random();
    for (int shift = 28; shift >= 0; shift -= 4) id += kHex[(value >> shift) & 15];
  }
  stamp.MessageId = id + "." + std::to_string(stamp.Time) + "@" + std::string(DomainOf(from));
  return stamp;
}

std::string FormatMailDate(int64_t time, int utcOffsetMinutes) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t shifted = static_cast<std::time_t>(time + int64_t{utcOffsetMinutes} * 60);
  std::tm t{};
  gmtime_r(&shifted, &t);
  const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[t.tm_wday],
                t.tm_mday, kMonths[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
                utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::string EncodeSubject(std::string_view subject) {
  // Plain ASCII goes as it is, unless it holds what a reader would take for an encoded-word.
  if (IsPlainAscii(subject) && subject.find("=?") == std::string_view::npos)
    return std::string(subject);
  const std::string head = "=?" + std::string(MailCharset(subject)) + "?Q?";
  const size_t room = kMaxEncodedWord - head.size() - 2;
  std::string out, word;
  const auto flush = [&] {
    if (!out.empty()) out += "\r\n ";
    out += head + word + "?=";
    word.clear();
  };
  for (const char ch : subject) {
    const auto c = static_cast<unsigned char>(ch);
    std::string piece;
    if (c == ' ')
      piece = "_";
    else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
             std::string_view("!*+-/").find(ch) != std::string_view::npos)
      piece = std::string(1, ch);
    else
      AppendHex(piece, c);
    if (word.size() + piece.size() > room) flush();
    word += piece;
  }
  if (!word.empty() || out.empty()) flush();
  return out;
}

TEncodedBody EncodeBody(std::string_view body) {
  const std::vector<std::string_view> lines = SplitLines(body);
  bool plain = true;
  for (const std::string_view line : lines)
    plain = plain && line.size() <= kMaxLineLength && IsPlainAscii(line);
  TEncodedBody encoded;
  encoded.Encoding = plain ? "7bit" : "quoted-printable";
  for (const std::string_view line : lines) {
    encoded.Text += plain ? std::string(line) : EncodeLine(line);
    encoded.Text += "\r\n";
  }
  return encoded;
}

namespace {
constexpr std::string_view kDraftMark = "X-Unsent: 1\r\n";
}  // namespace

std::string ComposeMessage(const TMailMessage& message, const TMailStamp& stamp, bool draft) {
  const TEncodedBody body = EncodeBody(message.Body);
  std::string out;
  out += "Date: " + FormatMailDate(stamp.Time, stamp.UtcOffsetMinutes) + "\r\n";
  const std::string from = StripLineBreaks(message.From);
  if (!from.empty()) out += "From: " + from + "\r\n";
  if (!message.To.empty()) out += "To: " + JoinAddresses(message.To) + "\r\n";
  out += "Subject: " + EncodeSubject(StripLineBreaks(message.Subject)) + "\r\n";
  out += "Message-ID: <" + StripLineBreaks(stamp.MessageId) + ">\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: text/plain; charset=" + std::string(MailCharset(message.Body)) + "\r\n";
  out += "Content-Transfer-Encoding: " + std::string(body.Encoding) + "\r\n";
  if (draft) out += kDraftMark;
  out += "\r\n";
  out += body.Text;
  return out;
}

bool IsComposedDraft(std::string_view bytes) {
  if (!bytes.starts_with("Date: ")) return false;
  const size_t end = bytes.find("\r\n\r\n");
  if (end == std::string_view::npos) return false;
  const std::string_view header = bytes.substr(0, end + 2);
  return header.find("\r\n" + std::string(kDraftMark)) != std::string_view::npos;
}

}  // namespace tovix
