#include "controls/system_menu.h"

#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "controls/caption_strip.h"
#include "controls/top_most_window.h"
#include "support/show_window.h"

namespace tovix {
namespace {

// "caption<TAB>shortcut" plus its state: [ ] / [x] check box, ( ) / (o) radio, ~ disabled;
// "-" a separator, "{...}" a submenu's items. Entries are joined by "|".
QString Dump(const QMenu* menu) {
  QStringList parts;
  for (const QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      parts << "-";
      continue;
    }
    QString s = a->text().replace('\t', '/');
    const bool radio = a->actionGroup() && a->actionGroup()->isExclusive();
    if (a->isCheckable())
      s += radio ? (a->isChecked() ? " (o)" : " ( )") : (a->isChecked() ? " [x]" : " [ ]");
    if (!a->isEnabled()) s += " ~";
    if (a->menu()) s += " {" + Dump(a->menu()) + "}";
    parts << s;
  }
  return parts.join(" | ");
}

QAction* Entry(const QMenu* menu, const QString& caption) {
  for (QAction* a : menu->actions()) {
    if (a->text().section('\t', 0, 0) == caption) return a;
  }
  return nullptr;
}

// A window as the map has it: a caption strip at the top and a popup menu mirrored into the
// window menu.
class SystemMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<QWidget>();
    form->resize(300, 200);
    auto* layout = new QVBoxLayout(form.get());
    strip = new TCaptionStrip(form.get());
    layout->addWidget(strip);
    layout->addStretch(1);

    popup = new QMenu(form.get());
    topMost = popup->addAction("Top Most");
    topMost->setCheckable(true);
    topMost->setShortcut(QKeySequence("Ctrl+T"));
    popup->addAction("-");
    hidden = popup->addAction("Overlay");
    hidden->setVisible(false);
    disabled = popup->addAction("Disable Group Circles");
    disabled->setEnabled(false);
    QMenu* tracks = popup->addMenu("Tracks");
    auto* group = new QActionGroup(tracks);
    noTracks = tracks->addAction("No Tracks");
    allTracks = tracks->addAction("All Tracks");
    for (QAction* a : {noTracks, allTracks}) {
      a->setCheckable(true);
      group->addAction(a);
    }
    noTracks->setChecked(true);

    mirror = new TSystemMenu(form.get());
    mirror->SetSystemMenu(popup);
  }

  void Show() {
    form->show();
    ASSERT_TRUE(test::ShowExposed(*form));
  }

  // The user clicks the strip's window-menu button; the menu that opened.
  QMenu* OpenWindowMenu() {
    QTest::mouseClick(strip->WindowMenuButton(), Qt::LeftButton);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }

  void Click(QMenu* menu, const QString& caption) {
    QAction* entry = Entry(menu, caption);
    ASSERT_NE(entry, nullptr) << caption.toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
  }

  void TearDown() override {
    if (QWidget* open = QApplication::activePopupWidget()) open->close();
  }

  std::unique_ptr<QWidget> form;
  TCaptionStrip* strip = nullptr;
  QMenu* popup = nullptr;
  QAction* topMost = nullptr;
  QAction* hidden = nullptr;
  QAction* disabled = nullptr;
  QAction* noTracks = nullptr;
  QAction* allTracks = nullptr;
  TSystemMenu* mirror = nullptr;
};

TEST_F(SystemMenuTest, MirrorShowsThePopupAsItIsAtEachOpening) {
  Show();
  QMenu* menu = OpenWindowMenu();
  ASSERT_EQ(menu, mirror->WindowMenu());
  const QString ctrlT = QKeySequence("Ctrl+T").toString(QKeySequence::NativeText);
  EXPECT_EQ(Dump(menu), "Top Most/" + ctrlT +
                            " [ ] | - | Disable Group Circles/ ~ | Tracks/ {No Tracks/ (o) | "
                            "All Tracks/ ( )}");
  menu->close();
  topMost->setVisible(false);
  hidden->setVisible(true);
  disabled->setEnabled(true);
  disabled->setText("Enable Group Circles");
  EXPECT_EQ(Dump(OpenWindowMenu()),
            "- | Overlay/ | Enable Group Circles/ | Tracks/ {No Tracks/ (o) | All Tracks/ ( )}");
}

// "Top Most" chosen in the window menu, by mouse and then by keyboard, runs the popup's item once
// each time and so switches the window in and out of the stay-on-top band.
TEST_F(SystemMenuTest, ChoosingAMirroredItemRunsThePopupItemOnce) {
  TTopMostWindow onTop(form.get());
  QObject::connect(topMost, &QAction::toggled, &onTop, &TTopMostWindow::SetAlwaysOnTop);
  int runs = 0;
  QObject::connect(topMost, &QAction::triggered, [&runs] { ++runs; });
  Show();
  Click(OpenWindowMenu(), "Top Most");
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(topMost->isChecked());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_TRUE(form->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

  QMenu* menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(Entry(menu, "Top Most")->isChecked());  // the check mark shows at the next opening
  QTest::keyClick(menu, Qt::Key_Down);                // the first enabled entry
  QTest::keyClick(menu, Qt::Key_Return);
  EXPECT_EQ(runs, 2);
  EXPECT_FALSE(onTop.AlwaysOnTop());
  EXPECT_FALSE(form->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(SystemMenuTest, ChoosingARadioEntryInASubmenuSwitchesThePopupGroup) {
  Show();
  QMenu* menu = OpenWindowMenu();
  menu->setActiveAction(Entry(menu, "Tracks"));
  QTest::keyClick(menu, Qt::Key_Right);
  auto* sub = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(sub, nullptr);
  ASSERT_NE(sub, menu);
  Click(sub, "All Tracks");
  EXPECT_TRUE(allTracks->isChecked());
  EXPECT_FALSE(noTracks->isChecked());
}

// Emptying the popup (or taking it away) left the entries of the removed items in the window
// menu, where choosing them did nothing; the window menu must follow and be empty.
TEST_F(SystemMenuTest, EmptiedPopupLeavesNoStaleEntries) {
  Show();
  OpenWindowMenu()->close();
  popup->clear();
  EXPECT_EQ(Dump(OpenWindowMenu()), "");
  mirror->WindowMenu()->close();

  popup->addAction("Top Most");
  OpenWindowMenu()->close();
  mirror->SetSystemMenu(nullptr);
  EXPECT_EQ(Dump(OpenWindowMenu()), "");
}

// The mirror kept at most 20 submenus in a fixed table; more must not be lost or overrun it.
TEST_F(SystemMenuTest, MoreThanTwentySubmenusAreAllMirrored) {
  popup->clear();
  for (int i = 0; i < 25; ++i) popup->addMenu(QString("Group %1").arg(i))->addAction("Show");
  Show();
  QMenu* menu = OpenWindowMenu();
  ASSERT_EQ(menu->actions().size(), 25);
  EXPECT_EQ(Dump(menu->actions().last()->menu()), "Show/");
}

TEST_F(SystemMenuTest, DestroyedMirrorTakesItsButtonAway) {
  Show();
  delete mirror;
  EXPECT_EQ(strip->WindowMenu(), nullptr);
  EXPECT_TRUE(strip->WindowMenuButton()->isHidden());
}

}  // namespace
}  // namespace tovix
