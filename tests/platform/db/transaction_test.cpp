#include "platform/db/transaction.h"

#include "tests/platform/db/db_fixture.h"

#include <stdexcept>

namespace {

using dbtest::DbTest;
using Transactions = DbTest;

}  // namespace

TEST_F(Transactions, CommitWritesAndAnExceptionLeavesNothing)
{
    {
        db::Transaction tx(*database);
        addPerson(QStringLiteral("Anna"));
        tx.commit();
    }
    try {
        db::Transaction tx(*database);
        addPerson(QStringLiteral("Bernd"));
        db::Recordset rs = database->openRecordset(QStringLiteral("tbl_people"));
        rs.addNew();
        rs.field(QStringLiteral("p_name")).setValue(QStringLiteral("Carla"));
        rs.update();
        throw std::runtime_error("handler failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people")), QStringList{QStringLiteral("Anna")});
    // The connection is usable and outside any transaction afterwards.
    addPerson(QStringLiteral("Dora"));
    EXPECT_EQ(other()->openRecordset(QStringLiteral("SELECT Count(*) AS n FROM tbl_people"), db::OpenMode::ForwardOnlyReadOnly)
                  .value(QStringLiteral("n"))
                  .toLong(),
              2);
}

TEST_F(Transactions, NestedOnesAreSavepointsOfTheOuter)
{
    db::Transaction outer(*database);
    EXPECT_TRUE(outer.isOutermost());
    addPerson(QStringLiteral("Anna"));
    {
        db::Transaction inner(*database);
        EXPECT_FALSE(inner.isOutermost());
        addPerson(QStringLiteral("Bernd"));
    }  // rolled back alone
    {
        db::Transaction inner(*database);
        addPerson(QStringLiteral("Carla"));
        inner.commit();
    }
    EXPECT_EQ(count(), 2);
    outer.rollback();
    EXPECT_EQ(count(), 0);
}

TEST_F(Transactions, AddNewInsideKeepsItsNumberOnlyWhenCommitted)
{
    qint32 first = 0;
    {
        db::Transaction tx(*database);
        db::Recordset rs = database->openRecordset(QStringLiteral("tbl_people"));
        rs.addNew();
        first = rs.field(QStringLiteral("p_id")).value().toLong();
        rs.field(QStringLiteral("p_name")).setValue(QStringLiteral("Anna"));
        rs.update();
    }
    EXPECT_EQ(count(), 0);
    db::Transaction tx(*database);
    db::Recordset rs = database->openRecordset(QStringLiteral("tbl_people"));
    rs.addNew();
    EXPECT_EQ(rs.field(QStringLiteral("p_id")).value().toLong(), first);
    rs.field(QStringLiteral("p_name")).setValue(QStringLiteral("Anna"));
    rs.update();
    tx.commit();
    EXPECT_EQ(count(QStringLiteral("p_id = ") + QString::number(first)), 1);
}

TEST_F(Transactions, OtherWorkstationsSeeNothingBeforeTheCommit)
{
    auto second = other();
    db::Transaction tx(*database);
    addPerson(QStringLiteral("Anna"));
    auto countThere = [&] {
        return second->openRecordset(QStringLiteral("SELECT Count(*) AS n FROM tbl_people"), db::OpenMode::ForwardOnlyReadOnly)
            .value(QStringLiteral("n"))
            .toLong();
    };
    EXPECT_EQ(countThere(), 0);
    tx.commit();
    EXPECT_EQ(countThere(), 1);
}
