#include "core/dialogs/colorselector.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/terms.h"
#include "platform/runtime/color.h"
#include "platform/ui/busy.h"
#include "platform/runtime/twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace {


// The pop-up's fields keep their design size of 900 by 180 twips.
constexpr int FieldLeft = 1;
constexpr int FieldTop = 1;
constexpr int FieldWidth = 900 / rt::TwipsPerPixel;
constexpr int FieldHeight = 180 / rt::TwipsPerPixel;


QString fieldStyle(qint32 color, bool focused)
{
    return QStringLiteral("QLabel { background-color: %1; color: black; border: 1px solid %2; }")
        .arg(rt::toQColor(color).name(), focused ? QStringLiteral("black") : rt::toQColor(color).name());
}

}  // namespace

frmColorSelector::frmColorSelector() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmColorSelector"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    Form_Load();
}

void frmColorSelector::Form_Load()
{
    auto makeField = [this](int index, qint32 color) {
        auto* field = new QLabel(this);
        field->setGeometry(FieldLeft, FieldTop + index * FieldHeight, FieldWidth, FieldHeight);
        field->setStyleSheet(fieldStyle(color, false));
        field->setProperty("ColorIndex", index);
        field->setProperty("FieldColor", color);
        field->installEventFilter(this);
        return field;
    };

    const int count = std::max(0, ColorCount);
    lbColorSelector.assign(static_cast<size_t>(count) + 1, nullptr);
    QLabel* none = makeField(0, 0xFFFFFF);
    QFont small = none->font();
    small.setPixelSize(FieldHeight - 3);
    none->setFont(small);
    none->setText(GetResString(313) + QLatin1Char(' '));
    lbColorSelector[0] = none;

    int last = 0;
    for (int i = 1; i <= count; ++i) {
        const QString code = i < static_cast<int>(ColorCodes.size()) ? ColorCodes[static_cast<size_t>(i)] : QString();
        if (code.isEmpty())
            continue;
        lbColorSelector[static_cast<size_t>(i)] = makeField(i, ColorCodeValue(code));
        last = i;
    }
    const QLabel* bottom = lbColorSelector[static_cast<size_t>(last)];
    setFixedSize(FieldLeft + FieldWidth + 1, bottom->y() + bottom->height() + 1);
}

void frmColorSelector::ShowColor(ColorReceiver* caller, qint32 x, qint32 y)
{
    // The caller is kept first, so a click handled while events run still reaches it.
    m_caller = caller;
    m_callerObject = dynamic_cast<QObject*>(caller);
    m_callerIsObject = m_callerObject != nullptr;
    // Opened by a press, the pop-up lies under the pointer: the release of that
    // press is no click on a field.
    m_pressed = -1;
    move(x / rt::TwipsPerPixel, y / rt::TwipsPerPixel);
    focusField(0);
    show();
    raise();
    activateWindow();
    setFocus();
    ui::doEvents();
}

void frmColorSelector::lbColorSelector_Click(int index)
{
    hide();
    ColorReceiver* caller = m_caller;
    const bool gone = m_callerIsObject && !m_callerObject;
    m_caller = nullptr;
    m_callerObject = nullptr;
    m_callerIsObject = false;
    if (caller && !gone)
        caller->Receive_SelectedColor(index);
}

void frmColorSelector::focusField(int index)
{
    for (QLabel* field : lbColorSelector) {
        if (field)
            field->setStyleSheet(fieldStyle(field->property("FieldColor").toInt(), field->property("ColorIndex").toInt() == index));
    }
    m_focus = index;
}

bool frmColorSelector::eventFilter(QObject* watched, QEvent* e)
{
    auto* field = qobject_cast<QLabel*>(watched);
    if (field && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(e);
        const int index = field->property("ColorIndex").toInt();
        if (mouse->button() != Qt::LeftButton)
            return QWidget::eventFilter(watched, e);
        if (e->type() == QEvent::MouseButtonPress) {
            m_pressed = index;
            return true;
        }
        // A click is a press and a release on the same field.
        const bool click = m_pressed == index && field->rect().contains(mouse->position().toPoint());
        m_pressed = -1;
        if (click)
            lbColorSelector_Click(index);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void frmColorSelector::keyPressEvent(QKeyEvent* e)
{
    const int count = static_cast<int>(lbColorSelector.size());
    auto step = [&](int direction) {
        for (int i = m_focus + direction; i >= 0 && i < count; i += direction) {
            if (lbColorSelector[static_cast<size_t>(i)]) {
                focusField(i);
                return;
            }
        }
    };
    switch (e->key()) {
    case Qt::Key_Up: step(-1); break;
    case Qt::Key_Down: step(1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: lbColorSelector_Click(m_focus); break;
    case Qt::Key_Escape: close(); break;
    default: QWidget::keyPressEvent(e);
    }
}

void frmColorSelector::closeEvent(QCloseEvent* e)
{
    m_caller = nullptr;
    m_callerObject = nullptr;
    m_callerIsObject = false;
    if (Closing) {
        e->accept();
        deleteLater();
        return;
    }
    e->ignore();
    hide();
}

