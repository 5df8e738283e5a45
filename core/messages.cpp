#include "core/messages.h"

#include "core/datefunctions.h"
#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <QFile>

QString VersionText;
QString AppTitle;
QString TextUnnamed;
QString TextAll;
QString SalutationHerr;
QString SalutationFrau;

#ifndef VELMORANT_VERSION_MAJOR
#define VELMORANT_VERSION_MAJOR 0
#endif
#ifndef VELMORANT_VERSION_MINOR
#define VELMORANT_VERSION_MINOR 1
#endif
#ifndef VELMORANT_VERSION_REVISION
#define VELMORANT_VERSION_REVISION 0
#endif

// rcc names the initialiser after the .qrc file; the macro must stand outside any namespace.
static void initMessageResources()
{
    Q_INIT_RESOURCE(messages);
}

namespace {

// "\n", "\t" and "\\" in the file stand for a line break, a tab and a backslash.
QString unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text.at(i + 1);
            if (next == QLatin1Char('n')) { out += QLatin1Char('\n'); ++i; continue; }
            if (next == QLatin1Char('t')) { out += QLatin1Char('\t'); ++i; continue; }
            if (next == QLatin1Char('\\')) { out += QLatin1Char('\\'); ++i; continue; }
        }
        out += c;
    }
    return out;
}

MessageTable load()
{
    initMessageResources();
    MessageTable table;
    QFile file(QStringLiteral(":/velmorant/messages.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QString content = QString::fromUtf8(file.readAll());
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int number = tab > 0 ? line.left(tab).toInt(&ok) : 0;
        if (!ok) {
            table.badLines.push_back(line);
            continue;
        }
        if (!table.texts.emplace(number, unescape(line.mid(tab + 1))).second)
            table.duplicates.push_back(number);
    }
    return table;
}

}  // namespace

const MessageTable& messageTable()
{
    static const MessageTable table = load();
    return table;
}

QString GetResString(int number, std::initializer_list<std::pair<QString, QString>> replacements)
{
    const auto& texts = messageTable().texts;
    const auto found = texts.find(number);
    if (found == texts.end()) {
        ui::msgBox(QStringLiteral("Ressource mit dem Bezeichner '%1' nicht gefunden.").arg(number), ui::OkOnly,
                   AppTitle.isEmpty() ? QStringLiteral("Velmorant") : AppTitle);
        return QString();
    }
    QString text = found->second;
    for (const auto& [placeholder, value] : replacements)
        text = rt::replaceAll(text, placeholder, value);
    return text;
}

void InitGlobalTexts()
{
    VersionText = QString::number(VELMORANT_VERSION_MAJOR) + QLatin1Char('.') + QString::number(VELMORANT_VERSION_MINOR) +
                  QString::number(VELMORANT_VERSION_REVISION);
    AppTitle = GetResString(102);
    // A box without a title of its own carries the program's title.
    ui::setDefaultTitle([] { return AppTitle; });
    TextUnnamed = QStringLiteral("  ") + GetResString(311);
    TextAll = QStringLiteral("     ") + GetResString(312);
    SalutationHerr = GetResString(328);
    SalutationFrau = GetResString(329);
    InitDateFormat();
    DateTimeFormat = DateFormat + QStringLiteral(" hh:nn:ss");
}
