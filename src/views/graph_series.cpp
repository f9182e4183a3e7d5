#include "views/graph_series.h"

#include <algorithm>
#include <cmath>

namespace tovix {

const std::array<const char*, kGraphSubjectCount> kGraphSubjects{
    "Effective Industry",
    "Effective Industry Delta",
    "Industry",
    "Industry Delta",
    "Population",
    "Population Delta",
    "Population Percent Growth",
    "Planets",
    "Planets Delta",
    "Total Technology",
    "Total Technology Delta",
    "Drive Technology",
    "Drive Technology Delta",
    "Weapons Technology",
    "Weapons Technology Delta",
    "Shield Technology",
    "Shield Technology Delta",
    "Cargo Technology",
    "Cargo Technology Delta",
    "Max Population",
    "Max Population Delta",
};

float GraphValue(const TPlayer& r, int subject, int32_t t) {
  switch (subject) {
    case 0:
      return r.GetEffectiveIndustry(t);
    case 1:
      return r.EffectiveIndustryDelta(t);
    case 2:
      return r.GetIndustry(t);
    case 3:
      return r.IndustryDelta(t);
    case 4:
      return r.GetPopulation(t);
    case 5:
      return r.PopulationDelta(t);
    case 6:
      return r.PopulationGrowthPercent(t);
    case 7:
      return static_cast<float>(r.GetPlanetCount(t));
    case 8:
      return static_cast<float>(r.PlanetCountDelta(t));
    case 9:
      return r.GetDrive(t) + r.GetWeapons(t) + r.GetShields(t) + r.GetCargo(t);
    case 10:
      return r.DriveDelta(t) + r.WeaponsDelta(t) + r.ShieldsDelta(t) + r.CargoDelta(t);
    case 11:
      return r.GetDrive(t);
    case 12:
      return r.DriveDelta(t);
    case 13:
      return r.GetWeapons(t);
    case 14:
      return r.WeaponsDelta(t);
    case 15:
      return r.GetShields(t);
    case 16:
      return r.ShieldsDelta(t);
    case 17:
      return r.GetCargo(t);
    case 18:
      return r.CargoDelta(t);
    case 19:
      return r.GetPlanetSize(t);
    case 20:
      return r.PlanetSizeDelta(t);
    default:
      return 0;
  }
}

bool GraphValueKnown(const TPlayer& r, int subject, int32_t t) {
  // The subjects that compare a turn with the one before, in the order of kGraphSubjects.
  static constexpr std::array<bool, kGraphSubjectCount> kChange{
      false, true, false, true, false, true, true,  false, true,  false, true,
      false, true, false, true, false, true, false, true,  false, true};
  const bool change =
      subject >= 0 && subject < kGraphSubjectCount && kChange[static_cast<size_t>(subject)];
  return r.IsKnown(t) && (!change || t == 0 || r.IsKnown(t < 0 ? -1 : t - 1));
}

TPlayer* FindTopPlayer(const GameState& state) {
  TPlayer* top = nullptr;
  float best = 0;
  for (int i = 0; i < state.Players.Count(); ++i) {
    TPlayer* p = state.Players.Object(i);
    if (p && p->GetEffectiveIndustry(-1) > best) {
      best = p->GetEffectiveIndustry(-1);
      top = p;
    }
  }
  return top;
}

std::vector<TPlayer*> CollectGraphPlayers(const GameState& state, TGraphChoice choice,
                                          TPlayer* race, TPlayer* top, bool onlyWithPopulation) {
  std::vector<TPlayer*> races;
  if (choice == TGraphChoice::OneRace) {
    // The chosen race and the top race, each drawn once.
    if (race) races.push_back(race);
    if (top && top != race) races.push_back(top);
    return races;
  }
  for (int i = 0; i < state.Players.Count(); ++i) {
    TPlayer* p = state.Players.Object(i);
    if (p && (!onlyWithPopulation || p->GetPopulation(-1) > 0)) races.push_back(p);
  }
  std::stable_sort(races.begin(), races.end(), [](const TPlayer* a, const TPlayer* b) {
    return a->GetEffectiveIndustry(-1) > b->GetEffectiveIndustry(-1);
  });
  if (choice == TGraphChoice::TopSix && races.size() > 6) races.resize(6);
  return races;
}

TGraphColour GraphColour(int index) {
  static constexpr std::array<TGraphColour, 14> kColours{{{255, 255, 0},
                                                          {255, 0, 0},
                                                          {0, 0, 255},
                                                          {0, 255, 0},
                                                          {0, 128, 0},
                                                          {0, 255, 255},
                                                          {0, 0, 0},
                                                          {128, 128, 128},
                                                          {192, 192, 192},
                                                          {128, 0, 0},
                                                          {0, 0, 128},
                                                          {128, 128, 0},
                                                          {128, 0, 128},
                                                          {0, 128, 128}}};
  const int i = ((index % 14) + 14) % 14;
  return kColours[static_cast<size_t>(i)];
}

namespace {

double Luminance(TGraphColour c) {
  auto linear = [](uint8_t v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.R) + 0.7152 * linear(c.G) + 0.0722 * linear(c.B);
}

constexpr double kReadableContrast = 3.0;

}  // namespace

double ColourContrast(TGraphColour a, TGraphColour b) {
  const double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

TGraphColour ReadableOn(TGraphColour colour, TGraphColour background) {
  const bool darken = Luminance(background) > 0.18;  // above mid grey's luminance
  TGraphColour c = colour;
  for (int step = 1; step <= 64 && ColourContrast(c, background) < kReadableContrast; ++step) {
    auto shift = [&](uint8_t v) {
      const double f = step / 64.0;
      return static_cast<uint8_t>(std::lround(darken ? v * (1 - f) : v + (255 - v) * f));
    };
    c = {shift(colour.R), shift(colour.G), shift(colour.B)};
  }
  return c;
}

std::vector<TGraphSeries> GraphSeries(const std::vector<TPlayer*>& races, int subject,
                                      int32_t lastTurn) {
  std::vector<TGraphSeries> series;
  for (size_t i = 0; i < races.size(); ++i) {
    if (!races[i]) continue;
    TGraphSeries s{
        races[i]->Name, ReadableOn(GraphColour(static_cast<int>(i)), kGraphBackground), {}};
    for (int32_t t = 0; t <= lastTurn; ++t) {
      if (GraphValueKnown(*races[i], subject, t)) {
        s.Values.emplace_back(GraphValue(*races[i], subject, t));
      } else {
        s.Values.emplace_back();
      }
    }
    series.push_back(std::move(s));
  }
  return series;
}

}  // namespace tovix
