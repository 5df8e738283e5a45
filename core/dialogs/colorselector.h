#pragma once

#include "core/singlewindow.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class QLabel;

// A window that opens the colour pop-up.
class ColorReceiver {
public:
    virtual ~ColorReceiver() = default;
    // The chosen colour-table index; 0 means no colour.
    virtual void Receive_SelectedColor(qint32 index) = 0;
};

// The colour pop-up: one field per colour of the colour table under a field
// for no colour. A click (press and release on one field) hands the field's
// index to the window that opened it; a click anywhere else, Escape or
// closing hides it without an answer.
class frmColorSelector : public QWidget, public SingleWindow<frmColorSelector> {
    Q_OBJECT
    friend class SingleWindow<frmColorSelector>;

public:
    // Destroys the pop-up, so its fields are built anew from the colour table.
    static void Unload() { unload(); }

    // Shows the pop-up with its top-left corner at the screen position x, y
    // (twips) for the receiver; it must be a QObject for the pop-up to notice
    // its end.
    void ShowColor(ColorReceiver* caller, qint32 x, qint32 y);

    // lbColorSelector[i] stands for colour index i; empty codes leave a null gap.
    std::vector<QLabel*> lbColorSelector;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    frmColorSelector();
    void Form_Load();
    void lbColorSelector_Click(int index);
    void focusField(int index);

    int m_focus = 0;
    int m_pressed = -1;   // the field the left button went down on, -1 for none

    ColorReceiver* m_caller = nullptr;
    QPointer<QObject> m_callerObject;
    bool m_callerIsObject = false;
};
