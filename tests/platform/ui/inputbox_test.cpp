#include "platform/ui/inputbox.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(PasswordBox, OkKeepsTheEntryAndCancelOrEscapeClearsIt)
{
    frmInputBox ok;
    EXPECT_EQ(ok.Text1->echoMode(), QLineEdit::Password);
    ok.Text1->setText(QStringLiteral("Geheim"));
    ok.cmdOK->click();
    EXPECT_EQ(ok.result(), QDialog::Accepted);
    EXPECT_EQ(ok.okTag(), QStringLiteral("X"));
    EXPECT_EQ(ok.Text1->text(), QStringLiteral("Geheim"));

    frmInputBox cancel;
    cancel.Text1->setText(QStringLiteral("Geheim"));
    cancel.cmdCancel->click();
    EXPECT_EQ(cancel.cancelTag(), QStringLiteral("X"));
    EXPECT_TRUE(cancel.okTag().isEmpty());
    EXPECT_TRUE(cancel.Text1->text().isEmpty());

    frmInputBox escape;
    escape.show();
    escape.Text1->setText(QStringLiteral("Geheim"));
    QTest::keyClick(&escape, Qt::Key_Escape);
    EXPECT_EQ(escape.cancelTag(), QStringLiteral("X"));
    EXPECT_TRUE(escape.Text1->text().isEmpty());
}
