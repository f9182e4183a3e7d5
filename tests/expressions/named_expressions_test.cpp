// The named-expression lists: their files across a restart, broken files left alone, and the
// builder's rules for names and text.

#include "expressions/named_expressions.h"

#include <gtest/gtest.h>

#include <string>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

std::vector<std::string> NamesOf(const TExpressionFile& f) {
  return f.List.Names();
}

// Add, change, copy, move up and down and delete in both kinds; after a restart (new lists
// read from the files) everything comes back, blanks at the ends of values included.
TEST(NamedExpressions, EveryEditSurvivesARestart) {
  test::TempDir dir;
  test::RecordingUserInterface ui;
  for (TExpressionKind kind : {TExpressionKind::Groups, TExpressionKind::Planets}) {
    TExpressionLists lists;
    lists.Open(dir.path(), kind, "3", ui);
    EXPECT_EQ(lists.Local.State(), TListFileState::Missing);
    TExpressionItem& a = lists.Local.List.Add();
    a.ExpressionName = " spaced name ";
    a.Expression = "[PT_SIZE] > 500 ";
    TExpressionItem& b = lists.Local.List.Add();
    b.ExpressionName = "b";
    b.Expression = "1";
    TExpressionItem& c = lists.Global.List.Add();
    c.ExpressionName = "c";
    c.Expression = "[PT_NAME] = 'x=y'";
    // Change b, copy c within the global list, move b up into the global list and c down.
    lists.Local.List.ExpressionList[1].Expression = "2";
    TExpressionItem copy = lists.Global.List.ExpressionList[0];
    copy.ExpressionName = "c copy";
    lists.Global.List.ExpressionList.push_back(copy);
    EXPECT_TRUE(MoveExpression(lists.Local.List, lists.Global.List, "B"));
    EXPECT_TRUE(MoveExpression(lists.Global.List, lists.Local.List, "c"));
    EXPECT_FALSE(MoveExpression(lists.Global.List, lists.Local.List, "C"));  // name taken
    lists.Local.List.Add().ExpressionName = "gone";
    lists.Local.List.Delete(lists.Local.List.IndexOf("GONE"));
    lists.Close("c", "", ui);

    TExpressionLists again;
    again.Open(dir.path(), kind, "3", ui);
    EXPECT_EQ(NamesOf(again.Local), (std::vector<std::string>{" spaced name ", "c"}));
    EXPECT_EQ(NamesOf(again.Global), (std::vector<std::string>{"c copy", "b"}));
    EXPECT_EQ(again.Local.List.ExpressionByName(" SPACED name "), "[PT_SIZE] > 500 ");
    EXPECT_EQ(again.Local.List.ExpressionByName("c"), "[PT_NAME] = 'x=y'");
    EXPECT_EQ(again.Global.List.ExpressionByName("b"), "2");
    EXPECT_EQ(again.Local.List.CurrentExpression, "c");
    EXPECT_EQ(again.Global.List.CurrentExpression, "");
    // Another game has its own local list and shares the global one.
    TExpressionLists other;
    other.Open(dir.path(), kind, "4", ui);
    EXPECT_TRUE(other.Local.List.ExpressionList.empty());
    EXPECT_EQ(NamesOf(other.Global), NamesOf(again.Global));
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "Groups Expressions_3"));
  EXPECT_TRUE(std::filesystem::exists(dir / "Planets Expressions_Global"));
  EXPECT_TRUE(ui.messages.empty());
}

// A value holding a lone CR loaded, but the list could then never be saved ("holds a line
// break"), so every later change of it was lost at close. Such values are written back as read.
TEST(NamedExpressions, ValuesWithALoneCrSurviveASave) {
  test::TempDir dir;
  test::RecordingUserInterface ui;
  const std::string text =
      "[Expressions]\r\nFormat=1\r\nCurrentExpression=a\rb\r\nCount=2\r\n"
      "[Item1]\r\nName=a\rb\r\nExpression=[PT_SIZE]\r> 5\r\nType=2\r\n"
      "[Item2]\r\nName=ends\r\r\nExpression=\r1\r\r\nType=2\r\n";
  const auto file = ExpressionFileName(dir.path(), TExpressionKind::Planets, "7");
  WriteFileAtomically(file, text);
  TExpressionLists lists;
  lists.Open(dir.path(), TExpressionKind::Planets, "7", ui);
  ASSERT_EQ(lists.Local.State(), TListFileState::Loaded);
  EXPECT_EQ(NamesOf(lists.Local), (std::vector<std::string>{"a\rb", "ends\r"}));
  EXPECT_EQ(lists.Local.List.ExpressionByName("ends\r"), "\r1\r");
  EXPECT_EQ(ExpressionsToText(lists.Local.List), text);
  lists.Local.List.Add().ExpressionName = "added";
  lists.Close("a\rb", "", ui);
  EXPECT_TRUE(ui.messages.empty());

  TExpressionLists again;
  again.Open(dir.path(), TExpressionKind::Planets, "7", ui);
  EXPECT_EQ(NamesOf(again.Local), (std::vector<std::string>{"a\rb", "ends\r", "added"}));
  EXPECT_EQ(again.Local.List.ExpressionByName("a\rb"), "[PT_SIZE]\r> 5");
  EXPECT_EQ(again.Local.List.CurrentExpression, "a\rb");
  // A line feed cannot be written: the save says so and the file stays as it was.
  again.Local.List.ExpressionList[0].Expression = "1\n2";
  const std::string before = test::ReadFileBytes(file);
  EXPECT_FALSE(again.Local.Save(ui));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(file), before);
}

// A truncated or garbage file is reported, read as empty, and left byte for byte as it was
// when the window hides; a good list beside it is still saved.
TEST(NamedExpressions, BrokenFilesAreReportedAndNotSavedOver) {
  test::TempDir dir;
  TExpressions good;
  good.ExpressionList.push_back({"one", "1", etGroup});
  good.ExpressionList.push_back({"two", "2", etGroup});
  const std::string whole = ExpressionsToText(good);
  const std::string broken[] = {
      whole.substr(0, whole.find("[Item2]") + 4),  // truncated inside the second item
      "\x01\x02garbage\xff",                       // not text of ours
      "[Expressions]\r\nFormat=2\r\nCount=0\r\n",  // a later format
      "[Expressions]\r\nFormat=1\r\nCount=many\r\n",
  };
  for (const std::string& bytes : broken) {
    test::RecordingUserInterface ui;
    const auto local = ExpressionFileName(dir.path(), TExpressionKind::Groups, "1");
    WriteFileAtomically(local, bytes);
    TExpressionLists lists;
    lists.Open(dir.path(), TExpressionKind::Groups, "1", ui);
    EXPECT_EQ(lists.Local.State(), TListFileState::Unreadable);
    EXPECT_TRUE(lists.Local.List.ExpressionList.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("Groups Expressions_1"), std::string::npos) << ui.messages[0];
    lists.Global.List.Add().ExpressionName = "kept";
    lists.Close("", "kept", ui);
    EXPECT_EQ(test::ReadFileBytes(local), bytes);
    EXPECT_EQ(ExpressionsFromText(test::ReadFileBytes(ExpressionFileName(
                                      dir.path(), TExpressionKind::Groups, "Global")))
                  .CurrentExpression,
              "kept");
  }
}

TEST(NamedExpressions, BuilderNamesAndText) {
  TExpressions list;
  list.ExpressionList.push_back({"Armed", "1", etGroup});
  list.ExpressionList.push_back({"Other", "2", etGroup});
  EXPECT_FALSE(BuilderNameAcceptable(list, "armed", -1));  // differs in case only
  EXPECT_FALSE(BuilderNameAcceptable(list, "ARMED", 1));
  EXPECT_TRUE(BuilderNameAcceptable(list, "ARMED", 0));  // the edited item keeps its name
  EXPECT_FALSE(BuilderNameAcceptable(list, "", -1));
  // The planet template with no-break spaces is saved with blanks; line breaks become blanks.
  const TExpressionTemplate t = ExpressionTemplates(TExpressionKind::Planets)[0];
  EXPECT_EQ(CleanBuilderText(t.Expression),
            "([PT_MYMASS]=0) and ([PT_FRIENDLYMASS]=0) and ([PT_SENTMASS] = 0) ");
  EXPECT_EQ(CleanBuilderText("a\r\nb\nc\xA0\xE0"), "a b c \xE0");
  // A value with a line break cannot be stored.
  list.ExpressionList[0].Expression = "1\n2";
  EXPECT_THROW(ExpressionsToText(list), TovixError);
  // The group help text keeps its duplicate [GR_ETA] line and the blank after "Weapons".
  const std::string help = ValidVariablesText(TExpressionKind::Groups);
  const std::string eta = "[GR_ETA]\t\tNumber of turns needed to reach destination";
  EXPECT_NE(help.find(eta), help.rfind(eta));
  EXPECT_NE(help.find("Weapons \r\n"), std::string::npos);
}

}  // namespace
}  // namespace tovix
