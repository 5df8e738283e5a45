#include "platform/ui/mnemonic.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QTabBar>

#include <set>

namespace ui {

QChar MnemonicOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return caption[i + 1].toLower();
        ++i;
    }
    return {};
}

namespace {

std::set<QChar> lettersTaken(const QWidget* window, const QWidget* self)
{
    std::set<QChar> taken;
    const auto take = [&taken](const QString& caption) {
        if (const QChar letter = MnemonicOf(caption); !letter.isNull())
            taken.insert(letter);
    };
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b != self)
            take(b->text());
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l != self)
            take(l->text());
    for (const QGroupBox* g : window->findChildren<QGroupBox*>())
        if (g != self)
            take(g->title());
    for (const QTabBar* tabs : window->findChildren<QTabBar*>())
        for (int i = 0; i < tabs->count(); ++i)
            take(tabs->tabText(i));
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (const QAction* a : bar->actions())
            take(a->text());
    return taken;
}

}  // namespace

QString withFreeMnemonic(const QString& caption, const QWidget* window, const QWidget* self)
{
    QString escaped = caption;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (!window)
        return escaped;
    const std::set<QChar> taken = lettersTaken(window, self);
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        if (escaped[i].isLetterOrNumber() && !taken.count(escaped[i].toLower()))
            return escaped.left(i) + QLatin1Char('&') + escaped.mid(i);
    }
    return escaped;
}

}  // namespace ui
