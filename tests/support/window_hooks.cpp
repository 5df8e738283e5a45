#include "tests/support/window_hooks.h"

namespace test {

WindowHooks::WindowHooks() : m_saved(Windows())
{
    Windows().showSettings = [this] { ++settingsShown; };
    Windows().initMainWindow = [this] { ++mainShown; };
    Windows().unloadAddressBook = nullptr;
    Windows().restartProgram = [this] { ++restarted; };
    Windows().endProgram = [this] {
        ++ended;
        throw ProgramEnded();
    };
}

WindowHooks::~WindowHooks()
{
    Windows() = m_saved;
}

}  // namespace test
