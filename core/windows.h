#pragma once

#include "platform/runtime/date.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class AddressReceiver;

// The windows that core and the windows open in each other. The program
// installs them at start (app/main.cpp); tests install their own, so no
// window library depends on another and core on none.
struct WindowEntryPoints {
    std::function<void()> showSettings;       // the settings window, modeless
    std::function<void()> initMainWindow;     // the occupancy plan for MandantId
    std::function<void()> unloadAddressBook;  // the address book, closed for good
    // The settings window, closed for good; one with changes asks first and
    // may stay open.
    std::function<void()> unloadSettings;
    std::function<void()> unloadFacilityOverview;
    // Runs start-up again once the caller's window has gone; the default
    // queues StartProgram(AppPath) on the event loop.
    std::function<void()> restartProgram;
    // Ends the program at once; the default leaves the process.
    std::function<void()> endProgram;

    // The entry points between windows; see the free functions below.
    std::function<void(const QString&, qint32, qint32, bool, int)> showBookings;
    std::function<void(const QString&)> setBookingsCaption;
    std::function<void(qint32, qint32, const QString&, const QString&)> createNewBooking;
    std::function<void(qint32, AddressReceiver*)> showAdresse;
    std::function<void(qint32, qint32, qint32)> showRechnung;
    std::function<void(qint32)> showArtikel;
    std::function<void(const QString&, const QString&)> showRessources;
    std::function<void()> refreshPlan;
    std::function<void()> showMandanten;
    std::function<void(qint32, qint32)> showRoomDetails;
    // The notice that this workstation was asked to end and what keeps it
    // running (the unsaved edits, one line each); an empty list takes it away.
    std::function<void(const QStringList&)> showEndRequestNotice;
};

WindowEntryPoints& Windows();

// Thrown when a replaced endProgram returns, so nothing after the end runs.
struct ProgramEnded : std::runtime_error {
    ProgramEnded() : std::runtime_error("program ended") {}
};

// Ends the program at once: no window gets its closing events.
[[noreturn]] void EndProgram();

// The booking list with the bookings matching filter (a condition on
// tbl_bookings and its joined tables; empty: all of the current facility),
// bookId selected when given; listRange -1 keeps the list's range option,
// 0 from today, 1 all.
void ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange);
// The booking window's caption; callers that want their own set it before
// ShowBookings, which keeps whatever caption the window has.
void SetBookingsCaption(const QString& caption);
// The booking editor on a new booking of placeId for the period typed as
// day texts; nothing for a place below 1. The second id is not used.
void CreateNewBooking(qint32 placeId, qint32 unused, const QString& startText, const QString& endText);
// The address book on customer custId (below 1: a new address). caller is
// the window that takes the chosen guest back (AddMainAdress); null when
// none asked, the guest then goes to the booking window.
void ShowAdresse(qint32 custId, AddressReceiver* caller = nullptr);
// The invoice window on invoice invId, or a new invoice for the customer and
// booking (-1: none).
void ShowRechnung(qint32 invId, qint32 custId, qint32 bookingId);
// The service catalogue on the service (below 1: none chosen).
void ShowArtikel(qint32 serviceId);
// The table editor on a table.
void ShowRessources(const QString& table, const QString& caption);
// Refreshes the plan's visible view when the plan window is loaded and shown.
void RefreshPlan();
// The facility overview.
void ShowMandanten();
// The room details window of a place.
void ShowRoomDetails(qint32 roomId, qint32 placeId);
