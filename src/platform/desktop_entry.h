#pragma once
// Desktop shortcuts: a freedesktop desktop entry ("Tovix <name>.desktop") in the user's desktop
// folder that starts the program for one game.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

// The user's desktop folder; empty when it does not exist. There is no desktop shared by all
// users, so `allUsers` always gives an empty path.
std::filesystem::path GetDesktopFolder(bool allUsers);

struct TShellLink {
  std::string Name;                    // the game's name (Latin-1), from a report or the user
  std::filesystem::path Target;        // the program file; made absolute
  std::vector<std::string> Arguments;  // e.g. the game number
  std::filesystem::path WorkingFolder;
  std::string Description;     // optional
  std::filesystem::path Icon;  // optional
};

// The name as one safe piece of a file name: "/", "\", control characters (C1 included) and ".."
// become "_", blanks are trimmed, a leading dot becomes "_" and the length is capped at
// kMaxShortcutName.
inline constexpr std::size_t kMaxShortcutName = 64;
std::string SafeShortcutName(std::string_view name);

// One argument of an Exec line: quoted when it holds a reserved character, with the characters
// that are special inside quotes escaped and "%" doubled, so that it stays one argument.
std::string DesktopExecArgument(std::string_view arg);

// The whole desktop entry (UTF-8). Throws EFileError when the target, an argument or a folder
// holds a control character that a desktop entry cannot carry.
std::string DesktopEntryText(const TShellLink& link);

// Writes (atomically, mode 0755) the entry into `folder` as "Tovix <safe name>.desktop" and
// returns its path. An existing shortcut of that name is replaced. Throws EFileError.
std::filesystem::path CreateShellLink(const std::filesystem::path& folder, const TShellLink& link);

}  // namespace tovix
