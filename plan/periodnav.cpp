#include "plan/periodnav.h"

rt::Date StepPlanStart(const rt::Date& start, PlanStep step, int sign)
{
    switch (step) {
    case PlanStep::Day:
        return start.addDays(sign);
    case PlanStep::Week:
        return start.addDays(7 * sign);
    case PlanStep::Month:
        return start.addMonths(sign);
    case PlanStep::Quarter:
        return start.addMonths(3 * sign);
    }
    return start;
}

rt::Date PlanStartToday()
{
    return rt::Date::today();
}

rt::Date ScheduleStart(const rt::Date& kept, std::optional<rt::Date> given, const rt::Date& periodStart)
{
    if (given && given->serial() > 0)
        return given->datePart();
    if (kept.isZero())
        return periodStart;
    return kept;
}
