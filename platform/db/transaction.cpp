#include "platform/db/transaction.h"

#include "platform/db/connection.h"
#include "platform/db/database.h"
#include "platform/db/error.h"

#include <sqlite3.h>

namespace db {

Transaction::Transaction(Database& db) : m_conn(db.connection())
{
    if (!m_conn || !m_conn->isOpen())
        throw DbError(err::ObjectClosed);
    sqlite3* h = m_conn->handle;
    m_outermost = sqlite3_get_autocommit(h) != 0;
    if (m_outermost) {
        detail::run(h, QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        m_savepoint = QStringLiteral("tx_%1").arg(++m_conn->savepointCounter);
        detail::run(h, QStringLiteral("SAVEPOINT ") + m_savepoint);
    }
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            rollback();
        } catch (...) {
            // A destructor must not throw; the connection undoes an open
            // transaction when it closes anyway.
        }
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    if (!m_conn->isOpen())
        throw DbError(err::ObjectClosed);
    detail::run(m_conn->handle, m_outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + m_savepoint);
    m_done = true;
}

void Transaction::rollback()
{
    if (m_done)
        return;
    m_done = true;
    if (!m_conn->isOpen())
        return;
    sqlite3* h = m_conn->handle;
    if (m_outermost) {
        // SQLite may already have ended it after a failed statement.
        if (sqlite3_get_autocommit(h) == 0)
            detail::run(h, QStringLiteral("ROLLBACK"));
    } else {
        detail::run(h, QStringLiteral("ROLLBACK TO ") + m_savepoint);
        detail::run(h, QStringLiteral("RELEASE ") + m_savepoint);
    }
}

}  // namespace db
