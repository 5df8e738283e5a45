#include "bookings/bookinglist.h"
#include "bookings/bookinglistprint.h"
#include "bookings/frmBuchungen.h"
#include "platform/ui/printing.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include "core/datefunctions.h"
#include "platform/runtime/date.h"
#include "platform/runtime/format.h"
#include "tests/support/temp_folder.h"

#include <QDir>
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
    void preview(const QString& documentName, const ui::PaintDocument& paint, const QString& pdfPath) override
    {
        names << documentName;
        pdfPaths << pdfPath;
        QPdfWriter pdf(path);
        paint(pdf);
    }
    QString path;
    QStringList names;
    QStringList pdfPaths;
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

TEST(PrintedBookingList, AHeaderWiderThanItsRoomIsPrintedSmallerWhereItStands)
{
    const std::vector<PrintPage> pages = layout(1);
    // Up to the next header, less a gap; the last one up to the rule's end.
    EXPECT_EQ(pages[0][1].room, 1100);
    EXPECT_EQ(pages[0][4].room, 900);
    EXPECT_EQ(pages[0][5].room, 4500);
    EXPECT_EQ(pages[0][7].room, 0);

    test::TempFolder folder;
    QPdfWriter pdf(folder.file("liste.pdf"));
    QFont bold("Liberation Sans");
    bold.setPointSizeF(10);
    bold.setBold(true);
    const auto widthOf = [&pdf](const std::pair<QFont, QString>& fitted) {
        return QFontMetricsF(fitted.first, &pdf).horizontalAdvance(fitted.second) * 1440 / pdf.logicalDpiX();
    };
    const auto gast = FitText(bold, "Gast", 2500, pdf);
    EXPECT_EQ(gast.first.pointSizeF(), 10);
    EXPECT_EQ(gast.second, "Gast");
    // As wide as the Personen header of a broad font: smaller, but whole.
    const QString persons = "Personen  ";
    ASSERT_GT(widthOf({bold, persons}), 900);
    const auto fitted = FitText(bold, persons, 900, pdf);
    EXPECT_LT(fitted.first.pointSizeF(), 10);
    EXPECT_GE(fitted.first.pointSizeF(), 6);
    EXPECT_EQ(fitted.second, persons);
    EXPECT_LE(widthOf(fitted), 900);
    const auto cut = FitText(bold, "Personenanzahl der Buchung", 900, pdf);
    EXPECT_EQ(cut.first.pointSizeF(), 6);
    EXPECT_TRUE(cut.second.endsWith(QChar(0x2026)));
    EXPECT_LE(widthOf(cut), 900);
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

    test::TempFolder home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.file(".config").toUtf8());
    QTest::mouseClick(w.cmdPrintList, Qt::LeftButton);
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(printer->names, QStringList{"Reservierungs-Details für Zimmer 1"});
    // Saved as PDF, the list goes where letters and invoices go.
    EXPECT_EQ(printer->pdfPaths, QStringList{QDir(home.path()).absoluteFilePath(
                                     "Documents/Velmorant/Reservierungs-Details für Zimmer 1 "
                                     + rt::formatDate(rt::Date::today(), DateFormat) + ".pdf")});
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
