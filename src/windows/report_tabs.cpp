#include "windows/report_tabs.h"

#include <filesystem>

#include "core/add_tabs.h"
#include "core/errors.h"
#include "core/game_model.h"
#include "core/game_settings.h"
#include "core/numbers.h"

namespace tovix {

int AddTabsToAllReports(const TGameSettings& settings, UserInterface& ui,
                        const std::function<void(const std::string&)>& showProgress) {
  if (!ui.AskYesNo("Parse all reports and add Tabs when needed?\rIt will take some time, so be "
                   "patient"))
    return 0;
  const std::string patternError = ReportPatternError(settings.spelD);
  if (!patternError.empty()) {
    ui.ShowMessage(patternError);
    return 0;
  }
  int handled = 0;
  std::error_code ec;
  for (int turn = 0; turn <= kMaxTurn; ++turn) {
    for (char letter : settings.spelC) {
      const std::string file = FormatReportName(settings.spelD, letter, turn);
      if (!std::filesystem::is_regular_file(file, ec)) continue;
      if (showProgress) showProgress("Tovix adding tabs: " + file);
      try {
        AddTabs(file);
      } catch (const EFileError&) {
        ui.ShowMessage(
            Fmt("I was not able to save %s to disk, please check if it is write "
                "protected, read only or if the disk is full",
                file));
        return handled;
      }
      ++handled;
    }
  }
  return handled;
}

}  // namespace tovix
