#pragma once
// Edits with a button that browses the file system. TDirectoryEdit's button opens a folder chooser
// and puts the chosen folder into the text (appended with ";" when it keeps several folders).

#include <QStringList>
#include <functional>

#include "controls/combo_edit.h"
#include "controls/folder_dialog.h"

namespace tovix {

// Called before and after the dialog: `name` is the folder to start at (before) or the chosen one
// (after); setting `action` to false stops the dialog (before) or keeps the text (after).
using TExecOpenDialogEvent = std::function<void(QObject* sender, QString& name, bool& action)>;

// Where the file-system edits' button look comes from; the dialog itself is the subclass's.
class TFileDirEdit : public TCustomComboEdit {
  Q_OBJECT

 public:
  explicit TFileDirEdit(QWidget* parent = nullptr);

  // Take file-system entries dropped onto the edit.
  bool AcceptFiles() const { return acceptFiles_; }
  void SetAcceptFiles(bool on);
  void SetOnBeforeDialog(TExecOpenDialogEvent handler) { onBeforeDialog_ = std::move(handler); }
  void SetOnAfterDialog(TExecOpenDialogEvent handler) { onAfterDialog_ = std::move(handler); }

  // Receives dropped paths as a drop would: the first only, unless the edit keeps several.
  void DropFiles(const QStringList& paths);

 signals:
  void OnDropFiles();

 protected:
  QImage DefaultGlyph() const override;
  // Takes one dropped file or chosen folder.
  virtual void ReceptFileDir(const QString& name) = 0;
  virtual void ClearFileList() {}
  virtual bool KeepsSeveral() const { return false; }

  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  TExecOpenDialogEvent onBeforeDialog_;
  TExecOpenDialogEvent onAfterDialog_;

 private:
  bool acceptFiles_ = false;
};

enum TDirDialogKind { dkVCL, dkWin32 };

class TDirectoryEdit : public TFileDirEdit {
  Q_OBJECT

 public:
  explicit TDirectoryEdit(QWidget* parent = nullptr);

  // dkWin32: the folder browser with DialogText as its title; dkVCL: the plain folder dialog,
  // which follows DialogOptions.
  TDirDialogKind DialogKind() const { return dialogKind_; }
  void SetDialogKind(TDirDialogKind kind) { dialogKind_ = kind; }
  QString DialogText() const { return dialogText_; }
  void SetDialogText(const QString& text) { dialogText_ = text; }
  // Where the dialog starts when the text is empty; a chosen folder becomes the next start.
  QString InitialDir() const { return initialDir_; }
  void SetInitialDir(const QString& dir) { initialDir_ = dir; }
  // The text keeps several folders separated by ";".
  bool MultipleDirs() const { return multipleDirs_; }
  void SetMultipleDirs(bool on) { multipleDirs_ = on; }
  // What dkVCL's dialog does with a typed name of a folder that does not exist.
  TSelectDirOpts DialogOptions() const { return dialogOptions_; }
  void SetDialogOptions(TSelectDirOpts options) { dialogOptions_ = options; }
  // The help context of the edit (F1) and of the dialog's Help button (0: none).
  int HelpContext() const { return property("HelpContext").toInt(); }
  void SetHelpContext(int context) { setProperty("HelpContext", context); }

 protected:
  void ButtonClick() override;
  void ReceptFileDir(const QString& name) override;
  bool KeepsSeveral() const override { return multipleDirs_; }

 private:
  void AddFolder(const QString& folder);

  TDirDialogKind dialogKind_ = dkVCL;
  TSelectDirOpts dialogOptions_;
  QString dialogText_;
  QString initialDir_;
  bool multipleDirs_ = false;
};

}  // namespace tovix
