#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The small modal window of the password check.
class frmInputBox : public QDialog {
    Q_OBJECT
public:
    explicit frmInputBox(QWidget* parent = nullptr);

    QLabel* lbMsg;
    QLineEdit* Text1;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // The answer: "X" in the tag of the button that was pressed.
    QString okTag() const { return m_okTag; }
    QString cancelTag() const { return m_cancelTag; }

protected:
    // Escape and the close box answer like Cancel.
    void reject() override;

private slots:
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    QString m_okTag;
    QString m_cancelTag;
};
