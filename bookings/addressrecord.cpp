#include "bookings/addressrecord.h"

#include "core/address.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QHash>

#include <optional>
#include <utility>

namespace {

QString deleteTitle()
{
    return GetResString(1650, {{QStringLiteral("%s"), GetResString(1304)}});
}

// "Der Gast "Wagner, Eva"", for the question about a field two workstations changed.
QString guestTitle(const AddressFields& f)
{
    const QString last = rt::trim(f.text[entry::LastName]);
    const QString first = rt::trim(f.text[entry::FirstName]);
    QString name = last.isEmpty() || first.isEmpty() ? last + first : last + QStringLiteral(", ") + first;
    if (name.isEmpty())
        name = rt::trim(f.text[entry::Company]);
    return Capitalized(NominativeOf(TermPersonSingular, TermKind::Person, Article::Definite,
                                    QStringLiteral("\"") + name + QStringLiteral("\"")));
}

// Company, first and last name, as the delete question names a customer.
QString deleteName(const AddressFields& f)
{
    return rt::trim(f.text[entry::Company] + QLatin1Char(' ') + f.text[entry::FirstName] + QLatin1Char(' ')
                    + f.text[entry::LastName]);
}

rt::Date birthdayOf(const QString& text)
{
    const QString date = CompleteDateInput(text);
    if (date.isEmpty())
        return rt::Date();
    return db::parseDate(date).value_or(rt::Date()).datePart();
}

}  // namespace

void AddressState::remember(qint32 custId)
{
    History[static_cast<size_t>(HistoryPosition)] = custId;
    HistoryPosition = (HistoryPosition + 1) % 10;
}

bool IsAddressEmpty(const AddressFields& fields)
{
    return rt::trim(fields.text[entry::LastName]).isEmpty() && rt::trim(fields.text[entry::FirstName]).isEmpty()
           && rt::trim(fields.text[entry::Company]).isEmpty();
}

QString FullName(const AddressFields& fields)
{
    return rt::trim(fields.text[entry::FirstName] + QLatin1Char(' ') + fields.text[entry::LastName]);
}

QString FormatMobileNumber(const QString& text)
{
    const QString trimmed = rt::trim(text);
    const QString digits = ExtractDigits(trimmed);
    if (digits.isEmpty())
        return trimmed;
    // An international number keeps the sign that makes it one.
    const QString sign = trimmed.startsWith(QLatin1Char('+')) ? QStringLiteral("+") : QString();
    return sign + digits.left(4) + QStringLiteral(" - ") + digits.mid(4);
}

QString NormalizeBirthday(const QString& text, const rt::Date& today)
{
    rt::Date day = birthdayOf(text);
    // Kept as typed for the save to refuse: emptied, it would store "none".
    if (day.isZero())
        return rt::trim(text);
    if (day > today)
        day = day.addYears(-100);
    return rt::formatDate(day, DateFormat);
}

QString NormalizeEntry(int index, const QString& text, const rt::Date& today)
{
    const QString trimmed = rt::trim(text);
    switch (index) {
    case entry::LastName:
        return CapitalizeName(trimmed, true);
    case entry::FirstName:
        return CapitalizeName(trimmed, false);
    case entry::Mobile:
        return FormatMobileNumber(trimmed);
    case entry::Birthday:
        return NormalizeBirthday(trimmed, today);
    default:
        return trimmed;
    }
}

AddressFields FieldsOfCustomer(const Customer& c)
{
    AddressFields f;
    f.text[entry::LastName] = c.cust_lastname;
    f.text[entry::FirstName] = c.cust_firstname;
    f.text[entry::Company] = c.cust_company;
    f.text[entry::Street] = c.cust_street;
    f.text[entry::Zip] = c.cust_zip;
    f.text[entry::City] = c.cust_city;
    f.text[entry::Country] = c.cust_country;
    f.text[entry::Phone] = c.cust_phone;
    f.text[entry::Phone2] = c.cust_phone2;
    f.text[entry::Fax] = c.cust_fax;
    f.text[entry::Mobile] = c.cust_mobile;
    f.text[entry::Email] = c.cust_email;
    f.text[entry::Notes] = c.cust_info;
    f.text[entry::Birthday] = c.cust_birthday.isZero() ? QString() : rt::formatDate(c.cust_birthday, DateFormat);
    f.salutation = c.cust_sex;
    f.caution = c.cust_caution;
    f.category = c.cust_category_id;
    return f;
}

void ApplyFields(const AddressFields& f, Customer& c)
{
    c.cust_lastname = f.text[entry::LastName];
    c.cust_firstname = f.text[entry::FirstName];
    c.cust_company = f.text[entry::Company];
    c.cust_street = f.text[entry::Street];
    c.cust_zip = f.text[entry::Zip];
    c.cust_city = f.text[entry::City];
    c.cust_country = f.text[entry::Country];
    c.cust_phone = f.text[entry::Phone];
    c.cust_phone2 = f.text[entry::Phone2];
    c.cust_fax = f.text[entry::Fax];
    c.cust_mobile = f.text[entry::Mobile];
    c.cust_birthday = birthdayOf(f.text[entry::Birthday]);
    c.cust_info = f.text[entry::Notes];
    c.cust_sex = f.salutation;
    c.cust_email = f.text[entry::Email];
    c.cust_caution = f.caution;
    if (f.category)
        c.cust_category_id = *f.category;
}

CityGuess GuessCityFromZip(const QString& zip)
{
    CityGuess guess;
    QString prefix = rt::trim(zip);
    if (prefix.isEmpty())
        return guess;
    ui::WaitCursor wait;
    bool shortened = false;
    // A zip that shares not even its first digit with a stored one says
    // nothing about the city.
    while (!prefix.isEmpty()) {
        if (const std::optional<QString> city = CityOfZipPrefix(prefix)) {
            guess.city = *city;
            guess.doubtful = shortened && !city->isEmpty();
            break;
        }
        prefix.chop(1);
        shortened = true;
    }
    return guess;
}

std::optional<AddressFields> AddressRecord::load(qint32 custId)
{
    if (custId < 1)
        return std::nullopt;
    const std::optional<RowValues> row = ReadCustomerRow(custId);
    if (!row) {
        ui::msgBox(GetResString(1354), ui::Information,
                   GetResString(1353, {{QStringLiteral("%s"), QString::number(custId)}}));
        return std::nullopt;
    }
    m_state.NewRecord = false;
    m_state.DuplicateWarned = false;
    if (custId != m_state.CurrentCustomerId) {
        m_state.CurrentCustomerId = custId;
        m_state.remember(custId);
    }
    takeStored(*row);
    m_state.Changed = false;
    return FieldsOfCustomer(m_state.Stored);
}

void AddressRecord::shown(const AddressFields& fields)
{
    m_state.Base = columnsOf(fields);
}

RowValues AddressRecord::columnsOf(const AddressFields& fields) const
{
    Customer c = m_state.Stored;
    ApplyFields(fields, c);
    return CustomerColumns(c);
}

void AddressRecord::takeStored(const RowValues& row)
{
    m_state.Loaded = row;
    m_state.Stored = CustomerFromRow(row);
    m_state.Salutation = m_state.Stored.cust_sex;
    m_state.Base = columnsOf(FieldsOfCustomer(m_state.Stored));
}

void AddressRecord::startNew()
{
    m_state.CurrentCustomerId = -1;
    m_state.Stored = Customer();
    m_state.Loaded.clear();
    m_state.Base.clear();
    m_state.Salutation = 0;
    m_state.Changed = false;
    m_state.NewRecord = true;
    // Each new address is checked for namesakes of its own.
    m_state.DuplicateWarned = false;
}

AddressRecord::SaveResult AddressRecord::save(const AddressFields& fields, const QString& failureNote)
{
    m_birthdayRefused = false;
    if (StationReadOnly)
        return SaveResult::ReadOnly;
    if (!m_state.Changed)
        return SaveResult::Unchanged;
    if (refuseBirthday(fields, failureNote))
        return SaveResult::Failed;

    const qint32 before = m_state.CurrentCustomerId;
    Customer row = before > 0 ? m_state.Stored : Customer();
    row.cust_id = before > 0 ? before : 0;
    ApplyFields(fields, row);
    m_savedMerged = false;
    try {
        // No hourglass over a question.
        std::optional<ui::WaitCursor> wait(std::in_place);
        bool add = before < 1;
        if (!add) {
            const MergedSave saved = StoreCustomerChanges(
                before, m_state.Loaded, ChangedColumns(m_state.Base, CustomerColumns(row)), [&](const RowMerge& merge) {
                    wait.reset();
                    const ClashChoice choice = AskClash(guestTitle(fields), CustomerMergeFields(), merge);
                    wait.emplace();
                    return choice;
                });
            switch (saved.result) {
            case MergedSave::Result::Written:
                takeStored(saved.row);
                m_savedMerged = saved.merge.changedElsewhere();
                break;
            case MergedSave::Result::Missing:
                add = true;
                break;
            case MergedSave::Result::Cancelled:
            case MergedSave::Result::Refused:
                return SaveResult::Failed;
            }
        }
        if (add) {
            if (before > 0) {
                // Another workstation deleted it: storing it again is the user's call.
                wait.reset();
                const QString question =
                    QStringLiteral("Diese Adresse wurde zwischenzeitlich an einem anderen Arbeitsplatz gelöscht.\n\n"
                                   "Wollen Sie sie als neue Adresse speichern?");
                if (ui::msgBox(question + (failureNote.isEmpty() ? QString() : QStringLiteral("\n\n") + failureNote),
                               ui::OkCancel | ui::Question | ui::DefaultButton2,
                               GetResString(1353, {{QStringLiteral("%s"), QString::number(before)}}))
                    != ui::Answer::Ok)
                    return SaveResult::Failed;
                wait.emplace();
                row.cust_id = 0;
            }
            StoreCustomer(row);
            if (const std::optional<RowValues> added = ReadCustomerRow(row.cust_id)) {
                takeStored(*added);
            } else {
                // Deleted elsewhere the moment it was stored: the next save asks again.
                m_state.Loaded.clear();
                m_state.Stored = row;
                m_state.Base = CustomerColumns(row);
            }
        }
    } catch (const db::DbError& error) {
        QString text = error.description();
        if (!failureNote.isEmpty())
            text += QStringLiteral("\n\n") + failureNote;
        ui::msgBox(text, ui::Exclamation, QStringLiteral("Fehler beim Speichern der Adressdaten"));
        return SaveResult::Failed;
    }
    if (m_state.Stored.cust_id != before) {
        m_state.CurrentCustomerId = m_state.Stored.cust_id;
        m_state.remember(m_state.Stored.cust_id);
    }
    m_state.Changed = false;
    return SaveResult::Written;
}

bool AddressRecord::refuseBirthday(const AddressFields& fields, const QString& failureNote)
{
    const QString typed = rt::trim(fields.text[entry::Birthday]);
    if (typed.isEmpty() || !birthdayOf(typed).isZero())
        return false;
    m_birthdayRefused = true;
    QString text = QStringLiteral("Das ") + GetResString(1333) + QStringLiteral(" \"") + typed +
                   QStringLiteral("\" lässt sich nicht als Datum lesen. Bitte geben Sie das vollständige Datum mit Tag, "
                                  "Monat und Jahr ein, zum Beispiel 12.04.1968, oder leeren Sie das Feld.");
    if (!failureNote.isEmpty())
        text += QStringLiteral("\n\n") + failureNote;
    ui::msgBox(text, ui::Exclamation, QStringLiteral("Adresse nicht gespeichert"));
    return true;
}

AddressRecord::AskResult AddressRecord::askSaveChanged(const AddressFields& fields)
{
    if (!m_state.Changed || IsAddressEmpty(fields))
        return AskResult::NotNeeded;
    const QString name = fields.text[entry::FirstName] + QLatin1Char(' ') + fields.text[entry::LastName];
    const ui::Answer answer = ui::msgBox(GetResString(1342, {{QStringLiteral("%s"), name}}),
                                         ui::OkCancel | ui::Question | ui::EscapeGoesBack, GetResString(1341));
    if (answer == ui::Answer::Back)
        return AskResult::Back;
    if (answer != ui::Answer::Ok)
        return AskResult::Declined;
    const SaveResult saved = save(fields);
    return saved == SaveResult::Failed ? AskResult::Failed : AskResult::Saved;
}

void AddressRecord::refuseDelete(const CustomerReferences& refs)
{
    const auto counted = [](int n, const QString& one, const QString& many) {
        return QString::number(n) + QLatin1Char(' ') + (n == 1 ? one : many);
    };
    const QString rows = refs.bookings > 0 ? counted(refs.bookings, QStringLiteral("Buchung"), QStringLiteral("Buchungen"))
                                           : counted(refs.invoices, QStringLiteral("Rechnung"), QStringLiteral("Rechnungen"));
    ui::msgBox(PersonDeleteRefusedText(rows), ui::Critical, deleteTitle());
}

bool AddressRecord::deleteAsked(const AddressFields& fields)
{
    if (RefuseReadOnly(ui::Critical))
        return false;
    const qint32 id = m_state.CurrentCustomerId;
    if (const CustomerReferences refs = ReferencesOfCustomer(id); refs.any()) {
        refuseDelete(refs);
        return false;
    }
    const auto ask = [](const QString& name) {
        return ui::msgBox(GetResString(1356, {{QStringLiteral("%s"), name}}),
                          ui::OkCancel | ui::Question | ui::DefaultButton2, deleteTitle())
               == ui::Answer::Ok;
    };
    if (id < 1) {
        // Not stored yet: only the fields are emptied.
        if (!ask(deleteName(fields)))
            return false;
        startNew();
        return true;
    }
    // Named as read, asked about as stored now.
    const QString rowName = guestTitle(FieldsOfCustomer(CustomerFromRow(m_state.Loaded)));
    const CustomerDeleteResult deleted =
        DeleteShownCustomer(id, m_state.Loaded, [&](const RowValues& stored, const RowMerge& since) {
            if (since.kept.isEmpty())
                return ask(deleteName(FieldsOfCustomer(CustomerFromRow(stored))));
            return AskDeleteClash(rowName, CustomerMergeFields(), since) == ClashChoice::Mine;
        });
    switch (deleted) {
    case CustomerDeleteResult::Cancelled:
        return false;
    case CustomerDeleteResult::Referenced:
        // A booking or invoice stored meanwhile at another workstation.
        refuseDelete(ReferencesOfCustomer(id));
        return false;
    case CustomerDeleteResult::NotFound:
        ui::msgBox(QStringLiteral("Diese Adresse wurde zwischenzeitlich an einem anderen Arbeitsplatz gelöscht."),
                   ui::Information, deleteTitle());
        break;
    case CustomerDeleteResult::Deleted:
        break;
    }
    startNew();
    return true;
}

bool AddressRecord::deleteIfUnreferenced()
{
    if (StationReadOnly || m_state.CurrentCustomerId < 1)
        return false;
    // Unasked, unless another workstation changed the address meanwhile.
    const QString rowName = guestTitle(FieldsOfCustomer(CustomerFromRow(m_state.Loaded)));
    const CustomerDeleteResult deleted =
        DeleteShownCustomer(m_state.CurrentCustomerId, m_state.Loaded, [&](const RowValues&, const RowMerge& since) {
            return since.kept.isEmpty() || AskDeleteClash(rowName, CustomerMergeFields(), since) == ClashChoice::Mine;
        });
    if (deleted == CustomerDeleteResult::Referenced || deleted == CustomerDeleteResult::Cancelled)
        return false;
    startNew();
    return true;
}

void AddressRecord::edited(int index)
{
    static const QHash<int, QString> columns{
        {entry::LastName, QStringLiteral("cust_lastname")}, {entry::FirstName, QStringLiteral("cust_firstname")},
        {entry::Company, QStringLiteral("cust_company")},   {entry::Street, QStringLiteral("cust_street")},
        {entry::Zip, QStringLiteral("cust_zip")},           {entry::City, QStringLiteral("cust_city")},
        {entry::Phone, QStringLiteral("cust_phone")},       {entry::Fax, QStringLiteral("cust_fax")},
        {entry::Email, QStringLiteral("cust_email")},       {entry::Notes, QStringLiteral("cust_info")},
        {entry::Country, QStringLiteral("cust_country")},   {entry::Mobile, QStringLiteral("cust_mobile")},
        {entry::Birthday, QStringLiteral("cust_birthday")}, {entry::Phone2, QStringLiteral("cust_phone2")},
        {edit::Salutation, QStringLiteral("cust_sex")},     {edit::Caution, QStringLiteral("cust_caution")},
        {edit::Category, QStringLiteral("cust_category_id")}};
    if (const auto column = columns.constFind(index); column != columns.cend())
        MendUnshown(m_state.Base, m_state.Loaded, *column);
}

bool AddressRecord::CheckDuplicateAddress(const AddressFields& fields)
{
    // A read-only workstation stores no new address, so it has none to warn about.
    if (FillingLists || StationReadOnly || !m_state.NewRecord || m_state.DuplicateWarned)
        return false;
    const QString last = rt::trim(fields.text[entry::LastName]);
    const QString first = rt::trim(fields.text[entry::FirstName]);
    QString where;
    const int namesakes = CountCustomersByName(last, first, where);
    if (namesakes == 0)
        return false;

    save(fields);
    m_state.LastSearch = CustomerFilter();
    m_state.LastSearch.kind = CustomerFilter::Kind::Namesakes;
    m_state.LastSearch.text = last;
    m_state.LastSearch.first = first;

    const QString name = first + QLatin1Char(' ') + last;
    // "ist bereits 1 Gast" / "sind bereits 3 Gäste": one namesake is no plural.
    const QString count = namesakes == 1 ? QStringLiteral("ist bereits 1 ") + TermPersonSingular
                                         : QStringLiteral("sind bereits ") + QString::number(namesakes) + QLatin1Char(' ') + TermPersonPlural;
    const QString found = GetResString(1346, {{QStringLiteral("%s1"), count}, {QStringLiteral("%s2"), name}});
    // Marked before the box is up: its focus changes must not warn again.
    m_state.DuplicateWarned = true;
    ui::msgBox(found + QStringLiteral("\n\n") + SurplusPersonReminder(), ui::Exclamation, GetResString(1345));
    return true;
}

qint32 AddressRecord::stepBack()
{
    m_state.HistoryPosition -= 2;
    if (m_state.HistoryPosition < 0)
        m_state.HistoryPosition += 10;
    const qint32 id = m_state.History[static_cast<size_t>(m_state.HistoryPosition)];
    return id > 0 ? id : 0;
}

void HandOverAddress(AddressReceiver& receiver, qint32 custId, const QString& name)
{
    QString failure;
    try {
        receiver.AddMainAdress(custId, name);
        return;
    } catch (const ProgramEnded&) {
        throw;
    } catch (const db::DbError& error) {
        failure = error.description();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    ui::msgBox(QStringLiteral("Fehler beim Übergeben der Adresse:\n") + failure, ui::Exclamation, AppTitle);
}
