// The readers of the report sections that are not planet tables: ship types, battles, groups
// and fleets, bombings, incoming groups, routes and ships in production.
//
// Every reader catches the faults of its own section (for battles: of one battle; for groups:
// of one race's table; for bombings: of one row), records them with the section's message and
// returns, so that the rest of the report is still read.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/errors.h"
#include "core/reports/report_passes.h"
#include "core/reports/report_reader.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

// One race's list inside a battle: the line naming the race, the column header, and the rows
// [firstRow, endRow).
struct TReportReader::TBattleList {
  int header;
  int columns;
  int firstRow;
  int endRow;
};

namespace {

constexpr std::string_view kDumpListName = "DumpList.log";

// A drive read from a table keeps two decimals, cut off rather than rounded. Scaling a
// two-decimal figure by 100 may land just below the whole number ("0.29" gives 28.999...),
// which must not lose a hundredth.
float TruncToHundredths(double value) {
  if (!std::isfinite(value)) return 0;
  double scaled = value * 100;
  const double nearest = std::nearbyint(scaled);
  if (std::abs(scaled - nearest) < 1e-6) scaled = nearest;
  return static_cast<float>(std::trunc(scaled) / 100);
}

// The four figures of an effective-value row ("Galaxy Blind") as technology levels of the
// design; a level whose design value is not above 0 is 0.
struct TTechLevels {
  double drive;
  double weapons;
  double shields;
  double cargo;
};

TTechLevels EffectiveToTechLevels(const TShipType* design, TTechLevels effective) {
  TTechLevels levels{0, 0, 0, 0};
  if (!design) return levels;
  if (design->Drive > 0) levels.drive = effective.drive / design->Drive;
  if (design->Weapons > 0) levels.weapons = effective.weapons / design->Weapons;
  if (design->Shields > 0) {
    const double mass = std::max(0.0, static_cast<double>(design->Mass()));
    levels.shields = effective.shields * std::pow(mass, 0.33333333) / 3.107232506 / design->Shields;
  }
  const double capacity = double{design->Cargo} + double{design->Cargo} * design->Cargo / 10;
  if (capacity > 0) levels.cargo = effective.cargo / capacity;
  return levels;
}

// The guess at the owner of a planet whose owner the reports do not name, from the battle
// fought there: its last known owner when that race still has ships there, else the race of
// the heaviest block of surviving ships (consecutive groups of one race form a block; the
// earlier block wins a tie).
void EstimateContestedOwner(const TBattle& battle, int32_t turn) {
  TPlanet& planet = *battle.Planet;
  if (!planet.Owner.IsUnknown()) return;
  TPlayer* estimate = nullptr;
  const bool lastOwnerSurvived =
      planet.LastOwner &&
      std::any_of(battle.Groups.begin(), battle.Groups.end(), [&](const auto& group) {
        return group->Owner == planet.LastOwner && group->BattleShips > 0;
      });
  if (lastOwnerSurvived) {
    estimate = planet.LastOwner;
  } else {
    double heaviest = 0;
    size_t i = 0;
    while (i < battle.Groups.size()) {
      TPlayer* owner = battle.Groups[i]->Owner;
      double mass = 0;
      for (; i < battle.Groups.size() && battle.Groups[i]->Owner == owner; ++i) {
        const TGroup& group = *battle.Groups[i];
        if (group.ShipType) mass += double{group.ShipType->Mass()} * group.BattleShips;
      }
      if (mass > heaviest) {
        heaviest = mass;
        estimate = owner;
      }
    }
  }
  planet.LastOwner = estimate;
  if (estimate) planet.LastOwnerName = estimate->Name;
  planet.OwnerState = osUnknownNow;
  planet.OwnerTurn = turn;
}

}  // namespace

template <class Step>
void TReportReader::OnGroupStore(Step&& step) {
  if (loadingGroups_) {
    step();
    return;
  }
  // A step called on its own: the groups go to the store and back into the model.
  BeginGroupStore();
  try {
    step();
  } catch (...) {
    EndGroupStore();
    throw;
  }
  EndGroupStore();
}

// --- Ship types -----------------------------------------------------------------------------

void TReportReader::ReadShipTypeTable(int headerLine, TPlayer& race) {
  const TShipTypeColumns& c = Layout().ShipTypeColumns;
  const TGameType gameType = state_.Settings.GameType;
  const bool ngBlind = gameType == TGameType::NGBlind;
  for (int line = FirstTableRow(headerLine); !IsTableEnd(line); ++line) {
    const TReportRow words = Row(line);
    const std::string_view name = words.TokenView(c.Name);
    // Every report lists every design again. A known design is passed over unread, unless a
    // word is missing: then reading the row raises, as it always has, and ends the table.
    const int count = words.Count();
    const auto present = [count](int32_t index) { return index < count && index >= -count; };
    if (present(c.Drive) && present(c.Attacks) && present(c.Weapons) && present(c.Shields) &&
        present(c.Cargo) && (!ngBlind || present(c.Mass)) &&
        FindDesign(DesignsOf(race), name, FoldedTextHash(name))) {
      continue;
    }
    const double drive = words.TokenAsFloat(c.Drive);
    const int32_t attacks = words.TokenAsInt(c.Attacks);
    const double weapons = words.TokenAsFloat(c.Weapons);
    const double shields = words.TokenAsFloat(c.Shields);
    const double cargo = words.TokenAsFloat(c.Cargo);
    const double mass = ngBlind ? words.TokenAsFloat(c.Mass) : 0;
    // A known design keeps its object and figures: groups point to it.
    if (race.FindShipType(name)) continue;
    auto type = std::make_unique<TShipType>(std::string(name), gameType);
    type->Drive = TruncToHundredths(drive);
    type->Attacks = attacks;
    type->Weapons = static_cast<float>(weapons);
    type->Shields = static_cast<float>(shields);
    type->Cargo = static_cast<float>(cargo);
    type->CargoUse = TCargoUse::None;
    type->ReportedMass = static_cast<float>(mass);
    race.AddShipType(std::move(type));
  }
}

void TReportReader::ReadShipTypes() {
  constexpr std::string_view kSuffix = "While getting shiptypes";
  const TReportLayout& layout = Layout();
  for (auto [key, race] : state_.Players) {
    if (!race) continue;
    RunSection(kSuffix, [&] {
      const TRaceTitles& titles = TitlesOf(*race);
      const int line = FindTitle(0, titles.shipTypes, titles.shipTypesPlain);
      if (line >= 0) ReadShipTypeTable(line, *race);
    });
  }
  if (!state_.ReportPlayer) return;
  RunSection(kSuffix, [&] {
    const int line = FindTitle(0, layout.OwnShipTypesTitle);
    if (line >= 0) ReadShipTypeTable(line, *state_.ReportPlayer);
  });
}

// --- Battles --------------------------------------------------------------------------------

int TReportReader::ScanBattleLists(int headerLine, int limit, std::vector<TBattleList>& lists) {
  lists.clear();
  limit = std::min(limit, LineCount());
  const bool ngBlind = state_.Settings.GameType == TGameType::NGBlind;
  auto nextNonEmpty = [&](int line) {
    while (line < limit && WordCount(line) == 0) ++line;
    return line;
  };
  // The first list opens two lines after the header; each list is a line naming the race
  // ("... Groups"), a column header and rows up to an empty line.
  int line = nextNonEmpty(headerLine + 2);
  while (line < limit && Line(line).find("Groups") != std::string_view::npos) {
    if (ngBlind && SameText(Row(line).WordOrEmpty(Layout().BattleRaceWord), "Incoming")) break;
    TBattleList list{line, nextNonEmpty(line + 1), 0, 0};
    if (list.columns >= limit) {
      line = limit;
      break;
    }
    list.firstRow = list.columns + 1;
    list.endRow = list.firstRow;
    while (list.endRow < limit && !IsTableEnd(list.endRow)) ++list.endRow;
    lists.push_back(list);
    line = nextNonEmpty(list.endRow);
  }
  return line;
}

std::string TReportReader::BattlePlanetKey(int headerLine) {
  const TReportLayout& layout = Layout();
  const TReportRow header = Row(headerLine);
  std::string planetWord = header.Token(layout.BattlePlanetWord);
  if (state_.Settings.GameType == TGameType::Blind && !planetWord.empty() && planetWord[0] == '(')
    planetWord = header.Token(layout.BattlePlanetWord - 1);
  return LowerCase(planetWord);
}

bool TReportReader::HoldsBattle(const std::string& key) {
  if (battleKeysVersion_ != state_.Battles.Version()) {
    battleKeys_.clear();
    for (auto [text, battle] : state_.Battles) battleKeys_.insert(LowerCase(text));
    battleKeysVersion_ = state_.Battles.Version();
  }
  return battleKeys_.contains(LowerCase(key));
}

TPlanet* TReportReader::NewBattlePlanet(int headerLine, int round, std::string& battleKey) {
  const std::string planetKey = BattlePlanetKey(headerLine);
  const int planetIndex = planetIndex_.Find(planetKey);
  if (planetIndex < 0) return nullptr;
  battleKey = planetKey + '\t' + std::to_string(report_.Turn);
  if (round > 1) battleKey += '\t' + std::to_string(round);
  // An ally's report of the same battle adds nothing.
  if (HoldsBattle(battleKey)) return nullptr;
  return state_.Planets.Object(planetIndex);
}

void TReportReader::RemoveGroupsAtBattles(const std::vector<int>& headers,
                                          const std::vector<int>& rounds) {
  const int turn = report_.Turn;
  std::vector<const TPlanet*> planets;
  for (size_t i = 0; i < headers.size(); ++i) {
    try {
      std::string battleKey;
      if (const TPlanet* planet = NewBattlePlanet(headers[i], rounds[i], battleKey))
        planets.push_back(planet);
    } catch (const std::exception&) {
      // Not a battle that is read; ReadBattle reports the fault.
    }
  }
  // Groups read from this turn's tables (an earlier report of the same turn) already show the
  // state after the battle, as do the groups the battles themselves add.
  for (const TPlanet* planet : planets) {
    groups_.RemoveAt(planet,
                     [&](const TPlayer&, const TGroupKey& group) { return group.Turn != turn; });
  }
}

int TReportReader::ReadBattle(int headerLine, int limit, int round) {
  // Where the battle ends is found from the layout first, so that the group tables are
  // searched after it even when a fault stops the reading of its lists (or the battle is not
  // read at all): a battle's race lists are no group tables.
  std::vector<TBattleList> lists;
  const int end = ScanBattleLists(headerLine, limit, lists);
  RunSection("While reading battles", [&] {
    const int turn = report_.Turn;
    const TReportLayout& layout = Layout();
    const TGameType gameType = state_.Settings.GameType;
    std::string battleKey;
    TPlanet* planet = NewBattlePlanet(headerLine, round, battleKey);
    if (!planet) return;
    if (round > 1) {
      // A later round at the same planet: the survivors of the round before are no longer
      // known; those of this round take their place.
      groups_.RemoveAt(planet, [&](const TPlayer&, const TGroupKey& group) {
        return group.FromBattle && group.Turn == turn;
      });
    }
    const bool keysCurrent = battleKeysVersion_ == state_.Battles.Version();
    const std::string key = battleKey;
    const int index =
        state_.Battles.AddObject(std::move(battleKey), std::make_unique<TBattle>(turn, planet));
    if (keysCurrent) {
      battleKeys_.insert(key);
      battleKeysVersion_ = state_.Battles.Version();
    }
    TBattle& battle = *state_.Battles.Object(index);

    const TBattleGroupColumns& c = layout.BattleGroupColumns;
    const auto raceOfList = [&](const TBattleList& list) {
      const std::string raceWord = Row(list.header).Token(layout.BattleRaceWord);
      return raceWord == "Your" ? state_.ReportPlayer : state_.PlayerByName(raceWord);
    };
    // The server now and then lists ships of one race under another (seen under "Your
    // Groups"): such a row belongs to the one race of this battle that has its design.
    const auto designOwner = [&](const TPlayer* listed, const std::string& typeName) {
      TPlayer* owner = nullptr;
      for (const TBattleList& list : lists) {
        TPlayer* candidate = raceOfList(list);
        if (!candidate || candidate == listed || candidate == owner ||
            !candidate->FindShipType(typeName))
          continue;
        if (owner) return static_cast<TPlayer*>(nullptr);  // more than one: none is sure
        owner = candidate;
      }
      return owner;
    };
    for (const TBattleList& list : lists) {
      TPlayer* const listRace = raceOfList(list);
      if (!listRace) throw TovixError("No such player!!");
      const bool effective = IsEffectiveHeader(Line(list.columns));
      for (int line = list.firstRow; line < list.endRow; ++line) {
        const TReportRow words = Row(line);
        const int32_t shipsLeft = words.TokenAsInt(c.ShipsLeft);
        const int32_t ships = words.TokenAsInt(c.Ships);
        const std::string typeName = words.Token(c.Type);
        TTechLevels levels{words.TokenAsFloat(c.Drive), words.TokenAsFloat(c.Weapons),
                           words.TokenAsFloat(c.Shields), words.TokenAsFloat(c.Cargo)};
        TPlayer* race = listRace;
        TShipType* design = FindDesign(DesignsOf(*race), typeName, FoldedTextHash(typeName));
        if (!design) {
          race = designOwner(listRace, typeName);
          if (!race) {
            // Only this row is left out; the report's message counts them.
            ++battleRowsLeftOut_;
            continue;
          }
          design = race->FindShipType(typeName);
        }
        if (gameType == TGameType::Blind && effective)
          levels = EffectiveToTechLevels(design, levels);

        auto makeGroup = [&](int32_t shipCount, int32_t secondCount) {
          auto group = std::make_unique<TGroup>();
          group->ShipType = design;
          group->DriveTech = static_cast<float>(levels.drive);
          group->WeaponsTech = static_cast<float>(levels.weapons);
          group->ShieldsTech = static_cast<float>(levels.shields);
          group->CargoTech = static_cast<float>(levels.cargo);
          group->Ships = shipCount;
          group->BattleShips = secondCount;
          group->Planet = planet;
          group->Owner = race;
          group->Turn = turn;
          return group;
        };
        // Survivors of races whose group tables this reader does not get from their own
        // report are known only from the battle.
        if (shipsLeft > 0 && race != state_.MainPlayer && race != state_.ReportPlayer) {
          auto group = makeGroup(shipsLeft, ships);
          group->FromBattle = 1;
          group->TrackFrom = planet;
          groups_.Add(*race, std::move(group));
        }
        battle.Groups.push_back(makeGroup(ships, shipsLeft));
      }
    }
    EstimateContestedOwner(battle, turn);
  });
  return end;
}

void TReportReader::ReadBattles() {
  OnGroupStore([&] {
    groupsStartLine_ = 0;
    const std::string& title = Layout().BattleTitle;
    std::vector<int> headers;
    RunSection("While reading battles", [&] {
      for (int line = FindTitle(0, title); line >= 0; line = FindTitle(line + 1, title))
        headers.push_back(line);
    });
    // A battle replaces what was known of the groups at its planet. One pass over the groups
    // for all of this report's battles: the groups a battle adds are of this turn and never
    // removed by another, so the order of removing and reading makes no difference.
    // The server writes one section per round of fighting at a planet: each is a battle of its
    // own, counted per planet in the report's order.
    std::vector<int> rounds(headers.size(), 1);
    std::vector<std::string> planetKeys(headers.size());
    for (size_t i = 0; i < headers.size(); ++i) {
      try {
        planetKeys[i] = BattlePlanetKey(headers[i]);
      } catch (const std::exception&) {
        continue;  // ReadBattle reports the fault
      }
      rounds[i] = 1 + static_cast<int>(
                          std::count(planetKeys.begin(), planetKeys.begin() + i, planetKeys[i]));
    }
    RemoveGroupsAtBattles(headers, rounds);
    battleRowsLeftOut_ = 0;
    for (size_t i = 0; i < headers.size(); ++i) {
      const int limit = i + 1 < headers.size() ? headers[i + 1] : LineCount();
      groupsStartLine_ = ReadBattle(headers[i], limit, rounds[i]);
    }
    if (battleRowsLeftOut_ > 0) {
      Report(SectionError("While reading battles",
                          Fmt("Shiptype missing!!! Battle rows whose ship type no race of their "
                              "battle has were left out: %d.",
                              battleRowsLeftOut_)));
    }
  });
}

// --- Groups and fleets ----------------------------------------------------------------------

void TReportReader::WriteDumpList(std::string_view planetName) {
  std::string text = "Dump of planets, search for ";
  text += planetName;
  text += " failed.\r\n";
  for (auto [key, planet] : state_.Planets) {
    text += key;
    text += "\r\n";
  }
  WriteFileAtomically(programDir_ / kDumpListName, text);
}

void TReportReader::ReadGroupRow(int line, const TGroupTable& table, const TReadyGroupRow& ready) {
  const TGameType gameType = state_.Settings.GameType;
  // Every word a group reads must be there, or the row fails before anything is kept.
  if (ready.Fails) ThrowIndexOutOfBounds();
  const std::string_view text = lines_.Text();
  TGroupRecord group;
  const std::string_view typeName = text.substr(ready.Type.start, ready.Type.size);
  const std::string_view destination = text.substr(ready.Destination.start, ready.Destination.size);
  group.Distance = ready.Distance;
  const std::string_view origin = text.substr(ready.Origin.start, ready.Origin.size);

  // The planets and the design are looked up now, as the model stands when the row is read.
  TPlanet* planet = nullptr;
  uint32_t planetNumber = 0;  // the store's
  if (gameType == TGameType::Blind) {
    planet = state_.PlanetByNumber(FirstIntInStr(destination));
    if (!planet) planet = state_.UnknownPlanet;
    planetNumber = groups_.PlanetNumber(planet);
  } else {
    planet = PlanetOfWord(destination, ready.DestinationHash, planetNumber);
    if (!planet) {
      try {
        WriteDumpList(destination);
      } catch (const std::exception& e) {
        Report(e.what());
      }
      throw TovixError(Fmt("Planet %s does not exists: \r%s", destination, Line(line)));
    }
  }
  group.Origin = origin.empty() ? nullptr : PlanetOfWord(origin, ready.OriginHash);
  group.ShipType = FindDesign(*table.designs, typeName, ready.TypeHash);
  group.Fleet = table.fleet;
  group.FleetSpeed = table.fleetSpeed;
  const TGroupKey key{planet, report_.Turn, false, group.Distance == 0};
  // "Galaxy PLUS" names the fleet of an own group in the row; its speed is in the fleet table
  // of this report.
  if (table.own && HasWord(table.layout->GroupFleetWord)) {
    const std::string_view rowFleet = text.substr(ready.Fleet.start, ready.Fleet.size);
    if (!rowFleet.empty() && rowFleet != "-") {
      group.Fleet = groups_.FleetName(rowFleet);
      for (const auto& [name, speed] : fleetSpeeds_) {
        if (name == rowFleet) group.FleetSpeed = speed;
      }
    }
  }
  // Most groups are gone before their report's text is: other races' groups are pruned by the
  // next turn's reports, the own race's replaced by its next report. The figures are read only
  // for the rows still there then.
  const std::string_view row = lines_.TokenView(line);
  const auto from = static_cast<uint32_t>(row.data() - lines_.Text().data());
  groups_.AddDeferred(
      *table.race, planetNumber, key, group,
      TDeferredRow{textNumber_, from, from + static_cast<uint32_t>(row.size()), table.figures});
  textHasDeferredRows_ = true;
}

void TReportReader::ApplyGroupFigures(const TGroupFigures& figures, bool effectiveLevels,
                                      TGroupRecord& group) {
  group.GroupNumber = figures.Number;
  group.Ships = figures.Ships;
  group.CargoType = static_cast<uint8_t>(figures.CargoType);
  group.Load = figures.Load;
  TTechLevels levels{figures.Drive, figures.Weapons, figures.Shields, figures.Cargo};
  if (effectiveLevels) levels = EffectiveToTechLevels(group.ShipType, levels);
  group.DriveTech = static_cast<float>(levels.drive);
  group.WeaponsTech = static_cast<float>(levels.weapons);
  group.ShieldsTech = static_cast<float>(levels.shields);
  group.CargoTech = static_cast<float>(levels.cargo);
}

void TReportReader::ReadDeferredRow(TGroupRecord& group, const TDeferredRow& row) {
  std::string_view text = lines_.Text();
  const uint64_t* masks = masks_.data();
  if (row.Text != textNumber_) {
    const auto kept = std::find_if(keptTexts_.begin(), keptTexts_.end(),
                                   [&](const TKeptText& t) { return t.number == row.Text; });
    text = kept->text;
    masks = kept->masks.data();
  }
  const TReportRow words(text, row.From, row.To, masks);
  const TGroupTableColumns& columns = figureColumns_[row.Table];
  ApplyGroupFigures(ReadGroupFigures(words, columns.figures, figures_), columns.effectiveLevels,
                    group);
}

void TReportReader::RetireText() {
  if (textHasDeferredRows_) {
    keptTexts_.push_back(TKeptText{textNumber_, lines_.ReleaseText(), std::move(masks_)});
    masks_.clear();
    textHasDeferredRows_ = false;
  }
  ++textNumber_;
  // The rows of the oldest texts still there are read, a few texts at a time.
  if (keptTexts_.size() < 2 * kKeptTexts) return;
  const uint32_t last = keptTexts_[keptTexts_.size() - kKeptTexts - 1].number;
  groups_.ReadDeferred(
      last, [&](TGroupRecord& group, const TDeferredRow& row) { ReadDeferredRow(group, row); });
  while (!keptTexts_.empty() && keptTexts_.front().number <= last) keptTexts_.pop_front();
}

void TReportReader::BeginGroupStore() {
  storeNumbersVersion_ = UINT64_MAX;  // a store of its own numbers the planets anew
  groups_.TakeFromModel(state_);
  loadingGroups_ = true;
}

void TReportReader::EndGroupStore() {
  if (!loadingGroups_) return;
  loadingGroups_ = false;
  groups_.ReadDeferred(UINT32_MAX, [&](TGroupRecord& group, const TDeferredRow& row) {
    ReadDeferredRow(group, row);
  });
  keptTexts_.clear();
  groups_.MoveToModel();
}

namespace {

// The first eight bytes of a name and, for one of 9 to 16 bytes, its last eight: with its size
// they make a name of at most 16 bytes.
void NameWords(std::string_view name, uint64_t& head, uint64_t& tail) {
  head = FirstEightBytes(name);
  tail = 0;
  if (name.size() > 8 && name.size() <= 16) std::memcpy(&tail, name.data() + name.size() - 8, 8);
}

}  // namespace

const TReportReader::TDesignIndex& TReportReader::DesignsOf(const TPlayer& race) {
  // The rows of a battle list ask for the same race one after another.
  if (&race != lastDesignsRace_) {
    lastDesigns_ = &designs_[&race];
    lastDesignsRace_ = &race;
  }
  TDesignIndex& index = *lastDesigns_;
  if (index.version == race.ShipTypes.Version()) return index;
  index.version = race.ShipTypes.Version();
  size_t size = 8;
  while (size < static_cast<size_t>(race.ShipTypes.Count()) * 2) size *= 2;
  index.entries.assign(size, TDesignSlot{});
  index.mask = size - 1;
  // FindShipType takes the last of the list's designs with the name; there is only one, as
  // AddShipType adds none of a name held.
  for (int i = race.ShipTypes.Count() - 1; i >= 0; --i) {
    TShipType* type = race.ShipTypes.Object(i);
    if (!type) continue;
    const uint64_t hash = FoldedTextHash(type->Name);
    size_t slot = hash & index.mask;
    bool known = false;
    for (; index.entries[slot].type; slot = (slot + 1) & index.mask) {
      if (index.entries[slot].hash == hash && SameText(index.entries[slot].type->Name, type->Name))
        known = true;
    }
    if (known) continue;
    TDesignSlot& entry = index.entries[slot];
    entry.hash = hash;
    entry.type = type;
    entry.size = type->Name.size();
    NameWords(type->Name, entry.head, entry.tail);
  }
  return index;
}

TShipType* TReportReader::FindDesign(const TDesignIndex& designs, std::string_view name,
                                     uint64_t hash) {
  uint64_t head = 0;
  uint64_t tail = 0;
  NameWords(name, head, tail);
  const bool short16 = name.size() <= 16;
  for (size_t slot = hash & designs.mask; designs.entries[slot].type;
       slot = (slot + 1) & designs.mask) {
    const TDesignSlot& entry = designs.entries[slot];
    if (entry.hash != hash) continue;
    if (short16 && entry.size == name.size() && entry.head == head && entry.tail == tail)
      return entry.type;
    if (SameBytes(entry.type->Name, name) || SameText(entry.type->Name, name)) return entry.type;
  }
  return nullptr;
}

void TReportReader::ReadGroupTable(int headerLine, TPlayer& race, bool own,
                                   const std::string& fleetName, float fleetSpeed, int& line) {
  line = headerLine;
  const TReadyTables::TTable ready =
      ReadyTable(headerLine, own ? TReadyKind::OwnGroups : TReadyKind::OtherGroups);
  const bool effective = ready.Effective;
  TGroupTable table{
      &race, &Layout(),       own, effective, groups_.FleetName(fleetName), fleetSpeed,
      0,     &DesignsOf(race)};
  const TGameType gameType = state_.Settings.GameType;
  const TGroupTableColumns figures{
      {table.layout->GroupColumns, TGroupColumnShift(own, effective, gameType), own},
      gameType == TGameType::Blind && effective};
  const auto known = std::find(figureColumns_.begin(), figureColumns_.end(), figures);
  table.figures = static_cast<uint32_t>(known - figureColumns_.begin());
  if (known == figureColumns_.end()) figureColumns_.push_back(figures);
  for (uint32_t i = 0; i < ready.Count; ++i) {
    line = ready.FirstRow + static_cast<int>(i);
    ReadGroupRow(line, table, tables_.Group(ready, i));
  }
  line = ready.FirstRow + static_cast<int>(ready.Count);
}

void TReportReader::ReadGroups() {
  OnGroupStore([&] {
    const TReportLayout& layout = Layout();
    // One race's table; a fault names the line it stopped at, as an editor counts lines.
    const auto readTable = [&](TPlayer& race, bool own, std::string_view title, bool plain) {
      int line = groupsStartLine_;
      try {
        const int header = FindTitle(groupsStartLine_, title, plain);
        if (header >= 0) ReadGroupTable(header, race, own, {}, 0, line);
      } catch (const std::exception& e) {
        Report(SectionError(Fmt("While reading groups at line %d", line + 1), e.what()));
      }
    };
    for (auto [key, race] : state_.Players) {
      if (!race) continue;
      // A race whose own report was read this turn has its groups from there.
      if (std::find(racesThisTurn_.begin(), racesThisTurn_.end(), race) != racesThisTurn_.end())
        continue;
      const TRaceTitles& titles = TitlesOf(*race);
      readTable(*race, false, titles.groups, titles.groupsPlain);
    }
    TPlayer* own = state_.ReportPlayer;
    if (!own) return;
    fleetSpeeds_.clear();
    if (!layout.FleetTableTitle.empty()) {
      RunSection("While reading fleets", [&] {
        const int header = FindTitle(0, layout.FleetTableTitle);
        if (header < 0) return;
        for (int line = FirstTableRow(header); !IsTableEnd(line); ++line) {
          const TReportRow words = Row(line);
          fleetSpeeds_.emplace_back(
              words.Token(layout.FleetTableNameWord),
              static_cast<float>(words.TokenAsFloat(layout.FleetTableSpeedWord)));
        }
      });
    }
    // The own report replaces the race's groups.
    groups_.Clear(*own);
    const std::string ownTitle = "Your" + layout.GroupsTitleSuffix;
    readTable(*own, true, ownTitle, IsPlainTitle(ownTitle));
  });
}

void TReportReader::ReadFleets() {
  OnGroupStore([&] {
    const TReportLayout& layout = Layout();
    // The fleet reader's messages carry "!!!" after the file name.
    const auto runFleetSection = [&](auto&& read) {
      return RunSection("While reading fleets", read, "!!!");
    };
    TPlayer* own = state_.ReportPlayer;
    if (!own) return;
    const std::string& title = layout.FleetTitle;
    std::vector<std::string> seen;
    float speed = 0;
    int header = -1;
    if (!runFleetSection([&] { header = FindTitle(1, title); })) return;
    while (header >= 0) {
      runFleetSection([&] {
        const TReportRow words = Row(header);
        std::string name = words.Token(layout.FleetNameWord);
        if (std::find(seen.begin(), seen.end(), name) == seen.end()) {
          std::string_view speedText = words.TokenView(layout.FleetSpeedWord);
          if (!speedText.empty() && speedText.back() == ')') speedText.remove_suffix(1);
          double value = 0;
          if (TryParseFloat(speedText, value)) speed = static_cast<float>(value);
          seen.push_back(name);
          int line = header;
          ReadGroupTable(header, *own, true, name, speed, line);
        }
      });
      if (!runFleetSection([&] { header = FindTitle(header + 1, title); })) return;
    }
  });
}

// --- Bombings -------------------------------------------------------------------------------

void TReportReader::ReadBombings() {
  const int turn = report_.Turn;
  const TReportLayout& layout = Layout();
  const TBombingColumns& c = layout.BombingColumns;
  int firstRow = LineCount();
  // The bombing messages have no suffix of their own.
  const bool found = RunSection({}, [&] {
    const int header = FindTitle(0, layout.BombingsTitle);
    // The column header is the first non-empty line from two lines after the title.
    if (header >= 0) firstRow = FirstTableRow(header + 1);
  });
  if (!found) return;
  // A planet bombed twice in one turn (one race bombs it, another takes it back) has a row for
  // each bombing, applied in the report's order; from the second on the key counts them, so
  // that an ally's report of the same bombings adds nothing.
  std::vector<std::string> bombedPlanets;
  for (int line = firstRow; !IsTableEnd(line); ++line) {
    RunSection({}, [&] {
      const TReportRow words = Row(line);
      auto bombing = std::make_unique<TBombing>();
      bombing->Turn = turn;
      bombing->Attacker = state_.PlayerByName(words.TokenView(c.Attacker));
      bombing->Defender = state_.PlayerByName(words.TokenView(c.Defender));
      const std::string planetWord = words.Token(c.Planet);
      bombing->Planet = state_.PlanetByName(planetWord);
      bombing->Population = static_cast<float>(words.TokenAsFloat(c.Population));
      bombing->Industry = static_cast<float>(words.TokenAsFloat(c.Industry));
      bombing->Capital = static_cast<float>(words.TokenAsFloat(c.CAP));
      bombing->Material = static_cast<float>(words.TokenAsFloat(c.MAT));
      bombing->Colonists = static_cast<float>(words.TokenAsFloat(c.COL));
      if (HasWord(c.Production) && state_.Settings.GameType != TGameType::Blind)
        bombing->Producing = BombingProductionCode(words.TokenView(c.Production));
      if (!bombing->Attacker || !bombing->Defender || !bombing->Planet) return;
      bombedPlanets.push_back(LowerCase(planetWord));
      const auto times =
          std::count(bombedPlanets.begin(), bombedPlanets.end(), bombedPlanets.back());
      std::string key = Fmt("%d$%s", turn, planetWord);
      if (times > 1) key += Fmt("$%d", times);
      if (state_.Bombings.IndexOf(key) >= 0) return;
      const TBombing& added =
          *state_.Bombings.Object(state_.Bombings.AddObject(std::move(key), std::move(bombing)));
      TPlanet& planet = *added.Planet;
      if (planet.Size == 0) planet.Size = added.Population;
      if (planet.Owner.IsUnknown()) {
        planet.Population = static_cast<float>(double{added.Population} / 4 * 1.08);
        planet.Industry = added.Industry / 4;
      }
      if (!planet.Owner.IsNone()) planet.SetOwner(TOwnerRef::Of(added.Attacker), turn);
    });
  }
}

// --- Incoming groups ------------------------------------------------------------------------

void TReportReader::ReadIncomingGroups() {
  const TReportLayout& layout = Layout();
  const TIncomingColumns& c = layout.IncomingColumns;
  RunSection("While reading incoming groups", [&] {
    const int header = FindTitle(0, layout.IncomingTitle);
    if (header < 0) return;
    for (int line = FirstTableRow(header); !IsTableEnd(line); ++line) {
      const TReportRow words = Row(line);
      const std::string originName = words.Token(c.Origin);
      const std::string destinationName = words.Token(c.Destination);
      const double distance = words.TokenAsFloat(c.Distance);
      const double speed = words.TokenAsFloat(c.Speed);
      const double mass = words.TokenAsFloat(c.Mass);
      auto missing = [&] {
        return TovixError("PLanet does not exists: " + std::string(Line(line)));
      };
      TPlanet* origin = PlanetOfWord(originName);
      if (!origin) {
        if (state_.Settings.GameType != TGameType::Blind) throw missing();
        origin = state_.UnknownPlanet;
      }
      TPlanet* destination = PlanetOfWord(destinationName);
      if (!destination) throw missing();
      auto group = std::make_unique<TIncomingGroup>();
      group->Origin = origin;
      group->Destination = destination;
      group->Reporter = state_.ReportPlayer;
      group->Distance = static_cast<float>(distance);
      group->Speed = static_cast<float>(speed);
      group->Mass = static_cast<float>(mass);
      group->Turn = report_.Turn;
      state_.IncomingGroups.push_back(std::move(group));
    }
  });
}

// --- Routes ---------------------------------------------------------------------------------

void TReportReader::ReadRoutes() {
  state_.Routes.Clear();
  const bool blind = state_.Settings.GameType == TGameType::Blind;
  const int capWord = blind ? 2 : 1;
  const int matWord = blind ? 3 : 2;
  const int colWord = blind ? 1 : 3;
  constexpr int kEmpWord = 4;
  constexpr int kRouteWords = 5;
  // The route messages have no suffix of their own.
  RunSection({}, [&] {
    const int header = FindSection(1, "^\t\t" + QuoteRegexText(Layout().RoutesTitle));
    if (header < 0) return;
    for (int line = FirstTableRow(header); line < LineCount() && WordCount(line) >= kRouteWords;
         ++line) {
      const TReportRow words = Row(line);
      const std::string originWord = words.Token(0);
      TPlanet* origin = state_.PlanetByName(originWord);
      if (!origin || SameText(originWord, "AUTO")) continue;
      std::string key = LowerCase(origin->Name);
      // Two rows for one planet: the first stands.
      if (state_.Routes.IndexOf(key) >= 0) continue;
      auto route = std::make_unique<TRoute>(origin);
      auto destination = [&](int index) -> TPlanet* {
        const std::string_view word = words.TokenView(index);
        return word == "-" ? nullptr : state_.PlanetByName(word);
      };
      route->ReportCap = destination(capWord);
      route->ReportMat = destination(matWord);
      route->ReportCol = destination(colWord);
      route->ReportEmp = destination(kEmpWord);
      route->ResetToReport();
      state_.Routes.AddObject(std::move(key), std::move(route));
    }
  });
}

// --- Ships in production --------------------------------------------------------------------

void TReportReader::ReadShipsInProduction() {
  state_.ShipsInProduction.clear();
  const TReportLayout& layout = Layout();
  const TShipsInProductionColumns& c = layout.ShipsInProductionColumns;
  const bool blind = state_.Settings.GameType == TGameType::Blind;
  RunSection("While reading production of planets", [&] {
    const int header = FindTitle(0, layout.ShipsInProductionTitle);
    if (header < 0) return;
    for (int line = FirstTableRow(header); !IsTableEnd(line); ++line) {
      const TReportRow words = Row(line);
      std::string planetName = words.Token(c.Planet);
      std::string typeName = words.Token(c.ShipType);
      const int32_t number = blind ? words.TokenAsInt(c.Number) : -1;
      if (typeName == "-") continue;
      auto ship = std::make_unique<TShipInProduction>();
      auto figure = [&](int32_t column) {
        return HasWord(column) && column < words.Count()
                   ? static_cast<float>(words.TokenAsFloat(column))
                   : 0.0f;
      };
      ship->Cost = figure(c.Cost);
      ship->Progress = figure(c.Progress);
      ship->PlanetNumber = number;
      ship->PlanetName = std::move(planetName);
      ship->ShipTypeName = std::move(typeName);
      state_.ShipsInProduction.push_back(std::move(ship));
    }
  });
}

// --- The own race's options ----------------------------------------------------------------

void TReportReader::ReadOwnOptions() {
  state_.AutoUnload = true;
  RunSection("While reading options", [&] {
    const int header = FindSection(0, state_.Layout.OptionsPattern);
    if (header < 0) return;
    for (int line = FirstTableRow(header); line < LineCount() && WordCount(line) >= 2; ++line) {
      const TReportRow words = Row(line);
      if (SameText(words.TokenView(0), "autoUnload")) {
        state_.AutoUnload = !SameText(words.TokenView(1), "OFF");
      }
    }
  });
}

}  // namespace tovix
