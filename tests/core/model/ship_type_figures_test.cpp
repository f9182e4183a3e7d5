// The model's design figures against the game server's own: every row of every ship-type table
// of the Orion reports ("Your Ship Types" and "<race> Ship Types") gives the server's mass, its
// speed at drive technology 1 and its effective shields at shields technology 1.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/model/game_model.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_parse.h"
#include "core/text/str_utils.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// The server prints "Mass", "Speed" and "Def" with two decimals ("%.2f"), so a printed value
// lies within 0.005 of the server's; the figures themselves are single-precision floats. A
// model figure must lie within that rounding of the printed value (the tables' unit, 0.01, at
// most).
constexpr double kTolerance = 0.005 + 1e-4;

struct TableRow {
  std::string where;  // file:line for failure messages
  std::vector<std::string> words;
};

struct ShipTypeTable {
  std::string where;
  std::vector<std::string> header;
  std::vector<TableRow> rows;
};

int ColumnOf(const std::vector<std::string>& header, const std::string& name) {
  auto it = std::find(header.begin(), header.end(), name);
  return it == header.end() ? -1 : static_cast<int>(it - header.begin());
}

std::vector<std::string> Words(TZnStrParse& line) {
  std::vector<std::string> words;
  for (int i = 0; i < line.Count(); ++i) words.push_back(line.Token(i));
  return words;
}

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// The tables as the report reader finds them: a section line (starting with a tab) ending in
// "Ship Types", the first non-empty line after it as column header, rows up to the next empty
// line; words split at the reader's delimiters.
std::vector<ShipTypeTable> ReadShipTypeTables(const fs::path& file) {
  std::string text = LoadFileToString(file);
  NormalizeLineEnds(text);
  TZnStrParse lines;
  lines.SetText(std::move(text));
  TZnStrParse& words = lines.CreateSubParser("SD");
  for (int c = 0; c < 256; ++c) {
    words.SetDelimiter(static_cast<unsigned char>(c), c < 33 || c == ',' || c == '`' || c >= 126);
  }

  std::vector<ShipTypeTable> tables;
  const int count = lines.Count();
  for (int i = 0; i < count; ++i) {
    const std::string line = lines.Token(i);
    const std::string trimmed = TrimRight(line);
    if (line.empty() || line[0] != '\t' || !trimmed.ends_with("Ship Types")) continue;
    ShipTypeTable table;
    table.where = file.filename().string() + ":" + std::to_string(i + 1);
    int j = i + 1;
    while (j < count && IsBlank(lines.TokenView(j))) ++j;
    if (j >= count) break;
    table.header = Words(lines.SubParser(j));
    for (++j; j < count && !IsBlank(lines.TokenView(j)); ++j) {
      table.rows.push_back(
          {file.filename().string() + ":" + std::to_string(j + 1), Words(lines.SubParser(j))});
    }
    tables.push_back(std::move(table));
    i = j;
  }
  return tables;
}

TEST(ShipTypeFiguresTest, AgreeWithEveryOrionShipTypeTable) {
  const fs::path dir = test::ReportsDir("orion");
  if (dir.empty()) GTEST_SKIP() << "orion reports not present";

  int tables = 0;
  int rows = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
    for (const ShipTypeTable& table : ReadShipTypeTables(entry.path())) {
      ++tables;
      const auto& h = table.header;
      const int name = ColumnOf(h, "N"), drive = ColumnOf(h, "D"), attacks = ColumnOf(h, "A"),
                weapons = ColumnOf(h, "W"), shields = ColumnOf(h, "S"), cargo = ColumnOf(h, "C"),
                mass = ColumnOf(h, "Mass"), speed = ColumnOf(h, "Speed"), def = ColumnOf(h, "Def");
      ASSERT_GE(std::min({name, drive, attacks, weapons, shields, cargo, mass, speed, def}), 0)
          << table.where << ": unexpected column header";

      for (const TableRow& row : table.rows) {
        ASSERT_EQ(row.words.size(), h.size()) << row.where;
        const auto number = [&](int column) { return StrToFloatDef(row.words[column], -999); };

        TShipType type(row.words[name], TGameType::NG);
        // The reader keeps the drive truncated to two decimals.
        type.Drive = static_cast<float>(TruncToInt(number(drive) * 100) / 100.0);
        type.Attacks = StrToIntDef(row.words[attacks], -1);
        type.Weapons = static_cast<float>(number(weapons));
        type.Shields = static_cast<float>(number(shields));
        type.Cargo = static_cast<float>(number(cargo));
        TGroup group;  // every technology at 1
        group.ShipType = &type;

        EXPECT_NEAR(type.Mass(), number(mass), kTolerance) << row.where << " mass";
        EXPECT_NEAR(group.Speed(), number(speed), kTolerance) << row.where << " speed";
        EXPECT_NEAR(group.EffectiveShields(), number(def), kTolerance) << row.where << " def";
        ++rows;
      }
    }
  }
  // The Orion reports hold some 1,500 of these tables; finding none would mean the search
  // for them failed, not that the figures agree.
  EXPECT_GT(tables, 1000);
  EXPECT_GT(rows, 5000);
}

}  // namespace
}  // namespace tovix
