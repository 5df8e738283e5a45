#include "plan/floorplan.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/notices.h"
#include "core/places.h"
#include "core/workstation.h"
#include "platform/runtime/color.h"

#include <algorithm>

namespace {

// A category without a stored colour entry is drawn as "no category"; a
// colour left over from an earlier drawing would tell a false state.
qint32 categoryColour(qint32 typeId, const std::vector<RoomType>& roomTypes)
{
    for (size_t i = 1; i < roomTypes.size(); ++i) {
        if (roomTypes[i].id == typeId)
            return roomTypes[i].colour;
    }
    return MarkerFreeColor;
}

void noteUnreadablePosition(const Place& place)
{
    QString text = ResourceRowName(ResourceKind::Place, place.pl_name, place.pl_id) + QStringLiteral(" (") +
                   GetBuildingFloorName(place.pl_floor_id, -1) +
                   QStringLiteral(") hat keine lesbare Lage auf dem Etagenplan. Die Markierung steht "
                                  "darum oben links im Plan.");
    if (!StationReadOnly)
        text += QStringLiteral(" Ziehen Sie sie mit \"Bearbeiten / Etagenplan einrichten\" an die richtige Stelle, dann "
                               "wird die Lage neu gespeichert.");
    NoticeOnce(QStringLiteral("tbl_places ") + QString::number(place.pl_id), text);
}

}  // namespace

QColor MarkColourOn(qint32 markerColour)
{
    const QColor back = rt::toQColor(markerColour);
    const double luma = 0.299 * back.red() + 0.587 * back.green() + 0.114 * back.blue();
    return luma < 140 ? QColor(Qt::white) : QColor(Qt::black);
}

QString FloorSummaryText(const QString& prefix, int places, int occupied, bool counted)
{
    if (!counted || places <= 0)
        return prefix;
    QString text = prefix + QString::number(places) + QStringLiteral(" Betten");
    if (occupied <= 0)
        return text + QStringLiteral(" (alle frei)");
    // Each share is cut on its own, so 1 of 3 reads 33% and 66%.
    const int occupiedShare = static_cast<int>(qint64(occupied) * 100 / places);
    const int freeShare = static_cast<int>(qint64(places - occupied) * 100 / places);
    return text + QStringLiteral(", ") + QString::number(occupied) + QStringLiteral(" belegt (") +
           QString::number(occupiedShare) + QStringLiteral("%), ") + QString::number(places - occupied) +
           QStringLiteral(" frei (") + QString::number(freeShare) + QStringLiteral("%)");
}

FloorPlan BuildFloorPlan(const FloorPlanRequest& request, const std::vector<RoomType>& roomTypes)
{
    FloorPlan plan;
    const bool filtered = request.categoryId >= 0;
    const QString prefix = filtered ? QStringLiteral("[") + request.categoryName + QStringLiteral("] : ") : QString();

    int enabled = 0;
    for (const Place& place : PlacesOfFloor(request.floorId)) {
        if (filtered && place.pl_type_id != request.categoryId)
            continue;
        PlaceMarker marker;
        marker.placeId = place.pl_id;
        marker.x = place.pl_x1;
        marker.y = place.pl_y1;
        marker.tooltip = place.pl_name;
        marker.drawn = PlaceOnPlanColumns(place);
        // The category shows only in its colour or through the filter.
        if (!filtered && !request.categoryColours)
            marker.drawn.remove(QStringLiteral("pl_type_id"));
        if (place.positionUnreadable)
            noteUnreadablePosition(place);
        if (place.pl_disabled) {
            marker.colour = MarkerDisabledColor;
        } else {
            ++enabled;
            marker.colour = request.categoryColours && place.pl_type_id > 0 ? categoryColour(place.pl_type_id, roomTypes)
                                                                            : MarkerFreeColor;
        }
        if (place.pl_id == request.currentPlaceId) {
            marker.marked = true;
            plan.currentFound = true;
        }
        plan.markers.push_back(marker);
    }

    const bool counted = enabled > 0 && !request.categoryColours;
    int occupied = 0;
    if (counted) {
        const QList<qint32> ids =
            OccupiedPlacesOfFloor(request.floorId, request.periodStart.addHours(12), request.periodEnd.addHours(12));
        for (qint32 id : ids) {
            // A place of another category has no marker while the filter is on.
            auto it = std::find_if(plan.markers.begin(), plan.markers.end(),
                                   [id](const PlaceMarker& m) { return m.placeId == id; });
            if (it == plan.markers.end())
                continue;
            it->colour = MarkerOccupiedColor;
            ++occupied;
        }
    }
    plan.summary = FloorSummaryText(prefix, enabled, occupied, counted);
    return plan;
}
