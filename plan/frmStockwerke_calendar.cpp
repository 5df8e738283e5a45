#include "plan/frmStockwerke.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/datefunctions.h"
#include "core/handler.h"
#include "core/preferences.h"
#include "plan/periodnav.h"
#include "platform/runtime/color.h"
#include "platform/runtime/format.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int CalendarColumnWidth = 46;
constexpr int CalendarRowHeight = 22;

}  // namespace

QWidget* frmStockwerke::buildCalendarFrame()
{
    frameCheckTimeLimits = new QGroupBox(QStringLiteral("Prüfzeitraum"));
    auto* layout = new QVBoxLayout(frameCheckTimeLimits);
    layout->setSpacing(3);
    auto* hint = new QLabel(QStringLiteral("Zeitraum    (mit Maus im Kalender markieren)"), frameCheckTimeLimits);
    lbDateRange = new QLabel(frameCheckTimeLimits);
    lbDateRange->setToolTip(QStringLiteral("Zeitraum im Kalender anzeigen"));
    lbDateRange->setCursor(Qt::PointingHandCursor);
    lbDateRange->installEventFilter(this);
    QFont bold = lbDateRange->font();
    bold.setBold(true);
    lbDateRange->setFont(bold);
    cmdBuchungStartNow = new QPushButton(QStringLiteral("heute"), frameCheckTimeLimits);
    // The period gets a row of its own: in bold it needs the frame's width.
    auto* hintRow = new QHBoxLayout;
    hintRow->addWidget(hint, 1);
    hintRow->addWidget(cmdBuchungStartNow);
    layout->addLayout(hintRow);
    layout->addWidget(lbDateRange);

    auto* month = new QHBoxLayout;
    listMonth = new QComboBox(frameCheckTimeLimits);
    listYear = new QComboBox(frameCheckTimeLimits);
    btnMonthStep = {new QToolButton(frameCheckTimeLimits), new QToolButton(frameCheckTimeLimits)};
    btnYearStep = {new QToolButton(frameCheckTimeLimits), new QToolButton(frameCheckTimeLimits)};
    btnMonthStep[0]->setText(QStringLiteral("<"));
    btnMonthStep[1]->setText(QStringLiteral(">"));
    btnYearStep[0]->setText(QStringLiteral("<"));
    btnYearStep[1]->setText(QStringLiteral(">"));
    btnMonthStep[0]->setToolTip(QStringLiteral("1 Monat zurück"));
    btnMonthStep[1]->setToolTip(QStringLiteral("1 Monat vor"));
    btnYearStep[0]->setToolTip(QStringLiteral("1 Jahr zurück"));
    btnYearStep[1]->setToolTip(QStringLiteral("1 Jahr vor"));
    listMonth->setMinimumContentsLength(9);
    month->addWidget(btnMonthStep[0]);
    month->addWidget(listMonth, 1);
    month->addWidget(btnMonthStep[1]);
    month->addSpacing(6);
    month->addWidget(btnYearStep[0]);
    month->addWidget(listYear);
    month->addWidget(btnYearStep[1]);
    layout->addLayout(month);

    CalendarGrid = new QTableWidget(6, 7, frameCheckTimeLimits);
    CalendarGrid->setObjectName(QStringLiteral("CalendarGrid"));
    CalendarGrid->verticalHeader()->hide();
    CalendarGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CalendarGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    CalendarGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CalendarGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CalendarGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    CalendarGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    CalendarGrid->verticalHeader()->setDefaultSectionSize(CalendarRowHeight);
    CalendarGrid->horizontalHeader()->setHighlightSections(false);
    CalendarGrid->installEventFilter(this);
    CalendarGrid->viewport()->installEventFilter(this);
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 7; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            CalendarGrid->setItem(row, column, item);
        }
    }
    layout->addWidget(CalendarGrid);

    for (int i = 0; i < 2; ++i) {
        connect(btnMonthStep[i], &QToolButton::clicked, this, [this, i] {
            RunHandler(QStringLiteral("btnMonthStep_Click"), [this, i] { btnMonthStep_Click(i); });
        });
        connect(btnYearStep[i], &QToolButton::clicked, this, [this, i] {
            RunHandler(QStringLiteral("btnYearStep_Click"), [this, i] { btnYearStep_Click(i); });
        });
    }
    connect(listMonth, &QComboBox::currentIndexChanged, this, [this] {
        RunHandler(QStringLiteral("listMonth_Click"), [this] { listMonth_Click(); });
    });
    connect(listYear, &QComboBox::currentIndexChanged, this, [this] {
        RunHandler(QStringLiteral("listYear_Click"), [this] { listYear_Click(); });
    });
    connect(cmdBuchungStartNow, &QPushButton::clicked, this, [this] {
        RunHandler(QStringLiteral("cmdBuchungStartNow_Click"), [this] { cmdBuchungStartNow_Click(); });
    });
    return frameCheckTimeLimits;
}

void frmStockwerke::InitCalendar()
{
    FillingListsGuard filling;
    const QLocale german(QLocale::German);
    for (int m = 1; m <= 12; ++m)
        listMonth->addItem(german.monthName(m, QLocale::LongFormat));
    const int year = rt::Date::today().year();
    for (int k = 0; k <= 20; ++k)
        listYear->addItem(QString::number(year - 3 + k));
    CalendarGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Mo"), QStringLiteral("Di"), QStringLiteral("Mi"), QStringLiteral("Do"), QStringLiteral("Fr"),
         QStringLiteral("Sa"), QStringLiteral("So")});
    for (int column = 0; column < 7; ++column)
        CalendarGrid->setColumnWidth(column, CalendarColumnWidth);
    CalendarGrid->setFixedSize(7 * CalendarColumnWidth + 2 * CalendarGrid->frameWidth(),
                               6 * CalendarRowHeight + CalendarGrid->horizontalHeader()->sizeHint().height() +
                                   2 * CalendarGrid->frameWidth());
    BuildCalendarGrid(rt::Date::today());
}

rt::Date frmStockwerke::BuildCalendarGrid(const rt::Date& d)
{
    const bool fromDate = d.serial() > 0;
    const int year = fromDate ? d.year() : listYear->currentText().toInt();
    const int month = fromDate ? d.month() : listMonth->currentIndex() + 1;
    FillingListsGuard filling;
    m_calendar.build(year, month, fromDate);
    if (fromDate) {
        listMonth->setCurrentIndex(month - 1);
        // The year box shows the month's year: a year beyond the list joins
        // it, so that the next step goes on from there.
        if (listYear->findText(QString::number(year)) < 0 && listYear->count() > 0) {
            const int firstYear = listYear->itemText(0).toInt();
            const int lastYear = listYear->itemText(listYear->count() - 1).toInt();
            for (int y = firstYear - 1; y >= year; --y)
                listYear->insertItem(0, QString::number(y));
            for (int y = lastYear + 1; y <= year; ++y)
                listYear->addItem(QString::number(y));
        }
        listYear->setCurrentIndex(listYear->findText(QString::number(year)));
    }
    CalendarGrid->clearSelection();
    ShowSelectedPeriod();
    if (m_state.CurrentPlaceId > 0)
        MarkBookedDays(m_state.CurrentPlaceId);
    return m_calendar.first();
}

void frmStockwerke::ShowSelectedPeriod()
{
    lbDateRange->setText(PeriodRangeText(SelectedPeriod[0], SelectedPeriod[1]));
    if (m_state.CurrentBookingId < 1) {
        readBookingPanel();
        for (int i = 0; i < 2; ++i) {
            m_panelFields.dates[i] = rt::formatDate(SelectedPeriod[i], DateFormat);
            m_panelFields.times[i] = rt::formatDate(SelectedPeriod[i], QStringLiteral("hh:nn"));
        }
        m_panel.checkConflicts(CheckGuestAndPlace);
        applyBookingPanel();
    }
    FillingListsGuard filling;
    m_calendar.showPeriod(SelectedPeriod[0], SelectedPeriod[1]);
    showCalendarCells();
}

void frmStockwerke::MarkBookedDays(qint32 placeId)
{
    FillingListsGuard filling;
    const rt::Date first = m_calendar.first().atNoon();
    std::vector<std::pair<rt::Date, rt::Date>> booked;
    for (const Booking& b : BookingsOfPlace(placeId, first, first.addDays(CalendarCellCount - 1))) {
        if (b.book_cust_count > 0)
            booked.emplace_back(b.book_start, b.book_end);
    }
    if (booked.empty())
        return;
    m_calendar.markBooked(booked);
    showCalendarCells();
}

void frmStockwerke::showCalendarCells()
{
    if (!m_calendar.isBuilt())
        return;
    CalendarGrid->setUpdatesEnabled(false);
    for (int i = 0; i < CalendarCellCount; ++i) {
        const PlanCalendarCell& cell = m_calendar.cells()[static_cast<size_t>(i)];
        QTableWidgetItem* item = CalendarGrid->item(i / 7, i % 7);
        item->setText(QString::number(cell.date.day()));
        item->setData(Qt::UserRole, cell.text);
        item->setData(Qt::BackgroundRole, cell.back ? QVariant(rt::toQColor(cell.back)) : QVariant());
        item->setData(Qt::ForegroundRole, cell.fore ? QVariant(rt::toQColor(cell.fore)) : QVariant());
    }
    CalendarGrid->setUpdatesEnabled(true);
}

int frmStockwerke::calendarCellAt(QPoint viewportPos) const
{
    const QModelIndex index = CalendarGrid->indexAt(viewportPos);
    return index.isValid() ? index.row() * 7 + index.column() : -1;
}

rt::Date frmStockwerke::calendarCellDate(int cell) const
{
    if (cell < 0 || cell >= CalendarCellCount)
        return {};
    const QTableWidgetItem* item = CalendarGrid->item(cell / 7, cell % 7);
    return item ? CalendarCellDate(item->data(Qt::UserRole).toString()) : rt::Date();
}

void frmStockwerke::CalendarGrid_MouseDown(Qt::MouseButton button, int cell)
{
    const rt::Date day = calendarCellDate(cell);
    const int vbButton = button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : 0;
    const auto period = PeriodAfterPress(SelectedPeriod, day, vbButton);
    if (!period)
        return;
    SelectedPeriod = *period;
    // The release takes the period from here to where the mouse is let go;
    // the right button keeps the start and ends the period there.
    m_calendarAnchor = button == Qt::LeftButton ? day : SelectedPeriod[0];
}

void frmStockwerke::CalendarGrid_MouseUp(Qt::MouseButton button, int cell)
{
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    const rt::Date far = calendarCellDate(cell);
    if (far.isZero() || m_calendarAnchor.isZero())
        return;
    SelectedPeriod = PeriodBetween(m_calendarAnchor, far);
    CalendarGrid->clearSelection();
    ShowSelectedPeriod();
    if (m_state.CurrentPlaceId > 0)
        MarkBookedDays(m_state.CurrentPlaceId);
    if (m_state.CurrentBookingId > 0)
        ClearBookingPanel(true);
    readBookingPanel();
    for (int i = 0; i < 2; ++i)
        m_panelFields.dates[i] = rt::formatDate(SelectedPeriod[i], QStringLiteral("dd.mm.yyyy"));
    m_panel.checkConflicts(CheckGuestAndPlace);
    applyBookingPanel();
    ActualizeControls(SelectedPeriod[0]);
}

void frmStockwerke::CalendarGrid_Click(int cell)
{
    if (FillingLists)
        return;
    const rt::Date day = calendarCellDate(cell);
    if (!day.isZero() && day.month() != listMonth->currentIndex() + 1)
        BuildCalendarGrid(day);
}

int frmStockwerke::calendarCellOf(const rt::Date& day) const
{
    if (!m_calendar.isBuilt())
        return -1;
    for (int i = 0; i < CalendarCellCount; ++i) {
        if (m_calendar.cells()[static_cast<size_t>(i)].date.datePart() == day.datePart())
            return i;
    }
    return -1;
}

void frmStockwerke::focusCalendarOn(const rt::Date& day, bool turnMonth)
{
    int cell = calendarCellOf(day);
    if (cell < 0 && turnMonth) {
        BuildCalendarGrid(day);
        cell = calendarCellOf(day);
    }
    if (cell >= 0)
        CalendarGrid->setCurrentCell(cell / 7, cell % 7);
    CalendarGrid->setFocus();
}

bool frmStockwerke::CalendarGrid_KeyDown(const QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const QModelIndex current = CalendarGrid->currentIndex();
    const rt::Date cursor = current.isValid() ? calendarCellDate(current.row() * 7 + current.column()) : rt::Date();
    int step = 0;
    switch (e->key()) {
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Right: step = 1; break;
    case Qt::Key_Up: step = -7; break;
    case Qt::Key_Down: step = 7; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: {
        if (cursor.isZero())
            return true;
        // As a click: the day alone, or from where Shift began; a grey day turns the month.
        m_calendarAnchor = m_calendarKeyAnchor.isZero() ? cursor : m_calendarKeyAnchor;
        m_calendarKeyAnchor = rt::Date();
        const int cell = calendarCellOf(cursor);
        CalendarGrid_MouseUp(Qt::LeftButton, cell);
        CalendarGrid_Click(calendarCellOf(cursor));
        focusCalendarOn(cursor);
        return true;
    }
    default:
        return false;
    }
    const rt::Date from = cursor.isZero() ? SelectedPeriod[0].datePart() : cursor;
    const rt::Date to = from.addDays(step);
    if (!(mods & Qt::ShiftModifier)) {
        m_calendarKeyAnchor = rt::Date();
        focusCalendarOn(to);
        return true;
    }
    if (m_calendarKeyAnchor.isZero())
        m_calendarKeyAnchor = from;
    focusCalendarOn(to);
    m_calendarAnchor = m_calendarKeyAnchor;
    CalendarGrid_MouseUp(Qt::LeftButton, calendarCellOf(to));
    focusCalendarOn(to);
    return true;
}

void frmStockwerke::CalendarGrid_DblClick(int cell)
{
    if (!calendarCellDate(cell).isZero())
        btnShowBookingDetails_Click();
}

void frmStockwerke::btnMonthStep_Click(int index)
{
    const rt::Date first = FirstOfMonthAfter(listYear->currentText().toInt(), listMonth->currentIndex() + 1, 2 * index - 1);
    if (first.isZero())
        return;
    BuildCalendarGrid(first);
    ActualizeControls(first);
}

void frmStockwerke::btnYearStep_Click(int index)
{
    const rt::Date first =
        FirstOfMonthAfter(listYear->currentText().toInt(), listMonth->currentIndex() + 1, 12 * (2 * index - 1));
    if (first.isZero())
        return;
    BuildCalendarGrid(first);
    ActualizeControls(first);
}

void frmStockwerke::listMonth_Click()
{
    if (FillingLists)
        return;
    ActualizeControls(BuildCalendarGrid(rt::Date()));
}

void frmStockwerke::listYear_Click()
{
    if (FillingLists)
        return;
    ActualizeControls(BuildCalendarGrid(rt::Date()));
}

void frmStockwerke::lbDateRange_Click()
{
    BuildCalendarGrid(SelectedPeriod[0]);
}

void frmStockwerke::cmdBuchungStartNow_Click()
{
    const rt::Date today = rt::Date::today();
    SelectedPeriod = {today.atNoon(), today.atNoon().addDays(1)};
    BuildCalendarGrid(today);
    ActualizeControls(SelectedPeriod[0]);
}

void frmStockwerke::stepPlanStart(int step, int index)
{
    RunHandler(QStringLiteral("btnDateStep_MouseUp"), [this, step, index] {
        // Before the schedule's first fill there is no day to step from.
        const rt::Date from = ScheduleStart(m_state.PlanStartDate, std::nullopt, SelectedPeriod[0]);
        m_state.PlanStartDate = StepPlanStart(from, static_cast<PlanStep>(step), 2 * index - 1);
        FillSchedule(QString(), m_state.CurrentFloorId, -1, m_state.PlanStartDate);
    });
}

void frmStockwerke::btnheute_Click()
{
    RunHandler(QStringLiteral("btnheute_Click"), [this] {
        m_state.PlanStartDate = PlanStartToday();
        FillSchedule(QString(), m_state.CurrentFloorId, -1, m_state.PlanStartDate);
    });
}
