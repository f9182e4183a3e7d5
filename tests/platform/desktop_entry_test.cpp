#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/errors.h"
#include "platform/platform_test_helpers.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

struct NameRow {
  const char* name;
  std::string input;
  std::string expected;
};

class SafeShortcutNames : public ::testing::TestWithParam<NameRow> {};

TEST_P(SafeShortcutNames, StayOneHarmlessFileName) {
  EXPECT_EQ(SafeShortcutName(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SafeShortcutNames,
    ::testing::Values(NameRow{"Plain", "Orion", "Orion"},
                      NameRow{"TraversalAndNewLine", "../x\nExec=evil", "__x_Exec=evil"},
                      NameRow{"Separators", "a/b\\c", "a_b_c"},
                      NameRow{"ControlCharacters",
                              std::string("a\tb\x01"
                                          "c\x7f",
                                          6),
                              "a_b_c_"},
                      NameRow{"Latin1ControlCharacters",
                              "a\x85"
                              "b\xe9",
                              "a_b\xe9"},
                      NameRow{"LeadingDot", ".hidden", "_hidden"},
                      NameRow{"LeadingDotAfterBlanks", "  .x", "_x"},
                      NameRow{"Dots", "a...b", "a_.b"}, NameRow{"Trimmed", "  Orion  ", "Orion"},
                      NameRow{"Capped", std::string(200, 'x'), std::string(kMaxShortcutName, 'x')},
                      NameRow{"CappedAtABlank", std::string(kMaxShortcutName - 1, 'x') + " y",
                              std::string(kMaxShortcutName - 1, 'x')},
                      NameRow{"Empty", "", ""}),
    test::RowName<NameRow>);

struct ExecRow {
  const char* name;
  std::string arg;
  std::string expected;
};

class ExecArguments : public ::testing::TestWithParam<ExecRow> {};

TEST_P(ExecArguments, AreQuotedPerTheDesktopEntryRules) {
  EXPECT_EQ(DesktopExecArgument(GetParam().arg), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ExecArguments,
    ::testing::Values(
        ExecRow{"GameNumber", "3", "3"}, ExecRow{"PlainPath", "/usr/bin/tovix", "/usr/bin/tovix"},
        ExecRow{"Blank", "/home/me/My Games/tovix", "\"/home/me/My Games/tovix\""},
        ExecRow{"Empty", "", "\"\""}, ExecRow{"DoubleQuote", "a\"b", "\"a\\\"b\""},
        ExecRow{"Dollar", "$HOME", "\"\\$HOME\""}, ExecRow{"Backtick", "`id`", "\"\\`id\\`\""},
        ExecRow{"Backslash", "a\\b", "\"a\\\\b\""}, ExecRow{"Percent", "100%", "100%%"},
        ExecRow{"QuotedPercent", "a b%f", "\"a b%%f\""},
        ExecRow{"Semicolon", "3; rm -rf ~", "\"3; rm -rf ~\""}),
    test::RowName<ExecRow>);

// How a desktop reads an Exec value back into an argument list, written from the format's
// rules: string escapes first, then quoting, then field codes.
std::vector<std::string> ParseExec(const std::string& value) {
  std::string s;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char c = value[++i];
      s += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c == 's' ? ' ' : c;
    } else {
      s += value[i];
    }
  }
  std::vector<std::string> args;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ' ') {
      ++i;
      continue;
    }
    std::string arg;
    if (s[i] == '"') {
      for (++i; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) ++i;
        arg += s[i];
      }
      ++i;
    } else {
      for (; i < s.size() && s[i] != ' '; ++i) arg += s[i];
    }
    std::string unpercent;
    for (std::size_t k = 0; k < arg.size(); ++k) {
      unpercent += arg[k];
      if (arg[k] == '%' && k + 1 < arg.size() && arg[k + 1] == '%') ++k;
    }
    args.push_back(unpercent);
  }
  return args;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& key) {
  std::vector<std::string> found;
  for (const std::string& line : Lines(text))
    if (line.rfind(key, 0) == 0) found.push_back(line);
  return found;
}

// A game name from a report ends up in the file name and the Name line only; it can neither
// leave the desktop folder nor add a line of its own.
TEST(CreateShellLink, AHostileNameStaysInItsPlace) {
  test::TempDir dir;
  TShellLink link;
  link.Name = "../x\nExec=evil";
  link.Target = "/opt/My Games/tovix";
  link.Arguments = {"3"};
  link.WorkingFolder = dir.path();
  const fs::path file = CreateShellLink(dir.path(), link);

  EXPECT_EQ(file, dir / "Tovix __x_Exec=evil.desktop");
  const std::string text = test::ReadFileBytes(file);
  EXPECT_EQ(Lines(text).front(), "[Desktop Entry]");
  EXPECT_EQ(LinesStartingWith(text, "Exec="),
            std::vector<std::string>{"Exec=\"/opt/My Games/tovix\" 3"});
  EXPECT_EQ(LinesStartingWith(text, "Name="), std::vector<std::string>{"Name=Tovix __x_Exec=evil"});
  EXPECT_EQ(LinesStartingWith(text, "Type="), std::vector<std::string>{"Type=Application"});
  EXPECT_EQ(LinesStartingWith(text, "Path="),
            std::vector<std::string>{"Path=" + dir.path().string()});
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms(0755));
  // Nothing else was left in the folder (no temporary file).
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Whatever the program's path holds, the desktop reads back exactly the path and the game
// number: no extra argument, no variable or command expanded.
TEST(CreateShellLink, ExecReadsBackAsTheSameArguments) {
  test::TempDir dir;
  TShellLink link;
  link.Name = "Orion";
  link.Target = "/tmp/a b/\"q\"/$x/`id`/back\\slash/100%/semi;colon/tovix";
  link.Arguments = {"12"};
  const std::string text = DesktopEntryText(link);
  const std::vector<std::string> exec = LinesStartingWith(text, "Exec=");
  ASSERT_EQ(exec.size(), 1u);
  EXPECT_EQ(ParseExec(exec[0].substr(5)), (std::vector<std::string>{link.Target.string(), "12"}));
}

TEST(CreateShellLink, ReplacesAnEarlierShortcutAndKeepsItExecutable) {
  test::TempDir dir;
  TShellLink link;
  link.Name = "Orion";
  link.Target = "/usr/bin/tovix";
  link.Arguments = {"1"};
  CreateShellLink(dir.path(), link);
  link.Arguments = {"2"};
  const fs::path file = CreateShellLink(dir.path(), link);
  EXPECT_EQ(LinesStartingWith(test::ReadFileBytes(file), "Exec="),
            std::vector<std::string>{"Exec=/usr/bin/tovix 2"});
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms(0755));
}

// Names are Latin-1 text; the desktop entry and its file name are UTF-8.
TEST(CreateShellLink, Latin1NamesAreWrittenAsUtf8) {
  test::TempDir dir;
  TShellLink link;
  link.Name = "Ori\xe9n";
  link.Target = "/usr/bin/tovix";
  const fs::path file = CreateShellLink(dir.path(), link);
  EXPECT_EQ(file.filename().string(), "Tovix Ori\xc3\xa9n.desktop");
  EXPECT_EQ(LinesStartingWith(test::ReadFileBytes(file), "Name="),
            std::vector<std::string>{"Name=Tovix Ori\xc3\xa9n"});
}

TEST(CreateShellLink, RefusesWhatADesktopEntryCannotCarry) {
  test::TempDir dir;
  TShellLink link;
  link.Name = "Orion";
  link.Target = std::string("/usr/bin/to\x01vix");
  EXPECT_THROW(CreateShellLink(dir.path(), link), EFileError);
  EXPECT_FALSE(fs::exists(dir / "Tovix Orion.desktop"));
  link.Target = "/usr/bin/tovix";
  EXPECT_THROW(CreateShellLink(fs::path(), link), EFileError);
}

TEST(GetDesktopFolder, IsTheUsersDesktopWhenItExists) {
  test::TempDir home;
  fs::create_directories(home / "config");
  test::ScopedEnv homeVar("HOME", home.path().string());
  test::ScopedEnv config("XDG_CONFIG_HOME", (home / "config").string());
  EXPECT_EQ(GetDesktopFolder(false), fs::path());
  fs::create_directories(home / "Desktop");
  EXPECT_EQ(GetDesktopFolder(false), home / "Desktop");
  EXPECT_EQ(GetDesktopFolder(true), fs::path());
}

}  // namespace
}  // namespace tovix
