#include "controls/directory_edit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QUrl>

#include "controls/folder_dialog.h"

namespace tovix {

namespace {

// The local paths among the URLs of a drag, as absolute paths.
QStringList LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths << QFileInfo(url.toLocalFile()).absoluteFilePath();
  return paths;
}

// The 14 by 12 folder of the file-system edits' button, on fuchsia (its transparent colour).
QImage FolderGlyph() {
  QImage image(14, 12, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  QPainter p(&image);
  const QColor outline(0, 0, 0);
  const QColor paper(255, 255, 0);
  p.fillRect(1, 2, 5, 2, paper);
  p.fillRect(1, 3, 12, 8, paper);
  p.setPen(outline);
  p.drawLine(1, 1, 5, 1);  // the tab
  p.drawLine(0, 2, 0, 10);
  p.drawLine(6, 2, 12, 2);
  p.drawLine(13, 3, 13, 10);
  p.drawLine(0, 11, 13, 11);
  p.drawLine(1, 4, 12, 4);  // the flap's edge
  return image;
}

}  // namespace

// ---- TFileDirEdit

TFileDirEdit::TFileDirEdit(QWidget* parent) : TCustomComboEdit(parent) {
  SetGlyphKind(gkDefault);
}

QImage TFileDirEdit::DefaultGlyph() const {
  static const QImage glyph = FolderGlyph();  // one bitmap for every edit
  return glyph;
}

void TFileDirEdit::SetAcceptFiles(bool on) {
  acceptFiles_ = on;
}

void TFileDirEdit::DropFiles(const QStringList& paths) {
  if (paths.isEmpty()) return;
  ClearFileList();
  for (const QString& path : paths) {
    ReceptFileDir(path);
    if (!KeepsSeveral()) break;
  }
  emit OnDropFiles();
}

void TFileDirEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (acceptFiles_ && !LocalPaths(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  TCustomComboEdit::dragEnterEvent(event);
}

void TFileDirEdit::dragMoveEvent(QDragMoveEvent* event) {
  if (acceptFiles_ && !LocalPaths(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  TCustomComboEdit::dragMoveEvent(event);
}

void TFileDirEdit::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalPaths(event->mimeData());
  if (acceptFiles_ && !paths.isEmpty()) {
    event->acceptProposedAction();
    DropFiles(paths);
    return;
  }
  TCustomComboEdit::dropEvent(event);
}

// ---- TDirectoryEdit

TDirectoryEdit::TDirectoryEdit(QWidget* parent) : TFileDirEdit(parent) {}

void TDirectoryEdit::AddFolder(const QString& folder) {
  if (multipleDirs_ && !text().isEmpty())
    setText(text() + QLatin1Char(';') + folder);
  else
    setText(folder);
}

void TDirectoryEdit::ReceptFileDir(const QString& name) {
  const QFileInfo info(name);
  AddFolder(info.isDir() ? name : info.absolutePath());
}

void TDirectoryEdit::ButtonClick() {
  QPointer<TDirectoryEdit> self(this);
  TFileDirEdit::ButtonClick();
  if (!self) return;
  QString name = text();
  bool action = true;
  if (onBeforeDialog_) onBeforeDialog_(this, name, action);
  if (!self || !action) return;
  const QString root = QStringLiteral("/");
  if (name.isEmpty()) name = initialDir_;
  if (name.isEmpty()) name = root;
  if (!IsExistingFolder(name)) name = root;

  bool chosen = false;
  if (dialogKind_ == dkWin32) {
    chosen = ChooseFolder(name, dialogText_, HelpContext(), this);
  } else {
    TFolderDialogRequest request;
    request.owner = this;
    request.startFolder = name;
    request.helpContext = HelpContext();
    request.options = dialogOptions_;
    const std::optional<QString> folder = RunFolderDialog(request);
    if (!self) return;
    chosen = folder && TakeChosenFolder(*folder, dialogOptions_, this);
    if (chosen) name = NormalizeFolderName(*folder);
  }
  if (!self) return;
  if (isEnabled() && isVisible() && (focusPolicy() & Qt::TabFocus)) setFocus();
  if (onAfterDialog_) onAfterDialog_(this, name, action);
  if (!self || !chosen || !action) return;
  AddFolder(name);
  if (!name.isEmpty() && IsExistingFolder(name)) initialDir_ = name;
}

}  // namespace tovix
