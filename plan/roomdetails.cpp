#include "plan/roomdetails.h"

#include "core/bookings.h"
#include "core/places.h"
#include "core/preferences.h"

#include <QLocale>

QString FloorCaption(const QString& flrName, std::optional<int> flrOrder)
{
    if (!flrName.isEmpty())
        return flrName;
    if (!flrOrder)
        return {};
    const int index = *flrOrder + 1;
    if (index < 0 || index >= static_cast<int>(FloorNames.size()))
        return {};
    return FloorNames[static_cast<size_t>(index)];
}

RoomDetails ReadRoomDetails(qint32 placeId, const rt::Date& now)
{
    RoomDetails details;
    const std::optional<PlaceDetails> row = LoadPlaceDetails(placeId);
    if (!row)
        return details;
    details.ShownPlaceId = placeId;
    details.roomId = QString::number(placeId);
    details.name = row->place.pl_name;
    details.info = row->place.pl_info;
    details.blocked = row->place.pl_disabled;
    details.imageFile = row->place.pl_imagefile;
    details.building = row->bld_name;
    details.floor = FloorCaption(row->flr_name, row->flr_order);
    details.capacity = QString::number(row->place.pl_capacity);
    FillOccupantsList(details, now);
    return details;
}

void FillOccupantsList(RoomDetails& details, const rt::Date& now)
{
    details.occupants.clear();
    details.OccupantCustomerId = -1;
    if (details.ShownPlaceId <= 0)
        return;
    for (const Occupant& o : OccupantsOfPlace(details.ShownPlaceId, now)) {
        details.OccupantCustomerId = o.book_customer_id;
        const QString name = (o.cust_firstname + QLatin1Char(' ') + o.cust_lastname).trimmed();
        if (!name.isEmpty())
            details.occupants.push_back({name, o.book_customer_id});
    }
}

QString RoomBookingsCaption(const QString& roomName)
{
    const QString name = roomName.trimmed();
    bool number = false;
    QLocale().toDouble(name, &number);
    if (!number)
        name.toDouble(&number);
    return QStringLiteral("Reservierungs-Details für ") + (number ? QStringLiteral("Raum ") : QString()) + name;
}

QString RoomNotFoundText(qint32 placeId)
{
    return QStringLiteral("Der gewünschte Raum (Kennummer ") + QString::number(placeId) + QStringLiteral(") existiert nicht mehr.");
}
