#include "windows/dialogs/list_export_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "controls/zn_list_view.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "platform/file_names.h"
#include "platform/latin1.h"
#include "platform/typed_text.h"
#include "views/xlsx_export.h"

namespace tovix {

namespace {

const char* const kWriteFailed =
    "Export failed. Try again with a different file name. Please ensure that you are not "
    "attempting to write to an empty floppy drive or write-protected media (such as a "
    "floppy).\r\n\r\nNetwork users: Please ensure that the network drive/folder you are trying "
    "to write to is connected.";

}  // namespace

TExportTempFolder& ViewedExportFiles() {
  // Program-wide like the clipboard: viewed files of every list window share one folder, which
  // goes when the program ends.
  static TExportTempFolder folder;
  static const bool removeAtQuit = [] {
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QObject::connect(app, &QCoreApplication::aboutToQuit, [] { folder.Remove(); });
    }
    return true;
  }();
  (void)removeAtQuit;
  return folder;
}

bool CanViewExportType(TExportType) {
  return true;
}

TProgressForm::TProgressForm(const QString& caption, std::string countingFormat, int rows,
                             QWidget* owner)
    : QDialog(owner), steps_(rows), countingFormat_(std::move(countingFormat)) {
  setObjectName("ProgressForm");
  setWindowTitle(caption);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, steps_.Maximum);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  text_ = new QLabel(this);
  text_->setAlignment(Qt::AlignCenter);
  text_->setFrameShape(QFrame::Panel);
  text_->setFrameShadow(QFrame::Sunken);
  layout->addWidget(bar_);
  layout->addWidget(text_);
  bar_->setVisible(!steps_.TextMode);
  text_->setVisible(steps_.TextMode);
  resize(320, steps_.TextMode ? 57 : sizeHint().height());
  if (steps_.TextMode) setFixedHeight(57);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  Seconds = [clock] { return static_cast<double>(clock->elapsed()) / 1000.0; };
}

void TProgressForm::Advance(int row) {
  if (!steps_.Due(row)) return;
  if (steps_.TextMode)
    text_->setText(FromLatin1(ExportProgressText(countingFormat_, row, Seconds())));
  else
    bar_->setValue(steps_.BarValue(row));
  QCoreApplication::processEvents();
}

TExportChoiceForm::TExportChoiceForm(const std::vector<TExportType>& allowed, TExportType last,
                                     int count, QWidget* parent)
    : QDialog(parent), allowed_(allowed) {
  setWindowTitle(count > 0 ? QString("Export %1 Items").arg(count) : QString("Export Items"));
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox("Please choose an Export Format ", this);
  auto* groupLayout = new QVBoxLayout(group);
  cbTypes_ = new QComboBox(group);
  cbTypes_->setObjectName("cbTypes");
  for (TExportType type : allowed_) cbTypes_->addItem(ExportTypeInfo(type).DisplayName);
  rbView_ = new QRadioButton("&View on Screen", group);
  rbFile_ = new QRadioButton("Export to &File", group);
  groupLayout->addWidget(cbTypes_);
  groupLayout->addWidget(rbView_);
  groupLayout->addWidget(rbFile_);
  layout->addWidget(group);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("&Ok", QDialogButtonBox::AcceptRole);
  buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(rbView_, &QRadioButton::clicked, this, [this] { viewOnly_ = true; });
  connect(rbFile_, &QRadioButton::clicked, this, [this] { viewOnly_ = false; });

  int index = 0;
  for (size_t i = 0; i < allowed_.size(); ++i) {
    if (allowed_[i] == last) index = static_cast<int>(i);
  }
  cbTypes_->setCurrentIndex(index);
  connect(cbTypes_, &QComboBox::currentIndexChanged, this, [this] { ApplyTypeRule(); });
  ApplyTypeRule();
}

TExportType TExportChoiceForm::ChosenType() const {
  const int i = cbTypes_->currentIndex();
  return i >= 0 && i < static_cast<int>(allowed_.size()) ? allowed_[static_cast<size_t>(i)]
                                                         : TExportType::xText;
}

void TExportChoiceForm::ApplyTypeRule() {
  const TExportType type = ChosenType();
  const bool file = type != TExportType::xClipboard;
  const bool view = file && CanViewExportType(type);
  rbFile_->setEnabled(file);
  rbView_->setEnabled(view);
  rbView_->setChecked(view);
  rbFile_->setChecked(!view && file);
  if (!view && !file) {
    // Neither applies: no button stays checked.
    rbView_->setAutoExclusive(false);
    rbView_->setChecked(false);
    rbView_->setAutoExclusive(true);
  }
  viewOnly_ = view;
}

int TListViewExportSource::ColumnCount() const {
  return list_.Rows().columnCount();
}

std::string TListViewExportSource::ColumnCaption(int column) const {
  return list_.Rows().Captions().value(column).toLatin1().toStdString();
}

int TListViewExportSource::ColumnWidth(int column) const {
  return list_.horizontalHeader()->sectionSize(column);
}

int TListViewExportSource::ColumnAtPosition(int position) const {
  return list_.horizontalHeader()->logicalIndex(position);
}

int TListViewExportSource::RowCount() const {
  return list_.Rows().Count();
}

bool TListViewExportSource::RowSelected(int row) const {
  return list_.selectionModel()->isRowSelected(row, QModelIndex());
}

std::string TListViewExportSource::Cell(int row, int column) const {
  return list_.Rows().CellText(list_.Rows().SourceRow(row), column);
}

TExportZnListView::TExportZnListView(TznListView& list, UserInterface& ui, QWidget* owner)
    : list_(list), ui_(ui), owner_(owner) {
  for (int t = 0; t < kExportTypeCount; ++t) AllowedTypes.push_back(static_cast<TExportType>(t));
  ChooseSaveFile = [this](const QString& title, const QString& filter, const QString& ext) {
    QFileDialog dialog(owner_, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(ext);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
  };
  OpenFile = [](const QString& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
  };
  RunChoiceDialog = [](TExportChoiceForm& form) { return form.exec() == QDialog::Accepted; };
}

bool TExportZnListView::ExecuteExport() {
  const int count = Options.SelectedRowsOnly && list_.SelectedCount() > 0 ? list_.SelectedCount()
                                                                          : list_.Rows().Count();
  TExportChoiceForm form(AllowedTypes, LastType, count, owner_);
  if (!RunChoiceDialog(form)) return false;
  ViewOnly = form.ViewOnly();
  ExportFile.clear();
  LastType = ExportType = form.ChosenType();
  return DoExport();
}

bool TExportZnListView::Failed() {
  if (OnExportFailed) OnExportFailed();
  return false;
}

bool TExportZnListView::DoExport() {
  const bool ok = Export();
  ExportFile.clear();
  if (!ok) return Failed();
  if (OnExportFinished) OnExportFinished();
  return true;
}

bool TExportZnListView::Export() {
  QCoreApplication::processEvents();
  const TListViewExportSource source(list_);
  std::optional<TExportTable> table = CollectExportTable(source, Options, Captions, ui_);
  if (!table) return false;

  const TExportTypeInfo& info = ExportTypeInfo(ExportType);
  const bool clipboard = ExportType == TExportType::xClipboard;
  const bool viewed = !clipboard && ViewOnly && CanViewExportType(ExportType);
  QString file;
  if (viewed) {
    try {
      file = FileNameText(ViewedExportFiles().NewFile(info.Extension).string());
    } catch (const std::exception&) {
      ui_.ShowMessage("Export Failed.");
      return false;
    }
  } else if (!clipboard) {
    file = FileNameText(Trim(ExportFile));
    if (file.isEmpty()) {
      const QString name = info.DisplayName;
      const QString ext = info.Extension;
      file = ChooseSaveFile(QString("Export to %1 File").arg(name),
                            QString("%1 files (*.%2);;All Files (*)").arg(name, ext), ext);
      if (file.isEmpty()) return false;
    }
  }

  TExportTexts texts{Title, Header, Footer, {}, Captions};
  if (Options.TimeStamp) {
    // The export is Latin-1 text: a locale whose date Latin-1 cannot write gives the plain
    // numeric form instead of "?".
    const QDateTime now = QDateTime::currentDateTime();
    texts.TimeStamp = EncodeTyped(QLocale().toString(now, QLocale::ShortFormat), TCodePage::Latin1)
                          .value_or(QLocale::c().toString(now, "yyyy-MM-dd HH:mm").toStdString());
  }
  if (OnBeginExport) OnBeginExport();
  std::unique_ptr<TProgressForm> progress;
  if (Options.ShowProgress) {
    progress = std::make_unique<TProgressForm>("Exporting...", std::string(kExportCountingFormat),
                                               static_cast<int>(table->Rows.size()), owner_);
    progress->show();
  }
  const TExportProgress advance = [&progress](int row) {
    if (progress) progress->Advance(row);
  };
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (owner_ && Options.ShowProgress) owner_->setEnabled(false);
  bool ok = true;
  if (ExportType == TExportType::xMicrosoft_Excel) {
    std::string error;
    ok = WriteXlsxFile(FileNameBytes(file), *table, texts, error, advance);
  } else {
    const std::string text = WriteExportText(ExportType, *table, texts, advance);
    if (clipboard) {
      QGuiApplication::clipboard()->setText(FromLatin1(text));
    } else {
      try {
        WriteFileAtomically(FileNameBytes(file), text);
      } catch (const std::exception&) {
        ok = false;
      }
    }
  }
  if (owner_) owner_->setEnabled(true);
  QApplication::restoreOverrideCursor();
  progress.reset();
  if (!ok) {
    ui_.ShowMessage(kWriteFailed);
    return false;
  }
  if (clipboard && Options.ShowClipboardMsg) ui_.ShowMessage("Successfully Exported to Clipboard");
  if (viewed && !OpenFile(file)) {
    const std::string name = info.DisplayName;
    ui_.ShowMessage(
        Fmt("Error occured while trying to view data exported to the %s format.\r\n\r\n"
            "If this problem persists, you may want to consider re-installing the %s "
            "Viewer Application. Doing so should fix this problem.",
            name, name));
    if (OnPrintFailed) OnPrintFailed();
  }
  return true;
}

std::unique_ptr<TExportZnListView> MakeRowsExport(TznListView& list, UserInterface& ui,
                                                  QWidget* owner, std::string header,
                                                  bool numberRows) {
  auto exporter = std::make_unique<TExportZnListView>(list, ui, owner);
  exporter->ExportType = TExportType::xHTML;
  exporter->ViewOnly = true;
  exporter->Options.ExportAllWhenNoneSelected = true;
  exporter->Options.NumberRows = numberRows;
  exporter->Options.SelectedRowsOnly = true;
  exporter->Options.ShowClipboardMsg = true;
  exporter->Options.ShowProgress = true;
  exporter->Options.TimeStamp = true;
  exporter->Header = std::move(header);
  exporter->Title = "Tovix";
  return exporter;
}

}  // namespace tovix
