#pragma once

#include "core/singlewindow.h"

#include <QMainWindow>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The details of one bookable place and the guests in it right now. Places
// are created, changed and deleted in the main window: this window only shows
// them, apart from choosing the place's picture. Closing hides it.
class frmRoom : public QMainWindow, public SingleWindow<frmRoom> {
    Q_OBJECT
    friend class SingleWindow<frmRoom>;

public:
    // Shows the window on placeId; roomId counts only as a request to look a
    // place up. Neither above 0 empties the window.
    void ShowRoomDetails(qint32 roomId, qint32 placeId);

    qint32 ShownPlaceId = -1;
    qint32 OccupantCustomerId = -1;

    QLabel* lbRoom_id = nullptr;
    QLabel* lbRoomName = nullptr;
    QLineEdit* tbRoomName = nullptr;
    QLineEdit* tbRoomInfo = nullptr;
    QLabel* lbBuildingName = nullptr;
    QLabel* lbStockwerkName = nullptr;
    QLineEdit* tbCapacity = nullptr;
    QCheckBox* chkBlocked = nullptr;
    QGroupBox* frameBookingOptions = nullptr;
    QComboBox* listRoomCategory = nullptr;
    QLabel* lbGrundPreis = nullptr;
    QPushButton* cmdKategorie = nullptr;
    QListWidget* listBewohner = nullptr;
    QLabel* imgRoom = nullptr;
    QLabel* lbImageName = nullptr;
    QPushButton* btnPatient = nullptr;
    QPushButton* btnShowBookings = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnBackHistory = nullptr;
    QPushButton* btnNeu = nullptr;
    QPushButton* cmdRoomSave = nullptr;
    QPushButton* cmdRoomDelete = nullptr;
    QPushButton* cmdLoadPicture = nullptr;

    QAction* menuSaveRoom = nullptr;
    QAction* menuDeleteRoom = nullptr;
    QAction* menuExit = nullptr;
    QAction* menuLoadImageFile = nullptr;
    QAction* menuShowPatient = nullptr;
    QAction* menuShowBookings = nullptr;
    QAction* menuEditRoom = nullptr;
    QAction* menuHelp = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmRoom();
    void buildMenus();
    void clearFields();
    void showPicture(const QString& file);

    void btnPatient_Click();
    void listBewohner_Click();
    void chkBlocked_Click();
    void btnRefresh_Click();
    void btnNeu_Click();
    void btnShowBookings_Click();
    void cmdLoadPicture_Click();
    void menuHelp_Click();

    QString m_imageFile;   // the shown place's picture name as stored
};
