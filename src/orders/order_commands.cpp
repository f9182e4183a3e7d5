#include "orders/order_commands.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

// Any other code loads colonists.
const char* CargoWord(int32_t cargo) {
  return CargoText(cargo, "COL");
}

std::string Join(std::initializer_list<std::string_view> words) {
  std::string line;
  for (std::string_view w : words) {
    if (!line.empty()) line += ' ';
    line += w;
  }
  return line;
}

std::string WithShips(std::string line, int ships) {
  if (ships > 0) line += " " + std::to_string(ships);
  return line;
}

// A design figure as the user typed it: at most two decimals, no trailing zeros ("1.1", "22").
std::string Figure(float v) {
  std::string text = FormatFixed(v, 2);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text == "-0" ? "0" : text;
}

}  // namespace

std::string JoinOrderLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += kOrderLineBreak;
    text += line;
  }
  return text;
}

std::string SendCommand(std::string_view group, std::string_view planet, int ships) {
  return WithShips(Join({"S", group, planet}), ships);
}

std::string KeepSendCommand(std::string_view group, std::string_view planet, int ships,
                            int32_t cargo) {
  return SendCommand(group, planet, ships) + " ; keep group on this planet for " +
         (cargo == pcCap ? "CAP" : "COL") + " next turn";
}

std::string InterceptCommand(std::string_view group, std::string_view planet, int ships) {
  return WithShips(Join({"I", group, planet}), ships);
}

std::string LoadCommand(std::string_view group, int32_t cargo) {
  return Join({"L", group, CargoWord(cargo)});
}

std::string LoadAndSendCommands(std::string_view group, int32_t cargo, std::string_view planet) {
  return LoadCommand(group, cargo) + std::string(kOrderLineBreak) + SendCommand(group, planet);
}

std::string BreakLoadAndSendCommands(std::string_view group, int ships, int32_t cargo,
                                     std::string_view planet) {
  const std::string br(kOrderLineBreak);
  return Join({"B", group, std::to_string(ships)}) + br + Join({"L MAX", CargoWord(cargo)}) + br +
         SendCommand("MAX", planet);
}

std::string UpgradeCommands(const std::vector<std::string>& groups) {
  std::string text;
  for (const std::string& g : groups) {
    if (!text.empty()) text += kOrderLineBreak;
    text += "G " + g;
  }
  return text;
}

std::string UnloadCommand(std::string_view group) {
  return Join({"U", group});
}

std::string ProductionCommand(std::string_view planet, std::string_view production) {
  return Join({"P", planet, production});
}

std::string TimedProductionCommands(std::string_view designLine, std::string_view type,
                                    std::string_view planet, int turns) {
  std::string text;
  if (!designLine.empty()) text = std::string(designLine) + std::string(kOrderLineBreak);
  return text + ProductionCommand(planet, type) + " ; t" + std::to_string(turns);
}

std::string DevelopTag(std::string_view planet) {
  return Join({";P", planet});
}

std::string RenameCommand(std::string_view planet, std::string_view newName) {
  return Join({"N", planet, newName});
}

std::string RenameError(const GameState& state, std::string_view newName) {
  for (auto [key, planet] : state.Planets) {
    if (planet && SameText(planet->Name, newName)) return "Planet Name already used!";
  }
  return {};
}

std::string ClaimCommand(std::string_view planet) {
  return Join({"V", planet});
}

std::string RouteCommand(std::string_view from, int32_t cargo, std::string_view to, bool empty) {
  const std::string kind = empty ? "EMP" : CargoWord(cargo);
  return to.empty() ? Join({"R", from, kind}) : Join({"R", from, kind, to});
}

std::string DesignCommand(const TShipType& design) {
  return Join({"D", design.Name, Figure(design.Drive), std::to_string(design.Attacks),
               Figure(design.Weapons), Figure(design.Shields), Figure(design.Cargo)});
}

std::string MapCommand(int x, int y, int size) {
  return Fmt("M %d %d %d", x, y, size);
}

std::string MapCommandQuestion(int x, int y, int size) {
  return "Create M(ap) command for the Currency view Area?\r\n" +
         Fmt("X: %d Y: %d Size: %d", x, y, size);
}

std::string RelationCommand(std::string_view race, bool war) {
  return Join({war ? "W" : "A", race});
}

std::string ChangeRaceNameCommand(std::string_view name) {
  return Join({"C", name});
}

std::string QuitCommand(std::string_view ownRace) {
  return Join({"Q", ownRace});
}

std::string EmailCommand(std::string_view address) {
  return Join({"Z", address});
}

std::string PasswordCommand(std::string_view password) {
  return Join({"Y", password});
}

std::string MessageCommands(std::string_view race, std::string_view text) {
  const std::string br(kOrderLineBreak);
  std::string block = Join({"@", race}) + br;
  // A line of the text that began with "@" would end the message there and make the rest of
  // it orders: such a line gets a blank in front.
  for (size_t i = 0; i < text.size();) {
    size_t stop = i;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
    const std::string_view line = text.substr(i, stop - i);
    if (!line.empty() && line.front() == '@') block += ' ';
    block += line;
    block += br;
    if (stop < text.size() && text[stop] == '\r' && stop + 1 < text.size() &&
        text[stop + 1] == '\n') {
      ++stop;
    }
    i = stop + 1;
  }
  return block + "@";
}

}  // namespace tovix
