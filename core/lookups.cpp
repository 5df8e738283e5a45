#include "core/lookups.h"

#include "core/database.h"
#include "core/messages.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/runtime/twips.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextEdit>

#include <algorithm>
#include <optional>

namespace {

// Positions on the windows are kept in twips, 15 to a pixel.
// How far a filled combo box's list drops down.
constexpr int ComboDropHeight = 300;

void clearList(QComboBox* list) { list->clear(); }
void clearList(QListWidget* list) { list->clear(); }

void addItem(QComboBox* list, const QString& text, qint32 id) { list->addItem(text, id); }
void addItem(QListWidget* list, const QString& text, qint32 id)
{
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, id);
}

void insertFirst(QComboBox* list, const QString& text) { list->insertItem(0, text, 0); }
void insertFirst(QListWidget* list, const QString& text)
{
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, 0);
    list->insertItem(0, item);
}

void setIndex(QComboBox* list, int index) { list->setCurrentIndex(index); }
void setIndex(QListWidget* list, int index) { list->setCurrentRow(index); }

int itemCount(const QComboBox* list) { return list->count(); }
int itemCount(const QListWidget* list) { return list->count(); }

QVariant itemId(const QComboBox* list, int index) { return list->itemData(index); }
QVariant itemId(const QListWidget* list, int index) { return list->item(index)->data(Qt::UserRole); }

void sizeList(QComboBox* list, int dropWidth)
{
    if (dropWidth > 0)
        list->view()->setMinimumWidth(dropWidth);
    const int rowHeight = list->count() > 0 ? std::max(1, list->view()->sizeHintForRow(0)) : list->fontMetrics().height();
    list->setMaxVisibleItems(std::max(1, ComboDropHeight / std::max(1, rowHeight)));
}
void sizeList(QListWidget*, int) {}

template <typename List>
void fillFromTable(List* list, const QString& table, const QString& idField, const QString& captionField,
                   int dropWidth, qint32 selectId, const QString& extraItem)
{
    ui::WaitCursor wait;
    int selectIndex = -1;
    // Filling says nothing to the list's handlers: only the selection made at
    // the end is announced (a combo box would otherwise report its first item
    // as chosen while it is being filled).
    std::optional<QSignalBlocker> quiet(std::in_place, list);
    clearList(list);
    try {
        db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT ") + idField + QStringLiteral(" AS id, ")
                                                        + captionField + QStringLiteral(" AS caption FROM ") + table
                                                        + QStringLiteral(" ORDER BY ") + idField + QStringLiteral(";"),
                                                    db::OpenMode::ForwardOnlyReadOnly);
        while (!rs.eof()) {
            const qint32 id = rs.field(QStringLiteral("id")).value().toLong();
            addItem(list, rs.field(QStringLiteral("caption")).value().toText(), id);
            if (id == selectId)
                selectIndex = itemCount(list) - 1;
            rs.moveNext();
        }
        rs.close();
        if (!extraItem.isEmpty()) {
            insertFirst(list, extraItem);
            if (selectIndex >= 0)
                ++selectIndex;
        }
        // Adding items selects the first one in a combo box; nothing is
        // selected unless asked for.
        setIndex(list, -1);
        quiet.reset();
        if (dropWidth >= 0) {
            if (selectIndex >= 0)
                setIndex(list, selectIndex);
            sizeList(list, dropWidth);
        }
    } catch (const db::DbError& e) {
        if (quiet)
            setIndex(list, -1);
        quiet.reset();
        ui::msgBox(e.description(), ui::Exclamation,
                   QStringLiteral("Fehler beim Füllen der Liste aus Tabelle \"") + table + QStringLiteral("\""));
    }
}

template <typename List>
void selectByItemData(List* list, qint32 itemData, int defaultIndex)
{
    const int count = itemCount(list);
    for (int i = 0; i < count; ++i) {
        const QVariant id = itemId(list, i);
        if (id.isValid() && id.toInt() == itemData) {
            setIndex(list, i);
            return;
        }
    }
    if (count > 0)
        setIndex(list, defaultIndex);
}

// The first row's value of a one-column query, trimmed; "" without a row.
QString firstValue(const QString& sql)
{
    db::Recordset rs = OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly);
    QString result;
    if (!rs.eof())
        result = rt::trim(rs.field(0).value().toText());
    rs.close();
    return result;
}

}  // namespace

void FillListFromTable(QComboBox* list, const QString& table, const QString& idField, const QString& captionField,
                       int dropWidth, qint32 selectId, const QString& extraItem)
{
    fillFromTable(list, table, idField, captionField, dropWidth, selectId, extraItem);
}

void FillListFromTable(QListWidget* list, const QString& table, const QString& idField, const QString& captionField,
                       int dropWidth, qint32 selectId, const QString& extraItem)
{
    fillFromTable(list, table, idField, captionField, dropWidth, selectId, extraItem);
}

void FillListMandanten(QComboBox* combo, qint32 selectedId)
{
    int selectIndex = -1;
    {
        ui::WaitCursor wait;
        const QSignalBlocker quiet(combo);
        combo->clear();
        db::Recordset rs =
            OpenedDb().openRecordset(QStringLiteral("SELECT * FROM tbl_mandanten;"), db::OpenMode::ForwardOnlyReadOnly);
        while (!rs.eof()) {
            const qint32 id = rs.field(QStringLiteral("mand_id")).value().toLong();
            combo->addItem(rs.field(QStringLiteral("mand_name")).value().toText(), id);
            if (id == selectedId)
                selectIndex = combo->count() - 1;
            rs.moveNext();
        }
        rs.close();
        combo->setCurrentIndex(-1);
    }
    if (combo->count() == 0)
        return;
    const int index = selectedId > 0 ? selectIndex : 0;
    if (index >= 0)
        combo->setCurrentIndex(index);
}

QString GetMandantName(qint32 id)
{
    return firstValue(QStringLiteral("SELECT mand_name FROM tbl_mandanten WHERE mand_id = ") + QString::number(id)
                      + QStringLiteral(";"));
}

QString GetPlaceImageFile(qint32 placeId)
{
    return firstValue(QStringLiteral("SELECT pl_imagefile as myValue FROM tbl_places WHERE pl_id = ")
                      + QString::number(placeId) + QStringLiteral(";"));
}

void SelectListItemByItemData(QComboBox* list, qint32 itemData, int defaultIndex)
{
    selectByItemData(list, itemData, defaultIndex);
}

void SelectListItemByItemData(QListWidget* list, qint32 itemData, int defaultIndex)
{
    selectByItemData(list, itemData, defaultIndex);
}

void ClearTextBoxes(QWidget* form)
{
    for (QWidget* child : form->findChildren<QWidget*>()) {
        // The edit field inside a combo or spin box is part of that control.
        QWidget* parent = child->parentWidget();
        if (qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent))
            continue;
        if (auto* line = qobject_cast<QLineEdit*>(child))
            line->clear();
        else if (auto* text = qobject_cast<QTextEdit*>(child))
            text->clear();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(child))
            plain->clear();
    }
}

void SelectAllText(QLineEdit* textBox)
{
    textBox->setSelection(0, static_cast<int>(textBox->text().size()));
}

void ShowForm(QWidget* form)
{
    form->show();
    if (form->isMinimized())
        form->showMaximized();
    ui::bringToFront(form);
}

void GetControlScreenPos(QWidget* control, qint32& x, qint32& y)
{
    const QPoint topLeft = control->mapToGlobal(QPoint(0, 0));
    x = topLeft.x() * rt::TwipsPerPixel;
    y = topLeft.y() * rt::TwipsPerPixel;
}

qint32 DeleteTerminDuplicates()
{
    const QString title = GetResString(1700);
    bool tableExists = false;
    try {
        for (const QString& name : OpenedDb().tableNames())
            tableExists = tableExists || name.compare(QLatin1String("Termine"), Qt::CaseInsensitive) == 0;
    } catch (const db::DbError& e) {
        ui::msgBox(e.description(), ui::Exclamation, QStringLiteral("Error while processing ") + title);
        return 0;
    }
    // Databases of this program have no appointment table: there is nothing to remove.
    if (!tableExists) {
        ui::msgBox(GetResString(1703), ui::Information, title);
        return 0;
    }
    if (ui::msgBox(GetResString(1701), ui::OkCancel | ui::Question | ui::DefaultButton2, title) != ui::Answer::Ok)
        return 0;

    static const char* const keys[] = {"Datum_Beginn", "Datum_Ende", "Status_Id", "Patient_Id", "Resources"};
    qint32 deleted = 0;
    try {
        ui::WaitCursor wait;
        // All or nothing, and no window event in between: a click must not
        // reach the database while the rows read here are being removed.
        db::Transaction transaction(OpenedDb());
        db::Recordset rs = OpenedDb().openRecordset(
            QStringLiteral(
                "SELECT DISTINCTROW Datum_Beginn, Datum_Ende, Status_Id, Patient_Id, Resources, Datum_Bearbeitung "
                "FROM Termine WHERE (((Datum_Beginn) In (SELECT [Datum_Beginn] FROM [Termine] As Tmp GROUP BY "
                "[Datum_Beginn],[Datum_Ende],[Status_Id],[Patient_Id],[Resources] HAVING Count(*)>1  And "
                "[Datum_Ende] = [Termine].[Datum_Ende] And [Status_Id] = [Termine].[Status_Id] And [Patient_Id] = "
                "[Termine].[Patient_Id] And [Resources] = [Termine].[Resources]))) ORDER BY Datum_Beginn, "
                "Datum_Ende, Status_Id, Patient_Id, Resources, Datum_Bearbeitung DESC;"),
            db::OpenMode::Dynaset);
        std::vector<db::Value> kept;
        while (!rs.eof()) {
            std::vector<db::Value> current;
            for (const char* key : keys)
                current.push_back(rs.field(QString::fromLatin1(key)).value());
            // A Null never equals anything, so rows with one are always kept.
            bool same = kept.size() == current.size();
            for (std::size_t i = 0; same && i < current.size(); ++i)
                same = !current[i].isNull() && !kept[i].isNull() && current[i] == kept[i];
            if (same) {
                rs.deleteCurrent();
                ++deleted;
            } else {
                kept = current;
            }
            rs.moveNext();
        }
        rs.close();
        transaction.commit();
    } catch (const db::DbError& e) {
        ui::msgBox(e.description(), ui::Exclamation, QStringLiteral("Error while processing ") + title);
        return 0;
    }
    if (deleted == 0)
        ui::msgBox(GetResString(1703), ui::Information, title);
    else
        ui::msgBox(GetResString(1702, {{QStringLiteral("%s"), QString::number(deleted)}}), ui::Information, title);
    return deleted;
}

qint32 DeleteEmptyCustomers()
{
    // Empty means every text column: a row holding only a phone number or a
    // note is still somebody's address. Rows that bookings or invoices still
    // name are kept, empty or not.
    QStringList empty;
    for (const db::FieldDef& field : OpenedDb().tableFields(QStringLiteral("tbl_customers"))) {
        if (field.type == db::DaoType::Text || field.type == db::DaoType::Memo)
            empty << QStringLiteral("(%1 Is Null OR trim(%1, char(32, 9, 10, 13)) = '')").arg(field.name);
    }
    if (empty.isEmpty())
        return 0;
    return static_cast<qint32>(OpenedDb().execute(
        QStringLiteral("DELETE FROM tbl_customers WHERE ") + empty.join(QStringLiteral(" AND "))
        + QStringLiteral(" AND cust_id NOT IN (SELECT book_customer_id FROM tbl_bookings WHERE book_customer_id Is Not Null) "
                         "AND cust_id NOT IN (SELECT inv_customer_id FROM tbl_invoice WHERE inv_customer_id Is Not Null);")));
}
