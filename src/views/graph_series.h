#pragma once
// What the graph window draws: one line per race over all turns for one of 21 subjects, the
// races it draws (all, the top six, or one race with the top race), their colours, and the top
// race (the highest effective industry of the latest turn).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

inline constexpr int kGraphSubjectCount = 21;
extern const std::array<const char*, kGraphSubjectCount> kGraphSubjects;

// The subject's value for the race in `turn` (-1: the latest), as a single-precision number.
float GraphValue(const TPlayer& race, int subject, int32_t turn);
// Whether that value is known: the race's figures of the turn came from a status table, and for
// a change (the deltas and the population growth) those of the turn before too.
bool GraphValueKnown(const TPlayer& race, int subject, int32_t turn);

// The race with the highest latest effective industry (the first on ties); nullptr when no
// race has more than 0.
TPlayer* FindTopPlayer(const GameState& state);

enum class TGraphChoice { All, TopSix, OneRace };

// The races to draw. Candidates: every race, or with `onlyWithPopulation` those whose latest
// population is above 0, sorted by latest effective industry, highest first. All: every
// candidate; TopSix: the first six; OneRace: `race` and then `top`, each once and only when
// there is one.
std::vector<TPlayer*> CollectGraphPlayers(const GameState& state, TGraphChoice choice,
                                          TPlayer* race, TPlayer* top, bool onlyWithPopulation);

struct TGraphColour {
  uint8_t R, G, B;
  bool operator==(const TGraphColour&) const = default;
};
// Colour i mod 14 of yellow, red, blue, lime, green, aqua, black, grey, silver, maroon, navy,
// olive, purple, teal.
TGraphColour GraphColour(int index);

// The chart's background: white, on which the darker colours of the table read well.
inline constexpr TGraphColour kGraphBackground{255, 255, 255};
// The contrast ratio of two colours (1 to 21, the WCAG measure of relative luminance).
double ColourContrast(TGraphColour a, TGraphColour b);
// `colour` as it is when its contrast with `background` is at least 3 (lines stand out),
// otherwise the same hue darkened (on a light background) or lightened (on a dark one) until
// it is: yellow, lime, aqua and silver would hardly show on white.
TGraphColour ReadableOn(TGraphColour colour, TGraphColour background);

struct TGraphSeries {
  std::string Title;  // the race's name
  // Colour i of the table, readable on kGraphBackground.
  TGraphColour Colour;
  // One per turn, 0 .. lastTurn; none for a turn whose value is unknown (GraphValueKnown).
  std::vector<std::optional<float>> Values;
};
std::vector<TGraphSeries> GraphSeries(const std::vector<TPlayer*>& races, int subject,
                                      int32_t lastTurn);

}  // namespace tovix
