#include "bookings/addresssearch.h"

#include "core/datefunctions.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/text.h"

AddressSearch ParseAddressSearch(const QString& text, qint32 categoryId)
{
    AddressSearch search;
    const QString s = rt::trim(text);
    if (s.isEmpty())
        return search;

    CustomerFilter& f = search.filter;
    search.boxText = s;
    if (rt::val(s) != 0) {
        const QString date = s.size() >= 6 ? CompleteDateInput(s) : QString();
        const std::optional<rt::Date> birthday = date.isEmpty() ? std::nullopt : db::parseDate(date);
        if (!birthday) {
            search.action = AddressSearch::Action::ClearBox;
            search.boxText.clear();
            return search;
        }
        search.boxText = date;
        f.kind = CustomerFilter::Kind::Birthday;
        f.birthday = *birthday;
    } else if (const qsizetype comma = s.indexOf(QLatin1Char(',')); comma >= 0) {
        f.kind = CustomerFilter::Kind::Name;
        f.text = rt::trim(s.left(comma));
        f.first = rt::trim(s.mid(comma + 1));
    } else if (!s.contains(QLatin1Char('*'))) {
        f.kind = CustomerFilter::Kind::Prefix;
        f.text = s;
    } else {
        f.kind = CustomerFilter::Kind::Pattern;
        f.text = s;
    }
    f.categoryId = categoryId >= 0 ? categoryId : -1;
    search.action = AddressSearch::Action::Search;
    return search;
}
