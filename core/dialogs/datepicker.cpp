#include "core/dialogs/datepicker.h"

#include "core/globals.h"
#include "platform/runtime/color.h"
#include "platform/runtime/format.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ColumnWidth = 34;
constexpr int RowHeight = 22;
constexpr qint32 OtherMonthBack = 0xC0C0C0;
constexpr qint32 OtherMonthFore = 0xFFFFFF;
constexpr qint32 SelectedBack = 0xFFC090;
constexpr qint32 TodayBack = 0xFF00;
constexpr qint32 SaturdayFore = 0x80FF;
constexpr qint32 SundayFore = 0xFF;

const QString WindowName = QStringLiteral("FRMCALENDAR");


// The current cell carries a frame, so the picked day stays visible over its colours.
class CurrentCellDelegate : public QStyledItemDelegate {
public:
    explicit CurrentCellDelegate(QTableWidget* table) : QStyledItemDelegate(table), m_table(table) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        QStyledItemDelegate::paint(painter, plain, index);
        if (index != m_table->currentIndex())
            return;
        painter->save();
        painter->setPen(QPen(Qt::black, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }

private:
    QTableWidget* m_table;
};

}  // namespace

CalendarDays BuildCalendarDays(int year, int month, int day, bool fromDate, const rt::Date& today)
{
    CalendarDays days;
    const QDate firstOfMonth(year, month, 1);
    if (!firstOfMonth.isValid())
        return days;
    rt::Date start = rt::Date::fromDate(firstOfMonth);
    if (fromDate)
        start = start.addDays(-1);
    while (start.isoWeekday() != 1)
        start = start.addDays(-1);
    days.first = start;

    // A month shorter than the day picked before still gets a selected day,
    // so the picker never stands on a cell without a date.
    const int selectedDay = std::clamp(day, 1, firstOfMonth.daysInMonth());
    const rt::Date todayDate = today.datePart();
    for (int i = 0; i < 42; ++i) {
        CalendarCell& cell = days.cells[static_cast<size_t>(i)];
        cell.date = start.addDays(i);
        const QDate date = cell.date.toQDate();
        if (date.month() != month) {
            cell.backColor = OtherMonthBack;
            cell.foreColor = OtherMonthFore;
            cell.ownBackColor = true;
        } else if (date.day() == selectedDay) {
            cell.backColor = SelectedBack;
            cell.ownBackColor = true;
            days.selected = i;
        }
        if (cell.date == todayDate) {
            cell.backColor = TodayBack;
            cell.ownBackColor = true;
        }
        if (date.dayOfWeek() == 6)
            cell.foreColor = SaturdayFore;
        else if (date.dayOfWeek() == 7)
            cell.foreColor = SundayFore;
        cell.text = rt::formatDate(cell.date, QStringLiteral("Dd.mm.yyyy")) + QStringLiteral("      ")
                    + QString::number(date.day());
    }
    return days;
}

bool IsDatePickerKey(const QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    return (e->key() == Qt::Key_F4 && mods == Qt::NoModifier) || (e->key() == Qt::Key_Down && mods == Qt::AltModifier);
}

rt::Date CalendarCellDate(const QString& text)
{
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("dd.MM.yyyy"));
    return date.isValid() ? rt::Date::fromDate(date) : rt::Date();
}

frmCalendar::frmCalendar() : QWidget(nullptr, Qt::Tool)
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(QStringLiteral("Kalender"));

    listMonth = new QComboBox(this);
    listYear = new QComboBox(this);
    btnMonthStep = {new QPushButton(QStringLiteral("- M"), this), new QPushButton(QStringLiteral("+ M"), this)};
    btnYearStep = {new QPushButton(QStringLiteral("- J"), this), new QPushButton(QStringLiteral("+ J"), this)};
    for (auto* button : btnMonthStep)
        button->setFixedWidth(ColumnWidth + 8);
    for (auto* button : btnYearStep)
        button->setFixedWidth(ColumnWidth + 8);

    MSFlexGrid1 = new QTableWidget(6, 7, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFrameShape(QFrame::NoFrame);
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->horizontalHeader()->setSectionsClickable(false);
    MSFlexGrid1->horizontalHeader()->setFixedHeight(RowHeight);
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(RowHeight);
    MSFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    MSFlexGrid1->setTabKeyNavigation(false);
    MSFlexGrid1->setItemDelegate(new CurrentCellDelegate(MSFlexGrid1));
    MSFlexGrid1->setFixedSize(7 * ColumnWidth, 7 * RowHeight);
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 7; ++column) {
            auto* item = new QTableWidgetItem();
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignCenter);
            MSFlexGrid1->setItem(row, column, item);
        }
    }

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setHorizontalSpacing(2);
    layout->setVerticalSpacing(2);
    layout->addWidget(btnMonthStep[0], 0, 0);
    layout->addWidget(listMonth, 0, 1);
    layout->addWidget(btnMonthStep[1], 0, 2);
    layout->addWidget(btnYearStep[0], 1, 0);
    layout->addWidget(listYear, 1, 1);
    layout->addWidget(btnYearStep[1], 1, 2);
    layout->addWidget(MSFlexGrid1, 2, 0, 1, 3);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (int i = 0; i < 2; ++i) {
        connect(btnMonthStep[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] { btnMonthStep_Click(i); });
        connect(btnYearStep[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] { btnYearStep_Click(i); });
    }
    connect(listMonth, &QComboBox::currentIndexChanged, this, &frmCalendar::listMonth_Click);
    connect(listYear, &QComboBox::currentIndexChanged, this, &frmCalendar::listYear_Click);
    connect(MSFlexGrid1, &QTableWidget::cellClicked, this, &frmCalendar::MSFlexGrid1_Click);
    MSFlexGrid1->viewport()->installEventFilter(this);
    // The frame follows the current cell, also when the keyboard moves it.
    connect(MSFlexGrid1, &QTableWidget::currentCellChanged, MSFlexGrid1->viewport(), qOverload<>(&QWidget::update));

    Form_Load();
}

void frmCalendar::Form_Load()
{
    FillingListsGuard filling;
    for (int month = 1; month <= 12; ++month)
        listMonth->addItem(rt::formatDate(rt::Date::fromParts(2000, month, 1), QStringLiteral("mmmm")));
    const int firstYear = rt::Date::today().year() - 3;
    for (int k = 0; k < 21; ++k)
        listYear->addItem(QString::number(firstYear + k));
    MSFlexGrid1->setHorizontalHeaderLabels({QStringLiteral("Mo"), QStringLiteral("Di"), QStringLiteral("Mi"),
                                            QStringLiteral("Do"), QStringLiteral("Fr"), QStringLiteral("Sa"),
                                            QStringLiteral("So")});
    const int width = static_cast<int>(std::lround(MSFlexGrid1->width() / 7.0));
    for (int column = 0; column < 7; ++column)
        MSFlexGrid1->setColumnWidth(column, width);
}

void frmCalendar::ShowDate(const rt::Date& d, DateReceiver* receiver, const QWidget* field)
{
    m_receiver = receiver;
    m_receiverObject = dynamic_cast<QObject*>(receiver);
    m_receiverIsObject = m_receiverObject != nullptr;
    m_hasReceiver = receiver != nullptr;
    if (field)
        placeBeside(field);
    show();
    raise();
    activateWindow();
    DrawCalendar(d.isZero() ? rt::Date::today() : d.datePart());
    MSFlexGrid1->setFocus();
}

void frmCalendar::placeBeside(const QWidget* field)
{
    adjustSize();
    const QPoint below = field->mapToGlobal(QPoint(0, field->height()));
    const QScreen* screen = field->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(below, size());
    // The frame's size is known once the picker has been shown.
    const QSize outer = frameGeometry().size().expandedTo(size() + QSize(0, 30));
    QPoint at = below;
    if (at.y() + outer.height() > area.bottom() + 1)
        at.setY(field->mapToGlobal(QPoint(0, 0)).y() - outer.height());
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    move(at);
}

rt::Date frmCalendar::Value() const
{
    const QTableWidgetItem* item = MSFlexGrid1->currentItem();
    if (!item)
        return rt::Date();
    return CalendarCellDate(item->data(Qt::UserRole).toString());
}

void frmCalendar::DrawCalendar(const rt::Date& d)
{
    const bool fromDate = !d.isZero();
    int year = 0;
    int month = 0;
    int day = 0;
    if (fromDate) {
        const QDate date = d.toQDate();
        year = date.year();
        month = date.month();
        day = date.day();
    } else {
        year = listYear->currentText().toInt();
        month = listMonth->currentIndex() + 1;
        const rt::Date current = Value();
        day = current.isZero() ? 1 : current.day();
    }
    const CalendarDays days = BuildCalendarDays(year, month, day, fromDate, rt::Date::today());
    if (days.first.isZero())
        return;

    FillingListsGuard filling;
    MSFlexGrid1->setUpdatesEnabled(false);
    for (int i = 0; i < 42; ++i) {
        const CalendarCell& cell = days.cells[static_cast<size_t>(i)];
        QTableWidgetItem* item = MSFlexGrid1->item(i / 7, i % 7);
        item->setData(Qt::UserRole, cell.text);
        item->setText(QString::number(cell.date.day()));
        item->setData(Qt::BackgroundRole, cell.backColor ? QVariant(rt::toQColor(cell.backColor)) : QVariant());
        item->setData(Qt::ForegroundRole, cell.foreColor ? QVariant(rt::toQColor(cell.foreColor)) : QVariant());
        item->setData(Qt::UserRole + 1, cell.ownBackColor);
    }
    MSFlexGrid1->setUpdatesEnabled(true);
    if (days.selected >= 0)
        MSFlexGrid1->setCurrentCell(days.selected / 7, days.selected % 7);
    else
        MSFlexGrid1->setCurrentCell(0, 0);
    MSFlexGrid1->viewport()->update();

    if (fromDate) {
        listMonth->setCurrentIndex(month - 1);
        // A year outside the list joins it in order, so the list never names
        // another year than the grid shows.
        int yearIndex = listYear->findText(QString::number(year));
        if (yearIndex < 0) {
            yearIndex = 0;
            while (yearIndex < listYear->count() && listYear->itemText(yearIndex).toInt() < year)
                ++yearIndex;
            listYear->insertItem(yearIndex, QString::number(year));
        }
        listYear->setCurrentIndex(yearIndex);
    }
}

void frmCalendar::btnMonthStep_Click(int index)
{
    const rt::Date current = Value().isZero() ? rt::Date::today() : Value();
    DrawCalendar(current.addMonths(index == 1 ? 1 : -1));
}

void frmCalendar::btnYearStep_Click(int index)
{
    const rt::Date current = Value().isZero() ? rt::Date::today() : Value();
    DrawCalendar(current.addYears(index == 1 ? 1 : -1));
}

void frmCalendar::listMonth_Click()
{
    if (FillingLists)
        return;
    DrawCalendar(rt::Date());
}

void frmCalendar::listYear_Click()
{
    if (FillingLists)
        return;
    DrawCalendar(rt::Date());
}

void frmCalendar::MSFlexGrid1_Click(int row, int column)
{
    // The release of a double-click arrives after the picker has gone.
    if (!isVisible())
        return;
    const QTableWidgetItem* item = MSFlexGrid1->item(row, column);
    if (!item || !item->data(Qt::UserRole + 1).toBool())
        return;
    const rt::Date date = CalendarCellDate(item->data(Qt::UserRole).toString());
    if (!date.isZero())
        DrawCalendar(date);
}

void frmCalendar::MSFlexGrid1_DblClick()
{
    if (isVisible())
        Form_Deactivate();
}

void frmCalendar::Form_Deactivate()
{
    if (m_deactivating)
        return;
    m_deactivating = true;
    LastDeactivatedForm = WindowName;
    hide();
    // Taken before the call, so a receiver that asks again keeps its new request.
    DateReceiver* receiver = m_hasReceiver ? m_receiver : nullptr;
    const bool gone = m_receiverIsObject && !m_receiverObject;
    m_receiver = nullptr;
    m_receiverObject = nullptr;
    m_receiverIsObject = false;
    m_hasReceiver = false;
    const rt::Date picked = Value();
    if (receiver && !gone && !picked.isZero())
        receiver->Receive_SelectedDate(picked.datePart());
    m_deactivating = false;
}

void frmCalendar::dismiss()
{
    m_receiver = nullptr;
    m_receiverObject = nullptr;
    m_receiverIsObject = false;
    m_hasReceiver = false;
    LastDeactivatedForm = WindowName;
    hide();
}

bool frmCalendar::belongsToMe(const QObject* object) const
{
    // Walks across window borders too: the lists' drop-downs are windows of their own.
    for (const QObject* o = object; o; o = o->parent()) {
        if (o == this)
            return true;
    }
    return false;
}

bool frmCalendar::event(QEvent* e)
{
    if (e->type() == QEvent::WindowDeactivate && isVisible())
        Form_Deactivate();
    return QWidget::event(e);
}

bool frmCalendar::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == MSFlexGrid1->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        MSFlexGrid1_DblClick();
        return true;
    }
    // A click into another window of the program ends the pick even where the
    // window system reports no change of activation.
    if (e->type() == QEvent::MouseButtonPress && isVisible() && watched->isWidgetType() && !belongsToMe(watched))
        Form_Deactivate();
    return false;
}

void frmCalendar::closeEvent(QCloseEvent* e)
{
    e->ignore();
    dismiss();
}

void frmCalendar::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Form_Deactivate();
        return;
    case Qt::Key_Escape:
        dismiss();
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}

void frmCalendar::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // Watching starts after the click or key that opened the picker is done.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !m_filtering) {
            qApp->installEventFilter(this);
            m_filtering = true;
        }
    });
}

void frmCalendar::hideEvent(QHideEvent* e)
{
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    QWidget::hideEvent(e);
}
