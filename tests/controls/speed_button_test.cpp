#include "controls/speed_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <memory>

#include "control_test_helpers.h"
#include "controls/draw_utils.h"

namespace tovix {
namespace {

using test::FireTimer;

struct RowName {
  template <class P>
  std::string operator()(const ::testing::TestParamInfo<P>& row) const {
    return row.param.name;
  }
};

// Tells a button that the mouse is no longer over it (the offscreen cursor may start there).
void SendLeave(QWidget* widget) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(widget, &leave);
}

// A shown, active window with buttons on it, and counters for their clicks.
class SpeedButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(200, 100);
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }

  TRxSpeedButton* AddButton(int x, int* clicks = nullptr) {
    auto* button = new TRxSpeedButton(window_.get());
    button->move(x, 0);
    button->show();
    if (clicks) QObject::connect(button, &TRxSpeedButton::OnClick, [clicks] { ++*clicks; });
    return button;
  }

  static QTimer* Timer(TRxSpeedButton* button) {
    return button->findChild<QTimer*>(QStringLiteral("repeatTimer"));
  }

  std::unique_ptr<QWidget> window_;
};

TEST_F(SpeedButtonTest, NewButtonHasItsStoredDefaults) {
  TRxSpeedButton* b = AddButton(0);
  EXPECT_EQ(b->size(), QSize(25, 25));
  EXPECT_EQ(b->Alignment(), taCenter);
  EXPECT_FALSE(b->AllowAllUp());
  EXPECT_FALSE(b->AllowTimer());
  EXPECT_EQ(b->InitPause(), 500);
  EXPECT_EQ(b->RepeatInterval(), 100);
  EXPECT_EQ(b->GroupIndex(), 0);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(b->DropDownMenu(), nullptr);
  EXPECT_EQ(b->MenuPosition(), dmpBottom);
  EXPECT_TRUE(b->MarkDropDown());
  EXPECT_FALSE(b->Flat());
  EXPECT_TRUE(b->GrayedInactive());
  EXPECT_TRUE(b->Glyph().isNull());
  EXPECT_EQ(b->NumGlyphs(), 1);
  EXPECT_EQ(b->Layout(), blGlyphTop);
  EXPECT_EQ(b->Margin(), -1);
  EXPECT_EQ(b->Spacing(), 1);
  EXPECT_EQ(b->ModalResult(), 0);
  EXPECT_EQ(b->Style(), bsAutoDetect);
  EXPECT_FALSE(b->Transparent());
  EXPECT_FALSE(b->WordWrap());
  EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(b->ButtonGlyph().TransparentColor(), QColor(255, 0, 255));
}

// ---- glyph strips

struct CellsRow {
  const char* name;
  int width;
  int height;
  int expected;
};
class GlyphCellsTest : public ::testing::TestWithParam<CellsRow> {};

TEST_P(GlyphCellsTest, CellCountFollowsTheBitmapProportions) {
  const CellsRow& row = GetParam();
  TRxButtonGlyph glyph;
  glyph.SetNumGlyphs(2);
  QImage image(row.width, row.height, QImage::Format_RGB32);
  image.fill(Qt::white);
  glyph.SetGlyph(image);
  EXPECT_EQ(glyph.NumGlyphs(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, GlyphCellsTest,
                         ::testing::Values(CellsRow{"Square", 16, 16, 1},
                                           CellsRow{"FourCells", 64, 16, 4},
                                           CellsRow{"FiveCells", 80, 16, 5},
                                           CellsRow{"RatioSixIsOne", 96, 16, 1},
                                           CellsRow{"NotAMultipleKeepsCount", 40, 16, 2}),
                         RowName());

struct StateCellRow {
  const char* name;
  TRxButtonState state;
  int cells;
  int expected;
};
class StateCellTest : public ::testing::TestWithParam<StateCellRow> {};

TEST_P(StateCellTest, StateMapsToItsCell) {
  EXPECT_EQ(StateCell(GetParam().state, GetParam().cells), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(States, StateCellTest,
                         ::testing::Values(StateCellRow{"UpOneCell", rbsUp, 1, 0},
                                           StateCellRow{"DownTwoCellsUsesUp", rbsDown, 2, 0},
                                           StateCellRow{"DownThreeCells", rbsDown, 3, 2},
                                           StateCellRow{"ExclusiveBeyondStrip", rbsExclusive, 3, 0},
                                           StateCellRow{"ExclusiveFourCells", rbsExclusive, 4, 3},
                                           StateCellRow{"DisabledTwoCells", rbsDisabled, 2, 1},
                                           StateCellRow{"InactiveFiveCells", rbsInactive, 5, 4},
                                           StateCellRow{"InactiveFourCells", rbsInactive, 4, 0}),
                         RowName());

TEST(GreyOfTest, KeepsTransparentAndFaceAndGreysTheRest) {
  const QRgb clear = qRgb(0, 255, 0);
  const QRgb face = qRgb(192, 192, 192);
  EXPECT_EQ(GreyOf(clear, clear, face), clear);
  EXPECT_EQ(GreyOf(face, clear, face), face);
  EXPECT_EQ(GreyOf(qRgb(255, 0, 0), clear, face), qRgb(76, 76, 76));
  EXPECT_EQ(GreyOf(qRgb(10, 200, 40), clear, face), qRgb(124, 124, 124));
}

// A strip of `cells` 16 by 16 cells on green (the transparent colour): cell i has an 8 by 8 square
// of colour `inks[i]` in its middle.
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

TEST(ButtonGlyphTest, SingleCellIsEmbossedWhenDisabled) {
  TRxButtonGlyph glyph;
  glyph.SetGlyph(Strip({qRgb(0, 0, 0)}));
  const QPalette palette = QApplication::palette();
  const QPixmap disabled = glyph.StateImage(rbsDisabled, palette);
  EXPECT_EQ(PixelOf(disabled, 8, 8), palette.color(QPalette::Dark).rgb());
  EXPECT_EQ(PixelOf(disabled, 12, 12), palette.color(QPalette::Light).rgb());
  EXPECT_EQ(qAlpha(PixelOf(disabled, 1, 1)), 0);  // button face is left out
}

TEST(ButtonGlyphTest, ButtonsOfOneCellSizeShareOneImageList) {
  const QPalette palette = QApplication::palette();
  {
    TRxButtonGlyph a;
    TRxButtonGlyph b;
    TRxButtonGlyph c;
    a.SetGlyph(Strip({qRgb(255, 0, 0)}));
    b.SetGlyph(Strip({qRgb(0, 0, 255)}));
    QImage big(20, 20, QImage::Format_RGB32);
    big.fill(Qt::white);
    c.SetGlyph(big);
    a.StateImage(rbsUp, palette);
    b.StateImage(rbsUp, palette);
    c.StateImage(rbsUp, palette);
    ASSERT_NE(a.ImageList(), nullptr);
    EXPECT_EQ(a.ImageList(), b.ImageList());
    EXPECT_NE(a.ImageList(), c.ImageList());
    EXPECT_EQ(a.ImageList()->Count(), 2);
    const int index = a.ImageIndex(rbsUp);
    a.StateImage(rbsUp, palette);
    EXPECT_EQ(a.ImageIndex(rbsUp), index);  // made once, then kept
    // A new bitmap drops the cached images; the freed slot is used again.
    a.SetGlyph(Strip({qRgb(0, 255, 255)}));
    EXPECT_EQ(a.ImageIndex(rbsUp), -1);
    EXPECT_EQ(b.ImageList()->Count(), 1);
  }
  EXPECT_EQ(TGlyphCache::Instance(), nullptr);  // gone with the last glyph
}

// ---- layout

struct LayoutRow {
  const char* name;
  QRect client;
  QSize glyph;
  QSize text;  // what the caption measures, before clipping
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
  const QSize text = r.text;
  const auto measure = [text](QSize) { return text; };
  const TButtonPlacement place =
      CalcButtonLayout(r.client, r.glyph, measure, r.layout, r.margin, r.spacing, r.mark);
  EXPECT_EQ(place.glyphPos, r.glyphPos);
  EXPECT_EQ(place.textBounds, r.textBounds);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ButtonLayoutTest,
                         ::testing::Values(LayoutRow{"GlyphOnlyCentred",
                                                     {0, 0, 19, 19},
                                                     {16, 16},
                                                     {0, 0},
                                                     blGlyphTop,
                                                     -1,
                                                     1,
                                                     false,
                                                     {1, 1},
                                                     {}},
                                           LayoutRow{"CaptionOnlyCentred",
                                                     {3, 3, 34, 19},
                                                     {0, 0},
                                                     {30, 13},
                                                     blGlyphTop,
                                                     -1,
                                                     1,
                                                     false,
                                                     {20, 6},
                                                     {5, 6, 30, 13}},
                                           LayoutRow{"LeftAutomaticMargin",
                                                     {0, 0, 100, 20},
                                                     {16, 16},
                                                     {40, 13},
                                                     blGlyphLeft,
                                                     -1,
                                                     1,
                                                     false,
                                                     {22, 2},
                                                     {39, 4, 40, 13}},
                                           LayoutRow{"LeftFixedMarginAutomaticSpacing",
                                                     {0, 0, 100, 20},
                                                     {16, 16},
                                                     {40, 13},
                                                     blGlyphLeft,
                                                     4,
                                                     -1,
                                                     false,
                                                     {4, 2},
                                                     {40, 4, 40, 13}},
                                           LayoutRow{"LeftBothAutomatic",
                                                     {0, 0, 100, 20},
                                                     {16, 16},
                                                     {40, 13},
                                                     blGlyphLeft,
                                                     -1,
                                                     -1,
                                                     false,
                                                     {14, 2},
                                                     {44, 4, 40, 13}},
                                           LayoutRow{"Right",
                                                     {0, 0, 100, 20},
                                                     {16, 16},
                                                     {40, 13},
                                                     blGlyphRight,
                                                     -1,
                                                     1,
                                                     false,
                                                     {62, 2},
                                                     {21, 4, 40, 13}},
                                           LayoutRow{"Bottom",
                                                     {0, 0, 40, 60},
                                                     {16, 16},
                                                     {30, 13},
                                                     blGlyphBottom,
                                                     -1,
                                                     1,
                                                     false,
                                                     {12, 29},
                                                     {5, 15, 30, 13}},
                                           LayoutRow{"MarkWidensGlyph",
                                                     {0, 0, 40, 40},
                                                     {16, 16},
                                                     {0, 0},
                                                     blGlyphTop,
                                                     -1,
                                                     1,
                                                     true,
                                                     {9, 12},
                                                     {}},
                                           LayoutRow{"MarkWidensCaption",
                                                     {0, 0, 60, 20},
                                                     {0, 0},
                                                     {30, 13},
                                                     blGlyphLeft,
                                                     -1,
                                                     1,
                                                     true,
                                                     {11, 10},
                                                     {11, 4, 39, 13}},
                                           LayoutRow{"CaptionClippedToSpace",
                                                     {0, 0, 50, 20},
                                                     {0, 0},
                                                     {200, 13},
                                                     blGlyphTop,
                                                     -1,
                                                     1,
                                                     false,
                                                     {25, 4},
                                                     {0, 4, 50, 13}}),
                         RowName());

TEST(ShortenToWidthTest, LongCaptionOnNarrowButtonEndsWithDots) {
  const QFontMetrics metrics(QApplication::font());
  // A 40-pixel button leaves 34 pixels inside its frame.
  const QString shown = ShortenToWidth(QStringLiteral("Calculator"), metrics, 34);
  EXPECT_TRUE(shown.endsWith(QStringLiteral("..."))) << shown.toStdString();
  EXPECT_LE(metrics.horizontalAdvance(shown), 34);
  EXPECT_EQ(ShortenToWidth(QStringLiteral("OK"), metrics, 34), QStringLiteral("OK"));
}

// ---- painting

TEST_F(SpeedButtonTest, FrameShowsUnlessFlatAndMouseOutside) {
  TRxSpeedButton* b = AddButton(0);
  const QPalette& pal = b->palette();
  QImage image = b->grab().toImage();
  EXPECT_EQ(image.pixel(0, 0), pal.color(QPalette::Light).rgb());
  EXPECT_EQ(image.pixel(24, 24), pal.color(QPalette::Shadow).rgb());
  b->SetFlat(true);
  SendLeave(b);
  image = b->grab().toImage();
  EXPECT_EQ(image.pixel(0, 0), pal.color(QPalette::Button).rgb());
  EXPECT_EQ(image.pixel(24, 24), pal.color(QPalette::Button).rgb());
}

// ---- mouse

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
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);

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

TEST_F(SpeedButtonTest, UngroupedButtonNeverLatches) {
  TRxSpeedButton* b = AddButton(0);
  b->SetDown(true);
  EXPECT_FALSE(b->Down());
}

TEST_F(SpeedButtonTest, HeldButtonRepeatsItsClick) {
  int clicks = 0;
  TRxSpeedButton* b = AddButton(0, &clicks);
  b->SetAllowTimer(true);
  QTimer* timer = Timer(b);
  ASSERT_NE(timer, nullptr);
  QTest::mousePress(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 500);
  EXPECT_EQ(clicks, 0);
  FireTimer(timer);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(timer->interval(), 100);
  FireTimer(timer);
  EXPECT_EQ(clicks, 2);
  // Off the button the repeats pause, back on it they go on.
  QTest::mouseMove(b, {60, 5});
  FireTimer(timer);
  EXPECT_EQ(clicks, 2);
  QTest::mouseMove(b, {5, 5});
  FireTimer(timer);
  EXPECT_EQ(clicks, 3);
  QTest::mouseRelease(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(clicks, 4);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(SpeedButtonTest, ModalResultEndsTheDialog) {
  QDialog dialog(window_.get());
  auto* b = new TRxSpeedButton(&dialog);
  b->SetModalResult(1);
  dialog.open();
  ASSERT_TRUE(dialog.isVisible());
  QTest::mouseClick(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), 1);
}

TEST_F(SpeedButtonTest, MouseEnterAndLeaveFireOnceEach) {
  int entered = 0;
  int left = 0;
  TRxSpeedButton* b = AddButton(0);
  SendLeave(b);
  QObject::connect(b, &TRxSpeedButton::OnMouseEnter, [&] { ++entered; });
  QObject::connect(b, &TRxSpeedButton::OnMouseLeave, [&] { ++left; });
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(b, &enter);
  QApplication::sendEvent(b, &enter);
  EXPECT_EQ(entered, 1);
  EXPECT_TRUE(b->MouseInside());
  QApplication::sendEvent(b, &leave);
  EXPECT_EQ(left, 1);
  b->setEnabled(false);
  QApplication::sendEvent(b, &enter);
  EXPECT_EQ(entered, 1);  // a disabled button is never entered
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

TEST_F(SpeedButtonTest, PressOpensTheDropDownMenuWithoutClicking) {
  int clicks = 0;
  TRxSpeedButton* b = AddButton(20, &clicks);
  b->resize(40, 20);
  QMenu menu;
  menu.addAction(QStringLiteral("One"));
  b->SetDropDownMenu(&menu);
  QPoint shownAt;
  QTimer::singleShot(0, &menu, [&] {
    shownAt = menu.pos();
    menu.close();
  });
  QTest::mousePress(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(shownAt, b->mapToGlobal(QPoint(-1, 20)));
  QTest::mouseRelease(b, Qt::LeftButton, {}, {5, 5});
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(b->State(), rbsUp);
}

TEST_F(SpeedButtonTest, PressAndClickTogglesAGroupedButton) {
  int clicks = 0;
  TRxSpeedButton* b = AddButton(0, &clicks);
  b->SetGroupIndex(3);
  b->SetAllowAllUp(true);
  b->PressAndClick();
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(clicks, 1);
  b->PressAndClick();
  EXPECT_FALSE(b->Down());
  b->setEnabled(false);
  b->PressAndClick();
  EXPECT_EQ(clicks, 2);
}

}  // namespace
}  // namespace tovix
