#pragma once

#include "core/singlewindow.h"
#include "core/startup.h"
#include "platform/ui/colorfield.h"
#include "preferences/settings.h"

#include <QWidget>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

// The program settings window. Opened without a database, only the database
// file can be set (and the file repaired or compacted); saving then writes
// the settings file and starts again.
class frmVorgaben : public QWidget, public SingleWindow<frmVorgaben> {
    Q_OBJECT
    friend class SingleWindow<frmVorgaben>;

public:
    // Shows the window modeless, loading it when it is new. Closing releases it.
    static void showWindow();
    // Closed for good by another window (the table editor that changed what
    // the windows show): a change is asked about first, as on Escape; Nein
    // keeps the window open with what was typed.
    static void unloadAsking();
    ~frmVorgaben() override;

    // Fixed when the window loads: whether it was opened with the database.
    bool databaseMode() const { return m_databaseMode; }

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
    ui::ColorField* lbNormalTerminColor = nullptr;
    ui::ColorField* lbTableFixedRowColBackColor = nullptr;
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
    QLabel* lbOnlineComputers = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* btnEdit_GUI_Terms = nullptr;
    QPushButton* btnTextbausteine = nullptr;
    QPushButton* btnStations = nullptr;
    QPushButton* cmdMehrwertsteuer = nullptr;
    QPushButton* btnDoBackup = nullptr;
    QPushButton* btnRepairMDB = nullptr;
    QPushButton* btnDefragMDB = nullptr;
    QLineEdit* tbDeleteOldTerminSecurityDistanceDays = nullptr;
    QLabel* lbObsoleteTermineCount = nullptr;
    QPushButton* btnDeleteOldTermine = nullptr;
    QPushButton* cmdDeleteTerminDuplicates = nullptr;
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
    void btnFontSizeStep_Click(int index);
    void lbNormalTerminColor_Click();
    void lbTableFixedRowColBackColor_Click();
    void btnDefragMDB_Click();
    void btnRepairMDB_Click();
    void btnDoBackup_Click();
    void btnDeleteOldTermine_Click();
    void cmdDeleteTerminDuplicates_Click();
    void btnShutdown_Click();
    void btnSearchNetworkExePath_Click();
    void btnMoveInstallationToNetwork_Click();
    void chkCreateDesktopLink_Click();
    void chkCreateAutostartLink_Click();
    void chkCheckForOnlineComputer_Click();
    void Timer1_Timer();
    void btnStations_Click();
    void btnEdit_GUI_Terms_Click();
    void btnTextbausteine_Click();
    void cmdMehrwertsteuer_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmVorgaben();
    void buildWindow();
    QWidget* buildGeneralTab();
    QWidget* buildStationTab();
    QWidget* buildCareTab();
    QWidget* buildBookingsTab();
    void connectHandlers();
    void Form_Load();
    void Form_Unload();
    void loadDatabaseValues();
    void showFields(const SettingsFields& fields);
    SettingsFields readFields() const;
    void showMaintenanceLog(const MaintenanceLog& log);
    void showObsoleteCount();
    void applyMode();
    void giveAltLetters();
    // Escape: as Abbrechen, after a question when something was changed.
    void escapePressed();
    bool changedSinceLoad() const;
    // The changes as the program's end names them; "" when none.
    QString unsavedEdit() const;
    // True when nothing was changed, or the user agrees to drop the changes.
    bool mayDropChanges();
    void tbMaxWeekCols_LostFocus();
    // The colour chosen above black; nullopt when the dialog was cancelled.
    std::optional<qint32> SelectColor(qint32 initial, const QString& title);
    void watchEdits();
    // Maintenance: the database file worked on, and what follows a run.
    QString maintenanceSource() const;
    void stopOnlineDisplay();
    void afterMaintenance(int kind);
    void linkBoxClicked(QCheckBox* box, int folder, const QString& question, const QString& title);

    bool m_databaseMode = false;
    bool m_unloading = false;
    SettingsFields m_loaded;
    StoredSettings m_stored;    // the settings as stored when m_loaded was read
    SettingsFields m_shown;     // the fields as the window showed them after loading
    EditedSettings m_edited;
    QString m_shownDatabase;
    SettingsFileContent m_settingsFile;   // the program's own settings file as the window opened
    int m_attempts = 0;
    // The program's end does not pass the window's own question.
    UnsavedEditRegistration m_unsaved{[this] { return unsavedEdit(); }, this};
};
