#include "core/notices.h"

#include "core/database.h"
#include "core/messages.h"
#include "platform/db/database.h"
#include "platform/ui/dialogs.h"

#include <QSet>

#include <deque>
#include <utility>

namespace {

struct Notice {
    QString database;
    QString key;
    QString text;
};

QString openDatabase()
{
    return Db ? Db->path() : QString();
}

QSet<QString>& noted()
{
    static QSet<QString> keys;
    return keys;
}

std::deque<Notice>& waiting()
{
    static std::deque<Notice> notices;
    return notices;
}

}  // namespace

void NoticeOnce(const QString& key, const QString& text)
{
    NoticeOnce(key, std::function<QString()>([&text] { return text; }));
}

void NoticeOnce(const QString& key, const std::function<QString()>& text)
{
    const QString database = openDatabase();
    const QString fullKey = database + QLatin1Char('\n') + key;
    if (noted().contains(fullKey))
        return;
    noted().insert(fullKey);
    waiting().push_back({database, key, text()});
}

int TellNotices()
{
    int told = 0;
    // Taken off the queue before it is shown: a handler that runs while the
    // box stands must not show it again.
    while (!waiting().empty()) {
        const Notice notice = std::move(waiting().front());
        waiting().pop_front();
        if (notice.database != openDatabase())
            continue;
        ui::msgBox(notice.text, ui::Exclamation, AppTitle);
        ++told;
    }
    return told;
}
