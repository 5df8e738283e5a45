#include "core/services.h"

#include "core/database.h"
#include "core/invoices.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/runtime/format.h"

#include <cmath>

namespace {

const QString Table = QStringLiteral("tbl_services");
const QString Key = QStringLiteral("srv_id");

}  // namespace

std::optional<RowValues> ReadServiceRow(qint32 serviceId)
{
    if (serviceId <= 0)
        return std::nullopt;
    return ReadRow(Table, Key, serviceId);
}

Service ServiceFromRow(const RowValues& row)
{
    Service s;
    s.srv_id = row.value(QStringLiteral("srv_id")).toLong();
    s.srv_name = row.value(QStringLiteral("srv_name")).toText();
    s.srv_info = row.value(QStringLiteral("srv_info")).toText();
    if (const db::Value price = row.value(QStringLiteral("srv_price")); !price.isNull()) {
        s.srv_price = StoredPrice(price);
        s.priceUnreadable = !s.srv_price;
    }
    if (const db::Value tax = row.value(QStringLiteral("srv_tax_id")); !tax.isNull()) {
        s.taxUnreadable = !tax.isNumeric() || std::abs(tax.toDouble()) > 32767;
        if (!s.taxUnreadable)
            s.srv_tax_id = tax.toLong();
    }
    return s;
}

RowValues ServiceColumns(const Service& service)
{
    RowValues columns{{QStringLiteral("srv_name"), db::textOrNull(service.srv_name)},
                      {QStringLiteral("srv_info"), db::textOrNull(service.srv_info)},
                      {QStringLiteral("srv_price"), service.srv_price ? db::Value(*service.srv_price) : db::Value()}};
    if (service.srv_tax_id)
        columns.insert(QStringLiteral("srv_tax_id"), *service.srv_tax_id);
    return columns;
}

QList<MergeField> ServiceMergeFields()
{
    return {
        {QStringLiteral("Beschreibung"), {QStringLiteral("srv_name")}, {}},
        {QStringLiteral("Notizen"), {QStringLiteral("srv_info")}, {}},
        {QStringLiteral("Preis"), {QStringLiteral("srv_price")},
         [](const RowValues& r) {
             const db::Value price = r.value(QStringLiteral("srv_price"));
             if (price.isNull())
                 return QStringLiteral("leer");
             return rt::formatNumber(price.toDouble(), QStringLiteral("#,##0.00")) + QStringLiteral(" EUR");
         }},
        {QStringLiteral("Mehrwertsteuer"), {QStringLiteral("srv_tax_id")},
         [](const RowValues& r) {
             const db::Value tax = r.value(QStringLiteral("srv_tax_id"));
             switch (tax.isNull() ? 0 : tax.toLong()) {
             case 0: return QStringLiteral("\"voll\"");
             case 1: return QStringLiteral("\"reduz.\"");
             case 2: return QStringLiteral("\"keine\"");
             default: return QStringLiteral("keine Angabe");
             }
         }},
    };
}

MergedSave StoreServiceChanges(qint32 serviceId, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask)
{
    std::optional<RowValues> written;
    MergedSave save = SaveLoadedRow(Table, Key, serviceId, loaded, changed, ask,
                                    [&](db::Database& d, const RowMerge&, RowValues& toWrite) {
                                        WriteColumns(d, Table, Key, serviceId, toWrite);
                                        // As the next save will read it: a price as the column keeps it.
                                        written = ReadRow(Table, Key, serviceId);
                                        return written.has_value();
                                    });
    if (save.result == MergedSave::Result::Written && written)
        save.row = *written;
    return save;
}

std::optional<Service> LoadService(qint32 serviceId)
{
    const std::optional<RowValues> row = ReadServiceRow(serviceId);
    if (!row)
        return std::nullopt;
    return ServiceFromRow(*row);
}

void StoreServiceAnew(Service& service)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM tbl_services WHERE srv_id = 0"));
    rs.addNew();
    const qint32 newId = rs.field(QStringLiteral("srv_id")).value().toLong();
    rs.field(QStringLiteral("srv_name")).setValue(db::textOrNull(service.srv_name));
    rs.field(QStringLiteral("srv_info")).setValue(db::textOrNull(service.srv_info));
    rs.field(QStringLiteral("srv_price")).setValue(service.srv_price ? db::Value(*service.srv_price) : db::Value());
    if (service.srv_tax_id)
        rs.field(QStringLiteral("srv_tax_id")).setValue(*service.srv_tax_id);
    rs.update();
    transaction.commit();
    service.srv_id = newId;
}

bool ServiceClassIsWhole(qint32 serviceId)
{
    db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT typeof(srv_tax_id) FROM tbl_services WHERE srv_id = ?"),
                                                db::OpenMode::ForwardOnlyReadOnly, {serviceId});
    if (rs.eof())
        return true;
    const QString type = rs.field(0).value().toText();
    return type == QLatin1String("integer") || type == QLatin1String("null");
}

int PositionsOfService(qint32 serviceId)
{
    db::Recordset rs =
        OpenedDb().openRecordset(QStringLiteral("SELECT Count(*) FROM tbl_invoice_positions WHERE ivp_prod_id = ?"),
                                 db::OpenMode::ForwardOnlyReadOnly, {serviceId});
    return rs.eof() ? 0 : rs.field(0).value().toLong();
}

ServiceDeleteResult DeleteShownService(qint32 serviceId, const RowValues& shown, const DeleteAsk& ask)
{
    bool referenced = false;
    const DeleteResult result =
        DeleteShownRow(Table, Key, serviceId, shown, ask, [&](db::Database& d, const RowValues&) {
            referenced = PositionsOfService(serviceId) > 0;
            if (!referenced)
                d.execute(QStringLiteral("DELETE FROM tbl_services WHERE srv_id = ?"), {serviceId});
        });
    switch (result) {
    case DeleteResult::Missing: return ServiceDeleteResult::NotFound;
    case DeleteResult::Cancelled: return ServiceDeleteResult::Cancelled;
    case DeleteResult::Deleted: break;
    }
    return referenced ? ServiceDeleteResult::Referenced : ServiceDeleteResult::Deleted;
}
