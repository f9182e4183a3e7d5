// Every test program runs in a HOME of its own (own_home.cpp): every place Qt or the program
// takes from HOME lies in it, the caller's TOVIX_HOME is gone, and each program makes a fresh
// one under the temporary folder and removes it when it ends.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool IsInside(const std::string& path, const fs::path& folder) {
  const std::string f = folder.lexically_normal().string();
  const std::string p = fs::path(path).lexically_normal().string();
  return p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/';
}

struct Place {
  const char* what;
  QString path;
};

TEST(OwnHome, EveryPlaceUnderHomeIsInIt) {
  const std::string home = Env("HOME");
  ASSERT_FALSE(home.empty());
  const fs::path root = fs::path(home).parent_path();
  // A folder of this program's own under the temporary folder, not the user's.
  EXPECT_TRUE(IsInside(home, fs::temp_directory_path())) << home;
  EXPECT_EQ(root.filename().string().rfind("tovix-home-", 0), 0u) << home;
  if (const passwd* user = getpwuid(getuid())) {
    EXPECT_NE(fs::path(home), fs::path(user->pw_dir));
  }
  EXPECT_TRUE(fs::is_directory(home));
  EXPECT_EQ(std::getenv("TOVIX_HOME"), nullptr);

  const Place places[] = {
      {"home", QDir::homePath()},
      {"desktop", QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)},
      {"documents", QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)},
      {"data", QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)},
      {"config", QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)},
      {"cache", QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)},
      {"runtime", QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)},
  };
  for (const Place& place : places) {
    const std::string path = place.path.toStdString();
    EXPECT_TRUE(path == home || IsInside(path, root)) << place.what << ": " << path;
  }
}

// What the test above checks, run as a program of its own with a temporary folder of ours and
// a TOVIX_HOME set: it passes there too, and leaves nothing behind.
TEST(OwnHome, EachProgramMakesItsOwnAndRemovesIt) {
  test::TempDir tmp;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMPDIR", QString::fromStdString(tmp.path().string()));
  env.insert("TOVIX_HOME", QString::fromStdString((tmp / "game").string()));
  env.insert("HOME", QString::fromStdString((tmp / "user").string()));
  QProcess child;
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=OwnHome.EveryPlaceUnderHomeIsInIt"});
  ASSERT_TRUE(child.waitForFinished(120000)) << "the test program did not end";
  const QString output = QString::fromLocal8Bit(child.readAll());
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
  EXPECT_TRUE(fs::is_empty(tmp.path())) << "the program left its HOME behind";
  EXPECT_FALSE(fs::exists(tmp / "user"));
  EXPECT_FALSE(fs::exists(tmp / "game"));
}

}  // namespace
}  // namespace tovix
