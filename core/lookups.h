#pragma once

#include <QString>

class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

// List and combo items carry their row id as item data (Qt::UserRole). The
// callers set FillingLists around these when their handlers must not react.

// Fills the list with table's rows in id order and selects the row selectId.
// A non-empty extraItem goes first. A dropWidth of 0 or more selects and sizes
// (a width above 0 widens the drop-down list; a combo's list drops 300 pixels);
// below 0 it only fills. A failed query is reported; the items read stay.
void FillListFromTable(QComboBox* list, const QString& table, const QString& idField, const QString& captionField,
                       int dropWidth, qint32 selectId, const QString& extraItem);
void FillListFromTable(QListWidget* list, const QString& table, const QString& idField, const QString& captionField,
                       int dropWidth, qint32 selectId, const QString& extraItem);

// Fills the combo with every facility. A selectedId above 0 selects that
// facility (none when it is missing); 0 or below selects the first.
// Throws db::DbError.
void FillListMandanten(QComboBox* combo, qint32 selectedId);

// The facility's name, trimmed; "" when there is none. Throws db::DbError.
QString GetMandantName(qint32 id);
// The place's picture name, trimmed; "" when there is none. Throws db::DbError.
QString GetPlaceImageFile(qint32 placeId);

// Selects the first item whose id is itemData; when none is and the list is
// not empty, the item at defaultIndex (-1 clears the selection).
void SelectListItemByItemData(QComboBox* list, qint32 itemData, int defaultIndex);
void SelectListItemByItemData(QListWidget* list, qint32 itemData, int defaultIndex);

// Empties every text box of the window.
void ClearTextBoxes(QWidget* form);
// Selects the whole text of the box.
void SelectAllText(QLineEdit* textBox);
// Shows the window modeless and in front; a minimised one comes back
// maximised. Questions asked next stand over it.
void ShowForm(QWidget* form);
// The screen position of the control's top-left corner in twips.
void GetControlScreenPos(QWidget* control, qint32& x, qint32& y);

// Removes repeated appointments of the old appointment table, keeping the
// newest of each group, after asking. Returns the number removed; without that
// table nothing is removed and the user is told that there are no duplicates.
qint32 DeleteTerminDuplicates();
// Removes customers whose text columns are all empty (Null or blanks) and
// that no booking and no invoice names. Returns the number removed. Throws
// db::DbError.
qint32 DeleteEmptyCustomers();
