#include "controls/folder_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <utility>

#include "controls/app_events.h"
#include "controls/draw_utils.h"

namespace tovix {

namespace {

TFolderDialogHook& Hook() {
  static TFolderDialogHook hook;
  return hook;
}

// Qt's own folder dialog (not the desktop's), so that it can carry a Help button and report the
// folder under the cursor. With sdAllowCreate it also takes a typed name of a folder that does
// not exist yet.
class TFolderChooser : public QFileDialog {
 public:
  explicit TFolderChooser(const TFolderDialogRequest& request)
      : QFileDialog(request.owner, request.title, request.startFolder),
        allowCreate_(request.options.testFlag(sdAllowCreate)) {
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setOption(QFileDialog::DontUseNativeDialog);
    if (!request.places.isEmpty()) {
      QList<QUrl> places;
      for (const QString& place : request.places) places << QUrl::fromLocalFile(place);
      setSidebarUrls(places);
    }
    if (request.helpContext != 0) {
      if (auto* buttons = findChild<QDialogButtonBox*>()) {
        QPushButton* help = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
        help->setObjectName("HelpBtn");
        const int context = request.helpContext;
        connect(help, &QPushButton::clicked, this, [context] { ApplicationHelpContext(context); });
      }
    }
    // The folder OK would take: the entry under the cursor, else the folder entered.
    if (request.selectionChanged) {
      connect(this, &QFileDialog::currentChanged, this, request.selectionChanged);
      connect(this, &QFileDialog::directoryEntered, this, request.selectionChanged);
    }
  }

  QString Chosen() const {
    if (!missing_.isEmpty()) return missing_;
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
  }

 protected:
  void accept() override {
    const auto* edit = findChild<QLineEdit*>("fileNameEdit");
    const QString typed = edit ? edit->text().trimmed() : QString();
    if (allowCreate_ && !typed.isEmpty()) {
      const QString path = QDir(directory()).absoluteFilePath(typed);
      if (!QFileInfo::exists(path)) {
        missing_ = path;
        QDialog::accept();
        return;
      }
    }
    QFileDialog::accept();
  }

 private:
  bool allowCreate_;
  QString missing_;
};

std::optional<QString> ShowQtFolderDialog(const TFolderDialogRequest& request) {
  TFolderChooser dialog(request);
  if (request.initialized)
    QMetaObject::invokeMethod(
        &dialog, [&dialog, &request] { request.initialized(dialog); }, Qt::QueuedConnection);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QString chosen = dialog.Chosen();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

}  // namespace

TFolderDialogHook SetFolderDialogHook(TFolderDialogHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

std::optional<QString> RunFolderDialog(const TFolderDialogRequest& request) {
  if (Hook()) return Hook()(request);
  return ShowQtFolderDialog(request);
}

bool IsExistingFolder(const QString& name) {
  if (name.isEmpty()) return false;
  const QFileInfo info(name);
  return info.exists() && info.isDir();
}

QString NormalizeFolderName(const QString& name) {
  // cleanPath drops every trailing separator except that of the root.
  return QDir::cleanPath(QFileInfo(name).absoluteFilePath());
}

bool TakeChosenFolder(const QString& folder, TSelectDirOpts options, QWidget* owner) {
  if (IsExistingFolder(folder)) return true;
  if (folder.isEmpty() || !options.testFlag(sdAllowCreate)) return false;
  if (!options.testFlag(sdPerformCreate)) return true;
  if (options.testFlag(sdPrompt) &&
      QMessageBox::question(owner, QString(),
                            "The specified directory does not exist. Create it?\n" + folder) !=
          QMessageBox::Yes)
    return false;
  if (QDir().mkpath(folder) && IsExistingFolder(folder)) return true;
  QMessageBox::warning(owner, QString(), "Cannot create directory " + folder);
  return false;
}

QString TBrowseFolderDlg::RootFolder() const {
  if (!desktopRoot_) return QStringLiteral("/");
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  return IsExistingFolder(desktop) ? desktop : QDir::homePath();
}

bool TBrowseFolderDlg::Execute(QWidget* owner) {
  TFolderDialogRequest request;
  // Centred on the screen: an owner-less dialog, modal for the whole application.
  request.owner = position_ == dpScreenCenter ? nullptr : owner;
  request.title = dialogText_;
  const QString root = RootFolder();
  request.startFolder = IsExistingFolder(folderName_) ? folderName_ : root;
  request.places << root;
  if (desktopRoot_) {
    for (const QString& place : {QDir::homePath(), QStringLiteral("/")})
      if (!request.places.contains(place)) request.places << place;
  }
  request.helpContext = helpContext_;
  request.initialized = [this](QFileDialog& dialog) {
    dialog_ = &dialog;
    if (position_ == dpScreenCenter) CenterWindowOnScreen(&dialog);
    emit OnInitialized();
  };
  request.selectionChanged = [this](const QString& folder) {
    selectedName_ = folder;
    emit OnSelChanged(folder);
  };
  const std::optional<QString> chosen = RunFolderDialog(request);
  dialog_ = nullptr;
  // Only an existing folder counts as chosen, as the dialog enables OK for nothing else.
  if (!chosen || !IsExistingFolder(*chosen)) return false;
  folderName_ = NormalizeFolderName(*chosen);
  const QString last = QFileInfo(folderName_).fileName();
  displayName_ = last.isEmpty() ? folderName_ : last;
  return true;
}

bool ChooseFolder(QString& folder, const QString& dialogText, int helpContext, QWidget* owner) {
  TBrowseFolderDlg dialog;
  dialog.SetDialogText(dialogText);
  dialog.SetFolderName(folder);
  dialog.SetHelpContext(helpContext);
  if (!dialog.Execute(owner)) return false;
  folder = dialog.FolderName();
  return true;
}

}  // namespace tovix
