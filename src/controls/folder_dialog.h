#pragma once
// Choosing a folder: the folder browser dialog, the one place where a folder chooser is run (tests
// replace it through SetFolderDialogHook), and small path routines.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace tovix {

enum TDialogPosition { dpDefault, dpScreenCenter };

// What the chooser is asked for.
struct TFolderDialogRequest {
  QWidget* owner = nullptr;  // none: application-modal and centred on the screen
  QString title;
  QString startFolder;  // empty: the chooser's own choice
};
// Returns the chosen folder, or nothing when the user cancelled.
using TFolderDialogHook = std::function<std::optional<QString>(const TFolderDialogRequest&)>;

// Installs a chooser in place of the folder dialog (QFileDialog); an empty hook restores the
// dialog. Returns the previous hook.
TFolderDialogHook SetFolderDialogHook(TFolderDialogHook hook);
// Runs the installed chooser, or the folder dialog.
std::optional<QString> RunFolderDialog(const TFolderDialogRequest& request);

// Whether `name` exists and is a directory.
bool IsExistingFolder(const QString& name);
// The absolute, cleaned path of `name` without a trailing separator, except for the root "/".
QString NormalizeFolderName(const QString& name);

class TBrowseFolderDlg : public QObject {
  Q_OBJECT

 public:
  explicit TBrowseFolderDlg(QObject* parent = nullptr) : QObject(parent) {}

  QString DialogText() const { return dialogText_; }
  void SetDialogText(const QString& text) { dialogText_ = text; }
  // In: the starting selection (used when it is an existing folder). Out: the chosen folder.
  QString FolderName() const { return folderName_; }
  void SetFolderName(const QString& name) { folderName_ = name; }
  TDialogPosition Position() const { return position_; }
  void SetPosition(TDialogPosition position) { position_ = position; }
  // The last part of the chosen folder as the dialog shows it ("/" for the root).
  QString DisplayName() const { return displayName_; }

  // Shows the dialog; true only when the user chose an existing folder with OK, which then is in
  // FolderName.
  bool Execute(QWidget* owner = nullptr);

 private:
  QString dialogText_;
  QString folderName_;
  TDialogPosition position_ = dpScreenCenter;
  QString displayName_;
};

// Lets the user choose a folder, starting at `folder`; on OK `folder` receives the choice.
bool ChooseFolder(QString& folder, const QString& dialogText, QWidget* owner = nullptr);

}  // namespace tovix
