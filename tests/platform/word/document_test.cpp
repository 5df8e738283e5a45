#include "platform/word/document.h"
#include "platform/word/ziparchive.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString MainNs = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");

// A minimal template package around the given body markup.
QByteArray makeTemplate(const QString& body, bool withSettings = true)
{
    const QString types = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml\"/>%1"
        "</Types>")
                              .arg(withSettings ? QStringLiteral(
                                                      "<Override PartName=\"/word/settings.xml\" "
                                                      "ContentType=\"application/"
                                                      "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>")
                                                : QString());
    const QString rels = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>");
    const QString docRels = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId7\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" "
        "Target=\"settings.xml\"/></Relationships>");
    const QString document =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document xmlns:w=\"%1\"><w:body>%2"
                       "<w:sectPr/></w:body></w:document>")
            .arg(MainNs, body);
    const QString settings =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:settings xmlns:w=\"%1\"><w:zoom w:percent=\"100\"/>"
                       "<w:compat/><w:decimalSymbol w:val=\",\"/></w:settings>")
            .arg(MainNs);

    std::vector<word::zip::Entry> entries = {{QStringLiteral("[Content_Types].xml"), types.toUtf8()},
                                             {QStringLiteral("_rels/.rels"), rels.toUtf8()},
                                             {QStringLiteral("word/document.xml"), document.toUtf8()}};
    if (withSettings) {
        entries.push_back({QStringLiteral("word/_rels/document.xml.rels"), docRels.toUtf8()});
        entries.push_back({QStringLiteral("word/settings.xml"), settings.toUtf8()});
    }
    return word::zip::write(entries);
}

QString part(const QByteArray& docx, const QString& name)
{
    for (const auto& entry : word::zip::read(docx, QStringLiteral("test.docx"))) {
        if (entry.name == name)
            return QString::fromUtf8(entry.data);
    }
    return {};
}

class WordDocument : public ::testing::Test {
protected:
    word::Document openBody(const QString& body, bool withSettings = true)
    {
        return word::Document::open(folder.write(QStringLiteral("Vorlage.dotx"), makeTemplate(body, withSettings)));
    }

    // Saves and reads the result back, as the word processor would get it.
    word::Document roundTrip(const word::Document& doc)
    {
        return word::Document::open(doc.saveNew(folder.path(), QStringLiteral("Ergebnis")));
    }

    test::TempFolder folder;
};

const QString ThreeRuns = QStringLiteral(
    "<w:p><w:r><w:t>Vorher </w:t></w:r><w:bookmarkStart w:id=\"0\" w:name=\"tm_name\"/>"
    "<w:r><w:rPr><w:b/></w:rPr><w:t>Al</w:t></w:r><w:proofErr w:type=\"spellStart\"/>"
    "<w:r><w:rPr><w:i/></w:rPr><w:t>te</w:t></w:r><w:r><w:t xml:space=\"preserve\"> Welt</w:t></w:r>"
    "<w:bookmarkEnd w:id=\"0\"/><w:r><w:t xml:space=\"preserve\"> nachher</w:t></w:r></w:p>");

TEST_F(WordDocument, FillReplacesTextOverSeveralRunsAndKeepsTheBookmark)
{
    auto doc = openBody(ThreeRuns);
    EXPECT_EQ(doc.bookmarkText(QStringLiteral("tm_name")), QStringLiteral("Alte Welt"));

    doc.setBookmarkText(QStringLiteral("tm_name"), QStringLiteral("Erste"));
    doc.setBookmarkText(QStringLiteral("TM_NAME"), QStringLiteral("Zweite"));

    auto saved = roundTrip(doc);
    EXPECT_EQ(saved.bookmarks(), QStringList{QStringLiteral("tm_name")});
    EXPECT_EQ(saved.bookmarkText(QStringLiteral("tm_name")), QStringLiteral("Zweite"));
    const QString xml = part(saved.toDocx(), QStringLiteral("word/document.xml"));
    EXPECT_TRUE(xml.contains(QStringLiteral("<w:t>Vorher </w:t>")));
    EXPECT_TRUE(xml.contains(QStringLiteral(" nachher</w:t>")));
    EXPECT_FALSE(xml.contains(QStringLiteral("Erste")));
    EXPECT_FALSE(xml.contains(QStringLiteral("proofErr")));
    // The new text takes the format of the first replaced run.
    EXPECT_TRUE(xml.contains(QStringLiteral("<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Zweite</w:t></w:r>")))
        << qPrintable(xml);
}

TEST_F(WordDocument, EmptyFillLeavesAnEmptyBookmarkThatCanBeFilledAgain)
{
    auto doc = openBody(ThreeRuns);
    doc.setBookmarkText(QStringLiteral("tm_name"), QString());
    EXPECT_EQ(doc.bookmarkText(QStringLiteral("tm_name")), QString());
    doc.setBookmarkText(QStringLiteral("tm_name"), QStringLiteral("wieder da"));
    EXPECT_EQ(roundTrip(doc).bookmarkText(QStringLiteral("tm_name")), QStringLiteral("wieder da"));
}

TEST_F(WordDocument, EachLineStartsAParagraphOfTheBookmarksKind)
{
    // An invoice position line: tab stops for the amounts, a hanging indent,
    // and the section's page setup in the paragraph mark.
    auto doc = openBody(QStringLiteral(
        "<w:p><w:pPr><w:tabs><w:tab w:val=\"right\" w:pos=\"9000\"/></w:tabs><w:ind w:left=\"700\" w:hanging=\"700\"/>"
        "<w:sectPr><w:pgSz w:w=\"11906\"/></w:sectPr></w:pPr>"
        "<w:r><w:t>Pos.</w:t></w:r><w:bookmarkStart w:id=\"0\" w:name=\"tm_artikel\"/><w:r><w:t>x</w:t></w:r>"
        "<w:bookmarkEnd w:id=\"0\"/><w:r><w:t>Ende</w:t></w:r></w:p>"));
    doc.setBookmarkText(QStringLiteral("tm_artikel"),
                        QStringLiteral("2\tÜbernachtung mit Frühstück\t90,00\r\n1\tKurtaxe\t4,00\r\rSumme\t94,00"));

    const QString xml = part(doc.toDocx(), QStringLiteral("word/document.xml"));
    EXPECT_EQ(xml.count(QStringLiteral("<w:p>")), 4) << qPrintable(xml);
    EXPECT_EQ(xml.count(QStringLiteral("<w:tab w:val=\"right\" w:pos=\"9000\"/>")), 4);
    EXPECT_EQ(xml.count(QStringLiteral("<w:ind w:left=\"700\" w:hanging=\"700\"/>")), 4);
    EXPECT_FALSE(xml.contains(QStringLiteral("<w:br/>")));
    // One section break, still at the end of what was one paragraph.
    EXPECT_EQ(xml.count(QStringLiteral("<w:sectPr><w:pgSz")), 1);
    EXPECT_LT(xml.indexOf(QStringLiteral("Kurtaxe")), xml.indexOf(QStringLiteral("<w:sectPr><w:pgSz")));
    EXPECT_LT(xml.indexOf(QStringLiteral("Summe")), xml.indexOf(QStringLiteral("Ende")));
    EXPECT_LT(xml.indexOf(QStringLiteral("Pos.")), xml.indexOf(QStringLiteral("2</w:t>")));

    auto saved = roundTrip(doc);
    EXPECT_EQ(saved.bookmarkText(QStringLiteral("tm_artikel")),
              QStringLiteral("2\tÜbernachtung mit Frühstück\t90,00\n1\tKurtaxe\t4,00\n\nSumme\t94,00"));
    // Filled again with one line, the paragraphs become one again.
    saved.setBookmarkText(QStringLiteral("tm_artikel"), QStringLiteral("\nneu"));
    EXPECT_EQ(saved.bookmarkText(QStringLiteral("tm_artikel")), QStringLiteral("\nneu"));
    saved.setBookmarkText(QStringLiteral("tm_artikel"), QStringLiteral("eins"));
    EXPECT_EQ(part(saved.toDocx(), QStringLiteral("word/document.xml")).count(QStringLiteral("<w:p>")), 1);
}

TEST_F(WordDocument, LinesInsideOtherMarkupArePartedByLineBreaks)
{
    auto doc = openBody(QStringLiteral(
        "<w:p><w:hyperlink w:anchor=\"x\"><w:bookmarkStart w:id=\"0\" w:name=\"tm_name\"/><w:r><w:t>a</w:t></w:r>"
        "<w:bookmarkEnd w:id=\"0\"/></w:hyperlink></w:p>"));
    doc.setBookmarkText(QStringLiteral("tm_name"), QStringLiteral("Herrn\r\nHans Meier\t!"));
    const QString xml = part(doc.toDocx(), QStringLiteral("word/document.xml"));
    EXPECT_EQ(xml.count(QStringLiteral("<w:br/>")), 1);
    EXPECT_EQ(xml.count(QStringLiteral("<w:tab/>")), 1);
    EXPECT_EQ(roundTrip(doc).bookmarkText(QStringLiteral("tm_name")), QStringLiteral("Herrn\nHans Meier\t!"));
}

TEST_F(WordDocument, SpecialCharactersAreEscapedAndControlCharactersDropped)
{
    const QString text = QStringLiteral("Müller & Söhne <GmbH> \"Zum Anker\" 's Größte 100 €");
    auto doc = openBody(ThreeRuns);
    doc.setBookmarkText(QStringLiteral("tm_name"), text + QChar(0x01) + QChar(0xFFFF));

    const QString xml = part(doc.toDocx(), QStringLiteral("word/document.xml"));
    EXPECT_TRUE(xml.contains(QStringLiteral("Müller &amp; Söhne &lt;GmbH&gt;")));
    EXPECT_EQ(roundTrip(doc).bookmarkText(QStringLiteral("tm_name")), text);
}

TEST_F(WordDocument, BookmarkInTableCellAndAcrossParagraphs)
{
    auto doc = openBody(QStringLiteral(
        "<w:tbl><w:tr><w:tc><w:p><w:bookmarkStart w:id=\"1\" w:name=\"zelle\"/><w:r><w:t>x</w:t></w:r>"
        "<w:bookmarkEnd w:id=\"1\"/></w:p></w:tc></w:tr></w:tbl>"
        "<w:bookmarkStart w:id=\"2\" w:name=\"absatz\"/>"
        "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:t>eins</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>zwei</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>drei</w:t></w:r><w:bookmarkEnd w:id=\"2\"/><w:r><w:t>Rest</w:t></w:r></w:p>"));
    EXPECT_EQ(doc.bookmarkText(QStringLiteral("absatz")), QStringLiteral("eins\nzwei\ndrei"));

    doc.setBookmarkText(QStringLiteral("zelle"), QStringLiteral("Zelle\nzweizeilig"));
    doc.setBookmarkText(QStringLiteral("absatz"), QStringLiteral("neu"));
    doc.setBookmarkText(QStringLiteral("absatz"), QStringLiteral("neuer"));

    auto saved = roundTrip(doc);
    EXPECT_EQ(saved.bookmarkText(QStringLiteral("zelle")), QStringLiteral("Zelle\nzweizeilig"));
    EXPECT_EQ(saved.bookmarkText(QStringLiteral("absatz")), QStringLiteral("neuer"));
    const QString xml = part(saved.toDocx(), QStringLiteral("word/document.xml"));
    // The paragraphs were joined into the first one, which keeps its format and the text after the end;
    // the cell holds its two lines as two paragraphs.
    EXPECT_EQ(xml.count(QStringLiteral("<w:p>")) + xml.count(QStringLiteral("<w:p ")), 3);
    EXPECT_TRUE(xml.contains(QStringLiteral("<w:jc w:val=\"center\"/>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<w:t>Rest</w:t>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("</w:p></w:tc>")));
}

TEST_F(WordDocument, BookmarkReachingOutOfATableIsRefusedUntouched)
{
    auto doc = openBody(QStringLiteral(
        "<w:p><w:bookmarkStart w:id=\"3\" w:name=\"quer\"/><w:r><w:t>davor</w:t></w:r></w:p>"
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>drin</w:t></w:r><w:bookmarkEnd w:id=\"3\"/></w:p></w:tc></w:tr></w:tbl>"));
    EXPECT_THROW(doc.setBookmarkText(QStringLiteral("quer"), QStringLiteral("x")), word::Error);
    EXPECT_EQ(doc.bookmarkText(QStringLiteral("quer")), QStringLiteral("davor\ndrin"));
}

TEST_F(WordDocument, MissingBookmarkIsReportedByName)
{
    auto doc = openBody(ThreeRuns);
    EXPECT_FALSE(doc.hasBookmark(QStringLiteral("tm_fehlt")));
    EXPECT_TRUE(doc.hasBookmark(QStringLiteral("Tm_Name")));
    try {
        doc.setBookmarkText(QStringLiteral("tm_fehlt"), QStringLiteral("x"));
        FAIL() << "no error";
    } catch (const word::Error& error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("\"tm_fehlt\""))) << qPrintable(error.text());
    }
    EXPECT_EQ(doc.bookmarkText(QStringLiteral("tm_name")), QStringLiteral("Alte Welt"));
}

// A paragraph with a date field, which the word processor fills only when asked to update fields.
const QString DateField = QStringLiteral("<w:p><w:fldSimple w:instr=\" DATE \\@ &quot;dd.MM.yyyy&quot; \"><w:r><w:t>1.1.2000</w:t></w:r>"
                                         "</w:fldSimple></w:p>");

TEST_F(WordDocument, SavedFileIsADocumentWithFieldUpdateAndNeverReplacesAFile)
{
    const QByteArray templateData = makeTemplate(ThreeRuns + DateField);
    const QString templatePath = folder.write(QStringLiteral("Brief.dotx"), templateData);
    folder.write(QStringLiteral("Brief.docx"), "vorhanden");

    auto doc = word::Document::open(templatePath);
    doc.setBookmarkText(QStringLiteral("tm_name"), QStringLiteral("x"));
    doc.setUpdateFieldsOnOpen();
    doc.setUpdateFieldsOnOpen();
    const QString first = doc.saveNew(folder.path(), QStringLiteral("Brief"));
    const QString second = doc.saveNew(folder.path(), QStringLiteral("Brief"));
    const QString odd = doc.saveNew(folder.path(), QStringLiteral("Brief 1/2"));

    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("Brief (2).docx"));
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("Brief (3).docx"));
    EXPECT_EQ(QFileInfo(odd).absolutePath(), QDir(folder.path()).absolutePath());
    EXPECT_EQ(folder.read(QStringLiteral("Brief.docx")), QByteArray("vorhanden"));
    EXPECT_EQ(folder.read(QStringLiteral("Brief.dotx")), templateData);

    const QByteArray docx = folder.read(QStringLiteral("Brief (2).docx"));
    const QString types = part(docx, QStringLiteral("[Content_Types].xml"));
    EXPECT_TRUE(types.contains(QStringLiteral("wordprocessingml.document.main+xml")));
    EXPECT_FALSE(types.contains(QStringLiteral("template.main")));
    const QString settings = part(docx, QStringLiteral("word/settings.xml"));
    EXPECT_EQ(settings.count(QStringLiteral("<w:updateFields w:val=\"true\"/>")), 1);
    // The settings are an ordered sequence: the flag belongs before the compatibility options.
    EXPECT_LT(settings.indexOf(QStringLiteral("updateFields")), settings.indexOf(QStringLiteral("<w:compat")));

    EXPECT_THROW(doc.saveNew(folder.file(QStringLiteral("gibt-es-nicht")), QStringLiteral("Brief")), word::Error);
}

TEST_F(WordDocument, FieldUpdateAddsSettingsToATemplateWithout)
{
    auto doc = openBody(ThreeRuns + DateField, false);
    doc.setUpdateFieldsOnOpen();
    const QByteArray docx = doc.toDocx();
    EXPECT_TRUE(part(docx, QStringLiteral("word/settings.xml")).contains(QStringLiteral("<w:updateFields w:val=\"true\"/>")));
    EXPECT_TRUE(part(docx, QStringLiteral("word/_rels/document.xml.rels")).contains(QStringLiteral("Target=\"settings.xml\"")));
    EXPECT_TRUE(part(docx, QStringLiteral("[Content_Types].xml")).contains(QStringLiteral("PartName=\"/word/settings.xml\"")));
}

TEST_F(WordDocument, FieldUpdateIsAskedOnlyForFieldsBeyondPageNumbers)
{
    const QString pageNumbers = QStringLiteral(
        "<w:p><w:r><w:t>Seite </w:t></w:r><w:fldSimple w:instr=\" PAGE \"><w:r><w:t>1</w:t></w:r></w:fldSimple>"
        "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> </w:instrText></w:r>"
        "<w:r><w:instrText>NUMPAGES \\* MERGEFORMAT</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
        "<w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>");
    auto plain = openBody(ThreeRuns + pageNumbers);
    const QByteArray before = plain.toDocx();
    plain.setUpdateFieldsOnOpen();
    EXPECT_EQ(part(plain.toDocx(), QStringLiteral("word/settings.xml")), part(before, QStringLiteral("word/settings.xml")));
    EXPECT_FALSE(part(plain.toDocx(), QStringLiteral("word/settings.xml")).contains(QStringLiteral("updateFields")));

    // A field written in pieces is named by its first instruction text.
    const QString property = QStringLiteral(
        "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> DOCPROPERTY </w:instrText></w:r>"
        "<w:r><w:instrText>Company</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>");
    auto withProperty = openBody(pageNumbers + property);
    withProperty.setUpdateFieldsOnOpen();
    EXPECT_TRUE(part(withProperty.toDocx(), QStringLiteral("word/settings.xml")).contains(QStringLiteral("<w:updateFields w:val=\"true\"/>")));
}

TEST_F(WordDocument, DeepNestingIsRefused)
{
    // Nesting no document needs would exhaust the stack while the tree is copied, written or freed.
    QString deep;
    for (int i = 0; i < 200000; ++i)
        deep += QStringLiteral("<w:p>");
    for (int i = 0; i < 200000; ++i)
        deep += QStringLiteral("</w:p>");
    try {
        openBody(deep);
        ADD_FAILURE() << "opened a template nested 200000 deep";
    } catch (const word::Error& error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("verschachtelt"))) << qPrintable(error.text());
    }
}

TEST_F(WordDocument, ManySiblingParagraphsAreWalkedInOnePass)
{
    // Looking for each paragraph's place among 300000 siblings at every step takes
    // minutes; walking them once takes a moment.
    QString many;
    for (int i = 0; i < 300000; ++i)
        many += QStringLiteral("<w:p><w:r><w:t>Zeile</w:t></w:r></w:p>");
    QElapsedTimer clock;
    clock.start();
    auto doc = openBody(many + ThreeRuns);
    EXPECT_EQ(doc.bookmarks(), QStringList{QStringLiteral("tm_name")});
    doc.setBookmarkText(QStringLiteral("tm_name"), QStringLiteral("eins\nzwei"));
    EXPECT_EQ(roundTrip(doc).bookmarkText(QStringLiteral("tm_name")), QStringLiteral("eins\nzwei"));
    EXPECT_LT(clock.elapsed(), 10000);
}

TEST_F(WordDocument, UnreadableTemplatesAreReportedNotCrashed)
{
    const QByteArray good = makeTemplate(ThreeRuns);
    const QByteArray broken = makeTemplate(QStringLiteral("<w:p><w:r><w:t>offen</w:p>"));
    // Bytes inside the first entry's compressed data; header fields are not all checked.
    QByteArray flipped = good;
    for (qsizetype i = 60; i < 80; ++i)
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    const std::vector<std::pair<QString, QByteArray>> cases = {
        {QStringLiteral("leer.dotx"), QByteArray()},
        {QStringLiteral("text.dotx"), QByteArray("kein Archiv")},
        {QStringLiteral("halb.dotx"), good.left(good.size() / 2)},
        {QStringLiteral("gekippt.dotx"), flipped},
        {QStringLiteral("kaputt.dotx"), broken},
        {QStringLiteral("fremd.dotx"),
         word::zip::write({{QStringLiteral("bild.png"), QByteArray("png")}})},
    };
    for (const auto& [name, data] : cases) {
        const QString path = folder.write(name, data);
        try {
            word::Document::open(path);
            ADD_FAILURE() << "opened " << qPrintable(name);
        } catch (const word::Error& error) {
            EXPECT_FALSE(error.text().isEmpty()) << qPrintable(name);
            // The libraries' own words are English; the user reads German.
            EXPECT_FALSE(error.text().contains(
                QRegularExpression(QStringLiteral("error|invalid|not |premature|unexpected|inconsistent|such"),
                                   QRegularExpression::CaseInsensitiveOption)))
                << qPrintable(error.text());
        }
    }
    // A folder in the template's place cannot be read as a file.
    QDir(folder.path()).mkdir(QStringLiteral("ordner.dotx"));
    try {
        word::Document::open(folder.file(QStringLiteral("ordner.dotx")));
        ADD_FAILURE() << "opened a folder";
    } catch (const word::Error& error) {
        EXPECT_TRUE(error.text().endsWith(QStringLiteral(" kann nicht gelesen werden: unbekannter Fehler.")))
            << qPrintable(error.text());
    }
    try {
        word::Document::open(folder.file(QStringLiteral("fehlt.dotx")));
        ADD_FAILURE() << "opened a missing file";
    } catch (const word::Error& error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("fehlt.dotx")));
    }
}

TEST(WordTemplates, DeliveredTemplatesHoldEveryBookmarkTheProgramFills)
{
    const QString appDir = QStringLiteral(VELMORANT_APP_DIR "/");
    const std::vector<std::pair<QString, QStringList>> templates = {
        {QStringLiteral("Reservierungsbestaetigung.dotx"),
         {"tm_anschrift", "tm_anrede", "tm_datum", "tm_reservierung"}},
        {QStringLiteral("Rechnung.dotx"),
         {"tm_anschrift", "tm_datum", "tm_rechnungsnummer", "tm_artikel", "tm_mwst", "tm_summe", "tm_nettosumme",
          "tm_nettobetrag", "tm_bruttosumme", "tm_zahlmod"}},
    };
    test::TempFolder out;
    for (const auto& [file, names] : templates) {
        auto doc = word::Document::open(appDir + file);
        QStringList found = doc.bookmarks();
        QStringList expected = names;
        found.sort();
        expected.sort();
        EXPECT_EQ(found, expected) << qPrintable(file);
        for (const QString& name : names)
            doc.setBookmarkText(name, name + QStringLiteral("\r\nWert"));
        doc.setUpdateFieldsOnOpen();
        auto saved = word::Document::open(doc.saveNew(out.path(), QFileInfo(file).baseName()));
        for (const QString& name : names)
            EXPECT_EQ(saved.bookmarkText(name), name + QStringLiteral("\nWert"));
    }
}

TEST(WordOutputFolder, IsCreatedInTheDocumentsFolder)
{
    test::TempFolder home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QDir(home.path()).absolutePath().toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    QString folder;
    try {
        folder = word::outputFolder();
    } catch (const word::Error& error) {
        ADD_FAILURE() << qPrintable(error.text());
    }
    qputenv("HOME", oldHome);
    if (!oldConfig.isEmpty())
        qputenv("XDG_CONFIG_HOME", oldConfig);

    EXPECT_TRUE(folder.startsWith(QDir(home.path()).absolutePath())) << qPrintable(folder);
    EXPECT_TRUE(folder.endsWith(QStringLiteral("/Velmorant")));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

}  // namespace
