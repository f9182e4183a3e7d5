#include "controls/color_combo_box.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace tovix {
namespace {

QStringList Names(const TColorComboBox& combo) {
  QStringList names;
  for (int i = 0; i < combo.count(); ++i) names << combo.itemText(i);
  return names;
}

TEST(ColorComboBox, ItemsFollowOptionsAndNames) {
  TColorComboBox combo;
  EXPECT_EQ(combo.count(), 16);
  EXPECT_EQ(combo.itemText(4), "Navy");
  combo.SetOptions(coIncludeNone);
  EXPECT_EQ(Names(combo).last(), "None");
  combo.SetOptions(coIncludeNone | coIncludeDefault);
  ASSERT_EQ(combo.count(), 18);
  EXPECT_EQ(Names(combo).mid(16), (QStringList{"None", "Default"}));
  combo.SetOptions(coIncludeDefault);
  EXPECT_EQ(Names(combo).last(), "Default");

  combo.SetColorNames({"Zwart", "", "Groen"});
  EXPECT_EQ(Names(combo).mid(0, 4), (QStringList{"Zwart", "Maroon", "Groen", "Olive"}));
}

TEST(ColorComboBox, ValueChangesReportOnceAndUnknownColoursSelectNothing) {
  TColorComboBox combo;
  QSignalSpy changes(&combo, &TColorComboBox::OnChange);
  combo.SetColorValue(RgbColor(255, 0, 0));
  combo.SetColorValue(RgbColor(255, 0, 0));
  EXPECT_EQ(changes.size(), 1);
  EXPECT_EQ(combo.currentText(), "Red");

  combo.SetColorValue(RgbColor(1, 2, 3));
  EXPECT_EQ(changes.size(), 2);
  EXPECT_EQ(combo.currentIndex(), -1);
  EXPECT_EQ(combo.ColorValue(), RgbColor(1, 2, 3));

  // A user's choice sets the value and reports it once.
  combo.show();
  combo.setFocus();
  combo.SetColorValue(RgbColor(0, 0, 0));
  changes.clear();
  QTest::keyClick(&combo, Qt::Key_Down);
  EXPECT_EQ(combo.ColorValue(), RgbColor(128, 0, 0));
  EXPECT_EQ(changes.size(), 1);
}

TEST(ColorComboBox, TypedNamesAndNumbers) {
  TColorComboBox combo;
  combo.SetStyle(csDropDown);
  combo.show();
  QSignalSpy changes(&combo, &TColorComboBox::OnChange);
  struct Case {
    const char* text;
    TColor value;
  };
  const Case cases[] = {{"red", RgbColor(255, 0, 0)}, {"NAVY", RgbColor(0, 0, 128)},
                        {"255", RgbColor(255, 0, 0)}, {"$FF00", RgbColor(0, 255, 0)},
                        {"$ff", RgbColor(255, 0, 0)}, {"pink", RgbColor(255, 0, 0)}};
  for (const auto& c : cases) {
    combo.lineEdit()->clear();
    QTest::keyClicks(combo.lineEdit(), c.text);
    EXPECT_EQ(combo.ColorValue(), c.value) << c.text;
  }
  // Typing letter by letter reports only real changes: "r", "re" are no colour.
  combo.SetColorValue(RgbColor(0, 0, 0));
  combo.lineEdit()->clear();
  changes.clear();
  QTest::keyClicks(combo.lineEdit(), "red");
  EXPECT_EQ(changes.size(), 1);

  combo.SetColorValue(RgbColor(1, 2, 3));  // no name: shown as a number
  EXPECT_EQ(combo.currentText(), "$00030201");
  EXPECT_EQ(ParseColorText("$zz", {}, {}), std::nullopt);
}

TEST(ColorComboBox, SwatchFrameAndPlace) {
  const TColor navy = RgbColor(0, 0, 128);
  const TColor yellow = RgbColor(255, 255, 0);
  EXPECT_EQ(SwatchFrameColor(navy, true), RgbColor(255, 255, 255));
  EXPECT_EQ(SwatchFrameColor(navy, false), navy);
  EXPECT_EQ(SwatchFrameColor(yellow, true), RgbColor(0, 0, 0));
  EXPECT_EQ(SwatchFrameColor(yellow, false), RgbColor(0, 0, 0));
  EXPECT_EQ(SwatchFrameColor(RgbColor(192, 192, 192), false), RgbColor(192, 192, 192));

  const QRect item(0, 0, 100, 16);
  EXPECT_EQ(SwatchRect(item, true), QRect(2, 2, 22, 12));
  EXPECT_EQ(SwatchRect(item, false), QRect(2, 2, 95, 12));

  // Drawn: the selected navy item's swatch has a white frame around a navy inside.
  QImage image(100, 16, QImage::Format_RGB32);
  QPainter painter(&image);
  QPalette palette;
  palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
  ColorItemDelegate::PaintItem(&painter, item, navy, "Navy", true, true, palette, Qt::LeftToRight);
  painter.end();
  EXPECT_EQ(image.pixelColor(2, 8), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(10, 8), QColor(0, 0, 128));
  EXPECT_EQ(image.pixelColor(1, 8), QColor(0, 0, 200));
}

}  // namespace
}  // namespace tovix
