#include "core/settings/save_state.h"
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

using test::ReadFileBytes;
using test::TempDir;
namespace fs = std::filesystem;

std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// Values of every type the windows store, the awkward ones included.
void WriteSamples(TznSaveState& store) {
  store.WriteInteger("Planets List", "Min", INT32_MIN);
  store.WriteInteger("Planets List", "Max", INT32_MAX);
  store.WriteString("StandardShip", "Memo1.Lines.CommaText",
                    "\"D c24 18.57 0 0.00 0.00 6.18 ; small carrier (10)\",x=y");
  store.WriteString("Map_1", "mniSpecialValue.Caption", "Ma\xe9 & \xa0 #;[x]");
  store.WriteString("game_1", "Subject", "");
  store.WriteBool("Map_1", "DisableGroupCircles1.Checked", true);
  store.WriteBool("Map_1", "Viewplanetscentered1.Checked", false);
}

void ExpectSamples(const TznSaveState& store) {
  EXPECT_EQ(store.ReadInteger("Planets List", "Min", 7), INT32_MIN);
  EXPECT_EQ(store.ReadInteger("Planets List", "Max", 7), INT32_MAX);
  EXPECT_EQ(store.ReadString("StandardShip", "Memo1.Lines.CommaText", "-"),
            "\"D c24 18.57 0 0.00 0.00 6.18 ; small carrier (10)\",x=y");
  EXPECT_EQ(store.ReadString("Map_1", "mniSpecialValue.Caption", "-"), "Ma\xe9 & \xa0 #;[x]");
  EXPECT_EQ(store.ReadString("game_1", "Subject", "-"), "");
  EXPECT_EQ(store.ReadBool("Map_1", "DisableGroupCircles1.Checked", false), true);
  EXPECT_EQ(store.ReadBool("Map_1", "Viewplanetscentered1.Checked", true), false);
}

// ---- store

TEST(SaveStateStore, EveryValueTypeSurvivesSaveAndFreshLoad) {
  TempDir dir;
  const fs::path file = dir / "TovixStore3.ini";
  {
    TznSaveState store(file.string());
    EXPECT_EQ(store.ReadInteger("Planets List", "Min", 7), 7);  // a missing file is empty
    WriteSamples(store);
    EXPECT_FALSE(fs::exists(file));  // memory only until UpdateFile
    store.UpdateFile();
  }
  TznSaveState fresh(file.string());
  ExpectSamples(fresh);
}

// A store without a file (the failed start-up forgets its file) keeps values in memory only:
// the run's changes are dropped and a file there stays as it was.
TEST(SaveStateStore, WithoutAFileNameNothingTouchesTheDisk) {
  TempDir dir;
  const fs::path old = fs::current_path();
  fs::current_path(dir.path());
  {
    TznSaveState store("");
    WriteSamples(store);
    store.UpdateFile();
    ExpectSamples(store);
  }
  fs::current_path(old);
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{});

  const fs::path file = dir / "TovixStore3.ini";
  std::ofstream(file, std::ios::binary) << "[Tovix_State]\r\nShowCmd=3\r\n";
  TznSaveState store(file.string());
  store.WriteInteger("Tovix_State", "ShowCmd", 1);
  store.ForgetFile();
  EXPECT_EQ(store.FileName(), "");
  EXPECT_EQ(store.ReadInteger("Tovix_State", "ShowCmd", 0), 0);
  store.WriteInteger("Tovix_State", "ShowCmd", 2);
  store.UpdateFile();
  EXPECT_EQ(ReadFileBytes(file), "[Tovix_State]\r\nShowCmd=3\r\n");
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"TovixStore3.ini"});
}

// A save that fails at any step of the atomic write (the step by step cleanup is the file
// helper's own test) leaves the previous file whole and loses nothing of the run.
TEST(SaveStateStore, FailedSaveKeepsThePreviousFileAndRetryWorks) {
  for (AtomicWriteStep step : {AtomicWriteStep::kCreate, AtomicWriteStep::kWrite,
                               AtomicWriteStep::kSync, AtomicWriteStep::kRename}) {
    TempDir dir;
    const fs::path file = dir / "TovixStore3.ini";
    {
      TznSaveState first(file.string());
      first.WriteString("Orders", "ShowOnStartup", "1");
      first.UpdateFile();
    }
    const std::string before = ReadFileBytes(file);
    TznSaveState store(file.string());
    WriteSamples(store);
    SCOPED_TRACE(static_cast<int>(step));
    SetAtomicWriteFailure(step);
    EXPECT_THROW(store.UpdateFile(), EFileError);
    SetAtomicWriteFailure(AtomicWriteStep::kNone);
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"TovixStore3.ini"});
    store.UpdateFile();
    TznSaveState fresh(file.string());
    ExpectSamples(fresh);
    EXPECT_EQ(fresh.ReadString("Orders", "ShowOnStartup", "-"), "1");
  }
}

// ---- placement

TEST(Placement, SectionUsesTheStoredKeysAndSurvivesAFreshLoad) {
  TempDir dir;
  const fs::path file = dir / "TovixStore3.ini";
  {
    TznSaveState store(file.string());
    SaveFormPlacement(store, "Planets List", TWindowShowState::Maximized, {10, 20, 410, 320}, 2);
    SaveFormPlacement(store, kMainStateName, TWindowShowState::Minimized, {-1, 0, 99, 50}, 0);
    store.UpdateFile();
  }
  TznSaveState store(file.string());
  const std::pair<const char*, int> keys[] = {{"ShowCmd", 3},       {"flags", 2},
                                              {"NormalLeft", 10},   {"NormalTop", 20},
                                              {"NormalRight", 410}, {"NormalBottom", 320}};
  for (const auto& [key, value] : keys)
    EXPECT_EQ(store.ReadInteger("Planets List_State", key, 0), value) << key;
  TPlacementRecord main{true, 2, 0, {-1, 0, 99, 50}};
  EXPECT_EQ(ReadPlacement(store, "Tovix", 5), main);
  TPlacementRecord none{false, 0, 5, {-1, -1, -1, -1}};
  EXPECT_EQ(ReadPlacement(store, "Groups", 5), none);
}

const std::vector<TScreenRect> kScreens = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
const TWindowFacts kTool{false, false, 300, 200};
const TWindowFacts kMain{true, false, 300, 200};
const TWindowFacts kFixedDialog{false, true, 300, 200};
constexpr TScreenRect kSmall{0, 0, 300, 200};

TPlacementRecord At(int32_t showCmd, TScreenRect rect, int32_t flags = 0) {
  return {true, showCmd, flags, rect};
}

struct PlacementCase {
  const char* name;
  TWindowFacts window;
  std::optional<TPlacementRecord> stored;  // nullopt: no "_State" section
  TPlacementChange expected;
};

class PlacementRules : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementRules, RestoreGivesTheExpectedChange) {
  const PlacementCase& c = GetParam();
  TznSaveState store("");
  if (c.stored) WritePlacement(store, "Battles", *c.stored);
  EXPECT_EQ(RestoreFormPlacement(store, "Battles", c.window, 9, kScreens), c.expected);
}

using S = TWindowShowState;
INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementRules,
    testing::Values(
        PlacementCase{"MissingSectionMinimizesToolWindow", kTool, {}, {{}, S::Minimized, 9}},
        PlacementCase{"MissingSectionLeavesMainWindow", kMain, {}, {{}, {}, 9}},
        PlacementCase{"FixedSizeKeepsOwnSizeAtStoredCorner",
                      kFixedDialog,
                      At(1, {100, 50, 900, 850}),
                      {TScreenRect{100, 50, 400, 250}, S::Normal, 0}},
        PlacementCase{"ShowCmd3Maximizes", kTool, At(3, kSmall, 2), {kSmall, S::Maximized, 2}},
        PlacementCase{"MainWindowKeepsItsOwnState", kMain, At(3, kSmall), {kSmall, {}, 0}},
        PlacementCase{
            "EmptyRectIsNotApplied", kTool, At(1, {400, 50, 400, 450}), {{}, S::Normal, 0}},
        PlacementCase{"SecondScreenRectIsKept",
                      kTool,
                      At(1, {2000, 100, 2600, 500}),
                      {TScreenRect{2000, 100, 2600, 500}, S::Normal, 0}},
        // A window left on a monitor that is gone came back where nobody could reach it; it
        // must come back on the primary screen, as near to its old place as fits.
        PlacementCase{"OffScreenRectMovesOntoPrimary",
                      kTool,
                      At(1, {3500, 100, 4100, 500}),
                      {TScreenRect{1320, 100, 1920, 500}, S::Normal, 0}},
        PlacementCase{"OffScreenLargerThanPrimaryShowsItsCorner",
                      kTool,
                      At(1, {-5000, -3000, -2000, -1000}),
                      {TScreenRect{0, 0, 3000, 2000}, S::Normal, 0}},
        // -1 used to mean "nothing stored", so a window one pixel off the left edge came back
        // minimized; only a missing NormalLeft means that now.
        PlacementCase{"StoredMinusOneIsAPosition",
                      kTool,
                      At(1, {-1, 10, 299, 210}),
                      {TScreenRect{-1, 10, 299, 210}, S::Normal, 0}}),
    [](const testing::TestParamInfo<PlacementCase>& row) { return row.param.name; });

// ---- registry

class FakeWindow : public IFormState {
 public:
  FakeWindow(std::string name, std::vector<std::string>& log, bool throws = false)
      : name_(std::move(name)), log_(log), throws_(throws) {}
  void SaveState() override { Act("save "); }
  void LoadState() override { Act("load "); }
  std::string StateSectionName() const override { return name_; }

 private:
  void Act(const char* what) {
    log_.push_back(what + name_);
    if (throws_) throw std::runtime_error("bad layout in " + name_);
  }
  std::string name_;
  std::vector<std::string>& log_;
  bool throws_;
};

TEST(FormStateRegistry, ThrowingWindowDoesNotStopTheOthers) {
  std::vector<std::string> log;
  FakeWindow main("Tovix", log), players("Players", log), broken("Planets List", log, true),
      orders("Orders", log);
  TFormStateRegistry registry;
  for (IFormState* w : std::vector<IFormState*>{&main, &players, &broken, &orders})
    registry.Register(*w);
  registry.Register(players);  // twice: keeps its first place
  EXPECT_EQ(registry.Count(), 4u);

  std::vector<TFormStateFailure> failures = registry.LoadAllFormStates();
  EXPECT_EQ(log, (std::vector<std::string>{"load Tovix", "load Players", "load Planets List",
                                           "load Orders"}));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].StateName, "Planets List");
  EXPECT_EQ(failures[0].Message, "bad layout in Planets List");

  log.clear();
  registry.Unregister(players);
  EXPECT_EQ(registry.SaveAllFormStates().size(), 1u);
  EXPECT_EQ(log, (std::vector<std::string>{"save Tovix", "save Planets List", "save Orders"}));
}

}  // namespace
}  // namespace tovix
