#include "core/handler.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/notices.h"
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

namespace {

// Handlers run inside handlers while a box or dialog stands.
int handlerDepth = 0;

struct HandlerLevel {
    HandlerLevel() { ++handlerDepth; }
    ~HandlerLevel() { --handlerDepth; }
    HandlerLevel(const HandlerLevel&) = delete;
    HandlerLevel& operator=(const HandlerLevel&) = delete;
};

// What the reading found wrong is told when the outermost handler is done,
// after its own messages.
void tellNoticesWhenOutermost()
{
    if (handlerDepth == 0)
        TellNotices();
}

}  // namespace

bool HandlerRunning()
{
    return handlerDepth > 0;
}

bool RunHandler(const QString& name, const std::function<void()>& fn)
{
    const bool fillingLists = FillingLists;
    const bool closing = Closing;
    const int cursors = ui::WaitCursor::depth();
    QString report;
    try {
        {
            HandlerLevel level;
            fn();
        }
        tellNoticesWhenOutermost();
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
    tellNoticesWhenOutermost();
    return false;
}
