#include "core/password.h"

#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// Answers the password window whenever it shows, and notes what it showed.
class PasswordAnswer {
public:
    explicit PasswordAnswer(std::function<void(frmInputBox*)> answer) : m_answer(std::move(answer))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<frmInputBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            ++shown;
            prompt = box->lbMsg->text();
            title = box->windowTitle();
            passwordEcho = box->Text1->echoMode() == QLineEdit::Password;
            m_answer(box);
        });
        m_timer.start();
    }

    static PasswordAnswer ok(const QString& entry)
    {
        return PasswordAnswer([entry](frmInputBox* box) {
            box->Text1->setText(entry);
            box->cmdOK->click();
        });
    }

    int shown = 0;
    QString prompt;
    QString title;
    bool passwordEcho = false;

private:
    std::function<void(frmInputBox*)> m_answer;
    QTimer m_timer;
};

class AdminPasswordCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        AdminPassword = QStringLiteral("Geheim");
        SecondAdminPassword.clear();
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
    PasswordAnswer answer = PasswordAnswer::ok(QString());
    EXPECT_TRUE(CheckAdminPassword(true));
    EXPECT_EQ(answer.shown, 0);
}

TEST_F(AdminPasswordCheck, AcceptsTheEntryWithoutRegardToCaseAndRemembersIt)
{
    {
        PasswordAnswer answer = PasswordAnswer::ok(QStringLiteral("gEHEIM"));
        EXPECT_TRUE(CheckAdminPassword(true));
        EXPECT_EQ(answer.shown, 1);
        EXPECT_EQ(answer.title, QStringLiteral("Passworteingabe"));
        EXPECT_EQ(answer.prompt,
                  QStringLiteral("Bitte geben Sie das Administrator-Passwort ein, um Zugriff zu erhalten:"));
        EXPECT_TRUE(answer.passwordEcho);
    }
    EXPECT_TRUE(AdminConfirmed);
    PasswordAnswer again = PasswordAnswer::ok(QString());
    EXPECT_TRUE(CheckAdminPassword(true));
    EXPECT_EQ(again.shown, 0);
}

TEST_F(AdminPasswordCheck, WithoutRememberEveryCheckAsks)
{
    PasswordAnswer answer = PasswordAnswer::ok(QStringLiteral("Geheim"));
    EXPECT_TRUE(CheckAdminPassword(false));
    EXPECT_FALSE(AdminConfirmed);
    EXPECT_TRUE(CheckAdminPassword(false));
    EXPECT_EQ(answer.shown, 2);
}

TEST_F(AdminPasswordCheck, WrongOrEmptyEntryIsRefusedWithAMessage)
{
    for (const QString& entry : {QStringLiteral("falsch"), QString(), QStringLiteral("Geheim ")}) {
        dialogs->answerMessage(ui::Answer::Ok);
        PasswordAnswer answer = PasswordAnswer::ok(entry);
        EXPECT_FALSE(CheckAdminPassword(true)) << entry.toStdString();
        const auto& message = dialogs->lastMessage();
        EXPECT_EQ(message.title, QStringLiteral("Passwort falsch"));
        EXPECT_EQ(message.icon, ui::Icon::Critical);
        EXPECT_EQ(message.text, QStringLiteral("Sie haben nur eingeschränkten Zugriff auf diese Software, \n"
                                               "da Sie sich nicht als Administrator legitimieren konnten."));
    }
    EXPECT_EQ(dialogs->messages().size(), 3u);
    EXPECT_FALSE(AdminConfirmed);
}

TEST_F(AdminPasswordCheck, CancelEscapeAndCloseRefuseSilently)
{
    const std::function<void(frmInputBox*)> ways[] = {
        [](frmInputBox* box) {
            box->Text1->setText(QStringLiteral("Geheim"));
            box->cmdCancel->click();
        },
        [](frmInputBox* box) {
            box->Text1->setText(QStringLiteral("Geheim"));
            QTest::keyClick(box, Qt::Key_Escape);
        },
        [](frmInputBox* box) {
            box->Text1->setText(QStringLiteral("Geheim"));
            box->close();
        },
    };
    for (const auto& way : ways) {
        PasswordAnswer answer(way);
        EXPECT_FALSE(CheckAdminPassword(true));
        EXPECT_EQ(answer.shown, 1);
    }
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST(PasswordScrambling, RoundTripsAndKeepsSixteenCharacters)
{
    const QString passwords[] = {
        QStringLiteral("geheim"),
        QStringLiteral("  Zwei Worte  "),
        QStringLiteral("Größe&Maß"),
        QStringLiteral("xxü"),                  // 252 + 3 = 255: the stored form holds a zero character
        QStringLiteral("ÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿ"),    // every sum beyond 255
        QStringLiteral("!~{}[]|\\\"'#%"),
    };
    for (const QString& password : passwords) {
        const QString stored = ScramblePassword(password);
        EXPECT_EQ(stored.size(), 16) << password.toStdString();
        EXPECT_EQ(UnscramblePassword(stored), password.trimmed()) << password.toStdString();
    }
}

TEST(PasswordScrambling, KeepsTheStoredFormOfEarlierVersions)
{
    // (code + position) XOR 255, blanks padding to 16.
    const QString stored = ScramblePassword(QStringLiteral("ab"));
    EXPECT_EQ(stored.at(0).unicode(), (97 + 1) ^ 255);
    EXPECT_EQ(stored.at(1).unicode(), (98 + 2) ^ 255);
    EXPECT_EQ(stored.at(15).unicode(), (32 + 16) ^ 255);
}

TEST(PasswordScrambling, LongPasswordsAreCutAndEmptyOnesStayEmpty)
{
    EXPECT_EQ(UnscramblePassword(ScramblePassword(QStringLiteral("abcdefghijklmnopqrst"))),
              QStringLiteral("abcdefghijklmnop"));
    const QString empty = ScramblePassword(QString());
    EXPECT_EQ(empty.size(), 16);
    EXPECT_EQ(UnscramblePassword(empty), QString());
}

TEST(PasswordScrambling, RefusesCharactersItCannotStore)
{
    EXPECT_FALSE(IsStorablePassword(QStringLiteral("50€")));
    EXPECT_TRUE(IsStorablePassword(QStringLiteral("Größe")));
    EXPECT_THROW(ScramblePassword(QStringLiteral("50€")), std::invalid_argument);
}
