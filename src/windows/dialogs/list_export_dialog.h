#pragma once
// Export of a list window's list: the choice dialog (format; view on screen or write a file),
// the save dialog, the progress window, and the export itself through the writers of
// views/list_export.h. Files written only to be viewed go to one private folder that is
// removed when the program ends.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "views/export_temp_folder.h"
#include "views/list_export.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QRadioButton;

namespace tovix {

class TznListView;

// The one folder of viewed export files of this run; removed at exit.
TExportTempFolder& ViewedExportFiles();

// Viewing a file of the type is possible (the desktop opens any file it knows).
bool CanViewExportType(TExportType type);

class TExportChoiceForm : public QDialog {
  Q_OBJECT

 public:
  // `count` items are to be exported (the caption shows it when above 0).
  TExportChoiceForm(const std::vector<TExportType>& allowed, TExportType last, int count,
                    QWidget* parent = nullptr);

  TExportType ChosenType() const;
  bool ViewOnly() const { return viewOnly_; }
  QComboBox* TypeBox() const { return cbTypes_; }
  QRadioButton* ViewButton() const { return rbView_; }
  QRadioButton* FileButton() const { return rbFile_; }

 private:
  void ApplyTypeRule();

  std::vector<TExportType> allowed_;
  QComboBox* cbTypes_;
  QRadioButton* rbView_;
  QRadioButton* rbFile_;
  bool viewOnly_ = true;
};

// The progress window of an export: on top of the other windows, centred on its owner, a bar
// that moves every few rows; for a negative row count (rows not known beforehand) a line of
// text instead, the counting format filled with the rows written and the seconds taken. Esc
// only hides it: the export goes on.
class TProgressForm : public QDialog {
  Q_OBJECT

 public:
  TProgressForm(const QString& caption, std::string countingFormat, int rows,
                QWidget* owner = nullptr);

  // After row `row` (1 for the first) is written.
  void Advance(int row);
  QProgressBar* Bar() const { return bar_; }
  QLabel* TextPanel() const { return text_; }
  // Seconds since the window was made; replaceable for tests.
  std::function<double()> Seconds;

 private:
  TExportProgressSteps steps_;
  std::string countingFormat_;
  QProgressBar* bar_;
  QLabel* text_;
};

// The list of a TznListView as the export reads it: visible columns in display order.
class TListViewExportSource : public IExportSource {
 public:
  explicit TListViewExportSource(const TznListView& list) : list_(list) {}
  int ColumnCount() const override;
  std::string ColumnCaption(int column) const override;
  int ColumnWidth(int column) const override;
  int ColumnAtPosition(int position) const override;
  int RowCount() const override;
  bool RowSelected(int row) const override;
  std::string Cell(int row, int column) const override;

 private:
  const TznListView& list_;
};

// The export component of a list window. Rows are exported as the list shows them.
class TExportZnListView {
 public:
  TExportZnListView(TznListView& list, UserInterface& ui, QWidget* owner);

  TExportOptions Options;
  std::string ExportFile;
  std::string Title, Header, Footer;
  std::vector<std::string> Captions;
  bool ViewOnly = true;
  TExportType ExportType = TExportType::xHTML;
  TExportType LastType = TExportType::xHTML;
  std::vector<TExportType> AllowedTypes;  // all eight

  std::function<void()> OnBeginExport, OnExportFinished, OnExportFailed;
  // The export was written but could not be shown on screen (the desktop opened no viewer).
  std::function<void()> OnPrintFailed;
  // Asks for the file to write (title, Qt filter, default extension); "" on cancel.
  std::function<QString(const QString&, const QString&, const QString&)> ChooseSaveFile;
  // Opens a written file for viewing; false when that fails.
  std::function<bool(const QString&)> OpenFile;
  // The choice dialog; false on cancel. Replaceable for tests.
  std::function<bool(TExportChoiceForm&)> RunChoiceDialog;

  // The choice dialog, then DoExport. True when the export succeeded.
  bool ExecuteExport();
  // Exports with ExportType, ViewOnly and ExportFile as set.
  bool DoExport();

 private:
  bool Export();
  bool Failed();

  TznListView& list_;
  UserInterface& ui_;
  QWidget* owner_;
};

// The export of a list window's rows, headed `header`: the selected rows, all when none is,
// viewed as HTML, with the progress, a time stamp and the clipboard message; `numberRows`
// numbers them.
std::unique_ptr<TExportZnListView> MakeRowsExport(TznListView& list, UserInterface& ui,
                                                  QWidget* owner, std::string header,
                                                  bool numberRows);

}  // namespace tovix
