#include "platform/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <utility>

namespace tovix {

namespace {

THelpOpener& Opener() {
  static THelpOpener opener;
  return opener;
}

}  // namespace

std::string HelpTopicFor(int context, std::string_view expressionDialogCaption) {
  switch (context) {
    case 1:
      return "advancedsend.htm";
    case 2:
      return "about.htm";
    case 3:
      return "toolbar.htm";
    case 4:
      return "automaticcargosettings.htm";
    case 5:
      return "battles.htm";
    case 6:
      return "batsim.htm";
    case 7:
      return "bombings.htm";
    case 9:
      return "calculations.htm";
    case 10:
      return "changecolors.htm";
    case 11:
      return "changeplayercolors.htm";
    case 12:
      return "configuration.htm";
    case 13:
      return "";
    case 14:
      return "notes.htm";
    case 15:
      return "expressionfilters.htm";
    case 16:
      return "graph.htm";
    case 17:
      return "groupfilter.htm";
    case 18:
      return "groups.htm";
    case 19:
      return "incominggroups.htm";
    case 20:
      return "map.htm";
    case 21:
      return "orders.htm";
    case 22:
      return "overview.htm";
    case 23:
      return "planetinfo.htm";
    case 24:
      return "planetselect.htm";
    case 25:
      return "planetslist.htm";
    case 26:
      return "players.htm";
    case 27:
      return "routes.htm";
    case 28:
      return expressionDialogCaption == "Groups Expressions" ? "expressionsgroups.htm"
                                                             : "expressionsplanets.htm";
    case 29:
      return "setextrainfo.htm";
    case 30:
      return "setuporders.htm";
    case 31:
      return "shipdesigner.htm";
    case 32:
      return "standardship.htm";
    case 33:
      return "turnreports.htm";
    case 34:
      return "";
    default:
      return "introduction.htm";
  }
}

std::filesystem::path FindHelpPage(const std::string& topic,
                                   const std::filesystem::path& programFolder,
                                   const std::filesystem::path& exeFolder) {
  // Only a page name: a topic must not reach outside the help folder.
  if (topic.empty() || topic.find('/') != std::string::npos || topic == "." || topic == "..")
    return {};
  for (const std::filesystem::path& base : {programFolder, exeFolder}) {
    if (base.empty()) continue;
    const std::filesystem::path page = base / kHelpFolderName / topic;
    std::error_code ec;
    if (std::filesystem::is_regular_file(page, ec)) return page;
  }
  return {};
}

bool OpenHelpTopic(const std::string& topic, UserInterface& ui,
                   const std::filesystem::path& programFolder) {
  if (topic.empty()) return false;
  std::filesystem::path exeFolder;
  if (QCoreApplication::instance() != nullptr)
    exeFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
  const std::filesystem::path page = FindHelpPage(topic, programFolder, exeFolder);
  if (page.empty()) {
    ui.ShowMessage(kHelpNotFound);
    return false;
  }
  const QUrl url = QUrl::fromLocalFile(
      QFile::decodeName(QByteArray::fromStdString(std::filesystem::absolute(page).string())));
  if (Opener()) return Opener()(url);
  return QDesktopServices::openUrl(url);
}

THelpOpener SetHelpOpener(THelpOpener opener) {
  return std::exchange(Opener(), std::move(opener));
}

}  // namespace tovix
