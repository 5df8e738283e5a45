#include "core/windows.h"

#include <cstdio>
#include <cstdlib>

WindowEntryPoints& Windows()
{
    static WindowEntryPoints entryPoints;
    return entryPoints;
}

void EndProgram()
{
    if (Windows().endProgram)
        Windows().endProgram();
    std::fflush(nullptr);
    std::_Exit(0);
}

namespace {

// A window whose library is not part of this build (or test) is not opened.
template <class F, class... Args>
void call(const F& entry, Args&&... args)
{
    if (entry)
        entry(std::forward<Args>(args)...);
}

}  // namespace

void ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange)
{
    call(Windows().showBookings, filter, bookId, placeId, showDetails, listRange);
}

void SetBookingsCaption(const QString& caption)
{
    call(Windows().setBookingsCaption, caption);
}

void CreateNewBooking(qint32 placeId, qint32 unused, const QString& startText, const QString& endText)
{
    call(Windows().createNewBooking, placeId, unused, startText, endText);
}

void ShowAdresse(qint32 custId, AddressReceiver* caller)
{
    call(Windows().showAdresse, custId, caller);
}

void ShowRechnung(qint32 invId, qint32 custId, qint32 bookingId)
{
    call(Windows().showRechnung, invId, custId, bookingId);
}

void ShowArtikel(qint32 serviceId)
{
    call(Windows().showArtikel, serviceId);
}

void ShowRessources(const QString& table, const QString& caption)
{
    call(Windows().showRessources, table, caption);
}

void RefreshPlan()
{
    call(Windows().refreshPlan);
}

void ShowMandanten()
{
    call(Windows().showMandanten);
}

void ShowRoomDetails(qint32 roomId, qint32 placeId)
{
    call(Windows().showRoomDetails, roomId, placeId);
}
