#include "core/dialogs/imageviewer.h"

#include "core/files.h"
#include "core/preferences.h"
#include "platform/ui/dialogs.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

namespace {

QPointer<frmImage>& theViewer()
{
    static QPointer<frmImage> viewer;
    return viewer;
}

}  // namespace

frmImage::frmImage() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmImage"));
    setAttribute(Qt::WA_DeleteOnClose);
    Image1 = new QLabel(this);
    Image1->move(0, 0);
    Image1->installEventFilter(this);
}

bool frmImage::isLoaded()
{
    return !theViewer().isNull();
}

frmImage* frmImage::loaded()
{
    return theViewer().data();
}

bool frmImage::ShowImage(const QString& file, const QString& name)
{
    if (file.isEmpty()) {
        ui::msgBox(QStringLiteral("Der Ressource \"") + name + QStringLiteral("\" wurde keine Bilddatei hinterlegt."),
                   ui::Critical);
        return false;
    }
    const QString path = ImagePathFor(file, ImageDir);
    if (!FileExists(path)) {
        ui::msgBox(QStringLiteral("Die Bilddatei\n") + path + QStringLiteral("\nexistiert nicht."), ui::Critical);
        return false;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        ui::msgBox(QStringLiteral("Die Bilddatei\n") + path + QStringLiteral("\nkann nicht als Bild geladen werden."),
                   ui::Critical);
        return false;
    }

    auto& viewer = theViewer();
    if (!viewer)
        viewer = new frmImage();
    frmImage* window = viewer.data();

    // The whole window has to fit on the screen.
    QSize size = picture.size();
    if (const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        const QSize frame = window->frameGeometry().size() - window->geometry().size();
        const QSize room = screen->availableGeometry().size() - frame;
        if (size.width() > room.width() || size.height() > room.height())
            size = ScaledImageSize(size, room.width(), room.height());
    }
    window->Image1->setPixmap(QPixmap::fromImage(
        size == picture.size() ? picture : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    window->Image1->resize(size);
    window->setFixedSize(size);
    window->move(0, 0);
    window->setWindowTitle(name);
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

bool frmImage::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Image1 && e->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void frmImage::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
        close();
        return;
    case Qt::Key_F4:
        if (e->modifiers() & Qt::AltModifier) {
            close();
            return;
        }
        break;
    default: break;
    }
    QWidget::keyPressEvent(e);
}
