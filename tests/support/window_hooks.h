#pragma once

#include "core/windows.h"

namespace test {

// Stands in for the windows core opens, counting them, and turns the end of
// the program into a ProgramEnded exception; restores the real ones after.
class WindowHooks {
public:
    WindowHooks();
    ~WindowHooks();
    WindowHooks(const WindowHooks&) = delete;
    WindowHooks& operator=(const WindowHooks&) = delete;

    int settingsShown = 0;
    int mainShown = 0;
    int restarted = 0;
    int ended = 0;

private:
    WindowEntryPoints m_saved;
};

}  // namespace test
