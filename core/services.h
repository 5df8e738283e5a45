#pragma once

#include "core/rowmerge.h"

#include <QString>

#include <optional>

// Reads and writes of tbl_services, the catalogue of services and articles.
// Values are bound; failures throw db::DbError.

struct Service {
    qint32 srv_id = 0;                 // 0 or below: not stored yet
    QString srv_name;
    QString srv_info;
    std::optional<double> srv_price;   // nullopt: the column is empty, or it cannot be read
    std::optional<int> srv_tax_id;     // 0 full VAT, 1 reduced, 2 none; nullopt: empty, or it cannot be read
    // Stored so that the program cannot read it (text, beyond the column's range).
    bool priceUnreadable = false;
    bool taxUnreadable = false;
};

// nullopt when there is no such service (another workstation deleted it).
std::optional<Service> LoadService(qint32 serviceId);

// Writes name, notes and price, and the VAT class when it is set, as a new
// row whose id srv_id receives: a new entry, or one another workstation
// deleted while it was shown. A stored row changes only through
// StoreServiceChanges. Nothing is written when it fails.
void StoreServiceAnew(Service& service);

// The stored row as it is, raw (for a window that saves it later); nullopt
// when there is none.
std::optional<RowValues> ReadServiceRow(qint32 serviceId);
Service ServiceFromRow(const RowValues& row);
// false when the service's VAT class is stored as no whole number: text, or a
// fraction another tool left, which reading rounds to a class. true when it
// is one, empty, or the service is gone.
bool ServiceClassIsWhole(qint32 serviceId);
// The columns a save writes: name, notes and price, the VAT class only when set.
RowValues ServiceColumns(const Service& service);
// The catalogue's fields as the user knows them, for the question of a save.
QList<MergeField> ServiceMergeFields();

// Saves the changes of a service the window read earlier (loaded: its row
// then; changed: ChangedColumns of what the window would write): what only
// another workstation changed stays, and where both changed a field `ask`
// decides. Missing when the row was deleted meanwhile. The row in the result
// is read back inside the write, as stored. Throws db::DbError.
MergedSave StoreServiceChanges(qint32 serviceId, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask);

// How many invoice positions name the service.
int PositionsOfService(qint32 serviceId);

enum class ServiceDeleteResult { Deleted, Referenced, NotFound, Cancelled };
// Deletes the service a window shows as `shown` (the columns of
// ServiceColumns as it read them), asking as DeleteShownRow asks. Refuses a
// service that invoice positions still name; checked and deleted in one
// transaction.
ServiceDeleteResult DeleteShownService(qint32 serviceId, const RowValues& shown, const DeleteAsk& ask);
