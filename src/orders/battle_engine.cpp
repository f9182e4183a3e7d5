#include "orders/battle_engine.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/model/game_model.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

// ln 4, rounded to six decimals as the kill formula has it.
constexpr double kLn4 = 1.386294;

// The chance as CanHurt reads it: a ratio not above 0 counts as ln = -1.
double SafeChance(float w, float s) {
  const double ratio = static_cast<double>(w) / s;
  const double ln = ratio > 0 ? std::log(ratio) : -1.0;
  return (ln / kLn4 + 1) / 2;
}

}  // namespace

TBatGroup MakeBatGroup(const TGroup& group, float load) {
  TBatGroup g;
  g.Ships = group.Ships;
  g.MinSurvivors = group.Ships;
  g.DriveTech = group.DriveTech;
  g.WeaponsTech = group.WeaponsTech;
  g.ShieldsTech = group.ShieldsTech;
  g.Load = load;
  const float loadMass = group.CargoTech > 0 ? load / group.CargoTech : 0.0f;
  g.EffShields = group.EffectiveShieldsWithLoad(loadMass);
  g.EffWeapons = group.EffectiveWeapons();
  g.Speed = group.SpeedWithLoad();
  if (group.ShipType) {
    g.Attacks = group.ShipType->Attacks;
    g.Weapons = group.ShipType->Weapons;
    g.Shields = group.ShipType->Shields;
    g.Mass = group.ShipType->Mass() + loadMass;
    g.Name = group.ShipType->Name;
  }
  return g;
}

float KillChance(float w, float s) {
  return static_cast<float>((std::log(static_cast<double>(w) / s) / kLn4 + 1) / 2);
}

float ShotChance(float w, float s) {
  if (w <= 0) return 0;
  return s > 0 ? KillChance(w, s) : 1.0f;
}

bool CanHurt(const TBatGroup& shooter, const TBatGroup& target) {
  if (shooter.EffWeapons <= 0) return false;
  if (target.EffShields == 0) return true;
  return SafeChance(shooter.EffWeapons, target.EffShields) > 0;
}

TBattleEngine::TBattleEngine(TBattleRandom& random, TBattleHooks hooks)
    : random_(random), hooks_(std::move(hooks)) {}

void TBattleEngine::Execute(std::vector<TBatGroup> attackers, std::vector<TBatGroup> defenders) {
  attackers_ = TSide{};
  defenders_ = TSide{};
  LoadSide(attackers_, std::move(attackers));
  LoadSide(defenders_, std::move(defenders));
  RunBattles();
  FlushLog();
}

void TBattleEngine::FlushLog() {
  if (log_.empty()) return;
  if (hooks_.Flush) hooks_.Flush(std::move(log_));
  log_.clear();
}

void TBattleEngine::LoadSide(TSide& side, std::vector<TBatGroup> groups) {
  log_.emplace_back();
  log_.emplace_back("==== Loading Player Data ====");
  // Armed groups first; each kind in reverse list order.
  side.Groups.clear();
  for (auto it = groups.rbegin(); it != groups.rend(); ++it)
    if (it->Attacks > 0) side.Groups.push_back(std::move(*it));
  for (auto it = groups.rbegin(); it != groups.rend(); ++it)
    if (it->Attacks <= 0) side.Groups.push_back(std::move(*it));
  int64_t ships = 0;
  for (const TBatGroup& g : side.Groups) ships += std::max(g.Ships, 0);
  log_.emplace_back("-- Allocating Battle Array...");
  log_.push_back(Fmt("-- Total number of ships %d.", ships));
  side.Slots.assign(static_cast<size_t>(ships) + 1, 0);
  log_.emplace_back("-- Allocating Group Array...");
  log_.push_back(Fmt("-- Total number of groups %d.", side.Groups.size()));
  side.NoWeaponsLogged.assign(side.Groups.size(), 0);
  PrepareKillTables();
}

void TBattleEngine::PrepareKillTables() {
  auto prepare = [](TSide& shooters, const TSide& targets) {
    shooters.Kill.assign(shooters.Groups.size() * targets.Groups.size(), 0.0f);
    shooters.Hurts.assign(shooters.Kill.size(), 0);
    shooters.LiveGroups.assign(shooters.Groups.size(), 0);
    size_t i = 0;
    for (const TBatGroup& s : shooters.Groups) {
      for (const TBatGroup& t : targets.Groups) {
        shooters.Hurts[i] = CanHurt(s, t);
        shooters.Kill[i++] = ShotChance(s.EffWeapons, t.EffShields);
      }
    }
  };
  prepare(attackers_, defenders_);
  prepare(defenders_, attackers_);
}

void TBattleEngine::RunBattles() {
  log_.emplace_back();
  log_.emplace_back();
  log_.emplace_back("====== Battle Simulation =====");
  for (TSide* side : {&attackers_, &defenders_}) {
    for (TBatGroup& g : side->Groups) {
      g.TotalSurvivors = 0;
      g.MaxSurvivors = 0;
      g.MinSurvivors = g.Ships;
    }
  }
  FlushLog();

  int32_t i = 0;
  attackerWins_ = 0;
  defenderWins_ = 0;
  while (i < BattleCount) {
    TBattleResult result;
    if (i % 2 == 0) {
      result = FightBattle(false);
      if (result == TBattleResult::FirstWins)
        result = TBattleResult::SecondWins;
      else if (result == TBattleResult::SecondWins)
        result = TBattleResult::FirstWins;
    } else {
      result = FightBattle(true);
    }
    if (result == TBattleResult::FirstWins) ++attackerWins_;
    if (result == TBattleResult::SecondWins) ++defenderWins_;
    if (Verbose) {
      static const char* const kResultLines[] = {"Draw", "Attacker Wins.", "Defender Wins.",
                                                 "Battle stopped."};
      log_.emplace_back(kResultLines[static_cast<int>(result)]);
    }
    if (result != TBattleResult::Stopped) {
      CountSurvivors(attackers_);
      CountSurvivors(defenders_);
      ++i;
    } else if (declined_ && !StopRequested()) {
      --BattleCount;  // a No ends this battle: one battle fewer
    }
    if (Verbose) FlushLog();
    if (StopRequested()) BattleCount = i;
  }

  log_.emplace_back();
  log_.emplace_back();
  log_.emplace_back("-- Ready...");
  log_.emplace_back();
  log_.emplace_back();
  log_.emplace_back("======== Battle Report =======");
  log_.push_back("Battles fought: " + std::to_string(BattleCount));
  log_.push_back(Fmt("Attacker wins %d battles", attackerWins_));
  log_.push_back(Fmt("Defender wins %d battles", defenderWins_));
  if (attackerWins_ + defenderWins_ < 1) {
    log_.emplace_back("Game is a draw.");
  } else {
    log_.push_back(
        Fmt("Attacker has a %.2f %1s chance to win.", attackerWins_ * 100.0 / BattleCount, "%"));
  }
  log_.emplace_back();
  log_.emplace_back("== Attacker Survival Count ==");
  ReportSurvival(attackers_);
  log_.emplace_back();
  log_.emplace_back("== Defender Survival Count ==");
  ReportSurvival(defenders_);
}

void TBattleEngine::InitBattleArray(TSide& side) {
  // Every ship lives, also when the battle ends before a shot (no armed ships on a side).
  side.CurrentSize = static_cast<int32_t>(side.Slots.size());
  side.Slots[0] = 0;
  size_t slot = 1;
  side.ArmedCount = 0;
  for (size_t k = 0; k < side.Groups.size(); ++k) {
    const TBatGroup& g = side.Groups[k];
    for (int32_t n = 0; n < g.Ships; ++n) side.Slots[slot++] = static_cast<int32_t>(k + 1);
    if (g.Attacks > 0) side.ArmedCount += std::max(g.Ships, 0);
  }
}

void TBattleEngine::ShuffleArmedShips(TSide& side) {
  const int32_t n = side.ArmedCount;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t a = random_.Below(n) + 1;
    const int32_t b = random_.Below(n) + 1;
    std::swap(side.Slots[a], side.Slots[b]);
  }
}

TBattleResult TBattleEngine::FightBattle(bool attackersFirst) {
  TSide& first = attackersFirst ? attackers_ : defenders_;
  TSide& second = attackersFirst ? defenders_ : attackers_;
  declined_ = false;
  InitBattleArray(first);
  InitBattleArray(second);
  if (first.ArmedCount == 0 || second.ArmedCount == 0) {
    log_.emplace_back("One of the players has no armed ships!");
    if (first.ArmedCount == 0 && second.ArmedCount == 0) return TBattleResult::Draw;
    // The armed side shoots the unarmed ships down by the same rules; the other never fires.
  }
  ShuffleArmedShips(first);
  ShuffleArmedShips(second);
  for (TSide* side : {&first, &second}) {
    side->Alive = 1;
    side->Fired = 1;
  }
  bool stalemate = false;
  int32_t round = 1;
  for (;;) {
    if (first.Alive < 1 || second.Alive < 1 || stalemate) {
      if (first.Alive != 0 && second.Alive != 0) return TBattleResult::Draw;
      return first.Alive == 0 ? TBattleResult::SecondWins : TBattleResult::FirstWins;
    }
    if (StopRequested()) return TBattleResult::Stopped;
    first.FiringCursor = 1;
    second.FiringCursor = 1;
    do {
      FireShipAttacks(first, second);
      FireShipAttacks(second, first);
    } while (first.Alive != 0 && second.Alive != 0 && (first.Fired != 0 || second.Fired != 0));
    // A draw only when nobody can hurt anybody: a side that can still kill some ships of the
    // other (its unarmed ones, say) goes on shooting.
    if (first.Alive != 0 && second.Alive != 0) stalemate = NoneCanHurt(first, second);
    if (++round == 10000) {
      const bool goOn = hooks_.AskContinue ? hooks_.AskContinue() : true;
      if (!goOn) {
        declined_ = true;
        return TBattleResult::Stopped;
      }
      round = 1;
    }
  }
}

void TBattleEngine::FireShipAttacks(TSide& shooters, TSide& targets) {
  // The next ship of this side that has not fired in this round.
  int32_t group = 0;
  while (shooters.FiringCursor <= shooters.ArmedCount) {
    const int32_t slot = shooters.FiringCursor++;
    if (shooters.Slots[slot] != 0) {
      group = shooters.Slots[slot];
      shooters.Fired = slot;
      break;
    }
  }
  if (group == 0) {
    shooters.Fired = 0;
    return;
  }
  const TBatGroup& shooter = shooters.Groups[group - 1];
  const size_t enemies = targets.Groups.size();
  const float* kill = shooters.Kill.data() + static_cast<size_t>(group - 1) * enemies;
  for (int32_t left = shooter.Attacks; left >= 1 && targets.Alive != 0; --left) {
    const int32_t slot = PickTarget(targets);
    targets.Alive = slot;
    if (slot == 0) break;
    const int32_t target = targets.Slots[slot];
    if (shooter.EffWeapons <= 0 && !shooters.NoWeaponsLogged[group - 1]) {
      shooters.NoWeaponsLogged[group - 1] = 1;
      log_.emplace_back("ERROR Attacker without weapons!!!");
    }
    const bool destroyed = ShotDestroys(kill[target - 1], random_);
    if (Verbose) {
      log_.push_back(
          Fmt("%20s [%3d] attacks %-20s", shooter.Name, left, targets.Groups[target - 1].Name) +
          (destroyed ? " -- Destroyed" : " -- Survived"));
    }
    if (destroyed) targets.Slots[slot] = 0;
  }
}

int32_t TBattleEngine::PickTarget(TSide& side) {
  if (side.CurrentSize == 0) throw std::logic_error("ERROR: internal error -- bat_array_size == 0");
  if (side.CurrentSize == 1) return 0;
  for (int probe = 0; probe < 10; ++probe) {
    const int32_t slot = random_.Below(side.CurrentSize - 1) + 1;
    if (side.Slots[slot] != 0) return slot;
  }
  // Ten misses: move the live ships down, armed ones stay in front.
  int32_t armed = 0;
  for (int32_t i = 1; i <= side.ArmedCount; ++i) armed += side.Slots[i] != 0;
  int32_t live = 0;
  int32_t deadBelowCursor = 0;
  for (int32_t i = 1; i < side.CurrentSize; ++i) {
    if (side.Slots[i] != 0)
      side.Slots[++live] = side.Slots[i];
    else if (i < side.FiringCursor)
      ++deadBelowCursor;
  }
  side.FiringCursor -= deadBelowCursor;
  side.ArmedCount = armed;
  side.CurrentSize = live + 1;
  if (side.CurrentSize == 1) return 0;
  const int32_t slot = random_.Below(side.CurrentSize - 1) + 1;
  if (side.Slots[slot] == 0) {
    log_.emplace_back("ERROR: Internal error -- cant find ship after comp.");
    log_.push_back(Fmt(" ship = %d", slot));
    for (int32_t i = 0; i < side.CurrentSize; ++i) log_.push_back(Fmt("[%d]", side.Slots[i]));
    return 0;
  }
  return slot;
}

bool TBattleEngine::NoneCanHurt(TSide& first, TSide& second) {
  auto markLive = [](TSide& side) {
    std::fill(side.LiveGroups.begin(), side.LiveGroups.end(), 0);
    bool any = false;
    for (int32_t i = 1; i < side.CurrentSize; ++i) {
      if (side.Slots[i] == 0) continue;
      side.LiveGroups[side.Slots[i] - 1] = 1;
      any = true;
    }
    return any;
  };
  // A side whose last ship fell in this round loses in the next: that is no draw.
  if (!markLive(first) || !markLive(second)) return false;
  auto canHurtAny = [](const TSide& shooters, const TSide& targets) {
    const size_t enemies = targets.Groups.size();
    for (size_t s = 0; s < shooters.Groups.size(); ++s) {
      if (!shooters.LiveGroups[s] || shooters.Groups[s].Attacks <= 0) continue;
      for (size_t t = 0; t < enemies; ++t)
        if (targets.LiveGroups[t] && shooters.Hurts[s * enemies + t]) return true;
    }
    return false;
  };
  return !canHurtAny(first, second) && !canHurtAny(second, first);
}

int32_t TBattleEngine::LiveShips(bool attackers) const {
  const TSide& side = attackers ? attackers_ : defenders_;
  int32_t live = 0;
  for (int32_t i = 1; i < side.CurrentSize; ++i) live += side.Slots[i] != 0;
  return live;
}

void TBattleEngine::CountSurvivors(TSide& side) {
  for (TBatGroup& g : side.Groups) g.Survivors = 0;
  for (int32_t i = 1; i < side.CurrentSize; ++i)
    if (side.Slots[i] != 0) ++side.Groups[side.Slots[i] - 1].Survivors;
  for (TBatGroup& g : side.Groups) {
    g.TotalSurvivors += g.Survivors;
    g.MaxSurvivors = std::max(g.MaxSurvivors, g.Survivors);
    g.MinSurvivors = std::min(g.MinSurvivors, g.Survivors);
  }
}

void TBattleEngine::ReportSurvival(const TSide& side) {
  std::vector<const TBatGroup*> groups;
  for (const TBatGroup& g : side.Groups) groups.push_back(&g);
  std::stable_sort(groups.begin(), groups.end(), [](const TBatGroup* a, const TBatGroup* b) {
    return LowerCase(a->Name) < LowerCase(b->Name);
  });
  log_.emplace_back();
  log_.emplace_back("   # #Att    Ef W    Ef S                 T Surv Rate  Min    Max");
  double fleetMass = 0;
  double survivingMass = 0;
  for (const TBatGroup* g : groups) {
    const int64_t shots = static_cast<int64_t>(g->Ships) * BattleCount;
    std::string line =
        Fmt("%4d %4d %7.2f %7.2f ", g->Ships, g->Attacks, g->EffWeapons, g->EffShields) +
        Fmt("%20s", g->Name);
    const double mass = static_cast<double>(g->Ships) * g->Mass;
    fleetMass += mass;
    if (shots > 0) {
      const double rate = static_cast<float>(static_cast<double>(g->TotalSurvivors) / shots);
      line += Fmt(" %3.2f", rate);
      survivingMass += mass * rate;
    } else {
      line += " -";  // no battle fought, or no ships: no rate
    }
    line += Fmt("      %4d %4d", g->MinSurvivors, g->MaxSurvivors);
    log_.push_back(std::move(line));
  }
  log_.push_back(Fmt("Total fleet mass     %6.0f", fleetMass));
  if (BattleCount > 0) {
    log_.push_back(Fmt("Total surviving mass %6.0f", survivingMass));
    log_.push_back(Fmt("Total loss           %6.0f", fleetMass - survivingMass));
  } else {
    log_.push_back(Fmt("Total surviving mass %6s", "-"));
    log_.push_back(Fmt("Total loss           %6s", "-"));
  }
  log_.emplace_back();
}

}  // namespace tovix
