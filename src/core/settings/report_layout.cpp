#include "core/settings/report_layout.h"

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
  // The planet number comes first: every column after the name moves one word right.
  TUnknownPlanetColumns& u = l.UninhabitedColumns;
  ++u.X;
  ++u.Y;
  ++u.Size;
  ++u.Resources;
  ++u.CAP;
  ++u.MAT;
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
  l.ShipsInProductionColumns.Cost = kNoWord;  // a mass and a share built instead
  l.ShipsInProductionColumns.Progress = kNoWord;

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

// "Galaxy PLUS" writes the header "<race> Report for Galaxy PLUS <game> Turn <turn>" without a
// tab, puts the planet number in front of the planet tables, gives the numbers of the planets
// it names only by number as "#" + number, and lists its fleets in one table.
void ApplyPlus(TReportLayout& l) {
  l.HeaderPattern = "^\\W*\\w+ Report for Galaxy PLUS \\w+ Turn \\w+";
  l.UntabbedHeaderPattern = "^\\W*\\w+ Report for Galaxy PLUS";
  l.HeaderKeyword = "Report for Galaxy PLUS";
  l.TurnWord = 7;
  l.GameNameWord = 5;
  l.RaceNameWord = 0;
  l.PlanetNumbers = true;

  TPlanetColumns planets;
  planets.Number = 0;
  planets.X = 1;
  planets.Y = 2;
  planets.Name = 3;
  planets.Size = 4;
  planets.Population = 5;
  planets.Industry = 6;
  planets.Resources = 7;
  planets.Production = 8;
  planets.CAP = 9;
  planets.MAT = 10;
  planets.COL = 11;
  l.OwnPlanetColumns = planets;
  l.OtherPlanetColumns = planets;

  TUnknownPlanetColumns& u = l.UninhabitedColumns;
  u.Number = 0;
  u.X = 1;
  u.Y = 2;
  u.Name = 3;
  u.Size = 4;
  u.Resources = 5;
  u.CAP = 6;
  u.MAT = 7;

  TBombingColumns& b = l.BombingColumns;
  b.Planet = 3;
  b.Population = 4;
  b.Industry = 5;
  b.Production = 6;
  b.CAP = 7;
  b.MAT = 8;
  b.COL = 9;

  l.BattlePlanetWord = -1;  // "Battle at (#16) Name"

  l.ShipsInProductionColumns.Planet = 1;
  l.ShipsInProductionColumns.ShipType = 2;
  l.ShipsInProductionColumns.Cost = 3;
  l.ShipsInProductionColumns.Progress = 4;

  // Own rows: "G # T D W S C T Q D F R P M L S" (destination, origin, distance, speed, mass,
  // fleet, state); other races' rows: "# T D W S C T Q D P M", without distance or origin.
  TGroupColumns& g = l.GroupColumns;
  g.Origin = 9;
  g.Distance = 10;
  l.GroupMinWordsForDistance = 12;
  l.GroupFleetWord = 14;
  l.FleetTableTitle = "Your Fleets";
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
    case TGameType::Plus:
      ApplyPlus(layout);
      break;
    case TGameType::Unknown:
    case TGameType::Normal:
    case TGameType::NG:
    case TGameType::NT:
      break;
  }
}

}  // namespace tovix
