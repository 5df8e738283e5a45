#pragma once

#include "core/singlewindow.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The facility overview: choose the current facility, see its buildings with
// today's occupancy and its picture, open the plan on a building or floor and
// every other window from the menu. Closing it ends the program.
class frmMandanten : public QMainWindow, public SingleWindow<frmMandanten> {
    Q_OBJECT
    friend class SingleWindow<frmMandanten>;

public:
    // Shows the window, loading it on first use.
    static void showWindow();

    QLabel* Label1 = nullptr;
    QComboBox* listMandanten = nullptr;
    QLabel* lbEinrichtungsnummer = nullptr;
    QTableWidget* BuildingGrid = nullptr;
    QLabel* lbEinrichtungBelegtProzent = nullptr;
    QLabel* lbHint = nullptr;
    QLabel* imgEinrichtung = nullptr;
    QLabel* lbIMG_Msg = nullptr;
    QPushButton* cmdLoadPicture = nullptr;
    QPushButton* cmdShowBelegungsplan = nullptr;
    QPushButton* btnPatient = nullptr;
    QPushButton* btnRefresh = nullptr;

    QAction* menuPreferences = nullptr;
    QAction* menuExportStatistik = nullptr;
    QAction* menuQuit = nullptr;
    QAction* menuRefresh = nullptr;
    QAction* menuCustomers = nullptr;
    QAction* menuBookings = nullptr;
    QAction* menuInvoices = nullptr;
    QAction* menuServices = nullptr;
    QAction* menuMandanten = nullptr;
    QAction* menuHelp = nullptr;

    // The box the facility's picture is scaled into (pixels).
    int MandantPictureMaxWidth = 0;
    int MandantPictureMaxHeight = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmMandanten();
    void buildMenus();
    void Form_Load();
    void fillMandanten();
    void ShowMandant(qint32 mandantId);
    // The plan on a floor, or on a building's first floor (floorId -1).
    void showPlan(qint32 floorId, qint32 buildingId);

    void listMandanten_Click();
    void BuildingGrid_Click(int row, int column);
    void BuildingGrid_MouseMove(QPoint pos);
    void cmdShowBelegungsplan_Click();
    void cmdLoadPicture_Click();
    void btnPatient_Click();
    void btnRefresh_Click();
    void menuPreferences_Click();
    void menuQuit_Click();
    void menuCustomers_Click();
    void menuBookings_Click();
    void menuInvoices_Click();
    void menuServices_Click();
    void menuMandanten_Click();
    void menuHelp_Click();

    QString m_imageFile;   // the facility's picture name as stored
};
