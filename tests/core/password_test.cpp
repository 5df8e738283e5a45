#include "core/password.h"

#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Answers the password window whenever it shows, and counts how often it did.
class PasswordAnswer {
public:
    PasswordAnswer(const QString& entry, bool ok)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, entry, ok] {
            auto* box = qobject_cast<frmInputBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            ++shown;
            title = box->windowTitle();
            box->Text1->setText(entry);
            (ok ? box->cmdOK : box->cmdCancel)->click();
        });
        m_timer.start(5);
    }
    int shown = 0;
    QString title;

private:
    QTimer m_timer;
};

class AdminPasswordCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        AdminPassword = QStringLiteral("Geheim");
        AdminConfirmed = false;
    }
    void TearDown() override
    {
        AdminPassword.clear();
        AdminConfirmed = false;
    }
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(AdminPasswordCheck, WithoutPasswordNoWindowShows)
{
    AdminPassword = QStringLiteral("   ");
    PasswordAnswer answer(QString(), true);
    EXPECT_TRUE(CheckAdminPassword(true));
    EXPECT_EQ(answer.shown, 0);
}

TEST_F(AdminPasswordCheck, AcceptsTheEntryWithoutRegardToCaseAndRemembersIt)
{
    {
        PasswordAnswer answer(QStringLiteral("gEHEIM"), true);
        EXPECT_TRUE(CheckAdminPassword(true));
        EXPECT_EQ(answer.title, QStringLiteral("Passworteingabe"));
    }
    PasswordAnswer again(QString(), true);
    EXPECT_TRUE(CheckAdminPassword(true));
    EXPECT_EQ(again.shown, 0);
}

TEST_F(AdminPasswordCheck, WrongOrEmptyEntryIsRefusedWithAMessage)
{
    for (const QString& entry : {QStringLiteral("falsch"), QString()}) {
        dialogs->answerMessage(ui::Answer::Ok);
        PasswordAnswer answer(entry, true);
        EXPECT_FALSE(CheckAdminPassword(true));
        EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Passwort falsch"));
        EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
        EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Sie haben nur eingeschränkten Zugriff auf diese Software, \n"
                                                              "da Sie sich nicht als Administrator legitimieren konnten."));
    }
    EXPECT_FALSE(AdminConfirmed);
}

TEST_F(AdminPasswordCheck, CancelRefusesSilentlyEvenWithTheRightEntry)
{
    PasswordAnswer answer(QStringLiteral("Geheim"), false);
    EXPECT_FALSE(CheckAdminPassword(true));
    EXPECT_EQ(answer.shown, 1);
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST(PasswordScrambling, RoundTripsInSixteenCharacters)
{
    const QString passwords[] = {
        QStringLiteral("  Zwei Worte  "),
        QStringLiteral("Größe&Maß"),
        QStringLiteral("xxü"),               // 252 + 3 = 255: the stored form holds a zero character
        QStringLiteral("ÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿ"), // every sum beyond 255
        QString(),
    };
    for (const QString& password : passwords) {
        const QString stored = ScramblePassword(password);
        EXPECT_EQ(stored.size(), 16);
        EXPECT_EQ(UnscramblePassword(stored), password.trimmed()) << password.toStdString();
    }
    EXPECT_EQ(UnscramblePassword(ScramblePassword(QStringLiteral("abcdefghijklmnopqrst"))),
              QStringLiteral("abcdefghijklmnop"));
    EXPECT_THROW(ScramblePassword(QStringLiteral("50€")), std::invalid_argument);
}
