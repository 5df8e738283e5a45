#include "schedule/schedule_model.h"

#include "platform/runtime/format.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace sched {

namespace {

constexpr int kHorizontalHeaderHeight = 45;  // three rows of the scale across
constexpr int kRowHeight = 20;
constexpr int kRowWorkStrip = 5;
constexpr int kMinObjectPixels = 5;
constexpr int kClickWidth = 10;
constexpr int kMaxTicks = 200000;
constexpr double kMsPerDay = 86400000.0;

QChar lower(QChar c) { return c.toLower(); }

qint64 msOf(const rt::Date& d)
{
    return std::llround(d.daysSince(rt::Date()) * kMsPerDay);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

double unitDays(QChar unit)
{
    switch (lower(unit).unicode()) {
    case 's': return 1.0 / 86400.0;
    case 'n': return 1.0 / 1440.0;
    case 'h': return 1.0 / 24.0;
    case 'd':
    case 'y':
    case 'w': return 1.0;
    default: return 0.0;
    }
}

QString twoDigits(int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); }

// Fixed German short names: the locale's own may carry a trailing dot.
QString shortDayName(const rt::Date& d)
{
    static const char* names[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    return QString::fromLatin1(names[d.isoWeekday() - 1]);
}

QString dayMonth(const rt::Date& d)
{
    return twoDigits(d.day()) + QLatin1Char('.') + twoDigits(d.month()) + QLatin1Char('.');
}

rt::Date mondayOf(const rt::Date& d)
{
    return d.datePart().addDays(1 - d.isoWeekday());
}

}  // namespace

bool isScaleUnit(QChar unit)
{
    return QStringLiteral("snhdwymq").contains(lower(unit));
}

rt::Date dateAdd(QChar unit, double count, const rt::Date& d)
{
    const QChar u = lower(unit);
    if (u == QLatin1Char('m') || u == QLatin1Char('q')) {
        const int months = static_cast<int>(std::floor(count)) * (u == QLatin1Char('q') ? 3 : 1);
        return d.addMonths(months);
    }
    return d.addDays(count * unitDays(u));
}

qint64 dateDiff(QChar unit, const rt::Date& a, const rt::Date& b)
{
    const QChar u = lower(unit);
    switch (u.unicode()) {
    case 's': return floorDiv(msOf(b), 1000) - floorDiv(msOf(a), 1000);
    case 'n': return floorDiv(msOf(b), 60000) - floorDiv(msOf(a), 60000);
    case 'h': return floorDiv(msOf(b), 3600000) - floorDiv(msOf(a), 3600000);
    case 'd':
    case 'y': return a.toQDate().daysTo(b.toQDate());
    case 'w': return a.toQDate().daysTo(b.toQDate()) / 7;
    case 'm':
    case 'q': {
        const QDate qa = a.toQDate();
        const QDate qb = b.toQDate();
        if (u == QLatin1Char('m'))
            return (qb.year() - qa.year()) * 12LL + qb.month() - qa.month();
        return (qb.year() - qa.year()) * 4LL + (qb.month() - 1) / 3 - (qa.month() - 1) / 3;
    }
    default: return 0;
    }
}

QString ScheduleModel::frameToolTip()
{
    return QStringLiteral(
        "Doppelklick für neuen Termin   /   [Alt] Maus zum Verschieben   /   [Strg] Maus zum Kopieren");
}

QString ScheduleModel::canvasToolTip()
{
    return QStringLiteral(
        "Ziehen markiert   /   Doppelklick für neuen Termin   /   Buchung oder Markierung mit [Strg] ziehen: "
        "kopieren   /   mit [Alt] oder [Umschalt]+[Strg] ziehen: verschieben");
}

ScheduleModel::ScheduleModel()
{
    m_scaleStart = rt::Date::today();
    m_scaleEnd = m_scaleStart.addDays(1);
    m_shownEnd = m_scaleEnd;
    m_resources.resize(1);
    m_timeObjects.resize(1);
    m_labels.resize(1);
    for (Surface& s : m_surfaces)
        s.backColour = m_headerColor;
    canvas().backColour = 0xFFFFFF;
    surf(SurfaceId::HeaderH).geometry = QRect(0, 0, 0, m_headerRowHeight);
    canvas().geometry = QRect(0, m_headerRowHeight, 0, 0);
}

// ---------------------------------------------------------------- lists

int ScheduleModel::findResourceIndex(qint32 id) const
{
    for (size_t i = 1; i < m_resources.size(); ++i)
        if (m_resources[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void ScheduleModel::addResource(qint32 id, const QString& name, qint32 colour, int position)
{
    size_t slot = 1;
    while (slot < m_resources.size() && m_resources[slot].id >= 1)
        ++slot;
    if (slot == m_resources.size())
        m_resources.emplace_back();
    for (size_t i = 1; i < m_resources.size(); ++i)
        if (i != slot && m_resources[i].position >= position)
            ++m_resources[i].position;
    ResourceItem& r = m_resources[slot];
    r.id = id;
    r.name = name;
    r.colour = colour;
    r.position = position;
}

void ScheduleModel::addTimeObject(int kind, qint32 id, qint32 resourceId, qint32 value4,
                                  std::optional<rt::Date> start, std::optional<rt::Date> end, qint32 colour,
                                  const QString& text)
{
    // Every slot below the hint is taken, so a fill of n objects costs n
    // steps, not n squared.
    size_t slot = std::max<size_t>(m_firstFreeTimeObject, 1);
    while (slot < m_timeObjects.size() && m_timeObjects[slot].id >= 1)
        ++slot;
    if (slot == m_timeObjects.size()) {
        m_timeObjects.emplace_back();
        m_labels.emplace_back();
    }
    m_firstFreeTimeObject = slot + 1;
    TimeObjectItem& t = m_timeObjects[slot];
    t.id = id;
    t.kind = kind;
    TimeObjectLabel& l = m_labels[slot];
    l.colour = colour;
    l.caption = text;
    l.toolTip = text;
    t.start = start;
    t.end = end;
    t.resourceId = resourceId;
    t.value4 = value4;
}

void ScheduleModel::clearResources()
{
    hideFrame();
    m_blink = false;
    clear(canvas());
    for (size_t i = 1; i < m_resources.size(); ++i) {
        m_resources[i].id = -1;
        m_resources[i].name.clear();
        m_resources[i].position = -1;
    }
}

void ScheduleModel::removeResource(qint32 id)
{
    const int slot = findResourceIndex(id);
    if (slot < 1)
        return;
    const int position = m_resources[slot].position;
    m_resources[slot].id = -1;
    m_resources[slot].name.clear();
    m_resources[slot].position = -1;
    // Close the gap, also when the first column goes: otherwise an empty lane
    // stays at the front and the last one runs past the header.
    if (position < 0)
        return;
    for (size_t i = 1; i < m_resources.size(); ++i)
        if (m_resources[i].position >= position)
            --m_resources[i].position;
}

void ScheduleModel::removeTimeObject(qint32 id)
{
    for (size_t i = 1; i < m_timeObjects.size(); ++i) {
        if (m_timeObjects[i].id == id) {
            m_firstFreeTimeObject = std::min(m_firstFreeTimeObject, i);
            m_timeObjects[i].id = -1;
            m_timeObjects[i].resourceId = -1;
            m_timeObjects[i].value4 = -1;
            m_labels[i].visible = false;
            m_labels[i].caption.clear();
            return;
        }
    }
}

void ScheduleModel::clearTimeObjects()
{
    m_firstFreeTimeObject = 1;
    for (size_t i = 1; i < m_timeObjects.size(); ++i) {
        m_timeObjects[i].id = -1;
        m_timeObjects[i].kind = 0;
        m_timeObjects[i].resourceId = -1;
        m_timeObjects[i].value4 = -1;
        m_labels[i].visible = false;
        m_labels[i].caption.clear();
    }
}

void ScheduleModel::clearSelection()
{
    hideFrame();
    m_blink = false;
    m_selectedIds = {0};
}

void ScheduleModel::setBackColor(qint32 colour)
{
    canvas().backColour = colour;
}

void ScheduleModel::setTimeScaleUnit(const QString& unit)
{
    m_unit = unit.isEmpty() ? QLatin1Char(' ') : unit.at(0);
}

void ScheduleModel::setScaleDateTimeLimits(const rt::Date& d1, const rt::Date& d2)
{
    m_scaleStart = d1 < d2 ? d1 : d2;
    m_scaleEnd = d1 < d2 ? d2 : d1;
    m_shownEnd = m_scaleEnd;
}

// ---------------------------------------------------------------- drawing steps

void ScheduleModel::line(Surface& s, int x1, int y1, int x2, int y2, qint32 colour)
{
    Primitive p;
    p.type = Primitive::Line;
    p.p1 = QPoint(x1, y1);
    p.p2 = QPoint(x2, y2);
    p.colour = colour;
    s.prims.push_back(std::move(p));
}

void ScheduleModel::bar(Surface& s, int x1, int y1, int x2, int y2, qint32 colour)
{
    Primitive p;
    p.type = Primitive::Bar;
    p.p1 = QPoint(x1, y1);
    p.p2 = QPoint(x2, y2);
    p.colour = colour;
    s.prims.push_back(std::move(p));
}

void ScheduleModel::text(Surface& s, int x, int y, const QString& t, int pointSize, bool bold, int maxWidth,
                         const QStringList& shorter)
{
    Primitive p;
    p.type = Primitive::Text;
    p.p1 = QPoint(x, y);
    p.text = t;
    p.pointSize = pointSize;
    p.bold = bold;
    p.maxWidth = maxWidth;
    p.shorter = shorter;
    s.prims.push_back(std::move(p));
}

QString shownText(const Primitive& p, const std::function<int(const QString&)>& width)
{
    if (p.maxWidth <= 0 || width(p.text) <= p.maxWidth)
        return p.text;
    for (const QString& form : p.shorter)
        if (width(form) <= p.maxWidth)
            return form;
    return QString();
}

// ---------------------------------------------------------------- geometry

int ScheduleModel::topHeaderHeight() const
{
    if (m_tableMode == 10)
        return kHorizontalHeaderHeight;
    // The week view's top header has a day row above the resource row; its
    // scale and canvas start below both.
    if (m_tableMode == 9)
        return 2 * m_headerRowHeight;
    return m_headerRowHeight;
}

int ScheduleModel::leftHeaderWidth() const
{
    return m_tableMode == 10 ? m_resourceColumnWidth : m_rowHeaderWidth;
}

// The width of the lanes with time running downwards: what is left beside
// the scale column and, when the canvas is taller than the view, the bar.
int ScheduleModel::mode0CanvasWidth() const
{
    const int availH = m_inner.height() - topHeaderHeight();
    const bool vbar = canvas().geometry.height() > availH;
    return std::max(0, m_inner.width() - m_rowHeaderWidth - (vbar ? m_barExtent : 0));
}

double ScheduleModel::canvasLength() const
{
    if (m_tableMode == 0 || m_tableMode == 9)
        return canvas().geometry.height();
    if (m_tableMode == 10)
        return canvas().geometry.width();
    return 0;
}

void ScheduleModel::resize(const QSize& inner)
{
    m_inner = inner;
    runResize();
}

void ScheduleModel::runResize()
{
    const int W = m_inner.width();
    const int H = m_inner.height();
    const int leftW = leftHeaderWidth();
    const int topH = topHeaderHeight();
    const bool timeDown = m_tableMode == 0 || m_tableMode == 9;
    if (timeDown) {
        const int w = mode0CanvasWidth();
        canvas().geometry.setWidth(w);
        surf(SurfaceId::HeaderH).geometry.setWidth(w);
    }

    // The bars are measured against what the view really shows: the inner
    // size less the headers and less the other bar when that one is shown.
    const QSize c = canvasSize();
    bool v = false;
    bool h = false;
    for (int round = 0; round < 3; ++round) {
        v = c.height() > H - topH - (h ? m_barExtent : 0);
        h = c.width() > W - leftW - (v ? m_barExtent : 0);
    }
    const int step = std::max(1, static_cast<int>(rt::clng(m_pixelsPerUnit * m_interval)));
    m_vbar.visible = v;
    m_vbar.singleStep = step;
    m_vbar.pageStep = 200;
    m_vbar.maximum = v ? c.height() - (H - topH - (h ? m_barExtent : 0)) : 0;
    m_vbar.value = 0;
    m_vbar.geometry = QRect(W - m_barExtent, 0, m_barExtent, std::max(0, H - (h ? m_barExtent : 0)));
    m_hbar.visible = h;
    m_hbar.singleStep = step;
    m_hbar.pageStep = 200;
    m_hbar.maximum = h ? c.width() - (W - leftW - (v ? m_barExtent : 0)) : 0;
    m_hbar.value = 0;
    m_hbar.geometry = QRect(0, H - m_barExtent, std::max(0, W - (v ? m_barExtent : 0)), m_barExtent);

    surf(SurfaceId::Corner).geometry.moveTopLeft(QPoint(0, 0));
    surf(SurfaceId::HeaderH).geometry.moveTopLeft(QPoint(leftW, 0));
    surf(SurfaceId::HeaderV).geometry.moveTopLeft(QPoint(0, topH));
    canvas().geometry.moveTopLeft(QPoint(leftW, topH));

    if (!timeDown || m_scalePaintActive)
        return;
    paintScale();
    paintTimeObjects();
}

void ScheduleModel::setHorizontalScroll(int value)
{
    if (!m_hbar.visible)
        return;
    m_hbar.value = std::clamp(value, 0, m_hbar.maximum);
    const int left = leftHeaderWidth() - m_hbar.value;
    canvas().geometry.moveLeft(left);
    surf(SurfaceId::HeaderH).geometry.moveLeft(left);
}

void ScheduleModel::setVerticalScroll(int value)
{
    if (!m_vbar.visible)
        return;
    m_vbar.value = std::clamp(value, 0, m_vbar.maximum);
    const int top = topHeaderHeight() - m_vbar.value;
    canvas().geometry.moveTop(top);
    surf(SurfaceId::HeaderV).geometry.moveTop(top);
}

// ---------------------------------------------------------------- resources

void ScheduleModel::paintResources()
{
    int n = 0;
    for (size_t i = 1; i < m_resources.size(); ++i)
        if (m_resources[i].id > 0)
            ++n;
    Surface& hh = surf(SurfaceId::HeaderH);
    Surface& hv = surf(SurfaceId::HeaderV);
    Surface& corner = surf(SurfaceId::Corner);
    Surface& cv = canvas();

    if (m_tableMode == 0 || m_tableMode == 9) {
        const int rows = m_tableMode == 9 ? 2 : 1;
        const int h = rows * m_headerRowHeight;
        const int width = mode0CanvasWidth();
        hh.geometry = QRect(m_rowHeaderWidth, 0, width, h);
        corner.geometry = QRect(0, 0, m_rowHeaderWidth, h);
        const int canvasH = cv.geometry.height();
        if (m_tableMode == 9) {
            text(corner, 2, 2, QStringLiteral("KW") + QString::number(rt::weekOfYear(mondayOf(m_scaleStart))));
            text(corner, 2, h - m_headerRowHeight, QStringLiteral("Zeit"));
        }
        hh.backColour = m_headerColor;
        clear(hh);
        const int days = m_tableMode == 9 ? 7 : 1;
        const double colW = n > 0 ? double(width) / n / days : 0.0;
        const int top = m_tableMode == 9 ? m_headerRowHeight : 0;
        for (int d = 0; d < days; ++d) {
            const double groupLeft = d * colW * n;
            for (size_t i = 1; i < m_resources.size(); ++i) {
                ResourceItem& r = m_resources[i];
                if (r.id <= 0)
                    continue;
                const int x1 = rt::clng(r.position * colW + groupLeft);
                const int x2 = rt::clng((r.position + 1) * colW + groupLeft);
                if (d == 0) {
                    r.startPx = x1;
                    r.endPx = x2;
                }
                if (r.colour > 0)
                    bar(hh, x1, top, x2, h, r.colour);
                // Narrow columns would print their names over the neighbours.
                if (x2 - x1 > 12)
                    text(hh, x1 + 2, top + 1, r.name, m_smallFontSize, false, x2 - x1 - 3);
                line(hh, x1, top, x1, h);
                line(cv, x1, 0, x1, canvasH);
                line(cv, x1 + m_workStripWidth, 0, x1 + m_workStripWidth, canvasH, m_gridColor);
            }
            if (m_tableMode == 9) {
                const int g = rt::clng(groupLeft);
                bar(hh, g, 0, g + 1, h);
                bar(cv, g, 0, g + 1, canvasH);
                const rt::Date day = m_scaleStart.addDays(d);
                text(hh, g + 2, 1, shortDayName(day) + QStringLiteral(", ") + dayMonth(day));
            }
        }
        if (m_tableMode == 9)
            line(hh, 0, m_headerRowHeight, width, m_headerRowHeight);
        bar(hh, 0, h - 1, width, h);
        bar(corner, 0, h - 1, m_rowHeaderWidth, h);
    } else if (m_tableMode == 10) {
        int height = static_cast<int>(m_resources.size() - 1) * kRowHeight;
        hv.geometry.setSize(QSize(m_resourceColumnWidth, height));
        cv.geometry.setSize(QSize(MaxCanvasLength, height));
        hv.backColour = m_headerColor;
        clear(hv);
        int largest = 0;
        for (size_t i = 1; i < m_resources.size(); ++i) {
            ResourceItem& r = m_resources[i];
            if (r.id <= 0)
                continue;
            r.startPx = r.position * kRowHeight;
            r.endPx = (r.position + 1) * kRowHeight - 1;
            if (r.colour > 0)
                bar(hv, 0, r.startPx, m_resourceColumnWidth, r.endPx, r.colour);
            text(hv, 1, r.startPx + 3, r.name);
            line(hv, 0, r.endPx, m_resourceColumnWidth, r.endPx);
            line(cv, 0, r.endPx, cv.geometry.width(), r.endPx, m_gridColor);
            largest = std::max(largest, r.endPx);
        }
        bar(hv, m_resourceColumnWidth - 1, 0, m_resourceColumnWidth, height);
        cv.geometry.setHeight(largest);
        hv.geometry.setHeight(largest);
    } else {
        return;
    }
    m_scalePaintActive = true;
    runResize();
    m_scalePaintActive = false;
}

// ---------------------------------------------------------------- scale

void ScheduleModel::computeScale()
{
    m_ticks.clear();
    m_shownEnd = m_scaleEnd;
    const bool timeDown = m_tableMode == 0 || m_tableMode == 9;
    // An interval of zero or below, or a letter no date step knows, would
    // never reach the end: no scale then.
    if (!isScaleUnit(m_unit) || !(m_interval > 0) || !std::isfinite(m_interval)) {
        if (timeDown)
            canvas().geometry.setHeight(0);
        else
            canvas().geometry.setWidth(0);
        return;
    }
    m_pixelsPerUnit = (timeDown ? m_headerRowHeight : 10) / m_interval;
    const double units = static_cast<double>(dateDiff(m_unit, m_scaleStart, m_scaleEnd));
    double length = rt::clng(units * m_pixelsPerUnit);
    if (length > MaxCanvasLength) {
        length = MaxCanvasLength;
        // Ticks, labels and the pixel-to-date mapping all stop where the
        // canvas ends, so that a bar always sits under its scale date.
        m_shownEnd = dateAdd(m_unit, MaxCanvasLength / m_pixelsPerUnit, m_scaleStart);
        if (m_shownEnd > m_scaleEnd)
            m_shownEnd = m_scaleEnd;
    }
    if (timeDown)
        canvas().geometry.setHeight(static_cast<int>(length));
    else
        canvas().geometry.setWidth(static_cast<int>(length));

    int previous = 35;
    for (int i = 0; i < kMaxTicks; ++i) {
        Tick t;
        t.n = rt::clng(i * m_interval);
        t.date = dateAdd(m_unit, t.n, m_scaleStart);
        t.pos = rt::clng(t.n * m_pixelsPerUnit);
        const int value = timeDown ? t.date.minute() : t.date.hour();
        if (timeDown)
            t.major = lower(m_unit) == QLatin1Char('n') && value < previous;
        else
            t.major = lower(m_unit) == QLatin1Char('h') && value < previous;
        previous = value;
        m_ticks.push_back(t);
        if (t.date > m_scaleEnd || t.pos > length)
            break;
    }
}

bool ScheduleModel::paintScale()
{
    if (m_tableMode == 0 || m_tableMode == 9)
        paintVerticalScale();
    else if (m_tableMode == 10)
        paintHorizontalScale();
    else
        return false;
    return !(m_shownEnd == m_scaleEnd);
}

void ScheduleModel::paintVerticalScale()
{
    computeScale();
    Surface& hv = surf(SurfaceId::HeaderV);
    Surface& corner = surf(SurfaceId::Corner);
    Surface& cv = canvas();
    clear(cv);
    const int length = cv.geometry.height();
    hv.geometry = QRect(0, topHeaderHeight(), m_rowHeaderWidth, length);
    cv.geometry = QRect(m_rowHeaderWidth, topHeaderHeight(), mode0CanvasWidth(), length);
    hv.backColour = m_headerColor;
    corner.backColour = m_headerColor;
    clear(hv);
    clear(corner);
    const int w = hv.geometry.width();
    const int cw = cv.geometry.width();
    for (const Tick& t : m_ticks) {
        const int y = t.pos;
        const QString minute = twoDigits(t.date.minute());
        if (t.major) {
            const int mid = rt::clng(m_pixelsPerUnit * 60 / 2 + y - 11);
            text(hv, 0, mid, twoDigits(t.date.hour()), 16, true);
            text(hv, 25, y + 1, minute, m_smallFontSize);
            bar(hv, 0, y - 1, w, y);
            bar(cv, 0, y - 1, cw, y);
        } else {
            text(hv, 25, y + 1, minute, m_smallFontSize);
            line(hv, 25, y, w, y, m_gridColor);
            line(cv, 0, y, cw, y, m_gridColor);
        }
    }
    line(hv, w - 1, 0, w - 1, length, m_gridColor);
    m_scalePaintActive = true;
    runResize();
    m_scalePaintActive = false;
    // The host paints the places before it sets the period: their lane lines
    // would end at the old canvas height, the week view's day row would name
    // the old week, and clearing the corner above wiped its week and "Zeit".
    paintResources();
}

void ScheduleModel::paintHorizontalScale()
{
    computeScale();
    Surface& hh = surf(SurfaceId::HeaderH);
    Surface& hv = surf(SurfaceId::HeaderV);
    Surface& corner = surf(SurfaceId::Corner);
    Surface& cv = canvas();
    const int length = cv.geometry.width();
    const int h = kHorizontalHeaderHeight;
    const int row = m_headerRowHeight;
    hh.geometry = QRect(m_resourceColumnWidth, 0, length, h);
    hv.geometry = QRect(0, h, m_resourceColumnWidth, hv.geometry.height());
    corner.geometry = QRect(0, 0, m_resourceColumnWidth, h);
    cv.geometry = QRect(m_resourceColumnWidth, h, length, cv.geometry.height());
    hh.backColour = m_headerColor;
    corner.backColour = m_headerColor;
    clear(hh);
    clear(corner);
    const int ch = cv.geometry.height();
    for (const Tick& t : m_ticks) {
        const int x = t.pos;
        if (!t.major) {
            line(cv, x, 0, x, ch, m_gridColor);
            continue;
        }
        const int weekday = t.date.isoWeekday();  // 1 Monday ... 7 Sunday
        if (weekday == 1) {
            text(hh, x + 2, 0, QStringLiteral("KW ") + QString::number(rt::weekOfYear(t.date)));
            bar(hh, x, 0, x + 1, h);
            bar(cv, x, 0, x + 1, ch);
        } else {
            line(hh, x, row, x, h);
            line(cv, x, 0, x, ch);
        }
        // A scale that starts during a day (the plan's first fill starts at
        // 12:00) has only the rest of that day until the next day's line:
        // its weekend mark and labels stop there instead of running into it.
        const double hoursLeft = 24.0 - t.date.timePart() * 24.0;
        const int dayEnd = rt::clng(m_pixelsPerUnit * (t.n + hoursLeft));
        const bool wholeDay = hoursLeft >= 24.0;
        const int labelWidth = wholeDay ? 0 : dayEnd - x - 2;
        if (weekday >= 6)
            bar(hh, rt::clng(m_pixelsPerUnit * t.n + 1), row, dayEnd, 2 * row, m_weekendColor);
        // The noon start leaves the first day half the width of a whole one:
        // its date shortens ("7.12.", "7.") instead of being cut to "07.".
        if (wholeDay || labelWidth > 0) {
            text(hh, x + 2, row, shortDayName(t.date), m_smallFontSize, false, labelWidth);
            const QString day = QString::number(t.date.day()) + QLatin1Char('.');
            text(hh, x + 2, h - row, dayMonth(t.date), m_smallFontSize, false, labelWidth,
                 {day + twoDigits(t.date.month()) + QLatin1Char('.'), day});
        }
    }
    line(hh, 0, row, length, row);
    bar(hh, 0, h - 2, length, h - 1);
    bar(corner, 0, h - 2, m_resourceColumnWidth, h - 1);
    bar(corner, m_resourceColumnWidth - 1, 0, m_resourceColumnWidth, h);
    m_scalePaintActive = true;
    runResize();
    m_scalePaintActive = false;
}

// ---------------------------------------------------------------- mapping

rt::Date ScheduleModel::pixelToDate(double x, double y) const
{
    double along = 0;
    if (m_tableMode == 0 || m_tableMode == 9)
        along = y;
    else if (m_tableMode == 10)
        along = x;
    else
        return rt::Date();
    const double length = canvasLength();
    const double period = m_shownEnd.daysSince(m_scaleStart);
    if (length <= 0 || period <= 0)
        return m_scaleStart;
    return m_scaleStart.addDays(period / length * along);
}

int ScheduleModel::hitTestResource(double x, double y) const
{
    double v = 0;
    if (m_tableMode == 0)
        v = x;
    else if (m_tableMode == 10)
        v = y;
    else
        return 0;
    // Freed slots keep their old span; they are no lane any more.
    for (size_t i = 1; i < m_resources.size(); ++i) {
        const ResourceItem& r = m_resources[i];
        if (r.id >= 1 && r.startPx <= v && v <= r.endPx)
            return static_cast<int>(i);
    }
    return 0;
}

ScheduleModel::Span ScheduleModel::timeObjectPixels(const std::optional<rt::Date>& start,
                                                    const std::optional<rt::Date>& end) const
{
    Span notShown;
    const double L = std::nearbyint(canvasLength());
    const double period = m_shownEnd.daysSince(m_scaleStart);
    // An empty period has no pixels per day, and an object without any date
    // has no place.
    if (period <= 0 || (!start && !end))
        return notShown;
    const double f = L / period;
    if (!start || !end) {
        const rt::Date s = start ? *start : *end;
        if (s <= m_scaleStart || s >= m_shownEnd)
            return notShown;
        const double p1 = s.daysSince(m_scaleStart) * f;
        return Span{p1, p1 + kMinObjectPixels, true};
    }
    if (*start >= m_shownEnd || *end <= m_scaleStart)
        return notShown;
    const double p1 = *start > m_scaleStart ? start->daysSince(m_scaleStart) * f : 0.0;
    double p2 = *end < m_shownEnd ? end->daysSince(m_scaleStart) * f : L;
    if (p2 - p1 < kMinObjectPixels)
        p2 = p1 + kMinObjectPixels;
    return Span{p1, p2, true};
}

void ScheduleModel::paintTimeObjects()
{
    // The lane of each resource id looked up once, not per object; the first
    // slot of an id wins, as in findResourceIndex.
    std::unordered_map<qint32, int> lanes;
    lanes.reserve(m_resources.size());
    for (size_t i = 1; i < m_resources.size(); ++i)
        lanes.emplace(m_resources[i].id, static_cast<int>(i));
    for (size_t i = 1; i < m_timeObjects.size(); ++i) {
        const TimeObjectItem& t = m_timeObjects[i];
        if (t.id < 1)
            continue;
        const auto lane = lanes.find(t.resourceId);
        if (lane == lanes.end())
            continue;
        const int index = lane->second;
        const Span span = timeObjectPixels(t.start, t.end);
        if (!span.shown)
            continue;
        const ResourceItem& r = m_resources[index];
        const int a = static_cast<int>(std::lrint(span.p1));
        const int b = static_cast<int>(std::lrint(span.p2));
        TimeObjectLabel& l = m_labels[i];
        if (m_tableMode == 0) {
            if (t.kind != 0)
                l.rect = QRect(r.startPx, a, m_workStripWidth + 1, b - a);
            else
                l.rect = QRect(r.startPx + m_workStripWidth, a, r.endPx - r.startPx - m_workStripWidth, b - a);
        } else if (m_tableMode == 10) {
            if (t.kind != 0)
                l.rect = QRect(a, r.startPx, b - a, kRowWorkStrip);
            else
                l.rect = QRect(a, r.startPx + kRowWorkStrip, b - a, r.endPx - r.startPx - kRowWorkStrip);
        }
        bringToFront(static_cast<int>(i));
        l.visible = true;
    }
}

// ---------------------------------------------------------------- frame

void ScheduleModel::showFrame(const QRect& rect, bool inFront)
{
    m_frame.rect = rect;
    m_frame.inFront = inFront;
    m_frame.visible = true;
}

void ScheduleModel::hideFrame()
{
    m_frame.visible = false;
}

rt::Date ScheduleModel::frameStart() const
{
    return pixelToDate(m_frame.rect.left(), m_frame.rect.top());
}

rt::Date ScheduleModel::frameEnd() const
{
    return pixelToDate(m_frame.rect.left() + m_frame.rect.width(), m_frame.rect.top() + m_frame.rect.height());
}

int ScheduleModel::selectTimeObjectsInFrame()
{
    m_selectedIds = {0};
    int left = 30000, top = 30000, right = 0, bottom = 0;
    const QRect f = m_frame.rect;
    int count = 0;
    for (size_t i = 1; i < m_timeObjects.size(); ++i) {
        const TimeObjectItem& t = m_timeObjects[i];
        const TimeObjectLabel& l = m_labels[i];
        if (t.id < 1 || !l.visible || t.kind != 0)
            continue;
        const QRect r = l.rect;
        const bool caught = f.left() + f.width() > r.left() && r.left() + r.width() > f.left()
                            && f.top() + f.height() > r.top() && r.top() + r.height() > f.top();
        if (!caught)
            continue;
        if (count == 0)
            m_currentTimeObject = t;
        left = std::min(left, r.left());
        top = std::min(top, r.top());
        right = std::max(right, r.left() + r.width());
        bottom = std::max(bottom, r.top() + r.height());
        if (!m_selectedIds.contains(t.id)) {
            m_selectedIds.back() = t.id;
            m_selectedIds.append(0);
            ++count;
        }
    }
    if (count == 0)
        return 0;
    m_selectedIds.removeLast();
    // The frame takes in the lanes of the bookings it caught but keeps the
    // days it was drawn over: those are the days it marks.
    if (m_tableMode == 10) {
        m_frame.rect.setTop(top - 2);
        m_frame.rect.setHeight(bottom - top + 4);
    } else {
        m_frame.rect.setLeft(left - 2);
        m_frame.rect.setWidth(right - left + 4);
    }
    if (count == 1)
        m_frame.inFront = false;
    return count;
}

void ScheduleModel::selectResourcesInFrame()
{
    m_selectedResourceIds = {0};
    int start = 30000, end = 0;
    const QRect f = m_frame.rect;
    if (m_tableMode != 0 && m_tableMode != 10)
        return;
    bool any = false;
    for (size_t i = 1; i < m_resources.size(); ++i) {
        const ResourceItem& r = m_resources[i];
        if (r.id < 1)
            continue;
        const bool caught = m_tableMode == 0 ? (f.left() + f.width() > r.startPx && f.left() < r.endPx)
                                             : (f.top() + f.height() > r.startPx && f.top() < r.endPx);
        if (!caught || m_selectedResourceIds.contains(r.id))
            continue;
        start = std::min(start, r.startPx);
        end = std::max(end, r.endPx);
        m_selectedResourceIds.back() = r.id;
        m_selectedResourceIds.append(0);
        any = true;
    }
    if (!any)
        return;
    m_selectedResourceIds.removeLast();
    if (m_tableMode == 10) {
        m_frame.rect.setTop(start);
        m_frame.rect.setHeight(end - start);
    } else {
        m_frame.rect.setLeft(start);
        m_frame.rect.setWidth(end - start);
    }
}

// ---------------------------------------------------------------- gestures

void ScheduleModel::canvasPress(QPointF p, int /*button*/)
{
    hideFrame();
    m_blink = false;
    const int slot = hitTestResource(p.x(), p.y());
    if (slot > 0)
        m_currentResource = m_resources[slot];
    m_selectedResourceIds = {m_currentResource.id};
    m_currentTimeObject.id = -1;
    m_mouseDate = pixelToDate(p.x(), p.y());
    m_selecting = true;
    m_anchor = QPoint(static_cast<int>(std::lrint(p.x())), static_cast<int>(std::lrint(p.y())));
    m_frame.rect = QRect(m_anchor, QSize(0, 0));
    m_frame.inFront = true;
    m_frame.phase = true;
}

void ScheduleModel::canvasMove(QPointF p, bool anyButton)
{
    if (!m_selecting || !anyButton)
        return;
    const int x = static_cast<int>(std::lrint(p.x()));
    const int y = static_cast<int>(std::lrint(p.y()));
    QRect r;
    if (x <= m_anchor.x()) {
        r.setLeft(x);
        r.setWidth(m_anchor.x() - x);
    } else {
        r.setLeft(m_anchor.x());
        r.setWidth(x - m_anchor.x());
    }
    if (y <= m_anchor.y()) {
        r.setTop(y);
        r.setHeight(m_anchor.y() - y);
    } else {
        r.setTop(m_anchor.y());
        r.setHeight(y - m_anchor.y());
    }
    showFrame(r, true);
}

Events ScheduleModel::canvasRelease(int button)
{
    Events out;
    if (m_selecting) {
        m_selecting = false;
        if (m_frame.rect.width() <= kClickWidth) {
            hideFrame();
            m_blink = false;
            m_selectedIds = {0};
        } else {
            m_blink = true;
            if (selectTimeObjectsInFrame() < 1)
                selectResourcesInFrame();
            Event e;
            e.type = Event::RubberbandSelected;
            e.id = m_currentResource.id;
            e.name = m_currentResource.name;
            e.start = frameStart();
            e.end = frameEnd();
            out.push_back(e);
        }
    }
    if (button == RightButton) {
        Event e;
        e.type = Event::ScheduleRightClick;
        e.id = m_currentResource.id;
        e.start = m_mouseDate;
        e.end = m_mouseDate;
        out.push_back(e);
    }
    return out;
}

Events ScheduleModel::canvasDblClick()
{
    Event e;
    e.type = Event::ScheduleDblClick;
    e.ids = m_selectedResourceIds;
    e.start = m_mouseDate;
    e.end = m_mouseDate;
    return {e};
}

bool ScheduleModel::labelPress(int slot, int button, int modifiers, QPointF inLabel)
{
    if (slot < 1 || slot >= static_cast<int>(m_timeObjects.size()))
        return false;
    m_currentTimeObject = m_timeObjects[slot];
    m_selectedIds = {m_currentTimeObject.id};
    const int mask = modifiers & (ShiftKey | CtrlKey | AltKey);
    if (mask == 0) {
        showFrame(m_labels[slot].rect.adjusted(-2, -2, 2, 2), false);
        m_blink = true;
        return false;
    }
    if (button == LeftButton && mask >= CtrlKey) {
        hideFrame();
        m_blink = false;
        m_grab = inLabel;
        m_dragCopy = mask == CtrlKey;
        m_drag = Drag::Label;
        m_dragSlot = slot;
        return true;
    }
    return false;
}

Events ScheduleModel::labelRelease(int button)
{
    if (button != RightButton || m_currentTimeObject.kind != 0)
        return {};
    Event e;
    e.type = Event::TimeObjectRightClick;
    e.id = m_currentTimeObject.id;
    return {e};
}

Events ScheduleModel::labelClick()
{
    Event e;
    e.type = m_currentTimeObject.kind == 0 ? Event::TimeObjectClick : Event::WorkTimeObjectClick;
    e.id = m_currentTimeObject.id;
    return {e};
}

Events ScheduleModel::labelDblClick()
{
    Event e;
    e.type = m_currentTimeObject.kind == 0 ? Event::TimeObjectDblClick : Event::WorkTimeObjectDblClick;
    e.id = m_currentTimeObject.id;
    return {e};
}

bool ScheduleModel::framePress(int button, int modifiers, QPointF inFrame)
{
    const int mask = modifiers & (ShiftKey | CtrlKey | AltKey);
    if (button != LeftButton || mask < CtrlKey)
        return false;
    m_grab = inFrame;
    m_dragCopy = mask == CtrlKey;
    m_blink = false;
    m_drag = Drag::Frame;
    return true;
}

Events ScheduleModel::frameRelease(int button)
{
    if (button != RightButton)
        return {};
    Event e;
    e.type = Event::ScheduleRightClick;
    e.id = m_currentResource.id;
    e.start = frameStart();
    e.end = frameEnd();
    return {e};
}

Events ScheduleModel::frameDblClick()
{
    Event e;
    e.type = Event::ScheduleDblClick;
    e.ids = m_selectedResourceIds;
    e.start = frameStart();
    e.end = frameEnd();
    hideFrame();
    m_blink = false;
    return {e};
}

void ScheduleModel::headerPress(bool rowHeader, QPointF p)
{
    int slot = 0;
    if (!rowHeader && m_tableMode == 0)
        slot = hitTestResource(p.x(), p.y());
    else if (rowHeader && m_tableMode == 10)
        slot = hitTestResource(p.x(), p.y());
    if (slot > 0)
        m_currentResource = m_resources[slot];
}

Events ScheduleModel::headerClick(bool rowHeader)
{
    if (!((!rowHeader && m_tableMode == 0) || (rowHeader && m_tableMode == 10)))
        return {};
    Event e;
    e.type = Event::ResourceHeaderClick;
    e.id = m_currentResource.id;
    e.name = m_currentResource.name;
    return {e};
}

Events ScheduleModel::headerDblClick(bool rowHeader)
{
    Events out = headerClick(rowHeader);
    for (Event& e : out)
        e.type = Event::ResourceHeaderDblClick;
    return out;
}

QRect ScheduleModel::dragOutline(QPointF p) const
{
    QSize size;
    if (m_drag == Drag::Label)
        size = m_labels[m_dragSlot].rect.size();
    else if (m_drag == Drag::Frame)
        size = m_frame.rect.size();
    else
        return QRect();
    return QRect(QPoint(static_cast<int>(std::lrint(p.x() - m_grab.x())),
                        static_cast<int>(std::lrint(p.y() - m_grab.y()))),
                 size);
}

Events ScheduleModel::drop(QPointF p)
{
    if (m_drag == Drag::None)
        return {};
    const Drag kind = m_drag;
    m_drag = Drag::None;
    const double x = p.x() - m_grab.x();
    const double y = p.y() - m_grab.y();
    const rt::Date landed = pixelToDate(x, y);
    auto idAt = [this](double hx, double hy) {
        const int slot = hitTestResource(hx, hy);
        return slot > 0 ? m_resources[slot].id : 0;
    };

    Event e;
    e.type = Event::TimeObjectDragDrop;
    e.end = landed.atNoon();
    e.copy = m_dragCopy;
    if (kind == Drag::Label) {
        const QRect r = m_labels[m_dragSlot].rect;
        e.newResourceId = idAt(x + r.width() / 2.0, y + r.height() / 2.0);
        e.oldResourceId = m_currentTimeObject.resourceId;
        const std::optional<rt::Date> from =
            m_currentTimeObject.start ? m_currentTimeObject.start : m_currentTimeObject.end;
        e.start = from ? *from : e.end;
        // A bar cut off at the start of the scale does not begin at its start
        // date: move the booking by the distance dragged, not to the date
        // under the bar's visible edge.
        if (from && *from < m_scaleStart) {
            const double dragged = landed.daysSince(pixelToDate(r.left(), r.top()));
            e.end = from->addDays(dragged).atNoon();
        }
    } else {
        const QRect f = m_frame.rect;
        e.oldResourceId = idAt(f.left() + 2, f.top() + 2);
        e.newResourceId = idAt(x + f.width() / 2.0, y + f.height() / 2.0);
        hideFrame();
        m_blink = false;
        e.start = pixelToDate(f.left() + 2, f.top() + 2);
    }
    // Let go outside every lane (below the last one, or on one freed since
    // the last refill): no drop at all. With the pointer on a lane but the
    // dragged object's centre beside it, or in the week view, which has no
    // lanes, keep the place and let the date move: the host must never write
    // place 0 into a booking.
    if (e.newResourceId < 1) {
        const bool lanes = m_tableMode == 0 || m_tableMode == 10;
        if (lanes && hitTestResource(p.x(), p.y()) == 0)
            return {};
        e.newResourceId = e.oldResourceId;
    }
    e.ids = m_selectedIds;
    return {e};
}

void ScheduleModel::dropElsewhere()
{
    m_drag = Drag::None;
}

Events ScheduleModel::keyDown(int keyCode)
{
    if (keyCode != 8 && keyCode != 46)
        return {};
    Event e;
    e.type = Event::TimeObjectDelete;
    e.ids = m_selectedIds;
    return {e};
}

void ScheduleModel::blinkTick()
{
    if (m_blink && m_frame.visible)
        m_frame.phase = !m_frame.phase;
}

}  // namespace sched
