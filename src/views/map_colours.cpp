#include "views/map_colours.h"

#include <algorithm>
#include <charconv>

#include "core/text/str_utils.h"

namespace tovix {

namespace {

constexpr std::array<std::string_view, kSchemeColourCount> kKeys{"BackGround",
                                                                 "UnInSizeUnk",
                                                                 "UnInSizeKnown",
                                                                 "HabSizeUnk",
                                                                 "PlayerPlanets",
                                                                 "FirstTurnPlanets",
                                                                 "OtherPlayersPlanets",
                                                                 "IncomingGroups",
                                                                 "IncomingGroupsTrav",
                                                                 "NameOfPlanets",
                                                                 "BarPopulation",
                                                                 "BarIndustry",
                                                                 "BarSize",
                                                                 "Cursor",
                                                                 "MyTracks",
                                                                 "OtherTracks",
                                                                 "GroupsUnLoaded",
                                                                 "GroupsLoaded",
                                                                 "PlanetCircles"};

constexpr TMapColour kBlack = MapRgb(0, 0, 0);
constexpr TMapColour kPurple = MapRgb(128, 0, 128);
constexpr TMapColour kGreen = MapRgb(0, 128, 0);
constexpr TMapColour kRed = MapRgb(255, 0, 0);
constexpr TMapColour kYellow = MapRgb(255, 255, 0);
constexpr TMapColour kSilver = MapRgb(192, 192, 192);
constexpr TMapColour kBlue = MapRgb(0, 0, 255);
constexpr TMapColour kWhite = MapRgb(255, 255, 255);
constexpr TMapColour kGray = MapRgb(128, 128, 128);

// A whole decimal number that fits a colour; false for anything else.
bool ParseColour(std::string_view text, TMapColour& colour) {
  text = TrimView(text);
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return false;
  if (v < 0 || v > 0xffffff) return false;
  colour = static_cast<TMapColour>(v);
  return true;
}

bool AliasHasWord(std::string_view alias, std::string_view name) {
  size_t i = 0;
  while (i < alias.size()) {
    while (i < alias.size() && alias[i] == ' ') ++i;
    const size_t start = i;
    while (i < alias.size() && alias[i] != ' ') ++i;
    if (i > start && SameText(alias.substr(start, i - start), name)) return true;
  }
  return false;
}

TPlayer* FindRace(const GameState& state, std::string_view name) {
  if (TPlayer* p = state.PlayerByName(name)) return p;
  TPlayer* found = nullptr;
  for (int i = 0; i < state.Players.Count(); ++i) {
    TPlayer* p = state.Players.Object(i);
    if (AliasHasWord(p->Alias, name)) found = p;
  }
  return found;
}

}  // namespace

std::string_view SchemeColourKey(TSchemeColour which) {
  return kKeys[static_cast<size_t>(which)];
}

void TColorSchema::SetDefaultColors() {
  Colours = {kBlack, kPurple, kGreen, kRed,   kYellow, kSilver, kBlue, kWhite, kGray, kGray,
             kWhite, kBlue,   kRed,   kWhite, kYellow, kWhite,  kRed,  kBlue,  kRed};
  UseColorsFirstTurn = true;
  UseOneColorOtherPlayers = true;
}

std::string PlayerColorsSection(const TGameSettings& settings) {
  return "ColorSettings_" + settings.GetGameSection();
}

TMapColour TPlayerColors::ColourOf(const TPlayer* player) const {
  for (const auto& e : entries_)
    if (e.Player == player) return e.Colour;
  return OneColor;
}

bool TPlayerColors::SetColour(const TPlayer* player, TMapColour colour) {
  for (auto& e : entries_)
    if (e.Player == player) {
      e.Colour = colour;
      return true;
    }
  return false;
}

TPlayerColourEntry* TPlayerColors::Find(std::string_view key) {
  for (auto& e : entries_)
    if (e.Key == key) return &e;
  return nullptr;
}

void TPlayerColors::Insert(TPlayerColourEntry entry) {
  const auto at = std::lower_bound(
      entries_.begin(), entries_.end(), entry.Key,
      [](const TPlayerColourEntry& e, const std::string& key) { return e.Key < key; });
  entries_.insert(at, std::move(entry));
}

std::string TPlayerColors::AllInfo() const {
  std::string text;
  for (const auto& e : entries_) {
    text += e.Player ? e.Player->Name : e.Key;
    text += ':';
    text += std::to_string(e.Colour);
    text += ';';
  }
  return text;
}

bool SplitNameColor(std::string& text, std::string& name, std::string& colour) {
  if (TrimView(text).empty()) {
    text.clear();
    return false;
  }
  const size_t colon = text.find(':');
  if (colon == std::string::npos) {
    name = text;
    colour.clear();
    text.clear();
    return true;
  }
  const size_t semi = text.find(';', colon + 1);
  name = text.substr(0, colon);
  colour = text.substr(colon + 1, semi == std::string::npos ? std::string::npos : semi - colon - 1);
  text.erase(0, semi == std::string::npos ? text.size() : semi + 1);
  return true;
}

void TPlayerColors::SetAllInfo(std::string_view text, const GameState& state) {
  std::string rest(text);
  std::string name;
  std::string colourText;
  while (SplitNameColor(rest, name, colourText)) {
    TMapColour colour = 0;
    if (!ParseColour(colourText, colour)) continue;
    TPlayer* race = FindRace(state, TrimView(name));
    if (!race) continue;
    std::string key = LowerCase(race->Name);
    if (TPlayerColourEntry* e = Find(key)) {
      e->Player = race;
      e->Colour = colour;
    } else {
      Insert({std::move(key), race, colour});
    }
  }
}

void TPlayerColors::Sync(const GameState& state) {
  std::erase_if(entries_, [&state](const TPlayerColourEntry& e) {
    const int i = state.Players.IndexOf(e.Key);
    return i < 0 || state.Players.Object(i) != e.Player;
  });
  for (int i = 0; i < state.Players.Count(); ++i) {
    TPlayer* p = state.Players.Object(i);
    if (std::none_of(entries_.begin(), entries_.end(),
                     [p](const TPlayerColourEntry& e) { return e.Player == p; }))
      Insert({LowerCase(p->Name), p, OneColor});
  }
}

void ReadColorSchema(const TznSaveState& store, const GameState& state, TColorSchema& scheme,
                     TPlayerColors& players) {
  for (int i = 0; i < kSchemeColourCount; ++i) {
    const auto which = static_cast<TSchemeColour>(i);
    const int32_t v = store.ReadInteger(kColorSchemaSection, SchemeColourKey(which),
                                        static_cast<int32_t>(scheme[which]));
    // A negative value or one with the high byte set is no colour of ours: keep the current.
    if (v >= 0 && v <= 0xffffff) scheme[which] = static_cast<TMapColour>(v);
  }
  scheme.UseColorsFirstTurn =
      store.ReadBool(kColorSchemaSection, "UseColorsFirstTurn", scheme.UseColorsFirstTurn);
  scheme.UseOneColorOtherPlayers = store.ReadBool(kColorSchemaSection, "UseOneColorOtherPlayers",
                                                  scheme.UseOneColorOtherPlayers);
  players.SetAllInfo(
      store.ReadString(PlayerColorsSection(state.Settings), kPlayerColorsKey, players.AllInfo()),
      state);
  players.OneColor = scheme[scOtherPlayersPlanets];
  players.Sync(state);
}

void WriteColorSchema(TznSaveState& store, const GameState& state, const TColorSchema& scheme,
                      const TPlayerColors& players) {
  for (int i = 0; i < kSchemeColourCount; ++i) {
    const auto which = static_cast<TSchemeColour>(i);
    store.WriteInteger(kColorSchemaSection, SchemeColourKey(which),
                       static_cast<int32_t>(scheme[which]));
  }
  store.WriteBool(kColorSchemaSection, "UseColorsFirstTurn", scheme.UseColorsFirstTurn);
  store.WriteBool(kColorSchemaSection, "UseOneColorOtherPlayers", scheme.UseOneColorOtherPlayers);
  store.WriteString(PlayerColorsSection(state.Settings), kPlayerColorsKey, players.AllInfo());
}

}  // namespace tovix
