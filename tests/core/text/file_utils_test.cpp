#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace tovix {
namespace {

using test::ReadFileBytes;
using test::TempDir;

// Bytes that a text-mode or line-based writer would alter.
constexpr char kAwkwardBytes[] = "line 1\r\nline 2\n\0\xA0\xFF\rend";
const std::string kAwkward(kAwkwardBytes, sizeof kAwkwardBytes - 1);

void WriteRaw(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> r;
  for (const auto& e : fs::directory_iterator(dir)) r.insert(e.path().filename().string());
  return r;
}

mode_t Mode(const fs::path& p) {
  struct stat st {};
  EXPECT_EQ(::stat(p.c_str(), &st), 0);
  return st.st_mode & 07777;
}

struct FailureGuard {
  explicit FailureGuard(AtomicWriteStep s) { SetAtomicWriteFailure(s); }
  ~FailureGuard() { SetAtomicWriteFailure(AtomicWriteStep::kNone); }
};

// Expects `f` to raise EFileError whose text names `name`.
template <class F>
void ExpectFileError(F f, const fs::path& name) {
  try {
    f();
    ADD_FAILURE() << "no EFileError";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find(name.string()), std::string::npos) << e.what();
  }
}

// --- Loading -------------------------------------------------------------------------------

TEST(LoadFileToStringTest, ReturnsEveryByteOrRaisesNamingTheFile) {
  TempDir dir;
  WriteRaw(dir / "A010.txt", kAwkward);
  EXPECT_EQ(LoadFileToString(dir / "A010.txt"), kAwkward);
  ExpectFileError([&] { LoadFileToString(dir / "A999.txt"); }, dir / "A999.txt");
  ExpectFileError([&] { LoadFileToString(dir.path()); }, dir.path());
}

// --- Atomic writing ------------------------------------------------------------------------

TEST(SaveStringToFileTest, CreatesAndReplacesWithExactBytes) {
  TempDir dir;
  fs::path f = dir / "orders_1.txt";
  SaveStringToFile(f, kAwkward);
  EXPECT_EQ(ReadFileBytes(f), kAwkward);
  SaveStringToFile(f, "");
  EXPECT_EQ(ReadFileBytes(f), "");
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"orders_1.txt"});
}

// A new file gets the mode asked for (less the umask); an existing one keeps its bits, less
// the read and write bits the mode does not give: a secret's wider file is narrowed, a shared
// file is never widened.
TEST(SaveStringToFileTest, NewFilesTakeTheModeAndOldOnesAreOnlyNarrowed) {
  struct Row {
    mode_t Before;  // 0: no file yet
    mode_t Mode;
    mode_t After;
  };
  const Row rows[] = {{0, kSharedFileMode, 0644},       {0, kOwnerOnlyFileMode, 0600},
                      {0640, kSharedFileMode, 0640},    {0644, kOwnerOnlyFileMode, 0600},
                      {0755, kOwnerOnlyFileMode, 0700}, {0600, kSharedFileMode, 0600}};
  const mode_t oldMask = ::umask(022);
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::oct << row.Before << " " << row.Mode);
    const fs::path f = dir / "orders_0";
    fs::remove(f);
    if (row.Before != 0) {
      WriteRaw(f, "old");
      ASSERT_EQ(::chmod(f.c_str(), row.Before), 0);
    }
    WriteFileAtomically(f, "new", row.Mode);
    EXPECT_EQ(Mode(f), row.After);
    EXPECT_EQ(ReadFileBytes(f), "new");
    // Narrowing alone does what a write with the mode does to the bits.
    if (row.Before != 0) {
      ASSERT_EQ(::chmod(f.c_str(), row.Before), 0);
      EXPECT_TRUE(NarrowFileMode(f, row.Mode));
      EXPECT_EQ(Mode(f), row.After);
    }
  }
  ::umask(oldMask);
  EXPECT_TRUE(NarrowFileMode(dir / "missing", kOwnerOnlyFileMode));
}

TEST(SaveStringToFileTest, WritesThroughALink) {
  TempDir dir;
  fs::create_directory(dir / "real");
  fs::path real = dir / "real" / "A010.txt";
  WriteRaw(real, "old");
  fs::create_symlink(real, dir / "link.txt");
  WriteFileAtomically(dir / "link.txt", "new");
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadFileBytes(real), "new");
  EXPECT_EQ(Entries(dir / "real"), std::set<std::string>{"A010.txt"});
}

TEST(AtomicWriteTest, FailureAtAnyStepKeepsTheOldFileAndLeavesNoTemporary) {
  for (AtomicWriteStep step : {AtomicWriteStep::kCreate, AtomicWriteStep::kWrite,
                               AtomicWriteStep::kSync, AtomicWriteStep::kRename}) {
    SCOPED_TRACE(static_cast<int>(step));
    TempDir dir;
    fs::path f = dir / "orders_1.txt";
    WriteRaw(f, kAwkward);
    ASSERT_EQ(::chmod(f.c_str(), 0604), 0);
    {
      FailureGuard fail(step);
      ExpectFileError([&] { SaveStringToFile(f, std::string(100000, 'x')); }, f);
      // A file that did not exist is not created either.
      ExpectFileError([&] { WriteFileAtomically(dir / "new.txt", "data"); }, dir / "new.txt");
    }
    EXPECT_EQ(ReadFileBytes(f), kAwkward);
    EXPECT_EQ(Mode(f), 0604u);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"orders_1.txt"});
  }
}

TEST(AtomicWriteTest, RealFailuresRaiseAndLeaveNothingBehind) {
  TempDir dir;
  // The folder does not exist: nothing can be created.
  ExpectFileError([&] { WriteFileAtomically(dir / "missing" / "a.txt", "x"); },
                  dir / "missing" / "a.txt");
  // The name is a folder: the temporary file is written, the rename fails, the temporary
  // file goes and the folder keeps its contents.
  fs::create_directory(dir / "reports");
  WriteRaw(dir / "reports" / "A000.txt", "r");
  ExpectFileError([&] { WriteFileAtomically(dir / "reports", "x"); }, dir / "reports");
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"reports"});
  EXPECT_EQ(ReadFileBytes(dir / "reports" / "A000.txt"), "r");
}

// A file the user made read-only is left as it is, and the write says why; the temporary
// files a crash left (only names of our form) go at the next start.
TEST(AtomicWriteTest, ReadOnlyFileIsNotReplacedAndLeftTemporariesGo) {
  TempDir dir;
  const fs::path ini = dir / "Tovix.ini";
  WriteRaw(ini, "[Games]\n");
  ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
  try {
    WriteFileAtomically(ini, "changed");
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(ini), "[Games]\n");
  EXPECT_EQ(Mode(ini), 0444u);

  const std::set<std::string> kept = {"Tovix.ini",
                                      ".Tovix.ini.tmpAB12cd34",
                                      "Tovix.ini.tmpab12cd34",
                                      ".Tovix.ini.tmpab12cd3",
                                      ".Tovix.ini.tmp",
                                      ".hidden.txt"};
  for (const std::string& name : kept) {
    if (name != "Tovix.ini") WriteRaw(dir / name, "x");
  }
  WriteRaw(dir / ".Tovix.ini.tmpab12cd34", "half");
  WriteRaw(dir / ".A001.txt.tmp0z9y8x7w", "half");
  EXPECT_EQ(RemoveLeftTempFiles(dir.path()), 2);
  EXPECT_EQ(Entries(dir.path()), kept);
  EXPECT_EQ(RemoveLeftTempFiles(dir / "missing"), 0);
}

// --- Read-only flag ------------------------------------------------------------------------

TEST(ReadOnlyTest, OwnerWriteBitIsTheFlag) {
  TempDir dir;
  EXPECT_FALSE(SetReadOnly(dir / "none.txt", true));
  EXPECT_FALSE(IsReadOnly(dir / "none.txt"));
  // Names of 260 characters and more work like any other.
  fs::path deep = dir / std::string(200, 'd');
  fs::create_directory(deep);
  fs::path f = deep / (std::string(100, 'f') + ".txt");
  WriteRaw(f, "x");
  ASSERT_EQ(::chmod(f.c_str(), 0664), 0);
  EXPECT_FALSE(IsReadOnly(f));
  EXPECT_TRUE(SetReadOnly(f, true));
  EXPECT_TRUE(IsReadOnly(f));
  EXPECT_EQ(Mode(f), 0464u);
  EXPECT_TRUE(SetReadOnly(f, true));  // already so
  EXPECT_TRUE(SetReadOnly(f, false));
  EXPECT_EQ(Mode(f), 0664u);
}

}  // namespace
}  // namespace tovix
