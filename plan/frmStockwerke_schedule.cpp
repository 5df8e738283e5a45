#include "plan/frmStockwerke.h"

#include "core/preferences.h"
#include "plan/periodnav.h"
#include "schedule/usercontrol1.h"

void frmStockwerke::InitScheduleControl()
{
    mySchedule->GridColor(0xC0C0C0);
    mySchedule->BackColor(0xFFFFFF);
    mySchedule->ClearResources();
}

void frmStockwerke::FillSchedule(const QString& /*criterion*/, qint32 /*floorId*/, qint32 /*buildingId*/,
                                 const rt::Date& startDate)
{
    m_state.PlanStartDate = ScheduleStart(m_state.PlanStartDate, startDate, SelectedPeriod[0]);
}
