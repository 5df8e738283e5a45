#pragma once

#include <QFont>
#include <QString>

#include <array>
#include <utility>
#include <vector>

class QAbstractItemModel;
class QPagedPaintDevice;
class QPaintDevice;

// The printed booking list: what the booking window's list shows, laid out in
// twips and printed through the print service.

constexpr int PrintColumns = 5;
constexpr int PrintLinesPerPage = 40;

// The window's caption, the headers of the list's columns and its lines as
// the list shows them.
struct PrintedList {
    QString title;
    std::array<QString, PrintColumns> headers;
    std::vector<std::array<QString, PrintColumns>> lines;
};

// The texts of a list model, in the order it shows its lines.
PrintedList PrintedListOf(const QString& title, const QAbstractItemModel& model);

// One thing on a page, in twips from the list's origin, which lies 500 twips
// right of and below the printable area's top left corner.
struct PrintItem {
    enum Kind { Text, Rule };
    Kind kind = Text;
    double x = 0;       // where a text or a rule starts
    double y = 0;       // the top of a text, the height of a rule
    double x2 = 0;      // where a rule ends
    QString text;
    bool bold = false;
    double room = 0;    // a header's width up to the next header; 0: any
};
using PrintPage = std::vector<PrintItem>;

struct PrintMetrics {
    double lineHeight = 0;  // twips of one line of the 10-point font
    double pixel = 0;       // twips of one printer pixel
};

// The pages of the list; printDate is the day as the footers name it.
std::vector<PrintPage> LayoutBookingList(const PrintedList& list, const PrintMetrics& metrics, const QString& printDate);

// A text in the font for room twips on the device: its size lowered until it
// fits, down to 6 points, and cut with "…" beyond that.
std::pair<QFont, QString> FitText(const QFont& font, const QString& text, double room, const QPaintDevice& device);

// Prints the list onto the device, going on past a failing step as far as it
// can. Returns "" when every page reached the device, else what failed last.
QString PaintBookingList(QPagedPaintDevice& device, const PrintedList& list, const QString& printDate);

// Offers the list in the print preview, dated today; a printer that fails is
// reported ("Fehler beim Drucken"). Saved as PDF, it goes by default into the
// program's documents folder under the list's caption and the day.
void PrintBookingList(const PrintedList& list);

// That PDF: "<documents>/Velmorant/<caption> <day>.pdf"; "" when the folder
// cannot be had.
QString BookingListPdfPath(const QString& title, const QString& printDate);
