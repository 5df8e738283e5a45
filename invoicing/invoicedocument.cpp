#include "invoicing/invoicedocument.h"

#include "core/wordctrl.h"
#include "platform/ui/busy.h"

#include <QStringList>

namespace {

const QString Euro = QStringLiteral(" \u20AC");
const QChar Tab = QLatin1Char('\t');
const QChar Cr = QLatin1Char('\r');

}  // namespace

QString PositionLines(const std::vector<InvoicePosition>& positions)
{
    QStringList lines;
    for (const InvoicePosition& p : positions)
        lines << QString::number(p.quantity) + Tab + p.text + Tab + FormatCents(p.price) + Euro + Tab
                     + FormatCents(p.total()) + Euro;
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

InvoiceDocumentTexts InvoiceDocument(const InvoiceSession& session, bool pricesIncludeVat, const QString& paymodeText)
{
    const InvoiceTotals& t = session.Totals;
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
    ShowWordDocument();
    if (WordDocOpen)
        ReleaseWordDocument();
    return true;
}
