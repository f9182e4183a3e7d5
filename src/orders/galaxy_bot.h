#pragma once
// GalaxyBot, an outside order-writing program that lies in the program folder: the files it is
// given, its argument list, and when its result may replace the orders. The program is started
// with an argument list (never through a shell) and waited for by the orders window.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

// The program: "GalaxyBot" in the program folder, else "GalaxyBot.exe" there (a program the
// system knows how to start); empty when neither exists.
std::filesystem::path GalaxyBotProgram(const std::filesystem::path& programFolder);
// The orders it writes ("Botorders_" + game section) and its options ("BotOptions_" + game
// section), both in the program folder.
std::filesystem::path BotOrdersFile(const std::filesystem::path& programFolder,
                                    std::string_view gameSection);
std::filesystem::path BotOptionsFile(const std::filesystem::path& programFolder,
                                     std::string_view gameSection);

// "-file", the latest turn report, the orders file, the options file.
std::vector<std::string> GalaxyBotArguments(const std::filesystem::path& latestReport,
                                            const std::filesystem::path& ordersFile,
                                            const std::filesystem::path& optionsFile);

// The orders file as it stood before a run: whether it existed and when it was written. File
// times come from a coarser clock than the program's, so "written by this run" is told by a
// change of the file rather than by comparing with the time the run started.
struct TBotOrdersStamp {
  bool Existed = false;
  std::filesystem::file_time_type Written{};
};
TBotOrdersStamp BotOrdersStamp(const std::filesystem::path& ordersFile);

// The run's orders may be offered: the program ended with exit code 0 and the orders file was
// written by this run (it is new, or its time changed); an unchanged file is what an earlier
// run left.
bool BotOrdersReady(int exitCode, const std::filesystem::path& ordersFile,
                    const TBotOrdersStamp& before);

}  // namespace tovix
