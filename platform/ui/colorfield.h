#pragma once

#include <QLabel>

namespace ui {

// A framed field that shows a colour and is chosen like a button: Tab stops
// on it, a frame shows when it has the focus, and Space or Enter ask for a
// colour (the owner opens its colour dialog on keyPressed, as on a click).
class ColorField : public QLabel {
    Q_OBJECT
public:
    explicit ColorField(QWidget* parent = nullptr);

signals:
    void keyPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
