#include "platform/desktop_entry.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "platform/latin1.h"

namespace tovix {

namespace {

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}
// In Latin-1 names, 0x80-0x9F are control characters too.
bool IsLatin1Control(unsigned char c) {
  return IsControl(c) || (c >= 0x80 && c <= 0x9f);
}

// Names are Latin-1; desktop entries and file names are UTF-8.
std::string Latin1ToUtf8(std::string_view s) {
  return FromLatin1(s).toUtf8().toStdString();
}

// A value of type string: backslash and the control characters the format allows are escaped;
// any other control character cannot be written.
std::string EscapeValue(std::string_view value) {
  std::string out;
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (IsControl(c)) throw EFileError("A desktop shortcut cannot hold control characters");
        out += ch;
    }
  }
  return out;
}

}  // namespace

std::filesystem::path GetDesktopFolder(bool allUsers) {
  if (allUsers) return {};
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (desktop.isEmpty()) return {};
  std::filesystem::path folder(QFile::encodeName(desktop).toStdString());
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return {};
  return folder;
}

std::string SafeShortcutName(std::string_view name) {
  std::string s;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    s += (IsLatin1Control(c) || ch == '/' || ch == '\\') ? '_' : ch;
  }
  for (std::size_t p = s.find(".."); p != std::string::npos; p = s.find("..", p))
    s.replace(p, 2, "_");
  s = Trim(s);
  if (s.size() > kMaxShortcutName) s = TrimRight(s.substr(0, kMaxShortcutName));
  if (!s.empty() && s[0] == '.') s[0] = '_';
  return s;
}

std::string DesktopExecArgument(std::string_view arg) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string body;
  for (char ch : arg) {
    if (ch == '"' || ch == '`' || ch == '$' || ch == '\\') body += '\\';
    body += ch;
    // "%" starts a field code everywhere, quoted or not.
    if (ch == '%') body += '%';
  }
  if (!arg.empty() && arg.find_first_of(kReserved) == std::string_view::npos) return body;
  return '"' + body + '"';
}

std::string DesktopEntryText(const TShellLink& link) {
  const std::string safe = SafeShortcutName(link.Name);
  std::string exec = DesktopExecArgument(std::filesystem::absolute(link.Target).string());
  for (const std::string& a : link.Arguments) exec += ' ' + DesktopExecArgument(a);

  std::string text = "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Version=1.0\n";
  text += "Name=" + EscapeValue(Latin1ToUtf8(safe.empty() ? "Tovix" : "Tovix " + safe)) + "\n";
  if (!link.Description.empty())
    text += "Comment=" + EscapeValue(Latin1ToUtf8(link.Description)) + "\n";
  text += "Exec=" + EscapeValue(exec) + "\n";
  if (!link.WorkingFolder.empty())
    text += "Path=" + EscapeValue(link.WorkingFolder.string()) + "\n";
  if (!link.Icon.empty()) text += "Icon=" + EscapeValue(link.Icon.string()) + "\n";
  text += "Terminal=false\n";
  return text;
}

std::filesystem::path CreateShellLink(const std::filesystem::path& folder, const TShellLink& link) {
  if (folder.empty()) throw EFileError("No desktop folder for the shortcut");
  const std::string safe = SafeShortcutName(link.Name);
  const std::string fileName = Latin1ToUtf8(safe.empty() ? "Tovix" : "Tovix " + safe) + ".desktop";
  const std::filesystem::path file = folder / fileName;
  WriteFileAtomically(file, DesktopEntryText(link));
  // Desktops start only entries that may be executed.
  std::error_code ec;
  std::filesystem::permissions(file, std::filesystem::perms(0755),
                               std::filesystem::perm_options::replace, ec);
  if (ec) throw EFileError("Cannot make the shortcut executable: " + file.string());
  return file;
}

}  // namespace tovix
