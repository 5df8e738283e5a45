#include "plan/floorplanedit.h"

#include "core/messages.h"
#include "core/places.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "plan/resourceedit.h"
#include "platform/ui/dialogs.h"

#include <cmath>

namespace {

constexpr double JiggleRange = 150.0;   // twips, centred on the home position

}  // namespace

PlaceRect DroppedPlaceRect(double dropX, double dropY, double grabX, double grabY, int width, int height)
{
    PlaceRect r;
    r.x1 = static_cast<qint32>(std::lround(dropX - grabX));
    r.y1 = static_cast<qint32>(std::lround(dropY - grabY));
    r.x2 = r.x1 + width;
    r.y2 = r.y1 + height;
    return r;
}

std::optional<QPoint> NudgeOf(int key, Qt::KeyboardModifiers modifiers)
{
    const bool big = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int step = big ? 10 : 1;
    switch (key) {
    case Qt::Key_Left:
        return QPoint(-step, 0);
    case Qt::Key_Up:
        return QPoint(0, -step);
    case Qt::Key_Right:
        return QPoint(step, 0);
    case Qt::Key_Down:
        return QPoint(0, step);
    default:
        return std::nullopt;
    }
}

QPoint JigglePosition(const PlaceHome& home, double r, double s)
{
    return QPoint(home.x + static_cast<int>(std::lround((r - 0.5) * JiggleRange)),
                  home.y + static_cast<int>(std::lround((s - 0.5) * JiggleRange)));
}

bool SwitchEditMode(PlanState& state)
{
    if (RefuseReadOnly(ui::Critical))
        return false;
    // Switching off never asks.
    if (!state.EditMode && !PassPasswordGate(state))
        return false;
    state.EditMode = !state.EditMode;
    return true;
}

std::optional<std::vector<PlaceRectOutcome>> StoreMovedMarkers(const std::vector<PlaceRectMove>& moves,
                                                               const QHash<qint32, QString>& names)
{
    if (StationReadOnly)
        return std::nullopt;
    PlaceRectsOutcome outcome = StorePlaceRects(moves);
    if (outcome.cancelled)
        return std::nullopt;
    QStringList gone;
    for (const PlaceRectOutcome& place : outcome.places) {
        if (place.missing)
            gone << ResourceRowName(ResourceKind::Place, names.value(place.placeId), place.placeId) +
                        QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht.");
    }
    if (!gone.isEmpty())
        ui::msgBox(gone.join(QLatin1Char('\n')), ui::Exclamation, AppTitle);
    return std::move(outcome.places);
}

bool DeleteSelectedPlaces(const QList<qint32>& placeIds, const QHash<qint32, RowValues>& drawn)
{
    const QString title = QStringLiteral("Räume löschen");
    if (RefuseReadOnly(ui::Critical))
        return false;
    const auto ask = [&title] {
        return ui::msgBox(QStringLiteral("Wollen Sie die selektierten Räume löschen?"),
                          ui::OkCancel | ui::Question | ui::DefaultButton2, title) == ui::Answer::Ok;
    };
    if (placeIds.isEmpty()) {
        ask();
        return false;
    }
    const PlacesDeleteOutcome outcome = DeleteDrawnPlaces(placeIds, drawn, [&](const QList<ShownRowChange>& rows) {
        // One question naming each place another workstation changed.
        QList<std::pair<QString, RowMerge>> changed;
        for (const ShownRowChange& row : rows) {
            if (row.since.kept.isEmpty())
                continue;
            const qint32 id = row.key.toLong();
            const auto shown = drawn.constFind(id);
            const QString name = (shown != drawn.cend() ? *shown : row.since.stored).value(QStringLiteral("pl_name")).toText();
            changed.append({ResourceRowName(ResourceKind::Place, name, id), row.since});
        }
        if (changed.isEmpty())
            return ask();
        return AskDeleteClashes(changed, ResourceMergeFields(ResourceKind::Place)) == ClashChoice::Mine;
    });
    if (outcome.result == DeleteResult::Cancelled)
        return false;
    if (outcome.result == DeleteResult::Missing) {
        ui::msgBox(QStringLiteral("Die selektierten Räume wurden inzwischen an einem anderen Arbeitsplatz gelöscht."),
                   ui::Exclamation, title);
        return true;
    }
    if (outcome.referenced.empty()) {
        if (outcome.deleted > 0 && outcome.deleted < placeIds.size())
            ui::msgBox(QStringLiteral("Einige der selektierten Räume wurden inzwischen an einem anderen Arbeitsplatz "
                                      "gelöscht; die übrigen sind nun gelöscht."),
                       ui::Information, title);
        return outcome.deleted > 0;
    }
    // Bookings must not lose their place: the whole delete is refused.
    QString lines;
    for (const auto& [placeId, bookings] : outcome.referenced) {
        const auto place = LoadPlace(placeId);
        lines += QStringLiteral("\n\"") + (place ? place->pl_name : QString::number(placeId)) + QStringLiteral("\": ") +
                 QString::number(bookings) + (bookings == 1 ? QStringLiteral(" Buchung") : QStringLiteral(" Buchungen"));
    }
    ui::msgBox(QStringLiteral("Die selektierten Räume können nicht gelöscht werden, da es für sie noch Buchungen gibt:") +
                   lines,
               ui::Critical, title);
    return false;
}
