#include "platform/ui/busy.h"

#include <QApplication>
#include <QCursor>

#include <vector>

namespace ui {

namespace {
int g_depth = 0;
std::vector<WaitCursor*> g_active;
}  // namespace

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++g_depth;
    g_active.push_back(this);
}

WaitCursor::~WaitCursor()
{
    std::erase(g_active, this);
    if (m_released)
        return;
    --g_depth;
    QApplication::restoreOverrideCursor();
}

int WaitCursor::depth()
{
    return g_depth;
}

void WaitCursor::restoreTo(int depth)
{
    while (g_depth > depth && !g_active.empty()) {
        WaitCursor* last = g_active.back();
        g_active.pop_back();
        last->m_released = true;
        --g_depth;
        QApplication::restoreOverrideCursor();
    }
}

void doEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace ui
