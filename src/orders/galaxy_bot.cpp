#include "orders/galaxy_bot.h"

#include <system_error>

namespace tovix {

namespace fs = std::filesystem;

fs::path GalaxyBotProgram(const fs::path& programFolder) {
  std::error_code ec;
  for (const char* name : {"GalaxyBot", "GalaxyBot.exe"}) {
    const fs::path program = programFolder / name;
    if (fs::is_regular_file(program, ec)) return program;
  }
  return {};
}

fs::path BotOrdersFile(const fs::path& programFolder, std::string_view gameSection) {
  return programFolder / ("Botorders_" + std::string(gameSection));
}

fs::path BotOptionsFile(const fs::path& programFolder, std::string_view gameSection) {
  return programFolder / ("BotOptions_" + std::string(gameSection));
}

std::vector<std::string> GalaxyBotArguments(const fs::path& latestReport,
                                            const fs::path& ordersFile,
                                            const fs::path& optionsFile) {
  return {"-file", latestReport.string(), ordersFile.string(), optionsFile.string()};
}

TBotOrdersStamp BotOrdersStamp(const fs::path& ordersFile) {
  TBotOrdersStamp stamp;
  std::error_code ec;
  stamp.Written = fs::last_write_time(ordersFile, ec);
  stamp.Existed = !ec;
  return stamp;
}

bool BotOrdersReady(int exitCode, const fs::path& ordersFile, const TBotOrdersStamp& before) {
  if (exitCode != 0) return false;
  const TBotOrdersStamp after = BotOrdersStamp(ordersFile);
  return after.Existed && (!before.Existed || after.Written != before.Written);
}

}  // namespace tovix
