#include "invoicing/frmRechnung.h"

#include "core/files.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/password.h"
#include "core/windows.h"
#include "invoicing/positionsmodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

void frmRechnung::lbDatumRechnung_Click()
{
    // The date is locked until asked for; nothing locks it again.
    tbDatum_Rechnung->setEnabled(true);
    tbDatum_Rechnung->setStyleSheet(QStringLiteral("background-color: white;"));
    for (QPushButton* b : btnDatumRechnungStep)
        b->setEnabled(true);
    tbDatum_Rechnung->setFocus();
}

void frmRechnung::tbDatum_Rechnung_Change(const QString& text)
{
    m_session.editDate(text);
    lbRechnungstag->setText(m_session.weekdayText());
}

void frmRechnung::tbDatum_Rechnung_GotFocus()
{
    RunHandler(QStringLiteral("tbDatum_Rechnung_GotFocus"), [this] {
        m_session.fillEmptyDate();
        showHeader();
        m_positions->refresh();
        showTotals();
    });
}

void frmRechnung::tbDatum_Rechnung_LostFocus()
{
    if (m_endingUnattended)
        return;
    RunHandler(QStringLiteral("tbDatum_Rechnung_LostFocus"), [this] {
        m_session.completeDate(tbDatum_Rechnung->text());
        showHeader();
        // New rates show in the VAT column and the totals at once.
        m_positions->refresh();
        showTotals();
    });
}

void frmRechnung::btnDatumRechnungStep_Click(int index)
{
    RunHandler(QStringLiteral("btnDatumRechnungStep_Click"), [this, index] {
        m_session.stepDate(index);
        showHeader();
        m_positions->refresh();
        showTotals();
    });
}

void frmRechnung::listStatus_Click(int index)
{
    if (FillingLists || index < 0)
        return;
    m_session.selectStatus(listStatus->itemData(index).toInt());
}

void frmRechnung::listZahlmod_Click(int index)
{
    if (FillingLists || index < 0)
        return;
    m_session.selectPaymode(listZahlmod->itemData(index).toInt());
}

void frmRechnung::chkBezahlt_Click()
{
    if (FillingLists)
        return;
    m_session.setPaid(chkBezahlt->isChecked());
    showPaidColor();
}

void frmRechnung::tbInfo_Change()
{
    if (FillingLists)
        return;
    m_session.editNotes(tbInfo->toPlainText());
}

void frmRechnung::tbInfo_LostFocus()
{
    m_session.trimNotes();
    if (tbInfo->toPlainText() != m_session.Notes) {
        const QSignalBlocker quiet(tbInfo);
        tbInfo->setPlainText(m_session.Notes);
    }
}

void frmRechnung::cmdShowPat_Click()
{
    ShowAdresse(m_session.CustomerId, this);
}

void frmRechnung::cmdBooking_Click()
{
    ShowBookings(QStringLiteral("book_customer_id = ") + QString::number(m_session.CustomerId), m_session.BookingId, -1,
                 true, 1);
}

void frmRechnung::cmdEditMwSt_Click()
{
    RunHandler(QStringLiteral("cmdEditMwSt_Click"), [] {
        if (AdminPasswordActive && !CheckAdminPassword(true))
            return;
        ShowRessources(QStringLiteral("tbl_vat"), QStringLiteral("Mehrwertsteuer"));
    });
}

void frmRechnung::btnHelp_Click()
{
    OpenFileWithShell(AppPath + QStringLiteral("help.pdf"));
}
