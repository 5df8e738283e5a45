#pragma once

class QAbstractButton;
class QWidget;

namespace ui {

// F1 anywhere in the window does what its help button does.
void BindHelpKey(QWidget* window, QAbstractButton* helpButton);

}  // namespace ui
