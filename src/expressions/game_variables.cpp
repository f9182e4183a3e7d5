#include "expressions/game_variables.h"

#include <string>

#include "core/text/str_utils.h"

namespace tovix {

namespace {

enum class Var {
  PlayerName,
  // Groups
  GrCount,
  GrEta,
  GrDestination,
  GrSource,
  GrDestinationOwner,
  GrSourceOwner,
  GrAvailable,
  GrTurn,
  GrRange,
  GrDriveTech,
  GrWeaponsTech,
  GrShieldsTech,
  GrCargoTech,
  GrLoad,
  GrEffCargo,
  GrEffWeapon,
  GrEffShield,
  GrEffShieldLoaded,
  GrEffSpeed,
  GrEffSpeedLoaded,
  GrEffSpeedNow,
  GrUpgradeCost,
  GrFleetName,
  GrOwnerWar,
  GrName,
  // Ship types
  StNoStationary,
  StDriveMass,
  StWeaponsMass,
  StShieldsMass,
  StCargoMass,
  StAttacksCount,
  StMass,
  StName,
  // Planets
  PtX,
  PtY,
  PtSize,
  PtRes,
  PtPopulation,
  PtIndustry,
  PtEffIndustry,
  PtEffMass,
  PtCap,
  PtMat,
  PtCol,
  PtMyMass,
  PtFriendlyMass,
  PtEnemyMass,
  PtSentMass,
  PtSentMassEta2,
  PtSentMassEta3Plus,
  PtNextTurnMass,
  PtName,
  PtProdType,
  PtProdAmount,
  PtProdAmountFull,
  PtOwnerName,      // groups only
  PtLastOwnerName,  // planets only
};

const std::unordered_map<std::string_view, Var>& VariableNames() {
  static const std::unordered_map<std::string_view, Var> names{
      {"PLAYERNAME", Var::PlayerName},
      {"GR_COUNT", Var::GrCount},
      {"GR_ETA", Var::GrEta},
      {"GR_DESTINATION", Var::GrDestination},
      {"GR_SOURCE", Var::GrSource},
      {"GR_DESTINATIONOWNER", Var::GrDestinationOwner},
      {"GR_SOURCEOWNER", Var::GrSourceOwner},
      {"GR_AVAILABLE", Var::GrAvailable},
      {"GR_TURN", Var::GrTurn},
      {"GR_RANGE", Var::GrRange},
      {"GR_DRIVETECH", Var::GrDriveTech},
      {"GR_WEAPONSTECH", Var::GrWeaponsTech},
      {"GR_SHIELDSTECH", Var::GrShieldsTech},
      {"GR_CARGOTECH", Var::GrCargoTech},
      {"GR_LOAD", Var::GrLoad},
      {"GR_EFFCARGO", Var::GrEffCargo},
      {"GR_EFFWEAPON", Var::GrEffWeapon},
      {"GR_EFFSHIELD", Var::GrEffShield},
      {"GR_EFFSHIELDLOADED", Var::GrEffShieldLoaded},
      {"GR_EFFSPEED", Var::GrEffSpeed},
      {"GR_EFFSPEEDLOADED", Var::GrEffSpeedLoaded},
      {"GR_EFFSPEEDNOW", Var::GrEffSpeedNow},
      {"GR_UPGRADECOST", Var::GrUpgradeCost},
      {"GR_FLEETNAME", Var::GrFleetName},
      {"GR_OWNERWAR", Var::GrOwnerWar},
      {"GR_NAME", Var::GrName},
      {"ST_NOSTATIONARY", Var::StNoStationary},
      {"ST_DRIVEMASS", Var::StDriveMass},
      {"ST_WEAPONSMASS", Var::StWeaponsMass},
      {"ST_SHIELDSMASS", Var::StShieldsMass},
      {"ST_CARGOMASS", Var::StCargoMass},
      {"ST_ATTACKSCOUNT", Var::StAttacksCount},
      {"ST_MASS", Var::StMass},
      {"ST_NAME", Var::StName},
      {"PT_X", Var::PtX},
      {"PT_Y", Var::PtY},
      {"PT_SIZE", Var::PtSize},
      {"PT_RES", Var::PtRes},
      {"PT_POPULATION", Var::PtPopulation},
      {"PT_INDUSTRY", Var::PtIndustry},
      {"PT_EFFINDUSTRY", Var::PtEffIndustry},
      {"PT_EFFMASS", Var::PtEffMass},
      {"PT_CAP", Var::PtCap},
      {"PT_MAT", Var::PtMat},
      {"PT_COL", Var::PtCol},
      {"PT_MYMASS", Var::PtMyMass},
      {"PT_FRIENDLYMASS", Var::PtFriendlyMass},
      {"PT_ENEMYMASS", Var::PtEnemyMass},
      {"PT_SENTMASS", Var::PtSentMass},
      {"PT_SENTMASSETA2", Var::PtSentMassEta2},
      {"PT_SENTMASSETA3PLUS", Var::PtSentMassEta3Plus},
      {"PT_NEXTTURNMASS", Var::PtNextTurnMass},
      {"PT_NAME", Var::PtName},
      {"PT_PRODTYPE", Var::PtProdType},
      {"PT_PRODAMOUNT", Var::PtProdAmount},
      {"PT_PRODAMOUNTFULL", Var::PtProdAmountFull},
      {"PT_OWNERNAME", Var::PtOwnerName},
      {"PT_LASTOWNERNAME", Var::PtLastOwnerName},
  };
  return names;
}

std::optional<Var> FindVariable(std::string_view name) {
  const auto& names = VariableNames();
  const auto it = names.find(name);
  if (it == names.end()) return std::nullopt;
  return it->second;
}

bool IsPlanetVariable(Var v) {
  return v >= Var::PtX;
}

int32_t Number(TEvalValue& out, double v) {
  out = TEvalValue::Num(v);
  return evNumber;
}
int32_t Text(TEvalValue& out, std::string v) {
  out = TEvalValue::Str(std::move(v));
  return evString;
}
int32_t Boolean(TEvalValue& out, bool v) {
  out = TEvalValue::Bool(v);
  return evBoolean;
}

std::string NameOf(const TPlanet* planet) {
  return planet ? planet->Name : std::string();
}
std::string OwnerNameOf(const TPlanet* planet) {
  return planet ? planet->LastOwnerName : std::string();
}

int32_t PlayerName(const GameState& state, TEvalValue& out) {
  return Text(out, state.MainPlayer ? state.MainPlayer->Name : std::string());
}

// A planet variable of `planet`; the group-only [PT_OWNERNAME] and the planet-only
// [PT_LASTOWNERNAME] give the same figure, the callers decide which name they know.
int32_t PlanetValue(Var v, const TPlanet& p, TGameVariables& game, TEvalValue& out) {
  const IDevelopmentPlan& plan = game.State().DevelopmentPlan();
  switch (v) {
    case Var::PtX:
      return Number(out, p.X / 100.0);
    case Var::PtY:
      return Number(out, p.Y / 100.0);
    case Var::PtSize:
      return Number(out, p.Size);
    case Var::PtRes:
      return Number(out, p.Resources);
    case Var::PtPopulation:
      return Number(out, p.Population);
    case Var::PtIndustry:
      return Number(out, p.Industry);
    case Var::PtEffIndustry:
      return Number(out, p.EffectiveIndustry());
    case Var::PtEffMass:
      return Number(out, p.ShipMassPerTurn(plan));
    case Var::PtCap:
      return Number(out, p.Capital);
    case Var::PtMat:
      return Number(out, p.Material);
    case Var::PtCol:
      return Number(out, p.Colonists);
    case Var::PtMyMass:
      return Number(out, game.MassAt(p).Mine);
    case Var::PtFriendlyMass:
      return Number(out, game.MassAt(p).Friendly);
    case Var::PtEnemyMass:
      return Number(out, game.MassAt(p).Enemy);
    case Var::PtSentMass:
      return Number(out, p.SentMass);
    case Var::PtSentMassEta2:
      return Number(out, p.SentMassEta2);
    case Var::PtSentMassEta3Plus:
      return Number(out, p.SentMassEta3Plus);
    case Var::PtNextTurnMass:
      return Number(out, p.NextTurnMass);
    case Var::PtName:
      return Text(out, p.Name);
    case Var::PtProdType:
      return Text(out, UpperCase(p.Production));
    case Var::PtProdAmount:
      return Number(out, p.ProductionAmount(plan));
    case Var::PtProdAmountFull:
      return Number(out, p.ProductionAtFullSize());
    case Var::PtOwnerName:
    case Var::PtLastOwnerName:
      return Text(out, p.LastOwnerName);
    default:
      return kEvalFailed;
  }
}

bool KnowsGameFunction(std::string_view name, int argCount) {
  if (name == "DISTANCE(") return argCount == 2;
  return (name == "ATOI(" || name == "INVERT(") && argCount == 1;
}

int32_t CallGameFunction(const GameState& state, std::string_view name,
                         std::span<const TEvalValue> args, TEvalValue& result, bool& inverted) {
  if (name == "DISTANCE(" && args.size() == 2) {
    if (args[0].Type != evString || args[1].Type != evString) return kEvalFailed;
    if (args[0].Text.empty() || args[1].Text.empty()) return kEvalFailed;
    const TPlanet* a = state.PlanetByName(args[0].Text);
    const TPlanet* b = state.PlanetByName(args[1].Text);
    if (!a || !b) return kEvalFailed;
    return Number(result, state.PlanetDistance(a->X, a->Y, b->X, b->Y) / 100.0);
  }
  if (name == "ATOI(" && args.size() == 1) {
    if (args[0].Type != evString || args[0].Text.empty()) return kEvalFailed;
    return Number(result, FirstIntInStr(args[0].Text));
  }
  if (name == "INVERT(" && args.size() == 1) {
    inverted = true;
    result = args[0];  // a copy: a string keeps its own text
    return result.Type;
  }
  return kEvalFailed;
}

// Group rule: above 0 is true; planet rule: not 0 is true.
int Truth(TPreparedExpression& expression, TEvalCallback& callback, const TGameVariables& game,
          bool groupRule) {
  TEvalValue value;
  const int32_t status = expression.Evaluate(value, {&callback, game.Now, nullptr});
  if (status != evNumber && status != evBoolean) return -1;
  if (groupRule) return value.Number > 0 ? 1 : 0;
  return value.Number != 0 ? 1 : 0;
}

std::optional<TPreparedExpression> Prepare(std::string_view expression) {
  if (expression.size() > kMaxPredicateLength) return std::nullopt;
  return TPreparedExpression(expression);
}

// isInverted() is asked after every item has been tested.
template <class Item, class Test, class Inverted>
TFilterRun Filter(std::string_view expression, const std::vector<Item>& source,
                  std::vector<Item>& destination, Test&& test, Inverted&& isInverted) {
  TFilterRun run;
  destination.clear();
  if (TrimView(expression).empty()) {
    destination = source;
    return run;
  }
  std::vector<char> kept(source.size(), 0);
  for (size_t i = 0; i < source.size(); ++i) {
    const int truth = test(source[i]);
    if (truth == -1 && run.Failed++ == 0) run.FirstFailed = static_cast<int>(i);
    kept[i] = truth != 0;
  }
  run.Inverted = isInverted();
  for (size_t i = 0; i < source.size(); ++i) {
    if (static_cast<bool>(kept[i]) != run.Inverted) destination.push_back(source[i]);
  }
  return run;
}

}  // namespace

std::unordered_map<const TPlanet*, TStationedMass> CollectStationedMasses(const GameState& state) {
  std::unordered_map<const TPlanet*, TStationedMass> masses;
  for (auto [key, race] : state.Players) {
    if (!race) continue;
    for (const auto& group : race->Groups) {
      if (group->Turn != state.LastTurn || group->Distance != 0 || !group->Planet) continue;
      const double mass = group->ShipType ? double{group->ShipType->Mass()} * group->Ships : 0.0;
      TStationedMass& m = masses[group->Planet];
      if (race == state.MainPlayer) {
        m.Mine += mass;
      } else if (race->War) {
        m.Enemy += mass;
      } else {
        m.Friendly += mass;
      }
    }
  }
  return masses;
}

const TStationedMass& TGameVariables::MassAt(const TPlanet& planet) {
  static const TStationedMass kNone;
  if (!masses_) masses_ = CollectStationedMasses(state_);
  const auto it = masses_->find(&planet);
  return it == masses_->end() ? kNone : it->second;
}

int32_t TGroupVariables::Variable(std::string_view name, TEvalValue& value) {
  const std::optional<Var> found = FindVariable(name);
  const TGroup* g = item_.Group;
  if (!found || !g || *found == Var::PtLastOwnerName) return kEvalFailed;
  const Var v = *found;
  const TSentGroupView* sent = item_.Sent;
  if (IsPlanetVariable(v)) {
    // A group the reports place nowhere has no planet figures.
    if (!g->Planet) return kEvalFailed;
    return PlanetValue(v, *g->Planet, game_, value);
  }
  const TShipType* type = g->ShipType;
  if (v >= Var::StNoStationary && !type) return kEvalFailed;
  // A record of the order analysis moves its group: source, destination and arrival are the
  // record's.
  const TPlanet* source = sent ? sent->Source : g->TrackFrom;
  const TPlanet* destination = sent ? sent->Destination : g->TrackTo;
  const int32_t eta = sent ? sent->Turns : g->ETA;
  switch (v) {
    case Var::PlayerName:
      return PlayerName(game_.State(), value);
    case Var::GrCount:
      return Number(value, sent ? sent->Ships : g->Ships);
    case Var::GrEta:
      return Number(value, eta);
    case Var::GrDestination:
      return Text(value, NameOf(destination));
    case Var::GrSource:
      return Text(value, NameOf(source));
    case Var::GrDestinationOwner:
      return Text(value, OwnerNameOf(destination));
    case Var::GrSourceOwner:
      return Text(value, OwnerNameOf(source));
    case Var::GrAvailable: {
      if (sent && sent->Distance != 0) return Number(value, 0);
      if (!game_.Orders()) return kEvalFailed;  // unknown without an analysis
      return Number(value, game_.Orders()->ShipsLeftInGroup(*g));
    }
    case Var::GrTurn:
      return Number(value, g->Turn);
    case Var::GrRange:
      return Number(value, sent ? sent->Distance : g->Distance);
    case Var::GrDriveTech:
      return Number(value, g->DriveTech);
    case Var::GrWeaponsTech:
      return Number(value, g->WeaponsTech);
    case Var::GrShieldsTech:
      return Number(value, g->ShieldsTech);
    case Var::GrCargoTech:
      return Number(value, g->CargoTech);
    case Var::GrLoad:
      return Number(value, g->Load);
    case Var::GrEffCargo:
      return Number(value, g->CargoCapacity());
    case Var::GrEffWeapon:
      return Number(value, g->EffectiveWeapons());
    case Var::GrEffShield:
      return Number(value, g->EffectiveShields());
    case Var::GrEffShieldLoaded:
      return Number(value, g->EffectiveShieldsFullLoad());
    case Var::GrEffSpeed:
      return Number(value, g->Speed());
    case Var::GrEffSpeedLoaded:
      return Number(value, g->SpeedFullLoad());
    case Var::GrEffSpeedNow:
      return Number(value, g->SpeedWithLoad());
    case Var::GrUpgradeCost:
      return Number(value, g->UpgradeCost());
    case Var::GrFleetName:
      return Text(value, g->FleetName);
    case Var::GrOwnerWar:
      if (!g->Owner) return kEvalFailed;
      return Boolean(value, g->Owner->War);
    case Var::GrName:
      return Text(value, g->Owner ? g->Owner->Name : std::string());
    case Var::StNoStationary:
      return Boolean(value, !type->IsStationary());
    case Var::StDriveMass:
      return Number(value, type->Drive);
    case Var::StWeaponsMass:
      return Number(value, type->Weapons);
    case Var::StShieldsMass:
      return Number(value, type->Shields);
    case Var::StCargoMass:
      return Number(value, type->Cargo);
    case Var::StAttacksCount:
      return Number(value, type->Attacks);
    case Var::StMass:
      return Number(value, type->Mass());
    case Var::StName:
      return Text(value, type->Name);
    default:
      return kEvalFailed;
  }
}

int32_t TSubjectVariables::KnowsFunction(std::string_view name, int argCount) {
  return KnowsGameFunction(name, argCount) ? 0 : kEvalFailed;
}

int32_t TSubjectVariables::CallFunction(std::string_view name, std::span<const TEvalValue> args,
                                        TEvalValue& result) {
  return CallGameFunction(game_.State(), name, args, result, inverted_);
}

int32_t TPlanetVariables::Variable(std::string_view name, TEvalValue& value) {
  const std::optional<Var> found = FindVariable(name);
  if (!found || !planet_) return kEvalFailed;
  if (*found == Var::PlayerName) return PlayerName(game_.State(), value);
  if (!IsPlanetVariable(*found) || *found == Var::PtOwnerName) return kEvalFailed;
  return PlanetValue(*found, *planet_, game_, value);
}

int GroupExpressionTrue(std::string_view expression, const TGroupItem& item,
                        TGroupVariables& variables) {
  std::optional<TPreparedExpression> text = Prepare(expression);
  if (!text) return -1;
  variables.SetSubject(item);
  return Truth(*text, variables, variables.Game(), true);
}

int PlanetExpressionTrue(std::string_view expression, const TPlanet& planet,
                         TPlanetVariables& variables) {
  std::optional<TPreparedExpression> text = Prepare(expression);
  if (!text) return -1;
  variables.SetSubject(&planet);
  return Truth(*text, variables, variables.Game(), false);
}

TFilterRun FilterGroupsByExpression(TGameVariables& game, std::string_view expression,
                                    const std::vector<TGroupItem>& source,
                                    std::vector<TGroupItem>& destination) {
  TGroupVariables variables(game);
  std::optional<TPreparedExpression> text = Prepare(expression);
  auto test = [&](const TGroupItem& item) {
    if (!text) return -1;
    variables.SetSubject(item);
    return Truth(*text, variables, game, true);
  };
  return Filter(expression, source, destination, test, [&] { return variables.Inverted(); });
}

TFilterRun FilterPlanetsByExpression(TGameVariables& game, std::string_view expression,
                                     const std::vector<const TPlanet*>& source,
                                     std::vector<const TPlanet*>& destination) {
  TPlanetVariables variables(game);
  std::optional<TPreparedExpression> text = Prepare(expression);
  auto test = [&](const TPlanet* planet) {
    if (!text || !planet) return -1;
    variables.SetSubject(planet);
    return Truth(*text, variables, game, false);
  };
  return Filter(expression, source, destination, test, [&] { return variables.Inverted(); });
}

}  // namespace tovix
