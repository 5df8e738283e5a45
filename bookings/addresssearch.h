#pragma once

#include "core/customers.h"

#include <QString>

// What the address book's search box asks for.
struct AddressSearch {
    enum class Action {
        None,       // nothing typed
        ClearBox,   // a number that is no date: the box is emptied, nothing searched
        Search,
    };
    Action action = Action::None;
    QString boxText;            // what the box shows afterwards (a date completed)
    CustomerFilter filter;
};

// Reads the search text: a date (six or eight digits, or with separators) is
// a birthday; "last, first" searches both names; text with "*" is the user's
// own pattern over names, company, street and notes; anything else is the
// start of a last name or company. categoryId 0 or above narrows the search
// to that category.
AddressSearch ParseAddressSearch(const QString& text, qint32 categoryId);
