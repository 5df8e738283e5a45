#include "platform/runtime/fileerror.h"

#include <cerrno>

namespace rt {

QString fileErrorReason(int errnoValue)
{
    switch (errnoValue) {
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("keine Berechtigung");
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("Datenträger voll");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
    case EDEADLK:
    case ENOLCK:
        return QStringLiteral("Datei gesperrt");
    case ENOENT:
        return QStringLiteral("Datei oder Ordner fehlt");
    case EISDIR:
        return QStringLiteral("dort steht ein Ordner");
    default:
        return QStringLiteral("unbekannter Fehler");
    }
}

QString fileErrorReason(const std::error_code& error)
{
    if (error.category() == std::generic_category() || error.category() == std::system_category())
        return fileErrorReason(error.value());
    return fileErrorReason(0);
}

QString fileErrorReason(QFileDevice::FileError error, int errnoValue)
{
    const QString byErrno = fileErrorReason(errnoValue);
    if (byErrno != fileErrorReason(0))
        return byErrno;
    switch (error) {
    case QFileDevice::PermissionsError: return fileErrorReason(EACCES);
    // Qt reports a write that found no space left as a lack of resources.
    case QFileDevice::ResourceError: return fileErrorReason(ENOSPC);
    default: return byErrno;
    }
}

}  // namespace rt
