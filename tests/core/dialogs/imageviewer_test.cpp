#include "core/dialogs/imageviewer.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString writePicture(const test::TempFolder& folder, const QString& name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = folder.file(name);
    image.save(path);
    return path;
}

class PictureViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedImageDir = ImageDir;
        ImageDir = folder.path();
    }
    void TearDown() override
    {
        if (frmImage* viewer = frmImage::loaded())
            delete viewer;
        ImageDir = savedImageDir;
    }

    test::TempFolder folder;
    QString savedImageDir;
};

}  // namespace

TEST_F(PictureViewer, ReportsAMissingPictureAndAMissingFile)
{
    const test::GlobalsScope globals;
    InitGlobalTexts();
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(frmImage::ShowImage(QString(), QStringLiteral("Zimmer 12")));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Der Ressource \"Zimmer 12\" wurde keine Bilddatei hinterlegt."));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
    // The program's title, not the name of its executable.
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("VELMORANT"));

    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(frmImage::ShowImage(QStringLiteral("haus.jpg"), QStringLiteral("Haus")));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Bilddatei\n") + folder.path()
                                               + QStringLiteral("haus.jpg\nexistiert nicht."));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(frmImage::ShowImage(QStringLiteral("/nirgends/haus.jpg"), QStringLiteral("Haus")));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Bilddatei\n/nirgends/haus.jpg\nexistiert nicht."));

    // A file that is no picture is reported by the viewer itself.
    folder.write(QStringLiteral("kaputt.jpg"), "kein Bild");
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(frmImage::ShowImage(QStringLiteral("kaputt.jpg"), QStringLiteral("Haus")));
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral("kann nicht als Bild geladen werden.")));
    EXPECT_FALSE(frmImage::isLoaded());
}

TEST_F(PictureViewer, WindowTakesThePicturesSizeOrShrinksKeepingProportions)
{
    writePicture(folder, QStringLiteral("haus.png"), 400, 300);
    ASSERT_TRUE(frmImage::ShowImage(QStringLiteral("haus.png"), QStringLiteral("Haupthaus")));
    frmImage* viewer = frmImage::loaded();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->size(), QSize(400, 300));
    EXPECT_EQ(viewer->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Haupthaus"));

    // A second picture replaces the first in the same window; a full path is used as it stands.
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QString wide = writePicture(folder, QStringLiteral("panorama.png"), room.width() * 3, room.height());
    ASSERT_TRUE(frmImage::ShowImage(wide, QStringLiteral("Aussicht")));
    EXPECT_EQ(frmImage::loaded(), viewer);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Aussicht"));
    EXPECT_LE(viewer->frameGeometry().width(), room.width());
    EXPECT_LE(viewer->frameGeometry().height(), room.height());
    EXPECT_NEAR(double(viewer->width()) / viewer->height(), 3.0 * room.width() / room.height(), 0.05);
    EXPECT_EQ(viewer->Image1->pixmap().size(), viewer->size());
}

TEST_F(PictureViewer, KeysAndAClickCloseIt)
{
    writePicture(folder, QStringLiteral("zimmer.png"), 120, 80);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space}) {
        ASSERT_TRUE(frmImage::ShowImage(QStringLiteral("zimmer.png"), QStringLiteral("Zimmer")));
        QTest::keyClick(frmImage::loaded(), key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmImage::isLoaded()) << key;
    }
    ASSERT_TRUE(frmImage::ShowImage(QStringLiteral("zimmer.png"), QStringLiteral("Zimmer")));
    QTest::keyClick(frmImage::loaded(), Qt::Key_F4);
    EXPECT_TRUE(frmImage::isLoaded());
    QTest::keyClick(frmImage::loaded(), Qt::Key_F4, Qt::AltModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmImage::isLoaded());

    ASSERT_TRUE(frmImage::ShowImage(QStringLiteral("zimmer.png"), QStringLiteral("Zimmer")));
    QTest::mouseClick(frmImage::loaded()->Image1, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmImage::isLoaded());
}
