#include "plan/resourcetree.h"

#include <QFile>
#include <QHash>

#include <algorithm>

namespace {

const std::array<QString, 12> OrderLabels{
    QStringLiteral("UG"), QStringLiteral("EG"), QStringLiteral("1."), QStringLiteral("2."),
    QStringLiteral("3."), QStringLiteral("4."), QStringLiteral("5."), QStringLiteral("6."),
    QStringLiteral("7."), QStringLiteral("8."), QStringLiteral("9."), QStringLiteral("10.")};

constexpr int LowestOrder = -1;
constexpr int HighestOrder = 10;

}  // namespace

// The resource file of a static library must be registered by hand, from
// outside any namespace.
static void initResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(resourcetree);
        return true;
    }();
    (void)done;
}

QIcon TreeIcon(const QString& key)
{
    initResources();
    static QHash<QString, QIcon> icons;
    auto it = icons.find(key);
    if (it == icons.end()) {
        const QString path = QStringLiteral(":/velmorant/tree/") + key + QStringLiteral(".png");
        it = icons.insert(key, QFile::exists(path) ? QIcon(path) : QIcon());
    }
    return *it;
}

QString FloorNodeText(const QString& name, int order, const std::array<QString, 21>& floorNames)
{
    if (!name.isEmpty())
        return name;
    const int index = order + 1;
    if (index < 0 || index >= static_cast<int>(floorNames.size()))
        return QString();
    return floorNames[static_cast<size_t>(index)];
}

std::vector<ResourceNode> BuildResourceNodes(const std::vector<ResourceTreeRow>& rows,
                                             const std::array<QString, 21>& floorNames)
{
    std::vector<ResourceNode> nodes;
    nodes.push_back({QStringLiteral("B"), QString(), QStringLiteral("Gebäude"), QString(), TreeImage::DotLine, true});
    qint32 lastBuilding = 0;
    qint32 lastFloor = 0;
    for (const ResourceTreeRow& row : rows) {
        const QString buildingKey = QStringLiteral("B") + QString::number(row.bld_id);
        if (row.bld_id != lastBuilding) {
            lastBuilding = row.bld_id;
            nodes.push_back({buildingKey, QStringLiteral("B"), row.bld_name, QString::number(row.bld_id),
                             TreeImage::Building, true});
        }
        if (row.flr_id <= 0)
            continue;
        const QString floorKey = QStringLiteral("F") + QString::number(row.flr_id);
        if (row.flr_id != lastFloor) {
            lastFloor = row.flr_id;
            nodes.push_back({floorKey, buildingKey, FloorNodeText(row.flr_name, row.flr_order, floorNames),
                             QString::number(row.flr_id), TreeImage::Floor, true});
        }
        if (row.pl_id > 0)
            nodes.push_back({QStringLiteral("P") + QString::number(row.pl_id), floorKey, row.pl_name,
                             QString::number(row.pl_id), row.pl_disabled ? TreeImage::PlaceDisabled : TreeImage::Place,
                             false});
    }
    return nodes;
}

QString FloorOrderLabel(int order)
{
    if (order < LowestOrder || order > HighestOrder)
        return QString();
    return OrderLabels[static_cast<size_t>(order - LowestOrder)];
}

int NextFloorOrder(int order)
{
    return order + 1 > HighestOrder ? 0 : order + 1;
}

int StepFloorOrder(int order, int arrow)
{
    return std::clamp(order - (2 * arrow - 1), LowestOrder, HighestOrder);
}

QSet<qint32> OccupiedTreePlaces(qint32 mandantId, const rt::Date& periodStart, const rt::Date& periodEnd)
{
    const double halfDay = 0.5;
    QSet<qint32> occupied;
    for (qint32 id : OccupiedPlacesOfMandant(mandantId, rt::Date(periodEnd.serial() + halfDay),
                                             rt::Date(periodStart.serial() + halfDay)))
        occupied.insert(id);
    return occupied;
}

QString PlaceNodeImage(const QString& currentImage, bool occupied)
{
    if (currentImage == TreeImage::PlaceDisabled)
        return currentImage;
    return occupied ? TreeImage::PlaceOccupied : TreeImage::PlaceFree;
}
