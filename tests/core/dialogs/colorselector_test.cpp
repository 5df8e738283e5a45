#include "core/dialogs/colorselector.h"
#include "core/globals.h"
#include "core/terms.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

class Receiver : public QWidget, public ColorReceiver {
public:
    void Receive_SelectedColor(qint32 index) override { received.push_back(index); }
    std::vector<qint32> received;
};

QColor shownColor(QWidget* w)
{
    return w->grab().toImage().pixelColor(w->width() / 2, w->height() / 2);
}

void clickField(frmColorSelector& selector, int index)
{
    QTest::mouseClick(selector.lbColorSelector.at(static_cast<size_t>(index)), Qt::LeftButton);
}

class ColorSelector : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedCodes = ColorCodes;
        savedCount = ColorCount;
        // Red, green, (none), blue.
        ColorCodes = {QStringLiteral("0"), QStringLiteral("FF"), QStringLiteral("FF00"), QString(),
                      QStringLiteral("FF0000")};
        ColorCount = 4;
        frmColorSelector::Unload();
    }
    void TearDown() override
    {
        frmColorSelector::Unload();
        ColorCodes = savedCodes;
        ColorCount = savedCount;
    }

    std::vector<QString> savedCodes;
    int savedCount = 0;
};

}  // namespace

TEST_F(ColorSelector, OneFieldPerStoredColourWithGapsKept)
{
    frmColorSelector& selector = frmColorSelector::instance();
    ASSERT_EQ(selector.lbColorSelector.size(), 5u);
    EXPECT_EQ(selector.lbColorSelector[0]->text(), QStringLiteral("keine "));
    EXPECT_EQ(selector.lbColorSelector[3], nullptr);
    const int height = selector.lbColorSelector[0]->height();
    EXPECT_EQ(height, 12);
    EXPECT_EQ(selector.lbColorSelector[0]->width(), 60);
    for (int i : {1, 2, 4})
        EXPECT_EQ(selector.lbColorSelector[static_cast<size_t>(i)]->y(), selector.lbColorSelector[0]->y() + i * height);
    EXPECT_EQ(selector.height(), selector.lbColorSelector[4]->geometry().bottom() + 1 + 1);
    EXPECT_EQ(shownColor(selector.lbColorSelector[1]), QColor(255, 0, 0));
    EXPECT_EQ(shownColor(selector.lbColorSelector[4]), QColor(0, 0, 255));

    // Built once: later colours appear only after the pop-up was unloaded.
    ColorCodes.push_back(QStringLiteral("808080"));
    ColorCount = 5;
    EXPECT_EQ(frmColorSelector::instance().lbColorSelector.size(), 5u);
    frmColorSelector::Unload();
    EXPECT_EQ(frmColorSelector::instance().lbColorSelector.size(), 6u);
}

TEST_F(ColorSelector, ClickHandsTheFieldsIndexToTheCallerOnce)
{
    Receiver booking;
    Receiver editor;
    frmColorSelector& selector = frmColorSelector::instance();
    selector.ShowColor(&booking, 1500, 3000);
    EXPECT_TRUE(selector.isVisible());
    EXPECT_EQ(selector.frameGeometry().topLeft(), QPoint(100, 200));
    clickField(selector, 2);
    EXPECT_FALSE(selector.isVisible());
    EXPECT_EQ(booking.received, std::vector<qint32>{2});

    selector.ShowColor(&editor, 0, 0);
    clickField(selector, 0);
    EXPECT_EQ(editor.received, std::vector<qint32>{0});
    EXPECT_EQ(booking.received.size(), 1u);
}

TEST_F(ColorSelector, ClosingChoosesNothingAndOnlyHides)
{
    Receiver booking;
    frmColorSelector& selector = frmColorSelector::instance();
    selector.ShowColor(&booking, 0, 0);
    selector.close();
    EXPECT_FALSE(selector.isVisible());
    EXPECT_TRUE(frmColorSelector::isLoaded());
    selector.ShowColor(&booking, 0, 0);
    QTest::keyClick(&selector, Qt::Key_Escape);
    EXPECT_FALSE(selector.isVisible());
    EXPECT_TRUE(booking.received.empty());

    // A caller that is gone gets nothing.
    auto* gone = new Receiver();
    selector.ShowColor(gone, 0, 0);
    delete gone;
    clickField(selector, 1);
    EXPECT_FALSE(selector.isVisible());

    // While windows are unloaded for good, closing really unloads.
    Closing = true;
    selector.close();
    Closing = false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmColorSelector::isLoaded());
}
