#pragma once

#include "core/singlewindow.h"
#include "platform/runtime/date.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class QComboBox;
class QKeyEvent;
class QPushButton;
class QTableWidget;

// What the date picker's grid shows: six weeks from a Monday.
struct CalendarCell {
    rt::Date date;
    QString text;           // "dd.mm.yyyy", six blanks, the day of the month
    qint32 backColor = 0;   // 0: the grid's default
    qint32 foreColor = 0;   // 0: the grid's default
    bool ownBackColor = false;
};

struct CalendarDays {
    rt::Date first;                 // the Monday in the first cell
    std::array<CalendarCell, 42> cells;
    int selected = -1;              // the cell of the selected day, -1 when none
};

// The cells for a month. From a date, the grid starts on the Monday before the
// day preceding the 1st (a month beginning on Monday shows the whole week
// before); from the lists, on the Monday on or before the 1st. The selected
// day is kept within the month, so some cell is always selected.
CalendarDays BuildCalendarDays(int year, int month, int day, bool fromDate, const rt::Date& today);

// The date at the start of a calendar cell's text; the zero date when it holds none.
rt::Date CalendarCellDate(const QString& text);

// The keys that open the date picker from a date field, besides a double
// click: F4 and Alt+Down.
bool IsDatePickerKey(const QKeyEvent* e);

// A window that asks the date picker for a date.
class DateReceiver {
public:
    virtual ~DateReceiver() = default;
    // The picked date, at midnight; never the zero date.
    virtual void Receive_SelectedDate(const rt::Date& date) = 0;
};

// The small modeless date picker. It hands the picked day back when it loses
// activation, when a day is double-clicked or Enter is pressed, or when the
// user clicks into another window of the program (so it works where no
// activation is reported). The hand-over goes once to the receiver of the last
// ShowDate; closing the window or Escape hands nothing back.
class frmCalendar : public QWidget, public SingleWindow<frmCalendar> {
    Q_OBJECT
    friend class SingleWindow<frmCalendar>;

public:

    // Shows the picker on the day of d (the zero date: today), below the date
    // field it serves (above it where the screen ends), with the keyboard on
    // the days. The receiver may be null; it must be a QObject for the picker
    // to notice its end.
    void ShowDate(const rt::Date& d, DateReceiver* receiver = nullptr, const QWidget* field = nullptr);
    // The date of the grid's current cell; the zero date when it holds none.
    rt::Date Value() const;

    // Draws the month of d with its day selected; the zero date draws the
    // month and year chosen in the lists.
    void DrawCalendar(const rt::Date& d);

    QComboBox* listMonth = nullptr;
    QComboBox* listYear = nullptr;
    std::array<QPushButton*, 2> btnMonthStep{};
    std::array<QPushButton*, 2> btnYearStep{};
    QTableWidget* MSFlexGrid1 = nullptr;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void showEvent(QShowEvent* e) override;

private slots:
    void btnMonthStep_Click(int index);
    void btnYearStep_Click(int index);
    void listMonth_Click();
    void listYear_Click();
    void MSFlexGrid1_Click(int row, int column);
    void MSFlexGrid1_DblClick();

private:
    frmCalendar();
    void Form_Load();
    // Records the deactivation, hides, and hands the date over.
    void Form_Deactivate();
    void dismiss();
    void placeBeside(const QWidget* field);
    bool belongsToMe(const QObject* object) const;

    DateReceiver* m_receiver = nullptr;
    QPointer<QObject> m_receiverObject;
    bool m_receiverIsObject = false;
    bool m_hasReceiver = false;
    bool m_deactivating = false;
    bool m_filtering = false;
};
