#include "app/program.h"

#include "bookings/frmAdressen.h"
#include "bookings/frmBuchungen.h"
#include "core/globals.h"
#include "core/dialogs/endrequestnotice.h"
#include "core/dialogs/resourceeditor.h"
#include "core/maintenancelog.h"
#include "core/startup.h"
#include "core/windows.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/frmServices.h"
#include "plan/frmMandanten.h"
#include "plan/frmRoom.h"
#include "plan/frmStockwerke.h"
#include "platform/ui/desktop.h"
#include "preferences/frmVorgaben.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InstallWindowEntryPoints()
{
    WindowEntryPoints& windows = Windows();
    windows.showSettings = [] { frmVorgaben::showWindow(); };
    windows.initMainWindow = [] { frmStockwerke::instance().init(); };
    windows.showBookings = [](const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange) {
        frmBuchungen::instance().ShowBookings(filter, bookId, placeId, showDetails, listRange);
    };
    windows.setBookingsCaption = [](const QString& caption) { frmBuchungen::instance().SetCaption(caption); };
    windows.createNewBooking = [](qint32 placeId, qint32 unused, const QString& startText, const QString& endText) {
        // A place below 1 opens nothing, not even the window.
        if (placeId > 0)
            frmBuchungen::instance().CreateNewBooking(placeId, unused, startText, endText);
    };
    windows.showAdresse = [](qint32 custId, AddressReceiver* caller) { frmAdressen::ShowAdresse(custId, caller); };
    windows.unloadAddressBook = [] { frmAdressen::unloadForGood(); };
    windows.showRechnung = [](qint32 invId, qint32 custId, qint32 bookingId) {
        frmRechnung::instance().ShowRechnung(invId, custId, bookingId);
    };
    windows.showArtikel = [](qint32 serviceId) { frmServices::instance().ShowArtikel(serviceId); };
    windows.showMandanten = [] { frmMandanten::showWindow(); };
    windows.showRoomDetails = [](qint32 roomId, qint32 placeId) { frmRoom::instance().ShowRoomDetails(roomId, placeId); };
    windows.refreshPlan = [] {
        if (PlanFormLoaded && frmStockwerke::isLoaded() && frmStockwerke::instance().isVisible())
            frmStockwerke::instance().RefreshAfterBookingChange();
    };
    windows.unloadSettings = [] { frmVorgaben::unloadAsking(); };
    windows.unloadFacilityOverview = [] { frmMandanten::unload(); };
    windows.showRessources = [](const QString& table, const QString& caption) {
        frmResourcen::ShowRessources(table, caption);
    };
    windows.showEndRequestNotice = [](const QStringList& unsaved) { EndRequestNotice::Show(unsaved); };
}

int RunProgram(int argc, char** argv, const std::function<void()>& atStart)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmorant"));
    // The program ends only through its own exit, never because the last
    // window closed while start-up opens the next one.
    QApplication::setQuitOnLastWindowClosed(false);
    ui::installDesktopConventions();
    // Qt's own dialogs (print preview, print and file dialogs) in German too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    InstallWindowEntryPoints();
    if (atStart)
        atStart();
    Main();
    // Every workstation ends when another one asks all of them to.
    StartShutdownWatch();
    return app.exec();
}
