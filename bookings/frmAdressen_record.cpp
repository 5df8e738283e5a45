// The address book's record: fields, entry rules, save, delete and undo.
#include "bookings/frmAdressen.h"

#include "core/address.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

QString frmAdressen::entryText(int index) const
{
    if (index == entry::Notes)
        return tbNotes->toPlainText();
    const QLineEdit* field = tbEntry[static_cast<size_t>(index)];
    return field ? field->text() : QString();
}

void frmAdressen::setEntryText(int index, const QString& text)
{
    if (entryText(index) == text)
        return;
    if (index == entry::Notes)
        tbNotes->setPlainText(text);
    else if (QLineEdit* field = tbEntry[static_cast<size_t>(index)])
        field->setText(text);
}

AddressFields frmAdressen::readFields() const
{
    AddressFields f;
    for (int i = 0; i < entry::Count; ++i)
        f.text[static_cast<size_t>(i)] = entryText(i);
    f.salutation = m_state.Salutation;
    f.caution = checkTyp[4]->isChecked();
    if (listCategories->currentIndex() >= 0)
        f.category = listCategories->currentData().toInt();
    return f;
}

void frmAdressen::showFields(const AddressFields& f)
{
    FillingListsGuard filling;
    for (int i = 0; i < entry::Count; ++i)
        setEntryText(i, f.text[static_cast<size_t>(i)]);
    SetSalutation(f.salutation);
    checkTyp[4]->setChecked(f.caution);
    SetNameFieldsColor(f.caution);
    SelectListItemByItemData(listCategories, f.category.value_or(0), -1);
}

void frmAdressen::showIndex()
{
    const qint32 id = m_state.CurrentCustomerId;
    IndexDisplay->setText(id > 0 ? QString::number(id) : QStringLiteral("* ") + GetResString(308));
    const qint32 ext = id > 0 ? m_state.Stored.cust_ext_id : 0;
    lbPat_id->setText(ext > 0 ? QString::number(ext) : QString());
}

bool frmAdressen::LoadAddress(qint32 custId)
{
    if (custId < 1)
        return false;
    imgOrtZweifel->hide();
    const std::optional<AddressFields> fields = m_record.load(custId);
    if (!fields)
        return false;
    showFields(*fields);
    m_record.shown(readFields());
    showIndex();
    showTab(0);
    return true;
}

void frmAdressen::NewAddress()
{
    m_record.startNew();
    ClearAddressFields();
    tbEntry[entry::LastName]->setFocus();
}

void frmAdressen::ClearAddressFields()
{
    {
        FillingListsGuard filling;
        ClearTextBoxes(this);
        // A new address starts without the category of the one shown before.
        listCategories->setCurrentIndex(-1);
        checkTyp[4]->setChecked(false);
    }
    m_state.Salutation = 0;
    SetSalutation(0);
    SetNameFieldsColor(false);
    imgOrtZweifel->hide();
    showIndex();
    m_state.Changed = false;
}

AddressRecord::SaveResult frmAdressen::SaveAddress(const QString& failureNote)
{
    const AddressRecord::SaveResult result = m_record.save(readFields(), failureNote);
    if (result == AddressRecord::SaveResult::Written)
        showSaved();
    showRefusedBirthday();
    return result;
}

void frmAdressen::showRefusedBirthday()
{
    if (!m_record.takeBirthdayRefused())
        return;
    // The birthday as typed, ready to be completed.
    showTab(0);
    QLineEdit* field = tbEntry[entry::Birthday];
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void frmAdressen::showSaved()
{
    // What another workstation stored meanwhile is shown, so the next save
    // compares with what this one wrote.
    if (m_record.savedMerged())
        showFields(FieldsOfCustomer(m_state.Stored));
    m_record.shown(readFields());
    showIndex();
}

QString frmAdressen::unsavedAddress() const
{
    const AddressFields fields = readFields();
    if (!m_state.Changed || IsAddressEmpty(fields))
        return QString();
    QString name = FullName(fields);
    if (name.isEmpty())
        name = rt::trim(fields.text[entry::Company]);
    const QString which = m_state.CurrentCustomerId < 1 ? QStringLiteral("Adressbuch: eine neue Adresse")
                                                        : QStringLiteral("Adressbuch: Änderungen an der Adresse");
    return name.isEmpty() ? which : which + QStringLiteral(" \"") + name + QStringLiteral("\"");
}

bool frmAdressen::AskSaveChangedAddress()
{
    const AddressRecord::AskResult asked = m_record.askSaveChanged(readFields());
    showRefusedBirthday();
    switch (asked) {
    case AddressRecord::AskResult::Failed:
    case AddressRecord::AskResult::Back:
        return false;
    case AddressRecord::AskResult::Saved:
        showSaved();
        ShowSimilarRecordsX(m_state.LastSearch, false);
        return true;
    default:
        return true;
    }
}

void frmAdressen::ShowLastNameRequired()
{
    showTab(0);
    tbEntry[entry::LastName]->setFocus();
    ui::msgBox(NewPersonRequiredText(), ui::Critical,
               GetResString(1343, {{QStringLiteral("%s"), TermPersonSingular}}));
}

void frmAdressen::SetSalutation(int sex)
{
    if (sex >= 0 && sex < static_cast<int>(optAnrede.size())) {
        FillingListsGuard filling;
        optAnrede[static_cast<size_t>(sex)]->setChecked(true);
    }
    frameAnrede->setVisible(!rt::trim(entryText(entry::LastName) + entryText(entry::FirstName)).isEmpty());
}

void frmAdressen::SetNameFieldsColor(bool caution)
{
    for (int i : {entry::LastName, entry::FirstName, entry::Company}) {
        QLineEdit* field = tbEntry[static_cast<size_t>(i)];
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, caution ? QColor(255, 0, 0) : QApplication::palette().color(QPalette::Base));
        field->setPalette(palette);
    }
}

void frmAdressen::commitPendingEdit()
{
    QWidget* focus = focusWidget();
    if (!focus)
        return;
    if (focus == tbNotes) {
        tbEntry_LostFocus(entry::Notes);
        return;
    }
    for (size_t i = 0; i < tbEntry.size(); ++i) {
        if (focus == tbEntry[i]) {
            tbEntry_LostFocus(static_cast<int>(i));
            return;
        }
    }
}

void frmAdressen::tbEntry_Change()
{
    if (!FillingLists)
        m_state.Changed = true;
}

void frmAdressen::tbEntry_LostFocus(int index)
{
    if (FillingLists)
        return;
    RunHandler(QStringLiteral("tbEntry_LostFocus"), [this, index] {
        setEntryText(index, NormalizeEntry(index, entryText(index), rt::Date::today()));
        if (index == entry::LastName) {
            SetSalutation(-1);
        } else if (index == entry::FirstName) {
            if (optAnrede[0]->isChecked()) {
                m_state.Salutation = GuessSexFromFirstName(entryText(entry::FirstName));
                SetSalutation(m_state.Salutation);
            } else {
                SetSalutation(-1);
            }
        } else {
            return;
        }
        if (m_record.CheckDuplicateAddress(readFields())) {
            showIndex();
            // A new guest its store refused stays on screen: no namesake is opened over it.
            ShowSimilarRecordsX(m_state.LastSearch, m_state.CurrentCustomerId > 0);
            showRefusedBirthday();
        }
    });
}

void frmAdressen::tbEntry_GotFocus(int index)
{
    if (FillingLists || index != entry::City)
        return;
    const QString zip = rt::trim(entryText(entry::Zip));
    if (zip.isEmpty() || !rt::trim(entryText(entry::City)).isEmpty())
        return;
    RunHandler(QStringLiteral("tbEntry_GotFocus"), [this, &zip] {
        const CityGuess guess = GuessCityFromZip(zip);
        setEntryText(entry::City, guess.city);
        imgOrtZweifel->setVisible(guess.doubtful);
    });
}

void frmAdressen::optAnrede_Click(int index)
{
    if (FillingLists)
        return;
    m_state.Salutation = index;
    m_state.Changed = true;
    m_record.edited(edit::Salutation);
}

void frmAdressen::checkTyp_Click(int index)
{
    if (index != 4)
        return;
    SetNameFieldsColor(checkTyp[4]->isChecked());
    if (FillingLists)
        return;
    m_state.Changed = true;
    m_record.edited(edit::Caution);
}

void frmAdressen::listCategories_Click()
{
    if (FillingLists)
        return;
    m_state.Changed = true;
    m_record.edited(edit::Category);
}

void frmAdressen::imgOrtZweifel_Click()
{
    ui::msgBox(imgOrtZweifel->toolTip(), ui::Information, QStringLiteral("Ortsangabe prüfen"));
}

void frmAdressen::btnNeu_Click()
{
    if (RefuseReadOnly(ui::Critical))
        return;
    RunHandler(QStringLiteral("btnNeu_Click"), [this] {
        commitPendingEdit();
        if (AskSaveChangedAddress())
            NewAddress();
    });
}

void frmAdressen::cmdSave_Click()
{
    if (RefuseReadOnly(ui::Critical))
        return;
    RunHandler(QStringLiteral("cmdSave_Click"), [this] {
        commitPendingEdit();
        if (IsAddressEmpty(readFields())) {
            ShowLastNameRequired();
            return;
        }
        if (SaveAddress() == AddressRecord::SaveResult::Failed)
            return;
        ShowSimilarRecordsX(m_state.LastSearch, false);
        SelectSavedAddress();
    });
}

void frmAdressen::btnDelete_Click()
{
    RunHandler(QStringLiteral("btnDelete_Click"), [this] {
        const qint32 id = m_state.CurrentCustomerId;
        if (!m_record.deleteAsked(readFields()))
            return;
        {
            FillingListsGuard filling;
            m_list.removeCustomer(id);
        }
        ClearAddressFields();
    });
}

void frmAdressen::btnUndo_Click()
{
    RunHandler(QStringLiteral("btnUndo_Click"), [this] {
        if (m_state.CurrentCustomerId < 1)
            ClearAddressFields();
        else
            LoadAddress(m_state.CurrentCustomerId);
    });
}

void frmAdressen::btnCopyToClipboard_Click()
{
    if (IsAddressEmpty(readFields()) || m_state.CurrentCustomerId < 1)
        return;
    RunHandler(QStringLiteral("btnCopyToClipboard_Click"), [this] {
        CustomerAddress address;
        QString block = GetCustomerAddress(0, address, QStringLiteral("tbl_customers"), m_state.CurrentCustomerId);
        QApplication::clipboard()->setText(block.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    });
}

void frmAdressen::btnTerminliste_Click()
{
    RunHandler(QStringLiteral("btnTerminliste_Click"), [this] {
        const AddressFields fields = readFields();
        if (IsAddressEmpty(fields)) {
            ShowLastNameRequired();
            return;
        }
        const qint32 id = m_state.CurrentCustomerId;
        const QString first = fields.text[entry::FirstName];
        const QString last = fields.text[entry::LastName];
        if (id >= 1 && ReferencesOfCustomer(id).bookings >= 1) {
            SetBookingsCaption(QStringLiteral("Reservierungen für ") + first + QLatin1Char(' ') + last);
            ShowBookings(QStringLiteral("book_customer_id = ") + QString::number(id), -1, -1, true, 1);
            return;
        }
        showTab(0);
        tbEntry[entry::LastName]->setFocus();
        const QString title = GetResString(293) + QLatin1Char(' ') + GetResString(294) + QLatin1Char(' ') + first
                              + QLatin1Char(' ') + last;
        if (ui::msgBox(GetResString(1351, {{QStringLiteral("%s"), first + QLatin1Char(' ') + last}}),
                       ui::OkCancel | ui::Question, title)
            == ui::Answer::Ok)
            btnPassData_Click();
    });
}
