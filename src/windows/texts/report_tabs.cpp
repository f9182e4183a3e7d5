#include "windows/texts/report_tabs.h"

#include <filesystem>

#include "core/base/errors.h"
#include "core/model/game_model.h"
#include "core/reports/add_tabs.h"
#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"

namespace tovix {

namespace {

bool NeedsRepair(const std::string& file) {
  const std::string text = LoadFileToString(file);
  return AddTabsToText(text) != text;
}

}  // namespace

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
  bool allWritable = false;  // "All" answered: every read-only report may be repaired
  std::error_code ec;
  for (int turn = 0; turn <= kMaxTurn; ++turn) {
    for (char letter : settings.spelC) {
      const std::string file = FormatReportName(settings.spelD, letter, turn);
      if (!std::filesystem::is_regular_file(file, ec)) continue;
      try {
        // The user's read-only report is changed only with leave, and only when it needs it.
        if (IsReadOnly(file) && NeedsRepair(file)) {
          if (!allWritable) {
            const TYesNoAll answer = ui.AskYesNoAll("Remove readonly for file?\r" + file);
            if (answer == TYesNoAll::No) continue;
            allWritable = answer == TYesNoAll::All;
          }
          SetReadOnly(file, false);
        }
        if (showProgress) showProgress("Tovix adding tabs: " + file);
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
