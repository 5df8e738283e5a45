#include "core/messages.h"
#include "core/wordctrl.h"
#include "platform/word/document.h"
#include "platform/word/ziparchive.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Packs the booking confirmation template from its sources, and sends filled
// documents to the documents folder of a home of the test's own.
class WordCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        m_home = qgetenv("HOME");
        m_config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.file(QStringLiteral(".config")).toUtf8());

        const QDir source(QStringLiteral(VELMORANT_TEST_RESOURCES "/templates/Reservierungsbestaetigung"));
        std::vector<word::zip::Entry> parts;
        for (QDirIterator it(source.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            QFile file(it.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            parts.push_back({source.relativeFilePath(file.fileName()), file.readAll()});
        }
        templatePath = folder.write(QStringLiteral("Reservierungsbestaetigung.dotx"), word::zip::write(parts));
    }
    void TearDown() override
    {
        CloseWordDocument();
        qputenv("HOME", m_home);
        qputenv("XDG_CONFIG_HOME", m_config);
    }

    test::TempFolder home, folder;
    QString templatePath;
    test::DialogScope dialogs;

private:
    QByteArray m_home, m_config;
};

}  // namespace

TEST_F(WordCtrlTest, FilledTemplateIsSavedAsNewDocumentAndOpened)
{
    ASSERT_TRUE(OpenWordDocument(templatePath));
    EXPECT_TRUE(WordDocOpen);
    SetBookmarkText(QStringLiteral("TM_ANSCHRIFT"), QStringLiteral("Herrn\r\nHans Meier \r\nHauptstr. 1"));
    SetBookmarkText(QStringLiteral("tm_anrede"), QString());
    SetBookmarkText(QStringLiteral("tm_datum"), rt::Date::fromParts(2026, 12, 7));
    SetBookmarkText(QStringLiteral("tm_rechnungsnummer"), QStringLiteral("nicht in dieser Vorlage"));
    UpdateDocumentFields();
    EXPECT_TRUE(ShowWordDocument());
    ReleaseWordDocument();
    EXPECT_FALSE(WordDocOpen);

    ASSERT_EQ(dialogs->opened().size(), 1u);
    const QString saved = dialogs->opened().front();
    EXPECT_EQ(saved, QDir(home.path()).absoluteFilePath(QStringLiteral("Documents/Velmorant/Reservierungsbestaetigung.docx")));
    const word::Document result = word::Document::open(saved);
    EXPECT_EQ(result.bookmarkText(QStringLiteral("tm_anschrift")), QStringLiteral("Herrn\nHans Meier \nHauptstr. 1"));
    EXPECT_EQ(result.bookmarkText(QStringLiteral("tm_anrede")), QStringLiteral(" "));
    EXPECT_EQ(result.bookmarkText(QStringLiteral("tm_datum")), QStringLiteral("07.12.2026"));
}

TEST_F(WordCtrlTest, FailuresAreReported)
{
    EXPECT_FALSE(OpenWordDocument(QString()));
    EXPECT_TRUE(dialogs->messages().empty());

    const QString missing = folder.file(QStringLiteral("Rechnung.dotx"));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(OpenWordDocument(missing));
    EXPECT_EQ(dialogs->lastMessage().text, "Das Word-Dokument\n" + missing + "\nkonnte nicht gefunden werden.");
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Fehler beim Öffnen des Word-Dokuments"));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);

    const QString broken = folder.write(QStringLiteral("Rechnung.dotx"), "kein Dokument");
    const QString notOpened = "Das Word-Dokument\n" + broken + "\nkonnte nicht geöffnet werden.\n\n";
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(OpenWordDocument(broken));
    EXPECT_FALSE(WordDocOpen);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(notOpened));
    EXPECT_GT(dialogs->lastMessage().text.size(), notOpened.size()) << "the reason is given";

    // A name written with backslashes opens the file FileExists found.
    const std::size_t reported = dialogs->messages().size();
    EXPECT_TRUE(OpenWordDocument(QString(templatePath).replace(QLatin1Char('/'), QLatin1Char('\\'))));
    EXPECT_TRUE(WordDocOpen);
    EXPECT_EQ(dialogs->messages().size(), reported);
    CloseWordDocument();

    // No program to show the document: the user hears of it.
    dialogs->setOpenExternalResult(false);
    ASSERT_TRUE(OpenWordDocument(templatePath));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(ShowWordDocument());
    ASSERT_EQ(dialogs->opened().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Das Word-Dokument\n" + dialogs->opened().front()));
}

TEST_F(WordCtrlTest, AFileWhereTheDocumentsFolderShouldBeIsNamedNotTheTemplate)
{
    const QString blocker = home.write(QStringLiteral("Documents/Velmorant"), "eine Datei");
    ASSERT_TRUE(OpenWordDocument(templatePath));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(ShowWordDocument());
    EXPECT_TRUE(dialogs->opened().empty());
    const QString text = dialogs->lastMessage().text;
    EXPECT_TRUE(text.startsWith("Der Ordner für Dokumente \"" + QDir::toNativeSeparators(blocker)
                                + "\" kann nicht angelegt oder beschrieben werden."))
        << qPrintable(text);
    EXPECT_FALSE(text.contains(templatePath)) << "the template is intact";
    EXPECT_FALSE(text.contains(QStringLiteral("konnte nicht geöffnet")));
    EXPECT_EQ(home.read(QStringLiteral("Documents/Velmorant")), "eine Datei");
}
