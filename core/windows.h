#pragma once

#include <functional>
#include <stdexcept>

// The windows that core opens itself. The program installs them at start;
// tests install their own, so core never depends on a window class.
struct WindowEntryPoints {
    std::function<void()> showSettings;       // the settings window, modeless
    std::function<void()> initMainWindow;     // the occupancy plan for MandantId
    std::function<void()> unloadAddressBook;  // the address book, closed for good
    // Runs start-up again once the caller's window has gone; the default
    // queues StartProgram(AppPath) on the event loop.
    std::function<void()> restartProgram;
    // Ends the program at once; the default leaves the process.
    std::function<void()> endProgram;
};

WindowEntryPoints& Windows();

// Thrown when a replaced endProgram returns, so nothing after the end runs.
struct ProgramEnded : std::runtime_error {
    ProgramEnded() : std::runtime_error("program ended") {}
};

// Ends the program at once: no window gets its closing events.
[[noreturn]] void EndProgram();
