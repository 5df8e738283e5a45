#pragma once

#include "core/dialogs/colorselector.h"
#include "core/singlewindow.h"

#include <QPersistentModelIndex>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class ResourceTableModel;
class RetypeDelegate;
class TableData;

// The table editor: one table of the database in a grid, opened locked.
// Closing after changes rebuilds the windows that read the edited tables.
class frmResourcen : public QWidget, public SingleWindow<frmResourcen>, public ColorReceiver {
    Q_OBJECT
    friend class SingleWindow<frmResourcen>;

public:
    // Opens the editor on the table; a read-only workstation gets text 390
    // and no editor, a table the database lacks a message.
    static void ShowRessources(const QString& table, const QString& caption);
    ~frmResourcen() override;

    void Receive_SelectedColor(qint32 index) override;

    const QString& tableName() const { return m_table; }
    bool modified() const { return m_modified; }
    // The grid column holding a colour index; -2 when there is none.
    int colorColumn() const { return m_colorColumn; }
    ResourceTableModel* model() const { return m_model; }

    QTableView* grdDataGrid = nullptr;
    QLabel* datPrimaryRS = nullptr;
    QLabel* lbHints = nullptr;
    QCheckBox* chkLock = nullptr;
    QPushButton* btnNeu = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* cmdNeulesen = nullptr;
    QPushButton* cmdSchliessen = nullptr;
    QPushButton* cmdHelp = nullptr;
    QTimer* TableClickTimer = nullptr;
    std::array<QFrame*, 2> Line1{};

public slots:
    void chkLock_Click();
    void btnNeu_Click();
    void btnDelete_Click();
    void btnSave_Click();
    void cmdNeulesen_Click();
    void cmdHelp_Click();
    void cmdSchliessen_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    frmResourcen();
    void Form_Load();
    void Form_Unload();
    bool bind(const QString& table);
    void applySetup();
    // Ends a cell edit in progress and stores the new line; 1675 and false
    // when something could not be stored.
    bool saveChanges();
    void grdDataGrid_Click(const QModelIndex& index);
    void grdDataGrid_RowColChange(const QModelIndex& current, const QModelIndex& previous);
    void grdDataGrid_Error(const QString& description);
    void grdDataGrid_KeyRefused(const QString& reasons);
    void grdDataGrid_NotWritten(const QString& text);
    void grdDataGrid_ValueRefused(const QModelIndex& cell, const QString& problem, const QString& typed);
    void reopenRefusedCell();
    void TableClickTimer_Timer();
    void showPosition();

    QString m_table;
    std::unique_ptr<TableData> m_data;
    ResourceTableModel* m_model = nullptr;
    RetypeDelegate* m_delegate = nullptr;
    QPersistentModelIndex m_refusedCell;   // to open again on what was typed
    bool m_modified = false;
    int m_colorColumn = -2;
    bool m_rowsEditable = true;
    QString m_requiredText;
    int m_currentRow = -1;
    int m_currentColumn = -1;
    bool m_saving = false;
    bool m_unloading = false;
    QString m_saveError;
};
