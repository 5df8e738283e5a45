#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QTableWidget;

// The small grid of buildings (rows) and floor levels (columns) that the main
// window and the facility overview show. The horizontal header is the level
// row; column 0 holds the buildings, columns 1 to 10 the levels UG, EG, 1. to 8.
// Each building cell carries its bld_id and each floor cell its flr_id in
// Qt::UserRole.

// Grid colours (blue-green-red).
constexpr qint32 GridFreeColor = 0xC000;
constexpr qint32 GridFullColor = 0x40FF;
constexpr qint32 GridNoPlaceColor = 0x808080;

// The column of a floor level (flr_order -1 to 8); -1 for a level without one.
int BuildingGridColumnOfLevel(int floorOrder);

// Sets up the columns, their captions and widths.
void InitBuildingGridHeader(QTableWidget* grid);

// Fills the grid for a facility and period (both dates at 12:00): free places
// per floor, occupancy per building, and the facility's sum in label
// ("24 Zimmer, 10 belegt (41%)"). A database error stops the fill, keeps what
// was filled and is reported once.
void FillListBuildings(QTableWidget* grid, qint32 mandantId, const rt::Date& dStart, const rt::Date& dEnd, QLabel* label);

// What a click on a cell opens: a floor, a building (floorId -1), or neither
// (both -1, a click on the level row). nullopt for a cell without a building
// or floor. row -1 is the level row (the header).
struct BuildingGridTarget {
    qint32 floorId = -1;
    qint32 buildingId = -1;
};
std::optional<BuildingGridTarget> BuildingGridCellTarget(const QTableWidget* grid, int row, int column);

// Opens what the clicked cell shows through show (the main window's
// ShowStockwerkDetails with an empty criterion); does nothing for an empty cell.
using ShowStockwerkDetailsFunction = std::function<void(const QString& criterion, qint32 floorId, qint32 buildingId)>;
void SelectBuildingGridCell(QTableWidget* grid, int row, int column, const ShowStockwerkDetailsFunction& show);
