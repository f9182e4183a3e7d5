// The development plan against the server's forecasts of the game "Orion": for every order file
// orders/X0NN.txt the server answered with forecasts/X0NN.txt, the state after those orders and
// one turn. The plan made from report X0(NN-1) alone and those orders must give, at turn index
// 1, each own planet's population, industry, CAP and COL of the forecast, and its MAT where the
// planet makes CAP or MAT. The test prints the agreement per figure and every disagreement.
//
// Then the automatic cargo commands on the same game: for each race A to I after reports 23
// and 24 with the orders that follow them, both commands must end with the Group auto-insert
// option on and off, and a plan of the resulting orders must keep every written send within the
// maximum trip and load no stock twice.
//
// Expected figures come from the forecast text (support/orion_forecast.h).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/auto_cargo.h"
#include "orders/development_plan.h"
#include "orders/order_service.h"
#include "orders/order_text.h"
#include "support/orion_forecast.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::FileLines;
using test::OneReport;
using test::SplitBlanks;

constexpr std::string_view kLetters = "ABCDEFGHIJ";

class OrionPlan : public testing::Test {
 protected:
  void SetUp() override {
    dir = test::ReportsDir("orion");
    if (dir.empty() || !fs::exists(dir / "orders") || !fs::exists(dir / "forecasts")) {
      GTEST_SKIP() << "the reports, orders and forecasts of the game Orion are not on this "
                      "machine";
    }
  }
  fs::path Report(char letter, int turn) const {
    return dir / FormatReportName("%1s%0.03d.txt", letter, turn);
  }
  // Each report is read once per test program: those after which the cargo test writes orders
  // (turns 23 and 24) are kept for it.
  std::shared_ptr<OneReport> Read(char letter, int turn) {
    static std::map<std::string, std::shared_ptr<OneReport>> kept;
    const fs::path file = Report(letter, turn);
    if (const auto found = kept.find(file.string()); found != kept.end()) return found->second;
    auto report = std::make_shared<OneReport>(file);
    if (turn >= 23) kept.emplace(file.string(), report);
    return report;
  }
  fs::path dir;
};

// The order lines of the file that name `planet` (by word), for the disagreement list.
std::string OrdersNaming(const std::vector<std::string>& orders, const std::string& planet) {
  std::string text;
  for (const std::string& line : orders) {
    for (const std::string& word : SplitBlanks(line)) {
      if (SameText(word, planet)) {
        text += " [" + line + "]";
        break;
      }
    }
  }
  return text;
}

TEST_F(OrionPlan, NextTurnFiguresAgreeWithTheForecasts) {
  const char* names[] = {"population", "industry", "CAP", "MAT", "COL"};
  // What is left are mostly other races' cargo landing on the planet, which no plan of the
  // own orders knows.
  const double least[] = {99.5, 99.5, 99.5, 99.5, 99.5};
  int agree[5] = {}, total[5] = {};
  int disagreements = 0;
  for (char letter : kLetters) {
    for (int turn = 1; turn <= 25; ++turn) {
      const fs::path forecast = dir / "forecasts" / FormatReportName("%1s%0.03d.txt", letter, turn);
      const fs::path orderFile = dir / "orders" / FormatReportName("%1s%0.03d.txt", letter, turn);
      if (!fs::exists(forecast) || !fs::exists(orderFile) || !fs::exists(Report(letter, turn - 1)))
        continue;
      const std::shared_ptr<OneReport> read = Read(letter, turn - 1);
      OneReport& report = *read;
      ASSERT_TRUE(report.loaded) << letter << turn - 1;
      const std::vector<std::string> orders = FileLines(orderFile);
      TDevelopmentPlanner planner(report.state);
      TVectorOrderLines lines(orders);
      planner.PlanAutomaticCargo(lines, true, true);
      for (const auto& [name, row] : test::ForecastText(forecast).planets) {
        TPlanet* planet = report.state.PlanetByName(LowerCase(name));
        const TDevPlanet* record = planet ? planner.FindRecord(*planet) : nullptr;
        if (!record || !planet->Owner.Is(report.state.MainPlayer)) continue;
        const bool makesStock = SameText(row.production, "CAP") || SameText(row.production, "MAT");
        const double expected[5] = {row.population, row.industry, row.cap, row.mat, row.col};
        const double planned[5] = {record->Populations[1], record->Industries[1], record->CAP[1],
                                   record->MAT[1], record->COL[1]};
        for (int f = 0; f < 5; ++f) {
          if (f == 3 && !makesStock) continue;
          ++total[f];
          if (std::abs(expected[f] - planned[f]) <= 0.02) {
            ++agree[f];
          } else if (++disagreements <= 60) {
            std::cout << letter << " turn " << turn << " planet " << name << ": " << names[f]
                      << " planned " << planned[f] << ", forecast " << expected[f]
                      << OrdersNaming(orders, name) << "\n";
          }
        }
      }
    }
  }
  ASSERT_GT(total[0], 0);
  std::cout << disagreements << " disagreements\n";
  for (int f = 0; f < 5; ++f) {
    const double share = 100.0 * agree[f] / std::max(total[f], 1);
    std::cout << names[f] << ": " << agree[f] << " of " << total[f] << " agree ("
              << FormatFixed(share, 1) << "%)\n";
    EXPECT_GE(share, least[f]) << names[f];
  }
}

// The group a written send moves: its own number, or for "S MAX" the group of the break
// before it.
std::string SentGroupWord(const std::vector<std::string>& lines, size_t i) {
  const std::vector<std::string> w = SplitBlanks(lines[i]);
  if (!SameText(w[1], "max")) return w[1];
  for (size_t k = i; k-- > 0;) {
    const std::vector<std::string> b = SplitBlanks(lines[k]);
    if (SameText(b[0], "b")) return b[1];
  }
  return {};
}

TEST_F(OrionPlan, AutomaticCargoCommandsEndWithinTheTrip) {
  int written = 0;
  for (char letter : kLetters.substr(0, 9)) {
    for (int turn : {24, 25}) {
      const fs::path orderFile = dir / "orders" / FormatReportName("%1s%0.03d.txt", letter, turn);
      if (!fs::exists(orderFile) || !fs::exists(Report(letter, turn - 1))) continue;
      const std::shared_ptr<OneReport> read = Read(letter, turn - 1);
      OneReport& report = *read;
      ASSERT_TRUE(report.loaded);
      GameState& state = report.state;
      TPlayer* own = state.MainPlayer;
      ASSERT_NE(own, nullptr);
      // The designer's cargo use: every cargo design takes COL then CAP, or CAP then COL.
      int k = 0;
      for (auto [name, type] : own->ShipTypes) {
        if (type->Cargo > 0)
          type->CargoUse = k++ % 2 ? TCargoUse::CapThenCol : TCargoUse::ColThenCap;
      }
      std::vector<std::string> orders = FileLines(orderFile);
      for (auto [key, planet] : state.Planets) {
        if (planet->Owner.Is(own) && planet->Population < planet->Size) {
          orders.insert(orders.end() - 1, ";P " + planet->Name);
        }
      }
      TAutoCargoSettings settings;
      settings.MaxDistanceIndex = 1;
      for (TAutoCargoCommand command :
           {TAutoCargoCommand::LoadAndSend, TAutoCargoCommand::SendEmpty}) {
        std::vector<std::string> previous;
        for (bool autoInsert : {true, false}) {
          TDevelopmentPlanner planner(state);
          TVectorOrderLines editor(orders);
          TRecordingTextSink clipboard;
          TSettingsOrderPlanner orderPlanner(planner, settings);
          TOrderService service(state, editor, clipboard, orderPlanner);
          service.UseRoutesForDevelopment = true;
          service.Options.Group = autoInsert;
          const TAutoCargoResult result =
              RunAutoCargoCommand(command, service, planner, editor, settings, {});
          if (!autoInsert) {
            EXPECT_EQ(result.Lines, previous) << letter << turn;
            EXPECT_EQ(clipboard.Puts, result.Lines.empty() ? 0 : 1);
            continue;
          }
          previous = result.Lines;
          written += static_cast<int>(result.Lines.size());
          for (const std::string& line : result.Lines) {
            EXPECT_GE(IndexOfLine(editor, line), 0) << line;
          }
          // A plan of the resulting orders: every written send within the trip.
          planner.PlanAutomaticCargo(editor, true, true);
          TOrderAnalysis names(state);
          for (size_t i = 0; i < result.Lines.size(); ++i) {
            const std::vector<std::string> w = SplitBlanks(result.Lines[i]);
            if (!SameText(w[0], "s")) continue;
            const int32_t number = StrToIntDef(SentGroupWord(result.Lines, i), -1);
            const TDevGroup* group = nullptr;
            for (const auto& g : planner.Groups()) {
              if (g->Number == number) group = g.get();
            }
            ASSERT_NE(group, nullptr) << result.Lines[i];
            const TPlanet* to = names.FindPlanet(w[2]);
            ASSERT_NE(to, nullptr);
            const TPlanet& from = *group->At[0];
            const double speed = group->Group->SpeedFullLoad();
            const double distance = state.PlanetDistance(from.X, from.Y, to->X, to->Y);
            EXPECT_LT(std::trunc(std::round(distance) / (speed * 100)), settings.MaxTrip())
                << letter << turn << " " << result.Lines[i];
          }
          // No COL target is planned above its fill by more than one ship's load.
          if (command == TAutoCargoCommand::LoadAndSend) {
            std::map<const TPlanet*, std::pair<double, double>> sent;  // COL, largest ship load
            for (const auto& g : planner.Groups()) {
              if (g->Group->Distance > 0 || g->CargoType != pcCol || !g->Destination ||
                  g->Destination == g->At[0])
                continue;
              auto& [col, largest] = sent[g->Destination];
              col += double{g->Load} * g->Ships;
              largest = std::max(largest, double{g->Group->CargoCapacity()});
            }
            for (const std::string& line : result.Lines) {
              const std::vector<std::string> w = SplitBlanks(line);
              const TPlanet* to = SameText(w[0], "s") ? names.FindPlanet(w[2]) : nullptr;
              if (!to || !sent.count(to)) continue;
              const auto [col, largest] = sent[to];
              EXPECT_LE(to->Population + 8 * col,
                        settings.ColFill * to->Size / 100.0 + 8 * largest + 1e-3)
                  << letter << turn << " " << to->Name;
            }
          }
          // No stock loaded twice: what the groups at a planet load is at most its stock.
          std::map<const TPlanet*, std::pair<double, double>> loaded;
          for (const auto& g : planner.Groups()) {
            if (g->Group->Distance > 0 || !g->At[0]) continue;
            if (g->CargoType == pcCol) loaded[g->At[0]].first += double{g->Load} * g->Ships;
            if (g->CargoType == pcCap) loaded[g->At[0]].second += double{g->Load} * g->Ships;
          }
          for (const auto& [planet, load] : loaded) {
            if (!planet->Owner.Is(own)) continue;
            double colBefore = 0, capBefore = 0;
            for (const auto& g : own->Groups) {
              if (g->Planet == planet && !(g->Distance > 0) && g->CargoType == pcCol)
                colBefore += double{g->Load} * g->Ships;
              if (g->Planet == planet && !(g->Distance > 0) && g->CargoType == pcCap)
                capBefore += double{g->Load} * g->Ships;
            }
            EXPECT_LE(load.first, planet->Colonists + colBefore + 1e-3) << planet->Name;
            EXPECT_LE(load.second, planet->Capital + capBefore + 1e-3) << planet->Name;
          }
        }
      }
    }
  }
  std::cout << written << " order lines written\n";
}

}  // namespace
}  // namespace tovix
