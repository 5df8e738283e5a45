#include "platform/runtime/color.h"

namespace rt {

QColor toQColor(qint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

qint32 fromQColor(const QColor& color)
{
    return rgb(color.red(), color.green(), color.blue());
}

}  // namespace rt
