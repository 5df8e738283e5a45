#include "core/address.h"

#include "core/database.h"
#include "core/datefunctions.h"
#include "core/messages.h"
#include "platform/db/database.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"

#include <array>

CustomerAddress InvoiceAddress;

namespace {

const QString CrLf = QStringLiteral("\r\n");

struct Country {
    const char* code;
    const char* name;   // also how it is written on the last line
};

// Stored either as the code or as the name, in any case.
const std::array<Country, 10> KnownCountries = {{
    {"CH", "SCHWEIZ"},
    {"NL", "NIEDERLANDE"},
    {"A", "ÖSTERREICH"},
    {"B", "BELGIEN"},
    {"F", "FRANKREICH"},
    {"UK", "ENGLAND"},
    {"I", "ITALIEN"},
    {"S", "SCHWEDEN"},
    {"DK", "DÄNEMARK"},
    {"PL", "POLEN"},
}};

QString textOf(const db::Recordset& rs, const char* column)
{
    return rs.value(QString::fromLatin1(column)).toText();
}

// Null and non-numeric text count as 0, as the column was always read.
double numberOf(const db::Recordset& rs, const char* column)
{
    const db::Value v = rs.value(QString::fromLatin1(column));
    return v.isNumeric() ? v.toDouble() : rt::val(v.toText());
}

void applyCountry(CustomerAddress& a)
{
    const QString stored = a.Country.toUpper();
    if (stored.isEmpty() || stored == QLatin1String("D") || stored == QStringLiteral("DEUTSCHLAND")) {
        a.Country.clear();
        return;
    }
    for (const Country& c : KnownCountries) {
        const QString code = QString::fromUtf8(c.code);
        const QString name = QString::fromUtf8(c.name);
        if (stored == code || stored == name) {
            a.Zip = code + QStringLiteral(" - ") + a.Zip;
            a.Country = name;
            return;
        }
    }
}

}  // namespace

QString GetCustomerAddress(int mode, CustomerAddress& address, const QString& table, qint32 custId)
{
    if (custId == -1) {
        address = CustomerAddress();
        return GetResString(309);
    }

    db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE cust_id = ?"),
                                         db::OpenMode::ForwardOnlyReadOnly, {db::Value(custId)});
    if (rs.eof())
        return QStringLiteral("Person not found in database");

    CustomerAddress a;
    a.ExtId = rt::clng(numberOf(rs, "cust_ext_id"));
    a.IsNew = rs.value(QStringLiteral("cust_new")).toBool();
    a.LastName = textOf(rs, "cust_lastname");
    a.FirstName = textOf(rs, "cust_firstname");
    a.Company = textOf(rs, "cust_company");
    a.Street = textOf(rs, "cust_street");
    a.Zip = textOf(rs, "cust_zip");
    a.City = textOf(rs, "cust_city");
    a.Country = textOf(rs, "cust_country");
    applyCountry(a);
    a.Phone = textOf(rs, "cust_phone");
    a.Fax = textOf(rs, "cust_fax");
    a.Email = textOf(rs, "cust_email");
    a.Mobile = textOf(rs, "cust_mobile");
    a.Birthday = rs.value(QStringLiteral("cust_birthday")).toDate();
    a.Info = textOf(rs, "cust_info");

    const bool hasName = !rt::trim(a.FirstName + a.LastName).isEmpty();

    QString word;     // Herr, Frau, Herr & Frau or nothing
    QString suffix;   // makes "Herrn" in the address block
    QString salutation = QStringLiteral("Sehr geehrte");
    if (!hasName) {
        salutation += QStringLiteral(" Damen und Herren");
    } else {
        const double sex = numberOf(rs, "cust_sex");
        if (sex == 0) {
            word = SalutationHerr;
            suffix = QStringLiteral("n");
            salutation += QStringLiteral("r");
        } else if (sex == 1) {
            word = SalutationFrau;
        } else if (sex == 2) {
            word = SalutationHerr + QStringLiteral(" & ") + SalutationFrau;
        }
        salutation += QLatin1Char(' ') + word + QLatin1Char(' ') + a.LastName;
    }
    a.LetterSalutation = salutation;

    const bool letter = mode == 0;
    QString block;
    if (!a.Company.isEmpty()) {
        block += a.Company + CrLf;
        if (hasName)
            block += letter ? QStringLiteral("z. Hd. ") + word + suffix + QLatin1Char(' ') : word + QLatin1Char(' ');
    } else {
        block += letter ? word + suffix + CrLf : word + QLatin1Char(' ');
    }
    if (!a.FirstName.isEmpty())
        block += a.FirstName + QLatin1Char(' ');
    if (!a.LastName.isEmpty())
        block += a.LastName + QLatin1Char(' ');
    if (hasName)
        block += CrLf;
    if (!a.Street.isEmpty())
        block += a.Street + CrLf;
    // A zip code alone addresses nothing; it is written only with its city.
    if (!a.City.isEmpty())
        block += CrLf + a.Zip + QLatin1Char(' ') + a.City;
    if (!a.Country.isEmpty())
        block += CrLf + a.Country;
    // Without city and country the name or street line would leave a break
    // behind, and an empty line at the end of the address in the letter.
    if (block.endsWith(CrLf))
        block.chop(CrLf.size());

    QString display = a.LastName;
    if (!a.FirstName.isEmpty())
        display += QStringLiteral(", ") + a.FirstName;
    if (!a.Company.isEmpty())
        display = display.isEmpty() ? a.Company : a.Company + QStringLiteral(", ") + display;

    a.AddressBlock = block;
    a.DisplayName = display;

    QString result;
    switch (mode) {
    case 1:
        result = JoinAddressLines(block);
        break;
    case 3:
        result = display;
        break;
    case 4:
        result = display;
        if (a.Birthday.serial() > 0)
            result += QStringLiteral(", geb. ") + rt::formatDate(a.Birthday, DateFormat);
        break;
    default:
        result = block;
        break;
    }
    address = a;
    return result;
}

QString JoinAddressLines(const QString& text)
{
    QString joined;
    joined.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\r'))
            joined += QStringLiteral(" / ");
        else if (c != QLatin1Char('\n'))
            joined += c;
    }
    return joined;
}

QString CapitalizeName(const QString& name, bool keepPrefix)
{
    QString prefix;
    QString rest = name;
    if (keepPrefix
        && (name.startsWith(QStringLiteral("van ")) || name.startsWith(QStringLiteral("von "))
            || name.startsWith(QStringLiteral("v.")))) {
        int pos = FindLastOf(name, QStringLiteral(" "));
        if (pos == 0)
            pos = FindLastOf(name, QStringLiteral("."));
        if (pos > 0) {
            prefix = name.left(pos);
            rest = name.mid(pos);
        }
    }
    return prefix + rest.left(1).toUpper() + rest.mid(1);
}

int GuessSexFromFirstName(const QString& firstName)
{
    const QString name = rt::trim(firstName);
    if (name.isEmpty())
        return 0;

    ui::WaitCursor wait;
    db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT cust_sex FROM tbl_customers WHERE cust_firstname = ?;"),
                                         db::OpenMode::ForwardOnlyReadOnly, {db::Value(name)});
    if (rs.eof()) {
        const QChar last = name.back();
        if (last == QLatin1Char('a') || last == QLatin1Char('e') || last == QLatin1Char('i'))
            return 1;
        if (last == QLatin1Char('o') || last == QLatin1Char('z'))
            return 0;
        return 3;
    }
    for (; !rs.eof(); rs.moveNext()) {
        const db::Value sex = rs.value(QStringLiteral("cust_sex"));
        if (sex.isNull())
            continue;
        const double v = sex.toDouble();
        if (v == 0)
            return 0;
        if (v == 1)
            return 1;
    }
    return 3;
}

int CountCustomersByName(const QString& lastName, const QString& firstName, QString& where)
{
    const QString last = rt::trim(lastName);
    const QString first = rt::trim(firstName);
    if (last.isEmpty() || first.isEmpty())
        return 0;
    // The condition goes back to the caller as SQL text, so the names stay quoted safely in it.
    where = QStringLiteral("cust_lastname = ") + db::sqlText(last) + QStringLiteral(" AND cust_firstname = ")
            + db::sqlText(first);
    return GetRecordCount(QStringLiteral("tbl_customers"), where);
}

QString SwapUmlautSpelling(const QString& text)
{
    static const std::array<std::pair<const char*, const char*>, 3> pairs = {{
        {"ä", "ae"},
        {"ö", "oe"},
        {"ü", "ue"},
    }};
    QString s = text.toLower();
    for (const auto& [umlautUtf8, lettersUtf8] : pairs) {
        const QString umlaut = QString::fromUtf8(umlautUtf8);
        const QString letters = QString::fromUtf8(lettersUtf8);
        qsizetype pos = s.indexOf(umlaut);
        if (pos >= 0) {
            s.replace(pos, umlaut.size(), letters);
            continue;
        }
        pos = s.indexOf(letters);
        if (pos >= 0)
            s.replace(pos, letters.size(), umlaut);
    }
    return s;
}
