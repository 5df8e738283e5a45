// The address book's search, result list and hand-over.
#include "bookings/frmAdressen.h"

#include "bookings/addresssearch.h"
#include "bookings/frmBuchungen.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

// The column the last header click sorted ascending; kept for the whole run.
int LastSortColumn = -1;

// The booking window takes the guest when no window asked for one.
AddressReceiver* bookingWindowReceiver()
{
    return &frmBuchungen::instance();
}

}  // namespace

void frmAdressen::btnSearch_Click()
{
    tbSuche->setText(rt::trim(tbSuche->text()));
    if (tbSuche->text().isEmpty()) {
        tbSuche->setFocus();
        ui::msgBox(GetResString(1350), ui::Information, TermPersonPlural + QStringLiteral("-Suche"));
        return;
    }
    SearchAddresses(tbSuche->text());
}

void frmAdressen::cmdAlphabeticRegister_Click(int index)
{
    const QString letter = cmdAlphabeticRegister[static_cast<size_t>(index)]->text();
    tbSuche->setText(letter);
    SearchAddresses(letter);
}

void frmAdressen::listCategoriesFilter_Click()
{
    if (FillingLists || listCategoriesFilter->currentIndex() < 0)
        return;
    if (listCategoriesFilter->currentData().toInt() < 0 && rt::trim(tbSuche->text()).isEmpty()) {
        m_list.clear();
        return;
    }
    btnSearch_Click();
}

void frmAdressen::SearchAddresses(const QString& text)
{
    const int index = listCategoriesFilter->currentIndex();
    const qint32 category = index >= 0 ? listCategoriesFilter->itemData(index).toInt() : -1;
    const AddressSearch search = ParseAddressSearch(text, category);
    switch (search.action) {
    case AddressSearch::Action::None:
        return;
    case AddressSearch::Action::ClearBox:
        tbSuche->clear();
        tbSuche->setFocus();
        return;
    case AddressSearch::Action::Search:
        tbSuche->setText(search.boxText);
        m_state.LastSearch = search.filter;
        ShowSimilarRecordsX(search.filter, true);
        return;
    }
}

int frmAdressen::ShowSimilarRecordsX(const CustomerFilter& condition, bool selectAfterFill)
{
    if (condition.isEmpty())
        return 0;
    const QString searchTitle = QStringLiteral("Error in your search term");
    // The list keeps what it showed.
    if (const QString fault = CustomerSearchFault(condition); !fault.isEmpty()) {
        ui::msgBox(fault + QStringLiteral("\n\n") + CustomerSearchText(condition), ui::Critical, searchTitle);
        return 0;
    }
    std::vector<CustomerListRow> rows;
    {
        ui::WaitCursor wait;
        try {
            rows = FindCustomers(condition);
        } catch (const db::DbError& error) {
            ui::msgBox(error.description() + QStringLiteral("\n\n") + CustomerSearchText(condition), ui::Critical,
                       searchTitle);
            return 0;
        }
    }
    const int count = static_cast<int>(rows.size());
    {
        FillingListsGuard filling;
        m_list.setRows(std::move(rows), GetResString(1352));
        if (m_listSorted)
            m_list.sort(m_sortColumn, m_sortOrder);
    }
    if (count > 0 && selectAfterFill) {
        const int row = std::max(0, m_list.rowOf(m_state.CurrentCustomerId));
        {
            FillingListsGuard filling;
            ListView1->setCurrentIndex(m_list.index(row, 0));
        }
        ListView1->scrollTo(m_list.index(row, 0));
        ListView1->setFocus();
        ListView1_ItemClick(row);
    }
    return count;
}

void frmAdressen::SelectListItemById(qint32 custId)
{
    if (m_list.rowCount() == 0)
        return;
    FillingListsGuard filling;
    ui::WaitCursor wait;
    const int row = custId == -1 ? -1 : m_list.rowOf(custId);
    if (row < 0) {
        ListView1->clearSelection();
        ListView1->setCurrentIndex(QModelIndex());
        return;
    }
    ListView1->setCurrentIndex(m_list.index(row, 0));
    ListView1->scrollTo(m_list.index(row, 0));
    ListView1->setFocus();
}

void frmAdressen::SelectSavedAddress()
{
    const qint32 id = m_state.CurrentCustomerId;
    if (id < 1)
        return;
    if (m_list.rowOf(id) < 0) {
        // A list that does not hold it lists what its name starts with, as
        // the search box would.
        const AddressFields fields = readFields();
        CustomerFilter filter;
        filter.kind = CustomerFilter::Kind::Prefix;
        filter.text = rt::trim(fields.text[entry::LastName]);
        if (filter.text.isEmpty())
            filter.text = rt::trim(fields.text[entry::Company]);
        if (filter.text.isEmpty()) {
            filter.kind = CustomerFilter::Kind::Pattern;
            filter.text = rt::trim(fields.text[entry::FirstName]);
        }
        tbSuche->setText(filter.text);
        m_state.LastSearch = filter;
        ShowSimilarRecordsX(filter, false);
    }
    SelectListItemById(id);
}

void frmAdressen::ListView1_ItemClick(int row)
{
    if (FillingLists)
        return;
    m_clickedPosition = row + 1;
    LoadAddressIfOther(m_list.idAt(row));
}

void frmAdressen::LoadAddressIfOther(qint32 custId)
{
    if (custId == m_state.CurrentCustomerId || custId < 1)
        return;
    RunHandler(QStringLiteral("LoadAddressIfOther"), [this, custId] {
        // Edits that could not be stored keep their address on screen.
        if (!AskSaveChangedAddress() || !LoadAddress(custId))
            SelectListItemById(m_state.CurrentCustomerId);
        else
            SelectListItemById(custId);
    });
}

void frmAdressen::ListView1_DblClick()
{
    const QModelIndex current = ListView1->currentIndex();
    if (m_clickedPosition >= 1 && current.isValid() && m_list.idAt(current.row()) > 0)
        btnPassData_Click();
}

void frmAdressen::ListView1_ColumnClick(int column)
{
    if (!m_listSorted) {
        m_listSorted = true;
    } else if (column != LastSortColumn) {
        m_sortOrder = Qt::AscendingOrder;
        LastSortColumn = column;
    } else {
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    m_sortColumn = column;
    FillingListsGuard filling;
    m_list.sort(column, m_sortOrder);
    ListView1->horizontalHeader()->setSortIndicatorShown(true);
    ListView1->horizontalHeader()->setSortIndicator(column, m_sortOrder);
}

void frmAdressen::btnListView_Click()
{
    RunHandler(QStringLiteral("btnListView_Click"), [this] {
        commitPendingEdit();
        const AddressFields fields = readFields();
        if (IsAddressEmpty(fields)) {
            // An address whose names were all blanked goes, unless something names it.
            if (m_record.deleteIfUnreferenced())
                ClearAddressFields();
        } else if (SaveAddress() == AddressRecord::SaveResult::Failed) {
            return;
        }
        ShowSimilarRecordsX(m_state.LastSearch, true);
    });
}

void frmAdressen::btnBackHistory_Click()
{
    RunHandler(QStringLiteral("btnBackHistory_Click"), [this] {
        commitPendingEdit();
        if (!AskSaveChangedAddress())
            return;
        const qint32 id = m_record.stepBack();
        if (id > 0 && LoadAddress(id))
            SelectListItemById(id);
    });
}

void frmAdressen::FillCategoryLists()
{
    const std::vector<CustomerCategory> categories = CustomerCategories();
    listCategoriesFilter->clear();
    listCategories->clear();
    listCategoriesFilter->addItem(TextAll, -1);
    listCategories->addItem(QStringLiteral("- - -"), -1);
    for (const CustomerCategory& c : categories) {
        listCategoriesFilter->addItem(c.adrcat_name, c.adrcat_id);
        listCategories->addItem(c.adrcat_name, c.adrcat_id);
    }
    listCategoriesFilter->setCurrentIndex(0);
    listCategories->setCurrentIndex(-1);
}

AddressReceiver* frmAdressen::takeReceiver()
{
    AddressReceiver* receiver = CallerForm;
    if (receiver && m_callerWatched && m_callerObject.isNull())
        receiver = nullptr;   // the window that asked has been closed since
    // One request, one hand-over.
    CallerForm = nullptr;
    m_callerObject = nullptr;
    m_callerWatched = false;
    return receiver ? receiver : bookingWindowReceiver();
}

void frmAdressen::btnPassData_Click()
{
    RunHandler(QStringLiteral("btnPassData_Click"), [this] {
        if (StationReadOnly)
            return;
        commitPendingEdit();
        if (IsAddressEmpty(readFields())) {
            ShowLastNameRequired();
            return;
        }
        if (SaveAddress(QStringLiteral("Die Adresse wurde nicht übernommen.")) == AddressRecord::SaveResult::Failed)
            return;
        const qint32 id = m_state.CurrentCustomerId;
        if (id < 1)
            return;
        const QString name = FullName(readFields());
        hideWindow();
        AddressReceiver* receiver = takeReceiver();
        if (!receiver)
            return;
        if (auto* widget = dynamic_cast<QWidget*>(receiver)) {
            QWidget* window = widget->window();
            ShowForm(window);
        }
        HandOverAddress(*receiver, id, name);
    });
}
