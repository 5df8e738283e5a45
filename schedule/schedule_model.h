#pragma once

#include "platform/runtime/date.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>
#include <vector>

namespace sched {

struct ResourceItem {
    qint32 id = 0;        // below 1: free slot
    QString name;
    int position = 0;     // column or row on screen, counted from 0
    qint32 colour = 0;    // BGR; 0 or less leaves the header colour
    int startPx = 0;      // first pixel of the lane across the lanes
    int endPx = 0;        // last pixel of the lane
};

struct TimeObjectItem {
    qint32 id = 0;        // below 1: free slot
    int kind = 0;         // 0 booking, anything else a work object
    std::optional<rt::Date> start;
    std::optional<rt::Date> end;
    qint32 resourceId = 0;
    qint32 value4 = 0;
};

// What the label of a time-object slot shows and where it lies on the canvas.
struct TimeObjectLabel {
    qint32 colour = 0;
    QString caption;
    QString toolTip;
    QRect rect;
    bool visible = false;
    quint64 z = 0;        // larger lies on top
};

// One drawing step on a surface, kept until that surface is cleared.
struct Primitive {
    enum Type { Line, Bar, Text };
    static constexpr qint32 ForeColour = -1;
    Type type = Line;
    QPoint p1;            // Line: from; Bar: one corner (inclusive); Text: top-left
    QPoint p2;            // Line: to; Bar: the other corner (inclusive)
    qint32 colour = ForeColour;
    QString text;
    int pointSize = 8;
    bool bold = false;
    int maxWidth = 0;     // Text: at most this many pixels wide; 0 leaves it whole
    QStringList shorter;  // Text: shorter forms, in order, for a text wider than maxWidth
};

// What a text primitive shows in a font whose widths width() measures: the
// text, else the first shorter form that fits, else nothing (never a text
// cut off in the middle).
QString shownText(const Primitive& p, const std::function<int(const QString&)>& width);

struct Surface {
    QRect geometry;       // in control coordinates
    qint32 backColour = 0;
    std::vector<Primitive> prims;
};

enum class SurfaceId { Corner, HeaderH, HeaderV, Canvas };

// A tick of the time scale.
struct Tick {
    int n = 0;            // scale units from the start
    int pos = 0;          // pixel along the time axis
    rt::Date date;
    bool major = false;   // a new hour (time downwards) or a new day (time across)
};

// Mouse buttons and modifier keys as the control counts them.
enum Button { LeftButton = 1, RightButton = 2 };
enum Modifier { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

struct Event {
    enum Type {
        TimeObjectClick,
        TimeObjectDblClick,
        WorkTimeObjectClick,
        WorkTimeObjectDblClick,
        TimeObjectRightClick,
        ResourceHeaderClick,
        ResourceHeaderDblClick,
        ScheduleDblClick,
        ScheduleRightClick,
        TimeObjectDragDrop,
        TimeObjectDelete,
        RubberbandSelected,
    };
    Type type = TimeObjectClick;
    qint32 id = 0;                  // the object or resource id
    QString name;
    QVector<qint32> ids;            // time-object ids or resource ids
    qint32 oldResourceId = 0;
    qint32 newResourceId = 0;
    rt::Date start;                 // dtStart, oldStart for a drop
    rt::Date end;                   // dtEnd, newStart for a drop
    bool copy = false;
};
using Events = std::vector<Event>;

struct ScrollBarState {
    bool visible = false;
    int maximum = 0;
    int singleStep = 1;
    int pageStep = 200;
    int value = 0;
    QRect geometry;
};

// The schedule without a display: resource and time-object lists, layout,
// time scale, hit tests, selection and the mouse and key rules. The widget
// paints what this holds and turns its events into signals.
class ScheduleModel {
public:
    ScheduleModel();

    // --- host interface ---
    void addResource(qint32 id, const QString& name, qint32 colour, int position);
    void addTimeObject(int kind, qint32 id, qint32 resourceId, qint32 value4, std::optional<rt::Date> start,
                       std::optional<rt::Date> end, qint32 colour, const QString& text);
    void clearResources();
    void paintResources();
    void paintTimeObjects();
    void removeResource(qint32 id);
    void removeTimeObject(qint32 id);
    void clearTimeObjects();
    void setBackColor(qint32 colour);
    void setGridColor(qint32 colour) { m_gridColor = colour; }
    QVector<qint32> selectedTerminIds() const { return m_selectedIds; }
    // Returns true when the period did not fit and was cut at the canvas limit.
    bool paintScale();
    void setTimeScaleInterval(double interval) { m_interval = interval; }
    void setTimeScaleUnit(const QString& unit);
    void setScaleDateTimeLimits(const rt::Date& d1, const rt::Date& d2);
    void setTableMode(int mode) { m_tableMode = mode; }
    // Nothing selected, no frame: for a host that refills the control and
    // whose old selection would otherwise outlive what it marked.
    void clearSelection();

    // --- size and scrolling ---
    // The control's inner size changed; also re-lays out the scroll bars.
    void resize(const QSize& inner);
    void setScrollBarExtent(int extent) { m_barExtent = extent; }
    void setHorizontalScroll(int value);
    void setVerticalScroll(int value);
    const ScrollBarState& horizontalBar() const { return m_hbar; }
    const ScrollBarState& verticalBar() const { return m_vbar; }
    QSize innerSize() const { return m_inner; }

    // --- pointer and keys; coordinates are canvas pixels ---
    void canvasPress(QPointF p, int button);
    void canvasMove(QPointF p, bool anyButton);
    Events canvasRelease(int button);
    Events canvasDblClick();
    // True when the press started a drag of the label.
    bool labelPress(int slot, int button, int modifiers, QPointF inLabel);
    Events labelRelease(int button);
    Events labelClick();
    Events labelDblClick();
    bool framePress(int button, int modifiers, QPointF inFrame);
    Events frameRelease(int button);
    Events frameDblClick();
    // Header coordinates run with the canvas: x for the top header, y for the left one.
    void headerPress(bool rowHeader, QPointF p);
    Events headerClick(bool rowHeader);
    Events headerDblClick(bool rowHeader);
    // The dragged label or frame was let go over the canvas at p.
    Events drop(QPointF p);
    // ... or somewhere else.
    void dropElsewhere();
    Events keyDown(int keyCode);
    void blinkTick();

    // --- mapping and hit tests ---
    rt::Date pixelToDate(double x, double y) const;
    // Slot of the lane under the point, 0 when none.
    int hitTestResource(double x, double y) const;
    struct Span { double p1 = -1; double p2 = -1; bool shown = false; };
    Span timeObjectPixels(const std::optional<rt::Date>& start, const std::optional<rt::Date>& end) const;
    // Selects the bookings the frame overlaps and fits the frame across
    // their lanes, keeping its extent in time. Returns how many.
    int selectTimeObjectsInFrame();
    void selectResourcesInFrame();

    // --- what there is to see ---
    int tableMode() const { return m_tableMode; }
    QChar timeScaleUnit() const { return m_unit; }
    double timeScaleInterval() const { return m_interval; }
    rt::Date scaleStart() const { return m_scaleStart; }
    rt::Date scaleEnd() const { return m_scaleEnd; }
    // The last instant the canvas reaches; earlier than scaleEnd when the period was cut.
    rt::Date shownEnd() const { return m_shownEnd; }
    double pixelsPerUnit() const { return m_pixelsPerUnit; }
    qint32 gridColor() const { return m_gridColor; }
    qint32 headerColor() const { return m_headerColor; }
    const std::vector<ResourceItem>& resources() const { return m_resources; }
    const std::vector<TimeObjectItem>& timeObjects() const { return m_timeObjects; }
    const std::vector<TimeObjectLabel>& labels() const { return m_labels; }
    const std::vector<Tick>& ticks() const { return m_ticks; }
    const Surface& surface(SurfaceId id) const { return m_surfaces[static_cast<int>(id)]; }
    QSize canvasSize() const { return canvas().geometry.size(); }
    const QVector<qint32>& selectedIds() const { return m_selectedIds; }
    const QVector<qint32>& selectedResourceIds() const { return m_selectedResourceIds; }
    const ResourceItem& currentResource() const { return m_currentResource; }
    const TimeObjectItem& currentTimeObject() const { return m_currentTimeObject; }
    rt::Date mouseDate() const { return m_mouseDate; }

    struct Frame {
        QRect rect;
        bool visible = false;
        bool phase = true;    // which of its two looks the frame shows; a blink swaps them
        bool inFront = true;
    };
    const Frame& frame() const { return m_frame; }
    bool blinking() const { return m_blink; }
    bool selecting() const { return m_selecting; }
    enum class Drag { None, Label, Frame };
    Drag dragging() const { return m_drag; }
    int dragSlot() const { return m_dragSlot; }
    // Where the dragged label or frame would land with the pointer at p.
    QRect dragOutline(QPointF p) const;

    static QString frameToolTip();
    // The gestures of the free canvas, naming the move that window managers
    // leave alone where they take Alt+drag for themselves.
    static QString canvasToolTip();
    // Room for the longest period the settings allow the plan (255 days of
    // 40 pixels) and for three weeks of quarter hours downwards.
    static constexpr int MaxCanvasLength = 32000;

private:
    Surface& surf(SurfaceId id) { return m_surfaces[static_cast<int>(id)]; }
    Surface& canvas() { return surf(SurfaceId::Canvas); }
    const Surface& canvas() const { return m_surfaces[static_cast<int>(SurfaceId::Canvas)]; }
    int findResourceIndex(qint32 id) const;
    double canvasLength() const;
    int topHeaderHeight() const;
    int leftHeaderWidth() const;
    int mode0CanvasWidth() const;
    void runResize();
    void paintVerticalScale();
    void paintHorizontalScale();
    void computeScale();
    void showFrame(const QRect& rect, bool inFront);
    void hideFrame();
    rt::Date frameStart() const;
    rt::Date frameEnd() const;
    void bringToFront(int slot) { m_labels[slot].z = ++m_zCounter; }
    static void clear(Surface& s) { s.prims.clear(); }
    static void line(Surface& s, int x1, int y1, int x2, int y2, qint32 colour = Primitive::ForeColour);
    static void bar(Surface& s, int x1, int y1, int x2, int y2, qint32 colour = Primitive::ForeColour);
    static void text(Surface& s, int x, int y, const QString& t, int pointSize = 8, bool bold = false,
                     int maxWidth = 0, const QStringList& shorter = {});

    std::vector<ResourceItem> m_resources;
    std::vector<TimeObjectItem> m_timeObjects;
    size_t m_firstFreeTimeObject = 1;   // no free slot lies below it
    std::vector<TimeObjectLabel> m_labels;
    std::vector<Tick> m_ticks;
    Surface m_surfaces[4];

    int m_tableMode = 0;
    QChar m_unit = QLatin1Char('n');
    double m_interval = 15;
    rt::Date m_scaleStart;
    rt::Date m_scaleEnd;
    rt::Date m_shownEnd;
    double m_pixelsPerUnit = 1;
    qint32 m_gridColor = 0;
    qint32 m_headerColor = 0x80FFFF;
    qint32 m_weekendColor = 0xA0FF;
    int m_headerRowHeight = 15;
    int m_rowHeaderWidth = 40;
    int m_resourceColumnWidth = 100;
    int m_workStripWidth = 15;
    int m_smallFontSize = 8;
    bool m_scalePaintActive = false;

    ResourceItem m_currentResource;
    TimeObjectItem m_currentTimeObject;
    QVector<qint32> m_selectedIds{0};
    // Starts with one element 0 so that a double-click before any canvas
    // press hands the host a readable list.
    QVector<qint32> m_selectedResourceIds{0};
    rt::Date m_mouseDate;

    bool m_selecting = false;
    QPoint m_anchor;
    Frame m_frame;
    bool m_blink = false;
    Drag m_drag = Drag::None;
    int m_dragSlot = 0;
    QPointF m_grab;
    bool m_dragCopy = false;
    quint64 m_zCounter = 0;

    QSize m_inner{0, 0};
    int m_barExtent = 16;
    ScrollBarState m_hbar;
    ScrollBarState m_vbar;
};

// Date steps with a one-letter unit as the scale uses them: s n h d w y m q.
// Whole units; "w" and "y" add days.
rt::Date dateAdd(QChar unit, double count, const rt::Date& d);
// Unit boundaries crossed from a to b ("w" counts whole weeks of days).
qint64 dateDiff(QChar unit, const rt::Date& a, const rt::Date& b);
bool isScaleUnit(QChar unit);

}  // namespace sched
