#include "core/startup.h"
#include "core/windows.h"
#include "plan/frmStockwerke.h"
#include "preferences/frmVorgaben.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmorant"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The program ends only through its own exit, never because the last
    // window closed while start-up opens the next one.
    QApplication::setQuitOnLastWindowClosed(false);

    WindowEntryPoints& windows = Windows();
    windows.showSettings = [] { frmVorgaben::showWindow(); };
    windows.initMainWindow = [] { frmStockwerke::instance().init(); };

    Main();
    return app.exec();
}
