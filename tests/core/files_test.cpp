#include "core/files.h"
#include "core/globals.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

#include <gtest/gtest.h>

TEST(PathParts, BothSeparatorsCount)
{
    EXPECT_EQ(GetFileNamePart(QStringLiteral("C:\\a\\b.jpg")), QStringLiteral("b.jpg"));
    EXPECT_EQ(GetPathPart(QStringLiteral("C:\\a\\b.jpg")), QStringLiteral("C:\\a\\"));
    EXPECT_EQ(GetPathPart(QStringLiteral("daten\\sub/b.jpg")), QStringLiteral("daten\\sub/"));
    EXPECT_EQ(GetPathPart(QStringLiteral("b.jpg")), QStringLiteral("b.jpg"));
    EXPECT_EQ(GetFileNamePart(QStringLiteral("b.jpg")), QStringLiteral("b.jpg"));

    QString base, ext;
    SplitFileExt(QStringLiteral("archiv.tar.gz"), base, ext);
    EXPECT_EQ(base, QStringLiteral("archiv.tar"));
    EXPECT_EQ(ext, QStringLiteral("gz"));
    SplitFileExt(QStringLiteral("/srv/pension.v2/daten"), base, ext);
    EXPECT_EQ(base, QStringLiteral("/srv/pension.v2/daten"));
    EXPECT_EQ(ext, QString());
}

TEST(FileExists, DotMeansNormalFileOnly)
{
    test::TempFolder temp;
    QDir().mkpath(temp.file(QStringLiteral("bilder")));
    QDir().mkpath(temp.file(QStringLiteral("alt.d")));
    temp.write(QStringLiteral("a.txt"), "x");
    temp.write(QStringLiteral(".versteckt.txt"), "x");

    EXPECT_TRUE(FileExists(temp.file(QStringLiteral("bilder"))));
    EXPECT_TRUE(FileExists(temp.file(QStringLiteral("a.txt"))));
    EXPECT_FALSE(FileExists(temp.file(QStringLiteral("alt.d"))));
    EXPECT_FALSE(FileExists(temp.file(QStringLiteral(".versteckt.txt"))));
    EXPECT_FALSE(FileExists(temp.file(QStringLiteral("fehlt.txt"))));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(CopyFiles, CopiesAndAsksBeforeReplacing)
{
    test::TempFolder temp;
    test::DialogScope dialogs;
    const QString source = temp.write(QStringLiteral("pension.mdb"), "neu");
    const QString target = temp.file(QStringLiteral("sicherung.mdb"));

    EXPECT_TRUE(CopyFiles(source, target, false));
    EXPECT_EQ(temp.read(QStringLiteral("sicherung.mdb")), QByteArray("neu"));

    // Enter keeps the file there.
    temp.write(QStringLiteral("sicherung.mdb"), "alt");
    dialogs->answerDefault();
    EXPECT_FALSE(CopyFiles(source, target, false)) << "a declined replace is no successful copy";
    EXPECT_EQ(temp.read(QStringLiteral("sicherung.mdb")), QByteArray("alt"));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(target));

    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_TRUE(CopyFiles(source, target, false));
    EXPECT_EQ(temp.read(QStringLiteral("sicherung.mdb")), QByteArray("neu"));

    temp.write(QStringLiteral("sicherung.mdb"), "alt");
    EXPECT_TRUE(CopyFiles(source, target, true));
    EXPECT_EQ(temp.read(QStringLiteral("sicherung.mdb")), QByteArray("neu"));
    EXPECT_EQ(dialogs->messages().size(), 2u);
}

TEST(CopyFiles, WholeFoldersAndFailures)
{
    test::TempFolder temp;
    const QString source = temp.write(QStringLiteral("a/pension.mdb"), "db");
    temp.write(QStringLiteral("a/help/index.html"), "<html/>");
    EXPECT_TRUE(CopyFiles(temp.file(QStringLiteral("a")), temp.file(QStringLiteral("kopie/")), true));
    EXPECT_EQ(temp.read(QStringLiteral("kopie/a/help/index.html")), QByteArray("<html/>"));

    EXPECT_FALSE(CopyFiles(temp.file(QStringLiteral("fehlt.mdb")), temp.file(QStringLiteral("x.mdb")), true));
    EXPECT_FALSE(CopyFiles(source, temp.file(QStringLiteral("kein/ordner/x.mdb")), true));
    EXPECT_FALSE(QFileInfo::exists(temp.file(QStringLiteral("kein/ordner/x.mdb"))));
    EXPECT_FALSE(CopyFiles(source, source, true));
    EXPECT_EQ(temp.read(QStringLiteral("a/pension.mdb")), QByteArray("db"));
    EXPECT_FALSE(CopyFiles(temp.file(QStringLiteral("a")), temp.file(QStringLiteral("a/drin")), true)) << "endless copy";
}

TEST(IsNetworkPath, SharesAndLocalFolders)
{
    test::TempFolder temp;
    EXPECT_TRUE(IsNetworkPath(QStringLiteral("//server/freigabe/pension.mdb")));
    EXPECT_TRUE(IsNetworkPath(QStringLiteral("\\\\server\\freigabe")));
    EXPECT_FALSE(IsNetworkPath(temp.path()));
    EXPECT_FALSE(IsNetworkPath(temp.file(QStringLiteral("noch/nicht/da"))));
}

TEST(OpenFileWithShell, OpensExistingAndReportsMissingFiles)
{
    test::TempFolder temp;
    test::DialogScope dialogs;
    const QString pdf = temp.write(QStringLiteral("help.pdf"), "%PDF");

    OpenFileWithShell(QString());
    EXPECT_TRUE(dialogs->calls().empty());

    OpenFileWithShell(pdf);
    ASSERT_EQ(dialogs->opened().size(), 1u);
    EXPECT_EQ(dialogs->opened().front(), pdf);

    dialogs->answerMessage(ui::Answer::Ok);
    const QString missing = temp.file(QStringLiteral("fehlt.pdf"));
    OpenFileWithShell(missing);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Fehler #2"));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Fehler bei Öffnen der Datei \"") + missing + QStringLiteral("\""));
    EXPECT_EQ(dialogs->opened().size(), 1u);

    dialogs->setOpenExternalResult(false);
    dialogs->answerMessage(ui::Answer::Ok);
    OpenFileWithShell(pdf);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Fehler bei Öffnen der Datei \"") + pdf));
}

TEST(ShowHelpTopic, OpensTheTopicOrReportsAMissingHelpFolder)
{
    test::TempFolder temp;
    test::DialogScope dialogs;
    const QString savedAppPath = AppPath;
    AppPath = temp.path();

    dialogs->answerMessage(ui::Answer::Ok);
    ShowHelpTopic(QStringLiteral("frmVorgaben.htm#datenpflege"));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Help item not found"));
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Error opening the online help / frmVorgaben.htm#datenpflege\n\n")));

    temp.write(QStringLiteral("help/frmVorgaben.htm"), "<html/>");
    ShowHelpTopic(QStringLiteral("frmVorgaben.htm#datenpflege"));
    ASSERT_EQ(dialogs->opened().size(), 1u);
    const QUrl url(dialogs->opened().front());
    EXPECT_EQ(url.toLocalFile(), temp.file(QStringLiteral("help/frmVorgaben.htm")));
    EXPECT_EQ(url.fragment(), QStringLiteral("datenpflege"));

    AppPath = savedAppPath;
}

TEST(HelpTopics, EveryTopicTheProgramAsksForIsThere)
{
    const QString helpDir = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../resources/help/");
    const QStringList topics = {
        QStringLiteral("index.html"),        QStringLiteral("frmVorgaben.htm#arbeitsplatz"),
        QStringLiteral("frmVorgaben.htm#datenpflege"), QStringLiteral("frmVorgaben.htm#termine"),
        QStringLiteral("frmVorgaben.htm#onlinetermine"), QStringLiteral("tbl_vat.htm"),
        QStringLiteral("tbl_mandanten.htm"), QStringLiteral("tbl_cust_categories.htm"),
        QStringLiteral("tbl_workstations.htm"), QStringLiteral("tbl_gui_terms.htm")};
    for (const QString& topic : topics) {
        const QString page = topic.section(QLatin1Char('#'), 0, 0);
        const QString anchor = topic.section(QLatin1Char('#'), 1);
        QFile file(helpDir + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        if (!anchor.isEmpty()) {
            EXPECT_TRUE(file.readAll().contains(("id=\"" + anchor + "\"").toUtf8())) << topic.toStdString();
        }
    }
}

TEST(ImageNames, RelativeInsideThePictureFolderOnly)
{
    const QString dir = QStringLiteral("/srv/velmorant/images/");
    EXPECT_EQ(ImageNameFor(QStringLiteral("/srv/velmorant/images/stock/eg.gif"), dir), QStringLiteral("stock/eg.gif"));
    EXPECT_EQ(ImageNameFor(QStringLiteral("/backup/srv/velmorant/images/haus.jpg"), dir),
              QStringLiteral("/backup/srv/velmorant/images/haus.jpg"));

    EXPECT_EQ(ImagePathFor(QStringLiteral("haus.jpg"), dir), dir + QStringLiteral("haus.jpg"));
    EXPECT_EQ(ImagePathFor(QStringLiteral("stock\\eg.gif"), dir), dir + QStringLiteral("stock/eg.gif"));
    EXPECT_EQ(ImagePathFor(QStringLiteral("C:\\bilder\\foto.jpg"), dir), QStringLiteral("C:/bilder/foto.jpg"));

    // A folder that differs only in case is another folder: its picture keeps its full path.
    test::TempFolder temp;
    const QString images = temp.file(QStringLiteral("images/"));
    temp.write(QStringLiteral("images/haus.jpg"), "klein");
    const QString other = temp.write(QStringLiteral("Images/haus.jpg"), "gross");
    EXPECT_EQ(ImageNameFor(other, images), other);
    EXPECT_EQ(ImageNameFor(temp.file(QStringLiteral("images/haus.jpg")), images), QStringLiteral("haus.jpg"));
    // Where a link makes both spellings the same folder, the name stays relative.
    QFile::remove(other);
    QDir(temp.file(QStringLiteral("Images"))).removeRecursively();
    ASSERT_TRUE(QFile::link(temp.file(QStringLiteral("images")), temp.file(QStringLiteral("Images"))));
    EXPECT_EQ(ImageNameFor(other, images), QStringLiteral("haus.jpg"));
}

TEST(BrowseImageFile, StartsOnTheCurrentPictureAndWritesBackTheName)
{
    test::TempFolder temp;
    test::DialogScope dialogs;
    const QString imageDir = temp.file(QStringLiteral("images/"));
    const QString haus = temp.write(QStringLiteral("images/haus.jpg"), "x");
    QLineEdit box;

    box.setText(QStringLiteral("haus.jpg"));
    dialogs->answerFile(temp.file(QStringLiteral("images/garten.jpg")));
    BrowseImageFile(&box, imageDir);
    EXPECT_EQ(dialogs->calls().back().text, haus);
    // The delivered pictures are PNG files.
    EXPECT_EQ(dialogs->lastFileFilter(), QStringLiteral("Bilddateien (*.jpg;*.gif;*.png)"));
    EXPECT_EQ(box.text(), QStringLiteral("garten.jpg"));

    box.setText(QStringLiteral("weg.jpg"));
    dialogs->answerFile(QStringLiteral("/home/x/foto.jpg"));
    BrowseImageFile(&box, imageDir);
    EXPECT_EQ(dialogs->calls().back().text, QString());
    EXPECT_EQ(box.text(), QStringLiteral("/home/x/foto.jpg"));

    dialogs->answerFile(QString());
    BrowseImageFile(&box, imageDir);
    EXPECT_EQ(box.text(), QStringLiteral("/home/x/foto.jpg"));
}

TEST(ShowImageFile, ScalesWithProportionsAndNamesMissingPictures)
{
    EXPECT_EQ(ScaledImageSize(QSize(200, 400), 300, 300), QSize(150, 300));

    test::TempFolder temp;
    const QString imageDir = temp.file(QStringLiteral("images/"));
    QDir().mkpath(imageDir);
    QImage picture(400, 200, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(imageDir + QStringLiteral("haus.jpg"), "PNG"));

    QLabel image;
    QLabel caption;
    ShowImageFile(QStringLiteral("haus.jpg"), &image, &caption, 300, 300, true, imageDir);
    EXPECT_EQ(image.pixmap().size(), QSize(300, 150));
    EXPECT_EQ(image.property("Tag").toString(), imageDir + QStringLiteral("haus.jpg"));
    EXPECT_EQ(caption.text(), QStringLiteral("haus.jpg"));

    ShowImageFile(QStringLiteral("fehlt.jpg"), &image, &caption, 300, 300, true, imageDir);
    EXPECT_TRUE(image.pixmap().isNull());
    EXPECT_EQ(caption.text(),
              QStringLiteral("Die Bild-Datei\n") + imageDir + QStringLiteral("fehlt.jpg\nkonnte nicht gefunden werden."));

    // A damaged picture: why, in the caption each time and in a message once.
    test::DialogScope dialogs;
    temp.write(QStringLiteral("images/kaputt.jpg"), "kein Bild");
    dialogs->answerMessage(ui::Answer::Ok);
    for (int shown = 0; shown < 2; ++shown) {
        ShowImageFile(QStringLiteral("kaputt.jpg"), &image, &caption, 300, 300, true, imageDir);
        EXPECT_TRUE(image.pixmap().isNull());
        EXPECT_EQ(caption.text(), QStringLiteral("Die Bild-Datei\n") + imageDir +
                                      QStringLiteral("kaputt.jpg\nkann nicht angezeigt werden: Die Datei ist kein Bild "
                                                     "in einem bekannten Format (JPG, GIF, PNG)."));
    }
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Das Bild \"") + imageDir +
                                               QStringLiteral("kaputt.jpg\" kann nicht angezeigt werden.\n\nDie Datei ist "
                                                              "kein Bild in einem bekannten Format (JPG, GIF, PNG)."));

    // A photo larger than the reader takes whole is read at the size shown;
    // shown at its own size it is too large.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(8);   // megabytes
    QImage photo(1800, 1600, QImage::Format_RGB32);
    photo.fill(Qt::blue);
    ASSERT_TRUE(photo.save(imageDir + QStringLiteral("gross.jpg"), "JPG"));
    ASSERT_TRUE(photo.save(imageDir + QStringLiteral("gross.png"), "PNG"));
    ShowImageFile(QStringLiteral("gross.jpg"), &image, &caption, 450, 400, true, imageDir);
    EXPECT_EQ(image.pixmap().size(), QSize(450, 400));
    EXPECT_EQ(caption.text(), QStringLiteral("gross.jpg"));
    dialogs->answerMessage(ui::Answer::Ok);
    ShowImageFile(QStringLiteral("gross.png"), &image, &caption, 0, 0, false, imageDir);
    QImageReader::setAllocationLimit(limit);
    EXPECT_TRUE(image.pixmap().isNull());
    EXPECT_TRUE(caption.text().endsWith(QStringLiteral("Es ist mit 1800 × 1600 Bildpunkten zu groß."))) << caption.text().toStdString();
}
