#include "controls/folder_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <utility>

namespace tovix {

namespace {

TFolderDialogHook& Hook() {
  static TFolderDialogHook hook;
  return hook;
}

std::optional<QString> ShowQtFolderDialog(const TFolderDialogRequest& request) {
  QFileDialog dialog(request.owner, request.title, request.startFolder);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
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

bool TBrowseFolderDlg::Execute(QWidget* owner) {
  TFolderDialogRequest request;
  // Centred on the screen: an owner-less dialog, modal for the whole application.
  request.owner = position_ == dpScreenCenter ? nullptr : owner;
  request.title = dialogText_;
  if (IsExistingFolder(folderName_)) request.startFolder = folderName_;
  const std::optional<QString> chosen = RunFolderDialog(request);
  // Only an existing folder counts as chosen, as the dialog enables OK for nothing else.
  if (!chosen || !IsExistingFolder(*chosen)) return false;
  folderName_ = NormalizeFolderName(*chosen);
  const QString last = QFileInfo(folderName_).fileName();
  displayName_ = last.isEmpty() ? folderName_ : last;
  return true;
}

bool ChooseFolder(QString& folder, const QString& dialogText, QWidget* owner) {
  TBrowseFolderDlg dialog;
  dialog.SetDialogText(dialogText);
  dialog.SetFolderName(folder);
  if (!dialog.Execute(owner)) return false;
  folder = dialog.FolderName();
  return true;
}

}  // namespace tovix
