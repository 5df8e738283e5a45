#pragma once

#include "core/singlewindow.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

// The prices of the room categories. They live in RoomTypes for this run
// only: every list of categories filled afterwards shows them, the database
// never holds them.
class frmKategorien : public QWidget, public SingleWindow<frmKategorien> {
    Q_OBJECT
    friend class SingleWindow<frmKategorien>;

public:
    // Shows the window (built anew after it was closed).
    static void showWindow();
    // Shows the price of the category in tbPreis; an unknown id leaves it.
    void ShowPrice(qint32 roomTypeId);

    QListWidget* listRoomCategory = nullptr;
    QLineEdit* tbPreis = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmKategorien();
    void Form_Load();
    void listRoomCategory_Click();
    void tbPreis_LostFocus();

    qint32 SelectedRoomTypeId = -1;
    int SelectedRoomTypeIndex = -1;
};
