#include "bookings/bookinglistprint.h"

#include "core/datefunctions.h"
#include "platform/runtime/date.h"
#include "platform/runtime/format.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/word/document.h"
#include "platform/word/error.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace {

constexpr std::array<double, PrintColumns> HeaderX{0, 1200, 2400, 5000, 6000};
constexpr std::array<double, PrintColumns> LineX{0, 1200, 2400, 5500, 6000};
constexpr double RuleEnd = 10500;
constexpr double PageTopRuleEnd = 10000;
constexpr double Origin = 500;
constexpr double TwipsPerInch = 1440;
// What a bold header leaves free before the next header.
constexpr double HeaderGap = 100;
// A header too wide for its room is printed smaller, down to this size.
constexpr double SmallestHeaderPoints = 6;

// Writes lines down a page the way a line printer's cursor moves: each text
// line starts at the current height and moves it one line down.
class PageWriter {
public:
    PageWriter(std::vector<PrintPage>& pages, const PrintMetrics& metrics) : m_pages(pages), m_metrics(metrics)
    {
        m_pages.emplace_back();
    }

    void emptyLine() { m_y += m_metrics.lineHeight; }
    void gap() { m_y += 4 * m_metrics.pixel; }
    void line(const QString& text)
    {
        put(0, text, false);
        emptyLine();
    }
    void columns(const std::array<double, PrintColumns>& xs, const std::array<QString, PrintColumns>& texts, bool bold)
    {
        for (size_t i = 0; i < xs.size(); ++i) {
            put(xs[i], texts[i], bold);
            // The columns stay where they are; a header fits its room instead.
            if (bold && !texts[i].isEmpty())
                m_pages.back().back().room = (i + 1 < xs.size() ? xs[i + 1] - HeaderGap : RuleEnd) - xs[i];
        }
        emptyLine();
    }
    void rule(double end) { m_pages.back().push_back({PrintItem::Rule, 0, m_y, end, QString(), false}); }
    void newPage()
    {
        m_pages.emplace_back();
        m_y = 0;
    }

private:
    void put(double x, const QString& text, bool bold)
    {
        if (!text.isEmpty())
            m_pages.back().push_back({PrintItem::Text, x, m_y, 0, text, bold});
    }

    std::vector<PrintPage>& m_pages;
    const PrintMetrics& m_metrics;
    double m_y = 0;
};

}  // namespace

PrintedList PrintedListOf(const QString& title, const QAbstractItemModel& model)
{
    PrintedList list;
    list.title = title;
    const int columns = std::min(model.columnCount(), PrintColumns);
    for (int c = 0; c < columns; ++c)
        list.headers[static_cast<size_t>(c)] = model.headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model.rowCount(); ++r) {
        std::array<QString, PrintColumns> texts;
        for (int c = 0; c < columns; ++c)
            texts[static_cast<size_t>(c)] = model.index(r, c).data().toString();
        list.lines.push_back(std::move(texts));
    }
    return list;
}

std::vector<PrintPage> LayoutBookingList(const PrintedList& list, const PrintMetrics& metrics, const QString& printDate)
{
    std::vector<PrintPage> pages;
    PageWriter page(pages, metrics);
    page.line(list.title);
    page.emptyLine();
    page.gap();
    page.columns(HeaderX, list.headers, true);
    page.gap();
    page.rule(RuleEnd);

    const int total = static_cast<int>(list.lines.size());
    const int pageCount = (total + PrintLinesPerPage - 1) / PrintLinesPerPage;
    int pageNumber = 1;
    for (int count = 1; count <= total; ++count) {
        page.gap();
        page.columns(LineX, list.lines[static_cast<size_t>(count - 1)], false);
        page.gap();
        page.rule(RuleEnd);
        if (count % PrintLinesPerPage == 0 && count < total) {
            page.emptyLine();
            page.line(QStringLiteral("Ausdruck vom %1     Seite %2 von %3").arg(printDate).arg(pageNumber).arg(pageCount));
            page.newPage();
            page.rule(PageTopRuleEnd);
            ++pageNumber;
        }
    }
    page.emptyLine();
    page.line(QStringLiteral("(Ausdruck vom %1)").arg(printDate));
    if (pageNumber > 1) {
        page.emptyLine();
        page.line(QStringLiteral("Seite %1 von %1").arg(pageNumber));
    }
    return pages;
}

std::pair<QFont, QString> FitText(const QFont& font, const QString& text, double room, const QPaintDevice& device)
{
    const double roomPixels = room * device.logicalDpiX() / TwipsPerInch;
    QFont fitted = font;
    const auto width = [&] { return QFontMetricsF(fitted, &device).horizontalAdvance(text); };
    while (width() > roomPixels && fitted.pointSizeF() > SmallestHeaderPoints)
        fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
    return {fitted, QFontMetricsF(fitted, &device).elidedText(text, Qt::ElideRight, roomPixels)};
}

QString PaintBookingList(QPagedPaintDevice& device, const PrintedList& list, const QString& printDate)
{
    QPainter painter;
    if (!painter.begin(&device))
        return QStringLiteral("Der Drucker konnte nicht angesprochen werden.");

    const double dpiX = device.logicalDpiX();
    const double dpiY = device.logicalDpiY();
    // A narrow sans serif where there is one: the columns leave a header
    // little more than its own width.
    QFont normal(QStringLiteral("Liberation Sans"));
    normal.setStyleHint(QFont::SansSerif);
    normal.setPointSizeF(10);
    QFont bold = normal;
    bold.setBold(true);
    const QFontMetricsF normalMetrics(normal, &device);
    const QFontMetricsF boldMetrics(bold, &device);
    const PrintMetrics metrics{normalMetrics.height() * TwipsPerInch / dpiY, TwipsPerInch / dpiY};
    const auto px = [&](double twips) { return (twips + Origin) * dpiX / TwipsPerInch; };
    const auto py = [&](double twips) { return (twips + Origin) * dpiY / TwipsPerInch; };
    // A quarter point: thin, yet visible on any printer.
    painter.setPen(QPen(Qt::black, dpiY / 288.0));

    QString error;
    const std::vector<PrintPage> pages = LayoutBookingList(list, metrics, printDate);
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage())
            error = QStringLiteral("Die Seite %1 konnte nicht begonnen werden.").arg(p + 1);
        for (const PrintItem& item : pages[p]) {
            if (item.kind == PrintItem::Rule) {
                painter.drawLine(QPointF(px(item.x), py(item.y)), QPointF(px(item.x2), py(item.y)));
                continue;
            }
            const double ascent = item.bold ? boldMetrics.ascent() : normalMetrics.ascent();
            const auto [font, text] = item.room > 0 ? FitText(item.bold ? bold : normal, item.text, item.room, device)
                                                    : std::pair{item.bold ? bold : normal, item.text};
            painter.setFont(font);
            painter.drawText(QPointF(px(item.x), py(item.y) + ascent), text);
        }
    }
    bool finished = painter.end();
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        finished = finished && printer->printerState() != QPrinter::Error;
    if (!finished)
        error = QStringLiteral("Der Druckauftrag konnte nicht abgeschlossen werden.");
    return error;
}

void PrintBookingList(const PrintedList& list)
{
    const QString today = rt::formatDate(rt::Date::today(), DateFormat);
    ui::PrintService::instance().preview(
        list.title,
        [&list, &today](QPagedPaintDevice& device) {
            QString error;
            {
                ui::WaitCursor wait;
                error = PaintBookingList(device, list, today);
            }
            if (!error.isEmpty())
                ui::msgBox(error, ui::OkOnly, QStringLiteral("Fehler beim Drucken"));
        },
        BookingListPdfPath(list.title, today));
}

QString BookingListPdfPath(const QString& title, const QString& printDate)
{
    try {
        return QDir(word::outputFolder()).absoluteFilePath(word::safeFileName(title + QLatin1Char(' ') + printDate)
                                                           + QStringLiteral(".pdf"));
    } catch (const word::Error&) {
        // Then wherever the print dialog offers.
        return QString();
    }
}
