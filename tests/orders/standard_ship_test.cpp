// The standard-ship generator: the schemes' worked examples, and every mass budget from 3 to 300
// under every combination of the three schemes, with and without the cargo unit.

#include "orders/standard_ship.h"

#include <gtest/gtest.h>

#include "core/model/game_model.h"
#include "orders/ship_design.h"

namespace tovix {
namespace {

struct ExampleRow {
  const char* name;
  double productivity;
  int turns;
  int speed, weapons, shields;
  bool cargo;
  std::string line;  // empty: nothing is generated
};

class StandardShipExample : public testing::TestWithParam<ExampleRow> {};

TEST_P(StandardShipExample, GivesItsLine) {
  const ExampleRow& row = GetParam();
  TStdShipChoices choices;
  choices.Items = {row.speed, row.weapons, row.shields};
  choices.UseOneCargo = row.cargo;
  const std::optional<TStdShip> ship = GenerateStandardShip(row.productivity, row.turns, choices);
  EXPECT_EQ(ship ? ship->Line : std::string(), row.line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StandardShipExample,
    testing::Values(
        // The defaults: half the mass to the drive, one gun, half the rest to the shields.
        ExampleRow{"Defaults", 10, 1, 1, 0, 4, false,
                   "D AM12_10 5.00 1 2.50 2.50 0 ; 1 turns to build"},
        ExampleRow{"TurnsMultiply", 2.5, 4, 1, 0, 4, false,
                   "D AM12_10 5.00 1 2.50 2.50 0 ; 4 turns to build"},
        // The cargo unit needs a budget above 5; its mass comes off the rest.
        ExampleRow{"NoCargoAtFive", 5, 1, 1, 0, 4, true,
                   "D AM12_5 2.50 1 1.25 1.25 0 ; 1 turns to build"},
        ExampleRow{"CargoAtSix", 6, 1, 1, 0, 4, true,
                   "D AM12_5c 3.00 1 1.00 1.00 1 ; 1 turns to build"},
        // Weapons of 1 per attack with a rest of 3.5 (budget 14, half to the drive, half the
        // rest to the shields): 5 attacks weigh 3 weapons, each 3.5 / 3.
        ExampleRow{"TertiaryGun", 14, 1, 1, 6, 4, false,
                   "D AT12_14 7.00 5 1.17 3.49 0 ; 1 turns to build"},
        ExampleRow{"NoDrive", 10, 1, 6, 0, 4, false,
                   "D FM12_10 0 1 5.00 5.00 0 ; 1 turns to build"},
        ExampleRow{"BudgetBelowThree", 2.99, 1, 1, 0, 4, false, ""},
        ExampleRow{"NoNumberOfTurns", 10, 0, 1, 0, 4, false, ""},
        // Regression: 10 attacks used to count as 5 weapons of mass (integer (10 + 1) div 2),
        // so the design outweighed its budget by half a weapon; they weigh 5.5.
        ExampleRow{"EvenAttacksWithinBudget", 40, 1, 1, 2, 4, false,
                   "D ASb12_40 20.00 10 1.82 9.99 0 ; 1 turns to build"},
        // Regression: without shields, weapons rounded up outweighed the rest and the shields
        // came out at -0.01; the weapons are rounded down and the residue is no shield.
        ExampleRow{"ShieldlessRoundingStaysWithinBudget", 7, 1, 1, 6, 13, false,
                   "D AT00_7 3.50 5 1.16 0.00 0 ; 1 turns to build"},
        // Regression: a rest below 1 left no attack count and was divided by 0; it gives no
        // weapons and goes to the shields.
        ExampleRow{"RestBelowOneGivesNoWeapons", 3, 1, 0, 1, 10, false,
                   "D QSa16_3 2.00 0 0.00 1.00 0 ; 1 turns to build"}),
    [](const auto& row) { return std::string(row.param.name); });

// Every budget and every scheme: the design never outweighs its budget by more than the
// rounding of its values, no value is negative, and every value the game refuses (strictly
// between 0 and 1) is one the designer marks.
TEST(StandardShipTest, EveryBudgetAndSchemeStaysWithinItsBudget) {
  int generated = 0, marked = 0;
  for (int budget = 3; budget <= 300; ++budget) {
    for (int s = 0; s < 7; ++s)
      for (int w = 0; w < 12; ++w)
        for (int h = 0; h < 14; ++h)
          for (bool cargo : {false, true}) {
            TStdShipChoices choices;
            choices.Items = {s, w, h};
            choices.UseOneCargo = cargo;
            const std::optional<TStdShip> ship = GenerateStandardShip(budget, 1, choices);
            ASSERT_TRUE(ship) << budget;
            ++generated;
            const TDesignRead read =
                ReadDesignTexts({ship->Drive, ship->Attacks, ship->Weapons, ship->Shields,
                                 ship->Cargo, "1", "1", "1", "1"});
            ASSERT_TRUE(read.Ok()) << ship->Line << ": " << read.Error;
            TShipType type(ship->Name, TGameType::NG);
            type.Drive = read.Values.Drive;
            type.Attacks = read.Values.Attacks;
            type.Weapons = read.Values.Weapons;
            type.Shields = read.Values.Shields;
            type.Cargo = read.Values.Cargo;
            ASSERT_LE(type.Mass(), budget + 0.01) << ship->Line;
            ASSERT_GE(type.Shields, 0) << ship->Line;
            ASSERT_EQ(type.Attacks > 0, type.Weapons > 0) << ship->Line;
            const std::vector<int> refused = FieldsBetweenZeroAndOne(read.Values);
            for (float v : {type.Drive, type.Weapons, type.Shields, type.Cargo})
              if (BetweenZeroAndOne(v)) {
                ASSERT_FALSE(refused.empty()) << ship->Line;
              }
            marked += !refused.empty();
          }
  }
  EXPECT_EQ(generated, 298 * 7 * 12 * 14 * 2);
  // Small budgets split into pieces below 1: the marks are real, not the rule.
  EXPECT_GT(marked, 0);
  EXPECT_LT(marked, generated / 4);
}

}  // namespace
}  // namespace tovix
