#include "controls/combo_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>
#include <optional>

#include "control_test_helpers.h"
#include "controls/directory_edit.h"
#include "controls/folder_dialog.h"

namespace tovix {
namespace {

struct RowName {
  template <class P>
  std::string operator()(const ::testing::TestParamInfo<P>& row) const {
    return row.param.name;
  }
};

// A shown, active window holding one edit.
class ComboEditTest : public ::testing::Test {
 protected:
  template <class Edit>
  Edit* Make() {
    window_ = std::make_unique<QWidget>();
    window_->resize(200, 60);
    auto* edit = new Edit(window_.get());
    edit->setGeometry(10, 10, 120, 21);
    QObject::connect(edit, &TCustomComboEdit::OnButtonClick, [this] { ++buttonClicks_; });
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    edit->setFocus();
    return edit;
  }

  static void ClickButton(TCustomComboEdit* edit) {
    QTest::mouseClick(edit->Button(), Qt::LeftButton, {}, {4, 4});
  }

  std::unique_ptr<QWidget> window_;
  int buttonClicks_ = 0;
};

TEST_F(ComboEditTest, NewComboEditHasItsStoredDefaults) {
  auto* edit = Make<TComboEdit>();
  TComboEdit fresh;
  EXPECT_EQ(fresh.height(), 21);
  EXPECT_EQ(edit->Alignment(), taLeftJustify);
  EXPECT_EQ(edit->ButtonHint(), QString());
  EXPECT_EQ(edit->ButtonWidth(), 21);
  EXPECT_EQ(edit->ClickKey(), QKeySequence(Qt::AltModifier | Qt::Key_Down));
  EXPECT_TRUE(edit->DirectInput());
  EXPECT_TRUE(edit->Glyph().isNull());
  EXPECT_EQ(edit->GlyphKind(), gkCustom);
  EXPECT_EQ(edit->NumGlyphs(), 1);
  EXPECT_FALSE(edit->ReadOnly());
  EXPECT_TRUE(edit->AutoSelect());
  EXPECT_EQ(edit->MaxLength(), 0);
  EXPECT_EQ(edit->EditMask(), QString());
  EXPECT_EQ(edit->ButtonHolder()->width(), 21);
  EXPECT_EQ(edit->ButtonHolder()->height(), 17);
}

TEST_F(ComboEditTest, NewDirectoryEditHasItsStoredDefaults) {
  auto* edit = Make<TDirectoryEdit>();
  EXPECT_EQ(edit->GlyphKind(), gkDefault);
  EXPECT_EQ(edit->Button()->Glyph().size(), QSize(14, 12));
  EXPECT_EQ(edit->ButtonWidth(), 21);  // the 14-pixel glyph needs only 20
  EXPECT_FALSE(edit->AcceptFiles());
  EXPECT_EQ(edit->DialogKind(), dkVCL);
  EXPECT_EQ(edit->DialogText(), QString());
  EXPECT_EQ(edit->InitialDir(), QString());
  EXPECT_FALSE(edit->MultipleDirs());
}

TEST_F(ComboEditTest, ClickKeyAndMouseFireOnButtonClickOnce) {
  auto* edit = Make<TComboEdit>();
  QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(buttonClicks_, 1);
  window_->setFocus();
  ClickButton(edit);
  EXPECT_EQ(buttonClicks_, 2);
  EXPECT_TRUE(edit->hasFocus());  // the button focuses its edit
  edit->SetButtonWidth(0);
  QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(buttonClicks_, 2);
}

TEST_F(ComboEditTest, ReadOnlyEditIgnoresItsButton) {
  auto* edit = Make<TComboEdit>();
  edit->SetReadOnly(true);
  QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
  ClickButton(edit);
  EXPECT_EQ(buttonClicks_, 0);
}

TEST_F(ComboEditTest, WithoutDirectInputOnlyTheButtonAndCodeSetTheText) {
  auto* edit = Make<TComboEdit>();
  int changes = 0;
  QObject::connect(edit, &TCustomComboEdit::OnChange, [&] { ++changes; });
  edit->SetDirectInput(false);
  EXPECT_FALSE(edit->ReadOnly());
  QTest::keyClicks(edit, QStringLiteral("abc"));
  QApplication::clipboard()->setText(QStringLiteral("pasted"));
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QString());
  EXPECT_EQ(changes, 0);
  QObject::connect(edit, &TCustomComboEdit::OnButtonClick,
                   [edit] { edit->setText(QStringLiteral("chosen")); });
  ClickButton(edit);
  EXPECT_EQ(edit->text(), QStringLiteral("chosen"));
  EXPECT_EQ(changes, 1);
}

struct EllipsisRow {
  const char* name;
  int buttonWidth;
  int glyphWidth;
  std::vector<int> dotStarts;
};
class EllipsisGlyphTest : public ::testing::TestWithParam<EllipsisRow> {};

TEST_P(EllipsisGlyphTest, ThreeDotsSpreadAcrossTheGlyph) {
  const EllipsisRow& row = GetParam();
  const QImage glyph = MakeEllipsisGlyph(row.buttonWidth);
  ASSERT_EQ(glyph.size(), QSize(row.glyphWidth, 4));
  std::vector<int> starts;
  for (int x = 0; x < glyph.width(); ++x) {
    const bool black = glyph.pixel(x, 1) == 0xFF000000;
    const bool blackBefore = x > 0 && glyph.pixel(x - 1, 1) == 0xFF000000;
    if (black && !blackBefore) starts.push_back(x);
    EXPECT_EQ(glyph.pixel(x, 2), glyph.pixel(x, 1));  // dots are two rows high
    EXPECT_EQ(glyph.pixel(x, 0), 0xFFFFFFFF);
    EXPECT_EQ(glyph.pixel(x, 3), 0xFFFFFFFF);
  }
  EXPECT_EQ(starts, row.dotStarts);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, EllipsisGlyphTest,
    ::testing::Values(EllipsisRow{"DefaultWidthGapsOfThree", 21, 15, {1, 6, 11}},
                      EllipsisRow{"NarrowGapsOfOne", 14, 8, {0, 3, 6}},
                      EllipsisRow{"WideGapsStayThree", 30, 24, {6, 11, 16}}),
    RowName());

TEST_F(ComboEditTest, EllipsisButtonFollowsItsWidth) {
  auto* edit = Make<TComboEdit>();
  edit->SetGlyphKind(gkEllipsis);
  EXPECT_EQ(edit->Button()->Glyph().size(), QSize(15, 4));
  edit->SetButtonWidth(30);
  EXPECT_EQ(edit->Button()->Glyph().size(), QSize(24, 4));
  EXPECT_EQ(edit->ButtonHolder()->width(), 30);
  EXPECT_EQ(edit->textMargins().right(), 32);
}

TEST_F(ComboEditTest, ButtonWidthMustStaySmallerThanTheEdit) {
  auto* edit = Make<TComboEdit>();
  edit->SetButtonWidth(200);
  EXPECT_EQ(edit->ButtonWidth(), 21);
  edit->SetButtonWidth(1);
  EXPECT_EQ(edit->ButtonWidth(), 1);
  EXPECT_FALSE(edit->ButtonHolder()->isVisible());
}

TEST_F(ComboEditTest, DropDownButtonHasTheScrollBarWidth) {
  auto* edit = Make<TComboEdit>();
  edit->SetGlyphKind(gkDropDown);
  const int width = edit->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  EXPECT_EQ(edit->ButtonWidth(), width);
  edit->SetButtonWidth(40);
  EXPECT_EQ(edit->ButtonWidth(), width);
}

TEST_F(ComboEditTest, AssigningAGlyphMakesItCustom) {
  auto* edit = Make<TDirectoryEdit>();
  QImage strip(32, 16, QImage::Format_RGB32);
  strip.fill(Qt::white);
  edit->SetGlyph(strip);
  EXPECT_EQ(edit->GlyphKind(), gkCustom);
  EXPECT_EQ(edit->NumGlyphs(), 2);
}

TEST(ComboEditDialogTest, EnterPressesTheDefaultButton) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* edit = new TComboEdit(&dialog);
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  layout->addWidget(edit);
  layout->addWidget(ok);
  ok->setDefault(true);
  int pressed = 0;
  QObject::connect(ok, &QPushButton::clicked, [&] { ++pressed; });
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  edit->setFocus();
  QTest::keyClicks(edit, QStringLiteral("x"));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("x"));
}

// ---- folder choosing

// Answers the folder dialog in place of the user and records what it was asked.
class ChooserStub {
 public:
  explicit ChooserStub(std::optional<QString> answer)
      : previous_(SetFolderDialogHook([this, answer](const TFolderDialogRequest& request) {
          ++calls;
          last = request;
          return answer;
        })) {}
  ~ChooserStub() { SetFolderDialogHook(previous_); }
  ChooserStub(const ChooserStub&) = delete;
  ChooserStub& operator=(const ChooserStub&) = delete;

  int calls = 0;
  TFolderDialogRequest last;

 private:
  TFolderDialogHook previous_;
};

// Two real folders A and B; "<A>", "<B>" and "<missing>" in a text stand for their paths.
class FolderTest : public ComboEditTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    ASSERT_TRUE(QDir(temp_.path()).mkpath(QStringLiteral("A")));
    ASSERT_TRUE(QDir(temp_.path()).mkpath(QStringLiteral("B")));
  }
  QString Path(const char* name) const {
    QString text = QString::fromUtf8(name);
    const QString root = QDir::cleanPath(temp_.path());
    text.replace(QStringLiteral("<A>"), root + QStringLiteral("/A"));
    text.replace(QStringLiteral("<B>"), root + QStringLiteral("/B"));
    text.replace(QStringLiteral("<missing>"), root + QStringLiteral("/missing"));
    return text;
  }
  std::optional<QString> Answer(const char* name) const {
    if (!name) return std::nullopt;
    return Path(name);
  }

  QTemporaryDir temp_;
};

struct BrowseRow {
  const char* name;
  const char* text;
  const char* initialDir;
  bool multipleDirs;
  const char* answer;  // nullptr: cancelled
  const char* start;
  const char* result;
  const char* newInitialDir;
};
class DirectoryButtonTest : public FolderTest, public ::testing::WithParamInterface<BrowseRow> {};

TEST_P(DirectoryButtonTest, ButtonBrowsesFromTheTextAndTakesTheChoice) {
  const BrowseRow& row = GetParam();
  auto* edit = Make<TDirectoryEdit>();
  edit->setText(Path(row.text));
  edit->SetInitialDir(Path(row.initialDir));
  edit->SetMultipleDirs(row.multipleDirs);
  ChooserStub chooser(Answer(row.answer));
  ClickButton(edit);
  EXPECT_EQ(buttonClicks_, 1);
  EXPECT_EQ(chooser.calls, 1);
  EXPECT_EQ(chooser.last.startFolder, Path(row.start));
  EXPECT_EQ(edit->text(), Path(row.result));
  EXPECT_EQ(edit->InitialDir(), Path(row.newInitialDir));
}

INSTANTIATE_TEST_SUITE_P(
    Choices, DirectoryButtonTest,
    ::testing::Values(
        BrowseRow{"ExistingTextIsTheStart", "<A>", "", false, "<B>", "<A>", "<B>", "<B>"},
        BrowseRow{"EmptyTextStartsAtInitialDir", "", "<A>", false, "<B>", "<A>", "<B>", "<B>"},
        BrowseRow{"NothingToStartFromIsTheRoot", "", "", false, "<A>", "/", "<A>", "<A>"},
        BrowseRow{"MissingFolderStartsAtTheRoot", "<missing>", "", false, "<A>", "/", "<A>", "<A>"},
        BrowseRow{"CancelKeepsTheText", "<A>", "", false, nullptr, "<A>", "<A>", ""},
        BrowseRow{"MultipleDirsAppends", "<A>", "", true, "<B>", "<A>", "<A>;<B>", "<B>"},
        BrowseRow{"TrailingSeparatorIsDropped", "", "", false, "<B>/", "/", "<B>", "<B>"},
        BrowseRow{"RootKeepsItsSeparator", "", "", false, "/", "/", "/", "/"},
        BrowseRow{"NoFolderIsNoChoice", "<A>", "", false, "<missing>", "<A>", "<A>", ""}),
    RowName());

TEST_F(FolderTest, BeforeAndAfterHooksCanChangeOrStopTheDialog) {
  auto* edit = Make<TDirectoryEdit>();
  edit->setText(Path("<A>"));
  ChooserStub chooser(Answer("<B>"));
  edit->SetOnBeforeDialog([](QObject*, QString&, bool& action) { action = false; });
  ClickButton(edit);
  EXPECT_EQ(chooser.calls, 0);
  EXPECT_EQ(buttonClicks_, 1);  // the button itself still reports the click

  const QString b = Path("<B>");
  edit->SetOnBeforeDialog([b](QObject*, QString& name, bool&) { name = b; });
  edit->SetOnAfterDialog([](QObject*, QString&, bool& action) { action = false; });
  ClickButton(edit);
  EXPECT_EQ(chooser.last.startFolder, b);
  EXPECT_EQ(edit->text(), Path("<A>"));

  const QString a = Path("<A>");
  edit->SetOnAfterDialog([a](QObject*, QString& name, bool&) { name = a + QStringLiteral("/x"); });
  ClickButton(edit);
  EXPECT_EQ(edit->text(), a + QStringLiteral("/x"));
  EXPECT_EQ(edit->InitialDir(), QString());  // not an existing folder
}

TEST_F(FolderTest, DialogTitleIsTheDialogTextOnlyForTheShellKind) {
  auto* edit = Make<TDirectoryEdit>();
  edit->SetDialogText(QStringLiteral("Pick the reports folder"));
  ChooserStub chooser(std::nullopt);
  ClickButton(edit);
  EXPECT_EQ(chooser.last.title, QString());
  edit->SetDialogKind(dkWin32);
  ClickButton(edit);
  EXPECT_EQ(chooser.last.title, QStringLiteral("Pick the reports folder"));
  EXPECT_EQ(chooser.last.owner, nullptr);  // centred on the screen, modal for the program
}

struct DropRow {
  const char* name;
  bool acceptFiles;
  bool multipleDirs;
  const char* result;
  int dropEvents;
};
class DirectoryDropTest : public FolderTest, public ::testing::WithParamInterface<DropRow> {};

TEST_P(DirectoryDropTest, DroppedFileGivesItsFolder) {
  const DropRow& row = GetParam();
  auto* edit = Make<TDirectoryEdit>();
  edit->SetAcceptFiles(row.acceptFiles);
  edit->SetMultipleDirs(row.multipleDirs);
  int dropped = 0;
  QObject::connect(edit, &TFileDirEdit::OnDropFiles, [&] { ++dropped; });
  QFile file(Path("<A>/report.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(file.fileName()), QUrl::fromLocalFile(Path("<B>"))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &drop);
  EXPECT_EQ(edit->text(), Path(row.result));
  EXPECT_EQ(dropped, row.dropEvents);
}

INSTANTIATE_TEST_SUITE_P(Drops, DirectoryDropTest,
                         ::testing::Values(DropRow{"RefusedByDefault", false, false, "", 0},
                                           DropRow{"FirstOnly", true, false, "<A>", 1},
                                           DropRow{"AllWithMultipleDirs", true, true, "<A>;<B>",
                                                   1}),
                         RowName());

TEST_F(FolderTest, BrowseDialogStartsAtAnExistingFolderOnly) {
  TBrowseFolderDlg dialog;
  EXPECT_EQ(dialog.Position(), dpScreenCenter);
  dialog.SetFolderName(Path("<missing>"));
  {
    ChooserStub chooser(std::nullopt);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(chooser.last.startFolder, QString());
    EXPECT_EQ(dialog.FolderName(), Path("<missing>"));
  }
  dialog.SetFolderName(Path("<A>"));
  ChooserStub chooser(Answer("<B>/"));
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(chooser.last.startFolder, Path("<A>"));
  EXPECT_EQ(dialog.FolderName(), Path("<B>"));
  EXPECT_EQ(dialog.DisplayName(), QStringLiteral("B"));
}

}  // namespace
}  // namespace tovix
