#include "invoicing/catalogue.h"

#include "core/messages.h"
#include "core/notices.h"
#include "core/services.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QRegularExpression>

#include <utility>

namespace {

constexpr int MaxQuantity = 32767;

const QString SaveQuestion = QStringLiteral("Wollen Sie Ihre Änderungen speichern?");
const QString ChangedTitle = QStringLiteral("Hotelleistung geändert");

std::optional<int> wholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    static const QRegularExpression whole(QStringLiteral("^[+-]?\\d{1,9}$"));
    if (!whole.match(t).hasMatch())
        return std::nullopt;
    return t.toInt();
}

QString unreadablePriceText(const QString& name)
{
    return QStringLiteral("Der Preis der Hotelleistung \"") + rt::trim(name)
           + QStringLiteral("\" kann nicht gelesen werden. Bitte geben Sie ihn neu ein.");
}

void refusePrice()
{
    ui::msgBox(QStringLiteral("Bitte geben Sie den Preis als Betrag ein, zum Beispiel 12,50."), ui::Exclamation, AppTitle);
}

void refuseQuantity()
{
    ui::msgBox(QStringLiteral("Bitte geben Sie die Menge als ganze Zahl von 0 bis ") + QString::number(MaxQuantity)
                   + QStringLiteral(" ein."),
               ui::Exclamation, AppTitle);
}

}  // namespace

void ServiceCatalogue::load(qint32 serviceId)
{
    if (serviceId < 1)
        return;
    Name.clear();
    Info.clear();
    PriceText.clear();
    VatOption = -1;
    QuantityText = QStringLiteral("1");
    // The price of the entry shown before must not travel with this one.
    CurrentPrice = 0;
    forgetStored();
    if (const std::optional<RowValues> row = ReadServiceRow(serviceId)) {
        m_classUnreadable = !ServiceClassIsWhole(serviceId);
        showStored(*row);
        nameUnreadable();
    } else {
        // Deleted elsewhere: a save must not write these fields over another entry.
        CurrentServiceId = -1;
        IdText.clear();
    }
    Changed = false;
}

void ServiceCatalogue::showStored(const RowValues& row)
{
    const Service s = ServiceFromRow(row);
    CurrentServiceId = s.srv_id;
    IdText = QString::number(s.srv_id);
    Name = s.srv_name;
    Info = s.srv_info;
    CurrentPrice = 0;
    PriceText.clear();
    if (s.srv_price) {
        CurrentPrice = CentsOf(*s.srv_price);
        PriceText = FormatCents(CurrentPrice);
    }
    // What cannot be read shows empty and none chosen, never as 0 or "voll".
    m_priceUnreadable = s.priceUnreadable;
    const int tax = s.srv_tax_id.value_or(0);
    VatOption = tax >= 0 && tax <= 2 && !s.taxUnreadable && !m_classUnreadable ? tax : -1;
    m_loaded = row;
    m_base = fieldColumns();
}

Service ServiceCatalogue::fromFields(Cents price) const
{
    Service s;
    s.srv_id = CurrentServiceId;
    s.srv_name = rt::trim(Name);
    s.srv_info = rt::trim(Info);
    s.srv_price = AmountOf(price);
    if (VatOption >= 0)
        s.srv_tax_id = VatOption;
    return s;
}

RowValues ServiceCatalogue::fieldColumns() const
{
    const std::optional<Cents> price = ParseAmount(PriceText);
    return price ? ServiceColumns(fromFields(*price)) : RowValues();
}

bool ServiceCatalogue::refuseUnreadablePrice() const
{
    if (!m_priceUnreadable)
        return false;
    ui::msgBox(unreadablePriceText(Name), ui::Exclamation, AppTitle);
    return true;
}

void ServiceCatalogue::nameUnreadable() const
{
    QStringList sentences;
    if (m_priceUnreadable)
        sentences << unreadablePriceText(Name);
    if (m_classUnreadable)
        sentences << QStringLiteral("Die Mehrwertsteuer der Hotelleistung \"") + rt::trim(Name)
                         + QStringLiteral("\" kann nicht gelesen werden. Bitte wählen Sie sie neu.");
    // A notice of its own each time: once per showing, not once per run.
    static int showing = 0;
    if (!sentences.isEmpty())
        NoticeOnce(QStringLiteral("Hotelleistung/") + QString::number(++showing), sentences.join(QStringLiteral("\n\n")));
}

void ServiceCatalogue::forgetStored()
{
    m_priceUnreadable = false;
    m_classUnreadable = false;
    m_loaded.clear();
    m_base.clear();
    m_unwritten.clear();
    m_goneWaits = false;
    m_typedPrice.clear();
}

void ServiceCatalogue::clear()
{
    Name.clear();
    Info.clear();
    PriceText.clear();
    IdText.clear();
    CurrentPrice = 0;
    forgetStored();
}

void ServiceCatalogue::startNew()
{
    clear();
    CurrentServiceId = -1;
    // An entry given up before holds nothing of the new one's to save.
    Changed = false;
}

bool ServiceCatalogue::SaveArtikel(bool unattended)
{
    if (RefuseReadOnly(ui::Exclamation))
        return false;
    if (!Changed)
        return true;
    const std::optional<Cents> price = ParseAmount(PriceText);
    // Nobody to be told: nothing of the entry is stored, and the price stays
    // as typed until the user is back.
    if (!price && unattended) {
        m_typedPrice = PriceText;
        return false;
    }
    m_typedPrice.clear();
    if (!price) {
        refusePrice();
        return false;
    }
    Service s = fromFields(*price);
    try {
        ui::WaitCursor wait;
        if (CurrentServiceId >= 1 && !m_loaded.isEmpty()) {
            const RowValues now = ServiceColumns(s);
            const QString loadedName = rt::trim(m_loaded.value(QStringLiteral("srv_name")).toText());
            const QString rowName = QStringLiteral("Die Hotelleistung ")
                                    + (loadedName.isEmpty() ? QStringLiteral("Nr. ") + QString::number(CurrentServiceId)
                                                            : QStringLiteral("\"") + loadedName + QStringLiteral("\""));
            const ClashAsk ask = [&](const RowMerge& merge) {
                return unattended ? ClashChoice::Stored : AskClash(rowName, ServiceMergeFields(), merge);
            };
            const MergedSave save = StoreServiceChanges(CurrentServiceId, m_loaded, ChangedColumns(m_base, now), ask);
            switch (save.result) {
            case MergedSave::Result::Cancelled:
            case MergedSave::Result::Refused:
                return false;
            case MergedSave::Result::Missing:
                // Deleted elsewhere meanwhile: stored anew only with somebody
                // here, and with a price that can be read.
                if (unattended) {
                    m_goneWaits = true;
                    return false;
                }
                if (refuseUnreadablePrice())
                    return false;
                break;
            case MergedSave::Result::Written: {
                const RowValues loaded = m_loaded;
                const RowValues base = m_base;
                if (!unattended || save.notWritten.isEmpty()) {
                    showStored(save.row);
                    m_unwritten.clear();
                    Changed = false;
                    return true;
                }
                // Nobody decided: what was typed stays in its field, compared
                // with the row as first read, so that no later store writes it
                // unasked either.
                RowValues shown = save.row;
                for (const QString& column : save.notWritten)
                    shown.insert(column, now.value(column));
                showStored(shown);
                m_loaded = save.row;
                for (const QString& column : save.notWritten) {
                    m_loaded.insert(column, loaded.value(column));
                    m_base.insert(column, base.value(column));
                }
                m_unwritten = FieldLabels(ServiceMergeFields(), save.notWritten);
                return true;
            }
            }
        }
        const QString goneName = std::exchange(m_goneWaits, false) ? rt::trim(Name) : QString();
        StoreServiceAnew(s);
        const std::optional<RowValues> stored = ReadServiceRow(s.srv_id);
        forgetStored();
        if (stored) {
            showStored(*stored);
        } else {
            CurrentServiceId = s.srv_id;
            IdText = QString::number(s.srv_id);
        }
        // Only the end's notice said it was gone: where it went is told here.
        if (!goneName.isNull())
            ui::msgBox(QStringLiteral("Die Hotelleistung \"") + goneName
                           + QStringLiteral("\" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Sie wurde als neue "
                                            "Hotelleistung Nr. ")
                           + QString::number(s.srv_id) + QStringLiteral(" gespeichert."),
                       ui::Information, AppTitle);
    } catch (const db::DbError& e) {
        ui::msgBox(e.description(), ui::Exclamation, QStringLiteral("Fehler beim Speichern der Daten"));
        return false;
    }
    Changed = false;
    return true;
}

QString ServiceCatalogue::UnsavedEdit() const
{
    const QString name = rt::trim(Name);
    const QString entry = QStringLiteral("Hotelleistungen: ")
                          + (name.isEmpty() ? QString() : QStringLiteral("\"") + name + QStringLiteral("\": "));
    if (!m_typedPrice.isNull()) {
        // Nothing of the entry was stored: what else was changed is named with it.
        RowValues others = ChangedColumns(m_base, ServiceColumns(fromFields(0)));
        others.remove(QStringLiteral("srv_price"));
        const QStringList fields = QStringList{QStringLiteral("Preis \"") + m_typedPrice + QLatin1Char('"')}
                                   + FieldLabels(ServiceMergeFields(), others.keys());
        return entry + rt::listed(fields) + QStringLiteral(" nicht gespeichert, da ")
               + (fields.size() == 1 ? QStringLiteral("er") : QStringLiteral("der Preis"))
               + QStringLiteral(" nicht gelesen werden kann");
    }
    if (m_goneWaits)
        return entry + QStringLiteral("an einem anderen Arbeitsplatz gelöscht; Ihre Änderung ist nicht gespeichert");
    if (m_unwritten.isEmpty())
        return QString();
    return entry + rt::listed(m_unwritten)
           + QStringLiteral(" nicht gespeichert, da inzwischen auch an anderer Stelle geändert");
}

bool ServiceCatalogue::offerSave()
{
    if (!Changed)
        return true;
    const ui::Answer answer = ui::msgBox(SaveQuestion, ui::OkCancel | ui::Question | ui::EscapeGoesBack, ChangedTitle);
    if (answer == ui::Answer::Back)
        return false;
    if (answer != ui::Answer::Ok) {
        // Given up: the end of the program need not wait for it, nor store
        // or name it again.
        m_unwritten.clear();
        m_goneWaits = false;
        m_typedPrice.clear();
        Changed = false;
        return true;
    }
    return SaveArtikel();
}

bool ServiceCatalogue::checkPreis(bool unattended)
{
    // Left empty over a price that cannot be read: still none, not 0,00.
    if (m_priceUnreadable && rt::trim(PriceText).isEmpty())
        return true;
    const std::optional<Cents> price = ParseAmount(PriceText);
    // Nobody to be told: it stays as typed, for the save to keep.
    if (!price && unattended)
        return false;
    m_typedPrice.clear();
    if (!price) {
        refusePrice();
        PriceText = FormatCents(CurrentPrice);
        return false;
    }
    CurrentPrice = *price;
    PriceText = FormatCents(*price);
    return true;
}

bool ServiceCatalogue::checkMenge(bool unattended)
{
    const std::optional<int> quantity = wholeNumber(QuantityText);
    if (!quantity || *quantity > MaxQuantity) {
        if (unattended)
            return false;
        refuseQuantity();
        QuantityText = QStringLiteral("1");
        return false;
    }
    QuantityText = QString::number(std::max(0, *quantity));
    return true;
}

void ServiceCatalogue::stepMenge(int index)
{
    const int quantity = wholeNumber(QuantityText).value_or(0);
    QuantityText = QString::number(std::min(quantity + (index == 0 ? 1 : -1), MaxQuantity));
    checkMenge();
}

bool ServiceCatalogue::deleteCurrent()
{
    if (RefuseReadOnly(ui::Critical))
        return false;
    const auto confirmed = [](const QString& name) {
        return ui::msgBox(QStringLiteral("Wollen Sie die Hotelleistung \"") + name + QStringLiteral("\" wirklich löschen?"),
                          ui::OkCancel | ui::Question | ui::DefaultButton2, QStringLiteral("Hotelleistung löschen"))
               == ui::Answer::Ok;
    };
    if (CurrentServiceId < 1) {
        // Not stored: only the fields are emptied.
        if (!confirmed(Name))
            return false;
    } else {
        // Named and compared as stored: the fields may hold an edit not saved.
        const QString shownName = rt::trim(m_loaded.value(QStringLiteral("srv_name")).toText());
        RowValues shown;
        for (const MergeField& field : ServiceMergeFields()) {
            for (const QString& column : field.columns)
                shown.insert(column, m_loaded.value(column));
        }
        const QString rowName = QStringLiteral("Die Hotelleistung \"") + shownName + QLatin1Char('"');
        const ServiceDeleteResult result =
            DeleteShownService(CurrentServiceId, shown, [&](const RowValues& stored, const RowMerge& sinceShown) {
                if (sinceShown.kept.isEmpty())
                    return confirmed(rt::trim(stored.value(QStringLiteral("srv_name")).toText()));
                return AskDeleteClash(rowName, ServiceMergeFields(), sinceShown) == ClashChoice::Mine;
            });
        switch (result) {
        case ServiceDeleteResult::Cancelled:
            return false;
        case ServiceDeleteResult::Referenced:
            ui::msgBox(QStringLiteral("Die Hotelleistung \"") + shownName
                           + QStringLiteral("\" wird in Rechnungen verwendet und kann daher nicht gelöscht werden."),
                       ui::Exclamation, AppTitle);
            return false;
        case ServiceDeleteResult::NotFound:
            ui::msgBox(QStringLiteral("Die Hotelleistung \"") + shownName
                           + QStringLiteral("\" wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
                       ui::Information, QStringLiteral("Hotelleistung löschen"));
            break;
        case ServiceDeleteResult::Deleted:
            break;
        }
    }
    clear();
    CurrentServiceId = -1;
    Changed = false;
    return true;
}

std::optional<ServiceHandOver> ServiceCatalogue::handOver(bool invoiceOpen)
{
    if (!offerSave())
        return std::nullopt;
    ServiceHandOver h;
    h.vatClass = VatOption == 1 ? 1 : VatOption == 2 ? 2 : 0;
    if (!invoiceOpen) {
        ui::msgBox(QStringLiteral("Sie müssen erst eine Rechnung aus einer Buchung eröffnen."), ui::Critical, AppTitle);
        return std::nullopt;
    }
    if (refuseUnreadablePrice())
        return std::nullopt;
    // The price the save would store, not one left from an earlier entry.
    const std::optional<Cents> price = ParseAmount(PriceText);
    if (!price) {
        refusePrice();
        return std::nullopt;
    }
    const std::optional<int> quantity = wholeNumber(QuantityText);
    if (!quantity || *quantity > MaxQuantity) {
        refuseQuantity();
        return std::nullopt;
    }
    h.quantity = std::max(0, *quantity);
    h.text = Name;
    h.price = *price;
    h.serviceId = CurrentServiceId;
    return h;
}

void ServiceCatalogue::editName(const QString& text)
{
    Name = text;
    mendUnshown(QStringLiteral("srv_name"));
    Changed = true;
}

void ServiceCatalogue::editInfo(const QString& text)
{
    Info = text;
    mendUnshown(QStringLiteral("srv_info"));
    Changed = true;
}

void ServiceCatalogue::editPrice(const QString& text)
{
    PriceText = text;
    m_priceUnreadable = false;
    mendUnshown(QStringLiteral("srv_price"));
    Changed = true;
}

void ServiceCatalogue::chooseVat(int option)
{
    VatOption = option;
    // Over a class that cannot be read any choice is written: what reading
    // made of it may be the very class chosen.
    if (m_classUnreadable)
        m_base.insert(QStringLiteral("srv_tax_id"), db::Value());
    else
        mendUnshown(QStringLiteral("srv_tax_id"));
    m_classUnreadable = false;
    Changed = true;
}

void ServiceCatalogue::trimName()
{
    if (rt::trim(Name) == Name)
        return;
    Name = rt::trim(Name);
    Changed = true;
}

void ServiceCatalogue::trimInfo()
{
    if (rt::trim(Info) == Info)
        return;
    Info = rt::trim(Info);
    Changed = true;
}

void ServiceCatalogue::mendUnshown(const QString& column)
{
    MendUnshown(m_base, m_loaded, column);
}
