#pragma once

#include "bookings/bookingeditor.h"
#include "core/dialogs/colorselector.h"
#include "core/dialogs/datepicker.h"
#include "core/globals.h"
#include "core/singlewindow.h"
#include "core/startup.h"

#include <QWidget>

#include <array>

class BookingListModel;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

// The booking window: the list of the bookings a caller asked for and the
// editor of one booking. It is loaded once and hides instead of closing, so
// list and editor keep what they hold between uses.
class frmBuchungen : public QWidget,
                     public SingleWindow<frmBuchungen>,
                     public AddressReceiver,
                     public ColorReceiver,
                     public DateReceiver {
    Q_OBJECT
    friend class SingleWindow<frmBuchungen>;

public:
    // The bookings matching filter (empty: those of placeId, else of bookId,
    // else all of the facility); bookId is selected and loaded when found and
    // showDetails is set (0: the first line, -1: none). listRange -1 keeps
    // the range option, 0 lists from today, 1 all. Returns the lines found.
    int ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange);
    // A new booking of the place for the period typed as day texts.
    void CreateNewBooking(qint32 placeId, qint32 unused, const QString& startText, const QString& endText);
    // Callers set the caption before ShowBookings; the list keeps it.
    void SetCaption(const QString& caption);

    void AddMainAdress(qint32 custId, const QString& name) override;
    void Receive_SelectedColor(qint32 index) override;
    void Receive_SelectedDate(const rt::Date& date) override;
    ~frmBuchungen() override;

    const BookingEditorState& state() const { return m_editor.state(); }
    BookingListModel* listModel() const { return m_model; }

    // The list.
    QTableView* ListView1 = nullptr;
    std::array<QRadioButton*, 2> optListRange{};
    QPushButton* btnRefresh = nullptr;
    QPushButton* cmdListBookingsPerson = nullptr;
    QPushButton* cmdListBookingsRoom = nullptr;
    QPushButton* cmdPrintList = nullptr;             // the printed list

    // The editor.
    QGroupBox* frameDetails = nullptr;
    QLabel* lblBooking_id = nullptr;
    QLabel* lblEditDateTime = nullptr;
    QLabel* lblBearbeiter = nullptr;
    QLabel* lblInvoice_id = nullptr;
    QLabel* lblCustomer_id = nullptr;
    QLabel* lbBookingStatus = nullptr;
    QComboBox* listRooms = nullptr;
    QLineEdit* tbBewohner = nullptr;
    std::array<QLineEdit*, 2> tbBuchungDatum{};
    std::array<QLineEdit*, 2> tbZeit{};
    QLineEdit* tbPersoncount = nullptr;
    QLineEdit* tbBuchungInfo = nullptr;
    QLabel* lbColor = nullptr;
    std::array<QPushButton*, 2> btnStartDateStep{};
    std::array<QPushButton*, 2> btnEndDateStep{};
    std::array<QPushButton*, 2> btnPersoncountStep{};
    std::array<QPushButton*, 2> cmdSave{};           // 0 keeps the window open, 1 closes it
    QPushButton* btnNeu = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnUndo = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* btnBackHistory = nullptr;
    QPushButton* btnPatient = nullptr;
    QPushButton* cmdShowPat = nullptr;
    QPushButton* btnPatDel = nullptr;
    QPushButton* cmdInvoice = nullptr;
    QPushButton* cmdShowRoomImage = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnOutputWordDoc = nullptr;         // the confirmation letter
    QPushButton* cmdBookingConfirmation = nullptr;   // the confirmation letter

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class ListHost : public BookingListHost {
    public:
        explicit ListHost(frmBuchungen& window) : m_window(window) {}
        void ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange) override;
        void SetCaption(const QString& caption) override;
        void RemoveFromList(qint32 bookId) override;
        void SelectBookingInList(qint32 bookId) override;
        void ChooseGuest() override;

    private:
        frmBuchungen& m_window;
    };

    frmBuchungen();
    void buildWindow();
    void buildList(QWidget* parent);
    void buildEditor(QWidget* parent);
    void connectHandlers();
    void Form_Load();
    void showWindow();

    // Runs an editor action as a handler: the typed texts first, the fields after.
    void editorAction(const QString& name, const std::function<void()>& action);
    void readFields();
    void showFields();
    void fillRoomCombo();
    void commitPendingEdit();

    // The list (frmBuchungen_list.cpp).
    int fillList(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange);
    void selectRow(int row);
    void SelectBookingInList(qint32 bookId);
    void RemoveFromList(qint32 bookId);
    void ListView1_ItemClick(int row);
    void optListRange_Click();
    void btnRefresh_Click();
    void cmdListBookingsPerson_Click();
    void cmdListBookingsRoom_Click();

    // The editor (frmBuchungen_editor.cpp).
    void cmdSave_Click(int index);
    void cmdCancel_Click();
    void btnNeu_Click();
    void btnUndo_Click();
    void btnDelete_Click();
    void btnBackHistory_Click();
    void btnPatient_Click();
    void cmdShowPat_Click();
    void btnPatDel_Click();
    void listRooms_Click(int index);
    void lbColor_MouseDown();
    void btnStartDateStep_Click(int index);
    void btnEndDateStep_Click(int index);
    void btnPersoncountStep_Click(int index);
    void tbPersoncount_Change();
    // True when it put a date into the empty box.
    bool tbBuchungDatum_GotFocus(int index);
    void tbBuchungDatum_DblClick(int index);
    void tbBuchungDatum_LostFocus(int index);
    void cmdInvoice_Click();
    void cmdShowRoomImage_Click();
    void btnHelp_Click();

    // The confirmation letter and the printed list (frmBuchungen_print.cpp).
    void connectPrintHandlers();
    void btnOutputWordDoc_Click();
    void cmdPrintList_Click();

    ListHost m_host{*this};
    BookingEditor m_editor{m_host};
    // Asked when the program is to end; a window closed by the user has
    // given up what it showed, as it always does.
    UnsavedEditRegistration m_unsavedBooking{[this] {
        if (!isVisible())
            return QString();
        readFields();
        return m_editor.UnsavedEdit();
    }, this};
    BookingListModel* m_model = nullptr;
    int m_comboVersion = -1;
    int m_pickerBox = 0;           // the date box that opened the date picker
    bool m_inAction = false;       // an editor action runs (a message box may move the focus)
    std::array<bool, 2> m_selectOnRelease{};  // a click that put a date into the empty box is not over yet
};
