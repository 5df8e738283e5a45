#include "bookings/bookinglist.h"
#include "bookings/bookinglistprint.h"
#include "bookings/frmBuchungen.h"
#include "platform/ui/printing.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QFile>
#include <QPdfWriter>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::vector<PrintPage> layout(int lines)
{
    PrintedList list{"Buchungen", {"von", "bis", "Gast", "Personen", "Raum"}, {}};
    for (int i = 1; i <= lines; ++i)
        list.lines.push_back({"01.12.2026", "03.12.2026", QStringLiteral("Gast %1").arg(i), "2", "HH\\EG\\ 1"});
    return LayoutBookingList(list, PrintMetrics{240, 15}, "07.12.2026");
}

QStringList textsOf(const PrintPage& page)
{
    QStringList texts;
    for (const PrintItem& item : page)
        texts << (item.kind == PrintItem::Text ? item.text : QStringLiteral("--%1").arg(item.x2));
    return texts;
}

// Takes the printout into a PDF instead of a printer.
struct PdfPrinter : ui::PrintService {
    void preview(const QString& documentName, const ui::PaintDocument& paint) override
    {
        names << documentName;
        QPdfWriter pdf(path);
        paint(pdf);
    }
    QString path;
    QStringList names;
};

}  // namespace

TEST(PrintedBookingList, FortyLinesAPageWithFootersAndTheClosingLine)
{
    std::vector<PrintPage> pages = layout(40);
    ASSERT_EQ(pages.size(), 1u);
    QStringList texts = textsOf(pages[0]);
    EXPECT_EQ(texts.mid(0, 7), QStringList({"Buchungen", "von", "bis", "Gast", "Personen", "Raum", "--10500"}));
    EXPECT_EQ(texts.mid(texts.size() - 3), QStringList({"HH\\EG\\ 1", "--10500", "(Ausdruck vom 07.12.2026)"}));
    EXPECT_EQ(texts.filter("--10500").size(), 41);
    EXPECT_TRUE(texts.filter("Seite").isEmpty());
    // Bold headers four pixels below the empty line, the persons' header left
    // of its values, each line four pixels below the rule above it.
    EXPECT_TRUE(pages[0][4].bold);
    EXPECT_EQ(QPointF(pages[0][4].x, pages[0][4].y), QPointF(5000, 540));
    EXPECT_EQ(pages[0][6].y, 840);
    EXPECT_FALSE(pages[0][10].bold);
    EXPECT_EQ(QPointF(pages[0][10].x, pages[0][10].y), QPointF(5500, 900));

    for (int lines : {41, 80}) {
        pages = layout(lines);
        ASSERT_EQ(pages.size(), 2u) << lines;
        texts = textsOf(pages[0]);
        EXPECT_EQ(texts.mid(texts.size() - 5),
                  QStringList({"Gast 40", "2", "HH\\EG\\ 1", "--10500", "Ausdruck vom 07.12.2026     Seite 1 von 2"}));
        texts = textsOf(pages[1]);
        EXPECT_EQ(texts.mid(0, 4), QStringList({"--10000", "01.12.2026", "03.12.2026", "Gast 41"}));
        EXPECT_EQ(pages[1][3].y, 60);
        EXPECT_EQ(texts.filter("Gast ").size(), lines - 40);
        EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"(Ausdruck vom 07.12.2026)", "Seite 2 von 2"}));
    }
}

TEST(PrintedBookingList, PrintsTheWindowsListAsShownAndReportsAFailingPrinter)
{
    test::BookingDb db;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    auto* printer = new PdfPrinter;
    auto previous = ui::PrintService::install(std::unique_ptr<ui::PrintService>(printer));
    printer->path = db.database.folder().file("list.pdf");
    for (int i = 0; i < 41; ++i)
        db.addBooking(db.place, i % 2 ? db.anna : db.otto, 2 * i, 2 * i + 1);
    frmBuchungen& w = frmBuchungen::instance();
    w.SetCaption("Reservierungs-Details für Zimmer 1");
    w.ShowBookings(QString(), -1, db.place, false, 1);
    w.ListView1->sortByColumn(BookingListModel::ColGuest, Qt::AscendingOrder);
    const PrintedList list = PrintedListOf(w.windowTitle(), *w.listModel());
    EXPECT_EQ(list.lines.front()[2], "Anna Meier");
    EXPECT_EQ(list.lines.back()[2], "Otto Brückner");

    QTest::mouseClick(w.cmdPrintList, Qt::LeftButton);
    EXPECT_EQ(printer->names, QStringList{"Reservierungs-Details für Zimmer 1"});
    QFile pdf(printer->path);
    EXPECT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().contains("/Count 2"));

    w.ShowBookings("book_id = 0", -1, -1, false, 1);
    EXPECT_EQ(PrintedListOf("", *w.listModel()).lines.at(0)[0], "keine Reservierungen gefunden");

    printer->path = db.database.folder().file("kein Ordner/list.pdf");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.cmdPrintList, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().title, "Fehler beim Drucken");
    EXPECT_EQ(dialogs->lastMessage().text, "Der Drucker konnte nicht angesprochen werden.");
    frmBuchungen::unload();
    ui::PrintService::install(std::move(previous));
}
