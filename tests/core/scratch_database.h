#pragma once

#include "tests/support/test_database.h"

namespace test {

// A fresh database of the program's schema, installed as the program's
// connection for the lifetime of the object.
class ScratchDatabase : public TestDatabase {
public:
    ScratchDatabase() : TestDatabase(QStringLiteral("velmorant.mdb")) {}
};

}  // namespace test
