#include "base/FileMessages.h"

#include <QFileInfo>
#include <atomic>
#include <cerrno>

namespace torvo {
namespace {

std::atomic<PathNaming> naming{PathNaming::FileName};

} // namespace

void setPathNaming(PathNaming n) {
    naming = n;
}

QString shownPath(const QString& path) {
    return naming == PathNaming::AsGiven ? path : QFileInfo(path).fileName();
}

QString systemError(int code) {
    switch (code) {
    case ENOENT:
        return QStringLiteral("no existe");
    case EACCES:
    case EPERM:
        return QStringLiteral("permiso denegado");
    case EISDIR:
        return QStringLiteral("es una carpeta");
    case ENOTDIR:
        return QStringLiteral("una parte de la ruta no es una carpeta");
    case ENOSPC:
        return QStringLiteral("no queda espacio en el disco");
    case EDQUOT:
        return QStringLiteral("se agotó la cuota de disco");
    case EROFS:
        return QStringLiteral("el sistema de archivos es de solo lectura");
    case ENAMETOOLONG:
        return QStringLiteral("el nombre es demasiado largo");
    case ELOOP:
        return QStringLiteral("demasiados enlaces simbólicos");
    case EFBIG:
        return QStringLiteral("el archivo sería demasiado grande");
    case EIO:
        return QStringLiteral("error de entrada/salida");
    case EPIPE:
        return QStringLiteral("el que leía ya no lee");
    case ENXIO:
    case ECONNREFUSED:
        return QStringLiteral("nadie lee al otro lado");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("demasiados archivos abiertos");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("está en uso");
    case EXDEV:
        return QStringLiteral("está en otro sistema de archivos");
    case EINVAL:
        return QStringLiteral("argumento no válido");
    default:
        return QStringLiteral("error del sistema %1").arg(code);
    }
}

} // namespace torvo
