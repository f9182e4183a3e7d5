#pragma once
// Questions, outside programs and the program's version: the shell services the windows share.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_interface.h"

namespace tovix {

class UserInterface;

// A fixed 8-bit message as a box shows it: Latin-1 decoded, "\r" (or "\r\n") as a line break.
QString DisplayText(std::string_view text);
// The same for a UTF-8 text.
QString DisplayUtf8Text(std::string_view text);

// Modal question box with the caption "Confirm", Yes and No buttons and the question icon, owned
// by the window in use (WindowInUse). True on Yes; No, Escape and closing the box give false.
bool YesNoBox(const std::string& text);
// The same with the buttons Yes, No and All.
TYesNoAll YesNoAllBox(const std::string& text);

// Starts `program` with `args` as its argument list (never through a shell, so blanks and quotes
// in an argument reach the program as they are) and waits for it. While it runs, timers and
// painting go on but user input waits until it ends, so nobody acts on half-done work. Returns
// the exit code; -1 when the program cannot be started or is killed by a signal.
int RunAndWait(const QString& program, const QStringList& args);
// The same with file-system byte strings (decoded the way file names are).
int RunAndWait(const std::string& program, const std::vector<std::string>& args);

// Hands `url` (a page, a file, a "mailto:" address) to the desktop's program for it. When nothing
// could open it the user is told so through `ui`, with the file's path or the address, and the
// result is false.
bool OpenInDesktop(const QUrl& url, UserInterface& ui);
// The text (UTF-8, the path or address whole) OpenInDesktop shows when `url` could not be opened.
std::string NothingCouldOpenText(const QUrl& url);

// What hands a URL to the desktop (QDesktopServices by default); tests install their own. An
// empty opener restores the desktop's. Returns the previous one.
using TDesktopOpener = std::function<bool(const QUrl&)>;
TDesktopOpener SetDesktopOpener(TDesktopOpener opener);

// The program's version as four dotted numbers, e.g. "0.1.0.0".
std::string FileVersionString();

}  // namespace tovix
