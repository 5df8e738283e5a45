#pragma once

#include "core/globals.h"
#include "core/singlewindow.h"
#include "core/startup.h"
#include "invoicing/invoice.h"

#include <QWidget>

#include <array>

class InvoiceListModel;
class InvoicePositionsModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTableView;

// The invoice window: one invoice with its recipient, date, state, payment,
// positions and totals, the list of invoices to choose from, and the invoice
// document. It hides instead of closing; whenever the user leaves an invoice
// (closing, another invoice, a new one, the program's end) its save rules run.
class frmRechnung : public QWidget, public SingleWindow<frmRechnung>, public AddressReceiver {
    Q_OBJECT
    friend class SingleWindow<frmRechnung>;

public:
    ~frmRechnung() override;

    // Shows invoice invId, or a new invoice for the customer and booking
    // (-1: none). The invoice shown so far is left by its save rules first.
    void ShowRechnung(qint32 invId, qint32 custId, qint32 bookingId);
    // Takes over the guest chosen in the address book as the recipient.
    void AddMainAdress(qint32 custId, const QString& name) override;
    // A new position for the shown invoice, stored at once.
    void AddEntryToTable(int qty, const QString& text, Cents price, qint32 prodId, int vatIndex);
    // The payment mode's text for the printed invoice; "" when there is none.
    QString GetPaymodePrinttext(qint32 paymId);

    const InvoiceSession& session() const { return m_session; }
    // Leaves the invoice by its rules and hides; false when the save failed
    // and the window stays.
    bool Form_Unload(bool unattended = false);

    QComboBox* listRechnungen = nullptr;
    QPushButton* btnListRechnungenUpdate = nullptr;
    QPushButton* btnSortOrder = nullptr;
    QPushButton* btnNeu = nullptr;
    QPushButton* btnDelete = nullptr;
    QPlainTextEdit* tbAdressfeld = nullptr;
    QPushButton* cmdShowPat = nullptr;
    QPushButton* cmdBooking = nullptr;
    QLabel* lbDateRange = nullptr;
    QLabel* lbDatumRechnung = nullptr;
    QLineEdit* tbDatum_Rechnung = nullptr;
    std::array<QPushButton*, 2> btnDatumRechnungStep{};
    QLabel* lbRechnungstag = nullptr;
    QLabel* lbRechnungNr = nullptr;
    QComboBox* listStatus = nullptr;
    QComboBox* listZahlmod = nullptr;
    QCheckBox* chkBezahlt = nullptr;
    QTableView* MSFlexGrid1 = nullptr;
    QPushButton* btnAddRow = nullptr;
    QPushButton* btnDeleteEntry = nullptr;
    QPushButton* cmdShowHotelleistungen = nullptr;
    QPushButton* cmdListArtikelRefresh = nullptr;
    QPlainTextEdit* tbInfo = nullptr;
    QLabel* lbSumme = nullptr;
    QLabel* lbMwSt_included = nullptr;
    std::array<QLabel*, 2> lbMwSt{};
    std::array<QLabel*, 2> lbMwStNum{};
    QLabel* lbNettoSumme = nullptr;
    QLabel* lbBruttobetrag = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* btnPreviewDoc = nullptr;
    QPushButton* cmdEditMwSt = nullptr;
    QPushButton* btnHelp = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // The article of the grid row clicked last (0: none yet).
    qint32 LastArticleId() const { return m_lastArticleId; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmRechnung();
    void buildLayout();
    void Form_Load();
    // Puts every field of the session on the screen.
    void showSession();
    void showHeader();
    void showTotals();
    // After a position write: an invoice deleted elsewhere may have been
    // stored anew under a new number, which the header and the list show.
    void showNumberChange();
    void showPaidColor();
    // Lets the field being edited finish, as leaving it would; with somebody
    // here, also a cell typed while nobody was.
    void commitEdits();
    // The save rules of the shown invoice; false when they failed.
    bool leaveInvoice();

    // frmRechnung_list.cpp
    void FillListRechnungen(qint32 invId, qint32 custId);
    void listRechnungen_Click(int index);
    void btnListRechnungenUpdate_Click();
    void btnNeu_Click();
    void btnDelete_Click();
    void cmdSave_Click();

    // frmRechnung_header.cpp
    void lbDatumRechnung_Click();
    void tbDatum_Rechnung_Change(const QString& text);
    void tbDatum_Rechnung_GotFocus();
    void tbDatum_Rechnung_LostFocus();
    void btnDatumRechnungStep_Click(int index);
    void listStatus_Click(int index);
    void listZahlmod_Click(int index);
    void chkBezahlt_Click();
    void tbInfo_Change();
    void tbInfo_LostFocus();
    void cmdShowPat_Click();
    void cmdBooking_Click();
    void cmdEditMwSt_Click();
    void btnHelp_Click();

    // frmRechnung_positions.cpp
    void InitPositionsGrid();
    void SizePositionColumns();
    void MSFlexGrid1_Click(const QModelIndex& index);
    void MSFlexGrid1_DblClick(const QModelIndex& index);
    void ShowCellEditor(const QModelIndex& index);
    void positionsEdited();
    void btnAddRow_Click();
    void btnDeleteEntry_Click();
    void btnArtikelsuche_Click();
    void cmdListArtikelRefresh_Click();
    qint32 GetRowArticleId(int row) const;

    // frmRechnung_document.cpp
    void btnPreviewDoc_Click();

    InvoiceSession m_session;
    // What the store at the end request left to another workstation, or an
    // invoice deleted there, keeps this one running until saved or given up.
    UnsavedEditRegistration m_unsavedInvoice{[this] { return m_session.UnsavedLine(); }, this};
    // What the end work would store; named where it cannot run (an invoice
    // deleted elsewhere is named by the line above).
    UnsavedEditRegistration m_pendingInvoice{[this] {
        return m_session.Changed && !m_session.WaitsForTheDesk()
                   ? QStringLiteral("Rechnung ") + m_session.NumberText + QStringLiteral(": Änderungen")
                   : QString();
    }, nullptr, EditKind::StoredAtEnd};
    InvoiceListModel* m_invoiceList = nullptr;
    InvoicePositionsModel* m_positions = nullptr;
    qint32 m_lastArticleId = 0;
    qint32 m_listCustomerId = -1;
    int m_endWork = 0;
    bool m_endingUnattended = false;   // the program ends with nobody to ask
};
