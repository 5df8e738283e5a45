#include "bookings/addresslistmodel.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace {

CustomerListRow person(qint32 id, const QString& last, const QString& first, const rt::Date& birthday = rt::Date())
{
    CustomerListRow row;
    row.cust_id = id;
    row.cust_lastname = last;
    row.cust_firstname = first;
    row.cust_birthday = birthday;
    return row;
}

std::vector<CustomerListRow> people()
{
    // Plain and umlaut names mixed, one without last name (shown by its first).
    return {person(1, QStringLiteral("Zander"), QStringLiteral("Udo"), rt::Date::fromParts(1970, 5, 1)),
            person(2, QStringLiteral("Öztürk"), QStringLiteral("Ali")),
            person(3, QStringLiteral("mueller"), QStringLiteral("Eva"), rt::Date::fromParts(1960, 1, 2)),
            person(4, QStringLiteral("Müller"), QStringLiteral("Ärmin")),
            person(5, QString(), QStringLiteral("Nora"), rt::Date::fromParts(1990, 3, 3)),
            person(6, QStringLiteral("Adler"), QStringLiteral("bert"))};
}

QList<qint32> ids(const AddressListModel& model)
{
    QList<qint32> out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.idAt(row);
    return out;
}

}  // namespace

// The keys made at the first sort by a column stay with their lines through
// other sorts, a removal and the turn of the same column; new lines get keys
// of their own.
TEST(AddressListModel, SortsByKeptKeysInTheGermanOrder)
{
    AddressListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRows(people(), QStringLiteral("keine Einträge gefunden"));

    model.sort(AddressListModel::LastName, Qt::AscendingOrder);
    EXPECT_EQ(ids(model), (QList<qint32>{6, 3, 4, 5, 2, 1}));
    model.sort(AddressListModel::LastName, Qt::DescendingOrder);
    EXPECT_EQ(ids(model), (QList<qint32>{1, 2, 5, 4, 3, 6}));

    model.sort(AddressListModel::FirstName, Qt::AscendingOrder);
    EXPECT_EQ(ids(model), (QList<qint32>{2, 4, 6, 3, 5, 1}));
    model.sort(AddressListModel::Birthday, Qt::AscendingOrder);
    EXPECT_EQ(ids(model).mid(3), (QList<qint32>{3, 1, 5}));   // unknown birthdays first

    EXPECT_TRUE(model.removeCustomer(4));
    model.sort(AddressListModel::LastName, Qt::DescendingOrder);
    EXPECT_EQ(ids(model), (QList<qint32>{1, 2, 5, 3, 6}));
    model.sort(AddressListModel::FirstName, Qt::DescendingOrder);
    EXPECT_EQ(ids(model), (QList<qint32>{1, 5, 3, 6, 2}));

    // Other lines are sorted anew, not turned round as the old ones were.
    model.setRows({person(8, QStringLiteral("Ahrens"), QStringLiteral("Carl")),
                   person(7, QStringLiteral("Bauer"), QStringLiteral("Zoe"))},
                  QString());
    model.sort(AddressListModel::FirstName, Qt::DescendingOrder);
    EXPECT_EQ(ids(model), (QList<qint32>{7, 8}));
    model.sort(AddressListModel::FirstName, Qt::AscendingOrder);
    EXPECT_EQ(ids(model), (QList<qint32>{8, 7}));
}
