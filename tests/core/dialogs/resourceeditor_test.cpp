#include "core/dialogs/resourceeditor.h"
#include "core/dialogs/resourcemodel.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TableEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        StationReadOnly = false;
        data.exec("INSERT INTO tbl_gui_terms (gt_id, gt_singular, gt_plural) VALUES (5, 'Gast', 'Gäste');");
    }
    void TearDown() override
    {
        tester.reset();
        if (frmResourcen::isLoaded())
            delete &frmResourcen::instance();
        frmColorSelector::Unload();
    }
    // The editor on the table, unlocked.
    frmResourcen& open(const QString& table)
    {
        frmResourcen::ShowRessources(table, "Bearbeiten");
        frmResourcen& w = frmResourcen::instance();
        tester = std::make_unique<QAbstractItemModelTester>(w.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        w.chkLock->click();
        return w;
    }
    // The editor, unlocked, on a table of a thousand rows "Zeile 1" to "Zeile 1000".
    frmResourcen& openLongTable()
    {
        data.exec("CREATE TABLE tbl_probe (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(20) COLLATE JETTEXT);");
        data.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                  "INSERT INTO tbl_probe (name) SELECT 'Zeile ' || i FROM n;");
        return open("tbl_probe");
    }
    // Types into a cell through the grid, as a user does: F2, the text over
    // the old one, Enter.
    void type(frmResourcen& w, int row, int column, const QString& text)
    {
        w.grdDataGrid->setFocus();
        w.grdDataGrid->setCurrentIndex(w.model()->index(row, column));
        QTest::keyClick(w.grdDataGrid, Qt::Key_F2);
        auto* editor = w.grdDataGrid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(editor, Qt::Key_Return);
        // The grid stores the edit once the key has been handled, then drops the editor.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    std::unique_ptr<QAbstractItemModelTester> tester;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(TableEditor, AReadOnlyWorkstationGetsTheRefusalAndNoEditor)
{
    StationReadOnly = true;
    dialogs->answerMessage(ui::Answer::Ok);
    frmResourcen::ShowRessources("tbl_vat", "Mehrwertsteuer");
    EXPECT_FALSE(frmResourcen::isLoaded());
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(390));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
}

TEST_F(TableEditor, WorkstationsOpenLockedWithTheirIdHidden)
{
    data.exec("INSERT INTO tbl_workstations (ws_computername) VALUES ('kasse');");
    frmResourcen::ShowRessources("tbl_workstations", "Arbeitsplätze");
    frmResourcen& w = frmResourcen::instance();
    EXPECT_TRUE(w.chkLock->isChecked());
    EXPECT_FALSE(w.btnSave->isEnabled());
    EXPECT_FALSE(w.model()->flags(w.model()->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(w.model()->rowCount(), 1);

    w.chkLock->click();
    EXPECT_TRUE(w.grdDataGrid->isColumnHidden(0));
    EXPECT_FALSE(w.grdDataGrid->isColumnHidden(1));
    EXPECT_FALSE(w.model()->flags(w.model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(w.model()->flags(w.model()->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(w.btnNeu->isEnabled());
    EXPECT_TRUE(w.btnDelete->isEnabled());
    EXPECT_TRUE(w.model()->isNewLine(1));
}

TEST_F(TableEditor, AClearedCellIsStoredAsNullAndARefusedValueNamed)
{
    frmResourcen& w = open("tbl_gui_terms");
    type(w, 0, 2, "");
    EXPECT_TRUE(data.value("SELECT gt_plural FROM tbl_gui_terms;").isNull());

    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 0, 0, "kein Wert");
    EXPECT_EQ(dialogs->lastMessage().text, "\"kein Wert\" ist keine Zahl. In der Spalte \"gt_id\" können nur Zahlen stehen.");
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
    QCoreApplication::processEvents();
    QTest::keyClick(w.grdDataGrid->viewport()->findChild<QLineEdit*>(), Qt::Key_Escape);
    EXPECT_EQ(data.value("SELECT gt_id FROM tbl_gui_terms;").toLong(), 5);
    EXPECT_EQ(w.model()->data(w.model()->index(0, 0)).toString(), "5");
}

TEST_F(TableEditor, AVatRateCannotBeCleared)
{
    data.exec("INSERT INTO tbl_vat (vat_date_start, vat_date_end, vat_full, vat_reduced) VALUES (36526, 73415, 19, 7);");
    frmResourcen& w = open("tbl_vat");
    // An empty rate would read as 0 % on every invoice of the period.
    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 0, 2, "");
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Ein Mehrwertsteuersatz darf nicht leer bleiben"));
    EXPECT_EQ(dialogs->lastMessage().title, "Bearbeiten");
    EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat;").toLong(), 19);
    EXPECT_EQ(w.model()->data(w.model()->index(0, 2)).toString(), "19");

    // Not in a new row either; 0 is a rate, and the dates may be typed as ever.
    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 1, 3, "");
    EXPECT_EQ(dialogs->messages().size(), 2u);
    type(w, 0, 3, "0");
    EXPECT_EQ(data.value("SELECT vat_reduced FROM tbl_vat;").toLong(), 0);
    type(w, 0, 1, "");
    EXPECT_TRUE(data.value("SELECT vat_date_end FROM tbl_vat;").isNull());
    EXPECT_EQ(dialogs->messages().size(), 2u);
}

TEST_F(TableEditor, AFractionalVatRateIsRefusedAndTheCellOpensAgainOnWhatWasTyped)
{
    data.exec("INSERT INTO tbl_vat (vat_date_start, vat_date_end, vat_full, vat_reduced) VALUES (36526, 73415, 19, 7);");
    frmResourcen& w = open("tbl_vat");
    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 0, 2, "8,1");
    EXPECT_TRUE(dialogs->lastMessage().text.contains("nur ganze Prozent")) << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
    EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat;").toLong(), 19);
    // The grid closed the refused edit in the last round of events; the cell opens again in the next.
    QCoreApplication::processEvents();
    auto* cell = w.grdDataGrid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(), "8,1");
    EXPECT_EQ(w.grdDataGrid->currentIndex(), w.model()->index(0, 2));
    // Mended where it stands.
    cell->selectAll();
    QTest::keyClicks(cell, "8");
    QTest::keyClick(cell, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat;").toLong(), 8);
    EXPECT_EQ(dialogs->messages().size(), 1u);
}

TEST_F(TableEditor, ARowOthersStillPointToIsNotDeleted)
{
    data.exec("INSERT INTO tbl_places (pl_name) VALUES ('Zimmer 1');");
    data.exec("INSERT INTO tbl_places (pl_name) VALUES ('Zimmer 2');");
    data.exec("INSERT INTO tbl_bookings (book_place_id, book_cust_count) VALUES (1, 2);");
    frmResourcen& w = open("tbl_places");
    w.grdDataGrid->setCurrentIndex(w.model()->index(0, 3));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnDelete, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Der Eintrag kann nicht gelöscht werden.\n\n1 Buchung verweist noch darauf.");
    EXPECT_EQ(data.count("tbl_places"), 2);

    w.grdDataGrid->setCurrentIndex(w.model()->index(1, 3));
    QTest::mouseClick(w.btnDelete, Qt::LeftButton);
    EXPECT_EQ(data.count("tbl_places"), 1);
    EXPECT_EQ(data.value("SELECT pl_name FROM tbl_places;").toText(), "Zimmer 1");
    EXPECT_TRUE(w.modified());
}

// Changing a key is refused like a delete while anything points to it, as
// stored now: a building another workstation adds meanwhile counts too.
TEST_F(TableEditor, AKeyOthersPointToIsNotChanged)
{
    data.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension'), (2, 'Hotel'), (3, 'Alm');");
    data.exec("INSERT INTO tbl_buildings (bld_mandant_id, bld_name) VALUES (1, 'Haupthaus');");
    frmResourcen& w = open("tbl_mandanten");
    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 0, 0, "7");
    EXPECT_EQ(dialogs->lastMessage().text,
              "Die Nummer dieses Eintrags kann nicht geändert werden.\n\n1 Gebäude verweist noch darauf.");
    EXPECT_EQ(w.model()->data(w.model()->index(0, 0)).toString(), "1");

    auto other = db::Database::open(data.path());
    other->execute("INSERT INTO tbl_invoice (inv_mandant_id) VALUES (2);");
    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 1, 0, "8");
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith("\n\n1 Rechnung verweist noch darauf."));

    type(w, 1, 1, "Hotel am See");   // the other columns of such a row stay editable
    type(w, 2, 0, "9");
    EXPECT_EQ(data.value("SELECT Count(*) FROM tbl_mandanten WHERE mand_id IN (1, 2, 9);").toLong(), 3);
    EXPECT_EQ(data.value("SELECT mand_name FROM tbl_mandanten WHERE mand_id = 2;").toText(), "Hotel am See");
    EXPECT_EQ(dialogs->messages().size(), 2u);
}

// The rows that refer are counted in words, guests and places by the house's terms.
TEST_F(TableEditor, TheRefusalCountsTheReferringRowsInWords)
{
    TermPersonSingular = "Bewohnerin";
    TermPersonPlural = "Bewohnerinnen";
    data.exec("INSERT INTO tbl_cust_categories (adrcat_id, adrcat_name) VALUES (1, 'Stammgast');");
    data.exec("INSERT INTO tbl_customers (cust_lastname, cust_category_id) VALUES ('Meier', 1), ('Schulz', 1);");
    data.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension');");
    data.exec("INSERT INTO tbl_invoice (inv_mandant_id) VALUES (1), (1), (1);");
    data.exec("INSERT INTO tbl_bookings (book_mandant_id) VALUES (1);");

    frmResourcen& categories = open("tbl_cust_categories");
    dialogs->answerMessage(ui::Answer::Ok);
    type(categories, 0, 0, "5");
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith("\n\n2 Bewohnerinnen verweisen noch darauf."));
    tester.reset();
    delete &categories;

    frmResourcen& facilities = open("tbl_mandanten");
    facilities.grdDataGrid->setCurrentIndex(facilities.model()->index(0, 1));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(facilities.btnDelete, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Der Eintrag kann nicht gelöscht werden.\n\n"
                                           "1 Buchung verweist noch darauf.\n3 Rechnungen verweisen noch darauf.");
    EXPECT_EQ(data.count("tbl_mandanten"), 1);
}

// A compaction at another workstation may give the rows of a table without an
// INTEGER PRIMARY KEY other rowids while the editor is open: the key checked
// is the one the edit overwrites, not whatever row now has the old rowid.
TEST_F(TableEditor, AKeyOthersPointToStaysAfterTheRowsWereRenumberedElsewhere)
{
    data.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension'), (2, 'Hotel');");
    data.exec("INSERT INTO tbl_buildings (bld_mandant_id, bld_name) VALUES (1, 'Haupthaus');");
    frmResourcen& w = open("tbl_mandanten");
    auto other = db::Database::open(data.path());
    other->execute("UPDATE tbl_mandanten SET rowid = rowid + 100;");
    other->execute("UPDATE tbl_mandanten SET rowid = 1 WHERE mand_id = 2;");
    other->execute("UPDATE tbl_mandanten SET rowid = 2 WHERE mand_id = 1;");

    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 0, 0, "7");
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith("\n\n1 Gebäude verweist noch darauf."));
    EXPECT_EQ(data.value("SELECT Count(*) FROM tbl_mandanten WHERE mand_id IN (1, 2);").toLong(), 2);
    EXPECT_EQ(data.value("SELECT Count(*) FROM tbl_buildings INNER JOIN tbl_mandanten ON bld_mandant_id = mand_id;").toLong(), 1);
    // The row nothing points to still takes a new key.
    type(w, 1, 0, "8");
    EXPECT_EQ(data.value("SELECT mand_name FROM tbl_mandanten WHERE mand_id = 8;").toText(), "Hotel");
}

TEST_F(TableEditor, AFailedSaveKeepsTheWindowOpenAndChangesRebuildTheOtherWindows)
{
    frmResourcen& w = open("tbl_gui_terms");
    type(w, 0, 1, "Kunde");
    // A new line without the id the table needs.
    type(w, 1, 1, "Zimmer");
    dialogs->answerMessage(ui::Answer::Ok);
    w.cmdSchliessen_Click();
    ASSERT_TRUE(frmResourcen::isLoaded());
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Fehler beim Speichern Ihrer Änderungen:"));
    EXPECT_EQ(data.count("tbl_gui_terms"), 1);

    type(w, 1, 0, "1");
    dialogs->answerMessage(ui::Answer::Ok);
    w.cmdSchliessen_Click();
    EXPECT_FALSE(frmResourcen::isLoaded());
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(1699));
    EXPECT_EQ(data.count("tbl_gui_terms"), 2);
    EXPECT_EQ(TermPersonSingular, "Kunde");
    EXPECT_EQ(TermPlaceSingular, "Zimmer");
    EXPECT_EQ(windows.mainShown, 1);
    EXPECT_EQ(windows.settingsUnloaded, 1);
    EXPECT_EQ(windows.facilityOverviewUnloaded, 1);
    EXPECT_FALSE(Closing);
}

TEST_F(TableEditor, ClosingWithoutChangesTouchesNoOtherWindow)
{
    frmResourcen& w = open("tbl_vat");
    w.close();
    EXPECT_FALSE(frmResourcen::isLoaded());
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(windows.mainShown, 0);
}

TEST_F(TableEditor, AColourColumnTakesTheIndexChosenInThePopUp)
{
    data.exec("CREATE TABLE tbl_probe (id INTEGER PRIMARY KEY, name VARCHAR(20), Zimmerfarbe TINYINT);");
    data.exec("INSERT INTO tbl_probe (name) VALUES ('Blau');");
    ColorCodes = {"0", "FF", "FF00", "FF0000"};
    ColorCount = 3;
    frmResourcen& w = open("tbl_probe");
    ASSERT_EQ(w.colorColumn(), 2);
    const QModelIndex cell = w.model()->index(0, 2);
    QTest::mouseClick(w.grdDataGrid->viewport(), Qt::LeftButton, {}, w.grdDataGrid->visualRect(cell).center());
    ASSERT_TRUE(QTest::qWaitFor([] { return frmColorSelector::isLoaded() && frmColorSelector::instance().isVisible(); }));
    w.Receive_SelectedColor(3);
    EXPECT_EQ(data.value("SELECT Zimmerfarbe FROM tbl_probe;").toLong(), 3);
    EXPECT_TRUE(w.modified());
}

// A long table: the editor counts it, shows its first rows and reads the rest
// as the user moves down; cells far down are written to their own rows, and a
// row added before the end was read is listed once.
TEST_F(TableEditor, ALongTableIsReadAsTheUserMovesThroughIt)
{
    frmResourcen& w = openLongTable();
    ResourceTableModel& model = *w.model();
    ASSERT_EQ(model.storedRows(), 1000);
    w.grdDataGrid->setFocus();
    w.grdDataGrid->setCurrentIndex(model.index(0, 1));

    // A new row first, then the way to the end.
    type(w, 1000, 1, "Neu");
    QTest::keyClick(w.grdDataGrid, Qt::Key_Up);
    EXPECT_EQ(data.count("tbl_probe"), 1001);
    ASSERT_EQ(model.storedRows(), 1001);
    QTest::keyClick(w.grdDataGrid, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(w.grdDataGrid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_GE(w.grdDataGrid->currentIndex().row(), 999);
    QStringList names;
    for (int row = 0; row < model.storedRows(); ++row)
        names << model.data(model.index(row, 1)).toString();
    EXPECT_EQ(names.first(), "Zeile 1");
    EXPECT_EQ(names.at(612), "Zeile 613");
    EXPECT_EQ(names.at(999), "Zeile 1000");
    EXPECT_EQ(names.last(), "Neu");
    EXPECT_EQ(names.count("Neu"), 1);

    type(w, 850, 1, "geändert");
    EXPECT_EQ(data.value("SELECT name FROM tbl_probe WHERE id = 851;").toText(), "geändert");
    w.grdDataGrid->setCurrentIndex(model.index(700, 1));
    QTest::mouseClick(w.btnDelete, Qt::LeftButton);
    EXPECT_EQ(data.count("tbl_probe", "id = 701"), 0);
    EXPECT_EQ(model.data(model.index(700, 1)).toString(), "Zeile 702");
}

// Another workstation writes while the editor shows a long table: no reading
// stays open that would lock it out. Rows it deleted show empty and cannot be
// changed; rows it added come with the next reading.
TEST_F(TableEditor, AnotherWorkstationWritesWhileTheEditorShowsATable)
{
    frmResourcen& w = openLongTable();
    ResourceTableModel& model = *w.model();
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), "Zeile 1");

    std::unique_ptr<db::Database> other = db::Database::open(data.path());
    EXPECT_EQ(other->execute("UPDATE tbl_probe SET name = 'anderswo' WHERE id = 2;"), 1);
    EXPECT_EQ(other->execute("DELETE FROM tbl_probe WHERE id = 500;"), 1);
    EXPECT_EQ(other->execute("INSERT INTO tbl_probe (name) VALUES ('später');"), 1);

    // Every row once, in order, whichever pages were read before; the deleted
    // one leaves one empty line.
    QStringList names;
    int empty = -1;
    for (int row = 0; row < model.storedRows(); ++row) {
        const QString name = model.data(model.index(row, 1)).toString();
        if (name.isEmpty())
            empty = row;
        else
            names << name;
    }
    ASSERT_EQ(model.storedRows(), 1000);
    ASSERT_GE(empty, 0);
    EXPECT_FALSE(model.flags(model.index(empty, 1)) & Qt::ItemIsEditable);
    // The second row was read before the other workstation changed it.
    QStringList expected;
    for (int i = 1; i <= 1000; ++i)
        if (i != 500)
            expected << QStringLiteral("Zeile %1").arg(i);
    EXPECT_EQ(names, expected);

    QTest::mouseClick(w.cmdNeulesen, Qt::LeftButton);
    ASSERT_EQ(model.storedRows(), 1000);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "anderswo");
    QTest::keyClick(w.grdDataGrid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(model.data(model.index(999, 1)).toString(), "später");
    EXPECT_TRUE(dialogs->calls().empty());
}

// Rows the grid reads on its own as the user scrolls, after another
// workstation removed the table: said once, in German, without the table.
TEST_F(TableEditor, AReadingOfTheGridThatFailsIsToldOnce)
{
    frmResourcen& w = openLongTable();
    ResourceTableModel& model = *w.model();
    std::unique_ptr<db::Database> other = db::Database::open(data.path());
    other->execute("DROP TABLE tbl_probe;");
    dialogs->answerMessage(ui::Answer::Ok);
    w.grdDataGrid->setFocus();
    w.grdDataGrid->setCurrentIndex(model.index(0, 1));
    for (int page = 0; page < 100 && w.grdDataGrid->currentIndex().row() < 600; ++page) {
        QTest::keyClick(w.grdDataGrid, Qt::Key_PageDown);
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs->calls().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Data error event hit err: Die Tabelle oder Abfrage wurde nicht gefunden."));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::None);
}

TEST_F(TableEditor, ATableTheDatabaseLacksIsNamed)
{
    data.exec("DROP TABLE Textbausteine;");
    dialogs->answerMessage(ui::Answer::Ok);
    frmResourcen::ShowRessources("Textbausteine", "Textbausteine");
    EXPECT_FALSE(frmResourcen::isLoaded());
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Textbausteine"));
}

TEST_F(TableEditor, EscapeDropsACellEditFirstThenClosesTheEditorAsItsCloseBoxDoes)
{
    frmResourcen& w = open("tbl_vat");
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const QModelIndex cell = w.model()->index(0, 1);
    w.grdDataGrid->setCurrentIndex(cell);
    w.grdDataGrid->edit(cell);
    auto* editor = w.grdDataGrid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("99");
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_TRUE(frmResourcen::isLoaded());
    EXPECT_FALSE(w.modified());

    QTest::keyClick(w.grdDataGrid, Qt::Key_Escape);
    EXPECT_FALSE(frmResourcen::isLoaded());
    EXPECT_TRUE(dialogs->calls().empty());
}

namespace {

// Station B changes the term "Gast" while station A has it in the editor.
class TwoDesksInTheTableEditor : public TableEditor {
protected:
    QString shown(frmResourcen& w, int column) { return w.model()->data(w.model()->index(0, column)).toString(); }
    QString stored(const char* column)
    {
        return data.value(QStringLiteral("SELECT %1 FROM tbl_gui_terms WHERE gt_id = 5;").arg(QLatin1String(column))).toText();
    }
    void otherSets(const char* column, const char* value)
    {
        other.exec(QStringLiteral("UPDATE tbl_gui_terms SET %1 = ? WHERE gt_id = 5;").arg(QLatin1String(column)),
                   {QString::fromUtf8(value)});
    }

    test::OtherStation other{data.path()};
};

}  // namespace

TEST_F(TwoDesksInTheTableEditor, ACellWriteLeavesTheOtherColumnsAsTheOtherDeskStoredThem)
{
    frmResourcen& w = open("tbl_gui_terms");
    otherSets("gt_plural", "Gäste (alle)");
    otherSets("gt_GenitivSingular", "des Gastes");
    type(w, 0, 1, "Kunde");
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("gt_singular"), "Kunde");
    EXPECT_EQ(stored("gt_plural"), "Gäste (alle)");
    EXPECT_EQ(shown(w, 2), "Gäste (alle)");

    // A cell left as it was read writes nothing over another desk's value, and asks nothing.
    otherSets("gt_singular", "Besucher");
    w.grdDataGrid->setCurrentIndex(w.model()->index(0, 1));
    QTest::keyClick(w.grdDataGrid, Qt::Key_F2);
    QTest::keyClick(w.grdDataGrid->viewport()->findChild<QLineEdit*>(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("gt_singular"), "Besucher");
    EXPECT_EQ(shown(w, 1), "Besucher");
}

TEST_F(TwoDesksInTheTableEditor, ACellBothDesksChangedAsksAndOnlyJaWritesOverTheOtherDesksValue)
{
    frmResourcen& w = open("tbl_gui_terms");
    otherSets("gt_singular", "Besucher");
    dialogs->answerMessage(ui::Answer::Cancel);
    type(w, 0, 1, "Kunde");
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Der Datensatz 1 wurde inzwischen an anderer Stelle geändert: gt_singular jetzt \"Besucher\". "
        "Ihre Änderung trotzdem speichern?"))
        << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(stored("gt_singular"), "Besucher");
    EXPECT_EQ(shown(w, 1), "Besucher");
    EXPECT_FALSE(w.modified());

    otherSets("gt_singular", "Bewohner");
    dialogs->answerMessage(ui::Answer::No);
    type(w, 0, 1, "Kunde");
    EXPECT_EQ(stored("gt_singular"), "Bewohner");
    EXPECT_EQ(shown(w, 1), "Bewohner");

    otherSets("gt_singular", "Mieter");
    dialogs->answerMessage(ui::Answer::Yes);
    type(w, 0, 1, "Kunde");
    EXPECT_EQ(stored("gt_singular"), "Kunde");
    EXPECT_EQ(shown(w, 1), "Kunde");
    EXPECT_TRUE(w.modified());
    EXPECT_EQ(dialogs->messages().size(), 3u);
}

namespace {

// The VAT table has no key: its rows are known by their values. Station B
// changes them while station A has them in the editor.
class TwoDesksOnTheVatTable : public TableEditor {
protected:
    void SetUp() override
    {
        TableEditor::SetUp();
        data.exec("DELETE FROM tbl_vat;");
        data.exec("INSERT INTO tbl_vat VALUES (#01/01/2000#, #12/31/2100#, 19, 7), (#01/01/2101#, #12/31/2199#, 21, 7);");
    }
    QString shown(frmResourcen& w, int row, int column) { return w.model()->data(w.model()->index(row, column)).toString(); }

    test::OtherStation other{data.path()};
};

}  // namespace

TEST_F(TwoDesksOnTheVatTable, ACellIsMergedWithTheOtherDesksChangesAndAGoneRowIsCalledGone)
{
    frmResourcen& w = open("tbl_vat");
    other.exec("UPDATE tbl_vat SET vat_reduced = 5 WHERE vat_full = 19;");
    type(w, 0, 2, "18");
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(data.count("tbl_vat", "vat_full = 18 AND vat_reduced = 5"), 1);
    EXPECT_EQ(shown(w, 0, 3), "5");

    other.exec("UPDATE tbl_vat SET vat_full = 20 WHERE vat_full = 18;");
    dialogs->answerMessage(ui::Answer::Yes);
    type(w, 0, 2, "17");
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Der Datensatz 1 wurde inzwischen an anderer Stelle geändert: vat_full jetzt 20."));
    EXPECT_EQ(data.count("tbl_vat", "vat_full = 17 AND vat_reduced = 5"), 1);

    other.exec("DELETE FROM tbl_vat WHERE vat_full = 17;");
    dialogs->answerMessage(ui::Answer::Ok);
    type(w, 0, 2, "15");
    EXPECT_EQ(dialogs->lastMessage().text, "Dieser Eintrag wurde inzwischen an einem anderen Arbeitsplatz gelöscht.\n\n"
                                           "Ihre Änderung wurde nicht gespeichert.");
    EXPECT_EQ(shown(w, 0, 2), "");
}

TEST_F(TwoDesksOnTheVatTable, DeletingARowChangedElsewhereAsksFirstAndNeinKeepsItAsStored)
{
    frmResourcen& w = open("tbl_vat");
    other.exec("UPDATE tbl_vat SET vat_full = 22 WHERE vat_full = 21;");
    QTest::mouseClick(w.grdDataGrid->viewport(), Qt::LeftButton, {}, w.grdDataGrid->visualRect(w.model()->index(1, 2)).center());
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(w.btnDelete, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text,
              "Der Datensatz 2 wurde inzwischen an anderer Stelle geändert: vat_full jetzt 22. Trotzdem löschen?");
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    EXPECT_EQ(shown(w, 1, 2), "22");
    // Now shown as stored: deleted without a question.
    QTest::mouseClick(w.btnDelete, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(data.count("tbl_vat"), 1);
}
