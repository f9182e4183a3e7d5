#include "controls/form_placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/settings/ini_file.h"
#include "message_box_closer.h"
#include "support/show_window.h"
#include "support/test_paths.h"

namespace tovix {

// A window as the program has them: a class of its own, whose name is its section.
class TfrmSample : public QWidget {
  Q_OBJECT

 public:
  TfrmSample() { setGeometry(20, 30, 250, 150); }
};

namespace {

using Lines = std::vector<std::string>;

// "{ppi}" and "{screen}" stand for this screen's density and size.
std::string Expand(std::string text, const QWidget& form) {
  const QSize size = QGuiApplication::primaryScreen()->size();
  const std::pair<std::string, std::string> values[] = {
      {"{ppi}", std::to_string(qRound(form.screen()->logicalDotsPerInch()))},
      {"{screen}", "(" + std::to_string(size.width()) + "x" + std::to_string(size.height()) + ")"}};
  for (const auto& [name, value] : values)
    for (size_t at; (at = text.find(name)) != std::string::npos;)
      text.replace(at, name.size(), value);
  return text;
}

class FormPlacementTest : public testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TfrmSample>();
    placement = new TFormPlacement(form.get());
    placement->SetIniFileName(QString::fromStdString(Path()));
  }

  void TearDown() override { form.reset(); }

  std::string Path() const { return (dir / "Tovix.INI").string(); }

  // Writes the file with one "[TfrmSample]" section of these lines.
  void Store(const Lines& lines) {
    TIniFile ini(Path());
    for (const std::string& line : lines) {
      const std::string expanded = Expand(line, *form);
      const size_t eq = expanded.find('=');
      ini.WriteString("TfrmSample", expanded.substr(0, eq), expanded.substr(eq + 1));
    }
    ini.UpdateFile();
  }

  Lines Stored() const { return TIniFile(Path()).ReadSectionValues("TfrmSample"); }

  void Show() {
    form->show();
    ASSERT_TRUE(test::ShowExposed(*form));
  }

  test::TempDir dir;
  std::unique_ptr<TfrmSample> form;
  TFormPlacement* placement = nullptr;
};

TEST_F(FormPlacementTest, SaveWritesThePlacementKeys) {
  form->setGeometry(100, 120, 300, 200);
  Show();
  int saves = 0;
  QObject::connect(placement, &TFormPlacement::OnSavePlacement, [&] { ++saves; });
  placement->SaveFormPlacement();
  EXPECT_EQ(saves, 1);
  Lines expected;
  for (const char* line : {"Flags=0", "ShowCmd=1", "PixelsPerInch={ppi}", "MinMaxPos=-1,-1,-1,-1",
                           "MinMaxPos{screen}=-1,-1,-1,-1", "NormPos=100,120,400,320",
                           "NormPos{screen}=100,120,400,320", "Visible=1", "FormVersion=0"}) {
    expected.push_back(Expand(line, *form));
  }
  EXPECT_EQ(Stored(), expected);
}

TEST_F(FormPlacementTest, MaximizedWindowKeepsItsNormalPlaceAndState) {
  form->setGeometry(100, 120, 300, 200);
  Show();
  form->setWindowState(Qt::WindowMaximized);
  placement->SaveFormPlacement();
  const Lines stored = Stored();
  EXPECT_EQ(stored[1], "ShowCmd=3");
  EXPECT_EQ(stored[5], "NormPos=100,120,400,320");

  TfrmSample fresh;
  TFormPlacement other(&fresh);
  other.SetIniFileName(QString::fromStdString(Path()));
  other.RestoreFormPlacement();
  EXPECT_TRUE(fresh.isMaximized());
  EXPECT_EQ(fresh.normalGeometry(), QRect(100, 120, 300, 200));
}

struct ReadCase {
  const char* name;
  Lines stored;
  Qt::WindowStates state;
  QRect normal;  // empty: the window's own (20, 30, 250, 150)
};

class PlacementRead : public FormPlacementTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(PlacementRead, FirstShowRestoresWhatTheFileSays) {
  const ReadCase& c = GetParam();
  Store(c.stored);
  Show();
  EXPECT_EQ(form->windowState(), c.state);
  const QRect normal = c.normal.isNull() ? QRect(20, 30, 250, 150) : c.normal;
  EXPECT_EQ(c.state & Qt::WindowMaximized ? form->normalGeometry() : form->geometry(), normal);
}

const QRect kStored(100, 120, 300, 200);
const Qt::WindowStates kNormal = Qt::WindowNoState;
const ReadCase kReads[] = {
    {"Minimized", {"Flags=0", "ShowCmd=2"}, Qt::WindowMinimized, {}},
    {"FromMaximized", {"Flags=2", "ShowCmd=2"}, Qt::WindowMinimized | Qt::WindowMaximized, {}},
    {"ScreenKeyFirst",
     {"NormPos=1,1,101,101", "NormPos{screen}=100,120,400,320"},
     kNormal,
     kStored},
    {"BadScreenKey",
     {"NormPos{screen}=100,x,400,320", "NormPos=100,120,400,320"},
     kNormal,
     kStored},
    {"BadValueKeepsTheWindow", {"NormPos=100,120,400"}, kNormal, {}},
    {"EmptyRectangleKeepsTheWindow", {"NormPos=100,120,100,320"}, kNormal, {}},
    {"UnknownShowCmdKeepsTheState", {"ShowCmd=7"}, kNormal, {}},
    {"OtherDensity",
     {"ShowCmd=3", "PixelsPerInch=1", "NormPos=100,120,400,320"},
     Qt::WindowMaximized,
     {}},
    {"NothingStored", {}, kNormal, {}},
};
INSTANTIATE_TEST_SUITE_P(Files, PlacementRead, testing::ValuesIn(kReads),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(FormPlacementTest, WindowThatWouldBeOffEveryScreenComesOntoItsScreen) {
  Store({"NormPos=5000,6000,5300,6200"});
  Show();
  const QRect screen = form->screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(form->geometry())) << form->x() << "," << form->y();
  EXPECT_EQ(form->size(), QSize(300, 200));
}

TEST_F(FormPlacementTest, RestoredOnceOnFirstShowAndSavedOnClose) {
  Store({"NormPos=100,120,400,320"});
  int restores = 0;
  QObject::connect(placement, &TFormPlacement::OnRestorePlacement, [&] { ++restores; });
  Show();
  form->setGeometry(60, 70, 280, 190);
  form->hide();
  Show();
  EXPECT_EQ(form->geometry(), QRect(60, 70, 280, 190));
  EXPECT_EQ(restores, 1);
  form->close();
  EXPECT_EQ(TIniFile(Path()).ReadString("TfrmSample", "NormPos", ""), "60,70,340,260");
  EXPECT_EQ(TIniFile(Path()).ReadString("TfrmSample", "Visible", ""), "1");
}

TEST_F(FormPlacementTest, SizeLimitsReplaceOnlyTheLimitsThatAreSet) {
  form->setMaximumSize(900, 700);
  Show();
  const QSize ownMinimum = form->minimumSize();
  TWinMinMaxInfo info;
  info.MinTrackWidth = 260;
  info.MaxTrackHeight = 400;
  info.MaxSizeWidth = 100;  // the window manager's business
  placement->SetMinMaxInfo(info);
  EXPECT_EQ(form->minimumSize(), QSize(260, ownMinimum.height()));
  EXPECT_EQ(form->maximumSize(), QSize(900, 400));

  placement->SetMinMaxInfo(TWinMinMaxInfo{});
  EXPECT_EQ(form->maximumSize(), QSize(900, 700));
  EXPECT_EQ(form->minimumSize(), ownMinimum);
}

TEST_F(FormPlacementTest, FileThatCannotBeWrittenIsReported) {
  placement->SetIniFileName(QString::fromStdString((dir / "missing" / "Tovix.INI").string()));
  EXPECT_THROW(placement->SaveFormPlacement(), EFileError);
  Show();
  test::MessageBoxCloser boxes;
  form->close();  // saving on close cannot throw through the event loop: the user is told
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_NE(boxes.texts[0].find("missing"), std::string::npos);
}

TEST_F(FormPlacementTest, FileThatCannotBeReadIsReported) {
  placement->SetIniFileName(QString::fromStdString(dir.path().string()));  // a folder
  EXPECT_THROW(placement->RestoreFormPlacement(), EFileError);
}

}  // namespace
}  // namespace tovix

#include "form_placement_test.moc"
