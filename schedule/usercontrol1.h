#pragma once

#include "platform/runtime/date.h"
#include "schedule/schedule_model.h"

#include <QFont>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <optional>

class QScrollBar;

// The schedule view: resources as rows or columns, time objects as labels on
// a time axis. The host fills it in a fixed order (clear, add resources, set
// the scale, paint resources, clear time objects, set the limits, paint the
// scale, add time objects, paint them) and answers its signals; the control
// never changes its own lists in answer to the user.
class UserControl1 : public QWidget {
    Q_OBJECT

public:
    explicit UserControl1(QWidget* parent = nullptr);

    void AddResource(qint32 id, const QString& name, qint32 colour, int position);
    void AddTimeObject(int kind, qint32 id, qint32 resourceId, qint32 value4, std::optional<rt::Date> dtStart,
                       std::optional<rt::Date> dtEnd, qint32 colour, const QString& text);
    void ClearResources();
    void PaintResources();
    void PaintTimeObjects();
    void RemoveResource(qint32 id);
    void RemoveTimeObject(qint32 id);
    void ClearTimeObjects();
    void BackColor(qint32 colour);
    void GridColor(qint32 colour);
    QVector<qint32> SelectedTermin_ids() const;
    void PaintScale();
    void TimeScaleInterval(float value);
    void TimeScaleUnit(const QString& unit);
    void SetScaleDateTimeLimits(const rt::Date& d1, const rt::Date& d2);
    void TableMode(int mode);
    // Forgets the selected time objects and hides the frame.
    void ClearSelection();

    const sched::ScheduleModel& model() const { return m_model; }
    // Where a canvas point lies in this widget's coordinates.
    QPoint canvasToWidget(QPoint canvasPoint) const;
    QSize sizeHint() const override;

signals:
    void TimeObjectClick(qint32 id);
    void TimeObjectDblClick(qint32 id);
    void WorkTimeObjectClick(qint32 id);
    void WorkTimeObjectDblClick(qint32 id);
    void TimeObjectRightClick(qint32 id);
    void ResourceHeaderClick(qint32 id, const QString& name);
    void ResourceHeaderDblClick(qint32 id, const QString& name);
    void ScheduleDblClick(QVector<qint32> resourceIds, rt::Date dtStart, rt::Date dtEnd);
    void ScheduleRightClick(qint32 resourceId, rt::Date dtStart, rt::Date dtEnd);
    void TimeObjectDragDrop(QVector<qint32> ids, qint32 oldResourceId, qint32 newResourceId, rt::Date oldStart,
                            rt::Date newStart, bool copy);
    void TimeObjectDelete(QVector<qint32> ids);
    void RubberbandSelected(qint32 resourceId, const QString& name, rt::Date dtStart, rt::Date dtEnd);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class Region { None, Corner, HeaderH, HeaderV, Canvas, Label, Frame };
    struct Hit {
        Region region = Region::None;
        int slot = 0;
    };

    Hit hitAt(QPoint pos) const;
    QRect contentRect() const;
    QPointF toCanvas(QPointF pos) const;
    QPointF toSurface(sched::SurfaceId id, QPointF pos) const;
    void afterChange();
    void raise(const sched::Events& events);
    void paintSurface(QPainter& p, sched::SurfaceId id, const QRect& exposed);
    void paintCanvasItems(QPainter& p, const QRect& localClip);
    void paintFrame(QPainter& p, const QRect& localClip);
    const QFont& fontFor(int pointSize, bool bold) const;
    void scrolled();

    sched::ScheduleModel m_model;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QTimer TimerBlink;
    QFont m_small;
    QFont m_smallBold;
    QFont m_large;

    Hit m_pressed;
    bool m_afterDblClick = false;
    bool m_dragging = false;
    QPointF m_pointer;
    bool m_canvasFocus = false;
    bool m_cutReported = false;   // the period was too long at the last PaintScale
};
