#include "platform/ui/helpkey.h"

#include <QAbstractButton>
#include <QShortcut>

namespace ui {

void BindHelpKey(QWidget* window, QAbstractButton* helpButton)
{
    auto* key = new QShortcut(QKeySequence::HelpContents, window);
    QObject::connect(key, &QShortcut::activated, helpButton, &QAbstractButton::click);
}

}  // namespace ui
