#pragma once

#include "platform/runtime/date.h"

#include <optional>

// The steps of the schedule's first day.
enum class PlanStep { Day, Week, Month, Quarter };

// PlanStartDate moved one step back (sign -1) or forward (+1). Months and
// quarters are calendar months; a day the target month lacks becomes its last.
rt::Date StepPlanStart(const rt::Date& start, PlanStep step, int sign);

// "heute" on the schedule: today at midnight.
rt::Date PlanStartToday();

// The first day a fill of the schedule uses: a given date without its time;
// without one the day kept so far, or the selected period's start when none
// was kept yet.
rt::Date ScheduleStart(const rt::Date& kept, std::optional<rt::Date> given, const rt::Date& periodStart);
