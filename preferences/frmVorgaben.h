#pragma once

#include "core/singlewindow.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// The program settings window. Without an open database only the database
// file can be set; saving then writes the settings file and starts again.
class frmVorgaben : public QWidget, public SingleWindow<frmVorgaben> {
    Q_OBJECT
    friend class SingleWindow<frmVorgaben>;

public:
    // Closing releases the window.
    // Shows the window modeless, loading it when it is new.
    static void showWindow();
    ~frmVorgaben() override;

    QTabWidget* SSTab1 = nullptr;
    QLineEdit* tbDBName = nullptr;
    QPushButton* btnSearchDB_Path = nullptr;
    QLineEdit* tbPrinterLeftOffset = nullptr;
    QLineEdit* tbPrinterTopOffset = nullptr;
    QCheckBox* chkTerminAutoUpdate = nullptr;
    QCheckBox* chkStation_is_ReadOnly = nullptr;
    QCheckBox* chkBearbeiterSubscriptionRequired = nullptr;
    std::array<QRadioButton*, 3> optBackupReminder{};
    QCheckBox* chkBackupDate2FileName = nullptr;
    std::array<QRadioButton*, 2> optMwSt_included{};
    QCheckBox* chkTableToolTipsEnabled = nullptr;
    QLineEdit* tbFontSize = nullptr;
    std::array<QPushButton*, 2> btnFontSizeStep{};
    QLineEdit* tbMaxWeekCols = nullptr;
    QLabel* lbNormalTerminColor = nullptr;
    QLabel* lbTableFixedRowColBackColor = nullptr;
    QCheckBox* chkPrintHeader = nullptr;
    QPushButton* btnEditPrintHeader = nullptr;
    QCheckBox* chkPatsEnabled = nullptr;
    QLineEdit* tbPassword = nullptr;
    QComboBox* listStartupForm = nullptr;
    QComboBox* listStations = nullptr;
    QLabel* lbComputerName = nullptr;
    QCheckBox* chkCreateAutostartLink = nullptr;
    QCheckBox* chkCreateDesktopLink = nullptr;
    QLabel* lbBackupPath = nullptr;
    QLabel* lbLastBackupSavedDate = nullptr;
    QLabel* lbLastDefragDate = nullptr;
    QLabel* lbLastRepairDate = nullptr;
    QLabel* lbLastBackupSavedOnStation = nullptr;
    QLabel* lbPatCount = nullptr;
    QLabel* lbPatCountCaption = nullptr;
    QLabel* lbInstallStatus = nullptr;
    QLabel* lbDatacareHint = nullptr;
    QLineEdit* tbNetworkExePath = nullptr;
    QPushButton* btnSearchNetworkExePath = nullptr;
    QPushButton* btnMoveInstallationToNetwork = nullptr;
    QPushButton* btnShutdown = nullptr;
    QCheckBox* chkShutdownAll_includingThisOne = nullptr;
    QCheckBox* chkCheckForOnlineComputer = nullptr;
    QPushButton* btnEdit_GUI_Terms = nullptr;
    QPushButton* btnTextbausteine = nullptr;
    QPushButton* btnStations = nullptr;
    QPushButton* cmdMehrwertsteuer = nullptr;
    QPushButton* btnDoBackup = nullptr;
    QPushButton* btnRepairMDB = nullptr;
    QPushButton* btnDefragMDB = nullptr;
    QPushButton* btnDeleteOldTermine = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnSave = nullptr;

public slots:
    void btnSave_Click();
    void btnClose_Click();
    void btnHelp_Click();
    void btnSearchDB_Path_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmVorgaben();
    void buildWindow();
    void Form_Load();
    void Form_Unload();
    void tbMaxWeekCols_LostFocus();
    void stepFontSize(int index);

    bool m_databaseMode = false;
    bool m_unloading = false;
};
