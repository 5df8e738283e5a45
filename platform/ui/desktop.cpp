#include "platform/ui/desktop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>

namespace ui {

namespace {

// Where each window was when it was last hidden, by window name.
struct Placement {
    QPoint pos;
    QSize size;
};

QHash<QString, Placement>& leftWhere()
{
    static QHash<QString, Placement> placements;
    return placements;
}

QPointer<QWidget>& frontWindow()
{
    static QPointer<QWidget> window;
    return window;
}

QPointer<QWidget>& lastActiveWindow()
{
    static QPointer<QWidget> window;
    return window;
}

constexpr char PlacedProperty[] = "velmorantPlaced";

// Before the window manager has framed any window of ours, room for a title bar.
constexpr QMargins FallbackFrame(4, 30, 4, 6);

QString nameOf(const QWidget* window)
{
    return window->objectName().isEmpty() ? QString::fromLatin1(window->metaObject()->className()) : window->objectName();
}

// Windows of their own; dialogs with a parent are centred by Qt itself.
bool isPlaceable(const QWidget* w)
{
    if (!w->isWindow() || w->parentWidget())
        return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

// Across window borders, which QWidget::isAncestorOf does not cross.
bool owns(const QWidget* owner, const QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        if (w == owner)
            return true;
    }
    return false;
}

bool isUsable(const QWidget* w, const QWidget* besides)
{
    return w && w != besides && w->isVisible() && !w->isMinimized();
}

QWidget* openerOf(const QWidget* window)
{
    QWidget* active = QApplication::activeWindow();
    if (isUsable(active, window))
        return active;
    if (isUsable(frontWindow(), window))
        return frontWindow();
    if (isUsable(lastActiveWindow(), window))
        return lastActiveWindow();
    return nullptr;
}

// Null while the window manager has not framed the window (or frames none).
QMargins frameOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

// Puts the frame's top left corner there. Until a window has been framed Qt
// takes a position as the inside's, so the frame to come is allowed for.
void moveFrameTo(QWidget* window, const QPoint& topLeft, const QMargins& frame)
{
    if (frameOf(window).isNull())
        window->move(topLeft + QPoint(frame.left(), frame.top()));
    else
        window->move(topLeft);
}

QRect availableAround(const QPoint& point)
{
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The frame's top left corner for a frame of this size, kept on the screen.
QPoint keptOnScreen(QPoint topLeft, const QSize& outer, const QRect& area)
{
    topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - outer.width())));
    topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - outer.height())));
    return topLeft;
}

// Shrinks the window to the screen area, as far as its layout lets it.
void fitInto(QWidget* window, const QRect& area, const QMargins& frame)
{
    if (QLayout* layout = window->layout())
        layout->activate();
    const QSize room(area.width() - frame.left() - frame.right(), area.height() - frame.top() - frame.bottom());
    const QSize wanted = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (wanted != window->size())
        window->resize(wanted);
}

void placeOnShow(QWidget* window)
{
    const bool placedBefore = window->property(PlacedProperty).toBool();
    window->setProperty(PlacedProperty, true);
    // A position the program gave the window itself stands.
    if (window->testAttribute(Qt::WA_Moved))
        return;

    QWidget* opener = openerOf(window);
    QMargins frame = opener ? frameOf(opener) : FallbackFrame;
    if (!frameOf(window).isNull())
        frame = frameOf(window);
    const auto left = leftWhere().constFind(nameOf(window));
    if (left != leftWhere().constEnd()) {
        const QRect area = availableAround(left->pos);
        if (!placedBefore)
            window->resize(left->size);
        fitInto(window, area, frame);
        const QSize outer = window->size().grownBy(frame);
        moveFrameTo(window, keptOnScreen(left->pos, outer, area), frame);
        return;
    }
    if (placedBefore)
        return;

    const QRect area = availableAround(opener ? opener->frameGeometry().center() : QPoint());
    fitInto(window, area, frame);
    const QSize outer = window->size().grownBy(frame);
    const QPoint centre = opener ? opener->frameGeometry().center() : area.center();
    moveFrameTo(window, keptOnScreen(centre - QPoint(outer.width() / 2, outer.height() / 2), outer, area), frame);
}

void rememberOnHide(QWidget* window)
{
    if (!window->property(PlacedProperty).toBool())
        return;
    leftWhere().insert(nameOf(window), {window->pos(), window->size()});
    // So that the next show tells a position the program gives from this one.
    window->setAttribute(Qt::WA_Moved, false);
}

void scrollIntoView(QWidget* w)
{
    for (QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget()) {
        auto* area = qobject_cast<QScrollArea*>(p);
        if (area && area->widget() && area->widget()->isAncestorOf(w))
            area->ensureWidgetVisible(w);
    }
}

class Conventions : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Polish:
            if (auto* view = qobject_cast<QAbstractItemView*>(w))
                view->setTabKeyNavigation(false);
            else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
                plain->setTabChangesFocus(true);
            else if (auto* text = qobject_cast<QTextEdit*>(w))
                text->setTabChangesFocus(true);
            break;
        case QEvent::Show:
            if (!event->spontaneous() && isPlaceable(w))
                placeOnShow(w);
            break;
        case QEvent::Hide:
            if (!event->spontaneous() && isPlaceable(w))
                rememberOnHide(w);
            break;
        case QEvent::FocusIn: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
                scrollIntoView(w);
            break;
        }
        case QEvent::WindowActivate:
            if (w->isWindow()) {
                lastActiveWindow() = w;
                if (frontWindow() && !owns(frontWindow(), w))
                    frontWindow() = nullptr;
            }
            break;
        case QEvent::MouseButtonPress:
            // Also where no window manager reports the change of window.
            if (frontWindow() && !owns(frontWindow(), w))
                frontWindow() = nullptr;
            break;
        default:
            break;
        }
        return false;
    }
};

class CellKeys : public QObject {
public:
    CellKeys(QAbstractItemView* view, std::function<void(const QModelIndex&)> fn)
        : QObject(view), m_view(view), m_fn(std::move(fn))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // A cell being edited has the focus itself.
        if (event->type() != QEvent::KeyPress || !m_view->hasFocus())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool press = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
        if (!press || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QModelIndex index = m_view->currentIndex();
        if (!index.isValid())
            return false;
        m_fn(index);
        return true;
    }

private:
    QAbstractItemView* m_view;
    std::function<void(const QModelIndex&)> m_fn;
};

}  // namespace

void installDesktopConventions()
{
    static QPointer<Conventions> installed;
    if (installed || !qApp)
        return;
    installed = new Conventions(qApp);
    qApp->installEventFilter(installed);
}

void onCellKeys(QAbstractItemView* view, std::function<void(const QModelIndex&)> fn)
{
    view->installEventFilter(new CellKeys(view, std::move(fn)));
}

void spanNoteLine(QTableView* view, int idRole)
{
    const auto span = [view, idRole] {
        QAbstractItemModel* model = view->model();
        view->clearSpans();
        if (model && model->rowCount() == 1 && model->columnCount() > 1 && model->index(0, 0).data(idRole).toLongLong() == 0)
            view->setSpan(0, 0, 1, model->columnCount());
    };
    QAbstractItemModel* model = view->model();
    QObject::connect(model, &QAbstractItemModel::modelReset, view, span);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, view, span);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view, span);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, view, span);
    span();
}

void bringToFront(QWidget* window)
{
    if (!window)
        return;
    window = window->window();
    if (!window->isVisible())
        window->show();
    window->raise();
    window->activateWindow();
    frontWindow() = window;
}

QWidget* dialogOwner()
{
    if (QWidget* front = frontWindow(); front && front->isVisible())
        return front;
    return QApplication::activeWindow();
}

void setTabChain(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (!w)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

QString withAltLetter(const QString& caption, QChar wanted, QString& taken)
{
    QString text = caption;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const auto isFree = [&taken](QChar c) { return c.isLetter() && !taken.contains(c.toLower()); };
    const auto wordStart = [&text](qsizetype i) { return i == 0 || !text[i - 1].isLetterOrNumber(); };
    qsizetype at = -1;
    if (isFree(wanted)) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].toLower() == wanted.toLower() && (at < 0 || wordStart(i))) {
                at = i;
                if (wordStart(i))
                    break;
            }
        }
    }
    for (qsizetype i = 0; at < 0 && i < text.size(); ++i) {
        if (isFree(text[i]))
            at = i;
    }
    if (at < 0)
        return text;
    taken += text[at].toLower();
    return text.insert(at, QLatin1Char('&'));
}

QString plainToolTip(const QString& text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

}  // namespace ui
