#include "core/dialogs/resourceeditor.h"

#include "core/dialogs/colormixer.h"
#include "core/dialogs/resourcemodel.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/startup.h"
#include "core/tabledata.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "platform/runtime/twips.h"
#include "platform/ui/busy.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/helpkey.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

struct TableSetup {
    QString hint;
    int lockedColumns = 0;   // the first columns cannot be changed
    int hiddenColumns = 0;   // and the first ones are not shown
    bool rowsEditable = true;
    QStringList requiredColumns;  // cannot be cleared
    QString requiredText;         // why not
};

// Compared exactly, as the callers pass the names.
TableSetup setupFor(const QString& table)
{
    TableSetup s;
    if (table == QLatin1String("tbl_vat")) {
        s.hint = QStringLiteral("ACHTUNG : Löschen Sie NICHT die aktuell gültige Zeile der Mehrwertsteuersätze. Bei "
                                "offiziellen Änderungen definieren Sie neue Datensätze mit korrekten Datumszeiträumen, und "
                                "grenzen Sie den vorher gültigen Zeitraum im Endedatum ab.");
        // An empty rate reads as 0 %: every invoice of the period would go without VAT.
        s.requiredColumns = {QStringLiteral("vat_full"), QStringLiteral("vat_reduced")};
        s.requiredText = QStringLiteral("Ein Mehrwertsteuersatz darf nicht leer bleiben, sonst rechnen die Rechnungen "
                                        "dieses Zeitraums ohne ihn. Tragen Sie 0 ein, wenn keine Mehrwertsteuer gilt.");
    } else if (table == QLatin1String("tbl_mandanten")) {
        s.hint = QStringLiteral("Einen neuen Mandanten können Sie in der untersten Zeile anlegen. Die Spalte [mand_id] muss "
                                "eine eindeutige Nummer enthalten.");
    } else if (table == QLatin1String("tbl_cust_categories")) {
        s.hint = GetResString(1686);
    } else if (table == QLatin1String("tbl_workstations")) {
        s.lockedColumns = 1;
        s.hiddenColumns = 1;
    } else if (table == QLatin1String("tbl_colors")) {
        s.hint = GetResString(1683);
    } else if (table == QLatin1String("tbl_resources")) {
        s.hint = GetResString(1680);
    } else if (table == QLatin1String("tbl_pages")) {
        s.hint = GetResString(1681);
    } else if (table == QLatin1String("Wochentage") || table == QLatin1String("GUI_Terms")) {
        s.hint = GetResString(table == QLatin1String("Wochentage") ? 1684 : 1685);
        s.lockedColumns = 2;
        s.hiddenColumns = 1;
        s.rowsEditable = false;
    }
    return s;
}

QString windowName()
{
    return QStringLiteral("FRMRESOURCEN");
}

}  // namespace

// Opens a cell's editor once on what the user typed there and the column
// refused, so it can be mended rather than typed again.
class RetypeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void retype(const QModelIndex& cell, const QString& text)
    {
        m_cell = cell;
        m_text = text;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && m_cell.isValid() && index == m_cell) {
            line->setText(m_text);
            m_cell = QPersistentModelIndex();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

private:
    mutable QPersistentModelIndex m_cell;
    QString m_text;
};

void frmResourcen::ShowRessources(const QString& table, const QString& caption)
{
    if (RefuseReadOnly(ui::Critical)) {
        if (isLoaded())
            unload();
        return;
    }
    bool exists = false;
    if (!RunHandler(QStringLiteral("ShowRessources"), [&] { exists = TableExists(table); }))
        return;
    if (!exists) {
        ui::msgBox(QStringLiteral("Die Tabelle \"") + table + QStringLiteral("\" gibt es in dieser Datenbank nicht."),
                   ui::Exclamation, caption);
        return;
    }
    frmResourcen& w = instance();
    // Another table still open keeps what could not be stored.
    if (w.m_data && !w.saveChanges())
        return;
    ShowForm(&w);
    ui::doEvents();
    w.setWindowTitle(caption);
    w.bind(table);
}

frmResourcen::frmResourcen() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmResourcen"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* outer = new QVBoxLayout(this);
    grdDataGrid = new QTableView;
    m_model = new ResourceTableModel(this);
    grdDataGrid->setModel(m_model);
    m_delegate = new RetypeDelegate(grdDataGrid);
    grdDataGrid->setItemDelegate(m_delegate);
    grdDataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDataGrid->setAlternatingRowColors(true);
    grdDataGrid->horizontalHeader()->setStretchLastSection(true);
    // Columns are fitted to the rows on screen: the rows further down are
    // read only when the user scrolls to them.
    grdDataGrid->horizontalHeader()->setResizeContentsPrecision(0);
    outer->addWidget(grdDataGrid, 1);
    lbHints = new QLabel;
    lbHints->setWordWrap(true);
    lbHints->setStyleSheet(QStringLiteral("color: #0000FF;"));
    outer->addWidget(lbHints);
    chkLock = new QCheckBox;
    outer->addWidget(chkLock);
    for (QFrame*& line : Line1) {
        line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        outer->addWidget(line);
    }
    auto* buttons = new QHBoxLayout;
    btnNeu = new QPushButton(QStringLiteral("Neu"));
    btnDelete = new QPushButton(QStringLiteral("Löschen"));
    btnSave = new QPushButton;
    cmdNeulesen = new QPushButton;
    cmdHelp = new QPushButton(QStringLiteral("?"));
    cmdHelp->setMaximumWidth(32);
    cmdSchliessen = new QPushButton;
    datPrimaryRS = new QLabel;
    for (QWidget* w : {static_cast<QWidget*>(btnNeu), static_cast<QWidget*>(btnDelete), static_cast<QWidget*>(btnSave),
                       static_cast<QWidget*>(cmdNeulesen), static_cast<QWidget*>(datPrimaryRS)})
        buttons->addWidget(w);
    buttons->addStretch();
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdSchliessen);
    outer->addLayout(buttons);

    TableClickTimer = new QTimer(this);
    TableClickTimer->setInterval(50);
    TableClickTimer->setSingleShot(true);

    connect(chkLock, &QCheckBox::clicked, this, &frmResourcen::chkLock_Click);
    connect(btnNeu, &QPushButton::clicked, this, &frmResourcen::btnNeu_Click);
    connect(btnDelete, &QPushButton::clicked, this, &frmResourcen::btnDelete_Click);
    connect(btnSave, &QPushButton::clicked, this, &frmResourcen::btnSave_Click);
    connect(cmdNeulesen, &QPushButton::clicked, this, &frmResourcen::cmdNeulesen_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmResourcen::cmdHelp_Click);
    ui::BindHelpKey(this, cmdHelp);
    connect(cmdSchliessen, &QPushButton::clicked, this, &frmResourcen::cmdSchliessen_Click);
    connect(TableClickTimer, &QTimer::timeout, this, &frmResourcen::TableClickTimer_Timer);
    connect(grdDataGrid, &QTableView::clicked, this, &frmResourcen::grdDataGrid_Click);
    ui::onCellKeys(grdDataGrid, [this](const QModelIndex& index) { grdDataGrid_Click(index); });
    // As the close box; a cell being edited takes its Escape first.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(grdDataGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmResourcen::grdDataGrid_RowColChange);
    connect(m_model, &ResourceTableModel::changed, this, [this] { m_modified = true; });
    connect(m_model, &ResourceTableModel::writeFailed, this, &frmResourcen::grdDataGrid_Error);
    // A reading the grid makes itself, outside any command of the user.
    connect(m_model, &ResourceTableModel::readFailed, this, [](const QString& description) {
        ui::msgBox(QStringLiteral("Data error event hit err: ") + description, ui::OkOnly);
    });
    connect(m_model, &ResourceTableModel::emptyRefused, this,
            [this] { ui::msgBox(m_requiredText, ui::Exclamation, windowTitle()); });
    connect(m_model, &ResourceTableModel::keyChangeRefused, this, &frmResourcen::grdDataGrid_KeyRefused);
    connect(m_model, &ResourceTableModel::valueRefused, this, &frmResourcen::grdDataGrid_ValueRefused);
    connect(m_model, &ResourceTableModel::notWritten, this, &frmResourcen::grdDataGrid_NotWritten);
    resize(760, 520);
    Form_Load();
}

frmResourcen::~frmResourcen()
{
    // The model must not outlive the rows it shows.
    m_model->setTable(nullptr);
}

void frmResourcen::Form_Load()
{
    chkLock->setText(GetResString(1672));
    chkLock->setChecked(true);
    btnNeu->setToolTip(GetResString(1671));
    btnDelete->setToolTip(GetResString(1670));
    btnSave->setText(GetResString(271));
    btnSave->setToolTip(GetResString(271));
    cmdNeulesen->setText(GetResString(1307));
    cmdSchliessen->setText(GetResString(149));
    cmdHelp->setToolTip(GetResString(269));
    btnNeu->setEnabled(false);
    btnDelete->setEnabled(false);
    chkLock_Click();
}

bool frmResourcen::bind(const QString& table)
{
    m_table = table;
    return RunHandler(QStringLiteral("ShowRessources"), [this, &table] {
        m_model->setTable(nullptr);
        m_data = std::make_unique<TableData>(table);
        m_model->setTable(m_data.get());

        m_colorColumn = -2;
        for (int i = 0; i < m_data->columns().size(); ++i) {
            const QString& name = m_data->columns()[i].name;
            if (name == QLatin1String("Color") || name.contains(QLatin1String("farb"), Qt::CaseInsensitive)) {
                m_colorColumn = i;
                break;
            }
        }
        applySetup();
        chkLock_Click();
        grdDataGrid->resizeColumnsToContents();
        showPosition();
    });
}

void frmResourcen::applySetup()
{
    const TableSetup setup = setupFor(m_table);
    lbHints->setText(setup.hint);
    lbHints->setVisible(!setup.hint.isEmpty());
    m_rowsEditable = setup.rowsEditable;
    m_model->setLockedColumns(setup.lockedColumns);
    m_model->setRowsEditable(setup.rowsEditable);
    std::set<int> required;
    for (int i = 0; i < m_model->columnCount(); ++i) {
        grdDataGrid->setColumnHidden(i, i < setup.hiddenColumns);
        if (setup.requiredColumns.contains(m_data->columns()[i].name, Qt::CaseInsensitive))
            required.insert(i);
    }
    m_model->setRequiredColumns(required);
    m_requiredText = setup.requiredText;
}

void frmResourcen::chkLock_Click()
{
    const bool editing = !chkLock->isChecked();
    if (!editing && m_model->hasPending() && !saveChanges()) {
        chkLock->setChecked(false);
        return;
    }
    m_model->setLocked(!editing);
    grdDataGrid->setEditTriggers(editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                               | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                                         : QAbstractItemView::NoEditTriggers);
    cmdNeulesen->setEnabled(editing);
    btnSave->setEnabled(editing);
    if (m_rowsEditable) {
        btnNeu->setEnabled(editing);
        btnDelete->setEnabled(editing);
    }
}

// ---------------------------------------------------------------- grid

void frmResourcen::grdDataGrid_RowColChange(const QModelIndex& current, const QModelIndex& previous)
{
    m_currentRow = current.isValid() ? current.row() : -1;
    m_currentColumn = current.isValid() ? current.column() : -1;
    showPosition();
    // Leaving the new line stores it, as leaving a row of the grid always did.
    if (m_saving || !previous.isValid() || current.row() == previous.row() || !m_model->isNewLine(previous.row())
        || !m_model->hasPending())
        return;
    try {
        m_model->commitPending();
    } catch (const db::DbError& e) {
        grdDataGrid_Error(e.description());
    }
}

void frmResourcen::grdDataGrid_Click(const QModelIndex& index)
{
    m_currentRow = index.row();
    m_currentColumn = index.column();
    TableClickTimer->start();
}

void frmResourcen::TableClickTimer_Timer()
{
    TableClickTimer->stop();
    if (m_currentRow < 0 || m_currentColumn < 0 || !m_data)
        return;
    // A colour column in the first place never opens the pop-up.
    if (m_colorColumn > 0 && m_currentColumn == m_colorColumn && !chkLock->isChecked()
        && !(frmColorSelector::isLoaded() && frmColorSelector::instance().isVisible())) {
        const QPoint corner = grdDataGrid->viewport()->mapToGlobal(
            QPoint(grdDataGrid->columnViewportPosition(m_colorColumn), grdDataGrid->rowViewportPosition(m_currentRow)));
        frmColorSelector::instance().ShowColor(this, corner.x() * rt::TwipsPerPixel, corner.y() * rt::TwipsPerPixel);
        return;
    }
    if (m_table == QLatin1String("tbl_colors") && !chkLock->isChecked()
        && m_data->columns().at(m_currentColumn).name == QLatin1String("Name")) {
        const QModelIndex cell = m_model->index(m_currentRow, m_currentColumn);
        bool ok = false;
        const qint32 current = m_model->data(cell, Qt::EditRole).toString().toInt(&ok, 16);
        frmColorConfig mixer(this);
        mixer.setValue(ok ? current : 0);
        mixer.exec();
        // Black and a cancelled mixer leave the cell as it is.
        if (mixer.Value() > 0)
            m_model->setData(cell, QString::number(mixer.Value(), 16).toUpper());
    }
}

void frmResourcen::Receive_SelectedColor(qint32 index)
{
    if (m_colorColumn < 0 || m_currentRow < 0)
        return;
    if (m_model->setData(m_model->index(m_currentRow, m_colorColumn), QString::number(index)))
        m_modified = true;
}

void frmResourcen::grdDataGrid_Error(const QString& description)
{
    if (m_saving) {
        m_saveError = description;
        return;
    }
    ui::msgBox(GetResString(1698) + QStringLiteral("\n\n") + description, ui::Critical, windowTitle());
    unsetCursor();
}

void frmResourcen::grdDataGrid_KeyRefused(const QString& reasons)
{
    const QString text = QStringLiteral("Die Nummer dieses Eintrags kann nicht geändert werden.\n\n") + reasons;
    if (m_saving) {
        m_saveError = text;
        return;
    }
    ui::msgBox(text, ui::Exclamation, windowTitle());
}

void frmResourcen::grdDataGrid_ValueRefused(const QModelIndex& cell, const QString& problem, const QString& typed)
{
    // Once the grid has closed the refused edit (a save: once it is over),
    // the cell opens again on it.
    m_delegate->retype(cell, typed);
    m_refusedCell = cell;
    if (m_saving) {
        m_saveError = problem;
        return;
    }
    ui::msgBox(problem, ui::Exclamation, windowTitle());
    QMetaObject::invokeMethod(this, &frmResourcen::reopenRefusedCell, Qt::QueuedConnection);
}

void frmResourcen::reopenRefusedCell()
{
    const QPersistentModelIndex cell = std::exchange(m_refusedCell, QPersistentModelIndex());
    if (!cell.isValid())
        return;
    grdDataGrid->setCurrentIndex(cell);
    // Locked meanwhile: the cell shows what is stored.
    if (!(m_model->flags(cell) & Qt::ItemIsEditable)) {
        m_delegate->retype(QModelIndex(), QString());
        return;
    }
    grdDataGrid->edit(cell);
}

void frmResourcen::grdDataGrid_NotWritten(const QString& text)
{
    const QString full = text + QStringLiteral("\n\nIhre Änderung wurde nicht gespeichert.");
    if (m_saving) {
        m_saveError = full;
        return;
    }
    ui::msgBox(full, ui::Exclamation, windowTitle());
}

void frmResourcen::showPosition()
{
    datPrimaryRS->setText(QStringLiteral("Datensatz: ") + (m_currentRow >= 0 ? QString::number(m_currentRow + 1) : QString()));
}

// ---------------------------------------------------------------- buttons

void frmResourcen::btnNeu_Click()
{
    if (!m_data || !m_model->isNewLine(m_model->rowCount() - 1))
        return;
    int column = 0;
    while (column < m_model->columnCount()
           && (grdDataGrid->isColumnHidden(column) || !(m_model->flags(m_model->index(0, column)) & Qt::ItemIsEditable)))
        ++column;
    if (column >= m_model->columnCount())
        column = 0;
    const QModelIndex cell = m_model->index(m_model->rowCount() - 1, column);
    grdDataGrid->setFocus();
    grdDataGrid->setCurrentIndex(cell);
    grdDataGrid->edit(cell);
}

void frmResourcen::btnDelete_Click()
{
    if (chkLock->isChecked() || !m_rowsEditable)
        return;
    const int row = grdDataGrid->currentIndex().row();
    if (row < 0)
        return;
    if (m_model->isNewLine(row)) {
        m_model->discardPending();
        return;
    }
    QString refusal;
    try {
        if (!m_model->deleteStoredRow(row, &refusal)) {
            // Declined: the row stays, shown as stored.
            if (!refusal.isEmpty())
                ui::msgBox(QStringLiteral("Der Eintrag kann nicht gelöscht werden.\n\n") + refusal, ui::Exclamation,
                           windowTitle());
            grdDataGrid->setCurrentIndex(m_model->index(row, std::max(0, m_currentColumn)));
            return;
        }
    } catch (const db::DbError& e) {
        ui::msgBox(GetResString(1675, {{QStringLiteral("%s"), e.description()}}), ui::Exclamation, windowTitle());
        return;
    }
    m_modified = true;
    const int next = std::min(row, m_model->storedRows() - 1);
    if (next >= 0)
        grdDataGrid->setCurrentIndex(m_model->index(next, std::max(0, m_currentColumn)));
}

bool frmResourcen::saveChanges()
{
    if (!m_data)
        return true;
    m_saving = true;
    m_saveError.clear();
    // Taking the current cell away ends an edit in progress and stores it.
    const QModelIndex keep = grdDataGrid->currentIndex();
    const int keepRow = keep.row(), keepColumn = keep.column();
    grdDataGrid->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    ui::doEvents();
    if (m_saveError.isEmpty()) {
        try {
            m_model->commitPending();
        } catch (const db::DbError& e) {
            m_saveError = e.description();
        }
    }
    m_saving = false;
    if (keepRow >= 0 && keepRow < m_model->rowCount())
        grdDataGrid->selectionModel()->setCurrentIndex(m_model->index(keepRow, keepColumn), QItemSelectionModel::NoUpdate);
    reopenRefusedCell();
    if (m_saveError.isEmpty())
        return true;
    ui::msgBox(GetResString(1675, {{QStringLiteral("%s"), m_saveError}}), ui::Exclamation, windowTitle());
    return false;
}

void frmResourcen::btnSave_Click()
{
    saveChanges();
}

void frmResourcen::cmdNeulesen_Click()
{
    if (!saveChanges())
        return;
    RunHandler(QStringLiteral("cmdNeulesen_Click"), [this] { m_model->reload(); });
}

void frmResourcen::cmdHelp_Click()
{
    ShowHelpTopic(m_table + QStringLiteral(".htm"));
}

void frmResourcen::cmdSchliessen_Click()
{
    unsetCursor();
    if (!saveChanges())
        return;
    m_unloading = true;
    close();
}

// ---------------------------------------------------------------- life

void frmResourcen::closeEvent(QCloseEvent* event)
{
    // The close box stores like the close button, and stays open on failure.
    if (!m_unloading && !saveChanges()) {
        event->ignore();
        return;
    }
    event->accept();
    Form_Unload();
}

void frmResourcen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        LastDeactivatedForm = windowName();
    QWidget::changeEvent(event);
}

void frmResourcen::Form_Unload()
{
    unsetCursor();
    LastDeactivatedForm = windowName();
    TableClickTimer->stop();
    if (m_modified) {
        ui::msgBox(GetResString(1699), ui::Information, windowTitle());
        const bool previous = Closing;
        Closing = true;
        ui::doEvents();
        // A settings window with changes asks its own question first, and may stay.
        for (const auto& unloadWindow :
             {Windows().unloadAddressBook, Windows().unloadSettings, Windows().unloadFacilityOverview}) {
            if (unloadWindow)
                unloadWindow();
        }
        FillResourceArrays();
        Closing = previous;
        ui::doEvents();
        ShowMainForm();
    }
    release();
}
