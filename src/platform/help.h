#pragma once
// Help: opening a topic page in the browser. Which context has which topic is a column of the
// window catalogue (windows/frame/window_catalogue.h). The pages are HTML
// files in a "Tovix-help" folder: the program folder's first, then the one beside the executable.

#include <filesystem>
#include <string>

#include "core/base/user_interface.h"

namespace tovix {

inline constexpr const char* kHelpFolderName = "Tovix-help";
inline constexpr const char* kHelpNotFound = "Tovix help file not found!";

// The first of programFolder/Tovix-help/topic and exeFolder/Tovix-help/topic that is a file;
// empty when there is none (or the topic is not a plain file name).
std::filesystem::path FindHelpPage(const std::string& topic,
                                   const std::filesystem::path& programFolder,
                                   const std::filesystem::path& exeFolder);

// Opens the page of `topic` in the browser (OpenInDesktop). A missing page shows kHelpNotFound
// through `ui`, and a page no program could open says where the page is. The executable's
// folder is the application's. An empty topic (not handled) does nothing, and so does a call
// while a page is being opened (F1 in the box that says a page could not be). True when the page
// was handed to the browser.
bool OpenHelpTopic(const std::string& topic, UserInterface& ui,
                   const std::filesystem::path& programFolder);

}  // namespace tovix
