#pragma once

namespace ui {

// Shows the hourglass for as long as it lives; nests.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Lets pending window events run once.
void doEvents();

}  // namespace ui
