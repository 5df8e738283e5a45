// The program as its executable starts it, saying "painted" on standard
// output once its main window has painted for the first time, and ending at
// once: the benchmark times the start as a whole process with it.
#include "app/program.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (!m_seen && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(object);
            if (widget && widget->window()->objectName() == QLatin1String("frmStockwerke")) {
                m_seen = true;
                // After the whole paint has been done and shown.
                QTimer::singleShot(0, [] {
                    std::fputs("painted\n", stdout);
                    std::fflush(stdout);
                    std::_Exit(0);
                });
            }
        }
        return false;
    }

private:
    bool m_seen = false;
};

}  // namespace

int main(int argc, char** argv)
{
    return RunProgram(argc, argv, [] { qApp->installEventFilter(new FirstPaint); });
}
