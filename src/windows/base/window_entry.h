#pragma once
// A row of the window catalogue (frame/window_catalogue.h): how the registry makes a window, its
// help context and page, its toolbar button and its place in the first show. The rows live with
// the catalogue at the top; a dialog below it finds its own row (its help context) here.

#include <memory>
#include <string_view>

class QWidget;

namespace tovix {

class TWindowRegistry;
struct TWindowEntry;

// When the registry makes the window: before the reports are read, after a successful read, or
// never (a dialog made for each use; its row gives its help page).
enum class TWindowStage { BeforeReading, AfterReading, OnDemand };

// What the window's toolbar button does: the toolbar press rules (show, minimise, bring to the
// front), or showing the window modally until it is closed.
enum class TButtonAction { None, Press, Modal };

using TWindowFactory = std::unique_ptr<QWidget> (*)(const TWindowEntry& entry,
                                                    TWindowRegistry& windows);

struct TWindowEntry {
  const char* InstanceName = nullptr;  // the window's object name ("frmPlayers")
  // The design caption, the settings section of a tool window; nullptr for a window without one.
  const char* StateName = nullptr;
  int HelpContext = 0;  // the "HelpContext" property F1 reports (0: none)
  // The page F1 opens for the context; nullptr leaves the request unhandled.
  const char* HelpTopic = nullptr;
  TWindowFactory Make = nullptr;  // nullptr for a dialog made for each use
  TWindowStage Stage = TWindowStage::BeforeReading;
  // The toolbar button: its place (1 = first; 0 = none), name, caption, hint and action.
  int ButtonPlace = 0;
  const char* ButtonName = nullptr;
  const char* ButtonCaption = nullptr;
  const char* ButtonHint = "";
  TButtonAction Action = TButtonAction::None;
  // The place in the first show's round through the "ShowOnStartup" flags (1 = first; 0 = not
  // in it). The same windows are the ones "Minimize All" minimises.
  int StartPlace = 0;

  // The catalogue's rows are written with these: Window(...).Button(...).Start(...).
  constexpr TWindowEntry Button(int place, const char* name, const char* caption,
                                const char* hint = "",
                                TButtonAction action = TButtonAction::Press) const {
    TWindowEntry e = *this;
    e.ButtonPlace = place;
    e.ButtonName = name;
    e.ButtonCaption = caption;
    e.ButtonHint = hint;
    e.Action = action;
    return e;
  }
  constexpr TWindowEntry Start(int place) const {
    TWindowEntry e = *this;
    e.StartPlace = place;
    return e;
  }
  constexpr TWindowEntry MadeAt(TWindowStage stage) const {
    TWindowEntry e = *this;
    e.Stage = stage;
    return e;
  }
};

constexpr TWindowEntry Window(const char* instanceName, const char* stateName, int helpContext,
                              const char* helpTopic, TWindowFactory make) {
  return {.InstanceName = instanceName,
          .StateName = stateName,
          .HelpContext = helpContext,
          .HelpTopic = helpTopic,
          .Make = make};
}

// The row of `instanceName`; nullptr when there is none.
const TWindowEntry* FindWindowEntry(std::string_view instanceName);

}  // namespace tovix
