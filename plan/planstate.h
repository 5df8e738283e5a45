#pragma once

#include "core/rowmerge.h"
#include "platform/runtime/date.h"

#include <QHash>
#include <QString>

#include <vector>

// Where a place marker rests on the floor picture (twips).
struct PlaceHome {
    qint32 x = 0;
    qint32 y = 0;
};

// A booking as the schedule drew it.
struct DrawnBooking {
    RowValues columns;   // ScheduleBookingColumns
    QString guest;       // the guest's name on the bar
};

// What the main window's views, handlers and booking panel share. The
// window owns the one instance and hands it to its logic by reference.
struct PlanState {
    qint32 CurrentPlaceId = -1;        // the selected place; below 1: none
    qint32 CurrentFloorId = -1;        // the floor on the floor plan, also the schedule's filter
    int CurrentFloorOrder = 0;         // -1 basement, 0 ground floor, 1.. upper floors
    qint32 CurrentBuildingId = -1;
    QString CurrentFloorImageFile;     // the floor picture the plan drew, as stored
    qint32 CurrentCustomerId = -1;     // the booking panel's guest
    qint32 CurrentBookingId = -1;      // the booking in the panel; -1 for a new one
    bool CustomerConflict = false;     // the guest is booked elsewhere in the period
    bool PlaceConflict = false;        // the place is occupied in the period
    bool EditMode = false;             // floor-plan and structure editing
    rt::Date PlanStartDate;            // the schedule's first day; zero until first filled
    qint32 ScheduleFloorId = -1;       // what the schedule's last fill showed: a floor,
    qint32 ScheduleBuildingId = -1;    // else a building, else the whole facility
    QString TreeNodeLetter;            // "B", "F" or "P"
    QString TreeNodeText;
    int FloorPictureMaxWidth = 0;      // twips
    int FloorPictureMaxHeight = 0;
    double DragOffsetX = 0;            // where the mouse holds a dragged marker
    double DragOffsetY = 0;
    std::vector<PlaceHome> PlaceHomePos;   // by marker index
    qint32 LoadedMandantId = 0;        // the facility init last filled the controls for
    // What the views drew of each row, by id: a delete compares it with the row as stored.
    QHash<qint32, RowValues> DrawnPlaces;         // the floor plan's markers (PlaceOnPlanColumns)
    QHash<qint32, DrawnBooking> ScheduleDrawn;    // the schedule's bars
};
