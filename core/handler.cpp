#include "core/handler.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/windows.h"
#include "platform/db/error.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

QString HandlerErrorText(const QString& name, int number, const QString& description)
{
    QString text = QStringLiteral("Fehler in ") + name + QLatin1Char('\n');
    if (number != 0)
        text += QStringLiteral("Fehler ") + QString::number(number) + QStringLiteral(": ");
    return text + description;
}

bool RunHandler(const QString& name, const std::function<void()>& fn)
{
    const bool fillingLists = FillingLists;
    const bool closing = Closing;
    const int cursors = ui::WaitCursor::depth();
    QString report;
    try {
        fn();
        return true;
    } catch (const ProgramEnded&) {
        throw;
    } catch (const db::DbError& error) {
        report = HandlerErrorText(name, error.number(), error.description());
    } catch (const std::exception& error) {
        report = HandlerErrorText(name, 0, QString::fromUtf8(error.what()));
    }
    FillingLists = fillingLists;
    Closing = closing;
    ui::WaitCursor::restoreTo(cursors);
    ui::msgBox(report, ui::Critical, AppTitle);
    return false;
}
