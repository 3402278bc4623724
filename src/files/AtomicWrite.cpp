#include "files/AtomicWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>

namespace torvo {

Result<void> writeFileAtomically(const QString& path, const QByteArray& data) {
    return writeFileAtomically(path, [&data](QIODevice& file) { return file.write(data) == data.size(); });
}

namespace {

// QSaveFile's way without its wait for the disk.
Result<void> replaceInSystem(const QString& path, const std::function<bool(QIODevice&)>& write) {
    const QFileInfo link(path);
    const QString name = link.fileName();
    const QString target = link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();
    const QFileInfo old(target);
    QFile file;
    for (int tries = 0; tries < 16 && !file.isOpen(); ++tries) {
        file.setFileName(target + QStringLiteral(".%1~").arg(uint(QRandomGenerator::global()->generate()), 8,
                                                             16, QLatin1Char('0')));
        // A name that is taken is tried again; anything else is a failure.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !file.exists()) break;
    }
    if (!file.isOpen())
        return Failure{QStringLiteral("No se pudo crear «%1»: %2").arg(name, file.errorString())};
    if (old.exists()) file.setPermissions(old.permissions());
    if (!write(file) || !file.flush()) {
        const QString why = file.errorString();
        file.remove();
        return Failure{QStringLiteral("No se pudo escribir «%1»: %2").arg(name, why)};
    }
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) !=
        0) {
        const QString why = qt_error_string(errno);
        file.remove();
        return Failure{QStringLiteral("No se pudo guardar «%1»: %2").arg(name, why)};
    }
    return {};
}

} // namespace

Result<void> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                                 Durability durability) {
    if (durability == Durability::InSystem) return replaceInSystem(path, write);
    const QString name = QFileInfo(path).fileName();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure{QStringLiteral("No se pudo crear «%1»: %2").arg(name, file.errorString())};
    if (!write(file)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Failure{QStringLiteral("No se pudo escribir «%1»: %2").arg(name, why)};
    }
    if (!file.commit())
        return Failure{QStringLiteral("No se pudo guardar «%1»: %2").arg(name, file.errorString())};
    return {};
}

Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("No se pudo abrir «%1»: %2").arg(name, file.errorString())};
    if (file.size() > maxBytes)
        return Failure{QStringLiteral("«%1» es demasiado grande para abrirlo (%2 MB).")
                           .arg(name)
                           .arg(file.size() >> 20)};
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure{QStringLiteral("No se pudo leer «%1»: %2").arg(name, file.errorString())};
    return data;
}

} // namespace torvo
