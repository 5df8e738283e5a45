#include "schedule/usercontrol1.h"

#include "platform/runtime/color.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

using sched::Event;
using sched::Primitive;
using sched::SurfaceId;

namespace {

int buttonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return sched::LeftButton;
    case Qt::RightButton: return sched::RightButton;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int modifierMask(Qt::KeyboardModifiers m)
{
    int mask = 0;
    if (m & Qt::ShiftModifier)
        mask |= sched::ShiftKey;
    if (m & Qt::ControlModifier)
        mask |= sched::CtrlKey;
    if (m & Qt::AltModifier)
        mask |= sched::AltKey;
    return mask;
}

// The schedule's texts were laid out for a 96-dpi screen: points to pixels.
int pixelsOf(int pointSize)
{
    return static_cast<int>(std::lround(pointSize * 96.0 / 72.0));
}

QColor colourOf(qint32 colour)
{
    return colour == Primitive::ForeColour ? QColor(Qt::black) : rt::toQColor(colour);
}

}  // namespace

UserControl1::UserControl1(QWidget* parent)
    : QWidget(parent)
{
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    HScroll1->hide();
    VScroll1->hide();
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        m_model.setHorizontalScroll(v);
        scrolled();
    });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        m_model.setVerticalScroll(v);
        scrolled();
    });
    TimerBlink.setInterval(300);
    connect(&TimerBlink, &QTimer::timeout, this, [this] {
        m_model.blinkTick();
        update();
    });

    m_small = font();
    m_small.setPixelSize(pixelsOf(8));
    m_smallBold = m_small;
    m_smallBold.setBold(true);
    m_large = m_small;
    m_large.setPixelSize(pixelsOf(16));
    m_large.setBold(true);
    // The hour has 25 pixels before the minutes start; common sans fonts
    // need a narrower cut to fit two bold digits at this size.
    m_large.setStretch(QFont::Condensed);

    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_model.setScrollBarExtent(style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

QSize UserControl1::sizeHint() const
{
    return QSize(640, 400);
}

// ---------------------------------------------------------------- host interface

void UserControl1::AddResource(qint32 id, const QString& name, qint32 colour, int position)
{
    m_model.addResource(id, name, colour, position);
}

void UserControl1::AddTimeObject(int kind, qint32 id, qint32 resourceId, qint32 value4,
                                 std::optional<rt::Date> dtStart, std::optional<rt::Date> dtEnd, qint32 colour,
                                 const QString& text)
{
    m_model.addTimeObject(kind, id, resourceId, value4, dtStart, dtEnd, colour, text);
}

void UserControl1::ClearResources()
{
    m_model.clearResources();
    afterChange();
}

void UserControl1::PaintResources()
{
    m_model.paintResources();
    afterChange();
}

void UserControl1::PaintTimeObjects()
{
    m_model.paintTimeObjects();
    afterChange();
}

void UserControl1::RemoveResource(qint32 id)
{
    m_model.removeResource(id);
}

void UserControl1::RemoveTimeObject(qint32 id)
{
    m_model.removeTimeObject(id);
    afterChange();
}

void UserControl1::ClearTimeObjects()
{
    m_model.clearTimeObjects();
    afterChange();
}

void UserControl1::BackColor(qint32 colour)
{
    m_model.setBackColor(colour);
    update();
}

void UserControl1::GridColor(qint32 colour)
{
    m_model.setGridColor(colour);
}

QVector<qint32> UserControl1::SelectedTermin_ids() const
{
    return m_model.selectedTerminIds();
}

void UserControl1::PaintScale()
{
    const bool cut = m_model.paintScale();
    afterChange();
    // Said once, not on every refill of the same too long period.
    const bool report = cut && !m_cutReported;
    m_cutReported = cut;
    if (report)
        ui::msgBox(QStringLiteral("Grafik zu groß : ") + QString::number(sched::ScheduleModel::MaxCanvasLength)
                       + QStringLiteral(" Pixel"),
                   ui::OkOnly);
}

void UserControl1::TimeScaleInterval(float value)
{
    m_model.setTimeScaleInterval(value);
}

void UserControl1::TimeScaleUnit(const QString& unit)
{
    m_model.setTimeScaleUnit(unit);
}

void UserControl1::SetScaleDateTimeLimits(const rt::Date& d1, const rt::Date& d2)
{
    m_model.setScaleDateTimeLimits(d1, d2);
}

void UserControl1::TableMode(int mode)
{
    m_model.setTableMode(mode);
}

void UserControl1::ClearSelection()
{
    m_model.clearSelection();
    afterChange();
}

// ---------------------------------------------------------------- layout

void UserControl1::afterChange()
{
    const auto apply = [](QScrollBar* bar, const sched::ScrollBarState& s) {
        const QSignalBlocker block(bar);
        bar->setGeometry(s.geometry);
        bar->setRange(0, s.maximum);
        bar->setSingleStep(s.singleStep);
        bar->setPageStep(s.pageStep);
        bar->setValue(s.value);
        bar->setVisible(s.visible);
    };
    apply(HScroll1, m_model.horizontalBar());
    apply(VScroll1, m_model.verticalBar());
    if (m_model.blinking() && !TimerBlink.isActive())
        TimerBlink.start();
    else if (!m_model.blinking())
        TimerBlink.stop();
    update();
}

void UserControl1::scrolled()
{
    update();
}

void UserControl1::wheelEvent(QWheelEvent* event)
{
    // The wheel scrolls wherever it turns over the schedule, Shift+wheel
    // sideways, as in every list of the desktop.
    QPoint delta = event->angleDelta();
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0)
        delta = QPoint(delta.y(), 0);
    if (event->inverted())
        delta = -delta;
    bool scrolledAny = false;
    const auto scroll = [&scrolledAny](QScrollBar* bar, int angle) {
        if (angle == 0 || !bar->isVisible())
            return;
        // A notch (120) moves the lines the desktop asks for, a step each.
        const double steps = angle / 120.0 * QApplication::wheelScrollLines() * bar->singleStep();
        const int before = bar->value();
        bar->setValue(before - static_cast<int>(std::lround(steps)));
        scrolledAny = scrolledAny || bar->value() != before;
    };
    scroll(VScroll1, delta.y());
    scroll(HScroll1, delta.x());
    event->setAccepted(scrolledAny);
}

void UserControl1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_model.setScrollBarExtent(style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    m_model.resize(size());
    afterChange();
}

QRect UserControl1::contentRect() const
{
    QRect r = rect();
    if (m_model.verticalBar().visible)
        r.setRight(m_model.verticalBar().geometry.left() - 1);
    if (m_model.horizontalBar().visible)
        r.setBottom(m_model.horizontalBar().geometry.top() - 1);
    return r;
}

QPointF UserControl1::toCanvas(QPointF pos) const
{
    return toSurface(SurfaceId::Canvas, pos);
}

QPointF UserControl1::toSurface(SurfaceId id, QPointF pos) const
{
    return pos - QPointF(m_model.surface(id).geometry.topLeft());
}

QPoint UserControl1::canvasToWidget(QPoint canvasPoint) const
{
    return canvasPoint + m_model.surface(SurfaceId::Canvas).geometry.topLeft();
}

UserControl1::Hit UserControl1::hitAt(QPoint pos) const
{
    if (!contentRect().contains(pos))
        return {};
    if (m_model.surface(SurfaceId::Corner).geometry.contains(pos))
        return {Region::Corner, 0};
    if (m_model.surface(SurfaceId::HeaderH).geometry.contains(pos))
        return {Region::HeaderH, 0};
    if (m_model.surface(SurfaceId::HeaderV).geometry.contains(pos))
        return {Region::HeaderV, 0};
    if (!m_model.surface(SurfaceId::Canvas).geometry.contains(pos))
        return {};
    const QPoint c = toCanvas(pos).toPoint();
    const auto& frame = m_model.frame();
    const bool onFrame = frame.visible && frame.rect.contains(c);
    if (onFrame && frame.inFront)
        return {Region::Frame, 0};
    const auto& labels = m_model.labels();
    int best = 0;
    for (size_t i = 1; i < labels.size(); ++i)
        if (labels[i].visible && labels[i].rect.contains(c) && (best == 0 || labels[i].z > labels[best].z))
            best = static_cast<int>(i);
    if (best > 0)
        return {Region::Label, best};
    if (onFrame)
        return {Region::Frame, 0};
    return {Region::Canvas, 0};
}

// ---------------------------------------------------------------- events

void UserControl1::raise(const sched::Events& events)
{
    afterChange();
    // The host may refill the control from inside a handler: emit from a
    // copy and touch nothing afterwards.
    const sched::Events copy = events;
    for (const Event& e : copy) {
        switch (e.type) {
        case Event::TimeObjectClick: emit TimeObjectClick(e.id); break;
        case Event::TimeObjectDblClick: emit TimeObjectDblClick(e.id); break;
        case Event::WorkTimeObjectClick: emit WorkTimeObjectClick(e.id); break;
        case Event::WorkTimeObjectDblClick: emit WorkTimeObjectDblClick(e.id); break;
        case Event::TimeObjectRightClick: emit TimeObjectRightClick(e.id); break;
        case Event::ResourceHeaderClick: emit ResourceHeaderClick(e.id, e.name); break;
        case Event::ResourceHeaderDblClick: emit ResourceHeaderDblClick(e.id, e.name); break;
        case Event::ScheduleDblClick: emit ScheduleDblClick(e.ids, e.start, e.end); break;
        case Event::ScheduleRightClick: emit ScheduleRightClick(e.id, e.start, e.end); break;
        case Event::TimeObjectDragDrop:
            emit TimeObjectDragDrop(e.ids, e.oldResourceId, e.newResourceId, e.start, e.end, e.copy);
            break;
        case Event::TimeObjectDelete: emit TimeObjectDelete(e.ids); break;
        case Event::RubberbandSelected: emit RubberbandSelected(e.id, e.name, e.start, e.end); break;
        }
    }
}

void UserControl1::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int button = buttonOf(event->button());
    m_pressed = hitAt(pos);
    m_afterDblClick = false;
    m_pointer = event->position();
    switch (m_pressed.region) {
    case Region::Canvas:
        m_canvasFocus = true;
        m_model.canvasPress(toCanvas(event->position()), button);
        break;
    case Region::Label: {
        m_canvasFocus = true;
        const QPointF inLabel = toCanvas(event->position()) - QPointF(m_model.labels()[m_pressed.slot].rect.topLeft());
        m_dragging = m_model.labelPress(m_pressed.slot, button, modifierMask(event->modifiers()), inLabel);
        break;
    }
    case Region::Frame: {
        m_canvasFocus = true;
        const QPointF inFrame = toCanvas(event->position()) - QPointF(m_model.frame().rect.topLeft());
        m_dragging = m_model.framePress(button, modifierMask(event->modifiers()), inFrame);
        break;
    }
    case Region::HeaderH:
        m_canvasFocus = false;
        m_model.headerPress(false, toSurface(SurfaceId::HeaderH, event->position()));
        break;
    case Region::HeaderV:
        m_canvasFocus = false;
        m_model.headerPress(true, toSurface(SurfaceId::HeaderV, event->position()));
        break;
    default:
        m_canvasFocus = false;
        break;
    }
    afterChange();
}

void UserControl1::mouseMoveEvent(QMouseEvent* event)
{
    m_pointer = event->position();
    if (m_dragging) {
        update();
        return;
    }
    if (m_pressed.region == Region::Canvas) {
        m_model.canvasMove(toCanvas(event->position()), event->buttons() != Qt::NoButton);
        update();
    }
}

void UserControl1::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int button = buttonOf(event->button());
    const Hit pressed = m_pressed;
    const bool afterDbl = m_afterDblClick;
    m_pressed = {};
    m_afterDblClick = false;
    if (m_dragging) {
        m_dragging = false;
        // A drop counts on the canvas and on anything lying on it.
        const Hit target = hitAt(pos);
        if (target.region == Region::Canvas || target.region == Region::Label || target.region == Region::Frame) {
            raise(m_model.drop(toCanvas(event->position())));
        } else {
            m_model.dropElsewhere();
            afterChange();
        }
        return;
    }
    sched::Events events;
    const Hit now = hitAt(pos);
    const bool click = !afterDbl && button == sched::LeftButton && now.region == pressed.region
                       && now.slot == pressed.slot;
    switch (pressed.region) {
    case Region::Canvas: events = m_model.canvasRelease(button); break;
    case Region::Label: {
        events = m_model.labelRelease(button);
        if (click) {
            const sched::Events c = m_model.labelClick();
            events.insert(events.end(), c.begin(), c.end());
        }
        break;
    }
    case Region::Frame: events = m_model.frameRelease(button); break;
    case Region::HeaderH:
    case Region::HeaderV:
        if (click)
            events = m_model.headerClick(pressed.region == Region::HeaderV);
        break;
    default: break;
    }
    raise(events);
}

void UserControl1::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double-click takes the place of the second press, and only the left
    // button double-clicks.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const Hit hit = hitAt(event->position().toPoint());
    m_pressed = hit;
    m_afterDblClick = true;
    sched::Events events;
    switch (hit.region) {
    case Region::Canvas: events = m_model.canvasDblClick(); break;
    case Region::Label: events = m_model.labelDblClick(); break;
    case Region::Frame: events = m_model.frameDblClick(); break;
    case Region::HeaderH: events = m_model.headerDblClick(false); break;
    case Region::HeaderV: events = m_model.headerDblClick(true); break;
    default: break;
    }
    raise(events);
}

void UserControl1::keyPressEvent(QKeyEvent* event)
{
    int code = 0;
    if (event->key() == Qt::Key_Backspace)
        code = 8;
    else if (event->key() == Qt::Key_Delete)
        code = 46;
    if (!m_canvasFocus || code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    raise(m_model.keyDown(code));
}

bool UserControl1::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Hit hit = hitAt(help->pos());
        QString tip;
        if (hit.region == Region::Label)
            tip = m_model.labels()[hit.slot].toolTip;
        else if (hit.region == Region::Frame)
            tip = sched::ScheduleModel::frameToolTip();
        else if (hit.region == Region::Canvas)
            tip = sched::ScheduleModel::canvasToolTip();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), ui::plainToolTip(tip), this);
        }
        return true;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- painting

const QFont& UserControl1::fontFor(int pointSize, bool bold) const
{
    if (pointSize >= 12)
        return m_large;
    return bold ? m_smallBold : m_small;
}

void UserControl1::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect exposed = event->rect();
    p.fillRect(exposed, palette().window());
    paintSurface(p, SurfaceId::Canvas, exposed);
    paintSurface(p, SurfaceId::HeaderV, exposed);
    paintSurface(p, SurfaceId::HeaderH, exposed);
    paintSurface(p, SurfaceId::Corner, exposed);
    if (m_dragging) {
        const QRect outline = m_model.dragOutline(toCanvas(m_pointer));
        p.setClipRect(contentRect());
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(outline.translated(m_model.surface(SurfaceId::Canvas).geometry.topLeft()).adjusted(0, 0, -1, -1));
    }
}

void UserControl1::paintSurface(QPainter& p, SurfaceId id, const QRect& exposed)
{
    const sched::Surface& s = m_model.surface(id);
    const QRect clip = s.geometry & exposed & contentRect();
    if (clip.isEmpty())
        return;
    p.save();
    p.setClipRect(clip);
    p.fillRect(clip, rt::toQColor(s.backColour));
    p.translate(s.geometry.topLeft());
    const QRect local = clip.translated(-s.geometry.topLeft());
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const Primitive& prim : s.prims) {
        switch (prim.type) {
        case Primitive::Line: {
            const QRect box = QRect(prim.p1, prim.p2).normalized().adjusted(-1, -1, 1, 1);
            if (!box.intersects(local))
                continue;
            p.setPen(QPen(colourOf(prim.colour), 0));
            p.drawLine(prim.p1, prim.p2);
            break;
        }
        case Primitive::Bar: {
            const QRect box = QRect(prim.p1, prim.p2).normalized();
            if (box.intersects(local))
                p.fillRect(box, colourOf(prim.colour));
            break;
        }
        case Primitive::Text: {
            const QFont& f = fontFor(prim.pointSize, prim.bold);
            const int px = f.pixelSize();
            const int width = prim.maxWidth > 0 ? prim.maxWidth : px * std::max<int>(1, int(prim.text.size()));
            const QRect box(prim.p1, QSize(width, px * 2));
            if (!box.intersects(local))
                continue;
            const QFontMetrics metrics(f);
            const QString shown = sched::shownText(prim, [&metrics](const QString& t) { return metrics.horizontalAdvance(t); });
            if (shown.isEmpty())
                continue;
            p.setFont(f);
            p.setPen(Qt::black);
            p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
            break;
        }
        }
    }
    if (id == SurfaceId::Canvas)
        paintCanvasItems(p, local);
    p.restore();
}

void UserControl1::paintCanvasItems(QPainter& p, const QRect& localClip)
{
    const auto& labels = m_model.labels();
    std::vector<int> order;
    for (size_t i = 1; i < labels.size(); ++i)
        if (labels[i].visible && labels[i].rect.intersects(localClip))
            order.push_back(static_cast<int>(i));
    std::sort(order.begin(), order.end(), [&](int a, int b) { return labels[a].z < labels[b].z; });

    p.setFont(m_small);
    for (int i : order) {
        const sched::TimeObjectLabel& l = labels[i];
        const QColor back = rt::toQColor(l.colour);
        p.fillRect(l.rect, back);
        p.setPen(back.darker(160));
        p.drawRect(l.rect.adjusted(0, 0, -1, -1));
        if (!l.caption.isEmpty()) {
            p.save();
            p.setClipRect(l.rect, Qt::IntersectClip);
            p.setPen(Qt::black);
            p.drawText(l.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, l.caption);
            p.restore();
        }
    }
    paintFrame(p, localClip);
}

void UserControl1::paintFrame(QPainter& p, const QRect& localClip)
{
    // A tinted area in a dashed border whose dashes swap places at each
    // blink: the marked period shows in both phases, and the names of the
    // bars under it stay readable.
    const auto& frame = m_model.frame();
    if (!frame.visible || !frame.rect.intersects(localClip.adjusted(-2, -2, 2, 2)))
        return;
    const QColor blue = rt::toQColor(0xFF0000);
    QColor tint = blue;
    tint.setAlpha(40);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(frame.rect, tint);
    const QRectF border = QRectF(frame.rect).adjusted(1, 1, -1, -1);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 2));
    p.drawRect(border);
    QPen dashes(blue, 2);
    dashes.setDashPattern({3, 3});
    dashes.setDashOffset(frame.phase ? 0 : 3);
    p.setPen(dashes);
    p.drawRect(border);
    p.restore();
}
