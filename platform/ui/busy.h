#pragma once

namespace ui {

// Shows the hourglass for as long as it lives; nests.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // Hourglasses shown now, and taking back those above a count, for an
    // error barrier that must leave the cursor as it found it.
    static int depth();
    static void restoreTo(int depth);

private:
    bool m_released = false;
};

// Lets pending window events run once.
void doEvents();

}  // namespace ui
