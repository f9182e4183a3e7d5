#include "controls/speed_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "control_test_helpers.h"
#include "controls/draw_utils.h"
#include "support/show_window.h"

namespace tovix {
namespace {

// A shown, active window with buttons on it, and counters for their clicks.
class SpeedButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(200, 100);
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(test::ShowActive(*window_));
  }

  TRxSpeedButton* AddButton(int x, int* clicks = nullptr) {
    auto* button = new TRxSpeedButton(window_.get());
    button->move(x, 0);
    button->show();
    if (clicks) QObject::connect(button, &TRxSpeedButton::OnClick, [clicks] { ++*clicks; });
    return button;
  }

  std::unique_ptr<QWidget> window_;
};

// ---- glyph strips

// A strip of 16 by 16 cells on green (the transparent colour): cell i has an 8 by 8 square of
// colour `inks[i]` in its middle.
QImage Strip(const std::vector<QRgb>& inks) {
  QImage image(16 * int(inks.size()), 16, QImage::Format_RGB32);
  image.fill(QColor(0, 255, 0));
  for (size_t i = 0; i < inks.size(); ++i)
    for (int y = 4; y < 12; ++y)
      for (int x = 4; x < 12; ++x) image.setPixel(16 * int(i) + x, y, inks[i]);
  return image;
}

QRgb PixelOf(const QPixmap& pixmap, int x, int y) {
  return pixmap.toImage().pixel(x, y);
}

TEST(ButtonGlyphTest, StateImagesComeFromTheirCells) {
  TRxButtonGlyph glyph;
  glyph.SetGlyph(Strip({qRgb(255, 0, 0), qRgb(0, 0, 255)}));
  ASSERT_EQ(glyph.NumGlyphs(), 2);
  const QPalette palette = QApplication::palette();
  const QPixmap up = glyph.StateImage(rbsUp, palette);
  EXPECT_EQ(up.size(), QSize(16, 16));
  EXPECT_EQ(PixelOf(up, 8, 8), qRgb(255, 0, 0));
  EXPECT_EQ(qAlpha(PixelOf(up, 0, 0)), 0);  // the green shows as transparent
  EXPECT_EQ(PixelOf(glyph.StateImage(rbsDisabled, palette), 8, 8), qRgb(0, 0, 255));
  // Fewer than three cells: the down state shares the up image.
  glyph.StateImage(rbsDown, palette);
  EXPECT_EQ(glyph.ImageIndex(rbsDown), -1);
  EXPECT_EQ(PixelOf(glyph.StateImage(rbsInactive, palette), 8, 8), qRgb(76, 76, 76));
}

// A glyph from an image list: the list's image for up, down and exclusive, its embossed shape for
// disabled, a grey copy for inactive; an index outside the list (or no list) goes back to the
// bitmap, and the list's size is the glyph's size.
TEST(ButtonGlyphTest, ImagesComeFromAnImageListByIndex) {
  TImageList images(12, 10);
  EXPECT_EQ(images.Add(Strip({qRgb(255, 0, 0), qRgb(0, 0, 255)}), QColor(0, 255, 0)), 0);
  ASSERT_EQ(images.Count(), 3);  // 32 pixels cut into cells 12 wide
  TRxButtonGlyph glyph;
  glyph.SetGlyph(Strip({qRgb(9, 9, 9)}));
  const QPalette palette = QApplication::palette();
  struct Row {
    int index;
    QSize size;
    QRgb up;  // at (8, 8)
  };
  for (const Row& row : {Row{1, {12, 10}, qRgb(0, 0, 255)}, Row{0, {12, 10}, qRgb(255, 0, 0)},
                         Row{3, {16, 16}, qRgb(9, 9, 9)}, Row{-1, {16, 16}, qRgb(9, 9, 9)}}) {
    glyph.SetImages(&images, row.index);
    EXPECT_EQ(glyph.GlyphSize(), row.size) << row.index;
    EXPECT_EQ(PixelOf(glyph.StateImage(rbsUp, palette), 8, 8), row.up) << row.index;
    EXPECT_EQ(PixelOf(glyph.StateImage(rbsDown, palette), 8, 8), row.up) << row.index;
  }
  glyph.SetImages(&images, 1);
  const QPixmap disabled = glyph.StateImage(rbsDisabled, palette);
  EXPECT_EQ(PixelOf(disabled, 9, 5), palette.color(QPalette::Dark).rgb());
  EXPECT_EQ(qAlpha(PixelOf(disabled, 1, 1)), 0);
  EXPECT_EQ(PixelOf(glyph.StateImage(rbsInactive, palette), 8, 8), qRgb(28, 28, 28));
  // A list that goes away leaves the bitmap.
  auto* gone = new TImageList(8, 8);
  gone->Add(Strip({qRgb(1, 2, 3)}));
  glyph.SetImages(gone, 0);
  delete gone;
  EXPECT_FALSE(glyph.UsesImages());
  EXPECT_EQ(glyph.GlyphSize(), QSize(16, 16));
}

// ---- layout (captions are 13 pixels high; kWide is a 100 by 20 button)

struct LayoutRow {
  const char* name;
  QRect client;
  int glyph;  // square; 0 for none
  int text;   // caption width; 0 for none
  TButtonLayout layout;
  int margin;
  int spacing;
  bool mark;
  QPoint glyphPos;
  QRect textBounds;
};
class ButtonLayoutTest : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(ButtonLayoutTest, PlacesGlyphAndCaption) {
  const LayoutRow& r = GetParam();
  const QSize text = r.text ? QSize(r.text, 13) : QSize(0, 0);
  const auto measure = [text](QSize) { return text; };
  const TButtonPlacement place = CalcButtonLayout(r.client, QSize(r.glyph, r.glyph), measure,
                                                  r.layout, r.margin, r.spacing, r.mark);
  EXPECT_EQ(place.glyphPos, r.glyphPos);
  EXPECT_EQ(place.textBounds, r.textBounds);
}

const QRect kWide(0, 0, 100, 20);
const LayoutRow kLayouts[] = {
    {"CaptionOnly", {3, 3, 34, 19}, 0, 30, blGlyphTop, -1, 1, false, {20, 6}, {5, 6, 30, 13}},
    {"AutomaticMargin", kWide, 16, 40, blGlyphLeft, -1, 1, false, {22, 2}, {39, 4, 40, 13}},
    {"AutomaticSpacing", kWide, 16, 40, blGlyphLeft, 4, -1, false, {4, 2}, {40, 4, 40, 13}},
    {"BothAutomatic", kWide, 16, 40, blGlyphLeft, -1, -1, false, {14, 2}, {44, 4, 40, 13}},
    {"Right", kWide, 16, 40, blGlyphRight, -1, 1, false, {62, 2}, {21, 4, 40, 13}},
    {"Bottom", {0, 0, 40, 60}, 16, 30, blGlyphBottom, -1, 1, false, {12, 29}, {5, 15, 30, 13}},
    {"Mark", {0, 0, 60, 20}, 0, 30, blGlyphLeft, -1, 1, true, {11, 10}, {11, 4, 39, 13}},
    {"Clipped", {0, 0, 50, 20}, 0, 200, blGlyphTop, -1, 1, false, {25, 4}, {0, 4, 50, 13}},
};
INSTANTIATE_TEST_SUITE_P(Layouts, ButtonLayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- mouse and keys

TEST_F(SpeedButtonTest, ReleaseInsideClicksOnceAndOutsideNot) {
  int clicks = 0;
  TRxSpeedButton* b = AddButton(0, &clicks);
  QTest::mousePress(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(b->State(), rbsDown);
  EXPECT_EQ(clicks, 0);
  QTest::mouseRelease(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), rbsUp);

  QTest::mousePress(b, Qt::LeftButton, {}, {5, 5});
  QTest::mouseMove(b, {60, 5});
  EXPECT_EQ(b->State(), rbsUp);
  QTest::mouseMove(b, {6, 5});
  EXPECT_EQ(b->State(), rbsDown);
  QTest::mouseMove(b, {60, 5});
  QTest::mouseRelease(b, Qt::LeftButton, {}, {60, 5});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), rbsUp);
}

TEST_F(SpeedButtonTest, GroupedButtonsLatchExclusively) {
  int clicks = 0;
  TRxSpeedButton* a = AddButton(0, &clicks);
  TRxSpeedButton* b = AddButton(30, &clicks);
  TRxSpeedButton* other = AddButton(60);
  TRxSpeedButton* ungrouped = AddButton(90);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);
  ungrouped->SetDown(true);
  EXPECT_FALSE(ungrouped->Down());  // only a grouped button latches

  QTest::mouseClick(a, Qt::LeftButton, {}, {5, 5});
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(a->State(), rbsExclusive);
  QTest::mouseClick(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(a->State(), rbsUp);
  EXPECT_TRUE(other->Down());  // another group is left alone
  // The group's down button stays down unless all may be up.
  QTest::mouseClick(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_TRUE(b->Down());
  b->SetAllowAllUp(true);
  QTest::mouseClick(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(clicks, 4);
}

TEST_F(SpeedButtonTest, HeldButtonRepeatsItsClick) {
  int clicks = 0;
  TRxSpeedButton* b = AddButton(0, &clicks);
  b->SetAllowTimer(true);
  QTimer* timer = b->findChild<QTimer*>(QStringLiteral("repeatTimer"));
  ASSERT_NE(timer, nullptr);
  QTest::mousePress(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 500);
  EXPECT_EQ(clicks, 0);
  test::FireTimer(timer);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(timer->interval(), 100);
  test::FireTimer(timer);
  EXPECT_EQ(clicks, 2);
  // Off the button the repeats pause, back on it they go on.
  QTest::mouseMove(b, {60, 5});
  test::FireTimer(timer);
  EXPECT_EQ(clicks, 2);
  QTest::mouseMove(b, {5, 5});
  test::FireTimer(timer);
  EXPECT_EQ(clicks, 3);
  QTest::mouseRelease(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(clicks, 4);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(SpeedButtonTest, AcceleratorClicksAnEnabledButton) {
  int clicks = 0;
  TRxSpeedButton* b = AddButton(0, &clicks);
  b->SetCaption(QStringLiteral("&Go"));
  QTest::keyClick(window_.get(), Qt::Key_G, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
  b->setEnabled(false);
  QTest::keyClick(window_.get(), Qt::Key_G, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace tovix
