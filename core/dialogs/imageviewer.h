#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// Shows the picture of a building, floor, place or room in a window of the
// picture's own size at the screen's top-left corner, titled with the item's
// name; a picture larger than the screen is shrunk, proportions kept. A click
// on the picture, Enter, Escape, Space or Alt+F4 closes it.
class frmImage : public QWidget {
    Q_OBJECT
public:
    // file is a full path or a name in the picture folder ImageDir. Missing,
    // absent and unreadable pictures are reported; false then.
    static bool ShowImage(const QString& file, const QString& name);
    static bool isLoaded();
    static frmImage* loaded();

    QLabel* Image1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    frmImage();
};
