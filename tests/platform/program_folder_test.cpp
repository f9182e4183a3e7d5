#include "platform/program_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/base/errors.h"
#include "platform/platform_test_helpers.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

class ProgramFolderTest : public ::testing::Test {
 protected:
  ProgramFolderTest()
      : home_("TOVIX_HOME", std::nullopt), data_("XDG_DATA_HOME", (dir_ / "data").string()) {
    fs::create_directories(exe_);
  }
  void PutIniBesideProgram() { std::ofstream(exe_ / "Tovix.ini") << "[RUN]\ngame=1\n"; }

  test::TempDir dir_;
  fs::path exe_ = dir_ / "bin";
  test::ScopedEnv home_;
  test::ScopedEnv data_;
};

TEST_F(ProgramFolderTest, TovixHomeWinsAndIsCreated) {
  PutIniBesideProgram();
  test::ScopedEnv home("TOVIX_HOME", (dir_ / "home" / "game").string());
  EXPECT_EQ(ProgramFolder(exe_), dir_ / "home" / "game");
  EXPECT_TRUE(FindProgramFolder(exe_).NamedByUser);
  EXPECT_TRUE(fs::is_directory(dir_ / "home" / "game"));
  // It will hold the orders' passwords: made here, it is its owner's alone.
  EXPECT_EQ(fs::status(dir_ / "home" / "game").permissions() & fs::perms::all,
            fs::perms::owner_all);
  // One that is there keeps what its owner gave it.
  fs::permissions(dir_ / "home" / "game",
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_EQ(ProgramFolder(exe_), dir_ / "home" / "game");
  EXPECT_EQ(fs::status(dir_ / "home" / "game").permissions() & fs::perms::all,
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

TEST_F(ProgramFolderTest, TheProgramsFolderWhenItHoldsTovixIni) {
  PutIniBesideProgram();
  EXPECT_EQ(ProgramFolder(exe_), exe_);
  EXPECT_TRUE(FindProgramFolder(exe_).NamedByUser);
  test::ScopedEnv home("TOVIX_HOME", "");  // empty counts as unset
  EXPECT_EQ(ProgramFolder(exe_), exe_);
}

TEST_F(ProgramFolderTest, ElseTheUsersDataFolderForTovixIsCreated) {
  // A folder named like the settings file is not one.
  fs::create_directories(exe_ / "Tovix.ini");
  EXPECT_EQ(ProgramFolder(exe_), dir_ / "data" / "Tovix");
  // The program's own: it narrows it at each start.
  EXPECT_FALSE(FindProgramFolder(exe_).NamedByUser);
  EXPECT_TRUE(fs::is_directory(dir_ / "data" / "Tovix"));
  EXPECT_EQ(fs::status(dir_ / "data" / "Tovix").permissions() & fs::perms::all,
            fs::perms::owner_all);
}

TEST_F(ProgramFolderTest, AFolderThatCannotBeMadeIsAnError) {
  std::ofstream(dir_ / "file") << "x";
  test::ScopedEnv home("TOVIX_HOME", (dir_ / "file" / "home").string());
  EXPECT_THROW(ProgramFolder(exe_), EFileError);
}

}  // namespace
}  // namespace tovix
