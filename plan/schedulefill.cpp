#include "plan/schedulefill.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/places.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "plan/periodnav.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"
#include "schedule/usercontrol1.h"

#include <cmath>
#include <vector>

namespace {

constexpr qint32 DisabledPlaceColour = 0xC0C0C0;

struct ScheduleRow {
    qint32 id = 0;
    QString name;
    qint32 colour = -1;
};

struct ScheduleBar {
    qint32 id = 0;
    qint32 placeId = 0;
    qint32 customerId = 0;
    std::optional<rt::Date> start;
    std::optional<rt::Date> end;
    qint32 colour = 0;
    QString text;
};

// Everything one fill shows, read before the control is touched.
struct ScheduleContent {
    rt::Date start;
    int days = 30;
    std::vector<ScheduleRow> rows;
    std::vector<ScheduleBar> bars;
    QHash<qint32, DrawnBooking> drawn;
};

ScheduleContent readContent(qint32 floorId, qint32 buildingId, const rt::Date& start, int days)
{
    ScheduleContent content;
    content.start = start;
    content.days = days;
    for (const SchedulePlace& p : SchedulePlaces(MandantId, floorId, buildingId))
        content.rows.push_back({p.pl_id, SchedulePlaceName(p.bld_short, p.flr_short, p.pl_name),
                                p.pl_disabled ? DisabledPlaceColour : -1});
    const std::vector<ScheduleBooking> bookings =
        ScheduleBookings(MandantId, floorId, buildingId, start, start.addDays(days));
    content.bars.reserve(bookings.size());
    for (const ScheduleBooking& b : bookings) {
        // Nobody can tell which days it means: it holds its place on all of them.
        const bool readable = b.book_start && b.book_end;
        content.bars.push_back({b.book_id, b.pl_id, b.book_customer_id, readable ? b.book_start : start,
                                readable ? b.book_end : start.addDays(days),
                                ScheduleBarColour(b.book_color_id, NormalTerminColor), ScheduleBarText(b)});
        content.drawn.insert(b.book_id, {ScheduleBookingColumns(b), rt::trim(b.cust_firstname + QLatin1Char(' ') +
                                                                            b.cust_lastname)});
    }
    return content;
}

// The control's fixed order: places before the scale, the scale before the
// bars, since bars take their row from the places and their length from the scale.
void showContent(UserControl1& control, const ScheduleContent& content)
{
    control.ClearResources();
    int position = 0;
    for (const ScheduleRow& r : content.rows)
        control.AddResource(r.id, r.name, r.colour, position++);
    control.TimeScaleUnit(QStringLiteral("h"));
    control.TimeScaleInterval(6);
    control.TableMode(10);
    control.PaintResources();
    control.ClearTimeObjects();
    // Ids selected before stand for bars the user no longer sees marked;
    // a Delete must not reach them.
    control.ClearSelection();
    control.SetScaleDateTimeLimits(content.start, content.start.addDays(content.days));
    control.PaintScale();
    for (const ScheduleBar& b : content.bars)
        control.AddTimeObject(0, b.id, b.placeId, b.customerId, b.start, b.end, b.colour, b.text);
    control.PaintTimeObjects();
}

QString dayText(const rt::Date& d)
{
    return rt::formatDate(d, QStringLiteral("dd.mm.yyyy"));
}

QList<qint32> selected(const QVector<qint32>& ids)
{
    QList<qint32> list;
    for (qint32 id : ids) {
        if (id > 0 && !list.contains(id))
            list << id;
    }
    return list;
}

QString placeWord()
{
    return TermPlaceSingular.isEmpty() ? QStringLiteral("Platz") : TermPlaceSingular;
}

const QString NothingChanged = QStringLiteral("\n\nEs wurde nichts geändert.");

// "Die Buchung kann nicht verschoben werden"
QString refusalStart(qsizetype count, const QString& verb)
{
    return (count == 1 ? QStringLiteral("Die Buchung kann nicht ") : QStringLiteral("Die Buchungen können nicht ")) +
           verb + QStringLiteral(" werden");
}

// What the bars drew, as the core compares it.
QHash<qint32, RowValues> columnsOf(const QHash<qint32, DrawnBooking>& drawn)
{
    QHash<qint32, RowValues> columns;
    for (auto it = drawn.cbegin(); it != drawn.cend(); ++it)
        columns.insert(it.key(), it->columns);
    return columns;
}

// "Die Reservierung 9 für "Anna Meier"", with the guest the bar showed.
QString bookingName(qint32 id, const QHash<qint32, DrawnBooking>& drawn)
{
    const QString guest = drawn.value(id).guest;
    return QStringLiteral("Die Reservierung ") + QString::number(id) +
           (guest.isEmpty() ? QString() : QStringLiteral(" für \"") + guest + QLatin1Char('"'));
}

QString placeNameOf(qint32 placeId)
{
    const std::optional<Place> place = LoadPlace(placeId);
    return place && !place->pl_name.trimmed().isEmpty() ? place->pl_name.trimmed() : QString::number(placeId);
}

}  // namespace

int ScheduleDays(int maxWeekCols)
{
    return maxWeekCols < 1 ? 30 : maxWeekCols;
}

QString SchedulePlaceName(const QString& bldShort, const QString& flrShort, const QString& plName)
{
    return (bldShort + QLatin1Char('\\') + flrShort + QStringLiteral("\\ ") + plName).trimmed();
}

QString ScheduleBarText(const ScheduleBooking& b)
{
    QString text;
    if (!b.book_start || !b.book_end)
        text = QStringLiteral("Reservierung ") + QString::number(b.book_id) + QStringLiteral(" mit ungültigem ") +
               (b.book_start ? QStringLiteral("Abreisedatum: ") : QStringLiteral("Anreisedatum: "));
    text += (b.cust_lastname + QStringLiteral(", ") + b.cust_firstname).trimmed();
    if (b.book_cust_count > 0)
        text += QStringLiteral(" (") + QString::number(b.book_cust_count) + QLatin1Char(')');
    if (!b.book_info.isEmpty())
        text += QLatin1Char(' ') + b.book_info;
    // The booking's and the guest's ids travel as the bar's data, never in
    // its text: on a long bar they would show.
    return text;
}

qint32 ScheduleBarColour(int colorId, qint32 normalColour)
{
    // An index beyond the loaded table is no colour of its own.
    return colorId > 0 && IsValidColorIndex(colorId) ? ColorOfIndex(colorId) : normalColour;
}

void InitScheduleControl(UserControl1& control)
{
    control.GridColor(0xC0C0C0);
    control.BackColor(0xFFFFFF);
    control.ClearResources();
}

QString FillSchedule(UserControl1& control, PlanState& state, qint32 floorId, qint32 buildingId,
                     const rt::Date& startDate)
{
    const int days = ScheduleDays(MaxWeekCols);
    QString caption;
    if (floorId > 0)
        caption = GetBuildingFloorName(floorId, -1);
    else if (buildingId > 0)
        caption = GetBuildingFloorName(-1, buildingId);
    state.PlanStartDate = ScheduleStart(state.PlanStartDate, startDate, SelectedPeriod[0]);
    state.ScheduleFloorId = floorId;
    state.ScheduleBuildingId = buildingId;

    ui::WaitCursor wait;
    ScheduleContent content;
    try {
        content = readContent(floorId, buildingId, state.PlanStartDate, days);
    } catch (...) {
        // Nothing half-read stays on screen: an empty schedule of the period.
        ScheduleContent empty;
        empty.start = state.PlanStartDate;
        empty.days = days;
        showContent(control, empty);
        state.ScheduleDrawn.clear();
        throw;
    }
    showContent(control, content);
    state.ScheduleDrawn = std::move(content.drawn);
    return caption;
}

std::optional<NewBookingRequest> ScheduleNewBooking(const QVector<qint32>& resourceIds, const rt::Date& dtStart,
                                                    const rt::Date& dtEnd)
{
    if (resourceIds.isEmpty() || resourceIds.front() <= 0)
        return std::nullopt;
    const std::array<rt::Date, 2> period = MarkedPeriod(dtStart, dtEnd);
    return NewBookingRequest{resourceIds.front(), dayText(period[0]), dayText(period[1])};
}

std::array<rt::Date, 2> MarkedPeriod(const rt::Date& dtStart, const rt::Date& dtEnd)
{
    const rt::Date first = std::min(dtStart, dtEnd).datePart();
    rt::Date last = std::max(dtStart, dtEnd).datePart();
    // Marked hours of a single day, or nothing marked at all: one night.
    if (last <= first)
        last = first.addDays(1);
    return {first.atNoon(), last.atNoon()};
}

ScheduleOutcome DropBookings(const ScheduleDrop& drop, const QHash<qint32, DrawnBooking>& drawn)
{
    const QList<qint32> ids = selected(drop.ids);
    // Beside every place there is no place to give the bookings.
    if (ids.isEmpty() || drop.newResourceId < 1)
        return ScheduleOutcome::Nothing;
    // A frame is grabbed anywhere in its day: only whole days count.
    const int shift = static_cast<int>(std::lround(drop.newStart.datePart().daysSince(drop.oldStart.datePart())));
    const bool placeChanged = drop.newResourceId != drop.oldResourceId;
    if (shift == 0 && !placeChanged)
        return ScheduleOutcome::Nothing;
    if (RefuseReadOnly())
        return ScheduleOutcome::Refused;

    const DrawnDropOutcome outcome =
        DropDrawnBookings({ids, placeChanged ? drop.newResourceId : 0, shift, drop.copy}, columnsOf(drawn));
    const QString verb = drop.copy ? QStringLiteral("kopiert") : QStringLiteral("verschoben");
    const QString deletedElsewhere = QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht.");
    switch (outcome.result) {
    case DrawnDropOutcome::Result::Stored:
        return outcome.written.isEmpty() ? ScheduleOutcome::Nothing : ScheduleOutcome::Redraw;
    case DrawnDropOutcome::Result::Changed: {
        // Moved as stored, it would undo the other's move; as drawn, it would
        // land where nobody put it. Nothing is asked: the stored place is shown.
        QStringList sentences;
        for (const ShownRowChange& row : outcome.changed)
            sentences << ChangedSinceShownText(bookingName(row.key.toLong(), drawn), BookingMergeFields(), row.since);
        for (qint32 id : outcome.missing)
            sentences << bookingName(id, drawn) + deletedElsewhere;
        QString tail;
        if (ids.size() > 1)
            tail = QStringLiteral("Keine der markierten Reservierungen wurde ") + verb +
                   QStringLiteral("; der Belegungsplan zeigt sie jetzt, wie sie gespeichert sind.");
        else if (!outcome.changed.isEmpty())
            tail = QStringLiteral("Sie wurde nicht ") + verb +
                   QStringLiteral("; der Belegungsplan zeigt sie jetzt, wie sie gespeichert ist.");
        else
            tail = QStringLiteral("Der Belegungsplan zeigt jetzt, was gespeichert ist.");
        ui::msgBox(sentences.join(QLatin1Char('\n')) +
                       (sentences.size() > 1 ? QStringLiteral("\n\n") : QStringLiteral(" ")) + tail,
                   ui::Exclamation, AppTitle);
        return ScheduleOutcome::Redraw;
    }
    case DrawnDropOutcome::Result::Unreadable:
        ui::msgBox(refusalStart(ids.size(), verb) + QStringLiteral(".\n\n") +
                       UnreadableBookingText(outcome.unreadableId) + NothingChanged,
                   ui::Exclamation, AppTitle);
        return ScheduleOutcome::Refused;
    case DrawnDropOutcome::Result::Refused: break;
    }

    const StoreOutcome& store = outcome.store;
    if (store.result == StoreResult::PlaceMissing) {
        ui::msgBox(refusalStart(ids.size(), verb) + QStringLiteral(": ") + placeWord() + QStringLiteral(" Nr. ") +
                       QString::number(store.placeId) + deletedElsewhere + NothingChanged,
                   ui::Exclamation, AppTitle);
        return ScheduleOutcome::Redraw;
    }
    if (store.result == StoreResult::GuestMissing) {
        ui::msgBox(refusalStart(ids.size(), verb) + QStringLiteral(": ") +
                       NominativeOf(TermPersonSingular, TermKind::Person, Article::Definite,
                                    QStringLiteral("Nr. ") + QString::number(store.customerId)) +
                       deletedElsewhere + NothingChanged,
                   ui::Exclamation, AppTitle);
        return ScheduleOutcome::Redraw;
    }
    // An occupant whose period cannot be read is named, with how to mend it.
    const QString unreadable = store.bookingId > 0 ? UnreadableBookingText(store.bookingId) : QString();
    ui::msgBox(refusalStart(ids.size(), verb) + QStringLiteral(": ") + placeWord() + QStringLiteral(" \"") +
                   placeNameOf(store.placeId) + QStringLiteral("\" ist im Zeitraum bereits belegt.") +
                   (unreadable.isEmpty() ? QString() : QStringLiteral("\n\n") + unreadable) + NothingChanged,
               ui::Exclamation, AppTitle);
    return ScheduleOutcome::Refused;
}

ScheduleOutcome DeleteScheduleBookings(const QVector<qint32>& ids, const QHash<qint32, DrawnBooking>& drawn)
{
    const QList<qint32> list = selected(ids);
    if (list.isEmpty())
        return ScheduleOutcome::Nothing;
    if (RefuseReadOnly())
        return ScheduleOutcome::Refused;
    const QString title = QStringLiteral("Buchungen löschen");
    const ShownRowsDelete deleted = DeleteDrawnBookings(list, columnsOf(drawn), [&](const QList<ShownRowChange>& rows) {
        QList<std::pair<QString, RowMerge>> changed;
        for (const ShownRowChange& row : rows) {
            if (row.since.kept.isEmpty())
                continue;
            changed.append({bookingName(row.key.toLong(), drawn), row.since});
        }
        if (!changed.isEmpty())
            return AskDeleteClashes(changed, BookingMergeFields()) == ClashChoice::Mine;
        return ui::msgBox(QStringLiteral("Wollen Sie die merkierten Buchungen wirklich löschen?"),
                          ui::OkCancel | ui::Question | ui::DefaultButton2, title) == ui::Answer::Ok;
    });
    switch (deleted.result) {
    case DeleteResult::Cancelled:
        return ScheduleOutcome::Nothing;
    case DeleteResult::Missing:
        ui::msgBox(list.size() == 1
                       ? QStringLiteral("Die Buchung wurde inzwischen an einem anderen Arbeitsplatz gelöscht.")
                       : QStringLiteral("Die Buchungen wurden inzwischen an einem anderen Arbeitsplatz gelöscht."),
                   ui::Exclamation, title);
        break;
    case DeleteResult::Deleted:
        // Some of those marked were gone already: said, as a whole delete would be.
        if (!deleted.missing.isEmpty()) {
            QStringList numbers;
            for (const db::Value& id : deleted.missing)
                numbers << QString::number(id.toLong());
            ui::msgBox((deleted.missing.size() == 1 ? QStringLiteral("Die Buchung ") + numbers.front() +
                                                          QStringLiteral(" wurde")
                                                    : QStringLiteral("Die Buchungen ") + numbers.join(QStringLiteral(", ")) +
                                                          QStringLiteral(" wurden")) +
                           QStringLiteral(" inzwischen an einem anderen Arbeitsplatz gelöscht; die übrigen sind nun "
                                          "gelöscht."),
                       ui::Information, title);
        }
        break;
    }
    return ScheduleOutcome::Redraw;
}
