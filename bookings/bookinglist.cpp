#include "bookings/bookinglist.h"

#include "core/handler.h"
#include "core/terms.h"
#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QHash>

#include <algorithm>
#include <numeric>

QString BookingListFilter(const QString& filter, qint32 bookId, qint32 placeId, qint32 mandantId)
{
    if (!filter.isEmpty())
        return filter;
    if (placeId >= 1)
        return QStringLiteral("book_place_id = ") + QString::number(placeId);
    if (bookId >= 1)
        return QStringLiteral("book_id = ") + QString::number(bookId);
    return QStringLiteral("book_mandant_id = ") + QString::number(mandantId);
}

std::optional<BookingList> QueryBookingList(const QString& filter, bool fromToday)
{
    ui::WaitCursor wait;
    try {
        return ListBookings(filter, fromToday ? std::optional<rt::Date>(rt::Date::today()) : std::nullopt);
    } catch (const db::DbError& error) {
        // Only the query's own words can be wrong here; a lost connection is
        // the handler's to report.
        if (error.number() == db::err::ObjectClosed)
            throw;
        ui::msgBox(error.description(), ui::Critical, QStringLiteral("Fehler im Suchbegriff"));
        return std::nullopt;
    }
}

namespace {

// A date that could not be read is shown empty, as in the booking windows.
QString dayText(const rt::Date& day)
{
    return day.isZero() ? QString() : rt::formatDate(day, QStringLiteral("dd.mm.yyyy"));
}

}  // namespace

BookingListModel::BookingListModel(QObject* parent) : QAbstractTableModel(parent) {}

void BookingListModel::setList(BookingList list)
{
    beginResetModel();
    m_list = std::move(list);
    forgetNames();
    m_nothingFound = m_list.rows.empty();
    if (m_sortColumn >= 0)
        sortRows();
    endResetModel();
}

void BookingListModel::clear()
{
    beginResetModel();
    m_list = {};
    forgetNames();
    m_nothingFound = false;
    endResetModel();
}

void BookingListModel::forgetNames()
{
    m_guestRanks = {};
    m_placeRanks = {};
    m_namesRead.assign((m_list.rows.size() + NamePage - 1) / NamePage, 0);
    m_askedGuests.clear();
    m_askedPlaces.clear();
    m_readFailed = false;
}

void BookingListModel::readNames(size_t first, size_t last) const
{
    QList<qint32> guests;
    QList<qint32> places;
    for (size_t i = first; i < last && i < m_list.rows.size(); ++i) {
        const BookingListRow& r = m_list.rows[i];
        // Ids below 1 name no row.
        if (r.book_customer_id > 0 && !m_list.guests.contains(r.book_customer_id)
            && !m_askedGuests.contains(r.book_customer_id)) {
            m_askedGuests.insert(r.book_customer_id);
            guests << r.book_customer_id;
        }
        if (r.book_place_id > 0 && !m_list.places.contains(r.book_place_id) && !m_askedPlaces.contains(r.book_place_id)) {
            m_askedPlaces.insert(r.book_place_id);
            places << r.book_place_id;
        }
    }
    if (guests.isEmpty() && places.isEmpty())
        return;
    try {
        ReadBookingListNames(m_list, guests, places);
    } catch (const db::DbError& e) {
        // Asked while the list paints or sorts: said once, afterwards.
        if (m_readFailed)
            return;
        m_readFailed = true;
        auto* self = const_cast<BookingListModel*>(this);
        const QString text = HandlerErrorText(QStringLiteral("ListView1"), e.number(), e.description());
        QMetaObject::invokeMethod(self, [self, text] { emit self->namesFailed(text); }, Qt::QueuedConnection);
    }
}

void BookingListModel::readNamesOfLine(int row) const
{
    const size_t page = static_cast<size_t>(row) / NamePage;
    if (page >= m_namesRead.size() || m_namesRead[page])
        return;
    m_namesRead[page] = 1;
    readNames(page * NamePage, (page + 1) * NamePage);
}

void BookingListModel::refreshHeaders()
{
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

qint32 BookingListModel::bookIdAt(int row) const
{
    if (row < 0 || row >= bookingCount())
        return 0;
    return m_list.rows[static_cast<size_t>(row)].book_id;
}

int BookingListModel::rowOfBooking(qint32 bookId) const
{
    if (bookId <= 0)
        return -1;
    const auto& rows = m_list.rows;
    const auto it = std::find_if(rows.begin(), rows.end(), [bookId](const BookingListRow& r) { return r.book_id == bookId; });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

bool BookingListModel::removeBooking(qint32 bookId)
{
    const int row = rowOfBooking(bookId);
    if (row < 0)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_list.rows.erase(m_list.rows.begin() + row);
    // The lines moved up: each page is looked at again (its names stay read).
    std::fill(m_namesRead.begin(), m_namesRead.end(), 0);
    endRemoveRows();
    return true;
}

QString BookingListModel::guestText(const BookingListGuest& guest)
{
    return rt::trim(guest.cust_firstname + QLatin1Char(' ') + guest.cust_lastname);
}

QString BookingListModel::placeText(const BookingListPlace& place)
{
    return rt::trim(place.bld_short + QLatin1Char('\\') + place.flr_short + QStringLiteral("\\ ") + place.pl_name);
}

QString BookingListModel::guestText(const BookingListRow& row) const
{
    return guestText(m_list.guests.value(row.book_customer_id));
}

QString BookingListModel::placeText(const BookingListRow& row) const
{
    return placeText(m_list.places.value(row.book_place_id));
}

QString BookingListModel::text(int row, int column) const
{
    if (m_nothingFound)
        return row == 0 && column == ColStart ? NothingFoundText() : QString();
    if (row < 0 || row >= bookingCount())
        return QString();
    const BookingListRow& r = m_list.rows[static_cast<size_t>(row)];
    switch (column) {
    case ColStart:
        return dayText(r.book_start);
    case ColEnd:
        return dayText(r.book_end);
    case ColGuest:
        readNamesOfLine(row);
        return guestText(r);
    case ColPersons:
        return QString::number(r.book_cust_count);
    case ColPlace:
        readNamesOfLine(row);
        return placeText(r);
    default:
        return QString();
    }
}

int BookingListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_nothingFound ? 1 : bookingCount();
}

int BookingListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BookingListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case BookIdRole:
        return bookIdAt(index.row());
    case Qt::TextAlignmentRole:
        if (index.column() == ColPersons && !m_nothingFound)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant BookingListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::InitialSortOrderRole)
        return QVariant::fromValue(Qt::AscendingOrder);  // another column always starts ascending
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case ColStart:
        return QStringLiteral("von");
    case ColEnd:
        return QStringLiteral("bis");
    case ColGuest:
        return TermPersonSingular;
    case ColPersons:
        return QStringLiteral("Personen");
    default:
        return TermPlaceSingular;
    }
}

Qt::ItemFlags BookingListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (m_nothingFound)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void BookingListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<qint32> ids;
    ids.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        ids.push_back(bookIdAt(index.row()));

    if (column == m_sortColumn) {
        // Sorted by this column already: the other order is the lines turned round.
        if (order != m_sortOrder) {
            std::reverse(m_list.rows.begin(), m_list.rows.end());
            std::fill(m_namesRead.begin(), m_namesRead.end(), 0);
        }
        m_sortOrder = order;
    } else {
        m_sortColumn = column;
        m_sortOrder = order;
        sortRows();
    }

    if (!before.isEmpty()) {
        // Only the few lines the view holds on to are looked for.
        QHash<qint32, int> rowOf;
        for (qint32 id : ids)
            rowOf.insert(id, -1);
        for (int row = 0; row < bookingCount(); ++row) {
            const auto it = rowOf.find(m_list.rows[static_cast<size_t>(row)].book_id);
            if (it != rowOf.end())
                *it = row;
        }
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int row = rowOf.value(ids[static_cast<size_t>(i)], -1);
            after << (row < 0 ? QModelIndex() : index(row, before[i].column()));
        }
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const BookingListModel::NameRanks& BookingListModel::nameRanks(bool guests)
{
    NameRanks& ranks = guests ? m_guestRanks : m_placeRanks;
    if (ranks.valid)
        return ranks;
    readNames(0, m_list.rows.size());
    // Names repeat: each guest's or place's text is ranked once in the
    // database's German order, and the ranks are kept until other lines come.
    // A line whose guest or place has no row shows, and ranks, as one without
    // a name; the id 0 never names a row and stands for it here.
    std::vector<std::pair<QString, qint32>> byKey;
    if (guests) {
        byKey.reserve(static_cast<size_t>(m_list.guests.size()) + 1);
        byKey.emplace_back(db::textSortKey(guestText(BookingListGuest())), 0);
        for (auto it = m_list.guests.cbegin(); it != m_list.guests.cend(); ++it)
            byKey.emplace_back(db::textSortKey(guestText(it.value())), it.key());
    } else {
        byKey.reserve(static_cast<size_t>(m_list.places.size()) + 1);
        byKey.emplace_back(db::textSortKey(placeText(BookingListPlace())), 0);
        for (auto it = m_list.places.cbegin(); it != m_list.places.cend(); ++it)
            byKey.emplace_back(db::textSortKey(placeText(it.value())), it.key());
    }
    std::sort(byKey.begin(), byKey.end());
    ranks.byId.clear();
    ranks.byId.reserve(static_cast<qsizetype>(byKey.size()));
    int current = 0;
    for (size_t r = 0; r < byKey.size(); ++r) {
        // Equal texts share a rank, so the order among them stays as it was.
        if (r > 0 && byKey[r].first != byKey[r - 1].first)
            current = static_cast<int>(r);
        if (byKey[r].second == 0)
            ranks.missing = current;
        else
            ranks.byId.insert(byKey[r].second, current);
    }
    ranks.valid = true;
    return ranks;
}

void BookingListModel::sortRows()
{
    std::vector<BookingListRow>& rows = m_list.rows;
    const size_t n = rows.size();
    // One key per line: a comparison must stay cheap for every booking of
    // ten years.
    std::vector<double> keys(n);
    switch (m_sortColumn) {
    case ColStart:
        for (size_t i = 0; i < n; ++i)
            keys[i] = rows[i].book_start.serial();
        break;
    case ColEnd:
        for (size_t i = 0; i < n; ++i)
            keys[i] = rows[i].book_end.serial();
        break;
    case ColPersons:
        for (size_t i = 0; i < n; ++i)
            keys[i] = rows[i].book_cust_count;
        break;
    default: {
        const bool guests = m_sortColumn == ColGuest;
        const NameRanks& ranks = nameRanks(guests);
        for (size_t i = 0; i < n; ++i)
            keys[i] = ranks.byId.value(guests ? rows[i].book_customer_id : rows[i].book_place_id, ranks.missing);
        break;
    }
    }
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return ascending ? keys[a] < keys[b] : keys[b] < keys[a]; });
    std::vector<BookingListRow> sorted;
    sorted.reserve(n);
    for (size_t i : order)
        sorted.push_back(rows[i]);
    rows = std::move(sorted);
    std::fill(m_namesRead.begin(), m_namesRead.end(), 0);
}
