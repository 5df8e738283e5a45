#include "plan/frmStockwerke.h"

#include "core/files.h"
#include "core/handler.h"
#include "core/messages.h"
#include "core/places.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "plan/floorplanedit.h"
#include "platform/runtime/twips.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRubberBand>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <cmath>

// The floor plan's edit mode: markers dragged, nudged and deleted, the
// jiggle, and the double-click short cuts into the structure's editors.

namespace {

int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / rt::TwipsPerPixel));
}

qint32 placeIdOf(const QLabel* marker)
{
    return marker->property("Tag").toString().toInt();
}

bool isTextBox(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

}  // namespace

// What the window's own event filter leaves, seen for the whole program
// before any control: the window's keys, the drag of a marker and double
// clicks on the captions.
class StructureEvents : public QObject {
public:
    explicit StructureEvents(frmStockwerke* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        frmStockwerke& w = *m_window;
        const QEvent::Type type = e->type();
        if (type == QEvent::KeyPress) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget || widget->window() != &w || !w.m_loaded)
                return false;
            auto* key = static_cast<QKeyEvent*>(e);
            bool used = false;
            RunHandler(QStringLiteral("Form_KeyDown"), [&] { used = w.Form_KeyDown(key->key(), key->modifiers()); });
            return used;
        }
        if (type == QEvent::MouseButtonDblClick) {
            if (watched == w.lbEinrichtungsname) {
                w.lbEinrichtungsname_DblClick();
                return true;
            }
            if (watched == w.lbStockwerkName || watched == w.imgStockwerk) {
                w.lbStockwerkName_DblClick();
                return true;
            }
            return false;
        }
        if (type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
            return false;
        auto* marker = qobject_cast<QLabel*>(watched);
        if (!marker || marker == w.imgStockwerk || marker->parentWidget() != w.floorPlanBox ||
            !marker->property("Index").isValid())
            return false;
        auto* mouse = static_cast<QMouseEvent*>(e);
        if (type == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton))
            w.lbPlatz_Drag(marker, marker->mapTo(w.floorPlanBox, mouse->position().toPoint()));
        else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
            w.lbPlatz_Release(marker, marker->mapTo(w.floorPlanBox, mouse->position().toPoint()));
        return false;
    }

private:
    frmStockwerke* m_window;
};

void frmStockwerke::buildStructureEditors()
{
    buildResourceFrames();

    m_structureEvents = new StructureEvents(this);
    // Like the keys, the markers' mouse is seen before the markers see it.
    qApp->installEventFilter(m_structureEvents);
    lbEinrichtungsname->setToolTip(QStringLiteral("Doppelklick: Namen ändern"));

    m_dragOutline = new QRubberBand(QRubberBand::Rectangle, floorPlanBox);
    m_dragOutline->hide();

    // The jiggle box beside the floor plan's edit-mode button.
    chkWuselMode = new QCheckBox(QStringLiteral("Zittern"), cmdLoadPicture->parentWidget());
    WuselTimer = new QTimer(this);
    WuselTimer->setInterval(100);
    for (QObject* child : cmdLoadPicture->parentWidget()->children()) {
        auto* box = qobject_cast<QBoxLayout*>(child);
        if (!box)
            continue;
        for (int i = 0; i < box->count(); ++i) {
            if (auto* foot = qobject_cast<QBoxLayout*>(box->itemAt(i)->layout()); foot && foot->indexOf(cmdLoadPicture) >= 0)
                foot->insertWidget(foot->indexOf(cmdLoadPicture), chkWuselMode);
        }
    }

    // The picture of the place beside its name in the booking panel.
    cmdShowRoomImage = new QToolButton(frameReservierungsdetails);
    cmdShowRoomImage->setText(QStringLiteral("Bild"));
    cmdShowRoomImage->setToolTip(QStringLiteral("Bild des Raums anzeigen"));
    if (auto* grid = qobject_cast<QGridLayout*>(frameReservierungsdetails->layout())) {
        int row = 0, column = 0, rowSpan = 1, columnSpan = 1;
        const int at = grid->indexOf(lblRoomName);
        if (at >= 0) {
            grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
            grid->removeWidget(lblRoomName);
            grid->addWidget(lblRoomName, row, column, rowSpan, std::max(1, columnSpan - 1));
            grid->addWidget(cmdShowRoomImage, row, column + std::max(1, columnSpan - 1), Qt::AlignRight);
        }
    }

    menuEdit->addAction(menuEditMode);
    connect(menuEditMode, &QAction::triggered, this, [this] { menuEditMode_Click(); });
    connect(cmdLoadPicture, &QPushButton::clicked, this, [this] { cmdLoadPicture_Click(); });
    connect(chkWuselMode, &QCheckBox::toggled, this, [this] { chkWuselMode_Click(); });
    connect(WuselTimer, &QTimer::timeout, this, [this] { WuselTimer_Timer(); });
    connect(SSTab1->tabBar(), &QTabBar::tabBarClicked, this, [this] { chkWuselMode->setChecked(false); });
    connect(cmdShowRoomImage, &QToolButton::clicked, this, [this] { cmdShowRoomImage_Click(); });
}

void frmStockwerke::menuEditMode_Click()
{
    RunHandler(QStringLiteral("menuEditMode_Click"), [this] {
        chkWuselMode->setChecked(false);
        const bool switched = SwitchEditMode(m_state);
        if (switched)
            SSTab1->setCurrentIndex(0);
        // The menu ticks itself on a click; it shows the mode, refused or not.
        SetEditModeControls(m_state.EditMode);
        if (switched && m_state.EditMode)
            ui::msgBox(lbFloorPlanHint->text(), ui::Information, AppTitle);
    });
}

void frmStockwerke::cmdLoadPicture_Click()
{
    RunHandler(QStringLiteral("cmdLoadPicture_Click"), [this] {
        const std::optional<QString> name =
            LoadFloorPicture(m_state, imgStockwerk->property("Tag").toString(), ImageDir);
        if (!name)
            return;
        m_state.CurrentFloorImageFile = *name;
        lbImageName->setText(GetFileNamePart(*name));
        ShowImageFile(*name, imgStockwerk, lbImageName, m_state.FloorPictureMaxWidth / rt::TwipsPerPixel,
                      m_state.FloorPictureMaxHeight / rt::TwipsPerPixel, true, ImageDir);
        ShowPlaetze(m_state.CurrentFloorId);
    });
}

void frmStockwerke::chkWuselMode_Click()
{
    if (chkWuselMode->isChecked()) {
        WuselTimer->start();
    } else {
        WuselTimer->stop();
        RestorePlaceHomePositions();
    }
}

void frmStockwerke::WuselTimer_Timer()
{
    QRandomGenerator* random = QRandomGenerator::global();
    for (size_t i = 1; i < lbPlatz.size() && i < m_state.PlaceHomePos.size(); ++i) {
        if (!lbPlatz[i]->isVisible())
            continue;
        const double r = random->generateDouble();
        const double s = random->generateDouble();
        const QPoint at = JigglePosition(m_state.PlaceHomePos[i], r, s);
        lbPlatz[i]->move(toPixels(at.x()), toPixels(at.y()));
    }
}

void frmStockwerke::RestorePlaceHomePositions()
{
    for (size_t i = 1; i < lbPlatz.size() && i < m_state.PlaceHomePos.size(); ++i) {
        if (lbPlatz[i]->isVisible())
            lbPlatz[i]->move(toPixels(m_state.PlaceHomePos[i].x), toPixels(m_state.PlaceHomePos[i].y));
    }
}

void frmStockwerke::lbEinrichtungsname_DblClick()
{
    RunHandler(QStringLiteral("lbEinrichtungsname_DblClick"), [this] {
        if (const std::optional<QString> name = RenameFacility(m_state, MandantId, lbEinrichtungsname->text())) {
            lbEinrichtungsname->setText(*name);
            MandantName = *name;
        }
    });
}

void frmStockwerke::lbStockwerkName_DblClick()
{
    RunHandler(QStringLiteral("lbStockwerkName_DblClick"), [this] {
        if (StationReadOnly || !PassPasswordGate(m_state))
            return;
        openResourceEditor(m_state.CurrentFloorId, QStringLiteral("F"));
    });
}

void frmStockwerke::lbPlatzEditMode_DblClick()
{
    openResourceEditor(m_state.CurrentPlaceId, QStringLiteral("P"));
}

void frmStockwerke::openResourceEditor(qint32 id, const QString& letter)
{
    // The tree tab ends edit mode.
    SSTab1->setCurrentIndex(2);
    m_state.TreeNodeLetter = letter;
    showResourceFrame(letter);
    ShowResourceDetails(id, letter);
    // The frame is not the tree's node: messages name what it shows.
    m_state.TreeNodeText = letter == QLatin1String("P") ? tbPlatzName->text() : tbFloorName->text();
}

void frmStockwerke::lbPlatz_Drag(QLabel* marker, QPoint boxPos)
{
    if (!m_state.EditMode)
        return;
    m_dragOutline->setGeometry(QRect(boxPos - QPoint(toPixels(m_state.DragOffsetX), toPixels(m_state.DragOffsetY)),
                                     marker->size()));
    m_dragOutline->show();
    m_dragOutline->raise();
}

void frmStockwerke::lbPlatz_Release(QLabel* marker, QPoint boxPos)
{

    if (!m_state.EditMode)
        return;
    m_dragOutline->hide();
    // Only a drop on the bare picture moves the marker; one on a marker,
    // itself at its old place included (a click), or beside the picture
    // does nothing.
    bool onPicture = imgStockwerk->geometry().contains(boxPos);
    for (size_t i = 1; onPicture && i < lbPlatz.size(); ++i) {
        if (lbPlatz[i]->isVisible() && lbPlatz[i]->geometry().contains(boxPos))
            onPicture = false;
    }
    if (onPicture)
        RunHandler(QStringLiteral("imgStockwerk_DragDrop"), [&] { imgStockwerk_DragDrop(marker, boxPos); });
    // The arrow keys are the window's while a marker is worked on.
    FocusDummy->setFocus();
}

void frmStockwerke::imgStockwerk_DragDrop(QLabel* marker, QPoint boxPos)
{
    const double x = (boxPos.x() - imgStockwerk->x()) * rt::TwipsPerPixel;
    const double y = (boxPos.y() - imgStockwerk->y()) * rt::TwipsPerPixel;
    const PlaceRect rect = DroppedPlaceRect(x, y, m_state.DragOffsetX, m_state.DragOffsetY,
                                            marker->width() * rt::TwipsPerPixel, marker->height() * rt::TwipsPerPixel);
    PlaceRectMove move = drawnMarker(marker);
    move.x1 = rect.x1;
    move.y1 = rect.y1;
    move.x2 = rect.x2;
    move.y2 = rect.y2;
    SavePlaceRects({{marker, move}});
}

PlaceRectMove frmStockwerke::drawnMarker(const QLabel* marker) const
{
    // The marker rests where the plan drew it from the stored row, or where
    // this window stored it since.
    PlaceRectMove move;
    move.placeId = placeIdOf(marker);
    const int left = imgStockwerk->x() * rt::TwipsPerPixel;
    const int top = imgStockwerk->y() * rt::TwipsPerPixel;
    const size_t index = static_cast<size_t>(marker->property("Index").toInt());
    const PlaceHome home = index < m_state.PlaceHomePos.size()
                               ? m_state.PlaceHomePos[index]
                               : PlaceHome{marker->x() * rt::TwipsPerPixel, marker->y() * rt::TwipsPerPixel};
    move.drawnX = home.x - left;
    move.drawnY = home.y - top;
    return move;
}

void frmStockwerke::SavePlaceRects(const std::vector<std::pair<QLabel*, PlaceRectMove>>& moved)
{
    std::vector<PlaceRectMove> moves;
    QHash<qint32, QString> names;
    for (const auto& [marker, move] : moved) {
        // A marker without a stored place has no row to keep its rectangle.
        if (move.placeId >= 1) {
            moves.push_back(move);
            // The name as drawn: the tooltip holds it escaped where it looks like markup.
            names.insert(move.placeId, m_state.DrawnPlaces.value(move.placeId).value(QStringLiteral("pl_name")).toText());
        }
    }
    std::optional<std::vector<PlaceRectOutcome>> stored;
    {
        ui::WaitCursor wait;
        stored = StoreMovedMarkers(moves, names);
    }
    const int left = imgStockwerk->x() * rt::TwipsPerPixel;
    const int top = imgStockwerk->y() * rt::TwipsPerPixel;
    bool gone = false;
    {
        FillingListsGuard filling;
        for (const auto& [marker, move] : moved) {
            // Nothing written: the marker goes back to where it rested.
            QPoint at(move.drawnX, move.drawnY);
            if (move.placeId < 1) {
                at = QPoint(move.x1, move.y1);
            } else if (stored) {
                for (const PlaceRectOutcome& place : *stored) {
                    if (place.placeId != move.placeId)
                        continue;
                    gone = gone || place.missing;
                    if (!place.missing)
                        at = QPoint(place.x1, place.y1);
                }
            }
            // The home position is kept in twips, so that 15 steps of a twip
            // move the marker by a pixel; the jiggle and its end show the marker
            // where it is stored.
            marker->move(toPixels(left + at.x()), toPixels(top + at.y()));
            const size_t index = static_cast<size_t>(marker->property("Index").toInt());
            if (index < m_state.PlaceHomePos.size())
                m_state.PlaceHomePos[index] = PlaceHome{left + at.x(), top + at.y()};
        }
    }
    if (gone)
        ShowPlaetze(m_state.CurrentFloorId);
}

QList<qint32> frmStockwerke::selectedPlaceIds(bool hide)
{
    QList<qint32> ids;
    for (size_t i = 1; i < lbPlatz.size(); ++i) {
        QLabel* label = lbPlatz[i];
        if (label->frameShape() != QFrame::Box)
            continue;
        ids << placeIdOf(label);
        if (hide)
            label->hide();
    }
    return ids;
}

bool frmStockwerke::Form_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (isTextBox(focusWidget()))
        return false;
    const bool erase = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    const int tab = SSTab1->currentIndex();
    if (tab == 2 && erase) {
        cmdDeleteResource_Click();
        return true;
    }
    if (tab != 0 || !m_state.EditMode)
        return false;
    if (erase) {
        QHash<qint32, RowValues> drawn;
        for (size_t i = 1; i < lbPlatz.size(); ++i) {
            if (lbPlatz[i]->frameShape() != QFrame::Box)
                continue;
            // Where the marker rests: as drawn, or as this window stored it since.
            const PlaceRectMove at = drawnMarker(lbPlatz[i]);
            RowValues shown = m_state.DrawnPlaces.value(at.placeId);
            shown.insert(QStringLiteral("pl_x1"), at.drawnX);
            shown.insert(QStringLiteral("pl_y1"), at.drawnY);
            drawn.insert(at.placeId, shown);
        }
        if (DeleteSelectedPlaces(selectedPlaceIds(false), drawn)) {
            selectedPlaceIds(true);
            ShowPlaetze(m_state.CurrentFloorId);
        }
        return true;
    }
    const std::optional<QPoint> step = NudgeOf(key, modifiers);
    if (!step)
        return false;
    std::vector<std::pair<QLabel*, PlaceRectMove>> moved;
    for (size_t i = 1; i < lbPlatz.size(); ++i) {
        QLabel* label = lbPlatz[i];
        if (label->frameShape() != QFrame::Box)
            continue;
        PlaceRectMove move = drawnMarker(label);
        move.x1 = move.drawnX + step->x();
        move.y1 = move.drawnY + step->y();
        move.x2 = move.x1 + label->width() * rt::TwipsPerPixel;
        move.y2 = move.y1 + label->height() * rt::TwipsPerPixel;
        moved.emplace_back(label, move);
    }
    SavePlaceRects(moved);
    FocusDummy->setFocus();
    return true;
}
