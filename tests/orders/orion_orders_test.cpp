// The order analysis against what the server made of the same orders. For every order file of
// the game "Orion" (orders/X0NN.txt, sent after report X0(NN-1)) the server's forecast
// (forecasts/X0NN.txt) shows the groups after the orders and one move, without battles. Each
// group the orders send must stand there with the destination, the distance left (distance
// less one turn's speed) and the ships the analysis gives it, and the ships a split leaves
// behind must stand at their planet. A disagreement is allowed only where the server answered
// an order of that group with ERROR.
//
// The second test follows every own group in flight through the reports: it must first stand
// at its destination in the report TurnsToArrive turns later.
//
// Expected values come from the report and forecast text through the small parser below, which
// shares no code with the reader or the analysis.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/arrival.h"
#include "core/game_settings.h"
#include "core/game_state.h"
#include "core/numbers.h"
#include "core/report_layout.h"
#include "core/report_reader.h"
#include "core/str_utils.h"
#include "orders/order_analysis.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

constexpr int kLastTurn = 25;
constexpr std::string_view kLetters = "ABCDEFGHIJ";

using Words = std::vector<std::string>;

Words SplitBlanks(std::string_view line) {
  Words words;
  std::istringstream in{std::string(line)};
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::vector<std::string> ReadLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::istringstream in(test::ReadFileBytes(file));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

double Num(const std::string& word) {
  double v = 0;
  return TryParseFloat(word, v) ? v : 0;
}

// A row of "Your Groups" or of a fleet table: G # T D W S C T Q D R O.
struct GroupRow {
  int ships = 0;
  std::string type;
  double drive = 0, weapons = 0, shields = 0, cargo = 0, load = 0;
  std::string destination;
  double left = -1;  // R; -1 when the group stands at its destination
  std::string origin;
  double fleetSpeed = -1;  // the fleet's speed; -1 outside fleets
  double speed = 0;        // worked out from the design, the techs and the load

  bool InFlight() const { return left >= 0; }
  bool SameShips(const GroupRow& o) const {
    return type == o.type && drive == o.drive && weapons == o.weapons && shields == o.shields &&
           cargo == o.cargo;
  }
};

// The own groups, designs and (in a forecast) the orders as received, of a report or forecast.
struct GroupsText {
  explicit GroupsText(const fs::path& file) {
    const std::vector<std::string> lines = ReadLines(file);
    std::map<std::string, TShipType> designs;
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line == "\t\tYour Ship Types") {
        for (size_t k = i + 3; k < lines.size() && !lines[k].empty(); ++k) {
          const Words w = SplitBlanks(lines[k]);
          TShipType t(w[0], TGameType::NG);
          t.Drive = static_cast<float>(Num(w[1]));
          t.Attacks = static_cast<int32_t>(Num(w[2]));
          t.Weapons = static_cast<float>(Num(w[3]));
          t.Shields = static_cast<float>(Num(w[4]));
          t.Cargo = static_cast<float>(Num(w[5]));
          designs.emplace(w[0], t);
        }
      } else if (line == "\t\tYour Routes") {
        for (size_t k = i + 3; k < lines.size() && !lines[k].empty(); ++k) {
          const Words w = SplitBlanks(lines[k]);
          for (size_t c = 0; c < w.size(); ++c) {
            if (w[c] != "-") routePlanets.insert(w[c]);
          }
        }
      } else if (line.starts_with("\t\tBattle at ")) {
        battles.insert(line.substr(12));
      } else if (line == "ORDERS RECEIVED") {
        for (size_t k = i + 1; k < lines.size() && !lines[k].starts_with("\t\t"); ++k) {
          const std::string& order = lines[k];
          if (order.starts_with(">   ERROR") && !received.empty()) {
            received.back().second = true;
          } else if (order.starts_with("> ") && !order.starts_with(">   ")) {
            received.emplace_back(order.substr(2), false);
          }
        }
      } else if (line == "\t\tYour Groups" || line.starts_with("\t\tFleet ")) {
        double fleetSpeed = -1;
        if (line.starts_with("\t\tFleet ")) fleetSpeed = Num(line.substr(line.find("(speed ") + 7));
        // Only the table of the groups themselves: its columns begin with "G" (a battle's
        // "Your Groups" begins with "#").
        if (i + 2 >= lines.size() || !lines[i + 2].starts_with("G ")) continue;
        for (size_t k = i + 3; k < lines.size() && !lines[k].empty(); ++k) {
          const Words w = SplitBlanks(lines[k]);
          GroupRow row;
          row.ships = static_cast<int>(Num(w[1]));
          row.type = w[2];
          row.drive = Num(w[3]);
          row.weapons = Num(w[4]);
          row.shields = Num(w[5]);
          row.cargo = Num(w[6]);
          row.load = Num(w[8]);
          row.destination = w[9];
          if (w.size() >= 12) {
            row.left = Num(w[10]);
            row.origin = w[11];
          }
          row.fleetSpeed = fleetSpeed;
          const auto design = designs.find(row.type);
          if (fleetSpeed >= 0) {
            row.speed = fleetSpeed;
          } else if (design != designs.end()) {
            double mass = design->second.Mass();
            if (row.cargo > 0 && row.load > 0) mass += row.load / row.cargo;
            row.speed = mass > 0 ? 20 * design->second.Drive * row.drive / mass : 0;
          }
          groups.push_back(row);
        }
      }
    }
  }

  std::vector<GroupRow> groups;
  std::set<std::string> battles;       // planets with a battle
  std::set<std::string> routePlanets;  // origins and destinations of cargo routes
  // The orders as the server received them, each with whether it answered ERROR.
  std::vector<std::pair<std::string, bool>> received;
};

std::string ReportPath(const fs::path& dir, char letter, int turn) {
  return (dir / FormatReportName("%1s%0.03d.txt", letter, turn)).string();
}

// One report read alone into a model, from a copy (the reader may rewrite a report).
struct OneReport {
  OneReport(const fs::path& source) {
    fs::copy_file(source, copy.path() / source.filename());
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (copy.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = std::string(1, source.filename().string()[0]);
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  test::TempDir copy, programDir;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
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

// The order lines of the file, each with whether the server answered it with ERROR. The
// received orders are matched to the file's lines in order; a line the server did not list
// (header, end, messages) has none.
std::vector<bool> ErrorLines(const std::vector<std::string>& lines, const GroupsText& forecast) {
  std::vector<bool> errors(lines.size(), false);
  size_t next = 0;
  for (size_t i = 0; i < lines.size() && next < forecast.received.size(); ++i) {
    const std::string text = Trim(lines[i]);
    for (size_t k = next; k < forecast.received.size() && k < next + 3; ++k) {
      if (Trim(forecast.received[k].first) == text) {
        errors[i] = forecast.received[k].second;
        next = k + 1;
        break;
      }
    }
  }
  return errors;
}

TEST_F(OrionOrders, SendsAndSplitsAgreeWithTheServersForecasts) {
  int files = 0, sends = 0, sendsAgree = 0, parts = 0, partsAgree = 0;
  std::map<std::string, std::vector<std::string>> disagreements;
  std::vector<std::string> unexplained;
  for (char letter : kLetters) {
    for (int turn = 1; turn <= kLastTurn; ++turn) {
      const fs::path orders = ReportPath(dir / "orders", letter, turn);
      const fs::path forecastFile = ReportPath(dir / "forecasts", letter, turn);
      const fs::path report = ReportPath(dir, letter, turn - 1);
      if (!fs::exists(orders) || !fs::exists(forecastFile) || !fs::exists(report)) continue;
      ++files;
      OneReport model(report);
      ASSERT_TRUE(model.loaded) << report;
      const std::vector<std::string> lines = ReadLines(orders);
      const GroupsText forecast(forecastFile);
      const std::vector<bool> errors = ErrorLines(lines, forecast);

      TOrderAnalysis analysis(model.state);
      analysis.ParseOrders(TVectorOrderLines(lines));
      const std::vector<TSendedGroup>& records = analysis.Records();

      // The groups an order answered with ERROR names (by record), and whether an erroneous
      // order named MAX, which moves every later MAX.
      std::set<const TGroup*> erroneousGroups, scrappedGroups, joinedGroups;
      int firstMaxError = -1;
      for (size_t i = 0; i < lines.size(); ++i) {
        const Words w = SplitBlanks(lines[i]);
        // Scrapping ("x g n") and joining a fleet ("j g fleet") are no orders the analysis
        // follows; a group that joins a fleet merges with a group of equal ships in it.
        if (w.size() > 1 && (SameText(w[0], "x") || SameText(w[0], "j"))) {
          for (const TSendedGroup& r : records) {
            if (std::to_string(r.Number) == w[1]) {
              (SameText(w[0], "x") ? scrappedGroups : joinedGroups).insert(r.Group);
            }
          }
        }
        if (!errors[i]) continue;
        if (TGroup* g = analysis.GroupOfLine(lines[i])) erroneousGroups.insert(g);
        if (w.size() > 1 && SameText(w[1], "max") && firstMaxError < 0) {
          firstMaxError = static_cast<int>(i);
        }
      }
      // Cargo routes take cargo ships from their planets (and bring them to others), and a
      // group that lands this turn joins a group of the same design standing there: planet and
      // design of each landing.
      const std::set<std::string>& routePlanets = forecast.routePlanets;
      std::set<std::pair<std::string, std::string>> landings;
      for (const TSendedGroup& r : records) {
        if (r.Destination && r.Turns == 1 && r.Group->ShipType) {
          landings.emplace(r.Destination->Name, r.Group->ShipType->Name);
        }
      }
      auto changedByRoutesOrLandings = [&](const TSendedGroup& r) {
        const std::string& planet = r.Source->Name;
        return (routePlanets.count(planet) && r.Group->CargoCapacity() > 0) ||
               landings.count({planet, r.Group->ShipType->Name});
      };
      auto disagree = [&](const TSendedGroup& r, const std::string& what, bool part) {
        const std::string where = Fmt("%s: group %d (%s): %s", orders.filename().string(),
                                      r.Group->GroupNumber, r.Group->ShipType->Name, what);
        if ((r.SentByLine >= 0 && errors[static_cast<size_t>(r.SentByLine)]) ||
            erroneousGroups.count(r.Group) ||
            (firstMaxError >= 0 && r.SentByLine > firstMaxError)) {
          disagreements["an order the server refused"].push_back(where);
        } else if (scrappedGroups.count(r.Group)) {
          disagreements["ships scrapped"].push_back(where);
        } else if (part && joinedGroups.count(r.Group)) {
          disagreements["ships joined to a fleet"].push_back(where);
        } else if (part && r.Source && changedByRoutesOrLandings(r)) {
          disagreements["ships taken by routes or joined by landing groups"].push_back(where);
        } else {
          unexplained.push_back(where);
        }
      };

      std::vector<GroupRow> pool = forecast.groups;
      auto take = [&](auto&& matches) {
        for (size_t k = 0; k < pool.size(); ++k) {
          if (matches(pool[k])) {
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
            return true;
          }
        }
        return false;
      };

      // Every send or intercept of an existing group.
      for (const TSendedGroup& r : records) {
        if (r.SentByLine < 0 || !r.Group->ShipType) continue;
        ++sends;
        const std::string& type = r.Group->ShipType->Name;
        const bool ok = take([&](const GroupRow& row) {
          if (row.type != type || row.ships != r.Ships ||
              !SameText(row.destination, r.Destination->Name)) {
            return false;
          }
          const double left = r.Distance - row.speed;
          if (left <= 0) return !row.InFlight();
          // A load is printed to two decimals: the speed worked out from it is less exact.
          const double tolerance = row.load > 0 ? 0.03 : 0.0101;
          return row.InFlight() && std::abs(row.left - left) < tolerance &&
                 SameText(row.origin, r.Source->Name);
        });
        if (ok) {
          ++sendsAgree;
        } else {
          disagree(r,
                   Fmt("%d ships to %s, %.2f to go (line %d: %s)", r.Ships, r.Destination->Name,
                       r.Distance, r.SentByLine + 1, lines[static_cast<size_t>(r.SentByLine)]),
                   false);
        }
      }
      // The ships that splits leave at their planet (or that a route takes from it).
      std::map<const TGroup*, int> recordsOfGroup;
      for (const TSendedGroup& r : records) ++recordsOfGroup[r.Group];
      for (const TSendedGroup& r : records) {
        if (recordsOfGroup[r.Group] < 2 || r.Destination || r.Ships <= 0 || !r.Group->ShipType) {
          continue;
        }
        ++parts;
        const std::string& type = r.Group->ShipType->Name;
        const std::string& planet = r.Source ? r.Source->Name : "";
        const bool ok = take([&](const GroupRow& row) {
          return row.type == type && row.ships == r.Ships &&
                 (row.InFlight() ? SameText(row.origin, planet)
                                 : SameText(row.destination, planet));
        });
        if (ok) {
          ++partsAgree;
        } else {
          disagree(r, Fmt("%d ships left at %s", r.Ships, planet), true);
        }
      }
    }
  }
  std::cout << "[ orion   ] " << files << " order files: " << sendsAgree << " of " << sends
            << " sends and " << partsAgree << " of " << parts
            << " parts left by splits agree with the forecasts. The others:\n";
  for (const auto& [why, list] : disagreements) {
    std::cout << "  " << list.size() << " by " << why << ":\n";
    for (const std::string& e : list) std::cout << "    " << e << "\n";
  }
  EXPECT_GT(files, 200);
  EXPECT_GT(sendsAgree, 1000);
  EXPECT_TRUE(unexplained.empty()) << unexplained.size() << " disagreements:\n"
                                   << testing::PrintToString(unexplained);
}

TEST_F(OrionOrders, GroupsInFlightArriveAfterTurnsToArrive) {
  int followed = 0, lost = 0, exact = 0;
  std::vector<std::string> wrong;
  for (char letter : kLetters) {
    std::vector<std::unique_ptr<GroupsText>> reports;
    for (int turn = 0; turn <= kLastTurn; ++turn) {
      const fs::path file = ReportPath(dir, letter, turn);
      reports.push_back(fs::exists(file) ? std::make_unique<GroupsText>(file) : nullptr);
    }
    for (int turn = 0; turn < kLastTurn; ++turn) {
      if (!reports[static_cast<size_t>(turn)]) continue;
      for (const GroupRow& g : reports[static_cast<size_t>(turn)]->groups) {
        if (!g.InFlight() || !(g.speed > 0)) continue;
        const int eta = TurnsToArrive(g.left, g.speed);
        const int arrival = turn + eta;
        // A race removed from the game has reports without groups.
        if (arrival > kLastTurn || !reports[static_cast<size_t>(arrival)] ||
            reports[static_cast<size_t>(arrival)]->groups.empty()) {
          continue;
        }
        // The same ships, a whole number of moves later on the same way.
        auto flying = [&](int later) {
          for (const GroupRow& h : reports[static_cast<size_t>(turn + later)]->groups) {
            if (h.InFlight() && h.SameShips(g) && h.ships == g.ships &&
                h.destination == g.destination && h.origin == g.origin &&
                std::abs(h.left - (g.left - later * g.speed)) < 0.02) {
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
        if (eta != TruncToInt(g.left / g.speed) + 1) ++exact;
        bool landed = false;
        for (const GroupRow& h : reports[static_cast<size_t>(arrival)]->groups) {
          landed = landed || (!h.InFlight() && h.SameShips(g) && h.destination == g.destination);
        }
        // A group that lands in a battle may not survive it.
        const bool battle = reports[static_cast<size_t>(arrival)]->battles.count(g.destination) > 0;
        if (flying(eta) || (!landed && !battle)) {
          wrong.push_back(Fmt("%s%03d: %d %s to %s, %.2f left at %.2f: expected in turn %d%s",
                              std::string(1, letter), turn, g.ships, g.type, g.destination, g.left,
                              g.speed, arrival,
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
