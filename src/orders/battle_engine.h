#pragma once
// The battle simulator's engine: plays the same battle between two sets of groups many times,
// with random target choice and random kills, and writes a text report of the win chances and
// of the survivors of every group. It knows no thread and no window: report lines go to a sink,
// the question after 9,999 rounds of one battle goes to a callback, and a stop flag ends the run.
//
// Each side keeps one flat array of ship slots (the group number of a live ship, 0 once it is
// destroyed), armed ships in front, so a battle allocates nothing after loading. Target search
// probes ten random slots, then compacts the array.

#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace tovix {

class TGroup;

// The simulator's random source: uniform integers below n and uniform reals in [0, 1), the same
// on every platform for one seed.
class TBattleRandom {
 public:
  explicit TBattleRandom(uint64_t seed) : engine_(seed) {}
  // 0 .. n - 1; n must be above 0.
  int32_t Below(int32_t n) {
    return static_cast<int32_t>(((engine_() >> 32) * static_cast<uint64_t>(n)) >> 32);
  }
  double Real() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

 private:
  std::mt19937_64 engine_;
};

// One group inside one simulation run.
struct TBatGroup {
  int32_t Ships = 0;
  int32_t Survivors = 0;       // at the end of the last battle
  int32_t TotalSurvivors = 0;  // over all counted battles
  int32_t MaxSurvivors = 0;
  int32_t MinSurvivors = 0;
  int32_t Attacks = 0;
  float Weapons = 0;
  float Shields = 0;
  float DriveTech = 0;
  float WeaponsTech = 0;
  float ShieldsTech = 0;
  float Load = 0;  // cargo per ship
  float EffShields = 0;
  float EffWeapons = 0;
  float Speed = 0;
  float Mass = 0;  // one ship with its load
  std::string Name;
};

// The figures of `group` with `load` per ship. A load weighs load / cargo technology, as the
// group's speed with load counts it.
TBatGroup MakeBatGroup(const TGroup& group, float load);

// The chance that one shot of weapons `w` destroys a ship of shields `s`:
// (ln(w / s) / 1.386294 + 1) / 2, computed in double precision and held as single. It may lie
// outside 0 .. 1 (at or above 1 always kills, at or below 0 never). Only for w and s above 0.
float KillChance(float w, float s);
// The chance the engine uses for one shot: 0 for weapons of 0 or below (such shots never kill),
// 1 for shields of 0 or below, else KillChance.
float ShotChance(float w, float s);
// One kill test at chance `p`: at or above 1 always, at or below 0 never, else a draw r < p.
inline bool ShotDestroys(float p, TBattleRandom& random) {
  return p >= 1 || (p > 0 && random.Real() < p);
}

// What the engine reports through.
struct TBattleHooks {
  // Receives the collected report lines (FlushLog).
  std::function<void(std::vector<std::string>&& lines)> Flush;
  // "10000 rounds. Continue with this battle?": true goes on, false ends the battle uncounted.
  // Without a callback the battle goes on.
  std::function<bool()> AskContinue;
  // Set by the caller to end the run; checked every round. May be null.
  const std::atomic<bool>* Stop = nullptr;
};

// Result of one battle.
enum class TBattleResult { Draw = 0, FirstWins = 1, SecondWins = 2, Stopped = 3 };

class TBattleEngine {
 public:
  TBattleEngine(TBattleRandom& random, TBattleHooks hooks);

  bool Verbose = false;
  int32_t BattleCount = 0;  // lowered to the battles fought when the run is stopped

  // The whole run: loads both sides, fights BattleCount battles and writes the report.
  void Execute(std::vector<TBatGroup> attackers, std::vector<TBatGroup> defenders);

  // The steps of a run, for tests.
  void LoadAttackers(std::vector<TBatGroup> groups) { LoadSide(attackers_, std::move(groups)); }
  void LoadDefenders(std::vector<TBatGroup> groups) { LoadSide(defenders_, std::move(groups)); }
  void RunBattles();
  // One battle: the attackers open when `attackersFirst`. The result names the side that
  // opened as the first.
  TBattleResult FightBattle(bool attackersFirst);
  void FlushLog();

  int32_t AttackerWins() const { return attackerWins_; }
  int32_t DefenderWins() const { return defenderWins_; }
  // The groups of a side in loading order (armed groups first); their survivor counters.
  const std::vector<TBatGroup>& Attackers() const { return attackers_.Groups; }
  const std::vector<TBatGroup>& Defenders() const { return defenders_.Groups; }
  // The live ships of a side now, e.g. after FightBattle.
  int32_t LiveShips(bool attackers) const;
  // The lines not yet flushed.
  const std::vector<std::string>& Log() const { return log_; }

 private:
  struct TSide {
    std::vector<TBatGroup> Groups;  // group k (1-based) is Groups[k - 1]
    std::vector<int32_t> Slots;     // slot 0 always 0
    std::vector<float> Kill;        // Kill[(k - 1) * enemy groups + (j - 1)]: k firing at j
    std::vector<char> Hurts;        // CanHurt of the same pairs
    std::vector<char> LiveGroups;   // scratch: groups with a live ship
    std::vector<char> NoWeaponsLogged;
    int32_t ArmedCount = 0;
    int32_t FiringCursor = 1;
    int32_t CurrentSize = 0;
    int32_t Fired = 0;
    int32_t Alive = 0;
  };

  void LoadSide(TSide& side, std::vector<TBatGroup> groups);
  // The kill chances of every pair of groups; after each load.
  void PrepareKillTables();
  static void InitBattleArray(TSide& side);
  void ShuffleArmedShips(TSide& side);
  void FireShipAttacks(TSide& shooters, TSide& targets);
  int32_t PickTarget(TSide& side);
  // No live armed ship of either side can hurt a live ship of the other.
  bool NoneCanHurt(TSide& first, TSide& second);
  static void CountSurvivors(TSide& side);
  void ReportSurvival(const TSide& side);
  bool StopRequested() const { return hooks_.Stop && hooks_.Stop->load(std::memory_order_relaxed); }

  TBattleRandom& random_;
  TBattleHooks hooks_;
  TSide attackers_;
  TSide defenders_;
  std::vector<std::string> log_;
  int32_t attackerWins_ = 0;
  int32_t defenderWins_ = 0;
  bool declined_ = false;  // the last stopped battle was ended by a No to the question
};

// Whether `shooter` can hurt `target` at all: weapons above 0, and a kill chance above 0.
bool CanHurt(const TBatGroup& shooter, const TBatGroup& target);

}  // namespace tovix
