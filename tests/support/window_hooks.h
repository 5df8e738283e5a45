#pragma once

#include "core/windows.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace test {

// Stands in for the windows core and the windows open in each other,
// recording each call, and turns the end of the program into a
// ProgramEnded exception; restores the real ones after.
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
    int planRefreshed = 0;
    int settingsUnloaded = 0;
    int facilityOverviewUnloaded = 0;
    // One line per entry point called, e.g. "ShowBookings(book_id = 3|3|-1|1|-1)".
    QStringList opened;
    AddressReceiver* lastAddressCaller = nullptr;
    // The lines of each end-request notice shown (an empty one took it away).
    std::vector<QStringList> endNotices;

private:
    WindowEntryPoints m_saved;
};

}  // namespace test
