#include "bookings/frmAdressen.h"

#include "core/conflicts.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/helpkey.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString text(int number)
{
    return GetResString(number);
}

QPushButton* toolButton(QStyle::StandardPixmap icon, const QString& caption, QWidget* style)
{
    auto* button = new QPushButton(style->style()->standardIcon(icon), caption);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

// ---------------------------------------------------------------- entry points

void frmAdressen::ShowAdresse(qint32 custId, AddressReceiver* caller)
{
    frmAdressen& w = instance();
    // The window that asks now is the one the guest goes back to.
    CallerForm = caller;
    w.m_callerObject = dynamic_cast<QObject*>(caller);
    w.m_callerWatched = !w.m_callerObject.isNull();

    ShowForm(&w);
    if (!w.m_columnsSized) {
        // Once laid out: a fifth of the list's width for each name, an eighth
        // for the birthday, yet never too narrow for a whole date.
        const int width = w.ListView1->viewport()->width();
        const int date = w.ListView1->fontMetrics().horizontalAdvance(QStringLiteral("88.88.8888")) + 12;
        w.ListView1->setColumnWidth(AddressListModel::LastName, width / 5);
        w.ListView1->setColumnWidth(AddressListModel::FirstName, width / 5);
        w.ListView1->setColumnWidth(AddressListModel::Birthday, std::max(width / 8, date));
        w.m_columnsSized = true;
    }
    w.m_state.LastSearch = CustomerFilter();
    w.tbSuche->clear();
    {
        FillingListsGuard filling;
        if (w.listCategoriesFilter->count() > 0)
            w.listCategoriesFilter->setCurrentIndex(0);
    }
    if (!KeepAdrList)
        w.m_list.clear();
    RunHandler(QStringLiteral("ShowAdresse"), [&w, custId] {
        if (custId >= 1) {
            // Asked for again, the guest being edited stays as typed: reading
            // it anew would throw the edit away unasked.
            if (custId == w.m_state.CurrentCustomerId && w.m_state.Changed)
                return;
            if (custId != w.m_state.CurrentCustomerId && !w.AskSaveChangedAddress())
                return;
            w.LoadAddress(custId);
        } else if (custId < 0) {
            if (!w.AskSaveChangedAddress())
                return;
            w.NewAddress();
        }
    });
    w.showTab(0);
    w.tbSuche->setFocus();
}

void frmAdressen::unloadForGood()
{
    if (isLoaded())
        instance().close();
}

// ---------------------------------------------------------------- life

frmAdressen::frmAdressen() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmAdressen"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    connectControls();
    Form_Load();
}

frmAdressen::~frmAdressen() = default;

void frmAdressen::buildWindow()
{
    auto* outer = new QHBoxLayout(this);
    outer->addWidget(buildSearchPane(), 2);
    outer->addWidget(buildRecordPane(), 3);
    resize(1040, 620);
}

QWidget* frmAdressen::buildSearchPane()
{
    auto* pane = new QWidget;
    auto* v = new QVBoxLayout(pane);
    v->setContentsMargins(0, 0, 0, 0);

    auto* searchRow = new QHBoxLayout;
    tbSuche = new QLineEdit;
    QPalette yellow = tbSuche->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 170));
    yellow.setColor(QPalette::Text, Qt::black);
    tbSuche->setPalette(yellow);
    btnSearch = toolButton(QStyle::SP_FileDialogContentsView, text(184), this);
    searchRow->addWidget(new QLabel(text(1340)));
    searchRow->addWidget(tbSuche, 1);
    searchRow->addWidget(btnSearch);
    v->addLayout(searchRow);

    auto* categoryRow = new QHBoxLayout;
    listCategoriesFilter = new QComboBox;
    categoryRow->addWidget(new QLabel(text(1313)));
    categoryRow->addWidget(listCategoriesFilter, 1);
    v->addLayout(categoryRow);

    auto* letters = new QGridLayout;
    letters->setSpacing(1);
    for (int i = 0; i < 26; ++i) {
        auto* button = new QPushButton(QString(QChar(u'A' + i)));
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("W")) + 14);
        cmdAlphabeticRegister[static_cast<size_t>(i)] = button;
        letters->addWidget(button, i / 13, i % 13);
    }
    v->addLayout(letters);

    ListView1 = new QTableView;
    ListView1->setModel(&m_list);
    ui::spanNoteLine(ListView1, AddressListModel::IdRole);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setAlternatingRowColors(true);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    ListView1->horizontalHeader()->setStretchLastSection(false);
    ListView1->horizontalHeader()->setSectionsClickable(true);
    ListView1->horizontalHeader()->setHighlightSections(false);
    v->addWidget(ListView1, 1);

    auto* listRow = new QHBoxLayout;
    chkKeepAdrList = new QCheckBox;
    btnListView = new QPushButton;
    btnListView->setAutoDefault(false);
    btnPassData[0] = toolButton(QStyle::SP_DialogApplyButton, QString(), this);
    listRow->addWidget(chkKeepAdrList);
    listRow->addStretch();
    listRow->addWidget(btnListView);
    listRow->addWidget(btnPassData[0]);
    v->addLayout(listRow);
    return pane;
}

QWidget* frmAdressen::buildRecordPane()
{
    auto* pane = new QWidget;
    auto* v = new QVBoxLayout(pane);
    v->setContentsMargins(0, 0, 0, 0);

    auto* tools = new QHBoxLayout;
    btnNeu = toolButton(QStyle::SP_FileIcon, QStringLiteral("&Neu"), this);
    cmdSave = toolButton(QStyle::SP_DialogSaveButton, QStringLiteral("&Speichern"), this);
    btnUndo = toolButton(QStyle::SP_DialogResetButton, QStringLiteral("&Zurücksetzen"), this);
    btnDelete = toolButton(QStyle::SP_TrashIcon, QStringLiteral("&Löschen"), this);
    btnBackHistory = toolButton(QStyle::SP_ArrowBack, QString(), this);
    btnCopyToClipboard = new QPushButton(QStringLiteral("&Kopieren"));
    btnCopyToClipboard->setAutoDefault(false);
    btnHelp = new QPushButton(QStringLiteral("?"));
    btnHelp->setAutoDefault(false);
    btnHelp->setFixedWidth(btnHelp->sizeHint().height() + 4);
    IndexDisplay = new QLabel;
    IndexDisplay->setMinimumWidth(60);
    lbPat_id = new QLabel;
    for (QWidget* w : {static_cast<QWidget*>(btnNeu), static_cast<QWidget*>(cmdSave), static_cast<QWidget*>(btnUndo),
                       static_cast<QWidget*>(btnDelete), static_cast<QWidget*>(btnBackHistory),
                       static_cast<QWidget*>(btnCopyToClipboard)})
        tools->addWidget(w);
    tools->addStretch();
    tools->addWidget(new QLabel(QStringLiteral("Nummer")));
    tools->addWidget(IndexDisplay);
    tools->addWidget(lbPat_id);
    tools->addWidget(btnHelp);
    v->addLayout(tools);

    SSTab1 = new QTabWidget;
    v->addWidget(SSTab1, 1);

    // Tab 0: the address.
    auto* general = new QWidget;
    auto* g = new QGridLayout(general);
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 13, 17}) {
        auto* field = new QLineEdit;
        field->setObjectName(QStringLiteral("tbEntry%1").arg(i));
        tbEntry[static_cast<size_t>(i)] = field;
    }
    tbNotes = new QPlainTextEdit;
    tbNotes->setObjectName(QStringLiteral("tbEntry9"));
    tbNotes->setTabChangesFocus(true);
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 21})
        lblAdr[static_cast<size_t>(i)] = new QLabel;
    auto entryAt = [this](int i) { return tbEntry[static_cast<size_t>(i)]; };
    auto labelAt = [this](int i) { return lblAdr[static_cast<size_t>(i)]; };

    int row = 0;
    g->addWidget(labelAt(0), row, 0);
    g->addWidget(entryAt(entry::LastName), row++, 1, 1, 4);
    g->addWidget(labelAt(1), row, 0);
    g->addWidget(entryAt(entry::FirstName), row++, 1, 1, 4);
    g->addWidget(labelAt(2), row, 0);
    g->addWidget(entryAt(entry::Company), row++, 1, 1, 4);
    frameAnrede = new QGroupBox;
    auto* salutation = new QHBoxLayout(frameAnrede);
    for (size_t i = 0; i < optAnrede.size(); ++i) {
        optAnrede[i] = new QRadioButton;
        salutation->addWidget(optAnrede[i]);
    }
    salutation->addStretch();
    g->addWidget(frameAnrede, row++, 1, 1, 4);
    g->addWidget(labelAt(5), row, 0);
    g->addWidget(entryAt(entry::Street), row++, 1, 1, 4);
    auto* cityRow = new QHBoxLayout;
    entryAt(entry::Zip)->setMaximumWidth(90);
    imgOrtZweifel = new QLabel;
    imgOrtZweifel->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    imgOrtZweifel->setToolTip(QStringLiteral("Die Ortsangabe ist nur ein Vorschlag, der sich aus der PLZ ergibt."));
    imgOrtZweifel->setCursor(Qt::PointingHandCursor);
    imgOrtZweifel->hide();
    cityRow->addWidget(entryAt(entry::Zip));
    cityRow->addWidget(labelAt(10));
    cityRow->addWidget(entryAt(entry::City), 1);
    cityRow->addWidget(imgOrtZweifel);
    g->addWidget(labelAt(8), row, 0);
    g->addLayout(cityRow, row++, 1, 1, 4);
    g->addWidget(labelAt(13), row, 0);
    g->addWidget(entryAt(entry::Country), row++, 1, 1, 4);
    g->addWidget(labelAt(6), row, 0);
    g->addWidget(entryAt(entry::Phone), row, 1, 1, 2);
    g->addWidget(labelAt(21), row, 3);
    g->addWidget(entryAt(entry::Phone2), row++, 4);
    g->addWidget(labelAt(7), row, 0);
    g->addWidget(entryAt(entry::Fax), row, 1, 1, 2);
    g->addWidget(labelAt(12), row, 3);
    g->addWidget(entryAt(entry::Mobile), row++, 4);
    g->addWidget(labelAt(3), row, 0);
    g->addWidget(entryAt(entry::Email), row, 1, 1, 2);
    g->addWidget(labelAt(4), row, 3);
    g->addWidget(entryAt(entry::Birthday), row++, 4);
    g->addWidget(labelAt(9), row, 0, Qt::AlignTop);
    g->addWidget(tbNotes, row++, 1, 1, 4);
    g->setRowStretch(row - 1, 1);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(4, 1);
    SSTab1->addTab(general, QString());

    // Tab 1: category and caution.
    auto* categories = new QWidget;
    auto* c = new QGridLayout(categories);
    listCategories = new QComboBox;
    cmdEditCategories = new QPushButton;
    cmdEditCategories->setAutoDefault(false);
    checkTyp[4] = new QCheckBox;
    c->addWidget(new QLabel(text(1313)), 0, 0);
    c->addWidget(listCategories, 0, 1);
    c->addWidget(cmdEditCategories, 0, 2);
    c->addWidget(checkTyp[4], 1, 1);
    c->setColumnStretch(1, 1);
    c->setRowStretch(2, 1);
    SSTab1->addTab(categories, QString());

    // Tabs 2 and 3 open the guest's bookings and invoices in their windows.
    auto* bookings = new QWidget;
    auto* b = new QVBoxLayout(bookings);
    btnTerminliste = toolButton(QStyle::SP_FileDialogListView, QStringLiteral("Buchungen dieses Gastes anzeigen"), this);
    b->addWidget(btnTerminliste, 0, Qt::AlignLeft);
    b->addStretch();
    SSTab1->addTab(bookings, QString());
    auto* invoices = new QWidget;
    auto* r = new QVBoxLayout(invoices);
    cmdInvoice = toolButton(QStyle::SP_FileDialogDetailedView, QStringLiteral("Rechnungen anzeigen"), this);
    r->addWidget(cmdInvoice, 0, Qt::AlignLeft);
    r->addStretch();
    SSTab1->addTab(invoices, QStringLiteral("Rechnungen"));

    auto* bottom = new QHBoxLayout;
    btnPassData[1] = toolButton(QStyle::SP_DialogApplyButton, QString(), this);
    bottom->addStretch();
    bottom->addWidget(btnPassData[1]);
    v->addLayout(bottom);
    return pane;
}

void frmAdressen::connectControls()
{
    connect(btnSearch, &QPushButton::clicked, this, &frmAdressen::btnSearch_Click);
    connect(tbSuche, &QLineEdit::returnPressed, this, &frmAdressen::btnSearch_Click);
    connect(listCategoriesFilter, &QComboBox::activated, this, &frmAdressen::listCategoriesFilter_Click);
    for (int i = 0; i < 26; ++i)
        connect(cmdAlphabeticRegister[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdAlphabeticRegister_Click(i); });
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    ListView1_ItemClick(current.row());
            });
    connect(ListView1, &QTableView::doubleClicked, this, &frmAdressen::ListView1_DblClick);
    connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmAdressen::ListView1_ColumnClick);
    connect(chkKeepAdrList, &QCheckBox::clicked, this, &frmAdressen::chkKeepAdrList_Click);
    connect(btnListView, &QPushButton::clicked, this, &frmAdressen::btnListView_Click);
    for (QPushButton* button : btnPassData)
        connect(button, &QPushButton::clicked, this, &frmAdressen::btnPassData_Click);
    connect(btnNeu, &QPushButton::clicked, this, &frmAdressen::btnNeu_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmAdressen::cmdSave_Click);
    connect(btnUndo, &QPushButton::clicked, this, &frmAdressen::btnUndo_Click);
    connect(btnDelete, &QPushButton::clicked, this, &frmAdressen::btnDelete_Click);
    connect(btnBackHistory, &QPushButton::clicked, this, &frmAdressen::btnBackHistory_Click);
    connect(btnCopyToClipboard, &QPushButton::clicked, this, &frmAdressen::btnCopyToClipboard_Click);
    connect(btnHelp, &QPushButton::clicked, this, &frmAdressen::btnHelp_Click);
    ui::BindHelpKey(this, btnHelp);
    connect(btnTerminliste, &QPushButton::clicked, this, &frmAdressen::btnTerminliste_Click);
    connect(cmdInvoice, &QPushButton::clicked, this, &frmAdressen::cmdInvoice_Click);
    connect(cmdEditCategories, &QPushButton::clicked, this, &frmAdressen::cmdEditCategories_Click);
    connect(SSTab1, &QTabWidget::currentChanged, this, &frmAdressen::SSTab1_Click);
    connect(listCategories, &QComboBox::currentIndexChanged, this, &frmAdressen::listCategories_Click);
    connect(checkTyp[4], &QCheckBox::toggled, this, [this] { checkTyp_Click(4); });
    for (int i = 0; i < 4; ++i)
        connect(optAnrede[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] { optAnrede_Click(i); });

    for (size_t i = 0; i < tbEntry.size(); ++i) {
        QLineEdit* field = tbEntry[i];
        if (!field)
            continue;
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, &frmAdressen::tbEntry_Change);
        connect(field, &QLineEdit::textEdited, this, [this, i] { m_record.edited(static_cast<int>(i)); });
        // Enter ends the entry and hands the address over.
        connect(field, &QLineEdit::returnPressed, this, &frmAdressen::btnPassData_Click);
    }
    tbNotes->installEventFilter(this);
    connect(tbNotes, &QPlainTextEdit::textChanged, this, &frmAdressen::tbEntry_Change);
    connect(tbNotes, &QPlainTextEdit::textChanged, this, [this] {
        if (!FillingLists)
            m_record.edited(entry::Notes);
    });
    tbSuche->installEventFilter(this);
    ListView1->installEventFilter(this);
    imgOrtZweifel->installEventFilter(this);
}

void frmAdressen::Form_Load()
{
    setWindowTitle(PersonSearchTitle());
    btnTerminliste->setToolTip(PersonBookingsTip());
    btnBackHistory->setToolTip(text(1301));
    btnUndo->setToolTip(text(1302));
    btnCopyToClipboard->setToolTip(text(1303));
    btnDelete->setToolTip(GetResString(1650, {{QStringLiteral("%s"), text(1304)}}));
    cmdSave->setToolTip(text(1305));
    chkKeepAdrList->setText(text(1306));
    btnListView->setText(text(1307));
    tbSuche->setToolTip(text(1308));
    btnHelp->setToolTip(text(269));
    for (QPushButton* button : btnPassData) {
        button->setText(text(1319));
        button->setToolTip(text(1310));
    }
    // One Alt letter for the hand-over: two buttons with it would only take turns at the focus.
    btnPassData[1]->setText(QStringLiteral("&") + text(1319));
    SSTab1->setTabText(0, text(1311));
    SSTab1->setTabText(1, text(1312));
    SSTab1->setTabText(2, text(293));
    cmdEditCategories->setText(text(1312));
    checkTyp[4]->setText(text(1316) + QStringLiteral(" !"));
    frameAnrede->setTitle(text(334));
    optAnrede[0]->setText(text(328));
    optAnrede[1]->setText(text(329));
    optAnrede[2]->setText(text(333));
    optAnrede[3]->setText(QLatin1Char('(') + text(313) + QLatin1Char(')'));
    const std::array<std::pair<int, int>, 14> captions = {{{0, 1320}, {1, 1321}, {2, 1322}, {3, 1332}, {4, 1333},
                                                           {5, 1323}, {6, 1328}, {7, 1330}, {8, 1324}, {9, 1334},
                                                           {10, 1325}, {13, 1326}, {12, 1331}, {21, 1329}}};
    for (const auto& [label, number] : captions)
        lblAdr[static_cast<size_t>(label)]->setText(text(number));
    btnSearch->setToolTip(text(1309));
    btnNeu->setToolTip(text(1315));
    cmdInvoice->setToolTip(QStringLiteral("Rechnungen dieses Gastes anzeigen"));

    {
        FillingListsGuard filling;
        chkKeepAdrList->setChecked(KeepAdrList);
        RunHandler(QStringLiteral("FillCategoryLists"), [this] { FillCategoryLists(); });
    }
    ClearAddressFields();

    if (StationReadOnly) {
        for (QWidget* w : {static_cast<QWidget*>(btnNeu), static_cast<QWidget*>(cmdSave),
                           static_cast<QWidget*>(btnDelete), static_cast<QWidget*>(btnPassData[0]),
                           static_cast<QWidget*>(btnPassData[1])})
            w->hide();
    }
}

void frmAdressen::closeEvent(QCloseEvent* event)
{
    if (isVisible())
        commitPendingEdit();
    if (!Closing) {
        event->ignore();
        hideWindow();
        return;
    }
    // Unloaded for good: edits not yet stored are offered once more.
    RunHandler(QStringLiteral("Form_Unload"), [this] { AskSaveChangedAddress(); });
    event->accept();
    release();
}

void frmAdressen::hideWindow()
{
    LastDeactivatedForm = QStringLiteral("FRMADRESSEN");
    hide();
}

void frmAdressen::keyPressEvent(QKeyEvent* event)
{
    // Escape and Alt+F4 close the window, which hides it.
    const bool altF4 = event->key() == Qt::Key_F4 && (event->modifiers() & Qt::AltModifier);
    if (event->key() == Qt::Key_Escape || altF4) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmAdressen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        LastDeactivatedForm = QStringLiteral("FRMADRESSEN");
    QWidget::changeEvent(event);
}

bool frmAdressen::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == imgOrtZweifel && type == QEvent::MouseButtonRelease) {
        imgOrtZweifel_Click();
        return true;
    }
    if (watched == tbSuche && type == QEvent::FocusIn) {
        // After the click that gave the focus, which would place the cursor.
        QTimer::singleShot(0, tbSuche, [this] { SelectAllText(tbSuche); });
    } else if (watched == ListView1 && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnPassData_Click();
            return true;
        }
    } else if (type == QEvent::FocusOut || type == QEvent::FocusIn || type == QEvent::KeyPress) {
        int index = -1;
        if (watched == tbNotes)
            index = entry::Notes;
        for (size_t i = 0; i < tbEntry.size() && index < 0; ++i)
            if (watched == tbEntry[i])
                index = static_cast<int>(i);
        if (index >= 0) {
            if (type == QEvent::FocusOut) {
                // Another window coming to the front is no leaving of the field.
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                    tbEntry_LostFocus(index);
            } else if (type == QEvent::FocusIn) {
                tbEntry_GotFocus(index);
            } else if (index == entry::City) {
                imgOrtZweifel->hide();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- small handlers

void frmAdressen::btnHelp_Click()
{
    OpenFileWithShell(AppPath + QStringLiteral("help.pdf"));
}

void frmAdressen::chkKeepAdrList_Click()
{
    if (FillingLists)
        return;
    KeepAdrList = chkKeepAdrList->isChecked();
    // A read-only workstation keeps the choice for this run only.
    if (!StationReadOnly)
        SavePreference(QStringLiteral("KeepAdrList"), db::Value(KeepAdrList), 1);
}

void frmAdressen::cmdEditCategories_Click()
{
    if (RefuseReadOnly(ui::Critical))
        return;
    ShowRessources(QStringLiteral("tbl_cust_categories"), text(1314));
}

void frmAdressen::cmdInvoice_Click()
{
    RunHandler(QStringLiteral("cmdInvoice_Click"), [this] {
        const qint32 id = m_state.CurrentCustomerId;
        ShowRechnung(GetLastInvoiceIdOfCustomer(id), id, -1);
    });
}

void frmAdressen::SSTab1_Click(int tab)
{
    if (tab == 2)
        btnTerminliste_Click();
    else if (tab == 3)
        cmdInvoice_Click();
}

void frmAdressen::showTab(int tab)
{
    const QSignalBlocker quiet(SSTab1);
    SSTab1->setCurrentIndex(tab);
}
