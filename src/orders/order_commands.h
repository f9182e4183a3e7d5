#pragma once
// The order lines the program writes for the user, each formatted whole (single blanks between
// the words, CR LF between the lines of one hand-over), ready for the insertion entry points of
// the order service. A group is named by its number or "MAX".

#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

// CR LF between the lines of one hand-over.
inline constexpr std::string_view kOrderLineBreak = "\r\n";
// The lines of one hand-over joined with CR LF (none after the last).
std::string JoinOrderLines(const std::vector<std::string>& lines);

// "S g p", or "S g p n" when `ships` is above 0.
std::string SendCommand(std::string_view group, std::string_view planet, int ships = 0);
// A send that keeps the group at its planet for the next turn's cargo: the send followed by
// " ; keep group on this planet for COL next turn" (or CAP for pcCap).
std::string KeepSendCommand(std::string_view group, std::string_view planet, int ships,
                            int32_t cargo);
// "I g p", or "I g p n".
std::string InterceptCommand(std::string_view group, std::string_view planet, int ships = 0);
// "L g cargo": load the whole group with COL, CAP or MAT (pcCol, pcCap, pcMat).
std::string LoadCommand(std::string_view group, int32_t cargo);
// "L g cargo" CR LF "S g p": load the whole group and send it.
std::string LoadAndSendCommands(std::string_view group, int32_t cargo, std::string_view planet);
// "B g n" CR LF "L MAX cargo" CR LF "S MAX p": break off n ships, load and send the new group.
std::string BreakLoadAndSendCommands(std::string_view group, int ships, int32_t cargo,
                                     std::string_view planet);
// "G g" for each group, joined by CR LF.
std::string UpgradeCommands(const std::vector<std::string>& groups);
// "U g".
std::string UnloadCommand(std::string_view group);
// "P p production".
std::string ProductionCommand(std::string_view planet, std::string_view production);
// A timed production of a design: `designLine` (empty when the design needs none) and CR LF
// first, then "P p type ; tn".
std::string TimedProductionCommands(std::string_view designLine, std::string_view type,
                                    std::string_view planet, int turns);
// ";P p": the development tag the planner reads.
std::string DevelopTag(std::string_view planet);
// "N p name".
std::string RenameCommand(std::string_view planet, std::string_view newName);
// "Planet Name already used!" when `newName` names another planet already (ignoring case).
std::string RenameError(const GameState& state, std::string_view newName);
// "V p".
std::string ClaimCommand(std::string_view planet);
// "R from CAP to" and its twins for pcCol, pcMat and, with `empty`, EMP; without `to` the
// route of that kind is removed ("R from CAP").
std::string RouteCommand(std::string_view from, int32_t cargo, std::string_view to,
                         bool empty = false);
// "D name drive attacks weapons shields cargo".
std::string DesignCommand(const TShipType& design);
// "M x y size", and the question asked before it.
std::string MapCommand(int x, int y, int size);
std::string MapCommandQuestion(int x, int y, int size);
// "W race" (war) or "A race" (peace).
std::string RelationCommand(std::string_view race, bool war);
// "C name", "Q own race", "Z address", "Y password".
std::string ChangeRaceNameCommand(std::string_view name);
std::string QuitCommand(std::string_view ownRace);
std::string EmailCommand(std::string_view address);
std::string PasswordCommand(std::string_view password);
// "@ race" CR LF text CR LF "@": a message to another race, its line breaks made CR LF; a text
// line that begins with "@" gets a blank in front, so that it cannot end the message.
std::string MessageCommands(std::string_view race, std::string_view text);

}  // namespace tovix
