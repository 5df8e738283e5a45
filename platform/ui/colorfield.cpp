#include "platform/ui/colorfield.h"

#include <QKeyEvent>
#include <QPainter>

namespace ui {

ColorField::ColorField(QWidget* parent) : QLabel(parent)
{
    setFrameShape(QFrame::Box);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
}

void ColorField::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool press = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (press && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        event->accept();
        emit keyPressed();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ColorField::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Dashed in black or white, whichever stands out from the colour shown.
    const QColor shown = palette().color(backgroundRole());
    QPainter painter(this);
    QPen pen(shown.lightness() > 110 ? Qt::black : Qt::white, 2, Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
}

}  // namespace ui
