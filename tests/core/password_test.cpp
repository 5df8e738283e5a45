#include "core/password.h"

#include "tests/support/scripted_dialogs.h"


#include <gtest/gtest.h>

#include <stdexcept>

namespace {

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

// Password boxes shown so far.
int passwordBoxes(test::ScriptedDialogs& dialogs)
{
    int n = 0;
    for (const auto& call : dialogs.calls())
        n += call.kind == test::ScriptedDialogs::Kind::Password ? 1 : 0;
    return n;
}

TEST_F(AdminPasswordCheck, WithoutPasswordNoWindowShows)
{
    AdminPassword = QStringLiteral("   ");
    EXPECT_TRUE(CheckAdminPassword(true));
    EXPECT_EQ(passwordBoxes(*dialogs), 0);
}

TEST_F(AdminPasswordCheck, AcceptsTheEntryWithoutRegardToCaseAndRemembersIt)
{
    dialogs->answerPassword(QStringLiteral("gEHEIM"));
    EXPECT_TRUE(CheckAdminPassword(true));
    EXPECT_EQ(dialogs->calls().back().title, QStringLiteral("Passworteingabe"));
    EXPECT_TRUE(CheckAdminPassword(true));
    EXPECT_EQ(passwordBoxes(*dialogs), 1);
}

TEST_F(AdminPasswordCheck, WithoutRememberingItAsksEachTime)
{
    dialogs->answerPassword(QStringLiteral("Geheim"));
    dialogs->answerPassword(QStringLiteral("Geheim"));
    EXPECT_TRUE(CheckAdminPassword(false));
    EXPECT_TRUE(CheckAdminPassword(false));
    EXPECT_EQ(passwordBoxes(*dialogs), 2);
}

TEST_F(AdminPasswordCheck, WrongOrEmptyEntryIsRefusedWithAMessage)
{
    for (const QString& entry : {QStringLiteral("falsch"), QString()}) {
        dialogs->answerMessage(ui::Answer::Ok);
        dialogs->answerPassword(entry);
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
    dialogs->answerPassword(std::nullopt);
    EXPECT_FALSE(CheckAdminPassword(true));
    EXPECT_EQ(passwordBoxes(*dialogs), 1);
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
    // Cut to sixteen it would no longer be the password typed.
    EXPECT_THROW(ScramblePassword(QStringLiteral("abcdefghijklmnopq")), std::invalid_argument);
    EXPECT_EQ(PasswordProblem(QStringLiteral(" abcdefghijklmnopq ")),
              QStringLiteral("Das Administrator-Passwort darf höchstens 16 Zeichen lang sein; eingegeben wurden 17."));
    EXPECT_TRUE(PasswordProblem(QStringLiteral(" abcdefghijklmnop ")).isEmpty());
    EXPECT_THROW(ScramblePassword(QStringLiteral("50€")), std::invalid_argument);
}
