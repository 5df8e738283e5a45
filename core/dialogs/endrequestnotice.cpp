#include "core/dialogs/endrequestnotice.h"

#include "core/messages.h"
#include "core/startup.h"
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPointer<EndRequestNotice>& instance()
{
    static QPointer<EndRequestNotice> notice;
    return notice;
}

QString lines(const QStringList& unsaved)
{
    return QStringLiteral("- ") + unsaved.join(QStringLiteral("\n- "));
}

}  // namespace

EndRequestNotice::EndRequestNotice() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("EndRequestNotice"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(AppTitle);
    auto* layout = new QVBoxLayout(this);
    auto* asked = new QLabel(QStringLiteral("An einem anderen Arbeitsplatz wurde darum gebeten, %1 überall zu beenden.").arg(AppTitle));
    QFont bold = asked->font();
    bold.setBold(true);
    asked->setFont(bold);
    asked->setWordWrap(true);
    layout->addWidget(asked);
    layout->addWidget(new QLabel(QStringLiteral("Hier ist noch nicht gespeichert:")));
    lbUnsaved = new QLabel;
    // The lines name guests and places as typed.
    lbUnsaved->setTextFormat(Qt::PlainText);
    lbUnsaved->setWordWrap(true);
    lbUnsaved->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lbUnsaved);
    auto* hint = new QLabel(QStringLiteral("Bitte speichern oder verwerfen Sie diese Eingaben. Danach wird %1 hier von "
                                           "selbst beendet; bis dahin bleibt der Arbeitsplatz angemeldet.")
                                .arg(AppTitle));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnGiveUp = new QPushButton(QStringLiteral("Eingaben verwerfen und beenden"));
    // Neither Enter nor Escape may throw the edits away.
    btnGiveUp->setAutoDefault(false);
    buttons->addWidget(btnGiveUp);
    layout->addLayout(buttons);
    connect(btnGiveUp, &QPushButton::clicked, this, &EndRequestNotice::btnGiveUp_Click);
    setMinimumWidth(460);
}

EndRequestNotice* EndRequestNotice::loaded()
{
    return instance();
}

void EndRequestNotice::Show(const QStringList& unsaved)
{
    QPointer<EndRequestNotice>& notice = instance();
    if (unsaved.isEmpty()) {
        if (notice)
            notice->close();
        return;
    }
    if (notice && notice->m_unsaved == unsaved)
        return;
    const bool fresh = !notice;
    if (fresh)
        notice = new EndRequestNotice;
    notice->m_unsaved = unsaved;
    notice->lbUnsaved->setText(lines(unsaved));
    notice->adjustSize();
    if (fresh) {
        // Over the window the user works in.
        if (QWidget* over = QApplication::activeWindow(); over && over != notice)
            notice->move(over->frameGeometry().center() - notice->rect().center());
        else if (QScreen* screen = QApplication::primaryScreen())
            notice->move(screen->availableGeometry().center() - notice->rect().center());
    }
    notice->show();
    notice->raise();
}

void EndRequestNotice::btnGiveUp_Click()
{
    const QStringList unsaved = UnsavedEdits();
    if (!unsaved.isEmpty()) {
        const QString question = QStringLiteral("Diese Eingaben gehen dann verloren:\n\n") + lines(unsaved)
                                 + QStringLiteral("\n\nWollen Sie %1 trotzdem jetzt beenden?").arg(AppTitle);
        if (ui::msgBox(question, ui::OkCancel | ui::Exclamation | ui::DefaultButton2, windowTitle()) != ui::Answer::Ok)
            return;
    }
    close();
    ExitProgram(true);
}
