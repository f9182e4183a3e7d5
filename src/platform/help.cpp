#include "platform/help.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>

#include "platform/shell.h"

namespace tovix {

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

namespace {

// Set while a page is being opened, which includes the box that says it could not be: F1 in that
// box asks for no page, and so for no second box.
bool& OpeningPage() {
  static bool opening = false;
  return opening;
}

class TOpeningPage {
 public:
  TOpeningPage() { OpeningPage() = true; }
  ~TOpeningPage() { OpeningPage() = false; }
  TOpeningPage(const TOpeningPage&) = delete;
  TOpeningPage& operator=(const TOpeningPage&) = delete;
};

}  // namespace

bool OpenHelpTopic(const std::string& topic, UserInterface& ui,
                   const std::filesystem::path& programFolder) {
  if (topic.empty() || OpeningPage()) return false;
  const TOpeningPage opening;
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
  return OpenInDesktop(url, ui);
}

}  // namespace tovix
