#include "core/files.h"

#include "core/globals.h"
#include "core/messages.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSaveFile>
#include <QSet>
#include <QUrl>

#include <sys/vfs.h>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

QString slashed(const QString& path)
{
    QString out = path;
    out.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return out;
}

qsizetype lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

// A full path begins with a separator or a drive letter; anything else is
// relative (to the picture folder, for picture names).
bool isFullPath(const QString& path)
{
    if (path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\')))
        return true;
    return path.size() >= 2 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':');
}

bool confirmReplace(const QString& target)
{
    const QString text = QStringLiteral("Die Datei \"%1\" ist bereits vorhanden.\n\nWollen Sie sie ersetzen?").arg(target);
    return ui::msgBox(text, ui::YesNo | ui::Question | ui::DefaultButton2, QStringLiteral("Datei ersetzen")) == ui::Answer::Yes;
}

// Written beside the target and renamed over it only when complete, so a
// failed copy never leaves a half-written file under the target's name.
bool copyFile(const QString& from, const QString& to, bool quiet)
{
    const QFileInfo target(to);
    if (target.exists()) {
        if (target.isDir())
            return false;
        if (target.canonicalFilePath() == QFileInfo(from).canonicalFilePath())
            return false;
        if (!quiet && !confirmReplace(to))
            return false;
    }
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return false;
        }
        if (out.write(buffer) != buffer.size()) {
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        return false;
    QFile::setPermissions(to, in.permissions());
    return true;
}

bool copyTree(const QString& from, const QString& to, bool quiet)
{
    if (!QDir().mkpath(to))
        return false;
    bool ok = true;
    const QDir source(from);
    const auto entries = source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() && !entry.isSymLink())
            ok = copyTree(entry.filePath(), target, quiet) && ok;
        else
            ok = copyFile(entry.filePath(), target, quiet) && ok;
    }
    return ok;
}

void reportHelpError(const QString& topic, const QString& error)
{
    ui::msgBox(QStringLiteral("Error opening the online help / ") + topic + QStringLiteral("\n\n") + error, ui::Exclamation,
               QStringLiteral("Help item not found"));
}

}  // namespace

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(slashed(path));
    if (path.contains(QLatin1Char('.')))
        return info.isFile() && !info.isHidden();
    return info.exists();
}

QString GetPathPart(const QString& path)
{
    const qsizetype at = lastSeparator(path);
    return at < 0 ? path : path.left(at + 1);
}

QString GetFileNamePart(const QString& path)
{
    const qsizetype at = lastSeparator(path);
    return at < 0 ? path : path.mid(at + 1);
}

void SplitFileExt(const QString& name, QString& base, QString& ext)
{
    // A dot in a folder name is no extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < lastSeparator(name)) {
        base = name;
        ext.clear();
        return;
    }
    base = name.left(dot);
    ext = name.mid(dot + 1);
}

bool CopyFiles(const QString& source, const QString& destination, bool quiet)
{
    const QString from = QDir::cleanPath(slashed(source));
    const QString dest = slashed(destination);
    const QFileInfo sourceInfo(from);
    if (from.isEmpty() || dest.isEmpty() || !sourceInfo.exists())
        return false;

    ui::WaitCursor wait;
    QString to = QDir::cleanPath(dest);
    if (QFileInfo(to).isDir() || dest.endsWith(QLatin1Char('/'))) {
        if (!QDir().mkpath(to))
            return false;
        to += QLatin1Char('/') + sourceInfo.fileName();
    }
    if (sourceInfo.isDir()) {
        const QString canonicalFrom = sourceInfo.canonicalFilePath();
        const QString absoluteTo = QFileInfo(to).absoluteFilePath();
        if (absoluteTo == canonicalFrom || absoluteTo.startsWith(canonicalFrom + QLatin1Char('/')))
            return false;
        return copyTree(from, to, quiet);
    }
    return copyFile(from, to, quiet);
}

bool IsNetworkPath(const QString& path)
{
    if (path.startsWith(QLatin1String("//")) || path.startsWith(QLatin1String("\\\\")))
        return true;
    if (path.isEmpty())
        return false;
    QFileInfo info(slashed(path));
    QString existing = info.absoluteFilePath();
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return false;
        existing = parent;
    }
    struct statfs fs {};
    if (statfs(QFile::encodeName(existing).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x65735546UL:  // FUSE (sshfs and the like)
        return true;
    default:
        return false;
    }
}

void OpenFileWithShell(const QString& file)
{
    if (file.isEmpty())
        return;
    const QString failed = QStringLiteral("Fehler bei Öffnen der Datei \"") + file + QLatin1Char('"');
    const bool isUrl = file.contains(QLatin1String("://")) || file.startsWith(QLatin1String("mailto:"));
    QString target = file;
    if (!isUrl) {
        target = slashed(file);
        if (!QFileInfo::exists(target)) {
            ui::msgBox(failed, ui::Information, QStringLiteral("Fehler #2"));
            return;
        }
        target = QFileInfo(target).absoluteFilePath();
    }
    if (!ui::DialogService::instance().openExternal(target))
        ui::msgBox(failed + QStringLiteral("\n\nEs konnte kein Programm zum Öffnen dieser Datei gestartet werden."),
                   ui::Exclamation, AppTitle);
}

void ShowHelpTopic(const QString& topic)
{
    const QString helpDir = AppPath + QStringLiteral("help/");
    if (!QFileInfo(helpDir).isDir()) {
        reportHelpError(topic, QStringLiteral("Der Hilfe-Ordner \"%1\" wurde nicht gefunden.").arg(helpDir));
        return;
    }
    QString page = slashed(topic);
    QString fragment;
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        fragment = page.mid(hash + 1);
        page = page.left(hash);
    }
    if (page.isEmpty())
        page = QStringLiteral("index.html");
    QUrl url = QUrl::fromLocalFile(helpDir + page);
    if (!fragment.isEmpty())
        url.setFragment(fragment);
    if (!ui::DialogService::instance().openExternal(url.toString(QUrl::FullyEncoded)))
        reportHelpError(topic, QStringLiteral("Der Browser konnte nicht gestartet werden."));
}

QString ImagePathFor(const QString& name, const QString& imageDir)
{
    if (name.isEmpty() || isFullPath(name))
        return slashed(name);
    QString dir = slashed(imageDir);
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + slashed(name);
}

QString ImageNameFor(const QString& path, const QString& imageDir)
{
    const QString full = slashed(path);
    QString dir = slashed(imageDir);
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    if (dir.isEmpty())
        return full;
    if (full.startsWith(dir))
        return full.mid(dir.size());
    // A folder that differs only in case is another folder here, unless the
    // file system folds case; the relative name must lead back to this file.
    if (full.startsWith(dir, Qt::CaseInsensitive)) {
        const QString relative = full.mid(dir.size());
        std::error_code error;
        if (std::filesystem::equivalent(QFile::encodeName(full).toStdString(),
                                        QFile::encodeName(dir + relative).toStdString(), error))
            return relative;
    }
    return full;
}

void BrowseImageFile(QLineEdit* textBox, const QString& imageDir)
{
    if (!textBox)
        return;
    ui::FileRequest request;
    request.title = QStringLiteral("Bild-Datei suchen");
    request.directory = slashed(imageDir);
    request.filter = ImageFileFilter;
    const QString current = textBox->text();
    if (!current.isEmpty()) {
        const QString full = ImagePathFor(current, imageDir);
        if (FileExists(full))
            request.fileName = full;
    }
    const QString chosen = ui::DialogService::instance().openFile(request);
    ui::doEvents();
    if (chosen.isEmpty())
        return;
    textBox->setText(ImageNameFor(chosen, imageDir));
}

QSize ScaledImageSize(const QSize& picture, int maxWidth, int maxHeight)
{
    if (picture.isEmpty() || maxWidth <= 0 || maxHeight <= 0)
        return picture;
    const double aspect = double(picture.width()) / picture.height();
    const double box = double(maxWidth) / maxHeight;
    if (aspect <= box)
        return QSize(int(std::lround(maxHeight * aspect)), maxHeight);
    return QSize(maxWidth, int(std::lround(maxWidth / aspect)));
}

void ShowImageFile(const QString& file, QLabel* image, QLabel* label, int maxWidth, int maxHeight, bool scale,
                   const QString& imageDir)
{
    if (image)
        image->clear();
    if (label)
        label->setText(file);
    if (file.isEmpty())
        return;
    const QString full = ImagePathFor(file, imageDir);
    if (!FileExists(full)) {
        if (label)
            label->setText(QStringLiteral("Die Bild-Datei\n") + full + QStringLiteral("\nkonnte nicht gefunden werden."));
        return;
    }
    if (!image)
        return;
    image->hide();
    image->setScaledContents(false);
    image->setProperty("Tag", full);
    QImageReader reader(full);
    reader.setDecideFormatFromContent(true);
    const QSize stored = reader.size();
    // A large photo is read at the size it is shown at where the format
    // allows it: that is fast and stays within the reader's memory limit.
    if (scale && stored.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize shown = ScaledImageSize(stored, maxWidth, maxHeight);
        if (shown.width() < stored.width())
            reader.setScaledSize(shown);
    }
    const QImage picture = reader.read();
    if (!picture.isNull()) {
        if (scale) {
            const QSize size = ScaledImageSize(picture.size(), maxWidth, maxHeight);
            image->setPixmap(QPixmap::fromImage(picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
            image->resize(size);
        } else {
            image->setPixmap(QPixmap::fromImage(picture));
            image->resize(picture.size());
        }
    } else {
        const QString reason = UnreadablePictureReason(reader.error(), stored);
        if (label)
            label->setText(QStringLiteral("Die Bild-Datei\n") + full + QStringLiteral("\nkann nicht angezeigt werden: ") +
                           reason);
        // Said once; the box then only names the reason.
        static QSet<QString> reported;
        if (!reported.contains(full)) {
            reported.insert(full);
            ui::msgBox(QStringLiteral("Das Bild \"") + full + QStringLiteral("\" kann nicht angezeigt werden.\n\n") + reason,
                       ui::Exclamation, AppTitle);
        }
    }
    image->show();
}

QString UnreadablePictureReason(int readerError, const QSize& stored)
{
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (stored.isValid() && limit > 0 && qint64(stored.width()) * stored.height() * 4 > limit)
        return QStringLiteral("Es ist mit %1 × %2 Bildpunkten zu groß.").arg(stored.width()).arg(stored.height());
    switch (readerError) {
    case QImageReader::UnsupportedFormatError:
        return QStringLiteral("Die Datei ist kein Bild in einem bekannten Format (JPG, GIF, PNG).");
    case QImageReader::DeviceError:
        return QStringLiteral("Die Datei kann nicht gelesen werden.");
    default:
        return QStringLiteral("Die Datei ist beschädigt.");
    }
}
