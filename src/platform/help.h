#pragma once
// Help: the topic page of each help context, and opening it in the browser. The pages are HTML
// files in a "Tovix-help" folder: the program folder's first, then the one beside the executable.

#include <QUrl>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/user_interface.h"

namespace tovix {

inline constexpr const char* kHelpFolderName = "Tovix-help";
inline constexpr const char* kHelpNotFound = "Tovix help file not found!";

// The page of a help context ("planetinfo.htm"); any unknown context gives the introduction.
// Contexts 13 and 34 are not handled and give "". Context 28 belongs to the expression dialog,
// whose caption tells whether it edits group or planet expressions.
std::string HelpTopicFor(int context, std::string_view expressionDialogCaption);

// The first of programFolder/Tovix-help/topic and exeFolder/Tovix-help/topic that is a file;
// empty when there is none (or the topic is not a plain file name).
std::filesystem::path FindHelpPage(const std::string& topic,
                                   const std::filesystem::path& programFolder,
                                   const std::filesystem::path& exeFolder);

// Opens the page of `topic` in the browser. A missing page shows kHelpNotFound through `ui`.
// The executable's folder is the application's. An empty topic (not handled) does nothing.
// True when the page was handed to the browser.
bool OpenHelpTopic(const std::string& topic, UserInterface& ui,
                   const std::filesystem::path& programFolder);

// What opens a page (the desktop's browser); tests install their own. An empty opener restores
// the browser. Returns the previous one.
using THelpOpener = std::function<bool(const QUrl&)>;
THelpOpener SetHelpOpener(THelpOpener opener);

}  // namespace tovix
