#include "windows/dialogs/list_export_dialog.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>

#include "controls/zn_list_view.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

TEST(ExportChoiceForm, CaptionAndTheViewAndFileRule) {
  std::vector<TExportType> all;
  for (int t = 0; t < kExportTypeCount; ++t) all.push_back(static_cast<TExportType>(t));
  TExportChoiceForm five(all, TExportType::xText_Comma_Delimited, 5);
  EXPECT_EQ(five.windowTitle(), "Export 5 Items");
  EXPECT_EQ(five.TypeBox()->currentText(), "Comma-Delimited Text");
  EXPECT_TRUE(five.ViewButton()->isChecked());
  EXPECT_TRUE(five.ViewOnly());
  five.FileButton()->click();
  EXPECT_FALSE(five.ViewOnly());

  // The clipboard: neither button, never a file.
  five.TypeBox()->setCurrentIndex(static_cast<int>(TExportType::xClipboard));
  EXPECT_FALSE(five.ViewButton()->isEnabled());
  EXPECT_FALSE(five.FileButton()->isEnabled());
  EXPECT_EQ(five.ChosenType(), TExportType::xClipboard);

  // A last type that is not offered selects the first entry; the types map back by position.
  TExportChoiceForm some({TExportType::xText, TExportType::xText_Tab_Delimited}, TExportType::xHTML,
                         0);
  EXPECT_EQ(some.windowTitle(), "Export Items");
  some.TypeBox()->setCurrentIndex(1);
  EXPECT_EQ(some.ChosenType(), TExportType::xText_Tab_Delimited);
}

struct ExportFixture {
  ExportFixture() : exporter(list, ui, nullptr) {
    list.SetColumns({"Name", "Hidden", "Mass"}, {80, 0, 50});
    list.Rows().SetRows(3, [](int row, int column) {
      static const std::vector<std::vector<std::string>> rows{
          {"<A&B>", "h", "3"}, {"x,y", "h", "20"}, {"\xC6gir", "h", "100"}};
      return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
    });
    list.SetSortColumn(2);
    list.SetSortDirection(TznSortDirection::sdDesc);  // shown: 100, 20, 3
    exporter.OpenFile = [this](const QString& file) {
      opened.push_back(file);
      return true;
    };
    exporter.ChooseSaveFile = [this](const QString& title, const QString& filter, const QString&) {
      asked.push_back(title + " | " + filter);
      return saveAs;
    };
    exporter.OnExportFailed = [this] { ++failed; };
  }
  TznListView list;
  test::RecordingUserInterface ui;
  TExportZnListView exporter;
  std::vector<QString> opened, asked;
  QString saveAs;
  int failed = 0;
};

TEST(ListExportDialog, WritesTheShownRowsToAChosenFileOrAViewedTemporaryFile) {
  ExportFixture f;
  test::TempDir dir;
  f.exporter.ExportType = TExportType::xText_Comma_Delimited;
  f.exporter.ViewOnly = false;
  f.saveAs = QString::fromStdString((dir / "list.csv").string());
  ASSERT_TRUE(f.exporter.DoExport());
  EXPECT_EQ(f.asked, std::vector<QString>{"Export to Comma-Delimited Text File | Comma-Delimited "
                                          "Text files (*.csv);;All Files (*)"});
  EXPECT_EQ(test::ReadFileBytes(dir / "list.csv"),
            "Name,Mass\r\n\xC6gir,100\r\n\"x,y\",20\r\n<A&B>,3\r\n");
  EXPECT_TRUE(f.opened.empty());

  // Cancelling the save dialog fails once and writes nothing.
  f.saveAs.clear();
  EXPECT_FALSE(f.exporter.DoExport());
  EXPECT_EQ(f.failed, 1);

  f.exporter.ExportType = TExportType::xHTML;
  f.exporter.ViewOnly = true;
  ASSERT_TRUE(f.exporter.DoExport());
  ASSERT_EQ(f.opened.size(), 1u);
  const fs::path viewed = f.opened[0].toStdString();
  EXPECT_EQ(viewed.parent_path(), ViewedExportFiles().Folder());
  EXPECT_EQ(viewed.extension(), ".htm");
  EXPECT_NE(test::ReadFileBytes(viewed).find("&lt;A&amp;B&gt;"), std::string::npos);
  ViewedExportFiles().Remove();
  EXPECT_FALSE(fs::exists(viewed));
}

// A count not known beforehand shows the rows written and the seconds taken instead of a bar,
// in a window 57 pixels high; a known count moves the bar.
TEST(ProgressForm, CountsInTextForANegativeCountElseOnTheBar) {
  TProgressForm unknown("Exporting...", std::string(kExportCountingFormat), -1);
  unknown.Seconds = [] { return 2.5; };
  unknown.show();
  EXPECT_EQ(unknown.windowTitle(), "Exporting...");
  EXPECT_FALSE(unknown.Bar()->isVisible());
  EXPECT_TRUE(unknown.TextPanel()->isVisible());
  EXPECT_EQ(unknown.height(), 57);
  unknown.Advance(7);
  EXPECT_EQ(unknown.TextPanel()->text(), "7 Items Exported in 2.50 Seconds.");

  TProgressForm known("Exporting...", std::string(kExportCountingFormat), 100);
  known.show();
  EXPECT_FALSE(known.TextPanel()->isVisible());
  known.Advance(15);  // every fifth row
  EXPECT_EQ(known.Bar()->value(), 3);
}

// A file written to be viewed that no viewer opens: said so, and OnPrintFailed tells the
// window; the export itself succeeded.
TEST(ListExportDialog, AViewerThatDoesNotOpenFiresOnPrintFailed) {
  ExportFixture f;
  int printFailed = 0;
  f.exporter.OnPrintFailed = [&] { ++printFailed; };
  f.exporter.OpenFile = [](const QString&) { return false; };
  f.exporter.ExportType = TExportType::xText;
  f.exporter.ViewOnly = true;
  EXPECT_TRUE(f.exporter.DoExport());
  EXPECT_EQ(printFailed, 1);
  EXPECT_EQ(f.failed, 0);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].rfind("Error occured while trying to view data exported to the Text "
                                   "format.",
                                   0),
            0u);
  ViewedExportFiles().Remove();
}

TEST(ListExportDialog, ClipboardAndSelectedRows) {
  ExportFixture f;
  f.exporter.ExportType = TExportType::xClipboard;
  f.exporter.Options.SelectedRowsOnly = f.exporter.Options.NumberRows = true;
  f.exporter.Options.ShowClipboardMsg = true;
  EXPECT_FALSE(f.exporter.DoExport());
  f.list.selectionModel()->select(f.list.Rows().index(1, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  ASSERT_TRUE(f.exporter.DoExport());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "Item: 1\r\nName: x,y\r\nMass: 20\r\n\r\n");
  EXPECT_EQ(f.ui.messages, (std::vector<std::string>{"You must select at least one item to Export.",
                                                     "Successfully Exported to Clipboard"}));
  EXPECT_TRUE(f.asked.empty());
}

// The choice dialog's answer drives the export and is remembered as the last type.
TEST(ListExportDialog, ExecuteExportTakesTheChoice) {
  ExportFixture f;
  test::TempDir dir;
  f.saveAs = QString::fromStdString((dir / "list.txt").string());
  QString caption;
  f.exporter.RunChoiceDialog = [&](TExportChoiceForm& form) {
    caption = form.windowTitle();
    form.TypeBox()->setCurrentIndex(static_cast<int>(TExportType::xText_Tab_Delimited));
    form.FileButton()->click();
    return true;
  };
  f.exporter.Options.ShowProgress = true;
  ASSERT_TRUE(f.exporter.ExecuteExport());
  EXPECT_EQ(caption, "Export 3 Items");
  EXPECT_EQ(f.exporter.LastType, TExportType::xText_Tab_Delimited);
  EXPECT_EQ(test::ReadFileBytes(dir / "list.txt"),
            "Name\tMass\t\r\n\xC6gir\t100\t\r\nx,y\t20\t\r\n<A&B>\t3\t\r\n");
  EXPECT_TRUE(f.opened.empty());
}

}  // namespace
}  // namespace tovix
