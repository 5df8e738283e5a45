#pragma once

#include "core/bookings.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

// The condition the booking list runs on: the caller's filter, or when that
// is empty, the bookings of the place, else the booking, else all of the
// facility.
QString BookingListFilter(const QString& filter, qint32 bookId, qint32 placeId, qint32 mandantId);

// The list for a filter, only the bookings ending today or later when
// fromToday is set. A filter the database refuses is reported ("Fehler im
// Suchbegriff") and gives nullopt; other database errors are thrown.
std::optional<BookingList> QueryBookingList(const QString& filter, bool fromToday);

// The booking list: von, bis, guest, persons, place. Dates sort as dates,
// persons as numbers, names in the database's German order. With no rows
// after a load it shows one line saying so. The names of the guests and
// places are read for the lines as they are shown, all of them for a sort by
// name.
class BookingListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColStart, ColEnd, ColGuest, ColPersons, ColPlace, ColumnCount };
    // The booking id of a line; 0 for the "nothing found" line.
    static constexpr int BookIdRole = Qt::UserRole + 1;

    static QString NothingFoundText() { return QStringLiteral("keine Reservierungen gefunden"); }

    explicit BookingListModel(QObject* parent = nullptr);

    // Takes the lines of a query; sorted again when a sort column is set.
    void setList(BookingList list);
    // Nothing, not even the "nothing found" line (a query that failed).
    void clear();

    // Read again at the next header request (the house's words may change).
    void refreshHeaders();

    int bookingCount() const { return static_cast<int>(m_list.rows.size()); }
    qint32 bookIdAt(int row) const;
    // The line of a booking, -1 when it is not listed.
    int rowOfBooking(qint32 bookId) const;
    // Removes a booking's line; false when it is not listed.
    bool removeBooking(qint32 bookId);

    // The column the list is sorted by, -1 while it keeps the query's order.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // A line's text in a column, as shown; reads the names of its page of
    // lines when they are not read yet.
    QString text(int row, int column) const;
    static QString guestText(const BookingListGuest& guest);
    static QString placeText(const BookingListPlace& place);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // Names could not be read (the text as the handlers report errors); the
    // lines show none until the list is read again.
    void namesFailed(const QString& text);

private:
    static constexpr size_t NamePage = 200;   // lines whose names are read together
    void forgetNames();
    // Reads the names of the lines first..last (exclusive) not read or asked for yet.
    void readNames(size_t first, size_t last) const;
    void readNamesOfLine(int row) const;
    // The names as read so far.
    QString guestText(const BookingListRow& row) const;
    QString placeText(const BookingListRow& row) const;

    // The rank of each guest's or place's name in the German order.
    struct NameRanks {
        bool valid = false;
        QHash<qint32, int> byId;
        int missing = 0;   // of a line whose guest or place has no row
    };
    void sortRows();
    const NameRanks& nameRanks(bool guests);

    mutable BookingList m_list;   // its names grow as lines are shown
    NameRanks m_guestRanks;
    NameRanks m_placeRanks;
    mutable std::vector<char> m_namesRead;   // per page of lines
    mutable QSet<qint32> m_askedGuests;     // read or found missing
    mutable QSet<qint32> m_askedPlaces;
    mutable bool m_readFailed = false;
    bool m_nothingFound = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
