// The order analysis against what the server made of the same orders: for every order file of
// Orion (orders/X0NN.txt, sent after report X0(NN-1)) the forecast (forecasts/X0NN.txt) shows the
// groups after the orders and one move. Every group the orders send, fleet members included, and
// every part left at a planet must stand there as the analysis predicts (ships, destination,
// range, arrival turn); only production may explain a row that does not agree. Orders of the
// kinds the analysis reads that the server answered with ERROR must be refused with a note, and
// no others. The second test follows every own group in flight: it must first stand at its
// destination TurnsToArrive turns later. Expected values come from the text
// (support/orion_forecast.h), which shares no code with the reader or the analysis.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/model/arrival.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/development_plan.h"
#include "orders/order_analysis.h"
#include "support/orion_forecast.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::ForecastGroup;
using test::ForecastText;
using test::OrionFile;
using test::SplitBlanks;

constexpr int kLastTurn = 25;
constexpr std::string_view kLetters = "ABCDEFGHIJ";
// The order kinds the analysis reads, by their letter.
constexpr std::string_view kReadKinds = "psliburgjxd";

int Hundredths(double v) {
  return static_cast<int>(std::lround(v * 100));
}

// Ships as the forecast tables group them: design, technology, fleet, where (or whither, from
// where) and, where the cargo stays on board, the cargo.
struct ShipsKey {
  std::string type, fleet, planet, origin, cargo;
  int drive = 0, weapons = 0, shields = 0, cargoTech = 0, load = 0;
  int left = -1;          // hundredths still to fly; -1 standing
  bool upgraded = false;  // new technology: the levels are not compared
  auto Tie() const {
    return std::tie(type, fleet, planet, origin, cargo, drive, weapons, shields, cargoTech, load,
                    left, upgraded);
  }
  bool operator<(const ShipsKey& o) const { return Tie() < o.Tie(); }
  bool Matches(const ForecastGroup& row, const ForecastText& forecast) const {
    const bool own = forecast.planets.count(row.destination) > 0;
    return row.type == type && SameText(row.fleet, fleet) && SameText(row.destination, planet) &&
           SameText(row.InFlight() ? row.origin : "", origin) &&
           (upgraded ||
            (Hundredths(row.drive) == drive && Hundredths(row.weapons) == weapons &&
             Hundredths(row.shields) == shields && Hundredths(row.cargo) == cargoTech)) &&
           (own && !row.InFlight() ? cargo.empty()
                                   : (row.cargoType == "-" ? "" : row.cargoType) == cargo &&
                                         Hundredths(row.load) == load);
  }
};

// What the analysis says the forecast shows: the ships of one key, and for ships in flight the
// distance still to go.
struct Predicted {
  int ships = 0;
  double left = -1;
  double tolerance = 0;
  double speed = 0;
  int turns = 0;                     // the analysis's arrival turn
  std::vector<std::string> records;  // what made them, for the list of disagreements
  bool changed = false;              // sent, split, loaded or planned: what the orders did
  // Landed on a planet of another race: whether the server unloads there is not the
  // analysis's to say, so both are tried.
  bool landedForeign = false;
};

class OrionOrders : public testing::Test {
 protected:
  void SetUp() override {
    dir = test::ReportsDir("orion");
    if (dir.empty() || !fs::exists(dir / "orders") || !fs::exists(dir / "forecasts")) {
      GTEST_SKIP() << "the reports, orders and forecasts of the game Orion are not on this "
                      "machine";
    }
  }
  fs::path dir;
};

TEST_F(OrionOrders, TheAnalysisPredictsTheServersForecasts) {
  int files = 0, sends = 0, parts = 0, changed = 0, agree = 0, errors = 0, refused = 0;
  std::map<std::string, std::vector<std::string>> explained;
  std::vector<std::string> unexplained;
  for (char letter : kLetters) {
    for (int turn = 1; turn <= kLastTurn; ++turn) {
      const fs::path orders = OrionFile(dir / "orders", letter, turn);
      const fs::path forecastFile = OrionFile(dir / "forecasts", letter, turn);
      const fs::path report = OrionFile(dir, letter, turn - 1);
      if (!fs::exists(orders) || !fs::exists(forecastFile) || !fs::exists(report)) continue;
      ++files;
      test::OneReport model(report);
      ASSERT_TRUE(model.loaded) << report;
      const std::vector<std::string> lines = test::FileLines(orders);
      const ForecastText forecast(forecastFile);
      const std::vector<bool> serverErrors = test::ErrorLines(lines, forecast);
      const std::string file = orders.filename().string();

      // The analysis as the orders window runs it: the plan's route transports applied.
      const TVectorOrderLines orderLines(lines);
      TDevelopmentPlanner planner(model.state);
      planner.PlanAutomaticCargo(orderLines, true, true);
      TOrderAnalysis analysis(model.state);
      analysis.ParseOrders(orderLines, planner.CargoPlan());

      // Refusals: the server's ERROR answers and the analysis's refusing notes, line by line.
      for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        if (line.empty() || kReadKinds.find(LoCase(line[0])) == std::string_view::npos) continue;
        const bool byServer = serverErrors[i];
        const bool byAnalysis = analysis.Refused(static_cast<int>(i));
        errors += byServer;
        refused += byServer && byAnalysis;
        if (byServer != byAnalysis) {
          std::string notes;
          for (const TOrderNote& n : analysis.LineNotes()) {
            if (n.Line == static_cast<int>(i)) notes += " [" + n.Text + "]";
          }
          unexplained.push_back(Fmt("%s line %d \"%s\": %s%s", file, i + 1, line,
                                    byServer ? "refused by the server, not by the analysis"
                                             : "refused by the analysis, not by the server",
                                    notes));
        }
      }

      // The groups the analysis predicts, keyed as the forecast groups them.
      std::map<const TGroup*, int> recordsOfGroup;
      for (const TSendedGroup& r : analysis.Records()) ++recordsOfGroup[r.Group];
      // Groups that leave one planet together for the same destination, equal but for their
      // load, leave as one group with the load shared (as the server merges equal groups).
      std::vector<TSendedGroup> records = analysis.Records();
      for (size_t a = 0; a < records.size(); ++a) {
        TSendedGroup& r = records[a];
        if (r.Ships <= 0 || !r.Destination || r.Group->Distance > 0) continue;
        for (size_t b = a + 1; b < records.size(); ++b) {
          TSendedGroup& o = records[b];
          const TGroup& g = *r.Group;
          const TGroup& h = *o.Group;
          if (o.Ships <= 0 || o.Destination != r.Destination || o.Source != r.Source ||
              h.Distance > 0 || g.ShipType != h.ShipType || g.DriveTech != h.DriveTech ||
              g.WeaponsTech != h.WeaponsTech || g.ShieldsTech != h.ShieldsTech ||
              g.CargoTech != h.CargoTech || o.CargoType != r.CargoType || o.Fleet != r.Fleet)
            continue;
          r.Load = (r.Load * r.Ships + o.Load * o.Ships) / static_cast<float>(r.Ships + o.Ships);
          r.Ships += o.Ships;
          o.Ships = 0;
          r.Turns = TurnsToArrive(r.Distance, TOrderAnalysis::SendedGroupSpeed(r));
          if (r.SentByLine < 0) r.SentByLine = o.SentByLine;
        }
      }
      std::map<ShipsKey, Predicted> predicted;
      for (const TSendedGroup& r : records) {
        const TGroup& g = *r.Group;
        if (r.Ships <= 0 || !g.ShipType) continue;
        const double speed = TOrderAnalysis::SendedGroupSpeed(r);
        const bool sent = r.SentByLine >= 0 || (r.Destination && !(g.Distance > 0));
        const bool flies = r.Destination && r.Destination != r.Source && r.Turns > 1;
        ShipsKey key;
        key.type = g.ShipType->Name;
        key.fleet = r.Fleet;
        key.drive = Hundredths(g.DriveTech);
        key.weapons = Hundredths(g.WeaponsTech);
        key.shields = Hundredths(g.ShieldsTech);
        key.cargoTech = Hundredths(g.CargoTech);
        key.upgraded = r.Upgraded;
        TPlanet* at = flies || (r.Destination && r.Turns == 1) ? r.Destination : r.Source;
        if (!at) continue;
        key.planet = at->Name;
        const bool ownPlanet = forecast.planets.count(at->Name) > 0;
        if (flies || !ownPlanet) {
          key.cargo = r.CargoType == pcCol   ? "COL"
                      : r.CargoType == pcCap ? "CAP"
                      : r.CargoType == pcMat ? "MAT"
                                             : "";
          key.load = key.cargo.empty() ? 0 : Hundredths(r.Load);
        }
        if (flies) {
          key.origin = r.Source ? r.Source->Name : "";
          key.left = Hundredths(r.Distance - speed);
        }
        Predicted& p = predicted[key];
        p.ships += r.Ships;
        if (flies) {
          p.left = r.Distance - speed;
          p.speed = speed;
          p.turns = r.Turns;
          // A distance or load the report gives to two decimals leaves the printed range off.
          p.tolerance = sent ? 0.0051 : r.Load > 0 ? 0.03 : 0.0101;
        } else if (r.Destination && r.Turns == 1 && !ownPlanet) {
          p.landedForeign = true;
        }
        const bool part = recordsOfGroup[r.Group] > 1;
        p.changed = p.changed || sent || part;
        if (sent) ++sends;
        if (part && !r.Destination) ++parts;
        p.records.push_back(
            Fmt("group %d (%d %s%s%s)%s", r.Number, r.Ships, key.type,
                r.Fleet.empty() ? "" : " in " + r.Fleet, r.Upgraded ? ", upgraded" : "",
                r.SentByLine >= 0 ? Fmt(" line %d: %s, %d turns", r.SentByLine + 1,
                                        Trim(lines[static_cast<size_t>(r.SentByLine)]), r.Turns)
                                  : std::string()));
        (void)sent;
      }

      // Ships that landed on another race's planet and do not stand there loaded have
      // unloaded, and join the empty ships there.
      for (auto it = predicted.begin(); it != predicted.end();) {
        const ShipsKey& key = it->first;
        const bool kept =
            std::any_of(forecast.groups.begin(), forecast.groups.end(),
                        [&](const ForecastGroup& row) { return key.Matches(row, forecast); });
        if (!it->second.landedForeign || key.cargo.empty() || kept) {
          ++it;
          continue;
        }
        ShipsKey empty = key;
        empty.cargo.clear();
        empty.load = 0;
        Predicted& to = predicted[empty];
        to.ships += it->second.ships;
        to.changed = to.changed || it->second.changed;
        to.records.insert(to.records.end(), it->second.records.begin(), it->second.records.end());
        it = predicted.erase(it);
      }

      std::vector<bool> taken(forecast.groups.size(), false);
      auto produces = [&](const std::string& planet, const std::string& type) {
        const auto found = forecast.planets.find(planet);
        return found != forecast.planets.end() && found->second.production == type;
      };
      // The ships of `type` the planet completes this turn: its effective industry less what
      // the upgrades took, with the progress of the ship it was building, 10 a mass unit, and
      // the material its stock (after the orders) does not hold made at 1 / resources a unit.
      auto built = [&](const std::string& name, const std::string& type) {
        // A planet renamed by these orders is found where it stands.
        const TPlanet* planet = model.state.PlanetByName(LowerCase(name));
        if (const auto row = forecast.planets.find(name);
            !planet && row != forecast.planets.end()) {
          for (auto [key, p] : model.state.Planets) {
            if (p->X == std::lround(row->second.x * 100) &&
                p->Y == std::lround(row->second.y * 100))
              planet = p;
          }
        }
        const auto design = forecast.designs.find(type);
        if (!planet || design == forecast.designs.end() || !(planet->Resources > 0)) return -1;
        const double mass = design->second.Mass();
        double points = planet->EffectiveIndustry();
        double material = planet->Material;
        if (const TPlanetOrders* done = analysis.PlanetOrders(*planet)) {
          points -= done->UpgradeSpent;
          material = done->Material;
        }
        for (const auto& ship : model.state.ShipsInProduction) {
          if (SameText(ship->PlanetName, planet->Name) && SameText(ship->ShipTypeName, type)) {
            points += ship->Progress;
          }
        }
        int ships = 0;
        while (mass > 0) {
          const double cost = 10 * mass + std::max(0.0, mass - material) / planet->Resources;
          if (points + 1e-6 < cost) break;
          points -= cost;
          material = std::max(0.0, material - mass);
          ++ships;
        }
        return ships;
      };
      auto production = [&](const std::string& planet, const std::string& type, int more) {
        const int expected = built(planet, type);
        if (expected == more) return true;
        unexplained.push_back(
            Fmt("%s: %d %s built at %s, the planet makes %d", file, more, type, planet, expected));
        return false;
      };
      // Exact keys first, so that upgraded ships (any technology) take what is left.
      for (bool upgradedPass : {false, true}) {
        for (const auto& [key, p] : predicted) {
          if (key.upgraded != upgradedPass) continue;
          int found = -1;
          for (size_t k = 0; k < forecast.groups.size() && found < 0; ++k) {
            const ForecastGroup& row = forecast.groups[k];
            if (taken[k] || !key.Matches(row, forecast) || row.InFlight() != (p.left >= 0))
              continue;
            if (p.left >= 0 && std::abs(row.left - p.left) > p.tolerance) continue;
            found = static_cast<int>(k);
          }
          std::string why;
          if (found < 0) {
            why = p.left >= 0 ? Fmt("no group flying %.2f to %s", p.left, key.planet)
                              : Fmt("no group at %s", key.planet);
          } else {
            taken[static_cast<size_t>(found)] = true;
            const ForecastGroup& row = forecast.groups[static_cast<size_t>(found)];
            if (row.ships < p.ships || (row.ships > p.ships && !produces(key.planet, key.type)))
              why = Fmt("the forecast has %d ships", row.ships);
            else if (p.left >= 0 && TurnsToArrive(row.left, p.speed) + 1 != p.turns)
              why = Fmt("it arrives in turn %d, not %d", TurnsToArrive(row.left, p.speed) + 1,
                        p.turns);
            else if (row.ships > p.ships && production(key.planet, key.type, row.ships - p.ships))
              explained["production"].push_back(Fmt("%s: %d %s at %s, %d more built", file, p.ships,
                                                    key.type, key.planet, row.ships - p.ships));
          }
          if (!p.changed) continue;
          changed += static_cast<int>(p.records.size());
          if (why.empty()) agree += static_cast<int>(p.records.size());
          if (!why.empty()) {
            std::string list;
            for (const std::string& r : p.records) list += "\n      " + r;
            unexplained.push_back(Fmt("%s: %d %s %s %s: %s%s", file, p.ships, key.type,
                                      p.left >= 0 ? "flying to" : "at", key.planet, why, list));
          }
        }
      }
      // Whatever the forecast holds beyond the prediction must be new ships.
      for (size_t k = 0; k < forecast.groups.size(); ++k) {
        const ForecastGroup& row = forecast.groups[k];
        if (taken[k]) continue;
        const std::string what =
            Fmt("%s: %d %s at %s%s", file, row.ships, row.type, row.destination,
                row.InFlight() ? Fmt(" (%.2f from %s)", row.left, row.origin) : std::string());
        if (!row.InFlight() && produces(row.destination, row.type)) {
          if (production(row.destination, row.type, row.ships))
            explained["production"].push_back(what + ", new");
        } else {
          unexplained.push_back(what + ": no record of the analysis stands for it");
        }
      }
    }
  }
  std::cout << "[ orion   ] " << files << " order files: " << sends << " groups sent, " << parts
            << " parts left behind; " << agree << " of " << changed
            << " records the orders change agree with the forecasts; " << refused << " of "
            << errors << " refused orders refused with a note. Rows the analysis does not make:\n";
  for (const auto& [why, list] : explained) {
    std::cout << "  " << list.size() << " by " << why << ":\n";
    for (const std::string& row : list) std::cout << "    " << row << "\n";
  }
  EXPECT_GT(files, 200);
  EXPECT_GT(sends, 1500);
  std::string list;
  for (const std::string& u : unexplained) list += "  " + u + "\n";
  EXPECT_TRUE(unexplained.empty()) << unexplained.size() << " disagreements:\n" << list;
}

TEST_F(OrionOrders, GroupsInFlightArriveAfterTurnsToArrive) {
  int followed = 0, lost = 0, exact = 0;
  std::vector<std::string> wrong;
  for (char letter : kLetters) {
    std::vector<std::unique_ptr<ForecastText>> reports;
    for (int turn = 0; turn <= kLastTurn; ++turn) {
      const fs::path file = OrionFile(dir, letter, turn);
      reports.push_back(fs::exists(file) ? std::make_unique<ForecastText>(file) : nullptr);
    }
    for (int turn = 0; turn < kLastTurn; ++turn) {
      if (!reports[static_cast<size_t>(turn)]) continue;
      const ForecastText& text = *reports[static_cast<size_t>(turn)];
      for (const ForecastGroup& g : text.groups) {
        const double speed = text.Speed(g);
        if (!g.InFlight() || !(speed > 0)) continue;
        const int eta = TurnsToArrive(g.left, speed);
        const int arrival = turn + eta;
        // A race removed from the game has reports without groups.
        if (arrival > kLastTurn || !reports[static_cast<size_t>(arrival)] ||
            reports[static_cast<size_t>(arrival)]->groups.empty()) {
          continue;
        }
        // The same ships, a whole number of moves later on the same way.
        auto flying = [&](int later) {
          for (const ForecastGroup& h : reports[static_cast<size_t>(turn + later)]->groups) {
            if (h.InFlight() && h.SameShips(g) && h.ships == g.ships &&
                h.destination == g.destination && h.origin == g.origin &&
                std::abs(h.left - (g.left - later * speed)) < 0.02) {
              return true;
            }
          }
          return false;
        };
        bool onTheWay = true;
        for (int later = 1; later < eta; ++later) onTheWay = onTheWay && flying(later);
        if (!onTheWay) {
          ++lost;  // a fleet changed, a group recalled: not the same flight any more
          continue;
        }
        ++followed;
        // Where one turn less than Trunc(distance / speed) + 1.
        if (eta != TruncToInt(g.left / speed) + 1) ++exact;
        bool landed = false;
        for (const ForecastGroup& h : reports[static_cast<size_t>(arrival)]->groups) {
          landed = landed || (!h.InFlight() && h.SameShips(g) && h.destination == g.destination);
        }
        // A group that lands in a battle may not survive it.
        const bool battle = reports[static_cast<size_t>(arrival)]->battles.count(g.destination) > 0;
        if (flying(eta) || (!landed && !battle)) {
          wrong.push_back(Fmt("%s%03d: %d %s to %s, %.2f left at %.2f: expected in turn %d%s",
                              std::string(1, letter), turn, g.ships, g.type, g.destination, g.left,
                              speed, arrival,
                              flying(eta) ? " but still flying" : " but not there"));
        }
      }
    }
  }
  std::cout << "[ orion   ] " << followed << " groups in flight followed to their arrival (" << lost
            << " left their way), " << exact << " of them at a whole multiple of their speed\n";
  EXPECT_GT(followed, 500);
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " wrong:\n" << testing::PrintToString(wrong);
}

}  // namespace
}  // namespace tovix
