#pragma once
// What the map window stores and the orders it writes, without Qt: the bookmark texts (small
// INI files joined as comma text), the "M" order of the current view, the rename and route
// orders of its pop-up menu.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "core/text/str_utils.h"
#include "views/map_geometry.h"

namespace tovix {

// "[MapBookMark],Valid=1,YPos=40,XPos=120,Ratio=900,YRange=610,XRange=630,"
std::string BookmarkAllInfo(const TMapBookMark& bookmark);
// Reads such a text; a key that is missing or not a number keeps the field.
void SetBookmarkAllInfo(TMapBookMark& bookmark, std::string_view text);

// BM0 to BM9 and the view when the window last hid.
struct TStoreMapBookmarks {
  std::array<TMapBookMark, 10> BM{};
  TMapBookMark LastPos;

  std::string AllInfo() const;
  // A missing key leaves its bookmark as it is.
  void SetAllInfo(std::string_view text);
};

inline constexpr std::string_view kBookmarksKey = "StoreMapBookmarks";
// "MapBM_" + the game's section.
std::string BookmarksSection(const TGameSettings& settings);

// The "M x y size" order of the view: nullopt when the view shows nothing of the galaxy.
struct TMapAreaOrder {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Size = 0;
  std::string Question() const;
  std::string Line() const;
};
std::optional<TMapAreaOrder> MapAreaOrder(const TMap& map, int32_t clientWidth,
                                          int32_t clientHeight);

enum class TRenameCheck { Ok, Malformed, InUse };
// A new name for `planet`: one word, not the name of another planet (ignoring case).
TRenameCheck CheckRename(const GameState& state, const TPlanet& planet, std::string_view name);
inline constexpr std::string_view kNameInUse = "Planet Name already used!";
inline constexpr std::string_view kNameMalformed = "A planet name must be one word without blanks!";

// What "Rename Planet" makes of the name the user typed (blanks around it dropped): the "N" line,
// or the message that refuses the name; neither when the name stays as it is.
struct TRenameOrder {
  std::string Line;
  std::string Refusal;
};
TRenameOrder RenameOrder(const GameState& state, const TPlanet& planet, std::string_view typed);

// Route kinds in the order of the menu: CAP, COL, MAT, EMP (route_rows.h kRouteTypes).
// "Create CAP Route from A to B (dist: 12.34)".
std::string RouteCaption(const GameState& state, int kind, const TPlanet& from, const TPlanet& to);
// "R A CAP B"; the model's route of `from` gets `to` as its destination of that kind (made
// when `from` has none).
std::string ApplyRoute(GameState& state, int kind, TPlanet& from, TPlanet& to);

}  // namespace tovix
