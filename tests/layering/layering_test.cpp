// The folders of src/ are layered: an include runs only downwards, in the order the "layers"
// block of docs/architecture.md gives (top first; folders on one line are peers and include
// nothing of each other). The check runs on the real tree and on small made-up trees, so that a
// broken rule is seen to fail.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace {

namespace fs = std::filesystem;

// Each folder named in the layers block, with the line it stands on. Only folders with the same
// parent are compared, so the line number orders siblings.
struct TLayers {
  std::map<std::string, int> Line;
  std::string Error;
};

TLayers ParseLayers(const std::string& markdown) {
  TLayers layers;
  std::istringstream in(markdown);
  std::string line;
  bool inside = false;
  int number = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!inside) {
      inside = line == "```layers";
      continue;
    }
    if (line.rfind("```", 0) == 0) return layers;
    ++number;
    std::istringstream words(line);
    std::string folder;
    while (words >> folder) {
      if (!layers.Line.emplace(folder, number).second)
        layers.Error = "folder named twice in the layers block: " + folder;
    }
  }
  layers.Error = inside ? "the layers block is not closed" : "no ```layers block";
  return layers;
}

// A source file and its include lines, the path relative to src/.
struct TSource {
  std::string Path;
  std::string Text;
};

// Whether the block names subfolders of `folder`.
bool IsLayered(const TLayers& layers, const std::string& folder) {
  const auto next = layers.Line.upper_bound(folder + "/");
  return next != layers.Line.end() && next->first.rfind(folder + "/", 0) == 0;
}

// The folders of `path` down to the deepest one that is layered: "core", "core/text" for
// "core/text/numbers.h"; "views" for "views/cells.h". A subfolder of a layered folder counts even
// when the block misses it, so that it is named as missing.
std::vector<std::string> FolderChain(const TLayers& layers, const std::string& path) {
  std::vector<std::string> chain;
  size_t start = 0;
  for (size_t slash = path.find('/'); slash != std::string::npos;
       start = slash + 1, slash = path.find('/', start)) {
    if (!chain.empty() && !IsLayered(layers, chain.back())) break;
    chain.push_back(path.substr(0, slash));
  }
  return chain;
}

// The file a quoted include line names ("core/text/numbers.h"); "" for any other line.
std::string QuotedInclude(const std::string& line) {
  std::istringstream in(line);
  std::string hash, word;
  in >> hash;
  if (hash == "#")
    in >> word;
  else if (hash.rfind("#", 0) == 0)
    word = hash.substr(1);
  if (word != "include") return {};
  std::string target;
  in >> std::ws;
  if (in.get() != '"' || !std::getline(in, target, '"') || in.eof()) return {};
  return target;
}

// The faults of the includes of `sources`: "file:line: ..." for each.
std::vector<std::string> CheckIncludes(const TLayers& layers, const std::vector<TSource>& sources) {
  std::vector<std::string> faults;
  for (const TSource& source : sources) {
    const std::vector<std::string> from = FolderChain(layers, source.Path);
    if (from.empty()) continue;
    if (!layers.Line.count(from[0])) {
      faults.push_back(source.Path + ": folder " + from[0] + " is not in the layers block");
      continue;
    }
    std::istringstream in(source.Text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      const std::string target = QuotedInclude(line);
      if (target.empty()) continue;
      const std::vector<std::string> to = FolderChain(layers, target);
      // Includes of other trees ("support/...", a file beside this one) are not ours to check.
      if (to.empty() || !layers.Line.count(to[0])) continue;
      const std::string where = source.Path + ":" + std::to_string(number) + ": ";
      for (size_t depth = 0; depth < from.size() && depth < to.size(); ++depth) {
        if (from[depth] == to[depth]) continue;
        const auto fromLine = layers.Line.find(from[depth]);
        const auto toLine = layers.Line.find(to[depth]);
        if (fromLine == layers.Line.end() || toLine == layers.Line.end()) {
          faults.push_back(where + "folder " +
                           (fromLine == layers.Line.end() ? from[depth] : to[depth]) +
                           " is not in the layers block");
        } else if (toLine->second < fromLine->second) {
          faults.push_back(where + from[depth] + " includes " + target + " of the higher " +
                           to[depth]);
        } else if (toLine->second == fromLine->second) {
          faults.push_back(where + from[depth] + " includes " + target + " of its peer " +
                           to[depth]);
        }
        break;
      }
    }
  }
  return faults;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

const fs::path kRoot = TOVIX_SOURCE_ROOT;

TEST(Layering, EveryIncludeOfSrcRunsDownwards) {
  const TLayers layers = ParseLayers(tovix::test::ReadFileBytes(kRoot / "docs/architecture.md"));
  ASSERT_EQ(layers.Error, "");
  std::vector<TSource> sources;
  for (const auto& entry : fs::recursive_directory_iterator(kRoot / "src")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    sources.push_back({fs::relative(entry.path(), kRoot / "src").generic_string(),
                       tovix::test::ReadFileBytes(entry.path())});
  }
  ASSERT_GT(sources.size(), 300u);
  EXPECT_EQ(Joined(CheckIncludes(layers, sources)), "");
  // Every folder of src/ and every subfolder of a layered folder has its place.
  for (const auto& entry : fs::directory_iterator(kRoot / "src")) {
    if (!entry.is_directory()) continue;
    const std::string top = entry.path().filename().string();
    EXPECT_TRUE(layers.Line.count(top)) << top;
    if (!IsLayered(layers, top)) continue;
    for (const auto& sub : fs::directory_iterator(entry.path())) {
      if (sub.is_directory())
        EXPECT_TRUE(layers.Line.count(top + "/" + sub.path().filename().string())) << sub.path();
      else if (sub.path().extension() == ".cpp" || sub.path().extension() == ".h")
        ADD_FAILURE() << "a layered folder holds only subfolders: " << sub.path();
    }
  }
}

// Regression guard for the rule itself: each row is a made-up include and the fault it must give.
struct TCase {
  const char* Name;
  const char* File;
  const char* Include;
  const char* Fault;  // "" when the include is allowed
};

class LayeringRules : public testing::TestWithParam<TCase> {};

TEST_P(LayeringRules, FindsTheFault) {
  const TLayers layers = ParseLayers(
      "# layers\n```layers\napp\nwindows\norders views\ncore\n"
      "core/reports\ncore/model\ncore/text core/regex\ncore/base\n```\n");
  ASSERT_EQ(layers.Error, "");
  const TCase& c = GetParam();
  const std::vector<std::string> faults = CheckIncludes(
      layers,
      {{c.File, std::string("// a file\n#include <vector>\n#include \"") + c.Include + "\"\n"}});
  EXPECT_EQ(Joined(faults), c.Fault[0] ? std::string(c.File) + ":3: " + c.Fault + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Includes, LayeringRules,
    testing::Values(
        TCase{"TextIncludesReports", "core/text/str_utils.cpp", "core/reports/report_reader.h",
              "core/text includes core/reports/report_reader.h of the higher core/reports"},
        TCase{"ReportsIncludesText", "core/reports/report_reader.cpp", "core/text/str_utils.h", ""},
        TCase{"PeersIncludeEachOther", "core/text/numbers.cpp", "core/regex/regex.h",
              "core/text includes core/regex/regex.h of its peer core/regex"},
        TCase{"CoreIncludesWindows", "core/model/game_model.cpp", "windows/base/services.h",
              "core includes windows/base/services.h of the higher windows"},
        TCase{"TopFolderPeers", "views/cells.cpp", "orders/order_text.h",
              "views includes orders/order_text.h of its peer orders"},
        TCase{"UnknownSubfolder", "core/text/a.cpp", "core/misc/b.h",
              "folder core/misc is not in the layers block"},
        TCase{"OtherTree", "core/text/a.cpp", "support/test_paths.h", ""},
        TCase{"WindowsIncludesCore", "windows/map.cpp", "core/model/game_state.h", ""}),
    [](const testing::TestParamInfo<TCase>& row) { return std::string(row.param.Name); });

TEST(LayeringRules, ABlockWithoutItsEndIsAFault) {
  EXPECT_EQ(ParseLayers("```layers\napp\n").Error, "the layers block is not closed");
  EXPECT_EQ(ParseLayers("no block").Error, "no ```layers block");
  EXPECT_EQ(ParseLayers("```layers\napp\napp\n```\n").Error,
            "folder named twice in the layers block: app");
}

}  // namespace
