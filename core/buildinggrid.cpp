#include "core/buildinggrid.h"

#include "core/conflicts.h"
#include "core/database.h"
#include "core/messages.h"
#include "core/terms.h"
#include "platform/db/database.h"
#include "platform/runtime/color.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"
#include "platform/runtime/twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int FloorColumnCount = 10;
constexpr int BuildingColumnTwips = 1600;
constexpr int LevelColumnTwips = 330;
const char* const LevelCaptions[FloorColumnCount] = {"UG", "EG", "1.", "2.", "3.", "4.", "5.", "6.", "7.", "8."};

// Paints once: updates stay off while the fill runs, whatever it throws.
class UpdatesOff {
public:
    explicit UpdatesOff(QWidget* widget) : m_widget(widget), m_previous(widget->updatesEnabled())
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~UpdatesOff() { m_widget->setUpdatesEnabled(m_previous); }
    UpdatesOff(const UpdatesOff&) = delete;
    UpdatesOff& operator=(const UpdatesOff&) = delete;

private:
    QWidget* m_widget;
    bool m_previous;
};

QTableWidgetItem* headerItem(QTableWidget* grid, int column)
{
    QTableWidgetItem* item = grid->horizontalHeaderItem(column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setHorizontalHeaderItem(column, item);
    }
    return item;
}

QTableWidgetItem* cellItem(QTableWidget* grid, int row, int column)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    return item;
}

void setCellColour(QTableWidgetItem* item, qint32 bgr)
{
    item->setBackground(rt::toQColor(bgr));
}

// Whole percent, cut: 2 of 3 is 66.
qint64 percentOf(qint64 part, qint64 whole)
{
    return whole > 0 ? part * 100 / whole : 0;
}

struct Totals {
    qint64 places = 0;
    qint64 bookings = 0;
};

void fillBuilding(QTableWidget* grid, int row, qint32 buildingId, const QString& name, qint32 mandantId,
                  const rt::Date& dStart, const rt::Date& dEnd, Totals& facility)
{
    QTableWidgetItem* buildingCell = cellItem(grid, row, 0);
    buildingCell->setText(name);
    buildingCell->setData(Qt::UserRole, buildingId);

    bool anyFree = false;
    Totals building;
    db::Recordset floors =
        Db->openRecordset(QStringLiteral("SELECT * FROM tbl_floors WHERE flr_building_id = ") + QString::number(buildingId) +
                              QStringLiteral(" ORDER BY flr_order;"),
                          db::OpenMode::ForwardOnlyReadOnly);
    for (; !floors.eof(); floors.moveNext()) {
        const qint32 floorId = floors.value(QStringLiteral("flr_id")).toLong();
        const int order = floors.value(QStringLiteral("flr_order")).toLong();
        int placeCount = 0;
        int bookingCount = 0;
        const bool free = GetFloorOccupancy(mandantId, floorId, dStart, dEnd, placeCount, bookingCount);
        if (placeCount >= 1) {
            building.places += placeCount;
            building.bookings += bookingCount;
            if (free)
                anyFree = true;
        }
        const int column = BuildingGridColumnOfLevel(order);
        if (column < 0)
            continue;
        headerItem(grid, column)->setText(QString::fromLatin1(LevelCaptions[column - 1]));
        QTableWidgetItem* cell = cellItem(grid, row, column);
        if (placeCount < 1) {
            cell->setText(QString());
            setCellColour(cell, GridNoPlaceColor);
        } else {
            cell->setText(QString::number(placeCount - bookingCount));
            setCellColour(cell, free ? GridFreeColor : GridFullColor);
        }
        cell->setData(Qt::UserRole, floorId);
    }
    facility.places += building.places;
    facility.bookings += building.bookings;

    setCellColour(buildingCell, anyFree ? GridFreeColor : GridFullColor);
    if (building.places > 0)
        buildingCell->setText(name + QStringLiteral("   ") + QString::number(percentOf(building.bookings, building.places)) +
                              QStringLiteral("%"));
}

}  // namespace

int BuildingGridColumnOfLevel(int floorOrder)
{
    return floorOrder >= -1 && floorOrder <= 8 ? floorOrder + 2 : -1;
}

void InitBuildingGridHeader(QTableWidget* grid)
{
    if (!grid)
        return;
    grid->setColumnCount(1 + FloorColumnCount);
    grid->setRowCount(0);
    QTableWidgetItem* first = headerItem(grid, 0);
    first->setText(QStringLiteral("Gebäude-Auswahl"));
    first->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 1; column <= FloorColumnCount; ++column)
        headerItem(grid, column)->setText(QString::fromLatin1(LevelCaptions[column - 1]));
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->setColumnWidth(0, BuildingColumnTwips / rt::TwipsPerPixel);
    for (int column = 1; column <= FloorColumnCount; ++column)
        grid->setColumnWidth(column, LevelColumnTwips / rt::TwipsPerPixel);
    grid->verticalHeader()->hide();
    grid->setWordWrap(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
}

void FillListBuildings(QTableWidget* grid, qint32 mandantId, const rt::Date& dStart, const rt::Date& dEnd, QLabel* label)
{
    if (!grid)
        return;
    QString errorText;
    {
        UpdatesOff updatesOff(grid);
        grid->setRowCount(0);
        for (int column = 1; column < grid->columnCount(); ++column)
            headerItem(grid, column)->setText(QString());
        if (label)
            label->clear();

        ui::WaitCursor wait;
        Totals facility;
        try {
            if (!Db)
                throw db::DbError(db::err::ObjectClosed);
            db::Recordset buildings = Db->openRecordset(
                QStringLiteral("SELECT * FROM tbl_buildings WHERE bld_mandant_id = ") + QString::number(mandantId) +
                    QStringLiteral(";"),
                db::OpenMode::ForwardOnlyReadOnly);
            for (; !buildings.eof(); buildings.moveNext()) {
                const int row = grid->rowCount();
                grid->setRowCount(row + 1);
                fillBuilding(grid, row, buildings.value(QStringLiteral("bld_id")).toLong(),
                             buildings.value(QStringLiteral("bld_name")).toText(), mandantId, dStart, dEnd, facility);
            }
        } catch (const db::DbError& error) {
            errorText = error.description();
        }

        // The building's name and percentage stay whole on fonts wider than the old one.
        grid->resizeColumnToContents(0);
        grid->setColumnWidth(0, std::max(grid->columnWidth(0), BuildingColumnTwips / rt::TwipsPerPixel));
        if (grid->rowCount() > 0) {
            for (int column = 1; column < grid->columnCount(); ++column)
                headerItem(grid, column)->setTextAlignment(Qt::AlignCenter);
            for (int row = 0; row < grid->rowCount(); ++row) {
                for (int column = 1; column < grid->columnCount(); ++column) {
                    if (QTableWidgetItem* item = grid->item(row, column))
                        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                }
            }
        }
        // A sum over half the facility would mislead; after an error the label stays empty.
        if (label && errorText.isEmpty() && facility.places > 0)
            label->setText(QString::number(facility.places) + QStringLiteral(" ") + TermPlacePlural + QStringLiteral(", ") +
                           QString::number(facility.bookings) + QStringLiteral(" belegt (") +
                           QString::number(percentOf(facility.bookings, facility.places)) + QStringLiteral("%)"));
    }
    if (!errorText.isEmpty())
        ui::msgBox(QStringLiteral("Fehler in FillListBuildings:\n") + errorText, ui::Information, AppTitle);
}

std::optional<BuildingGridTarget> BuildingGridCellTarget(const QTableWidget* grid, int row, int column)
{
    if (!grid || column < 0 || column >= grid->columnCount())
        return std::nullopt;
    if (row == -1)
        return BuildingGridTarget{};
    if (row < 0 || row >= grid->rowCount())
        return std::nullopt;
    const QTableWidgetItem* buildingCell = grid->item(row, 0);
    if (!buildingCell)
        return std::nullopt;
    const qint32 buildingId = buildingCell->data(Qt::UserRole).toInt();
    if (column == 0) {
        if (buildingCell->text().isEmpty())
            return std::nullopt;
        return BuildingGridTarget{-1, buildingId};
    }
    const QTableWidgetItem* floorCell = grid->item(row, column);
    if (!floorCell || !floorCell->data(Qt::UserRole).isValid())
        return std::nullopt;
    return BuildingGridTarget{floorCell->data(Qt::UserRole).toInt(), buildingId};
}

void SelectBuildingGridCell(QTableWidget* grid, int row, int column, const ShowStockwerkDetailsFunction& show)
{
    const auto target = BuildingGridCellTarget(grid, row, column);
    if (target && show)
        show(QString(), target->floorId, target->buildingId);
}
