#pragma once
// The order files of the game "Orion" and the server's forecasts of them, for the tests of the
// order analysis and the development plan: orders/X0NN.txt were sent after report X0(NN-1),
// forecasts/X0NN.txt is the server's answer (the orders as received with their errors, and the
// state after them and one move, without battles). The forecast tables are read by the small
// parser below, which shares no code with the report reader, so that expectations come from the
// text itself. One report is read alone into a model by OneReport.

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "support/orion_as_a.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix::test {

inline std::vector<std::string> SplitBlanks(std::string_view line) {
  std::vector<std::string> words;
  std::istringstream in{std::string(line)};
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

inline double Num(const std::string& word) {
  double v = 0;
  return TryParseFloat(word, v) ? v : 0;
}

// A row of "Your Groups" or of a fleet table: G # T D W S C T Q D R O.
struct ForecastGroup {
  int ships = 0;
  std::string type;
  double drive = 0, weapons = 0, shields = 0, cargo = 0, load = 0;
  std::string cargoType;  // "-", "COL", "CAP", "MAT"
  std::string destination;
  double left = -1;  // R; -1 when the group stands at its destination
  std::string origin;
  std::string fleet;       // the fleet table it stands in; empty outside fleets
  double fleetSpeed = -1;  // the fleet's speed; -1 outside fleets

  bool InFlight() const { return left >= 0; }
  bool SameShips(const ForecastGroup& o) const {
    return type == o.type && drive == o.drive && weapons == o.weapons && shields == o.shields &&
           cargo == o.cargo;
  }
};

// A row of "Your Planets": N X Y S P I R P $ M C.
struct ForecastPlanet {
  double x = 0, y = 0;
  double population = 0, industry = 0, cap = 0, mat = 0, col = 0;
  std::string production;
};

// The tables of a report or forecast the tests compare with.
struct ForecastText {
  explicit ForecastText(const std::filesystem::path& file) {
    const std::vector<std::string> lines = FileLines(file);
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line == "\t\tYour Ship Types") {
        for (size_t k = i + 3; k < lines.size() && !lines[k].empty(); ++k) {
          const std::vector<std::string> w = SplitBlanks(lines[k]);
          TShipType t(w[0], TGameType::NG);
          t.Drive = static_cast<float>(Num(w[1]));
          t.Attacks = static_cast<int32_t>(Num(w[2]));
          t.Weapons = static_cast<float>(Num(w[3]));
          t.Shields = static_cast<float>(Num(w[4]));
          t.Cargo = static_cast<float>(Num(w[5]));
          designs.emplace(w[0], t);
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
      } else if (line == "\t\tYour Planets") {
        for (size_t k = i + 3; k < lines.size() && !lines[k].empty(); ++k) {
          const std::vector<std::string> w = SplitBlanks(lines[k]);
          if (w.size() < 11) continue;
          ForecastPlanet row;
          row.x = Num(w[1]);
          row.y = Num(w[2]);
          row.population = Num(w[4]);
          row.industry = Num(w[5]);
          row.production = w[7];
          row.cap = Num(w[8]);
          row.mat = Num(w[9]);
          row.col = Num(w[10]);
          planets.emplace(w[0], row);
        }
      } else if (line == "\t\tYour Groups" || line.starts_with("\t\tFleet ")) {
        // Only the tables of the groups themselves: their columns begin with "G" (a battle's
        // "Your Groups" begins with "#").
        if (i + 2 >= lines.size() || !lines[i + 2].starts_with("G ")) continue;
        std::string fleet;
        double fleetSpeed = -1;
        if (line.starts_with("\t\tFleet ")) {
          fleet = SplitBlanks(line)[1];
          fleetSpeed = Num(line.substr(line.find("(speed ") + 7));
        }
        for (size_t k = i + 3; k < lines.size() && !lines[k].empty(); ++k) {
          const std::vector<std::string> w = SplitBlanks(lines[k]);
          ForecastGroup row;
          row.ships = static_cast<int>(Num(w[1]));
          row.type = w[2];
          row.drive = Num(w[3]);
          row.weapons = Num(w[4]);
          row.shields = Num(w[5]);
          row.cargo = Num(w[6]);
          row.cargoType = w[7];
          row.load = Num(w[8]);
          row.destination = w[9];
          if (w.size() >= 12) {
            row.left = Num(w[10]);
            row.origin = w[11];
          }
          row.fleet = fleet;
          row.fleetSpeed = fleetSpeed;
          groups.push_back(row);
        }
      }
    }
  }

  // A group's speed: its fleet's, or worked out from the design, the techs and the load.
  double Speed(const ForecastGroup& row) const {
    if (row.fleetSpeed >= 0) return row.fleetSpeed;
    const auto design = designs.find(row.type);
    if (design == designs.end()) return 0;
    double mass = design->second.Mass();
    if (row.cargo > 0 && row.load > 0) mass += row.load / row.cargo;
    return mass > 0 ? 20 * design->second.Drive * row.drive / mass : 0;
  }

  std::vector<ForecastGroup> groups;
  std::map<std::string, ForecastPlanet> planets;  // the own planets by name
  std::map<std::string, TShipType> designs;
  std::set<std::string> battles;  // planets with a battle
  // The orders as the server received them, each with whether it answered ERROR.
  std::vector<std::pair<std::string, bool>> received;
};

// The order lines of the file, each with whether the server answered it with ERROR. The
// received orders are matched to the file's lines in order; a line the server did not list
// (header, end, messages) has none.
inline std::vector<bool> ErrorLines(const std::vector<std::string>& lines,
                                    const ForecastText& forecast) {
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

inline std::filesystem::path OrionFile(const std::filesystem::path& dir, char letter, int turn) {
  return dir / FormatReportName("%1s%0.03d.txt", letter, turn);
}

// One report read alone into a model, from a copy (the reader may rewrite a report).
struct OneReport {
  explicit OneReport(const std::filesystem::path& source) {
    std::filesystem::copy_file(source, copy.path() / source.filename());
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (copy.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = std::string(1, source.filename().string()[0]);
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  TempDir copy, programDir;
  RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

}  // namespace tovix::test
