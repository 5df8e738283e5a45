#include "bookings/confirmation.h"
#include "bookings/frmBuchungen.h"
#include "core/bookings.h"
#include "core/customers.h"
#include "core/messages.h"
#include "platform/word/document.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/window_hooks.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The booking window on a booking of a guest whose name needs care in SQL and
// in the document; letters go to the documents folder of a home of the test's own.
class ConfirmationLetter : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        AppPath = QStringLiteral(VELMORANT_APP_DIR "/");
        MandantName = QStringLiteral("Pension Test");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        Customer guest;
        guest.cust_firstname = QStringLiteral("Jörg");
        guest.cust_lastname = QStringLiteral("D'Angelo-Schäfer");
        guest.cust_street = QStringLiteral("Mühlenweg 3");
        guest.cust_zip = QStringLiteral("01067");
        guest.cust_city = QStringLiteral("Dresden");
        StoreCustomer(guest);
        booking = db.addBooking(db.place, guest.cust_id, 2, 5);
        db.database.exec(QStringLiteral("UPDATE tbl_bookings SET book_info = 'Anreise 18 Uhr' WHERE book_id = %1").arg(booking));
        w().ShowBookings(QString(), booking, db.place, true, 1);
    }
    void TearDown() override
    {
        frmBuchungen::unload();
        qputenv("HOME", m_home);
        qputenv("XDG_CONFIG_HOME", m_config);
    }
    static frmBuchungen& w() { return frmBuchungen::instance(); }
    static void typeNote(const QString& text)
    {
        w().tbBuchungInfo->setFocus();
        QTest::keyClick(w().tbBuchungInfo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w().tbBuchungInfo, text);
    }
    bool saved() const { return !db.database.value(QStringLiteral("SELECT book_bearb_date FROM tbl_bookings")).isNull(); }

    QByteArray m_home = qgetenv("HOME"), m_config = qgetenv("XDG_CONFIG_HOME");
    test::BookingDb db;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    test::TempFolder home;
    qint32 booking = 0;
};

}  // namespace

TEST_F(ConfirmationLetter, TheLetterIsSavedAndFilledFromBookingAndGuest)
{
    typeNote(QStringLiteral("Anreise 19 Uhr"));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w().cmdBookingConfirmation, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Wollen Sie eine Reservierungs-Bestätigung drucken?");
    EXPECT_TRUE(saved());
    ASSERT_EQ(dialogs->opened().size(), 1u);
    EXPECT_TRUE(dialogs->opened().front().endsWith("/Documents/Velmorant/Reservierungsbestaetigung.docx"));
    const word::Document letter = word::Document::open(dialogs->opened().front());
    EXPECT_EQ(letter.bookmarkText("tm_anschrift"), "Herrn\nJörg D'Angelo-Schäfer \nMühlenweg 3\n\n01067 Dresden");
    EXPECT_EQ(letter.bookmarkText("tm_anrede"), "Sehr geehrter Herr D'Angelo-Schäfer");
    EXPECT_EQ(letter.bookmarkText("tm_datum"), rt::formatDate(rt::Date::today(), "dd.mm.yyyy"));
    EXPECT_EQ(letter.bookmarkText("tm_reservierung"), "Pension Test\nHaupthaus \\ Erdgeschoss \\ Zimmer 1\nvom " + db.dayText(2) +
                                                          " bis zum " + db.dayText(5) + "\n\nAnreise 19 Uhr");
}

TEST_F(ConfirmationLetter, AfterAnotherWorkstationMovedTheBookingTheLetterTellsTheStoredDays)
{
    test::OtherStation other{db.database.path()};
    other.run([&] {
        Booking b = *LoadBooking(booking);
        b.book_start = db.day(3);
        b.book_end = db.day(7);
        test::WriteBooking(b);
    });
    typeNote(QStringLiteral("Anreise 20 Uhr"));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w().btnOutputWordDoc, Qt::LeftButton);
    ASSERT_EQ(dialogs->opened().size(), 1u);
    EXPECT_EQ(word::Document::open(dialogs->opened().front()).bookmarkText("tm_reservierung"),
              "Pension Test\nHaupthaus \\ Erdgeschoss \\ Zimmer 1\nvom " + db.dayText(3) + " bis zum " + db.dayText(7) +
                  "\n\nAnreise 20 Uhr");
}

TEST_F(ConfirmationLetter, AnOpenEndNamesTheStartOnlyAndEmptyNotesAddNoLines)
{
    ConfirmationBooking open{1, "Pension Test", "Haus \\ EG \\ 1", "03.05.2026", "01.01.3000", ""};
    EXPECT_EQ(ConfirmationBookingText(open), "Pension Test\r\nHaus \\ EG \\ 1\r\nvom 03.05.2026");
    open.endText = "31.12.2999";
    EXPECT_EQ(ConfirmationBookingText(open), "Pension Test\r\nHaus \\ EG \\ 1\r\nvom 03.05.2026 bis zum 31.12.2999");
}

TEST_F(ConfirmationLetter, NoLetterWhenDeclinedOrWhenTheSaveRefusesABookingWithoutGuest)
{
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(w().btnOutputWordDoc, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 1u);

    QTest::mouseClick(w().btnPatDel, Qt::LeftButton);
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w().cmdBookingConfirmation, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Sie müssen einen Gast angeben, um die Reservierung zu vervollständigen.");
    EXPECT_TRUE(dialogs->opened().empty());
    EXPECT_FALSE(saved());
}

TEST_F(ConfirmationLetter, AFileWhereTheDocumentsFolderShouldBeIsNamedAndNoLetterIsMade)
{
    const QString folder = QDir::toNativeSeparators(home.write(QStringLiteral("Documents/Velmorant"), QByteArray()));
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w().btnOutputWordDoc, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 2u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Der Ordner für Dokumente \"" + folder +
                                                       "\" kann nicht angelegt oder beschrieben werden."))
        << qPrintable(dialogs->lastMessage().text);
    EXPECT_FALSE(dialogs->lastMessage().text.contains(QStringLiteral("Reservierungsbestaetigung")));
    EXPECT_TRUE(dialogs->opened().empty());
}
