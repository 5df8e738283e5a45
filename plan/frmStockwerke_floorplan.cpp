#include "plan/frmStockwerke.h"

#include "core/buildinggrid.h"
#include "core/conflicts.h"
#include "core/files.h"
#include "core/handler.h"
#include "core/messages.h"
#include "core/places.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "plan/floorplan.h"
#include "platform/db/error.h"
#include "platform/runtime/color.h"
#include "platform/runtime/twips.h"
#include "platform/ui/busy.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QTabWidget>
#include <QTableWidget>

namespace {

constexpr int MarkerTwips = 195;

qint32 tagOf(const QLabel* marker)
{
    return marker->property("Tag").toString().toInt();
}

}  // namespace

QLabel* frmStockwerke::marker(int index)
{
    while (static_cast<int>(lbPlatz.size()) <= index) {
        auto* label = new QLabel(floorPlanBox);
        label->setFixedSize(MarkerTwips / rt::TwipsPerPixel, MarkerTwips / rt::TwipsPerPixel);
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setPixelSize(10);
        font.setBold(true);
        label->setFont(font);
        label->setProperty("Index", static_cast<int>(lbPlatz.size()));
        label->installEventFilter(this);
        SetBackColor(label, MarkerFreeColor);
        label->hide();
        lbPlatz.push_back(label);
    }
    return lbPlatz[static_cast<size_t>(index)];
}

void frmStockwerke::setMarkerMark(QLabel* label, bool marked)
{
    // The mark shows on every colour: white on dark ones, black on light ones.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, MarkColourOn(BackColor(label)));
    label->setPalette(palette);
    label->setFrameShape(marked ? QFrame::Box : QFrame::NoFrame);
    label->setText(marked ? QStringLiteral("X") : QString());
}

void frmStockwerke::ShowPlaetze(qint32 floorId)
{
    ui::WaitCursor wait;
    m_state.PlaceHomePos.assign(1, PlaceHome{});
    for (QLabel* label : lbPlatz) {
        label->hide();
        setMarkerMark(label, false);
    }
    lbBettenCount->clear();

    FloorPlanRequest request;
    request.floorId = floorId;
    request.categoryColours = menuShowCategoryColors->isChecked();
    if (listRoomCategoryFilter->currentIndex() >= 0) {
        const qint32 category = listRoomCategoryFilter->currentData().toInt();
        if (category >= 0) {
            request.categoryId = category;
            request.categoryName = listRoomCategoryFilter->currentText();
        }
    }
    request.periodStart = SelectedPeriod[0];
    request.periodEnd = SelectedPeriod[1];
    request.currentPlaceId = m_state.CurrentPlaceId;
    const FloorPlan plan = BuildFloorPlan(request, RoomTypes);
    m_state.DrawnPlaces.clear();

    const int left = imgStockwerk->x() * rt::TwipsPerPixel;
    const int top = imgStockwerk->y() * rt::TwipsPerPixel;
    for (size_t i = 0; i < plan.markers.size(); ++i) {
        const PlaceMarker& m = plan.markers[i];
        QLabel* label = marker(static_cast<int>(i) + 1);
        m_state.PlaceHomePos.push_back(PlaceHome{left + m.x, top + m.y});
        label->move((left + m.x) / rt::TwipsPerPixel, (top + m.y) / rt::TwipsPerPixel);
        SetBackColor(label, m.colour);
        label->setProperty("Tag", QString::number(m.placeId));
        label->setToolTip(ui::plainToolTip(m.tooltip));
        m_state.DrawnPlaces.insert(m.placeId, m.drawn);
        setMarkerMark(label, m.marked);
        label->raise();
        label->show();
    }
    lbBettenCount->setText(plan.summary);
    // A place no longer shown is no longer chosen.
    if (!plan.currentFound && m_state.CurrentPlaceId != -1)
        forgetCurrentPlace();
}

void frmStockwerke::forgetCurrentPlace()
{
    // A booking being entered or changed keeps its place, though the plan
    // drawn no longer shows it (a filter, another floor), and never loses
    // what was typed.
    readBookingPanel();
    const bool editing = !m_panel.unsavedEdit().isEmpty();
    if (editing && m_state.CurrentPlaceId > 0)
        return;
    // Neither the name, a mark, the panel nor the calendar's booked days
    // keep claiming the place.
    m_state.CurrentPlaceId = -1;
    CurrentPlaceName.clear();
    lblRoomName->clear();
    ClearPlaceSelection(-1);
    if (!editing)
        ClearBookingPanel(true);
    BuildCalendarGrid(rt::Date());
}

void frmStockwerke::ShowStockwerkDetails(qint32 floorId, qint32 buildingId, std::optional<int> floorOrder)
{
    if (!isVisible())
        show();
    if (SSTab1->currentIndex() == 1)
        FillSchedule(QString(), floorId, buildingId, SelectedPeriod[0]);

    PlanFloorQuery query;
    query.floorId = floorId;
    query.buildingId = buildingId;
    query.order = floorOrder;
    if (floorId <= 0 && buildingId > 0 && !floorOrder) {
        query.floorId = GetFirstFloorId(buildingId);
        if (query.floorId <= 0) {
            ui::msgBox(QStringLiteral("Für dieses Gebäude ist keine Etage definiert."), ui::Information, AppTitle);
            if (m_state.CurrentFloorId <= 0)
                showNoFloor();
            return;
        }
    }
    std::optional<PlanFloor> found;
    // A floor order means nothing without its building.
    if (!floorOrder || buildingId > 0) {
        ui::WaitCursor wait;
        found = FindPlanFloor(MandantId, query);
    }
    if (!found) {
        ui::msgBox(QStringLiteral("Die gesuchte Etage wurde nicht definiert."), ui::Information, AppTitle);
        // The floor shown stays, unless there is none (a facility without
        // floors): then nothing of the one shown before remains either.
        if (m_state.CurrentFloorId <= 0)
            showNoFloor();
        return;
    }
    const Floor& floor = found->floor;
    m_state.CurrentFloorId = floor.flr_id;
    m_state.CurrentFloorOrder = floor.flr_order;
    m_state.CurrentBuildingId = floor.flr_building_id;
    lbStockwerkName->setText(found->bld_name + QStringLiteral(" / ") + floor.flr_name);

    lbImageName->setText(GetFileNamePart(floor.flr_imagefile));
    m_state.CurrentFloorImageFile = floor.flr_imagefile;
    ShowImageFile(floor.flr_imagefile, imgStockwerk, lbImageName, m_state.FloorPictureMaxWidth / rt::TwipsPerPixel,
                  m_state.FloorPictureMaxHeight / rt::TwipsPerPixel, true, ImageDir);
    ShowPlaetze(m_state.CurrentFloorId);
    LoadBookingPanel(-1, -1);
}

void frmStockwerke::showNoFloor()
{
    m_state.CurrentFloorId = -1;
    m_state.CurrentBuildingId = -1;
    m_state.CurrentFloorImageFile.clear();
    m_state.CurrentFloorOrder = 0;
    lbStockwerkName->clear();
    lbImageName->clear();
    imgStockwerk->clear();
    imgStockwerk->setProperty("Tag", QString());
    ShowPlaetze(-1);
    if (m_state.CurrentPlaceId > 0)
        forgetCurrentPlace();
}

void frmStockwerke::ShowPlatzDetails(qint32 placeId, int switchFloor, qint32 floorId)
{
    if (placeId <= 0)
        return;
    if (!isVisible())
        show();
    if (switchFloor == 1 && floorId > 0)
        ShowStockwerkDetails(floorId, m_state.CurrentBuildingId);

    // Nothing keeps naming a place that is no longer the current one.
    m_state.CurrentPlaceId = -1;
    CurrentPlaceName.clear();
    lblRoomName->clear();
    try {
        ui::WaitCursor wait;
        if (const auto place = LoadPlace(placeId)) {
            m_state.CurrentPlaceId = placeId;
            lblRoomName->setText(place->pl_name);
            CurrentPlaceName = place->pl_name;
        }
    } catch (const db::DbError& error) {
        ui::msgBox(QStringLiteral("Fehler beim Anzeigen der Raum-Details\n\n") + error.description(), ui::Exclamation, AppTitle);
    }

    if (switchFloor == 1) {
        for (size_t i = 1; i < lbPlatz.size(); ++i) {
            if (lbPlatz[i]->isVisible() && tagOf(lbPlatz[i]) == placeId) {
                setMarkerMark(lbPlatz[i], true);
                break;
            }
        }
    }
}

void frmStockwerke::FillListRoomCategoryFilter(qint32 /*mandantId*/)
{
    FillingListsGuard filling;
    listRoomCategoryFilter->clear();
    listRoomCategoryFilter->addItem(QStringLiteral("   alle"), -1);
    // Each category in the colour its places take with "Kategorien färben".
    for (size_t i = 1; i < RoomTypes.size(); ++i) {
        QPixmap swatch(12, 12);
        swatch.fill(rt::toQColor(RoomTypes[i].colour));
        listRoomCategoryFilter->addItem(QIcon(swatch), RoomTypes[i].name, RoomTypes[i].id);
    }
    listRoomCategoryFilter->setCurrentIndex(0);
}

void frmStockwerke::listRoomCategoryFilter_Click()
{
    if (listRoomCategoryFilter->currentIndex() >= 0)
        ShowPlaetze(m_state.CurrentFloorId);
}

void frmStockwerke::ClearPlaceSelection(int exceptIndex)
{
    for (size_t i = 0; i < lbPlatz.size(); ++i) {
        if (static_cast<int>(i) != exceptIndex)
            setMarkerMark(lbPlatz[i], false);
    }
}

void frmStockwerke::lbPlatz_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    QLabel* label = marker(index);
    m_state.DragOffsetX = pos.x() * rt::TwipsPerPixel;
    m_state.DragOffsetY = pos.y() * rt::TwipsPerPixel;
    const Qt::KeyboardModifiers keys = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (keys == Qt::NoModifier) {
        setMarkerMark(label, true);
        ClearPlaceSelection(index);
    } else if (keys == Qt::ControlModifier) {
        setMarkerMark(label, true);
    } else if (keys == Qt::AltModifier) {
        setMarkerMark(label, label->frameShape() != QFrame::Box);
    }
    ShowPlatzDetails(tagOf(label), 0, -1);
    LoadBookingPanel(-1, m_state.CurrentPlaceId);
    BuildCalendarGrid(rt::Date());
    if (button == Qt::RightButton && !menuContext->isEmpty())
        menuContext->popup(label->mapToGlobal(pos));
}

void frmStockwerke::lbPlatz_DblClick(int /*index*/)
{
    if (!m_state.EditMode)
        btnShowBookingDetails_Click();
    else
        lbPlatzEditMode_DblClick();
}

void frmStockwerke::imgStockwerk_MouseDown(Qt::MouseButton button, QPoint globalPos)
{
    if (button == Qt::LeftButton)
        ClearPlaceSelection(-1);
    else if (button == Qt::RightButton && !menuContext->isEmpty())
        menuContext->popup(globalPos);
}

void frmStockwerke::cmdFloorStep_MouseUp(int index)
{
    ShowStockwerkDetails(-1, m_state.CurrentBuildingId, m_state.CurrentFloorOrder + 2 * index - 1);
}

void frmStockwerke::BuildingGrid_MouseDown(int row, int column)
{
    SelectBuildingGridCell(BuildingGrid, row, column,
                           [this](const QString&, qint32 floorId, qint32 buildingId) { ShowStockwerkDetails(floorId, buildingId); });
}

void frmStockwerke::BuildingGrid_MouseMove(QPoint pos)
{
    const QTableWidgetItem* item = BuildingGrid->itemAt(pos);
    const bool target = item && !item->text().isEmpty();
    BuildingGrid->viewport()->setCursor(target ? Qt::PointingHandCursor : Qt::ArrowCursor);
}
