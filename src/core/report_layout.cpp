#include "core/report_layout.h"

namespace tovix {

namespace {

// "Galaxy Blind" names systems instead of planets, puts the options section before the header,
// adds a planet-number column after most names and orders several tables differently.
void ApplyBlind(TReportLayout& l) {
  l.HeaderPattern = "^\t+Blind Galaxy game \\w+ \\w+ \\w+ \\w+";
  l.OptionsPattern = "^\t+Options\\W*$";
  l.HeaderKeyword = "Blind Galaxy game";
  l.TurnWord = -1;  // the turn is the last word of the header line
  l.GameNameWord = 3;
  l.RaceNameWord = -3;

  TStatusColumns& s = l.StatusColumns;
  s.Population = 6;
  s.Industry = 7;
  s.Planets = 8;
  s.Relation = 9;

  l.OwnPlanetsTitle = "Your Systems";
  // The planet number sits in word 1 and COL comes before CAP and MAT.
  TPlanetColumns blindPlanets;
  blindPlanets.X = 2;
  blindPlanets.Y = 3;
  blindPlanets.Size = 4;
  blindPlanets.Population = 5;
  blindPlanets.Industry = 6;
  blindPlanets.Resources = 7;
  blindPlanets.Production = 8;
  blindPlanets.CAP = 10;
  blindPlanets.MAT = 11;
  blindPlanets.COL = 9;
  l.OwnPlanetColumns = blindPlanets;
  l.OtherPlanetColumns = blindPlanets;
  l.UnidentifiedTitle = "Unknown Systems";
  l.UninhabitedTitle = "Uninhabited Systems";
  l.OtherPlanetsTitle = "Systems";

  TBombingColumns& b = l.BombingColumns;
  b.Population = 4;
  b.Industry = 5;
  b.Production = kNoWord;
  b.CAP = 7;
  b.MAT = 8;
  b.COL = 6;

  l.BattlePlanetWord = -1;
  TBattleGroupColumns& bg = l.BattleGroupColumns;
  bg.ShipsLeft = 0;
  bg.Ships = 1;
  bg.Type = 2;
  bg.CargoType = 8;
  bg.Load = 9;
  bg.Drive = 3;
  bg.Weapons = 5;
  bg.Shields = 6;
  bg.Cargo = 7;

  l.ShipsInProductionTitle = "Ships in Production";
  l.ShipsInProductionColumns.ShipType = 6;

  TGroupColumns& g = l.GroupColumns;
  g.Weapons = 4;
  g.Shields = 5;
  g.Cargo = 6;
  g.CargoType = 7;
  g.Load = 8;
  g.Destination = 12;
  g.Distance = 13;
  g.Origin = 11;
  l.GroupMinWordsForDistance = 14;

  TIncomingColumns& in = l.IncomingColumns;
  in.Origin = 1;
  in.Destination = 3;
  in.Distance = 4;
  in.Speed = 5;
  in.Mass = 6;
}

}  // namespace

void SetReportLayout(TReportLayout& layout, TGameType gameType) {
  switch (gameType) {
    case TGameType::Blind:
      ApplyBlind(layout);
      break;
    case TGameType::NGBlind:
      layout.HeaderPattern = "^\t+GalaxyNG-Blind Game \\w+ \\w+ \\w+ \\w+";
      layout.HeaderKeyword = "GalaxyNG-Blind Game";
      break;
    case TGameType::Unknown:
    case TGameType::Normal:
    case TGameType::NG:
    case TGameType::Plus:
    case TGameType::NT:
      break;
  }
}

}  // namespace tovix
