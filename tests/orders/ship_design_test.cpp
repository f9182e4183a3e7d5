// The ship designer's figures and lines: every design of every "Ship Types" table of the real
// reports printed as the server prints it, the texts it reads, the values the game refuses,
// the loaded row, the D line and the group for the battle simulator.

#include "orders/ship_design.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "support/orion_as_a.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// A design as the tables print it: the words N D A W S C, then Mass Speed Def (the PLUS layout:
// M only).
struct PrintedDesign {
  std::string where;
  std::vector<std::string> words;
};

void CollectTables(const fs::path& folder,
                   std::map<std::vector<std::string>, PrintedDesign>& rows) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
    const std::vector<std::string> lines = test::FileLines(entry.path());
    for (auto& [title, words] : test::ReportTables(lines, 0, [](const std::string& name) {
           return TrimRight(name).ends_with("Ship Types");
         })) {
      rows.emplace(words, PrintedDesign{entry.path().filename().string() + " " + title, words});
    }
  }
}

// Every row of every ship-type table of orion, orion-variant-t26 and andromeda, with the four
// technologies at 1.00: the designer prints the table's mass, speed and defence (the PLUS
// report gives the mass only).
TEST(ShipDesignTest, PrintsTheFiguresOfEveryShipTypeTable) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  std::map<std::vector<std::string>, PrintedDesign> rows;
  CollectTables(orion, rows);
  const fs::path variant = test::ReportsDir("orion-variant-t26");
  if (!variant.empty()) CollectTables(variant, rows);
  const fs::path archive = test::ReportsDir("andromeda-ABC.tar.xz");
  test::TempDir unpacked;
  const bool andromeda = !archive.empty() && fs::exists(archive);
  if (andromeda) {
    const std::string command =
        "tar -xJf '" + archive.string() + "' -C '" + unpacked.path().string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    CollectTables(unpacked.path() / "andromeda", rows);
  }

  std::set<std::vector<std::string>> designs;
  for (const auto& [words, row] : rows) {
    ASSERT_TRUE(words.size() == 9 || words.size() == 7) << row.where;
    designs.insert(std::vector<std::string>(words.begin(), words.begin() + 6));
    TDesignTexts texts;
    for (int field = dfDrive; field <= dfCargo; ++field)
      texts[static_cast<size_t>(field)] = words[static_cast<size_t>(field) + 1];
    for (int field = dfDriveTech; field <= dfCargoTech; ++field)
      texts[static_cast<size_t>(field)] = "1.00";
    const TDesignRead read = ReadDesignTexts(texts);
    ASSERT_TRUE(read.Ok()) << row.where << ": " << read.Error;
    const auto normal = FigureTexts(DesignFigures(read.Values, TGameType::NG).Normal);
    EXPECT_EQ(Trim(normal[4]), words[6]) << row.where << " " << words[0] << " mass";
    if (words.size() == 9) {
      EXPECT_EQ(Trim(normal[0]), words[7]) << row.where << " " << words[0] << " speed";
      EXPECT_EQ(Trim(normal[2]), words[8]) << row.where << " " << words[0] << " def";
    }
  }
  // The three games hold 292 distinct designs; fewer would mean tables went unread.
  if (andromeda && !variant.empty())
    EXPECT_EQ(designs.size(), 292u);
  else
    EXPECT_GT(designs.size(), 100u);
}

TDesignTexts Texts(std::initializer_list<const char*> values) {
  TDesignTexts texts;
  size_t i = 0;
  for (const char* v : values) texts[i++] = v;
  for (; i < texts.size(); ++i) texts[i] = "1.00";
  return texts;
}

struct ReadRow {
  const char* name;
  TDesignTexts texts;
  std::string error;  // empty: read
};

class ShipDesignRead : public testing::TestWithParam<ReadRow> {};

TEST_P(ShipDesignRead, NamesTheFirstTextThatIsNoNumber) {
  const TDesignRead read = ReadDesignTexts(GetParam().texts);
  EXPECT_EQ(read.Error, GetParam().error);
  EXPECT_EQ(read.Ok(), GetParam().error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShipDesignRead,
    testing::Values(
        ReadRow{"PrintedTexts", Texts({"22.00", "  4", " 5.00", " 8.00", " 0.00"}), ""},
        ReadRow{"CommaDoesNotRead", Texts({"1,5", "1", "1", "1", "0"}),
                "Drive: \"1,5\" is not a number."},
        ReadRow{"AttacksAreWhole", Texts({"1", "1.5", "1", "1", "0"}),
                "Attacks: \"1.5\" is not a whole number."},
        ReadRow{"EmptyText", Texts({"1", "1", "1", "", "0"}), "Shields: \"\" is not a number."},
        ReadRow{"TechnologyToo", Texts({"1", "1", "1", "1", "0", "1", "x"}),
                "Weapons technology: \"x\" is not a number."},
        // Pasted past the key filter: what the server would read otherwise (0 for
        // "0x10") is not what the figures show (16).
        ReadRow{"HexadecimalAttacks", Texts({"1", "0x10", "1", "1", "0"}),
                "Attacks: \"0x10\" is not a whole number."},
        ReadRow{"DollarAttacks", Texts({"1", "$10", "1", "1", "0"}),
                "Attacks: \"$10\" is not a whole number."},
        ReadRow{"Exponent", Texts({"1e3", "1", "1", "1", "0"}), "Drive: \"1e3\" is not a number."},
        ReadRow{"Sign", Texts({"1", "+2", "1", "1", "0"}),
                "Attacks: \"+2\" is not a whole number."}),
    [](const auto& row) { return std::string(row.param.name); });

// The cargo use of an own design is kept under a key the store can hold whatever the name: one
// with "=" (which a key cannot hold), one with blanks at its end (which a key would lose), and
// one with "%", which is also found under the key an older version wrote, with no two names on
// one key.
TEST(ShipDesignTest, CargoUseOfAnyDesignNameComesBackFromTheStore) {
  test::TempDir dir;
  const std::string file = (dir / "TovixStore3.ini").string();
  std::ofstream(file) << "[TfrmShipDesign]\nShiptype_Cruiser=2\nShiptype_100%=4\n";
  struct Row {
    const char* Name;
    TCargoUse Use;
    const char* Key;
  };
  const Row rows[] = {{"Warp=9", TCargoUse::Col, "Shiptype_Warp%3D9"},
                      {"Hauler  ", TCargoUse::Cap, "Shiptype_Hauler%20%20"},
                      {"Hauler", TCargoUse::Stationary, "Shiptype_Hauler"},
                      {"a%3Db", TCargoUse::ColThenCap, "Shiptype_a%253Db"},
                      {"a=b", TCargoUse::CapThenCol, "Shiptype_a%3Db"}};
  {
    TznSaveState store(file);
    for (const Row& row : rows) {
      TShipType type(row.Name, TGameType::NG);
      StoreCargoUse(store, type, row.Use);
      EXPECT_EQ(type.CargoUse, row.Use);
      EXPECT_EQ(CargoUseKey(row.Name), row.Key);
    }
    store.UpdateFile();
  }
  const TznSaveState reread(file);
  for (const Row& row : rows)
    EXPECT_EQ(StoredCargoUse(reread, row.Name), static_cast<int32_t>(row.Use)) << row.Name;
  EXPECT_EQ(StoredCargoUse(reread, "Cruiser"), 2);
  EXPECT_EQ(StoredCargoUse(reread, "100%"), 4);
  EXPECT_EQ(StoredCargoUse(reread, "Drone"), 0);
}

// A store of an older version holds the names as they were. Its key is taken for a name with
// "%" only where no other name escapes to it as the store compares keys (without letter case,
// without the blanks and control characters it drops at the end): "Shiptype_a%3Db" is the key of
// "a=b" now, so neither "a%3Db" nor "a%3db" reads a use from it, whichever version wrote it, and
// "Shiptype_%20 " lost its blank to become the key of " ".
TEST(ShipDesignTest, OlderKeysAreReadWhereNoOtherNameOwnsThem) {
  test::TempDir dir;
  const std::string file = (dir / "TovixStore3.ini").string();
  std::ofstream(file) << "[TfrmShipDesign]\n"
                         "Shiptype_a%3Db=4\n"
                         "Shiptype_100%=4\n"
                         "Shiptype_50%off=3\n"
                         "Shiptype_x%41=2\n"
                         "Shiptype_mid%20blank=5\n"
                         "Shiptype_tail%2=1\n"
                         "Shiptype_p%25=5\n"
                         "Shiptype_low%3db=2\n"
                         "Shiptype_%20=1\n"
                         "Shiptype_tab%09=3\n"
                         "Shiptype_end%=5\n";
  const TznSaveState store(file);
  struct Row {
    const char* Name;
    int32_t Use;
  };
  const Row rows[] = {
      {"a%3Db", 0},        // the key of "a=b"
      {"a%3db", 0},        // the same key to the store
      {"A%3DB", 0},        // and again
      {"a=b", 4},          // its own key
      {"100%", 4},         // no escape follows the "%"
      {"50%off", 3},       // "%of" is no escape
      {"x%41", 2},         // "xA" has the key "Shiptype_xA"
      {"mid%20blank", 5},  // a blank inside a name is kept as it is
      {"tail%2", 1},       // cut short
      {"p%25", 0},         // the key of "p%"
      {"p%", 5},           // its own key
      {"low%3db", 0},      // the key of "low=b", written in small letters
      {"low=b", 2},        // its own key
      {"%20 ", 0},         // the store drops the blank: the key of " "
      {"%20\t", 0},        // or the tab
      {" ", 1},            // its own key
      {"tab%09 ", 0},      // the key of "tab\t"
      {"tab\t", 3},        // its own key
      {"end% ", 5},        // "Shiptype_end%" is nobody's escaped key
  };
  for (const Row& row : rows) EXPECT_EQ(StoredCargoUse(store, row.Name), row.Use) << row.Name;
}

TEST(ShipDesignTest, KeysAndValuesTheGameRefuses) {
  for (char c : std::string("0123456789.\b")) EXPECT_TRUE(DesignKeyAccepted(c)) << int(c);
  for (char c : std::string(",-+ eE")) EXPECT_FALSE(DesignKeyAccepted(c)) << c;

  TDesignValues values;
  values.Drive = 0.5f;
  values.Weapons = 1;
  values.Shields = 0.99f;
  values.Cargo = 0;
  values.Attacks = 1;
  values.DriveTech = 0.5f;  // technologies are no design values
  EXPECT_EQ(FieldsBetweenZeroAndOne(values), (std::vector<int>{dfDrive, dfShields}));
  EXPECT_EQ(BetweenZeroAndOneQuestion({dfDrive, dfShields}, values),
            "The game takes 0 or at least 1 for drive, weapons, shields and cargo, and refuses "
            "this design:\rDrive 0.50, Shields 0.99.\rWrite it anyway?");
}

// The loaded row: the full load weighs capacity / cargo technology, for the mass as for speed
// and shields. Cargo 5 at cargo technology 2 holds 15, which weighs 7.5.
TEST(ShipDesignTest, LoadedRowWeighsTheLoadByCargoTechnology) {
  TDesignValues v;
  v.Drive = 8;
  v.Shields = 2;
  v.Cargo = 5;
  v.CargoTech = 2;
  const TDesignRows rows = DesignFigures(v, TGameType::NG);
  EXPECT_EQ(FigureTexts(rows.Normal),
            (std::array<std::string, 5>{"10.67", " 0.00", " 2.52", " 5.00", "15.00"}));
  EXPECT_FLOAT_EQ(rows.Loaded.Cargo, 15);
  EXPECT_FLOAT_EQ(rows.Loaded.Mass, 22.5f);
  EXPECT_NEAR(rows.Loaded.Speed, 20 * 8 / 22.5, 1e-4);
  EXPECT_EQ(FigureTexts(rows.Loaded)[1], " 0.00");
}

}  // namespace
}  // namespace tovix
