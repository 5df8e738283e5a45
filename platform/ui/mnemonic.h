#pragma once

#include <QString>

class QWidget;

namespace ui {

// The Alt letter of a caption in lower case ("&&" is a plain "&"); none when
// it has none.
QChar MnemonicOf(const QString& caption);

// The caption with an Alt letter that no other caption of the window uses
// (its buttons, labels, group boxes, tabs and menu bar): the first letter of
// the caption that is still free, else none. An "&" of the caption itself is
// shown as it is. For captions made from words the house chooses.
QString withFreeMnemonic(const QString& caption, const QWidget* window, const QWidget* self);

}  // namespace ui
