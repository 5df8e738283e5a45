#pragma once

#include <QDialog>
#include <QImage>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

// The colour mixer: red, green and blue sliders and a palette to click into.
// Modal; Value() is the confirmed colour, or -1.
class frmColorConfig : public QDialog {
    Q_OBJECT
public:
    explicit frmColorConfig(QWidget* parent = nullptr);

    qint32 Value() const { return m_value; }
    // A colour of 0 or more sets the sliders and the display and forgets the
    // confirmed colour; a negative one does nothing.
    void setValue(qint32 color);

    // The colour the sliders make now.
    qint32 MixedColor() const;
    // The slider's value, 0 to 255, and the knob's top inside the window.
    int sliderValue(int index) const;

    std::array<QLabel*, 3> LabelColorSlider{};
    std::array<QFrame*, 3> ShapeSliderKnob{};
    QFrame* ShapeColorDisplay = nullptr;
    QLabel* Picture1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The palette: hues down, from white on the left through the pure hue to black.
    static QImage PaletteImage();

public slots:
    // Cancelling, Escape and the close box all leave -1.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private slots:
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void SetSlider(int index, int value);
    void DragSlider(int y, Qt::MouseButtons buttons);
    void PickFromPalette(const QPoint& position, Qt::MouseButtons buttons);
    void showMixedColor();

    qint32 m_value = -1;
    int m_activeSlider = -1;
    std::array<int, 3> m_tags{};
    QImage m_palette;
};
