#include "core/dialogs/colormixer.h"
#include "platform/runtime/color.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QColor shownColor(QWidget* w)
{
    return w->grab().toImage().pixelColor(w->width() / 2, w->height() / 2);
}

void dragTo(QLabel* slider, int y)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(5, y), slider->mapToGlobal(QPointF(5, y)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(slider, &move);
}

}  // namespace

TEST(ColorMixer, StartsFromAColourAndConfirmsOrCancels)
{
    frmColorConfig mixer;
    EXPECT_EQ(mixer.Value(), -1);
    mixer.setValue(0x0080FF);
    EXPECT_EQ(mixer.sliderValue(0), 255);
    EXPECT_EQ(mixer.sliderValue(1), 128);
    EXPECT_EQ(mixer.sliderValue(2), 0);
    EXPECT_EQ(shownColor(mixer.ShapeColorDisplay), QColor(255, 128, 0));
    mixer.setValue(-5);
    EXPECT_EQ(mixer.MixedColor(), 0x80FF);

    mixer.show();
    QTest::mouseClick(mixer.cmdOK, Qt::LeftButton);
    EXPECT_EQ(mixer.Value(), 0x80FF);
    EXPECT_FALSE(mixer.isVisible());

    // Writing a colour forgets what was confirmed before; cancelling and Escape give -1.
    mixer.setValue(0x123456);
    EXPECT_EQ(mixer.Value(), -1);
    mixer.show();
    QTest::mouseClick(mixer.cmdCancel, Qt::LeftButton);
    EXPECT_EQ(mixer.Value(), -1);
    mixer.show();
    QTest::mouseClick(mixer.cmdOK, Qt::LeftButton);
    EXPECT_EQ(mixer.Value(), 0x123456);
    mixer.show();
    QTest::keyClick(&mixer, Qt::Key_Escape);
    EXPECT_EQ(mixer.Value(), -1);
}

TEST(ColorMixer, SlidersComposeTheColourAndSnapAtTheEnds)
{
    frmColorConfig mixer;
    mixer.setValue(0);
    QLabel* red = mixer.LabelColorSlider[0];
    QLabel* green = mixer.LabelColorSlider[1];
    QLabel* blue = mixer.LabelColorSlider[2];
    const int h = red->height();

    QTest::mousePress(red, Qt::LeftButton, {}, QPoint(5, h / 2));
    EXPECT_EQ(mixer.sliderValue(0), 127);
    dragTo(red, 2);  // within 5 units of the top
    EXPECT_EQ(mixer.sliderValue(0), 255);
    EXPECT_EQ(mixer.ShapeSliderKnob[0]->y() + mixer.ShapeSliderKnob[0]->height() / 2, red->y() + 2);
    dragTo(red, h + 30);  // beyond the slider: no change
    EXPECT_EQ(mixer.sliderValue(0), 255);
    QTest::mouseRelease(red, Qt::LeftButton, {}, QPoint(5, 2));
    dragTo(red, h / 2);  // no slider is active any more
    EXPECT_EQ(mixer.sliderValue(0), 255);

    QTest::mousePress(green, Qt::LeftButton, {}, QPoint(5, h / 4));
    QTest::mouseRelease(green, Qt::LeftButton, {}, QPoint(5, h / 4));
    QTest::mousePress(blue, Qt::LeftButton, {}, QPoint(5, h - 3));  // within 4 units of the bottom
    QTest::mouseRelease(blue, Qt::LeftButton, {}, QPoint(5, h - 3));
    const int greenValue = static_cast<int>(double(h - h / 4) / h * 255.0);
    EXPECT_EQ(mixer.sliderValue(1), greenValue);
    EXPECT_EQ(mixer.sliderValue(2), 0);
    EXPECT_EQ(mixer.MixedColor(), rt::rgb(255, greenValue, 0));
    EXPECT_EQ(shownColor(mixer.ShapeColorDisplay), QColor(255, greenValue, 0));

    // The keyboard moves a slider too.
    blue->setFocus();
    QTest::keyClick(blue, Qt::Key_PageUp);
    QTest::keyClick(blue, Qt::Key_Up);
    EXPECT_EQ(mixer.sliderValue(2), 17);

    mixer.show();
    QTest::mouseClick(mixer.cmdOK, Qt::LeftButton);
    EXPECT_EQ(mixer.Value(), rt::rgb(255, greenValue, 17));
}

TEST(ColorMixer, PalettePicksThePixelUnderThePointer)
{
    frmColorConfig mixer;
    const QImage palette = frmColorConfig::PaletteImage();
    ASSERT_EQ(palette.size(), QSize(50, 192));

    const QPoint spot(25, 60);
    QTest::mousePress(mixer.Picture1, Qt::LeftButton, {}, spot);
    EXPECT_EQ(mixer.MixedColor(), rt::fromQColor(palette.pixelColor(spot)));
    QTest::mouseRelease(mixer.Picture1, Qt::LeftButton, {}, spot);
    QTest::mousePress(mixer.Picture1, Qt::LeftButton, {}, QPoint(0, 5));
    EXPECT_EQ(mixer.MixedColor(), rt::rgb(255, 255, 255));
    // Dragging out of the picture keeps the last colour.
    QMouseEvent outside(QEvent::MouseMove, QPointF(70, 10), mixer.Picture1->mapToGlobal(QPointF(70, 10)), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(mixer.Picture1, &outside);
    EXPECT_EQ(mixer.MixedColor(), rt::rgb(255, 255, 255));
    QTest::mouseRelease(mixer.Picture1, Qt::LeftButton, {}, QPoint(0, 5));
}
