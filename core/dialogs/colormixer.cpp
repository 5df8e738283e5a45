#include "core/dialogs/colormixer.h"

#include "platform/runtime/color.h"
#include "platform/runtime/twips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {


// The mixer's sliders are 255 by 2880 twips, 240 twips apart.
constexpr int SliderLeft = 12;
constexpr int SliderTop = 12;
constexpr int SliderWidth = 255 / rt::TwipsPerPixel;
constexpr int SliderHeight = 2880 / rt::TwipsPerPixel;
constexpr int SliderGap = 240 / rt::TwipsPerPixel;
constexpr int KnobWidth = SliderWidth + 8;
constexpr int KnobHeight = 5;
constexpr int PaletteWidth = 50;
constexpr int PaletteHeight = 192;

QString channelGradient(int index)
{
    static const char* const tops[] = {"#ff0000", "#00ff00", "#0000ff"};
    return QStringLiteral("QLabel { border: 1px solid #606060; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                          "stop:0 %1, stop:1 #000000); }")
        .arg(QLatin1String(tops[index]));
}

}  // namespace

QImage frmColorConfig::PaletteImage()
{
    QImage image(PaletteWidth, PaletteHeight, QImage::Format_RGB32);
    for (int y = 0; y < PaletteHeight; ++y) {
        const int hue = y * 359 / (PaletteHeight - 1);
        for (int x = 0; x < PaletteWidth; ++x) {
            const double lightness = 1.0 - double(x) / (PaletteWidth - 1);
            image.setPixelColor(x, y, QColor::fromHslF(hue / 360.0f, 1.0f, static_cast<float>(lightness)));
        }
    }
    return image;
}

frmColorConfig::frmColorConfig(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmColorConfig"));
    setWindowTitle(QStringLiteral("Farbmischer"));
    setModal(true);

    for (int i = 0; i < 3; ++i) {
        auto* slider = new QLabel(this);
        slider->setGeometry(SliderLeft + i * (SliderWidth + SliderGap), SliderTop, SliderWidth, SliderHeight);
        slider->setStyleSheet(channelGradient(i));
        slider->setToolTip(QStringLiteral("Klicken Sie in die Farbbalken, um eine Farbe zu mischen"));
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->installEventFilter(this);
        LabelColorSlider[static_cast<size_t>(i)] = slider;

        auto* knob = new QFrame(this);
        knob->setFrameShape(QFrame::Box);
        knob->setStyleSheet(QStringLiteral("QFrame { background: white; border: 1px solid black; }"));
        knob->setFixedSize(KnobWidth, KnobHeight);
        knob->setAttribute(Qt::WA_TransparentForMouseEvents);
        ShapeSliderKnob[static_cast<size_t>(i)] = knob;
    }

    const int paletteLeft = SliderLeft + 3 * (SliderWidth + SliderGap);
    m_palette = PaletteImage();
    Picture1 = new QLabel(this);
    Picture1->setGeometry(paletteLeft, SliderTop, PaletteWidth, PaletteHeight);
    Picture1->setPixmap(QPixmap::fromImage(m_palette));
    Picture1->installEventFilter(this);

    const int rightLeft = paletteLeft + PaletteWidth + 16;
    ShapeColorDisplay = new QFrame(this);
    ShapeColorDisplay->setFrameShape(QFrame::Box);
    ShapeColorDisplay->setGeometry(rightLeft, SliderTop, 90, 90);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setGeometry(rightLeft, SliderTop + SliderHeight - 58, 90, 26);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
    cmdCancel->setGeometry(rightLeft, SliderTop + SliderHeight - 26, 90, 26);
    connect(cmdOK, &QPushButton::clicked, this, &frmColorConfig::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmColorConfig::cmdCancel_Click);

    setFixedSize(rightLeft + 90 + 12, SliderTop + SliderHeight + 12);
    for (int i = 0; i < 3; ++i)
        SetSlider(i, 0);
    showMixedColor();
    m_activeSlider = -1;
}

void frmColorConfig::setValue(qint32 color)
{
    if (color < 0)
        return;
    m_value = -1;
    SetSlider(0, color & 0xFF);
    SetSlider(1, (color & 0xFF00) / 256);
    SetSlider(2, (color & 0xFF0000) / 65536);
    showMixedColor();
}

qint32 frmColorConfig::MixedColor() const
{
    return rt::rgb(m_tags[0], m_tags[1], m_tags[2]);
}

int frmColorConfig::sliderValue(int index) const
{
    return m_tags.at(static_cast<size_t>(index));
}

void frmColorConfig::SetSlider(int index, int value)
{
    const auto i = static_cast<size_t>(index);
    m_tags[i] = std::clamp(value, 0, 255);
    const QLabel* slider = LabelColorSlider[i];
    const int top = slider->y() + slider->height()
                    - static_cast<int>(std::lround(double(slider->height()) / 255.0 * m_tags[i]));
    ShapeSliderKnob[i]->move(slider->x() - (KnobWidth - SliderWidth) / 2, top - KnobHeight / 2);
    ShapeSliderKnob[i]->raise();
}

void frmColorConfig::DragSlider(int y, Qt::MouseButtons buttons)
{
    if (buttons == Qt::NoButton || m_activeSlider < 0)
        return;
    const auto i = static_cast<size_t>(m_activeSlider);
    const QLabel* slider = LabelColorSlider[i];
    const int h = slider->height();
    if (y < 0 || y > h)
        return;
    int value = static_cast<int>(double(std::abs(y - h)) / h * 255.0);
    if (value < 5)
        value = 0;
    if (value > 250)
        value = 255;
    m_tags[i] = value;
    showMixedColor();
    // The knob follows the pointer itself, not the snapped value.
    ShapeSliderKnob[i]->move(ShapeSliderKnob[i]->x(), slider->y() + y - KnobHeight / 2);
}

void frmColorConfig::PickFromPalette(const QPoint& position, Qt::MouseButtons buttons)
{
    if (buttons == Qt::NoButton || !m_palette.valid(position))
        return;
    setValue(rt::fromQColor(m_palette.pixelColor(position)));
}

void frmColorConfig::showMixedColor()
{
    ShapeColorDisplay->setStyleSheet(
        QStringLiteral("QFrame { background-color: %1; border: 1px solid black; }").arg(rt::toQColor(MixedColor()).name()));
}

bool frmColorConfig::eventFilter(QObject* watched, QEvent* e)
{
    const auto sliderIt = std::find(LabelColorSlider.begin(), LabelColorSlider.end(), watched);
    const int slider = sliderIt == LabelColorSlider.end() ? -1 : static_cast<int>(sliderIt - LabelColorSlider.begin());
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(e);
        const QPoint position = mouse->position().toPoint();
        if (slider >= 0) {
            if (e->type() == QEvent::MouseButtonPress)
                m_activeSlider = slider;
            DragSlider(position.y(), mouse->buttons());
            return false;
        }
        if (watched == Picture1) {
            PickFromPalette(position, mouse->buttons());
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (slider >= 0)
            m_activeSlider = -1;
        break;
    case QEvent::KeyPress:
        if (slider >= 0) {
            const auto* key = static_cast<QKeyEvent*>(e);
            int step = 0;
            switch (key->key()) {
            case Qt::Key_Up: step = 1; break;
            case Qt::Key_Down: step = -1; break;
            case Qt::Key_PageUp: step = 16; break;
            case Qt::Key_PageDown: step = -16; break;
            default: break;
            }
            if (step != 0) {
                SetSlider(slider, sliderValue(slider) + step);
                showMixedColor();
                return true;
            }
        }
        break;
    default: break;
    }
    return QDialog::eventFilter(watched, e);
}

void frmColorConfig::mouseReleaseEvent(QMouseEvent* e)
{
    m_activeSlider = -1;
    QDialog::mouseReleaseEvent(e);
}

void frmColorConfig::cmdOK_Click()
{
    m_value = MixedColor();
    accept();
}

void frmColorConfig::cmdCancel_Click()
{
    reject();
}

void frmColorConfig::reject()
{
    m_value = -1;
    QDialog::reject();
}
