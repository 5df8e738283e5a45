#include "tests/support/window_hooks.h"

namespace test {

namespace {

QString args(const QStringList& parts)
{
    return QLatin1Char('(') + parts.join(QLatin1Char('|')) + QLatin1Char(')');
}

}  // namespace

WindowHooks::WindowHooks() : m_saved(Windows())
{
    WindowEntryPoints& w = Windows();
    w.showSettings = [this] { ++settingsShown; };
    w.initMainWindow = [this] { ++mainShown; };
    w.unloadAddressBook = nullptr;
    w.unloadSettings = [this] { ++settingsUnloaded; };
    w.unloadFacilityOverview = [this] { ++facilityOverviewUnloaded; };
    w.restartProgram = [this] { ++restarted; };
    w.endProgram = [this] {
        ++ended;
        throw ProgramEnded();
    };
    w.showBookings = [this](const QString& filter, qint32 bookId, qint32 placeId, bool details, int range) {
        opened << QStringLiteral("ShowBookings") + args({filter, QString::number(bookId), QString::number(placeId),
                                                         QString::number(details ? 1 : 0), QString::number(range)});
    };
    w.setBookingsCaption = [this](const QString& caption) {
        opened << QStringLiteral("SetBookingsCaption") + args({caption});
    };
    w.createNewBooking = [this](qint32 placeId, qint32 unused, const QString& start, const QString& end) {
        opened << QStringLiteral("CreateNewBooking") + args({QString::number(placeId), QString::number(unused), start, end});
    };
    w.showAdresse = [this](qint32 custId, AddressReceiver* caller) {
        lastAddressCaller = caller;
        opened << QStringLiteral("ShowAdresse") + args({QString::number(custId)});
    };
    w.showRechnung = [this](qint32 invId, qint32 custId, qint32 bookingId) {
        opened << QStringLiteral("ShowRechnung") +
                      args({QString::number(invId), QString::number(custId), QString::number(bookingId)});
    };
    w.showArtikel = [this](qint32 serviceId) { opened << QStringLiteral("ShowArtikel") + args({QString::number(serviceId)}); };
    w.showRessources = [this](const QString& table, const QString& caption) {
        opened << QStringLiteral("ShowRessources") + args({table, caption});
    };
    w.refreshPlan = [this] { ++planRefreshed; };
    w.showMandanten = [this] { opened << QStringLiteral("ShowMandanten()"); };
    w.showEndRequestNotice = [this](const QStringList& unsaved) { endNotices.push_back(unsaved); };
    w.showRoomDetails = [this](qint32 roomId, qint32 placeId) {
        opened << QStringLiteral("ShowRoomDetails") + args({QString::number(roomId), QString::number(placeId)});
    };
}

WindowHooks::~WindowHooks()
{
    Windows() = m_saved;
}

}  // namespace test
