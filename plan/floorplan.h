#pragma once

#include "core/rowmerge.h"
#include "core/terms.h"
#include "platform/runtime/date.h"

#include <QColor>
#include <QString>

#include <vector>

// Marker colours of the floor plan (blue-green-red).
constexpr qint32 MarkerFreeColor = 0xFF00;
constexpr qint32 MarkerOccupiedColor = 0x40FF;
constexpr qint32 MarkerDisabledColor = 0x808080;

// The colour of the current place's mark on a marker of the given colour.
QColor MarkColourOn(qint32 markerColour);

// What the floor plan draws for one floor.
struct FloorPlanRequest {
    qint32 floorId = -1;
    qint32 categoryId = -1;        // the filter's room category; below 0: all
    QString categoryName;          // its text, shown before the summary
    bool categoryColours = false;  // free places coloured by room category
    rt::Date periodStart;          // the selected period, both at 12:00
    rt::Date periodEnd;
    qint32 currentPlaceId = -1;
};

struct PlaceMarker {
    qint32 placeId = 0;
    qint32 x = 0;                  // twips from the picture's top-left corner
    qint32 y = 0;
    qint32 colour = MarkerFreeColor;
    QString tooltip;
    bool marked = false;           // the current place
    RowValues drawn;               // what the marker shows of the row (PlaceOnPlanColumns)
};

struct FloorPlan {
    std::vector<PlaceMarker> markers;   // in the order the places are read
    QString summary;                    // the line under the plan
    bool currentFound = false;          // the current place is among the markers
};

// The markers of a floor: grey when disabled, the room category's colour when
// asked for, otherwise red when a booking with persons holds the place in the
// period (or one whose period cannot be read) and green when it is free. The period counts from the midnight after
// its first day to the midnight after its last, so a guest arriving on the
// last day occupies the place and one leaving on the first day does not.
// A place whose position cannot be read stands at the top-left corner and
// is noted to be named once. Throws db::DbError.
FloorPlan BuildFloorPlan(const FloorPlanRequest& request, const std::vector<RoomType>& roomTypes);

// "10 Betten, 3 belegt (30%), 7 frei (70%)" or "5 Betten (alle frei)", after
// the prefix; only the prefix when there is no enabled place or no count.
QString FloorSummaryText(const QString& prefix, int places, int occupied, bool counted);
