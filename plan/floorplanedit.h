#pragma once

#include "core/places.h"
#include "plan/planstate.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QString>

#include <optional>
#include <vector>

// A marker's rectangle on the floor picture, in twips from its top-left corner.
struct PlaceRect {
    qint32 x1 = 0;
    qint32 y1 = 0;
    qint32 x2 = 0;
    qint32 y2 = 0;
};

// Where a marker of the given size lands when the mouse, holding it at
// (grabX, grabY) inside it, lets go at (dropX, dropY) on the picture. Not
// clamped: a marker dropped over the picture's edge gets negative values.
PlaceRect DroppedPlaceRect(double dropX, double dropY, double grabX, double grabY, int width, int height);

// The step of an arrow key on the floor plan in twips: 1, or 10 while Shift,
// Ctrl or Alt is held. nullopt for any other key.
std::optional<QPoint> NudgeOf(int key, Qt::KeyboardModifiers modifiers);

// Where a jiggling marker stands for the random numbers r and s in [0, 1):
// within 75 twips of its home either way.
QPoint JigglePosition(const PlaceHome& home, double r, double s);

// The edit-mode switch: a read-only workstation is refused (text 390), the
// administrator password is asked when switching on. True when the mode
// changed; the caller then shows it.
bool SwitchEditMode(PlanState& state);

// Stores where markers were dragged or nudged to (StorePlaceRects); names:
// the places' names as the plan shows them. Places deleted meanwhile are
// named in a message. nullopt when nothing was written (a read-only
// workstation, or Abbrechen): the markers stay where they were drawn.
std::optional<std::vector<PlaceRectOutcome>> StoreMovedMarkers(const std::vector<PlaceRectMove>& moves,
                                                               const QHash<qint32, QString>& names);

// Asks, then deletes the marked places, unless one of them still has
// bookings: then nothing is deleted and the user is told which. drawn: what
// the plan drew of each (PlaceOnPlanColumns, at the marker's resting place);
// a place another workstation changed since is named in the question. True
// when they are gone.
bool DeleteSelectedPlaces(const QList<qint32>& placeIds, const QHash<qint32, RowValues>& drawn);
