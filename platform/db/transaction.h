#pragma once

#include <QString>

#include <memory>

namespace db {

class Database;
namespace detail {
struct Connection;
}

// A unit of work on one connection: everything inside it is written together
// or not at all. The outermost one takes the write lock at once (waiting up to
// the busy timeout for another workstation), so a check made inside it still
// holds when the write follows. Nested ones are savepoints of the outer one.
// Rolled back when it ends without commit(), also on an exception.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    // Undoes the work now; the destructor then does nothing.
    void rollback();
    bool isOutermost() const { return m_outermost; }

private:
    std::shared_ptr<detail::Connection> m_conn;
    QString m_savepoint;   // empty for the outermost level
    bool m_outermost = false;
    bool m_done = false;
};

}  // namespace db
