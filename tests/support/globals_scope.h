#pragma once

#include <memory>

namespace test {

// Takes a copy of every program global when it starts and puts them all back
// when it ends, so a test cannot leave its facility, period, flags, terms or
// workstation settings behind for the next. The connection (Db) is the
// TestDatabase's business and is not touched.
class GlobalsScope {
public:
    GlobalsScope();
    ~GlobalsScope();
    GlobalsScope(const GlobalsScope&) = delete;
    GlobalsScope& operator=(const GlobalsScope&) = delete;

private:
    struct Snapshot;
    std::unique_ptr<Snapshot> m_saved;
};

}  // namespace test
