#pragma once

#include "bookings/addresslistmodel.h"
#include "bookings/addressrecord.h"
#include "core/singlewindow.h"
#include "core/startup.h"

#include <QPointer>
#include <QWidget>

#include <array>

class AddressReceiver;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

// The guest and customer address book. It stays loaded once used: closing
// only hides it, unless Closing is set.
class frmAdressen : public QWidget, public SingleWindow<frmAdressen> {
    Q_OBJECT
    friend class SingleWindow<frmAdressen>;

public:
    // Shows the book on a customer (below 0: a new address; 0: as it was).
    // caller takes the chosen guest back; null: the booking window does.
    static void ShowAdresse(qint32 custId, AddressReceiver* caller);
    // Unloads the book for good, if it is loaded (the program sets Closing).
    static void unloadForGood();
    ~frmAdressen() override;

    const AddressState& state() const { return m_state; }
    AddressListModel& resultList() { return m_list; }

    QLineEdit* tbSuche = nullptr;
    QPushButton* btnSearch = nullptr;
    QComboBox* listCategoriesFilter = nullptr;
    std::array<QPushButton*, 26> cmdAlphabeticRegister{};
    QTableView* ListView1 = nullptr;
    QCheckBox* chkKeepAdrList = nullptr;
    QPushButton* btnListView = nullptr;
    std::array<QPushButton*, 2> btnPassData{};
    QPushButton* btnNeu = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* btnUndo = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnBackHistory = nullptr;
    QPushButton* btnCopyToClipboard = nullptr;
    QPushButton* btnTerminliste = nullptr;
    QPushButton* cmdInvoice = nullptr;
    QPushButton* btnHelp = nullptr;
    QLabel* IndexDisplay = nullptr;
    QLabel* lbPat_id = nullptr;
    QTabWidget* SSTab1 = nullptr;
    // The single-line fields by their number (see entry::); the notes field
    // (9) is tbNotes.
    std::array<QLineEdit*, entry::Count> tbEntry{};
    QPlainTextEdit* tbNotes = nullptr;
    std::array<QLabel*, 22> lblAdr{};
    QGroupBox* frameAnrede = nullptr;
    std::array<QRadioButton*, 4> optAnrede{};
    QLabel* imgOrtZweifel = nullptr;
    std::array<QCheckBox*, 5> checkTyp{};   // only 4: caution
    QComboBox* listCategories = nullptr;
    QPushButton* cmdEditCategories = nullptr;

public slots:
    void btnSearch_Click();
    void btnPassData_Click();
    void btnNeu_Click();
    void btnListView_Click();
    void btnBackHistory_Click();
    void btnHelp_Click();
    void cmdSave_Click();
    void btnDelete_Click();
    void btnUndo_Click();
    void btnCopyToClipboard_Click();
    void btnTerminliste_Click();
    void cmdInvoice_Click();
    void cmdEditCategories_Click();
    void chkKeepAdrList_Click();
    void listCategoriesFilter_Click();
    void cmdAlphabeticRegister_Click(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmAdressen();
    void buildWindow();
    QWidget* buildSearchPane();
    QWidget* buildRecordPane();
    void Form_Load();
    void connectControls();

    // Search and list (frmAdressen_search.cpp).
    void SearchAddresses(const QString& text);
    int ShowSimilarRecordsX(const CustomerFilter& condition, bool selectAfterFill);
    void SelectListItemById(qint32 custId);
    // The address just saved becomes the list's selected line.
    void SelectSavedAddress();
    void ListView1_ItemClick(int row);
    void ListView1_DblClick();
    void ListView1_ColumnClick(int column);
    void LoadAddressIfOther(qint32 custId);
    void FillCategoryLists();
    AddressReceiver* takeReceiver();

    // The record (frmAdressen_record.cpp).
    AddressFields readFields() const;
    QString unsavedAddress() const;
    void showFields(const AddressFields& fields);
    QString entryText(int index) const;
    void setEntryText(int index, const QString& text);
    bool LoadAddress(qint32 custId);
    void NewAddress();
    void ClearAddressFields();
    AddressRecord::SaveResult SaveAddress(const QString& failureNote = {});
    void showSaved();
    void showRefusedBirthday();
    bool AskSaveChangedAddress();
    void ShowLastNameRequired();
    void SetSalutation(int sex);
    void SetNameFieldsColor(bool caution);
    void showIndex();
    void commitPendingEdit();
    void tbEntry_Change();
    void tbEntry_LostFocus(int index);
    void tbEntry_GotFocus(int index);
    void optAnrede_Click(int index);
    void checkTyp_Click(int index);
    void listCategories_Click();
    void imgOrtZweifel_Click();
    void SSTab1_Click(int tab);
    void showTab(int tab);
    void hideWindow();

    AddressState m_state;
    AddressRecord m_record{m_state};
    // Asked when the program is to end.
    UnsavedEditRegistration m_unsavedAddress{[this] { return unsavedAddress(); }, this};
    AddressListModel m_list;
    // The window that asked for the guest, watched when it is a QObject so a
    // window closed meanwhile is never called.
    QPointer<QObject> m_callerObject;
    bool m_callerWatched = false;
    int m_clickedPosition = 0;     // 1-based line last clicked; 0 before any
    bool m_columnsSized = false;
    bool m_listSorted = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
