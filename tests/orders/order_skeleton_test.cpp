// The frame of a new order text: the password of a turn-0 report, the header line and the frame
// itself, and the header of the real game Orion for race A.

#include "orders/order_skeleton.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/orion_as_a.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

TEST(OrdersPassword, IsTheFourthWordAfterTheAnnouncement) {
  const std::pair<const char*, std::string> rows[] = {
      {"as the server writes it",
       "Bulletins\n\nFirst line of your orders should now be:\n"
       "#galaxy Orion race_1 P2027128342 [TurnNumber] [FinalOrders]\n\nmore"},
      {"any case, CR LF and blanks around",
       "x\r\n  FIRST LINE OF YOUR ORDERS SHOULD NOW BE: \r\n#GALAXY  Orion\trace_1 "
       "P2027128342\r\n"},
      {"CR line ends",
       "First line of your orders should now be:\r#galaxy Orion race_1 P2027128342"},
  };
  for (const auto& [name, report] : rows) {
    SCOPED_TRACE(name);
    EXPECT_EQ(OrdersPasswordFromReport(report), "P2027128342");
  }
  const std::pair<const char*, std::string> none[] = {
      {"no announcement", "#galaxy Orion race_1 P2027128342\n"},
      {"announcement last", "x\nFirst line of your orders should now be:"},
      {"three words", "First line of your orders should now be:\n#galaxy Orion race_1\n"},
      {"not the whole line", "The First line of your orders should now be:\n#galaxy O r P\n"},
  };
  for (const auto& [name, report] : none) {
    SCOPED_TRACE(name);
    EXPECT_EQ(OrdersPasswordFromReport(report), "");
  }
}

struct SkeletonRow {
  const char* Name;
  std::string FirstLine;
  std::optional<std::string> NewName;
  std::vector<std::string> Lines;
};

TEST(OrderSkeleton, ReplacesTheOrdersWithTheFrame) {
  const std::vector<std::string> sections{
      ";-Tovix Group Insertion start-", ";-Tovix Group Insertion end-",
      ";-Tovix Find Insertion start-", ";-Tovix Find Insertion end-", "#END"};
  const auto with = [&sections](std::vector<std::string> head) {
    head.insert(head.end(), sections.begin(), sections.end());
    return head;
  };
  const SkeletonRow rows[] = {
      {"header only", "#GALAXY Orion Arcturans pw", std::nullopt,
       with({"#GALAXY Orion Arcturans pw", ""})},
      {"with a new name", "#GALAXY Orion Arcturans pw", "Vegans",
       with({"#GALAXY Orion Arcturans pw", "", "C Vegans", ""})},
      {"empty first line starts at the Group marker", "", std::nullopt, with({})},
      {"empty first line with a new name", "", "Vegans", with({"C Vegans", ""})},
  };
  for (const SkeletonRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TVectorOrderLines lines({"#GALAXY old", "s 12 Alpha", "#END"});
    WriteOrderSkeleton(lines, row.FirstLine, row.NewName);
    EXPECT_EQ(lines.Lines(), row.Lines);
  }
}

// The password is read in "Galaxy NG" games only, from the turn-0 report of the first letter.
TEST(DefaultOrderHeader, ReadsThePasswordOfNgGamesOnly) {
  test::TempDir folder;
  GameState state;
  state.GameName = "Orion";
  state.Settings.spelD = (folder.path() / "%1s%0.03d.txt").string();
  state.Settings.spelC = "AB";
  state.Settings.GameType = TGameType::NG;
  EXPECT_EQ(DefaultOrderHeader(state).Line, "#GALAXY Orion");  // no race, no report
  auto race = std::make_unique<TPlayer>(1);
  race->Name = "Arcturans";
  state.MainPlayer = race.get();
  state.Players.AddObject("arcturans", std::move(race));
  std::ofstream(folder / "B000.txt") << "First line of your orders should now be:\n#g O r PB\n";
  EXPECT_FALSE(DefaultOrderHeader(state).HasPassword);
  std::ofstream(folder / "A000.txt") << "First line of your orders should now be:\n#g O r PA\n";
  const TOrderHeader header = DefaultOrderHeader(state);
  EXPECT_EQ(header.Line, "#GALAXY Orion Arcturans PA");
  EXPECT_TRUE(header.HasPassword);
  state.Settings.GameType = TGameType::Normal;
  EXPECT_EQ(DefaultOrderHeader(state).Line, "#GALAXY Orion Arcturans");
}

// The server's game names are case-sensitive: the header takes the name as the reports write it.
TEST(DefaultOrderHeader, OfOrionRaceAAtItsLastTurn) {
  test::OrionAsA* orion = test::Orion();
  if (!orion) GTEST_SKIP() << test::ReportsAbsent("orion");
  const TOrderHeader header = DefaultOrderHeader(orion->state);
  EXPECT_EQ(header.Line, "#GALAXY Orion Arcturans P2027128342");
  EXPECT_TRUE(header.HasPassword);
}

}  // namespace
}  // namespace tovix
