#include "platform/ui/inputbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmInputBox::frmInputBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Eingabe"));
    setModal(true);
    lbMsg = new QLabel(this);
    lbMsg->setWordWrap(true);
    Text1 = new QLineEdit(this);
    Text1->setEchoMode(QLineEdit::Password);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Abbrechen"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbMsg);
    layout->addWidget(Text1);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmInputBox::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmInputBox::cmdCancel_Click);
}

void frmInputBox::cmdOK_Click()
{
    m_okTag = QStringLiteral("X");
    accept();
}

void frmInputBox::cmdCancel_Click()
{
    m_cancelTag = QStringLiteral("X");
    Text1->clear();
    QDialog::reject();
}

void frmInputBox::reject()
{
    cmdCancel_Click();
}
