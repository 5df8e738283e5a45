#include "plan/frmStockwerke.h"

#include "core/files.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/windows.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>

#include <functional>

namespace {

// Runs fn on a left click of the watched widget, which keeps the click.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> fn) : QObject(parent), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_fn();
        return false;
    }

private:
    std::function<void()> m_fn;
};

}  // namespace

void frmStockwerke::buildMenuEntries()
{
    const auto handler = [this](const char* name, void (frmStockwerke::*slot)()) {
        return [this, name, slot] { RunHandler(QString::fromLatin1(name), [this, slot] { (this->*slot)(); }); };
    };

    menuShowRoomDetails = new QAction(QStringLiteral("Raum-&Details anzeigen"), this);
    menuShowRoomDetails->setVisible(false);
    connect(menuShowRoomDetails, &QAction::triggered, this,
            handler("menuShowRoomDetails_Click", &frmStockwerke::menuContextShowRoomDetails_Click));
    menuShowBookingDetails = new QAction(QStringLiteral("Buchung &anzeigen"), this);
    connect(menuShowBookingDetails, &QAction::triggered, this,
            handler("menuShowBookingDetails_Click", &frmStockwerke::btnShowBookingDetails_Click));
    menuShowBewohner = new QAction(QStringLiteral("&Gäste-Details anzeigen"), this);
    connect(menuShowBewohner, &QAction::triggered, this,
            handler("menuShowBewohner_Click", &frmStockwerke::menuShowBewohner_Click));
    menuEdit->insertActions(menuEditMode, {menuShowRoomDetails, menuShowBookingDetails, menuShowBewohner});
    menuEdit->insertSeparator(menuEditMode);

    // The plan is opened from the facility overview, not the other way round.
    menuShowFrmEinrichtungen = menuAnsicht->addAction(QStringLiteral("&Mandant wählen"), this,
                                                      handler("menuShowFrmEinrichtungen_Click",
                                                              &frmStockwerke::menuShowFrmEinrichtungen_Click));
    menuShowFrmEinrichtungen->setVisible(false);

    menuCustomers = menuWindow->addAction(QStringLiteral("&Gäste"), this,
                                          handler("menuCustomers_Click", &frmStockwerke::cmdShowPat_Click));
    menuBookings = menuWindow->addAction(QStringLiteral("&Buchungen"), this,
                                         handler("menuBookings_Click", &frmStockwerke::btnShowBookingDetails_Click));
    menuInvoices = menuWindow->addAction(QStringLiteral("&Rechnungen"), this,
                                         handler("menuInvoices_Click", &frmStockwerke::cmdInvoice_Click));
    menuServices = menuWindow->addAction(QStringLiteral("&Hotelleistungen"), this,
                                         handler("menuServices_Click", &frmStockwerke::menuServices_Click));
    menuHelp = menuBar()->addAction(QStringLiteral("&?"), this, handler("menuHelp_Click", &frmStockwerke::menuHelp_Click));
    // F1 as the help button next to the booking panel does.
    menuHelp->setShortcut(QKeySequence::HelpContents);

    // Opened by nothing; its booking entries other than the details do nothing.
    MenuPopUp = new QMenu(QStringLiteral("Popup"), this);
    menuCreateBooking = MenuPopUp->addAction(QStringLiteral("neue Buchung eintragen"));
    menuCreateBooking->setEnabled(false);
    menuShowBooking = MenuPopUp->addAction(QStringLiteral("Buchungsdetails anzeigen"), this,
                                           handler("menuShowBooking_Click", &frmStockwerke::menuShowBooking_Click));
    menuDeleteBooking = MenuPopUp->addAction(QStringLiteral("Buchung löschen"));
    menuDeleteBooking->setEnabled(false);

    menuContextShowRoomDetails =
        menuContext->addAction(QStringLiteral("Raum-&Details anzeigen"), this,
                               handler("menuContextShowRoomDetails_Click", &frmStockwerke::menuContextShowRoomDetails_Click));
    menuContextShowBookingDetails =
        menuContext->addAction(QStringLiteral("Buchung &anzeigen"), this,
                               handler("menuContextShowBookingDetails_Click", &frmStockwerke::btnShowBookingDetails_Click));
    menuContextShowBewohner =
        menuContext->addAction(QStringLiteral("&Gäste-Details anzeigen"), this,
                               handler("menuContextShowBewohner_Click", &frmStockwerke::menuShowBewohner_Click));

    tbBewohner->setCursor(Qt::PointingHandCursor);
    tbBewohner->installEventFilter(
        new ClickFilter(tbBewohner, handler("tbBewohner_Click", &frmStockwerke::cmdShowPat_Click)));
}

void frmStockwerke::menuContextShowRoomDetails_Click()
{
    ShowRoomDetails(-1, m_state.CurrentPlaceId);
}

void frmStockwerke::menuShowBewohner_Click()
{
    ShowAdresse(m_state.CurrentCustomerId, this);
}

void frmStockwerke::menuShowBooking_Click()
{
    if (m_state.CurrentBookingId > 0)
        ShowBookings(QString(), m_state.CurrentBookingId, m_state.CurrentPlaceId, true, -1);
}

void frmStockwerke::menuShowFrmEinrichtungen_Click()
{
    ShowMandanten();
}

void frmStockwerke::menuServices_Click()
{
    ShowArtikel(-1);
}

void frmStockwerke::menuHelp_Click()
{
    OpenFileWithShell(AppPath + QStringLiteral("help.pdf"));
}
