#include "bookings/frmBuchungen.h"

#include "bookings/bookinglist.h"
#include "core/conflicts.h"
#include "core/dialogs/imageviewer.h"
#include "core/files.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/terms.h"
#include "core/windows.h"
#include "platform/ui/helpkey.h"

#include <QComboBox>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

void frmBuchungen::connectHandlers()
{
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { ListView1_ItemClick(current.row()); });
    connect(ListView1, &QTableView::clicked, this, [this](const QModelIndex& index) { ListView1_ItemClick(index.row()); });
    for (QRadioButton* option : optListRange)
        connect(option, &QRadioButton::clicked, this, &frmBuchungen::optListRange_Click);
    connect(btnRefresh, &QPushButton::clicked, this, &frmBuchungen::btnRefresh_Click);
    connect(cmdListBookingsPerson, &QPushButton::clicked, this, &frmBuchungen::cmdListBookingsPerson_Click);
    connect(cmdListBookingsRoom, &QPushButton::clicked, this, &frmBuchungen::cmdListBookingsRoom_Click);

    for (int i = 0; i < 2; ++i) {
        const size_t n = static_cast<size_t>(i);
        connect(cmdSave[n], &QPushButton::clicked, this, [this, i] { cmdSave_Click(i); });
        connect(btnStartDateStep[n], &QPushButton::clicked, this, [this, i] { btnStartDateStep_Click(i); });
        connect(btnEndDateStep[n], &QPushButton::clicked, this, [this, i] { btnEndDateStep_Click(i); });
        connect(btnPersoncountStep[n], &QPushButton::clicked, this, [this, i] { btnPersoncountStep_Click(i); });
        connect(tbBuchungDatum[n], &QLineEdit::editingFinished, this, [this, i] { tbBuchungDatum_LostFocus(i); });
        tbBuchungDatum[n]->installEventFilter(this);
    }
    connect(cmdCancel, &QPushButton::clicked, this, &frmBuchungen::cmdCancel_Click);
    connect(btnNeu, &QPushButton::clicked, this, &frmBuchungen::btnNeu_Click);
    connect(btnUndo, &QPushButton::clicked, this, &frmBuchungen::btnUndo_Click);
    connect(btnDelete, &QPushButton::clicked, this, &frmBuchungen::btnDelete_Click);
    connect(btnBackHistory, &QPushButton::clicked, this, &frmBuchungen::btnBackHistory_Click);
    connect(btnPatient, &QPushButton::clicked, this, &frmBuchungen::btnPatient_Click);
    connect(cmdShowPat, &QPushButton::clicked, this, &frmBuchungen::cmdShowPat_Click);
    connect(btnPatDel, &QPushButton::clicked, this, &frmBuchungen::btnPatDel_Click);
    connect(listRooms, &QComboBox::activated, this, &frmBuchungen::listRooms_Click);
    connect(tbPersoncount, &QLineEdit::editingFinished, this, &frmBuchungen::tbPersoncount_Change);
    connect(tbPersoncount, &QLineEdit::textEdited, this, [this] { m_editor.PersonCountEdited(); });
    connect(cmdInvoice, &QPushButton::clicked, this, &frmBuchungen::cmdInvoice_Click);
    connect(cmdShowRoomImage, &QPushButton::clicked, this, &frmBuchungen::cmdShowRoomImage_Click);
    connect(btnHelp, &QPushButton::clicked, this, &frmBuchungen::btnHelp_Click);
    ui::BindHelpKey(this, btnHelp);
    tbBewohner->installEventFilter(this);
    lbColor->installEventFilter(this);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

bool frmBuchungen::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == tbBewohner && type == QEvent::MouseButtonRelease) {
        cmdShowPat_Click();
        return true;
    }
    if (watched == lbColor && type == QEvent::MouseButtonPress) {
        lbColor_MouseDown();
        return true;
    }
    for (int i = 0; i < 2; ++i) {
        if (watched != tbBuchungDatum[static_cast<size_t>(i)])
            continue;
        if (type == QEvent::FocusIn) {
            // A click places the cursor after the focus came: the date put in
            // is selected again once the click is over.
            m_selectOnRelease[static_cast<size_t>(i)] =
                tbBuchungDatum_GotFocus(i) && static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
        } else if (type == QEvent::FocusOut) {
            m_selectOnRelease[static_cast<size_t>(i)] = false;
        } else if (type == QEvent::MouseButtonRelease && m_selectOnRelease[static_cast<size_t>(i)]) {
            m_selectOnRelease[static_cast<size_t>(i)] = false;
            QLineEdit* box = tbBuchungDatum[static_cast<size_t>(i)];
            // After the line edit's own handling of the release.
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        } else if (type == QEvent::MouseButtonDblClick
                 || (type == QEvent::KeyPress && IsDatePickerKey(static_cast<QKeyEvent*>(event)))) {
            tbBuchungDatum_DblClick(i);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmBuchungen::editorAction(const QString& name, const std::function<void()>& action)
{
    const bool nested = m_inAction;
    m_inAction = true;
    RunHandler(name, [&] {
        readFields();
        action();
    });
    m_inAction = nested;
    // Whatever ran up to an error is shown as it stands.
    showFields();
}

void frmBuchungen::readFields()
{
    BookingEditorFields& f = m_editor.fields();
    for (size_t i = 0; i < 2; ++i)
        f.tbBuchungDatum[i] = tbBuchungDatum[i]->text();
    f.tbPersoncount = BookingEditor::NormalizedPersonCount(tbPersoncount->text());
    f.tbBuchungInfo = tbBuchungInfo->text();
}

void frmBuchungen::fillRoomCombo()
{
    FillingListsGuard filling;
    listRooms->clear();
    for (const PlaceListEntry& entry : m_editor.places())
        listRooms->addItem(entry.text, entry.pl_id);
    m_comboVersion = m_editor.placesVersion();
}

void frmBuchungen::showFields()
{
    if (m_comboVersion != m_editor.placesVersion())
        fillRoomCombo();
    FillingListsGuard filling;
    const BookingEditorFields& f = m_editor.fields();
    const BookingEditorState& s = m_editor.state();
    lblBooking_id->setText(f.lblBooking_id);
    lblEditDateTime->setText(f.lblEditDateTime);
    lblBearbeiter->setText(f.lblBearbeiter);
    lblInvoice_id->setText(QString::number(f.lblInvoice_id));
    lbBookingStatus->setText(f.lbBookingStatus);
    lblCustomer_id->setText(s.CurrentCustomerId > 0 ? QStringLiteral("Kunde Nr. ") + QString::number(s.CurrentCustomerId)
                                                    : QString());
    SelectListItemByItemData(listRooms, f.listRooms, -1);
    tbBewohner->setText(f.tbBewohner);
    SetBackColor(tbBewohner, f.tbBewohnerColor);
    for (size_t i = 0; i < 2; ++i) {
        if (tbBuchungDatum[i]->text() != f.tbBuchungDatum[i])
            tbBuchungDatum[i]->setText(f.tbBuchungDatum[i]);
        SetBackColor(tbBuchungDatum[i], f.tbBuchungDatumColor[i]);
    }
    tbPersoncount->setText(f.tbPersoncount);
    tbBuchungInfo->setText(f.tbBuchungInfo);
    ShowColorField(lbColor, s.BookingColorIndex);
}

void frmBuchungen::CreateNewBooking(qint32 placeId, qint32 /*unused*/, const QString& startText, const QString& endText)
{
    if (placeId <= 0)
        return;
    showWindow();
    editorAction(QStringLiteral("CreateNewBooking"),
                 [&] { m_editor.CreateNewBooking(placeId, startText, endText); });
}

void frmBuchungen::AddMainAdress(qint32 custId, const QString& name)
{
    if (custId < 0)
        return;
    showWindow();
    editorAction(QStringLiteral("AddMainAdress"), [&] { m_editor.AddMainAdress(custId, name); });
}

void frmBuchungen::Receive_SelectedColor(qint32 index)
{
    editorAction(QStringLiteral("Receive_SelectedColor"), [&] { m_editor.Receive_SelectedColor(index); });
}

void frmBuchungen::Receive_SelectedDate(const rt::Date& date)
{
    editorAction(QStringLiteral("Receive_SelectedDate"), [&] { m_editor.SetPickedDate(m_pickerBox, date); });
}

void frmBuchungen::cmdSave_Click(int index)
{
    bool saved = false;
    editorAction(QStringLiteral("cmdSave_Click"), [&] { saved = m_editor.SaveBooking(); });
    if (saved && index > 0)
        close();
}

void frmBuchungen::cmdCancel_Click()
{
    close();
}

void frmBuchungen::btnNeu_Click()
{
    editorAction(QStringLiteral("btnNeu_Click"), [this] { m_editor.NewBooking(); });
}

void frmBuchungen::btnUndo_Click()
{
    editorAction(QStringLiteral("btnUndo_Click"), [this] { m_editor.Undo(); });
}

void frmBuchungen::btnDelete_Click()
{
    editorAction(QStringLiteral("btnDelete_Click"), [this] { m_editor.DeleteBooking(); });
}

void frmBuchungen::btnBackHistory_Click()
{
    editorAction(QStringLiteral("btnBackHistory_Click"), [this] { m_editor.BackHistory(); });
}

void frmBuchungen::btnPatient_Click()
{
    ShowAdresse(m_editor.state().CurrentCustomerId, this);
}

void frmBuchungen::cmdShowPat_Click()
{
    ShowAdresse(m_editor.GuestForAddressBook(), this);
}

void frmBuchungen::btnPatDel_Click()
{
    editorAction(QStringLiteral("btnPatDel_Click"), [this] { m_editor.RemoveGuest(); });
}

void frmBuchungen::listRooms_Click(int index)
{
    if (FillingLists || index < 0)
        return;
    const qint32 placeId = listRooms->itemData(index).toInt();
    editorAction(QStringLiteral("listRooms_Click"), [this, placeId] { m_editor.PlaceChosen(placeId); });
}

void frmBuchungen::lbColor_MouseDown()
{
    qint32 x = 0;
    qint32 y = 0;
    GetControlScreenPos(lbColor, x, y);
    frmColorSelector::instance().ShowColor(this, x, y);
}

void frmBuchungen::btnStartDateStep_Click(int index)
{
    editorAction(QStringLiteral("btnStartDateStep_Click"), [this, index] { m_editor.StepBookingDate(0, 2 * index - 1); });
}

void frmBuchungen::btnEndDateStep_Click(int index)
{
    editorAction(QStringLiteral("btnEndDateStep_Click"), [this, index] { m_editor.StepBookingDate(1, 2 * index - 1); });
}

void frmBuchungen::btnPersoncountStep_Click(int index)
{
    editorAction(QStringLiteral("btnPersoncountStep_Click"), [this, index] { m_editor.PersonCountStep(index); });
}

void frmBuchungen::tbPersoncount_Change()
{
    const QString normalized = BookingEditor::NormalizedPersonCount(tbPersoncount->text());
    if (tbPersoncount->text() != normalized)
        tbPersoncount->setText(normalized);
}

bool frmBuchungen::tbBuchungDatum_GotFocus(int index)
{
    QLineEdit* box = tbBuchungDatum[static_cast<size_t>(index)];
    if (FillingLists || m_inAction || !box->text().isEmpty())
        return false;
    editorAction(QStringLiteral("tbBuchungDatum_GotFocus"), [this, index] { m_editor.DateBoxEntered(index); });
    // What the user types next replaces the date put in.
    box->selectAll();
    return !box->text().isEmpty();
}

void frmBuchungen::tbBuchungDatum_DblClick(int index)
{
    m_pickerBox = index;
    readFields();
    frmCalendar::instance().ShowDate(m_editor.PickerStartDate(index), this, tbBuchungDatum[index]);
}

void frmBuchungen::tbBuchungDatum_LostFocus(int index)
{
    // A box left for a message box of a running action is checked by that action.
    if (FillingLists || m_inAction)
        return;
    editorAction(QStringLiteral("tbBuchungDatum_LostFocus"), [this, index] { m_editor.BookingDateChanged(index); });
}

void frmBuchungen::cmdInvoice_Click()
{
    editorAction(QStringLiteral("cmdInvoice_Click"), [this] { m_editor.OpenInvoice(); });
}

void frmBuchungen::cmdShowRoomImage_Click()
{
    const QString name = listRooms->currentText();
    if (name.isEmpty())
        return;
    RunHandler(QStringLiteral("cmdShowRoomImage_Click"),
               [&] { frmImage::ShowImage(GetPlaceImageFile(m_editor.state().CurrentPlaceId), name); });
}

void frmBuchungen::btnHelp_Click()
{
    OpenFileWithShell(AppPath + QStringLiteral("help.pdf"));
}
