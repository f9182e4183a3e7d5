#pragma once
// Choosing a folder: the folder browser dialog, the one place where a folder chooser is run (tests
// replace it through SetFolderDialogHook), and small path routines.

#include <QFileDialog>
#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace tovix {

enum TDialogPosition { dpDefault, dpScreenCenter };

// What the chooser may do with a folder name that does not exist yet: take it (sdAllowCreate),
// make it (sdPerformCreate, with sdAllowCreate), and ask before making it (sdPrompt).
enum TSelectDirOpt { sdAllowCreate = 0x1, sdPerformCreate = 0x2, sdPrompt = 0x4 };
Q_DECLARE_FLAGS(TSelectDirOpts, TSelectDirOpt)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSelectDirOpts)

// What the chooser is asked for.
struct TFolderDialogRequest {
  QWidget* owner = nullptr;  // none: application-modal and centred on the screen
  QString title;
  QString startFolder;  // empty: the chooser's own choice
  QStringList places;   // the places offered beside the folders (the browsing root first)
  int helpContext = 0;  // not 0: a "&Help" button opens this help context
  TSelectDirOpts options;
  // The dialog is up; and the folder under the cursor changed (its full path).
  std::function<void(QFileDialog& dialog)> initialized;
  std::function<void(const QString& folder)> selectionChanged;
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
// Whether a chosen folder can be taken under `options`: an existing one always; a missing one
// with sdAllowCreate, made first with sdPerformCreate (after a Yes to the question with
// sdPrompt). A folder that cannot be made is reported and not taken.
bool TakeChosenFolder(const QString& folder, TSelectDirOpts options, QWidget* owner);

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
  // Browsing starts from the desktop (the user's desktop folder, else the home folder); without
  // it from the computer's root "/".
  bool DesktopRoot() const { return desktopRoot_; }
  void SetDesktopRoot(bool on) { desktopRoot_ = on; }
  // Not 0: the dialog has a "&Help" button that opens this help context.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  // The last part of the chosen folder as the dialog shows it ("/" for the root).
  QString DisplayName() const { return displayName_; }
  // While browsing: the folder under the cursor (empty for none).
  QString SelectedName() const { return selectedName_; }
  // The dialog while Execute runs; nullptr otherwise.
  QFileDialog* Dialog() const { return dialog_; }
  // Where browsing starts when FolderName is no existing folder.
  QString RootFolder() const;

  // Shows the dialog; true only when the user chose an existing folder with OK, which then is in
  // FolderName.
  bool Execute(QWidget* owner = nullptr);

 signals:
  // The dialog is up (Dialog() can be reached).
  void OnInitialized();
  // The folder under the cursor changed; `folderName` is its full path.
  void OnSelChanged(const QString& folderName);

 private:
  QString dialogText_;
  QString folderName_;
  TDialogPosition position_ = dpScreenCenter;
  bool desktopRoot_ = true;
  int helpContext_ = 0;
  QString displayName_;
  QString selectedName_;
  QPointer<QFileDialog> dialog_;
};

// Lets the user choose a folder, starting at `folder`; on OK `folder` receives the choice.
bool ChooseFolder(QString& folder, const QString& dialogText, int helpContext = 0,
                  QWidget* owner = nullptr);

}  // namespace tovix
