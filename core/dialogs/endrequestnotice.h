#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;

// Tells the user of this workstation that another one asked every
// workstation to end the program, and what keeps this one running: the edits
// nobody has stored yet. It stays while they are, and goes with the program.
class EndRequestNotice : public QWidget {
    Q_OBJECT
public:
    // Shows the notice with the unsaved edits, one line each, or takes it
    // away for an empty list. Shown again only when the list changes.
    static void Show(const QStringList& unsaved);
    static EndRequestNotice* loaded();

    QLabel* lbUnsaved = nullptr;
    QPushButton* btnGiveUp = nullptr;

private slots:
    // Ends the program without what is unsaved, after the user agrees.
    void btnGiveUp_Click();

private:
    EndRequestNotice();
    QStringList m_unsaved;
};
