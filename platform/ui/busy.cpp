#include "platform/ui/busy.h"

#include <QApplication>
#include <QCursor>

namespace ui {

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

void doEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace ui
