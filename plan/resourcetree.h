#pragma once

#include "core/places.h"
#include "platform/runtime/date.h"

#include <QIcon>
#include <QSet>
#include <QString>

#include <array>
#include <vector>

// The keys of the tree's seven pictures.
namespace TreeImage {
inline const QString DotLine = QStringLiteral("DotLine");
inline const QString Building = QStringLiteral("building");
inline const QString Floor = QStringLiteral("floor");
inline const QString Place = QStringLiteral("place");
inline const QString PlaceDisabled = QStringLiteral("place_disabled");
inline const QString PlaceFree = QStringLiteral("place_free");
inline const QString PlaceOccupied = QStringLiteral("place_occupied");
}  // namespace TreeImage

// The picture of a key; a null icon for an unknown one.
QIcon TreeIcon(const QString& key);

// One node of the resource tree. The key is the kind's letter and the id
// ("B" alone for the root), the tag the id as text.
struct ResourceNode {
    QString key;
    QString parentKey;   // "" for the root
    QString text;
    QString tag;
    QString image;
    bool expanded = false;
};

// The nodes in the order they are added, every parent before its children:
// the root "Gebäude", the buildings, their floors and the floors' places.
std::vector<ResourceNode> BuildResourceNodes(const std::vector<ResourceTreeRow>& rows,
                                             const std::array<QString, 21>& floorNames);

// A floor's text in the tree: its name, else the standard name of its order
// ("Erdgeschoss"), else "".
QString FloorNodeText(const QString& name, int order, const std::array<QString, 21>& floorNames);

// The short label of a floor order: "UG", "EG", "1." ... "10."; "" outside -1..10.
QString FloorOrderLabel(int order);
// The order of a floor added beside one of this order: one up, 0 above 10.
int NextFloorOrder(int order);
// The floor-order stepper: arrow 0 up, arrow 1 down, within -1..10.
int StepFloorOrder(int order, int arrow);

// The places of the facility occupied in the selected period: a booking
// counts from the midnight after the period's first day to the midnight
// after its last. Throws db::DbError.
QSet<qint32> OccupiedTreePlaces(qint32 mandantId, const rt::Date& periodStart, const rt::Date& periodEnd);
// The picture of a place node after an occupancy refresh; a disabled place
// keeps its own.
QString PlaceNodeImage(const QString& currentImage, bool occupied);
