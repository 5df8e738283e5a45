#include "core/dialogs/datepicker.h"
#include "core/globals.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

rt::Date day(int y, int m, int d)
{
    return rt::Date::fromParts(y, m, d);
}

// A date that no test layout contains, so no cell is painted as today.
const rt::Date FarToday = day(1990, 1, 1);

class Receiver : public QWidget, public DateReceiver {
public:
    void Receive_SelectedDate(const rt::Date& date) override { received.push_back(date); }
    std::vector<rt::Date> received;
};

QPoint cellCenter(QTableWidget* grid, int index)
{
    return grid->visualItemRect(grid->item(index / 7, index % 7)).center();
}

const CalendarCell& cellOf(const CalendarDays& days, const rt::Date& d)
{
    for (const CalendarCell& cell : days.cells) {
        if (cell.date == d)
            return cell;
    }
    throw std::out_of_range("date not in the grid");
}

const CalendarCell& selectedOf(const CalendarDays& days)
{
    return days.cells.at(static_cast<size_t>(days.selected));
}

}  // namespace

TEST(CalendarDays, FirstCellAndColoursOfAMonth)
{
    // April 2021 begins on a Thursday.
    const CalendarDays april = BuildCalendarDays(2021, 4, 15, true, FarToday);
    EXPECT_EQ(april.first, day(2021, 3, 29));
    EXPECT_EQ(april.cells[2].backColor, 0xC0C0C0);
    EXPECT_EQ(april.cells[2].foreColor, 0xFFFFFF);
    EXPECT_EQ(selectedOf(april).date, day(2021, 4, 15));
    EXPECT_EQ(selectedOf(april).backColor, 0xFFC090);
    EXPECT_EQ(cellOf(april, day(2021, 4, 10)).backColor, 0);
    EXPECT_FALSE(cellOf(april, day(2021, 4, 10)).ownBackColor);
    EXPECT_EQ(cellOf(april, day(2021, 4, 10)).foreColor, 0x80FF);
    EXPECT_EQ(cellOf(april, day(2021, 4, 11)).foreColor, 0xFF);
    // A Saturday of May in the last row: grey with orange text.
    EXPECT_EQ(cellOf(april, day(2021, 5, 8)).backColor, 0xC0C0C0);
    EXPECT_EQ(cellOf(april, day(2021, 5, 8)).foreColor, 0x80FF);
    EXPECT_EQ(april.cells[10].text, QStringLiteral("08.04.2021      8"));
    EXPECT_EQ(CalendarCellDate(april.cells[10].text), day(2021, 4, 8));
    EXPECT_TRUE(CalendarCellDate(QStringLiteral("Mo")).isZero());

    // March 2021 begins on a Monday: from a date a whole week of February
    // comes first, from the lists the grid begins with the 1st.
    EXPECT_EQ(BuildCalendarDays(2021, 3, 15, true, FarToday).first, day(2021, 2, 22));
    EXPECT_EQ(BuildCalendarDays(2021, 3, 15, false, FarToday).first, day(2021, 3, 1));

    // Today is green, also when selected or in another month.
    EXPECT_EQ(selectedOf(BuildCalendarDays(2021, 4, 15, true, day(2021, 4, 15).addHours(9))).backColor, 0xFF00);
    EXPECT_EQ(cellOf(BuildCalendarDays(2021, 4, 15, true, day(2021, 3, 30)), day(2021, 3, 30)).backColor, 0xFF00);
}

TEST(CalendarDays, TurnOfTheYearAndShortMonths)
{
    // January 2021 begins on a Friday: the first row is the last week of 2020.
    const CalendarDays january = BuildCalendarDays(2021, 1, 31, false, FarToday);
    EXPECT_EQ(january.first, day(2020, 12, 28));
    EXPECT_EQ(cellOf(january, day(2020, 12, 31)).backColor, 0xC0C0C0);
    EXPECT_EQ(cellOf(january, day(2021, 1, 1)).backColor, 0);
    EXPECT_EQ(selectedOf(january).date, day(2021, 1, 31));
    // December 2020 runs into 2021 in its last row.
    EXPECT_EQ(BuildCalendarDays(2020, 12, 24, true, FarToday).cells[41].date, day(2021, 1, 10));

    // A month without the day picked before selects its last day.
    EXPECT_EQ(selectedOf(BuildCalendarDays(2021, 6, 31, false, FarToday)).date, day(2021, 6, 30));
    EXPECT_EQ(selectedOf(BuildCalendarDays(2024, 2, 30, false, FarToday)).date, day(2024, 2, 29));
}

class DatePicker : public ::testing::Test {
protected:
    void SetUp() override
    {
        picker = &frmCalendar::instance();
        year = rt::Date::today().year() + 1;
    }
    void TearDown() override { picker->hide(); }

    frmCalendar* picker = nullptr;
    int year = 0;
};

TEST_F(DatePicker, StepsByMonthAndYearAndFollowsTheLists)
{
    picker->ShowDate(day(year, 3, 31).addHours(17));
    EXPECT_EQ(picker->Value(), day(year, 3, 31));
    EXPECT_EQ(picker->listMonth->currentIndex(), 2);
    EXPECT_EQ(picker->listYear->currentText(), QString::number(year));
    EXPECT_EQ(picker->listYear->count(), 21);
    EXPECT_EQ(picker->listYear->itemText(0), QString::number(rt::Date::today().year() - 3));

    QTest::mouseClick(picker->btnMonthStep[0], Qt::LeftButton);
    EXPECT_EQ(picker->Value(), day(year, 3, 1).addDays(-1));
    EXPECT_EQ(picker->listMonth->currentIndex(), 1);

    picker->ShowDate(day(year, 12, 31));
    QTest::mouseClick(picker->btnMonthStep[1], Qt::LeftButton);
    EXPECT_EQ(picker->Value(), day(year + 1, 1, 31));
    EXPECT_EQ(picker->listMonth->currentIndex(), 0);
    EXPECT_EQ(picker->listYear->currentText(), QString::number(year + 1));
    QTest::mouseClick(picker->btnYearStep[0], Qt::LeftButton);
    EXPECT_EQ(picker->Value(), day(year, 1, 31));

    // Choosing a shorter month in the list keeps a day selected.
    picker->listMonth->setCurrentIndex(3);
    EXPECT_EQ(picker->Value(), day(year, 4, 30));
    picker->listYear->setCurrentIndex(picker->listYear->findText(QString::number(year + 2)));
    EXPECT_EQ(picker->Value(), day(year + 2, 4, 30));
    EXPECT_FALSE(FillingLists);

    // A year beyond the list still shows as the chosen year, and the month
    // list then stays in that year.
    picker->ShowDate(day(year + 40, 8, 8));
    EXPECT_EQ(picker->listYear->currentText(), QString::number(year + 40));
    picker->listMonth->setCurrentIndex(0);
    EXPECT_EQ(picker->Value(), day(year + 40, 1, 8));
}

TEST_F(DatePicker, ClickOnAnotherMonthTurnsThePagePlainDayOnlyMoves)
{
    picker->ShowDate(day(year, 6, 10));
    // The first cell lies in May.
    QTest::mouseClick(picker->MSFlexGrid1->viewport(), Qt::LeftButton, {}, cellCenter(picker->MSFlexGrid1, 0));
    EXPECT_EQ(picker->listMonth->currentIndex(), 4);
    EXPECT_EQ(picker->Value().month(), 5);

    picker->ShowDate(day(year, 6, 10));
    const rt::Date before = picker->Value();
    const QTableWidgetItem* current = picker->MSFlexGrid1->currentItem();
    const int index = current->row() * 7 + current->column() + 7;  // a week later, still June
    QTest::mouseClick(picker->MSFlexGrid1->viewport(), Qt::LeftButton, {}, cellCenter(picker->MSFlexGrid1, index));
    EXPECT_EQ(picker->Value(), before.addDays(7));
    EXPECT_EQ(picker->MSFlexGrid1->item(current->row(), current->column())->background().color(),
              QColor(0x90, 0xC0, 0xFF));
}

TEST_F(DatePicker, DoubleClickHandsTheDateOverOnce)
{
    Receiver booking;
    Receiver other;
    LastDeactivatedForm.clear();
    picker->ShowDate(day(year, 6, 10).addHours(12), &booking);
    picker->ShowDate(day(year, 6, 10), &other);  // the last asker gets the date

    const QTableWidgetItem* current = picker->MSFlexGrid1->currentItem();
    const QPoint target = cellCenter(picker->MSFlexGrid1, current->row() * 7 + current->column() + 1);
    QTest::mouseClick(picker->MSFlexGrid1->viewport(), Qt::LeftButton, {}, target);
    QTest::mouseDClick(picker->MSFlexGrid1->viewport(), Qt::LeftButton, {}, target);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(LastDeactivatedForm, QStringLiteral("FRMCALENDAR"));
    ASSERT_EQ(other.received.size(), 1u);
    EXPECT_EQ(other.received[0], day(year, 6, 11));
    EXPECT_TRUE(booking.received.empty());

    // Nothing is pending any more.
    picker->show();
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_EQ(other.received.size(), 1u);
}

TEST_F(DatePicker, ClickIntoAnotherWindowHandsOverCloseDoesNot)
{
    Receiver booking;
    booking.show();
    picker->ShowDate(rt::Date(), &booking);
    QTest::qWait(20);
    QTest::mouseClick(&booking, Qt::LeftButton);
    ASSERT_EQ(booking.received.size(), 1u);
    EXPECT_EQ(booking.received[0], rt::Date::today());
    EXPECT_FALSE(picker->isVisible());

    picker->ShowDate(day(year, 2, 2), &booking);
    picker->close();
    EXPECT_FALSE(picker->isVisible());
    EXPECT_TRUE(frmCalendar::isLoaded());
    picker->ShowDate(day(year, 2, 2), &booking);
    QTest::keyClick(picker, Qt::Key_Escape);
    QTest::qWait(20);
    QTest::mouseClick(&booking, Qt::LeftButton);
    EXPECT_EQ(booking.received.size(), 1u);
}

TEST_F(DatePicker, LosingActivationHandsOver)
{
    Receiver booking;
    booking.show();
    picker->ShowDate(day(year, 9, 9), &booking);
    ASSERT_TRUE(QTest::qWaitForWindowActive(picker));
    booking.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&booking));
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(booking.received, std::vector<rt::Date>{day(year, 9, 9)});
}

TEST_F(DatePicker, NeverHandsOverTheZeroDateNorToAGoneWindow)
{
    Receiver booking;
    picker->ShowDate(day(year, 6, 10), &booking);
    picker->MSFlexGrid1->setCurrentItem(nullptr);
    EXPECT_TRUE(picker->Value().isZero());
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_TRUE(booking.received.empty());
    EXPECT_FALSE(picker->isVisible());

    auto* gone = new Receiver();
    picker->ShowDate(day(year, 6, 10), gone);
    delete gone;
    QTest::keyClick(picker, Qt::Key_Return);  // must not call the deleted window
    EXPECT_FALSE(picker->isVisible());
}
