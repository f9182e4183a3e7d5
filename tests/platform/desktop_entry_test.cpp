#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/base/errors.h"
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
    ::testing::Values(NameRow{"TraversalAndNewLine", "../x\nExec=evil", "__x_Exec=evil"},
                      NameRow{"Separators", "a/b\\c", "a_b_c"},
                      NameRow{"ControlCharacters", "a\tb\001c\177", "a_b_c_"},
                      NameRow{"Latin1ControlCharacters", "a\205b\351", "a_b\351"},
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
    ::testing::Values(ExecRow{"PlainPath", "/usr/bin/tovix", "/usr/bin/tovix"},
                      ExecRow{"Blank", "/home/me/My Games/tovix", "\"/home/me/My Games/tovix\""},
                      ExecRow{"Empty", "", "\"\""}, ExecRow{"DoubleQuote", "a\"b", "\"a\\\"b\""},
                      ExecRow{"Dollar", "$HOME", "\"\\$HOME\""},
                      ExecRow{"Backtick", "`id`", "\"\\`id\\`\""},
                      ExecRow{"Backslash", "a\\b", "\"a\\\\b\""},
                      ExecRow{"Percent", "100%", "100%%"},
                      ExecRow{"QuotedPercent", "a b%f", "\"a b%%f\""},
                      ExecRow{"Semicolon", "3; rm -rf ~", "\"3; rm -rf ~\""}),
    test::RowName<ExecRow>);

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& key) {
  std::vector<std::string> found;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
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
  EXPECT_EQ(text.substr(0, 16), "[Desktop Entry]\n");
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

}  // namespace
}  // namespace tovix
