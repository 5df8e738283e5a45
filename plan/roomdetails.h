#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <optional>
#include <vector>

// The room details window's rules, without the window.

// The floor as the room details name it: its name, else the standard label
// of its order (FloorNames); "" for a missing floor or an order without one.
QString FloorCaption(const QString& flrName, std::optional<int> flrOrder);

struct RoomOccupant {
    QString name;        // first and last name
    qint32 custId = 0;
};

// What the window shows of a place, as texts.
struct RoomDetails {
    qint32 ShownPlaceId = -1;        // -1: no place shown
    qint32 OccupantCustomerId = -1;  // the guest of the last current booking; -1 without one
    QString roomId;
    QString name;
    QString info;
    QString building;
    QString floor;
    QString capacity;
    QString imageFile;
    bool blocked = false;
    std::vector<RoomOccupant> occupants;   // only guests with a name
};

// The place and who occupies it at now; ShownPlaceId stays -1 when there is
// no such place. Throws db::DbError.
RoomDetails ReadRoomDetails(qint32 placeId, const rt::Date& now);
// Lists the guests of the place's bookings covering now (start <= now <= end,
// whatever their persons). Throws db::DbError.
void FillOccupantsList(RoomDetails& details, const rt::Date& now);

// The booking list's caption for a room.
QString RoomBookingsCaption(const QString& roomName);
// The message for a place that does not exist (any more).
QString RoomNotFoundText(qint32 placeId);
