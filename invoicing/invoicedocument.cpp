#include "invoicing/invoicedocument.h"

#include "core/wordctrl.h"
#include "platform/ui/busy.h"

#include <QFont>
#include <QFontMetricsF>
#include <QStringList>

namespace {

const QString Euro = QStringLiteral(" \u20AC");
const QChar Tab = QLatin1Char('\t');
const QChar Cr = QLatin1Char('\r');

// The positions' paragraph of the template Rechnung: the text starts at the
// tab stop 964 twips, the unit price ends at the right-aligned stop 7655, in
// Arial of 10.5 points. A paragraph of tabs cannot wrap inside a column.
constexpr double TextStop = 964;
constexpr double PriceStop = 7655;
constexpr double ColumnGap = 240;
constexpr double FontPoints = 10.5;

// Widths in twips in the template's font. Measured large, so the screen's
// resolution and hinting do not matter.
class TemplateFont {
public:
    TemplateFont() : m_metrics(font()) {}
    double width(const QString& text) const { return m_metrics.horizontalAdvance(text) * FontPoints * 20 / Pixels; }

private:
    static constexpr int Pixels = 2100;
    static QFont font()
    {
        QFont f(QStringLiteral("Arial"));
        f.setStyleHint(QFont::SansSerif);
        f.setPixelSize(Pixels);
        return f;
    }
    QFontMetricsF m_metrics;
};

// The text in pieces no wider than width, broken between words; a word too
// long for a line of its own is broken where it must.
QStringList breakText(const QString& text, double width, const TemplateFont& font)
{
    QStringList pieces;
    QString line;
    const auto fits = [&](const QString& t) { return font.width(t) <= width; };
    for (QString word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            pieces << line;
        line.clear();
        while (!fits(word)) {
            qsizetype n = 1;
            while (n < word.size() && fits(word.left(n + 1)))
                ++n;
            pieces << word.left(n);
            word = word.mid(n);
        }
        line = word;
    }
    if (!line.isEmpty() || pieces.isEmpty())
        pieces << line;
    return pieces;
}

}  // namespace

QString PositionLines(const std::vector<InvoicePosition>& positions)
{
    const TemplateFont font;
    QStringList lines;
    for (const InvoicePosition& p : positions) {
        const QString price = FormatCents(p.price) + Euro;
        const double room = PriceStop - TextStop - font.width(price) - ColumnGap;
        const QStringList pieces = breakText(p.text, room, font);
        const std::optional<Cents> total = p.total();
        lines << QString::number(p.quantity) + Tab + pieces.front() + Tab + price + Tab
                     + (total ? FormatCents(*total) + Euro : NoValueText);
        for (qsizetype i = 1; i < pieces.size(); ++i)
            lines << Tab + pieces[i];
    }
    return lines.join(Cr);
}

QString VatLines(bool pricesIncludeVat, const QString& fullLabel, Cents fullVat, const QString& reducedLabel,
                 Cents reducedVat)
{
    // A credit note has negative VAT, and it belongs on the paper as well.
    const QString word = pricesIncludeVat ? QStringLiteral("inkl.") : QStringLiteral("zzgl.");
    QString text;
    if (fullVat != 0)
        text += word + QLatin1Char(' ') + fullLabel + Tab + FormatCents(fullVat) + Euro + Cr;
    if (reducedVat != 0)
        text += word + QLatin1Char(' ') + reducedLabel + Tab + FormatCents(reducedVat) + Euro;
    return text;
}

std::optional<InvoiceDocumentTexts> InvoiceDocument(const InvoiceSession& session, bool pricesIncludeVat,
                                                    const QString& paymodeText)
{
    if (!session.Totals)
        return std::nullopt;
    const InvoiceTotals& t = *session.Totals;
    InvoiceDocumentTexts d;
    d.tm_anschrift = session.AddressText;
    d.tm_datum = session.DateText;
    d.tm_rechnungsnummer = session.NumberText;
    d.tm_artikel = PositionLines(session.Positions);
    d.tm_mwst = VatLines(pricesIncludeVat, session.vatLabel(0), t.vatFull, session.vatLabel(1), t.vatReduced);
    d.tm_summe = FormatCents(t.sum) + Euro;
    d.tm_nettosumme = d.tm_summe;
    d.tm_nettobetrag = FormatCents(t.net) + Euro;
    d.tm_bruttosumme = FormatCents(t.gross) + Euro;
    d.tm_zahlmod = paymodeText;
    return d;
}

bool WriteInvoiceDocument(const QString& templatePath, const InvoiceDocumentTexts& texts)
{
    ui::WaitCursor wait;
    if (!OpenWordDocument(templatePath))
        return false;
    SetBookmarkText(QStringLiteral("tm_anschrift"), texts.tm_anschrift);
    SetBookmarkText(QStringLiteral("tm_datum"), texts.tm_datum);
    SetBookmarkText(QStringLiteral("tm_rechnungsnummer"), texts.tm_rechnungsnummer);
    SetBookmarkText(QStringLiteral("tm_artikel"), texts.tm_artikel);
    SetBookmarkText(QStringLiteral("tm_mwst"), texts.tm_mwst);
    SetBookmarkText(QStringLiteral("tm_summe"), texts.tm_summe);
    SetBookmarkText(QStringLiteral("tm_nettosumme"), texts.tm_nettosumme);
    SetBookmarkText(QStringLiteral("tm_nettobetrag"), texts.tm_nettobetrag);
    SetBookmarkText(QStringLiteral("tm_bruttosumme"), texts.tm_bruttosumme);
    SetBookmarkText(QStringLiteral("tm_zahlmod"), texts.tm_zahlmod);
    UpdateDocumentFields();
    const bool shown = ShowWordDocument();
    if (WordDocOpen)
        ReleaseWordDocument();
    return shown;
}
