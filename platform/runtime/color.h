#pragma once

#include <QColor>

namespace rt {

// Colours are kept as the database keeps them: a Long with red in the low
// byte, then green, then blue.
constexpr qint32 rgb(int red, int green, int blue)
{
    return static_cast<qint32>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

QColor toQColor(qint32 bgr);
qint32 fromQColor(const QColor& color);

}  // namespace rt
