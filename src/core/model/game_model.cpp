#include "core/model/game_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "core/model/game_state.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

// Shield strength grows with the cube root of the mass it has to protect; 3.107232506 makes a
// ship of mass 30 with shields 1 come out as 1.
constexpr double kCubeRoot = 0.33333333;
constexpr double kShieldFactor = 3.107232506;

float ShieldStrength(float shieldsTech, float shields, double mass) {
  // A design of no mass cannot come from a report; it would give infinity.
  if (mass <= 0) return 0;
  return static_cast<float>(shieldsTech * shields / std::pow(mass, kCubeRoot) * kShieldFactor);
}

}  // namespace

// --- TTurnArray -----------------------------------------------------------------------------

template <class T>
void TTurnArray<T>::SetTurnCount(int32_t turn) {
  const int64_t needed = int64_t{std::min(turn, kMaxTurn)} + 3;
  if (needed > static_cast<int64_t>(values_.size())) values_.resize(static_cast<size_t>(needed));
}

template <class T>
int32_t TTurnArray<T>::LatestTurn() const {
  if constexpr (std::is_floating_point_v<T>) {
    return RoundToInt(Element(1));
  } else {
    return Element(1);
  }
}

namespace {

// now - before; whole numbers are subtracted in 64 bits and the result saturates at the limits
// of their type.
template <class T>
T Difference(T now, T before) {
  if constexpr (std::is_integral_v<T>) {
    const int64_t difference = int64_t{now} - int64_t{before};
    return static_cast<T>(std::clamp<int64_t>(difference, std::numeric_limits<T>::min(),
                                              std::numeric_limits<T>::max()));
  } else {
    return now - before;
  }
}

}  // namespace

template <class T>
T TTurnArray<T>::Delta(int32_t turn) const {
  if (turn == 0) return T{};
  // The turn before the latest may be -1 (latest turn 0): Get then gives the latest value
  // itself and the change is 0, as for turn 0.
  if (turn < 0) return Difference(Get(-1), Get(LatestTurn() - 1));
  return Difference(Get(turn), Get(turn - 1));
}

template <class T>
bool TTurnArray<T>::Set(int32_t turn, T value) {
  if (turn > kMaxTurn) return false;
  if (turn < 0) {
    if (values_.empty()) values_.resize(2);
    values_[0] = value;
    return true;
  }
  SetTurnCount(turn);
  values_[static_cast<size_t>(turn) + 2] = value;
  values_[0] = value;
  values_[1] = static_cast<T>(turn);
  return true;
}

template class TTurnArray<float>;
template class TTurnArray<int32_t>;

// --- TShipType ------------------------------------------------------------------------------

float TShipType::WeaponsMass() const {
  if (Attacks > 1) return static_cast<float>(Weapons * (1 + (Attacks - 1) / 2.0));
  return Weapons;
}

float TShipType::Mass() const {
  if (gameType_ == TGameType::NGBlind && Drive < 0) return ReportedMass;
  if (Attacks > 1) return static_cast<float>(double{Drive} + Shields + Cargo + WeaponsMass());
  return static_cast<float>(double{Drive} + Weapons + Shields + Cargo);
}

std::unique_ptr<TShipType> TShipType::Clone() const {
  auto copy = std::make_unique<TShipType>(Name, gameType_);
  copy->Drive = Drive;
  copy->Attacks = Attacks;
  copy->Weapons = Weapons;
  copy->Shields = Shields;
  copy->Cargo = Cargo;
  return copy;
}

// --- TGroup ---------------------------------------------------------------------------------

float TGroup::ShipMass() const {
  return ShipType ? ShipType->Mass() : 0.0f;
}

float TGroup::CargoCapacity() const {
  if (CargoTech == -1) return -1;
  if (!ShipType) return 0;
  const double c = ShipType->Cargo;
  return static_cast<float>((c + c * c / 10) * CargoTech);
}

float TGroup::EffectiveWeapons() const {
  if (WeaponsTech == -1) return -1;
  if (!ShipType) return 0;
  return ShipType->Weapons * WeaponsTech;
}

float TGroup::EffectiveShields() const {
  if (ShieldsTech == 0) return 0;
  if (ShieldsTech == -1) return -1;
  if (!ShipType) return 0;
  return ShieldStrength(ShieldsTech, ShipType->Shields, ShipMass());
}

float TGroup::EffectiveShieldsWithLoad(float load) const {
  if (ShieldsTech == -1) return -1;
  if (!ShipType) return 0;
  return ShieldStrength(ShieldsTech, ShipType->Shields, double{ShipMass()} + load);
}

float TGroup::EffectiveShieldsFullLoad() const {
  if (ShieldsTech == -1) return -1;
  if (CargoTech > 0) return EffectiveShieldsWithLoad(CargoCapacity() / CargoTech);
  return EffectiveShields();
}

float TGroup::SpeedAtMass(float mass) const {
  // No design, or one without mass, does not move.
  if (!ShipType || mass <= 0) return 0;
  return static_cast<float>(double{ShipType->Drive} * DriveTech * 20 / mass);
}

float TGroup::Speed() const {
  if (DriveTech == -1) return -1;
  if (!FleetName.empty()) return FleetSpeed;
  return SpeedAtMass(ShipMass());
}

float TGroup::SpeedFullLoad() const {
  if (DriveTech == -1) return -1;
  if (!FleetName.empty()) return FleetSpeed;
  const float capacity = CargoCapacity();
  if (capacity > 0 && CargoTech > 0) return SpeedAtMass(ShipMass() + capacity / CargoTech);
  return SpeedAtMass(ShipMass());
}

float TGroup::SpeedWithLoad() const {
  if (DriveTech == -1) return -1;
  if (!FleetName.empty()) return FleetSpeed;
  if (Load > 0 && CargoTech > 0) return SpeedAtMass(ShipMass() + Load / CargoTech);
  return SpeedAtMass(ShipMass());
}

float TGroup::UpgradeCost() const {
  if (!Owner || !ShipType) return 0;
  const float d = Owner->GetDrive(-1);
  const float w = Owner->GetWeapons(-1);
  const float sh = Owner->GetShields(-1);
  const float c = Owner->GetCargo(-1);
  if (d == 0 || w == 0 || sh == 0 || c == 0) return 0;
  const TShipType& s = *ShipType;
  const double cost =
      (1 - double{DriveTech} / d) * s.Drive + (1 - double{WeaponsTech} / w) * s.WeaponsMass() +
      (1 - double{ShieldsTech} / sh) * s.Shields + (1 - double{CargoTech} / c) * s.Cargo;
  return static_cast<float>(10 * cost);
}

std::unique_ptr<TGroup> TGroup::Clone() const {
  auto copy = std::make_unique<TGroup>();
  if (ShipType) {
    copy->ownShipType_ = ShipType->Clone();
    copy->ShipType = copy->ownShipType_.get();
  }
  copy->Planet = Planet;
  copy->Owner = Owner;
  copy->Origin = Origin;
  copy->DriveTech = DriveTech;
  copy->WeaponsTech = WeaponsTech;
  copy->ShieldsTech = ShieldsTech;
  copy->CargoTech = CargoTech;
  copy->Ships = Ships;
  copy->CargoType = CargoType;
  copy->BattleShips = BattleShips;
  copy->GroupNumber = GroupNumber;
  copy->Distance = Distance;
  copy->Turn = Turn;
  copy->FleetName = FleetName;
  return copy;
}

// --- TPlayer --------------------------------------------------------------------------------

TPlayer::TPlayer(int32_t turnCount) {
  SetTurnCount(turnCount);
}

void TPlayer::SetTurnCount(int32_t turn) {
  Drive.SetTurnCount(turn);
  Weapons.SetTurnCount(turn);
  Shields.SetTurnCount(turn);
  Cargo.SetTurnCount(turn);
  Population.SetTurnCount(turn);
  Industry.SetTurnCount(turn);
  PlanetSize.SetTurnCount(turn);
  PlanetCount.SetTurnCount(turn);
}

float TPlayer::GetEffectiveIndustry(int32_t turn) const {
  const float industry = Industry.Get(turn);
  const float population = Population.Get(turn);
  if (population > industry) return industry + (population - industry) / 4;
  return industry;
}

float TPlayer::EffectiveIndustryDelta(int32_t turn) const {
  if (turn == 0) return 0;
  if (turn < 0) return GetEffectiveIndustry(-1) - GetEffectiveIndustry(Industry.LatestTurn() - 1);
  return GetEffectiveIndustry(turn) - GetEffectiveIndustry(turn - 1);
}

float TPlayer::PopulationGrowthPercent(int32_t turn) const {
  if (turn == 0) return 0;
  float now, before;
  if (turn < 0) {
    now = Population.Get(-1);
    before = Population.Get(Population.LatestTurn() - 1);
  } else {
    now = Population.Get(turn);
    before = Population.Get(turn - 1);
  }
  if (before > 0) return 100 * (now - before) / before;
  return 0;
}

bool TPlayer::SetTurnValues(int32_t turn, std::string name, bool war, int32_t planetCount,
                            float industry, float population, float cargo, float shields,
                            float weapons, float drive) {
  Name = std::move(name);
  War = war;
  if (turn > kMaxTurn) return false;
  Drive.Set(turn, drive);
  Weapons.Set(turn, weapons);
  Shields.Set(turn, shields);
  Cargo.Set(turn, cargo);
  Population.Set(turn, population);
  Industry.Set(turn, industry);
  PlanetCount.Set(turn, planetCount);
  return MarkKnown(turn);
}

bool TPlayer::MarkKnown(int32_t turn) {
  anyKnown_ = true;
  if (turn < 0) return true;
  if (static_cast<size_t>(turn) >= known_.size()) known_.resize(static_cast<size_t>(turn) + 1);
  known_[static_cast<size_t>(turn)] = true;
  return true;
}

bool TPlayer::IsKnown(int32_t turn) const {
  if (turn < 0) return anyKnown_;
  return static_cast<size_t>(turn) < known_.size() && known_[static_cast<size_t>(turn)];
}

void TPlayer::Rename(std::string_view newName) {
  if (SameText(newName, Name)) return;
  Alias = Alias.empty() ? Name : Alias + " " + Name;
  Name = std::string(newName);
}

TShipType* TPlayer::AddShipType(std::unique_ptr<TShipType> type) {
  if (TShipType* known = FindShipType(type->Name)) return known;
  std::string key = type->Name;
  const int index = ShipTypes.AddObject(std::move(key), std::move(type));
  return ShipTypes.Object(index);
}

TShipType* TPlayer::FindShipType(std::string_view name) const {
  for (int i = ShipTypes.Count() - 1; i >= 0; --i) {
    TShipType* type = ShipTypes.Object(i);
    // Names of another length are passed over without comparing them.
    if (type && type->Name.size() == name.size() && SameText(type->Name, name)) return type;
  }
  return nullptr;
}

// --- TPlanet --------------------------------------------------------------------------------

void TPlanet::SetValues(std::string_view name, std::string_view productionText, int32_t x,
                        int32_t y, float size, float population, float industry, float resources,
                        int32_t productionCargo, float capital, float material, float colonists,
                        bool ownReport) {
  if (!SameBytes(Name, name)) Name.assign(name);
  if (ownReport || !productionText.empty()) {
    if (ReportProduction != productionText) ReportProduction.assign(productionText);
    if (Production != productionText) Production.assign(productionText);
  }
  X = x;
  Y = y;
  Size = size;
  Population = population;
  Industry = industry;
  Resources = resources;
  ProductionCargo = productionCargo;
  Capital = capital;
  Material = material;
  Colonists = colonists;
}

void TPlanet::SetOwner(TOwnerRef owner, int32_t lastTurn) {
  if (owner.IsNone()) {
    if (OwnerState == osNeverSeen) {
      LastOwnerName.assign(1, '-');
      OwnerState = osKnown;
      LastOwner = nullptr;
      OwnerTurn = -1;
    }
    if (OwnerState == osUnknownNow || (OwnerState == osKnown && !Owner.IsNone())) {
      OwnerState = osUninhabitedNow;
      OwnerTurn = lastTurn;
    }
    Owner = TOwnerRef::None();
  } else if (TPlayer* race = owner.Player()) {
    LastOwnerName = race->Name;
    OwnerState = osKnown;
    LastOwner = race;
    OwnerTurn = lastTurn;
    Owner = owner;
  } else {
    if (LastOwner) LastOwnerName = LastOwner->Name;
    // A race another report of the same turn named wins over "unknown". OwnerTurn stays the
    // turn the owner was last known in.
    if (lastTurn != 0 && lastTurn <= OwnerTurn) return;
    OwnerState = osUnknownNow;
    Owner = TOwnerRef::Unknown();
  }
}

int32_t TPlanet::SetDistanceFrom(const TGameSettings& settings, int32_t x, int32_t y) {
  Distance = RoundToInt(PlanetDistance(settings, X, Y, x, y));
  return Distance;
}

float TPlanet::EffectiveIndustry() const {
  if (Population > Industry) return Industry + (Population - Industry) / 4;
  return Industry;
}

int32_t TPlanet::ProductionType() const {
  if (SameText(Production, "drive")) return pcDrive;
  if (SameText(Production, "weapons")) return pcWeapons;
  if (SameText(Production, "SHIELDS")) return pcShields;
  if (SameText(Production, "CARGO")) return pcCargo;
  if (SameText(Production, "MAT")) return pcMat;
  if (SameText(Production, "CAP")) return pcCap;
  return pcShip;
}

float TPlanet::ProductionForIndustry(float industry) const {
  const TPlayer* owner = Owner.Player();
  if (!owner) return 0;
  const double i = industry;
  const double r = Resources;
  switch (ProductionType()) {
    case pcMat:
      return static_cast<float>(i * r);
    case pcDrive:
    case pcWeapons:
    case pcShields:
      return static_cast<float>(i / 5000);
    case pcCargo:
      return static_cast<float>(i / 2500);
    case pcCap:
      // Without resources the formula divides by zero; such a planet makes no capital.
      if (r <= 0) return 0;
      return static_cast<float>(std::min((Material / r + i) / (1 / r + 5), i / 5));
    default: {
      const TShipType* type = owner->FindShipType(Production);
      if (!type) return 0;
      const double mass = type->Mass();
      if (mass <= 0 || r <= 0) return 0;
      return static_cast<float>(std::min((Material / r + i) / (1 / r + 10), i / 10) / mass);
    }
  }
}

float TPlanet::IndustryForPlan(const IDevelopmentPlan& plan) const {
  const IDevPlanetRecord* record = plan.FindDevPlanet(*this);
  return record ? record->ProjectedIndustry() : EffectiveIndustry();
}

float TPlanet::ProductionAmount(const IDevelopmentPlan& plan) const {
  return ProductionForIndustry(IndustryForPlan(plan));
}

float TPlanet::ShipMassAtFullSize() const {
  if (Resources <= 0) return 0;
  return static_cast<float>(Size / (1 / double{Resources} + 10));
}

float TPlanet::ShipMassPerTurn(const IDevelopmentPlan& plan) const {
  if (Resources <= 0) return 0;
  const double i = IndustryForPlan(plan);
  const double r = Resources;
  return static_cast<float>(std::min((Material / r + i) / (1 / r + 10), i / 10));
}

// --- Bombings -------------------------------------------------------------------------------

const char* CargoText(int32_t code, const char* other) {
  switch (code) {
    case pcCap:
      return "CAP";
    case pcCol:
      return "COL";
    case pcMat:
      return "MAT";
    default:
      return other;
  }
}

int32_t BombingProductionCode(std::string_view text) {
  if (text == "CAP") return pcCap;
  if (text == "COL") return pcCol;
  if (text == "MAT") return pcMat;
  return pcNone;
}

}  // namespace tovix
